#pragma once

#include "common/QuorvaneError.h"

namespace quorvane {

// A command that ClearCase refused; the description is ClearCase's own
// message (for example "cleartool: Error: Unable to locate VOB ...").
class ClearCaseError final : public QuorvaneError {
public:
    explicit ClearCaseError(QString description, QString source = QStringLiteral("ClearCase.ClearTool"))
        : QuorvaneError(ErrNo::ClearCase, std::move(source), std::move(description))
    {
    }
};

// A command the user stopped before ClearCase answered. Nothing failed in
// ClearCase: a caller stops what it was doing and says what was left
// undone, or stops quietly, but never reports it as ClearCase's refusal.
class ClearCaseCancelled final : public QuorvaneError {
public:
    explicit ClearCaseCancelled(QString commandLine)
        : QuorvaneError(ErrNo::UserInterrupt, QStringLiteral("ClearCase.ClearTool"),
                        QStringLiteral("Cancelled: ") + commandLine)
        , m_commandLine(std::move(commandLine))
    {
    }
    // The command as it would be typed ("cleartool " and the subcommand).
    [[nodiscard]] const QString &commandLine() const noexcept { return m_commandLine; }

private:
    QString m_commandLine;
};

} // namespace quorvane
