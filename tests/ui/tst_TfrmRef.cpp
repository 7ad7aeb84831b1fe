// The reference chooser: filter inputs built from a dataset's fields, the
// filter text they make, choosing, and the dataset put back afterwards.

#include "ProgramFixture.h"
#include "UiTestSupport.h"

#include "DataU.h"
#include "app/MainU.h"
#include "catalogue/RefU.h"
#include "widgets/TDBNavigator.h"
#include "widgets/qubDBGrid.h"

#include <QAction>
#include <QCheckBox>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QTest>
#include <QToolButton>

using namespace ui_test;

class TestTfrmRef : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        m_db = std::make_unique<TestDatabase>();
        m_customers = m_db->customers();
        m_customers->setFiltered(true);
    }
    void cleanup()
    {
        m_customers.reset();
        m_db.reset();
    }

    void inputsFollowTheEligibleFields()
    {
        TfrmRef chooser(nullptr, *m_customers, QStringLiteral("Customers"));
        chooser.FormCreate();
        QGroupBox *group = chooser.findChild<QGroupBox *>(QStringLiteral("gbFilter"));
        QVERIFY(!group->isHidden());
        QCOMPARE(group->title(), QStringLiteral(" Filter "));
        // Points are a number: no input; the two texts alternate with their labels.
        const QList<QLineEdit *> edits = group->findChildren<QLineEdit *>();
        QCOMPARE(edits.size(), 2);
        const QList<QLabel *> labels = group->findChildren<QLabel *>();
        QCOMPARE(labels.size(), 2);
        QCOMPARE(labels[0]->text(), QStringLiteral("Customer ID"));
        QCOMPARE(labels[1]->text(), QStringLiteral("Customer Name"));

        const int w = chooser.fontMetrics().horizontalAdvance(u'W') + 1;
        QLineEdit *id = edits[0], *name = edits[1];
        QCOMPARE(id->width(), std::min(6 * w, 150));
        QCOMPARE(name->width(), 150); // 50 characters, capped
        QCOMPARE(labels[0]->geometry().topLeft(), QPoint(10, 20));
        QCOMPARE(id->y(), 20 + labels[0]->height() + 2);
        QCOMPARE(labels[1]->y(), id->y() + id->height() + 10);
        QCOMPARE(id->x(), 10);
        QCOMPARE(group->width(), 2 * 10 + std::max({150, labels[0]->width(), labels[1]->width()}));
    }

    void aDatasetWithoutTextFieldsHasNoFilterGroup()
    {
        auto dates = std::make_unique<db::Dataset>(&m_db->connection(), QStringLiteral("qChCat"));
        dates->setSql(QStringLiteral("select distinct dateprice from product order by dateprice desc"));
        dates->addField(QStringLiteral("dateprice"), db::FieldType::DateTime);
        TfrmRef chooser(nullptr, *dates, QString());
        chooser.FormCreate();
        QVERIFY(chooser.findChild<QGroupBox *>(QStringLiteral("gbFilter"))->isHidden());
        chooser.actChooseUpdate();
        QVERIFY(!chooser.chooseCommand()->isEnabled()); // no catalogue yet
    }

    void theWindowIsAsWideAsTheGroupAndTheColumns()
    {
        TfrmRef chooser(nullptr, *m_customers, QStringLiteral("Customers"));
        chooser.FormCreate();
        const QHeaderView *header = chooser.grid()->horizontalHeader();
        int columns = 0;
        for (int c = 0; c < header->count(); ++c)
            columns += header->sectionSize(c);
        const int group = chooser.findChild<QGroupBox *>(QStringLiteral("gbFilter"))->width();
        QCOMPARE(chooser.width(), std::max(group + columns + 50, chooser.minimumSizeHint().width()));
    }

    void typingFiltersByBeginnings_data()
    {
        QTest::addColumn<QString>("id");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("filter");
        QTest::addColumn<QStringList>("shown");

        QTest::newRow("nothing typed") << "" << "" << "" << QStringList{"1", "12", "2", "3"};
        QTest::newRow("both boxes") << "1" << "Iv" << "id like '1*' and sname like 'Iv*'" << QStringList{"1"};
        QTest::newRow("any case, Cyrillic") << "" << "ив" << "sname like 'ив*'" << QStringList{"3"};
        QTest::newRow("blanks stay inside the quotes") << " " << "" << "id like ' *'" << QStringList{};
        QTest::newRow("an apostrophe is written twice") << "" << "O'" << "sname like 'O''*'" << QStringList{"12"};
    }

    void typingFiltersByBeginnings()
    {
        QFETCH(QString, id);
        QFETCH(QString, name);
        QFETCH(QString, filter);
        QFETCH(QStringList, shown);
        addCustomers();

        TfrmRef chooser(nullptr, *m_customers, QStringLiteral("Customers"));

        chooser.FormCreate();
        const QList<QLineEdit *> edits = chooser.findChild<QGroupBox *>()->findChildren<QLineEdit *>();
        typeText(edits[0], id);
        typeText(edits[1], name);
        QCOMPARE(m_customers->filterText(), filter);
        QCOMPARE(visibleIds(), shown);
    }

    void yesNoFieldsGetThreeStateBoxes()
    {
        m_db->exec(QStringLiteral("insert into orders (id, refusal) values (1, 0), (2, 1)"));
        auto orders = m_db->orders();
        orders->setFiltered(true);
        TfrmRef chooser(nullptr, *orders, QStringLiteral("Orders"));
        chooser.FormCreate();
        chooser.show();
        QCheckBox *box = chooser.findChild<QCheckBox *>();
        QVERIFY(box);
        QVERIFY(box->isTristate());
        QCOMPARE(box->checkState(), Qt::PartiallyChecked);
        QCOMPARE(orders->recordCount(), 2);

        box->click();
        QCOMPARE(orders->filterText(), QStringLiteral("refusal = 1"));
        QCOMPARE(orders->recordCount(), 1);
        box->click();
        QCOMPARE(orders->filterText(), QStringLiteral("refusal = 0"));
        QCOMPARE(orders->field(QStringLiteral("id"))->asInteger(), 1);
        box->click();
        QCOMPARE(orders->filterText(), QString());
        QCOMPARE(orders->recordCount(), 2);
    }

    void chooseNeedsARowToChoose()
    {
        TfrmRef chooser(nullptr, *m_customers, QStringLiteral("Customers"));
        chooser.FormCreate();
        chooser.show();
        chooser.actChooseUpdate();
        QVERIFY(!chooser.chooseCommand()->isEnabled());
        // With no row a double-click and Enter neither choose nor edit.
        emit chooser.grid()->gridDoubleClicked();
        QTest::keyClick(chooser.grid(), Qt::Key_Return);
        QVERIFY(chooser.isVisible());
        QCOMPARE(m_customers->state(), db::DatasetState::Browse);

        m_db->exec(QStringLiteral("insert into customer (id, sname) values ('7', 'Smith')"));
        m_customers->requery();
        chooser.actChooseUpdate();
        QVERIFY(chooser.chooseCommand()->isEnabled());
        m_customers->edit();
        chooser.actChooseUpdate();
        QVERIFY(!chooser.chooseCommand()->isEnabled()); // only while browsing
        m_customers->cancel();
    }

    void doubleClickOrEnterChooses_data()
    {
        QTest::addColumn<bool>("enter");
        QTest::newRow("double-click") << false;
        QTest::newRow("Enter") << true;
    }

    void doubleClickOrEnterChooses()
    {
        QFETCH(bool, enter);
        addCustomers();
        TfrmRef chooser(nullptr, *m_customers, QStringLiteral("Customers"));
        chooser.FormCreate();
        chooser.show();
        m_customers->locate(QStringLiteral("id"), QStringLiteral("2"));
        if (enter)
            QTest::keyClick(chooser.grid(), Qt::Key_Enter);
        else
            emit chooser.grid()->gridDoubleClicked();
        QCOMPARE(chooser.result(), int(QDialog::Accepted));
        QCOMPARE(m_customers->field(QStringLiteral("id"))->asString(), QStringLiteral("2"));
    }

    void withoutChooseADoubleClickEdits()
    {
        addCustomers();
        TfrmRef chooser(nullptr, *m_customers, QStringLiteral("Customers"), false);
        chooser.FormCreate();
        chooser.show();
        QVERIFY(!chooser.findChild<QToolButton *>(QStringLiteral("btnChoose"))->isVisible());
        emit chooser.grid()->gridDoubleClicked();
        QCOMPARE(m_customers->state(), db::DatasetState::Edit);
        QVERIFY(chooser.isVisible());
        m_customers->cancel();
    }

    void theDatasetIsPutBackAsItWasFound_data()
    {
        QTest::addColumn<bool>("openBefore");
        QTest::newRow("closed before") << false;
        QTest::newRow("open before") << true;
    }

    void theDatasetIsPutBackAsItWasFound()
    {
        QFETCH(bool, openBefore);
        addCustomers();
        if (openBefore)
            m_customers->open();
        {
            TfrmRef chooser(nullptr, *m_customers, QStringLiteral("Customers"));
            chooser.FormCreate();
            QVERIFY(m_customers->isActive());
            QTest::keyClicks(chooser.findChild<QGroupBox *>()->findChildren<QLineEdit *>()[1], QStringLiteral("Iv"));
            QCOMPARE(m_customers->recordCount(), 1);
        }
        QCOMPARE(m_customers->isActive(), openBefore);
        QCOMPARE(m_customers->filterText(), QString());
    }

    void theNavigatorOffersTheChoosersButtons()
    {
        TfrmRef chooser(nullptr, *m_customers, QStringLiteral("Customers"));
        chooser.FormCreate();
        using B = TDBNavigator::Button;
        QCOMPARE(chooser.navigator()->visibleButtons(),
                 (QList<B>{B::First, B::Last, B::Insert, B::Delete, B::Edit, B::Post, B::Cancel}));
        QVERIFY(chooser.navigator()->confirmDelete());
        QVERIFY(!(chooser.grid()->options() & TqubDBGrid::Option::Editing));
        QVERIFY(chooser.grid()->horizontalHeader()->font().bold());
        QVERIFY(chooser.findChild<QToolButton *>(QStringLiteral("btnChoose"))->font().bold());
    }

    void theOpenersReadTheChoiceBeforeTheDatasetCloses()
    {
        addCustomers();
        ChooserOptions options;
        options.caption = QStringLiteral("Pick one");
        options.height = 200;
        options.showNavigator = false;
        QString chosen;
        onNextModal([this](QWidget *modal) {
            auto *chooser = qobject_cast<TfrmRef *>(modal);
            QVERIFY(chooser);
            QCOMPARE(chooser->windowTitle(), QStringLiteral("Pick one"));
            QCOMPARE(chooser->height(), 200);
            QVERIFY(chooser->navigator()->isHidden());
            m_customers->locate(QStringLiteral("id"), QStringLiteral("3"));
            chooser->chooseCommand()->trigger();
        });
        const bool accepted = TfrmRef::choose(nullptr, *m_customers, options, [&] {
            chosen = m_customers->field(QStringLiteral("sname"))->asString();
        });
        QVERIFY(accepted);
        QCOMPARE(chosen, QStringLiteral("Иванова"));
        QVERIFY(!m_customers->isActive());
    }

    void closingOtherwiseChoosesNothing()
    {
        addCustomers();
        onNextModal([](QWidget *modal) { qobject_cast<QDialog *>(modal)->reject(); });
        bool read = false;
        QVERIFY(!TfrmRef::choose(nullptr, *m_customers, ChooserOptions{}, [&] { read = true; }));
        QVERIFY(!read);
    }

    void theOrderRulesOwnDoubleClickChoosesWhileBrowsing()
    {
        addCustomers();
        ChooserOptions options;
        options.autoEdit = false;
        options.doubleClickChooses = true;
        options.showChoose = false; // the opener's own rule, not the chooser's
        onNextModal([this](QWidget *modal) {
            auto *chooser = qobject_cast<TfrmRef *>(modal);
            QVERIFY(!chooser->dsRef()->autoEdit());
            m_customers->edit();
            emit chooser->grid()->gridDoubleClicked(); // editing: stays open
            QVERIFY(chooser->isVisible());
            m_customers->cancel();
            emit chooser->grid()->gridDoubleClicked();
        });
        QVERIFY(TfrmRef::choose(nullptr, *m_customers, options, [] {}));
    }

    void chooseCataloqueMakesTheChosenDateCurrent()
    {
        testing_support::LocaleGuard locale(testing_support::commaLocale());
        app_test::TestProgram program;
        program.executeSql(QStringLiteral("insert into product (id, name, dateprice, price, points) values "
                                          "('AAA-01', 'Tea', '2007-03-01 00:00:00.000', 1, 1), "
                                          "('AAA-01', 'Tea', '2007-06-01 00:00:00.000', 1, 1)"));
        program.start();
        program.data().connect();
        QCOMPARE(program.main().windowTitle(), QStringLiteral("Quorvel Cataloque Date - 01.06.2007"));

        int rows = -1;
        onNextModal([&](QWidget *modal) {
            auto *chooser = qobject_cast<TfrmRef *>(modal);
            QVERIFY(chooser->navigator()->isHidden());
            QVERIFY(chooser->findChild<QGroupBox *>(QStringLiteral("gbFilter"))->isHidden());
            rows = chooser->dataset().recordCount();
            chooser->dataset().last(); // the dates come newest first
            chooser->chooseCommand()->trigger();
        });
        program.main().runCommand(program.command(QStringLiteral("actCatalog")));
        QCOMPARE(rows, 2);
        QCOMPARE(program.main().windowTitle(), QStringLiteral("Quorvel Cataloque Date - 01.03.2007"));
        QVERIFY(!program.data().qChCat->isActive()); // closed again, as it was found
    }

private:
    void addCustomers()
    {
        m_db->exec(QStringLiteral("insert into customer (id, sname) values ('1', 'Ivanov'), ('2', 'Smith'), "
                                  "('3', 'Иванова'), ('12', 'O''Brien')"));
    }

    QStringList visibleIds()
    {
        QStringList ids;
        for (int i = 0; i < m_customers->recordCount(); ++i)
            ids << m_customers->valueAt(i, m_customers->field(QStringLiteral("id"))).toString();
        ids.sort();
        return ids;
    }

    std::unique_ptr<TestDatabase> m_db;
    std::unique_ptr<db::Dataset> m_customers;
};

QTEST_MAIN(TestTfrmRef)
#include "tst_TfrmRef.moc"
