#pragma once

#include <QDateTime>
#include <QJsonObject>
#include <QList>
#include <QMap>
#include <QString>

namespace quorvane::ccsim {

// One epoch row: for each origin replica (by name), the highest oplog id
// from that origin. Sorted by name, which is also the order rows print in
// "Row at export was" comments.
using Row = QMap<QString, qint64>;

// An event on a replica object, as lshistory lists it.
struct HistoryEvent {
    QDateTime date;
    QString user;
    QString event;   // %e, e.g. export sync from replica "a" to replica "b"
    QString comment; // %c, may hold several lines
    bool minor = false;

    bool operator==(const HistoryEvent &) const = default;
};

// A synchronization packet: it carries, for every origin, the operations
// above `base` up to `upto`. It can be applied only where the receiver
// already has everything up to `base` for every origin it brings news of.
struct Packet {
    QString name;
    QString from;
    QString to;
    QDateTime created;
    Row base;
    Row upto;
    // In the outgoing bay: when its shipping order expires. In the return
    // bay: when it was returned.
    QDateTime expires;
    // On its way to this host: when it reaches the incoming bay.
    QDateTime arrives;

    bool operator==(const Packet &) const = default;
};

struct Replica {
    QString name;
    QString host;
    QString master; // name of the replica mastering this replica object
    QString oid;
    QString owner;
    QDateTime created;
    bool reachable = true;
    // Transport to this site drops packets on the way: the sender believes
    // them delivered. Apart from reachable, whose packets wait in the
    // outgoing bay.
    bool losesPackets = false;
    int latencyMs = 0;
    Row own;                    // actual state at that site
    // Oplog entries removed at that site, per origin: those up to this id.
    Row scrubbed;
    // A sibling's own estimate of what the local replica holds, which its
    // exports start from; empty while it agrees with the local replica.
    Row believesLocal;
    QList<HistoryEvent> history; // oldest first; listings reverse it
    QList<Packet> incoming;      // arrived but not yet applicable (a gap)

    bool operator==(const Replica &) const = default;
};

struct Vob {
    QString tag;
    QString storage;
    QString local; // the replica at this site
    QDateTime created;
    QList<Replica> replicas;   // family order
    QMap<QString, Row> table;  // local estimate rows, one per sibling
    QList<Packet> lost;        // lost on the way to a sibling
    int packetSeq = 0;
    QList<Packet> outgoing;    // not shipped yet, each with its order's expiry
    QList<Packet> returned;    // orders expired: back in this host's return bay
    QList<Packet> inTransit;   // from siblings, not arrived here yet
    // Read without the replicas' history, for a command that lists none:
    // such a VOB may never be saved, or the history would be lost.
    bool historyOmitted = false;

    bool operator==(const Vob &) const = default;

    Replica *replica(const QString &name);
    const Replica *replica(const QString &name) const;
    Replica &localReplica();
    const Replica &localReplica() const;
    QStringList replicaNames() const;
    bool isReplicated() const { return replicas.size() > 1; }
    // The local matrix's row for a replica: the own row for the local
    // replica, the estimate for every other one (zeros where unknown).
    Row localRow(const QString &name) const;
};

struct Region {
    QList<Vob> vobs;

    Vob *vob(const QString &tag);
    const Vob *vob(const QString &tag) const;
    QStringList tags() const; // sorted

    QJsonObject toJson() const;
    // Throws CommandError when the document is not a region.
    static Region fromJson(const QJsonObject &json);
    // A whole region in one document, as the older single-file layout kept
    // it; origin names the source in messages. Throws CommandError.
    static Region parse(const QByteArray &bytes, const QString &origin);
};

// The JSON object bytes hold; throws CommandError naming origin as a
// damaged region file otherwise.
QJsonObject documentOf(const QByteArray &bytes, const QString &origin);

// One VOB in a document of its own, the form of the files of the region.
QJsonObject vobJson(const Vob &vob);
QByteArray vobBytes(const Vob &vob);
// Throws CommandError when the document is not a VOB.
Vob vobFromJson(const QJsonObject &json);
Vob parseVob(const QByteArray &bytes, const QString &origin);

// A row with every replica of the family present (missing entries as 0).
Row completeRow(const Vob &vob, const Row &row);
// "a=1 b=2" in name order, the form history comments use.
QString rowText(const Row &row);

} // namespace quorvane::ccsim
