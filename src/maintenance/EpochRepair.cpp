#include "maintenance/EpochRepair.h"

#include "ccase/Commands.h"
#include "ccase/LoggingShell.h"
#include "common/ErrorBoxes.h"
#include "common/Feedback.h"
#include "common/QuorvaneError.h"
#include "common/ShownName.h"
#include "maintenance/EpochValue.h"
#include "maintenance/MaintenanceNames.h"

#include <QTime>

namespace quorvane {

EpochRepair::EpochRepair(Shell &shell, Feedback &feedback, std::function<void()> showReplicaInfo,
                         std::function<void()> loadReplicaDetail)
    : m_shell(shell), m_feedback(feedback), m_showReplicaInfo(std::move(showReplicaInfo)),
      m_loadReplicaDetail(std::move(loadReplicaDetail))
{
}

QString EpochRepair::busyMessage(const RepairChoice &choice)
{
    if (choice.action == RepairChoice::Action::Fix)
        return QStringLiteral("Synchronizing replica ") + choice.fixReplica;
    if (choice.exportToAll)
        return QStringLiteral("Synchronizing all replicas");
    return QStringLiteral("Synchronizing replica ") + choice.exportTarget;
}

RepairReport EpochRepair::run(const RepairChoice &choice)
{
    RepairReport report;
    const bool fix = choice.action == RepairChoice::Action::Fix;
    try {
        m_feedback.setBusy(true, busyMessage(choice));
        const std::optional<QString> line = fix ? prepareFix(choice, report) : prepareSync(choice, report);
        if (!line) {
            m_feedback.setBusy(false, QString());
            return report;
        }
        if (runCommand(*line, report).outcome == ShellResult::Outcome::Cancelled) {
            m_feedback.setBusy(false, QString());
            showBox(m_feedback.dialogs(),
                    ErrorBoxes::cancelled(*line, fix ? QStringLiteral("The epoch table may have been changed "
                                                                      "in part; open the VOB again to see it.")
                                                     : QStringLiteral("Packets may have been exported to some "
                                                                      "replicas; open the VOB again to see "
                                                                      "its state.")));
            report.end = RepairReport::End::Stopped;
            return report;
        }
        report.end = RepairReport::End::Stopped;
        // The window waits for the command to end before it closes; the
        // refresh would only hold it up.
        if (m_feedback.closing()) {
            m_feedback.setBusy(false, QString());
            return report;
        }

        if (m_showReplicaInfo)
            m_showReplicaInfo();
        if (m_loadReplicaDetail)
            m_loadReplicaDetail();
        m_feedback.setBusy(false, QString());
        report.end = RepairReport::End::Refreshed;
    } catch (const QuorvaneError &e) {
        m_feedback.setBusy(false, QString());
        showBox(m_feedback.dialogs(), ErrorBoxes::standard(e.description()));
        report.end = RepairReport::End::Failed;
    }
    return report;
}

std::optional<QString> EpochRepair::prepareFix(const RepairChoice &choice, RepairReport &report)
{
    const QString &replica = choice.fixReplica;
    // Nothing runs, and the result line says why: a click that seems to do
    // nothing would leave the administrator guessing.
    if (!Maintenance::namesReplica(replica)) {
        report.note = QStringLiteral("Nothing run: choose the replica to fix first.");
        return std::nullopt;
    }
    if (!isShownVob(choice))
        return std::nullopt;
    if (Maintenance::refuseUnsafeArguments(m_feedback.dialogs(), {replica, choice.vobTag}))
        return std::nullopt;

    QString line;
    if (choice.specifyEpoch) {
        // Only a plain number goes into the command line: typed text must
        // never become further arguments of chepoch.
        const std::optional<qint64> value = parseEpochValue(choice.epochText);
        if (!value) {
            m_feedback.dialogs().msgBox(QStringLiteral("Must specify a valid epoch number"), MsgButtons::Ok,
                                        MsgIcon::Exclamation, QStringLiteral("Invalid Epoch Value"));
            report.epochRefused = true;
            return std::nullopt;
        }
        line = Commands::chepochForce(replica, choice.vobTag, QString::number(*value));
    } else {
        line = Commands::chepochActual(replica, choice.vobTag);
    }

    const QString question = QStringLiteral("You are about to make changes to the Epoch table for replica:")
        + ShownName::isolated(replica) + CrLf + QStringLiteral("Are you sure you want to continue?");
    if (m_feedback.dialogs().msgBox(question, MsgButtons::OkCancel, MsgIcon::Exclamation,
                                    QStringLiteral("Fix Epoch..."))
        != MsgResult::Ok)
        return std::nullopt;
    return line;
}

std::optional<QString> EpochRepair::prepareSync(const RepairChoice &choice, RepairReport &report)
{
    // The export is decided before the import runs: the controls stay usable
    // while it runs, and what the user asked for is what was on screen at
    // the click.
    QString exportLine;
    QStringList names;
    if (choice.exportToAll) {
        names = choice.siblings;
        exportLine = Commands::exportToAll(choice.siblings, choice.vobTag);
    } else {
        // Like the fix: with no target chosen, nothing runs at all.
        if (!Maintenance::namesReplica(choice.exportTarget)) {
            report.note =
                QStringLiteral("Nothing run: choose the replica to export to, or tick \"All Replicas\".");
            return std::nullopt;
        }
        names = {choice.exportTarget};
        exportLine = Commands::exportTo(choice.exportTarget, choice.vobTag);
    }

    if (!isShownVob(choice))
        return std::nullopt;
    if (Maintenance::refuseUnsafeArguments(m_feedback.dialogs(), names + QStringList{choice.vobTag}))
        return std::nullopt;

    const QString importLine = Commands::importReceive(choice.vobTag);
    const ShellResult imported = runCommand(importLine, report);
    report.end = RepairReport::End::Stopped;
    if (imported.outcome == ShellResult::Outcome::Cancelled) {
        showBox(m_feedback.dialogs(),
                ErrorBoxes::cancelled(importLine, QStringLiteral("Packets may have been imported in part; the "
                                                                 "export was not started.")));
        return std::nullopt;
    }
    // The program ends without waiting for the import: nothing may follow it.
    if (imported.outcome == ShellResult::Outcome::LeftRunning)
        return std::nullopt;
    // A failed import still leaves this site's own changes to send: the
    // export does not depend on it.
    return exportLine;
}

bool EpochRepair::isShownVob(const RepairChoice &choice)
{
    if (!choice.shownVobTag)
        return true;
    const QString &shown = *choice.shownVobTag;
    if (!shown.isEmpty() && choice.vobTag == shown)
        return true;
    showBox(m_feedback.dialogs(), ErrorBoxes::wrongVob(choice.vobTag, shown));
    return false;
}

ShellResult EpochRepair::runCommand(const QString &commandLine, RepairReport &report)
{
    RepairCommand command;
    command.commandLine = commandLine;
    command.result = m_shell.ShellAndWait(commandLine, Maintenance::hiddenWindow);
    command.endedAt = QTime::currentTime().toString(QStringLiteral("HH:mm:ss"));
    report.commands << command;
    if (m_commandEnded)
        m_commandEnded(command);
    return command.result;
}

QString EpochRepair::resultLine(const QString &commandLine, const ShellResult &result, const QString &endedAt,
                                bool shortened)
{
    QString how = QStringLiteral("done");
    if (!result.succeeded()) {
        how = QStringLiteral("failed (") + LoggingShell::outcomeText(result) + QLatin1Char(')');
        // The last line of what it said is usually the reason.
        const QString reason = result.errorTail.section(CrLf, -1).trimmed();
        if (!reason.isEmpty())
            how += QStringLiteral(": ") + reason;
    }
    // Each argument stands isolated, so that a name's direction marks
    // reorder nothing beyond it; a long one is cut in the middle.
    QStringList arguments = commandLine.trimmed().split(QLatin1Char(' '));
    for (QString &argument : arguments)
        argument = ShownName::isolated(shortened ? ShownName::shortened(argument) : argument);
    return arguments.join(QLatin1Char(' ')) + QStringLiteral(" \u2014 ") + how + QStringLiteral(", ") + endedAt;
}

} // namespace quorvane
