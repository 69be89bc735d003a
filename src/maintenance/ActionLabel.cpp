#include "maintenance/ActionLabel.h"

#include <QMouseEvent>

namespace quorvane {

ActionLabel::ActionLabel(QWidget *parent) : QLabel(parent)
{
    setMouseTracking(true);
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

} // namespace quorvane
