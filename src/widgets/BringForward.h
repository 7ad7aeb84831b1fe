#pragma once
// Bringing an open window forward: the one way every command that finds its
// window already open shows it to the user again.

class QWidget;

/// Brings `window` to the front and makes it the active one, restoring it
/// first when it is minimized. Works for a child window of a client area (a
/// QMdiSubWindow) and for a top-level window alike.
void BringForward(QWidget *window);
