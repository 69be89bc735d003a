#include "SimHarness.h"

#include "sim/CommandLine.h"

#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QProcess>
#include <QTest>

#include <memory>
#include <vector>

using namespace quorvane::ccsim;
using namespace quorvane::ccsim::test;

namespace {

const QString kSimDir = QStringLiteral(QUORVANE_BIN_DIR "/sim");
const QString kScript = QStringLiteral(QUORVANE_BIN_DIR "/get_replica_info.pl");

QStringList crlfLines(const QString &path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    const QString text = QString::fromUtf8(f.readAll());
    if (!text.endsWith(QLatin1String("\r\n")))
        return {QStringLiteral("<no final CR LF>")};
    QStringList lines = text.split(QStringLiteral("\r\n"));
    lines.removeLast();
    return lines;
}

} // namespace

// The real programs: the links in bin/sim, the co-process protocol,
// concurrent invocations, and get_replica_info.pl run through ccperl.
class TestSimProcess : public QObject {
    Q_OBJECT

    QTemporaryDir m_region;
    QTemporaryDir m_work;

    QProcessEnvironment env() const
    {
        QProcessEnvironment e = QProcessEnvironment::systemEnvironment();
        e.insert(QStringLiteral("CCSIM_REGION"), m_region.path());
        e.insert(QStringLiteral("PATH"), kSimDir + QLatin1Char(':') + e.value(QStringLiteral("PATH")));
        return e;
    }

    void start(QProcess &p, const QString &program, const QStringList &args) const
    {
        p.setProcessEnvironment(env());
        p.setWorkingDirectory(m_work.path());
        p.start(kSimDir + QLatin1Char('/') + program, args);
        QVERIFY2(p.waitForStarted(), qPrintable(p.errorString()));
    }

    // Runs a program to its end; returns its exit code, fills out and err.
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

    void useFixture() { RegionStore(m_region.path()).replace(fixtureRegion()); }

    // Like a client: sends one command and reads up to its status line.
    static QString ask(QProcess &p, const QString &command)
    {
        p.write(QString(command + QLatin1Char('\n')).toUtf8());
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
        QFile::remove(m_region.path() + QStringLiteral("/commands.log"));
        useFixture();
    }

    void coProcessProtocol()
    {
        QProcess p;
        p.setProcessChannelMode(QProcess::MergedChannels);
        start(p, QStringLiteral("cleartool"), {QStringLiteral("-status")});
        const QStringList commands{QStringLiteral("desc -fmt \"%[replica_name]p\" vob:/vobs/fix"),
                                   QStringLiteral("lsreplica -siblings -s -invob /vobs/plain"),
                                   QStringLiteral("lsreplica -s -invob /vobs/none"),
                                   QStringLiteral("lsreplica -fmt \"%n,%[replica_host]p,\" -invob /vobs/fix"),
                                   QStringLiteral("lsvob -s")};
        const QStringList answers{
            QStringLiteral("alphaCommand 1 returned status 0\n"),
            QStringLiteral("Command 2 returned status 0\n"),
            QStringLiteral("cleartool: Error: Unable to determine VOB for pathname \"/vobs/none\".\nCommand 3 returned status 1\n"),
            QStringLiteral("alpha,hosta,beta,hostb,gamma,hostc,Command 4 returned status 0\n"),
            QStringLiteral("/vobs/fix\n/vobs/plain\nCommand 5 returned status 0\n")};
        // Like a client: send one command, read up to its status line.
        for (int i = 0; i < commands.size(); ++i) {
            p.write(QString(commands[i] + QLatin1Char('\n')).toUtf8());
            QByteArray got;
            while (!got.contains("returned status") || !got.endsWith('\n')) {
                QVERIFY2(p.waitForReadyRead(10000), got.constData());
                got += p.readAll();
            }
            QCOMPARE(QString::fromUtf8(got), answers[i]);
        }
        p.write("exit\n");
        QVERIFY(p.waitForFinished(10000));
        QCOMPARE(p.exitCode(), 0);
        QCOMPARE(p.readAll(), QByteArray());
    }

    void multitoolCoProcessEndsWithInput()
    {
        QProcess p;
        p.setProcessChannelMode(QProcess::MergedChannels);
        start(p, QStringLiteral("multitool"), {QStringLiteral("-status")});
        p.write("chepoch -force beta@/vobs/fix alpha=3\nchepoch -force beta@/vobs/fix alpha=x\n\"unbalanced\n");
        p.closeWriteChannel();
        QVERIFY(p.waitForFinished(10000));
        const QString out = QString::fromUtf8(p.readAll());
        QVERIFY2(out.startsWith(QLatin1String("Epoch row successfully set.\nCommand 1 returned status 0\nmultitool: Error: Invalid epoch number \"x\"")),
                 qPrintable(out));
        QVERIFY(out.contains(QLatin1String("Command 2 returned status 1\nmultitool: Error: Unmatched \" in command line.\nCommand 3 returned status 1\n")));
        QCOMPARE(RegionStore(m_region.path()).read().vob(QStringLiteral("/vobs/fix"))->localRow(QStringLiteral("beta")).value(QStringLiteral("alpha")), 3);
    }

    // The co-process keeps the region between commands; what another
    // process changes must show in its very next answer all the same.
    void coProcessSeesOtherProcesses_data()
    {
        QTest::addColumn<QString>("program");
        QTest::addColumn<QString>("query");
        QTest::addColumn<QString>("changer");
        QTest::addColumn<QStringList>("change");
        const QString mt = QStringLiteral("multitool");
        const QString sim = QStringLiteral("ccsim");
        QTest::newRow("work, file keeps its size")
            << mt << QStringLiteral("lsepoch alpha@/vobs/fix") << sim
            << QStringList{QStringLiteral("work"), QStringLiteral("alpha@/vobs/fix"), QStringLiteral("1")};
        QTest::newRow("host offline") << mt << QStringLiteral("lsepoch -actual beta@/vobs/fix") << sim
                                      << QStringList{QStringLiteral("offline"), QStringLiteral("beta@/vobs/fix")};
        QTest::newRow("chepoch") << mt << QStringLiteral("lsepoch beta@/vobs/fix") << mt
                                 << QStringList{QStringLiteral("chepoch"), QStringLiteral("-force"),
                                                QStringLiteral("beta@/vobs/fix"), QStringLiteral("alpha=9")};
        QTest::newRow("export") << mt << QStringLiteral("lsepoch -invob /vobs/fix") << mt
                                << QStringList{QStringLiteral("syncreplica"), QStringLiteral("-export"),
                                               QStringLiteral("-fship"), QStringLiteral("beta@/vobs/fix")};
        QTest::newRow("region replaced") << QStringLiteral("cleartool") << QStringLiteral("lsvob -s") << sim
                                         << QStringList{QStringLiteral("demo")};
    }
    void coProcessSeesOtherProcesses()
    {
        QFETCH(QString, program);
        QFETCH(QString, query);
        QFETCH(QString, changer);
        QFETCH(QStringList, change);
        QProcess p;
        p.setProcessChannelMode(QProcess::MergedChannels);
        start(p, program, {QStringLiteral("-status")});
        const QString before = ask(p, query);
        QCOMPARE(ask(p, query), QString(before).replace(QStringLiteral("Command 1"), QStringLiteral("Command 2")));

        QCOMPARE(run(changer, change), 0);
        const QString after = ask(p, query);
        // The truth: a fresh process asked the same.
        QString out;
        QString err;
        const int status = run(program, CommandLine::split(query), &out, &err);
        QCOMPARE(after, QString(err + out + QStringLiteral("Command 3 returned status %1\n").arg(status)));
        QVERIFY(QString(after).replace(QStringLiteral("Command 3"), QStringLiteral("Command 1")) != before);
        p.write("exit\n");
        QVERIFY(p.waitForFinished(10000));
    }

    void singleCommands_data()
    {
        QTest::addColumn<QString>("program");
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("out");
        QTest::addColumn<QString>("err");
        QTest::newRow("fmt listing") << QStringLiteral("cleartool")
                                     << QStringList{QStringLiteral("lsreplica"), QStringLiteral("-fmt"), QStringLiteral("%n,"),
                                                    QStringLiteral("-invob"), QStringLiteral("/vobs/fix")}
                                     << 0 << QStringLiteral("alpha,beta,gamma,") << QString();
        QTest::newRow("error") << QStringLiteral("cleartool") << QStringList{QStringLiteral("lsvob"), QStringLiteral("/vobs/none")}
                               << 1 << QString()
                               << QStringLiteral("cleartool: Error: Unable to determine VOB for pathname \"/vobs/none\".\n");
        QTest::newRow("ccsim runs a role") << QStringLiteral("ccsim")
                                           << QStringList{QStringLiteral("multitool"), QStringLiteral("lsreplica"),
                                                          QStringLiteral("-s"), QStringLiteral("-invob"), QStringLiteral("/vobs/plain")}
                                           << 0 << QStringLiteral("original\n") << QString();
        QTest::newRow("ccperl status") << QStringLiteral("ccperl") << QStringList{QStringLiteral("-e"), QStringLiteral("exit 3")}
                                       << 3 << QString() << QString();
        QTest::newRow("ccperl args") << QStringLiteral("ccperl")
                                     << QStringList{QStringLiteral("-e"), QStringLiteral("print join('|', @ARGV)"),
                                                    QStringLiteral("a b"), QStringLiteral("$HOME;x")}
                                     << 0 << QStringLiteral("a b|$HOME;x") << QString();
    }
    void singleCommands()
    {
        QFETCH(QString, program);
        QFETCH(QStringList, args);
        QFETCH(int, status);
        QFETCH(QString, out);
        QFETCH(QString, err);
        QString gotOut;
        QString gotErr;
        QCOMPARE(run(program, args, &gotOut, &gotErr), status);
        QCOMPARE(gotOut, out);
        QCOMPARE(gotErr, err);
    }

    void fiftyConcurrentMutations()
    {
        std::vector<std::unique_ptr<QProcess>> processes;
        for (int i = 0; i < 50; ++i) {
            auto p = std::make_unique<QProcess>();
            if (i % 5 == 0)
                start(*p, QStringLiteral("multitool"), {QStringLiteral("syncreplica"), QStringLiteral("-export"),
                                                        QStringLiteral("-fship"), QStringLiteral("beta@/vobs/fix")});
            else
                start(*p, QStringLiteral("ccsim"), {QStringLiteral("work"), QStringLiteral("alpha@/vobs/fix"), QStringLiteral("1")});
            processes.push_back(std::move(p));
        }
        for (auto &p : processes) {
            QVERIFY(p->waitForFinished(60000));
            QCOMPARE(p->exitCode(), 0);
        }
        QFile file(m_region.path() + QStringLiteral("/region.json"));
        QVERIFY(file.open(QIODevice::ReadOnly));
        QJsonParseError error{};
        const Region region = Region::fromJson(QJsonDocument::fromJson(file.readAll(), &error).object());
        QCOMPARE(error.error, QJsonParseError::NoError);
        const Vob &v = *region.vob(QStringLiteral("/vobs/fix"));
        QCOMPARE(v.localReplica().own.value(QStringLiteral("alpha")), 10 + 40);
        QCOMPARE(v.replica(QStringLiteral("beta"))->history.size(), 10);
        QCOMPARE(v.packetSeq, 10);
        QCOMPARE(RegionStore(m_region.path()).logText().count(QLatin1Char('\n')), 50);
        QVERIFY(QDir(m_region.path()).entryList({QStringLiteral("*.json.*")}, QDir::Files).isEmpty());
    }

    void scriptEndToEnd_data()
    {
        QTest::addColumn<QString>("tag");
        QTest::addColumn<QString>("unreachable");
        QTest::newRow("unreachable site") << QStringLiteral("/vobs/web") << QStringLiteral("sydney");
        QTest::newRow("eight replicas") << QStringLiteral("/vobs/core") << QString();
        QTest::newRow("unreplicated") << QStringLiteral("/vobs/qa") << QString();
    }
    void scriptEndToEnd()
    {
        QFETCH(QString, tag);
        QFETCH(QString, unreachable);
        QCOMPARE(run(QStringLiteral("ccsim"), {QStringLiteral("demo")}), 0);
        QString names;
        QCOMPARE(run(QStringLiteral("cleartool"), {QStringLiteral("lsreplica"), QStringLiteral("-short"), QStringLiteral("-invob"), tag}, &names), 0);
        const QStringList order = names.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
        QString err;
        QCOMPARE(run(QStringLiteral("ccperl"), {kScript, tag}, nullptr, &err), 0);
        for (const QString &file : {QStringLiteral("_results.txt"), QStringLiteral("_results_local.txt")}) {
            const QStringList lines = crlfLines(m_work.path() + QLatin1Char('/') + file);
            QCOMPARE(lines.size(), order.size());
            for (int i = 0; i < lines.size(); ++i) {
                const QStringList fields = lines[i].split(QLatin1Char(','));
                QCOMPARE(fields.size(), order.size() + 1); // square
                QCOMPARE(fields.first(), order[i]);
                const bool unknown = file == QLatin1String("_results.txt") && fields.first() == unreachable;
                for (int k = 1; k < fields.size(); ++k) {
                    bool numeric = false;
                    fields[k].toLongLong(&numeric);
                    QVERIFY2(unknown ? fields[k] == QLatin1String("?") : numeric, qPrintable(lines[i]));
                }
            }
        }
        QCOMPARE(err.isEmpty(), unreachable.isEmpty());
        QCOMPARE(QDir(m_work.path()).entryList(QDir::Files).size(), 2); // no temporary left
    }

    void scriptShowsLostPacket()
    {
        QCOMPARE(run(QStringLiteral("ccsim"), {QStringLiteral("demo")}), 0);
        QCOMPARE(run(QStringLiteral("ccperl"), {kScript, QStringLiteral("/vobs/tools")}), 0);
        const QStringList actual = crlfLines(m_work.path() + QStringLiteral("/_results.txt"));
        const QStringList local = crlfLines(m_work.path() + QStringLiteral("/_results_local.txt"));
        QCOMPARE(actual.size(), 3);
        QVERIFY(actual[1].startsWith(QLatin1String("london,")));
        // london really lacks boston_hub changes the local table says it has.
        QVERIFY(actual[1].section(QLatin1Char(','), 1, 1).toInt() < local[1].section(QLatin1Char(','), 1, 1).toInt());
        QString report;
        QCOMPARE(run(QStringLiteral("ccperl"), {kScript, QStringLiteral("/vobs/tools"), QStringLiteral("london")}, &report), 0);
        QVERIFY2(report.contains(QLatin1String("boston_hub")) && report.contains(QLatin1String("estimate ahead")), qPrintable(report));

        // The rehearsal: fix from the actual row, export, and the columns agree.
        QCOMPARE(run(QStringLiteral("multitool"), {QStringLiteral("chepoch"), QStringLiteral("-actual"), QStringLiteral("london@/vobs/tools")}), 0);
        QCOMPARE(run(QStringLiteral("multitool"), {QStringLiteral("syncreplica"), QStringLiteral("-export"), QStringLiteral("-fship"),
                                                   QStringLiteral("london@/vobs/tools")}),
                 0);
        QCOMPARE(run(QStringLiteral("ccperl"), {kScript, QStringLiteral("/vobs/tools")}), 0);
        const QStringList fixed = crlfLines(m_work.path() + QStringLiteral("/_results.txt"));
        QCOMPARE(fixed[1].section(QLatin1Char(','), 1, 1), fixed[0].section(QLatin1Char(','), 1, 1));
    }

    void scriptFailsClearly()
    {
        QString err;
        QVERIFY(run(QStringLiteral("ccperl"), {kScript, QStringLiteral("/vobs/none")}, nullptr, &err) != 0);
        QVERIFY2(err.contains(QLatin1String("get_replica_info.pl: cannot list the replicas of VOB \"/vobs/none\"")), qPrintable(err));
        QVERIFY(QDir(m_work.path()).entryList(QDir::Files).isEmpty());
        QVERIFY(run(QStringLiteral("ccperl"), {kScript}, nullptr, &err) != 0);
        QVERIFY(err.contains(QLatin1String("usage:")));
    }
};

QTEST_GUILESS_MAIN(TestSimProcess)
#include "tst_simprocess.moc"
