#include "ImageList.h"

#include <QApplication>
#include <QPainter>
#include <QPainterPath>
#include <QStyle>
#include <array>
#include <functional>

// The pictures of the program's own subjects (the database, orders,
// customers, the catalogue, reports) are drawn here, so that they read the
// same on every desktop. General pictures (navigation, find, help, …) are the
// desktop theme's icons of that meaning, or the widget style's own.

namespace ImageList {

namespace {

// --- drawing on a 32 x 32 design grid ------------------------------------------------------

using Paint = std::function<void(QPainter &)>;

const QColor kInk(0x3a, 0x46, 0x55);
const QColor kPaper(0xfb, 0xfc, 0xfd);
const QColor kBlue(0x2f, 0x6d, 0xb5);
const QColor kTeal(0x2f, 0x8f, 0x9d);
const QColor kGreen(0x3c, 0x9a, 0x3f);
const QColor kRed(0xc8, 0x3a, 0x32);
const QColor kOrange(0xe0, 0x8a, 0x1e);
const QColor kGold(0xf0, 0xb4, 0x29);
const QColor kBrown(0x9a, 0x4a, 0x2a);

QPen outline(const QColor &color = kInk, qreal width = 1.6)
{
    return QPen(color, width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
}

void page(QPainter &p, const QRectF &r, bool lines = true)
{
    const qreal fold = 7;
    QPainterPath path;
    path.moveTo(r.topLeft());
    path.lineTo(r.right() - fold, r.top());
    path.lineTo(r.right(), r.top() + fold);
    path.lineTo(r.bottomRight());
    path.lineTo(r.bottomLeft());
    path.closeSubpath();
    p.setPen(outline());
    p.setBrush(kPaper);
    p.drawPath(path);
    p.setBrush(QColor(0xdd, 0xe3, 0xea));
    QPainterPath corner;
    corner.moveTo(r.right() - fold, r.top());
    corner.lineTo(r.right() - fold, r.top() + fold);
    corner.lineTo(r.right(), r.top() + fold);
    corner.closeSubpath();
    p.drawPath(corner);
    if (!lines)
        return;
    p.setPen(outline(QColor(0x8a, 0x97, 0xa8), 1.4));
    for (qreal y = r.top() + 11; y < r.bottom() - 3; y += 4.5)
        p.drawLine(QPointF(r.left() + 4, y), QPointF(r.right() - 4, y));
}

void database(QPainter &p, const QRectF &r)
{
    const qreal lid = r.height() * 0.28;
    QPainterPath body;
    body.moveTo(r.left(), r.top() + lid / 2);
    body.lineTo(r.left(), r.bottom() - lid / 2);
    body.arcTo(QRectF(r.left(), r.bottom() - lid, r.width(), lid), 180, 180);
    body.lineTo(r.right(), r.top() + lid / 2);
    body.closeSubpath();
    QLinearGradient shade(r.topLeft(), r.topRight());
    shade.setColorAt(0, kTeal.lighter(115));
    shade.setColorAt(1, kBlue);
    p.setPen(outline());
    p.setBrush(shade);
    p.drawPath(body);
    p.setBrush(QColor(0xbfe3ea));
    p.drawEllipse(QRectF(r.left(), r.top(), r.width(), lid));
    p.setBrush(Qt::NoBrush);
    p.setPen(outline(QColor(0xe6, 0xf3, 0xf6), 1.2));
    for (qreal f : {0.45, 0.7})
        p.drawArc(QRectF(r.left() + 1, r.top() + r.height() * f - lid / 2, r.width() - 2, lid), 200 * 16, 140 * 16);
}

// A round badge in the lower right corner with a white sign drawn by `sign`.
void badge(QPainter &p, const QColor &color, const std::function<void(QPainter &, const QRectF &)> &sign)
{
    const QRectF r(17, 17, 14, 14);
    p.setPen(QPen(Qt::white, 1.5));
    p.setBrush(color);
    p.drawEllipse(r);
    p.setPen(QPen(Qt::white, 2.2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(Qt::NoBrush);
    sign(p, r.adjusted(3.5, 3.5, -3.5, -3.5));
}

void plusSign(QPainter &p, const QRectF &r)
{
    p.drawLine(QPointF(r.center().x(), r.top()), QPointF(r.center().x(), r.bottom()));
    p.drawLine(QPointF(r.left(), r.center().y()), QPointF(r.right(), r.center().y()));
}

void crossSign(QPainter &p, const QRectF &r)
{
    p.drawLine(r.topLeft(), r.bottomRight());
    p.drawLine(r.topRight(), r.bottomLeft());
}

void checkSign(QPainter &p, const QRectF &r)
{
    p.drawPolyline(QPolygonF({QPointF(r.left(), r.center().y()), QPointF(r.center().x() - 1, r.bottom()),
                              QPointF(r.right(), r.top())}));
}

void arrowDownSign(QPainter &p, const QRectF &r)
{
    p.drawLine(QPointF(r.center().x(), r.top()), QPointF(r.center().x(), r.bottom()));
    p.drawPolyline(QPolygonF({QPointF(r.left(), r.center().y() + 0.5), QPointF(r.center().x(), r.bottom()),
                              QPointF(r.right(), r.center().y() + 0.5)}));
}

void returnSign(QPainter &p, const QRectF &r)
{
    p.drawArc(QRectF(r.left() + 1, r.top(), r.width() - 1, r.height()), 90 * 16, -200 * 16);
    p.drawPolyline(QPolygonF({QPointF(r.left() + 1, r.top() - 1.5), QPointF(r.center().x() + 0.5, r.top()),
                              QPointF(r.left() + 2.5, r.center().y() - 0.5)}));
}

void rightArrowSign(QPainter &p, const QRectF &r)
{
    p.drawLine(QPointF(r.left(), r.center().y()), QPointF(r.right(), r.center().y()));
    p.drawPolyline(QPolygonF({QPointF(r.center().x() + 0.5, r.top()), QPointF(r.right(), r.center().y()),
                              QPointF(r.center().x() + 0.5, r.bottom())}));
}

void person(QPainter &p, const QPointF &at, qreal scale, const QColor &color)
{
    p.setPen(outline(color.darker(150), 1.3));
    p.setBrush(color);
    QPainterPath shoulders;
    const QRectF body(at.x() - 8 * scale, at.y() + 1 * scale, 16 * scale, 16 * scale);
    shoulders.moveTo(body.left(), body.top() + 12 * scale);
    shoulders.arcTo(body, 180, -180);
    shoulders.closeSubpath();
    p.drawPath(shoulders);
    p.setBrush(QColor(0xf2, 0xc9, 0xa0));
    p.drawEllipse(QPointF(at.x(), at.y() - 3.5 * scale), 4.8 * scale, 4.8 * scale);
}

void book(QPainter &p, const QRectF &r, const QColor &cover)
{
    p.setPen(outline());
    p.setBrush(kPaper);
    p.drawRoundedRect(r.adjusted(3, 2, 0, 0), 1.5, 1.5);
    p.setBrush(cover);
    p.drawRoundedRect(r.adjusted(0, 0, -3, -2), 1.5, 1.5);
    p.setPen(outline(cover.lighter(160), 1.4));
    p.drawLine(QPointF(r.left() + 4, r.top() + 1.5), QPointF(r.left() + 4, r.bottom() - 3.5));
    p.setPen(Qt::NoPen);
    p.setBrush(kGold);
    p.drawRect(QRectF(r.left() + 8, r.top() + 6, r.width() - 15, 4));
}

void calendar(QPainter &p, const QRectF &r)
{
    p.setPen(outline());
    p.setBrush(kPaper);
    p.drawRoundedRect(r, 2, 2);
    p.setBrush(kRed);
    p.drawRoundedRect(QRectF(r.left(), r.top(), r.width(), 7), 2, 2);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0x8a, 0x97, 0xa8));
    for (int row = 0; row < 3; ++row)
        for (int col = 0; col < 4; ++col)
            p.drawRect(QRectF(r.left() + 3.5 + col * (r.width() - 5) / 4, r.top() + 10 + row * 5, 3, 3));
}

void star(QPainter &p, const QPointF &c, qreal radius)
{
    QPolygonF points;
    for (int i = 0; i < 10; ++i) {
        const qreal angle = -M_PI / 2 + i * M_PI / 5;
        const qreal rr = i % 2 ? radius * 0.45 : radius;
        points << QPointF(c.x() + rr * std::cos(angle), c.y() + rr * std::sin(angle));
    }
    p.setPen(outline(kOrange.darker(130), 1.3));
    p.setBrush(kGold);
    p.drawPolygon(points);
}

void printer(QPainter &p)
{
    p.setPen(outline());
    p.setBrush(kPaper);
    p.drawRect(QRectF(9, 4, 14, 9));
    p.setBrush(QColor(0x9a, 0xa6, 0xb4));
    p.drawRoundedRect(QRectF(3, 12, 26, 11), 2, 2);
    p.setBrush(kPaper);
    p.drawRect(QRectF(8, 19, 16, 9));
    p.setPen(outline(QColor(0x8a, 0x97, 0xa8), 1.2));
    p.drawLine(QPointF(11, 23), QPointF(21, 23));
    p.setPen(Qt::NoPen);
    p.setBrush(kGreen);
    p.drawEllipse(QPointF(25, 15.5), 1.4, 1.4);
}

void gear(QPainter &p)
{
    const QPointF c(16, 16);
    QPainterPath teeth;
    for (int i = 0; i < 8; ++i) {
        QTransform t;
        t.translate(c.x(), c.y());
        t.rotate(i * 45);
        teeth.addPolygon(t.map(QPolygonF(QRectF(-3, -14, 6, 8))));
    }
    teeth.addEllipse(c, 10, 10);
    p.setPen(outline(QColor(0x4a, 0x55, 0x63), 1.2));
    p.setBrush(QColor(0x8d, 0x9b, 0xab));
    p.drawPath(teeth.simplified());
    p.setBrush(kPaper);
    p.drawEllipse(c, 4, 4);
}

void barChart(QPainter &p)
{
    page(p, QRectF(5, 3, 22, 27), false);
    p.setPen(Qt::NoPen);
    const QColor colors[] = {kBlue, kGreen, kOrange};
    const qreal heights[] = {9, 15, 11};
    for (int i = 0; i < 3; ++i) {
        p.setBrush(colors[i]);
        p.drawRect(QRectF(9 + i * 5.5, 26 - heights[i], 4, heights[i]));
    }
}

void spreadsheet(QPainter &p)
{
    p.setPen(outline());
    p.setBrush(kPaper);
    p.drawRect(QRectF(4, 5, 24, 22));
    p.setBrush(kGreen);
    p.drawRect(QRectF(4, 5, 24, 6));
    p.setPen(outline(QColor(0x8a, 0x97, 0xa8), 1.0));
    for (qreal x : {12.0, 20.0})
        p.drawLine(QPointF(x, 11), QPointF(x, 27));
    for (qreal y : {16.5, 22.0})
        p.drawLine(QPointF(4, y), QPointF(28, y));
}

void pencil(QPainter &p)
{
    QTransform t;
    t.translate(22, 22);
    t.rotate(45);
    p.setTransform(t, true);
    p.setPen(outline(QColor(0x6b, 0x4a, 0x1c), 1.2));
    p.setBrush(kGold);
    p.drawRect(QRectF(-2.6, -13, 5.2, 13));
    p.setBrush(QColor(0xf2, 0xc9, 0xa0));
    p.drawPolygon(QPolygonF({QPointF(-2.6, 0), QPointF(2.6, 0), QPointF(0, 5)}));
    p.setBrush(kRed);
    p.drawRect(QRectF(-2.6, -16, 5.2, 3));
}

void magnifier(QPainter &p)
{
    p.setPen(QPen(kInk, 3.2, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(24, 24), QPointF(29.5, 29.5));
    p.setPen(outline(kInk, 2));
    p.setBrush(QColor(0xcf, 0xe6, 0xf5, 220));
    p.drawEllipse(QPointF(19.5, 19.5), 6.5, 6.5);
}

void toolStrip(QPainter &p)
{
    p.setPen(outline());
    p.setBrush(QColor(0xe4, 0xe9, 0xef));
    p.drawRoundedRect(QRectF(2, 9, 28, 14), 2, 2);
    const QColor colors[] = {kBlue, kGreen, kOrange};
    for (int i = 0; i < 3; ++i) {
        p.setBrush(colors[i]);
        p.setPen(outline(colors[i].darker(140), 1.0));
        p.drawRoundedRect(QRectF(5 + i * 8.5, 12, 6.5, 8), 1, 1);
    }
}

// Own pictures by index; an empty function means "theme or style".
Paint ownPicture(int index)
{
    switch (index) {
    case Disconnect:
        return [](QPainter &p) { database(p, QRectF(4, 3, 20, 25)); badge(p, kRed, crossSign); };
    case Connect:
        return [](QPainter &p) { database(p, QRectF(4, 3, 20, 25)); badge(p, kGreen, checkSign); };
    case Backup:
        return [](QPainter &p) { database(p, QRectF(4, 3, 20, 25)); badge(p, kBlue, arrowDownSign); };
    case Restore:
        return [](QPainter &p) { database(p, QRectF(4, 3, 20, 25)); badge(p, kOrange, returnSign); };
    case Customers:
        return [](QPainter &p) {
            person(p, QPointF(20.5, 12), 0.85, kGreen);
            person(p, QPointF(12, 15), 1.0, kBlue);
        };
    case Catalogue:
        return [](QPainter &p) { book(p, QRectF(5, 3, 22, 27), kBrown); };
    case Orders:
        return [](QPainter &p) {
            page(p, QRectF(10, 2, 18, 23), false);
            page(p, QRectF(4, 7, 18, 23));
        };
    case AddOrder:
        return [](QPainter &p) { page(p, QRectF(4, 2, 20, 27)); badge(p, kGreen, plusSign); };
    case AddRefusal:
        return [](QPainter &p) { page(p, QRectF(4, 2, 20, 27)); badge(p, kRed, returnSign); };
    case Edit:
        return [](QPainter &p) { page(p, QRectF(4, 2, 20, 27)); pencil(p); };
    case View:
        return [](QPainter &p) { page(p, QRectF(3, 2, 20, 27)); magnifier(p); };
    case WordReport:
        return [](QPainter &p) {
            page(p, QRectF(6, 2, 22, 27));
            p.setPen(Qt::NoPen);
            p.setBrush(kBlue);
            p.drawRoundedRect(QRectF(2, 12, 15, 13), 1.5, 1.5);
            p.setPen(QPen(Qt::white, 1.8, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
            p.drawPolyline(QPolygonF({QPointF(4.5, 15), QPointF(6.8, 22), QPointF(9.5, 17), QPointF(12.2, 22),
                                      QPointF(14.5, 15)}));
        };
    case Reports:
        return barChart;
    case Spreadsheet:
        return spreadsheet;
    case Calendar:
        return [](QPainter &p) { calendar(p, QRectF(3, 4, 26, 25)); };
    case ChooseCatalogue:
        return [](QPainter &p) {
            calendar(p, QRectF(2, 2, 22, 22));
            book(p, QRectF(15, 13, 15, 18), kBrown);
        };
    case ClearPoints:
        return [](QPainter &p) { star(p, QPointF(13, 14), 12); badge(p, kRed, crossSign); };
    case Transfer:
        return [](QPainter &p) { star(p, QPointF(13, 14), 12); badge(p, kBlue, rightArrowSign); };
    case MoveCustomer:
        return [](QPainter &p) { person(p, QPointF(13, 13), 1.0, kBlue); badge(p, kOrange, rightArrowSign); };
    case Print:
        return printer;
    case Settings:
        return gear;
    case ToolBar:
        return toolStrip;
    default:
        return {};
    }
}

// The sizes every picture is made in.
constexpr int kSizes[] = {16, 22, 24, 32, 48};

QIcon drawn(const Paint &paint)
{
    QIcon icon;
    for (int size : kSizes) {
        QPixmap pixmap(size, size);
        pixmap.fill(Qt::transparent);
        QPainter painter(&pixmap);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.scale(size / 32.0, size / 32.0);
        paint(painter);
        painter.end();
        icon.addPixmap(pixmap);
    }
    return icon;
}

// General pictures: the first theme name found, else the style's picture.
struct GeneralPicture
{
    std::array<const char *, 2> themeNames;
    QStyle::StandardPixmap fallback;
};

GeneralPicture generalPicture(int index)
{
    switch (index) {
    case Post: return {{"dialog-ok", "document-save"}, QStyle::SP_DialogOkButton};
    case Exit: return {{"application-exit", "system-log-out"}, QStyle::SP_DialogCloseButton};
    case Cancel: return {{"dialog-cancel", "process-stop"}, QStyle::SP_DialogCancelButton};
    case First: return {{"go-first", nullptr}, QStyle::SP_MediaSkipBackward};
    case Prior: return {{"go-previous", nullptr}, QStyle::SP_ArrowLeft};
    case Next: return {{"go-next", nullptr}, QStyle::SP_ArrowRight};
    case Last: return {{"go-last", nullptr}, QStyle::SP_MediaSkipForward};
    case Insert: return {{"list-add", nullptr}, QStyle::SP_FileDialogNewFolder};
    case Apply: return {{"dialog-ok-apply", "dialog-ok"}, QStyle::SP_DialogApplyButton};
    case Delete: return {{"edit-delete", "user-trash"}, QStyle::SP_TrashIcon};
    case About: return {{"help-about", nullptr}, QStyle::SP_MessageBoxInformation};
    case Refresh: return {{"view-refresh", nullptr}, QStyle::SP_BrowserReload};
    case Find: return {{"edit-find", "system-search"}, QStyle::SP_FileDialogContentsView};
    case Help: return {{"help-contents", "help-browser"}, QStyle::SP_DialogHelpButton};
    case Expand: return {{"go-down", nullptr}, QStyle::SP_ArrowDown};
    case Collapse: return {{"go-up", nullptr}, QStyle::SP_ArrowUp};
    case CloseWindow: return {{"window-close", nullptr}, QStyle::SP_TitleBarCloseButton};
    default: return {{nullptr, nullptr}, QStyle::SP_CustomBase};
    }
}

// A disabled command's picture: grey and faded. Fading as well as greying
// keeps a picture that is grey already (the bin of Delete) from looking the
// same in both states.
QPixmap disabledPixmap(const QPixmap &normal)
{
    QImage image = normal.toImage().convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < image.height(); ++y) {
        auto *line = reinterpret_cast<QRgb *>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            const QRgb pixel = line[x];
            // Lighter grey, at a little over a third of the opacity.
            const int grey = 96 + qGray(pixel) * 5 / 8;
            line[x] = qRgba(grey, grey, grey, qAlpha(pixel) * 3 / 8);
        }
    }
    QPixmap pixmap = QPixmap::fromImage(image);
    pixmap.setDevicePixelRatio(normal.devicePixelRatio());
    return pixmap;
}

// `normal` with a disabled picture of our own at every size: the style's
// generated one barely differs for pale or grey pictures.
QIcon withDisabledPictures(const QIcon &normal)
{
    QIcon icon;
    QList<QSize> made;
    for (int size : kSizes) {
        // A picture without the size asked for gives its next smaller one.
        const QPixmap pixmap = normal.pixmap(QSize(size, size));
        if (pixmap.isNull() || made.contains(pixmap.size()))
            continue;
        made << pixmap.size();
        icon.addPixmap(pixmap, QIcon::Normal);
        icon.addPixmap(disabledPixmap(pixmap), QIcon::Disabled);
    }
    return icon;
}

QIcon load(int index)
{
    if (const Paint paint = ownPicture(index))
        return drawn(paint);
    const GeneralPicture general = generalPicture(index);
    for (const char *name : general.themeNames) {
        if (!name)
            break;
        const QIcon themed = QIcon::fromTheme(QString::fromLatin1(name));
        if (!themed.isNull())
            return themed;
    }
    Q_ASSERT(general.fallback != QStyle::SP_CustomBase);
    return QApplication::style()->standardIcon(general.fallback);
}

} // namespace

QIcon icon(int index)
{
    if (index < 0 || index >= Count)
        return QIcon();
    // Made once: neither the theme nor the pictures change while the program runs.
    static std::array<QIcon, Count> cache;
    static std::array<bool, Count> made{};
    if (!made[size_t(index)]) {
        cache[size_t(index)] = withDisabledPictures(load(index));
        made[size_t(index)] = true;
    }
    return cache[size_t(index)];
}

} // namespace ImageList
