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

namespace {

const QString importLine = QStringLiteral("multitool syncreplica -import -invob \\proj -receive");
const QString confirmText = QStringLiteral("You are about to make changes to the Epoch table for replica:r1\r\n"
                                           "Are you sure you want to continue?");

struct Rig {
    test::FakeShell shell;
    test::FakeFeedback fb;
    LongActionGuard guard;
    QString tag = QStringLiteral("\\proj");
    QStringList log; // processes and refreshes, in order
    std::unique_ptr<FixFrame> frame;

    explicit Rig(const QStringList &siblings = {QStringLiteral("r1"), QStringLiteral("r2")})
    {
        frame = std::make_unique<FixFrame>(
            shell, fb, guard, [this] { return tag; }, [this] { log << QStringLiteral("showReplicaInfo"); },
            [this] { log << QStringLiteral("loadReplicaDetail"); });
        frame->setSiblingReplicas(siblings);
        shell.action = [this](const QString &line) { log << line; };
        frame->show();
    }
    template <typename T> T *get(const QString &name) const
    {
        T *w = frame->findChild<T *>(name);
        if (!w)
            qFatal("missing control %s", qPrintable(name));
        return w;
    }
    QComboBox *combo(int i) const { return get<QComboBox>(QStringLiteral("dReplicaFixCombo(%1)").arg(i)); }
    QRadioButton *option(int i) const { return get<QRadioButton>(QStringLiteral("dFixOpt(%1)").arg(i)); }
    QLineEdit *epochTxt() const { return get<QLineEdit>(QStringLiteral("dFixTxt(0)")); }
    QCheckBox *syncAll() const { return get<QCheckBox>(QStringLiteral("syncAllCB")); }
    QLabel *label(int i) const { return get<QLabel>(QStringLiteral("dFixLbl(%1)").arg(i)); }
    QLabel *image(int i) const { return get<QLabel>(QStringLiteral("dFixImage(%1)").arg(i)); }
    QStringList busyCalls() const { return fb.calls.filter(QStringLiteral("busy:")); }
};

QColor textColour(const QLabel *l) { return l->palette().color(QPalette::WindowText); }

void moveOver(QWidget *w, QPoint pos)
{
    QMouseEvent move(QEvent::MouseMove, QPointF(pos), w->mapToGlobal(QPointF(pos)), Qt::NoButton, Qt::NoButton,
                     Qt::NoModifier);
    QApplication::sendEvent(w, &move);
}

// A point inside the frame that no control covers.
QPoint freeArea(const FixFrame &frame)
{
    for (int y = frame.height() - 3; y > 0; y -= 2)
        for (int x = frame.width() - 3; x > 0; x -= 2)
            if (!frame.childAt(x, y))
                return {x, y};
    return {};
}

} // namespace

class TestFixFrame : public QObject {
    Q_OBJECT
private slots:
    void controlsStartAsDesigned_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("tip");
        QTest::addColumn<bool>("hidden");
        QTest::addColumn<bool>("checked");
        QTest::newRow("fix picture") << "dFixImage(0)" << QString()
                                     << "Fix epoch value for the replica based on actual or specified epoch value "
                                     << false << false;
        QTest::newRow("fix label") << "dFixLbl(0)" << "Fix Local Epoch Table"
                                   << "Double click to fix epoch table value" << false << false;
        QTest::newRow("fix combo") << "dReplicaFixCombo(0)" << "<select_replica>" << QString() << false << false;
        QTest::newRow("actual") << "dFixOpt(0)" << "Based on Actual" << QString() << false << false;
        QTest::newRow("specify") << "dFixOpt(1)" << "Specify Epoch Value" << QString() << false << false;
        QTest::newRow("local") << "dFixOpt(2)" << "Based on Local Epoch Table" << QString() << false << true;
        QTest::newRow("epoch text") << "dFixTxt(0)" << "<epoch>" << QString() << true << false;
        QTest::newRow("sync picture") << "dFixImage(1)" << QString() << "Synchronize the replicas" << false << false;
        QTest::newRow("sync label") << "dFixLbl(1)" << "Synchronize Replica(s)"
                                    << "Double click to synchronize the replica" << false << false;
        QTest::newRow("all replicas") << "syncAllCB" << "All Replicas" << QString() << false << true;
        QTest::newRow("export combo") << "dReplicaFixCombo(1)" << "<select_replica>" << QString() << true << false;
    }
    void controlsStartAsDesigned()
    {
        QFETCH(QString, name);
        QFETCH(QString, text);
        QFETCH(QString, tip);
        QFETCH(bool, hidden);
        QFETCH(bool, checked);
        test::FakeShell shell;
        test::FakeFeedback fb;
        LongActionGuard guard;
        FixFrame frame(shell, fb, guard, [] { return QString(); }, [] {}, [] {});
        QCOMPARE(frame.objectName(), QStringLiteral("dFixFrame"));
        auto *w = frame.findChild<QWidget *>(name);
        QVERIFY(w);
        QString actual;
        if (auto *l = qobject_cast<QLabel *>(w)) {
            actual = l->text();
            if (text.isEmpty())
                QVERIFY(!l->pixmap().isNull());
            else
                QCOMPARE(textColour(l), QColor(Qt::black));
        } else if (auto *b = qobject_cast<QAbstractButton *>(w)) {
            actual = b->text();
            QCOMPARE(b->isChecked(), checked);
        } else if (auto *c = qobject_cast<QComboBox *>(w)) {
            actual = c->currentText();
            QCOMPARE(c->count(), 1);
        } else if (auto *e = qobject_cast<QLineEdit *>(w)) {
            actual = e->text();
        }
        QCOMPARE(actual, text);
        QCOMPARE(w->toolTip(), tip);
        QCOMPARE(w->isHidden(), hidden);
    }

    void fixRunsConfirmedCommand_data()
    {
        QTest::addColumn<int>("option");
        QTest::addColumn<QString>("epoch");
        QTest::addColumn<QString>("line");
        QTest::newRow("specify") << 1 << "42" << "multitool chepoch -force r1@\\proj r1=42";
        QTest::newRow("specify zero") << 1 << "0" << "multitool chepoch -force r1@\\proj r1=0";
        QTest::newRow("specify blanks around") << 1 << " 950 " << "multitool chepoch -force r1@\\proj r1=950";
        QTest::newRow("actual") << 0 << "42" << "multitool chepoch -actual r1@\\proj";
        QTest::newRow("local table") << 2 << "42" << "multitool chepoch -actual r1@\\proj";
        // The text box only counts for "Specify Epoch Value".
        QTest::newRow("actual ignores text") << 0 << "<epoch>" << "multitool chepoch -actual r1@\\proj";
    }
    void fixRunsConfirmedCommand()
    {
        QFETCH(int, option);
        QFETCH(QString, epoch);
        QFETCH(QString, line);
        Rig rig;
        rig.combo(0)->setCurrentIndex(1);
        rig.option(option)->click();
        rig.epochTxt()->setText(epoch);
        rig.frame->fixOrSync(0);
        QCOMPARE(rig.log, (QStringList{line, QStringLiteral("showReplicaInfo"), QStringLiteral("loadReplicaDetail")}));
        QCOMPARE(rig.shell.styles, QList<int>{0});
        QCOMPARE(rig.fb.scripted.boxes.size(), 1);
        const auto &box = rig.fb.scripted.boxes[0];
        QCOMPARE(box.prompt, confirmText);
        QCOMPARE(box.title, QStringLiteral("Fix Epoch..."));
        QCOMPARE(box.buttons, MsgButtons::OkCancel);
        QCOMPARE(box.icon, MsgIcon::Exclamation);
        QCOMPARE(rig.busyCalls(),
                 (QStringList{QStringLiteral("busy:1:Synchronizing replica r1"), QStringLiteral("busy:0:")}));
        QVERIFY(!rig.guard.running());
    }

    void fixCancelledRunsNothing()
    {
        Rig rig;
        rig.combo(0)->setCurrentIndex(2);
        rig.fb.scripted.msgAnswers.enqueue(MsgResult::Cancel);
        rig.frame->fixOrSync(0);
        QVERIFY(rig.log.isEmpty());
        QCOMPARE(rig.fb.scripted.boxes.size(), 1);
        QCOMPARE(rig.busyCalls(),
                 (QStringList{QStringLiteral("busy:1:Synchronizing replica r2"), QStringLiteral("busy:0:")}));
    }

    void fixWithoutReplicaStopsSilently()
    {
        Rig rig;
        rig.frame->fixOrSync(0);
        QVERIFY(rig.log.isEmpty());
        QVERIFY(rig.fb.scripted.boxes.isEmpty());
        QCOMPARE(rig.busyCalls().size(), 2);
        QCOMPARE(rig.busyCalls().last(), QStringLiteral("busy:0:"));
    }

    void invalidEpochIsRefused_data()
    {
        QTest::addColumn<QString>("epoch");
        QTest::newRow("designed text") << "<epoch>";
        QTest::newRow("empty") << "";
        QTest::newRow("letters") << "abc";
        QTest::newRow("extra argument") << "5 -import";
        QTest::newRow("blank inside") << "4 2";
        QTest::newRow("second row entry") << "5 r2=0";
        QTest::newRow("negative") << "-1";
        QTest::newRow("too large") << "2147483648";
    }
    void invalidEpochIsRefused()
    {
        QFETCH(QString, epoch);
        Rig rig;
        rig.frame->activateWindow();
        rig.combo(0)->setCurrentIndex(1);
        rig.option(1)->click();
        rig.epochTxt()->setText(epoch);
        rig.combo(0)->setFocus();
        rig.frame->fixOrSync(0);
        QVERIFY(rig.log.isEmpty());
        QCOMPARE(rig.fb.scripted.boxes.size(), 1); // no confirmation follows
        const auto &box = rig.fb.scripted.boxes[0];
        QCOMPARE(box.prompt, QStringLiteral("Must specify a valid epoch number"));
        QCOMPARE(box.title, QStringLiteral("Invalid Epoch Value"));
        QCOMPARE(box.buttons, MsgButtons::Ok);
        QCOMPARE(box.icon, MsgIcon::Exclamation);
        QCOMPARE(rig.epochTxt()->text(), epoch);
        QCOMPARE(rig.frame->focusWidget(), rig.epochTxt());
        QCOMPARE(rig.busyCalls().size(), 2);
        QCOMPARE(rig.busyCalls().last(), QStringLiteral("busy:0:"));
    }

    void synchronize_data()
    {
        QTest::addColumn<QStringList>("siblings");
        QTest::addColumn<bool>("all");
        QTest::addColumn<int>("target");
        QTest::addColumn<QStringList>("log");
        QTest::addColumn<QString>("busy");
        const QStringList refresh{QStringLiteral("showReplicaInfo"), QStringLiteral("loadReplicaDetail")};
        const QStringList two{QStringLiteral("r1"), QStringLiteral("r2")};
        QTest::newRow("all replicas")
            << two << true << 0
            << QStringList{importLine, QStringLiteral("multitool syncreplica -export -fship r1@\\proj r2@\\proj ")}
                   + refresh
            << "Synchronizing all replicas";
        QTest::newRow("all replicas, no siblings")
            << QStringList{} << true << 0
            << QStringList{importLine, QStringLiteral("multitool syncreplica -export -fship ")} + refresh
            << "Synchronizing all replicas";
        QTest::newRow("one target")
            << two << false << 2
            << QStringList{importLine, QStringLiteral("multitool syncreplica -export -fship r2@\\proj")} + refresh
            << "Synchronizing replica r2";
        QTest::newRow("all replicas ignores hidden target")
            << two << true << 1
            << QStringList{importLine, QStringLiteral("multitool syncreplica -export -fship r1@\\proj r2@\\proj ")}
                   + refresh
            << "Synchronizing all replicas";
        QTest::newRow("no target chosen") << two << false << 0 << QStringList{} << "Synchronizing replica <select_replica>";
    }
    void synchronize()
    {
        QFETCH(QStringList, siblings);
        QFETCH(bool, all);
        QFETCH(int, target);
        QFETCH(QStringList, log);
        QFETCH(QString, busy);
        Rig rig(siblings);
        rig.combo(1)->setCurrentIndex(target);
        rig.syncAll()->setChecked(all);
        rig.frame->fixOrSync(1);
        QCOMPARE(rig.log, log);
        QVERIFY(rig.fb.scripted.boxes.isEmpty()); // no confirmation for a sync
        QCOMPARE(rig.busyCalls(), (QStringList{QStringLiteral("busy:1:") + busy, QStringLiteral("busy:0:")}));
    }

    void exportDecidedBeforeImportRuns()
    {
        Rig rig;
        rig.combo(1)->setCurrentIndex(1);
        rig.syncAll()->setChecked(false);
        // The controls stay usable while the import runs.
        rig.shell.action = [&rig](const QString &line) {
            rig.log << line;
            rig.combo(1)->setCurrentIndex(2);
        };
        rig.frame->fixOrSync(1);
        QCOMPARE(rig.shell.lines,
                 (QStringList{importLine, QStringLiteral("multitool syncreplica -export -fship r1@\\proj")}));
    }

    void errorStopsBeforeRefresh()
    {
        Rig rig;
        rig.shell.action = [&rig](const QString &line) {
            rig.log << line;
            throw ClearCaseError(QStringLiteral("multitool: Error: cannot start"));
        };
        rig.frame->fixOrSync(1);
        QCOMPARE(rig.log, QStringList{importLine});
        QCOMPARE(rig.fb.scripted.boxes.size(), 1);
        QCOMPARE(rig.fb.scripted.boxes[0].prompt,
                 QStringLiteral("ERROR::multitool: Error: cannot start\r\nReport Bug to bugs@belmora.example"));
        QCOMPARE(rig.fb.scripted.boxes[0].title, QStringLiteral("ERROR..."));
        QCOMPARE(rig.fb.scripted.boxes[0].icon, MsgIcon::Exclamation);
        QCOMPARE(rig.busyCalls(),
                 (QStringList{QStringLiteral("busy:1:Synchronizing all replicas"), QStringLiteral("busy:0:")}));
        QVERIFY(!rig.guard.running());
    }

    void ignoredWhileLongActionRuns()
    {
        Rig rig;
        {
            const auto other = rig.guard.tryEnter();
            QVERIFY(other.has_value());
            rig.frame->fixOrSync(1);
            QVERIFY(rig.log.isEmpty());
            QVERIFY(rig.fb.calls.isEmpty());
        }
        rig.frame->fixOrSync(1);
        QCOMPARE(rig.shell.lines.size(), 2);
    }

    void clickDuringProcessIsIgnored()
    {
        Rig rig;
        rig.shell.action = [&rig](const QString &line) {
            rig.log << line;
            QTest::mouseClick(rig.image(1), Qt::LeftButton); // pumped click while waiting
        };
        rig.frame->fixOrSync(1);
        QCOMPARE(rig.shell.lines.size(), 2);
        QCOMPARE(rig.busyCalls().size(), 2);
    }

    void picturesClickAndLabelsDoubleClick()
    {
        Rig rig;
        QTest::mouseClick(rig.image(1), Qt::LeftButton);
        QCOMPARE(rig.shell.lines.size(), 2);
        QTest::mouseClick(rig.label(1), Qt::LeftButton);
        QCOMPARE(rig.shell.lines.size(), 2);
        QTest::mouseDClick(rig.label(1), Qt::LeftButton);
        QCOMPARE(rig.shell.lines.size(), 4);
        // A double click on the picture is one action, not two.
        QTest::mousePress(rig.image(1), Qt::LeftButton);
        QTest::mouseRelease(rig.image(1), Qt::LeftButton);
        QTest::mouseDClick(rig.image(1), Qt::LeftButton);
        QCOMPARE(rig.shell.lines.size(), 6);

        rig.combo(0)->setCurrentIndex(1);
        QTest::mouseClick(rig.image(0), Qt::LeftButton);
        QCOMPARE(rig.shell.lines.last(), QStringLiteral("multitool chepoch -actual r1@\\proj"));
        QTest::mouseDClick(rig.label(0), Qt::LeftButton);
        QCOMPARE(rig.fb.scripted.boxes.size(), 2);
    }

    void optionsShowEpochTextOnlyForSpecify()
    {
        Rig rig;
        rig.option(1)->click();
        QVERIFY(!rig.epochTxt()->isHidden());
        rig.epochTxt()->setText(QStringLiteral("17"));
        rig.option(0)->click();
        QVERIFY(rig.epochTxt()->isHidden());
        rig.option(1)->click();
        QCOMPARE(rig.epochTxt()->text(), QStringLiteral("17"));
        rig.option(2)->click();
        QVERIFY(rig.epochTxt()->isHidden());
        QVERIFY(rig.option(2)->isChecked() && !rig.option(0)->isChecked() && !rig.option(1)->isChecked());
    }

    void allReplicasHidesExportCombo()
    {
        Rig rig;
        rig.syncAll()->click();
        QVERIFY(!rig.combo(1)->isHidden());
        rig.combo(1)->setCurrentIndex(2);
        rig.syncAll()->click();
        QVERIFY(rig.combo(1)->isHidden());
        rig.syncAll()->click();
        QVERIFY(!rig.combo(1)->isHidden());
        QCOMPARE(rig.combo(1)->currentText(), QStringLiteral("r2"));
    }

    void hoverColours()
    {
        Rig rig;
        const QColor blue(0, 0, 255);
        const QColor black(0, 0, 0);
        moveOver(rig.label(0), QPoint(2, 2));
        QCOMPARE(textColour(rig.label(0)), blue);
        QCOMPARE(textColour(rig.label(1)), black);
        moveOver(rig.label(1), QPoint(2, 2));
        QCOMPARE(textColour(rig.label(1)), blue);

        // Over another control: not the free area, both stay blue.
        moveOver(rig.syncAll(), QPoint(2, 2));
        moveOver(rig.combo(0), QPoint(2, 2));
        QCOMPARE(textColour(rig.label(0)), blue);
        QCOMPARE(textColour(rig.label(1)), blue);

        const QPoint free = freeArea(*rig.frame);
        QVERIFY(!free.isNull());
        moveOver(rig.frame.get(), free);
        QCOMPARE(textColour(rig.label(0)), black);
        QCOMPARE(textColour(rig.label(1)), black);
    }
};

QTEST_MAIN(TestFixFrame)
#include "tst_fixframe.moc"
