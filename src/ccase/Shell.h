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
class Shell : public CommandWait {
public:
    virtual ~Shell() = default;
    virtual ShellResult ShellAndWait(const QString &commandLine, int windowStyle) = 0;

    // Ends the process that ShellAndWait is waiting for, together with the
    // processes it started; that ShellAndWait then returns Cancelled. Does
    // nothing while no process runs. The observer is told of each wait for
    // a process it started.
    void cancel() override = 0;
};

} // namespace quorvane
