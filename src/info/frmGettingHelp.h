#pragma once

#include <QDialog>

class QLabel;

namespace quorvane {

class ClickableImage;

// Where to get support: the maker's terms, contacts and bug address, and a
// banner that opens the maker's web page. Shown modally (exec()); "OK"
// hides it, which ends the modal display.
class frmGettingHelp final : public QDialog {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(frmGettingHelp)
public:
    explicit frmGettingHelp(QWidget *parent = nullptr);
    ~frmGettingHelp() override;

private:
    void load();
    void openWebPage();

    QLabel *m_lblMain[4] = {};
    ClickableImage *m_image = nullptr;
};

} // namespace quorvane
