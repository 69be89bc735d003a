#pragma once

#include "ccase/Commands.h"
#include "common/Dialogs.h"
#include "common/ErrorBoxes.h"

#include <QString>

namespace quorvane::Maintenance {

// Entry 0 of every replica combo: no replica chosen.
inline QString selectReplica() { return QStringLiteral("<select_replica>"); }
// Whether a combo entry names a replica: neither empty (a combo without a
// selection) nor entry 0.
inline bool namesReplica(const QString &entry) { return !entry.isEmpty() && entry != selectReplica(); }

// Shows why and answers true when one of the texts cannot go into a command
// line as the one argument it stands for; the caller then runs nothing.
inline bool refuseUnsafeArguments(Dialogs &dialogs, const QStringList &texts)
{
    const auto fault = Commands::argumentFault(texts);
    if (fault)
        showBox(dialogs, ErrorBoxes::unsafeArgument(Commands::visible(fault->text), fault->reason));
    return fault.has_value();
}

// The window style for the processes started here: hidden.
inline constexpr int hiddenWindow = 0;

} // namespace quorvane::Maintenance
