// The cleartool client against a stand-in that misbehaves on request (see
// tests/data/ccase/fake_cleartool.pl for its commands).
#include "ccase/ClearCaseError.h"
#include "ccase/CoprocessClearTool.h"

#include <QTest>
#include <QThread>
#include <csignal>
#include <sys/types.h>

using namespace quorvane;
using namespace Qt::StringLiterals;
using Mode = CoprocessClearTool::Mode;

namespace {

const QString FakeClearTool = QStringLiteral(QUORVANE_TEST_DATA "/ccase/fake_cleartool.pl");

QString failureOf(ClearTool &tool, const QString &command)
{
    try {
        tool.CmdExec(command);
    } catch (const ClearCaseError &e) {
        return e.number() == ErrNo::ClearCase ? e.description() : u"<wrong error number>"_s;
    }
    return u"<no error>"_s;
}

void addModeRows(const char *name, const QString &command, const QString &expected)
{
    for (const Mode mode : {Mode::Coprocess, Mode::ProcessPerCommand}) {
        QTest::addRow("%s/%s", name, mode == Mode::Coprocess ? "coprocess" : "per-process")
            << int(mode) << command << expected;
    }
}

} // namespace

class TestCoprocessClearTool : public QObject {
    Q_OBJECT
private slots:
    void init()
    {
        qunsetenv("FAKE_CT_BROKEN");
        qunsetenv("FAKE_CT_CRLF");
    }

    // Every reply comes back exactly, in both ways of running cleartool, and
    // the reader stops exactly at the status line: the next reply is whole.
    void exactOutput_data()
    {
        QTest::addColumn<int>("mode");
        QTest::addColumn<QString>("command");
        QTest::addColumn<QString>("expected");
        addModeRows("no final newline", u"print boston_hub"_s, u"boston_hub"_s);
        addModeRows("nothing", u"print"_s, QString());
        addModeRows("windows line ends kept", u"print a\\r\\nb\\r\\n"_s, u"a\r\nb\r\n"_s);
        addModeRows("own status text at end", u"print Command 1 returned status 0\\n"_s,
                    u"Command 1 returned status 0\n"_s);
        addModeRows("other numbers' status texts",
                    u"print Command 11 returned status 0\\nCommand 21 returned status 0\\n"_s,
                    u"Command 11 returned status 0\nCommand 21 returned status 0\n"_s);
        addModeRows("own status text inside, no newline", u"print x\\nCommand 1 returned status 1\\ny"_s,
                    u"x\nCommand 1 returned status 1\ny"_s);
        addModeRows("warning on stderr is not output", u"warn cleartool: Warning: slow\\n"_s, u"ok"_s);
        addModeRows("VOB tags: CR stripped, empties dropped", u"<vobTags>"_s, u"\\a|/vobs/b|/vobs/c|\\D e"_s);
        addModeRows("reply in pieces", u"slow abcdefgh"_s, u"abcdefgh"_s);
    }
    void exactOutput()
    {
        QFETCH(int, mode);
        QFETCH(QString, command);
        for (const bool crlf : {false, true}) {
            qputenv("FAKE_CT_CRLF", crlf ? "1" : "");
            CoprocessClearTool tool(FakeClearTool, Mode(mode));
            QTEST(command == u"<vobTags>"_s ? tool.vobTags().join(u'|') : tool.CmdExec(command), "expected");
            QCOMPARE(tool.CmdExec(u"print next"_s), u"next"_s);
            QCOMPARE(tool.mode(), Mode(mode));
        }
    }

    // One process serves every command until it dies; a death between
    // commands is not noticed, one during a command fails that command only.
    void oneSessionUntilItDies()
    {
        CoprocessClearTool tool(FakeClearTool);
        QCOMPARE(tool.processId(), qint64(0)); // started on first use
        const QString pid = tool.CmdExec(u"pid"_s);
        QCOMPARE(tool.CmdExec(u"count"_s), u"2"_s);

        ::kill(pid_t(pid.toLongLong()), SIGKILL);
        QThread::msleep(200);
        QCOMPARE(tool.CmdExec(u"count"_s), u"1"_s); // a fresh session
        const QString second = tool.CmdExec(u"pid"_s);
        QVERIFY(second != pid);

        const QString message = failureOf(tool, u"die"_s);
        QVERIFY2(message.contains(u"ended while running \"die\""_s), qPrintable(message));
        QVERIFY(tool.CmdExec(u"pid"_s) != second);
        QCOMPARE(tool.mode(), Mode::Coprocess);
    }

    // A failing command throws ClearCase's message, taken whole: the next
    // command gets only its own. Lines that would put the session out of
    // step are refused before anything is sent.
    void failingCommandThrowsClearCaseMessage_data()
    {
        QTest::addColumn<int>("mode");
        QTest::addColumn<QString>("command");
        QTest::addColumn<QString>("description");
        addModeRows("one line", u"fail cleartool: Error: Unable to locate VOB\\n"_s,
                    u"cleartool: Error: Unable to locate VOB"_s);
        addModeRows("two lines crlf", u"fail a\\r\\nb\\r\\n"_s, u"a\r\nb"_s);
        addModeRows("silent failure", u"fail"_s, u"cleartool returned status 1 for: fail"_s);
        addModeRows("line end", u"print a\ncount"_s,
                    u"A cleartool command must be a single line: print a count"_s);
        addModeRows("quit", u" quit now"_s, u"\"quit\" is not a command to run through cleartool."_s);
    }
    void failingCommandThrowsClearCaseMessage()
    {
        QFETCH(int, mode);
        QFETCH(QString, command);
        CoprocessClearTool tool(FakeClearTool, Mode(mode));
        QTEST(failureOf(tool, command), "description");
        QCOMPARE(failureOf(tool, u"fail second\\n"_s), u"second"_s);
        QCOMPARE(tool.CmdExec(u"print ok"_s), u"ok"_s);
    }

    // A co-process that refuses to start, or one that breaks the protocol
    // by writing after its status line, gives way to one process per command.
    void fallsBackToProcessPerCommand_data()
    {
        QTest::addColumn<bool>("refused");
        QTest::addColumn<QString>("command");
        QTest::addColumn<QString>("expected");
        QTest::newRow("refused") << true << u"print a b"_s << u"a b"_s;
        QTest::newRow("stray output") << false << u"late"_s << u"x"_s;
    }
    void fallsBackToProcessPerCommand()
    {
        QFETCH(bool, refused);
        QFETCH(QString, command);
        qputenv("FAKE_CT_BROKEN", refused ? "1" : "");
        CoprocessClearTool tool(FakeClearTool);
        QTEST(tool.CmdExec(command), "expected");
        QThread::msleep(300);
        QCOMPARE(tool.CmdExec(u"print clean"_s), u"clean"_s);
        QCOMPARE(tool.CmdExec(u"count"_s), u"0"_s); // no session counts
        QCOMPARE(tool.mode(), Mode::ProcessPerCommand);
    }
};

QTEST_GUILESS_MAIN(TestCoprocessClearTool)
#include "tst_coprocesscleartool.moc"
