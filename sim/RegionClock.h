#pragma once

#include <QDateTime>
#include <QString>

namespace quorvane::ccsim {

// The region's own time, kept in its folder so that every process of the
// region agrees on it: the system clock moved forward by an offset, or
// stopped at a moment. Ages of packets and expiries of shipping orders are
// rehearsed by moving it.
struct RegionClock {
    qint64 offsetMs = 0;
    QDateTime stoppedAt; // valid: the clock stands still there

    QDateTime now() const;
    // The clock moved forward by ms (a stopped clock stays stopped).
    RegionClock advanced(qint64 ms) const;

    // A missing file is the system clock; throws CommandError for a
    // damaged one.
    static RegionClock read(const QString &file);
    // Throws CommandError when the file cannot be written.
    void write(const QString &file) const;

    // "+3d", "+12h", "+30m" or "+45s" in milliseconds; throws CommandError
    // for anything else, a step backwards included.
    static qint64 parseStep(const QString &text);
};

} // namespace quorvane::ccsim
