#pragma once

#include <cmath>

namespace quorvane::Twips {

// Positions and sizes are kept in twips (1/1440 inch); the screen gets
// device-independent pixels at 96 dpi, i.e. 15 twips per pixel. This is the
// only place that converts.
inline constexpr int perPixel = 15;

inline int toPx(int twips) { return static_cast<int>(std::lround(twips / double(perPixel))); }
inline constexpr int fromPx(int px) { return px * perPixel; }

} // namespace quorvane::Twips
