#include "ccase/ClearCaseError.h"
#include "maintenance/FixFrame.h"
#include "support/FakeFeedback.h"
#include "support/FakeShell.h"
#include "common/LongActionGuard.h"

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
    QLabel *image(int i) const { return get<QLabel>(u"dFixImage(%1)"_s.arg(i)); }
    bool busyOnce(const QString &message) const { return fb.calls.filter(u"busy:"_s) == QStringList{u"busy:1:"_s + message, u"busy:0:"_s}; }
    // The message boxes shown, as "title|prompt|buttons"; all carry the exclamation mark.
    QStringList boxes() const
    {
        QStringList out;
        for (const auto &b : fb.scripted.boxes)
            out << u"%1|%2|%3"_s.arg(b.title, b.prompt).arg(b.icon == MsgIcon::Exclamation ? int(b.buttons) : -1);
        return out;
    }
};

} // namespace

class TestFixFrame : public QObject {
    Q_OBJECT
private slots:
    // Both buttons: the command lines run (fix: 0, sync: 1), the
    // confirmation a fix asks for, the epoch texts refused before anything
    // runs, and busy on and off once.
    void fixOrSync_data()
    {
        QTest::addColumn<int>("button");
        QTest::addColumn<int>("replica"); // index in the button's combo
        QTest::addColumn<int>("option");
        QTest::addColumn<QString>("epoch");
        QTest::addColumn<bool>("all");
        QTest::addColumn<bool>("confirm");
        QTest::addColumn<QString>("line"); // the fix or export; empty: nothing runs
        QTest::addColumn<QString>("busy");
        const QString force = u"multitool chepoch -force r1@\\proj r1="_s, actual = u"multitool chepoch -actual r1@\\proj"_s;
        const QString r1 = u"Synchronizing replica r1"_s, all = u"Synchronizing all replicas"_s;
        const QString exportAll = u"multitool syncreplica -export -fship r1@\\proj r2@\\proj "_s;
        QTest::newRow("specify") << 0 << 1 << 1 << u"42"_s << true << true << force + u"42"_s << r1;
        QTest::newRow("specify blanks around") << 0 << 1 << 1 << u" 950\t"_s << true << true << force + u"950"_s << r1;
        QTest::newRow("specify leading zeros") << 0 << 1 << 1 << u"0042"_s << true << true << force + u"42"_s << r1;
        QTest::newRow("specify many leading zeros") << 0 << 1 << 1 << u"0000397924260"_s << true << true << force + u"397924260"_s << r1;
        QTest::newRow("specify zero as zeros") << 0 << 1 << 1 << u"000000000000"_s << true << true << force + u"0"_s << r1;
        QTest::newRow("specify largest") << 0 << 1 << 1 << u"2147483647"_s << true << true << force + u"2147483647"_s << r1;
        QTest::newRow("actual, text ignored") << 0 << 1 << 0 << u"<epoch>"_s << true << true << actual << r1;
        QTest::newRow("local table") << 0 << 1 << 2 << u"42"_s << true << true << actual << r1;
        QTest::newRow("cancelled") << 0 << 2 << 0 << u"42"_s << true << false << QString() << u"Synchronizing replica r2"_s;
        QTest::newRow("no replica") << 0 << 0 << 0 << u"42"_s << true << true << QString() << u"Synchronizing replica <select_replica>"_s;
        for (const QString &bad : {u"<epoch>"_s, QString(), u"5 r2=0"_s, u"-1"_s, u"2147483648"_s, u"000002147483648"_s, u"00 1"_s})
            QTest::addRow("invalid \"%s\"", qPrintable(bad)) << 0 << 1 << 1 << bad << true << true << QString() << r1;
        QTest::newRow("sync all") << 1 << 0 << 2 << QString() << true << true << exportAll << all;
        QTest::newRow("sync all ignores hidden target") << 1 << 1 << 2 << QString() << true << true << exportAll << all;
        QTest::newRow("sync one") << 1 << 2 << 2 << QString() << false << true << u"multitool syncreplica -export -fship r2@\\proj"_s
                                  << u"Synchronizing replica r2"_s;
        QTest::newRow("sync, no target") << 1 << 0 << 2 << QString() << false << true << QString() << u"Synchronizing replica <select_replica>"_s;
    }
    void fixOrSync()
    {
        QFETCH(int, button);
        QFETCH(int, replica);
        QFETCH(int, option);
        QFETCH(QString, epoch);
        QFETCH(bool, all);
        QFETCH(bool, confirm);
        QFETCH(QString, line);
        QFETCH(QString, busy);
        Rig rig;
        rig.frame->activateWindow();
        rig.combo(button)->setCurrentIndex(replica);
        rig.option(option)->click();
        rig.epochTxt()->setText(epoch);
        rig.syncAll()->setChecked(all);
        rig.combo(0)->setFocus();
        if (!confirm)
            rig.fb.scripted.msgAnswers.enqueue(MsgResult::Cancel);
        rig.frame->fixOrSync(button);

        const QStringList runs = line.isEmpty() ? QStringList() : button == 0 ? QStringList{line} : QStringList{importLine, line};
        QCOMPARE(rig.log, runs.isEmpty() ? runs : runs + refresh);
        QCOMPARE(rig.shell.styles, QList<int>(runs.size(), 0)); // no console window
        QVERIFY2(rig.busyOnce(busy), qPrintable(rig.fb.calls.join(u' ')));
        QVERIFY(!rig.guard.running());
        const bool invalid = button == 0 && line.isEmpty() && replica > 0 && confirm;
        const QString box = invalid ? u"Invalid Epoch Value|Must specify a valid epoch number|%1"_s.arg(int(MsgButtons::Ok))
                                    : u"Fix Epoch...|You are about to make changes to the Epoch table for replica:%1\r\n"
                                      "Are you sure you want to continue?|%2"_s.arg(rig.combo(0)->itemText(replica)).arg(int(MsgButtons::OkCancel));
        QCOMPARE(rig.boxes(), button == 0 && replica > 0 ? QStringList{box} : QStringList()); // a sync asks nothing
        if (invalid) // the text stays for the user to correct
            QVERIFY(rig.epochTxt()->text() == epoch && rig.frame->focusWidget() == rig.epochTxt());
        // Stopped for want of a replica: no box, but the result line says so.
        const QString result = rig.get<QLabel>(u"dFixResultLbl"_s)->text();
        if (replica == 0 && !(button == 1 && all))
            QCOMPARE(result, button == 0 ? u"Nothing run: choose the replica to fix first."_s
                                         : u"Nothing run: choose the replica to export to, or tick \"All Replicas\"."_s);
        else
            QVERIFY2(!result.startsWith(u"Nothing run"_s), qPrintable(result));
    }

    // A name or tag that would not reach multitool as one argument stops
    // the fix and the sync before anything runs (the import of a sync
    // included), with a box that names it; names ClearCase allows go out
    // unchanged.
    void unsafeNamesRunNothing_data()
    {
        QTest::addColumn<int>("button");
        QTest::addColumn<QString>("sibling"); // replaces r2, chosen in the button's combo
        QTest::addColumn<bool>("all");
        QTest::addColumn<QString>("tag");
        QTest::addColumn<QString>("refused"); // as the box shows it; empty: the commands run
        QTest::addColumn<QString>("reason");
        const QString proj = u"\\proj"_s;
        for (int button : {0, 1}) {
            const char *what = button == 0 ? "fix" : "sync";
            QTest::addRow("%s: blank", what) << button << u"a b"_s << false << proj << u"a b"_s << u"holds a blank"_s;
            QTest::addRow("%s: quote", what) << button << u"a\"b"_s << false << proj << u"a\"b"_s << u"holds a double quote"_s;
            QTest::addRow("%s: line end", what) << button << u"a\nb"_s << false << proj << u"a<U+000A>b"_s
                                                << u"holds a control character (<U+000A>)"_s;
            QTest::addRow("%s: option", what) << button << u"-import"_s << false << proj << u"-import"_s
                                              << u"starts with \"-\", which reads as an option"_s;
            QTest::addRow("%s: tag with a blank", what) << button << u"r2"_s << false << u"\\my proj"_s
                                                        << u"\\my proj"_s << u"holds a blank"_s;
            QTest::addRow("%s: allowed", what) << button << u"site-2.b_c"_s << false << u"/vobs/x-y"_s << QString() << QString();
        }
        QTest::newRow("sync all: one bad target") << 1 << u"x\ty"_s << true << proj << u"x<U+0009>y"_s
                                                  << u"holds a control character (<U+0009>)"_s;
    }
    void unsafeNamesRunNothing()
    {
        QFETCH(int, button);
        QFETCH(QString, sibling);
        QFETCH(bool, all);
        QFETCH(QString, tag);
        QFETCH(QString, refused);
        QFETCH(QString, reason);
        Rig rig;
        rig.vobTag = tag;
        rig.frame->setSiblingReplicas({u"r1"_s, sibling});
        rig.combo(button)->setCurrentIndex(2);
        rig.syncAll()->setChecked(all);
        rig.frame->fixOrSync(button);

        if (refused.isEmpty()) {
            QCOMPARE(rig.log.size(), button == 0 ? 3 : 4);
            QVERIFY2(rig.log.filter(sibling + u'@' + tag).size() == 1, qPrintable(rig.log.join(u'|')));
            return;
        }
        QCOMPARE(rig.log, QStringList());
        QCOMPARE(rig.boxes(), QStringList{u"Invalid Name|Cannot pass \"%1\" to ClearCase: it %2, so ClearCase would not "
                                          "read it as one name.\r\nNothing was run.|%3"_s.arg(refused, reason)
                                              .arg(int(MsgButtons::Ok))});
        QVERIFY(rig.busyOnce(button == 0 ? u"Synchronizing replica "_s + sibling : u"Synchronizing "_s
                                 + (all ? u"all replicas"_s : u"replica "_s + sibling)));
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
        QVERIFY(rig.busyOnce(u"Synchronizing all replicas"_s));
        QVERIFY(!rig.guard.running());
    }

    // Nothing starts while another long action (or this one) runs: busy
    // goes on and off once.
    void guardRefusesSecondAction()
    {
        Rig rig;
        rig.shell.action = [&rig](const QString &) { QTest::mouseClick(rig.image(1), Qt::LeftButton); };
        rig.frame->fixOrSync(1); // the click pumped during the wait is ignored
        const auto other = rig.guard.tryEnter();
        rig.frame->fixOrSync(1);
        QCOMPARE(rig.shell.lines, (QStringList{importLine, u"multitool syncreplica -export -fship r1@\\proj r2@\\proj "_s}));
        QVERIFY(rig.busyOnce(u"Synchronizing all replicas"_s));
    }

    // The labels turn blue under the pointer and black again only over the
    // frame's free area; the options show the epoch box; "All Replicas"
    // hides the export list, which keeps its choice.
    void hoverAndOptions()
    {
        Rig rig;
        auto move = [](QWidget *w, QPoint at) {
            QMouseEvent e(QEvent::MouseMove, at, w->mapToGlobal(at), Qt::NoButton, Qt::NoButton, Qt::NoModifier);
            QApplication::sendEvent(w, &e);
        };
        auto colour = [&rig](int i) { return rig.get<QLabel>(u"dFixLbl(%1)"_s.arg(i))->palette().color(QPalette::WindowText); };
        move(rig.get<QLabel>(u"dFixLbl(0)"_s), {2, 2});
        QCOMPARE(colour(0), QColor(0, 0, 255));
        move(rig.frame->findChild<QCheckBox *>(u"syncAllCB"_s), {2, 2}); // over a control: no change
        QCOMPARE(colour(0), QColor(0, 0, 255));
        const QPoint free(rig.frame->width() - 2, rig.frame->height() - 2);
        QVERIFY(!rig.frame->childAt(free));
        move(rig.frame.get(), free);
        QCOMPARE(colour(0), QColor(0, 0, 0));

        QVERIFY(!rig.epochTxt()->isVisible());
        rig.option(1)->click();
        QVERIFY(rig.epochTxt()->isVisible());
        rig.option(0)->click();
        QVERIFY(!rig.epochTxt()->isVisible());

        QVERIFY(!rig.combo(1)->isVisible());
        rig.combo(1)->setCurrentIndex(2);
        rig.syncAll()->click();
        QVERIFY(rig.combo(1)->isVisible());
        QCOMPARE(rig.combo(1)->currentIndex(), 2);
        rig.syncAll()->click();
        QVERIFY(!rig.combo(1)->isVisible());
    }
};

QTEST_MAIN(TestFixFrame)
#include "tst_fixframe.moc"
