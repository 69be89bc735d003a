#include "SimHarness.h"

#include "sim/CommandError.h"
#include "sim/DemoRegion.h"

#include <QJsonDocument>
#include <QTest>

using namespace quorvane::ccsim;
using namespace quorvane::ccsim::test;

namespace {

const QString kAlpha = QStringLiteral("alpha");
const QString kBeta = QStringLiteral("beta");
const QString kGamma = QStringLiteral("gamma");

Vob fixture()
{
    return fixtureRegion().vobs.first();
}

Moment moment(int day)
{
    return Moment{at(day, 12), QStringLiteral("susan"), 42};
}

// The repair the program offers: fix every reachable sibling's row from its
// actual one, import, then export to every sibling.
void fixAndSync(Vob &v, const QDateTime &now)
{
    const Moment m{now, QStringLiteral("tester"), 1};
    for (const Replica &r : std::as_const(v.replicas)) {
        if (r.name != v.local && r.reachable)
            Replication::takeActual(v, r.name, false);
    }
    Replication::importReceive(v, m);
    for (const QString &name : v.replicaNames()) {
        if (name != v.local)
            Replication::exportTo(v, name, m);
    }
}

} // namespace

class TestSimReplication : public QObject {
    Q_OBJECT
private slots:
    void exportAdvancesEstimateAndDelivers()
    {
        Vob v = fixture();
        const ExportResult r = Replication::exportTo(v, kBeta, moment(5));
        QVERIFY(r.delivered);
        QVERIFY(r.applied);
        QCOMPARE(r.packet.base.value(kAlpha), 8);
        QCOMPARE(r.packet.upto.value(kAlpha), 10);
        QCOMPARE(v.replica(kBeta)->own.value(kAlpha), 10);
        QCOMPARE(v.replica(kBeta)->own.value(kBeta), 5); // its own work is kept
        QCOMPARE(v.localRow(kBeta).value(kAlpha), 10);
        QVERIFY(v.replica(kBeta)->incoming.isEmpty());
        const HistoryEvent &e = v.replica(kBeta)->history.last();
        QCOMPARE(e.event, QStringLiteral("export sync from replica \"alpha\" to replica \"beta\""));
        QCOMPARE(e.comment, QStringLiteral("Exported synchronization information for replica \"beta\".\n"
                                           "Row at export was: alpha=8 beta=0 gamma=0"));
        QCOMPARE(e.user, QStringLiteral("susan"));
        QVERIFY(v.localReplica().history.isEmpty()); // exports are recorded on the target only
    }

    void exportToUnreachableHostIsLostButEstimateMoves()
    {
        Vob v = fixture();
        const ExportResult r = Replication::exportTo(v, kGamma, moment(5));
        QVERIFY(!r.delivered);
        QCOMPARE(v.lost.size(), 1);
        QCOMPARE(v.lost.first().name, r.packet.name);
        QCOMPARE(v.replica(kGamma)->own.value(kAlpha), 0);
        QCOMPARE(v.localRow(kGamma).value(kAlpha), 10);
        QCOMPARE(v.replica(kGamma)->history.size(), 1);
    }

    void lostPacketRehearsal()
    {
        Vob v = fixture();
        v.replica(kBeta)->reachable = false;
        Replication::exportTo(v, kBeta, moment(5)); // lost: beta still has alpha=8
        v.replica(kBeta)->reachable = true;
        Replication::addWork(v, kAlpha, 4);
        const ExportResult second = Replication::exportTo(v, kBeta, moment(6));
        QVERIFY(second.delivered);
        QVERIFY(!second.applied); // needs alpha=10, beta has 8
        QCOMPARE(v.replica(kBeta)->incoming.size(), 1);
        const QList<EntryChange> missing = Replication::missingFor(second.packet, v.replica(kBeta)->own);
        QCOMPARE(missing.size(), 1);
        QCOMPARE(missing.first().origin, kAlpha);
        QCOMPARE(missing.first().from, 8);
        QCOMPARE(missing.first().to, 10);

        const QList<EntryChange> changes = Replication::takeActual(v, kBeta, false);
        QCOMPARE(changes.size(), 2); // alpha 14 -> 8, beta 0 -> 5
        QCOMPARE(changes.first().origin, kAlpha);
        QCOMPARE(changes.first().from, 14);
        QCOMPARE(changes.first().to, 8);
        QCOMPARE(v.localRow(kBeta).value(kBeta), 5);

        const ExportResult third = Replication::exportTo(v, kBeta, moment(7));
        QVERIFY(third.applied);
        QVERIFY(v.replica(kBeta)->incoming.isEmpty()); // the waiting packet went too
        QCOMPARE(v.replica(kBeta)->own.value(kAlpha), 14);
        QCOMPARE(v.localRow(kBeta).value(kAlpha), 14);
    }

    void importTakesReachableSiblingsOnly()
    {
        Vob v = fixture();
        const ImportResult r = Replication::importReceive(v, moment(5));
        QCOMPARE(r.applied.size(), 1);
        QCOMPARE(r.applied.first().from, kBeta);
        QVERIFY(r.waiting.isEmpty());
        QCOMPARE(v.localReplica().own.value(kBeta), 5);
        QCOMPARE(v.localReplica().own.value(kGamma), 0); // gamma unreachable
        QCOMPARE(v.localRow(kBeta).value(kBeta), 5);    // row of the sender revised
        const HistoryEvent &e = v.localReplica().history.last();
        QCOMPARE(e.event, QStringLiteral("import sync from replica \"beta\" to replica \"alpha\""));
        QCOMPARE(e.comment, QStringLiteral("Imported synchronization information from replica \"beta\".\n"
                                           "Row at import was: alpha=10 beta=0 gamma=0"));
        // Nothing new: a second import applies nothing and records nothing.
        const qsizetype events = v.localReplica().history.size();
        QVERIFY(Replication::importReceive(v, moment(6)).applied.isEmpty());
        QCOMPARE(v.localReplica().history.size(), events);
    }

    void setEstimate_data()
    {
        QTest::addColumn<QString>("row");
        QTest::addColumn<QString>("origin");
        QTest::addColumn<qint64>("value");
        QTest::addColumn<bool>("accepted");
        QTest::newRow("sibling") << kBeta << kAlpha << qint64(3) << true;
        QTest::newRow("zero") << kGamma << kGamma << qint64(0) << true;
        QTest::newRow("own row") << kAlpha << kAlpha << qint64(3) << false;
        QTest::newRow("unknown row") << QStringLiteral("delta") << kAlpha << qint64(3) << false;
        QTest::newRow("unknown origin") << kBeta << QStringLiteral("delta") << qint64(3) << false;
        QTest::newRow("negative") << kBeta << kAlpha << qint64(-1) << false;
    }
    void setEstimate()
    {
        QFETCH(QString, row);
        QFETCH(QString, origin);
        QFETCH(qint64, value);
        QFETCH(bool, accepted);
        Vob v = fixture();
        const Vob before = v;
        bool threw = false;
        try {
            Replication::setEstimate(v, row, {{origin, value}});
        } catch (const CommandError &) {
            threw = true;
        }
        QCOMPARE(!threw, accepted);
        if (accepted)
            QCOMPARE(v.localRow(row).value(origin), value);
        else
            QCOMPARE(v.table, before.table);
        QCOMPARE(v.localReplica().own, before.localReplica().own);
    }

    void takeActualRaiseOnlyAndUnreachable()
    {
        Vob v = fixture();
        Replication::setEstimate(v, kBeta, {{kAlpha, 9}});
        const QList<EntryChange> changes = Replication::takeActual(v, kBeta, true);
        QCOMPARE(changes.size(), 1); // beta 0 -> 5; alpha 9 is not lowered to 8
        QCOMPARE(changes.first().origin, kBeta);
        QCOMPARE(v.localRow(kBeta).value(kAlpha), 9);
        QVERIFY_THROWS_EXCEPTION(CommandError, Replication::takeActual(v, kGamma, false));
        QVERIFY_THROWS_EXCEPTION(CommandError, Replication::takeActual(v, kAlpha, false));
        QVERIFY_THROWS_EXCEPTION(CommandError, Replication::exportTo(v, kAlpha, moment(3)));
    }

    void jsonRoundTripKeepsEverything()
    {
        const Region demo = DemoRegion::build(at(20, 10));
        const QJsonObject once = demo.toJson();
        QCOMPARE(Region::fromJson(once).toJson(), once);
        QVERIFY_THROWS_EXCEPTION(CommandError, Region::fromJson(QJsonObject{{QStringLiteral("format"), 7}}));
    }

    void demoRegionShape()
    {
        const QDateTime now = at(20, 10);
        const Region demo = DemoRegion::build(now);
        QCOMPARE(demo.vobs.size(), 13);
        QStringList replicated;
        for (const Vob &v : demo.vobs) {
            if (v.isReplicated())
                replicated << v.tag;
            else
                QCOMPARE(v.replicaNames(), QStringList{QStringLiteral("original")});
            for (const Replica &r : v.replicas) {
                for (const HistoryEvent &e : r.history)
                    QVERIFY2(e.date < now, qPrintable(v.tag + QLatin1Char(' ') + e.event));
            }
        }
        QCOMPARE(replicated, (QStringList{QStringLiteral("/vobs/dev"), QStringLiteral("/vobs/tools"),
                                          QStringLiteral("/vobs/web"), QStringLiteral("/vobs/core"),
                                          QStringLiteral("/vobs/docs")}));
        const Vob &tools = *demo.vob(QStringLiteral("/vobs/tools"));
        const QString london = QStringLiteral("london");
        QVERIFY(tools.localRow(london).value(tools.local) > tools.replica(london)->own.value(tools.local));
        QCOMPARE(tools.replica(london)->incoming.size(), 1);
        QVERIFY(!demo.vob(QStringLiteral("/vobs/web"))->replica(QStringLiteral("sydney"))->reachable);
        QCOMPARE(demo.vob(QStringLiteral("/vobs/core"))->replicas.size(), 8);
        QCOMPARE(demo.vob(QStringLiteral("/vobs/docs"))->local, QStringLiteral("bos_docs"));
    }

    // Which demo families start in step, and that the repair the program
    // offers brings every reachable replica level with the local one.
    void demoFamiliesRepairable_data()
    {
        QTest::addColumn<QString>("tag");
        QTest::addColumn<bool>("inSyncAtStart");
        QTest::newRow("dev") << QStringLiteral("/vobs/dev") << true;
        QTest::newRow("tools") << QStringLiteral("/vobs/tools") << false;
        QTest::newRow("web") << QStringLiteral("/vobs/web") << true; // only sydney, unreachable, lags
        QTest::newRow("core") << QStringLiteral("/vobs/core") << false;
        QTest::newRow("docs") << QStringLiteral("/vobs/docs") << false;
    }
    void demoFamiliesRepairable()
    {
        QFETCH(QString, tag);
        QFETCH(bool, inSyncAtStart);
        Region demo = DemoRegion::build(at(20, 10));
        Vob &v = *demo.vob(tag);
        const auto inStep = [&v] {
            const Row mine = completeRow(v, v.localReplica().own);
            for (const Replica &r : v.replicas) {
                if (r.reachable && (completeRow(v, r.own) != mine || v.localRow(r.name) != mine))
                    return false;
            }
            return true;
        };
        QCOMPARE(inStep(), inSyncAtStart);
        fixAndSync(v, at(21, 10));
        QVERIFY(inStep());
    }

    void generatedRegion()
    {
        const Region g = DemoRegion::generate(at(20, 10), 10, 0.3, 20, 7);
        QCOMPARE(g.vobs.size(), 10);
        int replicated = 0;
        for (const Vob &v : g.vobs)
            replicated += v.isReplicated() ? 1 : 0;
        QCOMPARE(replicated, 3);
        QCOMPARE(g.vobs.first().replicas.size(), 20);
        QCOMPARE(QJsonDocument(DemoRegion::generate(at(20, 10), 10, 0.3, 20, 7).toJson()).toJson(),
                 QJsonDocument(g.toJson()).toJson()); // seeded: the same again
    }
};

QTEST_GUILESS_MAIN(TestSimReplication)
#include "tst_simreplication.moc"
