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

namespace {

void makeExecutable(const QString &path)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write("#!/bin/sh\nexit 0\n");
    f.close();
    QVERIFY(f.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
}

} // namespace

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
        timer.setInterval(20);
        connect(&timer, &QTimer::timeout, this, [&ticks] { ++ticks; });
        timer.start();

        QElapsedTimer wall;
        wall.start();
        const std::clock_t cpuBefore = std::clock();
        shell.ShellAndWait(QStringLiteral("sleep 2"), 0);
        const double cpuSeconds = double(std::clock() - cpuBefore) / CLOCKS_PER_SEC;
        const qint64 elapsed = wall.elapsed();

        QVERIFY(dialogs.boxes.isEmpty());
        QVERIFY2(elapsed >= 1900, qPrintable(QString::number(elapsed)));
        // The timer kept firing while the process ran ...
        QVERIFY2(ticks >= 20, qPrintable(QString::number(ticks)));
        // ... and the wait itself did not spin.
        QVERIFY2(cpuSeconds < 0.5, qPrintable(QString::number(cpuSeconds)));
    }

    void argumentsReachProgramUnchangedInWorkDir()
    {
        test::ScriptedDialogs dialogs;
        QTemporaryDir work;
        ProcessShell shell(dialogs, work.path());
        // Text a shell would expand or split stays as it is.
        shell.ShellAndWait(QStringLiteral("perl -e \"open(my $f, '>', 'args.txt') or die; "
                                          "print $f join('|', @ARGV)\" \"a b\" \\dev x\\\"y $HOME;ls `id`"),
                           0);
        QVERIFY(dialogs.boxes.isEmpty());
        QFile out(work.filePath(QStringLiteral("args.txt")));
        QVERIFY(out.open(QIODevice::ReadOnly));
        QCOMPARE(QString::fromUtf8(out.readAll()), QStringLiteral("a b|\\dev|x\"y|$HOME;ls|`id`"));
    }

    void startFailureShowsProcessBox_data()
    {
        QTest::addColumn<QString>("workDir");
        QTest::addColumn<QString>("line");
        QTest::addColumn<QString>("description"); // empty: any text naming the failure
        QTest::newRow("missing program") << QString() << QStringLiteral("no_such_program_q \"a b\" c")
                                         << QStringLiteral("Program not found: no_such_program_q");
        QTest::newRow("missing path") << QString() << QStringLiteral("/nonexistent/bin/multitool lsepoch")
                                      << QStringLiteral("Program not found: /nonexistent/bin/multitool");
        QTest::newRow("empty line") << QString() << QStringLiteral("  ") << QStringLiteral("Empty command line");
        QTest::newRow("work dir gone") << QStringLiteral("/nonexistent/work") << QStringLiteral("true")
                                       << QString();
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
        QCOMPARE(box.buttons, MsgButtons::Ok);
        QVERIFY(box.prompt.endsWith(QStringLiteral("\r\nCould not execute --> ") + line));
        if (description.isEmpty())
            QVERIFY(box.prompt.size() > QStringLiteral("ERROR: \r\nCould not execute --> ").size() + line.size());
        else
            QCOMPARE(box.prompt, ErrorBoxes::process(description, line).prompt);
    }

    void resolveProgram_data()
    {
        QTest::addColumn<QStringList>("present");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("expected"); // file name found, empty for none
        QTest::newRow("ccperl itself") << QStringList{QStringLiteral("ccperl"), QStringLiteral("perl")}
                                       << QStringLiteral("ccperl") << QStringLiteral("ccperl");
        QTest::newRow("ratlperl before perl")
            << QStringList{QStringLiteral("ratlperl"), QStringLiteral("perl")} << QStringLiteral("ccperl")
            << QStringLiteral("ratlperl");
        QTest::newRow("perl last") << QStringList{QStringLiteral("perl")} << QStringLiteral("ccperl")
                                   << QStringLiteral("perl");
        QTest::newRow("no perl at all") << QStringList{} << QStringLiteral("ccperl") << QString();
        QTest::newRow("no fallback for multitool") << QStringList{QStringLiteral("perl")}
                                                   << QStringLiteral("multitool") << QString();
        QTest::newRow("multitool") << QStringList{QStringLiteral("multitool")} << QStringLiteral("multitool")
                                   << QStringLiteral("multitool");
    }
    void resolveProgram()
    {
        QFETCH(QStringList, present);
        QFETCH(QString, name);
        QFETCH(QString, expected);
        QTemporaryDir dir;
        for (const QString &p : present)
            makeExecutable(dir.filePath(p));
        const QString found = ProcessShell::resolveProgram(name, {dir.path()});
        QCOMPARE(found, expected.isEmpty() ? QString() : dir.filePath(expected));
    }
};

QTEST_GUILESS_MAIN(TestProcessShell)
#include "tst_processshell.moc"
