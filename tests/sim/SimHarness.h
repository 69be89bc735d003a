#pragma once

#include "sim/Dispatcher.h"
#include "sim/Region.h"
#include "sim/RegionStore.h"
#include "sim/Replication.h"
#include "sim/Tool.h"

#include <QTemporaryDir>
#include <QTimeZone>

#include <memory>

namespace quorvane::ccsim::test {

class BufferOutput final : public Output {
public:
    QString outText;
    QString errText;
    QString merged; // both streams in the order written
    void out(const QString &text) override
    {
        outText += text;
        merged += text;
    }
    void err(const QString &text) override
    {
        errText += text;
        merged += text;
    }
    void clear()
    {
        outText.clear();
        errText.clear();
        merged.clear();
    }
};

class QueueInput final : public Input {
public:
    QStringList lines;
    std::optional<QString> readLine() override
    {
        if (lines.isEmpty())
            return std::nullopt;
        return lines.takeFirst();
    }
};

// 2026-01-15 at hh:mm UTC, plus days.
inline QDateTime at(int day, int hour, int minute = 0)
{
    return QDateTime(QDate(2026, 1, day), QTime(hour, minute), QTimeZone::utc());
}

inline QString oidOf(const QString &name)
{
    return name.leftJustified(8, QLatin1Char('0')) + QStringLiteral(".11111111.2222.33:44:55:66:77:88");
}

inline Replica replica(const QString &name, const QString &host, const QString &master, const Row &own)
{
    Replica r;
    r.name = name;
    r.host = host;
    r.master = master;
    r.oid = oidOf(name);
    r.owner = QStringLiteral("vobadm");
    r.created = at(2, 9);
    r.own = own;
    return r;
}

// /vobs/fix: alpha (local, hosta), beta (hostb, mastered by alpha), gamma
// (hostc, self-mastered, unreachable); /vobs/plain: never replicated.
// alpha has 10 of its own operations, beta 5 of its own that alpha has not
// imported; beta has received alpha's first 8.
inline Region fixtureRegion()
{
    Vob v;
    v.tag = QStringLiteral("/vobs/fix");
    v.storage = QStringLiteral("/net/hosta/vobstore/fix.vbs");
    v.local = QStringLiteral("alpha");
    v.created = at(2, 9);
    v.replicas << replica(QStringLiteral("alpha"), QStringLiteral("hosta"), QStringLiteral("alpha"),
                          {{QStringLiteral("alpha"), 10}})
               << replica(QStringLiteral("beta"), QStringLiteral("hostb"), QStringLiteral("alpha"),
                          {{QStringLiteral("alpha"), 8}, {QStringLiteral("beta"), 5}})
               << replica(QStringLiteral("gamma"), QStringLiteral("hostc"), QStringLiteral("gamma"),
                          {{QStringLiteral("gamma"), 3}});
    v.replicas[2].reachable = false;
    v.table.insert(QStringLiteral("beta"), {{QStringLiteral("alpha"), 8}});
    v.table.insert(QStringLiteral("gamma"), {});

    Vob plain;
    plain.tag = QStringLiteral("/vobs/plain");
    plain.storage = QStringLiteral("/net/hosta/vobstore/plain.vbs");
    plain.local = QStringLiteral("original");
    plain.created = at(1, 8);
    plain.replicas << replica(QStringLiteral("original"), QStringLiteral("hosta"), QStringLiteral("original"),
                              {{QStringLiteral("original"), 42}});
    Region region;
    region.vobs << v << plain;
    return region;
}

// A region in a temporary folder and a context whose output is captured.
struct Harness {
    QTemporaryDir dir;
    std::unique_ptr<RegionStore> store;
    BufferOutput output;
    QueueInput input;
    QList<int> waits;
    std::unique_ptr<Context> ctx;

    explicit Harness(const QString &tool = QStringLiteral("cleartool"))
    {
        store = std::make_unique<RegionStore>(dir.path());
        store->replace(fixtureRegion());
        ctx.reset(new Context{tool, *store, output, input, QStringLiteral("tester"), 777,
                              [this](int ms) { waits << ms; }});
    }

    int run(const QString &tool, const QStringList &words)
    {
        output.clear();
        ctx->tool = tool;
        return Dispatcher::execute(tool, words, *ctx);
    }
    Vob vob(const QString &tag = QStringLiteral("/vobs/fix")) const { return *store->read().vob(tag); }
};

} // namespace quorvane::ccsim::test
