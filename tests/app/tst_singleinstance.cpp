#include "app/SingleInstance.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QSysInfo>
#include <QTemporaryDir>
#include <QTest>

using namespace quorvane;
using namespace Qt::StringLiterals;

// One running copy per user and place of work (a second start is refused by
// tst_frmmain, on the built program): a lock left by a dead copy never
// blocks, and two places (two displays, two logon sessions of one user)
// never share a lock.
class TestSingleInstance : public QObject {
    Q_OBJECT
private slots:
    // A crashed copy leaves its lock: a process id that no longer runs.
    void deadOwnersLockIsTakenOver()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(u"q.lock"_s);
        QProcess gone;
        gone.start(QStringLiteral(QUORVANE_BIN_DIR "/argecho"), {});
        QVERIFY(gone.waitForFinished(30000));
        const qint64 deadPid = gone.processId() > 0 ? gone.processId() : 999999;
        QFile stale(path);
        QVERIFY(stale.open(QIODevice::WriteOnly));
        // QLockFile's format: pid, application name, host name.
        stale.write(QByteArray::number(deadPid) + "\nquorvane\n" + QSysInfo::machineHostName().toUtf8() + '\n');
        stale.close();
        SingleInstance next(path);
        QVERIFY(next.acquire());
    }

    void placesNeverShareALock()
    {
        QCOMPARE(SingleInstance::lockFileName(u"ann"_s, u":0"_s), u"quorvane-ann-_0.lock"_s);
        QVERIFY(SingleInstance::lockFileName(u"ann"_s, u"session1"_s)
                != SingleInstance::lockFileName(u"ann"_s, u"session2"_s));
        QVERIFY(SingleInstance::lockFileName(u"ann"_s, u"x"_s) != SingleInstance::lockFileName(u"bob"_s, u"x"_s));
        // Nothing from the environment can lead out of the folder.
        const QString odd = SingleInstance::lockFileName(u"../..\\evil"_s, u"a/b:c"_s);
        QVERIFY(!odd.contains(u'/') && !odd.contains(u'\\') && !odd.contains(u':'));
#ifdef Q_OS_WIN
        QVERIFY2(SingleInstance::defaultLockPath().contains(u"-session"_s), qPrintable(SingleInstance::defaultLockPath()));
#endif
    }
};

QTEST_GUILESS_MAIN(TestSingleInstance)
#include "tst_singleinstance.moc"
