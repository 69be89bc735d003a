#pragma once

#include <QObject>
#include <QPointer>

#include <functional>

class QWidget;

namespace quorvane {

// While open to a window, user input reaches that window alone (and a modal
// box opened meanwhile, which must stay answerable): what the user does
// anywhere else is dropped, as a modal dialog drops input for the windows it
// blocks. Events that are not input (timers, painting, a close
// asked for by the desktop) pass as ever. The main window opens it to the
// working dialog while a cleartool command is waited for, so that the
// dialog's Cancel can be pressed and nothing else can start inside the
// command.
class InputGate final : public QObject {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(InputGate)
public:
    explicit InputGate(QObject *parent = nullptr);
    ~InputGate() override;

    // Input reaches `window` (and what it holds) alone from now on; null
    // lets it reach every window again.
    void openOnlyTo(QWidget *window);
    [[nodiscard]] bool isOpenOnlyTo(const QWidget *window) const { return m_window && m_window == window; }
    // Esc pressed anywhere while the gate is open runs this instead of being
    // dropped: the window that offers Cancel may not take the keyboard.
    void setOnEscape(std::function<void()> onEscape) { m_onEscape = std::move(onEscape); }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    [[nodiscard]] bool reaches(QObject *receiver) const;

    QPointer<QWidget> m_window;
    std::function<void()> m_onEscape;
    bool m_installed = false;
};

} // namespace quorvane
