#pragma once

#include "replicas/Diagnosis.h"

#include <QWidget>

class QLabel;
class QListWidget;
class QListWidgetItem;

namespace quorvane {

// dDiagnosis under the two epoch matrices: what they show is wrong, one
// line per finding, most important first. A line that names a repair hands
// it on when clicked (repairChosen); nothing runs from here.
class DiagnosisPanel final : public QWidget {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(DiagnosisPanel)
public:
    explicit DiagnosisPanel(QWidget *parent = nullptr);

    void showFindings(const QList<Finding> &findings);
    void clearFindings();

    [[nodiscard]] QListWidget *list() const { return m_list; }
    [[nodiscard]] const QList<Finding> &findings() const { return m_findings; }

Q_SIGNALS:
    void repairChosen(const quorvane::Repair &repair);

private:
    void itemChosen(QListWidgetItem *item);

    QLabel *m_label = nullptr;
    QListWidget *m_list = nullptr;
    QList<Finding> m_findings;
};

} // namespace quorvane
