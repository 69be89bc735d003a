#pragma once

#include "replicas/PacketList.h"

#include <QDateTime>
#include <QHash>
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

    friend bool operator==(const EpochTable &, const EpochTable &) = default;
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

// A hole an export met in this site's oplog: the origin's entries before
// firstKept are gone (scrubbed), and the export needed `needed`.
struct OplogGap {
    QString origin;
    qint64 needed = -1;
    qint64 firstKept = -1;

    friend bool operator==(const OplogGap &, const OplogGap &) = default;
};

// The holes named in a failed export's error text ("Can not find oplog from
// replica "X" with id N", "First oplog entry from replica "X" is M").
[[nodiscard]] QList<OplogGap> oplogGaps(const QString &errorText);

// What this site's storage bays hold of the family, and what its exports
// met; the matrices alone cannot tell a packet that waits from a lost one.
struct BayFacts {
    bool listed = false; // the bays were listed: `packets` is all of the family's
    QString failure;     // why they could not be, when they were asked
    QList<PacketList::Packet> packets;
    QHash<QString, QString> hosts; // replica -> its host
    QString vobTag;                // for the commands a finding names
    QDateTime now;
    // A shipping order's life when the export set none: MultiSite's default.
    qint64 orderDays = 14;
    QList<OplogGap> gaps; // from this site's last export of the VOB that failed on them
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
// those the matrices lack are named. `bays`, when listed, turns a lack that
// a packet in a bay explains into what that packet waits for, and names
// the repair that sends it on.
[[nodiscard]] QList<Finding> diagnose(const EpochTable &actual, const EpochTable &local,
                                      const QString &localReplica, const QStringList &vobReplicas = {},
                                      const BayFacts &bays = {});

// How many names a finding lists before it counts them instead.
inline constexpr qsizetype listedNames = 5;

} // namespace quorvane
