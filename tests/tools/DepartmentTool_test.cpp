// The department and benchmark tools as a user runs them: the built programs
// on temporary databases, with what they print, where, and their exit codes.

#include "TestSupport.h"

#include "engine/Connection.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QVariant>
#include <gtest/gtest.h>

#include <functional>

namespace {

struct ToolRun
{
    bool finished = false;
    int exitCode = -1;
    QString out, err;
};

ToolRun run(const QString &program, const QStringList &arguments)
{
    QProcess process;
    process.start(program, arguments);
    ToolRun result;
    result.finished = process.waitForFinished(60000) && process.exitStatus() == QProcess::NormalExit;
    result.exitCode = process.exitCode();
    result.out = QString::fromUtf8(process.readAllStandardOutput());
    result.err = QString::fromUtf8(process.readAllStandardError());
    return result;
}

void add(db::Connection &connection, const QString &id, const QVariant &sponsor, const QString &name, double points)
{
    testing_support::addCustomer(connection, id, sponsor, name, points);
}

// The first worked example: 1 (100) over 2 (60) and 3 (25); 2 over 4 (40) and 5 (10).
void firstExample(db::Connection &c)
{
    add(c, QStringLiteral("1"), QVariant(), QStringLiteral("Head"), 100);
    add(c, QStringLiteral("3"), QStringLiteral("1"), QStringLiteral("Bravo"), 25);
    add(c, QStringLiteral("5"), QStringLiteral("2"), QStringLiteral("Delta"), 10);
    add(c, QStringLiteral("2"), QStringLiteral("1"), QStringLiteral("Alpha"), 60);
    add(c, QStringLiteral("4"), QStringLiteral("2"), QStringLiteral("Charlie"), 40);
}

// A name over two lines (CR LF inside it, as pasted from elsewhere), in
// Cyrillic, under a head of 100.
void twoLineName(db::Connection &c)
{
    add(c, QStringLiteral("H"), QVariant(), QStringLiteral("Head"), 100);
    add(c, QStringLiteral("M"), QStringLiteral("H"), QStringLiteral("Иван\r\nПетров"), 40);
}

void sponsorCycle(db::Connection &c)
{
    add(c, QStringLiteral("A"), QStringLiteral("C"), QStringLiteral("a"), 10);
    add(c, QStringLiteral("B"), QStringLiteral("A"), QStringLiteral("b"), 10);
    add(c, QStringLiteral("C"), QStringLiteral("B"), QStringLiteral("c"), 10);
}

const QString kHeader = QStringLiteral("Level\tId\tName\tPersonalPoints\tGroupPoints\tStatus\tBonus\tReserve");

} // namespace

TEST(DepartmentTool, PrintsTheDepartmentOrFailsWithAMessageAndNoOutput)
{
    enum class File { Database, Missing, NotADatabase };
    struct Case
    {
        const char *name;
        File file;
        std::function<void(db::Connection &)> fill;
        QStringList args; // "%db" stands for the database path
        int exitCode;
        QStringList out;  // every line printed; none on a failure
        QStringList err;  // texts the error output must hold; empty on success
    };
    const QString db = QStringLiteral("%db");
    const QString detail = QStringLiteral("--detail");
    const QList<Case> cases = {
        {"worked example", File::Database, firstExample, {db, QStringLiteral("1")}, 0,
         {kHeader, QStringLiteral("1\t1\tHead\t100\t235\t0\t25.7\t0"), QStringLiteral("2\t2\tAlpha\t60\t110\t0\t9.5\t0"),
          QStringLiteral("3\t4\tCharlie\t40\t40\t0\t2\t0"), QStringLiteral("3\t5\tDelta\t10\t10\t0\t0\t0"),
          QStringLiteral("2\t3\tBravo\t25\t25\t0\t1.25\t0")},
         {}},
        {"root of the worked example", File::Database, firstExample, {db}, 0,
         {kHeader, QStringLiteral("1\t\t\t0\t235\t0\t0\t0"), QStringLiteral("2\t1\tHead\t100\t235\t0\t25.7\t0"),
          QStringLiteral("3\t2\tAlpha\t60\t110\t0\t9.5\t0"), QStringLiteral("4\t4\tCharlie\t40\t40\t0\t2\t0"),
          QStringLiteral("4\t5\tDelta\t10\t10\t0\t0\t0"), QStringLiteral("3\t3\tBravo\t25\t25\t0\t1.25\t0")},
         {}},
        {"root of an empty table", File::Database, nullptr, {db}, 0, {kHeader, QStringLiteral("1\t\t\t0\t0\t0\t0\t0")}, {}},
        {"explanations", File::Database, firstExample, {detail, db, QStringLiteral("2")}, 0,
         {kHeader + QStringLiteral("\tDetail"),
          QStringLiteral("1\t2\tAlpha\t60\t110\t0\t9.5\t0\t 0.2000 (Net) 5 Delta\\n\\r 0.5000 (Group) 5 Delta\\n\\r"
                         " 0.8000 (Net) 4 Charlie\\n\\r 2.0000 (Group) 4 Charlie\\n\\r 6.0000 (Personal)"),
          QStringLiteral("2\t4\tCharlie\t40\t40\t0\t2\t0\t 2.0000 (Personal)"), QStringLiteral("2\t5\tDelta\t10\t10\t0\t0\t0\t")},
         {}},
        {"line breaks in a name", File::Database, twoLineName, {db, QStringLiteral("H"), detail}, 0,
         {kHeader + QStringLiteral("\tDetail"),
          QStringLiteral("1\tH\tHead\t100\t140\t0\t19.8\t0\t 0.8000 (Net) M Иван\\r\\nПетров\\n\\r"
                         " 4.0000 (Group) M Иван\\r\\nПетров\\n\\r 15.0000 (Personal)"),
          QStringLiteral("2\tM\tИван\\r\\nПетров\t40\t40\t0\t2\t0\t 2.0000 (Personal)")},
         {}},
        {"missing database", File::Missing, nullptr, {db}, 1, {}, {QStringLiteral("department: "), QStringLiteral("missing.mdb")}},
        {"not a database", File::NotADatabase, nullptr, {db, QStringLiteral("1")}, 1, {}, {QStringLiteral("department: ")}},
        {"sponsor cycle", File::Database, sponsorCycle, {db, QStringLiteral("A")}, 1, {},
         {QStringLiteral("department: Error - A\ndepartment: Error - C\ndepartment: Error - B\n"), QStringLiteral("circle")}},
        {"no arguments", File::Database, firstExample, {}, 2, {}, {QStringLiteral("Usage: department")}},
        {"unknown option", File::Database, firstExample, {QStringLiteral("--details"), db}, 2, {},
         {QStringLiteral("unknown option --details"), QStringLiteral("Usage: department")}},
        {"too many arguments", File::Database, firstExample, {db, QStringLiteral("1"), QStringLiteral("2")}, 2, {},
         {QStringLiteral("Usage: department")}},
    };

    for (const Case &test : cases) {
        SCOPED_TRACE(test.name);
        testing_support::ProgramFolder folder;
        QString path;
        switch (test.file) {
        case File::Database: {
            path = folder.createDatabase();
            db::Connection connection;
            connection.openFile(path);
            if (test.fill)
                test.fill(connection);
            break;
        }
        case File::Missing:
            path = folder.file(QStringLiteral("missing.mdb"));
            break;
        case File::NotADatabase: {
            path = folder.file(QStringLiteral("notes.mdb"));
            QFile file(path);
            ASSERT_TRUE(file.open(QIODevice::WriteOnly));
            file.write("not a database, just some notes that are long enough to be read\n");
            break;
        }
        }
        QStringList args = test.args;
        args.replaceInStrings(QStringLiteral("%db"), path);

        const ToolRun result = run(QStringLiteral(QUORVEL_DEPARTMENT_TOOL), args);
        ASSERT_TRUE(result.finished) << result.err.toStdString();
        EXPECT_EQ(result.exitCode, test.exitCode) << result.err.toStdString();
        const QStringList expectedOut = test.out.isEmpty() ? QStringList() : test.out;
        QString expectedText = expectedOut.join(u'\n');
        if (!expectedOut.isEmpty())
            expectedText += u'\n';
        EXPECT_EQ(result.out.toStdString(), expectedText.toStdString());
        if (test.err.isEmpty()) {
            EXPECT_TRUE(result.err.isEmpty()) << result.err.toStdString();
        }
        for (const QString &text : test.err)
            EXPECT_TRUE(result.err.contains(text)) << "expected " << text.toStdString() << " in " << result.err.toStdString();
        if (test.file == File::Missing) {
            EXPECT_FALSE(QFile::exists(path)) << "a missing database must not be made";
        }
    }
}

TEST(BenchTool, BadSizes_UsageErrorBeforeAnyDatabaseIsMade)
{
    testing_support::ProgramFolder folder;
    const QString data = folder.file(QStringLiteral("bench-data"));
    const std::pair<QString, QString> cases[] = {
        {QStringLiteral("0"), QStringLiteral("0")},     {QStringLiteral("-10"), QStringLiteral("-10")},
        {QStringLiteral("10,0"), QStringLiteral("0")},  {QStringLiteral("ten"), QStringLiteral("ten")},
        {QStringLiteral("10,"), QString()},
    };
    for (const auto &[sizes, bad] : cases) {
        SCOPED_TRACE(sizes.toStdString());
        const ToolRun result = run(QStringLiteral(QUORVEL_BENCH_TOOL),
                               {QStringLiteral("--data"), data, QStringLiteral("--sizes"), sizes});
        ASSERT_TRUE(result.finished);
        EXPECT_EQ(result.exitCode, 2);
        EXPECT_TRUE(result.out.isEmpty()) << result.out.toStdString();
        EXPECT_TRUE(result.err.contains(QStringLiteral("Usage: bench"))) << result.err.toStdString();
        EXPECT_TRUE(result.err.contains(QStringLiteral("not '%1'").arg(bad))) << result.err.toStdString();
        EXPECT_FALSE(QDir(data).exists());
    }
}
