#include "Artwork.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

namespace {

const QColor kDeep(0x1d, 0x3f, 0x72);
const QColor kLight(0x2f, 0x8f, 0x9d);
const QColor kNode(0xf4, 0xf1, 0xe6);
const QColor kGold(0xf0, 0xb4, 0x29);

// A sponsor with two recruits and four of theirs, inside `area`.
void paintTree(QPainter &painter, const QRectF &area, qreal nodeRadius)
{
    const qreal w = area.width();
    const qreal h = area.height();
    auto at = [&](qreal x, qreal y) { return QPointF(area.left() + x * w, area.top() + y * h); };
    const QPointF top = at(0.5, 0.12);
    const QPointF middle[2] = {at(0.28, 0.5), at(0.72, 0.5)};
    const QPointF bottom[4] = {at(0.14, 0.88), at(0.40, 0.88), at(0.60, 0.88), at(0.86, 0.88)};

    painter.setPen(QPen(kNode, qMax<qreal>(1.0, nodeRadius / 2.5), Qt::SolidLine, Qt::RoundCap));
    for (int i = 0; i < 2; ++i)
        painter.drawLine(top, middle[i]);
    for (int i = 0; i < 4; ++i)
        painter.drawLine(middle[i / 2], bottom[i]);

    painter.setPen(Qt::NoPen);
    painter.setBrush(kGold);
    painter.drawEllipse(top, nodeRadius * 1.25, nodeRadius * 1.25);
    painter.setBrush(kNode);
    for (const QPointF &p : middle)
        painter.drawEllipse(p, nodeRadius, nodeRadius);
    for (const QPointF &p : bottom)
        painter.drawEllipse(p, nodeRadius * 0.8, nodeRadius * 0.8);
}

QPixmap iconPixmap(int size)
{
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    QLinearGradient gradient(0, 0, 0, size);
    gradient.setColorAt(0, kLight);
    gradient.setColorAt(1, kDeep);
    painter.setBrush(gradient);
    painter.setPen(Qt::NoPen);
    const qreal radius = size * 0.18;
    painter.drawRoundedRect(QRectF(0, 0, size, size), radius, radius);
    paintTree(painter, QRectF(size * 0.12, size * 0.14, size * 0.76, size * 0.72), size * 0.07);
    return pixmap;
}

} // namespace

QIcon ApplicationIcon()
{
    QIcon icon;
    for (int size : {16, 24, 32, 48, 64, 128})
        icon.addPixmap(iconPixmap(size));
    return icon;
}

QPixmap AboutPicture()
{
    const QSize size(65, 126);
    QPixmap pixmap(size);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    QLinearGradient gradient(0, 0, 0, size.height());
    gradient.setColorAt(0, kLight);
    gradient.setColorAt(1, kDeep);
    painter.fillRect(QRect(QPoint(0, 0), size), gradient);
    paintTree(painter, QRectF(6, 18, 53, 62), 4.5);
    // A base line under the tree, as on the program's letterhead.
    painter.setPen(QPen(kGold, 2));
    painter.drawLine(QPointF(10, 98), QPointF(55, 98));
    return pixmap;
}
