// What the window makes of the replica script's progress file: the hosts
// named with their wait against the time limit, and nothing invented from
// a file that is cut, damaged, absent or not the script's at all.
#include "replicas/ScriptProgress.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace quorvane;
using namespace Qt::StringLiterals;

using Hosts = QHash<QString, QString>;

class TestScriptProgress : public QObject {
    Q_OBJECT

private slots:
    void lines_data()
    {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<double>("now");
        QTest::addColumn<QStringList>("expected");
        const Hosts none;
        QTest::newRow("one host") << "limit\t120\nwaiting\ttokyo\t1000.5\n"_ba << 1012.9
                                  << QStringList{u"waiting for tokyo (fuji): 12 s of 120 s"_s};
        QTest::newRow("host not known") << "limit\t120\nwaiting\tosaka\t1000\n"_ba << 1003.0
                                        << QStringList{u"waiting for osaka: 3 s of 120 s"_s};
        QTest::newRow("no limit said") << "waiting\ttokyo\t1000\n"_ba << 1007.0
                                       << QStringList{u"waiting for tokyo (fuji): 7 s"_s};
        QTest::newRow("a limit with a fraction") << "limit\t2.5\nwaiting\ttokyo\t1000\n"_ba << 1001.0
                                                 << QStringList{u"waiting for tokyo (fuji): 1 s of 2.5 s"_s};
        QTest::newRow("clock set back") << "limit\t120\nwaiting\ttokyo\t1000\n"_ba << 900.0
                                        << QStringList{u"waiting for tokyo (fuji): 0 s of 120 s"_s};
        QTest::newRow("past the limit") << "limit\t120\nwaiting\ttokyo\t1000\n"_ba << 1500.0
                                        << QStringList{u"waiting for tokyo (fuji): 120 s of 120 s"_s};
        QTest::newRow("longest waiting first")
            << "limit\t60\nwaiting\tosaka\t1005\nwaiting\ttokyo\t1000\n"_ba << 1010.0
            << QStringList{u"waiting for tokyo (fuji): 10 s of 60 s"_s, u"waiting for osaka: 5 s of 60 s"_s};
        QTest::newRow("CR LF line ends") << "limit\t60\r\nwaiting\ttokyo\t1000\r\n"_ba << 1001.0
                                         << QStringList{u"waiting for tokyo (fuji): 1 s of 60 s"_s};
        QTest::newRow("no host left") << "limit\t120\n"_ba << 1000.0 << QStringList();
        QTest::newRow("empty") << QByteArray() << 1000.0 << QStringList();
        // What does not read is left out; what does is kept.
        const QString tokyo = u"waiting for tokyo (fuji): 10 s"_s, f = u"waiting for f: 10 s"_s;
        QTest::newRow("last line cut") << "limit\t120\nwaiting\ttokyo\t1000\nwaiting\tosaka\t10"_ba << 1010.0
                                       << QStringList{tokyo + u" of 120 s"_s};
        QTest::newRow("cut inside the limit") << "waiting\ttokyo\t1000\nlimit\t12"_ba << 1010.0 << QStringList{tokyo};
        QTest::newRow("times that do not read")
            << "waiting\ta\tsoon\nwaiting\tb\t-5\nwaiting\tc\tnan\nwaiting\td\tinf\nwaiting\te\t\nwaiting\tf\t1000\n"_ba
            << 1010.0 << QStringList{f};
        QTest::newRow("limits that do not read") << "limit\tsoon\nwaiting\tf\t1000\n"_ba << 1010.0 << QStringList{f};
        QTest::newRow("a later limit wins") << "limit\t50\nlimit\t90\nwaiting\tf\t1000\n"_ba << 1010.0
                                            << QStringList{f + u" of 90 s"_s};
        QTest::newRow("fields missing or extra")
            << "waiting\ttokyo\nwaiting\ttokyo\t1000\textra\nwaiting\t\t1000\nlimit\n"_ba << 1010.0 << QStringList();
        QTest::newRow("a name twice: the first") << "waiting\ttokyo\t1000\nwaiting\ttokyo\t900\n"_ba << 1010.0
                                                 << QStringList{tokyo};
        QTest::newRow("a control character in a name") << "waiting\tto\x1bkyo\t1000\n"_ba << 1010.0 << QStringList();
        QTest::newRow("other kinds of line") << "# note\nWAITING\ttokyo\t1000\n\n\nwaiting\tosaka\t1000\n"_ba
                                             << 1010.0 << QStringList{u"waiting for osaka: 10 s"_s};
        QTest::newRow("binary") << QByteArray("\x00\xff\n\t\t\n\x00waiting\t\x00\t1\n", 17) << 1010.0
                                << QStringList();
    }
    void lines()
    {
        QFETCH(QByteArray, text);
        QFETCH(double, now);
        QTEST(ScriptProgress::parse(text).lines(now, Hosts{{u"tokyo"_s, u"fuji"_s}}), "expected");
    }

    // Many hosts: the longest waits named, the rest counted, in the
    // singular for one.
    void manyHosts()
    {
        for (const int count : {6, 9}) {
            QByteArray text = "limit\t120\n";
            for (int i = count; i >= 1; --i)
                text += "waiting\tsite" + QByteArray::number(i) + '\t' + QByteArray::number(1000 + i) + '\n';
            const QStringList lines = ScriptProgress::parse(text).lines(1100, {});
            QCOMPARE(lines.size(), ScriptProgress::shownHosts + 1);
            QCOMPARE(lines.first(), u"waiting for site1: 99 s of 120 s"_s);
            QCOMPARE(lines.at(ScriptProgress::shownHosts - 1), u"waiting for site5: 95 s of 120 s"_s);
            QCOMPARE(lines.last(), count == 6 ? u"and 1 more host"_s : u"and 4 more hosts"_s);
        }
    }

    void readingTheFile()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(ScriptProgress::fileName());
        QVERIFY(ScriptProgress::read(path).isEmpty()); // not there (yet, or any more)

        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("limit\t120\nwaiting\ttokyo\t1000\n");
        file.close();
        QCOMPARE(ScriptProgress::read(path).lines(1030, {}), QStringList{u"waiting for tokyo: 30 s of 120 s"_s});

        // Not the script's: far larger than any family's hosts.
        QVERIFY(file.open(QIODevice::Append));
        file.write(QByteArray(ScriptProgress::maxFileBytes, '\n'));
        file.close();
        QVERIFY(ScriptProgress::read(path).isEmpty());

        // A folder by that name cannot be read as a file.
        QVERIFY(QFile::remove(path));
        QVERIFY(QDir(dir.path()).mkdir(ScriptProgress::fileName()));
        QVERIFY(ScriptProgress::read(path).isEmpty());
    }

    // A long or right-to-left name cannot swamp the dialog or turn the
    // sentence around it.
    void namesAsShown()
    {
        const QString longName(120, u'x');
        const QString hebrew = u"\u05d0\u05d1"_s;
        const QByteArray text = "waiting\t" + longName.toLocal8Bit() + "\t1000\n";
        const QString line = ScriptProgress::parse(text).lines(1001, {{longName, hebrew}}).value(0);
        QVERIFY2(line.size() < 100, qPrintable(line));
        QVERIFY(line.contains(u'\u2026'));
        QVERIFY(line.contains(u"(\u2068"_s + hebrew + u"\u2069)"_s));
    }
};

QTEST_GUILESS_MAIN(TestScriptProgress)
#include "tst_scriptprogress.moc"
