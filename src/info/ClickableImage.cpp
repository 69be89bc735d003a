#include "info/ClickableImage.h"

#include <QMouseEvent>

namespace quorvane {

ClickableImage::ClickableImage(QWidget *parent) : QLabel(parent) { setCursor(Qt::PointingHandCursor); }

void ClickableImage::mousePressEvent(QMouseEvent *event)
{
    m_pressed = event->button() == Qt::LeftButton;
    event->accept();
}

void ClickableImage::mouseReleaseEvent(QMouseEvent *event)
{
    const bool click = m_pressed && event->button() == Qt::LeftButton && rect().contains(event->position().toPoint());
    m_pressed = false;
    event->accept();
    if (click)
        emit clicked();
}

} // namespace quorvane
