#pragma once

#include "region/RegionHealth.h"

#include <QByteArray>
#include <QList>
#include <QString>

#include <optional>

namespace quorvane::CheckReport {

// The monitoring plugin convention's exit codes.
enum class Status { Ok = 0, Warning = 1, Critical = 2, Unknown = 3 };
[[nodiscard]] QString statusName(Status status); // "OK", "WARNING", ...

// Thresholds; an unset one is not checked. A value at or above a threshold
// reaches it.
struct Thresholds {
    std::optional<qint64> behindWarning = 1000;
    std::optional<qint64> behindCritical = 10000;
    std::optional<qint64> ageWarning;  // seconds since the oldest last import or export
    std::optional<qint64> ageCritical;
    std::optional<qint64> packetAgeWarning = 24 * 3600;
    std::optional<qint64> packetAgeCritical = 3 * 24 * 3600;
};

// One family's verdict: broken is critical; stuck, unreachable and not
// checked warn; behind and the ages by their thresholds.
[[nodiscard]] Status statusOf(const VobHealth &family, const Thresholds &thresholds);

struct Survey {
    QList<VobHealth> families; // worst first
    int notReplicated = 0;
    bool cancelled = false;
    // Set when the check could not be made at all (no ClearCase, the VOBs
    // could not be listed): the result is UNKNOWN with this text.
    QString failure;
};

// The whole check's verdict: the worst family's, UNKNOWN when the check
// failed or not one VOB could be checked (ClearCase not answering).
[[nodiscard]] Status overall(const Survey &survey, const Thresholds &thresholds);

// "QUORVANE-CHECK STATUS - summary | perfdata", then one line per family
// that is not OK, worst first.
[[nodiscard]] QString pluginText(const Survey &survey, const Thresholds &thresholds);
[[nodiscard]] QByteArray json(const Survey &survey, const Thresholds &thresholds);
// The metrics in Prometheus' text exposition format, for a node exporter's
// textfile collector.
[[nodiscard]] QByteArray metrics(const Survey &survey, const Thresholds &thresholds);

// Writes the file under a temporary name in its folder and renames it over
// the old one, so a collector never reads half a file. The error, if any.
[[nodiscard]] std::optional<QString> writeAtomically(const QString &path, const QByteArray &contents);

} // namespace quorvane::CheckReport
