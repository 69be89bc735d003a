// The maintenance actions by keyboard: "Fix Local Epoch Table",
// "Synchronize Replica(s)" and the history picture take the focus, show it,
// and run their action on Return, Enter or Space as a double click does.
#include "maintenance/FixFrame.h"
#include "maintenance/ReplicaInfoPanel.h"
#include "support/FakeFeedback.h"
#include "support/FakeShell.h"
#include "support/ScriptedClearTool.h"
#include "common/LongActionGuard.h"

#include <QApplication>
#include <QComboBox>
#include <QImage>
#include <QLabel>
#include <QRadioButton>
#include <QTest>
#include <QVBoxLayout>
#include <memory>

using namespace quorvane;
using namespace Qt::StringLiterals;

namespace {

const QString tag = u"\\proj"_s;

struct Rig {
    test::FakeShell shell;
    test::FakeFeedback fb;
    test::ScriptedClearTool ct;
    LongActionGuard guard;
    QStringList log;
    QWidget host;
    FixFrame *frame = nullptr;
    ReplicaInfoPanel *panel = nullptr;

    Rig()
    {
        frame = new FixFrame(
            shell, fb, guard, [] { return tag; }, [this] { log << u"showReplicaInfo"_s; },
            [this] { log << u"loadReplicaDetail"_s; }, &host);
        frame->setSiblingReplicas({u"r1"_s, u"r2"_s});
        panel = new ReplicaInfoPanel(
            ct, shell, fb, u"/opt/q/get_replica_info.pl"_s, [] { return tag; }, &host);
        panel->replicaCombo()->addItems({u"r1"_s, u"r2"_s});
        auto *layout = new QVBoxLayout(&host);
        layout->addWidget(panel);
        layout->addWidget(frame);
        shell.action = [this](const QString &line) {
            log << line;
        };
        ct.hook = [this](const QString &cmd) {
            log << u"cleartool "_s + cmd;
        };
        ct.outputs.insert(u"lshistory -fmt \"%e,%d,\" replica:r2@\\proj"_s, u"export,2026-05-01,"_s);
        ct.outputs.insert(u"lshistory -fmt \"Date:%d User:%u\\n%c\\n\" replica:r2@\\proj"_s,
                          u"Date:2026-05-01"_s);
        host.resize(900, 600);
        host.show();
        host.activateWindow();
        if (!QTest::qWaitForWindowActive(&host))
            qFatal("the window did not become active");
    }
    QLabel *label(const QString &name) const { return host.findChild<QLabel *>(name); }
};

} // namespace

class TestMaintenanceKeys : public QObject {
    Q_OBJECT
private slots:
    void actionKeys_data()
    {
        QTest::addColumn<QString>("control");
        QTest::addColumn<int>("key");
        QTest::addColumn<QStringList>("runs");
        const QStringList fix{u"multitool chepoch -actual r1@\\proj"_s, u"showReplicaInfo"_s,
                              u"loadReplicaDetail"_s};
        const QStringList sync{u"multitool syncreplica -import -invob \\proj -receive"_s,
                               u"multitool syncreplica -export -fship r1@\\proj r2@\\proj "_s,
                               u"showReplicaInfo"_s, u"loadReplicaDetail"_s};
        const QStringList history{
            u"cleartool lshistory -fmt \"Date:%d User:%u\\n%c\\n\" replica:r2@\\proj"_s};
        QTest::newRow("fix, Return") << u"dFixLbl(0)"_s << int(Qt::Key_Return) << fix;
        QTest::newRow("fix, Space") << u"dFixLbl(0)"_s << int(Qt::Key_Space) << fix;
        QTest::newRow("sync, Enter") << u"dFixLbl(1)"_s << int(Qt::Key_Enter) << sync;
        QTest::newRow("sync, Space") << u"dFixLbl(1)"_s << int(Qt::Key_Space) << sync;
        QTest::newRow("sync, other key") << u"dFixLbl(1)"_s << int(Qt::Key_A) << QStringList();
        QTest::newRow("history, Return") << u"dDetailImage"_s << int(Qt::Key_Return) << history;
        QTest::newRow("history, Space") << u"dDetailImage"_s << int(Qt::Key_Space) << history;
    }
    void actionKeys()
    {
        QFETCH(QString, control);
        QFETCH(int, key);
        Rig rig;
        auto *fixCombo = rig.frame->fixCombo();
        fixCombo->setCurrentIndex(fixCombo->findText(u"r1"_s));
        rig.host.findChild<QRadioButton *>(u"dFixOpt(0)"_s)->setChecked(true);
        auto *replicas = rig.panel->replicaCombo();
        replicas->setCurrentIndex(replicas->findText(u"r2"_s)); // shows the history picture
        QCOMPARE(rig.fb.scripted.boxes.size(), 0);
        rig.log.clear();

        QLabel *label = rig.label(control);
        QVERIFY(label->isVisible());
        QVERIFY(label->focusPolicy() & Qt::TabFocus);
        label->setFocus(Qt::TabFocusReason);
        QCOMPARE(QApplication::focusWidget(), label);
        QTest::keyClick(label, Qt::Key(key));
        QTEST(rig.log, "runs");
        if (control == u"dFixLbl(0)"_s) // the confirmation came first
            QCOMPARE(rig.fb.scripted.boxes.value(0).title, u"Fix Epoch..."_s);
        QCOMPARE(rig.fb.scripted.boxes.size(), control == u"dFixLbl(0)"_s ? 1 : 0);
        if (control == u"dDetailImage"_s)
            QCOMPARE(rig.fb.detailTitle, u"History Detail: r2"_s);
    }

    // A focused action shows that it has the focus: it is drawn otherwise
    // than without it, and the mouse's ways still work beside the keys.
    void focusIsVisible_data()
    {
        QTest::addColumn<QString>("control");
        QTest::newRow("fix") << u"dFixLbl(0)"_s;
        QTest::newRow("history") << u"dDetailImage"_s;
    }
    void focusIsVisible()
    {
        QFETCH(QString, control);
        Rig rig;
        rig.panel->replicaCombo()->setCurrentIndex(1);
        QLabel *label = rig.label(control);
        rig.host.setFocus();
        const QImage without = label->grab().toImage();
        label->setFocus(Qt::TabFocusReason);
        QVERIFY(label->hasFocus());
        const QImage with = label->grab().toImage();
        QVERIFY(with != without);
        label->clearFocus();
        QCOMPARE(label->grab().toImage(), without);
    }
};

QTEST_MAIN(TestMaintenanceKeys)
#include "tst_maintenancekeys.moc"
