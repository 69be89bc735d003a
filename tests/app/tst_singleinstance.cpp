#include "app/SingleInstance.h"

#include <QTest>

using namespace quorvane;
using namespace Qt::StringLiterals;

// One running copy per user and place of work (a second start is refused,
// and a lock left by a killed copy is taken over, by tst_frmmain on the
// built program): two places (two displays, two logon sessions of one user)
// never share a lock.
class TestSingleInstance : public QObject {
    Q_OBJECT
private slots:
    void placesNeverShareALock()
    {
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
