// bench [--sizes N,M,...] [--data DIR] [--repeat R]
// Makes (or reuses) generated databases with makedb from the program folder
// and runs every measurement on each. Exit status 1 when a target was missed.

#include "Bench.h"

#include "engine/Errors.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QProcess>

namespace {

const char *const kUsage = "Usage: bench [--sizes 10000,100000] [--data DIR] [--repeat 5]\n";

/// The generated file for `customers`, made on first use. Throws db::DataError.
bench::Database database(const QString &folder, int customers, QTextStream &out)
{
    bench::Database db{QDir(folder).filePath(QStringLiteral("customers-%1.mdb").arg(customers)), customers};
    if (QFileInfo::exists(db.path)) {
        out << "database " << db.path << " (reused)\n";
        return db;
    }
    const QString makedb = QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("makedb"));
    if (!QFileInfo(makedb).isExecutable())
        throw db::DataError(QStringLiteral("makedb not found next to bench: %1").arg(makedb));
    QDir().mkpath(folder);
    QProcess process;
    process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    QElapsedTimer timer;
    timer.start();
    // Ten orders per customer give points across the whole tree.
    process.start(makedb, {QStringLiteral("--generate"), QStringLiteral("--customers"), QString::number(customers),
                           QStringLiteral("--orders"), QString::number(qint64(customers) * 10), QStringLiteral("--seed"),
                           QStringLiteral("1"), db.path});
    if (!process.waitForFinished(-1) || process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0)
        throw db::DataError(QStringLiteral("makedb failed for %1 customers").arg(customers));
    out << "database " << db.path << " (made in " << QString::number(timer.elapsed() / 1000.0, 'f', 1) << " s)\n";
    return db;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QTextStream out(stdout);
    QTextStream err(stderr);

    QList<int> sizes = {10000, 100000};
    QString folder = QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("bench-data"));
    int repeat = 5;
    const QStringList arguments = app.arguments().mid(1);
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString &arg = arguments[i];
        const bool hasValue = i + 1 < arguments.size();
        bool ok = true;
        if (arg == u"--sizes" && hasValue) {
            sizes.clear();
            for (const QString &part : arguments[++i].split(u',')) {
                const int n = part.toInt(&ok);
                if (!ok || n <= 0) {
                    err << "bench: a size is a number of customers above 0, not '" << part << "'\n";
                    ok = false;
                    break;
                }
                sizes << n;
            }
        } else if (arg == u"--data" && hasValue) {
            folder = arguments[++i];
        } else if (arg == u"--repeat" && hasValue) {
            repeat = arguments[++i].toInt(&ok);
            ok = ok && repeat > 0;
        } else {
            ok = false;
        }
        if (!ok) {
            err << kUsage;
            return 2;
        }
    }

    bool allMet = true;
    try {
        for (const int customers : sizes) {
            out << "== " << customers << " customers\n";
            out.flush();
            const bench::Database db = database(folder, customers, out);
            for (const bench::Measurement &measurement : bench::measurements()) {
                out << "- " << measurement.name << "\n";
                allMet = measurement.run(db, repeat, out) && allMet;
                out.flush();
            }
        }
    } catch (const db::DataError &error) {
        out.flush();
        err << "bench: " << error.text() << "\n";
        return 2;
    }
    return allMet ? 0 : 1;
}
