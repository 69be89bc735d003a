#include "ui/Topmost.h"

#include <QWidget>

namespace quorvane {

void setTopmost(QWidget *window, bool on)
{
    if (!window)
        return;
    window = window->window();
    const bool visible = window->isVisible();
    if (window->windowFlags().testFlag(Qt::WindowStaysOnTopHint) != on) {
        // Changing the flags recreates the native window and hides it; put
        // it back where it was.
        const QRect geometry = window->geometry();
        const bool placed = visible || window->testAttribute(Qt::WA_Moved);
        window->setWindowFlag(Qt::WindowStaysOnTopHint, on);
        if (placed)
            window->setGeometry(geometry);
        if (visible)
            window->show();
    }
    if (visible) {
        window->raise();
        window->activateWindow();
    }
}

} // namespace quorvane
