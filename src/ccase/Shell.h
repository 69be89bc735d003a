#pragma once

#include "ccase/CommandWait.h"

#include <QString>
#include <QtGlobal>

namespace quorvane {

// How one ShellAndWait run ended. Callers that only need the process to have
// ended may ignore it; those that tell the user what came of a command (a
// failed chepoch, a script that wrote nothing) read it.
struct ShellResult {
    enum class Outcome {
        Ran,         // the process started and ended by itself
        NotStarted,  // no such program, or it could not be started
        Crashed,     // it ended abnormally (a signal, an unhandled exception)
        Cancelled,   // the user stopped it
        LeftRunning, // the program stopped waiting for it as it ended; not killed
    };
    Outcome outcome = Outcome::Ran;
    int exitCode = 0;
    // The last lines of what it wrote on its error stream, bounded.
    QString errorTail;
    qint64 elapsedMs = 0;
    // The process's id while it ran; the only trace of one left running.
    qint64 processId = 0;
    // What it wrote on its standard output, bounded; only ShellAndRead keeps it.
    QString output;
    // The box this run owes the user, shown by ReportingShell: none, the
    // process box (it could not be started) or the failure box (a multitool
    // that failed); with the reason that box gives.
    enum class Box { None, NotStarted, Failed };
    Box box = Box::None;
    QString boxReason{};

    [[nodiscard]] bool succeeded() const { return outcome == Outcome::Ran && exitCode == 0; }
};

// Runs a command line as a hidden process and returns once it has ended,
// letting window events run meanwhile. How it ended, a start failure
// included, comes back in the result; ReportingShell shows the box.
class Shell : public CommandWait {
public:
    virtual ~Shell() = default;
    virtual ShellResult ShellAndWait(const QString &commandLine, int windowStyle) = 0;

    // The same run for a command that only reads (multitool lspacket): its
    // standard output comes back in `output`, and a failure owes no box,
    // since the caller says what the missing answer means. A shell that
    // cannot read output says so as a start failure.
    virtual ShellResult ShellAndRead(const QString &commandLine)
    {
        ShellResult result;
        result.outcome = ShellResult::Outcome::NotStarted;
        result.errorTail = QStringLiteral("This shell cannot read what a program prints: ") + commandLine;
        return result;
    }

    // Ends the process that ShellAndWait is waiting for, together with the
    // processes it started; that ShellAndWait then returns Cancelled. Does
    // nothing while no process runs. The observer is told of each wait for
    // a process it started.
    void cancel() override = 0;

    // The program is ending and waits no longer: the wait under way returns
    // now, and no process is started after it. A process that changes
    // ClearCase (multitool) is never killed, since one cut half-way is the
    // very damage this program repairs: it is left to finish on its own
    // (LeftRunning). Any other (the replica script, which only reads) is
    // ended with everything it started, as by cancel(). A shell whose waits
    // are not its own to end (a stand-in) ignores it.
    virtual void endWaits() {}
};

} // namespace quorvane
