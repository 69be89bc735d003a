#pragma once

#include <QDateTime>
#include <QList>
#include <QString>

namespace quorvane::PacketList {

// Where a packet lies on this host, told by its path: the storage bay's
// incoming or outgoing folder (ms_ship), or a return bay (ms_rtn).
enum class Bay { Incoming, Outgoing, Returned, Elsewhere };

struct Target {
    QString replica;
    bool importable = false; // the asterisk: it depends on no other packet
    bool local = false;      // "[ local to this network ]"
    QString tag;             // the VOB tag, when lspacket knows it
};

// What a packet holds of one replica's operations: those after first (the
// value it starts from) up to last, when lspacket -long -endrange gives it.
struct Range {
    QString replica; // name or OID, as lspacket prints it
    qint64 first = -1;
    qint64 last = -1;
};

struct Packet {
    QString path;
    QString name; // the file name
    Bay bay = Bay::Elsewhere;
    QString type; // "Update" or "Replica Creation"
    QString family;
    QString comment;
    QList<Target> targets;
    int sequence = 0;
    // -long only.
    QString origin; // "Originating replica is:", name or OID
    QList<Range> ranges;
    // From the name, sync_<sender>_<dd-Mon-yy.HH.MM.SS>_<pid>_<n> (repl_ for
    // a replica-creation packet): the sending replica and when the packet
    // was made, in this computer's time zone; empty and invalid for a name
    // of another form.
    QString sender;
    QDateTime created;
};

// The packets of multitool lspacket output in its default, -long (with or
// without -endrange) or -short form. Lines it does not know (multitool's
// error lines, the entries of -dump) are passed over; a line break may end
// a line with or without a carriage return.
QList<Packet> parse(const QString &text);

// The sender and creation time a packet's name carries.
void readName(Packet &packet);

// Whole days from the packet's creation to now; -1 when its name tells no
// time.
qint64 ageDays(const Packet &packet, const QDateTime &now);

// The family identifier "cleartool lsvob -long" gives a VOB ("Vob family
// uuid:"), which its packets carry; empty when the text has none.
QString familyOf(const QString &lsvobLong);

// The packets of one VOB family among all the bays hold: those carrying its
// family identifier. Without the identifier, those whose target line names
// the tag, or that this replica sent to one of the family's replicas (a
// replica name alone can belong to several families).
QList<Packet> ofVob(const QList<Packet> &packets, const QString &family, const QString &tag,
                    const QString &localReplica, const QStringList &replicas);

// The replica a packet goes to (its first target), and the one it comes
// from (the sender its name gives, else its originating replica).
QString targetOf(const Packet &packet);
QString senderOf(const Packet &packet);

// Where the packet's operations of a replica start (what it builds on) and
// end; -1 when lspacket did not say.
qint64 firstOf(const Packet &packet, const QString &replica);
qint64 lastOf(const Packet &packet, const QString &replica);

} // namespace quorvane::PacketList
