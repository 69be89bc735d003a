#pragma once

#include <QDateTime>
#include <QMap>
#include <QString>

namespace quorvane::ccsim {

// What one object offers to a -fmt string. Properties are looked up by the
// name inside %[...]p; a property the object lacks prints nothing.
struct FormatFields {
    QString name;    // %n
    QDateTime date;  // %d, %Nd
    QString user;    // %u
    QString event;   // %e
    QString comment; // %c
    QMap<QString, QString> properties;
};

namespace FormatEngine {

// Expands a -fmt string for one object. It prints exactly the format: no
// newline is added. Escapes: \n \t \' \\ \nnn (octal). Directives: %n %d
// %Nd %u %e %c %[name]p %%. Throws CommandError on an unknown directive.
QString expand(const QString &format, const FormatFields &fields);

// Dates as this region prints them: ISO-8601 with the local offset, e.g.
// 2026-11-03T14:22:05+01:00; with CCSIM_DATE_STYLE=legacy the old
// dd-Mon-yy.HH:MM:SS form.
QString date(const QDateTime &when);
QString isoDate(const QDateTime &when);
QString legacyDate(const QDateTime &when);
QString numericDate(const QDateTime &when); // yyyymmdd.HHMMSS
// The short date of default listings: dd-Mon.HH:MM within the current year.
QString listingDate(const QDateTime &when, const QDateTime &now);

} // namespace FormatEngine
} // namespace quorvane::ccsim
