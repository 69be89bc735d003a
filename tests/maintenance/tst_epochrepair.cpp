// The repair's rules without a window: what runs, in which order, which
// boxes come and when busy feedback ends, for each choice and each way a
// command can end. The shell is a stand-in behind the box presenter the
// program puts around its real one. The result lines are read where the
// frame shows them (tst_frmmain).
#include "ccase/ClearCaseError.h"
#include "ccase/ReportingShell.h"
#include "common/Dialogs.h"
#include "common/Feedback.h"
#include "maintenance/EpochRepair.h"
#include "support/FakeShell.h"

#include <QTest>

using namespace quorvane;
using namespace Qt::StringLiterals;

namespace {

const QString Import = u"multitool syncreplica -import -invob \\proj -receive"_s;
const QString ExportAll = u"multitool syncreplica -export -fship r1@\\proj r2@\\proj "_s;
const QString Actual = u"multitool chepoch -actual r1@\\proj"_s;
const QString Confirm = u"box Fix Epoch...|You are about to make changes to the Epoch table for replica:r1\r\n"
                        "Are you sure you want to continue?"_s;
const QStringList Refresh{u"showReplicaInfo"_s, u"loadReplicaDetail"_s};

// Busy feedback, boxes, commands and refreshes in one log, in the order
// they happen: "busy on MESSAGE", "box TITLE|PROMPT", "run LINE", "busy off".
struct Recorder final : Feedback, Dialogs {
    QStringList log;
    QList<MsgResult> answers;
    bool closingNow = false;

    void setBusy(bool busy, const QString &message) override { log << (busy ? u"busy on "_s + message : u"busy off"_s); }
    void setHourglass(bool) override {}
    void setStatus(const QString &) override {}
    QString status() const override { return {}; }
    void setMsg(const QString &, const QString &) override {}
    void hideWorking() override {}
    void setDetail(const QString &, const QString &) override {}
    Dialogs &dialogs() override { return *this; }
    bool closing() const override { return closingNow; }
    MsgResult msgBox(const QString &prompt, MsgButtons, MsgIcon, const QString &title) override
    {
        log << u"box "_s + title + u'|' + prompt;
        return answers.isEmpty() ? MsgResult::Ok : answers.takeFirst();
    }
    QString inputBox(const QString &, const QString &, const QString &) override { return {}; }
};

// How a command ends, as ProcessShell reports it.
ShellResult ended(const QString &how)
{
    ShellResult r;
    if (how == u"cancelled")
        r.outcome = ShellResult::Outcome::Cancelled;
    else if (how == u"left running")
        r.outcome = ShellResult::Outcome::LeftRunning;
    else if (how == u"exit 1") {
        r.exitCode = 1;
        r.errorTail = u"multitool: Error: first\r\nmultitool: Error: Unable to contact replica \"r1\"."_s;
        r.box = ShellResult::Box::Failed;
        r.boxReason = r.errorTail;
    }
    return r;
}

} // namespace

class TestEpochRepair : public QObject {
    Q_OBJECT
private slots:
    // Each row: the choice, how the commands whose line contains a key end
    // ("chepoch=exit 1"), and the whole sequence that follows.
    void run_data()
    {
        QTest::addColumn<QString>("choice"); // fix:REPLICA[:EPOCH] or sync:all, sync:TARGET
        QTest::addColumn<QStringList>("ends");
        QTest::addColumn<QStringList>("expected");
        QTest::addColumn<int>("end");
        const auto sequence = [](const QString &busy, const QStringList &middle) {
            return QStringList{u"busy on Synchronizing "_s + busy} + middle;
        };
        const QString r1 = u"replica r1"_s, all = u"all replicas"_s, off = u"busy off"_s;
        const auto run = [](const QString &line) -> QString { return u"run "_s + line; };
        const auto refreshed = [&off](const QStringList &middle) { return middle + Refresh + QStringList{off}; };
        const auto cancelled = [](const QString &line, const QString &consequence) -> QString {
            return u"box Quorvane|Cancelled --> "_s + line + u"\r\nThe command was stopped before it ended. "_s + consequence;
        };
        using End = RepairReport::End;

        QTest::newRow("fix based on actual") << u"fix:r1"_s << QStringList()
            << sequence(r1, refreshed({Confirm, run(Actual)})) << int(End::Refreshed);
        QTest::newRow("fix to a typed value, blanks and zeros dropped") << u"fix:r1: 0042\t"_s << QStringList()
            << sequence(r1, refreshed({Confirm, run(u"multitool chepoch -force r1@\\proj r1=42"_s)}))
            << int(End::Refreshed);
        for (const QString &bad : {u"<epoch>"_s, QString(), u"5 r2=0"_s, u"-1"_s, u"2147483648"_s})
            QTest::addRow("fix to \"%s\": refused, nothing runs", qPrintable(bad)) << u"fix:r1:"_s + bad << QStringList()
                << sequence(r1, {u"box Invalid Epoch Value|Must specify a valid epoch number"_s, off}) << int(End::NothingRun);
        QTest::newRow("fix declined") << u"fix:r1"_s << QStringList{u"confirm=cancel"_s}
                                      << sequence(r1, {Confirm, off}) << int(End::NothingRun);
        QTest::newRow("fix of a name that is not one argument") << u"fix:-import"_s << QStringList()
            << sequence(u"replica -import"_s, {u"box Invalid Name|Cannot pass \"-import\" to ClearCase: it starts with \"-\", which "
                                               "reads as an option, so ClearCase would not read it as one name.\r\nNothing was run."_s,
                                               off})
            << int(End::NothingRun);
        QTest::newRow("fix on another VOB than shown") << u"fix:r1"_s << QStringList{u"shown=\\other"_s}
            << sequence(r1, {u"box Quorvane|The VOB selected in the list, \\proj, is not the one shown, \\other. Open it, or "
                             "select \\other again."_s, off})
            << int(End::NothingRun);
        // A failed multitool: its box, after the confirmation; the window
        // is still refreshed, since the row may have changed all the same.
        QTest::newRow("fix fails") << u"fix:r1"_s << QStringList{u"chepoch=exit 1"_s}
            << sequence(r1, refreshed({Confirm, run(Actual), u"box Quorvane|ERROR: multitool: Error: first\r\nmultitool: Error: Unable "
                                                   "to contact replica \"r1\".\r\nCommand failed --> "_s + Actual}))
            << int(End::Refreshed);
        QTest::newRow("fix cancelled") << u"fix:r1"_s << QStringList{u"chepoch=cancelled"_s}
            << sequence(r1, {Confirm, run(Actual), off, cancelled(Actual, u"The epoch table may have been changed in part; open the VOB again to see it."_s)})
            << int(End::Stopped);

        QTest::newRow("sync to all") << u"sync:all"_s << QStringList()
            << sequence(all, refreshed({run(Import), run(ExportAll)})) << int(End::Refreshed);
        QTest::newRow("sync to all, no sibling") << u"sync:all"_s << QStringList{u"siblings="_s}
            << sequence(all, refreshed({run(Import), run(u"multitool syncreplica -export -fship "_s)}))
            << int(End::Refreshed);
        QTest::newRow("sync to one") << u"sync:r2"_s << QStringList()
            << sequence(u"replica r2"_s, refreshed({run(Import), run(u"multitool syncreplica -export -fship r2@\\proj"_s)}))
            << int(End::Refreshed);
        QTest::newRow("sync with a bad sibling: not even the import") << u"sync:all"_s << QStringList{u"siblings=r1,a b"_s}
            << sequence(all, {u"box Invalid Name|Cannot pass \"a b\" to ClearCase: it holds a blank, so ClearCase would not "
                                "read it as one name.\r\nNothing was run."_s, off})
            << int(End::NothingRun);
        // The data-safety rules: nothing follows an import that was stopped.
        QTest::newRow("import cancelled: no export") << u"sync:all"_s << QStringList{u"-import=cancelled"_s}
            << sequence(all, {run(Import), cancelled(Import, u"Packets may have been imported in part; the export was not started."_s), off})
            << int(End::Stopped);
        QTest::newRow("import left running: no export") << u"sync:all"_s << QStringList{u"-import=left running"_s}
            << sequence(all, {run(Import), off}) << int(End::Stopped);
        // A failed import leaves this site's own changes to send.
        QTest::newRow("import fails: its box, the export runs") << u"sync:all"_s << QStringList{u"-import=exit 1"_s}
            << sequence(all, refreshed({run(Import), u"box Quorvane|ERROR: multitool: Error: first\r\nmultitool: Error: Unable to contact "
                                           "replica \"r1\".\r\nCommand failed --> "_s + Import, run(ExportAll)}))
            << int(End::Refreshed);
        QTest::newRow("export cancelled: no refresh") << u"sync:all"_s << QStringList{u"-export=cancelled"_s}
            << sequence(all, {run(Import), run(ExportAll), off, cancelled(ExportAll, u"Packets may have been exported to some replicas; open the VOB again to see its state."_s)})
            << int(End::Stopped);
        QTest::newRow("window closing: no refresh") << u"sync:all"_s << QStringList{u"closing"_s}
            << sequence(all, {run(Import), run(ExportAll), off}) << int(End::Stopped);
        QTest::newRow("error: busy off, then its box") << u"sync:all"_s << QStringList{u"-import=throw"_s}
            << sequence(all, {run(Import), off, u"box ERROR...|ERROR::multitool: Error: cannot start\r\nReport Bug to bugs@belmora.example"_s})
            << int(End::Failed);
    }
    void run()
    {
        QFETCH(QString, choice);
        QFETCH(QStringList, ends);
        QFETCH(QStringList, expected);
        Recorder rec;
        test::FakeShell fake;
        ReportingShell shell(fake, rec);
        EpochRepair repair(shell, rec, [&rec] { rec.log << Refresh[0]; }, [&rec] { rec.log << Refresh[1]; });
        QStringList endedLines;
        repair.setCommandEnded([&](const RepairCommand &c) { endedLines << c.commandLine; });

        RepairChoice c;
        const QStringList parts = choice.split(u':');
        c.action = parts[0] == u"fix" ? RepairChoice::Action::Fix : RepairChoice::Action::Synchronize;
        c.vobTag = u"\\proj"_s;
        c.siblings = {u"r1"_s, u"r2"_s};
        c.fixReplica = parts[1];
        c.specifyEpoch = parts.size() > 2;
        c.epochText = parts.value(2);
        c.exportToAll = parts[1] == u"all";
        c.exportTarget = parts[1];
        for (const QString &e : ends) {
            const QString key = e.section(u'=', 0, 0), how = e.section(u'=', 1);
            if (key == u"confirm")
                rec.answers << MsgResult::Cancel;
            else if (key == u"shown")
                c.shownVobTag = how;
            else if (key == u"siblings")
                c.siblings = how.split(u',', Qt::SkipEmptyParts);
            else if (key == u"closing")
                rec.closingNow = true;
        }
        fake.action = [&](const QString &line) {
            rec.log << u"run "_s + line;
            if (ends.contains(u"-import=throw"_s) && line.contains(u"-import"_s))
                throw ClearCaseError(u"multitool: Error: cannot start"_s);
        };
        fake.respond = [&ends](const QString &line) {
            for (const QString &e : ends)
                if (e.contains(u'=') && line.contains(e.section(u'=', 0, 0)))
                    return ended(e.section(u'=', 1));
            return ShellResult{};
        };

        const RepairReport report = repair.run(c);
        QCOMPARE(rec.log, expected);
        QTEST(int(report.end), "end");
        QCOMPARE(fake.styles, QList<int>(fake.lines.size(), 0)); // hidden, every one
        QCOMPARE(endedLines, report.commands.isEmpty() ? QStringList() : fake.lines.mid(0, report.commands.size()));
        QCOMPARE(report.epochRefused, expected.join(u'\n').contains(u"Invalid Epoch Value"_s));
        QCOMPARE(report.note, QString()); // only with no replica chosen: tst_replicapanels, where the frame shows it
    }
};

QTEST_GUILESS_MAIN(TestEpochRepair)
#include "tst_epochrepair.moc"
