#pragma once

#include "common/Dialogs.h"

#include <QPointer>

#include <functional>

class QDialog;
class QWidget;

namespace quorvane {

// The program's real message and input boxes.
class RealDialogs final : public Dialogs {
public:
    explicit RealDialogs(QWidget *parent = nullptr) : m_parent(parent) {}
    void setParent(QWidget *parent) { m_parent = parent; }

    MsgResult msgBox(const QString &prompt, MsgButtons buttons, MsgIcon icon,
                     const QString &title) override;
    QString inputBox(const QString &prompt, const QString &title, const QString &defaultText) override;

    // The program ends on a request from outside (a signal, the session's
    // end) and no one may be there to answer: from now on a box is written
    // through `report` instead of shown, and answers as if closed (OK, or
    // Cancel where it offers one; an input box answers nothing). A box open
    // now is answered the same way.
    void setUnattended(std::function<void(const QString &)> report);

private:
    QWidget *m_parent = nullptr;
    std::function<void(const QString &)> m_unattended;
    // The box or input box being shown, with its text.
    QPointer<QDialog> m_open;
    QString m_openText;
};

} // namespace quorvane
