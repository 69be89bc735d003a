#pragma once

#include <QElapsedTimer>
#include <QEventLoop>
#include <QHash>
#include <QList>
#include <QObject>
#include <QPointer>

#include <utility>

namespace quorvane {

// Lets the events waiting run while a long action keeps the main thread.
// There is one pump: called again while it runs (the progress timer's tick
// falls due inside the per-VOB pump) it returns at once instead of nesting a
// second one, which would only run the same events again.
namespace EventPump {
void run(QEventLoop::ProcessEventsFlags flags = QEventLoop::AllEvents);
[[nodiscard]] bool running();
} // namespace EventPump

// Lays out and paints a window at most once per frame while a long action
// runs. One that changes a label for every object it handles, and lets
// events run after each, would otherwise lay out and draw the window every
// time; the texts are set at once, and what has changed within a frame is
// laid out and drawn together when the frame is due.
class FramePacer final : public QObject {
    Q_OBJECT
public:
    static constexpr int FrameMs = 16;

    explicit FramePacer(QObject *parent = nullptr);
    // Paces the layout and drawing of the widget (a window, or a widget
    // whose layout asks for its own passes, like a status bar); a widget is
    // watched once however often it is given.
    void watch(QObject *widget);
    // Pacing holds only while active (needs the application object); ending
    // it lets every request held so far through at once, so nothing waits
    // for a frame after the action.
    void setActive(bool active);
    [[nodiscard]] bool isActive() const { return m_active; }
    // How many requests were held back to a later frame.
    [[nodiscard]] int held() const { return m_held; }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    struct Frame {
        QElapsedTimer last;
        bool waiting = false;   // a held request is due at the next frame
        bool releasing = false; // the request now arriving is that one
    };
    using Key = std::pair<QObject *, int>; // the widget and the event type
    void release(const Key &key);

    QHash<Key, Frame> m_frames;
    QList<QObject *> m_watched;
    bool m_active = false;
    int m_held = 0;
};

} // namespace quorvane
