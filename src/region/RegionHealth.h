#pragma once

#include "replicas/Diagnosis.h"

#include <QDateTime>
#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

namespace quorvane {

// What this site knows of one other replica without asking its host, and
// its actual row when that was asked.
struct SiblingFacts {
    QString name;
    QString host;       // only known when the actual rows were asked
    QString lastImport; // as ClearCase printed it; empty when none is recorded
    QString lastExport;
};

// Everything that decides one VOB family's health, as gathered.
struct VobFacts {
    QString tag;
    // The check of the VOB list failed, or the VOB's tables could not be
    // read: problems says why, and nothing else is known.
    bool checked = true;
    QString localReplica;
    EpochTable local;  // this site's epoch table
    EpochTable actual; // only this site's own row unless actualAsked
    bool actualAsked = false;
    QList<SiblingFacts> siblings;
    // The family's packets in this site's bays (multitool lspacket), when
    // they were listed; packetsFailure says why they were not.
    QList<PacketList::Packet> packets;
    bool packetsListed = false;
    QString packetsFailure;
    QStringList problems; // what could not be learnt, one line each
};

// Worst first: the order in which families are listed. Broken: a lost
// packet, a replica whose own row went back, a returned packet. Behind:
// changes not yet received. Stuck: packets waiting or not shipped.
enum class Health { Broken, Behind, Stuck, Unreachable, NotChecked, InStep };

[[nodiscard]] QString healthName(Health health); // "broken", "behind", ...

struct VobHealth {
    QString tag;
    Health state = Health::InStep;
    // The replica whose state decided the family's, if one did.
    QString worstSibling;
    // Changes not yet received by the worst replica: from the actual rows
    // where they were read, else the changes this site holds that its table
    // says the replica lacks (not yet sent from here).
    qint64 behind = 0;
    // Age in seconds of the oldest last import and last export among the
    // siblings (no record counts as unknown, not as old).
    std::optional<qint64> importAge;
    std::optional<qint64> exportAge;
    std::optional<qint64> packetAge; // oldest packet waiting
    int packetsWaiting = 0;
    int packetsStuck = 0; // waiting longer than the stuck limit
    int packetsReturned = 0;
    QString firstLine; // the diagnosis's first line, or the survey's own
    QList<Finding> findings;
    VobFacts facts;
};

struct HealthLimits {
    // A packet that has waited in a bay this long makes its replica stuck;
    // one that waits less is on its way.
    qint64 stuckAfterSecs = 3600;
};

// A date as ClearCase prints it: ISO 8601 with an offset, the numeric
// yyyymmdd.HHMMSS, or the older dd-Mon-yy.HH:MM:SS (local time). Invalid
// when it is none of them.
[[nodiscard]] QDateTime parseClearCaseDate(const QString &text);

// Reads the facts into a state. The diagnosis runs where the actual rows
// were asked (without them it would take every sibling for unreachable);
// the local table alone gives the changes not yet sent from here.
[[nodiscard]] VobHealth assess(const VobFacts &facts, const QDateTime &now, const HealthLimits &limits = {});

// Worst first: state, then more changes behind, then older exchanges, then tag.
void rank(QList<VobHealth> &families);

} // namespace quorvane
