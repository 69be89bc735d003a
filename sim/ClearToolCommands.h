#pragma once

#include "sim/Tool.h"

namespace quorvane::ccsim::ClearToolCommands {

// The cleartool subcommands of the region: lsvob, lsreplica, describe,
// lshistory (multitool offers lsreplica as well).
QStringList commandNames();
bool handles(const QString &command);
// Returns the exit status; throws CommandError when the command is refused.
int run(const QString &command, const QStringList &args, Context &ctx);

} // namespace quorvane::ccsim::ClearToolCommands
