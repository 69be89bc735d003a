#include "ui/EventPump.h"
#include "ui/InputGate.h"

#include <QDialog>
#include <QPainter>
#include <QPushButton>
#include <QTest>
#include <QThread>
#include <QTimer>
#include <QWidget>

#include <memory>

using namespace quorvane;
using namespace Qt::StringLiterals;

namespace {

// Counts its paintings and remembers which value the last one showed.
class Canvas final : public QWidget {
public:
    int value = 0;
    int painted = -1;
    int paints = 0;

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter(this).drawText(rect(), QString::number(value));
        painted = value;
        ++paints;
    }
};

} // namespace

// The one pump of long actions, the pacing of a window's drawing, and the
// gate that keeps input to one window while a command is waited for.
class TestEventPump : public QObject {
    Q_OBJECT
private slots:
    // A handler that pumps again (the progress tick inside the per-VOB
    // pump) returns at once, handling nothing, not even a timer that is
    // due: what is queued after it runs after it, once.
    void pumpDoesNotNest()
    {
        QStringList order;
        QTimer due;
        due.setSingleShot(true);
        connect(&due, &QTimer::timeout, this, [&] { order << u"timer"_s; });
        QMetaObject::invokeMethod(
            this,
            [&] {
                order << u"tick"_s;
                QVERIFY(EventPump::running());
                due.start(0);
                QThread::msleep(5);
                EventPump::run();
                order << u"tick done"_s;
            },
            Qt::QueuedConnection);
        QMetaObject::invokeMethod(this, [&] { order << u"next"_s; }, Qt::QueuedConnection);
        QVERIFY(!EventPump::running());
        EventPump::run();
        QVERIFY(!EventPump::running());
        QCoreApplication::processEvents();
        // When the timer fires after the tick is the platform's business.
        QTRY_VERIFY(order.contains(u"timer"_s));
        QVERIFY2(order.indexOf(u"timer"_s) > order.indexOf(u"tick done"_s), qPrintable(order.join(u", "_s)));
        order.removeAll(u"timer"_s);
        QCOMPARE(order, (QStringList{u"tick"_s, u"tick done"_s, u"next"_s}));
    }

    // Idle, nothing is held and every change is drawn. Active, a window
    // changed and pumped hundreds of times is drawn about once a frame; a
    // window not paced is drawn for each change, which shows that the
    // pacing is what differs. The end of the action lets what is held
    // through at once rather than at the next frame. A window closed for
    // good while a drawing is held back is forgotten.
    void drawingPacedToFrames()
    {
        Canvas paced, free;
        for (Canvas *c : {&paced, &free}) {
            c->resize(120, 40);
            c->show();
            QVERIFY(QTest::qWaitForWindowExposed(c));
        }
        FramePacer pacer;
        pacer.watch(&paced);
        pacer.watch(&paced); // once is enough
        const auto change = [&](int value) {
            for (Canvas *c : {&paced, &free}) {
                c->value = value;
                c->update();
            }
            EventPump::run();
        };
        for (int i = 1; i <= 20; ++i)
            change(i);
        QCOMPARE(pacer.held(), 0);
        QCOMPARE(paced.painted, 20);
        pacer.setActive(true);
        const int pacedBefore = paced.paints, freeBefore = free.paints;
        QElapsedTimer t;
        t.start();
        constexpr int changes = 300;
        for (int i = 1; i <= changes; ++i) {
            change(i);
            QThread::usleep(100);
        }
        const qint64 elapsed = t.elapsed();
        const int pacedPaints = paced.paints - pacedBefore;
        QVERIFY2(pacedPaints <= elapsed / FramePacer::FrameMs + 2,
                 qPrintable(u"%1 paintings in %2 ms"_s.arg(pacedPaints).arg(elapsed)));
        QVERIFY2(free.paints - freeBefore >= changes / 2, qPrintable(QString::number(free.paints - freeBefore)));
        QVERIFY(pacer.held() > 0);
        // Held now, unless the machine was slow enough for a frame to pass.
        change(changes + 1);
        pacer.setActive(false);
        EventPump::run();
        QCoreApplication::processEvents();
        QCOMPARE(paced.painted, changes + 1);

        pacer.setActive(true);
        auto gone = std::make_unique<Canvas>();
        gone->show();
        QVERIFY(QTest::qWaitForWindowExposed(gone.get()));
        pacer.watch(gone.get());
        for (int i = 0; i < 3; ++i) {
            gone->update();
            change(i);
        }
        gone.reset();
        QTest::qWait(3 * FramePacer::FrameMs);
        change(changes + 2);
        QTRY_COMPARE(paced.painted, changes + 2);
    }

    // Open, the gate lets clicks and keys reach its window and a modal box
    // opened meanwhile, nothing else; closed, everything again.
    void inputGate_data()
    {
        QTest::addColumn<QString>("target");
        QTest::addColumn<bool>("open");
        QTest::addColumn<bool>("reached");
        QTest::newRow("its window") << u"gate"_s << true << true;
        QTest::newRow("another window") << u"other"_s << true << false;
        QTest::newRow("a modal box") << u"modal"_s << true << true;
        QTest::newRow("closed") << u"other"_s << false << true;
    }
    void inputGate()
    {
        QFETCH(QString, target);
        QFETCH(bool, open);
        QDialog gateWindow, other, modal;
        modal.setWindowModality(Qt::ApplicationModal);
        QDialog *to = target == u"gate"_s ? &gateWindow : target == u"other"_s ? &other : &modal;
        int clicks = 0, keys = 0;
        auto *button = new QPushButton(u"x"_s, to);
        connect(button, &QPushButton::clicked, this, [&clicks] { ++clicks; });
        connect(to, &QDialog::rejected, this, [&keys] { ++keys; });
        InputGate gate;
        gate.openOnlyTo(&gateWindow);
        if (!open)
            gate.openOnlyTo(nullptr);
        gateWindow.show();
        other.show();
        to->show();
        QVERIFY(QTest::qWaitForWindowExposed(to));
        QTest::mouseClick(button, Qt::LeftButton);
        QTest::keyClick(to, Qt::Key_Escape);
        QFETCH(bool, reached);
        QCOMPARE(clicks, int(reached));
        QCOMPARE(keys, int(reached));
    }
};

QTEST_MAIN(TestEventPump)
#include "tst_eventpump.moc"
