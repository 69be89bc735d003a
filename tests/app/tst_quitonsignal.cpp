// The built program ended by a signal, as a session manager, a Ctrl+C or a
// closed terminal ends it: it must unwind like a normal exit, removing its
// work directory and its lock file, and say by its exit code what ended it.
#include "app/QuitOnSignal.h"
#include "support/BuiltProgram.h"

#include <QDir>
#include <QProcess>
#include <QTest>
#include <csignal>

using namespace quorvane;
using namespace Qt::StringLiterals;

class TestQuitOnSignal : public QObject {
    Q_OBJECT
private slots:
    void signalledProgramCleansUp_data()
    {
        QTest::addColumn<int>("signalNumber");
        QTest::newRow("SIGTERM") << int(SIGTERM);
        QTest::newRow("SIGINT") << int(SIGINT);
        QTest::newRow("SIGHUP") << int(SIGHUP);
    }

    void signalledProgramCleansUp()
    {
        QFETCH(int, signalNumber);
        const test::BuiltProgramFolders folders;
        QProcess program;
        program.setProcessEnvironment(folders.environment(u":98"_s));
        program.start(QStringLiteral(QUORVANE_BIN_DIR "/quorvane"), {});
        QVERIFY(program.waitForStarted());

        // Both exist only once the handlers are in place.
        const QDir tempDir(folders.temp.path());
        const QDir runtimeDir(folders.runtime.path());
        QTRY_VERIFY_WITH_TIMEOUT(!tempDir.entryList({u"quorvane-*"_s}, QDir::Dirs).isEmpty(), 15000);
        QTRY_VERIFY_WITH_TIMEOUT(!runtimeDir.entryList({u"quorvane-*.lock"_s}).isEmpty(), 15000);

        QCOMPARE(::kill(static_cast<pid_t>(program.processId()), signalNumber), 0);
        QVERIFY(program.waitForFinished(15000));
        QCOMPARE(program.exitStatus(), QProcess::NormalExit);
        QCOMPARE(program.exitCode(), QuitOnSignal::exitCodeFor(signalNumber));
        QCOMPARE(tempDir.entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden), QStringList());
        QCOMPARE(runtimeDir.entryList({u"quorvane-*.lock"_s}), QStringList());
    }
};

QTEST_MAIN(TestQuitOnSignal)
#include "tst_quitonsignal.moc"
