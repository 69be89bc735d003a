#include "ui/frmWorking.h"

#include "ui/AppInfo.h"
#include "ui/NormalizePath.h"
#include "ui/Topmost.h"

#include <QEvent>
#include <QLabel>

namespace quorvane {

namespace {
// The picture sits at 20, 20; the message fills the rest of the window to
// its right, centred on the picture's height.
constexpr int pictureX = 20;
constexpr int pictureY = 20;
constexpr int pictureSide = 32;
constexpr int windowWidth = 420;
constexpr int windowHeight = pictureY + pictureSide + pictureY;
constexpr int labelX = pictureX + pictureSide + 16;
} // namespace

frmWorking::frmWorking(const QString &programDir, QWidget *parent)
    : QDialog(parent), m_programDir(programDir)
{
    setObjectName(QStringLiteral("frmWorking"));
    setWindowTitle(QStringLiteral("Working..."));
    setFixedSize(windowWidth, windowHeight);

    m_mainLbl = new QLabel(this);
    m_mainLbl->setObjectName(QStringLiteral("mainLbl"));
    m_mainLbl->setGeometry(labelX, 8, windowWidth - labelX - 16, windowHeight - 16);
    m_mainLbl->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    m_mainLbl->setWordWrap(true);
    m_mainLbl->setTextFormat(Qt::PlainText); // messages carry VOB tags and names, never markup
    QFont font = m_mainLbl->font();
    font.setPointSizeF(font.pointSizeF() * 1.1);
    m_mainLbl->setFont(font);

    setTopmost(this, true);
}

frmWorking::~frmWorking() = default;

void frmWorking::setMsg(const QString &msg, const QString &title)
{
    Q_UNUSED(title)
    m_mainLbl->setText(msg);
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
