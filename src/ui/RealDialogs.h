#pragma once

#include "ui/Dialogs.h"

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

private:
    QWidget *m_parent = nullptr;
};

} // namespace quorvane
