#include "SimHarness.h"

#include "sim/MultiToolCommands.h"

#include <QTest>

using namespace quorvane::ccsim;
using namespace quorvane::ccsim::test;

namespace {

const QString CT = QStringLiteral("cleartool");
const QString MT = QStringLiteral("multitool");
const QString kOidA = oidOf(QStringLiteral("alpha"));
const QString kOidB = oidOf(QStringLiteral("beta"));
const QString kOidC = oidOf(QStringLiteral("gamma"));

QStringList words(const char *line)
{
    return QString::fromLatin1(line).split(QLatin1Char(' '));
}

} // namespace

// Output of every command against the formats ClearCase prints, on a small
// fixed family (see SimHarness.h). Runs with TZ=Europe/Paris.
class TestSimCommands : public QObject {
    Q_OBJECT
private slots:
    void cleartoolGolden_data()
    {
        QTest::addColumn<QStringList>("command");
        QTest::addColumn<QString>("expected");
        QTest::newRow("lsvob -short") << words("lsvob -short") << QStringLiteral("/vobs/fix\n/vobs/plain\n");
        QTest::newRow("lsvob -s") << words("lsvob -s") << QStringLiteral("/vobs/fix\n/vobs/plain\n");
        QTest::newRow("lsvob") << words("lsvob /vobs/fix")
                               << QStringLiteral("* /vobs/fix /net/hosta/vobstore/fix.vbs public (replicated)\n");
        QTest::newRow("replica list")
            << QStringList{QStringLiteral("lsreplica"), QStringLiteral("-fmt"),
                           QStringLiteral("%n,%d,%[replica_host]p,%[master]p,"), QStringLiteral("-invob"),
                           QStringLiteral("/vobs/fix")}
            << QStringLiteral("alpha,2026-01-02T10:00:00+01:00,hosta,alpha@/vobs/fix,"
                              "beta,2026-01-02T10:00:00+01:00,hostb,alpha@/vobs/fix,"
                              "gamma,2026-01-02T10:00:00+01:00,hostc,gamma@/vobs/fix,");
        QTest::newRow("siblings") << words("lsreplica -siblings -s -invob /vobs/fix") << QStringLiteral("beta\ngamma\n");
        QTest::newRow("all short") << words("lsreplica -short -invob /vobs/fix") << QStringLiteral("alpha\nbeta\ngamma\n");
        QTest::newRow("unreplicated siblings") << words("lsreplica -siblings -s -invob /vobs/plain") << QString();
        QTest::newRow("unreplicated short") << words("lsreplica -s -invob /vobs/plain") << QStringLiteral("original\n");
        QTest::newRow("local replica name")
            << QStringList{QStringLiteral("desc"), QStringLiteral("-fmt"), QStringLiteral("%[replica_name]p"),
                           QStringLiteral("vob:/vobs/fix")}
            << QStringLiteral("alpha");
        QTest::newRow("describe replica")
            << QStringList{QStringLiteral("describe"), QStringLiteral("-fmt"), QStringLiteral("%n\\t%[master]p\\t%[replica_host]p\\n"),
                           QStringLiteral("replica:beta@/vobs/fix")}
            << QStringLiteral("beta\talpha@/vobs/fix\thostb\n");
    }
    void cleartoolGolden()
    {
        QFETCH(QStringList, command);
        QFETCH(QString, expected);
        Harness h;
        QCOMPARE(h.run(CT, command), 0);
        QCOMPARE(h.output.outText, expected);
        QCOMPARE(h.output.errText, QString());
    }

    void history()
    {
        Harness h;
        h.store->modify([](Region &r) {
            Vob &v = *r.vob(QStringLiteral("/vobs/fix"));
            Replication::exportTo(v, QStringLiteral("beta"), Moment{at(5, 8), QStringLiteral("susan"), 9});
            Replication::exportTo(v, QStringLiteral("beta"), Moment{at(6, 8, 30), QStringLiteral("ccadmin"), 9});
            v.replica(QStringLiteral("beta"))->history << HistoryEvent{at(7, 1), QStringLiteral("susan"),
                                                                       QStringLiteral("change master to \"beta\" of replica \"beta\""),
                                                                       QStringLiteral("Changed master replica from \"alpha\" to \"beta\"."), true};
        });
        const QString ev = QStringLiteral("export sync from replica \"alpha\" to replica \"beta\"");
        QCOMPARE(h.run(CT, {QStringLiteral("lshistory"), QStringLiteral("-fmt"), QStringLiteral("%e,%d,"),
                            QStringLiteral("replica:beta@/vobs/fix")}),
                 0);
        QCOMPARE(h.output.outText, QString(ev + QStringLiteral(",2026-01-06T09:30:00+01:00,") + ev
                                           + QStringLiteral(",2026-01-05T09:00:00+01:00,")));
        QCOMPARE(h.run(CT, {QStringLiteral("lshistory"), QStringLiteral("-fmt"), QStringLiteral("Date:%d User:%u\\n%c\\n"),
                            QStringLiteral("replica:beta@/vobs/fix")}),
                 0);
        QCOMPARE(h.output.outText,
                 QStringLiteral("Date:2026-01-06T09:30:00+01:00 User:ccadmin\n"
                                "Exported synchronization information for replica \"beta\".\n"
                                "Row at export was: alpha=10 beta=0 gamma=0\n"
                                "Date:2026-01-05T09:00:00+01:00 User:susan\n"
                                "Exported synchronization information for replica \"beta\".\n"
                                "Row at export was: alpha=8 beta=0 gamma=0\n"));
        QCOMPARE(h.run(CT, {QStringLiteral("lshistory"), QStringLiteral("-minor"), QStringLiteral("-fmt"),
                            QStringLiteral("%e|"), QStringLiteral("replica:beta@/vobs/fix")}),
                 0);
        QCOMPARE(h.output.outText, QString(QStringLiteral("change master to \"beta\" of replica \"beta\"|") + ev
                                           + QLatin1Char('|') + ev + QLatin1Char('|')));
        QCOMPARE(h.run(CT, words("lshistory -fmt %e replica:alpha@/vobs/fix")), 0);
        QCOMPARE(h.output.outText, QString()); // exports are not recorded at the sender's own object
    }

    void errors_data()
    {
        QTest::addColumn<QString>("tool");
        QTest::addColumn<QStringList>("command");
        QTest::addColumn<QString>("error");
        QTest::newRow("unknown vob") << CT << words("lsreplica -s -invob /vobs/none")
                                     << QStringLiteral("cleartool: Error: Unable to determine VOB for pathname \"/vobs/none\".\n");
        QTest::newRow("unknown replica") << CT << words("lshistory -fmt %e replica:delta@/vobs/fix")
                                         << QStringLiteral("cleartool: Error: Replica \"delta\" not found in VOB \"/vobs/fix\".\n");
        QTest::newRow("unknown option") << CT << words("lsvob -bogus")
                                        << QStringLiteral("cleartool: Error: Unrecognized option \"-bogus\"\n");
        QTest::newRow("unknown command") << CT << words("mkelem x")
                                         << QStringLiteral("cleartool: Error: Unrecognized command: \"mkelem\"\n");
        QTest::newRow("multitool only") << CT << words("lsepoch -invob /vobs/fix")
                                        << QStringLiteral("cleartool: Error: Unrecognized command: \"lsepoch\"\n");
        QTest::newRow("fmt and short") << CT << words("lsreplica -s -fmt %n -invob /vobs/fix")
                                       << QStringLiteral("cleartool: Error: Only one of \"-fmt\", \"-short\" and \"-long\" may be given.\n");
        QTest::newRow("bad directive") << CT << words("desc -fmt %q vob:/vobs/fix")
                                       << QStringLiteral("cleartool: Error: Unknown format directive \"%q\" in \"%q\".\n");
        QTest::newRow("chepoch own row") << MT << words("chepoch -force alpha@/vobs/fix alpha=3")
                                         << QStringLiteral("multitool: Error: Cannot change the epoch row of the current replica \"alpha\": it records the replica's actual state.\n");
        QTest::newRow("export to self") << MT << words("syncreplica -export -fship alpha@/vobs/fix")
                                        << QStringLiteral("multitool: Error: Cannot export to the current replica \"alpha\".\n");
    }
    void errors()
    {
        QFETCH(QString, tool);
        QFETCH(QStringList, command);
        QFETCH(QString, error);
        Harness h;
        QCOMPARE(h.run(tool, command), 1);
        QCOMPARE(h.output.errText, error);
        QCOMPARE(h.output.outText, QString());
        QCOMPARE(h.store->read().toJson(), fixtureRegion().toJson()); // nothing changed
    }

    void lsepochLocalTable()
    {
        Harness h(MT);
        QCOMPARE(h.run(MT, words("lsepoch -invob /vobs/fix")), 0);
        const QString expected = QStringLiteral("For VOB replica \"/vobs/fix\":\n"
                                                "Oplog IDs for row \"alpha\" (@ hosta):\n"
                                                " oid:%1=10      (alpha)\n oid:%2=0       (beta)\n oid:%3=0       (gamma)\n"
                                                "Oplog IDs for row \"beta\" (@ hostb):\n"
                                                " oid:%1=8       (alpha)\n oid:%2=0       (beta)\n oid:%3=0       (gamma)\n"
                                                "Oplog IDs for row \"gamma\" (@ hostc):\n"
                                                " oid:%1=0       (alpha)\n oid:%2=0       (beta)\n oid:%3=0       (gamma)\n")
                                     .arg(kOidA, kOidB, kOidC);
        QCOMPARE(h.output.outText, expected);
    }

    void lsepochActualGoesOnAfterUnreachableHost()
    {
        Harness h(MT);
        h.store->modify([](Region &r) { r.vob(QStringLiteral("/vobs/fix"))->replica(QStringLiteral("beta"))->latencyMs = 250; });
        QCOMPARE(h.run(MT, words("lsepoch -actual gamma@/vobs/fix beta@/vobs/fix")), 1);
        QCOMPARE(h.output.merged,
                 QStringLiteral("multitool: Error: Unable to contact replica \"gamma\" on host \"hostc\": the host is not reachable.\n"
                                "For VOB replica \"/vobs/fix\":\nOplog IDs for row \"beta\" (@ hostb):\n"
                                " oid:%1=8       (alpha)\n oid:%2=5       (beta)\n oid:%3=0       (gamma)\n")
                     .arg(kOidA, kOidB, kOidC));
        QVERIFY(h.waits.contains(250)); // the host's latency is paid
    }

    void chepochForceValues_data()
    {
        QTest::addColumn<QString>("spec");
        QTest::addColumn<qint64>("stored"); // -1: refused
        QTest::newRow("plain") << QStringLiteral("alpha=42") << qint64(42);
        QTest::newRow("zero") << QStringLiteral("alpha=0") << qint64(0);
        QTest::newRow("largest") << QStringLiteral("alpha=2147483647") << qint64(2147483647);
        QTest::newRow("by oid") << QStringLiteral("oid:%1=7").arg(kOidA) << qint64(7);
        QTest::newRow("too large") << QStringLiteral("alpha=2147483648") << qint64(-1);
        QTest::newRow("negative") << QStringLiteral("alpha=-1") << qint64(-1);
        QTest::newRow("fraction") << QStringLiteral("alpha=1.5") << qint64(-1);
        QTest::newRow("letters") << QStringLiteral("alpha=<epoch>") << qint64(-1);
        QTest::newRow("empty") << QStringLiteral("alpha=") << qint64(-1);
        QTest::newRow("blank padded") << QStringLiteral("alpha= 4") << qint64(-1);
        QTest::newRow("unknown replica") << QStringLiteral("delta=4") << qint64(-1);
        QTest::newRow("no equals") << QStringLiteral("alpha") << qint64(-1);
    }
    void chepochForceValues()
    {
        QFETCH(QString, spec);
        QFETCH(qint64, stored);
        Harness h(MT);
        const int status = h.run(MT, {QStringLiteral("chepoch"), QStringLiteral("-force"),
                                      QStringLiteral("beta@/vobs/fix"), spec});
        if (stored < 0) {
            QCOMPARE(status, 1);
            QVERIFY(h.output.errText.startsWith(QLatin1String("multitool: Error: ")));
            QCOMPARE(h.vob().localRow(QStringLiteral("beta")).value(QStringLiteral("alpha")), 8);
        } else {
            QCOMPARE(status, 0);
            QCOMPARE(h.output.outText, QStringLiteral("Epoch row successfully set.\n"));
            QCOMPARE(h.vob().localRow(QStringLiteral("beta")).value(QStringLiteral("alpha")), stored);
        }
    }

    void chepochAsksWithoutForce()
    {
        Harness h(MT);
        h.input.lines = {QStringLiteral("no")};
        QCOMPARE(h.run(MT, words("chepoch beta@/vobs/fix alpha=1")), 0);
        QCOMPARE(h.output.outText, QStringLiteral("Change oplog IDs in row \"beta\" [no] Epoch row not changed.\n"));
        QCOMPARE(h.vob().localRow(QStringLiteral("beta")).value(QStringLiteral("alpha")), 8);
        h.input.lines = {QStringLiteral("alpha=3"), QStringLiteral("."), QStringLiteral("yes")};
        QCOMPARE(h.run(MT, words("chepoch beta@/vobs/fix")), 0);
        QCOMPARE(h.vob().localRow(QStringLiteral("beta")).value(QStringLiteral("alpha")), 3);
    }

    void chepochActualPrintsChangedEntries()
    {
        Harness h(MT);
        h.store->modify([](Region &r) {
            Replication::setEstimate(*r.vob(QStringLiteral("/vobs/fix")), QStringLiteral("beta"), {{QStringLiteral("alpha"), 1400}});
        });
        QCOMPARE(h.run(MT, words("chepoch -actual beta@/vobs/fix")), 0);
        QCOMPARE(h.output.outText, QStringLiteral("Entry for            alpha changed from:        1400 to           8\n"
                                                  "Entry for             beta changed from:           0 to           5\n"));
        QCOMPARE(h.run(MT, words("chepoch -actual gamma@/vobs/fix")), 1);
        QVERIFY(h.output.errText.contains(QLatin1String("host \"hostc\"")));
    }

    void syncExportAndImport()
    {
        Harness h(MT);
        QCOMPARE(h.run(MT, {QStringLiteral("syncreplica"), QStringLiteral("-export"), QStringLiteral("-fship"),
                            QStringLiteral("beta@/vobs/fix"), QStringLiteral("gamma@/vobs/fix")}),
                 0);
        const QString bay = h.store->bay(QStringLiteral("outgoing"));
        const QStringList lines = h.output.outText.split(QLatin1Char('\n'));
        QCOMPARE(lines.size(), 7);
        QVERIFY(lines[0].startsWith(QString(QStringLiteral("Generating synchronization packet ") + bay + QStringLiteral("/sync_alpha_"))));
        QVERIFY(lines[0].endsWith(QLatin1String("_777_1")));
        QCOMPARE(lines[1], QString(QStringLiteral(" - shipping order file is ") + bay + QStringLiteral("/sh_o_")
                                   + lines[0].section(QLatin1Char('/'), -1)));
        QCOMPARE(lines[4], QStringLiteral("Attempting to forward/deliver generated packets..."));
        QCOMPARE(lines[5], QString(QStringLiteral(" -- Forwarded/delivered packet ") + lines[0].section(QLatin1Char(' '), -1)));
        QVERIFY(lines[6].isEmpty()); // nothing forwarded to unreachable gamma
        QVERIFY(h.output.errText.contains(QLatin1String("multitool: Warning: Cannot deliver packet")));
        const Vob v = h.vob();
        QCOMPARE(v.replica(QStringLiteral("beta"))->own.value(QStringLiteral("alpha")), 10);
        QCOMPARE(v.lost.size(), 1);

        QCOMPARE(h.run(MT, words("syncreplica -import -invob /vobs/fix -receive")), 0);
        QVERIFY(h.output.outText.startsWith(QString(QStringLiteral("Applied sync. packet ") + h.store->bay(QStringLiteral("incoming"))
                                                    + QStringLiteral("/sync_beta_"))));
        QVERIFY(h.output.outText.endsWith(QLatin1String(" to VOB /net/hosta/vobstore/fix.vbs\n")));
        QCOMPARE(h.vob().localReplica().own.value(QStringLiteral("beta")), 5);
        QCOMPARE(h.run(MT, words("syncreplica -import -invob /vobs/fix -receive")), 0);
        QCOMPARE(h.output.outText, QString()); // nothing more arrived
    }

    void importReportsPacketsWithGap()
    {
        Harness h(MT);
        h.store->modify([](Region &r) {
            Replica &alpha = *r.vob(QStringLiteral("/vobs/fix"))->replica(QStringLiteral("alpha"));
            alpha.incoming << Packet{QStringLiteral("sync_beta_x"), QStringLiteral("beta"), QStringLiteral("alpha"), at(4, 4),
                                     {{QStringLiteral("beta"), 7}}, {{QStringLiteral("beta"), 9}}};
        });
        QCOMPARE(h.run(MT, words("syncreplica -import -invob /vobs/fix -receive")), 1);
        const QString bay = h.store->bay(QStringLiteral("incoming"));
        // beta's scheduled export (up to 5) applies; the packet needing 7 waits.
        QVERIFY(h.output.outText.startsWith(QString(QStringLiteral("Applied sync. packet ") + bay + QStringLiteral("/sync_beta_"))));
        QVERIFY(h.output.outText.endsWith(QString(QStringLiteral("Sync. packet ") + bay
                                                  + QStringLiteral("/sync_beta_x\nwas not applied to VOB /net/hosta/vobstore/fix.vbs\n"
                                                                   " - packet depends on changes not yet received\n"
                                                                   "Packet requires changes up to 7; VOB has only 5 from replica: beta\n"))));
        QCOMPARE(h.output.errText, QStringLiteral("multitool: Error: 1 packet(s) not applied: they depend on changes not yet received.\n"));
        QCOMPARE(h.vob().localReplica().incoming.size(), 1);
    }

    void actualRowWarnsOfRollback()
    {
        Harness h(MT);
        h.store->modify([](Region &r) {
            r.vob(QStringLiteral("/vobs/fix"))->replica(QStringLiteral("beta"))->own[QStringLiteral("alpha")] = 12;
        });
        QCOMPARE(h.run(MT, words("lsepoch -actual beta@/vobs/fix")), 0);
        QVERIFY(h.output.errText.startsWith(QLatin1String("multitool: Warning: Your replica (\"alpha\") has fewer oplog entries for itself than replica \"beta\"")));
        QVERIFY(h.output.outText.contains(QString(QStringLiteral(" oid:") + kOidA + QStringLiteral("=12      (alpha)\n"))));
    }

    void defaultHistoryListing()
    {
        Harness h;
        h.store->modify([](Region &r) {
            Replication::exportTo(*r.vob(QStringLiteral("/vobs/fix")), QStringLiteral("beta"), Moment{at(5, 10, 11), QStringLiteral("susan"), 1});
        });
        QCOMPARE(h.run(CT, words("lshistory replica:beta@/vobs/fix")), 0);
        QVERIFY(h.output.outText.endsWith(QLatin1String("  susan     export sync from replica \"alpha\" to replica \"beta\"\n"
                                                        "  \"Exported synchronization information for replica \"beta\".\n"
                                                        "  Row at export was: alpha=8 beta=0 gamma=0\"\n")));
        QVERIFY(h.output.outText.startsWith(QLatin1String("05-Jan")));
    }

    // ccsim's administration commands change the true state the others see.
    void administration_data()
    {
        QTest::addColumn<QStringList>("admin");
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("check"); // multitool command run afterwards
        QTest::addColumn<int>("checkStatus");
        QTest::addColumn<QString>("checkOutput");
        QTest::newRow("offline") << words("offline beta@/vobs/fix") << 0 << QStringLiteral("lsepoch -actual beta@/vobs/fix") << 1
                                 << QStringLiteral("host \"hostb\": the host is not reachable");
        QTest::newRow("online") << words("online gamma@/vobs/fix") << 0 << QStringLiteral("lsepoch -actual gamma@/vobs/fix") << 0
                                << QStringLiteral("=3       (gamma)");
        QTest::newRow("work") << words("work beta@/vobs/fix 4") << 0 << QStringLiteral("lsepoch -actual beta@/vobs/fix") << 0
                              << QStringLiteral("=9       (beta)");
        QTest::newRow("all online") << words("online *@/vobs/fix") << 0 << QStringLiteral("lsepoch -actual gamma@/vobs/fix") << 0
                                    << QStringLiteral("(@ hostc)");
        QTest::newRow("bad count") << words("work beta@/vobs/fix -4") << 1 << QStringLiteral("lsepoch -actual beta@/vobs/fix") << 0
                                   << QStringLiteral("=5       (beta)");
        QTest::newRow("unknown replica") << words("offline delta@/vobs/fix") << 1 << QStringLiteral("lsepoch -actual beta@/vobs/fix")
                                         << 0 << QStringLiteral("=5       (beta)");
        QTest::newRow("bad latency") << words("latency beta@/vobs/fix soon") << 1 << QStringLiteral("lsepoch -actual beta@/vobs/fix")
                                     << 0 << QStringLiteral("(@ hostb)");
        QTest::newRow("generate") << words("generate 3 0.5 4 9") << 0 << QStringLiteral("lsreplica -s -invob /vobs/gen001") << 0
                                  << QStringLiteral("site00\nsite01\nsite02\nsite03\n");
        QTest::newRow("generate bad fraction") << words("generate 3 2 4") << 1 << QStringLiteral("lsreplica -s -invob /vobs/plain") << 0
                                               << QStringLiteral("original\n");
    }
    void administration()
    {
        QFETCH(QStringList, admin);
        QFETCH(int, status);
        QFETCH(QString, check);
        QFETCH(int, checkStatus);
        QFETCH(QString, checkOutput);
        Harness h(QStringLiteral("ccsim"));
        QCOMPARE(h.run(QStringLiteral("ccsim"), admin), status);
        QCOMPARE(h.output.errText.isEmpty(), status == 0);
        QCOMPARE(h.run(MT, check.split(QLatin1Char(' '))), checkStatus);
        QVERIFY2(h.output.merged.contains(checkOutput), qPrintable(h.output.merged));
    }

    void showTellsTheTruth()
    {
        Harness h(QStringLiteral("ccsim"));
        h.store->modify([](Region &r) {
            Replication::exportTo(*r.vob(QStringLiteral("/vobs/fix")), QStringLiteral("gamma"), Moment{at(5, 1), QStringLiteral("x"), 1});
        });
        QCOMPARE(h.run(QStringLiteral("ccsim"), words("show /vobs/fix")), 0);
        QVERIFY(h.output.outText.contains(QLatin1String("  gamma host hostc, master gamma, UNREACHABLE, latency 0 ms")));
        QVERIFY(h.output.outText.contains(QLatin1String("Actual rows (each replica's own state):\n  alpha: alpha=10 beta=0 gamma=0\n"
                                                        "  beta: alpha=8 beta=5 gamma=0\n  gamma: alpha=0 beta=0 gamma=3\n")));
        QVERIFY(h.output.outText.contains(QLatin1String("  gamma: alpha=10 beta=0 gamma=0\n"))); // estimate after the lost export
        QVERIFY(h.output.outText.contains(QLatin1String("Packets lost on the way:\n  to gamma: sync_alpha_")));
    }

    void everyCommandIsLogged()
    {
        Harness h;
        h.run(CT, words("lsvob -s"));
        h.run(CT, words("lsvob -nope"));
        const QStringList log = h.store->logText().split(QLatin1Char('\n'), Qt::SkipEmptyParts);
        QCOMPARE(log.size(), 2);
        QVERIFY(log[0].endsWith(QLatin1String("cleartool lsvob -s => status 0")));
        QVERIFY(log[1].endsWith(QLatin1String("cleartool lsvob -nope => status 1")));
    }
};

QTEST_GUILESS_MAIN(TestSimCommands)
#include "tst_simcommands.moc"
