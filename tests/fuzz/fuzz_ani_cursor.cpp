// The animated-cursor reader on arbitrary bytes: it fails cleanly or gives
// frames and steps that can be shown without looking past their ends.
#include "FuzzInput.h"
#include "common/AniCursorFile.h"

using namespace quorvane;

namespace {

void checkImage(const AniImage &image)
{
    if (!image.png.isEmpty())
        return;
    fuzz::require(image.width > 0 && image.height > 0);
    fuzz::require(image.width <= AniCursorFile::maxImageSide && image.height <= AniCursorFile::maxImageSide);
    fuzz::require(image.argb.size() == qsizetype(image.width) * image.height);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QByteArrayView file = fuzz::bytes(data, size);
    const AniParseResult result = AniCursorFile::parse(file);
    fuzz::require(result.cursor.has_value() == result.error.isEmpty());
    if (result.cursor) {
        const AniCursorData &cursor = *result.cursor;
        fuzz::require(!cursor.frames.isEmpty() && cursor.frames.size() <= AniCursorFile::maxFrames);
        fuzz::require(cursor.sequence.size() == cursor.rates.size());
        fuzz::require(cursor.sequence.size() <= AniCursorFile::maxSteps);
        for (const int frame : cursor.sequence)
            fuzz::require(frame >= 0 && frame < cursor.frames.size());
        for (const AniImage &image : cursor.frames)
            checkImage(image);
        for (const quint32 rate : cursor.rates)
            fuzz::require(AniCursorFile::stepDelayMs(rate) > 0);
    }
    // The same bytes as one icon resource, which the frames hold.
    QString error;
    if (const auto image = AniCursorFile::decodeIcon(file, &error))
        checkImage(*image);
    else
        fuzz::require(!error.isEmpty());
    return 0;
}
