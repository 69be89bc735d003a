// The box a run owes, shown around the shell that ran it: per kind, in the
// program's words; reads and runs that owe nothing show nothing, and the
// result comes back unchanged. Cancel and the wait's observer reach the
// shell that runs the process.
#include "ccase/ReportingShell.h"
#include "support/FakeShell.h"
#include "support/ScriptedDialogs.h"

#include <QTest>

using namespace quorvane;
using namespace Qt::StringLiterals;

class TestReportingShell : public QObject {
    Q_OBJECT
private slots:
    void boxes_data()
    {
        QTest::addColumn<int>("box");
        QTest::addColumn<bool>("read");
        QTest::addColumn<QString>("prompt"); // empty: no box
        const QString line = u"multitool chepoch -actual r1@/vobs/x"_s;
        QTest::newRow("none") << int(ShellResult::Box::None) << false << QString();
        QTest::newRow("not started") << int(ShellResult::Box::NotStarted) << false
                                     << u"ERROR: why\r\nCould not execute --> "_s + line;
        QTest::newRow("failed") << int(ShellResult::Box::Failed) << false << u"ERROR: why\r\nCommand failed --> "_s + line;
        QTest::newRow("a read shows nothing") << int(ShellResult::Box::Failed) << true << QString();
    }
    void boxes()
    {
        QFETCH(int, box);
        QFETCH(bool, read);
        QFETCH(QString, prompt);
        test::FakeShell fake;
        test::ScriptedDialogs dialogs;
        ReportingShell shell(fake, dialogs);
        QStringList seen;
        shell.setWaitObserver([&seen](bool on, const QString &) { seen << (on ? u"on"_s : u"off"_s); });
        shell.cancel();
        QCOMPARE(fake.cancels, 1);
        fake.result.outcome = ShellResult::Outcome::Ran;
        fake.result.exitCode = 1;
        fake.result.box = ShellResult::Box(box);
        fake.result.boxReason = u"why"_s;
        const QString line = u"multitool chepoch -actual r1@/vobs/x"_s;
        const ShellResult r = read ? shell.ShellAndRead(line) : shell.ShellAndWait(line, 0);
        QCOMPARE(fake.lines, QStringList{line});
        QCOMPARE(seen, (QStringList{u"on"_s, u"off"_s}));
        QCOMPARE(r.exitCode, 1);
        QCOMPARE(int(r.box), box);
        if (prompt.isEmpty()) {
            QVERIFY(dialogs.boxes.isEmpty());
            return;
        }
        QCOMPARE(dialogs.boxes.size(), 1);
        QCOMPARE(dialogs.boxes[0].prompt, prompt);
        QCOMPARE(dialogs.boxes[0].title, u"Quorvane"_s);
        QCOMPARE(dialogs.boxes[0].icon, MsgIcon::Stop);
        QCOMPARE(dialogs.boxes[0].buttons, MsgButtons::Ok);
    }
};

QTEST_GUILESS_MAIN(TestReportingShell)
#include "tst_reportingshell.moc"
