#include "ccase/CommandLine.h"

#include <QTest>

using namespace quorvane;

// Windows command-line rules; the expected arguments are joined with '|'.
class TestCommandLine : public QObject {
    Q_OBJECT
private slots:
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
        row("doubled quote inside quotes", "p \"a\"\"b\"", "p|a\"b");
        row("quotes join pieces", "p a\"b c\"d", "p|ab cd");
        row("unclosed quote runs to end", "p \"a b", "p|a b");
        row("fmt escapes kept", "lshistory -fmt \"Date:%d\\n%c\\n\" r@\\dev",
            "lshistory|-fmt|Date:%d\\n%c\\n|r@\\dev");
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

QTEST_GUILESS_MAIN(TestCommandLine)
#include "tst_commandline.moc"
