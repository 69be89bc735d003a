#pragma once

#include <QSize>

class QWidget;

namespace quorvane {

// A window's first size: the designed one where its screen has room for
// it; on a smaller screen (or a larger font, which scales the window with
// it) the room the screen has, less the window manager's frame. Never below
// what the window's layout needs: the pages scroll within.
[[nodiscard]] QSize fitToScreen(const QWidget &window, QSize designed);

} // namespace quorvane
