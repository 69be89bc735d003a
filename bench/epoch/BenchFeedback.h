#pragma once

#include "ui/Dialogs.h"
#include "ui/Feedback.h"

#include <QTextStream>

namespace quorvane::bench {

// Feedback for programs that run without a user: boxes go to stderr.
class BenchFeedback final : public Feedback, private Dialogs {
public:
    void setBusy(bool, const QString &) override {}
    void setHourglass(bool) override {}
    void setStatus(const QString &) override {}
    [[nodiscard]] QString status() const override { return QStringLiteral("Status"); }
    void setMsg(const QString &, const QString &) override {}
    void hideWorking() override {}
    void setDetail(const QString &, const QString &) override {}
    Dialogs &dialogs() override { return *this; }

    int boxes = 0;

private:
    MsgResult msgBox(const QString &prompt, MsgButtons, MsgIcon, const QString &title) override
    {
        ++boxes;
        QTextStream(stderr) << title << ": " << prompt << '\n';
        return MsgResult::Ok;
    }
    QString inputBox(const QString &, const QString &, const QString &) override { return {}; }
};

} // namespace quorvane::bench
