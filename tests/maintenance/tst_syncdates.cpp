#include "ccase/ClearCaseError.h"
#include "maintenance/SyncDates.h"
#include "support/ScriptedClearTool.h"

#include <QTest>

using namespace quorvane;

namespace {
const QString importEvent = QStringLiteral("import sync from replica \"sanfran_hub\" to replica \"boston_hub\"");
const QString exportEvent = QStringLiteral("export sync from replica \"boston_hub\" to replica \"sanfran_hub\"");
} // namespace

class TestSyncDates : public QObject {
    Q_OBJECT
private slots:
    void scan_data()
    {
        QTest::addColumn<QString>("output");
        QTest::addColumn<QString>("importDate");
        QTest::addColumn<QString>("exportDate");

        QTest::newRow("empty output") << QString() << QString() << QString();
        QTest::newRow("export newest hides a later-listed import")
            << exportEvent + QStringLiteral(",2024-03-05T10:00:00Z,") + importEvent + QStringLiteral(",2024-03-04T09:00:00Z,")
            << QStringLiteral("None") << QStringLiteral("2024-03-05T10:00:00Z");
        QTest::newRow("import newest")
            << importEvent + QStringLiteral(",05-Mar-24.10:00:00,") + exportEvent + QStringLiteral(",01-Mar-24.08:00:00,")
            << QStringLiteral("05-Mar-24.10:00:00") << QStringLiteral("None");
        QTest::newRow("newest sync event after other events")
            << QStringLiteral("create replica \"r1\",01-Jan-24,lock replica \"r1\",02-Jan-24,") + exportEvent
                + QStringLiteral(",03-Jan-24,")
            << QStringLiteral("None") << QStringLiteral("03-Jan-24");
        QTest::newRow("no import or export event")
            << QStringLiteral("create replica \"r1\",01-Jan-24,change master to \"r2\",02-Jan-24,")
            << QStringLiteral("None") << QStringLiteral("None");
        QTest::newRow("one field naming both counts as import")
            << QStringLiteral("export of import data,07-Feb-24,") << QStringLiteral("07-Feb-24")
            << QStringLiteral("None");
        QTest::newRow("case matters") << QStringLiteral("Import sync,07-Feb-24,Export sync,06-Feb-24,")
                                      << QStringLiteral("None") << QStringLiteral("None");
        // A description with a comma of its own shifts the fields: the text
        // after its comma sits where a date belongs, and is tested as well.
        QTest::newRow("date position field tested")
            << QStringLiteral("note, export pending,08-Feb-24,") << QStringLiteral("None")
            << QStringLiteral("08-Feb-24");
        QTest::newRow("match in last field takes empty date")
            << QStringLiteral("create,01-Jan-24,import sync") << QString() << QStringLiteral("None");
        QTest::newRow("date taken unchanged")
            << exportEvent + QStringLiteral(",  2024-03-05 ,") << QStringLiteral("None") << QStringLiteral("  2024-03-05 ");
    }
    void scan()
    {
        QFETCH(QString, output);
        QFETCH(QString, importDate);
        QFETCH(QString, exportDate);
        const SyncDates dates = scanSyncDates(output);
        QCOMPARE(dates.importDate, importDate);
        QCOMPARE(dates.exportDate, exportDate);
        QCOMPARE(dates.text(), importDate + QLatin1Char(',') + exportDate);
    }

    void getLastSyncDatesSendsHistoryForReplicaOfVob()
    {
        test::ScriptedClearTool ct;
        const QString command = QStringLiteral("lshistory -fmt \"%e,%d,\" replica:r1@\\proj");
        ct.outputs.insert(command, importEvent + QStringLiteral(",05-Mar-24,"));
        const SyncDates dates = getLastSyncDates(ct, QStringLiteral("r1"), QStringLiteral("\\proj"));
        QCOMPARE(ct.commands, QStringList{command});
        QCOMPARE(dates.text(), QStringLiteral("05-Mar-24,None"));
    }

    void getLastSyncDatesPassesClearCaseRefusalOn()
    {
        test::ScriptedClearTool ct;
        ct.failures.insert(QStringLiteral("lshistory -fmt \"%e,%d,\" replica:nope@\\proj"),
                           QStringLiteral("cleartool: Error: Replica not found: \"nope\"."));
        try {
            (void)getLastSyncDates(ct, QStringLiteral("nope"), QStringLiteral("\\proj"));
            QFAIL("a refused history must not give dates");
        } catch (const ClearCaseError &e) {
            QCOMPARE(e.description(), QStringLiteral("cleartool: Error: Replica not found: \"nope\"."));
        }
    }
};

QTEST_GUILESS_MAIN(TestSyncDates)
#include "tst_syncdates.moc"
