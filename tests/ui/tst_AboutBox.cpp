// The About box: its caption and texts, its fixed size, and the two address
// labels that write to support and open the maker's site.

#include "ProgramFixture.h"
#include "UiTestSupport.h"

#include "app/AboutU.h"

#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QTest>

using app_test::TestProgram;
using testing_support::LocaleGuard;

class TestAboutBox : public QObject
{
    Q_OBJECT

private slots:
    void init() { m_locale = std::make_unique<LocaleGuard>(testing_support::pointLocale()); }
    void cleanup() { m_locale.reset(); }

    void contents_data();
    void contents();
    void fixedSizeCentredOnTheScreen();
    void mailLabelRunsTheSupportCommand();
    void webLabelOpensTheMakersSite();

private:
    std::unique_ptr<LocaleGuard> m_locale;
};

void TestAboutBox::contents_data()
{
    QTest::addColumn<QString>("label");
    QTest::addColumn<QString>("text");

    QTest::newRow("product name") << "lblProductName" << "Quorvel";
    QTest::newRow("version") << "lblVersion" << "version 2.12";
    QTest::newRow("mail address") << "lblMail" << "support@quorvel.com";
}

void TestAboutBox::contents()
{
    QFETCH(QString, label);
    QFETCH(QString, text);

    TestProgram program;
    program.start();
    TfrmAbout about(program.data().localization(), [] {}, &program.main());
    QCOMPARE(about.windowTitle(), QStringLiteral("  About ..."));
    QCOMPARE(about.findChild<QLabel *>(label)->text(), text);

    const QFont name = about.findChild<QLabel *>(QStringLiteral("lblProductName"))->font();
    QVERIFY(name.bold());
    QCOMPARE(name.pixelSize(), 16);
    QCOMPARE(name.styleHint(), QFont::Serif);

    auto *picture = about.findChild<QLabel *>(QStringLiteral("imgLogo"));
    QCOMPARE(picture->size(), QSize(65, 126));
    QVERIFY(picture->hasScaledContents());
    QVERIFY(!picture->pixmap().isNull());
}

void TestAboutBox::fixedSizeCentredOnTheScreen()
{
    TestProgram program;
    program.start();
    QSize shown, smallest, largest;
    QPoint offCentre;
    QSize frame;
    ui_test::onNextModal([&](QWidget *dialog) {
        shown = dialog->size();
        smallest = dialog->minimumSize();
        largest = dialog->maximumSize();
        offCentre = dialog->geometry().center() - dialog->screen()->availableGeometry().center();
        frame = dialog->frameGeometry().size() - dialog->size();
        dialog->findChild<QPushButton *>(QStringLiteral("btnOK"))->click();
    });
    program.main().runCommand(program.command(QStringLiteral("actAbout")));
    QVERIFY(shown.isValid());
    QCOMPARE(smallest, shown);
    QCOMPARE(largest, shown);
    // Centred up to the window frame, whose size the desktop decides.
    QVERIFY2(qAbs(offCentre.x()) <= frame.width() / 2 + 1 && qAbs(offCentre.y()) <= frame.height() / 2 + 1,
             qPrintable(QStringLiteral("%1,%2").arg(offCentre.x()).arg(offCentre.y())));
}

void TestAboutBox::mailLabelRunsTheSupportCommand()
{
    TestProgram program;
    program.start();
    QStringList ran;
    QAction *support = program.command(QStringLiteral("actSupport"));
    program.main().setCommandAction(support, [&ran, support](QAction *sender) {
        ran << (sender == support ? QStringLiteral("actSupport") : QStringLiteral("wrong sender"));
    });
    bool stillOpen = false;
    ui_test::onNextModal([&](QWidget *dialog) {
        auto *mail = dialog->findChild<QLabel *>(QStringLiteral("lblMail"));
        QTest::mouseClick(mail, Qt::RightButton);
        QTest::mouseClick(mail, Qt::LeftButton);
        stillOpen = dialog->isVisible();
        dialog->findChild<QPushButton *>(QStringLiteral("btnOK"))->click();
    });
    program.main().runCommand(program.command(QStringLiteral("actAbout")));
    QCOMPARE(ran, QStringList{QStringLiteral("actSupport")});
    QVERIFY(stillOpen);
}

void TestAboutBox::webLabelOpensTheMakersSite()
{
    TestProgram program;
    program.start();
    app_test::UrlCatcher web(QStringLiteral("https"));
    app_test::UrlCatcher mail(QStringLiteral("mailto"));
    TfrmAbout about(program.data().localization(), [] {}, &program.main());
    about.show();
    QTest::mouseClick(about.findChild<QLabel *>(QStringLiteral("lblWeb")), Qt::LeftButton);
    QCOMPARE(web.urls, QList<QUrl>{QUrl(WebAddress)});
    QVERIFY(mail.urls.isEmpty());
}

QTEST_MAIN(TestAboutBox)
#include "tst_AboutBox.moc"
