// Start-up of the program with its localization file: a process that makes
// the data module, the main window and the start menu as the program does,
// first with the file a first start leaves and then with it grown to 10 MB.

#include "Bench.h"

#include "DataU.h"
#include "Localization.h"
#include "app/MainU.h"
#include "app/MenuU.h"
#include "app/QtUserPort.h"

#include "engine/Errors.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

namespace bench {

namespace {

QString ms(double seconds)
{
    return QString::number(seconds * 1000, 'f', 1) + QStringLiteral(" ms");
}

/// Runs this program again to start the windows in `folder` once: the time
/// a user waits includes making the process and the window system's set-up.
void startProgram(const QString &folder)
{
    QProcess process;
    process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    process.setStandardOutputFile(QProcess::nullDevice());
    process.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--start-program"), folder});
    if (!process.waitForFinished(-1) || process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0)
        throw db::DataError(QStringLiteral("start-up in %1 failed").arg(folder));
}

} // namespace

int startProgramOnce(const QString &folder)
{
    QtUserPort port;
    TData data(QDir(folder).filePath(QStringLiteral("quorvel")), port);
    TfrmMain main(data, {});
    main.show();
    new TfrmMenu(main);
    QApplication::processEvents();
    return 0;
}

bool startup(int repeat, QTextStream &out)
{
    QTemporaryDir folder;
    const QString locPath = folder.filePath(LocCatalogue::FileName);

    const Timing first = time(1, [&] { QFile::remove(locPath); startProgram(folder.path()); });
    const Timing normal = time(repeat, [&] { startProgram(folder.path()); });
    const qint64 normalSize = QFile(locPath).size();

    // A translator's file grown large: many more keys than the program asks for.
    {
        QFile loc(locPath);
        if (!loc.open(QIODevice::Append))
            return false;
        QByteArray filler;
        for (int i = 0; loc.size() + filler.size() < 10'000'000; ++i) {
            filler += "[Glossary" + QByteArray::number(i / 1000) + "]\r\n";
            for (int k = 0; k < 1000; ++k)
                filler += "term" + QByteArray::number(k) + "='" + QByteArray(60, 'x') + "'\r\n";
        }
        loc.write(filler);
    }
    const qint64 largeSize = QFile(locPath).size();
    const Timing large = time(repeat, [&] { startProgram(folder.path()); });

    const double ratio = large.median / normal.median;
    const bool met = ratio <= 2;
    out << "  first start (fills the file)  " << ms(first.median) << "\n"
        << "  start-up, " << QString::number(normalSize / 1024) << " KiB loc       " << ms(normal.median)
        << " (best " << ms(normal.best) << ")\n"
        << "  start-up, " << QString::number(largeSize / 1024 / 1024) << " MiB loc        " << ms(large.median)
        << " (best " << ms(large.best) << ")\n"
        << "  ratio                         " << QString::number(ratio, 'f', 2)
        << (met ? "  (target: within 2x: met)\n" : "  (target: within 2x: MISSED)\n");
    return met;
}

} // namespace bench
