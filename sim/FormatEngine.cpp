#include "sim/FormatEngine.h"

#include "sim/CommandError.h"

#include <QLocale>

#include <cstdlib>

namespace quorvane::ccsim::FormatEngine {

namespace {

bool isOctal(QChar c)
{
    return c >= QLatin1Char('0') && c <= QLatin1Char('7');
}

// Handles the escape starting at format[i] (a backslash); returns the
// number of characters consumed.
qsizetype escape(const QString &format, qsizetype i, QString &out)
{
    if (i + 1 >= format.size()) {
        out += QLatin1Char('\\');
        return 1;
    }
    const QChar c = format.at(i + 1);
    if (c == QLatin1Char('n')) {
        out += QLatin1Char('\n');
        return 2;
    }
    if (c == QLatin1Char('t')) {
        out += QLatin1Char('\t');
        return 2;
    }
    if (c == QLatin1Char('\'') || c == QLatin1Char('\\')) {
        out += c;
        return 2;
    }
    if (isOctal(c)) {
        qsizetype n = 1;
        int value = 0;
        while (n <= 3 && i + n < format.size() && isOctal(format.at(i + n))) {
            value = value * 8 + (format.at(i + n).unicode() - '0');
            ++n;
        }
        out += QChar(value);
        return n;
    }
    // Not an escape cleartool knows: keep it as written.
    out += QLatin1Char('\\');
    return 1;
}

qsizetype directive(const QString &format, qsizetype i, const FormatFields &f, QString &out)
{
    const auto bad = [&](qsizetype len) {
        return CommandError(
            QStringLiteral("Unknown format directive \"%1\" in \"%2\".").arg(format.mid(i, len), format));
    };
    if (i + 1 >= format.size())
        throw bad(1);
    const QChar c = format.at(i + 1);
    switch (c.unicode()) {
    case '%':
        out += QLatin1Char('%');
        return 2;
    case 'n':
        out += f.name;
        return 2;
    case 'u':
        out += f.user;
        return 2;
    case 'e':
        out += f.event;
        return 2;
    case 'c':
        out += f.comment;
        return 2;
    case 'd':
        out += f.date.isValid() ? date(f.date) : QString();
        return 2;
    case 'N':
        if (i + 2 < format.size() && format.at(i + 2) == QLatin1Char('d')) {
            out += f.date.isValid() ? numericDate(f.date) : QString();
            return 3;
        }
        throw bad(3);
    case '[': {
        const qsizetype close = format.indexOf(QLatin1Char(']'), i + 2);
        if (close < 0 || close + 1 >= format.size() || format.at(close + 1) != QLatin1Char('p'))
            throw bad(close < 0 ? format.size() - i : close + 2 - i);
        out += f.properties.value(format.mid(i + 2, close - i - 2));
        return close + 2 - i;
    }
    default:
        throw bad(2);
    }
}

} // namespace

QString expand(const QString &format, const FormatFields &fields)
{
    QString out;
    qsizetype i = 0;
    while (i < format.size()) {
        const QChar c = format.at(i);
        if (c == QLatin1Char('\\'))
            i += escape(format, i, out);
        else if (c == QLatin1Char('%'))
            i += directive(format, i, fields, out);
        else {
            out += c;
            ++i;
        }
    }
    return out;
}

QString isoDate(const QDateTime &when)
{
    const QDateTime local = when.toLocalTime();
    const int offset = local.offsetFromUtc();
    const int minutes = std::abs(offset) / 60;
    return local.toString(QStringLiteral("yyyy-MM-ddTHH:mm:ss"))
        + (offset < 0 ? QLatin1Char('-') : QLatin1Char('+'))
        + QStringLiteral("%1:%2").arg(minutes / 60, 2, 10, QLatin1Char('0')).arg(minutes % 60, 2, 10, QLatin1Char('0'));
}

QString legacyDate(const QDateTime &when)
{
    return QLocale::c().toString(when.toLocalTime(), QStringLiteral("dd-MMM-yy.HH:mm:ss"));
}

QString numericDate(const QDateTime &when)
{
    return when.toLocalTime().toString(QStringLiteral("yyyyMMdd.HHmmss"));
}

QString date(const QDateTime &when)
{
    if (qEnvironmentVariable("CCSIM_DATE_STYLE") == QLatin1String("legacy"))
        return legacyDate(when);
    return isoDate(when);
}

QString listingDate(const QDateTime &when, const QDateTime &now)
{
    const QDateTime local = when.toLocalTime();
    if (local.date().year() == now.toLocalTime().date().year())
        return QLocale::c().toString(local, QStringLiteral("dd-MMM.HH:mm"));
    return QLocale::c().toString(local, QStringLiteral("dd-MMM-yy.HH:mm"));
}

} // namespace quorvane::ccsim::FormatEngine
