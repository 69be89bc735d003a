// The command log: what the access layer's writers put into it, and what it
// keeps when a run goes on for long.
#include "ccase/ClearCaseError.h"
#include "ccase/CommandLog.h"
#include "ccase/LoggingClearTool.h"
#include "support/ScriptedClearTool.h"

#include <QSignalSpy>
#include <QTest>

#include <ctime>

using namespace quorvane;

class tst_CommandLog : public QObject {
    Q_OBJECT
private slots:
    void clearToolCommandsAreLoggedAsTheyEnded()
    {
        test::ScriptedClearTool inner;
        inner.outputs.insert(QStringLiteral("desc -fmt \"%[replica_name]p\" vob:/vobs/tools"),
                             QStringLiteral("boston_hub"));
        inner.failures.insert(QStringLiteral("lsreplica -invob /vobs/gone"),
                              QStringLiteral("cleartool: Error: Unable to locate VOB \"/vobs/gone\"."));
        inner.tags = {QStringLiteral("/vobs/a"), QStringLiteral("/vobs/b")};
        CommandLog log;
        LoggingClearTool tool(inner, log);

        QCOMPARE(tool.CmdExec(QStringLiteral("desc -fmt \"%[replica_name]p\" vob:/vobs/tools")),
                 QStringLiteral("boston_hub"));
        // A refusal reaches the caller unchanged.
        try {
            tool.CmdExec(QStringLiteral("lsreplica -invob /vobs/gone"));
            QFAIL("the refusal was swallowed");
        } catch (const ClearCaseError &e) {
            QCOMPARE(e.number(), ErrNo::ClearCase);
            QCOMPARE(e.description(), QStringLiteral("cleartool: Error: Unable to locate VOB \"/vobs/gone\"."));
        }
        QCOMPARE(tool.vobTags(), inner.tags);

        QCOMPARE(log.rowCount(), 3);
        const auto &e = log.entries();
        QCOMPARE(e[0].command, QStringLiteral("cleartool desc -fmt \"%[replica_name]p\" vob:/vobs/tools"));
        QVERIFY(e[0].ok);
        QCOMPARE(e[0].outcome, QStringLiteral("status 0"));
        QCOMPARE(e[0].output, QStringLiteral("boston_hub"));
        QVERIFY(!e[1].ok);
        QCOMPARE(e[1].outcome, QStringLiteral("failed: cleartool: Error: Unable to locate VOB \"/vobs/gone\"."));
        QCOMPARE(e[1].errorText, QStringLiteral("cleartool: Error: Unable to locate VOB \"/vobs/gone\"."));
        QCOMPARE(e[2].command, QStringLiteral("cleartool lsvob -short"));
        QCOMPARE(e[2].output, QStringLiteral("/vobs/a\n/vobs/b"));
        for (const CommandLogEntry &entry : e) {
            QCOMPARE(entry.kind, CommandLogEntry::Kind::ClearTool);
            QVERIFY(entry.started.isValid());
            QVERIFY(entry.elapsedMs >= 0);
        }
        // The table shows the command and its result in their own columns.
        QCOMPARE(log.data(log.index(1, CommandLog::CommandColumn)).toString(),
                 QStringLiteral("cleartool lsreplica -invob /vobs/gone"));
        QCOMPARE(log.data(log.index(0, CommandLog::KindColumn)).toString(), QStringLiteral("cleartool"));
    }

    void initTestCase()
    {
        // Three hours east of UTC, so that a time shown in UTC cannot pass.
        qputenv("TZ", "QRV-3");
        tzset();
    }

    void startIsShownInLocalTime()
    {
    #ifdef Q_OS_WIN
        QSKIP("the zone is pinned with TZ, which the C runtime follows on Windows and the system clock does not");
    #endif
        CommandLogEntry entry;
        entry.started = QDateTime(QDate(2026, 1, 1), QTime(10, 0, 5), Qt::UTC);
        CommandLog log;
        log.add(entry);
        QCOMPARE(log.data(log.index(0, CommandLog::TimeColumn)).toString(), QStringLiteral("13:00:05"));
        QVERIFY(CommandLog::detailText(entry).contains(QStringLiteral("2026-01-01 13:00:05.000")));
        // What the writers record is now, whatever zone it is kept in.
        test::ScriptedClearTool inner;
        LoggingClearTool(inner, log).vobTags();
        QVERIFY(qAbs(log.entries().constLast().started.secsTo(QDateTime::currentDateTime())) < 600);
    }

    void textsAreBounded_data()
    {
        QTest::addColumn<qsizetype>("size");
        QTest::addColumn<bool>("cut");
        QTest::newRow("at the bound") << CommandLog::maxTextChars << false;
        QTest::newRow("one over") << CommandLog::maxTextChars + 1 << true;
        QTest::newRow("a megabyte") << qsizetype(1024 * 1024) << true;
    }

    void textsAreBounded()
    {
        QFETCH(qsizetype, size);
        QFETCH(bool, cut);
        // Distinct ends show which part was kept.
        QString text(size, QLatin1Char('x'));
        text[0] = QLatin1Char('H');
        text[size - 1] = QLatin1Char('T');
        CommandLog log;
        log.add({CommandLogEntry::Kind::Process, QStringLiteral("ccperl x"), QDateTime::currentDateTime(), 1,
                 false, QStringLiteral("exit 1"), text, text});
        const CommandLogEntry &e = log.entries().first();
        QCOMPARE(e.output == text, !cut);
        QCOMPARE(e.errorText == text, !cut);
        QVERIFY(e.output.startsWith(QLatin1Char('H')));
        QVERIFY(e.errorText.endsWith(QLatin1Char('T')));
        if (cut) {
            QVERIFY(e.output.size() < CommandLog::maxTextChars + 100);
            QVERIFY(e.output.endsWith(
                QStringLiteral("[... %1 more characters not kept]").arg(size - CommandLog::maxTextChars)));
            QVERIFY(e.errorText.startsWith(
                QStringLiteral("[%1 earlier characters not kept ...]").arg(size - CommandLog::maxTextChars)));
        }
    }

    void oldestEntriesGoFirst()
    {
        CommandLog log;
        QSignalSpy removed(&log, &QAbstractItemModel::rowsRemoved);
        for (qsizetype i = 0; i < CommandLog::maxEntries + 3; ++i) {
            CommandLogEntry e;
            e.command = QString::number(i);
            log.add(e);
        }
        QCOMPARE(log.rowCount(), int(CommandLog::maxEntries));
        QCOMPARE(log.dropped(), qsizetype(3));
        QCOMPARE(removed.size(), 3);
        QCOMPARE(log.entries().first().command, QStringLiteral("3"));
        QCOMPARE(log.entries().last().command, QString::number(CommandLog::maxEntries + 2));
        QVERIFY(log.toText(false).startsWith(QStringLiteral("(3 earlier entries not kept)\n")));
    }

    void clipboardText()
    {
        CommandLog log;
        const QDateTime at(QDate(2026, 12, 6), QTime(19, 5, 12));
        log.add({CommandLogEntry::Kind::Process, QStringLiteral("multitool chepoch -actual london@/vobs/tools"),
                 at, 1500, true, QStringLiteral("exit 0"), QString(), QStringLiteral("warning line")});
        QCOMPARE(
            log.toText(false),
            QStringLiteral("19:05:12\t1.5 s\tprocess\tmultitool chepoch -actual london@/vobs/tools\texit 0\n"));
        const QString full = log.toText(true);
        QVERIFY(full.contains(QStringLiteral("Output:\n(none)\n")));
        QVERIFY(full.contains(QStringLiteral("Error text:\nwarning line")));
    }
};

QTEST_GUILESS_MAIN(tst_CommandLog)
#include "tst_commandlog.moc"
