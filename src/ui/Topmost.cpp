#include "ui/Topmost.h"

#include <QApplication>
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
        if (!window->windowFlags().testFlag(Qt::WindowDoesNotAcceptFocus))
            window->activateWindow();
    }
}

void keepAboveTopmost(QWidget *box)
{
    if (!box)
        return;
    const QWidgetList windows = QApplication::topLevelWidgets();
    for (const QWidget *w : windows) {
        if (w != box && w->isVisible() && w->windowFlags().testFlag(Qt::WindowStaysOnTopHint)) {
            box->setWindowFlag(Qt::WindowStaysOnTopHint, true);
            return;
        }
    }
}

} // namespace quorvane
