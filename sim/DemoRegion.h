#pragma once

#include "sim/Region.h"

namespace quorvane::ccsim::DemoRegion {

// The demo region, its histories dated back from now. Contents: thirteen
// VOBs under /vobs; replicated are /vobs/dev (in sync), /vobs/tools (a lost
// packet to london), /vobs/web (sydney unreachable), /vobs/core (eight
// replicas, out of sync until imported and exported) and /vobs/docs.
Region build(const QDateTime &now);

// A generated region: `vobs` VOBs /vobs/gen000..., the first
// round(vobs * replicatedFraction) replicated with `replicas` replicas each
// (site00 local, on hosts host00...), some of them out of sync.
Region generate(const QDateTime &now, int vobs, double replicatedFraction, int replicas, quint32 seed);

// The object id printed by lsepoch for a replica, stable for tag and name.
QString oidFor(const QString &tag, const QString &replica);

} // namespace quorvane::ccsim::DemoRegion
