#include "ui/ActionLabel.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>

namespace quorvane {

ActionLabel::ActionLabel(QWidget *parent) : QLabel(parent)
{
    setMouseTracking(true);
}

void ActionLabel::makeKeyboardAction()
{
    setFocusPolicy(Qt::StrongFocus);
    // Room for the focus frame around the caption or picture.
    setContentsMargins(3, 2, 3, 2);
}

void ActionLabel::mousePressEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton) {
        m_pressed = true;
        // A press never belongs to a double click still under way, so a lost
        // release cannot swallow the next click.
        m_inDoubleClick = false;
    }
    event->accept();
}

void ActionLabel::mouseReleaseEvent(QMouseEvent *event)
{
    const bool wasPressed = m_pressed;
    m_pressed = false;
    event->accept();
    if (event->button() != Qt::LeftButton)
        return;
    if (m_inDoubleClick) {
        // The release that ends a double click is not a click of its own.
        m_inDoubleClick = false;
        return;
    }
    if (wasPressed && rect().contains(event->position().toPoint()))
        emit clicked();
}

void ActionLabel::mouseDoubleClickEvent(QMouseEvent *event)
{
    event->accept();
    if (event->button() != Qt::LeftButton)
        return;
    m_inDoubleClick = true;
    emit doubleClicked();
}

void ActionLabel::mouseMoveEvent(QMouseEvent *event)
{
    // Taken here, so that the move does not also reach the parent as a
    // move over its free area.
    event->accept();
    emit mouseMoved();
}

void ActionLabel::keyPressEvent(QKeyEvent *event)
{
    if (focusPolicy() & Qt::TabFocus) {
        switch (event->key()) {
        case Qt::Key_Return:
        case Qt::Key_Enter:
        case Qt::Key_Space:
            if (!event->isAutoRepeat()) {
                event->accept();
                emit activated();
                return;
            }
            break;
        default:
            break;
        }
    }
    QLabel::keyPressEvent(event);
}

void ActionLabel::paintEvent(QPaintEvent *event)
{
    QLabel::paintEvent(event);
    if (!hasFocus())
        return;
    // QLabel draws no focus of its own; without a frame the keyboard user
    // cannot tell which action Return would start.
    // The style's own focus frame is faint on a picture; the selection
    // colour reads on any background.
    QPainter p(this);
    p.setPen(QPen(palette().color(QPalette::Highlight), 1));
    p.setBrush(Qt::NoBrush);
    p.drawRoundedRect(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5), 2, 2);
}

} // namespace quorvane
