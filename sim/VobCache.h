#pragma once

#include "sim/Region.h"
#include "sim/RegionStamp.h"

#include <QByteArray>
#include <QDateTime>
#include <functional>
#include <optional>

class QIODevice;

namespace quorvane::ccsim {

// A VOB's file in a compact binary form, kept beside it. Every ccsim
// process that names a VOB reads it; parsing the JSON of a VOB with
// hundreds of replicas (megabytes of epoch rows and history comments)
// costs a process far more than the command it runs. The JSON stays the
// region's truth: a cache records the stamp of the file it was made from
// and is used only while the file still has that stamp (the same rule as
// a co-process's copy in memory), so a hand edit, an older ccsim or a
// writer that could not update the cache never makes it serve stale data.
//
// The replicas' history comes last, apart: a command that lists no history
// stops reading before it. Each part carries its digest, so a damaged copy
// is never decoded into wrong numbers.
namespace VobCache {

struct Cached {
    RegionStamp madeFrom; // the stamp of the JSON file when the cache was made
    QDateTime made;
    Vob vob;
};

QByteArray encode(const Vob &vob, const RegionStamp &madeFrom, const QDateTime &made);

// Reads a cache: its stamp first, which stands decides on; then the VOB,
// without the replicas' history unless withHistory. nullopt for a damaged,
// truncated or foreign file, and when stands refuses it; counts are
// believed only as far as the bytes left could hold them.
std::optional<Cached> read(QIODevice &in, bool withHistory,
                           const std::function<bool(const RegionStamp &, const QDateTime &)> &stands);

} // namespace VobCache

} // namespace quorvane::ccsim
