#include "maintenance/FixFrame.h"
#include "support/FakeFeedback.h"
#include "support/FakeShell.h"
#include "common/LongActionGuard.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QTest>

#include <memory>

using namespace quorvane;
using namespace Qt::StringLiterals;

namespace {

const QString importLine = u"multitool syncreplica -import -invob \\proj -receive"_s;
const QStringList refresh{u"showReplicaInfo"_s, u"loadReplicaDetail"_s};

// The frame on \proj with siblings r1 and r2; log holds the processes run
// and the refreshes, in order.
struct Rig {
    test::FakeShell shell;
    test::FakeFeedback fb;
    LongActionGuard guard;
    QStringList log;
    QString vobTag = u"\\proj"_s;
    std::unique_ptr<FixFrame> frame;

    Rig()
    {
        frame = std::make_unique<FixFrame>(
            shell, fb, guard, [this] { return vobTag; }, [this] { log << refresh[0]; }, [this] { log << refresh[1]; });
        frame->setSiblingReplicas({u"r1"_s, u"r2"_s});
        shell.action = [this](const QString &line) { log << line; };
        frame->show();
    }
    template <typename T> T *get(const QString &name) const { return frame->findChild<T *>(name); }
    QComboBox *combo(int i) const { return get<QComboBox>(u"dReplicaFixCombo(%1)"_s.arg(i)); }
    QRadioButton *option(int i) const { return get<QRadioButton>(u"dFixOpt(%1)"_s.arg(i)); }
    QLineEdit *epochTxt() const { return get<QLineEdit>(u"dFixTxt(0)"_s); }
    QCheckBox *syncAll() const { return get<QCheckBox>(u"syncAllCB"_s); }
    bool busyOnce(const QString &message) const { return fb.calls.filter(u"busy:"_s) == QStringList{u"busy:1:"_s + message, u"busy:0:"_s}; }
};

} // namespace

class TestFixFrame : public QObject {
    Q_OBJECT
private slots:
    // What the controls hand the repair (tst_epochrepair has its rules,
    // tst_longactions the guard against an action inside another):
    // the button, the replica in its combo, the option, the typed value and
    // "All Replicas"; the label says what ran, or why nothing did.
    void controlsMakeTheChoice_data()
    {
        QTest::addColumn<int>("button");
        QTest::addColumn<int>("replica"); // index in the button's combo
        QTest::addColumn<int>("option");
        QTest::addColumn<QString>("epoch");
        QTest::addColumn<bool>("all");
        QTest::addColumn<QString>("line"); // the fix or export; empty: nothing runs
        QTest::addColumn<QString>("busy");
        const QString actual = u"multitool chepoch -actual r1@\\proj"_s, r1 = u"Synchronizing replica r1"_s;
        QTest::newRow("specify") << 0 << 1 << 1 << u"42"_s << true << u"multitool chepoch -force r1@\\proj r1=42"_s << r1;
        QTest::newRow("actual, text ignored") << 0 << 1 << 0 << u"<epoch>"_s << true << actual << r1;
        QTest::newRow("local table") << 0 << 1 << 2 << u"42"_s << true << actual << r1;
        QTest::newRow("no replica") << 0 << 0 << 0 << u"42"_s << true << QString() << u"Synchronizing replica <select_replica>"_s;
        QTest::newRow("invalid") << 0 << 1 << 1 << u"4x"_s << true << QString() << r1;
        QTest::newRow("sync all ignores hidden target") << 1 << 1 << 2 << QString() << true
                                                        << u"multitool syncreplica -export -fship r1@\\proj r2@\\proj "_s
                                                        << u"Synchronizing all replicas"_s;
        QTest::newRow("sync one") << 1 << 2 << 2 << QString() << false << u"multitool syncreplica -export -fship r2@\\proj"_s
                                  << u"Synchronizing replica r2"_s;
        QTest::newRow("sync, no target") << 1 << 0 << 2 << QString() << false << QString() << u"Synchronizing replica <select_replica>"_s;
    }
    void controlsMakeTheChoice()
    {
        QFETCH(int, button);
        QFETCH(int, replica);
        QFETCH(int, option);
        QFETCH(QString, epoch);
        QFETCH(bool, all);
        QFETCH(QString, line);
        QFETCH(QString, busy);
        Rig rig;
        rig.frame->activateWindow();
        rig.combo(button)->setCurrentIndex(replica);
        rig.option(option)->click();
        rig.epochTxt()->setText(epoch);
        rig.syncAll()->setChecked(all);
        rig.combo(0)->setFocus();
        rig.frame->fixOrSync(button);

        const QStringList runs = line.isEmpty() ? QStringList() : button == 0 ? QStringList{line} : QStringList{importLine, line};
        QCOMPARE(rig.log, runs.isEmpty() ? runs : runs + refresh);
        QVERIFY2(rig.busyOnce(busy), qPrintable(rig.fb.calls.join(u' ')));
        QVERIFY(!rig.guard.running());
        const QString result = rig.get<QLabel>(u"dFixResultLbl"_s)->text();
        QCOMPARE(result.split(u'\n').size(), qMax(qsizetype(1), runs.size()));
        for (const QString &run : runs)
            QVERIFY2(result.contains(run.trimmed() + u" \u2014 done, "_s), qPrintable(result));
        if (replica == 0 && !(button == 1 && all))
            QCOMPARE(result, button == 0 ? u"Nothing run: choose the replica to fix first."_s
                                         : u"Nothing run: choose the replica to export to, or tick \"All Replicas\"."_s);
        // A refused value stays for the user to correct, with the focus.
        if (button == 0 && replica > 0 && line.isEmpty())
            QVERIFY(rig.epochTxt()->text() == epoch && rig.frame->focusWidget() == rig.epochTxt());
    }

};

QTEST_MAIN(TestFixFrame)
#include "tst_fixframe.moc"
