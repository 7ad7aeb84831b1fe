// The customer dialog, and the customer rules run through the real windows:
// adding, editing and deleting customers from the reference chooser.

#include "ProgramFixture.h"
#include "UiTestSupport.h"

#include "DataU.h"
#include "catalogue/RefU.h"
#include "organization/EditCustomerU.h"
#include "widgets/TDBEdit.h"
#include "widgets/TDBNavigator.h"
#include "widgets/qubButtons.h"
#include "widgets/qubDBGrid.h"

#include <QLineEdit>
#include <QMessageBox>
#include <QTest>
#include <QToolButton>

using namespace ui_test;
using app_test::TestProgram;

namespace {

QString customerCount(TestProgram &program)
{
    db::Dataset probe(&program.data().ADOConnection, QStringLiteral("probe"));
    probe.setSql(QStringLiteral("select id || ':' || sname || ':' || ifnull(id_customer, 'null') from customer "
                                "order by id"));
    probe.open();
    QStringList rows;
    for (probe.first(); !probe.eof(); probe.next())
        rows << probe.fieldAt(0)->asString();
    return rows.join(u' ');
}

} // namespace

class TestTfrmEditCustomer : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        m_db = std::make_unique<TestDatabase>();
        m_customers = m_db->customers();
        m_source = std::make_unique<db::DataSource>(m_customers.get(), QStringLiteral("dsCustomer"));
        m_db->exec(QStringLiteral("insert into customer (id, sname) values ('5', 'Smith')"));
        m_customers->open();
    }
    void cleanup()
    {
        m_source.reset();
        m_customers.reset();
        m_db.reset();
    }

    void okFollowsTheBoxesAfterEachKey()
    {
        m_customers->append();
        TfrmEditCustomer dialog(*m_source, QStringLiteral("New Customer"), QStringLiteral("Administrators"), false);
        dialog.show();
        auto *save = dialog.findChild<TqubBitBtn *>(QStringLiteral("btnSave"));
        auto *id = dialog.findChild<TDBEdit *>(QStringLiteral("edCustomerID"));
        auto *name = dialog.findChild<TDBEdit *>(QStringLiteral("edCustomerName"));
        QVERIFY(!save->isEnabled()); // a new customer starts without OK

        typeText(name, QStringLiteral("Ив"));
        QVERIFY(!save->isEnabled());
        typeText(id, QStringLiteral("7"));
        QVERIFY(save->isEnabled());
        QTest::keyClick(id, Qt::Key_Backspace);
        QVERIFY(!save->isEnabled());
        m_customers->cancel();
    }

    void anEditedCustomerStartsWithOk()
    {
        m_customers->edit();
        TfrmEditCustomer dialog(*m_source, QStringLiteral("Edit Customer 5 Smith"), QStringLiteral("x"), false);
        QVERIFY(dialog.findChild<TqubBitBtn *>(QStringLiteral("btnSave"))->isEnabled());
        QCOMPARE(dialog.findChild<TDBEdit *>(QStringLiteral("edCustomerName"))->text(), QStringLiteral("Smith"));
        m_customers->cancel();
    }

    void theCoordinatorIsShownReadOnly()
    {
        m_customers->edit();
        TfrmEditCustomer dialog(*m_source, QString(), QStringLiteral("3 Petrova"), false);
        auto *coordinator = dialog.findChild<QLineEdit *>(QStringLiteral("edCoordinator"));
        QCOMPARE(coordinator->text(), QStringLiteral("3 Petrova"));
        QVERIFY(!coordinator->isEnabled());
        QVERIFY(coordinator->isReadOnly());
        m_customers->cancel();
    }

    void theGeneratedIdentifierSettingDecidesTheFirstBox_data()
    {
        QTest::addColumn<bool>("idFirst");
        QTest::addColumn<QString>("first");
        QTest::addColumn<QString>("second");
        QTest::newRow("generated identifiers") << true << "edCustomerID" << "edCustomerName";
        QTest::newRow("typed identifiers") << false << "edCustomerName" << "edCustomerID";
    }

    void theGeneratedIdentifierSettingDecidesTheFirstBox()
    {
        QFETCH(bool, idFirst);
        QFETCH(QString, first);
        QFETCH(QString, second);
        m_customers->append();
        TfrmEditCustomer dialog(*m_source, QString(), QString(), idFirst);
        dialog.show();
        QVERIFY(QTest::qWaitForWindowActive(&dialog));
        QCOMPARE(QApplication::focusWidget()->objectName(), first);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget()->objectName(), second);
        m_customers->cancel();
    }

    void escapeCancelsAndOkWritesTheBoxes()
    {
        m_customers->append();
        {
            TfrmEditCustomer dialog(*m_source, QString(), QString(), false);
            dialog.show();
            QTest::keyClick(&dialog, Qt::Key_Escape);
            QCOMPARE(dialog.result(), int(QDialog::Rejected));
        }
        TfrmEditCustomer dialog(*m_source, QString(), QString(), false);
        dialog.show();
        typeText(dialog.findChild<TDBEdit *>(QStringLiteral("edCustomerID")), QStringLiteral("8"));
        typeText(dialog.findChild<TDBEdit *>(QStringLiteral("edCustomerName")), QStringLiteral("Lee"));
        dialog.findChild<TqubBitBtn *>(QStringLiteral("btnSave"))->click();
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
        QCOMPARE(m_customers->field(QStringLiteral("sname"))->asString(), QStringLiteral("Lee"));
        m_customers->cancel();
    }

    // --- the rules through the real windows ------------------------------------------

    void aCustomerIsAddedThroughTheChooser()
    {
        TestProgram program;
        program.writeSettings({"[MiscSettings]", "GenerateCustomerID=1"});
        program.start();
        program.data().connect();
        TfrmRef chooser(&program.main(), *program.data().qCustomer, QStringLiteral("Customers"));
        chooser.FormCreate();
        chooser.show();

        QString caption, coordinator, generated;
        onNextModal([&](QWidget *modal) {
            auto *dialog = qobject_cast<TfrmEditCustomer *>(modal);
            QVERIFY(dialog);
            caption = dialog->windowTitle();
            coordinator = dialog->findChild<QLineEdit *>(QStringLiteral("edCoordinator"))->text();
            generated = dialog->findChild<TDBEdit *>(QStringLiteral("edCustomerID"))->text();
            typeText(dialog->findChild<TDBEdit *>(QStringLiteral("edCustomerName")), QStringLiteral("Иванова"));
            dialog->findChild<TqubBitBtn *>(QStringLiteral("btnSave"))->click();
        });
        chooser.navigator()->click(TDBNavigator::Button::Insert);
        QCOMPARE(caption, QStringLiteral("New Customer"));
        QCOMPARE(coordinator, QStringLiteral("Administrators"));
        QCOMPARE(generated, QStringLiteral("1")); // the first customer of an empty table
        QCOMPARE(customerCount(program), QStringLiteral("1:Иванова:null"));
        QCOMPARE(program.data().qCustomer->state(), db::DatasetState::Browse);
    }

    void aCancelledDialogDropsTheNewCustomer()
    {
        TestProgram program;
        program.start();
        program.data().connect();
        TfrmRef chooser(&program.main(), *program.data().qCustomer, QStringLiteral("Customers"));
        chooser.FormCreate();
        onNextModal([](QWidget *modal) { qobject_cast<QDialog *>(modal)->reject(); });
        chooser.navigator()->click(TDBNavigator::Button::Insert);
        QCOMPARE(customerCount(program), QString());
        QVERIFY(program.data().qCustomer->isEmpty());
    }

    void aCustomerIsEditedByDoubleClickWhenNothingIsToBeChosen()
    {
        TestProgram program;
        program.executeSql(QStringLiteral("insert into customer (id, sname) values ('4', 'Smith')"));
        program.start();
        program.data().connect();
        TfrmRef chooser(&program.main(), *program.data().qCustomer, QStringLiteral("Customers"), false);
        chooser.FormCreate();
        chooser.show();
        QString caption;
        onNextModal([&](QWidget *modal) {
            caption = modal->windowTitle();
            auto *name = modal->findChild<TDBEdit *>(QStringLiteral("edCustomerName"));
            name->selectAll();
            typeText(name, QStringLiteral("Smithson"));
            modal->findChild<TqubBitBtn *>(QStringLiteral("btnSave"))->click();
        });
        emit chooser.grid()->gridDoubleClicked();
        QCOMPARE(caption, QStringLiteral("Edit Customer 4 Smith"));
        QCOMPARE(customerCount(program), QStringLiteral("4:Smithson:null"));
    }

    void aCustomerWithAGroupIsNotDeleted()
    {
        TestProgram program;
        program.executeSql(QStringLiteral("insert into customer (id, id_customer, sname) values "
                                          "('1', null, 'Head'), ('2', '1', 'Member')"));
        program.start();
        program.data().connect();
        TfrmRef chooser(&program.main(), *program.data().qCustomer, QStringLiteral("Customers"));
        chooser.FormCreate();
        {
            // The group check speaks; nothing asks before it.
            ModalWatch watch(QMessageBox::Yes);
            chooser.navigator()->click(TDBNavigator::Button::Delete);
            QCOMPARE(watch.texts,
                     QStringList{QStringLiteral("The customer 1 Head has a group. \n\r Deleting is impossible")});
        }
        QCOMPARE(customerCount(program), QStringLiteral("1:Head:null 2:Member:1"));
    }

    void aCustomerWithoutAGroupIsDeletedAfterYes()
    {
        TestProgram program;
        program.executeSql(QStringLiteral("insert into customer (id, sname) values ('9', 'Alone')"));
        program.start();
        program.data().connect();
        TfrmRef chooser(&program.main(), *program.data().qCustomer, QStringLiteral("Customers"));
        chooser.FormCreate();
        {
            // One question, the customer rule's; the navigator asks none of its own.
            ModalWatch watch(QMessageBox::Yes);
            chooser.navigator()->click(TDBNavigator::Button::Delete);
            QCOMPARE(watch.texts, QStringList{QStringLiteral("Delete customer 9 Alone?")});
        }
        QCOMPARE(customerCount(program), QString());
    }

    void aTakenIdentifierIsToldInPlainWords()
    {
        TestProgram program;
        program.executeSql(QStringLiteral("insert into customer (id, sname) values ('4', 'Smith')"));
        program.start();
        program.data().connect();
        TfrmRef chooser(&program.main(), *program.data().qCustomer, QStringLiteral("Customers"));
        chooser.FormCreate();
        chooser.show();
        const QString plain = QStringLiteral("Another record already has this Customer ID.");
        // The engine's own words go to the debug log, once for each attempt.
        for (int attempt = 0; attempt < 2; ++attempt)
            QTest::ignoreMessage(QtDebugMsg, "qCustomer: UNIQUE constraint failed: customer.id");

        QString refused;
        onNextModal([&refused](QWidget *dialog) {
            typeText(dialog->findChild<TDBEdit *>(QStringLiteral("edCustomerID")), QStringLiteral("4"));
            typeText(dialog->findChild<TDBEdit *>(QStringLiteral("edCustomerName")), QStringLiteral("Jones"));
            dialog->findChild<TqubBitBtn *>(QStringLiteral("btnSave"))->click();
            answerNextMessageBox(QMessageBox::Ok, &refused); // the rule's report of the failed store
        });
        chooser.navigator()->click(TDBNavigator::Button::Insert);
        QCOMPARE(refused, plain);

        // Stored again from the navigator, the failure reaches the error guard.
        QCOMPARE(program.data().qCustomer->state(), db::DatasetState::Insert);
        {
            ModalWatch watch;
            chooser.navigator()->click(TDBNavigator::Button::Post);
            QCOMPARE(watch.texts, QStringList{plain});
        }
        QCOMPARE(customerCount(program), QStringLiteral("4:Smith:null"));
    }

private:
    std::unique_ptr<TestDatabase> m_db;
    std::unique_ptr<db::Dataset> m_customers;
    std::unique_ptr<db::DataSource> m_source;
};

QTEST_MAIN(TestTfrmEditCustomer)
#include "tst_TfrmEditCustomer.moc"
