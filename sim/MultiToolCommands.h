#pragma once

#include "sim/Tool.h"

namespace quorvane::ccsim::MultiToolCommands {

// The multitool subcommands of the region: lsepoch, chepoch, syncreplica.
bool handles(const QString &command);
// Returns the exit status; throws CommandError when the command is refused.
int run(const QString &command, const QStringList &args, Context &ctx);

// "Entry for <name> changed from: <old> to <new>", as chepoch -actual prints it.
QString entryChangeLine(const EntryChange &change);
// One lsepoch block line: " oid:<oid>=<n><pad>(<name>)".
QString oidLine(const QString &oid, qint64 value, const QString &name);

} // namespace quorvane::ccsim::MultiToolCommands
