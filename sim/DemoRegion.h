#pragma once

#include "sim/Region.h"

namespace quorvane::ccsim::DemoRegion {

// The demo region, its histories dated back from now. Contents: thirteen
// VOBs under /vobs; replicated are /vobs/dev (in sync), /vobs/tools (a lost
// packet to london), /vobs/web (sydney unreachable), /vobs/core (eight
// replicas, out of sync until imported and exported) and /vobs/docs.
Region build(const QDateTime &now);

// A generated region: `vobs` VOBs /vobs/gen000..., the first
// round(vobs * replicatedFraction) replicated with `replicas` replicas each,
// some of them out of sync. Replica siteNN lives on hostNN; site00 (host00)
// is local to every family. The siblings take turns over `hosts` hosts
// (host01...), so each of them serves about as many families as the next;
// with as many hosts as replicas (or `hosts` 0) every family has the same
// sites. `hosts` below `replicas` is taken as `replicas`.
Region generate(const QDateTime &now, int vobs, double replicatedFraction, int replicas, quint32 seed,
                int hosts = 0);

// The object id printed by lsepoch for a replica, stable for tag and name.
QString oidFor(const QString &tag, const QString &replica);

} // namespace quorvane::ccsim::DemoRegion
