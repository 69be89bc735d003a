#pragma once

#include "maintenance/SyncDates.h"

#include <QString>
#include <QWidget>

#include <functional>
#include <optional>

class QComboBox;
class QLineEdit;

namespace quorvane {

class ActionLabel;
class ClearTool;
class Feedback;
class LongActionGuard;
class Shell;

// The top of the "Detail" page: the replica chooser with its history
// picture and the chosen replica's last import and export dates.
// The VOB tag is read afresh through the vobTag callback at each request.
class ReplicaInfoPanel final : public QWidget {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(ReplicaInfoPanel)
public:
    // scriptPath: full path of get_replica_info.pl.
    ReplicaInfoPanel(ClearTool &clearTool, Shell &shell, Feedback &feedback, QString scriptPath,
                     std::function<QString()> vobTag, QWidget *parent = nullptr);

    // dReplicaCombo: "<select_replica>" then the open VOB's replicas. Every
    // change of its selection, by the user or by code, runs showReplicaInfo.
    [[nodiscard]] QComboBox *replicaCombo() const { return m_combo; }

    // While another long action (opening a VOB, fix or synchronize) runs,
    // a replica chosen by the user is refused (the choice goes back) instead
    // of starting the script inside that action's wait.
    void setLongActionGuard(LongActionGuard *guard) { m_guard = guard; }

    // Runs the replica info script for the chosen replica and shows its last
    // import and export dates. Does nothing (beyond hiding the history
    // picture) while no replica is chosen. Reports its own errors.
    void showReplicaInfo();

    // The chosen replica's sync dates, or nothing after ClearCase refused the
    // history (the box is shown here, with the stop icon).
    std::optional<SyncDates> getLastSyncDates(const QString &replica, const QString &vobTag);

    // Shows the chosen replica's whole history in the detail window, titled
    // "History Detail: " + replica. Reports its own errors.
    void showHistory();

    // "Last Import Date:" and "Last Export Date:" back to their designed
    // texts: another VOB is open.
    void resetDates();

private:
    void selectionChanged();

    ClearTool &m_clearTool;
    LongActionGuard *m_guard = nullptr;
    int m_shownIndex = 0;
    Shell &m_shell;
    Feedback &m_feedback;
    QString m_scriptPath;
    std::function<QString()> m_vobTag;
    // Counts showReplicaInfo calls (with or without a replica), to spot a
    // request overtaken by a newer choice.
    quint64 m_requests = 0;

    QComboBox *m_combo = nullptr;
    ActionLabel *m_detailImage = nullptr;
    QLineEdit *m_importDate = nullptr;
    QLineEdit *m_exportDate = nullptr;
};

} // namespace quorvane
