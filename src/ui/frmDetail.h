#pragma once

#include <QWidget>

class QFrame;
class QLabel;
class QPlainTextEdit;

namespace quorvane {

// The detail window: long texts (a replica's history, the out-of-sync note)
// beside the main window. Made once, then only shown and hidden; it keeps
// its last text and stays above ordinary windows.
class frmDetail final : public QWidget {
    Q_OBJECT
public:
    explicit frmDetail(QWidget *parent = nullptr);
    Q_DISABLE_COPY_MOVE(frmDetail)

    void setDetail(const QString &txt, const QString &title);
    [[nodiscard]] QString text() const;

protected:
    void keyPressEvent(QKeyEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QFrame *m_mainFrame = nullptr;
    QPlainTextEdit *m_mainTxt = nullptr;
    QLabel *m_closeImage = nullptr;
};

} // namespace quorvane
