#include "ui/frmWorking.h"

#include "replicas/ScriptProgress.h"
#include "common/AppInfo.h"
#include "common/NormalizePath.h"
#include "ui/Topmost.h"

#include <QDateTime>
#include <QEvent>
#include <QFontMetrics>
#include <QLabel>
#include <QPushButton>
#include <QTimer>

#include <algorithm>

namespace quorvane {

namespace {
// The picture sits at 20, 20; the message fills the rest of the window to
// its right, centred on the picture's height, and the window grows with the
// desktop's font and with a message that needs more lines.
constexpr int pictureX = 20;
constexpr int pictureY = 20;
constexpr int pictureSide = 32;
constexpr int minWindowWidth = 420;
constexpr int minWindowHeight = pictureY + pictureSide + pictureY;
constexpr int labelX = pictureX + pictureSide + 16;
constexpr int labelMargin = 8;
constexpr int buttonWidth = 96;
constexpr int buttonHeight = 28;
// Room below the message for cancelBut, while it is shown.
constexpr int buttonBand = buttonHeight + 12;
} // namespace

frmWorking::frmWorking(const QString &programDir, QWidget *parent)
    : QDialog(parent), m_programDir(programDir)
{
    setObjectName(QStringLiteral("frmWorking"));
    setWindowTitle(QStringLiteral("Working..."));

    m_mainLbl = new QLabel(this);
    m_mainLbl->setObjectName(QStringLiteral("mainLbl"));
    m_mainLbl->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    m_mainLbl->setWordWrap(true);
    m_mainLbl->setTextFormat(Qt::PlainText); // messages carry VOB tags and names, never markup
    QFont font = m_mainLbl->font();
    font.setPointSizeF(font.pointSizeF() * 1.1);
    m_mainLbl->setFont(font);

    // Below the message, in the dialog's own font: which hosts a load is
    // still waiting for. Empty, it takes no room.
    m_progressLbl = new QLabel(this);
    m_progressLbl->setObjectName(QStringLiteral("progressLbl"));
    m_progressLbl->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    m_progressLbl->setTextFormat(Qt::PlainText);
    m_progressLbl->setFocusPolicy(Qt::NoFocus);
    m_progressLbl->hide();
    m_progressTimer = new QTimer(this);
    m_progressTimer->setInterval(refreshMs);
    connect(m_progressTimer, &QTimer::timeout, this, &frmWorking::refreshProgress);

    m_cancelBut = new QPushButton(QStringLiteral("Cancel"), this);
    m_cancelBut->setObjectName(QStringLiteral("cancelBut"));
    m_cancelBut->setToolTip(QStringLiteral("Stop the running command and what it started"));
    m_cancelBut->setAutoDefault(false);
    m_cancelBut->hide();
    connect(m_cancelBut, &QPushButton::clicked, this, &frmWorking::cancelRequested);
    fitToMessage();

    // The keyboard stays with the main window. A dialog that took it when
    // shown, and was hidden again before the window manager had handed it
    // over (a quick load), received the keyboard after it had gone: every
    // key then went to a hidden window until the main window was
    // reactivated by hand. Cancel is clicked here, or Esc in the main window.
    setWindowFlag(Qt::WindowDoesNotAcceptFocus, true);
    setAttribute(Qt::WA_ShowWithoutActivating, true);
    setTopmost(this, true);
}

void frmWorking::setCancellable(bool cancellable)
{
    m_cancelBut->setVisible(cancellable);
    fitToMessage();
}

void frmWorking::fitToMessage()
{
    m_fitPending = false;
    const int width = std::max(minWindowWidth, labelX + 40 * QFontMetrics(m_mainLbl->font()).averageCharWidth());
    const int labelWidth = width - labelX - 2 * labelMargin;
    const int height = std::max(minWindowHeight, m_mainLbl->heightForWidth(labelWidth) + 2 * labelMargin);
    const QSize button = m_cancelBut->sizeHint().expandedTo(QSize(buttonWidth, buttonHeight));
    const int band = cancellable() ? std::max(buttonBand, button.height() + 12) : 0;
    const int progressLines = m_progressLbl->isHidden() ? 0 : m_progressLbl->sizeHint().height();
    const int progress = progressLines ? progressLines + labelMargin : 0;
    setFixedSize(width, height + progress + band);
    m_mainLbl->setGeometry(labelX, labelMargin, labelWidth, height - 2 * labelMargin);
    m_progressLbl->setGeometry(labelX, height - labelMargin / 2, labelWidth, progressLines);
    m_cancelBut->setGeometry(width - button.width() - 16, height + progress, button.width(), button.height());
}

bool frmWorking::cancellable() const
{
    return !m_cancelBut->isHidden();
}

void frmWorking::reject()
{
    // Esc must never just hide the dialog while the work goes on.
    if (cancellable())
        emit cancelRequested();
}

frmWorking::~frmWorking() = default;

void frmWorking::setMsg(const QString &msg, const QString &title)
{
    Q_UNUSED(title)
    m_mainLbl->setText(msg);
    if (isVisible()) {
        m_fitPending = true; // the label's change asks for a drawing
        return;
    }
    fitToMessage();
    show(); // a window that appears comes to the front
}

QString frmWorking::message() const { return m_mainLbl->text(); }

void frmWorking::watchProgress(const QString &progressFile, const QHash<QString, QString> &hostOf)
{
    m_progressFile = progressFile;
    m_hostOf = hostOf;
    m_progressTimer->start();
    refreshProgress();
}

void frmWorking::endProgress()
{
    m_progressTimer->stop();
    m_progressFile.clear();
    m_hostOf.clear();
    if (m_progressLbl->text().isEmpty())
        return;
    m_progressLbl->clear();
    m_progressLbl->hide();
    fitToMessage();
}

QString frmWorking::progressText() const { return m_progressLbl->text(); }

void frmWorking::refreshProgress()
{
    if (m_progressFile.isEmpty())
        return;
    const QStringList lines =
        ScriptProgress::read(m_progressFile).lines(double(QDateTime::currentMSecsSinceEpoch()) / 1000.0, m_hostOf);
    const QString text = lines.join(QLatin1Char('\n'));
    if (text == m_progressLbl->text())
        return;
    // Only a change in the number of lines moves the window's edges.
    const bool refit = text.count(QLatin1Char('\n')) != m_progressLbl->text().count(QLatin1Char('\n')) ||
                       text.isEmpty() != m_progressLbl->text().isEmpty();
    m_progressLbl->setText(text);
    m_progressLbl->setVisible(!text.isEmpty());
    if (refit)
        fitToMessage();
}

void frmWorking::hideEvent(QHideEvent *event)
{
    endProgress();
    QDialog::hideEvent(event);
}

QString frmWorking::aniCursorFile() const
{
    return NormalizePath(m_programDir) + QStringLiteral("anicursor.ani");
}

bool frmWorking::event(QEvent *event)
{
    if (m_fitPending && (event->type() == QEvent::UpdateRequest || event->type() == QEvent::Show))
        fitToMessage();
    const bool handled = QDialog::event(event);
    // The dialog takes no keyboard (see the constructor), so it seldom
    // becomes the active window: it shows its caption and picture whenever
    // it appears as well.
    if (event->type() == QEvent::WindowActivate || event->type() == QEvent::Show)
        activated();
    // A window system that activates whatever is shown may do so after the
    // dialog has gone again: the keys would go to a hidden window. They go
    // back to the window it belongs to.
    if (event->type() == QEvent::WindowActivate && isHidden() && parentWidget())
        parentWidget()->window()->activateWindow();
    return handled;
}

void frmWorking::activated()
{
    setWindowTitle(AppInfo::title() + QStringLiteral(" busy working..."));
    // Without a readable picture the window simply shows its message.
    m_aniCursor.Create(aniCursorFile(), this, pictureX, pictureY);
}

} // namespace quorvane
