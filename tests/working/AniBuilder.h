#pragma once

// Builds animated cursor files byte by byte: exactly the good and broken files tests need.

#include <QByteArray>
#include <QList>
#include <QtEndian>

namespace quorvane::test::ani {

inline QByteArray le(quint32 v, int bytes = 4)
{
    QByteArray b(4, '\0');
    qToLittleEndian(v, b.data());
    return b.left(bytes);
}

inline QByteArray dwords(const QList<quint32> &values)
{
    QByteArray b;
    for (quint32 v : values)
        b += le(v);
    return b;
}

// A chunk; `claimedSize` >= 0 writes a size that differs from the body.
inline QByteArray chunk(const char *tag, const QByteArray &body, qint64 claimedSize = -1)
{
    const QByteArray b = QByteArray(tag, 4) + le(quint32(claimedSize < 0 ? body.size() : claimedSize)) + body;
    return body.size() % 2 ? b + '\0' : b;
}

inline QByteArray riff(const QByteArray &chunks, qint64 claimedSize = -1)
{
    return chunk("RIFF", "ACON" + chunks, claimedSize);
}

inline QByteArray anih(quint32 frames, quint32 steps, quint32 rate = 6, quint32 flags = 1)
{
    return chunk("anih", dwords({36, frames, steps, 0, 0, 0, 0, rate, flags}));
}

inline QByteArray fram(const QList<QByteArray> &icons)
{
    QByteArray b("fram");
    for (const QByteArray &icon : icons)
        b += chunk("icon", icon);
    return chunk("LIST", b);
}

// A bitmap as an icon resource stores it: header, palette, then colour and
// mask rows bottom-up, each padded to 4 bytes. Pixels are given top-down:
// 0xAARRGGBB for 24 and 32 bits, palette indices for 8 bits and fewer.
struct Dib {
    int side = 2;
    int bpp = 32;
    QList<quint32> palette;
    QList<quint32> pixels;
    QList<bool> transparent; // empty: no mask at all
    qint32 heightField = 0;  // 0: twice the height, as icons store it
};

inline QByteArray dib(const Dib &d)
{
    QByteArray b = dwords({40, quint32(d.side), quint32(d.heightField ? d.heightField : 2 * d.side)}) +
                   le(1, 2) + le(quint32(d.bpp), 2) + dwords({0, 0, 0, 0, quint32(d.palette.size()), 0}) +
                   dwords(d.palette);
    const auto rows = [&](int bpp, auto value) {
        const int stride = ((d.side * bpp + 31) / 32) * 4;
        for (int y = d.side - 1; y >= 0; --y) {
            QByteArray row(stride, '\0');
            for (int x = 0; x < d.side; ++x) {
                const quint32 p = value(y * d.side + x);
                if (bpp >= 24)
                    row.replace(x * bpp / 8, bpp / 8, le(p, bpp / 8));
                else if (bpp <= 8) // other depths stay zero: only their header matters
                    row[x * bpp / 8] = char(quint8(row[x * bpp / 8]) | (p << (8 - bpp - x * bpp % 8)));
            }
            b += row;
        }
    };
    rows(d.bpp, [&](int i) { return d.pixels.value(i); });
    if (!d.transparent.isEmpty())
        rows(1, [&](int i) { return quint32(d.transparent.value(i)); });
    return b;
}

// An image of an icon resource; claimed size and offset >= 0 overwrite the true ones.
struct Entry {
    QByteArray image;
    int width = 32;
    qint64 claimedSize = -1;
    qint64 claimedOffset = -1;
};

// An ICO (type 1) or CUR (type 2) resource with its directory.
inline QByteArray icon(const QList<Entry> &entries, quint16 type = 2)
{
    QByteArray dir = le(0, 2) + le(type, 2) + le(quint32(entries.size()), 2);
    QByteArray images;
    qint64 offset = 6 + 16 * entries.size();
    for (const Entry &e : entries) {
        dir += le(quint32(e.width % 256) * 0x101, 2) + le(0, 2) + dwords({1}) // hotspot (1, 0)
               + le(quint32(e.claimedSize < 0 ? e.image.size() : e.claimedSize)) +
               le(quint32(e.claimedOffset < 0 ? offset : e.claimedOffset));
        offset += e.image.size();
        images += e.image;
    }
    return dir + images;
}

// A 2x2 cursor whose pixels are all `argb`.
inline QByteArray solidCursor(quint32 argb)
{
    return icon({Entry{dib(Dib{2, 32, {}, QList<quint32>(4, argb), QList<bool>(4, false), 0}), 2}});
}

// A well-formed file of `frames` solid frames; frame i has the colour 0xff000001 + i.
inline QByteArray simpleAni(int frames, const QByteArray &extraChunks = {})
{
    QList<QByteArray> icons;
    for (int i = 0; i < frames; ++i)
        icons.append(solidCursor(0xff000001u + quint32(i)));
    return riff(anih(quint32(frames), quint32(frames)) + extraChunks + fram(icons));
}

} // namespace quorvane::test::ani
