// The main window: commands and their enabling rules, the caption, the
// switches, start-up failures, help, support, bar customizing and the error
// guard around every command.

#include "ProgramFixture.h"
#include "ReadBack.h"
#include "UiTestSupport.h"

#include "app/CustomizeBars.h"
#include "widgets/Switches.h"
#include "Messages.h"
#include "reports/RepProduct.h"

#include <QAction>
#include <QCheckBox>
#include <QDateEdit>
#include <QFile>
#include <QListWidget>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QTest>
#include <QTextBrowser>
#include <QToolBar>
#include <QTreeWidget>

using app_test::TestProgram;
using testing_support::LocaleGuard;

namespace {

const QStringList kAlwaysEnabled{QStringLiteral("FileExit1"),   QStringLiteral("actSettings"),
                                 QStringLiteral("CustomizeActionBars"), QStringLiteral("actCatalog"),
                                 QStringLiteral("actHelp"),     QStringLiteral("actSupport"),
                                 QStringLiteral("actAbout")};

QStringList enabledCommands(TfrmMain &window)
{
    QStringList names;
    for (QAction *action : window.commands())
        if (action->isEnabled())
            names << action->objectName();
    names.sort();
    return names;
}

QStringList sorted(QStringList names)
{
    names.sort();
    return names;
}

QStringList entriesOf(const QMenu *menu)
{
    QStringList entries;
    for (const QAction *action : menu->actions())
        entries << (action->isSeparator() ? QStringLiteral("-") : action->text());
    return entries;
}

// A child window standing in for the orders journal.
QMdiSubWindow *openJournalStandIn(TfrmMain &window, const QString &caption = QStringLiteral("Orders and Refusals"))
{
    auto *journal = new QWidget;
    journal->setWindowTitle(caption);
    return window.addChildWindow(journal);
}

QTreeWidgetItem *commandItem(QTreeWidget *tree, const QString &name)
{
    for (QTreeWidgetItemIterator it(tree); *it; ++it)
        if ((*it)->data(0, Qt::UserRole).toString() == name)
            return *it;
    return nullptr;
}

} // namespace

class TestMainWindow : public QObject
{
    Q_OBJECT

private slots:
    void init() { m_locale = std::make_unique<LocaleGuard>(testing_support::pointLocale()); }
    void cleanup() { m_locale.reset(); }

    void enablingRules_data();
    void enablingRules();
    void disabledCommandWaitsForIdle();
    void menusAndToolBar_data();
    void menusAndToolBar();
    void commandsCarryImagesAndHints();
    void caption_data();
    void caption();
    void captionTakesTranslatedEmptyCatalogueText();
    void connectFailureShowsEngineError();
    void startUpWithoutDatabaseGoesOn();
    void switches_data();
    void switches();
    void ordersCommandBringsJournalForward();
    void reportsAndPrintReachTheReportEngine();
    void settingsCommandRereadsSettings_data();
    void settingsCommandRereadsSettings();
    void aboutCommandShowsAboutBox();
    void helpShowsManual();
    void helpWithoutManualSaysSo();
    void supportWritesToSupportAddress();
    void customizingWritesLayoutNeverReadBack();
    void toolBarTidiesSeparators_data();
    void toolBarTidiesSeparators();
    void guardShowsUnhandledErrors_data();
    void guardShowsUnhandledErrors();
    void exitDisconnects();

private:
    std::unique_ptr<LocaleGuard> m_locale;
};

// --- enabling -----------------------------------------------------------------------------

void TestMainWindow::enablingRules_data()
{
    QTest::addColumn<bool>("connected");
    QTest::addColumn<bool>("journalOpen");
    QTest::addColumn<bool>("orderAtHand");
    QTest::addColumn<QStringList>("enabled");

    const QStringList connectedOnly{QStringLiteral("actDisconnect"), QStringLiteral("actBackUp"),
                                    QStringLiteral("actRepProduct"), QStringLiteral("actClearBD"),
                                    QStringLiteral("actClearPoints"), QStringLiteral("actCustomer"),
                                    QStringLiteral("actProduct")};
    const QStringList journal{QStringLiteral("actPrint"), QStringLiteral("actInsert"),
                              QStringLiteral("actInsertRefusal")};
    const QStringList order{QStringLiteral("actEdit"), QStringLiteral("actView"), QStringLiteral("actToWord"),
                            QStringLiteral("actDelete")};

    QTest::newRow("disconnected, journal closed")
        << false << false << false
        << kAlwaysEnabled + QStringList{QStringLiteral("actConnect"), QStringLiteral("actRestore")};
    QTest::newRow("disconnected, second child window")
        << false << true << false
        << kAlwaysEnabled + QStringList{QStringLiteral("actConnect"), QStringLiteral("actRestore")} + journal;
    QTest::newRow("connected, journal closed")
        << true << false << false << kAlwaysEnabled + connectedOnly + QStringList{QStringLiteral("actOrders")};
    QTest::newRow("connected, journal open, list empty")
        << true << true << false << kAlwaysEnabled + connectedOnly + journal;
    QTest::newRow("connected, journal open, an order at hand")
        << true << true << true << kAlwaysEnabled + connectedOnly + journal + order;
    QTest::newRow("connected, journal closed, orders read elsewhere")
        << true << false << true << kAlwaysEnabled + connectedOnly + QStringList{QStringLiteral("actOrders")} + order;
}

void TestMainWindow::enablingRules()
{
    QFETCH(bool, connected);
    QFETCH(bool, journalOpen);
    QFETCH(bool, orderAtHand);
    QFETCH(QStringList, enabled);

    TestProgram program;
    if (orderAtHand) {
        program.executeSql(QStringLiteral("insert into customer (id, sname) values ('1', 'Ivanova')"));
        program.executeSql(QStringLiteral("insert into orders (id, id_customer, refusal, ordersdate) "
                                          "values (1, '1', 0, '2024-05-01 00:00:00.000')"));
    }
    program.start();
    if (connected)
        program.data().connect();
    if (journalOpen)
        openJournalStandIn(program.main());
    if (orderAtHand)
        program.data().qOrders->open();
    app_test::waitForIdle();

    QCOMPARE(enabledCommands(program.main()).join(u" "), sorted(enabled).join(u" "));
}

void TestMainWindow::disabledCommandWaitsForIdle()
{
    TestProgram program;
    program.start();
    int disconnects = 0;
    QAction *disconnect = program.command(QStringLiteral("actDisconnect"));
    const auto realDisconnect = [&program](QAction *) { program.data().disconnect(); };
    program.main().setCommandAction(disconnect, [&](QAction *sender) {
        ++disconnects;
        realDisconnect(sender);
    });

    disconnect->trigger();
    QCOMPARE(disconnects, 0);

    program.command(QStringLiteral("actConnect"))->trigger();
    QVERIFY(program.data().isConnected());
    // The rules are re-evaluated when the program falls idle, not before.
    QVERIFY(!disconnect->isEnabled());
    app_test::waitForIdle();
    QVERIFY(disconnect->isEnabled());
    QVERIFY(!program.command(QStringLiteral("actConnect"))->isEnabled());

    disconnect->trigger();
    QCOMPARE(disconnects, 1);
    QVERIFY(!program.data().isConnected());
}

// --- bars ---------------------------------------------------------------------------------------

void TestMainWindow::menusAndToolBar_data()
{
    QTest::addColumn<QString>("menu");
    QTest::addColumn<QString>("title");
    QTest::addColumn<QStringList>("entries");

    QTest::newRow("File") << "mnuFile" << "&File"
                          << QStringList{"&Open Database", "&Close Database", "&Backup Database", "&Restore Database",
                                         "&Exit"};
    QTest::newRow("Activities") << "mnuActivities" << "&Activities"
                                << QStringList{"&Orders and Refusals", "&Reports", "&Print", "&Clear Database",
                                               "C&lear Points"};
    QTest::newRow("Actions") << "mnuActions" << "A&ctions"
                             << QStringList{"&Add Order", "Edit Order", "View Order", "&Report (Word)", "A&dd Refusal",
                                            "De&lete"};
    QTest::newRow("Data") << "mnuData" << "&Data" << QStringList{"&Customers", "C&ataloque"};
    QTest::newRow("Settings") << "mnuSettings" << "&Settings" << QStringList{"General", "&Choose Cataloque"};
    QTest::newRow("Help") << "mnuHelp" << "&Help" << QStringList{"Help", "&Support", "-", "&About ..."};
}

void TestMainWindow::menusAndToolBar()
{
    QFETCH(QString, menu);
    QFETCH(QString, title);
    QFETCH(QStringList, entries);

    TestProgram program;
    program.start();
    const auto *bar = program.main().findChild<QMenuBar *>();
    QVERIFY(bar);
    const auto *found = bar->findChild<QMenu *>(menu);
    QVERIFY(found);
    QCOMPARE(found->title(), title);
    QCOMPARE(entriesOf(found), entries);

    QStringList titles;
    for (const QAction *action : bar->actions())
        titles << action->text();
    QCOMPARE(titles, (QStringList{"&File", "&Activities", "A&ctions", "&Data", "&Settings", "&Help"}));

    const auto *toolBar = program.main().findChild<QToolBar *>();
    QCOMPARE(toolBar->toolButtonStyle(), Qt::ToolButtonIconOnly);
    QVERIFY(!toolBar->isMovable());
    QCOMPARE(program.main().toolBarLayout(),
             (QStringList{"actConnect", "actDisconnect", "-", "actOrders", "-", "actInsert", "actInsertRefusal",
                          "actEdit", "actDelete", "actView", "-"}));
    // The bar customizing command is in no menu.
    for (const QMenu *each : bar->findChildren<QMenu *>())
        QVERIFY(!each->actions().contains(program.command(QStringLiteral("CustomizeActionBars"))));
}

void TestMainWindow::commandsCarryImagesAndHints()
{
    TestProgram program;
    program.start();
    QCOMPARE(program.main().commands().size(), 24);
    const QStringList withoutImage{"actClearBD", "actHelp", "actSupport"};
    for (QAction *action : program.main().commands())
        QVERIFY2(action->icon().isNull() == withoutImage.contains(action->objectName()),
                 qPrintable(action->objectName()));

    QAction *connect = program.command(QStringLiteral("actConnect"));
    QCOMPARE(connect->toolTip(), QStringLiteral("Открыть БД"));
    QCOMPARE(connect->statusTip(), QStringLiteral("Подключиться к базе данных"));
    QCOMPARE(program.command(QStringLiteral("actDisconnect"))->statusTip(), QStringLiteral("Отключиться от базы данных"));
    QCOMPARE(program.command(QStringLiteral("FileExit1"))->toolTip(), QStringLiteral("Exit"));
    QCOMPARE(program.command(QStringLiteral("FileExit1"))->statusTip(), QStringLiteral("Close Application"));
    QCOMPARE(program.command(QStringLiteral("CustomizeActionBars"))->text(), QStringLiteral("Панель инструментов"));
    QCOMPARE(TfrmMain::commandCaption(program.command(QStringLiteral("actOrders"))), QStringLiteral("Orders and Refusals"));
    QCOMPARE(program.command(QStringLiteral("actOrders"))->property("category").toString(), QStringLiteral("Activities"));
}

// --- caption ----------------------------------------------------------------------------------------

void TestMainWindow::caption_data()
{
    QTest::addColumn<QLocale>("locale");
    QTest::addColumn<QStringList>("catalogues");
    QTest::addColumn<QString>("expected");

    const QLocale uk = testing_support::pointLocale();
    const QLocale german = testing_support::commaLocale();
    QTest::newRow("one catalogue, dd/MM/yyyy")
        << uk << QStringList{"2007-03-01 00:00:00.000"} << "Quorvel Cataloque Date - 01/03/2007";
    QTest::newRow("latest in force, dd.MM.yyyy")
        << german << QStringList{"2007-03-01 00:00:00.000", "2007-06-01 00:00:00.000", "2999-01-01 00:00:00.000"}
        << "Quorvel Cataloque Date - 01.06.2007";
    QTest::newRow("catalogue with a time of day")
        << german << QStringList{"2007-03-01 10:30:00.000"} << "Quorvel Cataloque Date - 01.03.2007 10:30:00";
    QTest::newRow("only future catalogues") << german << QStringList{"2999-01-01 00:00:00.000"}
                                            << "Quorvel Cataloque Date - 30.12.1899";
    QTest::newRow("no catalogue") << uk << QStringList{} << "Quorvel Cataloque Date - 30/12/1899";
}

void TestMainWindow::caption()
{
    QFETCH(QLocale, locale);
    QFETCH(QStringList, catalogues);
    QFETCH(QString, expected);
    LocaleGuard guard(locale);

    TestProgram program;
    int n = 0;
    for (const QString &date : catalogues)
        program.executeSql(QStringLiteral("insert into product (id, name, dateprice, price, points) "
                                          "values ('AAA-%1', 'Cream', '%2', 1, 1)")
                               .arg(++n, 2, 10, QChar(u'0'))
                               .arg(date));
    program.start();
    QCOMPARE(program.main().windowTitle(), QStringLiteral("Quorvel"));

    program.main().runCommand(program.command(QStringLiteral("actConnect")));
    QCOMPARE(program.main().windowTitle(), expected);

    program.main().runCommand(program.command(QStringLiteral("actDisconnect")));
    QCOMPARE(program.main().windowTitle(), QStringLiteral("Quorvel"));
}

void TestMainWindow::captionTakesTranslatedEmptyCatalogueText()
{
    TestProgram program;
    program.writeLocalization({"[Consts]", "lIndefiniteCatalog=' - no database open'", "lCatalogDate=' | '"});
    program.start();
    QCOMPARE(program.main().windowTitle(), QStringLiteral("Quorvel - no database open"));
    program.data().connect();
    QCOMPARE(program.main().windowTitle(), QStringLiteral("Quorvel | 30/12/1899"));
}

// --- start-up and connection failures -----------------------------------------------------------------

void TestMainWindow::connectFailureShowsEngineError()
{
    TestProgram program(false);
    program.start();
    {
        ui_test::ModalWatch watch;
        program.main().runCommand(program.command(QStringLiteral("actConnect")));
        QCOMPARE(watch.titles, QStringList{QStringLiteral("Quorvel")});
        QCOMPARE(watch.texts.size(), 1);
        QVERIFY(!watch.texts.first().isEmpty());
    }
    QVERIFY(!program.data().isConnected());
    app_test::waitForIdle();
    QVERIFY(program.command(QStringLiteral("actConnect"))->isEnabled());
    QCOMPARE(program.main().windowTitle(), QStringLiteral("Quorvel"));
}

void TestMainWindow::startUpWithoutDatabaseGoesOn()
{
    TestProgram program(false);
    program.writeSettings({"[SrvSettings]", "ConnectOnStart=1"});
    program.writeLocalization({"[Consts]", "lCatalogDate=' Katalog vom '"});
    {
        ui_test::ModalWatch watch;
        program.start();
        QCOMPARE(watch.titles, QStringList{QStringLiteral("Quorvel")});
    }
    QVERIFY(!program.data().isConnected());
    QCOMPARE(Messages().lCatalogDate, QStringLiteral(" Katalog vom "));
    IniFile loc(program.localizationPath());
    QCOMPARE(loc.readString(QStringLiteral("Controls"), QStringLiteral("Data_qOrdersid")), QStringLiteral("Order ID"));
    QVERIFY(loc.hasKey(QStringLiteral("Consts"), QStringLiteral("lDelMes")));
    QVERIFY(loc.hasKey(QStringLiteral("Controls"), QStringLiteral("frmMenu_btnOrders")));
    QVERIFY(loc.hasKey(QStringLiteral("Controls"), QStringLiteral("frmMain_actConnect")));
    // The hidden bar customizing command takes no part in localization.
    QVERIFY(!loc.hasKey(QStringLiteral("Controls"), QStringLiteral("frmMain_CustomizeActionBars")));
    QVERIFY(program.main().isVisible());
}

// --- switches ------------------------------------------------------------------------------------------------

void TestMainWindow::switches_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<bool>("scale");
    QTest::addColumn<bool>("debug");
    QTest::addColumn<bool>("silent");
    QTest::addColumn<bool>("reset");

    QTest::newRow("no arguments") << QStringList{} << false << false << false << false;
    QTest::newRow("upper case") << QStringList{"DEBUG"} << false << true << false << false;
    QTest::newRow("leading dash") << QStringList{"-debug"} << false << false << false << false;
    QTest::newRow("value attached") << QStringList{"debug=1"} << false << false << false << false;
    QTest::newRow("every switch, mixed case")
        << QStringList{"DoFormScale", "hideimage", "ResetPoints", "Debug"} << true << true << true << true;
    QTest::newRow("unknown words among them") << QStringList{"verbose", "hideimage", "debug2"} << false << false << true
                                              << false;
}

void TestMainWindow::switches()
{
    QFETCH(QStringList, arguments);
    QFETCH(bool, scale);
    QFETCH(bool, debug);
    QFETCH(bool, silent);
    QFETCH(bool, reset);

    TestProgram program;
    program.start(arguments);
    QCOMPARE(Switches().scaleDialogs, scale);
    QCOMPARE(Switches().debug, debug);
    QCOMPARE(Switches().silentDelete, silent);
    QCOMPARE(Switches().resetPoints, reset);

    auto *debugList = program.main().findChild<QListWidget *>(QStringLiteral("lstDebug"));
    QVERIFY(debugList);
    QCOMPARE(debugList->isVisible(), debug);
    if (debug) {
        QCOMPARE(debugList->width(), 165);
        QCOMPARE(debugList->count(), 0);
        QCOMPARE(debugList->mapTo(&program.main(), QPoint(0, 0)).x(), 0);
    }
}

// --- commands ---------------------------------------------------------------------------------------------------

void TestMainWindow::ordersCommandBringsJournalForward()
{
    TestProgram program;
    program.start();
    program.data().connect();
    program.main().runCommand(program.command(QStringLiteral("actOrders")));
    QMdiSubWindow *journal = program.main().mdiArea()->activeSubWindow();
    QCOMPARE(journal->windowTitle(), QStringLiteral("Orders and Refusals"));
    // A window that only shares the caption is not the journal.
    QMdiSubWindow *other = openJournalStandIn(program.main());
    program.main().mdiArea()->setActiveSubWindow(other);

    program.main().runCommand(program.command(QStringLiteral("actOrders")));
    QCOMPARE(program.main().mdiArea()->activeSubWindow(), journal);
    QCOMPARE(program.main().childWindowCount(), 3);
}

// Reports opens the product sales window; Print prints the journal's headers
// under the journal's period, its end day written as the journal shows it.
void TestMainWindow::reportsAndPrintReachTheReportEngine()
{
    TestProgram program;
    QVERIFY(QFile::copy(QStringLiteral(QUORVEL_SHIPPED_PROJECT), program.folder().file("repOrder.rav")));
    program.start();
    program.data().connect();
    QString opened;
    ui_test::onNextModal([&](QWidget *dialog) {
        opened = QString::fromLatin1(dialog->metaObject()->className());
        qobject_cast<QDialog *>(dialog)->reject();
    });
    program.main().runCommand(program.command(QStringLiteral("actRepProduct")));
    QCOMPARE(opened, QStringLiteral("TfrmRepProduct"));

    program.main().runCommand(program.command(QStringLiteral("actOrders")));
    QWidget *journal = program.main().mdiArea()->activeSubWindow()->widget();
    journal->findChild<QDateEdit *>(QStringLiteral("dtpBegin"))->setDate(QDate(2026, 3, 1));
    journal->findChild<QDateEdit *>(QStringLiteral("dtpEnd"))->setDate(QDate(2026, 3, 6));
    const QString pdf = program.folder().file("journal.pdf");
    ui_test::answerOutputToFile(pdf);
    program.main().runCommand(program.command(QStringLiteral("actPrint")));
    QCOMPARE(program.data().ReportCaption, QStringLiteral("Date From 01/03/2026 To 06/03/2026"));
    QVERIFY(testing_support::pdfText(pdf).contains(program.data().ReportCaption));
}

void TestMainWindow::settingsCommandRereadsSettings_data()
{
    QTest::addColumn<QString>("button");
    QTest::addColumn<bool>("generateProductId");

    QTest::newRow("OK") << "btnSave" << true;
    QTest::newRow("Cancel") << "btnCancel" << false;
}

void TestMainWindow::settingsCommandRereadsSettings()
{
    QFETCH(QString, button);
    QFETCH(bool, generateProductId);

    TestProgram program;
    program.start();
    QString caption;
    ui_test::onNextModal([&](QWidget *dialog) {
        caption = dialog->windowTitle();
        dialog->findChild<QCheckBox *>(QStringLiteral("GenerateProductID"))->setChecked(true);
        dialog->findChild<QPushButton *>(button)->click();
    });
    program.main().runCommand(program.command(QStringLiteral("actSettings")));
    QCOMPARE(caption, QStringLiteral("Settings"));
    QCOMPARE(program.data().generateProductId(), generateProductId);
    QCOMPARE(QFile::exists(program.settingsPath()), generateProductId);
}

void TestMainWindow::aboutCommandShowsAboutBox()
{
    TestProgram program;
    program.start();
    QString caption;
    ui_test::onNextModal([&](QWidget *dialog) {
        caption = dialog->windowTitle();
        dialog->findChild<QPushButton *>(QStringLiteral("btnOK"))->click();
    });
    program.main().runCommand(program.command(QStringLiteral("actAbout")));
    QCOMPARE(caption, QStringLiteral("  About ..."));
}

void TestMainWindow::helpShowsManual()
{
    TestProgram program;
    {
        QFile manual(program.folder().file(QStringLiteral("manual.html")));
        QVERIFY(manual.open(QIODevice::WriteOnly));
        manual.write("<html><head><title>Test Manual</title></head><body><p>Open the database first.</p></body></html>");
    }
    program.start();
    QAction *help = program.command(QStringLiteral("actHelp"));
    program.main().runCommand(help);
    program.main().runCommand(help);

    QList<QWidget *> helpWindows;
    for (QWidget *window : QApplication::topLevelWidgets())
        if (window->objectName() == u"HelpWindow" && window->isVisible())
            helpWindows << window;
    QCOMPARE(helpWindows.size(), 1);
    QCOMPARE(helpWindows.first()->windowTitle(), QStringLiteral("Test Manual"));
    QVERIFY(helpWindows.first()->findChild<QTextBrowser *>()->toPlainText().contains(u"Open the database first."));

    // Closing the main window takes the help window with it.
    program.main().close();
    QVERIFY(!helpWindows.first()->isVisible());
}

void TestMainWindow::helpWithoutManualSaysSo()
{
    TestProgram program;
    program.start();
    ui_test::ModalWatch watch;
    program.main().runCommand(program.command(QStringLiteral("actHelp")));
    QCOMPARE(watch.texts.size(), 1);
    QVERIFY2(watch.texts.first().contains(program.folder().file(QStringLiteral("manual.html"))),
             qPrintable(watch.texts.first()));
}

void TestMainWindow::supportWritesToSupportAddress()
{
    TestProgram program;
    program.start();
    app_test::UrlCatcher mail(QStringLiteral("mailto"));
    program.main().runCommand(program.command(QStringLiteral("actSupport")));
    QCOMPARE(mail.urls, QList<QUrl>{QUrl(QStringLiteral("mailto:support@quorvel.com"))});
}

void TestMainWindow::customizingWritesLayoutNeverReadBack()
{
    TestProgram program;
    program.start();
    const QStringList shipped = program.main().toolBarLayout();
    ui_test::onNextModal([](QWidget *dialog) {
        auto *tree = dialog->findChild<QTreeWidget *>(QStringLiteral("lstCommands"));
        commandItem(tree, QStringLiteral("actDelete"))->setCheckState(0, Qt::Unchecked);
        commandItem(tree, QStringLiteral("actCustomer"))->setCheckState(0, Qt::Checked);
        QVERIFY(!commandItem(tree, QStringLiteral("CustomizeActionBars")));
        dialog->findChild<QPushButton *>(QStringLiteral("btnClose"))->click();
    });
    program.main().runCommand(program.command(QStringLiteral("CustomizeActionBars")));

    const QStringList customized{"actConnect", "actDisconnect", "-", "actOrders", "-", "actInsert",
                                 "actInsertRefusal", "actEdit", "actView", "-", "actCustomer"};
    QCOMPARE(program.main().toolBarLayout(), customized);
    QFile layout(program.folder().file(QStringLiteral("quorvel.acm")));
    QVERIFY(layout.open(QIODevice::ReadOnly));
    const QString text = QString::fromUtf8(layout.readAll());
    QVERIFY2(text.contains(QStringLiteral("Entries=") + customized.join(u',')), qPrintable(text));
    QVERIFY(text.contains(u"mnuHelp=actHelp,actSupport,-,actAbout"));
    layout.close();

    program.stop();
    program.start();
    QCOMPARE(program.main().toolBarLayout(), shipped);
}

void TestMainWindow::toolBarTidiesSeparators_data()
{
    QTest::addColumn<QStringList>("before");
    QTest::addColumn<QString>("command");
    QTest::addColumn<bool>("shown");
    QTest::addColumn<QStringList>("after");

    const QStringList shipped{"actConnect", "actDisconnect", "-", "actOrders", "-", "actInsert"};
    QTest::newRow("taking off a command between separators")
        << shipped << "actOrders" << false << QStringList{"actConnect", "actDisconnect", "-", "actInsert"};
    QTest::newRow("taking off the first commands")
        << shipped << "actConnect" << false << QStringList{"actDisconnect", "-", "actOrders", "-", "actInsert"};
    QTest::newRow("a leading separator goes")
        << QStringList{"actConnect", "-", "actOrders"} << "actConnect" << false << QStringList{"actOrders"};
    QTest::newRow("putting on appends") << shipped << "actPrint" << true << shipped + QStringList{"actPrint"};
    QTest::newRow("putting on twice keeps one") << shipped << "actOrders" << true << shipped;
}

void TestMainWindow::toolBarTidiesSeparators()
{
    QFETCH(QStringList, before);
    QFETCH(QString, command);
    QFETCH(bool, shown);
    QFETCH(QStringList, after);
    QCOMPARE(ToolBarWith(before, command, shown), after);
}

// --- the error guard -----------------------------------------------------------------------------------------------

void TestMainWindow::guardShowsUnhandledErrors_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<QStringList>("texts");

    QTest::newRow("data error") << 0 << QStringList{"The table is locked"};
    QTest::newRow("other error") << 1 << QStringList{"Out of paper"};
    QTest::newRow("silent abort") << 2 << QStringList{};
}

void TestMainWindow::guardShowsUnhandledErrors()
{
    QFETCH(int, kind);
    QFETCH(QStringList, texts);

    TestProgram program;
    program.start();
    QAction *about = program.command(QStringLiteral("actAbout"));
    program.main().setCommandAction(about, [kind](QAction *) {
        if (kind == 0)
            throw db::DataError(QStringLiteral("The table is locked"));
        if (kind == 1)
            throw std::runtime_error("Out of paper");
        throw db::AbortError();
    });
    {
        ui_test::ModalWatch watch;
        about->trigger();
        QCOMPARE(watch.texts, texts);
        if (!texts.isEmpty())
            QCOMPARE(watch.titles, QStringList{QStringLiteral("Quorvel")});
    }
    // The program goes on: the next command runs.
    program.command(QStringLiteral("actConnect"))->trigger();
    QVERIFY(program.data().isConnected());
}

void TestMainWindow::exitDisconnects()
{
    TestProgram program;
    program.start();
    program.data().connect();
    program.command(QStringLiteral("FileExit1"))->trigger();
    QVERIFY(!program.main().isVisible());
    QVERIFY(program.data().isConnected());
    // Destroying the main window, which follows the end of the event loop, disconnects.
    program.destroyMainWindow();
    QVERIFY(!program.data().isConnected());
}

QTEST_MAIN(TestMainWindow)
#include "tst_MainWindow.moc"
