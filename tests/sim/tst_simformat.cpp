#include "SimHarness.h"

#include "sim/CommandError.h"
#include "sim/CommandLine.h"
#include "sim/FormatEngine.h"

#include <QTest>

using namespace quorvane::ccsim;
using namespace quorvane::ccsim::test;

// Runs with TZ=Europe/Paris (set by the test registration): dates print
// with the local offset, +01:00 in January and +02:00 in July.
class TestSimFormat : public QObject {
    Q_OBJECT
private slots:
    void expand_data()
    {
        QTest::addColumn<QString>("format");
        QTest::addColumn<QString>("expected");
        QTest::newRow("lsreplica listing") << QStringLiteral("%n,%d,%[replica_host]p,%[master]p,")
                                           << QStringLiteral("beta,2026-01-02T10:00:00+01:00,hostb,alpha@/vobs/fix,");
        QTest::newRow("no newline added") << QStringLiteral("%[replica_name]p") << QStringLiteral("beta");
        QTest::newRow("history detail") << QStringLiteral("Date:%d User:%u\\n%c\\n")
                                        << QStringLiteral("Date:2026-01-02T10:00:00+01:00 User:vobadm\nline one\nline two\n");
        QTest::newRow("event and date") << QStringLiteral("%e,%d,")
                                        << QStringLiteral("create replica \"beta\",2026-01-02T10:00:00+01:00,");
        QTest::newRow("numeric date") << QStringLiteral("%Nd") << QStringLiteral("20260102.100000");
        QTest::newRow("tab and percent") << QStringLiteral("%n\\t100%%") << QStringLiteral("beta\t100%");
        QTest::newRow("quote and backslash") << QStringLiteral("\\'%n\\'\\\\") << QStringLiteral("'beta'\\");
        QTest::newRow("octal") << QStringLiteral("a\\101\\0122") << QStringLiteral("aA\n2");
        QTest::newRow("unknown escape kept") << QStringLiteral("\\dev") << QStringLiteral("\\dev");
        QTest::newRow("missing property") << QStringLiteral("[%[owner]p]") << QStringLiteral("[]");
        QTest::newRow("empty") << QString() << QString();
    }
    void expand()
    {
        QFETCH(QString, format);
        QFETCH(QString, expected);
        FormatFields f;
        f.name = QStringLiteral("beta");
        f.date = at(2, 9);
        f.user = QStringLiteral("vobadm");
        f.event = QStringLiteral("create replica \"beta\"");
        f.comment = QStringLiteral("line one\nline two");
        f.properties = {{QStringLiteral("replica_host"), QStringLiteral("hostb")},
                        {QStringLiteral("master"), QStringLiteral("alpha@/vobs/fix")},
                        {QStringLiteral("replica_name"), QStringLiteral("beta")}};
        QCOMPARE(FormatEngine::expand(format, f), expected);
    }

    void badDirectives_data()
    {
        QTest::addColumn<QString>("format");
        QTest::newRow("unknown letter") << QStringLiteral("%n,%x");
        QTest::newRow("unclosed property") << QStringLiteral("%[replica_host");
        QTest::newRow("property without p") << QStringLiteral("%[replica_host]");
        QTest::newRow("N without d") << QStringLiteral("%Nn");
        QTest::newRow("lone percent") << QStringLiteral("100%");
    }
    void badDirectives()
    {
        QFETCH(QString, format);
        QVERIFY_THROWS_EXCEPTION(CommandError, FormatEngine::expand(format, FormatFields{}));
    }

    void dates()
    {
        const QDateTime summer(QDate(2026, 7, 3), QTime(12, 34, 56), QTimeZone::utc());
        QCOMPARE(FormatEngine::isoDate(summer), QStringLiteral("2026-07-03T14:34:56+02:00"));
        QCOMPARE(FormatEngine::numericDate(summer), QStringLiteral("20260703.143456"));
        QCOMPARE(FormatEngine::legacyDate(summer), QStringLiteral("03-Jul-26.14:34:56"));
        QCOMPARE(FormatEngine::listingDate(summer, summer.addDays(30)), QStringLiteral("03-Jul.14:34"));
        QCOMPARE(FormatEngine::listingDate(summer, summer.addYears(1)), QStringLiteral("03-Jul-26.14:34"));
        qputenv("CCSIM_DATE_STYLE", "legacy");
        QCOMPARE(FormatEngine::date(summer), QStringLiteral("03-Jul-26.14:34:56"));
        qunsetenv("CCSIM_DATE_STYLE");
        QCOMPARE(FormatEngine::date(summer), FormatEngine::isoDate(summer));
    }

    // The command lines Quorvane sends, split as cleartool splits them.
    void tokenize_data()
    {
        QTest::addColumn<QString>("line");
        QTest::addColumn<QStringList>("words");
        QTest::newRow("replica list") << QStringLiteral("lsreplica -fmt \"%n,%d,%[replica_host]p,%[master]p,\" -invob /vobs/dev")
                                      << QStringList{QStringLiteral("lsreplica"), QStringLiteral("-fmt"),
                                                     QStringLiteral("%n,%d,%[replica_host]p,%[master]p,"),
                                                     QStringLiteral("-invob"), QStringLiteral("/vobs/dev")};
        QTest::newRow("history keeps backslash n")
            << QStringLiteral("lshistory -fmt \"Date:%d User:%u\\n%c\\n\" replica:b@\\dev")
            << QStringList{QStringLiteral("lshistory"), QStringLiteral("-fmt"), QStringLiteral("Date:%d User:%u\\n%c\\n"),
                           QStringLiteral("replica:b@\\dev")};
        QTest::newRow("blanks and tabs") << QStringLiteral("  lsvob \t -s  ")
                                         << QStringList{QStringLiteral("lsvob"), QStringLiteral("-s")};
        QTest::newRow("quotes inside a word") << QStringLiteral("a\"b c\"d 'e f'")
                                              << QStringList{QStringLiteral("ab cd"), QStringLiteral("e f")};
        QTest::newRow("empty quoted word") << QStringLiteral("desc -fmt \"\" vob:/x")
                                           << QStringList{QStringLiteral("desc"), QStringLiteral("-fmt"), QString(),
                                                          QStringLiteral("vob:/x")};
        QTest::newRow("crlf line") << QStringLiteral("lsvob -s\r\n") << QStringList{QStringLiteral("lsvob"), QStringLiteral("-s")};
        QTest::newRow("nothing") << QStringLiteral("   ") << QStringList{};
    }
    void tokenize()
    {
        QFETCH(QString, line);
        QFETCH(QStringList, words);
        QCOMPARE(CommandLine::split(line), words);
        if (!words.isEmpty())
            QCOMPARE(CommandLine::split(CommandLine::join(words)), words);
    }

    void unmatchedQuote()
    {
        QVERIFY_THROWS_EXCEPTION(CommandError, CommandLine::split(QStringLiteral("desc -fmt \"%n vob:/x")));
    }

    void options_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<QString>("flags");
        QTest::addColumn<QString>("invob");
        QTest::addColumn<bool>("accepted");
        QTest::newRow("short form") << QStringList{QStringLiteral("-s"), QStringLiteral("-sib"), QStringLiteral("-inv"),
                                                   QStringLiteral("/v")}
                                    << QStringLiteral("-short,-siblings") << QStringLiteral("/v") << true;
        QTest::newRow("full form") << QStringList{QStringLiteral("-short"), QStringLiteral("-invob"), QStringLiteral("/v")}
                                   << QStringLiteral("-short") << QStringLiteral("/v") << true;
        QTest::newRow("too short") << QStringList{QStringLiteral("-si")} << QString() << QString() << false;
        QTest::newRow("too long") << QStringList{QStringLiteral("-shortest")} << QString() << QString() << false;
        QTest::newRow("value missing") << QStringList{QStringLiteral("-invob")} << QString() << QString() << false;
    }
    void options()
    {
        QFETCH(QStringList, args);
        QFETCH(QString, flags);
        QFETCH(QString, invob);
        QFETCH(bool, accepted);
        const QList<OptionSpec> specs{{QStringLiteral("-s/hort")}, {QStringLiteral("-sib/lings")},
                                      {QStringLiteral("-inv/ob"), true}};
        try {
            const ParsedArgs a = parseArgs(args, specs);
            QVERIFY(accepted);
            QStringList got = a.flags.values();
            got.sort();
            QCOMPARE(got.join(QLatin1Char(',')), flags);
            QCOMPARE(a.value(QStringLiteral("-invob")), invob);
        } catch (const CommandError &) {
            QVERIFY(!accepted);
        }
    }

    void selectors_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("prefixOptional");
        QTest::addColumn<QString>("expected"); // "name|tag", empty when refused
        QTest::newRow("prefixed") << QStringLiteral("replica:b@/vobs/x") << false << QStringLiteral("b|/vobs/x");
        QTest::newRow("windows tag") << QStringLiteral("b@\\dev") << true << QStringLiteral("b|\\dev");
        QTest::newRow("bare refused by cleartool") << QStringLiteral("b@/vobs/x") << false << QString();
        QTest::newRow("no tag") << QStringLiteral("b@") << true << QString();
        QTest::newRow("no name") << QStringLiteral("@/vobs/x") << true << QString();
    }
    void selectors()
    {
        QFETCH(QString, text);
        QFETCH(bool, prefixOptional);
        QFETCH(QString, expected);
        try {
            const Selector s = parseSelector(text, prefixOptional);
            QCOMPARE(QString(s.replica + QLatin1Char('|') + s.tag), expected);
        } catch (const CommandError &) {
            QVERIFY(expected.isEmpty());
        }
    }
};

QTEST_GUILESS_MAIN(TestSimFormat)
#include "tst_simformat.moc"
