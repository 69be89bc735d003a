#pragma once

#include <QIcon>
#include <QPixmap>

namespace quorvane::Pictures {

// Small pictures of the main window and the detail window, drawn in code so
// that nothing is taken from elsewhere.
QPixmap closeIcon();
QIcon appIcon();

} // namespace quorvane::Pictures
