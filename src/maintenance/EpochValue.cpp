#include "maintenance/EpochValue.h"

namespace quorvane {

std::optional<qint64> parseEpochValue(const QString &text)
{
    QStringView digits = QStringView(text).trimmed();
    if (digits.isEmpty())
        return std::nullopt;
    // Leading zeros do not change the value ("0000397924260" is 397924260);
    // the number that goes out is written without them.
    while (digits.size() > 1 && digits.front() == QLatin1Char('0'))
        digits = digits.sliced(1);
    // More than ten digits after that cannot be in range; refusing them
    // early also keeps the arithmetic below from overflowing.
    if (digits.size() > 10)
        return std::nullopt;
    qint64 value = 0;
    for (const QChar c : digits) {
        // Only ASCII digits: QChar::isDigit would also accept other scripts'
        // digits, which multitool does not read as numbers.
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return std::nullopt;
        value = value * 10 + (c.unicode() - u'0');
    }
    if (value > maxEpochValue)
        return std::nullopt;
    return value;
}

} // namespace quorvane
