#include "replicas/ReplicaDetailLoader.h"

#include "ccase/ClearCaseError.h"
#include "ccase/ClearTool.h"
#include "ccase/Commands.h"
#include "ccase/ProcessShell.h"
#include "ccase/Shell.h"
#include "graph/GraphView.h"
#include "graph/SiteRecords.h"
#include "replicas/DiagnosisPanel.h"
#include "replicas/EpochMatrixView.h"
#include "replicas/EpochGrid.h"
#include "replicas/EpochFill.h"
#include "replicas/ScriptProgress.h"
#include "replicas/PacketModel.h"
#include "replicas/PacketPanel.h"
#include "common/ErrorBoxes.h"
#include "common/Feedback.h"
#include "ui/EventPump.h"
#include "ui/NameWidgets.h"
#include "common/QuorvaneError.h"
#include "common/ShownName.h"
#include "vobs/VobListPanel.h"

#include <QDir>
#include <QFile>
#include <QLabel>
#include <QListWidget>
#include <QScopeGuard>
#include <QTabBar>

namespace quorvane {

namespace {

// What the administrator reads when the script left neither results file:
// its own last error lines, or how it ended when it said nothing.
QString scriptFailureText(const ShellResult &script)
{
    if (!script.errorTail.isEmpty())
        return script.errorTail;
    if (script.outcome == ShellResult::Outcome::Crashed)
        return QStringLiteral("The script ended abnormally.");
    return QStringLiteral("The script ended with status %1 and said nothing on its error stream.")
        .arg(script.exitCode);
}

} // namespace

ReplicaDetailLoader::ReplicaDetailLoader(ClearTool &clearTool, Shell &shell, Feedback &feedback, QString workDir,
                                         QString scriptPath, Controls controls)
    : m_clearTool(clearTool)
    , m_shell(shell)
    , m_feedback(feedback)
    , m_workDir(std::move(workDir))
    , m_scriptPath(std::move(scriptPath))
    , m_controls(std::move(controls))
{
}

QString ReplicaDetailLoader::resultsPath(const QString &fileName) const
{
    return QDir(m_workDir).filePath(fileName);
}

void ReplicaDetailLoader::loadReplicaDetail()
{
    GraphView *graph = m_controls.graph;
    EpochMatrixView *epochView = m_controls.epochView;
    QTabBar *tabStrip = m_controls.mainTabStrip;
    try {
        // Once the window is closing, a VOB is no longer worth opening.
        if (m_controls.vobList->list()->count() == 0 || m_feedback.closing())
            return;
        // The results files would otherwise be read and removed wherever the
        // program was started.
        if (m_workDir.isEmpty()) {
            showBox(m_feedback.dialogs(), ErrorBoxes::standard(ProcessShell::noWorkDirText()));
            return;
        }
        m_feedback.setBusy(true, QString());
        tabStrip->setEnabled(false);
        const QString tag = m_controls.vobList->selectedVobTag();

        const QString localReplica = m_clearTool.CmdExec(Commands::localReplicaName(tag));
        graph->setGMyReplicaName(localReplica);
        m_feedback.setMsg(QStringLiteral("Getting Detail for VOB: ") + ShownName::isolated(ShownName::shortened(tag)) +
                              QStringLiteral(", please wait.."),
                          QStringLiteral("Working..."));
        const QString listing = m_clearTool.CmdExec(Commands::replicaList(tag));
        // Splitting nothing gives no fields at all (last index -1), not one empty field.
        const QStringList replicaFields = listing.isEmpty() ? QStringList() : listing.split(QLatin1Char(','));
        // A name with a line end or another control character cannot be a
        // replica's: shown, it would make sites and grid rows of pieces of
        // names. Refused before anything of the VOB shown now is touched.
        for (qsizetype i = 0; i < replicaFields.size(); i += 4) {
            const auto fault = Commands::controlCharacterFault(replicaFields[i]);
            if (!fault)
                continue;
            m_feedback.setBusy(false, QString());
            m_feedback.hideWorking();
            tabStrip->setEnabled(true);
            showBox(m_feedback.dialogs(),
                    ErrorBoxes::unsafeReplicaName(tag, Commands::visible(replicaFields[i]), *fault));
            return;
        }

        graph->hide();
        m_feedback.setStatus(QStringLiteral("Cleaning up..."));
        if (!m_vob.sites.isEmpty()) {
            if (m_controls.resetReplicaCombos)
                m_controls.resetReplicaCombos();
            graph->unloadSiteControls();
            // The unloaded controls go before the new ones take their names.
            EventPump::run();
            graph->clearAllSites();
            // No VOB's replicas are shown now; the matrices keep their name
            // row and last row, which the fills write over.
            OpenedVob cleaned;
            cleaned.actual = m_vob.actual;
            cleaned.actual.clean();
            cleaned.local = m_vob.local;
            cleaned.local.clean();
            m_vob = std::move(cleaned);
            epochView->cleanGrid(epochView->Grid1());
            epochView->cleanGrid(epochView->Grid2());
            if (m_diagnosis)
                m_diagnosis->clearFindings();
            if (m_packets)
                m_packets->clearPackets();
        }

        m_feedback.setStatus(QStringLiteral("Creating replica graph..."));
        SiteRecords records = makeSiteRecords(replicaFields, 4, int(replicaFields.size()) - 1, m_GCount);
        graph->showSites(records);
        // A reload of the same VOB keeps what the fields show.
        if (tag != m_fieldsVobTag && m_otherVobOpened)
            m_otherVobOpened();
        m_fieldsVobTag = tag;
        // The snapshot of this load; it replaces the shown one whole. Its
        // matrices are what the grids show until the fills replace them.
        OpenedVob vob;
        vob.tag = tag;
        vob.localReplica = localReplica;
        vob.sites = std::move(records.sites);
        vob.actual = m_vob.actual;
        vob.local = m_vob.local;
        m_vob = vob;
        graph->show();
        if (m_controls.showOpenedVob)
            m_controls.showOpenedVob(m_vob);
        // The new graph and caption are drawn before the script's long wait.
        EventPump::run();

        m_feedback.setStatus(QStringLiteral("Getting replica detail, this may take a while..."));
        // Results of an earlier run (perhaps of another VOB) must never be
        // shown as this VOB's: a script that writes nothing shows "not found".
        const QString actualFile = resultsPath(QStringLiteral("_results.txt"));
        const QString localFile = resultsPath(QStringLiteral("_results_local.txt"));
        QFile::remove(actualFile);
        QFile::remove(localFile);
        // One left by a script that was killed would name hosts of another run.
        const QString progressFile = resultsPath(ScriptProgress::fileName());
        QFile::remove(progressFile);
        // A close asked for meanwhile: the script would only hold it up.
        if (!m_feedback.closing()) {
            const QString line = Commands::replicaInfoScript(m_scriptPath, tag);
            m_feedback.watchScriptProgress(progressFile, vob.hosts());
            const ShellResult script = [&] {
                const auto watched = qScopeGuard([this] { m_feedback.endScriptProgress(); });
                return m_shell.ShellAndWait(line, 0);
            }();
            if (script.outcome == ShellResult::Outcome::Cancelled) {
                // Half-written results must not pass for the VOB's matrices,
                // nor what cleaning kept of the VOB before for this one's.
                vob.actual.blank();
                vob.local.blank();
                m_vob = vob;
                epochView->blankGrids();
                showBox(m_feedback.dialogs(),
                        ErrorBoxes::cancelled(line, QStringLiteral("The epoch matrices were not read; open the VOB "
                                                                   "again to see them.")));
            } else {
                // The missing-file boxes alone would leave the administrator
                // guessing: the script's reason is shown beside them.
                if (!QFile::exists(actualFile) && !QFile::exists(localFile))
                    m_feedback.setDetail(scriptFailureText(script),
                                         QStringLiteral("get_replica_info.pl wrote no results"));
                // Each grid shows its matrix before the box about it, and
                // the snapshot holds what the grids show meanwhile.
                const auto fill = [&](EpochMatrix OpenedVob::*matrix, EpochGrid *grid, const QString &file) {
                    EpochFill filled = fillEpochMatrix(vob.*matrix, file, grid == epochView->Grid1(), m_log);
                    vob.*matrix = std::move(filled.matrix);
                    m_vob.*matrix = vob.*matrix;
                    epochView->showMatrix(grid, vob.*matrix);
                    reportFill(m_feedback, filled);
                };
                fill(&OpenedVob::actual, epochView->Grid1(), actualFile);
                fill(&OpenedVob::local, epochView->Grid2(), localFile);
                vob.bays = readBays(vob);
                vob.findings = diagnose(vob.actual.table(), vob.local.table(), vob.localReplica,
                                        vob.replicaNames(), vob.bays);
                m_vob = vob;
                if (m_diagnosis)
                    m_diagnosis->showFindings(m_vob.findings);
                if (m_packets) {
                    m_packets->model()->setPackets(m_vob.bays.packets, m_vob.held(), m_vob.bays.now,
                                                   m_vob.bays.orderDays);
                    m_packets->showListed(m_vob.bays.failure);
                }
            }
        }

        m_feedback.setStatus(QStringLiteral("Done."));
        tabStrip->setEnabled(true);
        epochView->Grid1()->show();
        epochView->Grid2()->show();
        m_feedback.setBusy(false, QString());
        m_feedback.hideWorking();
    } catch (const QuorvaneError &e) {
        m_feedback.setBusy(false, QString());
        m_feedback.hideWorking();
        tabStrip->setEnabled(true);
        graph->show();
        // A command the user stopped is no ClearCase error: say what it left
        // undone. Only the reads before the old VOB is cleared can be stopped.
        if (const auto *stopped = dynamic_cast<const ClearCaseCancelled *>(&e))
            showBox(m_feedback.dialogs(),
                    ErrorBoxes::cancelled(stopped->commandLine(),
                                          QStringLiteral("The VOB was not read; the window shows what it showed "
                                                         "before.")));
        else
            showBox(m_feedback.dialogs(), ErrorBoxes::standard(e.description()));
    }
}

void ReplicaDetailLoader::noteCommand(const QString &commandLine, const ShellResult &result)
{
    if (!commandLine.startsWith(QLatin1String("multitool syncreplica -export")) || m_vob.tag.isEmpty())
        return;
    if (result.succeeded()) {
        m_gaps.remove(m_vob.tag);
        return;
    }
    const QList<OplogGap> gaps = oplogGaps(result.errorTail);
    if (!gaps.isEmpty())
        m_gaps.insert(m_vob.tag, gaps);
}

BayFacts ReplicaDetailLoader::readBays(const OpenedVob &vob)
{
    const QString &tag = vob.tag;
    BayFacts bays;
    bays.vobTag = tag;
    bays.now = QDateTime::currentDateTime();
    bays.gaps = m_gaps.value(tag);
    bays.hosts = vob.hosts();
    if (m_feedback.closing())
        return bays;
    m_feedback.setStatus(QStringLiteral("Reading the storage bays..."));
    // The family's identifier tells its packets from other VOBs'; without
    // it they are told by names.
    QString family;
    try {
        family = PacketList::familyOf(m_clearTool.CmdExec(Commands::vobFamily(tag)));
    } catch (const QuorvaneError &) {
        // The command log holds ClearCase's answer; the names will do.
    }
    const QString line = Commands::listPackets();
    const ShellResult listed = m_shell.ShellAndRead(line);
    if (listed.succeeded()) {
        bays.listed = true;
        bays.packets =
            PacketList::ofVob(PacketList::parse(listed.output), family, tag, vob.localReplica, vob.replicaNames());
    } else if (listed.outcome == ShellResult::Outcome::Cancelled) {
        bays.failure = line + QStringLiteral(" was cancelled");
    } else {
        const QString why = listed.errorTail.section(CrLf, -1).trimmed();
        bays.failure = line + QStringLiteral(" failed") + (why.isEmpty() ? QString() : QStringLiteral(": ") + why);
    }
    return bays;
}

} // namespace quorvane
