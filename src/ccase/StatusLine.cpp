#include "ccase/StatusLine.h"

namespace quorvane::StatusLine {

std::optional<Match> findOwn(const QByteArray &buffer, qint64 number)
{
    if (!buffer.endsWith('\n'))
        return std::nullopt;
    qsizetype end = buffer.size() - 1;
    if (end > 0 && buffer[end - 1] == '\r')
        --end;
    qsizetype digits = end;
    while (digits > 0 && buffer[digits - 1] >= '0' && buffer[digits - 1] <= '9')
        --digits;
    if (digits == end || end - digits > 9)
        return std::nullopt;
    QByteArray prefix("Command ");
    prefix.append(QByteArray::number(number)).append(" returned status ");
    if (digits < prefix.size() || buffer.mid(digits - prefix.size(), prefix.size()) != prefix)
        return std::nullopt;
    Match m;
    m.outputLength = digits - prefix.size();
    m.status = buffer.mid(digits, end - digits).toInt();
    return m;
}

} // namespace quorvane::StatusLine
