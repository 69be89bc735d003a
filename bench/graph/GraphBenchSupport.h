#pragma once

#include "ui/Dialogs.h"
#include "ui/Feedback.h"

#include <QStringList>

namespace quorvane::bench {

// Feedback that shows nothing: the benchmarks and the screenshot program
// run without a main window.
class QuietFeedback final : public Feedback, private Dialogs {
public:
    void setBusy(bool, const QString &) override {}
    void setHourglass(bool) override {}
    void setStatus(const QString &) override {}
    [[nodiscard]] QString status() const override { return QStringLiteral("Status"); }
    void setMsg(const QString &, const QString &) override {}
    void hideWorking() override {}
    void setDetail(const QString &, const QString &) override {}
    Dialogs &dialogs() override { return *this; }

private:
    MsgResult msgBox(const QString &, MsgButtons, MsgIcon, const QString &) override { return MsgResult::Ok; }
    QString inputBox(const QString &, const QString &, const QString &) override { return QString(); }
};

// lsreplica output split at commas for n replicas of /vobs/dev: every
// masterEvery-th replica masters itself and the replicas after it up to the
// next master.
inline QStringList replicaFields(const QStringList &names, int masterEvery)
{
    QStringList fields;
    QString master;
    for (int i = 0; i < names.size(); ++i) {
        if (i % masterEvery == 0)
            master = names.at(i);
        fields << names.at(i) << QStringLiteral("15-Aug-00.14:19:03")
               << QStringLiteral("host%1").arg(i) << master + QStringLiteral("@/vobs/dev");
    }
    fields << QString();
    return fields;
}

inline QStringList numberedNames(int n)
{
    QStringList names;
    for (int i = 1; i <= n; ++i)
        names << QStringLiteral("site%1").arg(i);
    return names;
}

} // namespace quorvane::bench
