#include "SimHarness.h"

#include "sim/CommandLine.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTest>

using namespace quorvane::ccsim;
using namespace quorvane::ccsim::test;

namespace {

const QString kSimDir = u"" QUORVANE_BIN_DIR "/sim"_s;
const QString kScript = u"" QUORVANE_BIN_DIR "/get_replica_info.pl"_s;
const QString CT = u"cleartool"_s, MT = u"multitool"_s, SIM = u"ccsim"_s, PERL = u"ccperl"_s;

} // namespace

// The real programs: the links in bin/sim, the co-process protocol, and
// get_replica_info.pl run through ccperl (concurrent invocations are
// tst_simconcurrency's).
class TestSimProcess : public QObject {
    Q_OBJECT

    QTemporaryDir m_region;
    QTemporaryDir m_work;

    void start(QProcess &p, const QString &program, const QStringList &args) const
    {
        QProcessEnvironment e = QProcessEnvironment::systemEnvironment();
        e.insert(u"CCSIM_REGION"_s, m_region.path());
        e.insert(u"PATH"_s, kSimDir + u':' + e.value(u"PATH"_s));
        p.setProcessEnvironment(e);
        p.setWorkingDirectory(m_work.path());
        p.start(kSimDir + u'/' + program, args);
        QVERIFY2(p.waitForStarted(), qPrintable(p.errorString()));
    }
    // A co-process, both streams merged, as a client starts it.
    void startCoprocess(QProcess &p, const QString &program) const
    {
        p.setProcessChannelMode(QProcess::MergedChannels);
        start(p, program, {u"-status"_s});
    }

    // Runs a program to its end: its exit code; fills out and err.
    int run(const QString &program, const QStringList &args, QString *out = nullptr, QString *err = nullptr) const
    {
        QProcess p;
        start(p, program, args);
        p.waitForFinished(60000);
        if (out)
            *out = QString::fromUtf8(p.readAllStandardOutput());
        if (err)
            *err = QString::fromUtf8(p.readAllStandardError());
        return p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    }

    // Like a client: sends one command and reads up to its status line.
    static QString ask(QProcess &p, const QString &command)
    {
        p.write(QString(command + u'\n').toUtf8());
        QByteArray got;
        while (!got.contains("returned status") || !got.endsWith('\n')) {
            if (!p.waitForReadyRead(10000))
                return QString::fromUtf8(got + "<no status line>");
            got += p.readAll();
        }
        return QString::fromUtf8(got);
    }

private slots:
    void init()
    {
        QDir(m_work.path()).removeRecursively();
        QDir().mkpath(m_work.path());
        QFile::remove(m_region.path() + u"/commands.log"_s);
        RegionStore(m_region.path()).replace(fixtureRegion());
    }

    // Each answer read up to its status line before the next command: output
    // without a final newline runs into it, errors come first; "exit" or the
    // end of input ends the session.
    void coProcessProtocol_data()
    {
        QTest::addColumn<QString>("program");
        QTest::addColumn<QStringList>("commands");
        QTest::addColumn<QStringList>("answers"); // cleartool's session ends by "exit", multitool's by the end of input
        QTest::newRow("cleartool") << CT
                                   << QStringList{u"desc -fmt \"%[replica_name]p\" vob:/vobs/fix"_s, u"lsreplica -siblings -s -invob /vobs/plain"_s,
                                                  u"lsreplica -s -invob /vobs/none"_s, u"lsvob -s"_s}
                                   << QStringList{u"alphaCommand 1 returned status 0\n"_s, u"Command 2 returned status 0\n"_s,
                                                  u"cleartool: Error: Unable to determine VOB for pathname \"/vobs/none\".\nCommand 3 returned status 1\n"_s,
                                                  u"/vobs/fix\n/vobs/plain\nCommand 4 returned status 0\n"_s};
        QTest::newRow("multitool") << MT
                                   << QStringList{u"chepoch -force beta@/vobs/fix alpha=x"_s, u"\"unbalanced"_s,
                                                  u"chepoch -force beta@/vobs/fix alpha=3"_s}
                                   << QStringList{u"multitool: Error: Invalid epoch number \"x\" for \"alpha\": give a whole number from 0 to 2147483647.\nCommand 1 returned status 1\n"_s,
                                                  u"multitool: Error: Unmatched \" in command line.\nCommand 2 returned status 1\n"_s,
                                                  u"Epoch row successfully set.\nCommand 3 returned status 0\n"_s};
    }
    void coProcessProtocol()
    {
        QFETCH(QString, program);
        QFETCH(QStringList, commands);
        QFETCH(QStringList, answers);
        QProcess p;
        startCoprocess(p, program);
        for (int i = 0; i < commands.size(); ++i)
            QCOMPARE(ask(p, commands[i]), answers[i]);
        if (program == CT)
            p.write("exit\n");
        else
            p.closeWriteChannel();
        QVERIFY(p.waitForFinished(10000));
        QCOMPARE(p.exitCode(), 0);
        QCOMPARE(p.readAll(), QByteArray());
    }

    // The co-process keeps the region between commands; what another
    // process changes must show in its very next answer all the same.
    void coProcessSeesOtherProcesses_data()
    {
        QTest::addColumn<QString>("program");
        QTest::addColumn<QString>("query");
        QTest::addColumn<QString>("changer");
        QTest::addColumn<QString>("change");
        QTest::newRow("work, file keeps its size") << MT << u"lsepoch alpha@/vobs/fix"_s << SIM << u"work alpha@/vobs/fix 1"_s;
        QTest::newRow("export") << MT << u"lsepoch -invob /vobs/fix"_s << MT << u"syncreplica -export -fship beta@/vobs/fix"_s;
        QTest::newRow("region replaced") << CT << u"lsvob -s"_s << SIM << u"demo"_s;
    }
    void coProcessSeesOtherProcesses()
    {
        QFETCH(QString, program);
        QFETCH(QString, query);
        QFETCH(QString, changer);
        QFETCH(QString, change);
        QProcess p;
        startCoprocess(p, program);
        const QString before = ask(p, query);
        QCOMPARE(ask(p, query), QString(before).replace(u"Command 1"_s, u"Command 2"_s));
        QCOMPARE(run(changer, change.split(u' ')), 0);
        const QString after = ask(p, query);
        QString out, err;
        const int status = run(program, CommandLine::split(query), &out, &err); // the truth: a fresh process
        QCOMPARE(after, QString(err + out + u"Command 3 returned status %1\n"_s.arg(status)));
        QVERIFY(QString(after).replace(u"Command 3"_s, u"Command 1"_s) != before);
        p.write("exit\n");
        QVERIFY(p.waitForFinished(10000));
    }

    // A script failure is clear and leaves no file, not even half a one;
    // ccperl hands its arguments to perl as they are, no shell between.
    void scriptFailureAndArguments()
    {
        QString out, err;
        QVERIFY(run(PERL, {kScript, u"/vobs/none"_s}, nullptr, &err) != 0);
        QVERIFY2(err.contains(u"get_replica_info.pl: cannot list the replicas of VOB \"/vobs/none\""_s), qPrintable(err));
        QVERIFY(QDir(m_work.path()).entryList(QDir::Files).isEmpty());
        QCOMPARE(run(PERL, {u"-e"_s, u"print join('|', @ARGV)"_s, u"a b"_s, u"$HOME;x"_s}, &out), 0);
        QCOMPARE(out, u"a b|$HOME;x"_s);
    }
};

QTEST_GUILESS_MAIN(TestSimProcess)
#include "tst_simprocess.moc"
