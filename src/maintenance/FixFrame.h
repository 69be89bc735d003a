#pragma once

#include "common/Colors.h"
#include "maintenance/EpochRepair.h"

#include <QGroupBox>
#include <QStringList>

#include <functional>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QRadioButton;

namespace quorvane {

class ActionLabel;
class Feedback;
class LongActionGuard;
class Shell;
struct Repair;

// dFixFrame on the "Detail" page: the controls of the fix of the local epoch
// table's row for a sibling replica and of the synchronization. It gathers
// the administrator's choice and shows what came of it; EpochRepair runs
// the repair and refreshes the window through the two callbacks.
class FixFrame final : public QGroupBox {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(FixFrame)
public:
    // loadReplicaDetail runs while this frame still holds the long-action
    // guard, so it must not itself be refused by the guard.
    FixFrame(Shell &shell, Feedback &feedback, LongActionGuard &guard, std::function<QString()> vobTag,
             std::function<void()> showReplicaInfo, std::function<void()> loadReplicaDetail,
             QWidget *parent = nullptr);

    // dReplicaFixCombo(0), the replica whose row is fixed, and
    // dReplicaFixCombo(1), the export target. Entry 0 of both is
    // "<select_replica>"; the loader adds the sibling replicas after it.
    [[nodiscard]] QComboBox *fixCombo() const { return m_combo[0]; }
    [[nodiscard]] QComboBox *exportCombo() const { return m_combo[1]; }

    // Refills both combos with "<select_replica>" and then SIBLINGS, in
    // order, and selects entry 0.
    void setSiblingReplicas(const QStringList &siblings);

    // 0: fix the local epoch table; 1: synchronize. Ignored while another
    // long action runs. Reports its own errors.
    void fixOrSync(int index);

    // Sets the controls for a repair the diagnosis names: the fix replica
    // with "Based on Actual", or the export target. Runs nothing.
    void preselect(const Repair &repair);

    // dFixResultLbl: what the last action ran and how each command ended,
    // until the next action starts.
    [[nodiscard]] QLabel *resultLabel() const { return m_resultLbl; }
    // One line of it (EpochRepair::resultLine); the label's tooltip has
    // the lines whole where a long argument was shortened.
    [[nodiscard]] static QString resultLine(const QString &commandLine, const ShellResult &result,
                                            const QString &endedAt, bool shortened = true)
    {
        return EpochRepair::resultLine(commandLine, result, endedAt, shortened);
    }

    // The tag of the VOB whose replicas the window shows (empty: none). Once
    // set, both actions refuse to run when the list's selected VOB differs:
    // the replicas in the combos belong to the shown VOB only.
    void setShownVobTag(std::function<QString()> shownVobTag) { m_shownVobTag = std::move(shownVobTag); }
    // Told of every command the frame ran and how it ended, before the
    // refresh: an export's failure explains what the next load shows.
    void setCommandEnded(std::function<void(const QString &, const ShellResult &)> ended)
    {
        m_commandEnded = std::move(ended);
    }

protected:
    void mouseMoveEvent(QMouseEvent *event) override;

private:
    // The choice as the controls show it now.
    [[nodiscard]] RepairChoice choice(int index) const;
    // Adds how a command ended to dFixResultLbl.
    void showEnded(const RepairCommand &command);
    void setLabelColour(int index, OleColor colour);

    LongActionGuard &m_guard;
    EpochRepair m_repair;
    std::function<QString()> m_vobTag;
    std::function<QString()> m_shownVobTag;
    std::function<void(const QString &, const ShellResult &)> m_commandEnded;

    ActionLabel *m_image[2] = {};
    ActionLabel *m_label[2] = {};
    QComboBox *m_combo[2] = {};
    QRadioButton *m_option[3] = {};
    QLineEdit *m_epochTxt = nullptr;
    QCheckBox *m_syncAll = nullptr;
    QLabel *m_resultLbl = nullptr;
};

} // namespace quorvane
