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
using namespace Qt::StringLiterals;

class tst_CommandLog : public QObject {
    Q_OBJECT
private slots:
    void clearToolCommandsAreLoggedAsTheyEnded()
    {
        const QString desc = u"desc -fmt \"%[replica_name]p\" vob:/vobs/tools"_s;
        const QString refusal = u"cleartool: Error: Unable to locate VOB \"/vobs/gone\"."_s;
        test::ScriptedClearTool inner;
        inner.outputs.insert(desc, u"boston_hub"_s);
        inner.failures.insert(u"lsreplica -invob /vobs/gone"_s, refusal);
        inner.tags = {u"/vobs/a"_s, u"/vobs/b"_s};
        CommandLog log;
        LoggingClearTool tool(inner, log);
        QCOMPARE(tool.CmdExec(desc), u"boston_hub"_s);
        // A refusal reaches the caller unchanged.
        try {
            tool.CmdExec(u"lsreplica -invob /vobs/gone"_s);
            QFAIL("the refusal was swallowed");
        } catch (const ClearCaseError &e) {
            QCOMPARE(e.number(), ErrNo::ClearCase);
            QCOMPARE(e.description(), refusal);
        }
        QCOMPARE(tool.vobTags(), inner.tags);

        QCOMPARE(log.rowCount(), 3);
        const auto &e = log.entries();
        QCOMPARE(e[0].command, u"cleartool "_s + desc);
        QVERIFY(e[0].ok && e[0].outcome == u"status 0"_s && e[0].output == u"boston_hub"_s);
        QVERIFY(!e[1].ok);
        QCOMPARE(e[1].outcome, u"failed: "_s + refusal);
        QCOMPARE(e[1].errorText, refusal);
        QCOMPARE(e[2].command, u"cleartool lsvob -short"_s);
        QCOMPARE(e[2].output, u"/vobs/a\n/vobs/b"_s);
        for (const CommandLogEntry &entry : e)
            QVERIFY(entry.kind == CommandLogEntry::Kind::ClearTool && entry.started.isValid() && entry.elapsedMs >= 0);
        // The table shows the command and its result in their own columns.
        QCOMPARE(log.data(log.index(1, CommandLog::CommandColumn)).toString(), u"cleartool lsreplica -invob /vobs/gone"_s);
        QCOMPARE(log.data(log.index(0, CommandLog::KindColumn)).toString(), u"cleartool"_s);
    }

    // Three hours east of UTC, so that a time shown in UTC cannot pass.
    void initTestCase()
    {
        qputenv("TZ", "QRV-3");
        tzset();
    }

    // The table, the text for the clipboard and the details, in local time.
    void shownInLocalTime()
    {
        CommandLog log;
        log.add({CommandLogEntry::Kind::Process, u"multitool chepoch -actual london@/vobs/tools"_s,
                 QDateTime(QDate(2026, 12, 6), QTime(16, 5, 12), Qt::UTC), 1500, true, u"exit 0"_s, QString(),
                 u"warning line"_s});
        const QString line = log.toText(false), full = log.toText(true);
        QCOMPARE(line.mid(8), u"\t1.5 s\tprocess\tmultitool chepoch -actual london@/vobs/tools\texit 0\n"_s);
        QVERIFY(full.contains(u"Output:\n(none)\n"_s) && full.contains(u"Error text:\nwarning line"_s));
#ifdef Q_OS_WIN
        QSKIP("the zone is pinned with TZ, which the C runtime follows on Windows and the system clock does not");
#endif
        // What the writers record is now, whatever zone it is kept in.
        test::ScriptedClearTool inner;
        LoggingClearTool(inner, log).vobTags();
        QVERIFY(qAbs(log.entries().constLast().started.secsTo(QDateTime::currentDateTime())) < 600);
        QCOMPARE(log.data(log.index(0, CommandLog::TimeColumn)).toString(), u"19:05:12"_s);
        QVERIFY(CommandLog::detailText(log.entries().first()).contains(u"2026-12-06 19:05:12.000"_s));
        QVERIFY(line.startsWith(u"19:05:12\t"_s));
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
        QString text(size, u'x');
        text[0] = u'H';
        text[size - 1] = u'T';
        CommandLog log;
        log.add({CommandLogEntry::Kind::Process, u"ccperl x"_s, QDateTime::currentDateTime(), 1, false, u"exit 1"_s,
                 text, text});
        const CommandLogEntry &e = log.entries().first();
        QCOMPARE(e.output == text, !cut);
        QCOMPARE(e.errorText == text, !cut);
        QVERIFY(e.output.startsWith(u'H') && e.errorText.endsWith(u'T'));
        if (cut) {
            const qsizetype dropped = size - CommandLog::maxTextChars;
            QVERIFY(e.output.size() < CommandLog::maxTextChars + 100);
            QVERIFY(e.output.endsWith(u"[... %1 more characters not kept]"_s.arg(dropped)));
            QVERIFY(e.errorText.startsWith(u"[%1 earlier characters not kept ...]"_s.arg(dropped)));
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
        QCOMPARE(log.entries().first().command, u"3"_s);
        QCOMPARE(log.entries().last().command, QString::number(CommandLog::maxEntries + 2));
        QVERIFY(log.toText(false).startsWith(u"(3 earlier entries not kept)\n"_s));
    }
};

QTEST_GUILESS_MAIN(tst_CommandLog)
#include "tst_commandlog.moc"
