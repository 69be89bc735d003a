#include "ui/RealDialogs.h"

#include "ui/Topmost.h"

#include <QInputDialog>
#include <QMessageBox>

#include <cstdio>

namespace quorvane {

namespace {

// Test seam for the built program: started headless with this variable set,
// boxes are written to standard error and answered with OK at once, so that
// a test can start the real binary and read what it would have shown.
bool echoOnly()
{
    return qEnvironmentVariableIsSet("QUORVANE_TEST_DIALOG_ECHO");
}

QMessageBox::Icon toQt(MsgIcon icon)
{
    switch (icon) {
    case MsgIcon::Information:
        return QMessageBox::Information;
    case MsgIcon::Exclamation:
        return QMessageBox::Warning;
    case MsgIcon::Stop:
        return QMessageBox::Critical;
    case MsgIcon::None:
        break;
    }
    return QMessageBox::NoIcon;
}

} // namespace

MsgResult RealDialogs::msgBox(const QString &prompt, MsgButtons buttons, MsgIcon icon,
                              const QString &title)
{
    if (echoOnly()) {
        std::fprintf(stderr, "[box] %s | %s\n", qUtf8Printable(title), qUtf8Printable(prompt));
        std::fflush(stderr);
        return MsgResult::Ok;
    }
    QMessageBox box(toQt(icon), title, prompt,
                    buttons == MsgButtons::OkCancel ? QMessageBox::Ok | QMessageBox::Cancel
                                                    : QMessageBox::Ok,
                    m_parent);
    box.setEscapeButton(buttons == MsgButtons::OkCancel ? QMessageBox::Cancel : QMessageBox::Ok);
    keepAboveTopmost(&box);
    return box.exec() == QMessageBox::Ok ? MsgResult::Ok : MsgResult::Cancel;
}

QString RealDialogs::inputBox(const QString &prompt, const QString &title, const QString &defaultText)
{
    if (echoOnly()) {
        std::fprintf(stderr, "[input] %s | %s\n", qUtf8Printable(title), qUtf8Printable(prompt));
        std::fflush(stderr);
        return QString();
    }
    QInputDialog input(m_parent);
    input.setWindowTitle(title);
    input.setLabelText(prompt);
    input.setTextValue(defaultText);
    keepAboveTopmost(&input);
    return input.exec() == QDialog::Accepted ? input.textValue() : QString();
}

} // namespace quorvane
