#pragma once

#include "sim/Region.h"
#include "sim/Shipping.h"

#include <QStringList>

#include <functional>

namespace quorvane::ccsim {

// When and by whom an operation is done; injected so that the demo can
// build histories in the past and tests can pin the clock.
struct Moment {
    QDateTime now;
    QString user;
    qint64 pid = 0;
};

struct ExportResult {
    Packet packet;
    bool shipped = false; // the shipping server tried it at once (-fship)
    Shipping::Fate fate = Shipping::Fate::Waiting;
    bool applied = false; // applied at the target (no gap)
};

// An export needs oplog entries of origin from needed on, but this site's
// oldest remaining entry of that origin is first.
struct OplogGap {
    QString origin;
    qint64 needed = 0;
    qint64 first = 0;
};

struct ImportResult {
    QList<Packet> applied;
    QList<Packet> waiting; // still missing earlier changes
};

struct EntryChange {
    QString origin;
    qint64 from = 0;
    qint64 to = 0;
};

// The MultiSite operations on one VOB family, seen from the local replica.
// All of them throw CommandError for names the family does not hold.
namespace Replication {

// n new operations originating at a replica.
void addWork(Vob &vob, const QString &replica, qint64 n);

// The entries an export to target would need that this site's oplog no
// longer holds (scrubbed); such an export fails.
QList<OplogGap> scrubbedGaps(const Vob &vob, const QString &target);

// syncreplica -export to one sibling: builds a packet from the local
// estimate of the target, advances that estimate at once, records the
// export event on the target's replica object and puts the packet with a
// shipping order into the outgoing bay; with shipNow the shipping server
// tries it at once (Shipping::ship). Throws CommandError when the oplog
// lacks entries the packet needs (scrubbedGaps), changing nothing.
ExportResult exportTo(Vob &vob, const QString &target, const Moment &at, bool shipNow);

// syncreplica -import -receive: packets on their way that have arrived by
// now join the local incoming bay; every reachable sibling that holds
// changes beyond what it believes the local replica has sends them (its
// scheduled export, starting from that belief); everything in the bay that
// has no gap is applied, in dependency order.
ImportResult importReceive(Vob &vob, const Moment &at);

// chepoch SEL name=N...: sets entries of the local estimate row of a
// sibling. The local replica's own row cannot be changed.
void setEstimate(Vob &vob, const QString &row, const Row &values);

// chepoch -actual: the sibling's own row replaces the local estimate
// (only raising entries with raiseOnly). Returns the entries that changed.
QList<EntryChange> takeActual(Vob &vob, const QString &sibling, bool raiseOnly);

// Throws CommandError when the replica's host cannot be reached (its
// actual row cannot be read then).
void requireReachable(const Replica &replica);

// Applies every packet waiting at a replica that has no gap, repeatedly,
// one at a time; beforeApplying sees each packet while the receiver's row
// is still as it stood before that packet.
QList<Packet> applyWaiting(Replica &receiver, const std::function<void(const Packet &)> &beforeApplying = {});

// The origins for which a packet needs more than the receiver holds.
QList<EntryChange> missingFor(const Packet &packet, const Row &receiverOwn);

QString packetName(const QString &sender, const QDateTime &at, qint64 pid, int seq);

} // namespace Replication
} // namespace quorvane::ccsim
