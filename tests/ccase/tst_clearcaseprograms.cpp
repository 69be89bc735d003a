// Finding ClearCase's programs (real, simulated or none) and running them
// without a shell while the window keeps answering.
#include "ccase/ClearCaseDiscovery.h"
#include "ccase/ClearCaseError.h"
#include "ccase/ClearTool.h"
#include "ccase/CoprocessClearTool.h"
#include "ccase/ProcessShell.h"
#include "support/ScriptedDialogs.h"
#include "ui/AppInfo.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <ctime>

using namespace quorvane;
using namespace Qt::StringLiterals;
using Kind = ClearCaseFound::Kind;

namespace {
void makeExecutable(const QString &path)
{
    QVERIFY(QDir().mkpath(QFileInfo(path).absolutePath()));
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write("#!/bin/sh\nexit 0\n");
    f.close();
    QVERIFY(f.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
}
} // namespace

class TestClearCasePrograms : public QObject {
    Q_OBJECT
private slots:
    // Layouts under a temporary root: "prog" is the program directory,
    // "pathdir" is all of PATH, "install" is an install folder. A name after
    // "->" is a link to it.
    void find_data()
    {
        QTest::addColumn<QStringList>("files");
        QTest::addColumn<int>("kind");
        QTest::addColumn<QString>("tool"); // relative to the root
        const QString sim = u"prog/sim/cleartool"_s;
        QTest::newRow("real on PATH wins over simulated")
            << QStringList{u"pathdir/cleartool"_s, sim} << int(Kind::Real) << u"pathdir/cleartool"_s;
        QTest::newRow("real in install folder")
            << QStringList{u"install/cleartool"_s, sim} << int(Kind::Real) << u"install/cleartool"_s;
        QTest::newRow("simulated beside the program") << QStringList{sim} << int(Kind::Simulated) << sim;
        QTest::newRow("simulator linked elsewhere is not ClearCase")
            << QStringList{u"pathdir/ccsim"_s, u"pathdir/cleartool->pathdir/ccsim"_s} << int(Kind::None)
            << QString();
        QTest::newRow("none") << QStringList{u"pathdir/multitool"_s} << int(Kind::None) << QString();
    }
    void find()
    {
        QFETCH(QStringList, files);
        QFETCH(int, kind);
        QFETCH(QString, tool);
        QTemporaryDir root;
        const QDir r(root.path());
        for (const QString &f : files) {
            if (f.contains(u"->"_s))
                QVERIFY(QFile::link(r.filePath(f.section(u"->"_s, 1)), r.filePath(f.section(u"->"_s, 0, 0))));
            else
                makeExecutable(r.filePath(f));
        }
        const ClearCaseFound found = ClearCaseDiscovery::find(r.filePath(u"prog"_s), r.filePath(u"pathdir"_s),
                                                              {r.filePath(u"install"_s)});
        QCOMPARE(int(found.kind), kind);
        QCOMPARE(found.clearToolPath, tool.isEmpty() ? QString() : r.filePath(tool));
        const QString descriptions[] = {u"ClearCase: "_s + found.clearToolPath,
                                        u"Simulated MultiSite region (no ClearCase installed)"_s,
                                        u"No ClearCase found"_s};
        QCOMPARE(found.description, descriptions[kind]);
    }

    // Found beside the program, the simulated region's folder goes first on
    // PATH, once, so that ccperl and multitool are the simulated ones too.
    void discoverPutsSimulatedRegionFirstOnPath()
    {
        QTemporaryDir root;
        const QString sim = root.filePath(u"prog/sim"_s);
        makeExecutable(sim + u"/cleartool"_s);
        const QByteArray saved = qgetenv("PATH");
        qputenv("PATH", QString(u"/nonexistent/bin"_s + QDir::listSeparator() + sim).toLocal8Bit());
        const ClearCaseFound found = ClearCaseDiscovery::discover(root.filePath(u"prog"_s));
        const QString after = qEnvironmentVariable("PATH");
        qputenv("PATH", saved);
        if (found.kind == Kind::Real)
            QSKIP("this machine has ClearCase installed");
        QCOMPARE(found.kind, Kind::Simulated);
        QCOMPARE(after, sim + QDir::listSeparator() + u"/nonexistent/bin"_s);
    }

    // Without ClearCase, or with a cleartool that cannot start, "Load VOBs"
    // says so.
    void missingClearToolIsReported()
    {
        CoprocessClearTool missing(u"/nonexistent/cleartool"_s);
        try {
            missing.vobTags();
            QFAIL("no error");
        } catch (const ClearCaseError &e) {
            QVERIFY2(e.description().startsWith(u"Could not start cleartool (/nonexistent/cleartool)"_s),
                     qPrintable(e.description()));
        }
        try {
            ClearCaseDiscovery::makeClearTool({Kind::None, QString(), QString()})->vobTags();
            QFAIL("no error");
        } catch (const ClearCaseError &e) {
            QVERIFY(e.description().startsWith(u"No ClearCase was found"_s));
            QCOMPARE(e.number(), ErrNo::ClearCase);
        }
    }

    void windowKeepsAnsweringDuringTwoSecondProcess()
    {
        test::ScriptedDialogs dialogs;
        QTemporaryDir work;
        ProcessShell shell(dialogs, work.path());
        int ticks = 0;
        QTimer timer;
        connect(&timer, &QTimer::timeout, this, [&ticks] { ++ticks; });
        timer.start(20);
        QElapsedTimer wall;
        wall.start();
        const std::clock_t cpuBefore = std::clock();
        shell.ShellAndWait(u"sleep 2"_s, 0);
        const double cpuSeconds = double(std::clock() - cpuBefore) / CLOCKS_PER_SEC;
        QVERIFY(dialogs.boxes.isEmpty());
        QVERIFY2(wall.elapsed() >= 1900, qPrintable(QString::number(wall.elapsed())));
        QVERIFY2(ticks >= 20, qPrintable(QString::number(ticks)));           // events kept running ...
        QVERIFY2(cpuSeconds < 0.5, qPrintable(QString::number(cpuSeconds))); // ... and the wait did not spin
    }

    void argumentsReachProgramUnchangedInWorkDir()
    {
        test::ScriptedDialogs dialogs;
        QTemporaryDir work;
        ProcessShell shell(dialogs, work.path());
        // Text a shell would expand or split stays as it is.
        shell.ShellAndWait(u"perl -e \"open(my $f, '>', 'args.txt') or die; print $f join('|', @ARGV)\" "
                           "\"a b\" \\dev x\\\"y $HOME;ls `id`"_s,
                           0);
        QVERIFY(dialogs.boxes.isEmpty());
        QFile out(work.filePath(u"args.txt"_s));
        QVERIFY(out.open(QIODevice::ReadOnly));
        QCOMPARE(QString::fromUtf8(out.readAll()), u"a b|\\dev|x\"y|$HOME;ls|`id`"_s);
    }

    void startFailureShowsProcessBox_data()
    {
        QTest::addColumn<QString>("workDir");
        QTest::addColumn<QString>("line");
        QTest::addColumn<QString>("description"); // its start; some text in any case
        QTest::newRow("missing program")
            << QString() << u"no_such_program_q \"a b\" c"_s << u"Program not found: no_such_program_q"_s;
        QTest::newRow("empty line") << QString() << u"  "_s << u"Empty command line"_s;
        QTest::newRow("work dir gone") << u"/nonexistent/work"_s << u"true"_s << QString();
    }
    void startFailureShowsProcessBox()
    {
        QFETCH(QString, workDir);
        QFETCH(QString, line);
        QFETCH(QString, description);
        test::ScriptedDialogs dialogs;
        QTemporaryDir work;
        ProcessShell shell(dialogs, workDir.isEmpty() ? work.path() : workDir);
        shell.ShellAndWait(line, 0);
        QCOMPARE(dialogs.boxes.size(), 1);
        const auto &box = dialogs.boxes.first();
        QCOMPARE(box.title, AppInfo::title());
        QCOMPARE(box.icon, MsgIcon::Stop);
        QVERIFY2(box.prompt.startsWith(u"ERROR: "_s + description) && !box.prompt.startsWith(u"ERROR: \r"_s),
                 qPrintable(box.prompt));
        QVERIFY(box.prompt.endsWith(u"\r\nCould not execute --> "_s + line));
    }

    void resolveProgram_data()
    {
        QTest::addColumn<QStringList>("present");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("expected"); // file name found, empty for none
        QTest::newRow("ccperl itself") << QStringList{u"ccperl"_s, u"perl"_s} << u"ccperl"_s << u"ccperl"_s;
        QTest::newRow("ratlperl before perl")
            << QStringList{u"ratlperl"_s, u"perl"_s} << u"ccperl"_s << u"ratlperl"_s;
        QTest::newRow("perl last") << QStringList{u"perl"_s} << u"ccperl"_s << u"perl"_s;
        QTest::newRow("no fallback for multitool") << QStringList{u"perl"_s} << u"multitool"_s << QString();
    }
    void resolveProgram()
    {
        QFETCH(QStringList, present);
        QFETCH(QString, name);
        QFETCH(QString, expected);
        QTemporaryDir dir;
        for (const QString &p : present)
            makeExecutable(dir.filePath(p));
        QCOMPARE(ProcessShell::resolveProgram(name, {dir.path()}),
                 expected.isEmpty() ? QString() : dir.filePath(expected));
    }
};

QTEST_GUILESS_MAIN(TestClearCasePrograms)
#include "tst_clearcaseprograms.moc"
