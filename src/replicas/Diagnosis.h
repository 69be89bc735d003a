#pragma once

#include <QList>
#include <QString>
#include <QStringList>

namespace quorvane {

// One epoch matrix as the grid shows it: row i belongs to names[i], and
// column k of every row to names[k]. Cells are the grid's texts; anything
// that is not a plain whole number ("?", empty, a missing cell) is unknown.
struct EpochTable {
    QStringList names;
    QList<QStringList> values;
};

// What a finding suggests doing; a click on its line preselects it in the
// fix frame without running anything.
struct Repair {
    enum class Kind { None, FixBasedOnActual, Synchronize };
    Kind kind = Kind::None;
    // The replica whose local row is fixed, or the one to export to (empty:
    // no single target, only the import half matters).
    QString replica;

    friend bool operator==(const Repair &, const Repair &) = default;
};

struct Finding {
    QString text;
    Repair repair;
    // The replicas a count in the text stands for ("38 replicas lack ..."),
    // for the reader who wants them all; empty when the text names them.
    QStringList names;

    friend bool operator==(const Finding &, const Finding &) = default;
};

// Reads the two matrices the Detail page shows and says, in plain words and
// most important first, which replica lacks which changes, why, and what
// repairs it. `actual` row R column S: how many of S's changes R really
// holds. `local` row R column S: what this site believes R holds; exports
// from this site to R start from that belief. `localReplica` names this
// site's replica. No line for two empty matrices. One finding per repair:
// what leads to the same one stands together. Lists longer than a few
// names are counted, with the names in Finding::names.
// `vobReplicas`, when given, are the replicas the VOB has: the matrices'
// names that are not among them are said to be so and get no advice, and
// those the matrices lack are named.
[[nodiscard]] QList<Finding> diagnose(const EpochTable &actual, const EpochTable &local,
                                      const QString &localReplica, const QStringList &vobReplicas = {});

// How many names a finding lists before it counts them instead.
inline constexpr qsizetype listedNames = 5;

} // namespace quorvane
