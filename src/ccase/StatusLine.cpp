#include "ccase/StatusLine.h"

namespace quorvane::StatusLine {

namespace {

// The run of at most nine digits that ends just before `end`, as its start;
// `end` when there is none.
qsizetype digitsBefore(const QByteArray &buffer, qsizetype end)
{
    qsizetype start = end;
    while (start > 0 && end - start < 10 && buffer[start - 1] >= '0' && buffer[start - 1] <= '9')
        --start;
    return end - start > 9 ? end : start;
}

bool endsWithAt(const QByteArray &buffer, qsizetype end, const QByteArray &text)
{
    return end >= text.size() && buffer.mid(end - text.size(), text.size()) == text;
}

} // namespace

std::optional<Match> find(const QByteArray &buffer)
{
    if (!buffer.endsWith('\n'))
        return std::nullopt;
    qsizetype end = buffer.size() - 1;
    if (end > 0 && buffer[end - 1] == '\r')
        --end;
    const qsizetype statusStart = digitsBefore(buffer, end);
    static const QByteArray returned(" returned status ");
    if (statusStart == end || !endsWithAt(buffer, statusStart, returned))
        return std::nullopt;
    const qsizetype numberEnd = statusStart - returned.size();
    const qsizetype numberStart = digitsBefore(buffer, numberEnd);
    static const QByteArray command("Command ");
    if (numberStart == numberEnd || !endsWithAt(buffer, numberStart, command))
        return std::nullopt;
    Match m;
    m.outputLength = numberStart - command.size();
    m.status = buffer.mid(statusStart, end - statusStart).toInt();
    m.number = buffer.mid(numberStart, numberEnd - numberStart).toLongLong();
    return m;
}

} // namespace quorvane::StatusLine
