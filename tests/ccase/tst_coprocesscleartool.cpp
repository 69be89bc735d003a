#include "ccase/ClearCaseError.h"
#include "ccase/CoprocessClearTool.h"

#include <QTest>
#include <QThread>

#include <csignal>
#include <sys/types.h>

using namespace quorvane;
using Mode = CoprocessClearTool::Mode;

namespace {

QString fakeClearTool()
{
    return QStringLiteral(QUORVANE_TEST_DATA "/ccase/fake_cleartool.pl");
}

QString failureOf(ClearTool &tool, const QString &command)
{
    try {
        tool.CmdExec(command);
    } catch (const ClearCaseError &e) {
        return e.description();
    }
    return QStringLiteral("<no error>");
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

    // Every reply comes back exactly, in both ways of running cleartool.
    void exactOutput_data()
    {
        QTest::addColumn<int>("mode");
        QTest::addColumn<bool>("crlf");
        QTest::addColumn<QString>("command");
        QTest::addColumn<QString>("expected");
        const struct {
            const char *name;
            const char *command;
            const char *expected;
        } rows[] = {
            {"lines", "print a\\nb\\n", "a\nb\n"},
            {"no final newline", "print boston_hub", "boston_hub"},
            {"nothing", "print", ""},
            {"windows line ends kept", "print a\\r\\nb\\r\\n", "a\r\nb\r\n"},
            {"own status text at end", "print Command 1 returned status 0\\n", "Command 1 returned status 0\n"},
            {"own status text without newline", "print Command 1 returned status 0",
             "Command 1 returned status 0"},
            {"own status text inside", "print x\\nCommand 1 returned status 1\\ny",
             "x\nCommand 1 returned status 1\ny"},
            {"reply in pieces", "slow abcdefgh", "abcdefgh"},
            {"warning on stderr is not output", "warn cleartool: Warning: slow\\n", "ok"},
        };
        for (const auto &row : rows) {
            for (const Mode mode : {Mode::Coprocess, Mode::ProcessPerCommand}) {
                for (const bool crlf : {false, true}) {
                    if (mode == Mode::ProcessPerCommand && (crlf || QByteArray(row.command).startsWith("slow")))
                        continue; // status lines and pieces belong to the co-process
                    QTest::addRow("%s/%s%s", row.name, mode == Mode::Coprocess ? "coprocess" : "per-process",
                                  crlf ? "/crlf" : "")
                        << int(mode) << crlf << QString::fromUtf8(row.command) << QString::fromUtf8(row.expected);
                }
            }
        }
    }
    void exactOutput()
    {
        QFETCH(int, mode);
        QFETCH(bool, crlf);
        QFETCH(QString, command);
        QFETCH(QString, expected);
        if (crlf)
            qputenv("FAKE_CT_CRLF", "1");
        CoprocessClearTool tool(fakeClearTool(), Mode(mode));
        QCOMPARE(tool.CmdExec(command), expected);
        // The reader stopped exactly at the status line: the next reply is whole.
        QCOMPARE(tool.CmdExec(QStringLiteral("print next")), QStringLiteral("next"));
        QCOMPARE(tool.mode(), Mode(mode));
    }

    void commandsShareOneProcess()
    {
        CoprocessClearTool tool(fakeClearTool());
        QCOMPARE(tool.processId(), qint64(0)); // started on first use
        const QString pid = tool.CmdExec(QStringLiteral("pid"));
        QCOMPARE(pid, QString::number(tool.processId()));
        QCOMPARE(tool.CmdExec(QStringLiteral("print Command 1 returned status 0\\nCommand 2 returned status 0\\n")),
                 QStringLiteral("Command 1 returned status 0\nCommand 2 returned status 0\n"));
        QCOMPARE(tool.CmdExec(QStringLiteral("count")), QStringLiteral("3"));
        QCOMPARE(tool.CmdExec(QStringLiteral("pid")), pid);
    }

    void failingCommandThrowsClearCaseMessage_data()
    {
        QTest::addColumn<int>("mode");
        QTest::addColumn<QString>("command");
        QTest::addColumn<QString>("description");
        for (const Mode mode : {Mode::Coprocess, Mode::ProcessPerCommand}) {
            const char *m = mode == Mode::Coprocess ? "coprocess" : "per-process";
            QTest::addRow("one line/%s", m) << int(mode)
                                            << QStringLiteral("fail cleartool: Error: Unable to locate VOB\\n")
                                            << QStringLiteral("cleartool: Error: Unable to locate VOB");
            QTest::addRow("two lines crlf/%s", m) << int(mode) << QStringLiteral("fail a\\r\\nb\\r\\n")
                                                  << QStringLiteral("a\r\nb");
            QTest::addRow("silent failure/%s", m) << int(mode) << QStringLiteral("fail")
                                                  << QStringLiteral("cleartool returned status 1 for: fail");
            QTest::addRow("unknown/%s", m) << int(mode) << QStringLiteral("nosuch x")
                                           << QStringLiteral("cleartool: Error: Unrecognized command: \"nosuch x\"");
        }
    }
    void failingCommandThrowsClearCaseMessage()
    {
        QFETCH(int, mode);
        QFETCH(QString, command);
        QFETCH(QString, description);
        CoprocessClearTool tool(fakeClearTool(), Mode(mode));
        try {
            tool.CmdExec(command);
            QFAIL("no error");
        } catch (const ClearCaseError &e) {
            QCOMPARE(e.description(), description);
            QCOMPARE(e.number(), ErrNo::ClearCase);
        }
        // The error text was taken whole: the next command gets only its own.
        QCOMPARE(failureOf(tool, QStringLiteral("fail second\\n")), QStringLiteral("second"));
        QCOMPARE(tool.CmdExec(QStringLiteral("print ok")), QStringLiteral("ok"));
    }

    void killedBetweenCommandsGetsNewProcess()
    {
        CoprocessClearTool tool(fakeClearTool());
        QCOMPARE(tool.CmdExec(QStringLiteral("count")), QStringLiteral("1"));
        const qint64 first = tool.processId();
        QVERIFY(first > 0);
        ::kill(pid_t(first), SIGKILL);
        QThread::msleep(200);
        QCOMPARE(tool.CmdExec(QStringLiteral("count")), QStringLiteral("1")); // a fresh session
        QVERIFY(tool.processId() != first);
        QCOMPARE(tool.mode(), Mode::Coprocess);
    }

    void deathInFlightFailsThatCommandOnly()
    {
        CoprocessClearTool tool(fakeClearTool());
        const QString first = tool.CmdExec(QStringLiteral("pid"));
        const QString message = failureOf(tool, QStringLiteral("die"));
        QVERIFY2(message.contains(QStringLiteral("ended while running \"die\"")), qPrintable(message));
        const QString second = tool.CmdExec(QStringLiteral("pid"));
        QVERIFY(second != first);
        QCOMPARE(tool.mode(), Mode::Coprocess);
    }

    void coprocessRefusedFallsBackToProcessPerCommand()
    {
        qputenv("FAKE_CT_BROKEN", "1");
        CoprocessClearTool tool(fakeClearTool());
        QCOMPARE(tool.CmdExec(QStringLiteral("print a b")), QStringLiteral("a b"));
        QCOMPARE(tool.mode(), Mode::ProcessPerCommand);
        QCOMPARE(tool.CmdExec(QStringLiteral("count")), QStringLiteral("0")); // no session counts
    }

    void strayOutputFallsBackToProcessPerCommand()
    {
        CoprocessClearTool tool(fakeClearTool());
        QCOMPARE(tool.CmdExec(QStringLiteral("late")), QStringLiteral("x"));
        QThread::msleep(300);
        QCOMPARE(tool.CmdExec(QStringLiteral("print clean")), QStringLiteral("clean"));
        QCOMPARE(tool.mode(), Mode::ProcessPerCommand);
    }

    void missingProgramGivesClearError()
    {
        CoprocessClearTool tool(QStringLiteral("/nonexistent/bin/cleartool"));
        const QString message = failureOf(tool, QStringLiteral("lsvob -short"));
        QVERIFY2(message.startsWith(QStringLiteral("Could not start cleartool (/nonexistent/bin/cleartool)")),
                 qPrintable(message));
    }

    // Lines that would put the session out of step are never sent.
    void unsendableCommandIsRefused_data()
    {
        QTest::addColumn<QString>("command");
        QTest::addColumn<QString>("message");
        QTest::newRow("line end") << QStringLiteral("print a\ncount")
                                  << QStringLiteral("A cleartool command must be a single line: print a count");
        QTest::newRow("carriage return") << QStringLiteral("print a\r")
                                         << QStringLiteral("A cleartool command must be a single line: print a ");
        QTest::newRow("empty") << QString() << QStringLiteral("No cleartool command was given.");
        QTest::newRow("blank") << QStringLiteral("   ") << QStringLiteral("No cleartool command was given.");
        QTest::newRow("exit") << QStringLiteral("exit")
                              << QStringLiteral("\"exit\" is not a command to run through cleartool.");
        QTest::newRow("quit") << QStringLiteral(" quit now")
                              << QStringLiteral("\"quit\" is not a command to run through cleartool.");
    }
    void unsendableCommandIsRefused()
    {
        QFETCH(QString, command);
        QFETCH(QString, message);
        CoprocessClearTool tool(fakeClearTool());
        QCOMPARE(failureOf(tool, command), message);
        QCOMPARE(tool.CmdExec(QStringLiteral("count")), QStringLiteral("1")); // nothing was sent
        QCOMPARE(tool.mode(), CoprocessClearTool::Mode::Coprocess);
    }

    void vobTagsStripCrAndDropEmpties_data()
    {
        QTest::addColumn<int>("mode");
        QTest::newRow("coprocess") << int(Mode::Coprocess);
        QTest::newRow("per-process") << int(Mode::ProcessPerCommand);
    }
    void vobTagsStripCrAndDropEmpties()
    {
        QFETCH(int, mode);
        CoprocessClearTool tool(fakeClearTool(), Mode(mode));
        QCOMPARE(tool.vobTags(), (QStringList{QStringLiteral("\\a"), QStringLiteral("/vobs/b"),
                                              QStringLiteral("/vobs/c"), QStringLiteral("\\D e")}));
    }
};

QTEST_GUILESS_MAIN(TestCoprocessClearTool)
#include "tst_coprocesscleartool.moc"
