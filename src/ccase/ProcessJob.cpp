#include "ccase/ProcessJob.h"

#include <QProcess>

#ifdef Q_OS_WIN
#include <windows.h>
#endif

namespace quorvane {

#ifdef Q_OS_WIN

ProcessJob::ProcessJob(bool endWithProgram) : m_job(::CreateJobObjectW(nullptr, nullptr))
{
    if (!m_job || !endWithProgram)
        return;
    JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits = {};
    limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE;
    ::SetInformationJobObject(m_job, JobObjectExtendedLimitInformation, &limits, sizeof limits);
}

ProcessJob::~ProcessJob()
{
    if (m_job)
        ::CloseHandle(m_job);
}

void ProcessJob::prepare(QProcess &process)
{
    if (!m_job)
        return;
    process.setCreateProcessArgumentsModifier([this](QProcess::CreateProcessArguments *args) {
        args->flags |= CREATE_SUSPENDED;
        // Kept by the QProcess until the process has ended.
        m_processInfo = args->processInformation;
    });
}

bool ProcessJob::adopt()
{
    auto *const info = static_cast<PROCESS_INFORMATION *>(m_processInfo);
    if (!info || !info->hThread)
        return false;
    m_adopted = m_job && ::AssignProcessToJobObject(m_job, info->hProcess);
    // Runs whether or not the job took it: a suspended process is a hung one.
    ::ResumeThread(info->hThread);
    return m_adopted;
}

void ProcessJob::terminate()
{
    if (m_adopted)
        ::TerminateJobObject(m_job, 1);
}

bool ProcessJob::alive() const
{
    if (!m_adopted)
        return false;
    JOBOBJECT_BASIC_ACCOUNTING_INFORMATION accounting = {};
    if (!::QueryInformationJobObject(m_job, JobObjectBasicAccountingInformation, &accounting, sizeof accounting,
                                     nullptr))
        return false;
    return accounting.ActiveProcesses > 0;
}

#else

ProcessJob::ProcessJob(bool endWithProgram)
{
    Q_UNUSED(endWithProgram)
}
ProcessJob::~ProcessJob() = default;
void ProcessJob::prepare(QProcess &process)
{
    Q_UNUSED(process)
}
bool ProcessJob::adopt()
{
    return false;
}
void ProcessJob::terminate() {}
bool ProcessJob::alive() const
{
    return false;
}

#endif

} // namespace quorvane
