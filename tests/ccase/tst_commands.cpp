#include "ccase/CommandLine.h"
#include "ccase/Commands.h"

#include <QTest>

using namespace quorvane;
using namespace Qt::StringLiterals;

// The command texts ClearCase is sent, and how a command line is split into
// a program and its arguments (Windows rules).
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

    // Expected arguments joined with '|'.
    void split_data()
    {
        QTest::addColumn<QString>("line");
        QTest::addColumn<QString>("expected");
        auto row = [](const char *name, const char *line, const char *expected) {
            QTest::newRow(name) << QString::fromUtf8(line) << QString::fromUtf8(expected);
        };
        row("empty", " \t ", "");
        row("blanks separate", "multitool  chepoch\t-actual r@\\dev", "multitool|chepoch|-actual|r@\\dev");
        row("quotes group", "ccperl \"C:\\Program Files\\q\\gri.pl\" \\dev",
            "ccperl|C:\\Program Files\\q\\gri.pl|\\dev");
        row("program backslash before quote is plain", "a\\\"b c", "a\\\"b|c");
        row("backslashes literal", "p a\\\\b \\\\server\\share", "p|a\\\\b|\\\\server\\share");
        row("odd backslashes escape quote", "p a\\\"b", "p|a\"b");
        row("even backslashes then quote", "p \"a\\\\\" b", "p|a\\|b");
        row("empty quoted argument", "p \"\" x", "p||x");
        row("quotes join pieces", "p a\"b c\"d", "p|ab cd");
        row("unclosed quote runs to end", "p \"a b", "p|a b");
        row("shell characters are plain", "p a;b &c $(d) `e` >f", "p|a;b|&c|$(d)|`e`|>f");
    }
    void split()
    {
        QFETCH(QString, line);
        QFETCH(QString, expected);
        QCOMPARE(CommandLine::split(line),
                 expected.isEmpty() ? QStringList() : expected.split(QLatin1Char('|')));
    }
};

QTEST_GUILESS_MAIN(TestCommands)
#include "tst_commands.moc"
