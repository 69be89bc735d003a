// The co-process reply reader on arbitrary bytes: an end it finds lies
// inside the buffer, and the status text there names the command's own
// number.
#include "FuzzInput.h"
#include "ccase/StatusLine.h"

#include <cstring>

using namespace quorvane;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    // The first bytes choose the command number, small ones most often, as
    // a real co-process counts from 1.
    qint64 number = 1;
    if (size >= 1) {
        number = data[0] < 200 ? data[0] : 0;
        if (data[0] >= 200 && size >= 9) {
            std::memcpy(&number, data + 1, sizeof number);
            data += 8;
            size -= 8;
        }
        ++data;
        --size;
    }
    const QByteArray buffer = fuzz::bytes(data, size).toByteArray();
    if (const auto match = StatusLine::findOwn(buffer, number)) {
        fuzz::require(match->outputLength >= 0 && match->outputLength <= buffer.size());
        const QByteArray rest = buffer.mid(match->outputLength);
        const QByteArray own =
            QByteArray("Command ") + QByteArray::number(number) + QByteArray(" returned status ");
        fuzz::require(rest.startsWith(own));
        fuzz::require(rest.endsWith('\n'));
    }
    return 0;
}
