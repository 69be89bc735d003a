#include "sim/RegionClock.h"

#include "sim/CommandError.h"
#include "sim/RegionStamp.h"

#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>

namespace quorvane::ccsim {

namespace {

// Ten years: far beyond any order's expiry, and no overflow of a date.
constexpr qint64 kMaxStepMs = 3650LL * 24 * 3600 * 1000;

} // namespace

QDateTime RegionClock::now() const
{
    if (stoppedAt.isValid())
        return stoppedAt.toUTC();
    return QDateTime::currentDateTimeUtc().addMSecs(offsetMs);
}

RegionClock RegionClock::advanced(qint64 ms) const
{
    RegionClock moved = *this;
    if (stoppedAt.isValid())
        moved.stoppedAt = stoppedAt.addMSecs(ms);
    else
        moved.offsetMs += ms;
    return moved;
}

RegionClock RegionClock::read(const QString &file)
{
    QFile f(file);
    if (!f.open(QIODevice::ReadOnly)) {
        if (!f.exists())
            return {};
        throw CommandError(QStringLiteral("Cannot read \"%1\": %2").arg(file, f.errorString()));
    }
    const QJsonDocument doc = QJsonDocument::fromJson(f.readAll());
    const QJsonObject o = doc.object();
    RegionClock clock;
    bool ok = doc.isObject();
    if (ok && o.contains(QStringLiteral("stoppedAt"))) {
        clock.stoppedAt = QDateTime::fromString(o.value(QStringLiteral("stoppedAt")).toString(), Qt::ISODate);
        ok = clock.stoppedAt.isValid();
    } else if (ok) {
        const QJsonValue offset = o.value(QStringLiteral("offsetMs"));
        ok = offset.isDouble() && std::abs(offset.toInteger()) <= kMaxStepMs * 10;
        clock.offsetMs = offset.toInteger();
    }
    if (!ok)
        throw CommandError(QStringLiteral("The region's clock file \"%1\" is damaged.").arg(file));
    return clock;
}

void RegionClock::write(const QString &file) const
{
    const QJsonObject o = stoppedAt.isValid()
        ? QJsonObject{{QStringLiteral("stoppedAt"), stoppedAt.toUTC().toString(Qt::ISODateWithMs)}}
        : QJsonObject{{QStringLiteral("offsetMs"), static_cast<double>(offsetMs)}};
    QString error;
    if (!saveWhole(file, QJsonDocument(o).toJson(QJsonDocument::Compact), &error))
        throw CommandError(QStringLiteral("Cannot write \"%1\": %2").arg(file, error));
}

qint64 RegionClock::parseStep(const QString &text)
{
    static const QRegularExpression step(QStringLiteral("^\\+([0-9]{1,7})([dhms])$"));
    const QRegularExpressionMatch m = step.match(text);
    if (!m.hasMatch())
        throw CommandError(QStringLiteral("The clock moves forward only, by a step such as +3d, +12h, +30m or "
                                          "+45s, not \"%1\".")
                               .arg(text));
    static const QHash<QString, qint64> unitMs{{QStringLiteral("d"), 86400000LL},
                                               {QStringLiteral("h"), 3600000LL},
                                               {QStringLiteral("m"), 60000LL},
                                               {QStringLiteral("s"), 1000LL}};
    const qint64 ms = m.captured(1).toLongLong() * unitMs.value(m.captured(2));
    if (ms > kMaxStepMs)
        throw CommandError(QStringLiteral("A step of the clock may not exceed 3650 days."));
    return ms;
}

} // namespace quorvane::ccsim
