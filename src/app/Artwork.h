#pragma once
// The program's own pictures, drawn rather than shipped: the window icon and
// the About box picture, both a small sponsor tree on the program's colours.

#include <QIcon>
#include <QPixmap>

/// The icon of every window of the program.
QIcon ApplicationIcon();

/// The About box picture, 65 by 126 pixels.
QPixmap AboutPicture();
