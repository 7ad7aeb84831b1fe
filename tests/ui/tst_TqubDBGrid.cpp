// The data grid: the current row in step with the dataset both ways, typing
// into cells, and the check-box cells' drawing, click, column entry and exit.
#include "UiTestSupport.h"
#include "widgets/qubDBGrid.h"

#include <QApplication>
#include <QHeaderView>
#include <QLineEdit>
#include <QPainter>
#include <QSignalSpy>
#include <QtTest>

using ui_test::TestDatabase;
using Option = TqubDBGrid::Option;

namespace {

// Row 3's yes/no value is empty.
const char *const kOrdersWithEmptyRefusal =
    "select id, id_customer, totalsum, case when id = 3 then null else refusal end as refusal, ordersdate "
    "from orders order by id";

} // namespace

class tst_TqubDBGrid : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        m_db = std::make_unique<TestDatabase>();
        m_db->addThreeCustomers();
        m_db->exec("insert into orders (id, id_customer, totalsum, refusal, ordersdate) values "
                   "(1, '1', 100, 0, '2024-03-01 00:00:00.000'), (2, '1', -40, 1, '2024-03-02 00:00:00.000'), "
                   "(3, '2', 10, 0, '2024-03-03 00:00:00.000')");
    }

    void cleanup()
    {
        m_grid.reset();
        m_source.reset();
        m_dataset.reset();
        m_db.reset();
    }

    // --- current row -------------------------------------------------------------------

    void datasetMovesSelectTheGridRow()
    {
        showGrid(m_db->customers());
        QCOMPARE(m_grid->currentIndex().row(), 0);
        m_dataset->moveTo(2);
        QCOMPARE(m_grid->currentIndex().row(), 2);
        m_dataset->first();
        QCOMPARE(m_grid->currentIndex().row(), 0);
        QVERIFY(m_grid->selectionModel()->isSelected(m_grid->currentIndex()));
    }

    void clickingAndKeysMoveTheDataset()
    {
        showGrid(m_db->customers());
        click(1, 1);
        QCOMPARE(m_dataset->currentIndex(), 1);
        QTest::keyClick(m_grid.get(), Qt::Key_Down);
        QCOMPARE(m_dataset->currentIndex(), 2);
        QCOMPARE(m_grid->currentIndex().row(), 2);
    }

    void leavingARowPostsIt()
    {
        showGrid(m_db->customers());
        m_dataset->edit();
        m_dataset->field("sname")->setValue("Ivanova");
        click(2, 0);
        QCOMPARE(m_dataset->state(), db::DatasetState::Browse);
        QCOMPARE(m_dataset->currentIndex(), 2);
        QCOMPARE(m_db->scalar("select sname from customer where id = '1'").toString(), QString("Ivanova"));
    }

    void aRefusedPostKeepsTheGridOnItsRow()
    {
        showGrid(m_db->customers());
        m_dataset->edit();
        m_dataset->field("sname")->clear(); // required
        QString message;
        ui_test::answerNextMessageBox(QMessageBox::Ok, &message);
        click(2, 0);
        QTRY_COMPARE(m_grid->currentIndex().row(), 0);
        QCOMPARE(message, QString("Field 'Customer Name' must have a value"));
        QCOMPARE(m_dataset->currentIndex(), 0);
        QCOMPARE(m_dataset->state(), db::DatasetState::Edit);
        QVERIFY(m_grid->selectionModel()->isRowSelected(0, QModelIndex())
                || m_grid->selectionModel()->isSelected(m_grid->currentIndex()));
        QVERIFY(!m_grid->selectionModel()->isSelected(m_grid->model()->index(2, 0)));
    }

    void columnsTakeTheirDisplayWidths()
    {
        showGrid(m_db->customers());
        const int charWidth = m_grid->fontMetrics().averageCharWidth();
        for (int c = 0; c < m_grid->model()->columnCount(); ++c) {
            db::Field *field = m_grid->columnField(c);
            QVERIFY2(m_grid->columnWidth(c) >= field->displayWidth() * charWidth, qPrintable(field->name()));
            QVERIFY(m_grid->columnWidth(c) < field->displayWidth() * charWidth + 40
                    || m_grid->columnWidth(c) < m_grid->fontMetrics().horizontalAdvance(field->displayLabel()) + 40);
        }
        // "Customer Name" (50 characters) is much wider than "Customer ID" (6).
        QVERIFY(m_grid->columnWidth(1) > 3 * m_grid->columnWidth(0));
    }

    // --- editing in cells ------------------------------------------------------------------

    void typingInACellEditsTheFieldAndEnterWritesIt()
    {
        showGrid(m_db->customers());
        QSignalSpy enter(m_grid.get(), &TqubDBGrid::enterPressed);
        m_grid->setSelectedIndex(1);
        QTest::keyClicks(m_grid.get(), "Z");
        QCOMPARE(m_dataset->state(), db::DatasetState::Edit);
        auto *editor = qobject_cast<QLineEdit *>(QApplication::focusWidget());
        QVERIFY(editor);
        QTest::keyClicks(editor, "ak");
        QTest::keyClick(editor, Qt::Key_Return);
        QCOMPARE(enter.count(), 1);
        QCOMPARE(m_dataset->field("sname")->asString(), QString("Zak"));
        QCOMPARE(m_dataset->state(), db::DatasetState::Edit);

        QTest::keyClick(m_grid.get(), Qt::Key_Down);
        QCOMPARE(m_db->scalar("select sname from customer where id = '1'").toString(), QString("Zak"));
    }

    void escapeCancelsTheRow()
    {
        showGrid(m_db->customers());
        m_dataset->edit();
        m_dataset->field("sname")->setValue("Other");
        QTest::keyClick(m_grid.get(), Qt::Key_Escape);
        QCOMPARE(m_dataset->state(), db::DatasetState::Browse);
        QCOMPARE(m_grid->model()->index(0, 1).data().toString(), QString("Ivanov"));
    }

    void noTypingWithoutEditingOrAutoEdit_data()
    {
        QTest::addColumn<bool>("editing");
        QTest::addColumn<bool>("readOnly");
        QTest::addColumn<bool>("autoEdit");
        QTest::newRow("no editing option") << false << false << true;
        QTest::newRow("read-only grid") << true << true << true;
        QTest::newRow("data source without auto edit") << true << false << false;
    }

    void noTypingWithoutEditingOrAutoEdit()
    {
        QFETCH(bool, editing);
        QFETCH(bool, readOnly);
        QFETCH(bool, autoEdit);
        auto customers = m_db->customers();
        prepareGrid(std::move(customers));
        m_source->setAutoEdit(autoEdit);
        m_grid->setReadOnly(readOnly);
        if (!editing)
            m_grid->setOptions(m_grid->options() & ~TqubDBGrid::Options(Option::Editing));
        show();
        m_grid->setSelectedIndex(1);
        QTest::keyClick(m_grid.get(), Qt::Key_Z);
        QCOMPARE(m_dataset->state(), db::DatasetState::Browse);
        QVERIFY(!editorOpen());
    }

    void doubleClickOnAnEmptyGridReachesTheWindow()
    {
        m_db->exec("delete from customer");
        showGrid(m_db->customers());
        QSignalSpy doubleClicks(m_grid.get(), &TqubDBGrid::gridDoubleClicked);
        QTest::mouseDClick(m_grid->viewport(), Qt::LeftButton, {}, QPoint(20, 20));
        QCOMPARE(doubleClicks.count(), 1);
    }

    // --- check-box cells ---------------------------------------------------------------------

    void clickOnACheckBox_data()
    {
        QTest::addColumn<bool>("designEditing");
        QTest::addColumn<bool>("displayBoolean");
        QTest::addColumn<bool>("readOnly");
        QTest::addColumn<bool>("autoEdit");
        QTest::addColumn<int>("row");
        QTest::addColumn<int>("clicks");
        QTest::addColumn<QVariant>("value");
        QTest::addColumn<bool>("editing");
        QTest::addColumn<bool>("windowNotified");

        const QVariant no(false), yes(true), empty;
        QTest::newRow("journal design: nothing changes, the window hears the click")
            << false << true << false << true << 1 << 1 << yes << false << true;
        QTest::newRow("editable: a clear box ticks and the row is edited")
            << true << true << false << true << 0 << 1 << yes << true << false;
        QTest::newRow("editable: a second click clears it") << true << true << false << true << 0 << 2 << no << true << false;
        QTest::newRow("editable: a ticked box clears") << true << true << false << true << 1 << 1 << no << true << false;
        QTest::newRow("editable: an empty value counts as clear")
            << true << true << false << true << 2 << 1 << yes << true << false;
        QTest::newRow("check boxes off: the toolkit's click")
            << true << false << false << true << 0 << 1 << no << false << true;
        QTest::newRow("read-only grid: nothing, not even the window")
            << true << true << true << true << 0 << 1 << no << false << false;
        QTest::newRow("data source without auto edit: nothing")
            << true << true << false << false << 0 << 1 << no << false << false;
        QTest::newRow("empty value in a read-only grid stays empty")
            << true << true << true << true << 2 << 1 << empty << false << false;
    }

    void clickOnACheckBox()
    {
        QFETCH(bool, designEditing);
        QFETCH(bool, displayBoolean);
        QFETCH(bool, readOnly);
        QFETCH(bool, autoEdit);
        QFETCH(int, row);
        QFETCH(int, clicks);
        QFETCH(QVariant, value);
        QFETCH(bool, editing);
        QFETCH(bool, windowNotified);

        prepareGrid(m_db->orders(kOrdersWithEmptyRefusal));
        if (!designEditing)
            m_grid->setOptions(m_grid->options() & ~TqubDBGrid::Options(Option::Editing));
        m_grid->setDisplayBoolean(displayBoolean);
        m_grid->setReadOnly(readOnly);
        m_source->setAutoEdit(autoEdit);
        show();
        m_dataset->moveTo(row);
        QSignalSpy notified(m_grid.get(), &TqubDBGrid::cellClicked);

        const int refusal = m_grid->datasetModel()->columnOf(m_dataset->field("refusal"));
        for (int i = 0; i < clicks; ++i)
            click(row, refusal);

        QCOMPARE(m_dataset->currentIndex(), row);
        const QVariant actual = m_dataset->field("refusal")->value();
        QCOMPARE(actual.isValid() ? QVariant(actual.toBool()) : QVariant(), value);
        QCOMPARE(m_dataset->isEditing(), editing);
        QCOMPARE(!notified.isEmpty(), windowNotified);
        QVERIFY(!editorOpen()); // never a text editor over a box
    }

    void aTickedBoxIsStoredWithTheRow()
    {
        showGrid(m_db->orders());
        const int refusal = m_grid->datasetModel()->columnOf(m_dataset->field("refusal"));
        click(0, refusal);
        click(1, 0); // leaving the row posts it
        QCOMPARE(m_db->scalar("select refusal from orders where id = 1").toInt(), 1);
    }

    void clickOnATextCellDoesNotStartEditing()
    {
        showGrid(m_db->orders());
        click(2, m_grid->datasetModel()->columnOf(m_dataset->field("totalsum")));
        QCOMPARE(m_dataset->currentIndex(), 2);
        QCOMPARE(m_dataset->state(), db::DatasetState::Browse);
    }

    void aRefusedValueIsLeftUnreported()
    {
        prepareGrid(m_db->orders());
        // Editing starts, but then the field refuses any value.
        m_dataset->afterEdit = [](db::Dataset &ds) { ds.field("refusal")->setReadOnly(true); };
        show();
        ui_test::ModalWatch watch;
        click(1, m_grid->datasetModel()->columnOf(m_dataset->field("refusal")));
        QTest::qWait(50);
        QVERIFY2(watch.texts.isEmpty(), qPrintable(watch.texts.join(" | ")));
        QCOMPARE(m_dataset->state(), db::DatasetState::Edit);
        QCOMPARE(m_dataset->field("refusal")->value().toBool(), true);
    }

    void columnEntryAndExit()
    {
        showGrid(m_db->orders());
        QSignalSpy entered(m_grid.get(), &TqubDBGrid::columnEntered);
        QSignalSpy exited(m_grid.get(), &TqubDBGrid::columnExited);
        const int refusal = m_grid->datasetModel()->columnOf(m_dataset->field("refusal"));
        const TqubDBGrid::Options saved = m_grid->savedOptions();
        QVERIFY(saved & Option::Editing);

        // Entering the check-box column takes editing away, silently.
        m_grid->setSelectedIndex(refusal);
        QVERIFY(!(m_grid->options() & Option::Editing));
        QCOMPARE(entered.count(), 0);
        QCOMPARE(exited.count(), 1);
        QCOMPARE(exited.last().at(0).toInt(), 0);

        // Leaving it gives the saved options back, and the window hears both.
        m_grid->setSelectedIndex(1);
        QCOMPARE(m_grid->options(), saved);
        QCOMPARE(exited.last().at(0).toInt(), refusal);
        QCOMPARE(entered.count(), 1);
        QCOMPARE(entered.last().at(0).toInt(), 1);

        // Switching check boxes off keeps editing in that column; on again
        // runs the entry rule where the grid stands.
        m_grid->setDisplayBoolean(false);
        m_grid->setSelectedIndex(refusal);
        QVERIFY(m_grid->options() & Option::Editing);
        QCOMPARE(entered.last().at(0).toInt(), refusal);
        m_grid->setDisplayBoolean(true);
        QVERIFY(!(m_grid->options() & Option::Editing));
        m_grid->setDisplayBoolean(true); // the same value does nothing
        QVERIFY(!(m_grid->options() & Option::Editing));
    }

    void columnRulesWithoutEditingInTheDesign()
    {
        prepareGrid(m_db->orders());
        m_grid->setOptions(m_grid->options() & ~TqubDBGrid::Options(Option::Editing));
        show();
        QSignalSpy entered(m_grid.get(), &TqubDBGrid::columnEntered);
        m_grid->setSelectedIndex(m_grid->datasetModel()->columnOf(m_dataset->field("refusal")));
        QCOMPARE(entered.count(), 1);
        // A window switching editing on later still gets its options back on exit.
        m_grid->setOptions(m_grid->options() | Option::Editing);
        m_grid->setSelectedIndex(0);
        QVERIFY(m_grid->options() & Option::Editing);
    }

    // The window's painting comes first, the check box last, on the window's colour.
    void checkBoxIsDrawnOverTheWindowsPainting()
    {
        prepareGrid(m_db->orders());
        const QColor paint(255, 0, 255);
        int painted = 0;
        m_grid->setOnDrawColumnCell([&](TqubDBGrid::DrawCell &cell) {
            ++painted;
            cell.painter->fillRect(cell.rect, paint);
            cell.brush = paint;
        });
        show();
        m_grid->setSelectedIndex(0);
        const int refusal = m_grid->datasetModel()->columnOf(m_dataset->field("refusal"));
        const QImage image = m_grid->viewport()->grab().toImage();
        QVERIFY(painted > 0);

        const QRect box = m_grid->visualRect(m_grid->model()->index(1, refusal));
        QCOMPARE(image.pixelColor(box.topLeft() + QPoint(2, 2)), paint);
        QVERIFY(image.pixelColor(box.center()) != paint);
        const QRect text = m_grid->visualRect(m_grid->model()->index(1, 1));
        QCOMPARE(image.pixelColor(text.center()), paint);

        // Ticked and clear boxes differ; the words are gone.
        const QRect clear = m_grid->visualRect(m_grid->model()->index(2, refusal));
        QVERIFY(image.copy(box) != image.copy(clear));
        QCOMPARE(m_grid->model()->index(1, refusal).data().toString(), QString());
        m_grid->setDisplayBoolean(false);
        QCOMPARE(m_grid->model()->index(1, refusal).data().toString(), QString("True"));
    }

private:
    void prepareGrid(std::unique_ptr<db::Dataset> dataset)
    {
        m_dataset = std::move(dataset);
        m_dataset->open();
        m_source = std::make_unique<db::DataSource>(m_dataset.get(), QStringLiteral("dsTest"));
        m_grid = std::make_unique<TqubDBGrid>();
        m_grid->setObjectName(QStringLiteral("grdTest"));
        m_grid->resize(640, 240);
        m_grid->setDataSource(m_source.get());
    }

    void show()
    {
        m_grid->show();
        QApplication::setActiveWindow(m_grid.get());
        QVERIFY(QTest::qWaitForWindowExposed(m_grid.get()));
        m_grid->setFocus();
    }

    void showGrid(std::unique_ptr<db::Dataset> dataset)
    {
        prepareGrid(std::move(dataset));
        show();
    }

    bool editorOpen() const
    {
        const auto editors = m_grid->viewport()->findChildren<QLineEdit *>();
        return std::any_of(editors.begin(), editors.end(), [](QLineEdit *e) { return e->isVisible(); });
    }

    void click(int row, int column)
    {
        const QRect cell = m_grid->visualRect(m_grid->model()->index(row, column));
        QTest::mouseClick(m_grid->viewport(), Qt::LeftButton, {}, cell.center());
        QTest::qWait(QApplication::doubleClickInterval() / 10 + 1);
    }

    std::unique_ptr<TestDatabase> m_db;
    std::unique_ptr<db::Dataset> m_dataset;
    std::unique_ptr<db::DataSource> m_source;
    std::unique_ptr<TqubDBGrid> m_grid;
};

QTEST_MAIN(tst_TqubDBGrid)
#include "tst_TqubDBGrid.moc"
