// The product sales report window: its default period, Make Report and its
// caption, Print's enabling, and what Print hands the report engine.
#include "ProgramFixture.h"
#include "ReadBack.h"
#include "UiTestSupport.h"

#include "reports/RepProduct.h"
#include "widgets/TDBNavigator.h"
#include "widgets/qubDBGrid.h"

#include <QAction>
#include <QDateEdit>
#include <QPushButton>
#include <QToolButton>
#include <QtTest>

#include <optional>

using app_test::TestProgram;

class tst_TfrmRepProduct : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        m_locale.emplace(testing_support::pointLocale());
        m_program = std::make_unique<TestProgram>();
        QVERIFY(QFile::copy(QStringLiteral(QUORVEL_SHIPPED_PROJECT), m_program->folder().file("repOrder.rav")));
        m_program->executeSql(
            "insert into product values ('AAA-01', 'Hand Cream', '2026-03-01 00:00:00.000', 10, 3);"
            "insert into orders (id, id_customer, refusal, ordersdate) values (1, '1', 0, '2026-03-04 00:00:00.000');"
            "insert into ordered values (1, 'AAA-01', 3, '2026-03-01 00:00:00.000');");
        m_program->startWithoutMenu();
        data().connect();
        data().clock = [] { return QDateTime(QDate(2026, 3, 5), QTime(10, 0)); };
    }

    void cleanup()
    {
        m_window.reset();
        m_program.reset();
        m_locale.reset();
    }

    void defaultPeriod_data()
    {
        QTest::addColumn<QDateTime>("now");
        QTest::addColumn<QDate>("begin");
        QTest::addColumn<QDate>("end");
        QTest::newRow("morning") << QDateTime(QDate(2026, 3, 5), QTime(10, 0)) << QDate(2026, 3, 3) << QDate(2026, 3, 7);
        QTest::newRow("a moment after midnight")
            << QDateTime(QDate(2026, 3, 5), QTime(0, 0, 0, 1)) << QDate(2026, 3, 3) << QDate(2026, 3, 7);
        QTest::newRow("midnight") << QDateTime(QDate(2026, 3, 5), QTime(0, 0)) << QDate(2026, 3, 2) << QDate(2026, 3, 6);
        QTest::newRow("new year's eve") << QDateTime(QDate(2025, 12, 31), QTime(23, 59)) << QDate(2025, 12, 29)
                                        << QDate(2026, 1, 2);
    }

    // Four days: the day before yesterday up to tomorrow, the end excluded.
    void defaultPeriod()
    {
        QFETCH(QDateTime, now);
        QFETCH(QDate, begin);
        QFETCH(QDate, end);
        data().clock = [now] { return now; };
        open();
        QCOMPARE(dateBox("dtpBegin")->date(), begin);
        QCOMPARE(dateBox("dtpEnd")->date(), end);
        QVERIFY(!m_window->printCommand()->isEnabled());
        QCOMPARE(m_window->grid()->model()->rowCount(), 0);
    }

    void layout()
    {
        open();
        m_window->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
        const auto at = [this](const char *name) {
            QWidget *widget = m_window->findChild<QWidget *>(name);
            return QRect(widget->mapTo(m_window.get(), QPoint(0, 0)), widget->size());
        };
        QVERIFY(at("dtpBegin").bottom() < at("dtpEnd").top());
        QVERIFY(at("dtpEnd").bottom() < at("btnMakeReport").top());
        QVERIFY(at("btnMakeReport").bottom() <= at("btnReports").top());
        QVERIFY(at("btnReports").right() < at("grdReport").left());
        QVERIFY(at("grdReport").bottom() < at("navReport").top());
        const auto buttons = m_window->findChild<TDBNavigator *>("navReport")->visibleButtons();
        QCOMPARE(buttons, (QList<TDBNavigator::Button>{TDBNavigator::Button::First, TDBNavigator::Button::Prior,
                                                       TDBNavigator::Button::Next, TDBNavigator::Button::Last}));
        QVERIFY(m_window->grid()->isReadOnly());
    }

    // A period that ends before it begins lists nothing, still names both dates.
    void reversedPeriod_emptyAndPrintOff()
    {
        open();
        dateBox("dtpBegin")->setDate(QDate(2026, 3, 10));
        dateBox("dtpEnd")->setDate(QDate(2026, 3, 1));
        makeReport();
        QCOMPARE(m_window->windowTitle(), QStringLiteral("Date From 10/03/2026 To 01/03/2026"));
        QCOMPARE(m_window->grid()->model()->rowCount(), 0);
        QVERIFY(!m_window->printCommand()->isEnabled());
    }

    // Print prints the last report made, under the caption it was made with,
    // whatever the dates say since.
    void print_theLastReportUnderItsCaption()
    {
        open();
        makeReport();
        QCOMPARE(m_window->grid()->model()->rowCount(), 1);
        QVERIFY(m_window->printCommand()->isEnabled());
        const QString caption = QStringLiteral("Date From 03/03/2026 To 07/03/2026");
        QCOMPARE(m_window->windowTitle(), caption);
        dateBox("dtpBegin")->setDate(QDate(2026, 1, 1));

        const QString pdf = m_program->folder().file("sales.pdf");
        ui_test::answerOutputToFile(pdf);
        m_window->findChild<QToolButton *>("btnReports")->click();
        QCOMPARE(data().ReportCaption, caption);
        const QString text = testing_support::pdfText(pdf);
        QVERIFY2(text.contains(caption) && text.contains("Hand Cream") && text.contains("35.40"), qPrintable(text));

        // A query that fails is told; Print keeps its state.
        data().disconnect();
        {
            ui_test::ModalWatch watch;
            m_window->findChild<QPushButton *>("btnMakeReport")->click();
            QCOMPARE(watch.titles.size(), 1);
        }
        QVERIFY(m_window->printCommand()->isEnabled());
    }

    void closingTheWindowClosesTheReport()
    {
        open();
        makeReport();
        QVERIFY(data().qRepProduct->isActive());
        m_window.reset();
        QVERIFY(!data().qRepProduct->isActive());
    }

private:
    TData &data() { return m_program->data(); }
    void open() { m_window = std::make_unique<TfrmRepProduct>(data()); }
    QDateEdit *dateBox(const char *name) const { return m_window->findChild<QDateEdit *>(name); }
    void makeReport() { m_window->findChild<QPushButton *>("btnMakeReport")->click(); }

    std::optional<testing_support::LocaleGuard> m_locale;
    std::unique_ptr<TestProgram> m_program;
    std::unique_ptr<TfrmRepProduct> m_window;
};

QTEST_MAIN(tst_TfrmRepProduct)
#include "tst_TfrmRepProduct.moc"
