#pragma once

#include "common/Dialogs.h"

#include <QList>
#include <QQueue>
#include <QString>
#include <QStringList>

namespace quorvane::test {

// Records every box asked for and answers from queues (OK and the empty
// string when a queue is empty).
class ScriptedDialogs final : public Dialogs {
public:
    struct Box {
        QString prompt;
        MsgButtons buttons;
        MsgIcon icon;
        QString title;
    };
    struct Input {
        QString prompt;
        QString title;
        QString defaultText;
    };

    MsgResult msgBox(const QString &prompt, MsgButtons buttons, MsgIcon icon,
                     const QString &title) override
    {
        boxes.append({prompt, buttons, icon, title});
        return msgAnswers.isEmpty() ? MsgResult::Ok : msgAnswers.dequeue();
    }

    QString inputBox(const QString &prompt, const QString &title, const QString &defaultText) override
    {
        inputs.append({prompt, title, defaultText});
        return inputAnswers.isEmpty() ? QString() : inputAnswers.dequeue();
    }

    QStringList prompts() const
    {
        QStringList out;
        for (const Box &b : boxes)
            out << b.prompt;
        return out;
    }

    QList<Box> boxes;
    QList<Input> inputs;
    QQueue<MsgResult> msgAnswers;
    QQueue<QString> inputAnswers;
};

} // namespace quorvane::test
