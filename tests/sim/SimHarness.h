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

using namespace Qt::StringLiterals;

class BufferOutput final : public Output {
public:
    QString outText, errText, merged; // merged: both streams in the order written
    void out(const QString &text) override { outText += text, merged += text; }
    void err(const QString &text) override { errText += text, merged += text; }
};

// Nothing typed: a command that asks reads the end of input.
class NoInput final : public Input {
public:
    std::optional<QString> readLine() override { return std::nullopt; }
};

// 2026-01-DAY hh:mm UTC.
inline QDateTime at(int day, int hour, int minute = 0)
{
    return QDateTime(QDate(2026, 1, day), QTime(hour, minute), QTimeZone::utc());
}

inline QString oidOf(const QString &name)
{
    return name.leftJustified(8, u'0') + u".11111111.2222.33:44:55:66:77:88"_s;
}

// /vobs/fix: alpha (local, hosta, 10 own operations); beta (hostb, mastered
// by alpha, 5 own operations alpha lacks, has alpha's first 8, one export
// and one minor event in its history); gamma (hostc, self-mastered,
// unreachable). /vobs/plain: never replicated.
inline Region fixtureRegion()
{
    const auto replica = [](const QString &name, const QString &host, const QString &master, const Row &own) {
        Replica r;
        r.name = name, r.host = host, r.master = master, r.oid = oidOf(name), r.owner = u"vobadm"_s;
        r.created = at(2, 9), r.own = own;
        return r;
    };
    const auto vob = [](const QString &tag, const QString &storage, const QString &local, const QDateTime &created) {
        Vob v;
        v.tag = tag, v.storage = storage, v.local = local, v.created = created;
        return v;
    };
    Vob v = vob(u"/vobs/fix"_s, u"/net/hosta/vobstore/fix.vbs"_s, u"alpha"_s, at(2, 9));
    v.replicas << replica(u"alpha"_s, u"hosta"_s, u"alpha"_s, {{u"alpha"_s, 10}})
               << replica(u"beta"_s, u"hostb"_s, u"alpha"_s, {{u"alpha"_s, 8}, {u"beta"_s, 5}})
               << replica(u"gamma"_s, u"hostc"_s, u"gamma"_s, {{u"gamma"_s, 3}});
    v.replicas[1].history << HistoryEvent{at(3, 8), u"susan"_s, u"export sync from replica \"alpha\" to replica \"beta\""_s,
                                          u"line one\nline two"_s, false}
                          << HistoryEvent{at(4, 8, 30), u"ccadmin"_s, u"change master"_s, QString(), true};
    v.replicas[2].reachable = false;
    v.table.insert(u"beta"_s, {{u"alpha"_s, 8}});
    v.table.insert(u"gamma"_s, {});
    Vob plain = vob(u"/vobs/plain"_s, u"/net/hosta/vobstore/plain.vbs"_s, u"original"_s, at(1, 8));
    plain.replicas << replica(u"original"_s, u"hosta"_s, u"original"_s, {{u"original"_s, 42}});
    return Region{{v, plain}};
}

// The fixture region in a temporary folder; commands run with captured output.
struct Harness {
    QTemporaryDir dir;
    std::unique_ptr<RegionStore> store = std::make_unique<RegionStore>(dir.path());
    BufferOutput output;
    NoInput input;
    QList<int> waits;
    Context ctx{u"cleartool"_s, *store, output, input, u"tester"_s, 777, [this](int ms) { waits << ms; }};

    Harness() { store->replace(fixtureRegion()); }

    int run(const QString &tool, const QStringList &words)
    {
        output = BufferOutput();
        ctx.tool = tool;
        return Dispatcher::execute(tool, words, ctx);
    }
    int run(const QString &tool, const QString &line) { return run(tool, line.split(u' ')); }
    Vob vob(const QString &tag = u"/vobs/fix"_s) const { return *store->read().vob(tag); }
};

} // namespace quorvane::ccsim::test
