#pragma once

#include <QString>

#include <functional>

namespace quorvane {

// A wait for ClearCase that the user can stop: the shell's wait for a
// process, cleartool's wait for a reply. The window learns from the
// observer when there is something to stop and stops it with cancel().
class CommandWait {
public:
    virtual ~CommandWait() = default;

    // Ends what is being waited for; the wait then returns (or fails) as
    // cancelled. Does nothing while nothing is waited for.
    virtual void cancel() = 0;

    // Told true and the command when a wait begins that cancel() can end,
    // false when that wait is over. A wrapper passes both this and cancel()
    // on to what it wraps.
    using WaitObserver = std::function<void(bool waiting, const QString &commandLine)>;
    virtual void setWaitObserver(WaitObserver observer) { m_waitObserver = std::move(observer); }

protected:
    void waiting(bool on, const QString &commandLine) const
    {
        if (m_waitObserver)
            m_waitObserver(on, commandLine);
    }
    [[nodiscard]] bool observed() const { return bool(m_waitObserver); }

private:
    WaitObserver m_waitObserver;
};

} // namespace quorvane
