#pragma once

#include <QString>

namespace quorvane {

// The main window's look: a dark header band, white cards for the VOB list
// and the pages, quiet tabs and status bar.
QString mainStyleSheet();

} // namespace quorvane
