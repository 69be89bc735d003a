#include "app/WorkFolder.h"
#include "ccase/CommandLine.h"
#include "ccase/ProcessShell.h"

#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <ctime>

using namespace quorvane;
using namespace Qt::StringLiterals;

const QString BinDir = QStringLiteral(QUORVANE_BIN_DIR);

// What the program starts, on every platform it runs on: a Cancel ends the
// whole tree a command started (a process group on UNIX, a job object on
// Windows), and a command line reaches the program started with the
// arguments the administrator wrote, whatever blanks, quotes and
// backslashes it holds.
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
    }
    void argumentsArriveAsWritten()
    {
        QFETCH(QString, line);
        QFETCH(QStringList, expected);
        QStringList args = CommandLine::split(line);
        QCOMPARE(args.mid(1), expected);
        // Started as ProcessShell starts it: program and arguments, no shell.
        QProcess p;
        p.start(BinDir + u"/argecho"_s, args.mid(1));
        QVERIFY(p.waitForFinished(30000));
        QCOMPARE(QJsonDocument::fromJson(p.readAllStandardOutput()).array().toVariantList(),
                 QVariantList(expected.cbegin(), expected.cend()));
    }
};

QTEST_GUILESS_MAIN(TestProcessTree)
#include "tst_processtree.moc"
