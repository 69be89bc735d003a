#pragma once

#include "ccase/Shell.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

namespace quorvane {

class Dialogs;

// Runs ClearCase's programs (multitool, ccperl) as processes without any
// shell: the line is split with Windows command-line rules, the program is
// looked up on PATH, and the process runs in the work directory. The wait is
// a local event loop, so the window keeps answering while the process runs.
class ProcessShell final : public Shell {
public:
    ProcessShell(Dialogs &dialogs, QString workDir);

    // windowStyle is accepted for the callers' sake; processes get no window.
    ShellResult ShellAndWait(const QString &commandLine, int windowStyle) override;

    // Full path of the program to start for a command line's first word, or
    // an empty string when there is none. A name with a directory part is
    // taken as it is; a bare name is looked up in searchPaths (PATH when
    // empty). "ccperl" falls back to "ratlperl", then "perl", where absent.
    static QString resolveProgram(const QString &name, const QStringList &searchPaths = {});

    // What the failure box says of a command that ended with a non-zero
    // status: the last lines of its error output, or the status itself.
    static QString failureText(const QByteArray &errorOutput, int exitCode);
    // The last non-blank lines of an error stream, joined by CR LF; empty
    // when it said nothing.
    static QString errorTail(const QByteArray &errorOutput);
    // Whether a non-zero status of this program is shown to the user.
    static bool reportsFailure(const QString &programName);

    static constexpr qsizetype maxErrorBytes = 64 * 1024;
    static constexpr qsizetype maxErrorLines = 8;

private:
    Dialogs &m_dialogs;
    QString m_workDir;
};

} // namespace quorvane
