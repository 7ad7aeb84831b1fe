#pragma once
// Scaling a dialog from the 1024 x 768 screen it was laid out on to the
// screen it runs on, used by the settings and clearing dialogs under the
// "doformscale" switch. Header-only so that every window folder can use it.

#include <QApplication>
#include <QScreen>
#include <QStyle>
#include <QWidget>
#include <cstdint>

/// What the scaling rule makes of a dialog: its new place and size, and the
/// ratio multiplier : divisor for its contents.
struct DialogScaling
{
    int left, top, width, height, multiplier, divisor;
    constexpr bool operator==(const DialogScaling &) const = default;
};

/// The scaling rule for a dialog at (left, top) of width x height on a
/// screenWidth x screenHeight screen whose sizable window border is `frame`
/// high. 32-bit integer arithmetic, multiplication before division,
/// truncation toward zero, as the dialogs were designed with.
constexpr DialogScaling ComputeDialogScaling(std::int32_t left, std::int32_t top, std::int32_t width,
                                             std::int32_t height, std::int32_t screenWidth,
                                             std::int32_t screenHeight, std::int32_t frame)
{
    const std::int32_t d = 2 * (4 - frame);
    const std::int32_t h = height + d;
    const std::int32_t w = width + d;
    return DialogScaling{
        left * screenWidth / 1024,
        top * screenWidth / 1024,  // the width ratio for both, as designed
        w * screenWidth / 1024,
        h * screenHeight / 768,
        w * screenWidth / 1024 - 2 * frame,
        w - 8,
    };
}

static_assert(ComputeDialogScaling(277, 253, 456, 160, 1280, 1024, 4) == DialogScaling{346, 316, 570, 213, 562, 448});

/// The height of a sizable window border on this desktop.
inline int SizableBorderHeight(const QWidget *widget)
{
    return widget->style()->pixelMetric(QStyle::PM_MdiSubWindowFrameWidth, nullptr, widget);
}

/// Applies the scaling rule to `dialog` while it is being created: its place
/// and size, and the fonts and the places and sizes of the controls that no
/// layout arranges (layouts follow the new size and fonts by themselves).
inline void ScaleDialog(QWidget *dialog)
{
    const QScreen *screen = dialog->screen() ? dialog->screen() : QGuiApplication::primaryScreen();
    if (!screen)
        return;
    const QSize screenSize = screen->geometry().size();
    const QRect before = dialog->geometry();
    const DialogScaling s = ComputeDialogScaling(before.x(), before.y(), before.width(), before.height(),
                                                 screenSize.width(), screenSize.height(),
                                                 SizableBorderHeight(dialog));
    if (s.divisor <= 0)
        return;
    auto scaled = [&s](int value) { return int(std::int32_t(value) * s.multiplier / s.divisor); };

    const QList<QWidget *> controls = dialog->findChildren<QWidget *>();
    for (QWidget *control : controls) {
        if (control->isWindow())
            continue;
        const QWidget *parent = control->parentWidget();
        if (parent && !parent->layout()) {
            const QRect g = control->geometry();
            control->setGeometry(scaled(g.x()), scaled(g.y()), scaled(g.width()), scaled(g.height()));
        }
    }
    QFont font = dialog->font();
    const int pixels = QFontInfo(font).pixelSize();
    font.setPixelSize(qMax(1, scaled(pixels)));
    dialog->setFont(font);

    dialog->move(s.left, s.top);
    dialog->resize(s.width, s.height);
}
