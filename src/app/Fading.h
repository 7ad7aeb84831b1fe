#pragma once
// The fade of the settings dialog and the About box: on activation the
// window's opacity rises from fully transparent to opaque, on close it falls
// back, in steps of 5 out of 255 that follow each other without delay.

#include <QList>

class QWidget;

/// The opacity levels (out of 255) a fade passes through, in order: 0, 5, …,
/// 255 when rising, the reverse when falling.
QList<int> FadeLevels(bool rising);

/// Runs the rising fade on `window`.
void FadeIn(QWidget *window);

/// Runs the falling fade on `window`; it ends fully transparent.
void FadeOut(QWidget *window);
