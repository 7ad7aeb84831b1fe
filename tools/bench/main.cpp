// bench [--sizes N,M,...] [--data DIR] [--repeat R] [--only TEXT]
// Makes (or reuses) generated databases with makedb from the program folder
// and runs every measurement on each, then the chain measurements on one
// chain of sponsors; with --only, just the measurements whose name holds
// TEXT (letter case aside), so that one step can be timed alone. Exit status 1 when a target was missed, 2 for wrong
// arguments or a database that could not be made.

#include "Bench.h"

#include "engine/Connection.h"
#include "engine/Errors.h"
#include "engine/Statement_p.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>

#include <algorithm>
#include <functional>
#include <malloc.h>
#include <cstring>

namespace {

const char *const kUsage = "Usage: bench [--sizes 10000,100000] [--data DIR] [--repeat 5] [--only TEXT]\n";

/// Runs makedb from the program folder with `arguments`. Throws db::DataError.
void makedb(const QString &folder, const QStringList &arguments)
{
    const QString program = QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("makedb"));
    if (!QFileInfo(program).isExecutable())
        throw db::DataError(QStringLiteral("makedb not found next to bench: %1").arg(program));
    QDir().mkpath(folder);
    QProcess process;
    process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    process.setStandardOutputFile(QProcess::nullDevice());
    process.start(program, arguments);
    if (!process.waitForFinished(-1) || process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0)
        throw db::DataError(QStringLiteral("makedb failed: %1").arg(arguments.join(u' ')));
}

/// The generated file for `customers`, made on first use. Throws db::DataError.
bench::Database database(const QString &folder, int customers, QTextStream &out)
{
    bench::Database db{QDir(folder).filePath(QStringLiteral("customers-%1.mdb").arg(customers)), customers, QString()};
    if (QFileInfo::exists(db.path)) {
        out << "database " << db.path << " (reused)\n";
        return db;
    }
    QElapsedTimer timer;
    timer.start();
    // Ten orders per customer give points across the whole tree.
    makedb(folder, {QStringLiteral("--generate"), QStringLiteral("--customers"), QString::number(customers),
                    QStringLiteral("--orders"), QString::number(qint64(customers) * 10), QStringLiteral("--seed"),
                    QStringLiteral("1"), db.path});
    out << "database " << db.path << " (made in " << QString::number(timer.elapsed() / 1000.0, 'f', 1) << " s)\n";
    return db;
}

/// A database of `count` ordinary customers with `points` each, customer i
/// named `nameOf(i)` and sponsored by `sponsorOf(i)` (0: none), made on
/// first use under `file`; its head is customer 1. Throws db::DataError.
bench::Database customerTree(const QString &folder, const QString &file, int count, double points,
                             const std::function<int(int)> &sponsorOf, const std::function<QString(int)> &nameOf,
                             QTextStream &out)
{
    bench::Database db{QDir(folder).filePath(file), count, QStringLiteral("1")};
    if (QFileInfo::exists(db.path)) {
        out << "database " << db.path << " (reused)\n";
        return db;
    }
    const QString part = db.path + QStringLiteral(".part");
    QFile::remove(part);
    makedb(folder, {part});
    {
        db::Connection connection;
        connection.openFile(part);
        db::Transaction transaction(connection);
        db::Statement insert(connection.handle(),
                             QStringLiteral("insert into customer (id, id_customer, sname, totalpoints) "
                                            "values (:id, :sponsor, :name, :points)"));
        for (int i = 1; i <= count; ++i) {
            const int sponsor = sponsorOf(i);
            insert.reset();
            insert.bind(QStringLiteral(":id"), QString::number(i));
            insert.bind(QStringLiteral(":sponsor"), sponsor == 0 ? QVariant() : QVariant(QString::number(sponsor)));
            insert.bind(QStringLiteral(":name"), nameOf(i));
            insert.bind(QStringLiteral(":points"), points);
            insert.execute();
        }
        transaction.commit();
    }
    // Renamed when whole, so an interrupted run is not reused.
    if (!QFile::rename(part, db.path))
        throw db::DataError(QStringLiteral("cannot rename %1").arg(part));
    out << "database " << db.path << " (made)\n";
    return db;
}

/// A chain of `generations` customers with 0.1 points each, each sponsoring
/// the next. Throws db::DataError.
bench::Database chain(const QString &folder, int generations, QTextStream &out)
{
    return customerTree(
        folder, QStringLiteral("chain-%1.mdb").arg(generations), generations, 0.1, [](int i) { return i - 1; },
        [](int i) { return QStringLiteral("Chain %1").arg(i); }, out);
}

/// One customer with `members` direct members of 1 point each, named in the
/// reverse of their identifiers' order, so the tree's name order is not the
/// table's. Throws db::DataError.
bench::Database wide(const QString &folder, int members, QTextStream &out)
{
    return customerTree(
        folder, QStringLiteral("wide-%1.mdb").arg(members), members + 1, 1.0, [](int i) { return i == 1 ? 0 : 1; },
        [members](int i) { return QStringLiteral("Member %1").arg(members + 1 - i, 5, 10, QLatin1Char('0')); }, out);
}

/// Ten catalogues of 5,000 products each, made on first use. Throws db::DataError.
bench::Database catalogues(const QString &folder, QTextStream &out)
{
    constexpr int kCatalogues = 10, kProducts = 5000, kCustomers = 2000;
    bench::Database db{QDir(folder).filePath(QStringLiteral("catalogues-%1x%2.mdb").arg(kCatalogues).arg(kProducts)),
                       kCustomers, QString()};
    if (QFileInfo::exists(db.path)) {
        out << "database " << db.path << " (reused)\n";
        return db;
    }
    QElapsedTimer timer;
    timer.start();
    makedb(folder, {QStringLiteral("--generate"), QStringLiteral("--customers"), QString::number(kCustomers),
                    QStringLiteral("--orders"), QString::number(kCustomers * 10), QStringLiteral("--catalogues"),
                    QString::number(kCatalogues), QStringLiteral("--products"), QString::number(kProducts),
                    QStringLiteral("--seed"), QStringLiteral("1"), db.path});
    out << "database " << db.path << " (made in " << QString::number(timer.elapsed() / 1000.0, 'f', 1) << " s)\n";
    return db;
}

/// Whether the measurement `name` runs: every one without --only.
bool chosen(const QString &only, const QString &name)
{
    return only.isEmpty() || name.contains(only, Qt::CaseInsensitive);
}

bool anyChosen(const std::vector<bench::Measurement> &list, const QString &only)
{
    return std::any_of(list.begin(), list.end(),
                       [&](const bench::Measurement &m) { return chosen(only, QString::fromUtf8(m.name)); });
}

bool runAll(const std::vector<bench::Measurement> &list, const bench::Database &db, int repeat, const QString &only,
            QTextStream &out)
{
    bool allMet = true;
    for (const bench::Measurement &measurement : list) {
        if (!chosen(only, QString::fromUtf8(measurement.name)))
            continue;
        out << "- " << measurement.name << "\n";
        allMet = measurement.run(db, repeat, out) && allMet;
        out.flush();
    }
    return allMet;
}

} // namespace

int main(int argc, char *argv[])
{
    // The start-up measurement makes the program's windows; they are never shown.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    // Memory freed between two timed runs stays with the process. Handed back
    // to the system, it is faulted in again by the next run, and whether it
    // is handed back follows the allocator's thresholds, which move with what
    // ran before: the times would measure that history rather than the work.
    // Fixed thresholds keep every run on the same footing; the program
    // started for the start-up measurement keeps the usual ones.
    if (!(argc == 3 && std::strcmp(argv[1], "--start-program") == 0)) {
        mallopt(M_MMAP_THRESHOLD, 32 * 1024 * 1024);
        mallopt(M_TRIM_THRESHOLD, 1024 * 1024 * 1024);
    }
    QApplication app(argc, argv);
    QTextStream out(stdout);
    QTextStream err(stderr);

    QList<int> sizes = {10000, 100000};
    QString folder = QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("bench-data"));
    int repeat = 5;
    QString only;
    const QStringList arguments = app.arguments().mid(1);
    if (arguments.size() == 2 && arguments[0] == u"--start-program")
        return bench::startProgramOnce(arguments[1]);
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
        } else if (arg == u"--only" && hasValue) {
            only = arguments[++i];
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
    if (chosen(only, QStringLiteral("start-up"))) {
        out << "== start-up\n";
        out.flush();
        allMet = bench::startup(repeat, out) && allMet;
    }
    try {
        if (anyChosen(bench::measurements(), only)) {
            for (const int customers : sizes) {
                out << "== " << customers << " customers\n";
                out.flush();
                allMet = runAll(bench::measurements(), database(folder, customers, out), repeat, only, out) && allMet;
            }
        }
        const int generations = 3000;
        if (anyChosen(bench::chainMeasurements(), only)) {
            out << "== chain of " << generations << " generations\n";
            out.flush();
            allMet = runAll(bench::chainMeasurements(), chain(folder, generations, out), repeat, only, out) && allMet;
        }
        const int members = 10000;
        if (anyChosen(bench::wideMeasurements(), only)) {
            out << "== one customer with " << members << " direct members\n";
            out.flush();
            allMet = runAll(bench::wideMeasurements(), wide(folder, members, out), repeat, only, out) && allMet;
        }
        if (anyChosen(bench::catalogueMeasurements(), only)) {
            out << "== catalogues\n";
            out.flush();
            allMet = runAll(bench::catalogueMeasurements(), catalogues(folder, out), repeat, only, out) && allMet;
        }
    } catch (const db::DataError &error) {
        out.flush();
        err << "bench: " << error.text() << "\n";
        return 2;
    }
    return allMet ? 0 : 1;
}
