#pragma once

#include "common/Dialogs.h"
#include "common/Feedback.h"

#include <cstdio>

namespace quorvane::bench {

// Boxes of programs that run without a user: written to stderr, answered OK,
// and counted, so that a benchmark can refuse figures from a run that failed.
class PrintingDialogs final : public Dialogs {
public:
    MsgResult msgBox(const QString &prompt, MsgButtons, MsgIcon, const QString &title) override
    {
        std::fprintf(stderr, "box: %s: %s\n", qPrintable(title), qPrintable(prompt));
        ++shown;
        return MsgResult::Ok;
    }
    QString inputBox(const QString &, const QString &, const QString &) override { return {}; }

    int shown = 0;
};

// The main window's feedback without the window: the status line is kept,
// the working dialog and the detail window are not drawn.
class BenchFeedback final : public Feedback {
public:
    void setBusy(bool busy, const QString &message) override
    {
        m_status = busy ? QStringLiteral("Working...") + message : QStringLiteral("Status");
    }
    void setHourglass(bool) override {}
    void setStatus(const QString &text) override { m_status = text; }
    [[nodiscard]] QString status() const override { return m_status; }
    void setMsg(const QString &, const QString &) override {}
    void hideWorking() override {}
    void setDetail(const QString &, const QString &) override {}
    Dialogs &dialogs() override { return m_dialogs; }
    [[nodiscard]] int boxes() const { return m_dialogs.shown; }

private:
    PrintingDialogs m_dialogs;
    QString m_status = QStringLiteral("Status");
};

} // namespace quorvane::bench
