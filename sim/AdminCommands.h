#pragma once

#include "sim/Tool.h"

namespace quorvane::ccsim::AdminCommands {

// ccsim's own commands (demo, generate, work, offline, online, latency,
// show, log, where). args.first() is the command. Returns the exit status;
// throws CommandError when refused.
int run(const QStringList &args, Context &ctx);

} // namespace quorvane::ccsim::AdminCommands
