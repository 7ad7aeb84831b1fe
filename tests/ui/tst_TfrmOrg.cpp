// The organization window: moving customers with the mouse (also against a
// tree older than the table), finding them, the tree's bookkeeping, the
// level view, page switching and hints, and the points for a period.

#include "ProgramFixture.h"
#include "ScriptedPort.h"
#include "UiTestSupport.h"

#include "DataU.h"
#include "organization/Customer.h"
#include "organization/DriveCustU.h"
#include "organization/OrgU.h"
#include "widgets/HintU.h"
#include "widgets/TDBNavigator.h"
#include "widgets/qubDBGrid.h"

#include <QAction>
#include <QApplication>
#include <QSet>
#include <QTreeWidgetItemIterator>
#include <QWindow>
#include <QDateEdit>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTimer>
#include <QTabWidget>
#include <QTest>
#include <QTreeWidget>

using namespace ui_test;
using app_test::TestProgram;

namespace {

// Top: 1 Ann, 2 Bob, 05 Zoe, 06 O'Neil. Ann's line: 10 Carl, 11 Dora, 12
// Smith. Bob's: 20 Smyth, 30 O'Brien. 40 and 41 sponsor each other.
const char *const kCustomers =
    "insert into customer (id, id_customer, sname, totalpoints) values "
    "('1', NULL, 'Ann', 1), ('2', '', 'Bob', 2), ('05', NULL, 'Zoe', 0), ('06', '', 'O''Neil', 0), "
    "('10', '1', 'Carl', 0), ('11', '10', 'Dora', 0), ('12', '11', 'Smith', 3), "
    "('20', '2', 'Smyth', 4), ('30', '2', 'O''Brien', 0), ('40', '41', 'Loop', 0), ('41', '40', 'Pool', 0)";

} // namespace

class TestTfrmOrg : public QObject
{
    Q_OBJECT

private slots:
    void init() { m_locale = std::make_unique<testing_support::LocaleGuard>(testing_support::pointLocale()); }
    void cleanup()
    {
        m_window.reset();
        if (m_program)
            QVERIFY2(m_port.unexpected.isEmpty(), qPrintable(m_port.unexpected.join(u", ")));
        m_program.reset();
        m_port = ScriptedPort();
        m_locale.reset();
    }

    // --- moving -----------------------------------------------------------------------------

    void movesFollowTheRules_data()
    {
        QTest::addColumn<QString>("moved");
        QTest::addColumn<QString>("target");
        QTest::addColumn<int>("answer"); // -1: no question
        QTest::addColumn<QString>("error");
        QTest::addColumn<QString>("sponsorAfter");

        QTest::newRow("own node") << "10" << "10" << -1 << "" << "1";
        QTest::newRow("a descendant") << "1" << "11" << 1 << "Customer 11 Dora already exists in customer 1 Ann subgroup"
                                      << "null";
        QTest::newRow("the root") << "10" << "" << 1 << "" << "";
        QTest::newRow("No") << "10" << "2" << 0 << "" << "1";
    }

    void movesFollowTheRules()
    {
        QFETCH(QString, moved);
        QFETCH(QString, target);
        QFETCH(int, answer);
        QFETCH(QString, error);
        QFETCH(QString, sponsorAfter);
        startWithCustomers();
        openWindow();
        activate("1");
        activate("10");
        if (answer >= 0)
            m_port.expectConfirm(answer == 1);

        dragInTree(node(moved), node(target));
        QCOMPARE(m_port.confirmations,
                 answer < 0 ? QStringList() : QStringList{QStringLiteral("Subordinate customer %1 to customer %2?").arg(moved, target)});
        QCOMPARE(m_port.errors, error.isEmpty() ? QStringList() : QStringList{error});
        QCOMPARE(sponsorOf(moved), sponsorAfter);
        QVERIFY(m_window->DragCustomerId().isEmpty());
        QVERIFY(!m_window->moveLabel()->isVisible());
        if (answer == 1 && error.isEmpty()) // moved: shown under its new sponsor only
            QCOMPARE(node(moved)->parent(), node(target));
    }

    void picksAndReleases()
    {
        startWithCustomers();
        openWindow();
        QWidget *view = tree()->viewport();

        // A right press picks; the label shows once the mouse leaves the
        // node; a left click elsewhere then asks to move the picked customer.
        mouse(view, QEvent::MouseButtonPress, at(node("2")), Qt::RightButton);
        mouse(view, QEvent::MouseButtonRelease, at(node("2")), Qt::RightButton);
        QCOMPARE(m_window->DragCustomerId(), QStringLiteral("2"));
        mouse(view, QEvent::MouseMove, at(node("1")));
        QVERIFY(m_window->moveLabel()->isVisible());
        m_port.expectConfirm(false);
        click(view, at(node("1")));
        QCOMPARE(m_port.confirmations, QStringList{QStringLiteral("Subordinate customer 2 to customer 1?")});
        QVERIFY(m_window->DragCustomerId().isEmpty());

        // In the level view Ctrl alone picks; with Shift as well nothing is picked.
        auto *grid = child<TqubDBGrid>("grdCustomer");
        data().qCustomer2->locate(QStringLiteral("id"), QStringLiteral("2"));
        const QPoint cell = grid->visualRect(grid->model()->index(0, 0)).center();
        mouse(grid->viewport(), QEvent::MouseButtonRelease, cell, Qt::LeftButton, Qt::ControlModifier | Qt::ShiftModifier);
        QVERIFY(m_window->DragCustomerId().isEmpty());
        mouse(grid->viewport(), QEvent::MouseButtonRelease, cell, Qt::LeftButton, Qt::ControlModifier);
        QCOMPARE(m_window->DragCustomerId(), QStringLiteral("2"));
        QCOMPARE(m_window->moveLabel()->text(), QStringLiteral("2"));
        QVERIFY(m_window->moveLabel()->isVisible());

        // A left release outside the tree cancels.
        mouse(grid->viewport(), QEvent::MouseButtonRelease, cell, Qt::LeftButton);
        QVERIFY(m_window->DragCustomerId().isEmpty());
        QVERIFY(!m_window->moveLabel()->isVisible());

        // The label sits under the mouse and takes no click: a release on
        // its spot still drops on the node below.
        mouse(grid->viewport(), QEvent::MouseButtonRelease, cell, Qt::LeftButton, Qt::ControlModifier);
        const QPoint over = at(node("1"));
        mouse(view, QEvent::MouseMove, over);
        QCOMPARE(m_window->moveLabel()->pos(), view->mapToGlobal(over) + QPoint(0, 1));
        QVERIFY(m_window->moveLabel()->windowFlags().testFlag(Qt::WindowTransparentForInput));
        const QPoint spot = over + QPoint(0, 2);
        QVERIFY(m_window->moveLabel()->geometry().contains(view->mapToGlobal(spot)));
        m_port.expectConfirm(false);
        mouse(view, QEvent::MouseButtonRelease, spot, Qt::LeftButton);
        QCOMPARE(m_port.confirmations.size(), 2);
    }

    void aMoveThroughTheWindowSystem()
    {
        // As the platform delivers the mouse: to the window first, then to
        // the widget under it (or holding the button).
        startWithCustomers();
        openWindow();
        QWindow *window = m_window->windowHandle();
        auto *grid = child<TqubDBGrid>("grdCustomer");
        data().qCustomer2->locate(QStringLiteral("id"), QStringLiteral("2"));
        const QRect cell = grid->visualRect(grid->model()->index(data().qCustomer2->currentIndex(), 0));
        const QPoint inGrid = grid->viewport()->mapTo(m_window.get(), cell.center());
        QTest::mouseClick(window, Qt::LeftButton, Qt::ControlModifier, inGrid);
        QCOMPARE(m_window->DragCustomerId(), QStringLiteral("2"));
        const QPoint overAnn = tree()->viewport()->mapTo(m_window.get(), at(node("1")));
        QTest::mouseMove(window, overAnn);
        QCOMPARE(m_window->moveLabel()->pos(), m_window->mapToGlobal(overAnn) + QPoint(0, 1));
        m_port.expectConfirm(true);
        QTest::mouseClick(window, Qt::LeftButton, Qt::NoModifier, overAnn);
        QCOMPARE(m_port.confirmations, QStringList{QStringLiteral("Subordinate customer 2 to customer 1?")});
        QCOMPARE(sponsorOf("2"), QStringLiteral("1"));
        QCOMPARE(node("2")->parent(), node("1"));
    }

    void aStaleTreeCannotMakeACycle()
    {
        startWithCustomers();
        openWindow();
        // Behind the window's back Ann goes under Bob; the tree still shows
        // both at the top, so dropping Bob on Ann looks harmless there.
        data().ADOConnection.execute(QStringLiteral("update customer set id_customer = '2' where id = '1'"));
        m_port.expectConfirm(true);
        dragInTree(node("2"), node("1"));
        QCOMPARE(m_port.errors, QStringList{QStringLiteral("Customer 1 Ann already exists in customer 2 Bob subgroup")});
        QCOMPARE(sponsorOf("2"), QString());
        for (const QString id : {"1", "2", "10", "11", "12", "20", "30"}) {
            const TData::SponsorChain chain = data().sponsorChain(id);
            QVERIFY2(!chain.looped && chain.ids.last().isEmpty(), qPrintable(id));
        }
    }

    void aFailedMoveStillEnds()
    {
        startWithCustomers();
        openWindow();
        data().ADOConnection.execute(QStringLiteral("drop index customer_sponsor"));
        data().ADOConnection.execute(QStringLiteral("alter table customer rename to gone"));
        m_port.expectConfirm(true);
        ModalWatch watch;
        dragInTree(node("2"), node("1"));
        QCOMPARE(watch.texts.size(), 1); // the engine's error, in the standard box
        QVERIFY(m_window->DragCustomerId().isEmpty());
        QVERIFY(!m_window->moveLabel()->isVisible());
    }

    // --- finding ----------------------------------------------------------------------------

    void findOpensTheWayDown_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("choose"); // the chooser's pick; empty: no chooser
        QTest::addColumn<QString>("selected");
        QTest::addColumn<QString>("message");

        QTest::newRow("three levels down") << "12" << "" << "12" << "";
        QTest::newRow("one name") << "smi" << "" << "12" << "";
        QTest::newRow("two names") << "Sm" << "20" << "20" << "";
        QTest::newRow("an apostrophe") << "O'B" << "" << "30" << "";
        QTest::newRow("unknown, blanks kept") << " 99 " << "" << "" << "Customer  99  does not exist";
        QTest::newRow("blanks only") << "   " << "" << "" << "Customer     does not exist";
        QTest::newRow("a looping chain") << "40" << "" << "" << "Customer 40 does not exist";
    }

    void findOpensTheWayDown()
    {
        QFETCH(QString, typed);
        QFETCH(QString, choose);
        QFETCH(QString, selected);
        QFETCH(QString, message);
        startWithCustomers();
        openWindow();
        m_port.expectInput(typed);
        if (!choose.isEmpty())
            m_port.expectChooser([choose](db::DataSource &source) {
                return source.dataset()->recordCount() == 2 && source.dataset()->locate(QStringLiteral("id"), choose);
            });
        m_window->miFindCustomerClick();
        QCOMPARE(m_port.inputPrompts, QStringList{QStringLiteral("Search|Enter ID or Name")});
        QCOMPARE(m_port.chooserCaptions, choose.isEmpty() ? QStringList() : QStringList{QStringLiteral("Choose Customer")});
        QCOMPARE(m_port.information, message.isEmpty() ? QStringList() : QStringList{message});
        if (selected.isEmpty())
            return;
        QCOMPARE(m_window->selectedCustomerId(), selected);
        for (QTreeWidgetItem *up = m_window->selectedNode()->parent(); up; up = up->parent())
            QVERIFY(up->isExpanded());
        // The level view ends on the deepest level the walk opened.
        QCOMPARE(data().qCustomer2->param(QStringLiteral("id")).value().toString(), selected);
    }

    // --- bookkeeping ------------------------------------------------------------------------

    void theRegisterFollowsTheNodes()
    {
        startWithCustomers();
        openWindow();
        activate("1");
        activate("10");
        activate("11");
        QTreeWidgetItem *carl = node("10");

        // A loaded node is not loaded again: a customer added meanwhile stays unseen.
        data().ADOConnection.execute(QStringLiteral("insert into customer (id, id_customer, sname) values ('13', '1', 'Eve')"));
        activate("1");
        QCOMPARE(node("10"), carl);
        QCOMPARE(m_window->findLiveIndex(QStringLiteral("13")), -1);

        // A delete from the level view, then a move.
        activate("11");
        QVERIFY(data().qCustomer2->locate(QStringLiteral("id"), QStringLiteral("12")));
        m_port.expectConfirm(true);
        child<TDBNavigator>("navCustomer")->click(TDBNavigator::Button::Delete);
        QCOMPARE(m_window->findLiveIndex(QStringLiteral("12")), -1);
        m_port.expectConfirm(true);
        dragInTree(node("11"), node("2"));
        QCOMPARE(sponsorOf("11"), QStringLiteral("2"));
        checkRegister();
    }

    // --- the level view, pages and hints ---------------------------------------------------

    void theLevelFilter_data()
    {
        QTest::addColumn<QString>("id");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QStringList>("shown");
        QTest::newRow("a 0 prefix") << "0" << "" << QStringList{"05", "06"};
        QTest::newRow("both boxes") << "0" << "z" << QStringList{"05"};
        QTest::newRow("an apostrophe") << "" << "O'" << QStringList{"06"};
        QTest::newRow("none") << "" << "" << QStringList{"05", "06", "1", "2"};
    }

    void theLevelFilter()
    {
        QFETCH(QString, id);
        QFETCH(QString, name);
        QFETCH(QStringList, shown);
        startWithCustomers();
        openWindow();
        typeText(child<QLineEdit>("edID"), id);
        typeText(child<QLineEdit>("edSName"), name);
        QStringList ids;
        db::Dataset &level = *data().qCustomer2;
        for (int i = 0; i < level.recordCount(); ++i)
            ids << level.valueAt(i, level.field(QStringLiteral("id"))).toString();
        QCOMPARE(ids, shown);
        QVERIFY(m_port.errors.isEmpty());
    }

    void aDoubleClickInAnEmptyLevelAddsAMember()
    {
        startWithCustomers();
        openWindow();
        activate("1");
        activate("10");
        activate("11");
        activate("12"); // Smith has no members
        QCOMPARE(data().qCustomer2->recordCount(), 0);
        m_port.expectCustomerDialog([](db::DataSource &source) {
            source.dataset()->field(QStringLiteral("id"))->setValue(QStringLiteral("50"));
            source.dataset()->field(QStringLiteral("sname"))->setValue(QStringLiteral("Nina"));
            return true;
        });
        emit child<TqubDBGrid>("grdCustomer")->gridDoubleClicked();
        QCOMPARE(m_port.dialogCaptions, QStringList{QStringLiteral("New Customer")});
        QCOMPARE(sponsorOf("50"), QStringLiteral("12"));
        QCOMPARE(node("50")->parent(), node("12"));
        QCOMPARE(node("50")->text(0), QStringLiteral("50 Nina"));
    }

    void pagesAndSelection()
    {
        startWithCustomers();
        openWindow();
        QCOMPARE(m_window->windowTitle(), QStringLiteral("Customers - Administrators  Level"));
        auto *pages = child<QTabWidget>("pcOrg");
        QWidget *filter = child<QWidget>("panFilter");
        QWidget *navigator = child<QWidget>("navCustomer");
        QWidget *print = child<QWidget>("btnPrintDep");

        click(tree()->viewport(), at(node("1")));
        pages->setCurrentWidget(child<QWidget>("tsDeps"));
        QVERIFY(node("10")); // the selected node was activated
        QCOMPARE(m_window->windowTitle(), QStringLiteral("Customers - 1 Ann  Level"));
        QVERIFY(filter->isHidden() && navigator->isHidden() && !print->isHidden());
        pages->setCurrentWidget(child<QWidget>("tsLevels"));
        QVERIFY(!filter->isHidden() && !navigator->isHidden() && print->isHidden());
        QCOMPARE(data().qCustomer2->recordCount(), 1); // Carl

        // Pressing on empty tree space leaves nothing selected: no new
        // customer could land at the top by mistake.
        click(tree()->viewport(), QPoint(5, tree()->viewport()->height() - 3));
        QCOMPARE(m_window->selectedCustomerId(), QString());
        m_window->updateActions();
        QVERIFY(!navigator->isEnabled());
        QVERIFY(!child<QAction>("actToExcel")->isEnabled());
        m_window->tvCustomerDblClick();
        QCOMPARE(m_window->windowTitle(), QStringLiteral("Customers - 1 Ann  Level"));

        // Gone, the window leaves the shared datasets as it found them.
        typeText(child<QLineEdit>("edSName"), QStringLiteral("C"));
        m_window.reset();
        QVERIFY(!data().qCustomer2->isActive() && !data().qOrg->isActive());
        QCOMPARE(data().qCustomer2->filterText(), QString());
        QVERIFY(!data().orgTree());
    }

    void theDebugPanelOnlyWithItsSwitch_data()
    {
        QTest::addColumn<bool>("debug");
        QTest::newRow("debug") << true;
        QTest::newRow("plain") << false;
    }

    void theDebugPanelOnlyWithItsSwitch()
    {
        QFETCH(bool, debug);
        startWithCustomers(QString(), debug ? QStringList{QStringLiteral("debug")} : QStringList());
        openWindow();
        QCOMPARE(!child<QWidget>("panDebug")->isHidden(), debug);
        QCOMPARE(child<QTimer>("Timer1")->isActive(), debug);
        QCOMPARE(child<QTimer>("Timer1")->interval(), 4000);
        child<QPushButton>("btnDebugRefresh")->click();
        const QListWidget *entries = child<QListWidget>("lbEmpList");
        QCOMPARE(entries->count(), 5); // the root and the four top customers
        QCOMPARE(entries->item(1)->text(), QStringLiteral("1 True")); // by name: Ann first
    }

    void hintsOnlyWithShowHints_data()
    {
        QTest::addColumn<bool>("show");
        QTest::newRow("on") << true;
        QTest::newRow("off") << false;
    }

    void hintsOnlyWithShowHints()
    {
        QFETCH(bool, show);
        startWithCustomers(show ? QStringLiteral("ShowHints=1") : QString());
        QStringList hints;
        onNextModal([&hints](QWidget *window) {
            for (const TfmHint *hint : window->findChildren<TfmHint *>())
                hints << hint->objectName() + u':' + hint->text().left(8);
            window->close();
        });
        m_program->main().runCommand(m_program->command(QStringLiteral("actCustomer")));
        hints.sort();
        const QStringList expected{"panCustomerTreeHint:Right mo", "tsDepsHint:Bonus Ca", "tsLevelsHint:To move "};
        QCOMPARE(hints, show ? expected : QStringList());
        QVERIFY(!data().orgTree());
    }

    // --- the points for a period ------------------------------------------------------------

    void pointsForAPeriod()
    {
        startWithCustomers(QString(), {QStringLiteral("resetpoints")});
        auto window = std::make_unique<TfrmCustomer>(data());
        TfrmCustomer &points = *window;
        auto *begin = points.findChild<QDateEdit *>(QStringLiteral("dtpDateBegin"));
        auto *end = points.findChild<QDateEdit *>(QStringLiteral("dtpDateEnd"));
        QWidget *reset = points.findChild<QWidget *>(QStringLiteral("btnResetPoints"));
        QCOMPARE(begin->date(), QDate(2026, 3, 1));
        QCOMPARE(end->date(), QDate(2026, 3, 16));
        QVERIFY(!data().qAllCustomers->isActive());

        end->setDate(QDate(2026, 3, 1)); // one day: nothing
        points.actRefreshExecute();
        QCOMPARE(data().qAllCustomers->recordCount(), 0);
        points.updateActions();
        QVERIFY(reset->isHidden());

        end->setDate(QDate(2026, 3, 16));
        points.actRefreshExecute();
        QCOMPARE(points.windowTitle(), QStringLiteral("Date From 01/03/2026 To 16/03/2026"));
        QCOMPARE(listed(), QStringList({"1:0", "12:5"}));
        points.updateActions();
        QVERIFY(!reset->isHidden());

        typeText(points.findChild<QLineEdit *>(QStringLiteral("edName")), QStringLiteral("s"));
        QCOMPARE(listed(), QStringList{"12:5"}); // without Refresh
        points.findChild<QLineEdit *>(QStringLiteral("edName"))->clear();
        typeText(points.findChild<QLineEdit *>(QStringLiteral("edId")), QStringLiteral("1"));
        QCOMPARE(listed(), QStringList{"1:0"}); // exact: not 12

        points.actResetPointsExecute();
        QCOMPARE(pointsOf("1"), 0.0);
        QCOMPARE(pointsOf("12"), 3.0); // filtered out
        QCOMPARE(pointsOf("2"), 2.0);  // not listed

        window.reset(); // the next opening starts unfiltered
        QVERIFY(!data().qAllCustomers->isActive());
        QCOMPARE(data().qAllCustomers->filterText(), QString());
    }

    void noResetPointsWithoutTheSwitch()
    {
        startWithCustomers();
        TfrmCustomer points(data());
        points.actRefreshExecute();
        QVERIFY(data().qAllCustomers->recordCount() > 0);
        points.updateActions();
        QVERIFY(points.findChild<QWidget *>(QStringLiteral("btnResetPoints"))->isHidden());
    }

private:
    void startWithCustomers(const QString &misc = QString(), const QStringList &arguments = {})
    {
        m_program = std::make_unique<TestProgram>();
        m_program->executeSql(QString::fromLatin1(kCustomers));
        // Ann's order and refusal cancel out; Smith ordered 5; Bob's order is February's.
        m_program->executeSql(QStringLiteral(
            "insert into orders (id, id_customer, totalpoints, refusal, ordersdate) values "
            "(1, '1', 10, 0, '2026-03-05 10:00:00.000'), (2, '1', -10, 1, '2026-03-06 00:00:00.000'), "
            "(3, '12', 5, 0, '2026-03-15 23:00:00.000'), (4, '2', 7, 0, '2026-02-28 12:00:00.000')"));
        QStringList settings{QStringLiteral("[SrvSettings]"), QStringLiteral("ConnectOnStart=1")};
        if (!misc.isEmpty())
            settings << QStringLiteral("[MiscSettings]") << misc;
        m_program->writeSettings(settings);
        m_program->setUserPort(m_port);
        m_program->start(arguments);
        data().clock = [] { return QDateTime(QDate(2026, 3, 15), QTime(18, 30)); };
    }
    void openWindow()
    {
        m_window = std::make_unique<TfrmOrg>(data(), &m_program->main());
        m_window->open();
        m_window->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
    }

    TData &data() { return m_program->data(); }
    QTreeWidget *tree() { return child<QTreeWidget>("tvCustomer"); }
    template <typename T>
    T *child(const char *name)
    {
        return ui_test::namedChild<T>(m_window.get(), name);
    }
    QTreeWidgetItem *node(const QString &id)
    {
        const int index = id.isEmpty() ? 0 : m_window->findLiveIndex(id);
        QTreeWidgetItem *found = index == -1 ? nullptr : m_window->tree().FindNodeByIndex(index);
        if (found)
            tree()->scrollToItem(found);
        return found;
    }
    QPoint at(QTreeWidgetItem *item)
    {
        Q_ASSERT(item);
        const QRect rect = tree()->visualItemRect(item);
        return QPoint(rect.left() + 8, rect.center().y());
    }
    void mouse(QWidget *widget, QEvent::Type type, const QPoint &pos, Qt::MouseButton button = Qt::NoButton,
               Qt::KeyboardModifiers modifiers = Qt::NoModifier)
    {
        const Qt::MouseButtons buttons = type == QEvent::MouseButtonPress ? Qt::MouseButtons(button) : Qt::NoButton;
        QMouseEvent event(type, pos, widget->mapToGlobal(pos), button, buttons, modifiers);
        event.setTimestamp(++m_timestamp);
        QApplication::sendEvent(widget, &event);
    }
    void click(QWidget *widget, const QPoint &pos)
    {
        mouse(widget, QEvent::MouseButtonPress, pos, Qt::LeftButton);
        mouse(widget, QEvent::MouseButtonRelease, pos, Qt::LeftButton);
    }
    /// Press on `from`, move to `to` (twice: the label shows, then the node
    /// is selected) and release there.
    void dragInTree(QTreeWidgetItem *from, QTreeWidgetItem *to)
    {
        QWidget *view = tree()->viewport();
        mouse(view, QEvent::MouseButtonPress, at(from), Qt::LeftButton);
        if (from != to) {
            mouse(view, QEvent::MouseMove, at(to));
            mouse(view, QEvent::MouseMove, at(to));
        }
        mouse(view, QEvent::MouseButtonRelease, at(to), Qt::LeftButton);
    }
    void activate(const QString &id)
    {
        click(tree()->viewport(), at(node(id)));
        m_window->tvCustomerDblClick();
    }
    QString sponsorOf(const QString &id)
    {
        db::Dataset probe(&data().ADOConnection, QStringLiteral("probe"));
        probe.setSql(QStringLiteral("select ifnull(id_customer, 'null') from customer where id = :id"));
        probe.param(QStringLiteral("id")).setValue(id);
        probe.open();
        return probe.fieldAt(0)->asString();
    }
    double pointsOf(const QString &id)
    {
        db::Dataset probe(&data().ADOConnection, QStringLiteral("probe"));
        probe.setSql(QStringLiteral("select totalpoints from customer where id = :id"));
        probe.param(QStringLiteral("id")).setValue(id);
        probe.open();
        return probe.fieldAt(0)->asFloat();
    }
    QStringList listed()
    {
        QStringList rows;
        db::Dataset &list = *data().qAllCustomers;
        for (int i = 0; i < list.recordCount(); ++i)
            rows << list.valueAt(i, list.field(QStringLiteral("id"))).toString() + u':'
                    + QString::number(list.valueAt(i, list.field(QStringLiteral("totalpoints"))).toDouble());
        return rows;
    }
    /// Alive entries are exactly those with a node, and each answers for its id.
    void checkRegister()
    {
        QSet<int> shown;
        for (QTreeWidgetItemIterator it(tree()); *it; ++it)
            shown.insert(SponsorTree::indexOf(*it));
        const std::vector<TEmp> &entries = m_window->tree().EmpList();
        for (int i = 0; i < int(entries.size()); ++i) {
            QCOMPARE(entries[size_t(i)].Alive, shown.contains(i));
            QCOMPARE(m_window->findLiveIndex(entries[size_t(i)].Id), entries[size_t(i)].Alive ? i : -1);
        }
    }

    std::unique_ptr<testing_support::LocaleGuard> m_locale;
    ScriptedPort m_port;
    std::unique_ptr<TestProgram> m_program;
    std::unique_ptr<TfrmOrg> m_window;
    ulong m_timestamp = 1000;
};

QTEST_MAIN(TestTfrmOrg)
#include "tst_TfrmOrg.moc"
