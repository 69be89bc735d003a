#pragma once

#include <QString>
#include <QWidget>

#include <functional>

class QLabel;
class QLineEdit;

namespace quorvane {

class ClearTool;
class Feedback;

// The "Visual" page's replica fields: name, host, master, creation date and
// the last import and export of the site the user double-clicked, with the
// opened VOB's tag above them.
class ReplicaFieldsPanel final : public QWidget {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(ReplicaFieldsPanel)
public:
    ReplicaFieldsPanel(ClearTool &clearTool, Feedback &feedback, std::function<QString()> vobTag,
                       QWidget *parent = nullptr);

    // vSelectedVobLbl: "Selected VOB" until a VOB is opened.
    [[nodiscard]] QLabel *selectedVobLabel() const { return m_selectedVob; }

    // Shows one site: its record's four values with tooltips, then
    // highlight() (which marks that site alone in the graph), then the last
    // import and export from the replica's history. An empty history leaves
    // the two date fields as they were. Reports its own errors; the fields
    // keep what they had received up to the failure.
    void showSite(const QString &replicaName, const QString &replicaHost, const QString &master,
                  const QString &dateCreated, const std::function<void()> &highlight);

    // The six fields back to their designed texts (and no tooltips): another
    // VOB is open, and the site they showed is gone.
    void resetFields();

private:
    ClearTool &m_clearTool;
    Feedback &m_feedback;
    std::function<QString()> m_vobTag;

    QLabel *m_selectedVob = nullptr;
    QLineEdit *m_replica = nullptr;
    QLineEdit *m_host = nullptr;
    QLineEdit *m_master = nullptr;
    QLineEdit *m_date = nullptr;
    QLineEdit *m_importDate = nullptr;
    QLineEdit *m_exportDate = nullptr;
};

} // namespace quorvane
