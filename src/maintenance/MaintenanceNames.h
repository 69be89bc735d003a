#pragma once

#include <QString>

namespace quorvane::Maintenance {

// Entry 0 of every replica combo: no replica chosen.
inline QString selectReplica() { return QStringLiteral("<select_replica>"); }

// The window style for the processes started here: hidden.
inline constexpr int hiddenWindow = 0;

} // namespace quorvane::Maintenance
