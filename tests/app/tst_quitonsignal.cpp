// The program ended by a signal, as a session manager, a Ctrl+C or a closed
// terminal ends it, or by the desktop session's end: it goes the way of
// Exit (idle: tst_frmmain, on the built program). Busy, the running
// multitool or script is let end (real processes: stand-ins that take their
// time), nothing starts after it but what Exit still runs, and standard
// error says what came of it; a second signal or the bound stops the wait
// without killing a multitool, and ends the whole script.
#include "app/OrderlyExit.h"
#include "app/QuitOnSignal.h"
#include "ccase/ProcessShell.h"
#include "maintenance/FixFrame.h"
#include "support/LoaderFixture.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <csignal>
#include <cstdlib>
#include <memory>
#include <unistd.h>

using namespace quorvane;
using namespace Qt::StringLiterals;

// The window system's way of delivering the session manager's last word
// (QWindowSystemInterface::handleApplicationTermination): a spontaneous
// Quit event. Qt lets this one function send such events.
bool qt_sendSpontaneousEvent(QObject *receiver, QEvent *event)
{
    return QCoreApplication::sendSpontaneousEvent(receiver, event);
}

namespace {

const QString Tools = u"/vobs/tools"_s;

// multitool: logs its start and end around STANDIN_SECONDS of work.
// ccperl: leads its process group, starts "multitool lsepoch -actual" as the
// script does, waits for it and writes a two-by-two matrix.
const char *const MultitoolStandIn = R"(#!/bin/sh
echo "start $*" >> "$STANDIN_LOG"
sleep "${STANDIN_SECONDS:-0}"
echo "end $*" >> "$STANDIN_LOG"
)";
const char *const CcperlStandIn = R"(#!/bin/sh
echo "start ccperl $$" >> "$STANDIN_LOG"
"$(dirname "$0")/multitool" lsepoch -actual &
wait
printf 'london,5,7\nparis,5,7\n' | tee _results.txt > _results_local.txt
echo "end ccperl" >> "$STANDIN_LOG"
)";

// Whether a process of the group still runs (a zombie has ended).
bool groupAlive(qint64 group)
{
    const QStringList pids = QDir(u"/proc"_s).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    for (const QString &pid : pids) {
        QFile stat(u"/proc/"_s + pid + u"/stat"_s);
        if (!stat.open(QIODevice::ReadOnly))
            continue;
        // pid (comm) state ppid pgrp ...: comm may hold blanks, so after ')'.
        const QByteArray line = stat.readAll();
        const QList<QByteArray> fields = line.mid(line.lastIndexOf(')') + 2).split(' ');
        if (fields.size() > 2 && fields[0] != "Z" && fields[2].toLongLong() == group)
            return true;
    }
    return false;
}

// Stand-ins for multitool and ccperl in a folder of their own, and their log.
struct StandIns {
    QTemporaryDir standIns;

    StandIns()
    {
        for (const auto &[name, text] : {std::pair{"multitool", MultitoolStandIn}, {"ccperl", CcperlStandIn}}) {
            QFile f(standIns.filePath(QString::fromLatin1(name)));
            if (!f.open(QIODevice::WriteOnly) || f.write(text) < 0)
                qFatal("cannot write a stand-in");
            f.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        }
        qputenv("STANDIN_LOG", standIns.filePath(u"log"_s).toLocal8Bit());
        qputenv("STANDIN_SECONDS", "0");
    }

    // The stand-ins' log, the script's process group apart.
    QStringList standInLog(qint64 *scriptGroup = nullptr) const
    {
        QFile f(standIns.filePath(u"log"_s));
        QStringList lines;
        if (f.open(QIODevice::ReadOnly))
            lines = QString::fromUtf8(f.readAll()).split(u'\n', Qt::SkipEmptyParts);
        for (QString &line : lines) {
            if (line.startsWith(u"start ccperl "_s)) {
                if (scriptGroup)
                    *scriptGroup = line.section(u' ', 2).toLongLong();
                line = u"start ccperl"_s;
            }
        }
        return lines;
    }
};

// The main window on scripted cleartool with /vobs/tools (london here,
// paris) open, and real processes for multitool and ccperl; lsvob -long
// is refused, so the bays are not listed.
struct BusyRig : StandIns, test::LoaderFixture {
    ProcessShell real{workDir.path(), standIns.path()};
    // The window uses `real`, which goes before the fixture's members do.
    ~BusyRig() { window.reset(); }

    BusyRig()
    {
        services.shell = &real;
        window = std::make_unique<frmMain>(services);
        window->show();
        addVob(Tools, test::family(Tools, {u"london"_s, u"paris"_s}));
        clearTool.outputs.remove(Commands::vobFamily(Tools));
        open(Tools);
        QFile::remove(standIns.filePath(u"log"_s));
    }
};

// Run as a program of its own (see main): waits for the script and leaves
// by exit() once the script's lsepoch runs, as Qt leaves when the display
// goes away.
int exitDuringScript(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const QString standIns = qEnvironmentVariable("STANDIN_DIR");
    ProcessShell shell(qEnvironmentVariable("STANDIN_WORK_DIR"), standIns);
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, &poll, [&standIns] {
        QFile log(QDir(standIns).filePath(u"log"_s));
        if (log.open(QIODevice::ReadOnly) && log.readAll().contains("start lsepoch"))
            std::exit(1);
    });
    poll.start(10);
    shell.ShellAndWait(u"ccperl script /vobs/tools"_s, 0);
    return 0;
}

const QString Import = u"syncreplica -import -invob /vobs/tools -receive"_s;
const QString Export = u"syncreplica -export -fship paris@/vobs/tools"_s;
const QString Chepoch = u"chepoch -actual paris@/vobs/tools"_s;
const QString Lsepoch = u"lsepoch -actual"_s;

QStringList ran(const QStringList &commands)
{
    QStringList lines;
    for (const QString &c : commands)
        lines << u"start "_s + c << u"end "_s + c;
    return lines;
}

} // namespace

class TestQuitOnSignal : public QObject {
    Q_OBJECT
private slots:
    // The program leaves by exit() while the script runs (Qt does when the
    // display goes away): the script and what it started end with it.
    void scriptEndsWithAnExit()
    {
        const StandIns standIns;
        const QTemporaryDir workDir;
        QProcess program;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(u"STANDIN_EXIT_DURING_SCRIPT"_s, u"1"_s);
        env.insert(u"STANDIN_DIR"_s, standIns.standIns.path());
        env.insert(u"STANDIN_WORK_DIR"_s, workDir.path());
        env.insert(u"STANDIN_SECONDS"_s, u"1"_s);
        program.setProcessEnvironment(env);
        program.start(QCoreApplication::applicationFilePath(), {});
        QVERIFY(program.waitForFinished(15000));
        QCOMPARE(program.exitCode(), 1);
        qint64 group = 0;
        QCOMPARE(standIns.standInLog(&group), (QStringList{u"start ccperl"_s, u"start lsepoch -actual"_s}));
        QVERIFY(group > 0);
        QTRY_VERIFY_WITH_TIMEOUT(!groupAlive(group), 3000);
        QTest::qWait(1100); // past the stand-in's work: nothing went on
        QCOMPARE(standIns.standInLog(), (QStringList{u"start ccperl"_s, u"start lsepoch -actual"_s}));
    }

    // A signal (or the session's end) while a command runs: the command is
    // let end, what Exit still runs after it runs, nothing else starts, and
    // each command's end is reported. A second signal or the bound stops
    // the wait: a multitool is left to finish, the script's whole process
    // group is ended.
    void signalWhileBusy_data()
    {
        QTest::addColumn<QString>("action");   // sync, fix or open
        QTest::addColumn<QString>("during");   // the stand-in's start that triggers it
        QTest::addColumn<QString>("how");      // signal, twice, bound or session
        QTest::addColumn<QStringList>("after"); // the stand-ins' log once all has ended
        QTest::addColumn<QStringList>("said");  // in the reported lines
        const QString sigterm = u"SIGTERM received while \""_s;
        QTest::newRow("import") << u"sync"_s << Import << u"signal"_s << ran({Import, Export})
                                << QStringList{sigterm + u"multitool "_s + Import,
                                               u"after SIGTERM: \"multitool "_s + Import + u"\" exit 0"_s,
                                               u"after SIGTERM: \"multitool "_s + Export + u"\" exit 0"_s,
                                               u"ended after SIGTERM, with exit status 143."_s};
        QTest::newRow("chepoch") << u"fix"_s << Chepoch << u"signal"_s << ran({Chepoch})
                                 << QStringList{u"after SIGTERM: \"multitool "_s + Chepoch + u"\" exit 0"_s};
        QTest::newRow("script") << u"open"_s << u"ccperl"_s << u"signal"_s
                                << QStringList{u"start ccperl"_s, u"start "_s + Lsepoch, u"end "_s + Lsepoch,
                                               u"end ccperl"_s}
                                << QStringList{sigterm + u"ccperl "_s, u"\" exit 0"_s};
        QTest::newRow("script, twice") << u"open"_s << u"ccperl"_s << u"twice"_s
                                       << QStringList{u"start ccperl"_s, u"start "_s + Lsepoch}
                                       << QStringList{u"SIGTERM received again: no longer waiting for \"ccperl"_s,
                                                      u"\" cancelled"_s};
        QTest::newRow("export, twice") << u"sync"_s << Export << u"twice"_s << ran({Import, Export})
                                       << QStringList{u"after SIGTERM: \"multitool "_s + Export +
                                                      u"\" left running as process "_s};
        QTest::newRow("import, bound") << u"sync"_s << Import << u"bound"_s << ran({Import})
                                       << QStringList{u"300 ms after SIGTERM: no longer waiting for \"multitool "_s +
                                                      Import};
        QTest::newRow("import, session ends")
            << u"sync"_s << Import << u"session"_s << ran({Import, Export})
            << QStringList{u"The desktop session is ending while \"multitool "_s + Import,
                           u"after the desktop session's end: \"multitool "_s + Export + u"\" exit 0"_s,
                           u"with exit status 0."_s};
    }
    void signalWhileBusy()
    {
        QFETCH(QString, action);
        QFETCH(QString, during);
        QFETCH(QString, how);
        QFETCH(QStringList, after);
        QFETCH(QStringList, said);
        BusyRig r;
        const bool stopsEarly = how == u"twice"_s || how == u"bound"_s;
        // Long enough that a stopped wait ends well before the command does.
        qputenv("STANDIN_SECONDS", stopsEarly ? "1" : "0.4");

        QStringList reported;
        int quitWith = -1;
        QuitOnSignal quitOnSignal;
        QVERIFY(quitOnSignal.isActive());
        OrderlyExit orderly(
            r.window->orderlyExitHooks(), &r.window->commandLog(),
            [&reported](OrderlyExit::Severity, const QString &line) { reported << line; },
            [&quitWith](int code) { quitWith = code; },
            how == u"bound"_s ? std::chrono::milliseconds(300) : OrderlyExit::defaultBound);
        connect(&quitOnSignal, &QuitOnSignal::signalled, &orderly, [&orderly](int n) {
            orderly.signalReceived(QuitOnSignal::signalName(n), QuitOnSignal::exitCodeFor(n));
        });
        qApp->installEventFilter(&orderly);

        int sent = 0;
        QTimer trigger;
        connect(&trigger, &QTimer::timeout, &trigger, [&] {
            if (sent == 0 && r.standInLog().join(u'\n').contains(u"start "_s + during)) {
                ++sent;
                if (how == u"session"_s) {
                    QEvent quit(QEvent::Quit);
                    qt_sendSpontaneousEvent(qApp, &quit);
                } else {
                    ::kill(::getpid(), SIGTERM);
                }
            } else if (sent == 1 && how == u"twice"_s && !reported.isEmpty()) {
                ++sent;
                ::kill(::getpid(), SIGTERM);
            }
        });
        trigger.start(10);

        if (action == u"sync"_s) {
            r.window->fixFrame()->fixOrSync(1);
        } else if (action == u"fix"_s) {
            r.window->fixFrame()->fixCombo()->setCurrentIndex(1);
            r.window->fixFrame()->fixOrSync(0);
        } else {
            r.window->pVobViewListDblClick();
        }
        QTRY_VERIFY_WITH_TIMEOUT(!r.window->isVisible(), 10000);
        const QStringList atClose = r.standInLog();
        orderly.finish();
        trigger.stop();
        qApp->removeEventFilter(&orderly);

        if (stopsEarly && action != u"open"_s) // it did not wait for the multitool to end
            QVERIFY(!atClose.contains(after.last()));
        // What started, and that it ended by itself.
        QTRY_COMPARE_WITH_TIMEOUT(r.standInLog(), after, 10000);
        QTest::qWait(stopsEarly ? 1100 : 300); // nothing more starts, nothing left behind goes on
        qint64 scriptGroup = 0;
        QCOMPARE(r.standInLog(&scriptGroup), after);
        if (scriptGroup > 0)
            QTRY_VERIFY_WITH_TIMEOUT(!groupAlive(scriptGroup), 5000);
        QCOMPARE(quitWith, -1); // the window closed by itself
        for (const QString &part : std::as_const(said))
            QVERIFY2(reported.join(u'\n').contains(part), qPrintable(reported.join(u'\n')));
    }
};

int main(int argc, char *argv[])
{
    if (qEnvironmentVariableIsSet("STANDIN_EXIT_DURING_SCRIPT"))
        return exitDuringScript(argc, argv);
    QApplication app(argc, argv);
    TestQuitOnSignal test;
    return QTest::qExec(&test, argc, argv);
}
#include "tst_quitonsignal.moc"
