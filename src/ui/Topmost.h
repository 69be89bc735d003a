#pragma once

class QWidget;

namespace quorvane {

// Keeps a window above all others (on) or lets it be covered again (off).
// Its position and size stay as they are; a visible window stays visible
// and is brought to the front and activated.
void setTopmost(QWidget *window, bool on);

// A box about to open while an always-on-top window shows (the working
// dialog) would open beneath it, where nobody sees what it asks: the box is
// made always-on-top as well, and, opened after it, stands above it. Call
// before the box is shown.
void keepAboveTopmost(QWidget *box);

} // namespace quorvane
