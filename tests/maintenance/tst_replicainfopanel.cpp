#include "maintenance/ReplicaInfoPanel.h"
#include "support/FakeFeedback.h"
#include "support/FakeShell.h"
#include "support/ScriptedClearTool.h"
#include "ui/LongActionGuard.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QTest>

#include <memory>

using namespace quorvane;

namespace {

const QString script = QStringLiteral("/opt/quorvane/get_replica_info.pl");
QString syncCmd(const QString &r, const QString &tag)
{
    return QStringLiteral("lshistory -fmt \"%e,%d,\" replica:") + r + QLatin1Char('@') + tag;
}
QString historyCmd(const QString &r, const QString &tag)
{
    return QStringLiteral("lshistory -fmt \"Date:%d User:%u\\n%c\\n\" replica:") + r + QLatin1Char('@') + tag;
}

struct Rig {
    test::ScriptedClearTool ct;
    test::FakeShell shell;
    test::FakeFeedback fb;
    QString tag = QStringLiteral("\\proj");
    QStringList log; // script runs and history requests, in order
    std::unique_ptr<ReplicaInfoPanel> panel;

    Rig()
    {
        panel = std::make_unique<ReplicaInfoPanel>(ct, shell, fb, script, [this] { return tag; });
        panel->replicaCombo()->addItems({QStringLiteral("r1"), QStringLiteral("r2")});
        shell.action = [this](const QString &line) { log << QStringLiteral("run:") + line; };
        ct.hook = [this](const QString &cmd) { log << QStringLiteral("cmd:") + cmd; };
        panel->show();
    }
    QComboBox *combo() const { return panel->replicaCombo(); }
    QWidget *image() const { return panel->findChild<QWidget *>(QStringLiteral("dDetailImage")); }
    QLineEdit *field(int i) const
    {
        return panel->findChild<QLineEdit *>(QStringLiteral("dEpoch(%1)").arg(i));
    }
};

} // namespace

class TestReplicaInfoPanel : public QObject {
    Q_OBJECT
private slots:
    void startsWithDesignedControls()
    {
        test::ScriptedClearTool ct;
        test::FakeShell shell;
        test::FakeFeedback fb;
        ReplicaInfoPanel panel(ct, shell, fb, script, [] { return QString(); });
        auto *combo = panel.findChild<QComboBox *>(QStringLiteral("dReplicaCombo"));
        QVERIFY(combo);
        QCOMPARE(combo->count(), 1);
        QCOMPARE(combo->currentText(), QStringLiteral("<select_replica>"));
        auto *image = panel.findChild<QLabel *>(QStringLiteral("dDetailImage"));
        QVERIFY(image);
        QVERIFY(image->isHidden());
        QVERIFY(!image->pixmap().isNull());
        QCOMPARE(image->toolTip(), QStringLiteral("Double click to display history detail for replica"));
        auto *imp = panel.findChild<QLineEdit *>(QStringLiteral("dEpoch(2)"));
        auto *exp = panel.findChild<QLineEdit *>(QStringLiteral("dEpoch(3)"));
        QVERIFY(imp && exp);
        QCOMPARE(imp->text(), QStringLiteral("<last_import>"));
        QCOMPARE(imp->toolTip(), QStringLiteral("Last date an import was performed for the selected replica"));
        QCOMPARE(exp->text(), QStringLiteral("<last_export>"));
        QCOMPARE(exp->toolTip(), QStringLiteral("Date of the last export done for the selected replica"));
        QStringList captions;
        for (const QLabel *l : panel.findChildren<QLabel *>())
            captions << l->text();
        for (const char *c : {"Replica:", "Last Import Date:", "Last Export Date:"})
            QVERIFY2(captions.contains(QLatin1String(c)), c);
        QVERIFY(ct.commands.isEmpty());
        QVERIFY(shell.lines.isEmpty());
    }

    void choosingReplicaRunsScriptThenShowsDates_data()
    {
        QTest::addColumn<QString>("tag");
        QTest::addColumn<int>("choice");
        QTest::addColumn<QString>("history");
        QTest::addColumn<QString>("importDate");
        QTest::addColumn<QString>("exportDate");
        QTest::newRow("export newest")
            << "\\proj" << 2
            << "export sync from replica \"r0\" to replica \"r2\",2024-05-01T12:00:00Z,import sync,2024-04-30,"
            << "None" << "2024-05-01T12:00:00Z";
        QTest::newRow("empty history") << "\\proj" << 1 << "" << "" << "";
        // The tag is read when the replica is chosen, not when it was loaded.
        QTest::newRow("other VOB selected since") << "\\other" << 1 << "x,y," << "None" << "None";
    }
    void choosingReplicaRunsScriptThenShowsDates()
    {
        QFETCH(QString, tag);
        QFETCH(int, choice);
        QFETCH(QString, history);
        QFETCH(QString, importDate);
        QFETCH(QString, exportDate);
        Rig rig;
        rig.tag = tag;
        const QString replica = rig.combo()->itemText(choice);
        rig.ct.outputs.insert(syncCmd(replica, tag), history);
        rig.combo()->setCurrentIndex(choice); // by code: counts like a user's choice
        QCOMPARE(rig.log, (QStringList{QStringLiteral("run:ccperl \"") + script + QStringLiteral("\" ") + tag
                                           + QLatin1Char(' ') + replica,
                                       QStringLiteral("cmd:") + syncCmd(replica, tag)}));
        QCOMPARE(rig.shell.styles, QList<int>{0});
        QCOMPARE(rig.field(2)->text(), importDate);
        QCOMPARE(rig.field(3)->text(), exportDate);
        QVERIFY(rig.image()->isVisible());
        QCOMPARE(rig.fb.calls, (QStringList{QStringLiteral("busy:1:"), QStringLiteral("busy:0:")}));
        QVERIFY(rig.fb.scripted.boxes.isEmpty());
    }

    void selectReplicaHidesPictureAndKeepsDates()
    {
        Rig rig;
        rig.ct.outputs.insert(syncCmd(QStringLiteral("r1"), rig.tag), QStringLiteral("import,d1,"));
        rig.combo()->setCurrentIndex(1);
        QVERIFY(rig.image()->isVisible());
        rig.log.clear();
        rig.fb.calls.clear();
        rig.combo()->setCurrentIndex(0);
        QVERIFY(rig.image()->isHidden());
        QCOMPARE(rig.field(2)->text(), QStringLiteral("d1"));
        QCOMPARE(rig.field(3)->text(), QStringLiteral("None"));
        QVERIFY(rig.log.isEmpty());
        QVERIFY(rig.fb.calls.isEmpty());
    }

    void newerChoiceDuringScriptKeepsItsDates()
    {
        Rig rig;
        rig.ct.outputs.insert(syncCmd(QStringLiteral("r1"), rig.tag), QStringLiteral("import,old,"));
        rig.ct.outputs.insert(syncCmd(QStringLiteral("r2"), rig.tag), QStringLiteral("export,new,"));
        rig.shell.action = [&rig](const QString &line) {
            rig.log << line;
            if (line.endsWith(QLatin1String(" r1")))
                rig.combo()->setCurrentIndex(2); // chosen while r1's script runs
        };
        rig.combo()->setCurrentIndex(1);
        QCOMPARE(rig.field(2)->text(), QStringLiteral("None"));
        QCOMPARE(rig.field(3)->text(), QStringLiteral("new"));
        QCOMPARE(rig.ct.commands, QStringList{syncCmd(QStringLiteral("r2"), rig.tag)});
        QVERIFY(rig.image()->isVisible());
        QVERIFY(!rig.fb.busyOn);
    }

    void choiceDuringAnotherLongActionIsRefused()
    {
        Rig rig;
        LongActionGuard guard;
        rig.panel->setLongActionGuard(&guard);
        rig.ct.outputs.insert(syncCmd(QStringLiteral("r1"), rig.tag), QStringLiteral("import,d1,"));
        {
            const auto loading = guard.tryEnter(); // a VOB is being opened
            rig.combo()->setCurrentIndex(2);
            QCOMPARE(rig.combo()->currentIndex(), 0); // the choice went back
            rig.combo()->setCurrentIndex(0);           // the action's own reset still runs
        }
        QVERIFY(rig.log.isEmpty());
        QVERIFY(rig.fb.calls.filter(QStringLiteral("busy:")).isEmpty());
        rig.combo()->setCurrentIndex(1); // afterwards a choice works again
        QCOMPARE(rig.field(2)->text(), QStringLiteral("d1"));
    }

    void emptiedComboCountsAsNoReplica()
    {
        Rig rig;
        rig.ct.outputs.insert(syncCmd(QStringLiteral("r1"), rig.tag), QStringLiteral("import,d1,"));
        rig.combo()->setCurrentIndex(1);
        rig.log.clear();
        rig.combo()->clear(); // the loader empties it before refilling
        QVERIFY(rig.image()->isHidden());
        QVERIFY(rig.log.isEmpty());
    }

    void refusedHistoryShowsOneBoxAndKeepsDates()
    {
        Rig rig;
        const QString msg = QStringLiteral("cleartool: Error: Replica not found: \"r1\".");
        rig.ct.failures.insert(syncCmd(QStringLiteral("r1"), rig.tag), msg);
        rig.combo()->setCurrentIndex(1);
        QCOMPARE(rig.fb.scripted.boxes.size(), 1);
        const auto &box = rig.fb.scripted.boxes.constFirst();
        QCOMPARE(box.prompt, QStringLiteral("ERROR::") + msg + QStringLiteral("\r\nReport Bug to bugs@belmora.example"));
        QCOMPARE(box.title, QStringLiteral("ERROR..."));
        QCOMPARE(box.icon, MsgIcon::Stop);
        QCOMPARE(rig.field(2)->text(), QStringLiteral("<last_import>"));
        QCOMPARE(rig.field(3)->text(), QStringLiteral("<last_export>"));
        QCOMPARE(rig.fb.calls,
                 (QStringList{QStringLiteral("busy:1:"), QStringLiteral("hourglass:0"), QStringLiteral("busy:0:")}));
        QVERIFY(!rig.fb.busyOn);
    }

    void failingVobTagShowsStandardBox()
    {
        Rig rig;
        rig.panel.reset();
        rig.panel = std::make_unique<ReplicaInfoPanel>(rig.ct, rig.shell, rig.fb, script, []() -> QString {
            throw QuorvaneError(ErrNo::SubscriptOutOfRange, QStringLiteral("Quorvane"),
                                QStringLiteral("No VOB selected"));
        });
        rig.panel->replicaCombo()->addItem(QStringLiteral("r1"));
        rig.panel->replicaCombo()->setCurrentIndex(1);
        QCOMPARE(rig.fb.scripted.boxes.size(), 1);
        QCOMPARE(rig.fb.scripted.boxes[0].prompt,
                 QStringLiteral("ERROR::No VOB selected\r\nReport Bug to bugs@belmora.example"));
        QCOMPARE(rig.fb.scripted.boxes[0].icon, MsgIcon::Exclamation);
        QCOMPARE(rig.fb.calls, (QStringList{QStringLiteral("busy:1:"), QStringLiteral("busy:0:")}));
        QVERIFY(rig.shell.lines.isEmpty());
    }

    void historyOpensOnDoubleClickWithTitle()
    {
        Rig rig;
        rig.ct.outputs.insert(syncCmd(QStringLiteral("r1"), rig.tag), QString());
        rig.ct.outputs.insert(syncCmd(QStringLiteral("r2"), rig.tag), QString());
        const QString h1 = QStringLiteral("Date:2024-05-01 User:susan\nExported synchronization information\n");
        const QString h2 = QStringLiteral("Date:2024-05-02 User:bob\nImported synchronization information\n");
        rig.ct.outputs.insert(historyCmd(QStringLiteral("r1"), rig.tag), h1);
        rig.ct.outputs.insert(historyCmd(QStringLiteral("r2"), rig.tag), h2);
        rig.combo()->setCurrentIndex(1);
        rig.fb.calls.clear();
        QTest::mouseDClick(rig.image(), Qt::LeftButton);
        QCOMPARE(rig.fb.detailTitle, QStringLiteral("History Detail: r1"));
        QCOMPARE(rig.fb.detailText, h1);
        QCOMPARE(rig.fb.calls, (QStringList{QStringLiteral("busy:1:"), QStringLiteral("detail:History Detail: r1"),
                                            QStringLiteral("busy:0:")}));

        // A second request goes to the same detail window with new text and title.
        rig.combo()->setCurrentIndex(2);
        QTest::mouseDClick(rig.image(), Qt::LeftButton);
        QCOMPARE(rig.fb.detailTitle, QStringLiteral("History Detail: r2"));
        QCOMPARE(rig.fb.detailText, h2);
        QCOMPARE(rig.fb.calls.filter(QStringLiteral("detail:")).size(), 2);
    }

    void singleClickOnPictureShowsNoHistory()
    {
        Rig rig;
        rig.ct.outputs.insert(syncCmd(QStringLiteral("r1"), rig.tag), QString());
        rig.combo()->setCurrentIndex(1);
        QTest::mouseClick(rig.image(), Qt::LeftButton);
        QVERIFY(rig.fb.detailTitle.isEmpty());
    }

    void historyWithoutReplicaSendsNothing()
    {
        Rig rig;
        rig.panel->showHistory();
        QVERIFY(rig.ct.commands.isEmpty());
        QVERIFY(rig.fb.detailTitle.isEmpty());
        QCOMPARE(rig.fb.calls, QStringList{QStringLiteral("busy:0:")});
    }

    void refusedHistoryUsesHistoryLayout()
    {
        Rig rig;
        rig.ct.outputs.insert(syncCmd(QStringLiteral("r1"), rig.tag), QString());
        rig.ct.failures.insert(historyCmd(QStringLiteral("r1"), rig.tag), QStringLiteral("cleartool: Error: gone"));
        rig.combo()->setCurrentIndex(1);
        rig.fb.calls.clear();
        rig.panel->showHistory();
        QCOMPARE(rig.fb.scripted.boxes.size(), 1);
        QCOMPARE(rig.fb.scripted.boxes[0].prompt,
                 QStringLiteral("ERROR::cleartool: Error: gone\r\nError from Quorvane"));
        QCOMPARE(rig.fb.scripted.boxes[0].title, QStringLiteral("ERROR"));
        QCOMPARE(rig.fb.scripted.boxes[0].icon, MsgIcon::Exclamation);
        QCOMPARE(rig.fb.calls, (QStringList{QStringLiteral("busy:1:"), QStringLiteral("busy:0:")}));
        QVERIFY(rig.fb.detailTitle.isEmpty());
    }
};

QTEST_MAIN(TestReplicaInfoPanel)
#include "tst_replicainfopanel.moc"
