// The department page of the organization window: the grid over the
// department, the point commands and their edges, the amount dialog, reserve
// saving with its number check, the menu's availability, and printing.

#include "ProgramFixture.h"
#include "ReadBack.h"
#include "ScriptedPort.h"
#include "UiTestSupport.h"

#include "DataU.h"
#include "Messages.h"
#include "organization/DecBonusU.h"
#include "organization/DepGridModel.h"
#include "organization/OrgU.h"
#include "organization/PointsU.h"
#include "reports/Export.h"

#include <QAction>
#include <QScopeGuard>
#include <QFocusEvent>
#include <QLineEdit>
#include <QMenu>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QTabWidget>
#include <QTableView>
#include <QTest>
#include <QToolButton>
#include <QTreeWidget>
#include <QRegularExpression>
#include <QMessageBox>
#include <QApplication>

using namespace ui_test;
using app_test::TestProgram;
using testing_support::pdfText;

namespace {

// Head 1 (100) over 2 (60) and 3 (25); 2 over 4 (12.5, reserve 3) and 5
// (10). Grid order: 1, 2, 4, 5, 3. X stands outside.
const char *const kCustomers =
    "insert into customer (id, id_customer, sname, totalpoints, reserve) values "
    "('1', NULL, 'Head', 100, 0), ('3', '1', 'Bravo', 25, 0), ('5', '2', 'Delta', 10, 2), "
    "('2', '1', 'Alpha', 60, 0), ('4', '2', 'Charlie', 12.5, 3), ('X', NULL, 'Outsider', 40, 0)";

} // namespace

class TestDepartmentView : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        m_locale = std::make_unique<testing_support::LocaleGuard>(testing_support::pointLocale());
        m_program = std::make_unique<TestProgram>();
        QVERIFY(QFile::copy(QStringLiteral(QUORVEL_SHIPPED_PROJECT), m_program->folder().file("repOrder.rav")));
        m_program->executeSql(QString::fromLatin1(kCustomers));
        m_program->writeSettings({QStringLiteral("[SrvSettings]"), QStringLiteral("ConnectOnStart=1")});
        m_program->setUserPort(m_port);
        m_program->start();
        m_window = std::make_unique<TfrmOrg>(data(), &m_program->main());
        m_window->open();
        m_window->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
        child<QTabWidget>("pcOrg")->setCurrentWidget(child<QWidget>("tsDeps"));
        showDepartment("1");
    }
    void cleanup()
    {
        m_window.reset();
        QVERIFY2(m_port.unexpected.isEmpty(), qPrintable(m_port.unexpected.join(u", ")));
        m_program.reset();
        m_port = ScriptedPort();
        m_locale.reset();
    }

    void theGridShowsTheDepartment()
    {
        DepGridModel *model = m_window->depModel();
        QCOMPARE(column(DepGridModel::Id), (QStringList{"1", "2", "4", "5", "3"}));
        QCOMPARE(model->headerData(0, Qt::Horizontal).toString(), Messages().lLevelColumn);
        QCOMPARE(model->headerData(6, Qt::Horizontal).toString(), Messages().lReserveColumn);
        QCOMPARE(model->index(2, DepGridModel::Reserve).data().toString(), QStringLiteral("3"));
        QVERIFY(model->flags(model->index(0, DepGridModel::Reserve)) & Qt::ItemIsEditable);
        QVERIFY(!(model->flags(model->index(0, DepGridModel::Bonus)) & Qt::ItemIsEditable));
    }

    // To Reserve over 12.5 and 3 leaves 0 and 15.5, the ancestors recomputed
    // at once; From Reserve over a negative balance adds the reserve.
    void reserveCommands()
    {
        const double headGroup = member(0).GroupPoints;
        hot(3, 4);
        trigger("actToReserve");
        QCOMPARE(points("4"), 0.0);
        QCOMPARE(reserve("4"), 15.5);
        QCOMPARE(member(2).PersonalPoints, 0.0);
        QCOMPARE(member(0).GroupPoints, headGroup - 12.5);
        QCOMPARE(cell(2, DepGridModel::Reserve), QStringLiteral("15.5"));
        QVERIFY(!data().qOneCustomer->isActive());

        data().ADOConnection.execute("update customer set totalpoints = -4 where id = '5'");
        hot(4, 7);
        trigger("actFromReserve");
        QCOMPARE(points("5"), -2.0);
        QCOMPARE(reserve("5"), 0.0);
        QCOMPARE(cell(3, DepGridModel::PersonalPoints), QStringLiteral("-2"));
    }

    void passAndGet_data()
    {
        QTest::addColumn<QString>("command");
        QTest::addColumn<QString>("chosen");
        QTest::addColumn<QVariant>("typed"); // null: the dialog cancelled
        QTest::addColumn<QStringList>("pointsAfter"); // of 2 and of the chosen customer
        QTest::addColumn<QString>("error");
        QTest::newRow("pass to") << "actSendTo" << "3" << QVariant("20,25") << QStringList{"39.75", "45.25"} << "";
        QTest::newRow("get from outside") << "actReceiveFrom" << "X" << QVariant("15") << QStringList{"75", "25"} << "";
        QTest::newRow("a pasted point") << "actSendTo" << "3" << QVariant("0.5") << QStringList{"59.5", "25.5"} << "";
        QTest::newRow("zero") << "actSendTo" << "3" << QVariant("0") << QStringList{"60", "25"} << "";
        QTest::newRow("cancelled") << "actSendTo" << "3" << QVariant() << QStringList{"60", "25"} << "";
        QTest::newRow("a comma alone") << "actSendTo" << "3" << QVariant(",") << QStringList{"60", "25"}
                                       << "',' is not a valid floating point value";
    }
    void passAndGet()
    {
        QFETCH(QString, command);
        QFETCH(QString, chosen);
        QFETCH(QVariant, typed);
        QFETCH(QStringList, pointsAfter);
        QFETCH(QString, error);
        const double headGroup = member(0).GroupPoints;
        m_port.expectChooser([chosen](db::DataSource &source) {
            if (!source.dataset()->isActive())
                source.dataset()->open();
            return source.dataset()->locate("id", chosen);
        });
        m_window->AskPointsText = [typed]() -> std::optional<QString> {
            return typed.isNull() ? std::nullopt : std::optional<QString>(typed.toString());
        };
        hot(2, 4);
        QString shownError;
        if (!error.isEmpty())
            answerNextMessageBox(QMessageBox::Ok, &shownError);
        trigger(command.toLatin1());
        QCOMPARE(m_port.chooserCaptions, QStringList{child<QAction>(command.toLatin1())->text()});
        QCOMPARE(QString::number(points("2")), pointsAfter[0]);
        QCOMPARE(QString::number(points(chosen)), pointsAfter[1]);
        QCOMPARE(cell(1, DepGridModel::PersonalPoints), pointsAfter[0]);
        if (chosen != "X")
            QCOMPARE(member(0).GroupPoints, headGroup);
        QCOMPARE(shownError, error);
    }

    // The arrows step the whole number within 0 to 100; typing is not capped.
    void theAmountDialog()
    {
        TfrmPoints dialog(data().localization());
        QLineEdit *box = dialog.edPointsToPass();
        QCOMPARE(box->text(), QStringLiteral("0"));
        QTest::keyClick(box, Qt::Key_Down);
        QCOMPARE(box->text(), QStringLiteral("0"));
        box->setText(QStringLiteral("98,5"));
        dialog.findChild<QToolButton *>("btnUp")->click();
        QTest::keyClick(box, Qt::Key_Up);
        QTest::keyClick(box, Qt::Key_Up);
        QCOMPARE(box->text(), QStringLiteral("100"));
        box->clear();
        typeText(box, QStringLiteral("2a5.0"));
        QCOMPARE(box->text(), QStringLiteral("250"));
        QTest::keyClick(box, Qt::Key_Backspace);
        typeText(box, QStringLiteral(",5"));
        QCOMPARE(box->text(), QStringLiteral("25,5"));
        QVERIFY(dialog.windowTitle().isEmpty());
    }

    // Readable reserves are stored, also after a refused one; the refused
    // ones are named and stay on screen with Modified kept.
    void savingReserves()
    {
        DepGridModel *model = m_window->depModel();
        QVERIFY(!child<QAction>("actSaveOrgChanges")->isEnabled());
        model->setData(model->index(0, DepGridModel::Reserve), ",5");
        model->setData(model->index(1, DepGridModel::Reserve), "1,2,3");
        model->setData(model->index(2, DepGridModel::Reserve), "20,25");
        model->setData(model->index(3, DepGridModel::Reserve), "-3,5");
        model->setData(model->index(4, DepGridModel::Reserve), "5,");
        QVERIFY(m_window->isModified());
        m_window->updateActions();
        QVERIFY(child<QAction>("actSaveOrgChanges")->isEnabled());
        trigger("actSaveOrgChanges");
        QCOMPARE(m_port.errors, QStringList{"Reserve of 2 Alpha is not a number: 1,2,3"});
        QCOMPARE(reserve("1"), 0.5);
        QCOMPARE(reserve("4"), 20.25);
        QCOMPARE(reserve("5"), -3.5);
        QCOMPARE(reserve("3"), 5.0);
        QVERIFY(m_window->isModified());
        QCOMPARE(cell(1, DepGridModel::Reserve), QStringLiteral("1,2,3"));

        model->setData(model->index(1, DepGridModel::Reserve), "7");
        trigger("actSaveOrgChanges");
        QCOMPARE(reserve("2"), 7.0);
        QVERIFY(!m_window->isModified());
        QCOMPARE(cell(2, DepGridModel::Reserve), QStringLiteral("20.25"));
    }

    void theMenuFollowsTheHotCell_data()
    {
        QTest::addColumn<int>("row");
        QTest::addColumn<int>("column");
        QTest::addColumn<QStringList>("shown");
        QTest::newRow("personal points") << 2 << 4 << QStringList{"actToReserve", "actSendTo", "actReceiveFrom"};
        QTest::newRow("reserve") << 5 << 7 << QStringList{"actFromReserve"};
        QTest::newRow("bonus") << 1 << 6 << QStringList{"actDetBonusCalc"};
        QTest::newRow("name") << 1 << 3 << QStringList();
        QTest::newRow("outside") << -1 << 4 << QStringList();
    }
    void theMenuFollowsTheHotCell()
    {
        QFETCH(int, row);
        QFETCH(int, column);
        QFETCH(QStringList, shown);
        hot(row, column);
        m_window->updateActions();
        QStringList visible;
        for (QAction *command : m_window->depMenu()->actions())
            if (command->isVisible())
                visible << command->objectName();
        QCOMPARE(visible, shown);
    }

    // The menu's own popup keeps HotRow; any other loss of focus clears it.
    // A row beyond a smaller department is left alone; a failed build leaves
    // an empty grid.
    void hotRowAndRebuilds()
    {
        auto *grid = child<QTableView>("grdDep");
        const auto moveTo = [grid](const QPoint &pos) {
            QMouseEvent move(QEvent::MouseMove, pos, grid->viewport()->mapToGlobal(pos), Qt::NoButton, Qt::NoButton,
                             Qt::NoModifier);
            QApplication::sendEvent(grid->viewport(), &move);
        };
        moveTo(grid->visualRect(m_window->depModel()->index(1, DepGridModel::Bonus)).center());
        QCOMPARE(m_window->HotRow, 2);
        QCOMPARE(m_window->HotCol, 6);
        moveTo(QPoint(5, grid->viewport()->height() - 2));
        QCOMPARE(m_window->HotRow, -1);

        hot(5, 4);
        QFocusEvent popup(QEvent::FocusOut, Qt::PopupFocusReason);
        QApplication::sendEvent(grid, &popup);
        QCOMPARE(m_window->HotRow, 5);
        QFocusEvent away(QEvent::FocusOut, Qt::TabFocusReason);
        QApplication::sendEvent(grid, &away);
        QCOMPARE(m_window->HotRow, -1);

        hot(5, 4);
        showDepartment("2");
        QCOMPARE(m_window->depModel()->rowCount(), 3);
        trigger("actToReserve");
        QCOMPARE(points("3"), 25.0);

        data().ADOConnection.execute("alter table customer rename to gone");
        bool failed = false;
        try {
            m_window->BuildDepartments();
        } catch (const db::DataError &) {
            failed = true;
        }
        QVERIFY(failed);
        QCOMPARE(m_window->depModel()->rowCount(), 0);
        QVERIFY(m_window->department().isEmpty());
        data().ADOConnection.execute("alter table gone rename to customer");
    }

    void theExplanation()
    {
        TfrmDecipherBonus window(data().localization(), member(0), m_window->department().Detail(member(0)));
        QVERIFY(window.windowTitle().endsWith(QStringLiteral("Detailed Bonus Calculation, 1 Head")));
        const QStringList lines = window.memDecipherBonus()->toPlainText().split(u'\n');
        QVERIFY(lines.size() > 3);
        QVERIFY(lines[1].isEmpty());
        QVERIFY(window.memDecipherBonus()->isReadOnly());
    }

    // Print lists the figures after To Reserve without a reload, and lets the
    // list go afterwards.
    void printing()
    {
        hot(3, 4);
        trigger("actToReserve");
        const QString pdf = m_program->folder().file("dep.pdf");
        answerOutputToFile(pdf);
        trigger("actPrintDep");
        QVERIFY(data().depReportList().empty());
        const QString text = pdfText(pdf);
        qsizetype at = text.indexOf(Messages().lLevelColumn);
        QVERIFY(at >= 0);
        for (int row = 0; row < 5; ++row) {
            const TDepMember &m = member(row);
            const QRegularExpression line(QStringLiteral("%1\\s+%2\\s+%3\\s+%4\\s+%5")
                                              .arg(m.Level)
                                              .arg(m.Id, m.Name, QString::number(m.PersonalPoints),
                                                   QString::number(m.GroupPoints)));
            const QRegularExpressionMatch match = line.match(text, at);
            QVERIFY2(match.hasMatch(), qPrintable(m.Id + u'\n' + text));
            at = match.capturedEnd();
        }
    }

    // To Excel on the department page sends the department grid, titles first.
    void toExcelFollowsThePage()
    {
        struct Sink : SpreadsheetSink
        {
            QHash<QPair<int, int>, QVariant> *cells;
            void setCell(int row, int column, const QVariant &value) override { cells->insert({row, column}, value); }
            void show() override {}
        };
        QHash<QPair<int, int>, QVariant> cells;
        setSpreadsheetFactory([&cells] {
            auto sink = std::make_unique<Sink>();
            sink->cells = &cells;
            return sink;
        });
        const auto restore = qScopeGuard([] { setSpreadsheetFactory({}); });
        trigger("actToExcel");
        QCOMPARE(cells.value({1, 1}).toString(), Messages().lLevelColumn);
        QCOMPARE(cells.value({1, 7}).toString(), Messages().lReserveColumn);
        QCOMPARE(cells.value({2, 2}).toString(), QStringLiteral("1"));
        QCOMPARE(cells.value({6, 3}).toString(), QStringLiteral("Bravo"));
    }

private:
    TData &data() { return m_program->data(); }
    template <typename T>
    T *child(const char *name)
    {
        return ui_test::namedChild<T>(m_window.get(), name);
    }
    void showDepartment(const QString &id)
    {
        auto *tree = child<QTreeWidget>("tvCustomer");
        const int index = id.isEmpty() ? 0 : m_window->findLiveIndex(id);
        QTreeWidgetItem *node = m_window->tree().FindNodeByIndex(index);
        QVERIFY(node);
        tree->setCurrentItem(node);
        m_window->tvCustomerDblClick();
    }
    void hot(int row, int column)
    {
        m_window->HotRow = row;
        m_window->HotCol = column;
        m_window->updateActions();
    }
    /// Runs a command as its menu item does, whatever has changed since the
    /// menu was made.
    void trigger(const char *command) { child<QAction>(command)->trigger(); }
    const TDepMember &member(int row) { return m_window->department().DepList()[std::size_t(row)]; }
    QString cell(int row, int column) { return m_window->depModel()->index(row, column).data().toString(); }
    QStringList column(int column)
    {
        QStringList texts;
        for (int row = 0; row < m_window->depModel()->rowCount(); ++row)
            texts << cell(row, column);
        return texts;
    }
    double value(const QString &column, const QString &id)
    {
        db::Dataset probe(&data().ADOConnection, QStringLiteral("probe"));
        probe.setSql("select " + column + " from customer where id = :id");
        probe.param(QStringLiteral("id")).setValue(id);
        probe.open();
        return probe.fieldAt(0)->asFloat();
    }
    double points(const QString &id) { return value("totalpoints", id); }
    double reserve(const QString &id) { return value("reserve", id); }

    std::unique_ptr<testing_support::LocaleGuard> m_locale;
    ScriptedPort m_port;
    std::unique_ptr<TestProgram> m_program;
    std::unique_ptr<TfrmOrg> m_window;
};

QTEST_MAIN(TestDepartmentView)
#include "tst_DepartmentView.moc"
