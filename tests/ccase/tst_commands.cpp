#include "ccase/Commands.h"

#include <QTest>

using namespace quorvane;

// Each command text against its pieces, DQ being one double quote.
class TestCommands : public QObject {
    Q_OBJECT
private slots:
    void texts_data()
    {
        QTest::addColumn<QString>("actual");
        QTest::addColumn<QString>("expected");
        const QString dq = QStringLiteral("\"");
        const QString vob = QStringLiteral("\\proj");
        const QString r = QStringLiteral("sanfran_hub");
        const QString script = QStringLiteral("/opt/q/get_replica_info.pl");
        QTest::newRow("vob check") << Commands::vobCheck(vob)
                                   << QString(QStringLiteral("lsreplica -siblings -s -invob ") + vob);
        QTest::newRow("local replica") << Commands::localReplicaName(vob)
                                       << QString(QStringLiteral("desc -fmt ") + dq + QStringLiteral("%[replica_name]p")
                                                  + dq + QStringLiteral(" vob:") + vob);
        QTest::newRow("replica list")
            << Commands::replicaList(vob)
            << QString(QStringLiteral("lsreplica -fmt ") + dq + QStringLiteral("%n,%d,%[replica_host]p,%[master]p,")
                       + dq + QStringLiteral(" -invob ") + vob);
        QTest::newRow("script") << Commands::replicaInfoScript(script, vob)
                                << QString(QStringLiteral("ccperl ") + dq + script + dq + QStringLiteral(" ") + vob);
        QTest::newRow("script for replica")
            << Commands::replicaInfoScriptFor(script, vob, r)
            << QString(QStringLiteral("ccperl ") + dq + script + dq + QStringLiteral(" ") + vob
                       + QStringLiteral(" ") + r);
        QTest::newRow("history detail")
            << Commands::historyDetail(r, vob)
            << QString(QStringLiteral("lshistory -fmt ") + dq + QStringLiteral("Date:%d User:%u") + QLatin1Char('\\')
                       + QStringLiteral("n%c") + QLatin1Char('\\') + QStringLiteral("n") + dq
                       + QStringLiteral(" replica:") + r + QStringLiteral("@") + vob);
        QTest::newRow("sync history")
            << Commands::syncHistory(r, vob)
            << QString(QStringLiteral("lshistory -fmt ") + dq + QStringLiteral("%e,%d,") + dq
                       + QStringLiteral(" replica:") + r + QStringLiteral("@") + vob);
        QTest::newRow("chepoch force")
            << Commands::chepochForce(r, vob, QStringLiteral("1234"))
            << QString(QStringLiteral("multitool chepoch -force ") + r + QStringLiteral("@") + vob
                       + QStringLiteral(" ") + r + QStringLiteral("=") + QStringLiteral("1234"));
        QTest::newRow("chepoch actual")
            << Commands::chepochActual(r, vob)
            << QString(QStringLiteral("multitool chepoch -actual ") + r + QStringLiteral("@") + vob);
        QTest::newRow("import")
            << Commands::importReceive(vob)
            << QString(QStringLiteral("multitool syncreplica -import -invob ") + vob + QStringLiteral(" -receive"));
        QTest::newRow("export one")
            << Commands::exportTo(r, vob)
            << QString(QStringLiteral("multitool syncreplica -export -fship ") + r + QStringLiteral("@") + vob);
        QTest::newRow("export all")
            << Commands::exportToAll({QStringLiteral("a"), QStringLiteral("b")}, vob)
            << QString(QStringLiteral("multitool syncreplica -export -fship ") + QStringLiteral("a@") + vob
                       + QStringLiteral(" ") + QStringLiteral("b@") + vob + QStringLiteral(" "));
        QTest::newRow("unix tag unquoted") << Commands::vobCheck(QStringLiteral("/vobs/a b"))
                                           << QStringLiteral("lsreplica -siblings -s -invob /vobs/a b");
    }
    void texts()
    {
        QFETCH(QString, actual);
        QFETCH(QString, expected);
        QCOMPARE(actual, expected);
    }
};

QTEST_GUILESS_MAIN(TestCommands)
#include "tst_commands.moc"
