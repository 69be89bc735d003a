#include "ui/frmWorking.h"

#include "ui/AppInfo.h"
#include "ui/NormalizePath.h"
#include "ui/Topmost.h"

#include <QEvent>
#include <QFontMetrics>
#include <QLabel>

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
    fitToMessage();

    setTopmost(this, true);
}

void frmWorking::fitToMessage()
{
    const int width = std::max(minWindowWidth, labelX + 40 * QFontMetrics(m_mainLbl->font()).averageCharWidth());
    const int labelWidth = width - labelX - 2 * labelMargin;
    const int height = std::max(minWindowHeight, m_mainLbl->heightForWidth(labelWidth) + 2 * labelMargin);
    setFixedSize(width, height);
    m_mainLbl->setGeometry(labelX, labelMargin, labelWidth, height - 2 * labelMargin);
}

frmWorking::~frmWorking() = default;

void frmWorking::setMsg(const QString &msg, const QString &title)
{
    Q_UNUSED(title)
    m_mainLbl->setText(msg);
    fitToMessage();
    if (!isVisible()) {
        show(); // a window that appears comes to the front
        activateWindow();
    }
}

QString frmWorking::message() const { return m_mainLbl->text(); }

QString frmWorking::aniCursorFile() const
{
    return NormalizePath(m_programDir) + QStringLiteral("anicursor.ani");
}

bool frmWorking::event(QEvent *event)
{
    const bool handled = QDialog::event(event);
    if (event->type() == QEvent::WindowActivate)
        activated();
    return handled;
}

void frmWorking::activated()
{
    setWindowTitle(AppInfo::title() + QStringLiteral(" busy working..."));
    // Without a readable picture the window simply shows its message.
    m_aniCursor.Create(aniCursorFile(), this, pictureX, pictureY);
}

} // namespace quorvane
