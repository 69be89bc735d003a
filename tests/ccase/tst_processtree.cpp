#include "app/WorkFolder.h"
#include "ccase/ClearCaseDiscovery.h"
#include "ccase/ProcessShell.h"

#include <QDir>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QProcessEnvironment>
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
};

QTEST_GUILESS_MAIN(TestProcessTree)
#include "tst_processtree.moc"
