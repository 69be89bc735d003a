#include "common/AniCursorFile.h"

#include <QtEndian>

#include <cstdlib>

namespace quorvane::AniCursorFile {

namespace {

// Little-endian reads; every caller has checked that off + width <= size.
quint16 u16(QByteArrayView d, qsizetype off) { return qFromLittleEndian<quint16>(d.data() + off); }
quint32 u32(QByteArrayView d, qsizetype off) { return qFromLittleEndian<quint32>(d.data() + off); }
qint32 i32(QByteArrayView d, qsizetype off) { return qFromLittleEndian<qint32>(d.data() + off); }
quint32 be32(QByteArrayView d, qsizetype off) { return qFromBigEndian<quint32>(d.data() + off); }

bool hasTag(QByteArrayView d, qsizetype off, const char (&tag)[5])
{
    return off >= 0 && off + 4 <= d.size() && d.sliced(off, 4) == QByteArrayView(tag, 4);
}

bool fail(QString *error, const QString &why)
{
    if (error)
        *error = why;
    return false;
}

std::nullopt_t noImage(QString *error, const QString &why)
{
    fail(error, why);
    return std::nullopt;
}

const QByteArrayView pngSignature("\x89PNG\r\n\x1a\n", 8);

std::optional<AniImage> decodePng(QByteArrayView d, QString *error)
{
    // Signature, IHDR length and tag, then width and height (big-endian).
    if (d.size() < 24 || !hasTag(d, 12, "IHDR"))
        return noImage(error, QStringLiteral("truncated PNG image"));
    const quint32 w = be32(d, 16);
    const quint32 h = be32(d, 20);
    if (w < 1 || h < 1 || w > quint32(maxImageSide) || h > quint32(maxImageSide))
        return noImage(error, QStringLiteral("PNG image of unsupported size"));
    AniImage img;
    img.width = int(w);
    img.height = int(h);
    img.png = d.toByteArray();
    return img;
}

std::optional<AniImage> decodeDib(QByteArrayView d, QString *error)
{
    if (d.size() < 40)
        return noImage(error, QStringLiteral("truncated bitmap header"));
    const quint32 headerSize = u32(d, 0);
    const qint32 width = i32(d, 4);
    const qint32 doubleHeight = i32(d, 8); // colour bitmap and mask, one above the other
    const int bpp = u16(d, 14);
    const quint32 compression = u32(d, 16);
    const quint32 colorsUsed = u32(d, 32);
    if (headerSize < 40 || headerSize > quint32(d.size()))
        return noImage(error, QStringLiteral("bad bitmap header size"));
    if (width < 1 || width > maxImageSide || doubleHeight < 2 || doubleHeight % 2 != 0
        || doubleHeight / 2 > maxImageSide) {
        return noImage(error, QStringLiteral("bitmap of unsupported size"));
    }
    if (bpp != 1 && bpp != 4 && bpp != 8 && bpp != 24 && bpp != 32)
        return noImage(error, QStringLiteral("unsupported bitmap depth %1").arg(bpp));
    if (compression != 0)
        return noImage(error, QStringLiteral("compressed bitmaps are not supported"));
    const int height = doubleHeight / 2;
    qsizetype paletteCount = 0;
    if (bpp <= 8) {
        paletteCount = colorsUsed != 0 ? qsizetype(colorsUsed) : (qsizetype(1) << bpp);
        if (paletteCount > (qsizetype(1) << bpp))
            return noImage(error, QStringLiteral("bad palette size"));
    }
    const qsizetype paletteOff = headerSize;
    const qsizetype colorOff = paletteOff + paletteCount * 4;
    const qsizetype colorStride = ((qsizetype(width) * bpp + 31) / 32) * 4;
    const qsizetype maskOff = colorOff + colorStride * height;
    const qsizetype maskStride = ((qsizetype(width) + 31) / 32) * 4;
    const qsizetype end = maskOff + maskStride * height;
    if (maskOff > d.size())
        return noImage(error, QStringLiteral("truncated bitmap data"));
    const bool hasMask = end <= d.size();

    AniImage img;
    img.width = width;
    img.height = height;
    img.argb.resize(qsizetype(width) * height);
    bool anyAlpha = false;
    for (int y = 0; y < height; ++y) {
        const qsizetype row = colorOff + qsizetype(height - 1 - y) * colorStride; // bottom-up
        for (int x = 0; x < width; ++x) {
            quint32 pixel = 0;
            if (bpp == 32) {
                pixel = u32(d, row + qsizetype(x) * 4); // B G R A in memory
                anyAlpha = anyAlpha || (pixel >> 24) != 0;
            } else if (bpp == 24) {
                const qsizetype p = row + qsizetype(x) * 3;
                pixel = 0xff000000u | (quint32(quint8(d[p + 2])) << 16)
                    | (quint32(quint8(d[p + 1])) << 8) | quint8(d[p]);
            } else {
                const qsizetype bit = qsizetype(x) * bpp;
                const quint8 byte = quint8(d[row + bit / 8]);
                const int shift = 8 - bpp - int(bit % 8);
                const qsizetype index = (byte >> shift) & ((1 << bpp) - 1);
                if (index >= paletteCount)
                    return noImage(error, QStringLiteral("palette index out of range"));
                pixel = 0xff000000u | (u32(d, paletteOff + index * 4) & 0x00ffffffu);
            }
            img.argb[qsizetype(y) * width + x] = pixel;
        }
    }
    // A 32-bit image with alpha says itself what is transparent; the mask
    // is then optional. Everything else needs the mask.
    if (bpp == 32 && anyAlpha)
        return img;
    if (!hasMask)
        return noImage(error, QStringLiteral("truncated transparency mask"));
    for (int y = 0; y < height; ++y) {
        const qsizetype row = maskOff + qsizetype(height - 1 - y) * maskStride;
        for (int x = 0; x < width; ++x) {
            const bool transparent = (quint8(d[row + x / 8]) >> (7 - x % 8)) & 1;
            quint32 &px = img.argb[qsizetype(y) * width + x];
            px = transparent ? 0u : (px | 0xff000000u);
        }
    }
    return img;
}

} // namespace

std::optional<AniImage> decodeIcon(QByteArrayView d, QString *error)
{
    if (d.size() < 6 || u16(d, 0) != 0 || (u16(d, 2) != 1 && u16(d, 2) != 2))
        return noImage(error, QStringLiteral("not an icon or cursor image"));
    const bool isCursor = u16(d, 2) == 2;
    const int count = u16(d, 4);
    if (count < 1 || count > maxIconEntries || 6 + qsizetype(count) * 16 > d.size())
        return noImage(error, QStringLiteral("bad icon directory"));
    int best = -1;
    int bestDistance = 0;
    for (int i = 0; i < count; ++i) {
        const qsizetype e = 6 + qsizetype(i) * 16;
        const qsizetype size = u32(d, e + 8);
        const qsizetype offset = u32(d, e + 12);
        if (size < 1 || offset < 6 + qsizetype(count) * 16 || offset > d.size()
            || size > d.size() - offset) {
            return noImage(error, QStringLiteral("icon image lies outside its data"));
        }
        const int w = quint8(d[e]) == 0 ? 256 : quint8(d[e]);
        const int distance = std::abs(w - 32);
        if (best < 0 || distance < bestDistance) {
            best = i;
            bestDistance = distance;
        }
    }
    const qsizetype e = 6 + qsizetype(best) * 16;
    const QByteArrayView image = d.sliced(u32(d, e + 12), u32(d, e + 8));
    std::optional<AniImage> img = image.startsWith(pngSignature) ? decodePng(image, error)
                                                                 : decodeDib(image, error);
    if (img && isCursor) {
        img->hotspotX = qMin(int(u16(d, e + 4)), img->width - 1);
        img->hotspotY = qMin(int(u16(d, e + 6)), img->height - 1);
    }
    return img;
}

int stepDelayMs(quint32 jiffies)
{
    const quint64 j = qMax<quint64>(jiffies, 1);
    return int(qMin<quint64>(j * 1000 / 60, 60'000)); // longer than a minute is not an animation
}

namespace {

struct Chunks {
    std::optional<QByteArrayView> anih, rate, seq, fram;
};

// Walks the chunks after the RIFF header and keeps the first of each kind we use.
bool collectChunks(QByteArrayView d, Chunks &c, QString *error)
{
    qsizetype pos = 12;
    while (pos < d.size()) {
        if (d.size() - pos < 8)
            return fail(error, QStringLiteral("truncated chunk header"));
        const qsizetype size = u32(d, pos + 4);
        if (size > d.size() - pos - 8)
            return fail(error, QStringLiteral("chunk '%1' runs past the end of the file")
                                   .arg(QString::fromLatin1(d.sliced(pos, 4))));
        const QByteArrayView body = d.sliced(pos + 8, size);
        if (hasTag(d, pos, "anih") && !c.anih)
            c.anih = body;
        else if (hasTag(d, pos, "rate") && !c.rate)
            c.rate = body;
        else if (hasTag(d, pos, "seq ") && !c.seq)
            c.seq = body;
        else if (hasTag(d, pos, "LIST") && size >= 4 && hasTag(body, 0, "fram") && !c.fram)
            c.fram = body.sliced(4);
        pos += 8 + size + (size & 1); // chunks are padded to even sizes
    }
    return true;
}

bool readFrames(QByteArrayView list, qsizetype expected, AniCursorData &out, QString *error)
{
    qsizetype pos = 0;
    while (pos < list.size()) {
        if (list.size() - pos < 8)
            return fail(error, QStringLiteral("truncated frame list"));
        const qsizetype size = u32(list, pos + 4);
        if (size > list.size() - pos - 8)
            return fail(error, QStringLiteral("frame runs past the end of the frame list"));
        if (hasTag(list, pos, "icon")) {
            if (out.frames.size() == expected)
                return fail(error, QStringLiteral("more frames than the header announces"));
            QString why;
            std::optional<AniImage> img = decodeIcon(list.sliced(pos + 8, size), &why);
            if (!img)
                return fail(error, QStringLiteral("frame %1: %2").arg(out.frames.size()).arg(why));
            out.frames.append(std::move(*img));
        }
        pos += 8 + size + (size & 1);
    }
    if (out.frames.size() != expected)
        return fail(error, QStringLiteral("the header announces %1 frames, the file holds %2")
                               .arg(expected)
                               .arg(out.frames.size()));
    return true;
}

// The whole file into `out`; false, with the reason, where it is not a
// readable animated cursor.
bool readCursor(QByteArrayView file, AniCursorData &out, QString *error)
{
    if (file.size() > maxFileSize)
        return fail(error, QStringLiteral("file too large for an animated cursor"));
    if (file.size() < 12 || !hasTag(file, 0, "RIFF") || !hasTag(file, 8, "ACON"))
        return fail(error, QStringLiteral("not an animated cursor (no RIFF ACON header)"));
    const qsizetype riffSize = u32(file, 4);
    if (riffSize < 4 || riffSize > file.size() - 8)
        return fail(error, QStringLiteral("RIFF size runs past the end of the file"));
    const QByteArrayView d = file.first(8 + riffSize); // trailing bytes are not ours

    Chunks c;
    if (!collectChunks(d, c, error))
        return false;
    if (!c.anih || c.anih->size() < 36)
        return fail(error, QStringLiteral("missing or short 'anih' header"));
    const QByteArrayView h = *c.anih;
    const quint32 frameCount = u32(h, 4);
    const quint32 stepCount = u32(h, 8);
    const quint32 displayRate = u32(h, 28);
    const quint32 flags = u32(h, 32);
    if (!(flags & 1))
        return fail(error, QStringLiteral("frames stored as raw bitmaps are not supported"));
    if (frameCount < 1 || frameCount > quint32(maxFrames))
        return fail(error, QStringLiteral("bad frame count %1").arg(frameCount));
    if (stepCount < 1 || stepCount > quint32(maxSteps))
        return fail(error, QStringLiteral("bad step count %1").arg(stepCount));
    if (!c.fram)
        return fail(error, QStringLiteral("missing frame list"));
    if (!readFrames(*c.fram, qsizetype(frameCount), out, error))
        return false;

    if (c.seq) {
        if (c.seq->size() < qsizetype(stepCount) * 4)
            return fail(error, QStringLiteral("'seq ' chunk shorter than the step count"));
        for (quint32 i = 0; i < stepCount; ++i) {
            const quint32 frame = u32(*c.seq, qsizetype(i) * 4);
            if (frame >= frameCount)
                return fail(error, QStringLiteral("step %1 shows frame %2 of %3").arg(i).arg(frame).arg(frameCount));
            out.sequence.append(int(frame));
        }
    } else {
        if (stepCount > frameCount)
            return fail(error, QStringLiteral("more steps than frames and no sequence"));
        for (quint32 i = 0; i < stepCount; ++i)
            out.sequence.append(int(i));
    }
    if (c.rate && c.rate->size() < qsizetype(stepCount) * 4)
        return fail(error, QStringLiteral("'rate' chunk shorter than the step count"));
    for (quint32 i = 0; i < stepCount; ++i)
        out.rates.append(c.rate ? u32(*c.rate, qsizetype(i) * 4) : displayRate);

    return true;
}

} // namespace

AniParseResult parse(QByteArrayView file)
{
    AniParseResult result;
    AniCursorData out;
    if (readCursor(file, out, &result.error))
        result.cursor = std::move(out);
    return result;
}

} // namespace quorvane::AniCursorFile
