#pragma once

#include <QString>
#include <QtGlobal>

#include <functional>

namespace quorvane {

// How one ShellAndWait run ended. Callers that only need the process to have
// ended may ignore it; those that tell the user what came of a command (a
// failed chepoch, a script that wrote nothing) read it.
struct ShellResult {
    enum class Outcome {
        Ran,        // the process started and ended by itself
        NotStarted, // no such program, or it could not be started
        Crashed,    // it ended abnormally (a signal, an unhandled exception)
        Cancelled,  // the user stopped it
    };
    Outcome outcome = Outcome::Ran;
    int exitCode = 0;
    // The last lines of what it wrote on its error stream, bounded.
    QString errorTail;
    qint64 elapsedMs = 0;

    [[nodiscard]] bool succeeded() const { return outcome == Outcome::Ran && exitCode == 0; }
};

// Runs a command line as a hidden process and returns once it has ended,
// letting window events run meanwhile. Reports a start failure itself (the
// process error box) and returns normally.
class Shell {
public:
    virtual ~Shell() = default;
    virtual ShellResult ShellAndWait(const QString &commandLine, int windowStyle) = 0;

    // Ends the process that ShellAndWait is waiting for, together with the
    // processes it started; that ShellAndWait then returns Cancelled. Does
    // nothing while no process runs.
    virtual void cancel() = 0;

    // Told true and the command line when ShellAndWait starts waiting for a
    // process it started, false when that wait is over: while true, cancel()
    // has work to stop. A shell that wraps another passes both this and
    // cancel() on to it.
    using WaitObserver = std::function<void(bool waiting, const QString &commandLine)>;
    virtual void setWaitObserver(WaitObserver observer) { m_waitObserver = std::move(observer); }

protected:
    void waiting(bool on, const QString &commandLine) const
    {
        if (m_waitObserver)
            m_waitObserver(on, commandLine);
    }

private:
    WaitObserver m_waitObserver;
};

} // namespace quorvane
