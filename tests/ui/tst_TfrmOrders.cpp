// The orders journal: opened from the main window, the period and the two
// filter boxes, the totals of what is shown, refusal colours, and the
// header dataset closed again with the window.

#include "ProgramFixture.h"
#include "UiTestSupport.h"

#include "DataU.h"
#include "app/MainU.h"
#include "app/MenuU.h"
#include "catalogue/RefU.h"
#include "orders/OrdersU.h"
#include "widgets/qubDBGrid.h"

#include <QAction>
#include <QApplication>
#include <QDateEdit>
#include <QHeaderView>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QTest>
#include <QToolButton>

using namespace ui_test;
using app_test::TestProgram;

namespace {

// "Today" for every test: the journal's period is counted from it.
const QDate kToday(2024, 5, 15);

QString storedDay(int daysFromToday)
{
    return kToday.addDays(daysFromToday).toString(QStringLiteral("yyyy-MM-dd")) + QStringLiteral(" 00:00:00.000");
}

} // namespace

class TestTfrmOrders : public QObject
{
    Q_OBJECT

private slots:
    void init() { m_locale = std::make_unique<testing_support::LocaleGuard>(testing_support::pointLocale()); }
    void cleanup()
    {
        m_program.reset();
        m_locale.reset();
    }

    void opensWithTheLastFourDays()
    {
        start();
        // Headers numbered by their day: -4 (too old) to +1 (tomorrow).
        QCOMPARE(shownOrders(), (QStringList{"2", "3", "4", "5"}));
        QCOMPARE(journal()->beginDate(), kToday.addDays(-3));
        QCOMPARE(journal()->endDate(), kToday.addDays(1));
        QCOMPARE(journal()->windowTitle(), QStringLiteral("Orders and Refusals"));
    }

    void thePeriodFilterIsWrittenInTheLocalesDates_data()
    {
        QTest::addColumn<QLocale>("locale");
        QTest::addColumn<QString>("filter");
        QTest::newRow("dd/MM/yyyy") << testing_support::pointLocale()
                                    << "ordersdate >= 12/05/2024 and ordersdate < 16/05/2024";
        QTest::newRow("dd.MM.yyyy") << testing_support::commaLocale()
                                    << "ordersdate >= 12.05.2024 and ordersdate < 16.05.2024";
    }

    void thePeriodFilterIsWrittenInTheLocalesDates()
    {
        QFETCH(QLocale, locale);
        QFETCH(QString, filter);
        testing_support::LocaleGuard guard(locale);
        start();
        QCOMPARE(m_program->data().qOrders->filterText(), filter);
        QCOMPARE(shownOrders(), (QStringList{"2", "3", "4", "5"}));
    }

    void aDayWithoutALocalMidnightIsShown()
    {
        // Clocks in Santiago jumped from 00:00 to 01:00 on 3 September 2023.
        testing_support::ZoneGuard zone("America/Santiago");
        if (!zone.active())
            QSKIP("The machine has no America/Santiago zone");
        start();
        m_program->executeSql(QStringLiteral("insert into orders (id, id_customer, totalsum, refusal, ordersdate) "
                                             "values (9, 'S', 3, 0, '2023-09-03 00:00:00.000')"));
        m_program->data().qOrders->requery();
        journal()->findChild<QDateEdit *>(QStringLiteral("dtpBegin"))->setDate(QDate(2023, 9, 3));
        journal()->findChild<QDateEdit *>(QStringLiteral("dtpEnd"))->setDate(QDate(2023, 9, 4));
        QCOMPARE(shownOrders(), QStringList{"9"});
        QCOMPARE(totals(), (QStringList{"3", "3", "0"}));
    }

    void theGridShowsTheHeaderFields()
    {
        start();
        const QAbstractItemModel *model = journal()->grid()->model();
        QStringList titles;
        for (int c = 0; c < model->columnCount(); ++c)
            titles << model->headerData(c, Qt::Horizontal).toString();
        QCOMPARE(titles, (QStringList{"Order ID", "Customer Name", "Total Sum", "Total Points", "Refusal",
                                      "Orders Date"}));
        QVERIFY(journal()->grid()->isReadOnly());
        QVERIFY(!(journal()->grid()->options() & TqubDBGrid::Option::Editing));
    }

    void periods_data()
    {
        QTest::addColumn<int>("begin");
        QTest::addColumn<int>("end");
        QTest::addColumn<QStringList>("shown");
        QTest::newRow("one day") << 0 << 1 << QStringList{"5"};
        QTest::newRow("the same day twice shows nothing") << 0 << 0 << QStringList{};
        QTest::newRow("a reversed period shows nothing") << 1 << -2 << QStringList{};
        QTest::newRow("the whole week") << -7 << 7 << QStringList{"1", "2", "3", "4", "5", "6"};
    }

    void periods()
    {
        QFETCH(int, begin);
        QFETCH(int, end);
        QFETCH(QStringList, shown);
        start();
        journal()->findChild<QDateEdit *>(QStringLiteral("dtpBegin"))->setDate(kToday.addDays(begin));
        journal()->findChild<QDateEdit *>(QStringLiteral("dtpEnd"))->setDate(kToday.addDays(end));
        QCOMPARE(shownOrders(), shown);
        if (shown.isEmpty())
            QCOMPARE(totals(), (QStringList{"0", "0", "0"}));
    }

    void theBoxesMatchWholeValuesOnly_data()
    {
        QTest::addColumn<QString>("customer");
        QTest::addColumn<QString>("number");
        QTest::addColumn<QStringList>("shown");
        QTest::newRow("a customer") << "Smith" << "" << QStringList{"2", "4"};
        QTest::newRow("a longer name is another customer") << "Smithson" << "" << QStringList{};
        QTest::newRow("the case counts") << "smith" << "" << QStringList{};
        QTest::newRow("part of a name") << "Smi" << "" << QStringList{};
        QTest::newRow("a shared name shows both customers") << "Иванова" << "" << QStringList{"3", "5"};
        QTest::newRow("a number") << "" << "3" << QStringList{"3"};
        QTest::newRow("leading zeros") << "" << "03" << QStringList{};
        QTest::newRow("a blank") << "" << " 3" << QStringList{};
        QTest::newRow("both boxes") << "Smith" << "4" << QStringList{"4"};
    }

    void theBoxesMatchWholeValuesOnly()
    {
        QFETCH(QString, customer);
        QFETCH(QString, number);
        QFETCH(QStringList, shown);
        start();
        typeText(journal()->findChild<QLineEdit *>(QStringLiteral("Customer")), customer);
        typeText(journal()->findChild<QLineEdit *>(QStringLiteral("id")), number);
        QCOMPARE(shownOrders(), shown);
    }

    void totalsFollowWhatIsShown()
    {
        start();
        // 2: 100 (Smith), 3: refusal -40 (Иванова), 4: 0 (Smith), 5: 12.5 (the other Иванова)
        QCOMPARE(totals(), (QStringList{"72.5", "112.5", "-40"}));
        typeText(journal()->findChild<QLineEdit *>(QStringLiteral("Customer")), QStringLiteral("Smith"));
        QCOMPARE(totals(), (QStringList{"100", "100", "0"}));

        // A header deleted anywhere takes its sum off step by step.
        QVERIFY(m_program->data().qOrders->locate(QStringLiteral("id"), 2));
        m_program->data().qOrders->remove();
        QCOMPARE(totals(), (QStringList{"0", "0", "0"}));
    }

    void theBottomButtonsCarryTheMainWindowsCommands()
    {
        start();
        const QList<QPair<QString, QString>> buttons{
            {"btnPrint", "actPrint"}, {"btnAddOrder", "actInsert"}, {"btnAddRefusal", "actInsertRefusal"}};
        app_test::waitForIdle();
        for (const auto &[button, command] : buttons) {
            auto *tool = journal()->findChild<QToolButton *>(button);
            QVERIFY(tool->isVisible());
            QCOMPARE(tool->defaultAction(), m_program->command(command));
            QCOMPARE(tool->text(), TfrmMain::commandCaption(m_program->command(command)));
            QVERIFY(tool->isEnabled()); // the journal is open
        }
    }

    void doubleClickAndEnterEditTheOrder()
    {
        start();
        int edits = 0;
        QAction *edit = m_program->command(QStringLiteral("actEdit"));
        m_program->main().setCommandAction(edit, [&](QAction *sender) {
            QCOMPARE(sender, edit);
            ++edits;
        });
        emit journal()->grid()->gridDoubleClicked();
        QTest::keyClick(journal()->grid(), Qt::Key_Return);
        QCOMPARE(edits, 2);
    }

    void refusalsAreDrawnInTheTooltipColours()
    {
        start();
        TqubDBGrid *grid = journal()->grid();
        grid->setFocus();
        m_program->data().qOrders->first(); // the focused cell is on order 2, an order
        QApplication::processEvents();
        const QImage image = grid->viewport()->grab().toImage();
        const QColor tooltip = QApplication::palette().color(QPalette::ToolTipBase);
        const int refusalRow = 1; // order 3
        const QRect name = grid->visualRect(grid->model()->index(refusalRow, 1));
        QCOMPARE(image.pixelColor(name.bottomRight() - QPoint(2, 2)), tooltip);
        const QRect box = grid->visualRect(grid->model()->index(refusalRow, 4));
        QCOMPARE(image.pixelColor(box.topLeft() + QPoint(2, 2)), tooltip); // the check box sits on it
        const QRect order = grid->visualRect(grid->model()->index(2, 1));
        QVERIFY(image.pixelColor(order.bottomRight() - QPoint(2, 2)) != tooltip);
    }

    void theCustomerButtonFillsTheCustomerBox()
    {
        start();
        QString caption;
        onNextModal([&](QWidget *modal) {
            caption = modal->windowTitle();
            m_program->data().qCustomer->locate(QStringLiteral("id"), QStringLiteral("S"));
            qobject_cast<TfrmRef *>(modal)->chooseCommand()->trigger();
        });
        journal()->findChild<QToolButton *>(QStringLiteral("btnCustomer"))->click();
        QCOMPARE(caption, QStringLiteral("Клиенты"));
        QCOMPARE(journal()->findChild<QLineEdit *>(QStringLiteral("Customer"))->text(), QStringLiteral("Smith"));
        QCOMPARE(shownOrders(), (QStringList{"2", "4"}));
    }

    void closingPutsTheHeadersAway()
    {
        start();
        QMdiSubWindow *subWindow = m_program->main().mdiArea()->activeSubWindow();
        QVERIFY(m_program->data().qOrders->isActive());
        subWindow->close();
        QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QCOMPARE(m_program->main().childWindowCount(), 1);
        QVERIFY(!m_program->data().qOrders->isActive());
        QCOMPARE(m_program->data().qOrders->filterText(), QString());
        // A journal opened again starts afresh.
        runOrders();
        QCOMPARE(shownOrders(), (QStringList{"2", "3", "4", "5"}));
    }

    void headersThatCannotBeReadOpenNoJournal_data()
    {
        QTest::addColumn<bool>("connected");
        QTest::addColumn<QString>("message");
        QTest::newRow("disconnected") << false << "Connection failure";
        QTest::newRow("connected") << true << "Error";
    }

    void headersThatCannotBeReadOpenNoJournal()
    {
        QFETCH(bool, connected);
        QFETCH(QString, message);
        m_program = std::make_unique<TestProgram>();
        m_program->start();
        if (connected) {
            m_program->data().connect();
            // The headers' statement fails while the connection stays.
            m_program->data().ADOConnection.execute(QStringLiteral("alter table orders rename to orders_gone"));
        }
        ModalWatch watch;
        runOrders();
        QCOMPARE(watch.texts, QStringList{message});
        QCOMPARE(m_program->main().childWindowCount(), 1);
        QVERIFY(!m_program->data().qOrders->isActive());
    }

    // A journal is made without touching data, so that no caller can meet
    // an exception from its constructor; opening it is a step of its own.
    void makingTheJournalTouchesNoData()
    {
        m_program = std::make_unique<TestProgram>();
        m_program->start();
        std::unique_ptr<TfrmOrders> journal;
        QVERIFY_THROWS_NO_EXCEPTION(journal = std::make_unique<TfrmOrders>(m_program->data()));
        QVERIFY(!m_program->data().qOrders->isActive());
        ModalWatch watch;
        QVERIFY(!journal->open());
        QCOMPARE(watch.texts, QStringList{"Connection failure"});
    }

    void theStartMenuOpensTheJournal()
    {
        start(false);
        m_program->menu().findChild<QPushButton *>(QStringLiteral("btnOrders"))->click();
        QCOMPARE(m_program->main().childWindowCount(), 2);
        m_program->menu().findChild<QPushButton *>(QStringLiteral("btnOrders"))->click();
        QCOMPARE(m_program->main().childWindowCount(), 2); // brought forward, not opened twice

        QStringList run;
        m_program->main().setCommandAction(m_program->command(QStringLiteral("actInsertRefusal")),
                                           [&](QAction *) { run << QStringLiteral("insert refusal"); });
        m_program->menu().findChild<QPushButton *>(QStringLiteral("btnNewRefuse"))->click();
        QCOMPARE(run, QStringList{"insert refusal"});
        QCOMPARE(m_program->main().childWindowCount(), 2);
    }

    void ordersRestoresAMinimizedJournal()
    {
        start();
        QMdiSubWindow *frame = m_program->main().mdiArea()->activeSubWindow();
        const QSize size = frame->size();
        frame->showMinimized();
        m_program->main().mdiArea()->setActiveSubWindow(m_program->menu().subWindow());

        m_program->menu().findChild<QPushButton *>(QStringLiteral("btnOrders"))->click();
        QVERIFY(!frame->isMinimized());
        QCOMPARE(frame->size(), size);
        QCOMPARE(m_program->main().mdiArea()->activeSubWindow(), frame);
        QCOMPARE(m_program->main().childWindowCount(), 2);
    }

    void theJournalFollowsTheConnection()
    {
        start();
        QCOMPARE(totals(), (QStringList{"72.5", "112.5", "-40"}));
        ModalWatch watch;
        m_program->main().runCommand(m_program->command(QStringLiteral("actDisconnect")));
        QCOMPARE(totals(), (QStringList{"0", "0", "0"}));
        QCOMPARE(m_program->data().JournalTotal, 0.0);
        // Changing the period while closed counts nothing and reports nothing.
        journal()->findChild<QDateEdit *>(QStringLiteral("dtpBegin"))->setDate(kToday.addDays(-4));

        // An order stored meanwhile by another program is among those shown again.
        m_program->executeSql(QStringLiteral("insert into orders (id, id_customer, totalsum, refusal, ordersdate) "
                                             "values (7, 'S', 10, 0, '%1')")
                                  .arg(storedDay(0)));
        m_program->main().runCommand(m_program->command(QStringLiteral("actConnect")));
        QCOMPARE(shownOrders(), (QStringList{"1", "2", "3", "4", "5", "7"}));
        QCOMPARE(totals(), (QStringList{"89.5", "129.5", "-40"}));
        QCOMPARE(m_program->data().JournalTotal, 89.5);
        QVERIFY(watch.texts.isEmpty());
    }

private:
    void start(bool openJournal = true)
    {
        m_program = std::make_unique<TestProgram>();
        m_program->executeSql(QStringLiteral(
            "insert into customer (id, sname) values ('S', 'Smith'), ('I1', 'Иванова'), ('I2', 'Иванова')"));
        m_program->executeSql(QStringLiteral("insert into orders (id, id_customer, totalsum, refusal, ordersdate) "
                                             "values (1, 'S', 7, 0, '%1'), (2, 'S', 100, 0, '%2'), "
                                             "(3, 'I1', -40, 1, '%3'), (4, 'S', 0, 0, '%4'), "
                                             "(5, 'I2', 12.5, 0, '%5'), (6, 'S', 9, 0, '%6')")
                                  .arg(storedDay(-4), storedDay(-3), storedDay(-2), storedDay(-1), storedDay(0),
                                       storedDay(1)));
        m_program->start();
        m_program->data().clock = [] { return QDateTime(kToday, QTime(14, 30)); };
        m_program->data().connect();
        if (openJournal)
            runOrders();
    }

    void runOrders() { m_program->main().runCommand(m_program->command(QStringLiteral("actOrders"))); }

    TfrmOrders *journal()
    {
        for (QMdiSubWindow *subWindow : m_program->main().mdiArea()->subWindowList())
            if (auto *orders = qobject_cast<TfrmOrders *>(subWindow->widget()))
                return orders;
        return nullptr;
    }

    QStringList shownOrders()
    {
        db::Dataset *orders = m_program->data().qOrders;
        QStringList ids;
        for (int i = 0; i < orders->recordCount(); ++i)
            ids << orders->valueAt(i, orders->field(QStringLiteral("id"))).toString();
        return ids;
    }

    QStringList totals()
    {
        QStringList texts;
        for (const char *box : {"edSum", "edOrdered", "edRefused"})
            texts << journal()->findChild<QLineEdit *>(QLatin1String(box))->text();
        return texts;
    }

    std::unique_ptr<testing_support::LocaleGuard> m_locale;
    std::unique_ptr<TestProgram> m_program;
};

QTEST_MAIN(TestTfrmOrders)
#include "tst_TfrmOrders.moc"
