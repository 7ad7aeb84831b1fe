#include "BringForward.h"

#include <QMdiArea>
#include <QMdiSubWindow>

void BringForward(QWidget *window)
{
    Q_ASSERT(window);
    if (auto *child = qobject_cast<QMdiSubWindow *>(window)) {
        // A minimized child window is a bar at the bottom of the client area;
        // activating it alone leaves it a bar. It comes back as its own
        // Restore brings it back: at its size before it was made smaller.
        if (child->isMinimized())
            child->showNormal();
        if (QMdiArea *area = child->mdiArea())
            area->setActiveSubWindow(child);
        child->raise();
        return;
    }
    if (window->isMinimized())
        window->setWindowState(window->windowState() & ~Qt::WindowMinimized);
    window->show();
    window->raise();
    window->activateWindow();
}
