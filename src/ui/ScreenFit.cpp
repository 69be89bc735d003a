#include "ui/ScreenFit.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

namespace quorvane {

QSize fitToScreen(const QWidget &window, QSize designed)
{
    const QScreen *shown = window.screen() ? window.screen() : QGuiApplication::primaryScreen();
    if (!shown)
        return designed;
    const QSize frame(16, 48);
    return designed.boundedTo(shown->availableGeometry().size() - frame).expandedTo(window.minimumSizeHint());
}

} // namespace quorvane
