#pragma once

#include "ccase/Shell.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

namespace quorvane {

class Feedback;

// What the administrator asked of dFixFrame, as its controls stood at the
// click.
struct RepairChoice {
    enum class Action { Fix, Synchronize };
    Action action = Action::Fix;
    // The VOB selected in the list, and the one whose replicas the window
    // shows (nothing: not known, so not compared).
    QString vobTag;
    std::optional<QString> shownVobTag;
    // Fix: dReplicaFixCombo(0)'s text; "Specify Epoch Value" and dFixTxt(0)
    // as typed.
    QString fixReplica;
    bool specifyEpoch = false;
    QString epochText;
    // Synchronize: "All Replicas" with every entry of dReplicaFixCombo(1)
    // after "<select_replica>", or that combo's text.
    bool exportToAll = true;
    QStringList siblings;
    QString exportTarget;
};

// One command a repair ran: how it ended, and when (HH:mm:ss).
struct RepairCommand {
    QString commandLine;
    ShellResult result;
    QString endedAt;
};

// How a repair ended, and what it ran.
struct RepairReport {
    enum class End {
        NothingRun, // a check stopped it before any command (a note or a box says why)
        Stopped,    // a command was cancelled or left running, or the window closes: no refresh
        Refreshed,  // the commands ran, whatever their status, and the window was refreshed
        Failed,     // an error ended it, shown in the standard box; no refresh
    };
    End end = End::NothingRun;
    // For the result label when nothing ran for want of a replica.
    QString note;
    // The typed epoch value was refused: it is the control to correct.
    bool epochRefused = false;
    QList<RepairCommand> commands;
};

// The fix of the local epoch table's row for a sibling (chepoch -actual or
// -force) and the synchronization (import what has arrived, then export to
// one sibling or to all): the checks of the choice, the confirmation, the
// commands in order, stop on cancel, the boxes, then the refresh of the
// window (the chosen replica's dates first, then the whole VOB). Busy
// feedback is on from the start to the end of every path.
class EpochRepair final {
public:
    EpochRepair(Shell &shell, Feedback &feedback, std::function<void()> showReplicaInfo,
                std::function<void()> loadReplicaDetail);

    // Told of each command as it ends, before the next starts.
    void setCommandEnded(std::function<void(const RepairCommand &)> ended) { m_commandEnded = std::move(ended); }

    RepairReport run(const RepairChoice &choice);

    // The busy message: the replica the action names, or all of them.
    [[nodiscard]] static QString busyMessage(const RepairChoice &choice);
    // One line of the result label: the command line, then "done" or how it
    // failed, then the time it ended. Long arguments are shortened unless
    // asked not to.
    [[nodiscard]] static QString resultLine(const QString &commandLine, const ShellResult &result,
                                            const QString &endedAt, bool shortened = true);

private:
    // The fix's command line after its checks and the confirmation; nothing
    // when the fix stops before running anything.
    [[nodiscard]] std::optional<QString> prepareFix(const RepairChoice &choice, RepairReport &report);
    // Runs the import and gives the export command line; nothing when the
    // synchronization stops there.
    [[nodiscard]] std::optional<QString> prepareSync(const RepairChoice &choice, RepairReport &report);
    ShellResult runCommand(const QString &commandLine, RepairReport &report);
    // Whether the action may go on for this VOB; says why not in a box.
    [[nodiscard]] bool isShownVob(const RepairChoice &choice);

    Shell &m_shell;
    Feedback &m_feedback;
    std::function<void()> m_showReplicaInfo;
    std::function<void()> m_loadReplicaDetail;
    std::function<void(const RepairCommand &)> m_commandEnded;
};

} // namespace quorvane
