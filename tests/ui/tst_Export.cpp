// "To Excel": the grids' cells as the spreadsheet receives them (captured
// from the sink), and the workbook file as a spreadsheet program reads it.
#include "ReadBack.h"
#include "UiTestSupport.h"
#include "Messages.h"
#include "reports/Export.h"
#include "widgets/qubDBGrid.h"

#include <QHeaderView>
#include <QScrollBar>
#include <QStandardItemModel>
#include <QTemporaryDir>
#include <QtTest>

using ui_test::TestDatabase;

namespace {

using Cells = QMap<QPair<int, int>, QVariant>;

/// Keeps the cells an export writes; fails at the first cell of `failAtRow`.
struct Capture
{
    Cells cells;
    bool shown = false;
    int failAtRow = 0;
};

class CapturingSink : public SpreadsheetSink
{
public:
    explicit CapturingSink(Capture &capture) : m_capture(capture) {}
    void setCell(int row, int column, const QVariant &value) override
    {
        if (row == m_capture.failAtRow)
            throw db::DataError(QStringLiteral("The spreadsheet program was closed"));
        if (value.isValid() && !value.isNull())
            m_capture.cells.insert({row, column}, value);
    }
    void show() override { m_capture.shown = true; }

private:
    Capture &m_capture;
};

QVariant cell(const Cells &cells, int row, int column)
{
    return cells.value({row, column});
}

} // namespace

class tst_Export : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        m_capture = Capture{};
        setSpreadsheetFactory([this] { return std::make_unique<CapturingSink>(m_capture); });
    }

    void cleanup()
    {
        setSpreadsheetFactory({});
        setWorkbookOpener({});
    }

    // Visible columns in the header's order, filtered rows in the dataset's
    // order, each value in its own type; the grid stays where it was.
    void dbGrid_visualOrderFilteredTypedRowsAndTheGridUnmoved()
    {
        TestDatabase db;
        db.addThreeCustomers();
        QString values;
        for (int id = 1; id <= 60; ++id)
            values += QStringLiteral("%1(%2, '1', %3, %4, '2024-03-%5 %6')")
                          .arg(id == 1 ? "" : ",")
                          .arg(id)
                          .arg(id * 1.5)
                          .arg(id % 3 == 0 ? 1 : 0)
                          .arg(id % 28 + 1, 2, 10, QLatin1Char('0'))
                          .arg(id == 2 ? "09:30:00.000" : "00:00:00.000");
        db.exec("insert into orders (id, id_customer, totalsum, refusal, ordersdate) values " + values);
        db.exec("update orders set ordersdate = null where id = 4");
        auto orders = db.orders();
        orders->setFilterText(QStringLiteral("id_customer = '1'"));
        orders->setOnFilterRecord([](db::Dataset &d) { return d.field("id")->asInteger() % 5 != 0; });
        orders->setFiltered(true);
        orders->open();
        db::DataSource source(orders.get(), QStringLiteral("dsOrders"));
        TqubDBGrid grid;
        grid.setDataSource(&source);
        grid.resize(400, 200);
        grid.show();
        QVERIFY(QTest::qWaitForWindowExposed(&grid));
        // Shown: Orders Date, Order ID, Refusal (Total Sum hidden).
        grid.horizontalHeader()->moveSection(3, 0);
        grid.horizontalHeader()->setSectionHidden(1, true);
        orders->moveTo(30);
        grid.verticalScrollBar()->setValue(7);
        const int scrolled = grid.verticalScrollBar()->value();

        ExportDBGrid(grid);

        QVERIFY(m_capture.shown);
        QCOMPARE(cell(m_capture.cells, 1, 1), QVariant("Orders Date"));
        QCOMPARE(cell(m_capture.cells, 1, 2), QVariant("Order ID"));
        QCOMPARE(cell(m_capture.cells, 1, 3), QVariant("Refusal"));
        QVERIFY(!m_capture.cells.contains({1, 4}));
        QCOMPARE(m_capture.cells.lastKey().first, orders->recordCount() + 1);
        QCOMPARE(orders->recordCount(), 48);
        // Sheet row 2 is order 1, row 3 order 2 (with its time), row 4 order
        // 3 (a refusal), row 5 order 4 (no date: no cell), row 6 order 6.
        QCOMPARE(cell(m_capture.cells, 2, 2), QVariant(1));
        QCOMPARE(cell(m_capture.cells, 3, 1).toDateTime(), QDateTime(QDate(2024, 3, 3), QTime(9, 30)));
        QCOMPARE(cell(m_capture.cells, 4, 3), QVariant(true));
        QCOMPARE(cell(m_capture.cells, 2, 3), QVariant(false));
        QVERIFY(!m_capture.cells.contains({5, 1}));
        QCOMPARE(cell(m_capture.cells, 6, 2), QVariant(6));
        QCOMPARE(cell(m_capture.cells, 2, 2).typeId(), int(QMetaType::Int));
        QCOMPARE(cell(m_capture.cells, 2, 1).typeId(), int(QMetaType::QDateTime));
        QCOMPARE(orders->currentIndex(), 30);
        QCOMPARE(grid.verticalScrollBar()->value(), scrolled);
        QCOMPARE(grid.currentIndex().row(), 30);
        QVERIFY(!orders->controlsDisabled());

        // A failure midway: the grid as it was, and no workbook shown.
        m_capture = Capture{};
        m_capture.failAtRow = 10;
        QVERIFY_THROWS_EXCEPTION(db::DataError, ExportDBGrid(grid));
        QVERIFY(!m_capture.shown);
        QCOMPARE(orders->currentIndex(), 30);
        QCOMPARE(grid.verticalScrollBar()->value(), scrolled);
        QVERIFY(!orders->controlsDisabled());

        // Nothing passes the filter: the title row alone.
        m_capture = Capture{};
        orders->setFilterText(QStringLiteral("id_customer = '9'"));
        ExportDBGrid(grid);
        QVERIFY(m_capture.shown);
        QCOMPARE(m_capture.cells.size(), 3);
        QCOMPARE(m_capture.cells.lastKey(), qMakePair(1, 3));
    }

    // Titles first, every column of the model; numbers where IsNumberText
    // says so, in the program's locale.
    void stringGrid_titlesThenCellsNumbersAsNumbers()
    {
        testing_support::LocaleGuard locale(testing_support::pointLocale());
        QStandardItemModel model(2, 3);
        model.setHorizontalHeaderLabels({"Level", "ID", "Name"});
        const QStringList first{" 7 ", "007", "7 pts"};
        for (int c = 0; c < 3; ++c)
            model.setItem(0, c, new QStandardItem(first[c]));
        model.setItem(1, 0, new QStandardItem(QStringLiteral("=1+2")));
        ExportStringGrid(model);
        QVERIFY(m_capture.shown);
        QCOMPARE(cell(m_capture.cells, 1, 1), QVariant("Level"));
        QCOMPARE(cell(m_capture.cells, 1, 3), QVariant("Name"));
        QCOMPARE(cell(m_capture.cells, 2, 1), QVariant(7.0));
        QCOMPARE(cell(m_capture.cells, 2, 2), QVariant(7.0));
        QCOMPARE(cell(m_capture.cells, 2, 3), QVariant("7 pts"));
        QCOMPARE(cell(m_capture.cells, 3, 1), QVariant("=1+2"));
        QCOMPARE(m_capture.cells.size(), 7);

        // Two columns of titles and one member: two sheet rows of two cells.
        m_capture = Capture{};
        QStandardItemModel small(1, 2);
        small.setHorizontalHeaderLabels({"ID", "Name"});
        small.setItem(0, 0, new QStandardItem("12"));
        small.setItem(0, 1, new QStandardItem("Иванов"));
        ExportStringGrid(small);
        QCOMPARE(m_capture.cells.keys(), (QList<QPair<int, int>>{{1, 1}, {1, 2}, {2, 1}, {2, 2}}));
    }

    // "1,5" looks like a number but a full-stop locale cannot read it: the
    // error, and the workbook shown with what was written before it.
    void stringGrid_unreadableNumber_ErrorAfterShowingTheCellsSoFar()
    {
        testing_support::LocaleGuard locale(testing_support::pointLocale());
        QStandardItemModel model(1, 3);
        model.setHorizontalHeaderLabels({"A", "B", "C"});
        model.setItem(0, 0, new QStandardItem("5"));
        model.setItem(0, 1, new QStandardItem("1,5"));
        try {
            ExportStringGrid(model);
            QFAIL("the export went through");
        } catch (const db::DataError &error) {
            QCOMPARE(error.text(), QStringLiteral("'1,5' is not a valid floating point value"));
        }
        QVERIFY(m_capture.shown);
        QCOMPARE(cell(m_capture.cells, 2, 1), QVariant(5.0));
        QCOMPARE(m_capture.cells.size(), 4);

        // Where the comma is the decimal separator it is one and a half.
        testing_support::LocaleGuard comma(testing_support::commaLocale());
        m_capture = Capture{};
        ExportStringGrid(model);
        QCOMPARE(cell(m_capture.cells, 2, 2), QVariant(1.5));
    }

    void isNumberText_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("number");
        QTest::newRow("digits") << "12" << true;
        QTest::newRow("comma") << "1,5" << true;
        QTest::newRow("commas") << "1,2,3" << true;
        QTest::newRow("blanks around") << " 7 " << true;
        QTest::newRow("leading zeros") << "007" << true;
        QTest::newRow("full stop") << "12.5" << false;
        QTest::newRow("minus") << "-3" << false;
        QTest::newRow("leading comma") << ",5" << false;
        QTest::newRow("trailing comma") << "5," << false;
        QTest::newRow("unit") << "7 pts" << false;
        QTest::newRow("empty") << "" << false;
        QTest::newRow("blank") << "  " << false;
        QTest::newRow("Arabic-Indic digit") << QString::fromUtf8("\u0667") << false;
    }

    void isNumberText()
    {
        QFETCH(QString, text);
        QFETCH(bool, number);
        QCOMPARE(IsNumberText(text), number);
    }

    // The file a spreadsheet program opens: strings (never formulas),
    // numbers, logical values and date cells in the user's date format.
    void workbook_readBackTypesDatesAndTextsAsTexts()
    {
        setSpreadsheetFactory({});
        QTemporaryDir folder;
        QString opened;
        setWorkbookOpener([&opened](const QString &path) {
            opened = path;
            return true;
        });
        QStandardItemModel model(1, 2);
        model.setHorizontalHeaderLabels({"Name", "Formula"});
        model.setItem(0, 0, new QStandardItem(QStringLiteral("Лебедева Марина")));
        model.setItem(0, 1, new QStandardItem(QStringLiteral("=HYPERLINK(\"http://x\",\"y\")")));
        ExportStringGrid(model);
        QVERIFY(QFileInfo(opened).isFile());
        QVERIFY(opened.endsWith(".xlsx"));
        const auto grid = testing_support::xlsxCells(opened);
        QFile::remove(opened);
        QCOMPARE(grid.value("A2").value, QStringLiteral("Лебедева Марина"));
        QCOMPARE(grid.value("B2").type, QStringLiteral("s"));
        QVERIFY(!grid.value("B2").formula);
        QCOMPARE(grid.value("B2").value, QStringLiteral("=HYPERLINK(\"http://x\",\"y\")"));

        const QString path = folder.filePath("typed.xlsx");
        {
            XlsxSink sink(path);
            sink.setCell(1, 1, QStringLiteral("=1+2"));
            sink.setCell(1, 2, 2.5);
            sink.setCell(1, 3, true);
            sink.setCell(2, 1, QDateTime(QDate(2026, 3, 1), QTime(0, 0)));
            sink.setCell(2, 2, QDateTime(QDate(2026, 3, 1), QTime(14, 5)));
            sink.setCell(2, 3, QVariant());
            sink.setCell(2, 4, 42);
            QVERIFY(!QFile::exists(path)); // not before it is whole
            sink.show();
        }
        const auto cells = testing_support::xlsxCells(path);
        QCOMPARE(cells.value("A1").type, QStringLiteral("s"));
        QCOMPARE(cells.value("A1").value, QStringLiteral("=1+2"));
        QVERIFY(!cells.value("A1").formula);
        QCOMPARE(cells.value("B1").type, QStringLiteral("n"));
        QCOMPARE(cells.value("B1").value.toDouble(), 2.5);
        QCOMPARE(cells.value("C1").type, QStringLiteral("b"));
        QCOMPARE(cells.value("C1").value, QStringLiteral("1"));
        // 1 March 2026 is day 46082 of the spreadsheet calendar.
        QCOMPARE(cells.value("A2").value.toDouble(), 46082.0);
        QCOMPARE(cells.value("A2").numberFormat, 14);
        QVERIFY(qAbs(cells.value("B2").value.toDouble() - (46082 + (14 * 60 + 5) / 1440.0)) < 1e-6);
        QCOMPARE(cells.value("B2").numberFormat, 22);
        QVERIFY(!cells.contains("C2"));
        QCOMPARE(cells.value("D2").value, QStringLiteral("42"));
        QCOMPARE(cells.value("D2").numberFormat, 0);
    }

    // What a worksheet cannot hold is refused, never cut; a workbook nothing
    // opens is told with its path.
    void workbook_limitsAndNoProgramToOpenIt()
    {
        setSpreadsheetFactory({});
        QTemporaryDir folder;
        {
            XlsxSink sink(folder.filePath("long.xlsx"));
            sink.setCell(1, 1, QString(32767, u'x'));
            try {
                sink.setCell(2, 1, QString(32768, u'x'));
                QFAIL("a text too long for a cell was taken");
            } catch (const db::DataError &error) {
                QVERIFY2(error.text().contains("32768"), qPrintable(error.text()));
            }
            QVERIFY_THROWS_EXCEPTION(db::DataError, sink.setCell(1048577, 1, 1));
        }
        QVERIFY(QDir(folder.path()).entryList(QDir::Files | QDir::Hidden).isEmpty());

        QString opened;
        setWorkbookOpener([&opened](const QString &path) {
            opened = path;
            return false;
        });
        QStandardItemModel model(1, 1);
        try {
            ExportStringGrid(model);
            QFAIL("a workbook nothing opened counted as shown");
        } catch (const db::DataError &error) {
            QCOMPARE(error.text(), Messages().lRunExcelError + QDir::toNativeSeparators(opened));
        }
        QFile::remove(opened);
    }

private:
    Capture m_capture;
};

QTEST_MAIN(tst_Export)
#include "tst_Export.moc"
