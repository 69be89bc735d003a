#include "SimHarness.h"

#include "sim/CommandError.h"
#include "sim/CommandLine.h"
#include "sim/DemoRegion.h"
#include "sim/FormatEngine.h"

#include <QFile>
#include <QTest>

using namespace quorvane::ccsim;
using namespace quorvane::ccsim::test;

namespace {

const QString CT = u"cleartool"_s, MT = u"multitool"_s, SIM = u"ccsim"_s;
const QString kAlpha = u"alpha"_s, kFix = u"/vobs/fix"_s, kError = u"<error>"_s;
const QString kOidA = oidOf(kAlpha), kOidB = oidOf(u"beta"_s), kOidC = oidOf(u"gamma"_s);
const QString kRow = u"alpha=8 beta=0 gamma=0"_s; // beta's row of the fixture's local table
const QString kExported = u"export sync from replica \"alpha\" to replica \"beta\""_s;

qint64 alphaOwn(const Region &region) { return region.vob(kFix)->localReplica().own.value(kAlpha); }
void work(const RegionStore &store, qint64 n)
{
    store.modify([n](Region &r) { r.vob(kFix)->localReplica().own[kAlpha] += n; });
}

// Every reachable replica holds what the local one holds, and the local table says so.
bool inStep(const Vob &v)
{
    const Row mine = completeRow(v, v.localReplica().own);
    for (const Replica &r : v.replicas)
        if (r.reachable && (completeRow(v, r.own) != mine || v.localRow(r.name) != mine))
            return false;
    return true;
}

} // namespace

// The simulated region in-process: format engine, tokenizer, demo region,
// the store, and every command against the formats ClearCase prints, on the
// fixture family of SimHarness.h. Runs with TZ=Europe/Paris.
class TestSimCommands : public QObject {
    Q_OBJECT
private slots:
    void expand_data()
    {
        QTest::addColumn<QString>("format");
        QTest::addColumn<QString>("expected");
        QTest::newRow("event, numeric date, comment") << u"%e,%Nd,%c"_s << u"create replica \"beta\",20260102.100000,line one\nline two"_s;
        QTest::newRow("tab and percent") << u"%n\\t100%%"_s << u"beta\t100%"_s;
        QTest::newRow("quote, backslash, octal") << u"\\'%n\\'\\\\\\101\\0122"_s << u"'beta'\\A\n2"_s;
        QTest::newRow("unknown escape, missing property") << u"\\dev[%[owner]p]"_s << u"\\dev[]"_s;
        QTest::newRow("unknown letter") << u"%n,%x"_s << kError;
        QTest::newRow("unclosed property") << u"%[replica_host"_s << kError;
        QTest::newRow("property without p") << u"%[replica_host]"_s << kError;
        QTest::newRow("N without d") << u"%Nn"_s << kError;
        QTest::newRow("lone percent") << u"100%"_s << kError;
    }
    void expand()
    {
        QFETCH(QString, format);
        QFETCH(QString, expected);
        FormatFields f;
        f.name = u"beta"_s, f.date = at(2, 9), f.user = u"vobadm"_s, f.event = u"create replica \"beta\""_s;
        f.comment = u"line one\nline two"_s;
        f.properties = {{u"replica_host"_s, u"hostb"_s}, {u"master"_s, u"alpha@/vobs/fix"_s}, {u"replica_name"_s, u"beta"_s}};
        if (expected == kError)
            QVERIFY_THROWS_EXCEPTION(CommandError, FormatEngine::expand(format, f));
        else
            QCOMPARE(FormatEngine::expand(format, f), expected);
    }

    // The command lines Quorvane sends, split as cleartool splits them.
    void tokenize_data()
    {
        QTest::addColumn<QString>("line");
        QTest::addColumn<QStringList>("words");
        QTest::newRow("backslashes kept") << u"lshistory -fmt \"%u\\n\" replica:b@\\dev"_s
                                          << QStringList{u"lshistory"_s, u"-fmt"_s, u"%u\\n"_s, u"replica:b@\\dev"_s};
        QTest::newRow("blanks, tabs, CR LF") << u"  lsvob \t -s  \r\n"_s << QStringList{u"lsvob"_s, u"-s"_s};
        QTest::newRow("quotes inside a word, empty word") << u"a\"b c\"d 'e f' \"\" x"_s
                                                          << QStringList{u"ab cd"_s, u"e f"_s, QString(), u"x"_s};
        QTest::newRow("nothing") << u"   "_s << QStringList{};
        QTest::newRow("unmatched quote") << u"desc -fmt \"%n vob:/x"_s << QStringList{kError};
    }
    void tokenize()
    {
        QFETCH(QString, line);
        QFETCH(QStringList, words);
        if (words == QStringList{kError})
            QVERIFY_THROWS_EXCEPTION(CommandError, CommandLine::split(line));
        else
            QCOMPARE(CommandLine::split(line), words);
        if (!words.isEmpty())
            QCOMPARE(CommandLine::split(CommandLine::join(words)), words);
    }

    void demoRegion()
    {
        const Region demo = DemoRegion::build(at(20, 10));
        QCOMPARE(demo.vobs.size(), 13);
        QStringList replicated;
        for (const Vob &v : demo.vobs) {
            if (v.isReplicated())
                replicated << v.tag;
            else
                QCOMPARE(v.replicaNames(), QStringList{u"original"_s});
            for (const Replica &r : v.replicas)
                for (const HistoryEvent &e : r.history)
                    QVERIFY2(e.date < at(20, 10), qPrintable(v.tag + u' ' + e.event));
        }
        QCOMPARE(replicated, (QStringList{u"/vobs/dev"_s, u"/vobs/tools"_s, u"/vobs/web"_s, u"/vobs/core"_s, u"/vobs/docs"_s}));
        QCOMPARE(Region::fromJson(demo.toJson()).toJson(), demo.toJson());
        QVERIFY_THROWS_EXCEPTION(CommandError, Region::fromJson(QJsonObject{{u"format"_s, 7}}));
    }

    // Which demo families start out of step; the program's repair mends them.
    void demoFamiliesRepairable_data()
    {
        QTest::addColumn<QString>("tag");
        QTest::addColumn<bool>("inSyncAtStart");
        QTest::addColumn<QString>("lostTo"); // "": nothing lost
        QTest::newRow("dev") << u"/vobs/dev"_s << true << QString();
        QTest::newRow("tools: lost packet") << u"/vobs/tools"_s << false << u"london"_s;
        QTest::newRow("web: unreachable sydney") << u"/vobs/web"_s << true << u"sydney"_s;
        QTest::newRow("core") << u"/vobs/core"_s << false << QString();
        QTest::newRow("docs") << u"/vobs/docs"_s << false << QString();
    }
    void demoFamiliesRepairable()
    {
        QFETCH(QString, tag);
        QFETCH(bool, inSyncAtStart);
        QFETCH(QString, lostTo);
        Region demo = DemoRegion::build(at(20, 10));
        Vob &v = *demo.vob(tag);
        QCOMPARE(inStep(v), inSyncAtStart);
        QCOMPARE(v.lost.isEmpty() ? QString() : v.lost.first().to, lostTo);
        if (tag == u"/vobs/tools"_s) // the lost packet: estimate ahead, a later packet waiting
            QVERIFY(v.localRow(lostTo).value(v.local) > v.replica(lostTo)->own.value(v.local)
                    && v.replica(lostTo)->incoming.size() == 1);
        const Moment m{at(21, 10), u"tester"_s, 1};
        for (const Replica &r : std::as_const(v.replicas))
            if (r.name != v.local && r.reachable)
                Replication::takeActual(v, r.name, false);
        Replication::importReceive(v, m);
        for (const QString &name : v.replicaNames())
            if (name != v.local)
                Replication::exportTo(v, name, m);
        QVERIFY(inStep(v));
    }

    // A co-process answers from the kept region: it must never lose or hide a change.
    void storeKeepsRegionSafe()
    {
        Harness h;
        // Read-only use parses nothing again.
        for (int i = 0; i < 3; ++i)
            QCOMPARE(h.run(u"cleartool"_s, u"lsvob -s"_s), 0);
        QCOMPARE(h.store->loads(), 0);
        // A change starts from the freshest state: another store's 5 survive.
        work(RegionStore(h.dir.path()), 5);
        work(*h.store, 1);
        QCOMPARE(alphaOwn(RegionStore(h.dir.path()).read()), 16);
        // A change that fails leaves nothing behind, on disk or in memory.
        QVERIFY_THROWS_EXCEPTION(CommandError, h.store->modify([](Region &r) {
            r.vob(kFix)->localReplica().own[kAlpha] = 99;
            throw CommandError(u"refused"_s);
        }));
        QCOMPARE(alphaOwn(h.store->read()), 16);
        QCOMPARE(alphaOwn(RegionStore(h.dir.path()).read()), 16);
        // A damaged file is reported, not masked by the kept copy.
        QFile file(h.store->stateFile());
        QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write("{ \"format\": 1, \"vobs\": [");
        file.close();
        QCOMPARE(h.run(u"cleartool"_s, u"lsvob -s"_s), 1);
        QVERIFY2(h.output.errText.contains(u"is damaged"_s), qPrintable(h.output.errText));
        QCOMPARE(h.output.outText, QString());
        // A region used for the first time is seeded with the demo.
        QVERIFY(RegionStore(h.dir.filePath(u"new"_s)).read().vob(u"/vobs/dev"_s));
    }
    // Each command's output (both streams, in order) against the formats
    // ClearCase prints, and what it left in the local table; a failing
    // command changes nothing.
    void commands_data()
    {
        QTest::addColumn<QString>("tool");
        QTest::addColumn<QString>("line");
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("expected");
        QTest::addColumn<QString>("estimate"); // beta's row of the local table afterwards
        QTest::newRow("lsvob -short") << CT << u"lsvob -short"_s << 0 << u"/vobs/fix\n/vobs/plain\n"_s << kRow;
        QTest::newRow("lsvob") << CT << u"lsvob /vobs/fix"_s << 0 << u"* /vobs/fix /net/hosta/vobstore/fix.vbs public (replicated)\n"_s << kRow;
        QTest::newRow("replica list") << CT << u"lsreplica -fmt \"%n,%d,%[replica_host]p,%[master]p,\" -invob /vobs/fix"_s << 0
                                      << u"alpha,2026-01-02T10:00:00+01:00,hosta,alpha@/vobs/fix,"
                                         "beta,2026-01-02T10:00:00+01:00,hostb,alpha@/vobs/fix,"
                                         "gamma,2026-01-02T10:00:00+01:00,hostc,gamma@/vobs/fix,"_s << kRow;
        QTest::newRow("siblings, abbreviated") << CT << u"lsreplica -sib -s -inv /vobs/fix"_s << 0 << u"beta\ngamma\n"_s << kRow;
        QTest::newRow("all short") << CT << u"lsreplica -short -invob /vobs/fix"_s << 0 << u"alpha\nbeta\ngamma\n"_s << kRow;
        QTest::newRow("unreplicated siblings") << CT << u"lsreplica -siblings -s -invob /vobs/plain"_s << 0 << QString() << kRow;
        QTest::newRow("unreplicated short") << CT << u"lsreplica -s -invob /vobs/plain"_s << 0 << u"original\n"_s << kRow;
        QTest::newRow("local replica") << CT << u"desc -fmt \"%[replica_name]p\" vob:/vobs/fix"_s << 0 << u"alpha"_s << kRow;
        QTest::newRow("describe replica") << CT << u"describe -fmt \"%n\\t%[master]p\\t%[replica_host]p\\n\" replica:beta@/vobs/fix"_s << 0
                                          << u"beta\talpha@/vobs/fix\thostb\n"_s << kRow;
        QTest::newRow("sync dates") << CT << u"lshistory -fmt \"%e,%d,\" replica:beta@/vobs/fix"_s << 0
                                    << QString(kExported + u",2026-01-03T09:00:00+01:00,"_s) << kRow;
        QTest::newRow("history detail") << CT << u"lshistory -fmt \"Date:%d User:%u\\n%c\\n\" replica:beta@/vobs/fix"_s << 0
                                        << u"Date:2026-01-03T09:00:00+01:00 User:susan\nline one\nline two\n"_s << kRow;
        QTest::newRow("minor, newest first") << CT << u"lshistory -minor -fmt %e| replica:beta@/vobs/fix"_s << 0
                                             << QString(u"change master|"_s + kExported + u'|') << kRow;
        QTest::newRow("no history") << CT << u"lshistory -fmt %e replica:alpha@/vobs/fix"_s << 0 << QString() << kRow;
        QTest::newRow("local epoch table") << MT << u"lsepoch -invob /vobs/fix"_s << 0
                                           << u"For VOB replica \"/vobs/fix\":\n"
                                              "Oplog IDs for row \"alpha\" (@ hosta):\n"
                                              " oid:%1=10      (alpha)\n oid:%2=0       (beta)\n oid:%3=0       (gamma)\n"
                                              "Oplog IDs for row \"beta\" (@ hostb):\n"
                                              " oid:%1=8       (alpha)\n oid:%2=0       (beta)\n oid:%3=0       (gamma)\n"
                                              "Oplog IDs for row \"gamma\" (@ hostc):\n"
                                              " oid:%1=0       (alpha)\n oid:%2=0       (beta)\n oid:%3=0       (gamma)\n"_s.arg(kOidA, kOidB, kOidC) << kRow;
        QTest::newRow("chepoch -actual") << MT << u"chepoch -actual beta@/vobs/fix"_s << 0
                                         << u"Entry for             beta changed from:           0 to           5\n"_s
                                         << u"alpha=8 beta=5 gamma=0"_s; // the actual row
        QTest::newRow("unknown vob") << CT << u"lsreplica -s -invob /vobs/none"_s << 1
                                     << u"cleartool: Error: Unable to determine VOB for pathname \"/vobs/none\".\n"_s << kRow;
        QTest::newRow("unknown replica") << CT << u"lshistory -fmt %e replica:delta@/vobs/fix"_s << 1
                                         << u"cleartool: Error: Replica \"delta\" not found in VOB \"/vobs/fix\".\n"_s << kRow;
        QTest::newRow("unknown option") << CT << u"lsvob -bogus"_s << 1 << u"cleartool: Error: Unrecognized option \"-bogus\"\n"_s << kRow;
        QTest::newRow("too short an option") << CT << u"lsreplica -si -invob /vobs/fix"_s << 1
                                             << u"cleartool: Error: Unrecognized option \"-si\"\n"_s << kRow;
        QTest::newRow("unknown command") << CT << u"mkelem x"_s << 1 << u"cleartool: Error: Unrecognized command: \"mkelem\"\n"_s << kRow;
        QTest::newRow("multitool only") << CT << u"lsepoch -invob /vobs/fix"_s << 1
                                        << u"cleartool: Error: Unrecognized command: \"lsepoch\"\n"_s << kRow;
        QTest::newRow("fmt and short") << CT << u"lsreplica -s -fmt %n -invob /vobs/fix"_s << 1
                                       << u"cleartool: Error: Only one of \"-fmt\", \"-short\" and \"-long\" may be given.\n"_s << kRow;
        QTest::newRow("bad directive") << CT << u"desc -fmt %q vob:/vobs/fix"_s << 1
                                       << u"cleartool: Error: Unknown format directive \"%q\" in \"%q\".\n"_s << kRow;
        QTest::newRow("chepoch own row") << MT << u"chepoch -force alpha@/vobs/fix alpha=3"_s << 1
                                         << u"multitool: Error: Cannot change the epoch row of the current replica \"alpha\": it records the replica's actual state.\n"_s << kRow;
        QTest::newRow("chepoch -actual unreachable") << MT << u"chepoch -actual gamma@/vobs/fix"_s << 1
                                                     << u"multitool: Error: Unable to contact replica \"gamma\" on host \"hostc\": the host is not reachable.\n"_s << kRow;
        QTest::newRow("export to self") << MT << u"syncreplica -export -fship alpha@/vobs/fix"_s << 1
                                        << u"multitool: Error: Cannot export to the current replica \"alpha\".\n"_s << kRow;
        QTest::newRow("lsepoch -actual goes on after an unreachable host")
            << MT << u"lsepoch -actual gamma@/vobs/fix beta@/vobs/fix"_s << 1
            << u"multitool: Error: Unable to contact replica \"gamma\" on host \"hostc\": the host is not reachable.\n"
               "For VOB replica \"/vobs/fix\":\nOplog IDs for row \"beta\" (@ hostb):\n"
               " oid:%1=8       (alpha)\n oid:%2=5       (beta)\n oid:%3=0       (gamma)\n"_s.arg(kOidA, kOidB, kOidC) << kRow;
        const QString force = u"chepoch -force beta@/vobs/fix "_s;
        const QString invalid = u"multitool: Error: Invalid epoch number \"%1\" for \"alpha\": give a whole number from 0 to 2147483647.\n"_s;
        QTest::newRow("chepoch -force") << MT << force + u"alpha=42"_s << 0 << u"Epoch row successfully set.\n"_s << u"alpha=42 beta=0 gamma=0"_s;
        QTest::newRow("largest") << MT << force + u"alpha=2147483647"_s << 0 << u"Epoch row successfully set.\n"_s << u"alpha=2147483647 beta=0 gamma=0"_s;
        QTest::newRow("by oid") << MT << force + u"oid:%1=7"_s.arg(kOidA) << 0 << u"Epoch row successfully set.\n"_s << u"alpha=7 beta=0 gamma=0"_s;
        QTest::newRow("too large") << MT << force + u"alpha=2147483648"_s << 1 << invalid.arg(u"2147483648"_s) << kRow;
        QTest::newRow("negative") << MT << force + u"alpha=-1"_s << 1 << invalid.arg(u"-1"_s) << kRow;
        QTest::newRow("letters") << MT << force + u"alpha=<epoch>"_s << 1 << invalid.arg(u"<epoch>"_s) << kRow;
        QTest::newRow("blank padded") << MT << force + u"\"alpha= 4\""_s << 1 << invalid.arg(u" 4"_s) << kRow;
        QTest::newRow("unknown origin") << MT << force + u"delta=4"_s << 1 << u"multitool: Error: Replica \"delta\" not found in VOB \"/vobs/fix\".\n"_s << kRow;
        QTest::newRow("no equals") << MT << force + u"alpha"_s << 1 << u"multitool: Error: Invalid epoch specification \"alpha\": expected NAME=NUMBER.\n"_s << kRow;
    }
    void commands()
    {
        QFETCH(QString, tool);
        QFETCH(QString, line);
        QFETCH(int, status);
        QFETCH(QString, expected);
        Harness h;
        QCOMPARE(h.run(tool, CommandLine::split(line)), status);
        QCOMPARE(h.output.merged, expected);
        QFETCH(QString, estimate);
        QCOMPARE(rowText(completeRow(h.vob(), h.vob().localRow(u"beta"_s))), estimate);
        if (status != 0)
            QCOMPARE(h.store->read().toJson(), fixtureRegion().toJson());
    }

    void exportThenImport()
    {
        Harness h;
        QCOMPARE(h.run(MT, u"syncreplica -export -fship beta@/vobs/fix gamma@/vobs/fix"_s), 0);
        const QString out = h.store->bay(u"outgoing"_s);
        const QStringList lines = h.output.outText.split(u'\n');
        QCOMPARE(lines.size(), 7);
        QVERIFY(lines[0].startsWith(QString(u"Generating synchronization packet "_s + out + u"/sync_alpha_"_s)));
        QVERIFY(lines[0].endsWith(u"_777_1"_s));
        QCOMPARE(lines[1], QString(u" - shipping order file is "_s + out + u"/sh_o_"_s + lines[0].section(u'/', -1)));
        QCOMPARE(lines[4], u"Attempting to forward/deliver generated packets..."_s);
        QCOMPARE(lines[5], QString(u" -- Forwarded/delivered packet "_s + lines[0].section(u' ', -1)));
        QVERIFY(lines[6].isEmpty()); // nothing forwarded to unreachable gamma
        QVERIFY(h.output.errText.contains(u"multitool: Warning: Cannot deliver packet"_s));
        const Row beta = completeRow(h.vob(), h.vob().replica(u"beta"_s)->own);
        QCOMPARE(beta, (Row{{kAlpha, 10}, {u"beta"_s, 5}, {u"gamma"_s, 0}})); // keeps its own work
        QCOMPARE(h.vob().replica(u"beta"_s)->history.last().comment,
                 u"Exported synchronization information for replica \"beta\".\nRow at export was: alpha=8 beta=0 gamma=0"_s);
        QVERIFY(h.vob().localReplica().history.isEmpty()); // recorded on the target only
        QCOMPARE(h.vob().lost.size(), 1);

        const QString in = h.store->bay(u"incoming"_s);
        QCOMPARE(h.run(MT, u"syncreplica -import -invob /vobs/fix -receive"_s), 0);
        QVERIFY(h.output.outText.startsWith(QString(u"Applied sync. packet "_s + in + u"/sync_beta_"_s)));
        QVERIFY(h.output.outText.endsWith(u" to VOB /net/hosta/vobstore/fix.vbs\n"_s));
        QCOMPARE(completeRow(h.vob(), h.vob().localReplica().own), beta); // none of unreachable gamma's
        QCOMPARE(h.vob().localReplica().history.last().event, u"import sync from replica \"beta\" to replica \"alpha\""_s);
        QCOMPARE(h.run(MT, u"syncreplica -import -invob /vobs/fix -receive"_s), 0);
        QCOMPARE(h.output.outText, QString()); // nothing more arrived, nothing recorded
        QCOMPARE(h.vob().localReplica().history.size(), 1);

        // A packet with a gap waits, and says what it lacks.
        h.store->modify([](Region &r) {
            r.vob(u"/vobs/fix"_s)->replica(u"alpha"_s)->incoming
                << Packet{u"sync_beta_x"_s, u"beta"_s, u"alpha"_s, at(4, 4), {{u"beta"_s, 7}}, {{u"beta"_s, 9}}};
        });
        QCOMPARE(h.run(MT, u"syncreplica -import -invob /vobs/fix -receive"_s), 1);
        QCOMPARE(h.output.outText, QString(u"Sync. packet "_s + in
                                           + u"/sync_beta_x\nwas not applied to VOB /net/hosta/vobstore/fix.vbs\n"
                                             " - packet depends on changes not yet received\n"
                                             "Packet requires changes up to 7; VOB has only 5 from replica: beta\n"_s));
        QCOMPARE(h.output.errText, u"multitool: Error: 1 packet(s) not applied: they depend on changes not yet received.\n"_s);
        QCOMPARE(h.vob().localReplica().incoming.size(), 1);
    }

    // ccsim's administration commands change the true state the others see.
    void administration_data()
    {
        QTest::addColumn<QString>("admin");
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("check"); // multitool command run afterwards
        QTest::addColumn<int>("checkStatus");
        QTest::addColumn<QString>("checkOutput");
        const QString beta = u"lsepoch -actual beta@/vobs/fix"_s, gamma = u"lsepoch -actual gamma@/vobs/fix"_s;
        QTest::newRow("offline") << u"offline beta@/vobs/fix"_s << 0 << beta << 1 << u"host \"hostb\": the host is not reachable"_s;
        QTest::newRow("online") << u"online gamma@/vobs/fix"_s << 0 << gamma << 0 << u"=3       (gamma)"_s;
        QTest::newRow("work") << u"work beta@/vobs/fix 4"_s << 0 << beta << 0 << u"=9       (beta)"_s;
        QTest::newRow("latency") << u"latency beta@/vobs/fix 250"_s << 0 << beta << 0 << u"=5       (beta)"_s;
        QTest::newRow("unknown replica") << u"offline delta@/vobs/fix"_s << 1 << beta << 0 << u"=5       (beta)"_s;
        QTest::newRow("generate") << u"generate 3 0.5 4 9"_s << 0 << u"lsreplica -s -invob /vobs/gen001"_s << 0
                                  << u"site00\nsite01\nsite02\nsite03\n"_s;
        QTest::newRow("generate bad fraction") << u"generate 3 2 4"_s << 1 << u"lsreplica -s -invob /vobs/plain"_s << 0
                                               << u"original\n"_s;
    }
    void administration()
    {
        QFETCH(QString, admin);
        QFETCH(int, status);
        QFETCH(QString, check);
        QFETCH(int, checkStatus);
        QFETCH(QString, checkOutput);
        Harness h;
        QCOMPARE(h.run(SIM, admin), status);
        QCOMPARE(h.output.errText.isEmpty(), status == 0);
        QCOMPARE(h.run(MT, check), checkStatus);
        QVERIFY2(h.output.merged.contains(checkOutput), qPrintable(h.output.merged));
        QCOMPARE(h.waits.contains(250), admin.startsWith(u"latency"_s)); // the host's latency is paid
    }

    void showTellsTheTruthAndEveryCommandIsLogged()
    {
        Harness h;
        h.run(MT, u"syncreplica -export -fship gamma@/vobs/fix"_s);
        QCOMPARE(h.run(SIM, u"show /vobs/fix"_s), 0);
        for (const QString &part : {u"  gamma host hostc, master gamma, UNREACHABLE, latency 0 ms"_s,
                                    u"Actual rows (each replica's own state):\n  alpha: alpha=10 beta=0 gamma=0\n"
                                    "  beta: alpha=8 beta=5 gamma=0\n  gamma: alpha=0 beta=0 gamma=3\n"_s,
                                    u"  gamma: alpha=10 beta=0 gamma=0\n"_s, // the estimate moved all the same
                                    u"Packets lost on the way:\n  to gamma: sync_alpha_"_s})
            QVERIFY2(h.output.outText.contains(part), qPrintable(part));
        h.run(CT, u"lsvob -nope"_s);
        const QStringList log = h.store->logText().split(u'\n', Qt::SkipEmptyParts);
        QCOMPARE(log.size(), 3);
        QVERIFY(log[0].endsWith(u"multitool syncreplica -export -fship gamma@/vobs/fix => status 0"_s));
        QVERIFY(log[2].endsWith(u"cleartool lsvob -nope => status 1"_s));
    }
};

QTEST_GUILESS_MAIN(TestSimCommands)
#include "tst_simcommands.moc"
