#include "app/WorkFolder.h"
#include "ccase/ClearCaseDiscovery.h"
#include "ccase/ClearCaseError.h"
#include "ccase/CommandLine.h"
#include "ccase/CommandLog.h"
#include "ccase/Commands.h"
#include "ccase/LoggingClearTool.h"
#include "ccase/ProcessShell.h"
#include "ccase/ReportingShell.h"
#include "support/FakeShell.h"
#include "support/ScriptedClearTool.h"
#include "support/ScriptedDialogs.h"

#include <QDir>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QProcessEnvironment>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <ctime>

using namespace quorvane;
using namespace Qt::StringLiterals;

using Kind = ClearCaseFound::Kind;

const QString BinDir = QStringLiteral(QUORVANE_BIN_DIR);
#ifdef Q_OS_WIN
const QString Exe = u".exe"_s;
constexpr bool Windows = true;
#else
const QString Exe;
constexpr bool Windows = false;
#endif

// Installs a built program under another name, as a copy: Windows has no
// links, and an installer copies.
static bool install(const QString &program, const QString &as)
{
    QDir().mkpath(QFileInfo(as).path());
    return QFile::copy(program + Exe, as + Exe);
}

// What the program starts, on every platform it runs on: a Cancel ends the
// whole tree a command started (a process group on UNIX, a job object on
// Windows), and a command line reaches the program started with the
// arguments the administrator wrote, whatever blanks, quotes and
// backslashes it holds. And discovery with real programs, under the names
// and in the folders an installation uses (cleartool.exe and ccperl.exe in a
// Program Files folder on Windows): a real ClearCase in an install folder
// that PATH does not name is found with its Perl; a copy of the simulator on
// PATH is the simulator, known by its answer; the simulated region beside
// the program is taken when there is nothing else.
class TestProcessTree : public QObject {
    Q_OBJECT
private slots:
    // While the command runs, the window keeps answering and the wait does
    // not spin. Cancel ends its whole tree, with no failure box; without a
    // run, or a second time, cancel() does nothing.
    void cancelEndsTheGrandchild()
    {
        QTemporaryDir work;
        ProcessShell shell(work.path(), BinDir);
        shell.cancel();
        QStringList seen;
        shell.setWaitObserver([&seen](bool on, const QString &line) { seen << (on ? u"on "_s : u"off "_s) + line; });
        const QString pidFile = work.filePath(u"child.pid"_s);
        int ticks = 0;
        QTimer poll;
        connect(&poll, &QTimer::timeout, this, [&] {
            if (QFileInfo(pidFile).size() > 0 && ++ticks == 50) { // a second after the child started
                shell.cancel();
                shell.cancel();
            }
        });
        poll.start(20);
        [[maybe_unused]] const std::clock_t cpuBefore = std::clock();
        const ShellResult r = shell.ShellAndWait(u"treeholder child.pid"_s, 0);
#ifndef Q_OS_WIN // where clock() is the wall clock
        const double cpuSeconds = double(std::clock() - cpuBefore) / CLOCKS_PER_SEC;
        QVERIFY2(cpuSeconds < 0.5, qPrintable(QString::number(cpuSeconds)));
#endif
        QCOMPARE(r.outcome, ShellResult::Outcome::Cancelled);
        QVERIFY2(r.elapsedMs < 30000, qPrintable(QString::number(r.elapsedMs)));
        QCOMPARE(r.box, ShellResult::Box::None); // a stopped command owes no failure box
        QCOMPARE(seen, (QStringList{u"on treeholder child.pid"_s, u"off treeholder child.pid"_s}));
        QFile f(pidFile);
        QVERIFY(f.open(QIODevice::ReadOnly));
        const qint64 child = f.readAll().toLongLong();
        QVERIFY(child > 0);
        QTRY_VERIFY_WITH_TIMEOUT(!WorkFolder::processStart(child).has_value(), 10000);
        // The shell is whole again for the next command.
        QCOMPARE(shell.ShellAndWait(u"argecho done"_s, 0).outcome, ShellResult::Outcome::Ran);
    }

    void argumentsArriveAsWritten_data()
    {
        QTest::addColumn<QString>("line");
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("a Windows script path with blanks")
            << u"argecho \"C:\\Program Files\\Quorvane\\get_replica_info.pl\" /vobs/tools"_s
            << QStringList{u"C:\\Program Files\\Quorvane\\get_replica_info.pl"_s, u"/vobs/tools"_s};
        QTest::newRow("backslashes are literal, unquoted or not")
            << u"argecho \\\\server\\vobs\\tools C:\\dir\\ \"D:\\a b\\c\""_s
            << QStringList{u"\\\\server\\vobs\\tools"_s, u"C:\\dir\\"_s, u"D:\\a b\\c"_s};
        QTest::newRow("a quoted folder ending in a backslash")
            << u"argecho \"C:\\a b\\\\\" next"_s << QStringList{u"C:\\a b\\"_s, u"next"_s};
        QTest::newRow("quotes inside an argument")
            << u"argecho \"say \\\"hello\\\"\" \"it\"\"s\" a\\\"b"_s
            << QStringList{u"say \"hello\""_s, u"it\"s"_s, u"a\"b"_s};
        QTest::newRow("an empty argument and tabs")
            << u"argecho \"\" x\t\ty"_s << QStringList{QString(), u"x"_s, u"y"_s};
        QTest::newRow("a replica name and a comment")
            << u"argecho -c \"chepoch by Quorvane: 'tokyo' & co; 50%\" replica:tokyo@\\vobs\\tools"_s
            << QStringList{u"-c"_s, u"chepoch by Quorvane: 'tokyo' & co; 50%"_s, u"replica:tokyo@\\vobs\\tools"_s};
        QTest::newRow("no shell between, an unclosed quote")
            << u"argecho $HOME;ls `id` p\"q r\"s \"d"_s << QStringList{u"$HOME;ls"_s, u"`id`"_s, u"pq rs"_s, u"d"_s};
    }
    void argumentsArriveAsWritten()
    {
        QFETCH(QString, line);
        QFETCH(QStringList, expected);
        QTemporaryDir work;
        const ShellResult r = ProcessShell(work.path(), BinDir).ShellAndRead(line);
        QCOMPARE(r.outcome, ShellResult::Outcome::Ran);
        QCOMPARE(QJsonDocument::fromJson(r.output.toUtf8()).array().toVariantList(),
                 QVariantList(expected.cbegin(), expected.cend()));
    }

    void realInstallationInItsFolder()
    {
        QTemporaryDir root;
        QProcessEnvironment env;
        env.insert(u"ProgramFiles"_s, QDir::toNativeSeparators(root.filePath(u"Program Files"_s)));
        env.insert(u"CLEARCASEHOME"_s, root.filePath(u"opt/hcl/ccm/versionvault"_s));
        // Only the folders under the test's own root: the others are this
        // machine's (/usr/atria/bin), never to be written by a test.
        QStringList folders;
        for (const QString &dir : ClearCaseDiscovery::installFolders(Windows, env)) {
            if (QDir::fromNativeSeparators(dir).startsWith(root.path()))
                folders << dir;
        }
        QVERIFY(!folders.isEmpty());
        const QString bin = QDir::fromNativeSeparators(folders.constLast());
        // Anything that does not answer as the simulator is real ClearCase.
        QVERIFY(install(BinDir + u"/argecho"_s, bin + u"/cleartool"_s));
        QVERIFY(install(BinDir + u"/argecho"_s, bin + (Windows ? u"/ccperl"_s : u"/Perl"_s)));
        const ClearCaseFound found = ClearCaseDiscovery::find(root.filePath(u"prog"_s), QString(), folders);
        QCOMPARE(found.kind, Kind::Real);
        QCOMPARE(QDir::fromNativeSeparators(found.clearToolPath), bin + u"/cleartool"_s + Exe);
        QCOMPARE(ClearCaseDiscovery::productPerl(found.binDir, Windows),
                 QFileInfo(bin + (Windows ? u"/ccperl"_s : u"/Perl"_s) + Exe).absoluteFilePath());
    }

    void simulator()
    {
        QTemporaryDir root;
        QVERIFY(install(BinDir + u"/sim/ccsim"_s, root.filePath(u"prog/sim/cleartool"_s)));
        const ClearCaseFound beside = ClearCaseDiscovery::find(root.filePath(u"prog"_s), QString(), {});
        QCOMPARE(beside.kind, Kind::Simulated);
        QCOMPARE(beside.description, u"Simulated MultiSite region (no ClearCase installed)"_s);
        QCOMPARE(ClearCaseDiscovery::chosen(u"simulated"_s, root.filePath(u"prog"_s), QString()).kind, Kind::Simulated);
        QCOMPARE(ClearCaseDiscovery::find(root.filePath(u"nowhere"_s), QString(), {}).kind, Kind::None);

        const QString onPath = root.filePath(u"tools"_s);
        QVERIFY(install(BinDir + u"/sim/ccsim"_s, onPath + u"/cleartool"_s));
        const QString path = QDir::toNativeSeparators(root.filePath(u"empty"_s)) + QDir::listSeparator()
            + QDir::toNativeSeparators(onPath);
        const ClearCaseFound found = ClearCaseDiscovery::find(root.filePath(u"nowhere"_s), path, {});
        QCOMPARE(found.kind, Kind::Simulated);
        QCOMPARE(QDir::fromNativeSeparators(found.clearToolPath), onPath + u"/cleartool"_s + Exe);
        // A real one anywhere wins over it.
        const QString real = root.filePath(u"real"_s);
        QVERIFY(install(BinDir + u"/argecho"_s, real + u"/cleartool"_s));
        QCOMPARE(ClearCaseDiscovery::find(root.filePath(u"nowhere"_s), path, {real}).kind, Kind::Real);
    }

    // And what the access layer sends and keeps: the names and tags a command line
    // may hold, the command log its writers fill, and the box a run owes, shown
    // around the shell that ran it (per kind, in the program's words; reads and
    // runs that owe nothing show nothing, and the result comes back unchanged;
    // cancel and the wait's observer reach the shell that runs the process).

    // Which names and tags may go into a command line unquoted: those that
    // the splitter gives back as one argument and that cannot read as an
    // option. The first faulty text of a list is the one named.
    void argumentFault_data()
    {
        QTest::addColumn<QStringList>("texts");
        QTest::addColumn<QString>("faulty"); // empty: all may go out
        QTest::addColumn<QString>("reason");
        const auto ok = [](const char *name, const QStringList &texts) {
            QTest::newRow(name) << texts << QString() << QString();
        };
        ok("plain names", {u"r1"_s, u"boston_hub"_s, u"site-2.b"_s});
        ok("windows and unix tags", {u"\\proj"_s, u"\\\\srv\\share"_s, u"/vobs/dev"_s});
        ok("letters beyond ASCII", {u"zürich"_s, u"東京"_s});
        ok("dash inside, trailing backslash", {u"a-"_s, u"a\\"_s});
        const auto bad = [](const char *name, const QStringList &texts, const QString &faulty,
                            const char *reason) {
            QTest::newRow(name) << texts << faulty << QString::fromUtf8(reason);
        };
        bad("blank", {u"r1"_s, u"a b"_s}, u"a b"_s, "holds a blank");
        bad("trailing blank", {u"r1 "_s}, u"r1 "_s, "holds a blank");
        bad("double quote", {u"a\"b"_s}, u"a\"b"_s, "holds a double quote");
        bad("tab", {u"a\tb"_s}, u"a\tb"_s, "holds a control character (<U+0009>)");
        bad("line end", {u"a\nb"_s}, u"a\nb"_s, "holds a control character (<U+000A>)");
        bad("delete", {u"a\x7f"_s}, u"a\x7f"_s, "holds a control character (<U+007F>)");
        bad("option", {u"-import"_s}, u"-import"_s, "starts with \"-\", which reads as an option");
        bad("empty", {u"r1"_s, QString()}, QString(), "is empty");
        bad("first of two", {u"-a"_s, u"b c"_s}, u"-a"_s, "starts with \"-\", which reads as an option");
    }
    void argumentFault()
    {
        QFETCH(QStringList, texts);
        QFETCH(QString, reason);
        const auto fault = Commands::argumentFault(texts);
        QCOMPARE(fault.has_value(), !reason.isEmpty());
        if (!fault) {
            // What passes really is one argument each, in every command.
            const QStringList args = CommandLine::split(Commands::exportToAll(texts, u"\\proj"_s));
            QStringList expected;
            for (const QString &t : texts)
                expected << t + u"@\\proj"_s;
            QCOMPARE(args.mid(4), expected);
            return;
        }
        QTEST(fault->text, "faulty");
        QCOMPARE(fault->reason, reason);
    }

    void visible()
    {
        QCOMPARE(Commands::visible(u"a\r\nb\x01 c"_s), u"a<U+000D><U+000A>b<U+0001> c"_s);
        QCOMPARE(Commands::visible(u"zürich"_s), u"zürich"_s);
    }

    // The command log: what the writers put into it, and what it keeps when
    // a run goes on for long.
    void clearToolCommandsAreLoggedAsTheyEnded()
    {
        const QString desc = u"desc -fmt \"%[replica_name]p\" vob:/vobs/tools"_s;
        const QString refusal = u"cleartool: Error: Unable to locate VOB \"/vobs/gone\"."_s;
        test::ScriptedClearTool inner;
        inner.outputs.insert(desc, u"boston_hub"_s);
        inner.failures.insert(u"lsreplica -invob /vobs/gone"_s, refusal);
        inner.tags = {u"/vobs/a"_s, u"/vobs/b"_s};
        CommandLog log;
        LoggingClearTool tool(inner, log);
        QCOMPARE(tool.CmdExec(desc), u"boston_hub"_s);
        // A refusal reaches the caller unchanged.
        try {
            tool.CmdExec(u"lsreplica -invob /vobs/gone"_s);
            QFAIL("the refusal was swallowed");
        } catch (const ClearCaseError &e) {
            QCOMPARE(e.number(), ErrNo::ClearCase);
            QCOMPARE(e.description(), refusal);
        }
        QCOMPARE(tool.vobTags(), inner.tags);

        QCOMPARE(log.rowCount(), 3);
        const auto &e = log.entries();
        QCOMPARE(e[0].command, u"cleartool "_s + desc);
        QVERIFY(e[0].ok && e[0].outcome == u"status 0"_s && e[0].output == u"boston_hub"_s);
        QVERIFY(!e[1].ok);
        QCOMPARE(e[1].outcome, u"failed: "_s + refusal);
        QCOMPARE(e[1].errorText, refusal);
        QCOMPARE(e[2].command, u"cleartool lsvob -short"_s);
        QCOMPARE(e[2].output, u"/vobs/a\n/vobs/b"_s);
        for (const CommandLogEntry &entry : e)
            QVERIFY(entry.kind == CommandLogEntry::Kind::ClearTool && entry.started.isValid() && entry.elapsedMs >= 0);
        // The table shows the command and its result in their own columns.
        QCOMPARE(log.data(log.index(1, CommandLog::CommandColumn)).toString(), u"cleartool lsreplica -invob /vobs/gone"_s);
        QCOMPARE(log.data(log.index(0, CommandLog::KindColumn)).toString(), u"cleartool"_s);
    }

    // Three hours east of UTC, so that a time shown in UTC cannot pass.
    void initTestCase()
    {
        qputenv("TZ", "QRV-3");
        tzset();
    }

    // The table, the text for the clipboard and the details, in local time.
    void shownInLocalTime()
    {
        CommandLog log;
        log.add({CommandLogEntry::Kind::Process, u"multitool chepoch -actual london@/vobs/tools"_s,
                 QDateTime(QDate(2026, 12, 6), QTime(16, 5, 12), Qt::UTC), 1500, true, u"exit 0"_s, QString(),
                 u"warning line"_s});
        const QString line = log.toText(false), full = log.toText(true);
        QCOMPARE(line.mid(8), u"\t1.5 s\tprocess\tmultitool chepoch -actual london@/vobs/tools\texit 0\n"_s);
        QVERIFY(full.contains(u"Output:\n(none)\n"_s) && full.contains(u"Error text:\nwarning line"_s));
#ifdef Q_OS_WIN
        QSKIP("the zone is pinned with TZ, which the C runtime follows on Windows and the system clock does not");
#endif
        // What the writers record is now, whatever zone it is kept in.
        test::ScriptedClearTool inner;
        LoggingClearTool(inner, log).vobTags();
        QVERIFY(qAbs(log.entries().constLast().started.secsTo(QDateTime::currentDateTime())) < 600);
        QCOMPARE(log.data(log.index(0, CommandLog::TimeColumn)).toString(), u"19:05:12"_s);
        QVERIFY(CommandLog::detailText(log.entries().first()).contains(u"2026-12-06 19:05:12.000"_s));
        QVERIFY(line.startsWith(u"19:05:12\t"_s));
    }

    void textsAreBounded_data()
    {
        QTest::addColumn<qsizetype>("size");
        QTest::addColumn<bool>("cut");
        QTest::newRow("at the bound") << CommandLog::maxTextChars << false;
        QTest::newRow("one over") << CommandLog::maxTextChars + 1 << true;
        QTest::newRow("a megabyte") << qsizetype(1024 * 1024) << true;
    }
    void textsAreBounded()
    {
        QFETCH(qsizetype, size);
        QFETCH(bool, cut);
        // Distinct ends show which part was kept.
        QString text(size, u'x');
        text[0] = u'H';
        text[size - 1] = u'T';
        CommandLog log;
        log.add({CommandLogEntry::Kind::Process, u"ccperl x"_s, QDateTime::currentDateTime(), 1, false, u"exit 1"_s,
                 text, text});
        const CommandLogEntry &e = log.entries().first();
        QCOMPARE(e.output == text, !cut);
        QCOMPARE(e.errorText == text, !cut);
        QVERIFY(e.output.startsWith(u'H') && e.errorText.endsWith(u'T'));
        if (cut) {
            const qsizetype dropped = size - CommandLog::maxTextChars;
            QVERIFY(e.output.size() < CommandLog::maxTextChars + 100);
            QVERIFY(e.output.endsWith(u"[... %1 more characters not kept]"_s.arg(dropped)));
            QVERIFY(e.errorText.startsWith(u"[%1 earlier characters not kept ...]"_s.arg(dropped)));
        }
    }

    void oldestEntriesGoFirst()
    {
        CommandLog log;
        QSignalSpy removed(&log, &QAbstractItemModel::rowsRemoved);
        for (qsizetype i = 0; i < CommandLog::maxEntries + 3; ++i) {
            CommandLogEntry e;
            e.command = QString::number(i);
            log.add(e);
        }
        QCOMPARE(log.rowCount(), int(CommandLog::maxEntries));
        QCOMPARE(log.dropped(), qsizetype(3));
        QCOMPARE(removed.size(), 3);
        QCOMPARE(log.entries().first().command, u"3"_s);
        QCOMPARE(log.entries().last().command, QString::number(CommandLog::maxEntries + 2));
        QVERIFY(log.toText(false).startsWith(u"(3 earlier entries not kept)\n"_s));
    }

    void boxes_data()
    {
        QTest::addColumn<int>("box");
        QTest::addColumn<bool>("read");
        QTest::addColumn<QString>("prompt"); // empty: no box
        const QString line = u"multitool chepoch -actual r1@/vobs/x"_s;
        QTest::newRow("none") << int(ShellResult::Box::None) << false << QString();
        QTest::newRow("not started") << int(ShellResult::Box::NotStarted) << false
                                     << u"ERROR: why\r\nCould not execute --> "_s + line;
        QTest::newRow("failed") << int(ShellResult::Box::Failed) << false << u"ERROR: why\r\nCommand failed --> "_s + line;
        QTest::newRow("a read shows nothing") << int(ShellResult::Box::Failed) << true << QString();
    }
    void boxes()
    {
        QFETCH(int, box);
        QFETCH(bool, read);
        QFETCH(QString, prompt);
        test::FakeShell fake;
        test::ScriptedDialogs dialogs;
        ReportingShell shell(fake, dialogs);
        QStringList seen;
        shell.setWaitObserver([&seen](bool on, const QString &) { seen << (on ? u"on"_s : u"off"_s); });
        shell.cancel();
        QCOMPARE(fake.cancels, 1);
        fake.result.outcome = ShellResult::Outcome::Ran;
        fake.result.exitCode = 1;
        fake.result.box = ShellResult::Box(box);
        fake.result.boxReason = u"why"_s;
        const QString line = u"multitool chepoch -actual r1@/vobs/x"_s;
        const ShellResult r = read ? shell.ShellAndRead(line) : shell.ShellAndWait(line, 0);
        QCOMPARE(fake.lines, QStringList{line});
        QCOMPARE(seen, (QStringList{u"on"_s, u"off"_s}));
        QCOMPARE(r.exitCode, 1);
        QCOMPARE(int(r.box), box);
        if (prompt.isEmpty()) {
            QVERIFY(dialogs.boxes.isEmpty());
            return;
        }
        QCOMPARE(dialogs.boxes.size(), 1);
        QCOMPARE(dialogs.boxes[0].prompt, prompt);
        QCOMPARE(dialogs.boxes[0].buttons, MsgButtons::Ok);
    }
};

QTEST_GUILESS_MAIN(TestProcessTree)
#include "tst_processtree.moc"
