// The order editor and the main window's order commands around it: an order
// typed from the chooser to Save, every way of closing the editor, New Order
// and Reverse, the enabling rules, Delete, Print and hints, and a long random
// run of the editor in which the books must balance after every run.

#include "ProgramFixture.h"
#include "ReadBack.h"
#include "UiTestSupport.h"

#include "DataU.h"
#include "app/MainU.h"
#include "app/MenuU.h"
#include "catalogue/ProductU.h"
#include "catalogue/RefU.h"
#include "engine/WallClock.h"
#include "orders/OrderU.h"
#include "orders/OrdersU.h"
#include "widgets/DBNavHintU.h"
#include "widgets/DateU.h"
#include "widgets/HintU.h"
#include "widgets/TDBEdit.h"
#include "widgets/TDBNavigator.h"
#include "widgets/qubDBGrid.h"

#include <QAction>
#include <QApplication>
#include <QDateEdit>
#include <QFile>
#include <QGroupBox>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QRadioButton>
#include <QRandomGenerator>
#include <QTest>
#include <QToolButton>

#include <deque>

using namespace ui_test;
using app_test::TestProgram;

namespace {

/// The user in front of the program: answers every modal window the order
/// commands open, each once and in order. Customer choosers take the next
/// identifier of `customers` (an empty one cancels), editors and other
/// dialogs run the next script, message boxes are recorded and answered
/// from `answers` (OK when none is left). Anything else is unexpected.
class Desk : public QObject
{
public:
    Desk()
    {
        m_timer.setInterval(10);
        QObject::connect(&m_timer, &QTimer::timeout, this, [this] { look(); });
        m_timer.start();
    }

    QStringList customers;
    /// Chooses for a customer chooser when `customers` is used up.
    std::function<QString()> anyCustomer;
    std::deque<std::function<void(TfrmOrder &)>> editors;
    std::deque<std::function<void(QDialog &)>> dialogs;
    std::deque<QMessageBox::StandardButton> answers;
    QStringList texts;   ///< the message boxes' texts
    QStringList seen;    ///< every modal window's class, in order
    QStringList titles;  ///< every modal window's caption, in order
    QStringList unexpected;

private:
    void look()
    {
        QWidget *modal = QApplication::activeModalWidget();
        if (!modal || !modal->isVisible() || modal->property("deskSeen").toBool())
            return;
        modal->setProperty("deskSeen", true);
        seen << QString::fromLatin1(modal->metaObject()->className());
        titles << modal->windowTitle();
        if (seen.last() == u"TfrmRvStatus")
            return; // a print's progress, which closes itself
        if (auto *box = qobject_cast<QMessageBox *>(modal)) {
            texts << box->text();
            QMessageBox::StandardButton answer = QMessageBox::Ok;
            if (!answers.empty()) {
                answer = answers.front();
                answers.pop_front();
            }
            if (QAbstractButton *button = box->button(answer))
                button->click();
            else
                box->reject();
            return;
        }
        if (auto *chooser = qobject_cast<TfrmRef *>(modal)) {
            QString id;
            if (!customers.isEmpty())
                id = customers.takeFirst();
            else if (anyCustomer)
                id = anyCustomer();
            else
                unexpected << QStringLiteral("customer chooser");
            if (!id.isEmpty() && chooser->dataset().locate(QStringLiteral("id"), id)) {
                chooser->actChooseUpdate();
                chooser->chooseCommand()->trigger();
            } else {
                chooser->reject();
            }
            return;
        }
        // Scripts open windows of their own: they run from the window's
        // event loop, not from this timer.
        if (auto *editor = qobject_cast<TfrmOrder *>(modal)) {
            if (editors.empty()) {
                unexpected << QStringLiteral("order editor");
                editor->reject();
                return;
            }
            auto script = std::move(editors.front());
            editors.pop_front();
            QPointer<TfrmOrder> open(editor);
            QMetaObject::invokeMethod(editor, [script, open] {
                script(*open);
                if (open && open->isVisible())
                    open->reject(); // a script that failed half-way leaves nothing open
            }, Qt::QueuedConnection);
            return;
        }
        auto *dialog = qobject_cast<QDialog *>(modal);
        if (dialog && !dialogs.empty()) {
            auto script = std::move(dialogs.front());
            dialogs.pop_front();
            QPointer<QDialog> open(dialog);
            QMetaObject::invokeMethod(dialog, [script, open] {
                script(*open);
                if (open && open->isVisible())
                    open->reject();
            }, Qt::QueuedConnection);
            return;
        }
        unexpected << seen.last();
        if (dialog)
            dialog->reject();
        else
            modal->close();
    }

    QTimer m_timer;
};

template <typename T>
T *in(QWidget *window, const char *name)
{
    return ui_test::namedChild<T>(window, name);
}

QAction *command(TfrmOrder &editor, const char *name)
{
    return in<QAction>(&editor, name);
}

/// Presses a button of the editor as the user would, its enabling up to date.
void press(TfrmOrder &editor, const char *button)
{
    editor.updateActions();
    QTest::mouseClick(in<QToolButton>(&editor, button), Qt::LeftButton);
}

/// Types a product identifier into the entry panel and, after Enter, the
/// amount (kept at its 1 when none) and Enter: the line is stored and the
/// next one started.
void typeLine(TfrmOrder &editor, const QString &product, int amount = 0)
{
    auto *id = in<TDBEdit>(&editor, "edID");
    id->setFocus();
    id->selectAll();
    typeText(id, product);
    QTest::keyClick(id, Qt::Key_Return);
    auto *boxAmount = in<TDBEdit>(&editor, "edAmount");
    if (amount > 0) {
        boxAmount->selectAll();
        typeText(boxAmount, QString::number(amount));
    }
    QTest::keyClick(boxAmount, Qt::Key_Return);
}

void doubleClickGrid(TfrmOrder &editor)
{
    emit in<TqubDBGrid>(&editor, "grdOrder")->gridDoubleClicked();
}

} // namespace

class TestTfrmOrder : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        m_locale = std::make_unique<testing_support::LocaleGuard>(testing_support::pointLocale());
        m_tone = TfrmMain::deleteTone;
    }
    void cleanup()
    {
        TfrmMain::deleteTone = m_tone;
        m_program.reset();
        m_locale.reset();
    }

    void endToEnd_data()
    {
        QTest::addColumn<QString>("how");
        QTest::newRow("Add Order") << "command";
        QTest::newRow("the start menu, journal closed") << "menu";
        QTest::newRow("the journal's double-click on an empty list") << "journal";
    }

    void endToEnd()
    {
        QFETCH(QString, how);
        start({}, how != "menu");
        Desk desk;
        desk.customers << "D";
        int order = 0;
        desk.editors.push_back([&](TfrmOrder &e) {
            QCOMPARE(desk.seen, (QStringList{"TfrmRef", "TfrmOrder"})); // the chooser first
            QCOMPARE(in<TDBEdit>(&e, "edCustomerName")->text(), QStringLiteral("Jones"));
            QCOMPARE(count("orders"), 2);
            // The header is stored before its first line.
            doubleClickGrid(e);
            QCOMPARE(count("orders"), 3);
            order = orders().field("id")->asInteger();
            QCOMPARE(lines().state(), db::DatasetState::Insert);
            QVERIFY(!in<QGroupBox>(&e, "panEdit")->isHidden());
            QVERIFY(in<TDBNavigator>(&e, "navOrder")->isHidden());
            QCOMPARE(e.focusWidget(), in<TDBEdit>(&e, "edID"));
            typeLine(e, "AAA01");
            QCOMPARE(scalar("select amount from ordered where id_orders = %1", order).toInt(), 1);
            QCOMPARE(lines().state(), db::DatasetState::Insert); // the next line
            // The same product again: told once, and the line stays to be changed.
            typeLine(e, "AAA01");
            QCOMPARE(desk.texts, QStringList{"Current product already exists\n\rYou can edit number of items"});
            QCOMPARE(lines().state(), db::DatasetState::Insert);
            QCOMPARE(lines().field("id_product")->asString(), QStringLiteral("AAA-01"));
            QTest::keyClick(in<TDBEdit>(&e, "edAmount"), Qt::Key_Escape);
            press(e, "btnSave");
        });
        if (how == "command") {
            run("actInsert");
        } else if (how == "menu") {
            QTest::mouseClick(m_program->menu().findChild<QPushButton *>(QStringLiteral("btnNewOrder")), Qt::LeftButton);
            QCOMPARE(m_program->main().childWindowCount(), 2);
        } else {
            typeText(journal()->findChild<QLineEdit *>(QStringLiteral("Customer")), QStringLiteral("Nobody"));
            QVERIFY(orders().isEmpty());
            emit journal()->grid()->gridDoubleClicked();
        }
        QVERIFY(desk.editors.empty());
        QCOMPARE(storedTotals(order), QStringLiteral("10/3"));
        QCOMPARE(points("D"), -3.0); // the refusal of 6 points, then this order's 3
        QVERIFY(desk.unexpected.isEmpty());
        QCOMPARE(desk.texts.size(), 1);
    }

    void closing_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("close");
        for (const char *close : {"Cancel", "close box", "Save"}) {
            for (const char *kind : {"order", "refusal", "no customer"})
                QTest::addRow("%s, %s", kind, close) << kind << close;
        }
        QTest::newRow("old order, Cancel") << "old order" << "Cancel";
        QTest::newRow("old order, close box") << "old order" << "close box";
    }

    // Whichever way the editor closes, every stored line is in its order's
    // totals and its customer's points; nothing half-typed is stored.
    void closing()
    {
        QFETCH(QString, kind);
        QFETCH(QString, close);
        start();
        Desk desk;
        const auto closeEditor = [&](TfrmOrder &e) {
            if (close == "Cancel")
                press(e, "btnCancel");
            else if (close == "Save")
                press(e, "btnSave");
            else
                e.close();
        };
        int order = 0;
        if (kind == "old order") {
            desk.editors.push_back([&](TfrmOrder &e) {
                auto *customer = in<TDBEdit>(&e, "edCustomerID");
                customer->selectAll();
                typeText(customer, QStringLiteral("D"));
                closeEditor(e);
            });
            QVERIFY(orders().locate(QStringLiteral("id"), 1));
            run("actEdit");
            QCOMPARE(scalar("select id_customer from orders where id = 1").toString(), QStringLiteral("C"));
            QCOMPARE(points("C"), 10.0);
            QCOMPARE(points("D"), -6.0);
            return;
        }
        desk.customers << (kind == "no customer" ? "" : "C");
        desk.editors.push_back([&](TfrmOrder &e) {
            if (kind != "no customer") {
                doubleClickGrid(e);
                typeLine(e, "AAA01");
                order = orders().field("id")->asInteger();
            }
            closeEditor(e);
            if (e.isVisible()) // a Save refused
                e.close();
        });
        run(kind == "refusal" ? "actInsertRefusal" : "actInsert");
        QCOMPARE(orders().state(), db::DatasetState::Browse);
        if (kind == "no customer") {
            QCOMPARE(count("orders"), 2);
            QCOMPARE(desk.texts, close == "Save" ? QStringList{"Enter customer name (ID) first"} : QStringList{});
            return;
        }
        QCOMPARE(scalar("select count(*) from ordered where id_orders = %1", order).toInt(), 1);
        QCOMPARE(storedTotals(order), kind == "refusal" ? QStringLiteral("-10/-3") : QStringLiteral("10/3"));
        QCOMPARE(points("C"), kind == "refusal" ? 7.0 : 13.0);
        QVERIFY(desk.texts.isEmpty());
    }

    void newOrderAndNewRefusal()
    {
        start();
        Desk desk;
        desk.customers << "C" << "E";
        desk.editors.push_back([&](TfrmOrder &e) {
            // A document never stored keeps its kind: only the focus moves.
            in<TDBEdit>(&e, "edOrderDate")->setFocus();
            press(e, "btnNewOrder");
            QCOMPARE(orders().state(), db::DatasetState::Insert);
            QCOMPARE(in<QGroupBox>(&e, "gbOrderInfo")->title(), QStringLiteral(" Refusal "));
            QCOMPARE(e.focusWidget(), in<TDBEdit>(&e, "edCustomerID"));
            QCOMPARE(desk.seen.count("TfrmRef"), 1);

            // A stored one is stored with its totals, and the next one asks for its customer.
            doubleClickGrid(e);
            typeLine(e, "AAA01");
            const int refusal = orders().field("id")->asInteger();
            press(e, "btnNewOrder");
            QCOMPARE(storedTotals(refusal), QStringLiteral("-10/-3"));
            QCOMPARE(points("C"), 7.0);
            QCOMPARE(desk.seen.count("TfrmRef"), 2);
            QCOMPARE(orders().state(), db::DatasetState::Insert);
            QCOMPARE(orders().field("id_customer")->asString(), QStringLiteral("E"));
            QVERIFY(!orders().field("refusal")->asBoolean());
            QCOMPARE(e.windowTitle(), QStringLiteral("Add Order"));
            QCOMPARE(in<QGroupBox>(&e, "gbOrderInfo")->title(), QStringLiteral(" Order "));
            e.close();
        });
        run("actInsertRefusal");
        QCOMPARE(count("orders"), 3);
    }

    void reverse()
    {
        start();
        Desk desk;
        desk.editors.push_back([&](TfrmOrder &e) {
            QCOMPARE(e.windowTitle(), QStringLiteral("View Order"));
            press(e, "btnReverse");
            QCOMPARE(storedTotals(1), QStringLiteral("-30/-10"));
            QCOMPARE(points("C"), -10.0); // 20 lower
            QCOMPARE(lines().field("TotalPoints")->asFloat(), -10.0);
            QCOMPARE(in<QGroupBox>(&e, "gbOrderInfo")->title(), QStringLiteral(" Refusal "));
            QCOMPARE(command(e, "actReverse")->text(), QStringLiteral("Change on \"Order\""));
            QCOMPARE(in<QToolButton>(&e, "btnReverse")->text(), QStringLiteral("Change on \"Order\""));
            e.close();
        });
        QVERIFY(orders().locate(QStringLiteral("id"), 1));
        run("actView");
        QCOMPARE(storedTotals(1), QStringLiteral("-30/-10")); // the close box drops nothing stored
        QVERIFY(desk.texts.isEmpty());
    }

    void enabling()
    {
        start();
        Desk desk;
        desk.customers << "C";
        desk.editors.push_back([&](TfrmOrder &e) {
            e.updateActions();
            QVERIFY(!command(e, "actPrint")->isEnabled());
            QVERIFY(command(e, "actReverse")->isEnabled()); // it has a customer
            doubleClickGrid(e);
            typeLine(e, "AAA01");
            e.updateActions();
            QVERIFY(command(e, "actPrint")->isEnabled());
            QVERIFY(!command(e, "actAddProduct")->isEnabled()); // a line is being entered
            press(e, "btnCalc");
            e.updateActions();
            QVERIFY(!command(e, "actSave")->isEnabled());
            QVERIFY(!command(e, "actCancel")->isEnabled());
            in<TDBNavigator>(&e, "navOrder")->click(TDBNavigator::Button::Insert);
            typeLine(e, "BBB02"); // lines do not make the header edited again
            e.updateActions();
            QVERIFY(!command(e, "actSave")->isEnabled());
            e.close();
        });
        run("actInsert");

        desk.editors.push_back([&](TfrmOrder &e) {
            QCOMPARE(in<QGroupBox>(&e, "gbOrderInfo")->title(), QStringLiteral(" Refusal "));
            QCOMPARE(command(e, "actReverse")->text(), QStringLiteral("Change on \"Order\""));
            e.updateActions();
            QVERIFY(!command(e, "actSave")->isEnabled());
            QVERIFY(!command(e, "actCancel")->isEnabled());
            auto *customer = in<TDBEdit>(&e, "edCustomerID");
            customer->selectAll();
            typeText(customer, QStringLiteral("E"));
            e.updateActions();
            QVERIFY(command(e, "actSave")->isEnabled());
            QVERIFY(command(e, "actCancel")->isEnabled());
            press(e, "btnCancel");
        });
        QVERIFY(orders().locate(QStringLiteral("id"), 2));
        run("actView");
        QCOMPARE(scalar("select id_customer from orders where id = 2").toString(), QStringLiteral("D"));
        QVERIFY(desk.unexpected.isEmpty());
    }

    // The header boxes' buttons: cancelled choosers change nothing, a chosen
    // value puts a viewed header into editing; an unknown customer is kept;
    // the header stays current when the journal would no longer show it.
    void headerBoxes()
    {
        start();
        typeText(journal()->findChild<QLineEdit *>(QStringLiteral("Customer")), QStringLiteral("Smith"));
        QCOMPARE(orders().recordCount(), 1);
        Desk desk;
        QDate preset;
        desk.customers << "" << "E";
        desk.dialogs.push_back([&](QDialog &dialog) {
            preset = qobject_cast<TfrmDate *>(&dialog)->date();
            dialog.reject();
        });
        desk.dialogs.push_back([&](QDialog &dialog) {
            qobject_cast<TfrmDate *>(&dialog)->setDate(QDate(2007, 4, 1));
            dialog.accept();
        });
        desk.editors.push_back([&](TfrmOrder &e) {
            press(e, "btnCustomer");
            press(e, "btnOrderDate");
            QCOMPARE(orders().state(), db::DatasetState::Browse);
            QCOMPARE(preset, QDate(2007, 5, 14));
            press(e, "btnCustomer");
            QCOMPARE(orders().state(), db::DatasetState::Edit);
            QCOMPARE(in<TDBEdit>(&e, "edCustomerName")->text(), QStringLiteral("Brown"));
            press(e, "btnOrderDate");
            auto *customer = in<TDBEdit>(&e, "edCustomerID");
            customer->selectAll();
            typeText(customer, QStringLiteral("ZZ"));
            QCOMPARE(in<TDBEdit>(&e, "edCustomerName")->text(), QString());
            press(e, "btnSave");
        });
        run("actView");
        QCOMPARE(desk.titles.mid(0, 2), (QStringList{"View Order", "Customers"}));
        QCOMPARE(scalar("select id_customer || ' ' || ordersdate from orders where id = 1").toString(),
                 QStringLiteral("ZZ 2007-04-01 00:00:00.000"));
        QCOMPARE(orders().field("id")->asInteger(), 1);
        QCOMPARE(points("C"), 0.0);
    }

    // The Enter chain of the customer box and the grid, and the grid's
    // in-place editing that looked-up columns switch off.
    void theGridAndTheEnterKey()
    {
        start();
        Desk desk;
        desk.editors.push_back([&](TfrmOrder &e) {
            auto *grid = in<TqubDBGrid>(&e, "grdOrder");
            const auto editing = [grid] { return bool(grid->options() & TqubDBGrid::Option::Editing); };
            QVERIFY(!editing());
            QTest::keyClick(in<TDBEdit>(&e, "edCustomerID"), Qt::Key_Return);
            QCOMPARE(e.focusWidget(), grid);
            QCOMPARE(grid->selectedIndex(), 0);
            QTest::keyClick(grid, Qt::Key_Return);
            QCOMPARE(grid->selectedIndex(), 1);
            QVERIFY(!editing());
            grid->setSelectedIndex(2);
            QVERIFY(editing());
            grid->setSelectedIndex(1);
            QVERIFY(!editing());
            QTest::keyClick(grid, Qt::Key_Return);
            QCOMPARE(lines().state(), db::DatasetState::Insert);
            QCOMPARE(grid->selectedIndex(), 0);
            QTest::keyClick(in<TDBEdit>(&e, "edID"), Qt::Key_Escape); // gives up the line, not the order
            QCOMPARE(lines().state(), db::DatasetState::Browse);
            QVERIFY(e.isVisible());
            QVERIFY(in<QGroupBox>(&e, "panEdit")->isHidden());
            doubleClickGrid(e); // on a line: that line is edited
            QCOMPARE(lines().state(), db::DatasetState::Edit);
            typeLine(e, "TEN01", 3);
            press(e, "btnSave");
        });
        QVERIFY(orders().locate(QStringLiteral("id"), 1));
        run("actEdit");
        QCOMPARE(storedTotals(1), QStringLiteral("90/30"));
        QCOMPARE(points("C"), 30.0);
    }

    void deleteAsksAfterATone_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("tones");
        QTest::newRow("plain") << QStringList{} << 1;
        QTest::newRow("hideimage") << QStringList{"hideimage"} << 0;
    }

    void deleteAsksAfterATone()
    {
        QFETCH(QStringList, arguments);
        QFETCH(int, tones);
        start({}, true, arguments);
        int heard = 0;
        TfrmMain::deleteTone = [&heard] { ++heard; };
        Desk desk;
        desk.answers.push_back(QMessageBox::Cancel);
        QVERIFY(orders().locate(QStringLiteral("id"), 1));
        run("actDelete");
        QCOMPARE(heard, tones);
        QCOMPARE(desk.texts, QStringList{"Delete current record?\n\rrestore will be impossible!"});
        QCOMPARE(count("orders"), 2);

        run("actDelete"); // OK
        QCOMPARE(count("orders"), 1);
        QCOMPARE(count("ordered"), 1);
        QCOMPARE(points("C"), 0.0);
        QCOMPARE(journalTotals(), (QStringList{"-20", "0", "-20"}));
    }

    void aFailedDeleteIsRolledBack()
    {
        start();
        // A record that still names the order when the deletion is committed.
        data().ADOConnection.execute(QStringLiteral(
            "create table keep (id_orders integer references orders(id) deferrable initially deferred)"));
        data().ADOConnection.execute(QStringLiteral("insert into keep values (1)"));
        Desk desk;
        QVERIFY(orders().locate(QStringLiteral("id"), 1));
        run("actDelete");
        QCOMPARE(desk.texts.size(), 2); // the question, then the failure
        QCOMPARE(count("orders"), 2);
        QCOMPARE(count("ordered"), 2);
        QCOMPARE(points("C"), 10.0);
        QCOMPARE(orders().recordCount(), 2);
        QCOMPARE(orders().field("id")->asInteger(), 1);
        QCOMPARE(journalTotals(), (QStringList{"10", "30", "-20"}));
    }

    // The editor's Print hands the order at hand to the report engine.
    void printing()
    {
        start();
        QVERIFY(QFile::copy(QStringLiteral(QUORVEL_SHIPPED_PROJECT), m_program->folder().file("repOrder.rav")));
        const QString pdf = m_program->folder().file("order.pdf");
        Desk desk;
        desk.dialogs.push_back([&](QDialog &output) {
            in<QRadioButton>(&output, "rbFile")->setChecked(true);
            in<QLineEdit>(&output, "edFileName")->setText(pdf);
            in<QAbstractButton>(&output, "btnOK")->click();
        });
        desk.editors.push_back([&](TfrmOrder &e) {
            press(e, "btnPrint");
            e.close();
        });
        QVERIFY(orders().locate(QStringLiteral("id"), 1));
        run("actView");
        QVERIFY2(desk.unexpected.isEmpty(), qPrintable(desk.unexpected.join(u',') + desk.texts.join(u',')));
        QVERIFY(testing_support::pdfText(pdf).contains(QStringLiteral("TEN-01")));
    }

    void hintsOnlyWithShowHints_data()
    {
        QTest::addColumn<bool>("showHints");
        QTest::newRow("ShowHints on") << true;
        QTest::newRow("ShowHints off") << false;
    }

    void hintsOnlyWithShowHints()
    {
        QFETCH(bool, showHints);
        start({QStringLiteral("[MiscSettings]"), QStringLiteral("ShowHints=%1").arg(showHints ? 1 : 0)});
        Desk desk;
        desk.editors.push_back([&](TfrmOrder &e) {
            QWidget *order = e.orderHintArea();
            QWidget *edit = e.editHintArea();
            auto *text = order->findChild<TfmHint *>();
            auto *legend = order->findChild<TfmDBNavHint *>();
            auto *entry = edit->findChild<TfmHint *>();
            QCOMPARE(text != nullptr, showHints);
            QCOMPARE(legend != nullptr, showHints);
            QCOMPARE(entry != nullptr, showHints);
            if (showHints) {
                QCOMPARE(text->text(), QStringLiteral("Type in ID or choose Customer Name from the Directory"));
                QCOMPARE(text->alignment(), HintAlign::Top);
                QCOMPARE(legend->heading(), QStringLiteral("To manage ordered items use buttons "));
                QVERIFY(legend->y() >= text->y() + text->height());
                QCOMPARE(entry->text(),
                         QStringLiteral("You can add a product By Typing In ID Field Or Choosing From Directory"));
                QCOMPARE(entry->alignment(), HintAlign::Fill);
            }
            e.close();
        });
        run("actView");
        QVERIFY(desk.editors.empty());
    }

    void theMainCaptionFollowsACatalogueStartedInTheChooser_data()
    {
        QTest::addColumn<bool>("catalogueCurrent");
        QTest::newRow("a plain pick") << true;
        QTest::newRow("a product added with no catalogue current") << false;
    }

    void theMainCaptionFollowsACatalogueStartedInTheChooser()
    {
        QFETCH(bool, catalogueCurrent);
        start();
        if (!catalogueCurrent)
            data().setCurrentCatalogDate(db::zeroDateTime());
        m_program->main().setWindowTitle(QStringLiteral("untouched"));
        Desk desk;
        desk.dialogs.push_back([&](QDialog &window) {
            auto *products = qobject_cast<TfrmProduct *>(&window);
            QVERIFY(products && products->isChooseMode());
            db::Dataset &list = *data().qProduct;
            if (!catalogueCurrent) {
                QCOMPARE(list.recordCount(), 0);
                list.append(); // asks for the new catalogue's date
                list.field(QStringLiteral("id"))->setValue(QStringLiteral("NEW-01"));
                list.field(QStringLiteral("name"))->setValue(QStringLiteral("Gel"));
                list.post();
            }
            QVERIFY(list.locate(QStringLiteral("id"), catalogueCurrent ? "BBB-02" : "NEW-01"));
            products->updateActions();
            products->chooseCommand()->trigger();
        });
        desk.dialogs.push_back([](QDialog &dialog) {
            qobject_cast<TfrmDate *>(&dialog)->setDate(QDate(2007, 9, 1));
            dialog.accept();
        });
        desk.editors.push_back([&](TfrmOrder &e) {
            in<TDBNavigator>(&e, "navOrder")->click(TDBNavigator::Button::Insert);
            QTest::mouseClick(in<QToolButton>(&e, "btnAddProduct"), Qt::LeftButton);
            QCOMPARE(lines().field("id_product")->asString(), catalogueCurrent ? "BBB-02" : "NEW-01");
            e.close();
        });
        QVERIFY(orders().locate(QStringLiteral("id"), 1));
        run("actEdit");
        QVERIFY(desk.editors.empty());
        QCOMPARE(desk.dialogs.empty(), !catalogueCurrent);
        QCOMPARE(m_program->main().windowTitle(),
                 catalogueCurrent ? QStringLiteral("untouched") : QStringLiteral("Quorvel Cataloque Date - 01/09/2007"));
    }

    void newOrderFromTheStartMenuWhileDisconnected()
    {
        m_program = std::make_unique<TestProgram>();
        m_program->start();
        Desk desk;
        QTest::mouseClick(m_program->menu().findChild<QPushButton *>(QStringLiteral("btnNewOrder")), Qt::LeftButton);
        QCOMPARE(desk.texts.size(), 2);
        QCOMPARE(desk.texts[0], QStringLiteral("Connection failure"));
        QVERIFY2(desk.texts[1].contains(QStringLiteral("closed")), qPrintable(desk.texts[1]));
        QCOMPARE(m_program->main().childWindowCount(), 1);
    }

    // About forty runs of the editor from every order command, with lines
    // typed, changed, deleted and entered twice, Reverse, Calculate and New
    // Order among them, and the customer points refused now and then; closed
    // by Save, Cancel or the close box, with deletes between the runs.
    // After every run the books balance.
    void randomRunsKeepTheBooks()
    {
        start();
        data().ADOConnection.execute(QStringLiteral("create table fail_switch (active integer)"));
        data().ADOConnection.execute(QStringLiteral("insert into fail_switch values (0)"));
        data().ADOConnection.execute(QStringLiteral(
            "create trigger injected_failure before update of totalpoints on customer "
            "when (select active from fail_switch) = 1 begin select raise(abort, 'injected failure'); end"));
        const auto refuse = [this](bool on) {
            data().ADOConnection.execute(QStringLiteral("update fail_switch set active = %1").arg(on ? 1 : 0));
        };
        QRandomGenerator random(20070515);
        const QStringList customers{"C", "D", "E"};
        const QStringList products{"AAA01", "BBB02", "CCC03", "TEN01"};
        Desk desk;
        desk.anyCustomer = [&] { return random.bounded(8) == 0 ? QString() : customers[int(random.bounded(3))]; };

        const auto step = [&](TfrmOrder &e) {
            db::Dataset &l = lines();
            auto *entry = in<TDBNavigator>(&e, "DBNavigator2");
            switch (random.bounded(9)) {
            case 0:
            case 1:
            case 2: // a line typed, started from the navigator, the grid or the menu
                if (!l.isEditing()) {
                    if (l.isEmpty() && random.bounded(2))
                        doubleClickGrid(e);
                    else if (random.bounded(2))
                        in<TDBNavigator>(&e, "navOrder")->click(TDBNavigator::Button::Insert);
                    else
                        command(e, "actAddProduct")->trigger();
                }
                if (l.state() == db::DatasetState::Insert) {
                    typeLine(e, products[int(random.bounded(products.size()))], int(random.bounded(4)));
                    // A product the order holds already is refused: given up.
                    if (l.isEditing() && !l.field(QStringLiteral("id_product"))->asString().isEmpty())
                        entry->click(TDBNavigator::Button::Cancel);
                }
                break;
            case 3: // a line's amount changed
                if (!l.isEditing() && !l.isEmpty()) {
                    l.moveTo(int(random.bounded(l.recordCount())));
                    doubleClickGrid(e);
                    auto *amount = in<TDBEdit>(&e, "edAmount");
                    amount->selectAll();
                    typeText(amount, QString::number(random.bounded(1, 5)));
                    QTest::keyClick(amount, Qt::Key_Return);
                }
                break;
            case 4: // a line deleted
                if (l.state() == db::DatasetState::Insert
                    && l.field(QStringLiteral("id_product"))->asString().isEmpty())
                    entry->click(TDBNavigator::Button::Cancel);
                if (!l.isEditing() && !l.isEmpty()) {
                    l.moveTo(int(random.bounded(l.recordCount())));
                    in<TDBNavigator>(&e, "navOrder")->click(TDBNavigator::Button::Delete);
                }
                break;
            case 5:
                press(e, "btnReverse");
                break;
            case 6:
                press(e, "btnCalc");
                break;
            case 7:
                press(e, random.bounded(2) ? "btnNewOrder" : "btnNewRefusal");
                break;
            case 8: // the header's date
                desk.dialogs.push_back([](QDialog &dialog) {
                    qobject_cast<TfrmDate *>(&dialog)->setDate(QDate(2007, 5, 13));
                    dialog.accept();
                });
                press(e, "btnOrderDate");
                break;
            }
        };

        // How often a store was refused and told.
        int refused = 0;
        const auto refusedStep = [&](const std::function<void()> &act) {
            refuse(true);
            const qsizetype told = desk.texts.size();
            act();
            refuse(false);
            refused += desk.texts.size() > told;
        };
        for (int runs = 0; runs < 40; ++runs) {
            if (runs > 0 && random.bounded(5) == 0 && !orders().isEmpty()) {
                orders().moveTo(int(random.bounded(orders().recordCount())));
                desk.answers.push_back(random.bounded(4) ? QMessageBox::Ok : QMessageBox::Cancel);
                if (random.bounded(3) == 0)
                    refusedStep([&] { run("actDelete"); });
                else
                    run("actDelete");
                QVERIFY(checkBooks(runs));
            }
            const int kind = orders().isEmpty() ? 0 : int(random.bounded(10));
            const char *name = kind < 4 ? "actInsert" : kind < 6 ? "actInsertRefusal" : kind < 8 ? "actEdit" : "actView";
            if (kind >= 6)
                orders().moveTo(int(random.bounded(orders().recordCount())));
            const int steps = int(random.bounded(1, 7));
            desk.editors.push_back([&, steps](TfrmOrder &e) {
                for (int s = 0; s < steps; ++s) {
                    if (random.bounded(6) == 0)
                        refusedStep([&] { step(e); });
                    else
                        step(e);
                }
                switch (random.bounded(3)) {
                case 0:
                    press(e, "btnSave");
                    break;
                case 1:
                    press(e, "btnCancel");
                    break;
                default:
                    break;
                }
                if (e.isVisible()) // closed by its box, or after a refused Save or a disabled Cancel
                    e.close();
            });
            run(name);
            QVERIFY(desk.editors.empty());
            QVERIFY(desk.dialogs.empty());
            QVERIFY(checkBooks(runs));
        }
        QVERIFY2(refused > 0, "no store was ever refused");
        QVERIFY(desk.unexpected.isEmpty());
    }

private:
    /// The program on a database with customers C (Smith, 10 points), D
    /// (Jones, -6) and E (Brown), the March catalogue current, order 1 (C,
    /// one TEN-01: 30 and 10 points, 14 May) and refusal 2 (D, two AAA-01:
    /// -20 and -6, 13 May). It is 15 May 2007.
    void start(const QStringList &settings = {}, bool openJournal = true, const QStringList &arguments = {})
    {
        m_program = std::make_unique<TestProgram>();
        m_program->executeSql(QStringLiteral("insert into customer (id, sname, totalpoints) values "
                                             "('C', 'Smith', 10), ('D', 'Jones', -6), ('E', 'Brown', 0)"));
        m_program->executeSql(QStringLiteral(
            "insert into product values ('AAA-01', 'Cream', '2007-03-01 00:00:00.000', 10, 3),"
            "('BBB-02', 'Soap', '2007-03-01 00:00:00.000', 2.5, 0.25),"
            "('CCC-03', 'Balm', '2007-03-01 00:00:00.000', 4, 1),"
            "('TEN-01', 'Set', '2007-03-01 00:00:00.000', 30, 10)"));
        m_program->executeSql(QStringLiteral(
            "insert into orders (id, id_customer, totalsum, totalpoints, refusal, ordersdate) values "
            "(1, 'C', 30, 10, 0, '2007-05-14 00:00:00.000'), (2, 'D', -20, -6, 1, '2007-05-13 00:00:00.000')"));
        m_program->executeSql(QStringLiteral("insert into ordered values (1, 'TEN-01', 1, '2007-03-01 00:00:00.000'),"
                                             "(2, 'AAA-01', 2, '2007-03-01 00:00:00.000')"));
        m_program->writeSettings(QStringList{QStringLiteral("[SrvSettings]"), QStringLiteral("ConnectOnStart=1")}
                                 + settings);
        m_program->start(arguments);
        data().clock = [] { return QDateTime(QDate(2007, 5, 15), QTime(12, 0)); };
        if (openJournal)
            run("actOrders");
    }

    void run(const char *name) { m_program->main().runCommand(m_program->command(QLatin1String(name))); }

    TData &data() { return m_program->data(); }
    db::Dataset &orders() { return *data().qOrders; }
    db::Dataset &lines() { return *data().qOrder; }

    TfrmOrders *journal()
    {
        for (QMdiSubWindow *subWindow : m_program->main().mdiArea()->subWindowList())
            if (auto *shown = qobject_cast<TfrmOrders *>(subWindow->widget()))
                return shown;
        return nullptr;
    }

    QVariant scalar(const QString &sql, int number = 0)
    {
        db::Dataset query(&data().ADOConnection, QStringLiteral("qTest"));
        query.setSql(sql.contains(QLatin1String("%1")) ? sql.arg(number) : sql);
        query.open();
        return query.isEmpty() ? QVariant() : query.fieldAt(0)->value();
    }
    int count(const QString &table) { return scalar(QStringLiteral("select count(*) from ") + table).toInt(); }
    double points(const QString &id)
    {
        return scalar(QStringLiteral("select totalpoints from customer where id = '%1'").arg(id)).toDouble();
    }
    /// The stored totals of an order, "sum/points".
    QString storedTotals(int order)
    {
        return QString::number(scalar("select totalsum from orders where id = %1", order).toDouble()) + u'/'
            + QString::number(scalar("select totalpoints from orders where id = %1", order).toDouble());
    }
    QStringList journalTotals()
    {
        QStringList texts;
        for (const char *box : {"edSum", "edOrdered", "edRefused"})
            texts << journal()->findChild<QLineEdit *>(QLatin1String(box))->text();
        return texts;
    }

    /// Every customer's total is the signed sum of their orders' points,
    /// every header's totals are its lines', and the journal's totals are a
    /// recount of what it shows.
    bool checkBooks(int run)
    {
        const QString where = QStringLiteral(" after run %1").arg(run);
        const double drift =
            scalar("select coalesce(sum(abs(c.totalpoints - coalesce((select sum(o.totalpoints) from orders o "
                   "where o.id_customer = c.id), 0))), 0) from customer c")
                .toDouble();
        const QString lineValues = QStringLiteral(
            "coalesce((select sum(p.%1 * l.amount * (case when o.refusal then -1 else 1 end)) from ordered l "
            "join product p on p.id = l.id_product and p.dateprice = l.dateprice where l.id_orders = o.id), 0)");
        const double unmatched =
            scalar(QStringLiteral("select coalesce(sum(abs(o.totalsum - %1) + abs(o.totalpoints - %2)), 0) from orders o")
                       .arg(lineValues.arg(QStringLiteral("price")), lineValues.arg(QStringLiteral("points"))))
                .toDouble();
        double all = 0, ordered = 0, refused = 0;
        db::Field *sum = orders().field(QStringLiteral("totalsum"));
        for (int i = 0; i < orders().recordCount(); ++i) {
            const double value = orders().valueAt(i, sum).toDouble();
            all += value;
            (value >= 0 ? ordered : refused) += value;
        }
        bool ok = true;
        const auto expect = [&](bool holds, const QString &what) {
            if (!holds) {
                qWarning("%s", qPrintable(what + where));
                ok = false;
            }
        };
        expect(drift < 1e-6, QStringLiteral("customer totals drift by %1").arg(drift));
        expect(unmatched < 1e-6, QStringLiteral("headers differ from their lines by %1").arg(unmatched));
        expect(qAbs(data().JournalTotal - all) < 1e-6 && qAbs(data().OrdersTotal - ordered) < 1e-6
                   && qAbs(data().RefusalsTotal - refused) < 1e-6,
               QStringLiteral("journal totals %1 %2 %3, recount %4 %5 %6")
                   .arg(data().JournalTotal).arg(data().OrdersTotal).arg(data().RefusalsTotal)
                   .arg(all).arg(ordered).arg(refused));
        expect(orders().state() == db::DatasetState::Browse, QStringLiteral("the header is left in editing"));
        return ok;
    }

    std::unique_ptr<testing_support::LocaleGuard> m_locale;
    std::unique_ptr<TestProgram> m_program;
    std::function<void()> m_tone;
};

QTEST_MAIN(TestTfrmOrder)
#include "tst_TfrmOrder.moc"
