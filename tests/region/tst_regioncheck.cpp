// quorvane-check end to end on simulated regions: its verdicts, lines and
// exit codes per state, UNKNOWN without ClearCase, a host that never
// answers, and the textfile written atomically.
#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>

using namespace Qt::StringLiterals;

namespace {

struct Run {
    int exitCode = -1;
    QString out;
    QString err;
};

class Region {
public:
    Region() { env.insert(u"CCSIM_REGION"_s, dir.path()); }

    QString ccsim(const QStringList &args) const
    {
        QProcess p;
        p.setProcessEnvironment(env);
        p.start(QStringLiteral(QUORVANE_BIN_DIR "/sim/ccsim"), args);
        if (!p.waitForFinished(60000) || p.exitCode() != 0)
            qWarning() << "ccsim" << args << p.readAllStandardError();
        return QString::fromUtf8(p.readAllStandardOutput());
    }

    Run check(const QStringList &args) const
    {
        QProcess p;
        p.setProcessEnvironment(env);
        p.start(QStringLiteral(QUORVANE_BIN_DIR "/quorvane-check"), args);
        Run r;
        if (p.waitForFinished(120000) && p.exitStatus() == QProcess::NormalExit)
            r.exitCode = p.exitCode();
        r.out = QString::fromUtf8(p.readAllStandardOutput());
        r.err = QString::fromUtf8(p.readAllStandardError());
        return r;
    }

    QTemporaryDir dir;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
};

// vob -> state, in the order the check lists them.
QList<std::pair<QString, QString>> states(const QString &json)
{
    QList<std::pair<QString, QString>> out;
    for (const QJsonValue v : QJsonDocument::fromJson(json.toUtf8()).object().value(u"families"_s).toArray())
        out.append({v[u"vob"_s].toString(), v[u"state"_s].toString()});
    return out;
}

} // namespace

class TestRegionCheck : public QObject {
    Q_OBJECT
private slots:
    // The demo region, every family ranked worst first, the same verdicts
    // the window's diagnosis gives when each VOB is opened. The textfile
    // replaces the old one in one step (a new file renamed over it: whoever
    // holds the old one open reads it whole) and leaves nothing beside it.
    void demoRanking()
    {
        Region region;
        region.ccsim({u"demo"_s});
        QTemporaryDir collector;
        const QString path = collector.filePath(u"quorvane.prom"_s);
        QFile old(path);
        QVERIFY(old.open(QIODevice::WriteOnly));
        old.write("old 1\n");
        old.close();
        struct stat before {};
        QCOMPARE(::stat(QFile::encodeName(path).constData(), &before), 0);
        QVERIFY(old.open(QIODevice::ReadOnly));

        const Run actual = region.check({u"--simulated"_s, u"--actual"_s, u"--json"_s, u"--textfile"_s, path});
        QCOMPARE(actual.exitCode, 2);
        const QList<std::pair<QString, QString>> expected = {
            {u"/vobs/tools"_s, u"broken"_s},         {u"/vobs/installer"_s, u"broken"_s},
            {u"/vobs/core"_s, u"behind"_s},          {u"/vobs/mobile"_s, u"behind"_s},
            {u"/vobs/portal"_s, u"behind"_s},        {u"/vobs/docs"_s, u"behind"_s},
            {u"/vobs/firmware"_s, u"stuck"_s},       {u"/vobs/web"_s, u"unreachable"_s},
            {u"/vobs/dev"_s, u"in step"_s}};
        QCOMPARE(states(actual.out), expected);
        const QJsonObject tools = QJsonDocument::fromJson(actual.out.toUtf8())[u"families"_s][0].toObject();
        QCOMPARE(tools[u"worstReplica"_s].toString(), u"london"_s);
        QCOMPARE(tools[u"behind"_s].toInt(), 44);
        QVERIFY(tools[u"diagnosis"_s].toString().startsWith("london lacks 44 of boston_hub's changes"_L1));

        struct stat after {};
        QCOMPARE(::stat(QFile::encodeName(path).constData(), &after), 0);
        QVERIFY(before.st_ino != after.st_ino);
        QCOMPARE(old.readAll(), QByteArray("old 1\n"));
        QCOMPARE(QDir(collector.path()).entryList(QDir::Files | QDir::Hidden), QStringList{u"quorvane.prom"_s});
        QFile now(path);
        QVERIFY(now.open(QIODevice::ReadOnly));
        const QString text = QString::fromUtf8(now.readAll());
        QVERIFY(text.endsWith(u'\n'));
        QVERIFY(text.contains("\nquorvane_check_status 2\n"_L1));
        QVERIFY(text.contains("quorvane_vob_state{vob=\"/vobs/tools\",state=\"broken\"} 1\n"_L1));
        QVERIFY(text.contains("quorvane_vob_behind_operations{vob=\"/vobs/tools\"} 44\n"_L1));
    }

    // Status line, detail lines and exit code for each verdict.
    void exitCodesAndLines_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("statusLine"); // how the first line starts
        QTest::addColumn<QString>("detail");     // a detail line that must be there; empty: none at all
        QTest::newRow("critical") << QStringList{u"--actual"_s} << 2 << u"QUORVANE-CHECK CRITICAL - 2 broken, 4 behind, 1 stuck, 1 unreachable, 1 in step of 9 replicated VOBs; worst /vobs/tools"_s
                                  << u"CRITICAL: /vobs/tools broken (london, 44 behind): london lacks 44"_s;
        // This site's table alone cannot see the lost packet; its bays show
        // the returned packet and those that wait.
        QTest::newRow("this site's table alone") << QStringList() << 2 << u"QUORVANE-CHECK CRITICAL - 1 broken, 3 behind, 2 stuck, 3 in step of 9 replicated VOBs; worst /vobs/installer"_s
                                                 << u"CRITICAL: /vobs/installer broken (oslo): A packet for oslo came back"_s;
        QTest::newRow("ok") << QStringList{u"--actual"_s, u"--vob"_s, u"/vobs/dev"_s} << 0
                            << u"QUORVANE-CHECK OK - 1 in step of 1 replicated VOBs | "_s << QString();
        QTest::newRow("unreachable warns") << QStringList{u"--actual"_s, u"--vob"_s, u"/vobs/web"_s} << 1
                                           << u"QUORVANE-CHECK WARNING - 1 unreachable"_s
                                           << u"WARNING: /vobs/web unreachable (sydney)"_s;
        QTest::newRow("behind over a threshold") << QStringList{u"--actual"_s, u"--vob"_s, u"/vobs/core"_s, u"--behind-critical"_s, u"80"_s}
                                                 << 2 << u"QUORVANE-CHECK CRITICAL - 1 behind"_s
                                                 << u"CRITICAL: /vobs/core behind ("_s;
        QTest::newRow("age over a threshold") << QStringList{u"--actual"_s, u"--vob"_s, u"/vobs/dev"_s, u"--age-warning"_s, u"2d"_s}
                                              << 1 << u"QUORVANE-CHECK WARNING - 1 in step"_s << u"WARNING: /vobs/dev in step"_s;
        QTest::newRow("a VOB that is not there") << QStringList{u"--vob"_s, u"/vobs/nosuch"_s} << 3
                                                 << u"QUORVANE-CHECK UNKNOWN - 1 not checked"_s
                                                 << u"WARNING: /vobs/nosuch not checked: cleartool lsreplica -siblings -s -invob /vobs/nosuch failed"_s;
        QTest::newRow("a bad threshold") << QStringList{u"--age-warning"_s, u"soon"_s} << 3 << QString() << QString();
    }
    void exitCodesAndLines()
    {
        QFETCH(QStringList, args);
        QFETCH(QString, statusLine);
        QFETCH(QString, detail);
        static Region region;
        static const bool seeded = !region.ccsim({u"demo"_s}).isNull();
        QVERIFY(seeded);
        const Run run = region.check(QStringList{u"--simulated"_s} + args);
        QTEST(run.exitCode, "exitCode");
        if (statusLine.isEmpty()) {
            QVERIFY(run.out.isEmpty());
            QVERIFY(run.err.contains("--help"_L1));
            return;
        }
        const QStringList lines = run.out.split(u'\n', Qt::SkipEmptyParts);
        QVERIFY2(lines.value(0).startsWith(statusLine), qPrintable(run.out));
        // The convention: performance data after one "|" on the first line only.
        QCOMPARE(lines.value(0).count(u'|'), 1);
        QVERIFY(lines.value(0).contains(" | broken="_L1));
        if (detail.isEmpty())
            QCOMPARE(lines.size(), 1);
        else
            QVERIFY2(std::any_of(lines.cbegin() + 1, lines.cend(), [&](const QString &l) { return l.startsWith(detail); }),
                     qPrintable(run.out));
    }

    // UNKNOWN, saying why: a textfile that cannot be written, and no
    // ClearCase, whatever else was asked.
    void unknownVerdicts()
    {
        Region region;
        const Run nowhere = region.check({u"--simulated"_s, u"--textfile"_s, region.dir.filePath(u"no/such/dir/q.prom"_s)});
        QCOMPARE(nowhere.exitCode, 3);
        QVERIFY2(nowhere.out.startsWith("QUORVANE-CHECK UNKNOWN - Cannot write"_L1), qPrintable(nowhere.out));
        region.env.insert(u"QUORVANE_CLEARTOOL"_s, u"/nonexistent/cleartool"_s);
        const Run run = region.check({u"--actual"_s});
        QCOMPARE(run.exitCode, 3);
        QVERIFY2(run.out.startsWith("QUORVANE-CHECK UNKNOWN - No ClearCase found"_L1), qPrintable(run.out));
    }

    // A generated region where one host never answers: the check's time
    // limit reaches the replica script, whose host is then unreachable, and
    // the rest is still reported (a replica offline, a family behind: the
    // demo region).
    void hungHost()
    {
        Region region;
        region.ccsim({u"generate"_s, u"24"_s, u"0.5"_s, u"3"_s, u"11"_s});
        region.ccsim({u"latency"_s, u"site02@/vobs/gen002"_s, u"600000"_s});
        QElapsedTimer clock;
        clock.start();
        const Run run = region.check({u"--simulated"_s, u"--actual"_s, u"--json"_s, u"--timeout"_s, u"4"_s});
        QVERIFY(clock.elapsed() < 60000);
        QCOMPARE(run.exitCode, 1);
        const QList<std::pair<QString, QString>> got = states(run.out);
        QCOMPARE(got.size(), 12);
        QVERIFY(got.contains(std::pair(u"/vobs/gen002"_s, u"unreachable"_s)));
    }
};

QTEST_GUILESS_MAIN(TestRegionCheck)
#include "tst_regioncheck.moc"
