#pragma once

#include <QtGlobal>

class QProcess;

namespace quorvane {

// A started process and everything it starts, as one: what a process group
// is on UNIX, a job object on Windows. There a process started by the
// replica script (cleartool, multitool) would otherwise outlive a Cancel,
// since ending a process never ends its children. The process is created
// suspended, put in the job, then let run, so that not even its first child
// escapes.
//
// Outside Windows it does nothing and says so (isActive() is false): the
// callers keep their process groups there.
class ProcessJob final {
public:
    // endWithProgram: everything in the job ends when this program ends,
    // however it ends (the job's last handle closes). Never for a
    // multitool, which must be let finish.
    explicit ProcessJob(bool endWithProgram);
    ~ProcessJob();
    Q_DISABLE_COPY_MOVE(ProcessJob)

    // Before QProcess::start().
    void prepare(QProcess &process);
    // After a successful start: into the job, then running. False when the
    // job could not take it (it runs all the same, alone).
    bool adopt();
    // Ends every process of the job at once. Windows has no gentler way to
    // end a console program that was not started on a console of its own.
    void terminate();
    // Some process of the job still runs.
    [[nodiscard]] bool alive() const;
    [[nodiscard]] bool isActive() const { return m_job != nullptr; }

private:
    void *m_job = nullptr;         // HANDLE
    void *m_processInfo = nullptr; // PROCESS_INFORMATION, owned by the QProcess
    bool m_adopted = false;
};

} // namespace quorvane
