#include "ui/InputGate.h"

#include <QApplication>
#include <QEvent>
#include <QKeyEvent>
#include <QWidget>
#include <QWindow>

namespace quorvane {

namespace {

bool isUserInput(QEvent::Type type)
{
    switch (type) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::MouseMove:
    case QEvent::Wheel:
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::ShortcutOverride:
    case QEvent::Shortcut:
    case QEvent::ContextMenu:
    case QEvent::TouchBegin:
    case QEvent::TouchUpdate:
    case QEvent::TouchEnd:
    case QEvent::TabletPress:
    case QEvent::TabletMove:
    case QEvent::TabletRelease:
    case QEvent::DragEnter:
    case QEvent::DragMove:
    case QEvent::Drop:
        return true;
    default:
        return false;
    }
}

} // namespace

InputGate::InputGate(QObject *parent) : QObject(parent)
{
}

InputGate::~InputGate()
{
    openOnlyTo(nullptr);
}

void InputGate::openOnlyTo(QWidget *window)
{
    m_window = window;
    const bool wanted = window != nullptr && QCoreApplication::instance();
    if (wanted == m_installed)
        return;
    m_installed = wanted;
    if (wanted)
        QCoreApplication::instance()->installEventFilter(this);
    else if (QCoreApplication::instance())
        QCoreApplication::instance()->removeEventFilter(this);
}

bool InputGate::reaches(QObject *receiver) const
{
    // A box that something opens meanwhile must still be answerable, or its
    // own event loop would wait for good.
    const QWidget *modal = QApplication::activeModalWidget();
    // A shortcut's action or a QShortcut belongs to no window here: a key
    // that triggers one was pressed in another window.
    if (const auto *widget = qobject_cast<QWidget *>(receiver))
        return widget->window() == m_window || (modal && widget->window() == modal);
    if (const auto *window = qobject_cast<QWindow *>(receiver))
        return window == m_window->windowHandle() || (modal && window == modal->windowHandle());
    return false;
}

bool InputGate::eventFilter(QObject *watched, QEvent *event)
{
    if (!m_window || !isUserInput(event->type()))
        return false;
    if (reaches(watched))
        return false;
    // Dropped at its first receiver, a press goes no further: Cancel is
    // asked for once.
    if (event->type() == QEvent::KeyPress && m_onEscape &&
        static_cast<QKeyEvent *>(event)->key() == Qt::Key_Escape) {
        event->accept();
        m_onEscape();
        return true;
    }
    event->accept(); // dropped, not passed on to a parent
    return true;
}

} // namespace quorvane
