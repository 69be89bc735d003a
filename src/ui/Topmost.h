#pragma once

class QWidget;

namespace quorvane {

// Keeps a window above all others (on) or lets it be covered again (off).
// Its position and size stay as they are; a visible window stays visible
// and is brought to the front and activated.
void setTopmost(QWidget *window, bool on);

} // namespace quorvane
