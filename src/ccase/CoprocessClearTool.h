#pragma once

#include "ccase/ClearTool.h"

#include <QByteArray>
#include <QString>
#include <QtGlobal>
#include <chrono>
#include <memory>

class QDeadlineTimer;
class QProcess;

namespace quorvane {

// cleartool driven as one long-lived "cleartool -status" co-process: each
// command is one line on its input, its reply is read up to "Command N
// returned status S" for its own number N. The process starts on first use
// and is started again when it has died. Where it cannot be started or does
// not keep to that protocol, every later command runs as a process of its own.
// Blocking: a command returns when cleartool has answered, or fails once it
// has taken longer than the time limit or the user cancelled it (the process
// is then ended, and the next command starts a new one). A command that lasts
// longer than half a second tells the wait observer, which may offer Cancel,
// and lets events run while it waits: timers and painting always, user input
// only when an observer is set, since the observer then keeps input away
// from everything but its Cancel. So the window stays drawn and no other
// action can start inside the command.
class CoprocessClearTool final : public ClearTool {
public:
    enum class Mode { Coprocess, ProcessPerCommand };

    // Generous: a lshistory of a busy replica over a slow link can take
    // minutes; a cleartool that needs longer than this is taken as hung.
    static constexpr std::chrono::milliseconds DefaultTimeLimit = std::chrono::seconds(300);

    // program: path or name (looked up on PATH) of cleartool.
    explicit CoprocessClearTool(QString program, Mode mode = Mode::Coprocess,
                                std::chrono::milliseconds timeLimit = DefaultTimeLimit);
    ~CoprocessClearTool() override;
    Q_DISABLE_COPY_MOVE(CoprocessClearTool)

    QString CmdExec(const QString &subcommand) override;
    QStringList vobTags() override;
    // The command waited for fails with ClearCaseCancelled.
    void cancel() override;
    [[nodiscard]] QString lastCommandNote() const override { return m_note; }

    // Coprocess until the co-process failed to start or broke the protocol.
    [[nodiscard]] Mode mode() const { return m_mode; }
    // Process id of the running co-process, 0 when there is none.
    [[nodiscard]] qint64 processId() const;
    [[nodiscard]] const QString &program() const { return m_program; }

    // Whether some command of any instance is waiting for cleartool now.
    // Whoever lets events run meanwhile must leave user input queued.
    [[nodiscard]] static bool answering() { return s_answering > 0; }

private:
    enum class WaitEnd { Ready, TimedOut, Cancelled };
    template <typename Ready, typename WaitOnce>
    WaitEnd waitFor(const QDeadlineTimer &deadline, const QString &subcommand, Ready ready, WaitOnce waitOnce);
    bool outputFollows(int withinMs);
    bool ensureCoprocess();
    void discardCoprocess();
    QString runInCoprocess(const QString &subcommand);
    QString runOnce(const QString &subcommand);
    QString fallBack(const QString &subcommand);
    [[nodiscard]] QString timeLimitText() const;

    QString m_program;
    Mode m_mode;
    std::chrono::milliseconds m_timeLimit;
    bool m_running = false; // a command of this instance waits for its reply
    bool m_cancelRequested = false;
    QString m_note; // about the last command, for the log
    static inline int s_answering = 0;
    std::unique_ptr<QProcess> m_process;
    qint64 m_sent = 0;      // commands sent to the current co-process
    qint64 m_completed = 0; // commands it answered
};

// The description of a failed command: cleartool's error text without its
// trailing line end; its output when it wrote no error text; else a plain
// note with the status.
QString clearToolFailure(const QByteArray &errorText, const QByteArray &output, const QString &subcommand,
                         int status);

} // namespace quorvane
