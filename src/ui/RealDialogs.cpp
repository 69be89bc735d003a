#include "ui/RealDialogs.h"

#include "ui/Topmost.h"

#include <QInputDialog>
#include <QMessageBox>

#include <cstdio>
#include <utility>

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
    if (m_unattended) {
        m_unattended(title + QStringLiteral(": ") + prompt);
        return buttons == MsgButtons::OkCancel ? MsgResult::Cancel : MsgResult::Ok;
    }
    QMessageBox box(toQt(icon), title, prompt,
                    buttons == MsgButtons::OkCancel ? QMessageBox::Ok | QMessageBox::Cancel
                                                    : QMessageBox::Ok,
                    m_parent);
    box.setEscapeButton(buttons == MsgButtons::OkCancel ? QMessageBox::Cancel : QMessageBox::Ok);
    keepAboveTopmost(&box);
    m_open = &box;
    m_openText = title + QStringLiteral(": ") + prompt;
    const int answer = box.exec();
    m_open = nullptr;
    return answer == QMessageBox::Ok ? MsgResult::Ok : MsgResult::Cancel;
}

void RealDialogs::setUnattended(std::function<void(const QString &)> report)
{
    m_unattended = std::move(report);
    if (m_open && m_unattended) {
        m_unattended(m_openText);
        // Closed, a box answers as its escape button: Cancel where there is one.
        m_open->close();
    }
}

QString RealDialogs::inputBox(const QString &prompt, const QString &title, const QString &defaultText)
{
    if (echoOnly()) {
        std::fprintf(stderr, "[input] %s | %s\n", qUtf8Printable(title), qUtf8Printable(prompt));
        std::fflush(stderr);
        return QString();
    }
    if (m_unattended) {
        m_unattended(title + QStringLiteral(": ") + prompt);
        return QString();
    }
    QInputDialog input(m_parent);
    input.setWindowTitle(title);
    input.setLabelText(prompt);
    input.setTextValue(defaultText);
    keepAboveTopmost(&input);
    m_open = &input;
    m_openText = title + QStringLiteral(": ") + prompt;
    const int answer = input.exec();
    m_open = nullptr;
    return answer == QDialog::Accepted ? input.textValue() : QString();
}

} // namespace quorvane
