#include "app/RealServices.h"

#include "app/CompanionPath.h"
#include "app/WorkFolder.h"
#include "ccase/ClearCaseDiscovery.h"
#include "ccase/ClearTool.h"
#include "ccase/ProcessShell.h"
#include "ccase/ReportingShell.h"
#include "ui/RealDialogs.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

namespace quorvane {

RealServices::RealServices()
    : m_workDir(QDir(QDir::tempPath()).filePath(WorkFolder::pattern())),
      m_dialogs(std::make_unique<RealDialogs>())
{
    const QString programDir = QCoreApplication::applicationDirPath();
    const ClearCaseFound found = ClearCaseDiscovery::discover(programDir);
    m_clearTool = ClearCaseDiscovery::makeClearTool(found);
    // Never the current directory instead: the results files would be
    // written and removed wherever the program was started. Without a work
    // directory the actions that need one say so and run nothing.
    const QString workDir = m_workDir.isValid() ? m_workDir.path() : QString();
    // The next start clears up after a run that could not (a lost display,
    // a kill); this run's own folder says who it belongs to.
    if (WorkFolder::claim(workDir))
        WorkFolder::removeAbandoned(QDir::tempPath(), workDir);
    m_processShell = std::make_unique<ProcessShell>(workDir, found.binDir, found.perlPath);
    m_shell = std::make_unique<ReportingShell>(*m_processShell, *m_dialogs);

    m_services.clearTool = m_clearTool.get();
    m_services.shell = m_shell.get();
    m_services.dialogs = m_dialogs.get();
    m_services.workDir = workDir;
    m_services.scriptPath =
        QDir::toNativeSeparators(companionPath(programDir, QStringLiteral("get_replica_info.pl")));
    m_services.aniCursorDir = QFileInfo(companionPath(programDir, QStringLiteral("anicursor.ani"))).path();
    m_services.clearCaseDescription = found.description;
    m_clearCaseDir = found.binDir;
    m_perlPath = found.perlPath;
}

RealServices::~RealServices() = default;

void RealServices::setDialogParent(QWidget *parent)
{
    m_dialogs->setParent(parent);
}

void RealServices::setUnattended(std::function<void(const QString &)> report)
{
    m_dialogs->setUnattended(std::move(report));
}

QString RealServices::companionPath(const QString &programDir, const QString &fileName)
{
    return quorvane::companionPath(programDir, fileName);
}

} // namespace quorvane
