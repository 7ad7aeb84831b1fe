// department [--detail] DATABASE [ID]
// Prints the department of customer ID (the whole customer base when ID is
// left out) as tab-separated lines in list order; with --detail a ninth
// column holds the bonus explanation.

#include "organization/DepartmentText.h"
#include "organization/Department.h"

#include "CustomerTable.h"

#include "engine/Connection.h"
#include "engine/Errors.h"

#include <QFile>
#include <QLocale>
#include <QStringList>
#include <QTextStream>

#include <cstdio>

namespace {

const char *const kUsage = "Usage: department [--detail] DATABASE [ID]\n";

int run(const QStringList &arguments, QTextStream &out, QTextStream &err)
{
    bool detail = false;
    QStringList positional;
    for (const QString &arg : arguments) {
        if (arg == u"--detail")
            detail = true;
        else if (arg == u"--help" || arg == u"-h") {
            out << kUsage;
            return 0;
        } else if (arg.startsWith(u"--")) {
            err << "department: unknown option " << arg << "\n" << kUsage;
            return 2;
        } else
            positional << arg;
    }
    if (positional.isEmpty() || positional.size() > 2) {
        err << kUsage;
        return 2;
    }

    try {
        db::Connection connection;
        connection.openFile(positional[0]);
        CustomerTable customers(connection);
        Department department;
        department.Build(customers, positional.value(1));
        out.flush();
        QFile table;
        if (!table.open(stdout, QIODevice::WriteOnly))
            return 1;
        return departmenttext::write(table, department, detail) && table.flush() ? 0 : 1;
    } catch (const DepLoadError &error) {
        for (const QString &message : error.levelMessages())
            err << "department: " << message << "\n";
        err << "department: " << error.text() << "\n";
    } catch (const db::DataError &error) {
        err << "department: " << error.text() << "\n";
    }
    return 1;
}

} // namespace

int main(int argc, char *argv[])
{
    // Full stops in every number, the explanation included.
    QLocale::setDefault(QLocale::c());
    QStringList arguments;
    for (int i = 1; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    QTextStream out(stdout);
    QTextStream err(stderr);
    out.setEncoding(QStringConverter::Utf8);
    err.setEncoding(QStringConverter::Utf8);
    return run(arguments, out, err);
}
