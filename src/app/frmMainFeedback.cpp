// The main window's busy feedback, status line, working dialog, detail
// window and dialogs: what the subsystems see of it while they work.
#include "app/frmMain.h"

#include "ccase/ClearTool.h"
#include "ccase/CoprocessClearTool.h"
#include "common/ErrorBoxes.h"
#include "ui/EventPump.h"
#include "common/QuorvaneError.h"
#include "ui/frmDetail.h"
#include "ui/frmWorking.h"

#include <QApplication>
#include <QLabel>
#include <QProgressBar>
#include <QTimer>

namespace quorvane {

void frmMain::setBusy(bool busy, const QString &message)
{
    try {
        if (m_framePacer)
            m_framePacer->setActive(busy);
        if (!busy) {
            setHourglass(false);
            m_progBarTimer->setInterval(0);
            m_progBarTimer->stop();
            m_progressBar->setValue(0);
            m_progressBar->hide();
            setStatus(QStringLiteral("Status"));
        } else {
            setHourglass(true);
            setStatus(QStringLiteral("Working...") + message);
            m_progressBar->show();
            m_progBarTimer->setInterval(1);
            m_progBarTimer->start();
        }
    } catch (const QuorvaneError &e) {
        showBox(dialogs(), ErrorBoxes::standard(e.description()));
    }
}

void frmMain::progBarTimerTick()
{
    try {
        // Inside a slow cleartool command only paint and timers may run: a
        // click let through there would start an action inside the command.
        EventPump::run(CoprocessClearTool::answering() ? QEventLoop::ExcludeUserInputEvents
                                                       : QEventLoop::AllEvents);
        const int v = m_progressBar->value();
        m_progressBar->setValue(v >= m_progressBar->maximum() ? 1 : v + 1);
    } catch (const QuorvaneError &e) {
        showBox(dialogs(), ErrorBoxes::standard(e.description()));
    }
}

void frmMain::setHourglass(bool on)
{
    // The pointer is the one main window's, whichever window's feedback asks.
    QWidget *window = mainForm ? static_cast<QWidget *>(mainForm) : this;
    if (on)
        window->setCursor(Qt::WaitCursor);
    else
        window->unsetCursor();
}

void frmMain::setStatus(const QString &text)
{
    m_statusPanel->setText(text);
}

QString frmMain::status() const
{
    return m_statusPanel->text();
}

void frmMain::setMsg(const QString &msg, const QString &title)
{
    // While closing, the dialog keeps saying so; a hidden one stays hidden.
    if (m_closePending)
        return;
    workingDialog()->setMsg(msg, title);
}

void frmMain::hideWorking()
{
    if (!m_working)
        return;
    // The working dialog took the activation when it appeared; the keys
    // must come back to the main window with it gone, or a keyboard user
    // is left with no focus after every load.
    const bool hadActivation = m_working->isActiveWindow();
    m_working->hide();
    if (hadActivation && isVisible())
        activateWindow();
}

void frmMain::watchScriptProgress(const QString &progressFile, const QHash<QString, QString> &hostOf)
{
    // Said only where the dialog shows; while closing it says that instead.
    if (m_closePending || !m_working || m_working->isHidden())
        return;
    m_working->watchProgress(progressFile, hostOf);
}

void frmMain::endScriptProgress()
{
    if (m_working)
        m_working->endProgress();
}

void frmMain::setDetail(const QString &txt, const QString &title)
{
    if (!m_detail)
        m_detail = new frmDetail(this);
    m_detail->setDetail(txt, title);
}

Dialogs &frmMain::dialogs()
{
    return *m_services.dialogs;
}

} // namespace quorvane
