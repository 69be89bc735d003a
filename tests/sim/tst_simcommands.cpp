#include "sim/CommandError.h"
#include "sim/CommandLine.h"
#include "sim/DemoRegion.h"
#include "sim/Dispatcher.h"
#include "sim/FormatEngine.h"
#include "sim/Region.h"
#include "sim/RegionStore.h"
#include "sim/Replication.h"
#include "sim/Tool.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <QTimeZone>

#include <memory>

using namespace quorvane::ccsim;
using namespace Qt::StringLiterals;

namespace {

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
QDateTime at(int day, int hour, int minute = 0)
{
    return QDateTime(QDate(2026, 1, day), QTime(hour, minute), QTimeZone::utc());
}

QString oidOf(const QString &name)
{
    return name.leftJustified(8, u'0') + u".11111111.2222.33:44:55:66:77:88"_s;
}

// /vobs/fix: alpha (local, hosta, 10 own operations); beta (hostb, mastered
// by alpha, 5 own operations alpha lacks, has alpha's first 8, one export
// and one minor event in its history); gamma (hostc, self-mastered,
// unreachable). /vobs/plain: never replicated.
Region fixtureRegion()
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
    Context ctx{u"cleartool"_s, *store, output, input, u"tester"_s, 777, [](int) {}}; // no latency

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

const QString CT = u"cleartool"_s, MT = u"multitool"_s, SIM = u"ccsim"_s;
const QString kAlpha = u"alpha"_s, kFix = u"/vobs/fix"_s, kError = u"<error>"_s;
const QString kOidA = oidOf(kAlpha), kOidB = oidOf(u"beta"_s), kOidC = oidOf(u"gamma"_s);
const QString kRow = u"alpha=8 beta=0 gamma=0"_s; // beta's row of the fixture's local table

qint64 alphaOwn(const Region &region) { return region.vob(kFix)->localReplica().own.value(kAlpha); }

} // namespace

// The simulated region in-process: format engine, tokenizer, the store, and
// every command against the formats ClearCase prints, on the fixture family
// above; then the real programs: the links in bin/sim, the
// co-process protocol and ccperl (concurrent invocations are
// tst_simconcurrency's). Runs with TZ=Europe/Paris.
class TestSimCommands : public QObject {
    Q_OBJECT

    QTemporaryDir m_region;
    QTemporaryDir m_work;

    void start(QProcess &p, const QString &program, const QStringList &args) const
    {
        QProcessEnvironment e = QProcessEnvironment::systemEnvironment();
        e.insert(u"CCSIM_REGION"_s, m_region.path());
        p.setProcessEnvironment(e);
        p.setWorkingDirectory(m_work.path());
        p.start(QStringLiteral(QUORVANE_BIN_DIR "/sim/") + program, args);
        QVERIFY2(p.waitForStarted(), qPrintable(p.errorString()));
    }

    // Like a client: sends one command and reads up to its status line.
    static QString ask(QProcess &p, const QString &command)
    {
        p.write(QString(command + u'\n').toUtf8());
        QByteArray got;
        while (!got.contains("returned status") || !got.endsWith('\n')) {
            if (!p.waitForReadyRead(10000))
                return QString::fromUtf8(got + "<no status line>");
            got += p.readAll();
        }
        return QString::fromUtf8(got);
    }

private slots:
    void initTestCase() { RegionStore(m_region.path()).replace(fixtureRegion()); }


    // Each answer read up to its status line before the next command: output
    // without a final newline runs into it, errors come first; "exit" or the
    // end of input ends the session.
    void coProcessProtocol()
    {
        const QStringList commands{u"desc -fmt \"%[replica_name]p\" vob:/vobs/fix"_s,
                                   u"lsreplica -siblings -s -invob /vobs/plain"_s, u"lsreplica -s -invob /vobs/none"_s,
                                   u"\"unbalanced"_s, u"lsvob -s"_s};
        const QStringList answers{
            u"alphaCommand 1 returned status 0\n"_s, u"Command 2 returned status 0\n"_s,
            u"cleartool: Error: Unable to determine VOB for pathname \"/vobs/none\".\nCommand 3 returned status 1\n"_s,
            u"cleartool: Error: Unmatched \" in command line.\nCommand 4 returned status 1\n"_s,
            u"/vobs/fix\n/vobs/plain\nCommand 5 returned status 0\n"_s};
        for (const bool exitCommand : {true, false}) {
            QProcess p;
            p.setProcessChannelMode(QProcess::MergedChannels);
            start(p, u"cleartool"_s, {u"-status"_s});
            for (int i = 0; i < commands.size(); ++i)
                QCOMPARE(ask(p, commands[i]), answers[i]);
            if (exitCommand)
                p.write("exit\n");
            else
                p.closeWriteChannel();
            QVERIFY(p.waitForFinished(10000));
            QCOMPARE(p.exitCode(), 0);
            QCOMPARE(p.readAll(), QByteArray());
        }
    }

    // ccperl hands its arguments to perl as they are, no shell between.
    void ccperlArguments()
    {
        QProcess p;
        start(p, u"ccperl"_s, {u"-e"_s, u"print join('|', @ARGV)"_s, u"a b"_s, u"$HOME;x"_s});
        QVERIFY(p.waitForFinished(60000));
        QCOMPARE(p.exitCode(), 0);
        QCOMPARE(p.readAllStandardOutput(), QByteArray("a b|$HOME;x"));
    }

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
    }
    void expand()
    {
        QFETCH(QString, format);
        QFETCH(QString, expected);
        FormatFields f;
        f.name = u"beta"_s, f.date = at(2, 9), f.user = u"vobadm"_s, f.event = u"create replica \"beta\""_s;
        f.comment = u"line one\nline two"_s;
        f.properties = {{u"replica_host"_s, u"hostb"_s}, {u"replica_name"_s, u"beta"_s}};
        if (expected == kError)
            QVERIFY_THROWS_EXCEPTION(CommandError, FormatEngine::expand(format, f));
        else
            QCOMPARE(FormatEngine::expand(format, f), expected);
    }

    // The command lines Quorvane sends, split as cleartool splits them (an
    // unmatched quote: coProcessProtocol).
    void tokenize_data()
    {
        QTest::addColumn<QString>("line");
        QTest::addColumn<QStringList>("words");
        QTest::newRow("backslashes kept") << u"lshistory -fmt \"%u\\n\" replica:b@\\dev"_s
                                          << QStringList{u"lshistory"_s, u"-fmt"_s, u"%u\\n"_s, u"replica:b@\\dev"_s};
        QTest::newRow("blanks, tabs, CR LF") << u"  lsvob \t -s  \r\n"_s << QStringList{u"lsvob"_s, u"-s"_s};
        QTest::newRow("quotes inside a word, empty word") << u"a\"b c\"d 'e f' \"\" x"_s
                                                          << QStringList{u"ab cd"_s, u"e f"_s, QString(), u"x"_s};
        QTest::newRow("quoted line end and tab") << u"echo \"a\rb\" 'c\td'"_s << QStringList{u"echo"_s, u"a\rb"_s, u"c\td"_s};
    }
    void tokenize()
    {
        QFETCH(QString, line);
        QFETCH(QStringList, words);
        QCOMPARE(CommandLine::split(line), words);
        QCOMPARE(CommandLine::split(CommandLine::join(words)), words);
    }

    // A co-process answers from the kept region: it must never lose or hide a change.
    void storeKeepsRegionSafe()
    {
        Harness h;
        for (int i = 0; i < 3; ++i) // read-only use parses nothing again
            QCOMPARE(h.run(CT, u"lsvob -s"_s), 0);
        QCOMPARE(h.store->loads(), 0);
        // A change starts from the freshest state: another store's 5 survive.
        const auto elsewhere = [&h](int n) {
            RegionStore(h.dir.path()).modify([n](Region &r) { r.vob(kFix)->localReplica().own[kAlpha] += n; });
        };
        elsewhere(5);
        h.store->modify([](Region &r) { r.vob(kFix)->localReplica().own[kAlpha] += 1; });
        QCOMPARE(alphaOwn(RegionStore(h.dir.path()).read()), 16);
        // What another process changes shows in the very next answer, also
        // when the file keeps its size.
        elsewhere(5);
        QCOMPARE(alphaOwn(h.store->read()), 21);
        elsewhere(-5);
        // A change that fails leaves nothing behind, on disk or in memory.
        QVERIFY_THROWS_EXCEPTION(CommandError, h.store->modify([](Region &r) {
            r.vob(kFix)->localReplica().own[kAlpha] = 99;
            throw CommandError(u"refused"_s);
        }));
        QCOMPARE(alphaOwn(h.store->read()), 16);
        QCOMPARE(alphaOwn(RegionStore(h.dir.path()).read()), 16);
        // A damaged file is reported, not masked by the kept copy.
        QFile file(h.store->vobFile(kFix));
        QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write("{ \"tag\": \"/vobs/fix\", \"replicas\": [");
        file.close();
        QCOMPARE(h.run(CT, u"lsvob -s"_s), 1);
        QVERIFY2(h.output.merged.contains(u"is damaged"_s) && h.output.outText.isEmpty(), qPrintable(h.output.merged));
        // So does a region replaced whole.
        Region plain = fixtureRegion();
        plain.vobs.removeFirst();
        RegionStore(h.dir.path()).replace(plain);
        QCOMPARE(h.run(CT, u"lsvob -s"_s), 0);
        QCOMPARE(h.output.outText, u"/vobs/plain\n"_s);
    }

    // Each command's output (both streams, in order) against the formats
    // ClearCase prints, and what it left in the local table; a failing
    // command changes nothing. Steps before " ; " (each "TOOL ARGS") set the
    // region up and must succeed. An export that needs oplog entries this
    // site has scrubbed fails with ClearCase's words; above the scrubbed
    // point it goes through.
    void commands_data()
    {
        QTest::addColumn<QString>("tool");
        QTest::addColumn<QString>("line");
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("expected");
        QTest::addColumn<QString>("estimate"); // beta's row of the local table afterwards
        const QString ok = u"Epoch row successfully set.\n"_s, force = u"chepoch -force beta@/vobs/fix "_s;
        const QString invalid = u"multitool: Error: Invalid epoch number \"%1\" for \"alpha\": give a whole number from 0 to 2147483647.\n"_s;
        const QString unreachable = u"multitool: Error: Unable to contact replica \"gamma\" on host \"hostc\": the host is not reachable.\n"_s;
        QTest::newRow("replica list") << CT << u"lsreplica -fmt \"%n,%d,%[replica_host]p,%[master]p,\" -invob /vobs/fix"_s << 0
                                      << u"alpha,2026-01-02T10:00:00+01:00,hosta,alpha@/vobs/fix,"
                                         "beta,2026-01-02T10:00:00+01:00,hostb,alpha@/vobs/fix,"
                                         "gamma,2026-01-02T10:00:00+01:00,hostc,gamma@/vobs/fix,"_s << kRow;
        QTest::newRow("siblings, abbreviated") << CT << u"lsreplica -sib -s -inv /vobs/fix"_s << 0 << u"beta\ngamma\n"_s << kRow;
        QTest::newRow("describe replica") << CT << u"describe -fmt \"%n\\t%[master]p\\t%[replica_host]p\\n\" replica:beta@/vobs/fix"_s << 0
                                          << u"beta\talpha@/vobs/fix\thostb\n"_s << kRow;
        QTest::newRow("sync dates") << CT << u"lshistory -fmt \"%e,%d,\" replica:beta@/vobs/fix"_s << 0
                                    << u"export sync from replica \"alpha\" to replica \"beta\",2026-01-03T09:00:00+01:00,"_s << kRow;
        QTest::newRow("minor, newest first") << CT << u"lshistory -minor -fmt %u| replica:beta@/vobs/fix"_s << 0 << u"ccadmin|susan|"_s << kRow;
        QTest::newRow("local epoch table") << MT << u"lsepoch -invob /vobs/fix"_s << 0
                                           << u"For VOB replica \"/vobs/fix\":\n"
                                              "Oplog IDs for row \"alpha\" (@ hosta):\n"
                                              " oid:%1=10      (alpha)\n oid:%2=0       (beta)\n oid:%3=0       (gamma)\n"
                                              "Oplog IDs for row \"beta\" (@ hostb):\n"
                                              " oid:%1=8       (alpha)\n oid:%2=0       (beta)\n oid:%3=0       (gamma)\n"
                                              "Oplog IDs for row \"gamma\" (@ hostc):\n"
                                              " oid:%1=0       (alpha)\n oid:%2=0       (beta)\n oid:%3=0       (gamma)\n"_s.arg(kOidA, kOidB, kOidC) << kRow;
        QTest::newRow("lsepoch -actual goes on after an unreachable host") << MT << u"lsepoch -actual gamma@/vobs/fix beta@/vobs/fix"_s << 1
            << QString(unreachable + u"For VOB replica \"/vobs/fix\":\nActual oplog IDs for row \"beta\" (@ hostb):\n"
                                     " oid:%1=8       (alpha)\n oid:%2=5       (beta)\n oid:%3=0       (gamma)\n"_s.arg(kOidA, kOidB, kOidC)) << kRow;
        QTest::newRow("chepoch -actual") << MT << u"chepoch -actual beta@/vobs/fix"_s << 0
                                         << u"Entry for             beta changed from:           0 to           5\n"_s << u"alpha=8 beta=5 gamma=0"_s;
        QTest::newRow("largest") << MT << force + u"alpha=2147483647"_s << 0 << ok << u"alpha=2147483647 beta=0 gamma=0"_s;
        QTest::newRow("by oid") << MT << force + u"oid:%1=7"_s.arg(kOidA) << 0 << ok << u"alpha=7 beta=0 gamma=0"_s;
        QTest::newRow("too large") << MT << force + u"alpha=2147483648"_s << 1 << invalid.arg(u"2147483648"_s) << kRow;
        QTest::newRow("letters") << MT << force + u"alpha=<epoch>"_s << 1 << invalid.arg(u"<epoch>"_s) << kRow;
        QTest::newRow("no equals") << MT << force + u"alpha"_s << 1 << u"multitool: Error: Invalid epoch entry \"alpha\": expected NAME=NUMBER.\n"_s << kRow;
        QTest::newRow("unknown origin") << MT << force + u"delta=4"_s << 1 << u"multitool: Error: Replica \"delta\" not found in VOB \"/vobs/fix\".\n"_s << kRow;
        QTest::newRow("chepoch own row") << MT << u"chepoch -force alpha@/vobs/fix alpha=3"_s << 1
                                         << u"multitool: Error: Cannot change the epoch row of the current replica \"alpha\": it records the replica's actual state.\n"_s << kRow;
        QTest::newRow("export to self") << MT << u"syncreplica -export -fship alpha@/vobs/fix"_s << 1
                                        << u"multitool: Error: Cannot export to the current replica \"alpha\".\n"_s << kRow;
        QTest::newRow("unknown option") << CT << u"lsvob -bogus"_s << 1 << u"cleartool: Error: Unrecognized option \"-bogus\"\n"_s << kRow;
        QTest::newRow("fmt and short") << CT << u"lsreplica -s -fmt %n -invob /vobs/fix"_s << 1
                                       << u"cleartool: Error: Only one of \"-fmt\", \"-short\" and \"-long\" may be given.\n"_s << kRow;
        const QString exportBeta = u"syncreplica -export -fship beta@/vobs/fix"_s;
        QTest::newRow("needed oplog scrubbed") << MT << u"ccsim scrub /vobs/fix alpha 9 ; "_s + exportBeta << 1
            << u"multitool: Error: Can not find oplog from replica \"alpha\" with id 9\n"
               "multitool: Error: First oplog entry from replica \"alpha\" is 10\n"
               "multitool: Error: Gap in oplog entries may indicate missing oplog entries.\n"_s << kRow;
        const QString packet = u"REGION/shipping/ms_ship/outgoing/sync_alpha_10-Jan-26.10.00.00_777_1"_s;
        QTest::newRow("scrubbed up to what beta has") << MT << u"ccsim scrub /vobs/fix alpha 8 ; "_s + exportBeta << 0
            << u"Generating synchronization packet %1\n - shipping order file is REGION/shipping/ms_ship/outgoing/sh_o_%2\n"
               "Attempting to forward/deliver generated packets...\n -- Forwarded/delivered packet %1\n"_s.arg(packet, packet.section(u'/', -1))
            << u"alpha=10 beta=0 gamma=0"_s;
        QTest::newRow("scrub beyond what is held") << SIM << u"scrub /vobs/fix alpha 11"_s << 1
                                                   << u"ccsim: Error: Replica \"alpha\" holds only 10 oplog entries of \"alpha\".\n"_s << kRow;
    }
    void commands()
    {
        QFETCH(QString, tool);
        QFETCH(QString, line);
        QFETCH(int, status);
        Harness h;
        h.store->setClock(RegionClock{0, at(10, 9)});
        QStringList steps = line.split(u" ; "_s);
        for (const QString &step : steps.first(steps.size() - 1)) {
            const QStringList words = CommandLine::split(step);
            QCOMPARE(h.run(words.first(), words.mid(1)), 0);
        }
        const QJsonObject before = h.store->read().toJson();
        QCOMPARE(h.run(tool, CommandLine::split(steps.last())), status);
        QTEST(QString(h.output.merged).replace(h.dir.path(), u"REGION"_s), "expected");
        QTEST(rowText(completeRow(h.vob(), h.vob().localRow(u"beta"_s))), "estimate");
        if (status != 0)
            QCOMPARE(h.store->read().toJson(), before);
    }

    // Where an exported packet goes as the region's clock moves and hosts
    // come and go: shipping orders expire after 14 days.
    void bayMovement_data()
    {
        QTest::addColumn<QString>("knob");     // ccsim command run on beta before the export, if any
        QTest::addColumn<QString>("ship");     // -fship or -ship
        QTest::addColumn<QStringList>("then"); // ccsim command lines run after it
        QTest::addColumn<QString>("where");    // applied, outgoing, returned, lost
        QTest::addColumn<int>("mail");         // lines in the administrator's mailbox
        QTest::newRow("reachable") << QString() << u"-fship"_s << QStringList() << u"applied"_s << 0;
        QTest::newRow("down host: waits") << u"offline"_s << u"-fship"_s << QStringList{u"clock +13d"_s, u"clock +23h"_s}
                                          << u"outgoing"_s << 0;
        QTest::newRow("down host: order expires") << u"offline"_s << u"-fship"_s << QStringList{u"clock +14d"_s}
                                                  << u"returned"_s << 2;
        QTest::newRow("host back, not polled") << u"offline"_s << u"-fship"_s << QStringList{u"online beta@/vobs/fix"_s}
                                               << u"outgoing"_s << 0;
        QTest::newRow("host back, polled") << u"offline"_s << u"-fship"_s
                                           << QStringList{u"online beta@/vobs/fix"_s, u"shipping_server -poll"_s}
                                           << u"applied"_s << 0;
        QTest::newRow("host back, clock moved") << u"offline"_s << u"-fship"_s
                                                << QStringList{u"online beta@/vobs/fix"_s, u"clock +2h"_s} << u"applied"_s << 0;
        QTest::newRow("-ship waits for the poll") << QString() << u"-ship"_s << QStringList() << u"outgoing"_s << 0;
        QTest::newRow("lost on the way") << u"lose"_s << u"-fship"_s << QStringList() << u"lost"_s << 0;
        QTest::newRow("lost beats down") << u"lose+offline"_s << u"-fship"_s << QStringList() << u"lost"_s << 0;
    }
    void bayMovement()
    {
        QFETCH(QString, knob);
        QFETCH(QString, ship);
        QFETCH(QStringList, then);
        QFETCH(QString, where);
        QFETCH(int, mail);
        Harness h;
        h.store->setClock(RegionClock{0, at(10, 9)});
        const QString beta = u"beta@/vobs/fix"_s;
        if (knob.contains(u"offline"_s))
            QCOMPARE(h.run(u"ccsim"_s, {u"offline"_s, beta}), 0);
        if (knob.contains(u"lose"_s))
            QCOMPARE(h.run(u"ccsim"_s, {u"lose"_s, beta, u"on"_s}), 0);
        QCOMPARE(h.run(MT, {u"syncreplica"_s, u"-export"_s, ship, beta}), 0);
        const Packet sent = h.vob().outgoing.value(0, h.vob().lost.value(0));
        QVERIFY(sent.name.isEmpty() || sent.expires == at(24, 9)); // none left when delivered at once
        for (const QString &line : std::as_const(then)) {
            const QStringList words = line.split(u' ');
            if (words.first() == u"shipping_server"_s)
                QCOMPARE(h.run(words.first(), words.mid(1)), 0);
            else
                QCOMPARE(h.run(u"ccsim"_s, words), 0);
        }
        const Vob v = h.vob();
        const QMap<QString, qsizetype> counts{{u"applied"_s, v.replica(u"beta"_s)->own.value(kAlpha) == 10 ? 1 : 0},
                                              {u"outgoing"_s, v.outgoing.size()},
                                              {u"returned"_s, v.returned.size()},
                                              {u"lost"_s, v.lost.size()}};
        for (auto it = counts.cbegin(); it != counts.cend(); ++it)
            QCOMPARE(std::pair(it.key(), it.value()), std::pair(it.key(), qsizetype(it.key() == where ? 1 : 0)));
        QCOMPARE(v.table.value(u"beta"_s).value(kAlpha), 10); // the sender assumes it arrives, whatever happens
        const QString mailbox = h.store->mailText();
        QCOMPARE(mailbox.count(u'\n'), mail);
        if (mail > 0)
            QVERIFY(mailbox.contains(h.store->returnBay() + u'/' + sent.name));
        QCOMPARE(h.run(MT, {u"lspacket"_s, u"-s"_s}), 0);
        QCOMPARE(!sent.name.isEmpty() && h.output.outText.contains(sent.name), where == u"outgoing"_s || where == u"returned"_s);
    }

    // The demo's VOBs whose trouble is in the bays: each shows it, and the
    // documented way out brings the family in step (a packet stuck towards
    // a down host: bayMovement).
    void demoBayTroubles_data()
    {
        QTest::addColumn<QString>("tag");
        QTest::addColumn<QStringList>("before"); // command, then the text its output or errors must hold
        QTest::addColumn<QStringList>("repair");  // command lines, the last one must succeed
        QTest::addColumn<QString>("sibling");    // whose own row the local replica then matches
        QTest::newRow("waiting for an earlier packet") << u"/vobs/mobile"_s
            << QStringList{u"multitool syncreplica -import -invob /vobs/mobile -receive"_s, u" - packet depends on changes not yet received"_s}
            << QStringList{u"ccsim clock +1d"_s, u"multitool syncreplica -import -invob /vobs/mobile -receive"_s} << u"sanfran_hub"_s;
        QTest::newRow("returned") << u"/vobs/installer"_s
            << QStringList{u"ccsim mail"_s, u"/ms_rtn/incoming/sync_boston_hub_"_s}
            << QStringList{u"mkorder -data <returned> -fship fjord"_s} << u"oslo"_s;
    }
    void demoBayTroubles()
    {
        QFETCH(QString, tag);
        QFETCH(QStringList, before);
        QFETCH(QStringList, repair);
        QFETCH(QString, sibling);
        Harness h;
        const auto run = [&h, &tag](QString line) {
            if (line.contains(u"<returned>"_s))
                line.replace(u"<returned>"_s, h.store->returnBay() + u'/' + h.vob(tag).returned.value(0).name);
            const QStringList words = line.split(u' ');
            return h.run(words.first(), words.mid(1));
        };
        QCOMPARE(run(u"ccsim demo"_s), 0);
        const auto inStep = [&] {
            const Vob v = h.vob(tag);
            const Row mine = completeRow(v, v.localReplica().own);
            return mine == completeRow(v, v.replica(sibling)->own) || mine == completeRow(v, v.localRow(sibling));
        };
        const auto siblingHasAll = [&] {
            const Vob v = h.vob(tag);
            return completeRow(v, v.replica(sibling)->own).value(v.local) == v.localReplica().own.value(v.local)
                && completeRow(v, v.localReplica().own).value(sibling) == v.replica(sibling)->own.value(sibling);
        };
        QVERIFY(!siblingHasAll());
        run(before.first());
        QVERIFY2(h.output.merged.contains(before.last()), qPrintable(h.output.merged));
        for (const QString &line : std::as_const(repair))
            QCOMPARE(run(line), 0);
        QVERIFY2(siblingHasAll() && inStep(), qPrintable(h.output.merged));
        QVERIFY(h.vob(tag).returned.isEmpty() && h.vob(tag).outgoing.isEmpty());
    }

};

QTEST_GUILESS_MAIN(TestSimCommands)
#include "tst_simcommands.moc"
