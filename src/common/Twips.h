#pragma once

#include <QtGlobal>

#include <algorithm>
#include <cmath>

namespace quorvane::Twips {

// Positions and sizes are kept in twips (1/1440 inch); the screen gets
// device-independent pixels at 96 dpi, i.e. 15 twips per pixel. This is the
// only place that converts.
inline constexpr int perPixel = 15;

inline int toPx(int twips) { return static_cast<int>(std::lround(twips / double(perPixel))); }
inline constexpr int fromPx(int px) { return px * perPixel; }

// The widest a column or label sized from a name may be (2000 pixels):
// wider than any name a region holds, and far from where sums of widths
// could overflow.
inline constexpr int maxTextWidth = 30000;

// The width of a text of that many characters at that many twips each, in
// 64 bits and clamped to maxTextWidth, so that no name, however long, can
// overflow it.
inline constexpr int textWidth(qsizetype chars, int twipsPerChar)
{
    if (chars <= 0 || twipsPerChar <= 0)
        return 0;
    if (chars > maxTextWidth)
        return maxTextWidth;
    return int(std::min<qint64>(qint64(chars) * twipsPerChar, maxTextWidth));
}

} // namespace quorvane::Twips
