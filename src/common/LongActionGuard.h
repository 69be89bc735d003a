#pragma once

#include <QtGlobal>

#include <functional>
#include <optional>

namespace quorvane {

// One guard for all long user actions (Load VOBs, opening a VOB, fix and
// synchronize, a replica's details): while one runs, the event pumping lets further clicks
// through, and those are ignored instead of running inside the first.
class LongActionGuard final {
public:
    class Scope final {
    public:
        explicit Scope(LongActionGuard &g) : m_guard(&g) { m_guard->m_running = true; }
        Scope(Scope &&other) noexcept : m_guard(other.m_guard) { other.m_guard = nullptr; }
        Scope(const Scope &) = delete;
        Scope &operator=(const Scope &) = delete;
        Scope &operator=(Scope &&) = delete;
        ~Scope()
        {
            if (!m_guard)
                return;
            m_guard->m_running = false;
            if (m_guard->m_onFree)
                m_guard->m_onFree();
        }

    private:
        LongActionGuard *m_guard;
    };

    LongActionGuard() = default;
    Q_DISABLE_COPY_MOVE(LongActionGuard)

    // Empty when a long action already runs; the caller then does nothing.
    [[nodiscard]] std::optional<Scope> tryEnter()
    {
        if (m_running)
            return std::nullopt;
        return std::optional<Scope>(std::in_place, *this);
    }
    [[nodiscard]] bool running() const { return m_running; }

    // Called each time a long action has ended, still inside the end of its
    // scope: whatever it starts should be queued, not run there.
    void setOnFree(std::function<void()> onFree) { m_onFree = std::move(onFree); }

private:
    bool m_running = false;
    std::function<void()> m_onFree;
};

} // namespace quorvane
