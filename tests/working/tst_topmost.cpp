#include "ui/Topmost.h"

#include <QTest>
#include <QWidget>

using namespace quorvane;

class TestTopmost : public QObject {
    Q_OBJECT
private slots:
    void keepsPlaceSizeAndVisibility_data()
    {
        QTest::addColumn<bool>("shown");
        QTest::addColumn<bool>("startOnTop");
        QTest::addColumn<bool>("on");
        QTest::newRow("visible, on") << true << false << true;
        QTest::newRow("visible, off") << true << true << false;
        QTest::newRow("hidden stays hidden") << false << false << true;
    }
    void keepsPlaceSizeAndVisibility()
    {
        QFETCH(bool, shown);
        QFETCH(bool, startOnTop);
        QFETCH(bool, on);
        QWidget other;
        QWidget w;
        w.setWindowFlag(Qt::WindowStaysOnTopHint, startOnTop);
        w.setGeometry(130, 140, 250, 90);
        if (shown) {
            w.show();
            QVERIFY(QTest::qWaitForWindowExposed(&w));
            other.show();
            other.activateWindow();
            QVERIFY(QTest::qWaitForWindowActive(&other));
        }
        const QRect geometry = w.geometry();
        setTopmost(&w, on);
        QCOMPARE(w.windowFlags().testFlag(Qt::WindowStaysOnTopHint), on);
        QCOMPARE(w.isVisible(), shown);
        QCOMPARE(w.geometry(), geometry);
        if (shown)
            QVERIFY(QTest::qWaitForWindowActive(&w));
    }

    void childWidgetActsOnItsWindow()
    {
        QWidget w;
        auto *child = new QWidget(&w);
        setTopmost(child, true);
        QVERIFY(w.windowFlags().testFlag(Qt::WindowStaysOnTopHint));
        QVERIFY(!child->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
        setTopmost(nullptr, true); // nothing to do, no crash
    }
};

QTEST_MAIN(TestTopmost)
#include "tst_topmost.moc"
