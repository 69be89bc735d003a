#pragma once

#include "ccase/ClearTool.h"

namespace quorvane {

class CommandLog;

// Puts every cleartool subcommand into the command log, with its output or
// ClearCase's refusal, around whichever client does the talking; callers
// see exactly what the client gives them, errors included. A note the
// client made about a command goes into that command's entry.
class LoggingClearTool final : public ClearTool {
public:
    LoggingClearTool(ClearTool &inner, CommandLog &log);

    QString CmdExec(const QString &subcommand) override;
    QStringList vobTags() override;
    // Cancel, the wait's observer and the notes belong to the client that talks.
    void cancel() override;
    void setWaitObserver(WaitObserver observer) override;
    [[nodiscard]] QString lastCommandNote() const override;

private:
    ClearTool &m_inner;
    CommandLog &m_log;
};

} // namespace quorvane
