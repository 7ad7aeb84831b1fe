// Scaling a dialog from its 1024 x 768 design screen, on a 1280 x 1024
// screen: the dialog's place and size, the controls that no layout arranges,
// and the settings dialog under "doformscale".

#include "ProgramFixture.h"
#include "UiTestSupport.h"

#include "widgets/DialogScale.h"

#include <QApplication>
#include <QDialog>
#include <QFile>
#include <QLabel>
#include <QProxyStyle>
#include <QPushButton>
#include <QScreen>
#include <QTemporaryDir>
#include <QTest>
#include <QVBoxLayout>

using app_test::TestProgram;
using testing_support::LocaleGuard;

namespace {

// The desktop's style with a sizable window border of a chosen height.
class BorderStyle : public QProxyStyle
{
public:
    explicit BorderStyle(int border) : m_border(border) {}
    int pixelMetric(PixelMetric metric, const QStyleOption *option, const QWidget *widget) const override
    {
        return metric == PM_MdiSubWindowFrameWidth ? m_border : QProxyStyle::pixelMetric(metric, option, widget);
    }

private:
    int m_border;
};

} // namespace

class TestDialogScale : public QObject
{
    Q_OBJECT

private slots:
    void init() { m_locale = std::make_unique<LocaleGuard>(testing_support::pointLocale()); }
    void cleanup()
    {
        m_locale.reset();
        QApplication::setStyle(QStringLiteral("Fusion"));
    }

    void screenIsTheTestScreen();
    void appliedToADialog_data();
    void appliedToADialog();
    void settingsDialogScalesUnderTheSwitch_data();
    void settingsDialogScalesUnderTheSwitch();

private:
    std::unique_ptr<LocaleGuard> m_locale;
};

void TestDialogScale::screenIsTheTestScreen()
{
    QCOMPARE(QGuiApplication::primaryScreen()->geometry().size(), QSize(1280, 1024));
}

void TestDialogScale::appliedToADialog_data()
{
    QTest::addColumn<int>("border");
    QTest::addColumn<QRect>("dialog");
    QTest::addColumn<QRect>("button");
    QTest::addColumn<int>("fontPixels");

    // Contents by 562 : 448 (the worked example of the rule).
    QTest::newRow("design border") << 4 << QRect(346, 316, 570, 213) << QRect(50, 75, 150, 37) << 15;
    // d = 4, w = 460, h = 164: contents by 571 : 452.
    QTest::newRow("thinner border") << 2 << QRect(346, 316, 575, 218) << QRect(50, 75, 151, 37) << 15;
}

void TestDialogScale::appliedToADialog()
{
    QFETCH(int, border);
    QFETCH(QRect, dialog);
    QFETCH(QRect, button);
    QFETCH(int, fontPixels);

    QApplication::setStyle(new BorderStyle(border));
    QDialog designed;
    QFont font = designed.font();
    font.setPixelSize(12);
    designed.setFont(font);
    designed.setGeometry(277, 253, 456, 160);
    auto *placed = new QPushButton(QStringLiteral("Placed"), &designed);
    placed->setGeometry(40, 60, 120, 30);
    // A control inside a layout is left to its layout.
    auto *panel = new QWidget(&designed);
    panel->setGeometry(200, 10, 100, 40);
    auto *laidOut = new QLabel(QStringLiteral("Laid out"));
    (new QVBoxLayout(panel))->addWidget(laidOut);
    laidOut->setGeometry(3, 4, 50, 20);

    ScaleDialog(&designed);
    QCOMPARE(designed.geometry(), dialog);
    QCOMPARE(placed->geometry(), button);
    QCOMPARE(designed.font().pixelSize(), fontPixels);
    QCOMPARE(placed->font().pixelSize(), fontPixels);
    QCOMPARE(laidOut->geometry(), QRect(3, 4, 50, 20));
}

void TestDialogScale::settingsDialogScalesUnderTheSwitch_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QSize>("size");

    // 400 x 240 as designed; scaled: 400 × 1280 ÷ 1024 by 240 × 1024 ÷ 768.
    QTest::newRow("without the switch") << QStringList{} << QSize(400, 240);
    QTest::newRow("doformscale") << QStringList{"doformscale"} << QSize(500, 320);
}

void TestDialogScale::settingsDialogScalesUnderTheSwitch()
{
    QFETCH(QStringList, arguments);
    QFETCH(QSize, size);

    QApplication::setStyle(new BorderStyle(4));
    TestProgram program;
    program.start(arguments);
    QSize shown;
    ui_test::onNextModal([&](QWidget *dialog) {
        shown = dialog->size();
        dialog->findChild<QPushButton *>(QStringLiteral("btnCancel"))->click();
    });
    program.main().runCommand(program.command(QStringLiteral("actSettings")));
    QCOMPARE(shown, size);
}

// The test screen is 1280 x 1024, whatever the machine's: the offscreen
// platform takes its screens from a file named before the application starts.
int main(int argc, char *argv[])
{
    QTemporaryDir dir;
    const QString config = dir.filePath(QStringLiteral("screens.json"));
    {
        QFile file(config);
        if (!file.open(QIODevice::WriteOnly))
            return 1;
        file.write(R"({"screens": [{"name": "test", "x": 0, "y": 0, "width": 1280, "height": 1024,
                       "logicalDpi": 96, "logicalBaseDpi": 96, "dpr": 1}]})");
    }
    qputenv("QT_QPA_PLATFORM", ("offscreen:configfile=" + config).toLocal8Bit());
    QApplication app(argc, argv);
    QApplication::setStyle(QStringLiteral("Fusion"));
    TestDialogScale test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}

#include "tst_DialogScale.moc"
