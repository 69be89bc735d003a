#pragma once

#include "ccase/CommandWait.h"

#include <QString>
#include <QStringList>

namespace quorvane {

// The narrow door to cleartool. Implementations: the co-process client
// (ccase/), scripted fakes in tests.
class ClearTool : public CommandWait {
public:
    ~ClearTool() override = default;

    // Runs one cleartool subcommand (without the word "cleartool") and returns
    // its whole output exactly as printed: no status text, no newline added
    // or removed. Throws ClearCaseError with ClearCase's message when the
    // command fails, ClearCaseCancelled when the user stopped it.
    virtual QString CmdExec(const QString &subcommand) = 0;

    // Every VOB tag of the region (lsvob -short), one element each, CR
    // stripped. Throws ClearCaseError on failure, ClearCaseCancelled when
    // stopped.
    virtual QStringList vobTags() = 0;

    // Stops the command being waited for (see CommandWait). A client that
    // never waits has nothing to stop.
    void cancel() override {}

    // What the client noticed about its last command that changed nothing
    // of its result but belongs in the command log (a reply numbered other
    // than the command was); empty when there was nothing.
    [[nodiscard]] virtual QString lastCommandNote() const { return {}; }
};

} // namespace quorvane
