#pragma once

#include <QDialog>

class QLabel;
class QPlainTextEdit;
class QPushButton;

namespace quorvane {

// The about window: program, version, copyright and terms of use. Shown
// modally (exec()); "OK" hides it, which ends the modal display.
class frmAbout final : public QDialog {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(frmAbout)
public:
    explicit frmAbout(QWidget *parent = nullptr);
    ~frmAbout() override;

private:
    void load();

    QLabel *m_mainLbl[3] = {};
    QPlainTextEdit *m_txtInfo = nullptr;
    QPushButton *m_okBut = nullptr;
};

} // namespace quorvane
