#pragma once

#include <QtGlobal>

namespace quorvane {

// Colours as the program keeps them: 32 bits, red in the low byte, green in
// the second, blue in the third, 0 in the high byte (0x00BBGGRR).
using OleColor = quint32;

inline constexpr OleColor rgbColor(int r, int g, int b)
{
    return OleColor(r & 0xFF) | (OleColor(g & 0xFF) << 8) | (OleColor(b & 0xFF) << 16);
}
inline constexpr int redOf(OleColor c) { return int(c & 0xFF); }
inline constexpr int greenOf(OleColor c) { return int((c >> 8) & 0xFF); }
inline constexpr int blueOf(OleColor c) { return int((c >> 16) & 0xFF); }

namespace Colors {
inline constexpr OleColor white = rgbColor(255, 255, 255);
inline constexpr OleColor pureRed = rgbColor(255, 0, 0);
inline constexpr OleColor pureBlue = rgbColor(0, 0, 255);
inline constexpr OleColor black = rgbColor(0, 0, 0);
inline constexpr OleColor navy = rgbColor(0, 0, 128);
} // namespace Colors

} // namespace quorvane
