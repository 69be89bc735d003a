#include "replicas/CellNumber.h"

#include "common/AppInfo.h"
#include "common/QuorvaneError.h"

#include <QRegularExpression>

#include <limits>

namespace quorvane::CellNumber {

namespace {

[[noreturn]] void typeMismatch()
{
    throw QuorvaneError(ErrNo::TypeMismatch, AppInfo::title(), QStringLiteral("Type mismatch"));
}

[[noreturn]] void overflow()
{
    throw QuorvaneError(ErrNo::Overflow, AppInfo::title(), QStringLiteral("Overflow"));
}

QString stripBlanks(const QString &text)
{
    auto isBlank = [](QChar c) { return c == QLatin1Char(' ') || c == QLatin1Char('\t'); };
    qsizetype from = 0;
    qsizetype to = text.size();
    while (from < to && isBlank(text[from]))
        ++from;
    while (to > from && isBlank(text[to - 1]))
        --to;
    return text.mid(from, to - from);
}

} // namespace

qint32 toLong(const QString &text)
{
    static const QRegularExpression number(
        QStringLiteral("^([+-]?)([0-9]*)(?:\\.([0-9]*))?(?:[eE]([+-]?[0-9]+))?$"));
    const QRegularExpressionMatch m = number.match(stripBlanks(text));
    if (!m.hasMatch() || (m.capturedLength(2) == 0 && m.capturedLength(3) == 0))
        typeMismatch();

    const bool negative = m.captured(1) == QLatin1String("-");
    QString digits = m.captured(2) + m.captured(3);
    // Position of the decimal point inside `digits`, after the exponent.
    qint64 point = m.capturedLength(2);
    if (m.capturedLength(4) > 0) {
        const QString expText = m.captured(4);
        bool ok = false;
        const qint64 exponent = expText.toLongLong(&ok);
        // Exponents beyond a few hundred cannot give a 32-bit value except 0.
        const qint64 limit = 1000;
        if (!ok || exponent > limit)
            point += ok ? limit : (expText.startsWith(QLatin1Char('-')) ? -limit : limit);
        else
            point += exponent < -limit ? -limit : exponent;
    }
    qsizetype lead = 0;
    while (lead < digits.size() && digits[lead] == QLatin1Char('0'))
        ++lead;
    if (lead == digits.size())
        return 0;
    digits.remove(0, lead);
    point -= lead;

    if (point > 10)
        overflow();
    qint64 magnitude = 0;
    for (qint64 i = 0; i < point; ++i)
        magnitude = magnitude * 10 + (i < digits.size() ? digits[i].digitValue() : 0);

    // The fraction: digits from `point` on, with -point zeros before them.
    const QString fraction = point >= 0 ? digits.mid(point) : QString(-point, QLatin1Char('0')) + digits;
    if (!fraction.isEmpty()) {
        const int first = fraction[0].digitValue();
        bool restNonZero = false;
        for (qsizetype i = 1; i < fraction.size() && !restNonZero; ++i)
            restNonZero = fraction[i] != QLatin1Char('0');
        if (first > 5 || (first == 5 && (restNonZero || magnitude % 2 == 1)))
            ++magnitude;
    }

    const qint64 value = negative ? -magnitude : magnitude;
    if (value < std::numeric_limits<qint32>::min() || value > std::numeric_limits<qint32>::max())
        overflow();
    return static_cast<qint32>(value);
}

} // namespace quorvane::CellNumber
