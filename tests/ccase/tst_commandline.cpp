#include "ccase/CommandLine.h"

#include <QTest>

using namespace quorvane;

class TestCommandLine : public QObject {
    Q_OBJECT
private slots:
    void split_data()
    {
        QTest::addColumn<QString>("line");
        QTest::addColumn<QStringList>("expected");
        auto row = [](const char *name, const char *line, QStringList expected) {
            QTest::newRow(name) << QString::fromUtf8(line) << expected;
        };
        row("empty", "", {});
        row("blanks only", "  \t ", {});
        row("blanks separate", "multitool  chepoch\t-actual r@\\dev",
            {QStringLiteral("multitool"), QStringLiteral("chepoch"), QStringLiteral("-actual"),
             QStringLiteral("r@\\dev")});
        row("quotes group", "ccperl \"C:\\Program Files\\q\\get_replica_info.pl\" \\dev",
            {QStringLiteral("ccperl"), QStringLiteral("C:\\Program Files\\q\\get_replica_info.pl"),
             QStringLiteral("\\dev")});
        row("quoted program", "\"C:\\a b\\perl.exe\" x",
            {QStringLiteral("C:\\a b\\perl.exe"), QStringLiteral("x")});
        row("program backslash before quote is plain", "a\\\"b c",
            {QStringLiteral("a\\\"b"), QStringLiteral("c")});
        row("backslashes literal", "p a\\\\b \\\\server\\share",
            {QStringLiteral("p"), QStringLiteral("a\\\\b"), QStringLiteral("\\\\server\\share")});
        row("odd backslashes escape quote", "p a\\\"b", {QStringLiteral("p"), QStringLiteral("a\"b")});
        row("even backslashes then quote", "p \"a\\\\\" b",
            {QStringLiteral("p"), QStringLiteral("a\\"), QStringLiteral("b")});
        row("three backslashes and quote", "p a\\\\\\\"b", {QStringLiteral("p"), QStringLiteral("a\\\"b")});
        row("empty quoted argument", "p \"\" x", {QStringLiteral("p"), QString(), QStringLiteral("x")});
        row("doubled quote inside quotes", "p \"a\"\"b\"", {QStringLiteral("p"), QStringLiteral("a\"b")});
        row("quotes join pieces", "p a\"b c\"d", {QStringLiteral("p"), QStringLiteral("ab cd")});
        row("unclosed quote runs to end", "p \"a b", {QStringLiteral("p"), QStringLiteral("a b")});
        row("fmt escapes kept", "lshistory -fmt \"Date:%d User:%u\\n%c\\n\" replica:r@\\dev",
            {QStringLiteral("lshistory"), QStringLiteral("-fmt"), QStringLiteral("Date:%d User:%u\\n%c\\n"),
             QStringLiteral("replica:r@\\dev")});
        row("shell characters are plain", "p a;b |c $(d) `e` >f",
            {QStringLiteral("p"), QStringLiteral("a;b"), QStringLiteral("|c"), QStringLiteral("$(d)"),
             QStringLiteral("`e`"), QStringLiteral(">f")});
        row("trailing blank", "multitool syncreplica -export -fship a@\\v b@\\v ",
            {QStringLiteral("multitool"), QStringLiteral("syncreplica"), QStringLiteral("-export"),
             QStringLiteral("-fship"), QStringLiteral("a@\\v"), QStringLiteral("b@\\v")});
    }
    void split()
    {
        QFETCH(QString, line);
        QFETCH(QStringList, expected);
        QCOMPARE(CommandLine::split(line), expected);
    }
};

QTEST_GUILESS_MAIN(TestCommandLine)
#include "tst_commandline.moc"
