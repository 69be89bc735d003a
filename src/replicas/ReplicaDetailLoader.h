#pragma once

#include "replicas/OpenedVob.h"

#include <QHash>
#include <QString>
#include <QtGlobal>

#include <functional>

class QTabBar;

namespace quorvane {

class ClearTool;
class CommandLog;
class DiagnosisPanel;
class EpochMatrixView;
class Feedback;
class GraphView;
class PacketPanel;
struct ShellResult;
class Shell;
class VobListPanel;

// Opening a VOB: the one procedure that rebuilds everything the main window
// shows about it, from the entry selected in the VOB list.
class ReplicaDetailLoader final {
public:
    // The controls a load rebuilds; frmMain owns them, they outlive the loader.
    struct Controls {
        VobListPanel *vobList = nullptr;
        GraphView *graph = nullptr;
        EpochMatrixView *epochView = nullptr;
        QTabBar *mainTabStrip = nullptr;
        // The three replica lists back to "<select_replica>" alone.
        std::function<void()> resetReplicaCombos;
        // Hands the pages the new VOB once its sites are shown: its name,
        // and its replicas for the replica lists.
        std::function<void(const OpenedVob &vob)> showOpenedVob;
    };

    ReplicaDetailLoader(ClearTool &clearTool, Shell &shell, Feedback &feedback, QString workDir,
                        QString scriptPath, Controls controls);
    Q_DISABLE_COPY_MOVE(ReplicaDetailLoader)

    // dDiagnosis, told what the two grids show once they are filled.
    void setDiagnosis(DiagnosisPanel *diagnosis) { m_diagnosis = diagnosis; }
    // dPacketsPanel, filled with the VOB's packets in this site's bays.
    void setPackets(PacketPanel *packets) { m_packets = packets; }
    // The command log, where the results files read land (null: none).
    void setCommandLog(CommandLog *log) { m_log = log; }
    // A command a maintenance action ran on the opened VOB: an export that
    // met scrubbed oplog entries is remembered for the diagnosis until an
    // export of that VOB succeeds.
    void noteCommand(const QString &commandLine, const ShellResult &result);
    // Called when another VOB's sites replace the shown ones: the fields
    // that showed one of the old sites go back to their designed texts.
    void setOtherVobOpened(std::function<void()> reset) { m_otherVobOpened = std::move(reset); }

    // Rebuilds everything shown about the VOB selected in the list. Reports
    // its own errors and always leaves the window usable.
    void loadReplicaDetail();

    // The tag of the VOB whose replicas the window shows now: set once a load
    // has replaced the shown sites, empty before the first. The actions that
    // change a VOB compare it with the list's selection.
    [[nodiscard]] const QString &openedVobTag() const { return m_vob.tag; }
    // What the window shows of that VOB; replaced whole by every load.
    [[nodiscard]] const OpenedVob &openedVob() const { return m_vob; }

    // Full path of one of the two results files in the work directory.
    [[nodiscard]] QString resultsPath(const QString &fileName) const;

private:
    // The VOB's packets, read in the load's busy period; a failure is a
    // note, never the end of the load.
    BayFacts readBays(const OpenedVob &vob);

    ClearTool &m_clearTool;
    Shell &m_shell;
    Feedback &m_feedback;
    QString m_workDir;
    QString m_scriptPath;
    Controls m_controls;
    OpenedVob m_vob;
    DiagnosisPanel *m_diagnosis = nullptr;
    PacketPanel *m_packets = nullptr;
    CommandLog *m_log = nullptr;
    // GCount: numbers every site a load makes, never reset, so a VOB's
    // colours depend on the sites made before it since the window opened.
    qint32 m_GCount = 0;
    QHash<QString, QList<OplogGap>> m_gaps; // by VOB tag
    std::function<void()> m_otherVobOpened;
    // The VOB whose sites the replica fields may show; unlike the opened
    // tag it outlives the cleaning of a reload.
    QString m_fieldsVobTag;
};

} // namespace quorvane
