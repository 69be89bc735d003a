#pragma once

#include <QHash>
#include <QString>

namespace quorvane {

class Dialogs;

// What the subsystems need of the main window while they work: busy
// feedback, the status line, the working dialog, the detail window and the
// dialogs. frmMain implements it; tests pass a recording fake.
class Feedback {
public:
    virtual ~Feedback() = default;

    virtual void setBusy(bool busy, const QString &message) = 0;
    virtual void setHourglass(bool on) = 0;
    // Panel 1 of the status bar.
    virtual void setStatus(const QString &text) = 0;
    [[nodiscard]] virtual QString status() const = 0;
    // Shows the working dialog with the message (title accepted, not used).
    virtual void setMsg(const QString &msg, const QString &title = QString()) = 0;
    virtual void hideWorking() = 0;
    // While the replica script runs: the working dialog names the hosts
    // that its progress file says are still waited for (hostOf: replica ->
    // host), until endScriptProgress or until it is hidden.
    virtual void watchScriptProgress(const QString &progressFile, const QHash<QString, QString> &hostOf)
    {
        Q_UNUSED(progressFile)
        Q_UNUSED(hostOf)
    }
    virtual void endScriptProgress() {}
    virtual void setDetail(const QString &txt, const QString &title) = 0;
    virtual Dialogs &dialogs() = 0;
    // The user has asked to close the window while a long action runs: the
    // action lets its running command end, starts nothing new that it can
    // leave out, and ends; the window then closes.
    [[nodiscard]] virtual bool closing() const { return false; }
};

} // namespace quorvane
