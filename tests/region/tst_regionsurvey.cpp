// The survey's command queue (bounds, time limits, cancel) against a fake
// runner, and the ranking of a family's facts into its state.
#include "region/CoprocessRunner.h"
#include "region/RegionSurvey.h"

#include <QDeadlineTimer>
#include <QProcess>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

using namespace quorvane;
using namespace Qt::StringLiterals;

namespace {

// Starts nothing: records what runs and ends each run after its delay, or
// never (a hung host) until stopped.
class FakeRunner final : public CommandRunner {
public:
    // Milliseconds a command line takes; < 0: hangs until stopped.
    std::function<int(const QString &)> delay = [](const QString &) { return 5; };
    std::function<QByteArray(const QString &)> answer = [](const QString &) { return QByteArray(); };
    int maxRunning = 0;
    QHash<QString, int> maxPerHost;
    QStringList started;
    QStringList stopped;
    std::function<void(const QueuedCommand &)> starting;

    [[nodiscard]] int runningOn(const QString &host) const { return m_perHost.value(host); }

    void start(int id, const QueuedCommand &command, Done done) override
    {
        if (starting)
            starting(command);
        started << command.commandLine;
        m_runs.insert(id, {command, std::move(done)});
        maxRunning = std::max(maxRunning, int(m_runs.size()));
        for (const QString &h : command.hosts)
            maxPerHost[h] = std::max(maxPerHost[h], ++m_perHost[h]);
        if (const int ms = delay(command.commandLine); ms >= 0)
            QTimer::singleShot(ms, [this, id] { end(id, CommandOutcome::Kind::Ran); });
    }
    void stop(int id) override
    {
        if (m_runs.contains(id)) {
            stopped << m_runs[id].command.commandLine;
            QTimer::singleShot(1, [this, id] { end(id, CommandOutcome::Kind::Crashed); });
        }
    }

private:
    struct Run {
        QueuedCommand command;
        Done done;
    };
    void end(int id, CommandOutcome::Kind kind)
    {
        if (!m_runs.contains(id))
            return;
        Run run = m_runs.take(id);
        for (const QString &h : run.command.hosts)
            --m_perHost[h];
        CommandOutcome o;
        o.kind = kind;
        o.output = answer(run.command.commandLine);
        run.done(o);
    }
    QHash<int, Run> m_runs;
    QHash<QString, int> m_perHost;
};

// Runs one command through the runner and waits for its end.
CommandOutcome runOne(CommandRunner &runner, int id, const QueuedCommand &command, int withinMs = 20000)
{
    std::optional<CommandOutcome> got;
    runner.start(id, command, [&got](CommandOutcome o) { got = std::move(o); });
    const QDeadlineTimer deadline(withinMs);
    while (!got && !deadline.hasExpired())
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
    if (!got)
        got.emplace().kind = CommandOutcome::Kind::TimedOut;
    return *got;
}

EpochTable table(const QList<QStringList> &rows)
{
    EpochTable t;
    for (const QStringList &r : rows) {
        t.names << r.first();
        t.values << r.mid(1);
    }
    return t;
}

} // namespace

class TestRegionSurvey : public QObject {
    Q_OBJECT
private slots:
    // The host with the most work left is never idle while a slot could
    // serve it: no command starts while one for that host waits and fits,
    // though local commands and another host's were queued before it. Never
    // more in flight than allowed, overall and per host (a command naming
    // several hosts counts on each), and every command still runs.
    void busiestHostNeverIdle()
    {
        FakeRunner runner;
        runner.delay = [](const QString &line) {
            return line.startsWith("hold"_L1) ? 30 : 3 + int(line.size() % 5);
        };
        const int perHost = 2;
        CommandQueue queue(runner, {3, perHost, 10000});
        QHash<QString, int> waitingFor; // queued and not started, per host
        int violations = 0;
        runner.starting = [&](const QueuedCommand &c) {
            for (const QString &h : c.hosts)
                --waitingFor[h];
            if (!c.hosts.contains("hub"_L1) && waitingFor.value(u"hub"_s) > 0 &&
                runner.runningOn(u"hub"_s) < perHost)
                ++violations;
            if (c.hosts.isEmpty() && waitingFor.value(u"a"_s) > 0 && runner.runningOn(u"a"_s) < perHost)
                ++violations;
        };
        int done = 0;
        const auto add = [&](const QString &line, const QStringList &hosts) {
            for (const QString &h : hosts)
                ++waitingFor[h];
            queue.add({line, {}, hosts}, [&](const CommandOutcome &) { ++done; });
        };
        for (int i = 0; i < 3; ++i)
            add(QStringLiteral("hold %1").arg(i), {});
        for (int round = 0; round < 2; ++round) {
            for (int i = 0; i < 5; ++i)
                add(QStringLiteral("local %1 %2").arg(round).arg(i), {});
            add(QStringLiteral("to a %1").arg(round), {u"a"_s});
            for (int i = 0; i < 4; ++i)
                add(QStringLiteral("to hub %1 %2").arg(round).arg(i),
                    {u"hub"_s, QStringLiteral("site%1").arg(i)});
        }
        QCOMPARE(runner.started.size(), 3); // the three held commands
        QTRY_COMPARE_WITH_TIMEOUT(done, 23, 10000);
        QCOMPARE(violations, 0);
        QCOMPARE(runner.started.mid(3, 2), (QStringList{u"to hub 0 0"_s, u"to hub 0 1"_s}));
        QCOMPARE(runner.maxRunning, 3);
        // Only the hub has more commands than slots.
        QCOMPARE(runner.maxPerHost.value(u"hub"_s), perHost);
    }

    // With the actual rows, a replicated VOB's hosts are asked as soon as its
    // check has named its siblings: its replica name and list, then its
    // script, go before the other VOBs' checks, one command at a time
    // (commands that ask no host start by priority, then in the order
    // queued). The script is told what they listed, unless this site's name
    // is not among them.
    void surveyAsksHostsEarly_data()
    {
        QTest::addColumn<QByteArray>("here");
        QTest::addColumn<QString>("script");
        QTest::newRow("told") << QByteArray("a") << u"ccperl \"script.pl\" -here a -replicas a,b /vobs/a"_s;
        QTest::newRow("name not listed") << QByteArray("zz") << u"ccperl \"script.pl\" /vobs/a"_s;
    }
    void surveyAsksHostsEarly()
    {
        QFETCH(QByteArray, here);
        QFETCH(QString, script);
        FakeRunner runner;
        runner.answer = [here](const QString &line) -> QByteArray {
            if (line.startsWith("cleartool lsreplica -siblings"_L1))
                return line.endsWith("/vobs/a"_L1) ? "b\n" : QByteArray();
            if (line.startsWith("cleartool lsreplica -fmt"_L1))
                return "a,2026-01-02,hosta,a@/vobs/a,b,2026-01-02,hostb,a@/vobs/a,";
            return line.startsWith("cleartool desc"_L1) ? here : QByteArray();
        };
        RegionSurvey::Options options;
        options.scriptPath = u"script.pl"_s;
        options.actualRows = true;
        options.limits = {1, 1, 5000};
        RegionSurvey survey(runner, options);
        QSignalSpy finished(&survey, &RegionSurvey::finished);
        survey.start({u"/vobs/a"_s, u"/vobs/b"_s, u"/vobs/c"_s, u"/vobs/d"_s});
        QVERIFY(finished.wait(5000));
        // Four checks; a's name, its family (lsvob -long), two histories,
        // list, script; the bays, once for the survey.
        QCOMPARE(runner.started.size(), 4 + 7);
        const qsizetype check = runner.started.indexOf(u"cleartool lsreplica -siblings -s -invob /vobs/a"_s);
        QVERIFY2(check >= 0 && check + 3 < runner.started.size(), qPrintable(runner.started.join(u'|')));
        QVERIFY2(runner.started[check + 1].startsWith("cleartool desc"_L1), qPrintable(runner.started.join(u'|')));
        QVERIFY2(runner.started[check + 2].startsWith("cleartool lsreplica -fmt"_L1), qPrintable(runner.started.join(u'|')));
        QCOMPARE(runner.started[check + 3], script);
        QVERIFY(runner.started.indexOf(u"cleartool lsreplica -siblings -s -invob /vobs/b"_s) > check + 3);
        QCOMPARE(survey.families().size(), 1);
    }

    // Cancel stops what runs and drops what waits; each one hears of it,
    // and nothing starts afterwards.
    void cancelEndsEverything()
    {
        FakeRunner runner;
        runner.delay = [](const QString &) { return -1; };
        CommandQueue queue(runner, {3, 3, 60000});
        QSignalSpy idle(&queue, &CommandQueue::idle);
        int cancelled = 0;
        for (int i = 0; i < 10; ++i)
            queue.add({QString::number(i), {}, {}}, [&](const CommandOutcome &o) {
                cancelled += o.kind == CommandOutcome::Kind::Cancelled;
            });
        queue.cancel();
        QTRY_COMPARE(cancelled, 10);
        QCOMPARE(runner.stopped.size(), 3);
        QVERIFY(idle.count() >= 1);
        bool refused = false;
        queue.add({u"late"_s, {}, {}}, [&](const CommandOutcome &o) { refused = o.kind == CommandOutcome::Kind::Cancelled; });
        QTRY_VERIFY(refused);
        QCOMPARE(runner.started.size(), 3);
    }

    // A whole survey on fake answers: a VOB whose check hangs is stopped at
    // its time limit and reported as not checked, the rest of the region
    // still is meanwhile, and an unreplicated VOB is left out. A cancelled
    // survey still finishes.
    void surveyWithHungVob()
    {
        FakeRunner runner;
        runner.delay = [](const QString &line) { return line.contains("/vobs/hung"_L1) ? -1 : 2; };
        runner.answer = [](const QString &line) -> QByteArray {
            if (line.startsWith("cleartool lsreplica -siblings"_L1))
                return line.endsWith("/vobs/plain"_L1) ? QByteArray() : "b\n";
            if (line.startsWith("cleartool desc"_L1))
                return "a";
            return {};
        };
        RegionSurvey::Options options;
        options.scriptPath = u"script.pl"_s;
        options.limits = {4, 2, 300};
        RegionSurvey survey(runner, options);
        QSignalSpy finished(&survey, &RegionSurvey::finished);
        survey.start({u"/vobs/ok"_s, u"/vobs/hung"_s, u"/vobs/plain"_s, u"/vobs/OK"_s, u"/vobs/ok"_s});
        QVERIFY(finished.wait(5000));
        QCOMPARE(runner.stopped, QStringList{u"cleartool lsreplica -siblings -s -invob /vobs/hung"_s});
        QCOMPARE(survey.notReplicated(), 1);
        QCOMPARE(survey.families().size(), 3);
        const auto of = [&](const QString &tag) {
            for (const VobHealth &h : survey.families())
                if (h.tag == tag)
                    return h;
            return VobHealth{};
        };
        QCOMPARE(of(u"/vobs/hung"_s).state, Health::NotChecked);
        QVERIFY2(of(u"/vobs/hung"_s).firstLine.contains("did not answer within 0.3 s"_L1),
                 qPrintable(of(u"/vobs/hung"_s).firstLine));
        // The fake script wrote no results file: not checked, saying so.
        QVERIFY(of(u"/vobs/ok"_s).firstLine.contains("_results_local.txt"_L1));

        RegionSurvey cancelled(runner, options);
        QSignalSpy cancelledEnd(&cancelled, &RegionSurvey::finished);
        runner.delay = [](const QString &) { return -1; };
        cancelled.start({u"/vobs/a"_s, u"/vobs/b"_s});
        cancelled.cancel();
        QVERIFY(cancelledEnd.wait(5000));
        QVERIFY(cancelled.wasCancelled());
        QVERIFY(cancelled.families().isEmpty());
    }

    // A family's state from its facts, worst first, with the replica and
    // the count that decide it.
    void assess_data()
    {
        QTest::addColumn<EpochTable>("local");
        QTest::addColumn<EpochTable>("actual"); // no names: the rows were not asked
        QTest::addColumn<QString>("lastExport"); // to sibling b
        QTest::addColumn<QString>("packet"); // "returned", "waiting" (a day) or none
        QTest::addColumn<Health>("state");
        QTest::addColumn<QString>("worst");
        QTest::addColumn<qint64>("behind");
        const EpochTable inStep = table({{u"a"_s, u"10"_s, u"5"_s}, {u"b"_s, u"10"_s, u"5"_s}});
        const EpochTable notAsked;
        const QString recent = u"2026-12-06T12:00:00+00:00"_s;
        QTest::newRow("in step, actual") << inStep << inStep << recent << QString() << Health::InStep << QString() << 0LL;
        const EpochTable unsent = table({{u"a"_s, u"14"_s, u"5"_s}, {u"b"_s, u"10"_s, u"5"_s}});
        QTest::newRow("not yet sent") << unsent << notAsked << recent << QString() << Health::Behind << u"b"_s << 4LL;
        // This site's table says b holds 14, b holds 10: the packet was lost.
        const EpochTable sent = table({{u"a"_s, u"14"_s, u"5"_s}, {u"b"_s, u"14"_s, u"5"_s}});
        const EpochTable lost = table({{u"a"_s, u"14"_s, u"5"_s}, {u"b"_s, u"10"_s, u"5"_s}});
        QTest::newRow("lost packet") << sent << lost << recent << QString() << Health::Broken << u"b"_s << 4LL;
        QTest::newRow("lost packet, local only") << sent << notAsked << recent << QString() << Health::InStep << QString() << 0LL;
        // b holds more of a's changes than a itself: a's row went back.
        const EpochTable rolled = table({{u"a"_s, u"8"_s, u"5"_s}, {u"b"_s, u"10"_s, u"5"_s}});
        QTest::newRow("rolled back") << table({{u"a"_s, u"8"_s, u"5"_s}, {u"b"_s, u"8"_s, u"5"_s}}) << rolled << recent
                                     << QString() << Health::Broken << u"a"_s << 0LL;
        QTest::newRow("packet waiting a day") << inStep << notAsked << recent << u"waiting"_s << Health::Stuck << u"b"_s << 0LL;
        QTest::newRow("returned packet") << inStep << notAsked << recent << u"returned"_s << Health::Broken << u"b"_s << 0LL;
        const EpochTable silent = table({{u"a"_s, u"10"_s, u"5"_s}, {u"b"_s, u"?"_s, u"?"_s}});
        QTest::newRow("unreachable") << inStep << silent << recent << QString() << Health::Unreachable << u"b"_s << 0LL;
        // b made 3 changes a has not received: this site is behind.
        const EpochTable aLacks = table({{u"a"_s, u"10"_s, u"5"_s}, {u"b"_s, u"10"_s, u"8"_s}});
        QTest::newRow("this site behind") << inStep << aLacks << recent << QString() << Health::Behind << u"a"_s << 3LL;
        QTest::newRow("table unreadable") << table({{u"a"_s, u"?"_s, u"?"_s}, {u"b"_s, u"?"_s, u"?"_s}}) << notAsked
                                          << recent << QString() << Health::NotChecked << QString() << 0LL;
    }
    void assess()
    {
        QFETCH(EpochTable, local);
        QFETCH(EpochTable, actual);
        QFETCH(QString, lastExport);
        QFETCH(QString, packet);
        VobFacts facts;
        facts.tag = u"/vobs/x"_s;
        facts.localReplica = u"a"_s;
        facts.local = local;
        facts.actualAsked = !actual.names.isEmpty();
        facts.actual = actual;
        facts.siblings << SiblingFacts{u"b"_s, {}, {}, lastExport};
        const QDateTime now(QDate(2026, 12, 7), QTime(6, 0), Qt::UTC);
        if (!packet.isEmpty()) {
            PacketList::Packet p;
            p.name = u"sync_a_06-Dec-26.06.00.00_1_1"_s;
            p.bay = packet == "returned"_L1 ? PacketList::Bay::Returned : PacketList::Bay::Outgoing;
            p.targets << PacketList::Target{u"b"_s, false, false, {}};
            PacketList::readName(p);
            facts.packets << p;
            facts.packetsListed = true;
        }
        const VobHealth h = quorvane::assess(facts, now);
        QTEST(h.state, "state");
        QTEST(h.worstSibling, "worst");
        QTEST(h.behind, "behind");
        QVERIFY(!h.firstLine.isEmpty());
        // The diagnosis speaks only where the actual rows were read.
        QCOMPARE(h.findings.isEmpty(), !facts.actualAsked);
    }

    void rankWorstFirst()
    {
        const auto health = [](const QString &tag, Health state, qint64 behind = 0) {
            VobHealth h;
            h.tag = tag, h.state = state, h.behind = behind;
            return h;
        };
        QList<VobHealth> list{health(u"/e"_s, Health::InStep),     health(u"/d"_s, Health::NotChecked),
                              health(u"/b1"_s, Health::Behind, 5), health(u"/c"_s, Health::Stuck, 9),
                              health(u"/b2"_s, Health::Behind, 50), health(u"/a"_s, Health::Broken),
                              health(u"/u"_s, Health::Unreachable)};
        rank(list);
        QStringList tags;
        for (const VobHealth &h : list)
            tags << h.tag;
        QCOMPARE(tags, (QStringList{u"/a"_s, u"/b2"_s, u"/b1"_s, u"/c"_s, u"/u"_s, u"/d"_s, u"/e"_s}));
    }

    void dates_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QDateTime>("expected");
        const QDateTime t(QDate(2026, 11, 5), QTime(0, 8, 15), Qt::UTC);
        QTest::newRow("iso offset") << u"2026-11-04T19:08:15-05:00"_s << t;
        QTest::newRow("numeric") << u"20261105.000815"_s << QDateTime(t.date(), t.time());
        QTest::newRow("legacy") << u"05-Nov-26.00:08:15"_s << QDateTime(t.date(), t.time());
        QTest::newRow("None") << u"None"_s << QDateTime();
    }
    void dates()
    {
        QFETCH(QString, text);
        QFETCH(QDateTime, expected);
        // Two invalid dates compare equal, an invalid and a valid one do not.
        QCOMPARE(parseClearCaseDate(text).toUTC(), expected.toUTC());
    }

    // cleartool's queries through co-processes: the same output, status and
    // error text as a program of its own, never more co-processes than
    // allowed; what is not a local cleartool query goes to the programs. A
    // cleartool that does not keep to the protocol, or cannot be started,
    // runs the command again as a program, and every later one.
    void coprocessesAnswerAsProgramsDo()
    {
        QTemporaryDir region; // the demo region
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(u"CCSIM_REGION"_s, region.path());
        QProcess demo;
        demo.setProcessEnvironment(env);
        demo.start(QStringLiteral(QUORVANE_BIN_DIR "/sim/ccsim"), {u"demo"_s});
        QVERIFY(demo.waitForFinished(60000));
#ifdef Q_OS_WIN
        const QString clearTool = QStringLiteral(QUORVANE_BIN_DIR "/sim/cleartool.exe");
#else
        const QString clearTool = QStringLiteral(QUORVANE_BIN_DIR "/sim/cleartool");
#endif
        FakeRunner programs;
        CoprocessRunner pool(programs, clearTool, env, 2);
        ProcessRunner direct(QStringLiteral(QUORVANE_BIN_DIR "/sim"), {}, env);
        const QStringList queries{u"cleartool lsreplica -short -invob /vobs/tools"_s,
                                  u"cleartool desc -fmt \"%[replica_name]p\" vob:/vobs/tools"_s,
                                  u"cleartool lsreplica -short -invob /vobs/no_such_vob"_s};
        int id = 0;
        for (const QString &q : queries) {
            const CommandOutcome viaPool = runOne(pool, ++id, {q, {}, {}, 0});
            const CommandOutcome own = runOne(direct, ++id, {q, {}, {}, 0});
            QCOMPARE(int(viaPool.kind), int(CommandOutcome::Kind::Ran));
            QCOMPARE(viaPool.exitCode, own.exitCode);
            QCOMPARE(viaPool.output, own.output);
            QCOMPARE(viaPool.errors.trimmed(), own.errors.trimmed());
        }
        // Three at once on two co-processes: the third runs as a program.
        int ended = 0;
        for (int i = 0; i < 3; ++i)
            pool.start(++id, {queries.first(), {}, {}, 0}, [&ended](const CommandOutcome &) { ++ended; });
        QTRY_COMPARE_WITH_TIMEOUT(ended, 3, 20000);
        QCOMPARE(programs.started, QStringList{queries.first()});
        for (const QueuedCommand &other : {QueuedCommand{u"ccperl \"s.pl\" /vobs/tools"_s, {}, {}, 0},
                                           QueuedCommand{queries.first(), u"/tmp"_s, {}, 0},
                                           QueuedCommand{u"cleartool lsepoch"_s, {}, {u"hosta"_s}, 0}})
            runOne(pool, ++id, other);
        QCOMPARE(programs.started.size(), 4);
        QTRY_COMPARE_WITH_TIMEOUT(pool.sessions(), 0, CoprocessRunner::idleCloseMs + 5000);

        // ccsim by its own name takes "-status" for an unknown command and ends.
        const QueuedCommand q{queries.first(), {}, {}, 0};
        for (const QString &broken : {QStringLiteral(QUORVANE_BIN_DIR "/sim/ccsim"), region.filePath(u"none"_s)}) {
            CoprocessRunner other(programs, broken, env, 2);
            programs.started.clear();
            QCOMPARE(int(runOne(other, ++id, q).kind), int(CommandOutcome::Kind::Ran));
            QVERIFY(other.broken());
            runOne(other, ++id, q);
            QCOMPARE(programs.started, (QStringList{q.commandLine, q.commandLine}));
            QCOMPARE(other.sessions(), 0);
        }
    }

    // A stop ends the co-process that runs the command at once; the next
    // command gets a new one.
    void stopEndsTheCoprocess()
    {
#ifdef Q_OS_WIN
        QSKIP("needs a POSIX shell for a cleartool that never answers");
#else
        QTemporaryDir dir;
        const QString mute = dir.filePath(u"cleartool"_s);
        QFile f(mute);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("#!/bin/sh\nexec sleep 60\n");
        f.close();
        f.setPermissions(f.permissions() | QFile::ExeOwner);
        FakeRunner programs;
        CoprocessRunner pool(programs, mute, QProcessEnvironment::systemEnvironment(), 2);
        std::optional<CommandOutcome> got;
        pool.start(1, {u"cleartool lsvob -short"_s, {}, {}, 0}, [&got](CommandOutcome o) { got = std::move(o); });
        QTest::qWait(200);
        QVERIFY(!got);
        pool.stop(1);
        QTRY_VERIFY_WITH_TIMEOUT(got.has_value(), 5000);
        QCOMPARE(int(got->kind), int(CommandOutcome::Kind::Crashed));
        QVERIFY(!pool.broken());
        QTRY_COMPARE(pool.sessions(), 0);
        QVERIFY(programs.started.isEmpty());
#endif
    }
};

QTEST_GUILESS_MAIN(TestRegionSurvey)
#include "tst_regionsurvey.moc"
