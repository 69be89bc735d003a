#include "ccase/ProcessShell.h"
#include "support/ScriptedDialogs.h"
#include "ui/AppInfo.h"
#include "ui/ErrorBoxes.h"

#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <ctime>

using namespace quorvane;
using namespace Qt::StringLiterals;

class TestProcessShell : public QObject {
    Q_OBJECT
private slots:
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
        QTest::addColumn<QString>("description"); // empty: any text naming the failure
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
        QVERIFY(box.prompt.endsWith(u"\r\nCould not execute --> "_s + line));
        if (description.isEmpty())
            QVERIFY(box.prompt.size() > u"ERROR: \r\nCould not execute --> "_s.size() + line.size());
        else
            QCOMPARE(box.prompt, ErrorBoxes::process(description, line).prompt);
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
        QTest::newRow("no perl at all") << QStringList{} << u"ccperl"_s << QString();
        QTest::newRow("no fallback for multitool") << QStringList{u"perl"_s} << u"multitool"_s << QString();
    }
    void resolveProgram()
    {
        QFETCH(QStringList, present);
        QFETCH(QString, name);
        QFETCH(QString, expected);
        QTemporaryDir dir;
        for (const QString &p : present) {
            QFile f(dir.filePath(p));
            QVERIFY(f.open(QIODevice::WriteOnly) && f.setPermissions(QFile::ReadOwner | QFile::ExeOwner));
        }
        QCOMPARE(ProcessShell::resolveProgram(name, {dir.path()}),
                 expected.isEmpty() ? QString() : dir.filePath(expected));
    }
};

QTEST_GUILESS_MAIN(TestProcessShell)
#include "tst_processshell.moc"
