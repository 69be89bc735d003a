#pragma once

#include <QWidget>

class QLabel;
class QPlainTextEdit;
class QPushButton;
class QTableView;

namespace quorvane {

class CommandLog;

// The command log window: every cleartool command, process and results
// file of this run, newest at the bottom, with the chosen entry's output
// and error text below the list. Made once, then shown and hidden; it
// follows the log as entries arrive.
class frmCommandLog final : public QWidget {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(frmCommandLog)
public:
    explicit frmCommandLog(CommandLog &log, QWidget *parent = nullptr);

    [[nodiscard]] QTableView *view() const { return m_view; }
    // The chosen entry's output and error text; empty while none is chosen.
    [[nodiscard]] QString detailText() const;
    // The whole log with every entry's details, onto the clipboard.
    void copyToClipboard();

protected:
    void showEvent(QShowEvent *event) override;

private:
    void showDetail();
    void followNewRows();
    void chooseNewest();

    CommandLog &m_log;
    QLabel *m_summary = nullptr;
    QTableView *m_view = nullptr;
    QPlainTextEdit *m_detail = nullptr;
    QPushButton *m_copy = nullptr;
    QPushButton *m_close = nullptr;
    // The detail pane follows the newest entry until the user picks another.
    bool m_followNewest = true;
    bool m_choosingNewest = false;
};

} // namespace quorvane
