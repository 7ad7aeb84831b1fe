#include "Fading.h"

#include <QWidget>
#include <algorithm>

namespace {
constexpr int kOpaque = 255;
constexpr int kStep = 5;

void fade(QWidget *window, bool rising)
{
    for (int level : FadeLevels(rising))
        window->setWindowOpacity(double(level) / kOpaque);
}
} // namespace

QList<int> FadeLevels(bool rising)
{
    QList<int> levels;
    for (int level = 0; level <= kOpaque; level += kStep)
        levels.append(level);
    if (!rising)
        std::reverse(levels.begin(), levels.end());
    return levels;
}

void FadeIn(QWidget *window)
{
    fade(window, true);
}

void FadeOut(QWidget *window)
{
    fade(window, false);
}
