// The lost-packet repair end to end on the simulated region: the demo VOB
// whose packet to one sibling was lost shows red columns; the window's own
// fix ("Based on Actual") and "Synchronize Replica(s)" bring it back in
// sync, and the dates and histories record the new export and import.
#include "SimWindow.h"

#include <QDateTime>

using namespace quorvane;
using namespace quorvane::test;

namespace {

const QString lostPacketVob = QStringLiteral("/vobs/tools");

QDateTime parseDate(const QString &text)
{
    return QDateTime::fromString(text, Qt::ISODate);
}

int eventCount(const QString &history)
{
    return int(history.count(QLatin1String("Date:")));
}

} // namespace

class TestLostPacketE2E : public QObject {
    Q_OBJECT
private slots:
    // The demo region itself: one packet lost on the way to a sibling that
    // can be reached again, a later packet waiting there for it.
    void demoHasARepairableLostPacket()
    {
        SimWindow s;
        const Truth t = Truth::of(lostPacketVob);
        QCOMPARE(t.lostTo.size(), 1);
        QVERIFY(t.reachable.value(t.lostTo.first()));
        QCOMPARE(t.waiting, QStringList{t.lostTo.first()});
        QVERIFY(!differingColumns(t.actual()).isEmpty());
        QVERIFY(differingColumns(t.local()).isEmpty());
    }

    void repair_data()
    {
        QTest::addColumn<bool>("toAll");
        QTest::addColumn<bool>("mouse"); // the pictures and labels, or fixOrSync
        QTest::newRow("All Replicas") << true << false;
        QTest::newRow("All Replicas, mouse") << true << true;
        QTest::newRow("to the receiver only, mouse") << false << true;
    }
    void repair()
    {
        QFETCH(bool, toAll);
        QFETCH(bool, mouse);
        SimWindow s;
        const Truth before = Truth::of(lostPacketVob);
        const QString receiver = before.lostTo.value(0);
        QVERIFY(!receiver.isEmpty());

        // Open the VOB: the actual matrix shows the gap in red, the local
        // one (this site's estimates) believes everything arrived.
        const QString opened = s.openVob(lostPacketVob);
        QVERIFY2(opened.isEmpty(), qPrintable(opened));
        const QString local = s.window->graph()->GMyReplicaName();
        QCOMPARE(local, before.names.first());
        QCOMPARE(gridMatrix(s.actualGrid()), before.actual());
        QCOMPARE(gridMatrix(s.localGrid()), before.local());
        QCOMPARE(redColumns(s.actualGrid()), differingColumns(before.actual()));
        QVERIFY(!redColumns(s.actualGrid()).isEmpty());
        QVERIFY(redColumns(s.localGrid()).isEmpty());

        // The dates and histories before the repair.
        s.showPage(1);
        s.shot(QString(QStringLiteral("lostpacket-1-") + QLatin1String(QTest::currentDataTag())));
        QVERIFY(s.window->findChild<QFrame *>(QStringLiteral("frameMainTabStrip(1)"))->isVisible());
        QMap<QString, QPair<QString, QString>> datesBefore;
        QMap<QString, QString> historyBefore;
        for (const QString &r : before.names) {
            QVERIFY(SimWindow::choose(s.replicaCombo(), r));
            datesBefore.insert(r, {s.dEpoch(2)->text(), s.dEpoch(3)->text()});
            QCOMPARE(datesBefore.value(r), newestSyncEvent(r, lostPacketVob));
            historyBefore.insert(r, s.showHistory());
            QCOMPARE(historyBefore.value(r), historyOf(r, lostPacketVob));
        }
        QCOMPARE(datesBefore.value(receiver).first, QStringLiteral("None"));
        QCOMPARE(datesBefore.value(local).second, QStringLiteral("None"));
        QVERIFY(s.dialogs.boxes.isEmpty());

        // Fix: the receiver's row of the local table from its actual row.
        QVERIFY(SimWindow::choose(s.fixCombo(0), receiver));
        SimWindow::click(s.fixOpt(0));
        QVERIFY(s.fixOpt(0)->isChecked());
        QVERIFY(s.fixTxt()->isHidden());
        s.clearLog();
        if (mouse)
            s.clickAction(QStringLiteral("dFixImage(0)"));
        else
            s.window->fixFrame()->fixOrSync(0);
        QCOMPARE(s.dialogs.boxes.size(), 1);
        QCOMPARE(s.dialogs.boxes.first().title, QStringLiteral("Fix Epoch..."));
        QCOMPARE(s.dialogs.boxes.first().prompt,
                 QString(QStringLiteral("You are about to make changes to the Epoch table for replica:") + receiver
                         + QStringLiteral("\r\nAre you sure you want to continue?")));
        QCOMPARE(s.changes(),
                 QStringList{QStringLiteral("multitool chepoch -actual ") + receiver + QLatin1Char('@') + lostPacketVob
                             + QStringLiteral(" => status 0")});
        s.shot(QString(QStringLiteral("lostpacket-2-") + QLatin1String(QTest::currentDataTag())));
        const Truth fixed = Truth::of(lostPacketVob);
        QCOMPARE(fixed.localText.value(receiver), before.actualText.value(receiver));
        // The reload shows the corrected estimate, and now the local table
        // shows where the receiver stands.
        QCOMPARE(gridMatrix(s.localGrid()), fixed.local());
        QCOMPARE(redColumns(s.localGrid()), differingColumns(fixed.local()));
        QVERIFY(!redColumns(s.localGrid()).isEmpty());
        QCOMPARE(gridMatrix(s.actualGrid()), fixed.actual());
        for (int i = 0; i < 2; ++i)
            QCOMPARE(s.fixCombo(i)->currentText(), QStringLiteral("<select_replica>"));
        QCOMPARE(s.replicaCombo()->currentText(), QStringLiteral("<select_replica>"));
        QCOMPARE(s.window->status(), QStringLiteral("Status"));

        // Synchronize: import what arrived, export to all or to the receiver.
        if (!toAll) {
            SimWindow::click(s.syncAll());
            QVERIFY(!s.syncAll()->isChecked());
            QVERIFY(s.fixCombo(1)->isVisible());
            QVERIFY(SimWindow::choose(s.fixCombo(1), receiver));
        }
        QVERIFY(s.syncAll()->isChecked() == toAll);
        s.dialogs.boxes.clear();
        s.clearLog();
        const QDateTime started = QDateTime::currentDateTimeUtc().addSecs(-1);
        if (mouse)
            s.doubleClickAction(QStringLiteral("dFixLbl(1)"));
        else
            s.window->fixFrame()->fixOrSync(1);
        const QDateTime ended = QDateTime::currentDateTimeUtc().addSecs(1);
        QVERIFY(s.dialogs.boxes.isEmpty());
        QStringList targets = toAll ? before.names.mid(1) : QStringList{receiver};
        QString exportLine = QStringLiteral("multitool syncreplica -export -fship");
        for (const QString &r : targets)
            exportLine += QLatin1Char(' ') + r + QLatin1Char('@') + lostPacketVob;
        QCOMPARE(s.changes(),
                 (QStringList{QStringLiteral("multitool syncreplica -import -invob ") + lostPacketVob
                                  + QStringLiteral(" -receive => status 0"),
                              exportLine + QStringLiteral(" => status 0")}));

        s.shot(QString(QStringLiteral("lostpacket-3-") + QLatin1String(QTest::currentDataTag())));
        // The region is repaired, and the reloaded window says so.
        const Truth after = Truth::of(lostPacketVob);
        QVERIFY(after.waiting.isEmpty());
        QCOMPARE(after.actualText.value(receiver), after.actualText.value(local));
        QCOMPARE(gridMatrix(s.actualGrid()), after.actual());
        QCOMPARE(gridMatrix(s.localGrid()), after.local());
        QCOMPARE(redColumns(s.actualGrid()), differingColumns(after.actual()));
        QCOMPARE(redColumns(s.localGrid()), differingColumns(after.local()));
        if (toAll) {
            // Every replica holds everything: all columns equal, no red.
            QVERIFY(differingColumns(after.actual()).isEmpty());
            QVERIFY(differingColumns(after.local()).isEmpty());
            QVERIFY(redColumns(s.actualGrid()).isEmpty());
            QVERIFY(redColumns(s.localGrid()).isEmpty());
        }

        // Dates and histories: a new export for every target, a new import
        // from the receiver at the local replica; the rest as it was.
        for (const QString &r : before.names) {
            QVERIFY(SimWindow::choose(s.replicaCombo(), r));
            QVERIFY(s.detailImage()->isVisible());
            const QString importDate = s.dEpoch(2)->text();
            const QString exportDate = s.dEpoch(3)->text();
            const QString history = s.showHistory();
            QCOMPARE(s.window->detailForm()->windowTitle(), QString(QStringLiteral("History Detail: ") + r));
            QVERIFY(s.window->detailForm()->isVisible());
            QCOMPARE(history, historyOf(r, lostPacketVob));
            QVERIFY2(history.endsWith(historyBefore.value(r)), qPrintable(r));
            if (r == local) {
                QCOMPARE(exportDate, QStringLiteral("None"));
                const QDateTime at = parseDate(importDate);
                QVERIFY2(at >= started && at <= ended, qPrintable(importDate));
                QCOMPARE(eventCount(history), eventCount(historyBefore.value(r)) + 1);
                QVERIFY(history.startsWith(QStringLiteral("Date:") + importDate));
                QVERIFY(history.contains(QString(QStringLiteral("Imported synchronization information from replica \"")
                                                 + receiver + QStringLiteral("\"."))));
            } else if (targets.contains(r)) {
                QCOMPARE(importDate, QStringLiteral("None"));
                const QDateTime at = parseDate(exportDate);
                QVERIFY2(at >= started && at <= ended, qPrintable(exportDate));
                QVERIFY(at > parseDate(datesBefore.value(r).second));
                QCOMPARE(eventCount(history), eventCount(historyBefore.value(r)) + 1);
                QVERIFY(history.startsWith(QStringLiteral("Date:") + exportDate));
                if (r == receiver) {
                    // The export went out from the corrected estimate.
                    QVERIFY2(history.section(QLatin1Char('\n'), 2, 2)
                                 == QString(QStringLiteral("Row at export was: ") + before.actualText.value(r)),
                             qPrintable(history.left(300)));
                }
            } else {
                QCOMPARE((QPair<QString, QString>{importDate, exportDate}), datesBefore.value(r));
                QCOMPARE(history, historyBefore.value(r));
            }
        }
        QVERIFY(s.dialogs.boxes.isEmpty());
        QCOMPARE(s.window->status(), QStringLiteral("Status"));
    }
};

QTEST_MAIN(TestLostPacketE2E)
#include "tst_lostpacket_e2e.moc"
