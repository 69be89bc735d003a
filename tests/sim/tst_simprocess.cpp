#include "SimHarness.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTest>

using namespace quorvane::ccsim;
using namespace quorvane::ccsim::test;

// The real programs: the links in bin/sim, the co-process protocol and
// ccperl (concurrent invocations are tst_simconcurrency's; what a co-process
// sees of other processes' changes is the store's, in tst_simcommands).
class TestSimProcess : public QObject {
    Q_OBJECT

    QTemporaryDir m_region;
    QTemporaryDir m_work;

    void start(QProcess &p, const QString &program, const QStringList &args) const
    {
        QProcessEnvironment e = QProcessEnvironment::systemEnvironment();
        e.insert(u"CCSIM_REGION"_s, m_region.path());
        p.setProcessEnvironment(e);
        p.setWorkingDirectory(m_work.path());
        p.start(QStringLiteral(QUORVANE_BIN_DIR "/sim/") + program, args);
        QVERIFY2(p.waitForStarted(), qPrintable(p.errorString()));
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
    void initTestCase() { RegionStore(m_region.path()).replace(fixtureRegion()); }

    // Each answer read up to its status line before the next command: output
    // without a final newline runs into it, errors come first; "exit" or the
    // end of input ends the session.
    void coProcessProtocol()
    {
        const QStringList commands{u"desc -fmt \"%[replica_name]p\" vob:/vobs/fix"_s,
                                   u"lsreplica -siblings -s -invob /vobs/plain"_s, u"lsreplica -s -invob /vobs/none"_s,
                                   u"\"unbalanced"_s, u"lsvob -s"_s};
        const QStringList answers{
            u"alphaCommand 1 returned status 0\n"_s, u"Command 2 returned status 0\n"_s,
            u"cleartool: Error: Unable to determine VOB for pathname \"/vobs/none\".\nCommand 3 returned status 1\n"_s,
            u"cleartool: Error: Unmatched \" in command line.\nCommand 4 returned status 1\n"_s,
            u"/vobs/fix\n/vobs/plain\nCommand 5 returned status 0\n"_s};
        for (const bool exitCommand : {true, false}) {
            QProcess p;
            p.setProcessChannelMode(QProcess::MergedChannels);
            start(p, u"cleartool"_s, {u"-status"_s});
            for (int i = 0; i < commands.size(); ++i)
                QCOMPARE(ask(p, commands[i]), answers[i]);
            if (exitCommand)
                p.write("exit\n");
            else
                p.closeWriteChannel();
            QVERIFY(p.waitForFinished(10000));
            QCOMPARE(p.exitCode(), 0);
            QCOMPARE(p.readAll(), QByteArray());
        }
    }

    // ccperl hands its arguments to perl as they are, no shell between.
    void ccperlArguments()
    {
        QProcess p;
        start(p, u"ccperl"_s, {u"-e"_s, u"print join('|', @ARGV)"_s, u"a b"_s, u"$HOME;x"_s});
        QVERIFY(p.waitForFinished(60000));
        QCOMPARE(p.exitCode(), 0);
        QCOMPARE(p.readAllStandardOutput(), QByteArray("a b|$HOME;x"));
    }
};

QTEST_GUILESS_MAIN(TestSimProcess)
#include "tst_simprocess.moc"
