#pragma once

#include "common/Dialogs.h"

#include <QList>
#include <QQueue>
#include <QString>
#include <QStringList>

namespace quorvane::test {

// Records every box asked for and answers it with OK; input boxes answer
// from a queue (the empty string when it is empty).
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
        return MsgResult::Ok;
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
    QQueue<QString> inputAnswers;
};

} // namespace quorvane::test
