#pragma once

#include "ccase/ClearTool.h"

namespace quorvane {

// Stands in for cleartool when no ClearCase was found: every request fails
// with a plain message, so the callers report it through their usual error
// boxes ("Load VOBs" shows it in the VOB tags box, titled "Error..", which
// names getVobsList()).
class MissingClearTool final : public ClearTool {
public:
    // why: what every request says; the search's usual account by default.
    explicit MissingClearTool(QString why = message());

    QString CmdExec(const QString &subcommand) override;
    QStringList vobTags() override;

    // The description carried by the error.
    static QString message();

private:
    QString m_why;
};

} // namespace quorvane
