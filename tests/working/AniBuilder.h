#pragma once

// Builds animated cursor files byte by byte, so that tests can make exactly
// the good and the broken files they need.

#include <QByteArray>
#include <QList>
#include <QtEndian>

namespace quorvane::test::ani {

inline QByteArray le16(quint16 v)
{
    QByteArray b(2, '\0');
    qToLittleEndian(v, b.data());
    return b;
}

inline QByteArray le32(quint32 v)
{
    QByteArray b(4, '\0');
    qToLittleEndian(v, b.data());
    return b;
}

inline QByteArray chunk(const char *tag, const QByteArray &body, qint64 claimedSize = -1)
{
    QByteArray b = QByteArray(tag, 4) + le32(quint32(claimedSize < 0 ? body.size() : claimedSize)) + body;
    if (body.size() % 2)
        b += '\0';
    return b;
}

// The RIFF "ACON" container around the given chunks.
inline QByteArray riff(const QByteArray &chunks, qint64 claimedSize = -1)
{
    const QByteArray body = QByteArray("ACON") + chunks;
    return QByteArray("RIFF") + le32(quint32(claimedSize < 0 ? body.size() : claimedSize)) + body;
}

inline QByteArray anih(quint32 frames, quint32 steps, quint32 rate = 6, quint32 flags = 1)
{
    QByteArray b = le32(36) + le32(frames) + le32(steps);
    for (int i = 0; i < 4; ++i)
        b += le32(0);
    return chunk("anih", b + le32(rate) + le32(flags));
}

inline QByteArray dwords(const QList<quint32> &values)
{
    QByteArray b;
    for (quint32 v : values)
        b += le32(v);
    return b;
}

inline QByteArray fram(const QList<QByteArray> &icons)
{
    QByteArray b("fram");
    for (const QByteArray &icon : icons)
        b += chunk("icon", icon);
    return chunk("LIST", b);
}

struct Dib {
    int width = 2;
    int height = 2;
    int bpp = 32;
    quint32 compression = 0;
    QList<quint32> palette;        // 0x00RRGGBB
    QList<quint32> pixels;         // top-down; ARGB for 24/32 bpp, palette index otherwise
    QList<bool> transparent;       // top-down; empty: no mask at all
    qint32 heightField = 0;        // 0: twice the height
};

// A bitmap as stored in an icon resource: header, palette, colour rows and
// mask rows, each bottom-up and padded to 4 bytes.
inline QByteArray dib(const Dib &d)
{
    QByteArray b = le32(40) + le32(quint32(d.width)) + le32(quint32(d.heightField ? d.heightField : 2 * d.height))
        + le16(1) + le16(quint16(d.bpp)) + le32(d.compression) + le32(0) + le32(0) + le32(0)
        + le32(quint32(d.palette.size())) + le32(0);
    for (quint32 c : d.palette)
        b += le32(c);
    const int stride = ((d.width * d.bpp + 31) / 32) * 4;
    for (int y = d.height - 1; y >= 0; --y) {
        QByteArray row(stride, '\0');
        for (int x = 0; x < d.width; ++x) {
            const quint32 p = d.pixels.value(y * d.width + x);
            if (d.bpp == 32) {
                qToLittleEndian(p, row.data() + x * 4);
            } else if (d.bpp == 24) {
                row[x * 3] = char(p & 0xff);
                row[x * 3 + 1] = char((p >> 8) & 0xff);
                row[x * 3 + 2] = char((p >> 16) & 0xff);
            } else if (d.bpp <= 8) { // other depths stay zero: only their header matters
                const int bit = x * d.bpp;
                row[bit / 8] = char(quint8(row[bit / 8]) | (p << (8 - d.bpp - bit % 8)));
            }
        }
        b += row;
    }
    if (!d.transparent.isEmpty()) {
        const int maskStride = ((d.width + 31) / 32) * 4;
        for (int y = d.height - 1; y >= 0; --y) {
            QByteArray row(maskStride, '\0');
            for (int x = 0; x < d.width; ++x)
                if (d.transparent.value(y * d.width + x))
                    row[x / 8] = char(quint8(row[x / 8]) | (0x80 >> (x % 8)));
            b += row;
        }
    }
    return b;
}

struct Entry {
    QByteArray image;
    int width = 32;       // 256 is written as 0
    quint16 hotspotX = 0; // or colour planes for icons
    quint16 hotspotY = 0;
    qint64 claimedSize = -1;
    qint64 claimedOffset = -1;
};

// An ICO (type 1) or CUR (type 2) resource with its directory.
inline QByteArray icon(const QList<Entry> &entries, quint16 type = 2)
{
    QByteArray dir = le16(0) + le16(type) + le16(quint16(entries.size()));
    QByteArray images;
    qint64 offset = 6 + 16 * entries.size();
    for (const Entry &e : entries) {
        dir += char(e.width >= 256 ? 0 : e.width);
        dir += char(e.width >= 256 ? 0 : e.width);
        dir += QByteArray(2, '\0');
        dir += le16(e.hotspotX) + le16(e.hotspotY);
        dir += le32(quint32(e.claimedSize < 0 ? e.image.size() : e.claimedSize));
        dir += le32(quint32(e.claimedOffset < 0 ? offset : e.claimedOffset));
        offset += e.image.size();
        images += e.image;
    }
    return dir + images;
}

// A 2x2 32-bit cursor image whose pixels are all `argb`.
inline QByteArray solidCursor(quint32 argb, quint16 hx = 1, quint16 hy = 0)
{
    Dib d;
    d.pixels = {argb, argb, argb, argb};
    d.transparent = {false, false, false, false};
    return icon({Entry{dib(d), 2, hx, hy}});
}

// A well-formed file with `frames` solid frames (frame i has blue = i + 1).
inline QByteArray simpleAni(int frames, const QByteArray &extraChunks = {}, quint32 rate = 6)
{
    QList<QByteArray> icons;
    for (int i = 0; i < frames; ++i)
        icons.append(solidCursor(0xff000000u | quint32(i + 1)));
    return riff(anih(quint32(frames), quint32(frames), rate) + extraChunks + fram(icons));
}

} // namespace quorvane::test::ani
