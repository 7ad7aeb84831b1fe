// The hint frames: a text hint placed along the top, the bottom or filling
// its area, the navigator hint with its five-row legend, and both sharing
// one area as the catalogue window and the order editor place them.

#include "UiTestSupport.h"

#include "Localization.h"
#include "Messages.h"
#include "widgets/DBNavHintU.h"
#include "widgets/HintU.h"
#include "widgets/TDBNavigator.h"

#include <QLabel>
#include <QLayout>
#include <QPainter>
#include <QTest>

using testing_support::LocaleGuard;

namespace {

// A window with a reserved area, as the windows that take hints have.
struct Host
{
    Host()
    {
        window.resize(317, 300);
        area = new QWidget(&window);
        area->setObjectName(QStringLiteral("panHint"));
        area->setGeometry(0, 0, 317, 300);
        QPalette palette = area->palette();
        palette.setColor(QPalette::WindowText, QColor(0x80, 0x00, 0x20));
        area->setPalette(palette);
    }

    void show()
    {
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        if (area->layout())
            area->layout()->activate();
    }

    QWidget window;
    QWidget *area;
};

QStringList legendTexts(const TfmDBNavHint *hint)
{
    QStringList texts;
    for (const TButtonHint &entry : hint->hints())
        texts << entry.text;
    return texts;
}

} // namespace

Q_DECLARE_METATYPE(HintAlign)

class TestHintFrames : public QObject
{
    Q_OBJECT

private slots:
    void init() { m_locale = std::make_unique<LocaleGuard>(testing_support::pointLocale()); }
    void cleanup()
    {
        m_locale.reset();
        resetMessages();
    }

    void textHint_data();
    void textHint();
    void navigatorHint();
    void legendDrawsGlyphsCentred();
    void textAndNavigatorHintShareAnArea();
    void hintsInSeveralAreasStayApart();

private:
    std::unique_ptr<LocaleGuard> m_locale;
};

void TestHintFrames::textHint_data()
{
    QTest::addColumn<HintAlign>("align");
    QTest::addColumn<QRect>("place");

    QTest::newRow("top") << HintAlign::Top << QRect(0, 0, 317, 41);
    QTest::newRow("bottom") << HintAlign::Bottom << QRect(0, 259, 317, 41);
    QTest::newRow("fill") << HintAlign::Fill << QRect(0, 0, 317, 300);
}

void TestHintFrames::textHint()
{
    QFETCH(HintAlign, align);
    QFETCH(QRect, place);

    Host host;
    const QString text = QStringLiteral("Right mouse click to find a customer by name or ID");
    TfmHint *hint = TfmHint::create(host.area, text, align);
    host.show();

    QCOMPARE(hint->objectName(), QStringLiteral("panHintHint"));
    QCOMPARE(hint->parentWidget(), host.area);
    QCOMPARE(hint->alignment(), align);
    QCOMPARE(hint->geometry(), place);
    QCOMPARE(hint->font().family(), QStringLiteral("Tahoma"));
    QCOMPARE(hint->font().pixelSize(), 11);

    auto *image = hint->findChild<QLabel *>(QStringLiteral("imgHint"));
    QCOMPARE(image->size(), QSize(32, 32));
    QCOMPARE(image->pixmap().size(), QSize(32, 32));
    QVERIFY(image->pixmap().hasAlphaChannel());
    QCOMPARE(image->pos(), QPoint(3, 3));
    auto *label = hint->findChild<QLabel *>(QStringLiteral("stHint"));
    QCOMPARE(label->text(), text);
    QVERIFY(label->wordWrap());
    QCOMPARE(label->palette().color(QPalette::WindowText), QColor(0x80, 0x00, 0x20));
    // The text fills the rest of the frame.
    QVERIFY(label->geometry().left() >= image->geometry().right());
    QVERIFY(label->geometry().right() >= hint->width() - 4);
}

void TestHintFrames::navigatorHint()
{
    Host host;
    const QString heading = QStringLiteral("To manage product items use buttons ");
    TfmDBNavHint *hint = TfmDBNavHint::create(host.area, heading);
    host.show();

    QCOMPARE(hint->parentWidget(), host.area);
    QCOMPARE(hint->geometry(), QRect(0, 0, 317, 300));
    QCOMPARE(hint->heading(), heading);
    auto *headingLabel = hint->findChild<QLabel *>(QStringLiteral("stDBNavHint"));
    QCOMPARE(headingLabel->text(), heading);
    QCOMPARE(headingLabel->mapTo(hint, QPoint(0, 0)).y(), 5);
    auto *image = hint->findChild<QLabel *>(QStringLiteral("imgHint"));
    QCOMPARE(image->geometry(), QRect(3, 3, 32, 32));

    QCOMPARE(legendTexts(hint), (QStringList{"To Insert Item", "To Edit Item", "To Delete Item", "To Save Changes",
                                             "To Cancel Changes"}));
    THintLegend *legend = hint->legend();
    QCOMPARE(legend->objectName(), QStringLiteral("grdHints"));
    QCOMPARE(legend->mapTo(hint, QPoint(0, 0)), QPoint(0, TfmDBNavHint::BandHeight));
    QCOMPARE(legend->height(), 300 - 38);
    QCOMPARE(legend->columnWidth(0), 48);
    QCOMPARE(legend->columnWidth(1), 317 - 48);
    QCOMPARE(legend->cellRect(3, 1), QRect(48, 72, 269, 24));
    // It takes no input and paints the window's background.
    QCOMPARE(legend->focusPolicy(), Qt::NoFocus);
    QVERIFY(legend->testAttribute(Qt::WA_TransparentForMouseEvents));
    QVERIFY(legend->autoFillBackground());
    QCOMPARE(legend->backgroundRole(), QPalette::Window);

    // Each glyph is the normal half of the navigator's picture for its button.
    const QStringList glyphs{"DBN_INSERT", "DBN_EDIT", "DBN_DELETE", "DBN_POST", "DBN_CANCEL"};
    for (int row = 0; row < 5; ++row) {
        const QPixmap strip = TDBNavigator::glyphStrip(glyphs[row]);
        const QPixmap &glyph = hint->hints()[row].glyph;
        QVERIFY2(!strip.isNull() && strip.width() > strip.height(), qPrintable(glyphs[row]));
        QCOMPARE(glyph.size(), QSize(strip.height(), strip.height()));
        QCOMPARE(glyph.toImage(), strip.copy(0, 0, strip.height(), strip.height()).toImage());
    }
}

void TestHintFrames::legendDrawsGlyphsCentred()
{
    Host host;
    TfmDBNavHint *hint = TfmDBNavHint::create(host.area, QString());
    host.show();
    THintLegend *legend = hint->legend();
    const QImage drawn = legend->grab().toImage().convertToFormat(QImage::Format_ARGB32);

    // Column 0 as the rule draws it: each glyph centred in its cell, halves
    // rounded towards zero, on the window's background.
    QImage expected(QSize(48, 5 * 24), QImage::Format_ARGB32);
    expected.fill(legend->palette().color(QPalette::Window));
    {
        QPainter painter(&expected);
        for (int row = 0; row < 5; ++row) {
            const QPixmap &glyph = hint->hints()[row].glyph;
            painter.drawPixmap((0 + 48 - glyph.width()) / 2, (row * 24 + row * 24 + 24 - glyph.height()) / 2, glyph);
        }
    }
    // (The last pixel column may take a touch of the text beside it.)
    QCOMPARE(drawn.copy(0, 0, 47, 5 * 24), expected.copy(0, 0, 47, 5 * 24));
}

void TestHintFrames::textAndNavigatorHintShareAnArea()
{
    Host host;
    // The order the opening commands place them in: the text hint first.
    TfmHint *text = TfmHint::create(host.area, Messages().lManyCataloquesHint, HintAlign::Top);
    TfmDBNavHint *legend = TfmDBNavHint::create(host.area, Messages().fixedProductButtonsHint);
    host.show();

    QCOMPARE(text->geometry(), QRect(0, 0, 317, 41));
    QCOMPARE(legend->geometry(), QRect(0, 41, 317, 259));
    QVERIFY(text->objectName() != legend->objectName());
    QCOMPARE(host.window.findChildren<TfmHint *>(QStringLiteral("panHintHint")).size(), 1);
}

void TestHintFrames::hintsInSeveralAreasStayApart()
{
    // The organization window: one bottom hint on each of three areas, and
    // the areas' other contents keep their room.
    QWidget window;
    window.resize(400, 300);
    QStringList names;
    QList<TfmHint *> hints;
    for (const char *name : {"tsLevels", "tsDeps", "panCustomerTree"}) {
        auto *area = new QWidget(&window);
        area->setObjectName(QLatin1String(name));
        area->setGeometry(0, 0, 400, 300);
        hints << TfmHint::create(area, QStringLiteral("hint"), HintAlign::Bottom);
        names << hints.last()->objectName();
    }
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QCOMPARE(names, (QStringList{"tsLevelsHint", "tsDepsHint", "panCustomerTreeHint"}));
    for (TfmHint *hint : hints) {
        hint->parentWidget()->layout()->activate();
        QCOMPARE(hint->geometry(), QRect(0, 259, 400, 41));
    }
}

QTEST_MAIN(TestHintFrames)
#include "tst_HintFrames.moc"
