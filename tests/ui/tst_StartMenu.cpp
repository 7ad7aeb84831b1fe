// The start menu: its six buttons and their places, a child window that the
// user can move but never close, and buttons that run the main window's
// commands whatever their enabled state.

#include "ProgramFixture.h"
#include "UiTestSupport.h"

#include <QAction>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QTest>

using app_test::TestProgram;
using testing_support::LocaleGuard;

namespace {

const QStringList kButtons{"btnOrders", "btnProducts", "btnCustomers", "btnReport", "btnNewOrder", "btnNewRefuse"};

QPushButton *button(TestProgram &program, const QString &name)
{
    auto *found = program.menu().findChild<QPushButton *>(name);
    if (!found)
        qFatal("No button %s", qPrintable(name));
    return found;
}

QPoint centredIn(const QWidget *area, const QWidget *window)
{
    return QPoint((area->width() - window->width()) / 2, (area->height() - window->height()) / 2);
}

} // namespace

class TestStartMenu : public QObject
{
    Q_OBJECT

private slots:
    void init() { m_locale = std::make_unique<LocaleGuard>(testing_support::pointLocale()); }
    void cleanup() { m_locale.reset(); }

    void buttons_data();
    void buttons();
    void tabOrderFollowsTheButtons();
    void frameWithoutButtonsCentredUntilMoved();
    void cannotBeClosed();
    void buttonsRunCommandsEvenWhenDisabled_data();
    void buttonsRunCommandsEvenWhenDisabled();
    void firstFailingCommandStopsTheButton();

private:
    std::unique_ptr<LocaleGuard> m_locale;
};

void TestStartMenu::buttons_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("top");
    QTest::addColumn<QString>("caption");

    QTest::newRow("Orders") << "btnOrders" << 23 << "Orders";
    QTest::newRow("Cataloque") << "btnProducts" << 63 << "Cataloque";
    QTest::newRow("Customers") << "btnCustomers" << 103 << "Customers";
    QTest::newRow("Reports") << "btnReport" << 144 << "Reports";
    QTest::newRow("New Order") << "btnNewOrder" << 184 << "New Order";
    QTest::newRow("New Refusal") << "btnNewRefuse" << 223 << "New Refusal";
}

void TestStartMenu::buttons()
{
    QFETCH(QString, name);
    QFETCH(int, top);
    QFETCH(QString, caption);

    TestProgram program;
    program.start();
    QCOMPARE(program.menu().size(), QSize(290, 273));
    QPushButton *found = button(program, name);
    QCOMPARE(found->geometry(), QRect(25, top, 242, 33));
    QCOMPARE(found->text(), caption);
    QCOMPARE(found->font().pixelSize(), 19);
    QVERIFY(found->font().italic());
    QVERIFY(!found->icon().isNull());
    QVERIFY(found->isVisible());
}

void TestStartMenu::tabOrderFollowsTheButtons()
{
    TestProgram program;
    program.start();
    QStringList chain;
    QWidget *each = button(program, kButtons.first());
    do {
        if (kButtons.contains(each->objectName()) && !chain.contains(each->objectName()))
            chain << each->objectName();
        each = each->nextInFocusChain();
    } while (each != button(program, kButtons.first()));
    QCOMPARE(chain, kButtons);
}

void TestStartMenu::frameWithoutButtonsCentredUntilMoved()
{
    TestProgram program;
    program.start();
    QMdiSubWindow *frame = program.menu().subWindow();
    QCOMPARE(frame->widget(), &program.menu());
    const Qt::WindowFlags flags = frame->windowFlags();
    QVERIFY(flags.testFlag(Qt::WindowTitleHint));
    QVERIFY(flags.testFlag(Qt::CustomizeWindowHint));
    QVERIFY(!flags.testFlag(Qt::WindowCloseButtonHint));
    QVERIFY(!flags.testFlag(Qt::WindowMinimizeButtonHint));
    QVERIFY(!flags.testFlag(Qt::WindowMaximizeButtonHint));
    QVERIFY(!flags.testFlag(Qt::WindowSystemMenuHint));
    QVERIFY(!frame->systemMenu());
    QCOMPARE(frame->windowTitle(), QString());

    QWidget *area = program.main().mdiArea()->viewport();
    app_test::waitForIdle();
    QCOMPARE(frame->pos(), centredIn(area, frame));
    program.main().resize(1200, 900);
    app_test::waitForIdle();
    QCOMPARE(frame->pos(), centredIn(area, frame));

    // Once the user has placed it, it stays where it was put.
    frame->move(10, 12);
    program.main().resize(900, 650);
    app_test::waitForIdle();
    QCOMPARE(frame->pos(), QPoint(10, 12));
}

void TestStartMenu::cannotBeClosed()
{
    TestProgram program;
    program.start();
    QMdiArea *area = program.main().mdiArea();
    QCOMPARE(program.main().childWindowCount(), 1);

    program.menu().subWindow()->close();
    area->setActiveSubWindow(program.menu().subWindow());
    area->closeActiveSubWindow();
    area->closeAllSubWindows();
    app_test::waitForIdle();
    QCOMPARE(program.main().childWindowCount(), 1);
    QVERIFY(program.menu().isVisible());
    QCOMPARE(area->subWindowList().first(), program.menu().subWindow());
}

void TestStartMenu::buttonsRunCommandsEvenWhenDisabled_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QStringList>("commands");

    QTest::newRow("Orders") << "btnOrders" << QStringList{"actOrders"};
    QTest::newRow("Cataloque") << "btnProducts" << QStringList{"actProduct"};
    QTest::newRow("Customers") << "btnCustomers" << QStringList{"actCustomer"};
    QTest::newRow("Reports") << "btnReport" << QStringList{"actRepProduct"};
    QTest::newRow("New Order") << "btnNewOrder" << QStringList{"actOrders", "actInsert"};
    QTest::newRow("New Refusal") << "btnNewRefuse" << QStringList{"actOrders", "actInsertRefusal"};
}

void TestStartMenu::buttonsRunCommandsEvenWhenDisabled()
{
    QFETCH(QString, name);
    QFETCH(QStringList, commands);

    TestProgram program;
    program.start();
    // Disconnected with the journal closed, every one of these is disabled.
    app_test::waitForIdle();
    QStringList ran;
    for (const char *each :
         {"actOrders", "actProduct", "actCustomer", "actRepProduct", "actInsert", "actInsertRefusal"}) {
        QAction *command = program.command(QLatin1String(each));
        QVERIFY2(!command->isEnabled(), each);
        // The command itself is the activating command.
        program.main().setCommandAction(command, [&ran, command](QAction *sender) {
            ran << (sender == command ? sender->objectName() : QStringLiteral("wrong sender"));
        });
    }
    QTest::mouseClick(button(program, name), Qt::LeftButton);
    QCOMPARE(ran, commands);
}

void TestStartMenu::firstFailingCommandStopsTheButton()
{
    TestProgram program;
    program.start();
    QStringList ran;
    program.main().setCommandAction(program.command(QStringLiteral("actOrders")), [&ran](QAction *) {
        ran << QStringLiteral("actOrders");
        throw db::DataError(QStringLiteral("The orders cannot be read"));
    });
    program.main().setCommandAction(program.command(QStringLiteral("actInsert")),
                                    [&ran](QAction *) { ran << QStringLiteral("actInsert"); });
    {
        ui_test::ModalWatch watch;
        button(program, QStringLiteral("btnNewOrder"))->click();
        QCOMPARE(watch.titles, QStringList{QStringLiteral("Quorvel")});
        QCOMPARE(watch.texts, QStringList{QStringLiteral("The orders cannot be read")});
    }
    QCOMPARE(ran, QStringList{QStringLiteral("actOrders")});
    // The program goes on.
    program.main().setCommandAction(program.command(QStringLiteral("actOrders")),
                                    [&ran](QAction *) { ran << QStringLiteral("actOrders"); });
    button(program, QStringLiteral("btnNewOrder"))->click();
    QCOMPARE(ran, (QStringList{"actOrders", "actOrders", "actInsert"}));
}

QTEST_MAIN(TestStartMenu)
#include "tst_StartMenu.moc"
