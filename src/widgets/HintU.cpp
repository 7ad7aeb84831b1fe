#include "HintU.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>
#include <QVBoxLayout>

namespace {

const char *const kAlignProperty = "hintAlign";
const char *const kOwnLayoutProperty = "hintLayout";

int alignOf(QLayoutItem *item)
{
    QWidget *widget = item->widget();
    const QVariant value = widget ? widget->property(kAlignProperty) : QVariant();
    return value.isValid() ? value.toInt() : -1;
}

} // namespace

void placeInArea(QWidget *area, QWidget *frame, HintAlign align)
{
    auto *box = qobject_cast<QVBoxLayout *>(area->layout());
    if (!area->layout()) {
        // An empty reserved area: a stretch holds the middle until a filling
        // frame arrives, so that top frames stay at the top.
        box = new QVBoxLayout(area);
        box->setContentsMargins(0, 0, 0, 0);
        box->setSpacing(0);
        box->addStretch(1);
        area->setProperty(kOwnLayoutProperty, true);
    }
    frame->setProperty(kAlignProperty, int(align));
    if (!box) {
        area->layout()->addWidget(frame);
        return;
    }
    int tops = 0;
    while (tops < box->count() && alignOf(box->itemAt(tops)) == int(HintAlign::Top))
        ++tops;
    switch (align) {
    case HintAlign::Top:
        box->insertWidget(tops, frame);
        break;
    case HintAlign::Bottom:
        box->addWidget(frame);
        break;
    case HintAlign::Fill:
        if (area->property(kOwnLayoutProperty).toBool() && tops < box->count() && box->itemAt(tops)->spacerItem())
            delete box->takeAt(tops);
        box->insertWidget(tops, frame, 1);
        break;
    }
}

QPixmap hintBulb()
{
    QPixmap pixmap(32, 32);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);

    // Glass: a round top narrowing into a neck.
    QPainterPath glass;
    glass.moveTo(12, 21);
    glass.cubicTo(12, 17, 7, 15, 7, 10.5);
    glass.cubicTo(7, 5.5, 11, 2, 16, 2);
    glass.cubicTo(21, 2, 25, 5.5, 25, 10.5);
    glass.cubicTo(25, 15, 20, 17, 20, 21);
    glass.closeSubpath();
    QRadialGradient light(QPointF(13.5, 8), 14);
    light.setColorAt(0, QColor(0xff, 0xfb, 0xd0));
    light.setColorAt(0.55, QColor(0xff, 0xe0, 0x3a));
    light.setColorAt(1, QColor(0xf0, 0xb4, 0x00));
    p.setPen(QPen(QColor(0xb8, 0x86, 0x00), 1));
    p.setBrush(light);
    p.drawPath(glass);

    // Filament.
    p.setPen(QPen(QColor(0xc0, 0x6a, 0x00), 1));
    p.setBrush(Qt::NoBrush);
    p.drawPolyline(QPolygonF({QPointF(14, 20), QPointF(14, 14), QPointF(15, 12), QPointF(16, 14), QPointF(17, 12),
                              QPointF(18, 14), QPointF(18, 20)}));

    // Screw base with its threads and the contact.
    QLinearGradient metal(11, 0, 21, 0);
    metal.setColorAt(0, QColor(0x80, 0x88, 0x90));
    metal.setColorAt(0.45, QColor(0xe4, 0xe8, 0xec));
    metal.setColorAt(1, QColor(0x70, 0x78, 0x80));
    p.setPen(QPen(QColor(0x55, 0x5b, 0x62), 1));
    p.setBrush(metal);
    p.drawRoundedRect(QRectF(11.5, 21, 9, 7), 1.5, 1.5);
    p.drawLine(QPointF(11.5, 23.3), QPointF(20.5, 23.3));
    p.drawLine(QPointF(11.5, 25.6), QPointF(20.5, 25.6));
    p.setBrush(QColor(0x45, 0x4a, 0x50));
    p.drawRoundedRect(QRectF(14, 28, 4, 2.5), 1, 1);

    // Highlight on the glass.
    p.setPen(QPen(QColor(255, 255, 255, 200), 1.6, Qt::SolidLine, Qt::RoundCap));
    p.drawArc(QRectF(10, 5, 9, 9), 100 * 16, 70 * 16);
    return pixmap;
}

TfmHint *TfmHint::create(QWidget *area, const QString &text, HintAlign align)
{
    auto *hint = new TfmHint(area, text, align);
    placeInArea(area, hint, align);
    return hint;
}

TfmHint::TfmHint(QWidget *area, const QString &text, HintAlign align)
    : QFrame(area), m_image(new QLabel(this)), m_text(new QLabel(this)), m_align(align)
{
    // Several hints in one window stay apart by their areas' names.
    setObjectName(area->objectName() + QStringLiteral("Hint"));
    QFont font(QStringLiteral("Tahoma"));
    font.setPixelSize(11);
    setFont(font);
    resize(DesignWidth, DesignHeight);
    if (align == HintAlign::Fill)
        setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
    else
        setFixedHeight(DesignHeight);

    m_image->setObjectName(QStringLiteral("imgHint"));
    m_image->setPixmap(hintBulb());
    m_image->setFixedSize(32, 32);
    m_text->setObjectName(QStringLiteral("stHint"));
    m_text->setText(text);
    m_text->setWordWrap(true);
    m_text->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    m_text->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Ignored);
    QPalette palette = m_text->palette();
    palette.setColor(QPalette::WindowText, area->palette().color(QPalette::WindowText));
    m_text->setPalette(palette);

    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(3, 3, 3, 0);
    layout->setSpacing(5);
    layout->addWidget(m_image, 0, Qt::AlignTop);
    layout->addWidget(m_text, 1);
}

QString TfmHint::text() const
{
    return m_text->text();
}
