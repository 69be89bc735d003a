#include "app/SingleInstance.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

using namespace quorvane;

class TestSingleInstance : public QObject {
    Q_OBJECT
private slots:
    void lockNameSeparatesDisplays()
    {
        qputenv("WAYLAND_DISPLAY", "");
        qputenv("DISPLAY", ":7");
        const QString a = SingleInstance::defaultLockPath();
        qputenv("DISPLAY", ":8");
        const QString b = SingleInstance::defaultLockPath();
        QVERIFY(a != b && !a.contains(QLatin1Char(':')));
    }

    // The built program, started twice: the second copy shows the box and
    // ends without a window; after a crash of the first, a new start works.
    void builtBinaryStartsOnce()
    {
        const QString exe = QStringLiteral(QUORVANE_BIN_DIR "/quorvane");
        if (!QFile::exists(exe))
            QSKIP("program not built");
        QTemporaryDir runtime;
        QFile::setPermissions(runtime.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        QTemporaryDir region;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        env.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtime.path());
        env.insert(QStringLiteral("CCSIM_REGION"), region.path());
        env.insert(QStringLiteral("QUORVANE_TEST_DIALOG_ECHO"), QStringLiteral("1"));
        env.insert(QStringLiteral("DISPLAY"), QStringLiteral(":99"));

        QProcess first;
        first.setProcessEnvironment(env);
        first.start(exe, {});
        QVERIFY(first.waitForStarted());
        QTRY_VERIFY_WITH_TIMEOUT(
            !QDir(runtime.path()).entryList({QStringLiteral("quorvane-*.lock")}).isEmpty(), 10000);

        QProcess second;
        second.setProcessEnvironment(env);
        second.start(exe, {});
        QVERIFY(second.waitForFinished(15000));
        QCOMPARE(second.exitCode(), 0);
        const QString said = QString::fromUtf8(second.readAllStandardError());
        QVERIFY2(said.contains(QStringLiteral("[box] Quorvane | Quorvane is already running")),
                 qPrintable(said));
        QCOMPARE(first.state(), QProcess::Running);

        first.kill(); // a crash: the lock file stays behind
        QVERIFY(first.waitForFinished());
        QProcess third;
        third.setProcessEnvironment(env);
        third.start(exe, {});
        QVERIFY(third.waitForStarted());
        QVERIFY(!third.waitForFinished(1500));
        third.kill();
        third.waitForFinished();
    }
};

QTEST_GUILESS_MAIN(TestSingleInstance)
#include "tst_singleinstance.moc"
