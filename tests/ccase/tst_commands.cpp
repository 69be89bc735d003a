#include "ccase/CommandLine.h"
#include "ccase/Commands.h"

#include <QTest>

using namespace quorvane;
using namespace Qt::StringLiterals;

class TestCommands : public QObject {
    Q_OBJECT
private slots:
    // Which names and tags may go into a command line unquoted: those that
    // the splitter gives back as one argument and that cannot read as an
    // option. The first faulty text of a list is the one named.
    void argumentFault_data()
    {
        QTest::addColumn<QStringList>("texts");
        QTest::addColumn<QString>("faulty"); // empty: all may go out
        QTest::addColumn<QString>("reason");
        const auto ok = [](const char *name, const QStringList &texts) {
            QTest::newRow(name) << texts << QString() << QString();
        };
        ok("plain names", {u"r1"_s, u"boston_hub"_s, u"site-2.b"_s});
        ok("windows and unix tags", {u"\\proj"_s, u"\\\\srv\\share"_s, u"/vobs/dev"_s});
        ok("letters beyond ASCII", {u"zürich"_s, u"東京"_s});
        ok("dash inside, trailing backslash", {u"a-"_s, u"a\\"_s});
        const auto bad = [](const char *name, const QStringList &texts, const QString &faulty,
                            const char *reason) {
            QTest::newRow(name) << texts << faulty << QString::fromUtf8(reason);
        };
        bad("blank", {u"r1"_s, u"a b"_s}, u"a b"_s, "holds a blank");
        bad("trailing blank", {u"r1 "_s}, u"r1 "_s, "holds a blank");
        bad("double quote", {u"a\"b"_s}, u"a\"b"_s, "holds a double quote");
        bad("tab", {u"a\tb"_s}, u"a\tb"_s, "holds a control character (<U+0009>)");
        bad("line end", {u"a\nb"_s}, u"a\nb"_s, "holds a control character (<U+000A>)");
        bad("delete", {u"a\x7f"_s}, u"a\x7f"_s, "holds a control character (<U+007F>)");
        bad("option", {u"-import"_s}, u"-import"_s, "starts with \"-\", which reads as an option");
        bad("empty", {u"r1"_s, QString()}, QString(), "is empty");
        bad("first of two", {u"-a"_s, u"b c"_s}, u"-a"_s, "starts with \"-\", which reads as an option");
    }
    void argumentFault()
    {
        QFETCH(QStringList, texts);
        QFETCH(QString, reason);
        const auto fault = Commands::argumentFault(texts);
        QCOMPARE(fault.has_value(), !reason.isEmpty());
        if (!fault) {
            // What passes really is one argument each, in every command.
            const QStringList args = CommandLine::split(Commands::exportToAll(texts, u"\\proj"_s));
            QStringList expected;
            for (const QString &t : texts)
                expected << t + u"@\\proj"_s;
            QCOMPARE(args.mid(4), expected);
            return;
        }
        QTEST(fault->text, "faulty");
        QCOMPARE(fault->reason, reason);
    }

    void visible()
    {
        QCOMPARE(Commands::visible(u"a\r\nb\x01 c"_s), u"a<U+000D><U+000A>b<U+0001> c"_s);
        QCOMPARE(Commands::visible(u"zürich"_s), u"zürich"_s);
    }
};

QTEST_MAIN(TestCommands)
#include "tst_commands.moc"
