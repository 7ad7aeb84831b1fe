// The settings dialog: the three miscellaneous check boxes read from and
// written to the settings file, OK against Cancel and Escape, a file that
// cannot take a key, and the main window reading the settings again.

#include "ProgramFixture.h"
#include "UiTestSupport.h"

#include "app/SettingsU.h"
#include "Settings.h"
#include "engine/Dataset.h"
#include "engine/Field.h"

#include <QCheckBox>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>

using app_test::TestProgram;
using testing_support::LocaleGuard;

namespace {

const QStringList kBoxes{QStringLiteral("ShowHints"), QStringLiteral("GenerateProductID"),
                         QStringLiteral("GenerateCustomerID")};

QCheckBox *box(QWidget *dialog, const QString &name)
{
    auto *found = dialog->findChild<QCheckBox *>(name);
    if (!found)
        qFatal("No check box %s", qPrintable(name));
    return found;
}

void click(QWidget *dialog, const char *button)
{
    dialog->findChild<QPushButton *>(QLatin1String(button))->click();
}

// Opens a settings dialog over the running program, lets `act` work on it
// while it is shown modally, and gives the way it closed.
int runDialog(TestProgram &program, std::function<void(QDialog *)> act)
{
    TfrmSettings dialog(program.data(), &program.main());
    ui_test::onNextModal([&](QWidget *shown) { act(qobject_cast<QDialog *>(shown)); });
    return dialog.exec();
}

} // namespace

class TestSettingsDialog : public QObject
{
    Q_OBJECT

private slots:
    void init() { m_locale = std::make_unique<LocaleGuard>(testing_support::pointLocale()); }
    void cleanup() { m_locale.reset(); }

    void withoutFileEverythingClear();
    void boxesReadTheirKeys_data();
    void boxesReadTheirKeys();
    void okWritesTheMiscellaneousSectionOnly_data();
    void okWritesTheMiscellaneousSectionOnly();
    void cancelAndEscapeWriteNothing_data();
    void cancelAndEscapeWriteNothing();
    void unwritableFileReportsTheKeyAndStillCloses();
    void failingKeyKeepsTheKeysBeforeIt();
    void mainWindowRereadsSettingsAfterOk();

private:
    std::unique_ptr<LocaleGuard> m_locale;
};

void TestSettingsDialog::withoutFileEverythingClear()
{
    TestProgram program;
    program.start();
    QVERIFY(!program.data().showHints());
    QVERIFY(!program.data().generateCustomerId());
    QVERIFY(!program.data().generateProductId());

    QStringList ticked;
    QString caption, page;
    const int result = runDialog(program, [&](QDialog *dialog) {
        caption = dialog->windowTitle();
        auto *pages = dialog->findChild<QTabWidget *>(QStringLiteral("PageControl"));
        page = pages->widget(0)->objectName() + u'/' + pages->tabText(0);
        for (const QString &name : kBoxes)
            if (box(dialog, name)->isChecked())
                ticked << name;
        click(dialog, "btnCancel");
    });
    QCOMPARE(result, int(QDialog::Rejected));
    QCOMPARE(caption, QStringLiteral("Settings"));
    QCOMPARE(page, QStringLiteral("MiscSettings/Miscellaneous"));
    QCOMPARE(ticked, QStringList{});
    QVERIFY(!QFile::exists(program.settingsPath()));
}

void TestSettingsDialog::boxesReadTheirKeys_data()
{
    QTest::addColumn<QStringList>("lines");
    QTest::addColumn<QStringList>("ticked");

    QTest::newRow("two and hexadecimal one tick, yes does not")
        << QStringList{"[MiscSettings]", "ShowHints=yes", "GenerateProductID=0x1", "GenerateCustomerID=2"}
        << QStringList{"GenerateProductID", "GenerateCustomerID"};
    QTest::newRow("each box its own key")
        << QStringList{"[MiscSettings]", "ShowHints=1", "GenerateProductID=0", "GenerateCustomerID=0x0"}
        << QStringList{"ShowHints"};
    QTest::newRow("quoted, blank and any letter case")
        << QStringList{"[miscsettings]", "showhints = '1' ", "GENERATEPRODUCTID=", "GenerateCustomerID=\"-1\""}
        << QStringList{"ShowHints", "GenerateCustomerID"};
    QTest::newRow("keys of another section count for nothing")
        << QStringList{"[SrvSettings]", "ShowHints=1", "GenerateProductID=1", "[MiscSettings]", "GenerateCustomerID=1"}
        << QStringList{"GenerateCustomerID"};
}

void TestSettingsDialog::boxesReadTheirKeys()
{
    QFETCH(QStringList, lines);
    QFETCH(QStringList, ticked);

    TestProgram program;
    program.writeSettings(lines);
    program.start();
    const QByteArray before = testing_support::readFileBytes(program.settingsPath());
    QStringList found;
    runDialog(program, [&](QDialog *dialog) {
        for (const QString &name : kBoxes)
            if (box(dialog, name)->isChecked())
                found << name;
        click(dialog, "btnCancel");
    });
    found.sort();
    ticked.sort();
    QCOMPARE(found, ticked);
    QCOMPARE(testing_support::readFileBytes(program.settingsPath()), before);
}

void TestSettingsDialog::okWritesTheMiscellaneousSectionOnly_data()
{
    QTest::addColumn<QStringList>("lines");
    QTest::addColumn<QStringList>("tick");
    QTest::addColumn<QStringList>("sections");

    QTest::newRow("fresh file, everything ticked") << QStringList{} << kBoxes << QStringList{"MiscSettings"};
    QTest::newRow("fresh file, nothing ticked") << QStringList{} << QStringList{} << QStringList{"MiscSettings"};
    QTest::newRow("connection settings stay as written")
        << QStringList{"[SrvSettings]", "ADOConnectionString=Provider=Microsoft.Jet.OLEDB.4.0;Data Source=x.mdb",
                       "ConnectOnStart=0", "", "[MiscSettings]", "ProductIDMask=LLL-00;0;_", "ShowHints=1"}
        << QStringList{"GenerateProductID"} << QStringList{"SrvSettings", "MiscSettings"};
}

void TestSettingsDialog::okWritesTheMiscellaneousSectionOnly()
{
    QFETCH(QStringList, lines);
    QFETCH(QStringList, tick);
    QFETCH(QStringList, sections);

    TestProgram program;
    if (!lines.isEmpty())
        program.writeSettings(lines);
    program.start();
    const int result = runDialog(program, [&](QDialog *dialog) {
        for (const QString &name : kBoxes)
            box(dialog, name)->setChecked(tick.contains(name));
        click(dialog, "btnSave");
    });
    QCOMPARE(result, int(QDialog::Accepted));

    IniFile file(program.settingsPath());
    QCOMPARE(file.sections(), sections);
    for (const QString &name : kBoxes)
        QCOMPARE(file.readRawString(settings::MiscSection, name),
                 tick.contains(name) ? QStringLiteral("1") : QStringLiteral("0"));
    if (!lines.isEmpty()) {
        // Hand-kept entries keep their exact text; the dialog never writes the mask.
        const QByteArray text = testing_support::readFileBytes(program.settingsPath());
        QVERIFY(text.startsWith((lines.mid(0, 4).join(QStringLiteral("\r\n")) + QStringLiteral("\r\n")).toUtf8()));
        QCOMPARE(file.keys(QStringLiteral("SrvSettings")), (QStringList{"ADOConnectionString", "ConnectOnStart"}));
        QCOMPARE(file.readRawString(settings::MiscSection, settings::ProductIdMaskKey), QStringLiteral("LLL-00;0;_"));
    }
}

void TestSettingsDialog::cancelAndEscapeWriteNothing_data()
{
    QTest::addColumn<bool>("withFile");
    QTest::addColumn<bool>("escape");

    QTest::newRow("Cancel, no file") << false << false;
    QTest::newRow("Escape, no file") << false << true;
    QTest::newRow("Cancel, a file") << true << false;
    QTest::newRow("Escape, a file") << true << true;
}

void TestSettingsDialog::cancelAndEscapeWriteNothing()
{
    QFETCH(bool, withFile);
    QFETCH(bool, escape);

    TestProgram program;
    if (withFile)
        program.writeSettings({"[MiscSettings]", "ShowHints=1"});
    program.start();
    const QByteArray before = testing_support::readFileBytes(program.settingsPath());
    const int result = runDialog(program, [&](QDialog *dialog) {
        for (const QString &name : kBoxes)
            box(dialog, name)->setChecked(!box(dialog, name)->isChecked());
        if (escape)
            QTest::keyClick(dialog, Qt::Key_Escape);
        else
            click(dialog, "btnCancel");
    });
    QCOMPARE(result, int(QDialog::Rejected));
    QCOMPARE(QFile::exists(program.settingsPath()), withFile);
    QCOMPARE(testing_support::readFileBytes(program.settingsPath()), before);
}

void TestSettingsDialog::unwritableFileReportsTheKeyAndStillCloses()
{
    TestProgram program;
    program.start();
    app_test::blockFile(program.settingsPath());

    QStringList titles, texts;
    const int result = runDialog(program, [&](QDialog *dialog) {
        box(dialog, QStringLiteral("ShowHints"))->setChecked(true);
        ui_test::ModalWatch watch;
        click(dialog, "btnSave");
        titles = watch.titles;
        texts = watch.texts;
    });
    QCOMPARE(result, int(QDialog::Accepted));
    // One box, for the first key in the dialog's order; the keys after it are not tried.
    QCOMPARE(titles, QStringList{QStringLiteral("Quorvel")});
    QCOMPARE(texts.size(), 1);
    QVERIFY2(texts.first().contains(u"\"GenerateCustomerID\"") && texts.first().contains(u"MiscSettings"),
             qPrintable(texts.first()));
}

void TestSettingsDialog::failingKeyKeepsTheKeysBeforeIt()
{
    // The dialog stands for whatever its page holds: a text box that the file
    // cannot take (a line break) between the check boxes stops the saving there.
    TestProgram program;
    program.start();
    QString error;
    const int result = runDialog(program, [&](QDialog *dialog) {
        QWidget *page = dialog->findChild<QWidget *>(QStringLiteral("MiscSettings"));
        auto *note = new QLineEdit(page);
        note->setObjectName(QStringLiteral("Note"));
        note->setText(QStringLiteral("two\nlines"));
        QCheckBox *last = box(dialog, QStringLiteral("ShowHints"));
        last->setParent(nullptr);
        last->setParent(page); // now after the text box
        for (const QString &name : kBoxes)
            box(dialog, name)->setChecked(true);
        ui_test::answerNextMessageBox(QMessageBox::Ok, &error);
        click(dialog, "btnSave");
    });
    QCOMPARE(result, int(QDialog::Accepted));
    QVERIFY2(error.contains(u"\"Note\""), qPrintable(error));
    IniFile file(program.settingsPath());
    QCOMPARE(file.keys(settings::MiscSection), (QStringList{"GenerateCustomerID", "GenerateProductID"}));
    QCOMPARE(file.readRawString(settings::MiscSection, QStringLiteral("GenerateCustomerID")), QStringLiteral("1"));
}

void TestSettingsDialog::mainWindowRereadsSettingsAfterOk()
{
    TestProgram program;
    program.writeSettings({"[MiscSettings]", "ShowHints=1"});
    program.start();
    QVERIFY(program.data().showHints());
    QAction *settingsCommand = program.command(QStringLiteral("actSettings"));

    // A hand edit while the program runs is read with the dialog's values
    // after OK, and not at all after Cancel.
    program.writeSettings({"[MiscSettings]", "ShowHints=0", "ProductIDMask=LLL-00;0;_"});
    ui_test::onNextModal([](QWidget *dialog) {
        QVERIFY(!box(dialog, QStringLiteral("ShowHints"))->isChecked());
        box(dialog, QStringLiteral("GenerateCustomerID"))->setChecked(true);
        click(dialog, "btnCancel");
    });
    program.main().runCommand(settingsCommand);
    QVERIFY(program.data().showHints());
    QVERIFY(!program.data().generateCustomerId());
    QCOMPARE(program.data().qProduct->field(QStringLiteral("id"))->editMask(), settings::DefaultProductIdMask);

    ui_test::onNextModal([](QWidget *dialog) {
        box(dialog, QStringLiteral("GenerateCustomerID"))->setChecked(true);
        box(dialog, QStringLiteral("GenerateProductID"))->setChecked(true);
        click(dialog, "btnSave");
    });
    program.main().runCommand(settingsCommand);
    QVERIFY(!program.data().showHints());
    QVERIFY(program.data().generateCustomerId());
    QVERIFY(program.data().generateProductId());
    QCOMPARE(program.data().qProduct->field(QStringLiteral("id"))->editMask(), QStringLiteral("LLL-00;0;_"));
    QCOMPARE(program.data().qOrder->field(QStringLiteral("id_product"))->editMask(), QStringLiteral("LLL-00;0;_"));
}

QTEST_MAIN(TestSettingsDialog)
#include "tst_SettingsDialog.moc"
