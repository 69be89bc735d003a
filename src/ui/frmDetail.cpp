#include "ui/frmDetail.h"

#include "ui/Pictures.h"

#include <QApplication>
#include <QEvent>
#include <QKeyEvent>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QVBoxLayout>

namespace quorvane {

frmDetail::frmDetail(QWidget *parent) : QWidget(parent, Qt::Window | Qt::WindowStaysOnTopHint)
{
    setObjectName(QStringLiteral("frmDetail"));
    setWindowTitle(QStringLiteral("Detail"));
    resize(620, 420);

    m_mainFrame = new QFrame(this);
    m_mainFrame->setObjectName(QStringLiteral("mainFrame"));
    m_mainFrame->setFrameShape(QFrame::StyledPanel);

    m_mainTxt = new QPlainTextEdit(m_mainFrame);
    m_mainTxt->setObjectName(QStringLiteral("mainTxt"));
    m_mainTxt->setReadOnly(true);
    m_mainTxt->setLineWrapMode(QPlainTextEdit::NoWrap);
    m_mainTxt->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    m_mainTxt->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    QFont mono(QStringLiteral("DejaVu Sans Mono"));
    mono.setStyleHint(QFont::Monospace);
    // A history reads best in columns; the size follows the desktop's font.
    if (const qreal points = QApplication::font().pointSizeF(); points > 0)
        mono.setPointSizeF(points);
    m_mainTxt->setFont(mono);

    m_closeImage = new QLabel(this);
    m_closeImage->setObjectName(QStringLiteral("closeImage"));
    m_closeImage->setToolTip(QStringLiteral("Close window"));
    m_closeImage->setPixmap(Pictures::closeIcon());
    m_closeImage->setCursor(Qt::PointingHandCursor);
    m_closeImage->installEventFilter(this);

    auto *frameLayout = new QVBoxLayout(m_mainFrame);
    frameLayout->setContentsMargins(0, 0, 0, 0);
    frameLayout->addWidget(m_mainTxt);

    auto *top = new QHBoxLayout;
    top->addStretch(1);
    top->addWidget(m_closeImage);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(8, 6, 8, 8);
    layout->addLayout(top);
    layout->addWidget(m_mainFrame, 1);
}

void frmDetail::setDetail(const QString &txt, const QString &title)
{
    // Emptied first so that the new text is shown from its top.
    m_mainTxt->setPlainText(QString());
    m_mainTxt->setPlainText(txt);
    show();
    raise();
    setWindowTitle(title);
}

QString frmDetail::text() const
{
    return m_mainTxt->toPlainText();
}

// Esc does what the close picture does, as it closes a dialog: the window
// hides and keeps its text.
void frmDetail::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        event->accept();
        hide();
        return;
    }
    QWidget::keyPressEvent(event);
}

bool frmDetail::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_closeImage && event->type() == QEvent::MouseButtonRelease) {
        hide();
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

} // namespace quorvane
