#pragma once

#include <QWidget>

#include <memory>

class QCheckBox;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QSortFilterProxyModel;
class QTableView;

namespace quorvane {

class ClearTool;
class CommandRunner;
class RegionModel;
class RegionSurvey;

// The whole region at a glance: one row per replicated VOB family, worst
// first, sortable and filterable. The survey runs on the event loop, so the
// window answers while it runs; Cancel ends what runs. Return or a double
// click on a row asks the main window to open that VOB.
class frmRegion final : public QWidget {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(frmRegion)
public:
    frmRegion(ClearTool &clearTool, CommandRunner &runner, QString scriptPath, QWidget *parent = nullptr);
    ~frmRegion() override;

    [[nodiscard]] QTableView *view() const { return m_view; }
    [[nodiscard]] RegionModel *model() const { return m_model; }
    [[nodiscard]] bool surveying() const;
    // Starts a survey, or cancels the one that runs.
    void surveyOrCancel();
    // The table as it is sorted and filtered, tab-separated, onto the clipboard.
    void copyToClipboard();

signals:
    void openVob(const QString &tag);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    void startSurvey();
    void surveyEnded();
    void openCurrent();

    ClearTool &m_clearTool;
    CommandRunner &m_runner;
    QString m_scriptPath;
    std::unique_ptr<RegionSurvey> m_survey;
    RegionModel *m_model = nullptr;
    QSortFilterProxyModel *m_proxy = nullptr;
    QLineEdit *m_filter = nullptr;
    QCheckBox *m_actual = nullptr;
    QPushButton *m_surveyBut = nullptr;
    QPushButton *m_copy = nullptr;
    QProgressBar *m_progress = nullptr;
    QLabel *m_summary = nullptr;
    QTableView *m_view = nullptr;
};

} // namespace quorvane
