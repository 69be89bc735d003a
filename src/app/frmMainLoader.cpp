// Opening a VOB: the one procedure that rebuilds everything the main window
// shows about it.
#include "app/frmMain.h"

#include "ccase/ClearTool.h"
#include "ccase/Commands.h"
#include "ccase/Shell.h"
#include "graph/GraphView.h"
#include "maintenance/ReplicaFieldsPanel.h"
#include "replicas/EpochMatrixView.h"
#include "replicas/FlexGrid.h"
#include "ui/ErrorBoxes.h"
#include "ui/QuorvaneError.h"
#include "vobs/VobListPanel.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QListWidget>
#include <QTabBar>

namespace quorvane {

QString frmMain::selectedVobTag() const
{
    return m_vobList->selectedVobTag();
}

QString frmMain::resultsPath(const QString &fileName) const
{
    return QDir(m_services.workDir).filePath(fileName);
}

void frmMain::pVobViewListDblClick()
{
    const auto scope = m_guard.tryEnter();
    if (!scope)
        return;
    loadReplicaDetail();
}

void frmMain::loadReplicaDetail()
{
    try {
        if (m_vobList->list()->count() == 0)
            return;
        setBusy(true, QString());
        m_mainTabStrip->setEnabled(false);
        const QString tag = selectedVobTag();

        m_graph->setGMyReplicaName(m_services.clearTool->CmdExec(Commands::localReplicaName(tag)));
        setMsg(QStringLiteral("Getting Detail for VOB: ") + tag + QStringLiteral(", please wait.."),
               QStringLiteral("Working..."));
        const QString listing = m_services.clearTool->CmdExec(Commands::replicaList(tag));
        // Splitting nothing gives no fields at all (last index -1), not one empty field.
        const QStringList replicaFields = listing.isEmpty() ? QStringList() : listing.split(QLatin1Char(','));

        m_graph->hide();
        setStatus(QStringLiteral("Cleaning up..."));
        if (!m_graph->allSites().isEmpty()) {
            resetReplicaCombos();
            m_graph->unloadSiteControls();
            QCoreApplication::processEvents();
            m_graph->clearAllSites();
            m_epochView->cleanGrid(m_epochView->Grid1());
            m_epochView->cleanGrid(m_epochView->Grid2());
        }

        setStatus(QStringLiteral("Creating replica graph..."));
        m_graph->setSitesData(replicaFields, 4, int(replicaFields.size()) - 1);
        m_graph->show();
        QLabel *vobLbl = m_replicaFields->selectedVobLabel();
        vobLbl->setText(QStringLiteral("VOB:") + tag);
        vobLbl->show();
        QCoreApplication::processEvents();

        setStatus(QStringLiteral("Getting replica detail, this may take a while..."));
        // Results of an earlier run (perhaps of another VOB) must never be
        // shown as this VOB's: a script that writes nothing shows "not found".
        const QString actualFile = resultsPath(QStringLiteral("_results.txt"));
        const QString localFile = resultsPath(QStringLiteral("_results_local.txt"));
        QFile::remove(actualFile);
        QFile::remove(localFile);
        m_services.shell->ShellAndWait(Commands::replicaInfoScript(m_services.scriptPath, tag), 0);

        m_epochView->fillEpochGrid(m_epochView->Grid1(), m_epochView->actualOutOfSync, actualFile);
        m_epochView->fillEpochGrid(m_epochView->Grid2(), m_epochView->localOutOfSync, localFile);

        setStatus(QStringLiteral("Done."));
        m_mainTabStrip->setEnabled(true);
        m_epochView->Grid1()->show();
        m_epochView->Grid2()->show();
        setBusy(false, QString());
        hideWorking();
    } catch (const QuorvaneError &e) {
        setBusy(false, QString());
        hideWorking();
        m_mainTabStrip->setEnabled(true);
        m_graph->show();
        showBox(dialogs(), ErrorBoxes::standard(e.description()));
    }
}

} // namespace quorvane
