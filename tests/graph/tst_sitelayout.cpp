#include "graph/SiteLayout.h"

#include <QTest>

#include <limits>

using namespace quorvane;

class TestSiteLayout : public QObject {
    Q_OBJECT
private slots:
    void colourTable_data()
    {
        QTest::addColumn<qint64>("number");
        QTest::addColumn<quint32>("colour");
        QTest::newRow("0 black") << qint64(0) << quint32(0x000000);
        QTest::newRow("1 blue") << qint64(1) << quint32(0x800000);
        QTest::newRow("2 green") << qint64(2) << quint32(0x008000);
        QTest::newRow("3 cyan") << qint64(3) << quint32(0x808000);
        QTest::newRow("4 red") << qint64(4) << quint32(0x000080);
        QTest::newRow("6 blue again") << qint64(6) << quint32(0x800000);
        QTest::newRow("beyond 16 bits") << qint64(32768) << quint32(0x808000);
        QTest::newRow("top of 32 bits") << qint64(std::numeric_limits<qint32>::max()) << quint32(0x008000);
        QTest::newRow("negative") << qint64(-1) << quint32(0x000080);
    }
    void colourTable()
    {
        QFETCH(qint64, number);
        QFETCH(quint32, colour);
        QCOMPARE(assignColor(number), colour);
    }

    void siteCountNeverOverflowsAndKeepsTheColourCycle()
    {
        QCOMPARE(nextSiteCount(0), 1);
        QCOMPARE(nextSiteCount(32767), 32768);
        const qint32 top = std::numeric_limits<qint32>::max();
        const qint32 after = nextSiteCount(top);
        QVERIFY(after > 0);
        QCOMPARE(assignColor(after), assignColor(qint64(top) + 1));
        QCOMPARE(assignColor(nextSiteCount(after)), assignColor(qint64(top) + 2));
    }

    void placement_data()
    {
        QTest::addColumn<int>("site");
        QTest::addColumn<int>("columnWidth");
        QTest::addColumn<QPoint>("topLeft");
        QTest::newRow("alpha") << 1 << 450 << QPoint(300, 200);
        QTest::newRow("beta") << 2 << 450 << QPoint(1250, 200);
        QTest::newRow("gamma") << 3 << 450 << QPoint(2200, 200);
        QTest::newRow("sixth, last column") << 6 << 450 << QPoint(5050, 200);
        QTest::newRow("seventh starts row 1") << 7 << 450 << QPoint(300, 1200);
        QTest::newRow("36th, last place") << 36 << 450 << QPoint(5050, 5200);
        QTest::newRow("37th over the first") << 37 << 450 << QPoint(300, 200);
        QTest::newRow("43rd over the seventh") << 43 << 450 << QPoint(300, 1200);
        QTest::newRow("73rd wraps twice") << 73 << 450 << QPoint(300, 200);
        QTest::newRow("wider template column") << 2 << 480 << QPoint(1280, 200);
    }
    void placement()
    {
        QFETCH(int, site);
        QFETCH(int, columnWidth);
        QFETCH(QPoint, topLeft);
        const QList<QPoint> places = SiteLayout::placeSites(site, columnWidth);
        QCOMPARE(places.size(), site);
        QCOMPARE(places.last(), topLeft);
    }

    void companions_data()
    {
        QTest::addColumn<QRect>("icon");
        QTest::addColumn<QPoint>("label");
        QTest::addColumn<QPoint>("marker");
        QTest::newRow("alpha") << QRect(300, 200, 450, 495) << QPoint(300, 705) << QPoint(755, 220);
        QTest::newRow("beta") << QRect(1250, 200, 450, 495) << QPoint(1250, 705) << QPoint(1705, 220);
        QTest::newRow("highlighted") << QRect(300, 200, 480, 495) << QPoint(300, 705) << QPoint(785, 220);
        QTest::newRow("dragged off the left") << QRect(-200, -60, 450, 495) << QPoint(-200, 445)
                                              << QPoint(255, -40);
    }
    void companions()
    {
        QFETCH(QRect, icon);
        QFETCH(QPoint, label);
        QFETCH(QPoint, marker);
        QCOMPARE(SiteLayout::labelPos(icon), label);
        QCOMPARE(SiteLayout::markerPos(icon), marker);
    }

    void labelWidths_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("width");
        QTest::newRow("alpha") << QStringLiteral("alpha") << 400;
        QTest::newRow("beta") << QStringLiteral("beta") << 320;
        QTest::newRow("12 characters") << QStringLiteral("boston_hub_1") << 960;
    }
    void labelWidths()
    {
        QFETCH(QString, name);
        QFETCH(int, width);
        QCOMPARE(SiteLayout::labelWidth(name), width);
    }
};

QTEST_GUILESS_MAIN(TestSiteLayout)
#include "tst_sitelayout.moc"
