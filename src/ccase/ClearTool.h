#pragma once

#include <QString>
#include <QStringList>

namespace quorvane {

// The narrow door to cleartool. Implementations: the co-process client
// (ccase/), scripted fakes in tests.
class ClearTool {
public:
    virtual ~ClearTool() = default;

    // Runs one cleartool subcommand (without the word "cleartool") and returns
    // its whole output exactly as printed: no status text, no newline added
    // or removed. Throws ClearCaseError with ClearCase's message when the
    // command fails.
    virtual QString CmdExec(const QString &subcommand) = 0;

    // Every VOB tag of the region (lsvob -short), one element each, CR
    // stripped. Throws ClearCaseError on failure.
    virtual QStringList vobTags() = 0;
};

} // namespace quorvane
