#include "ccase/Commands.h"

#include <QTest>

using namespace quorvane;
using namespace Qt::StringLiterals;

// Each command text against the exact pieces ClearCase is sent.
class TestCommands : public QObject {
    Q_OBJECT
private slots:
    void texts_data()
    {
        QTest::addColumn<QString>("actual");
        QTest::addColumn<QString>("expected");
        const QString vob = u"\\proj"_s;
        const QString r = u"sanfran_hub"_s;
        const QString script = u"/opt/q/get_replica_info.pl"_s;
        QTest::newRow("vob check") << Commands::vobCheck(vob) << u"lsreplica -siblings -s -invob \\proj"_s;
        QTest::newRow("unix tag unquoted")
            << Commands::vobCheck(u"/vobs/a b"_s) << u"lsreplica -siblings -s -invob /vobs/a b"_s;
        QTest::newRow("local replica")
            << Commands::localReplicaName(vob) << u"desc -fmt \"%[replica_name]p\" vob:\\proj"_s;
        QTest::newRow("replica list")
            << Commands::replicaList(vob)
            << u"lsreplica -fmt \"%n,%d,%[replica_host]p,%[master]p,\" -invob \\proj"_s;
        QTest::newRow("script") << Commands::replicaInfoScript(script, vob)
                                << u"ccperl \"/opt/q/get_replica_info.pl\" \\proj"_s;
        QTest::newRow("script for replica") << Commands::replicaInfoScriptFor(script, vob, r)
                                            << u"ccperl \"/opt/q/get_replica_info.pl\" \\proj sanfran_hub"_s;
        QTest::newRow("history detail")
            << Commands::historyDetail(r, vob)
            << u"lshistory -fmt \"Date:%d User:%u\\n%c\\n\" replica:sanfran_hub@\\proj"_s;
        QTest::newRow("sync history")
            << Commands::syncHistory(r, vob) << u"lshistory -fmt \"%e,%d,\" replica:sanfran_hub@\\proj"_s;
        QTest::newRow("chepoch force") << Commands::chepochForce(r, vob, u"1234"_s)
                                       << u"multitool chepoch -force sanfran_hub@\\proj sanfran_hub=1234"_s;
        QTest::newRow("chepoch actual")
            << Commands::chepochActual(r, vob) << u"multitool chepoch -actual sanfran_hub@\\proj"_s;
        QTest::newRow("import") << Commands::importReceive(vob)
                                << u"multitool syncreplica -import -invob \\proj -receive"_s;
        QTest::newRow("export one") << Commands::exportTo(r, vob)
                                    << u"multitool syncreplica -export -fship sanfran_hub@\\proj"_s;
        QTest::newRow("export all") << Commands::exportToAll({u"a"_s, u"b"_s}, vob)
                                    << u"multitool syncreplica -export -fship a@\\proj b@\\proj "_s;
    }
    void texts()
    {
        QFETCH(QString, actual);
        QTEST(actual, "expected");
    }
};

QTEST_GUILESS_MAIN(TestCommands)
#include "tst_commands.moc"
