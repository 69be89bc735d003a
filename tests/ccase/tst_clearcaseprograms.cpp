// Finding ClearCase's programs, running them while the window keeps
// answering, and the cleartool client against a stand-in that misbehaves on
// request (tests/data/ccase/fake_cleartool.pl).
#include "ccase/ClearCaseDiscovery.h"
#include "ccase/ClearCaseError.h"
#include "ccase/CommandLog.h"
#include "ccase/CoprocessClearTool.h"
#include "ccase/LoggingClearTool.h"
#include "ccase/ProcessShell.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcessEnvironment>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>
#include <QTimer>
#include <QDeadlineTimer>
#include <csignal>
#include <sys/types.h>

using namespace quorvane;
using namespace Qt::StringLiterals;
using Kind = ClearCaseFound::Kind;
using Mode = CoprocessClearTool::Mode;

namespace {

const QString FakeClearTool = QStringLiteral(QUORVANE_TEST_DATA "/ccase/fake_cleartool.pl");

// The reply, or "<error> " and ClearCase's message, or "<cancelled> " and
// the command stopped.
QString run(ClearTool &tool, const QString &command)
{
    try {
        return command == u"<vobTags>"_s ? tool.vobTags().join(u'|') : tool.CmdExec(command);
    } catch (const ClearCaseError &e) {
        return (e.number() == ErrNo::ClearCase ? u"<error> "_s : u"<wrong number> "_s) + e.description();
    } catch (const ClearCaseCancelled &e) {
        return (e.number() == ErrNo::UserInterrupt ? u"<cancelled> "_s : u"<wrong number> "_s) + e.commandLine();
    }
}

void addModeRows(const char *name, const QString &command, const QString &expected)
{
    for (const Mode mode : {Mode::Coprocess, Mode::ProcessPerCommand}) {
        QTest::addRow("%s/%s", name, mode == Mode::Coprocess ? "coprocess" : "per-process")
            << int(mode) << command << expected;
    }
}

// A program that does what the shell text says (by default nothing).
void makeProgram(const QString &path, const QByteArray &text = "#!/bin/sh\nexit 0\n")
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly) && f.write(text) > 0);
    f.close();
    QVERIFY(f.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
}

// Makes the files of a layout under root: "a" an executable that does
// nothing, "a=sim" one that answers "-version" as the simulator does,
// "a->b" a link named a to b.
void makeLayout(const QDir &root, const QStringList &files)
{
    for (const QString &f : files) {
        if (f.contains(u"->"_s))
            QVERIFY(QFile::link(root.filePath(f.section(u"->"_s, 1)), root.filePath(f.section(u"->"_s, 0, 0))));
        else if (f.endsWith(u"=sim"_s))
            makeProgram(root.filePath(f.section(u'=', 0, 0)),
                        "#!/bin/sh\necho 'cleartool (simulated ClearCase MultiSite region, ccsim 1.2.3)'\n");
        else
            makeProgram(root.filePath(f));
    }
}

} // namespace

class TestClearCasePrograms : public QObject {
    Q_OBJECT
private slots:
    // Layouts (see makeLayout) under "prog" (the program's folder), "pathdir"
    // (all of PATH) and "install" (an install folder). A choice by
    // QUORVANE_CLEARTOOL is taken as it is, even where the search would find
    // another; one that names no program says so in the header and in every
    // request.
    void find_data()
    {
        QTest::addColumn<QStringList>("files");
        QTest::addColumn<QString>("choice"); // empty: the search
        QTest::addColumn<int>("kind");
        QTest::addColumn<QString>("tool"); // relative to the root
        const QString sim = u"prog/sim/cleartool"_s;
        QTest::newRow("real on PATH wins over simulated")
            << QStringList{u"pathdir/cleartool"_s, sim} << QString() << int(Kind::Real) << u"pathdir/cleartool"_s;
        QTest::newRow("link to the simulator elsewhere is the simulator")
            << QStringList{u"pathdir/ccsim"_s, u"pathdir/cleartool->pathdir/ccsim"_s} << QString() << int(Kind::Simulated)
            << u"pathdir/cleartool"_s;
        QTest::newRow("simulator beside the program before a copy")
            << QStringList{u"pathdir/cleartool=sim"_s, sim} << QString() << int(Kind::Simulated) << sim;
        QTest::newRow("none") << QStringList{u"pathdir/multitool"_s} << QString() << int(Kind::None) << QString();
        const QStringList all{u"pathdir/cleartool"_s, u"install/cleartool"_s, sim, u"copy/cleartool=sim"_s};
        QTest::newRow("chosen: path to a real one") << all << u"install/cleartool"_s << int(Kind::Real) << u"install/cleartool"_s;
        QTest::newRow("chosen: name on PATH") << all << u"cleartool"_s << int(Kind::Real) << u"pathdir/cleartool"_s;
        QTest::newRow("chosen: the simulated region") << all << u"Simulated"_s << int(Kind::Simulated) << sim;
        QTest::newRow("chosen: copy of the simulator") << all << u"copy/cleartool"_s << int(Kind::Simulated) << u"copy/cleartool"_s;
        QTest::newRow("chosen: nothing there") << all << u"gone/cleartool"_s << int(Kind::None) << QString();
    }
    void find()
    {
        QFETCH(QStringList, files);
        QFETCH(QString, choice);
        QFETCH(int, kind);
        QFETCH(QString, tool);
        QTemporaryDir root;
        const QDir r(root.path());
        makeLayout(r, files);
        const QString given = choice.contains(u'/') ? r.filePath(choice) : choice;
        const ClearCaseFound found = choice.isEmpty()
            ? ClearCaseDiscovery::find(r.filePath(u"prog"_s), r.filePath(u"pathdir"_s), {r.filePath(u"install"_s)})
            : ClearCaseDiscovery::chosen(given, r.filePath(u"prog"_s), r.filePath(u"pathdir"_s));
        QCOMPARE(int(found.kind), kind);
        QCOMPARE(found.clearToolPath, tool.isEmpty() ? QString() : r.filePath(tool));
        const QString why = u"No ClearCase: QUORVANE_CLEARTOOL=\"%1\" names no program that can be run"_s.arg(given);
        const QString descriptions[] = {u"ClearCase: "_s + found.clearToolPath,
                                        u"Simulated MultiSite region (no ClearCase installed)"_s,
                                        choice.isEmpty() ? u"No ClearCase found"_s : why};
        if (choice.isEmpty() || found.kind == Kind::None)
            QCOMPARE(found.description, descriptions[kind]);
        else
            QVERIFY2(found.description.endsWith(u" (chosen by QUORVANE_CLEARTOOL)"_s), qPrintable(found.description));
        if (found.kind == Kind::None) // "Load VOBs" then says so
            QVERIFY(run(*ClearCaseDiscovery::makeClearTool(found), u"<vobTags>"_s)
                        .startsWith(choice.isEmpty() ? u"<error> No ClearCase was found"_s : u"<error> "_s + why + u'.'));
    }

    // The product's Perl: ccperl.exe on Windows, else ratlperl there or in
    // the shared "common" folder ("Perl" beside cleartool: installFolderComesFirst).
    void productPerl_data()
    {
        QTest::addColumn<QStringList>("files");
        QTest::addColumn<bool>("windows");
        QTest::addColumn<QString>("perl");
        QTest::newRow("Windows: ccperl") << QStringList{u"cc/bin/Perl"_s, u"cc/bin/ccperl.exe"_s} << true << u"cc/bin/ccperl.exe"_s;
        QTest::newRow("UNIX: ratlperl in common") << QStringList{u"common/bin/ratlperl"_s} << false << u"common/bin/ratlperl"_s;
        QTest::newRow("Windows: ratlperl in common") << QStringList{u"common/ratlperl.exe"_s} << true << u"common/ratlperl.exe"_s;
        QTest::newRow("none") << QStringList{u"cc/bin/perl5"_s} << false << QString();
    }
    void productPerl()
    {
        QFETCH(QStringList, files);
        QFETCH(bool, windows);
        QFETCH(QString, perl);
        QTemporaryDir root;
        const QDir r(root.path());
        makeLayout(r, files << u"cc/bin/cleartool"_s);
        QCOMPARE(ClearCaseDiscovery::productPerl(r.filePath(u"cc/bin"_s), windows), perl.isEmpty() ? QString() : r.filePath(perl));
    }

    // A cleartool that does not answer "-version" is not waited for beyond the limit.
    void silentCleartoolIsNotWaitedFor()
    {
        QTemporaryDir root;
        const QDir r(root.path());
        makeProgram(r.filePath(u"slow/cleartool"_s), "#!/bin/sh\nexec sleep 30\n");
        QElapsedTimer clock;
        clock.start();
        QVERIFY(!ClearCaseDiscovery::saysSimulator(r.filePath(u"slow/cleartool"_s), 300));
        QVERIFY2(clock.elapsed() < 10000, qPrintable(QString::number(clock.elapsed())));
    }

    // The simulated region's folder goes first on PATH, once, so that ccperl
    // and multitool are simulated too, even before a real cleartool on PATH.
    void discoverPutsSimulatedRegionFirstOnPath()
    {
        QTemporaryDir root;
        const QString sim = root.filePath(u"prog/sim"_s), real = root.filePath(u"real"_s);
        makeProgram(sim + u"/cleartool"_s);
        makeProgram(real + u"/cleartool"_s);
        const QByteArray saved = qgetenv("PATH");
        for (const bool chosen : {true, false}) {
            const QString before = chosen ? real : u"/nonexistent/bin"_s;
            qputenv("PATH", QString(before + QDir::listSeparator() + sim).toLocal8Bit());
            if (chosen)
                qputenv(ClearCaseDiscovery::ChoiceVariable, "simulated");
            const ClearCaseFound found = ClearCaseDiscovery::discover(root.filePath(u"prog"_s));
            const QString after = qEnvironmentVariable("PATH");
            qputenv("PATH", saved);
            qunsetenv(ClearCaseDiscovery::ChoiceVariable);
            if (found.kind == Kind::Real && !chosen)
                QSKIP("this machine has ClearCase installed");
            QCOMPARE(found.kind, Kind::Simulated);
            QCOMPARE(after, sim + QDir::listSeparator() + before);
        }
    }

    // cleartool found only in an install folder: multitool and ccperl come
    // from there, and the process has it first on PATH, for the script's own.
    void installFolderComesFirst_data()
    {
        QTest::addColumn<QString>("line");
        QTest::addColumn<QString>("program"); // the file in the folders that must run
        QTest::newRow("multitool") << u"multitool chepoch -actual london@/vobs/core"_s << u"multitool"_s;
        QTest::newRow("ccperl") << u"ccperl \"get_replica_info.pl\" /vobs/core"_s << u"ccperl"_s;
        QTest::newRow("ccperl runs UNIX's Perl") << u"ccperl \"get_replica_info.pl\" /vobs/core"_s << u"Perl"_s;
    }
    void installFolderComesFirst()
    {
        QFETCH(QString, line);
        QFETCH(QString, program);
        QTemporaryDir root;
        const QDir r(root.path());
        const QString install = r.filePath(u"install"_s), pathDir = r.filePath(u"pathdir"_s);
        makeProgram(install + u"/cleartool"_s);
        // Both write who they are, their arguments and PATH into the work directory.
        for (const QString &dir : {install, pathDir})
            makeProgram(dir + u'/' + program, "#!/bin/sh\nprintf '%s|%s|%s' \"$0\" \"$*\" \"$PATH\" > started.txt\n");
        const ClearCaseFound found = ClearCaseDiscovery::find(r.filePath(u"prog"_s), QString(), {install});
        QCOMPARE(found.kind, Kind::Real);
        QCOMPARE(found.binDir, install);

        const QByteArray saved = qgetenv("PATH");
        qputenv("PATH", QString(pathDir + QDir::listSeparator() + u"/usr/bin:/bin"_s).toLocal8Bit());
        QTemporaryDir work;
        const ShellResult ran = ProcessShell(work.path(), found.binDir, found.perlPath).ShellAndWait(line, 0);
        qputenv("PATH", saved);
        QVERIFY(ran.succeeded());
        QFile out(work.filePath(u"started.txt"_s));
        QVERIFY(out.open(QIODevice::ReadOnly));
        const QStringList seen = QString::fromUtf8(out.readAll()).split(u'|');
        QCOMPARE(seen.value(0), install + u'/' + program);
        QCOMPARE(seen.value(1), line.section(u' ', 1).remove(u'"'));
        QCOMPARE(seen.value(2), install + QDir::listSeparator() + pathDir + u":/usr/bin:/bin"_s);
    }

    // The result says which box the run owes: the process box for one that
    // cannot start, the failure box for a failing multitool, none otherwise
    // (how a line is split: tst_processtree).
    void shellAndWait_data()
    {
        QTest::addColumn<QString>("workDir"); // empty: a temporary one; "-": none
        QTest::addColumn<QString>("line");    // WORK: the work directory, which holds a multitool
        QTest::addColumn<int>("box");
        QTest::addColumn<QString>("result"); // the box's reason (its start)
        const int none = int(ShellResult::Box::None), notStarted = int(ShellResult::Box::NotStarted),
                  failed = int(ShellResult::Box::Failed);
        QTest::newRow("missing program") << QString() << u"no_such_program_q \"a b\" c"_s << notStarted
                                         << u"Program not found: no_such_program_q"_s;
        QTest::newRow("empty line") << QString() << u"  "_s << notStarted << u"Empty command line"_s;
        QTest::newRow("work dir gone") << u"/nonexistent/work"_s << u"true"_s << notStarted << QString();
        QTest::newRow("no work dir") << u"-"_s << u"true"_s << notStarted
                                     << u"No private work directory could be made in "_s;
        QTest::newRow("multitool fails") << QString() << u"WORK/multitool fail"_s << failed
                                         << u"multitool: Error: one\r\nmultitool: Error: Unable to contact replica \"r1\"."_s;
        QTest::newRow("multitool fails silently") << QString() << u"WORK/multitool 3"_s << failed
                                                  << u"The command ended with status 3."_s;
        QTest::newRow("multitool crashes") << QString() << u"WORK/multitool crash"_s << failed
                                           << u"The program ended abnormally."_s;
        QTest::newRow("multitool works") << QString() << u"WORK/multitool 0"_s << none << QString();
        QTest::newRow("another program fails") << QString() << u"perl -e \"exit 2\""_s << none << QString();
    }
    void shellAndWait()
    {
        QFETCH(QString, workDir);
        QFETCH(QString, line);
        QFETCH(int, box);
        QFETCH(QString, result);
        QTemporaryDir work;
        makeProgram(work.filePath(u"multitool"_s),
                    "#!/bin/sh\ncase \"$1\" in\n"
                    "fail) printf 'multitool: Error: one\\n\\nmultitool: Error: Unable to contact replica \"r1\".\\n' >&2; exit 1;;\n"
                    "crash) kill -SEGV $$;;\n*) exit \"$1\";;\nesac\n");
        line.replace(u"WORK"_s, work.path());
        ProcessShell shell(workDir.isEmpty() ? work.path() : workDir == u"-" ? QString() : workDir);
        const ShellResult r = shell.ShellAndWait(line, 0);
        QCOMPARE(int(r.box), box);
        QCOMPARE(r.outcome == ShellResult::Outcome::NotStarted, box == int(ShellResult::Box::NotStarted));
        // A read shows nothing, whatever came of it; its caller says what it means.
        QCOMPARE(shell.ShellAndRead(line).box, ShellResult::Box::None);
        QVERIFY2(r.boxReason.startsWith(result) && r.boxReason.isEmpty() == (box == int(ShellResult::Box::None)),
                 qPrintable(r.boxReason));
    }

    void init()
    {
        qunsetenv("FAKE_CT_BROKEN");
        qunsetenv("FAKE_CT_CRLF");
    }

    // Every reply comes back exactly, in both ways of running cleartool, and
    // the next reply is whole. Lines that would put the session out of step
    // are refused before anything is sent.
    void replies_data()
    {
        QTest::addColumn<int>("mode");
        QTest::addColumn<QString>("command");
        QTest::addColumn<QString>("expected");
        addModeRows("no final newline", u"print boston_hub"_s, u"boston_hub"_s);
        addModeRows("windows line ends kept", u"print a\\r\\nb\\r\\n"_s, u"a\r\nb\r\n"_s);
        addModeRows("own status text at end", u"print Command 1 returned status 0\\n"_s,
                    u"Command 1 returned status 0\n"_s);
        addModeRows("own status text inside, no newline", u"print x\\nCommand 1 returned status 1\\ny"_s,
                    u"x\nCommand 1 returned status 1\ny"_s);
        addModeRows("warning on stderr is not output", u"warn cleartool: Warning: slow\\n"_s, u"ok"_s);
        addModeRows("VOB tags: CR stripped, empties dropped", u"<vobTags>"_s, u"\\a|/vobs/b|/vobs/c|\\D e"_s);
        addModeRows("reply in pieces", u"slow abcdefgh"_s, u"abcdefgh"_s);
        addModeRows("other number's status text, more behind",
                    u"trickle x\\nCommand 9 returned status 0\\n|tail"_s, u"x\nCommand 9 returned status 0\ntail"_s);
        addModeRows("failure, one line", u"fail cleartool: Error: Unable to locate VOB\\n"_s,
                    u"<error> cleartool: Error: Unable to locate VOB"_s);
        addModeRows("silent failure", u"fail"_s, u"<error> cleartool returned status 1 for: fail"_s);
        addModeRows("line end", u"print a\ncount"_s,
                    u"<error> A cleartool command must be a single line: print a count"_s);
        addModeRows("quit", u" quit now"_s, u"<error> \"quit\" is not a command to run through cleartool."_s);
    }
    void replies()
    {
        QFETCH(int, mode);
        QFETCH(QString, command);
        for (const bool crlf : {false, true}) {
            qputenv("FAKE_CT_CRLF", crlf ? "1" : "");
            CoprocessClearTool tool(FakeClearTool, Mode(mode));
            QTEST(run(tool, command), "expected");
            QCOMPARE(run(tool, u"fail second\\n"_s), u"<error> second"_s);
            QCOMPARE(run(tool, u"print next"_s), u"next"_s);
            QCOMPARE(tool.mode(), Mode(mode));
        }
    }

    // One process serves every command until it dies; a death during a
    // command fails that command only. A co-process that refuses to start or
    // breaks the protocol gives way to one process per command.
    void oneSessionUntilItDies()
    {
        CoprocessClearTool tool(FakeClearTool);
        QCOMPARE(tool.processId(), qint64(0)); // started on first use
        const QString pid = tool.CmdExec(u"pid"_s);
        QCOMPARE(tool.CmdExec(u"count"_s), u"2"_s);

        ::kill(pid_t(pid.toLongLong()), SIGKILL);
        QThread::msleep(200);
        QCOMPARE(tool.CmdExec(u"count"_s), u"1"_s); // a fresh session
        const QString message = run(tool, u"die"_s);
        QVERIFY2(message.contains(u"ended while running \"die\""_s), qPrintable(message));
        QCOMPARE(tool.CmdExec(u"count"_s), u"1"_s);
        QCOMPARE(tool.mode(), Mode::Coprocess);

        CoprocessClearTool missing(u"/nonexistent/cleartool"_s);
        QVERIFY(run(missing, u"<vobTags>"_s).startsWith(u"<error> Could not start cleartool (/nonexistent/cleartool)"_s));

        for (const bool refused : {true, false}) {
            qputenv("FAKE_CT_BROKEN", refused ? "1" : "");
            CoprocessClearTool broken(FakeClearTool);
            QCOMPARE(broken.CmdExec(refused ? u"print a b"_s : u"late"_s), refused ? u"a b"_s : u"x"_s);
            QThread::msleep(300);
            QCOMPARE(broken.CmdExec(u"print clean"_s), u"clean"_s);
            QCOMPARE(broken.CmdExec(u"count"_s), u"0"_s); // no session counts
            QCOMPARE(broken.mode(), Mode::ProcessPerCommand);
        }
    }

    // A slow reply lets timers run after the quiet half second; a command
    // asked for from such a timer is refused, and the session stays in step.
    // A reply read into the client's buffer by whatever pumps events
    // meanwhile (the progress tick) is found there, not waited for until the
    // limit. The tick waits for the stand-in's note that the reply is
    // written, then pumps: the race, every time.
    void slowReplyLetsTimersRun()
    {
        QTemporaryDir dir;
        const QString answered = dir.filePath(u"answered"_s);
        qputenv("FAKE_CT_ANSWERED", answered.toLocal8Bit());
        CoprocessClearTool tool(FakeClearTool, Mode::Coprocess, std::chrono::milliseconds(2500));
        QCOMPARE(run(tool, u"print warm"_s), u"warm"_s);
        const auto answers = [&answered] {
            QFile notes(answered);
            return notes.open(QIODevice::ReadOnly) ? int(notes.readAll().count('\n')) : 0;
        };
        int expected = 1, staged = 0;
        bool pumped = true, answeringSeen = false;
        qint64 firstTick = -1;
        QString nested;
        QElapsedTimer took;
        QTimer tick;
        connect(&tick, &QTimer::timeout, this, [&] {
            if (firstTick < 0) {
                firstTick = took.elapsed();
                answeringSeen = CoprocessClearTool::answering();
                nested = run(tool, u"print inner"_s);
            }
            if (std::exchange(pumped, true))
                return;
            QDeadlineTimer bound(1000);
            while (answers() < expected && !bound.hasExpired())
                QThread::msleep(5);
            staged += answers() == expected;
            QCoreApplication::processEvents();
        });
        tick.start(1);
        for (const char *delay : {"0.45", "0.5", "0.55", "0.6", "0.6", "0.6"}) {
            ++expected;
            pumped = false;
            took.start();
            QCOMPARE(run(tool, u"nap "_s + QLatin1StringView(delay)), u"awake"_s);
            QVERIFY2(took.elapsed() < 1500, delay);
        }
        tick.stop();
        qunsetenv("FAKE_CT_ANSWERED");
        QVERIFY2(staged >= 3, qPrintable(QString::number(staged)));
        QVERIFY2(firstTick >= 450, qPrintable(QString::number(firstTick)));
        QVERIFY(answeringSeen && !CoprocessClearTool::answering());
        QVERIFY2(nested.startsWith(u"<error> cleartool is still answering another command"_s), qPrintable(nested));
        QCOMPARE(run(tool, u"count"_s), u"8"_s);
    }

    // Cancel stops a command waited for, in both ways of running cleartool;
    // without it, one that never answers is stopped at the time limit. Either
    // way the next command is answered by a new process.
    void cancelStopsTheWait_data()
    {
        QTest::addColumn<int>("mode");
        QTest::addColumn<bool>("cancel");
        QTest::newRow("coprocess") << int(Mode::Coprocess) << true;
        QTest::newRow("per-process") << int(Mode::ProcessPerCommand) << true;
        QTest::newRow("coprocess, time limit") << int(Mode::Coprocess) << false;
        QTest::newRow("per-process, time limit") << int(Mode::ProcessPerCommand) << false;
    }
    void cancelStopsTheWait()
    {
        QFETCH(int, mode);
        QFETCH(bool, cancel);
        // Short for the test, yet long enough for a new perl to start on a busy machine.
        CoprocessClearTool tool(FakeClearTool, Mode(mode), std::chrono::milliseconds(cancel ? 30000 : 3000));
        run(tool, u"pid"_s); // started before the wait
        QStringList told;
        tool.setWaitObserver([&](bool waiting, const QString &command) {
            told << (waiting ? u"on "_s : u"off "_s) + command;
            if (waiting && cancel)
                QTimer::singleShot(50, this, [&tool] { tool.cancel(); });
        });
        QElapsedTimer took;
        took.start();
        const QString message = run(tool, u"hang"_s);
        QVERIFY2(took.elapsed() < 5000, qPrintable(QString::number(took.elapsed())));
        QVERIFY2(message.startsWith(cancel ? u"<cancelled> cleartool hang"_s
                                           : u"<error> cleartool did not answer \"hang\" within 3 seconds and was stopped"_s),
                 qPrintable(message));
        QCOMPARE(told, QStringList({u"on cleartool hang"_s, u"off cleartool hang"_s}));
        QCOMPARE(tool.processId(), qint64(0));
        tool.cancel(); // nothing waits: no effect on the next command
        QCOMPARE(run(tool, u"count"_s), Mode(mode) == Mode::Coprocess ? u"1"_s : u"0"_s); // a fresh session
        QCOMPARE(tool.mode(), Mode(mode));
    }

    // A status line numbered other than the command still ends it, once no
    // more output came; the log says so.
    void otherNumberEndsTheCommand()
    {
        CoprocessClearTool tool(FakeClearTool, Mode::Coprocess, std::chrono::milliseconds(5000));
        CommandLog log;
        LoggingClearTool logged(tool, log);
        QCOMPARE(run(logged, u"print a"_s), u"a"_s);
        QCOMPARE(run(logged, u"skip 4"_s), u"skipped"_s);
        QVERIFY(logged.lastCommandNote().contains(u"numbered its reply 6 where 2 was expected"_s));
        QCOMPARE(run(logged, u"count"_s), u"7"_s);
        QCOMPARE(logged.lastCommandNote(), QString());
        QCOMPARE(log.entries().size(), 3);
        const CommandLogEntry &entry = log.entries().at(1);
        QVERIFY(entry.ok && entry.outcome == u"status 0 (see note)"_s);
        QVERIFY2(entry.errorText.startsWith(u"Note: cleartool numbered its reply 6"_s), qPrintable(entry.errorText));
        QCOMPARE(log.entries().at(2).outcome, u"status 0"_s);
    }
};

QTEST_GUILESS_MAIN(TestClearCasePrograms)
#include "tst_clearcaseprograms.moc"
