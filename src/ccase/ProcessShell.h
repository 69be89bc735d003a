#pragma once

#include "ccase/Shell.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <functional>

class QTimer;

namespace quorvane {

// Runs ClearCase's programs (multitool, ccperl) as processes without any
// shell: the line is split with Windows command-line rules, the program is
// looked up on PATH, and the process runs in the work directory. The wait is
// a local event loop, so the window keeps answering while the process runs.
// It shows no box: the result says which one the run owes (ReportingShell).
class ProcessShell final : public Shell {
public:
    // firstOnPath: ClearCase's folder, searched before PATH for the program
    // and put first on the started process's PATH; empty for PATH alone.
    // perl: the installation's own Perl, started where a line says "ccperl"
    // (UNIX installations name it Perl); empty to look "ccperl" up by name.
    explicit ProcessShell(QString workDir, QString firstOnPath = {}, QString perl = {});

    // windowStyle is accepted for the callers' sake; processes get no window.
    ShellResult ShellAndWait(const QString &commandLine, int windowStyle) override;
    ShellResult ShellAndRead(const QString &commandLine) override;
    // Asks the process and everything it started to end (on UNIX its whole
    // process group, which it leads); what has not ended after a short grace
    // is killed.
    void cancel() override;
    void endWaits() override;

    static constexpr int cancelGraceMs = 3000;

    // Whether a process of this program is left to finish when the program
    // stops waiting for it as it ends (see Shell::endWaits): multitool
    // changes the replicas, and one cut half-way loses packets.
    static bool finishesOnItsOwn(const QString &programName);

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
    // Why nothing runs without a private work directory.
    static QString noWorkDirText();
    // Whether a non-zero status of this program is shown to the user.
    static bool reportsFailure(const QString &programName);

    static constexpr qsizetype maxErrorBytes = 64 * 1024;
    // What ShellAndRead keeps of a program's output; beyond it the process
    // is stopped and the run reported as cut.
    static constexpr qsizetype maxOutputBytes = 16 * 1024 * 1024;
    static constexpr qsizetype maxErrorLines = 8;

private:
    ShellResult run(const QString &commandLine, bool readOutput);

    // After a cancel: waits (at most until hardStop fires) for the processes
    // the cancelled one started, then kills what is left.
    static void awaitGroupEnd(qint64 pid, QTimer &hardStop, const std::function<void(bool)> &stop);

    QString m_workDir;
    QString m_firstOnPath;
    QString m_perl;
    // Stops the run being waited for; empty while none is.
    std::function<void()> m_cancel;
    // Ends the wait under way without stopping its process; empty while none is.
    std::function<void()> m_stopWaiting;
    // Set by endWaits(): the program is ending and starts nothing more.
    bool m_ending = false;
};

} // namespace quorvane
