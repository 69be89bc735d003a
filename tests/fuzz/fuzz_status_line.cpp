// The co-process reply reader on arbitrary bytes: an end it finds lies
// inside the buffer, is a whole status text closing it, and gives the
// numbers that text holds.
#include "FuzzInput.h"
#include "ccase/StatusLine.h"

using namespace quorvane;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QByteArray buffer = fuzz::bytes(data, size).toByteArray();
    if (const auto match = StatusLine::find(buffer)) {
        fuzz::require(match->outputLength >= 0 && match->outputLength <= buffer.size());
        fuzz::require(match->number >= 0 && match->status >= 0);
        QByteArray line = buffer.mid(match->outputLength);
        fuzz::require(line.endsWith('\n'));
        line.chop(line.endsWith("\r\n") ? 2 : 1);
        const QByteArray expected = QByteArray("Command ") + QByteArray::number(match->number) +
                                    QByteArray(" returned status ") + QByteArray::number(match->status);
        // The same text, but for leading zeros in the numbers.
        fuzz::require(line == expected || (line.size() > expected.size() && line.startsWith("Command ") &&
                                           line.contains(" returned status ")));
    }
    return 0;
}
