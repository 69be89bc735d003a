#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <QString>

#include <optional>

namespace quorvane {

// One picture of an animated cursor. Bitmap (DIB) images are decoded into
// non-premultiplied 0xAARRGGBB pixels, row by row from the top. Entries that
// carry a PNG stream are passed on undecoded in `png` (this library has no
// image codecs); their size then comes from the PNG header and `argb` is
// empty.
struct AniImage {
    int width = 0;
    int height = 0;
    int hotspotX = 0; // cursor entries only; 0 for icons
    int hotspotY = 0;
    QList<quint32> argb;
    QByteArray png;
};

// A parsed animated cursor: the frames, and per display step the frame it
// shows and how long it stays, in jiffies (1/60 s).
struct AniCursorData {
    QList<AniImage> frames;
    QList<int> sequence; // frame index per step, each < frames.size()
    QList<quint32> rates; // jiffies per step, same length as sequence
};

struct AniParseResult {
    std::optional<AniCursorData> cursor;
    QString error; // why parsing failed; empty on success
};

// Reading Windows animated cursor files (RIFF "ACON"). Every function reads
// only inside the bytes it is given: sizes, counts and indices that point
// outside them make a clean failure, never a read past the end.
namespace AniCursorFile {

inline constexpr int maxFrames = 1024;
inline constexpr int maxSteps = 4096;
inline constexpr int maxImageSide = 256;
inline constexpr int maxIconEntries = 64;
// Files larger than this are not animated cursors; readers stop there.
inline constexpr qsizetype maxFileSize = 16 * 1024 * 1024;

// The whole file: "anih" header, optional "rate" and "seq " chunks, and a
// "LIST" of type "fram" holding one "icon" chunk (ICO/CUR data) per frame.
AniParseResult parse(QByteArrayView file);

// One ICO or CUR resource. Of several entries the one closest to 32 pixels
// wide is taken (the usual cursor size). Returns nothing and sets *error on
// failure.
std::optional<AniImage> decodeIcon(QByteArrayView data, QString *error = nullptr);

// How long a step of `jiffies` stays on screen, in milliseconds; at least
// one jiffy, so a zero rate cannot make a busy loop.
int stepDelayMs(quint32 jiffies);

} // namespace AniCursorFile

} // namespace quorvane
