#pragma once

#include "sim/Tool.h"

namespace quorvane::ccsim::PacketCommands {

// multitool lspacket: the packets in this host's storage and return bays.
int lspacket(const QStringList &args, Context &ctx);

// shipping_server [-quiet] -poll: one run of the shipping server.
int shippingServer(const QStringList &args, Context &ctx);

// mkorder -data PACKET {-ship | -fship} DESTINATION...: a new shipping
// order for a packet of the return bay, which goes back to the outgoing
// bay (and out at once with -fship).
int mkorder(const QStringList &args, Context &ctx);

// Tries every packet of the outgoing bays once at the region's now: what
// can be delivered is, what has expired goes to the return bay (with the
// administrator's mail). Returns 1 when a packet could not be delivered;
// a scheduled run reports that as a warning and returns 0.
int poll(const Context &ctx, bool quiet, bool scheduled = false);

} // namespace quorvane::ccsim::PacketCommands
