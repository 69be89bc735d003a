#pragma once

#include "support/ScriptedDialogs.h"
#include "common/Feedback.h"

#include <QStringList>

namespace quorvane::test {

// Records the feedback calls of a subsystem under test, in order, as text:
// "busy:1:msg", "busy:0:", "hourglass:1", "status:text", "msg:text",
// "hideWorking", "detail:title".
class FakeFeedback final : public Feedback {
public:
    void setBusy(bool busy, const QString &message) override
    {
        calls << QStringLiteral("busy:%1:%2").arg(busy ? 1 : 0).arg(message);
        busyOn = busy;
        m_status = busy ? QStringLiteral("Working...") + message : QStringLiteral("Status");
    }
    void setHourglass(bool on) override { calls << QStringLiteral("hourglass:%1").arg(on ? 1 : 0); }
    void setStatus(const QString &text) override
    {
        calls << QStringLiteral("status:") + text;
        m_status = text;
    }
    QString status() const override { return m_status; }
    void setMsg(const QString &msg, const QString & = QString()) override
    {
        calls << QStringLiteral("msg:") + msg;
    }
    void hideWorking() override { calls << QStringLiteral("hideWorking"); }
    void setDetail(const QString &txt, const QString &title) override
    {
        calls << QStringLiteral("detail:") + title;
        detailText = txt;
        detailTitle = title;
    }
    Dialogs &dialogs() override { return scripted; }
    bool closing() const override { return closingNow; }

    ScriptedDialogs scripted;
    QStringList calls;
    bool busyOn = false;
    bool closingNow = false;
    QString detailText;
    QString detailTitle;

private:
    QString m_status = QStringLiteral("Status");
};

} // namespace quorvane::test
