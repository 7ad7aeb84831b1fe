// The table model over a dataset: its columns, its texts, and that it stays a
// sound Qt model through everything a dataset goes through.
#include "UiTestSupport.h"
#include "widgets/DatasetTableModel.h"

#include <QAbstractItemModelTester>
#include <QSignalSpy>
#include <QtTest>

using ui_test::TestDatabase;

class tst_DatasetTableModel : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        m_db = std::make_unique<TestDatabase>();
        m_db->addThreeCustomers(2.5);
        m_db->exec("insert into orders (id, id_customer, totalsum, refusal, ordersdate) values "
                   "(1, '1', 100, 0, '2024-03-01 00:00:00.000'), (2, '1', -40, 1, '2024-03-02 00:00:00.000')");
    }
    void cleanup() { m_db.reset(); }

    void columnsAreTheVisibleFieldsWithTheirLabels()
    {
        auto orders = m_db->orders();
        orders->open();
        DatasetTableModel model;
        model.setDataset(orders.get());
        QCOMPARE(model.columnCount(), 4); // the customer field is hidden
        QStringList headers;
        for (int c = 0; c < model.columnCount(); ++c)
            headers << model.headerData(c, Qt::Horizontal).toString();
        QCOMPARE(headers, QStringList({"Order ID", "Total Sum", "Refusal", "Orders Date"}));
        QCOMPARE(model.fieldAt(2), orders->field("refusal"));
        QCOMPARE(model.columnOf(orders->field("id_customer")), -1);
        QCOMPARE(model.rowCount(), 2);

        // A field hidden later goes when the columns are taken again.
        orders->field("totalsum")->setVisible(false);
        model.refreshColumns();
        QCOMPARE(model.columnCount(), 3);
    }

    void cellTexts_data()
    {
        QTest::addColumn<bool>("checkState");
        QTest::addColumn<int>("row");
        QTest::addColumn<QString>("field");
        QTest::addColumn<QVariant>("display");
        QTest::addColumn<QVariant>("check");

        QTest::newRow("number") << false << 1 << "totalsum" << QVariant("-40") << QVariant();
        QTest::newRow("date") << false << 0 << "ordersdate" << QVariant("01/03/2024") << QVariant();
        QTest::newRow("yes/no as words") << false << 1 << "refusal" << QVariant("True") << QVariant();
        QTest::newRow("yes/no as check, ticked") << true << 1 << "refusal" << QVariant() << QVariant(int(Qt::Checked));
        QTest::newRow("yes/no as check, clear") << true << 0 << "refusal" << QVariant() << QVariant(int(Qt::Unchecked));
        QTest::newRow("check mode leaves others") << true << 0 << "totalsum" << QVariant("100") << QVariant();
    }

    void cellTexts()
    {
        QFETCH(bool, checkState);
        QFETCH(int, row);
        QFETCH(QString, field);
        QFETCH(QVariant, display);
        QFETCH(QVariant, check);
        auto orders = m_db->orders();
        orders->open();
        DatasetTableModel model;
        model.setDataset(orders.get());
        model.setBooleanCheckState(checkState);
        const QModelIndex index = model.index(row, model.columnOf(orders->field(field)));
        QCOMPARE(index.data(Qt::DisplayRole), display);
        QCOMPARE(index.data(Qt::CheckStateRole).isValid() ? QVariant(index.data(Qt::CheckStateRole).toInt()) : QVariant(),
                 check);
    }

    void numbersAlignRightAndTextLeft()
    {
        auto customers = m_db->customers();
        customers->open();
        DatasetTableModel model;
        model.setDataset(customers.get());
        QCOMPARE(model.index(0, 2).data(Qt::TextAlignmentRole).toInt() & Qt::AlignHorizontal_Mask, int(Qt::AlignRight));
        QCOMPARE(model.index(0, 1).data(Qt::TextAlignmentRole).toInt() & Qt::AlignHorizontal_Mask, int(Qt::AlignLeft));
    }

    // The tester checks every notice the model sends while the dataset opens,
    // moves, edits, posts, cancels, inserts, deletes, filters and closes.
    void staysASoundModelThroughTheDatasetsLife()
    {
        auto customers = m_db->customers();
        DatasetTableModel model;
        QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
        model.setDataset(customers.get());
        QCOMPARE(model.rowCount(), 0);

        customers->open();
        QCOMPARE(model.rowCount(), 3);
        customers->moveTo(1);
        customers->edit();
        customers->field("sname")->setValue("Petrova");
        QCOMPARE(model.index(1, 1).data().toString(), QString("Petrova"));
        customers->cancel();
        QCOMPARE(model.index(1, 1).data().toString(), QString("Petrov"));

        customers->insert();
        QCOMPARE(model.rowCount(), 4);
        customers->field("id")->setValue("4");
        customers->field("sname")->setValue("Kuznetsov");
        customers->post();
        QCOMPARE(model.index(customers->currentIndex(), 1).data().toString(), QString("Kuznetsov"));

        customers->insert();
        customers->cancel();
        QCOMPARE(model.rowCount(), 4);

        customers->first();
        customers->remove();
        QCOMPARE(model.rowCount(), 3);

        customers->setFilterText("sname like 'P*'");
        customers->setFiltered(true);
        QCOMPARE(model.rowCount(), 1);
        customers->setFiltered(false);

        customers->disableControls();
        customers->requery();
        customers->last();
        customers->enableControls();
        QCOMPARE(model.rowCount(), 3);

        customers->close();
        QCOMPARE(model.rowCount(), 0);
        customers.reset(); // a destroyed dataset leaves an empty model
        QCOMPARE(model.rowCount(), 0);
        QCOMPARE(model.columnCount(), 0);
    }

    void followsTheDatasetsCurrentRowAndFieldChanges()
    {
        auto customers = m_db->customers();
        customers->open();
        DatasetTableModel model;
        model.setDataset(customers.get());
        QSignalSpy current(&model, &DatasetTableModel::currentRowChanged);
        QSignalSpy changed(&model, &QAbstractItemModel::dataChanged);

        customers->moveTo(2);
        QCOMPARE(current.count(), 1);
        QCOMPARE(current.last().at(0).toInt(), 2);

        changed.clear();
        customers->edit();
        customers->field("totalpoints")->setValue(7);
        QVERIFY(!changed.isEmpty());
        const auto topLeft = changed.last().at(0).value<QModelIndex>();
        const auto bottomRight = changed.last().at(1).value<QModelIndex>();
        QCOMPARE(topLeft.row(), 2);
        QCOMPARE(bottomRight.row(), 2);
        QCOMPARE(topLeft.column(), 0);
        QCOMPARE(bottomRight.column(), model.columnCount() - 1);
    }

    void writesOnlyTheRowBeingEdited()
    {
        auto customers = m_db->customers();
        customers->open();
        DatasetTableModel model;
        model.setDataset(customers.get());
        QVERIFY(!model.setData(model.index(0, 1), "Browse"));
        customers->edit();
        QVERIFY(!model.setData(model.index(1, 1), "Other row"));
        QVERIFY(model.setData(model.index(0, 1), "Ivanova"));
        QCOMPARE(customers->field("sname")->asString(), QString("Ivanova"));
        QVERIFY_THROWS_EXCEPTION(db::DataError, model.setData(model.index(0, 2), "many"));
    }

private:
    std::unique_ptr<TestDatabase> m_db;
};

QTEST_MAIN(tst_DatasetTableModel)
#include "tst_DatasetTableModel.moc"
