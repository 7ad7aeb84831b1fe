// The report tool as a script runs it: a PDF file or a workbook from a
// database, and its exit codes.

#include "MakeDb.h"
#include "ReadBack.h"
#include "TestSupport.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <gtest/gtest.h>

namespace {

struct ToolRun
{
    int exitCode = -1;
    QString err;
};

ToolRun runReport(const QStringList &arguments)
{
    QProcess process;
    process.start(QStringLiteral(QUORVEL_REPORT_TOOL), arguments);
    ToolRun result;
    if (process.waitForFinished(60000) && process.exitStatus() == QProcess::NormalExit)
        result.exitCode = process.exitCode();
    result.err = QString::fromUtf8(process.readAllStandardError());
    return result;
}

class ReportTool : public ::testing::Test
{
protected:
    ReportTool() { makedb::fillDemo(database, QDate(2026, 3, 20)); }

    testing_support::ProgramFolder folder;
    const QString database = folder.file(QStringLiteral("demo.mdb"));
};

TEST_F(ReportTool, WrongArgumentsOrFailures_ExitCodeAndNoFile)
{
    const QString out = folder.file(QStringLiteral("out.pdf"));
    const struct
    {
        QStringList args;
        int exitCode;
        const char *told;
    } cases[] = {
        {{database, "repOrdering"}, 2, "Usage"},
        {{"--from", "2026-03-01", database, "repOrdering", out}, 2, "go together"},
        {{"--from", "1 March", "--to", "2026-04-01", database, "repOrdering", out}, 2, "1 March"},
        {{database, "repDep", out}, 2, "repDep"},
        {{"--xlsx", database, "repOrders", out}, 2, "repOrdering"},
        {{"--colour", database, "repOrders", out}, 2, "--colour"},
        {{folder.file("missing.mdb"), "repOrders", out}, 1, "missing.mdb"},
        {{database, "repOrders", folder.file("none/out.pdf")}, 1, "none/out.pdf"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.args.join(u' ').toStdString());
        const ToolRun run = runReport(c.args);
        EXPECT_EQ(run.exitCode, c.exitCode);
        EXPECT_TRUE(run.err.contains(QLatin1String(c.told))) << run.err.toStdString();
        EXPECT_FALSE(QFile::exists(out));
    }
}

TEST_F(ReportTool, PeriodToPdfAndWorkbook)
{
    const QString sales = folder.file(QStringLiteral("sales.pdf"));
    ToolRun run = runReport({"--from", "2026-01-01", "--to", "2026-03-21", database, "repOrdering", sales});
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_TRUE(testing_support::pdfText(sales).contains(QStringLiteral("Date From ")));

    const QString orders = folder.file(QStringLiteral("orders.pdf"));
    run = runReport({"--caption", QStringLiteral("Заказы за квартал"), "--from", "2026-01-01", "--to", "2026-03-21",
                     database, "repOrders", orders});
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_TRUE(testing_support::pdfText(orders).contains(QStringLiteral("Заказы за квартал")));
    EXPECT_GE(testing_support::pdfPageCount(orders), 2);

    // The workbook holds the window's visible columns and one row per product.
    const QString book = folder.file(QStringLiteral("sales.xlsx"));
    run = runReport({"--xlsx", "--from", "2026-01-01", "--to", "2026-03-21", database, book});
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    const auto cells = testing_support::xlsxCells(book);
    EXPECT_EQ(cells.value("A1").value, QStringLiteral("Product ID"));
    EXPECT_EQ(cells.value("F1").value, QStringLiteral("Full Price"));
    EXPECT_FALSE(cells.contains("G1"));
    EXPECT_EQ(cells.value("C2").type, QStringLiteral("n"));
    EXPECT_EQ(cells.value("A2").type, QStringLiteral("s"));
}

} // namespace
