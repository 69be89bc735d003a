#pragma once

#include <QFrame>
#include <QString>

class QCheckBox;
class QListWidget;
class QListWidgetItem;
class QToolButton;

namespace quorvane {

class ClearTool;
class Feedback;
class LongActionGuard;

// The frame "frameMain" with the VOB list: the "Load VOBs" button
// (loadVobsBut), the "Show Only Replicated VOBs" box (onlyReplicatedOnlyCB)
// and the sorted list of VOB tags (pVobViewList).
class VobListPanel final : public QFrame {
    Q_OBJECT
public:
    VobListPanel(ClearTool &clearTool, Feedback &feedback, LongActionGuard &guard,
                 QWidget *parent = nullptr);
    Q_DISABLE_COPY_MOVE(VobListPanel)

    // The "Visual" page's label that is shown exactly when a load leaves the
    // list empty. May stay unset.
    void setPictMsgLabel(QWidget *pictMsgLbl);

    // Adds every VOB tag of the region that the list does not hold yet.
    // Reports its own errors (tags added so far stay).
    void getVobsList(QListWidget *list);

    // Removes the first entry equal to the text (case-sensitive), if any.
    static void removeFromList(const QString &text, QListWidget *list);

    [[nodiscard]] QListWidget *list() const { return m_list; }
    // The entry at the current selection index; empty when there is none.
    [[nodiscard]] QString selectedVobTag() const;

public slots:
    // "Load VOBs": fills the list, keeping only replicated VOBs when the box
    // is ticked. Ignored while another long action runs.
    void loadVobsButClick();

signals:
    // A double click on an entry, or Return on the current one.
    void vobDoubleClicked();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QStringList checkReplicated();
    void markNotChecked(QListWidgetItem *item, const QString &why);
    void reportLoadError(const QString &description);

    ClearTool &m_clearTool;
    Feedback &m_feedback;
    LongActionGuard &m_guard;
    QToolButton *m_loadVobsBut = nullptr;
    QCheckBox *m_onlyReplicatedOnlyCB = nullptr;
    QListWidget *m_list = nullptr;
    QWidget *m_pictMsgLbl = nullptr;
};

} // namespace quorvane
