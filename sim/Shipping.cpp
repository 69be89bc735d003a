#include "sim/Shipping.h"

#include "sim/Replication.h"

#include <algorithm>

namespace quorvane::ccsim::Shipping {

QList<Shipped> ship(Vob &vob, const QDateTime &now, const QStringList &names)
{
    QList<Shipped> shipped;
    QList<Packet> staying;
    const QList<Packet> bay = std::exchange(vob.outgoing, {});
    for (const Packet &p : bay) {
        if (!names.isEmpty() && !names.contains(p.name)) {
            staying << p;
            continue;
        }
        Shipped s{p, Fate::Waiting, false};
        Replica *to = vob.replica(p.to);
        if (p.expires.isValid() && p.expires <= now) {
            s.fate = Fate::Returned;
            vob.returned << p;
        } else if (!to) {
            // A replica removed from the family: nothing to deliver to.
            s.fate = Fate::Returned;
            vob.returned << p;
        } else if (to->losesPackets) {
            s.fate = Fate::Lost;
            vob.lost << p;
        } else if (!to->reachable) {
            staying << p;
        } else {
            s.fate = Fate::Delivered;
            to->incoming << p;
            const QList<Packet> done = Replication::applyWaiting(*to);
            s.applied = std::any_of(done.cbegin(), done.cend(), [&](const Packet &d) { return d.name == p.name; });
        }
        shipped << s;
    }
    vob.outgoing = staying + vob.outgoing;
    return shipped;
}

QList<Packet> arrive(Vob &vob, const QDateTime &now)
{
    QList<Packet> arrived;
    QList<Packet> onTheWay;
    for (const Packet &p : std::as_const(vob.inTransit)) {
        if (p.arrives.isValid() && p.arrives > now)
            onTheWay << p;
        else
            arrived << p;
    }
    vob.inTransit = onTheWay;
    Replica &local = vob.localReplica();
    for (Packet p : std::as_const(arrived)) {
        p.arrives = QDateTime();
        local.incoming << p;
    }
    return arrived;
}

QStringList returnMail(const Vob &vob, const Packet &packet, const QString &outgoingBay, const QString &returnBay)
{
    const Replica *to = vob.replica(packet.to);
    const QString host = to ? to->host : QStringLiteral("(unknown)");
    const QString stamp = packet.expires.toUTC().toString(Qt::ISODate);
    return {QStringLiteral("%1 shipping_server: the shipping order for %2/%3 (replica \"%4\" on host \"%5\", VOB %6) "
                           "expired; the packet is returned to its originating host.")
                .arg(stamp, outgoingBay, packet.name, packet.to, host, vob.tag),
            QStringLiteral("%1 shipping_server: packet %2/%3 was returned; it was not delivered to replica \"%4\".")
                .arg(stamp, returnBay, packet.name, packet.to)};
}

} // namespace quorvane::ccsim::Shipping
