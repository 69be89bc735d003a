#pragma once

#include <QString>

namespace quorvane::Maintenance {

// Entry 0 of every replica combo: no replica chosen.
inline QString selectReplica() { return QStringLiteral("<select_replica>"); }
// Whether a combo entry names a replica: neither empty (a combo without a
// selection) nor entry 0.
inline bool namesReplica(const QString &entry) { return !entry.isEmpty() && entry != selectReplica(); }

// The window style for the processes started here: hidden.
inline constexpr int hiddenWindow = 0;

} // namespace quorvane::Maintenance
