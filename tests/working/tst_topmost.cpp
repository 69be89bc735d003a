#include "ui/Topmost.h"

#include <QTest>
#include <QWidget>

using namespace quorvane;

class TestTopmost : public QObject {
    Q_OBJECT
private slots:
    void visibleWindowKeepsPlaceAndSize_data()
    {
        QTest::addColumn<bool>("startOnTop");
        QTest::addColumn<bool>("on");
        QTest::newRow("on") << false << true;
        QTest::newRow("off") << true << false;
        QTest::newRow("on again") << true << true;
    }
    void visibleWindowKeepsPlaceAndSize()
    {
        QFETCH(bool, startOnTop);
        QFETCH(bool, on);
        QWidget other;
        QWidget w;
        w.setWindowFlag(Qt::WindowStaysOnTopHint, startOnTop);
        w.setGeometry(130, 140, 250, 90);
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        other.show();
        other.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&other));
        const QRect geometry = w.geometry();

        setTopmost(&w, on);
        QCOMPARE(w.windowFlags().testFlag(Qt::WindowStaysOnTopHint), on);
        QVERIFY(w.isVisible());
        QCOMPARE(w.geometry(), geometry);
        QVERIFY(QTest::qWaitForWindowActive(&w));
    }

    void hiddenWindowStaysHidden()
    {
        QWidget w;
        w.resize(120, 60);
        setTopmost(&w, true);
        QVERIFY(w.windowFlags().testFlag(Qt::WindowStaysOnTopHint));
        QVERIFY(!w.isVisible());
        QCOMPARE(w.size(), QSize(120, 60));
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        QVERIFY(w.windowFlags().testFlag(Qt::WindowStaysOnTopHint));
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
