#include "maintenance/EpochValue.h"

namespace quorvane {

std::optional<qint64> parseEpochValue(const QString &text)
{
    const QString digits = text.trimmed();
    // More than ten digits cannot be in range (leading zeros aside, which
    // nobody types for an epoch); refusing them early also keeps the
    // arithmetic below from overflowing.
    if (digits.isEmpty() || digits.size() > 10)
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
