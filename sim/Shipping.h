#pragma once

#include "sim/Region.h"

#include <QStringList>

namespace quorvane::ccsim {

// The store-and-forward facility of this host for one VOB family: packets
// wait in the outgoing bay with a shipping order until the shipping server
// delivers them; an order that expires sends its packet to the return bay.
namespace Shipping {

// Shipping orders expire this many days after they are made, unless the
// export names another expiry.
constexpr int kOrderDays = 14;

enum class Fate {
    Delivered, // in the target's incoming bay (applied there when it can be)
    Lost,      // handed to a transport that dropped it
    Waiting,   // the target's host cannot be reached: it stays in the bay
    Returned,  // its order expired: in this host's return bay
};

struct Shipped {
    Packet packet;
    Fate fate = Fate::Waiting;
    bool applied = false; // Delivered and applied at the target
};

// One run of the shipping server over the outgoing bay at now, or over the
// packets named only. Each packet is tried once.
QList<Shipped> ship(Vob &vob, const QDateTime &now, const QStringList &names = {});

// Packets on their way here that have arrived by now move to the local
// replica's incoming bay; returns them.
QList<Packet> arrive(Vob &vob, const QDateTime &now);

// The administrator's notices for a packet whose order expired, as the
// shipping server mails them: one when it expires, one when it is back.
QStringList returnMail(const Vob &vob, const Packet &packet, const QString &outgoingBay, const QString &returnBay);

} // namespace Shipping
} // namespace quorvane::ccsim
