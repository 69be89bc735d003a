#pragma once

#include <QIcon>
#include <QPixmap>
#include <QSize>

namespace quorvane::Pictures {

// Small pictures of the main window and the detail window, drawn in code so
// that nothing is taken from elsewhere.
QPixmap closeIcon();
// The program's icon, at the sizes the build draws from resources/quorvane.svg.
QIcon appIcon();

// A transparent picture of `size` logical pixels, `ratio` device pixels to
// each, ready to be painted on.
QPixmap canvas(QSize size, qreal ratio = 1.0);

} // namespace quorvane::Pictures
