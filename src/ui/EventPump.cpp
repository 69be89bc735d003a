#include "ui/EventPump.h"

#include <QCoreApplication>
#include <QEvent>
#include <QTimer>

#include <algorithm>

namespace quorvane {

namespace {
bool g_running = false;
} // namespace

void EventPump::run(QEventLoop::ProcessEventsFlags flags)
{
    if (g_running)
        return;
    g_running = true;
    // Reset also when a handler throws out of the pump.
    struct Reset {
        ~Reset() { g_running = false; }
    } reset;
    QCoreApplication::processEvents(flags);
}

bool EventPump::running()
{
    return g_running;
}

FramePacer::FramePacer(QObject *parent) : QObject(parent) {}

void FramePacer::watch(QObject *widget)
{
    if (!widget || m_watched.contains(widget))
        return;
    m_watched << widget;
    connect(widget, &QObject::destroyed, this, [this, widget] {
        m_watched.removeAll(widget);
        m_frames.remove({widget, QEvent::UpdateRequest});
        m_frames.remove({widget, QEvent::LayoutRequest});
    });
}

void FramePacer::setActive(bool active)
{
    if (active == m_active)
        return;
    m_active = active;
    // On the application: a widget's layout takes its layout request before
    // the widget's own event filters see it.
    if (active) {
        QCoreApplication::instance()->installEventFilter(this);
        return;
    }
    QCoreApplication::instance()->removeEventFilter(this);
    const QList<Key> keys = m_frames.keys();
    for (const Key &key : keys) {
        if (m_frames.value(key).waiting)
            release(key);
    }
}

bool FramePacer::eventFilter(QObject *watched, QEvent *event)
{
    const int type = event->type();
    if (type != QEvent::UpdateRequest && type != QEvent::LayoutRequest)
        return false;
    if (!m_active || !m_watched.contains(watched))
        return false;
    Frame &frame = m_frames[{watched, type}];
    if (frame.releasing || !frame.last.isValid() || frame.last.elapsed() >= FrameMs) {
        // Qt sends no other paint request until this one is handled, and one
        // layout pass settles every change made before it: the request let
        // through covers everything held meanwhile.
        frame.releasing = false;
        frame.last.start();
        return false;
    }
    ++m_held;
    if (!frame.waiting) {
        frame.waiting = true;
        const int due = int(std::max<qint64>(0, FrameMs - frame.last.elapsed()));
        QTimer::singleShot(due, this, [this, key = Key{watched, type}, alive = QPointer<QObject>(watched)] {
            if (alive)
                release(key);
        });
    }
    return true;
}

void FramePacer::release(const Key &key)
{
    const auto it = m_frames.find(key);
    if (it == m_frames.end() || !it->waiting)
        return;
    it->waiting = false;
    it->releasing = true;
    QCoreApplication::postEvent(key.first, new QEvent(QEvent::Type(key.second)), Qt::LowEventPriority);
}

} // namespace quorvane
