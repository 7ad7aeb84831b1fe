// report [--from DATE --to DATE] [--caption TEXT] DATABASE REPORT OUT.pdf
// report --xlsx [--from DATE --to DATE] DATABASE [repOrdering] OUT.xlsx
// Renders "repOrdering" (the products sold in the period, the end day
// excluded) or "repOrders" (the period's orders and refusals) to a PDF file
// with the report project beside the tool, or writes the product sales
// report's rows and columns as a workbook. Dates are 2026-03-01; without
// them the period is the one the product sales window proposes today.
// Exit status 0 on success, 1 with the engine's text on failure, 2 for
// wrong arguments.

#include "reports/Export.h"
#include "reports/RepProduct.h"
#include "reports/Reports.h"

#include "DataU.h"
#include "Messages.h"
#include "Numbers.h"
#include "UserPort.h"
#include "engine/WallClock.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QTemporaryDir>
#include <QTextStream>

#include <optional>

namespace {

const char *const kUsage =
    "Usage: report [--from DATE --to DATE] [--caption TEXT] DATABASE REPORT OUT.pdf\n"
    "       report --xlsx [--from DATE --to DATE] DATABASE [repOrdering] OUT.xlsx\n"
    "REPORT is repOrdering (products sold) or repOrders (orders and refusals); DATE is 2026-03-01,\n"
    "the period includes --from and excludes --to.\n";

struct Arguments
{
    bool xlsx = false;
    QDate from, to;
    std::optional<QString> caption;
    QString database, report, out;
};

std::optional<Arguments> parse(const QStringList &arguments, QTextStream &err)
{
    Arguments result;
    QStringList positional;
    const auto fail = [&err](const QString &why) {
        err << "report: " << why << "\n" << kUsage;
        return std::nullopt;
    };
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString &arg = arguments[i];
        if (arg == u"--xlsx") {
            result.xlsx = true;
        } else if (arg == u"--from" || arg == u"--to" || arg == u"--caption") {
            if (i + 1 >= arguments.size())
                return fail(QStringLiteral("%1 needs a value").arg(arg));
            const QString value = arguments[++i];
            if (arg == u"--caption") {
                result.caption = value;
                continue;
            }
            const QDate date = QDate::fromString(value, Qt::ISODate);
            if (!date.isValid())
                return fail(QStringLiteral("%1 is not a date such as 2026-03-01").arg(value));
            (arg == u"--from" ? result.from : result.to) = date;
        } else if (arg.startsWith(u"--")) {
            return fail(QStringLiteral("unknown option %1").arg(arg));
        } else {
            positional << arg;
        }
    }
    if (result.from.isValid() != result.to.isValid())
        return fail(QStringLiteral("--from and --to go together"));
    if (result.xlsx && result.caption)
        return fail(QStringLiteral("a workbook has no caption"));
    if (result.xlsx && positional.size() == 2)
        positional.insert(1, QStringLiteral("repOrdering"));
    if (positional.size() != 3)
        return fail(QStringLiteral("DATABASE, REPORT and the output file are needed"));
    result.database = positional[0];
    result.report = positional[1];
    result.out = positional[2];
    const bool sales = result.report.compare(QStringLiteral("repOrdering"), Qt::CaseInsensitive) == 0;
    const bool orders = result.report.compare(QStringLiteral("repOrders"), Qt::CaseInsensitive) == 0;
    if (!sales && !(orders && !result.xlsx))
        return fail(result.xlsx ? QStringLiteral("a workbook holds the product sales report (repOrdering)")
                                : QStringLiteral("%1 is not repOrdering or repOrders").arg(result.report));
    result.report = sales ? QStringLiteral("repOrdering") : QStringLiteral("repOrders");
    return result;
}

int run(const Arguments &args, QTextStream &err)
{
    try {
        // The data module works on DB2.mdb and repOrder.rav in its program
        // folder: a folder of its own holds links to the two files.
        const QString project = QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("repOrder.rav"));
        if (!QFileInfo(args.database).isFile())
            throw db::DataError(QStringLiteral("The database %1 cannot be found.").arg(args.database));
        if (!args.xlsx && !QFileInfo(project).isFile())
            throw db::DataError(QStringLiteral("The report project file %1 cannot be found.").arg(project));
        QTemporaryDir folder;
        if (!folder.isValid())
            throw db::DataError(QStringLiteral("No temporary folder can be made: %1").arg(folder.errorString()));
        const QString programFolder = folder.path() + u'/';
        QFile::link(QFileInfo(args.database).absoluteFilePath(), programFolder + QStringLiteral("DB2.mdb"));
        QFile::link(project, programFolder + QStringLiteral("repOrder.rav"));

        ConsoleUserPort port;
        TData data(programFolder + QStringLiteral("quorvel"), port);
        data.connect();
        QDate from = args.from, to = args.to;
        if (!from.isValid())
            std::tie(from, to) = TfrmRepProduct::defaultPeriod(data.clock());
        const QDateTime begin = db::wallClock(from), end = db::wallClock(to);
        data.ReportCaption =
            args.caption.value_or(FormatMessage(Messages().lPeriodCaption, {FormatShortDate(from), FormatShortDate(to)}));

        if (args.report == u"repOrdering") {
            db::Dataset *sales = data.qRepProduct;
            sales->param(QStringLiteral("datebegin")).setValue(begin);
            sales->param(QStringLiteral("dateend")).setValue(end);
            sales->open();
        } else {
            // The period as the orders journal filters it.
            db::Dataset *orders = data.qOrders;
            orders->setFilterText(QStringLiteral("ordersdate >= ") + FormatDateTimeDefault(begin)
                                  + QStringLiteral(" and ordersdate < ") + FormatDateTimeDefault(end));
            orders->open();
        }

        if (args.xlsx) {
            std::vector<db::Field *> fields;
            for (int i = 0; i < data.qRepProduct->fieldCount(); ++i)
                if (data.qRepProduct->fieldAt(i)->isVisible())
                    fields.push_back(data.qRepProduct->fieldAt(i));
            // The sink's own failure speaks of starting a spreadsheet program;
            // here only the file is at stake.
            const QString out = QFileInfo(args.out).absoluteFilePath();
            std::optional<XlsxSink> sink;
            try {
                sink.emplace(out);
            } catch (const db::DataError &) {
                throw db::DataError(QStringLiteral("The workbook %1 cannot be written.").arg(out));
            }
            ExportDataset(*data.qRepProduct, fields, *sink);
            try {
                sink->show();
            } catch (const db::DataError &) {
                throw db::DataError(QStringLiteral("The workbook %1 cannot be written.").arg(out));
            }
        } else if (RenderReport(data, args.report, QFileInfo(args.out).absoluteFilePath()) == 0) {
            throw db::DataError(QStringLiteral("The report project %1 holds no report %2.").arg(project, args.report));
        }
        return 0;
    } catch (const db::DataError &error) {
        err << "report: " << error.text() << "\n";
    }
    return 1;
}

} // namespace

int main(int argc, char *argv[])
{
    // Pages are laid out with fonts, which need the window system's font
    // database but no screen.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    QTextStream err(stderr);
    err.setEncoding(QStringConverter::Utf8);
    const std::optional<Arguments> arguments = parse(app.arguments().mid(1), err);
    if (!arguments)
        return 2;
    return run(*arguments, err);
}
