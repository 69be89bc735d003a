#include "ccase/ClearCaseError.h"
#include "maintenance/FixFrame.h"
#include "support/FakeFeedback.h"
#include "support/FakeShell.h"
#include "ui/LongActionGuard.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
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
    std::unique_ptr<FixFrame> frame;

    explicit Rig(const QStringList &siblings = {u"r1"_s, u"r2"_s})
    {
        frame = std::make_unique<FixFrame>(
            shell, fb, guard, [] { return u"\\proj"_s; }, [this] { log << refresh[0]; }, [this] { log << refresh[1]; });
        frame->setSiblingReplicas(siblings);
        shell.action = [this](const QString &line) { log << line; };
        frame->show();
    }
    template <typename T> T *get(const QString &name) const { return frame->findChild<T *>(name); }
    QComboBox *combo(int i) const { return get<QComboBox>(u"dReplicaFixCombo(%1)"_s.arg(i)); }
    QRadioButton *option(int i) const { return get<QRadioButton>(u"dFixOpt(%1)"_s.arg(i)); }
    QLineEdit *epochTxt() const { return get<QLineEdit>(u"dFixTxt(0)"_s); }
    QCheckBox *syncAll() const { return get<QCheckBox>(u"syncAllCB"_s); }
    QLabel *label(int i) const { return get<QLabel>(u"dFixLbl(%1)"_s.arg(i)); }
    QLabel *image(int i) const { return get<QLabel>(u"dFixImage(%1)"_s.arg(i)); }
    QStringList busyCalls() const { return fb.calls.filter(u"busy:"_s); }
    QStringList busy(const QString &message) const { return {u"busy:1:"_s + message, u"busy:0:"_s}; }
    // The message boxes shown, as "title|prompt|buttons"; all carry the exclamation mark.
    QStringList boxes() const
    {
        QStringList out;
        for (const auto &b : fb.scripted.boxes)
            out << u"%1|%2|%3"_s.arg(b.title, b.prompt).arg(b.icon == MsgIcon::Exclamation ? int(b.buttons) : -1);
        return out;
    }
};

QColor textColour(const QLabel *l) { return l->palette().color(QPalette::WindowText); }

void moveOver(QWidget *w, QPoint pos)
{
    QMouseEvent move(QEvent::MouseMove, QPointF(pos), w->mapToGlobal(QPointF(pos)), Qt::NoButton, Qt::NoButton,
                     Qt::NoModifier);
    QApplication::sendEvent(w, &move);
}

} // namespace

class TestFixFrame : public QObject {
    Q_OBJECT
private slots:
    // "Fix Local Epoch Table": the command line of each option, the
    // confirmation, and the epoch texts refused before anything runs.
    void fix_data()
    {
        QTest::addColumn<int>("replica"); // index in the fix combo
        QTest::addColumn<int>("option");
        QTest::addColumn<QString>("epoch");
        QTest::addColumn<bool>("confirm");
        QTest::addColumn<QString>("line"); // empty: nothing runs
        const QString force = u"multitool chepoch -force r1@\\proj r1="_s;
        const QString actual = u"multitool chepoch -actual r1@\\proj"_s;
        QTest::newRow("specify") << 1 << 1 << u"42"_s << true << force + u"42"_s;
        QTest::newRow("specify zero") << 1 << 1 << u"0"_s << true << force + u"0"_s;
        QTest::newRow("specify blanks around") << 1 << 1 << u" 950\t"_s << true << force + u"950"_s;
        QTest::newRow("specify leading zeros") << 1 << 1 << u"0042"_s << true << force + u"42"_s;
        QTest::newRow("specify largest") << 1 << 1 << u"2147483647"_s << true << force + u"2147483647"_s;
        QTest::newRow("actual, text ignored") << 1 << 0 << u"<epoch>"_s << true << actual;
        QTest::newRow("local table") << 1 << 2 << u"42"_s << true << actual;
        QTest::newRow("cancelled") << 2 << 0 << u"42"_s << false << QString();
        QTest::newRow("no replica") << 0 << 0 << u"42"_s << true << QString();
        for (const QString &bad : {u"<epoch>"_s, QString(), u"   "_s, u"abc"_s, u"5 -import"_s, u"4 2"_s, u"5 r2=0"_s,
                                   u"-1"_s, u"+5"_s, u"4.5"_s, u"1e3"_s, u"0x10"_s, u"2147483648"_s,
                                   u"99999999999999999999999"_s, u"\u0664\u0662"_s})
            QTest::addRow("invalid \"%s\"", qPrintable(bad)) << 1 << 1 << bad << true << QString();
    }
    void fix()
    {
        QFETCH(int, replica);
        QFETCH(int, option);
        QFETCH(QString, epoch);
        QFETCH(bool, confirm);
        QFETCH(QString, line);
        Rig rig;
        rig.frame->activateWindow();
        rig.combo(0)->setCurrentIndex(replica);
        rig.option(option)->click();
        rig.epochTxt()->setText(epoch);
        rig.combo(0)->setFocus();
        if (!confirm)
            rig.fb.scripted.msgAnswers.enqueue(MsgResult::Cancel);
        rig.frame->fixOrSync(0);

        QCOMPARE(rig.log, (line.isEmpty() ? QStringList() : QStringList{line} + refresh));
        QCOMPARE(rig.shell.styles, (line.isEmpty() ? QList<int>() : QList<int>{0}));
        QCOMPARE(rig.busyCalls(), rig.busy(u"Synchronizing replica "_s + rig.combo(0)->itemText(replica)));
        QVERIFY(!rig.guard.running());
        const bool invalid = line.isEmpty() && replica > 0 && confirm;
        const QString box = invalid ? u"Invalid Epoch Value|Must specify a valid epoch number|%1"_s.arg(int(MsgButtons::Ok))
                                    : u"Fix Epoch...|You are about to make changes to the Epoch table for replica:%1\r\n"
                                      "Are you sure you want to continue?|%2"_s.arg(rig.combo(0)->itemText(replica)).arg(int(MsgButtons::OkCancel));
        QCOMPARE(rig.boxes(), replica > 0 ? QStringList{box} : QStringList());
        if (invalid) // the text stays for the user to correct
            QVERIFY(rig.epochTxt()->text() == epoch && rig.frame->focusWidget() == rig.epochTxt());
    }

    void synchronize_data()
    {
        QTest::addColumn<QStringList>("siblings");
        QTest::addColumn<bool>("all");
        QTest::addColumn<int>("target");
        QTest::addColumn<QString>("exportLine"); // empty: nothing runs
        QTest::addColumn<QString>("busy");
        const QStringList two{u"r1"_s, u"r2"_s};
        const QString all = u"Synchronizing all replicas"_s;
        QTest::newRow("all replicas") << two << true << 0 << u"multitool syncreplica -export -fship r1@\\proj r2@\\proj "_s << all;
        QTest::newRow("all, no siblings") << QStringList{} << true << 0 << u"multitool syncreplica -export -fship "_s << all;
        QTest::newRow("one target") << two << false << 2 << u"multitool syncreplica -export -fship r2@\\proj"_s
                                    << u"Synchronizing replica r2"_s;
        QTest::newRow("all ignores hidden target") << two << true << 1
                                                   << u"multitool syncreplica -export -fship r1@\\proj r2@\\proj "_s << all;
        QTest::newRow("no target chosen") << two << false << 0 << QString() << u"Synchronizing replica <select_replica>"_s;
    }
    void synchronize()
    {
        QFETCH(QStringList, siblings);
        QFETCH(bool, all);
        QFETCH(int, target);
        QFETCH(QString, exportLine);
        QFETCH(QString, busy);
        Rig rig(siblings);
        rig.combo(1)->setCurrentIndex(target);
        rig.syncAll()->setChecked(all);
        rig.frame->fixOrSync(1);
        QCOMPARE(rig.log, (exportLine.isEmpty() ? QStringList() : QStringList{importLine, exportLine} + refresh));
        QVERIFY(rig.fb.scripted.boxes.isEmpty()); // no confirmation for a sync
        QCOMPARE(rig.busyCalls(), rig.busy(busy));
    }

    void errorStopsBeforeRefresh()
    {
        Rig rig;
        rig.shell.action = [&rig](const QString &line) {
            rig.log << line;
            throw ClearCaseError(u"multitool: Error: cannot start"_s);
        };
        rig.frame->fixOrSync(1);
        QCOMPARE(rig.log, QStringList{importLine});
        QCOMPARE(rig.boxes(), QStringList{u"ERROR...|ERROR::multitool: Error: cannot start\r\nReport Bug to bugs@belmora.example|%1"_s
                                              .arg(int(MsgButtons::Ok))});
        QCOMPARE(rig.busyCalls(), rig.busy(u"Synchronizing all replicas"_s));
        QVERIFY(!rig.guard.running());
    }

    // Pictures act on a click, labels on a double click; nothing starts
    // while another long action (or this one) runs.
    void mouseAndGuard()
    {
        Rig rig;
        QTest::mouseClick(rig.label(1), Qt::LeftButton);
        QVERIFY(rig.shell.lines.isEmpty());
        QTest::mouseDClick(rig.label(1), Qt::LeftButton);
        QTest::mouseClick(rig.image(1), Qt::LeftButton);
        QTest::mouseDClick(rig.image(1), Qt::LeftButton); // one action, not two
        rig.combo(0)->setCurrentIndex(1);
        QTest::mouseClick(rig.image(0), Qt::LeftButton);
        QCOMPARE(rig.shell.lines.size(), 5);
        QCOMPARE(rig.shell.lines.last(), u"multitool chepoch -actual r1@\\proj"_s);

        rig.shell.lines.clear();
        rig.fb.calls.clear();
        rig.shell.action = [&rig](const QString &) { QTest::mouseClick(rig.image(1), Qt::LeftButton); };
        rig.frame->fixOrSync(1); // the click pumped during the wait is ignored
        const auto other = rig.guard.tryEnter();
        rig.frame->fixOrSync(1);
        QCOMPARE(rig.shell.lines.size(), 2);
        QCOMPARE(rig.busyCalls().size(), 2);
    }

    void optionControls()
    {
        Rig rig;
        QVERIFY(rig.epochTxt()->isHidden() && rig.option(2)->isChecked());
        rig.option(1)->click();
        QVERIFY(!rig.epochTxt()->isHidden());
        rig.option(0)->click();
        QVERIFY(rig.epochTxt()->isHidden());

        QVERIFY(rig.syncAll()->isChecked() && rig.combo(1)->isHidden());
        rig.syncAll()->click();
        QVERIFY(!rig.combo(1)->isHidden());
        rig.syncAll()->click();
        QVERIFY(rig.combo(1)->isHidden());
    }

    // A label turns blue under the pointer and stays so over other
    // controls; the frame's free area turns both black again.
    void hoverColours()
    {
        Rig rig;
        const QColor blue(0, 0, 255), black(0, 0, 0);
        moveOver(rig.label(0), QPoint(2, 2));
        QCOMPARE(textColour(rig.label(0)), blue);
        QCOMPARE(textColour(rig.label(1)), black);
        moveOver(rig.label(1), QPoint(2, 2));
        moveOver(rig.syncAll(), QPoint(2, 2));
        moveOver(rig.combo(0), QPoint(2, 2));
        QCOMPARE(textColour(rig.label(0)), blue);
        QCOMPARE(textColour(rig.label(1)), blue);
        QPoint free;
        for (int y = rig.frame->height() - 3; y > 0 && free.isNull(); y -= 2)
            for (int x = rig.frame->width() - 3; x > 0 && free.isNull(); x -= 2)
                if (!rig.frame->childAt(x, y))
                    free = {x, y};
        QVERIFY(!free.isNull());
        moveOver(rig.frame.get(), free);
        QCOMPARE(textColour(rig.label(0)), black);
        QCOMPARE(textColour(rig.label(1)), black);
    }
};

QTEST_MAIN(TestFixFrame)
#include "tst_fixframe.moc"
