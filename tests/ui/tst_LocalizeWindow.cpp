// Localizing windows: which components of a window receive a key in the
// localization file and under what name, what an edited file does to windows
// created later, and what a fresh file holds after the first start.

#include "ProgramFixture.h"
#include "UiTestSupport.h"

#include "app/AboutU.h"
#include "app/SettingsU.h"
#include "Localization.h"
#include "Messages.h"
#include "reports/RepProduct.h"
#include "widgets/DateU.h"
#include "widgets/HintU.h"
#include "widgets/Localize.h"
#include "widgets/Progress2U.h"

#include <QAction>
#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QScrollArea>
#include <QTabWidget>
#include <QTest>
#include <QToolButton>
#include <QVBoxLayout>

using app_test::TestProgram;
using testing_support::LocaleGuard;
using testing_support::ProgramFolder;

namespace {
const QString &kControls = LocCatalogue::ControlsSection;
const QString &kConsts = LocCatalogue::ConstsSection;
const QString &kErrors = LocCatalogue::ErrorsSection;
} // namespace

// A window with one component of every kind the walk tells apart, created in
// the order of its members.
class TfrmProbe : public QDialog
{
    Q_OBJECT

public:
    explicit TfrmProbe(bool withUnwritableName = false)
    {
        setWindowTitle(QStringLiteral("Probe"));
        auto *layout = new QVBoxLayout(this);

        auto *run = named(new QAction(QStringLiteral("Run"), this), "actRun");
        named(new QAction(QStringLiteral("Invisible"), this), "actInvisible")->setVisible(false);
        auto *marked = named(new QAction(QStringLiteral("Marked"), this), "actMarked");
        marked->setProperty("hidden", true);

        layout->addWidget(named(new QLabel(QStringLiteral("Shown")), "lblShown"));
        auto *hiddenLabel = named(new QLabel(QStringLiteral("Hidden")), "lblHidden");
        layout->addWidget(hiddenLabel);
        hiddenLabel->hide();
        if (withUnwritableName)
            layout->addWidget(named(new QLabel(QStringLiteral("Broken")), "lbl\nBroken"));
        auto *picture = named(new QLabel, "imgPicture");
        picture->setPixmap(QPixmap(16, 16));
        layout->addWidget(picture);
        layout->addWidget(new QLabel(QStringLiteral("Nameless")));

        auto *hiddenButton = named(new QPushButton(QStringLiteral("Later")), "btnLater");
        layout->addWidget(hiddenButton);
        hiddenButton->hide();
        auto *group = named(new QGroupBox(QStringLiteral("Options")), "grpOptions");
        auto *groupLayout = new QVBoxLayout(group);
        groupLayout->addWidget(named(new QCheckBox(QStringLiteral("Inside")), "chbInside"));
        groupLayout->addWidget(named(new QLabel(QStringLiteral("In hidden group")), "lblInGroup"));
        layout->addWidget(group);
        group->hide();

        auto *tool = named(new QToolButton, "btnTool");
        tool->setDefaultAction(run);
        layout->addWidget(tool);
        auto *bound = named(new QPushButton(QStringLiteral("Bound")), "btnBound");
        bound->setProperty("action", QVariant::fromValue<QObject *>(run));
        layout->addWidget(bound);

        auto *pages = named(new QTabWidget, "pgcPages");
        pages->addTab(named(new QWidget, "tsFirst"), QStringLiteral("First"));
        pages->addTab(named(new QWidget, "tsSecond"), QStringLiteral("Second"));
        layout->addWidget(pages);

        auto *scroll = named(new QScrollArea, "sbxScroll");
        auto *inside = named(new QWidget, "panInside");
        new QVBoxLayout(inside);
        inside->layout()->addWidget(named(new QLabel(QStringLiteral("Scrolled")), "lblScrolled"));
        scroll->setWidget(inside);
        layout->addWidget(scroll);

        auto *area = named(new QWidget, "panHint");
        layout->addWidget(area);
        TfmHint::create(area, QStringLiteral("A hint of its own"), HintAlign::Fill);

        auto *other = named(new QDialog(this), "dlgOther");
        new QLabel(QStringLiteral("Elsewhere"), other);
        other->findChild<QLabel *>()->setObjectName(QStringLiteral("lblElsewhere"));

        layout->addWidget(named(new QPushButton(QStringLiteral("Close")), "btnClose"));
    }

private:
    template <class T>
    static T *named(T *object, const char *name)
    {
        object->setObjectName(QString::fromLatin1(name));
        return object;
    }
};

class TestLocalizeWindow : public QObject
{
    Q_OBJECT

private slots:
    void init() { m_locale = std::make_unique<LocaleGuard>(testing_support::pointLocale()); }
    void cleanup()
    {
        m_locale.reset();
        resetMessages();
    }

    void componentKeys();
    void translatedFileWins();
    void failedEntryRecordedUnderCaption();
    void windowKeys_data();
    void windowKeys();
    void laterWindowsTakeEditedTexts();
    void firstStartFillsTheFile();

private:
    std::unique_ptr<LocaleGuard> m_locale;
};

void TestLocalizeWindow::componentKeys()
{
    ProgramFolder folder;
    LocCatalogue catalogue(folder.file(LocCatalogue::FileName));
    TfrmProbe probe;
    LocalizeWindow(&probe, catalogue);

    // Creation order; a hidden windowed control takes part, and so does a
    // label that is visible itself inside a hidden group.
    const QStringList expected{"frmProbe_actRun",   "frmProbe_lblShown",  "frmProbe_btnLater",
                               "frmProbe_grpOptions", "frmProbe_chbInside", "frmProbe_lblInGroup",
                               "frmProbe_tsFirst",  "frmProbe_tsSecond",  "frmProbe_lblScrolled",
                               "frmProbe_btnClose"};
    QCOMPARE(catalogue.file().sections(), QStringList{kControls});
    QCOMPARE(catalogue.file().keys(kControls), expected);
    QCOMPARE(catalogue.file().readRawString(kControls, QStringLiteral("frmProbe_tsSecond")),
             QStringLiteral("'Second'"));
    QCOMPARE(catalogue.file().readRawString(kControls, QStringLiteral("frmProbe_actRun")),
             QStringLiteral("'Run'"));
    // The tab bar's scroll buttons really are there: the walk must pass them by.
    QVERIFY(probe.findChild<QToolButton *>(QStringLiteral("ScrollLeftButton")));
    QVERIFY(probe.findChild<QToolButton *>(QStringLiteral("ScrollRightButton")));
}

void TestLocalizeWindow::translatedFileWins()
{
    ProgramFolder folder;
    LocCatalogue catalogue(folder.file(LocCatalogue::FileName));
    IniFile &file = catalogue.file();
    file.writeString(kControls, QStringLiteral("frmProbe_actRun"), QStringLiteral("'Los'"));
    file.writeString(kControls, QStringLiteral("FRMPROBE_LBLSHOWN"), QStringLiteral(" Gezeigt "));
    file.writeString(kControls, QStringLiteral("frmProbe_tsFirst"), QStringLiteral("' Erste '"));
    file.writeString(kControls, QStringLiteral("frmProbe_grpOptions"), QString());
    // Keys for what the walk skips change nothing.
    file.writeString(kControls, QStringLiteral("frmProbe_lblHidden"), QStringLiteral("'X'"));
    file.writeString(kControls, QStringLiteral("frmProbe_btnBound"), QStringLiteral("'X'"));

    TfrmProbe probe;
    LocalizeWindow(&probe, catalogue);
    QCOMPARE(probe.findChild<QAction *>(QStringLiteral("actRun"))->text(), QStringLiteral("Los"));
    // A button tied to the command shows the command's caption.
    QCOMPARE(probe.findChild<QToolButton *>(QStringLiteral("btnTool"))->text(), QStringLiteral("Los"));
    QCOMPARE(probe.findChild<QPushButton *>(QStringLiteral("btnBound"))->text(), QStringLiteral("Bound"));
    QCOMPARE(probe.findChild<QLabel *>(QStringLiteral("lblShown"))->text(), QStringLiteral("Gezeigt"));
    QCOMPARE(probe.findChild<QLabel *>(QStringLiteral("lblHidden"))->text(), QStringLiteral("Hidden"));
    QCOMPARE(probe.findChild<QTabWidget *>(QStringLiteral("pgcPages"))->tabText(0), QStringLiteral(" Erste "));
    QCOMPARE(probe.findChild<QGroupBox *>(QStringLiteral("grpOptions"))->title(), QString());
    QCOMPARE(probe.windowTitle(), QStringLiteral("Probe"));
}

void TestLocalizeWindow::failedEntryRecordedUnderCaption()
{
    ProgramFolder folder;
    LocCatalogue catalogue(folder.file(LocCatalogue::FileName));
    TfrmProbe probe(true);
    LocalizeWindow(&probe, catalogue);

    IniFile &file = catalogue.file();
    QCOMPARE(file.sections(), (QStringList{kControls, kErrors}));
    QCOMPARE(file.keys(kErrors), QStringList{QStringLiteral("Caption")});
    QVERIFY(!file.readString(kErrors, QStringLiteral("Caption")).isEmpty());
    QCOMPARE(probe.findChild<QLabel *>(QStringLiteral("lbl\nBroken"))->text(), QStringLiteral("Broken"));
    // The walk goes on with the next components.
    QVERIFY(file.hasKey(kControls, QStringLiteral("frmProbe_btnClose")));
}

void TestLocalizeWindow::windowKeys_data()
{
    QTest::addColumn<QString>("window");
    QTest::addColumn<QStringList>("keys");

    QTest::newRow("About box, without its picture")
        << "About" << QStringList{"frmAbout_lblProductName", "frmAbout_lblVersion", "frmAbout_lblCompany",
                                  "frmAbout_lblWeb", "frmAbout_lblMail", "frmAbout_btnOK"};
    QTest::newRow("settings dialog, without the tab bar's parts")
        << "Settings" << QStringList{"frmSettings_MiscSettings", "frmSettings_GenerateCustomerID",
                                     "frmSettings_GenerateProductID", "frmSettings_ShowHints", "frmSettings_btnSave",
                                     "frmSettings_btnCancel"};
    QTest::newRow("date dialog, without the calendar's parts")
        << "Date" << QStringList{"frmDate_btnSave", "frmDate_btnCancel"};
    QTest::newRow("busy notice") << "Progress" << QStringList{"frmProgress2_lblProgress"};
    QTest::newRow("product sales report, Print taken from its command")
        << "RepProduct" << QStringList{"frmRepProduct_actPrint", "frmRepProduct_lblPeriodFrom",
                                       "frmRepProduct_lblPeriodTo", "frmRepProduct_btnMakeReport"};
}

void TestLocalizeWindow::windowKeys()
{
    QFETCH(QString, window);
    QFETCH(QStringList, keys);

    TestProgram program;
    program.start();
    IniFile loc(program.localizationPath());
    const QStringList before = loc.keys(kControls);
    LocCatalogue &catalogue = program.data().localization();
    std::unique_ptr<QWidget> created;
    if (window == u"About")
        created = std::make_unique<TfrmAbout>(catalogue, [] {});
    else if (window == u"Settings")
        created = std::make_unique<TfrmSettings>(program.data());
    else if (window == u"Date")
        created = std::make_unique<TfrmDate>(catalogue);
    else if (window == u"RepProduct")
        created = std::make_unique<TfrmRepProduct>(program.data());
    else
        created = std::make_unique<TfrmProgress2>(catalogue);

    const QStringList after = loc.keys(kControls);
    QCOMPARE(after.mid(0, before.size()), before);
    QCOMPARE(after.mid(before.size()), keys);
    QVERIFY(!loc.sections().contains(kErrors));
}

void TestLocalizeWindow::laterWindowsTakeEditedTexts()
{
    TestProgram program;
    program.start();
    QVERIFY(IniFile(program.localizationPath()).hasKey(kControls, QStringLiteral("frmMenu_btnOrders")));
    {
        TfrmSettings first(program.data());
        QCOMPARE(first.findChild<QCheckBox *>(QStringLiteral("ShowHints"))->text(), QStringLiteral("Show Hints"));
    }

    // A translator edits the file while the program runs.
    IniFile loc(program.localizationPath());
    loc.writeString(kControls, QStringLiteral("frmSettings_ShowHints"), QStringLiteral("'Hinweise'"));
    loc.writeString(kControls, QStringLiteral("frmMenu_btnOrders"), QStringLiteral("'Auftraege'"));
    loc.writeString(kControls, QStringLiteral("frmAbout_lblVersion"), QStringLiteral("'Version 2.12'"));
    loc.writeString(kConsts, QStringLiteral("lCatalogDate"), QStringLiteral("' Katalog '"));

    TfrmSettings second(program.data());
    QCOMPARE(second.findChild<QCheckBox *>(QStringLiteral("ShowHints"))->text(), QStringLiteral("Hinweise"));
    TfrmAbout about(program.data().localization(), [] {});
    QCOMPARE(about.findChild<QLabel *>(QStringLiteral("lblVersion"))->text(), QStringLiteral("Version 2.12"));
    // The start menu was created before the edit; the messages wait for the next start.
    QCOMPARE(program.menu().findChild<QPushButton *>(QStringLiteral("btnOrders"))->text(), QStringLiteral("Orders"));
    QCOMPARE(Messages().lCatalogDate, QStringLiteral(" Cataloque Date - "));

    program.stop();
    program.start();
    QCOMPARE(program.menu().findChild<QPushButton *>(QStringLiteral("btnOrders"))->text(), QStringLiteral("Auftraege"));
    QCOMPARE(Messages().lCatalogDate, QStringLiteral(" Katalog "));
}

void TestLocalizeWindow::firstStartFillsTheFile()
{
    TestProgram program;
    program.start();
    IniFile loc(program.localizationPath());
    QCOMPARE(loc.sections(), (QStringList{kControls, kConsts}));

    // Controls: the data module's fields, then the main window's commands
    // (the hidden bar customizing excepted), then the start menu's buttons.
    const QStringList controls = loc.keys(kControls);
    QCOMPARE(controls.first(), QStringLiteral("Data_qOrdersid"));
    QCOMPARE(loc.readRawString(kControls, QStringLiteral("Data_qOrdersid")), QStringLiteral("'Order ID'"));
    qsizetype firstMain = 0;
    while (firstMain < controls.size() && controls[firstMain].startsWith(u"Data_"))
        ++firstMain;
    QVERIFY(firstMain > 1);
    QStringList commands;
    for (QAction *action : program.main().commands())
        if (action->objectName() != u"CustomizeActionBars")
            commands << QStringLiteral("frmMain_") + action->objectName();
    QCOMPARE(commands.size(), 23);
    const QStringList menu{"frmMenu_btnOrders",  "frmMenu_btnProducts", "frmMenu_btnCustomers",
                           "frmMenu_btnReport",  "frmMenu_btnNewOrder", "frmMenu_btnNewRefuse"};
    QCOMPARE(controls.mid(firstMain), commands + menu);
    QCOMPARE(loc.readRawString(kControls, QStringLiteral("frmMain_actAbout")), QStringLiteral("'About ...'"));
    QCOMPARE(loc.readRawString(kControls, QStringLiteral("frmMenu_btnNewRefuse")), QStringLiteral("'New Refusal'"));

    // Consts: the message table in its order, the program's own messages,
    // then the six menu titles.
    QStringList consts;
    for (const MessageEntry &entry : messageTable())
        consts << QString::fromLatin1(entry.key);
    QCOMPARE(consts.size(), 75);
    for (const MessageEntry &entry : addedMessageTable())
        consts << QString::fromLatin1(entry.key);
    for (int i = 0; i < 6; ++i)
        consts << QStringLiteral("MenuItems%1").arg(i);
    QCOMPARE(loc.keys(kConsts), consts);
    QCOMPARE(loc.readRawString(kConsts, QStringLiteral("MenuItems2")), QStringLiteral("'A&ctions'"));
}

QTEST_MAIN(TestLocalizeWindow)
#include "tst_LocalizeWindow.moc"
