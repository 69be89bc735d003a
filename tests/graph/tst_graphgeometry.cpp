#include "graph/Mastership.h"
#include "graph/SiteLayout.h"

#include <QTest>

#include <limits>

using namespace quorvane;
using namespace Qt::StringLiterals;

// Colours, places and mastership of the graph, computed without widgets.
class TestGraphGeometry : public QObject {
    Q_OBJECT
private slots:
    // Sites made in one run take colours from a five-colour cycle, however many there are.
    void coloursCycleWithoutOverflow()
    {
        const qint32 top = std::numeric_limits<qint32>::max();
        QCOMPARE(assignColor(5), assignColor(0));
        QCOMPARE(assignColor(32768), rgbColor(0, 128, 128));
        QCOMPARE(assignColor(top), rgbColor(0, 128, 0));
        QCOMPARE(assignColor(-1), rgbColor(128, 0, 0));
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
        QTest::newRow("gamma") << 3 << 450 << QPoint(2200, 200);
        QTest::newRow("seventh starts row 1") << 7 << 450 << QPoint(300, 1200);
        QTest::newRow("36th, last place") << 36 << 450 << QPoint(5050, 5200);
        QTest::newRow("37th over the first") << 37 << 450 << QPoint(300, 200);
        QTest::newRow("43rd over the seventh") << 43 << 450 << QPoint(300, 1200);
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

    // Sites "name:master" in a row of icons; markers "-" for none; lines
    // "master>mastered" by site position.
    void mastership_data()
    {
        QTest::addColumn<QStringList>("sites");
        QTest::addColumn<int>("icons");
        QTest::addColumn<QStringList>("markers");
        QTest::addColumn<QStringList>("lines");
        QTest::newRow("one master of all")
            << QStringList{u"alpha:alpha@/vobs/dev"_s, u"beta:alpha@/vobs/dev"_s, u"gamma:alpha@/vobs/dev"_s} << 3
            << QStringList{u",beta,gamma"_s, u"-"_s, u"-"_s} << QStringList{u"1>1"_s, u"1>2"_s, u"1>3"_s};
        QTest::newRow("two masters")
            << QStringList{u"alpha:alpha@/v"_s, u"beta:alpha@/v"_s, u"gamma:gamma@/v"_s, u"delta:gamma@/v"_s} << 4
            << QStringList{u",beta"_s, u"-"_s, u",delta"_s, u"-"_s}
            << QStringList{u"1>1"_s, u"1>2"_s, u"3>3"_s, u"3>4"_s};
        QTest::newRow("self-mastered, site1 and site10")
            << QStringList{u"site1:site1@/v"_s, u"site10:site10@/v"_s} << 2 << QStringList{QString(), QString()}
            << QStringList{u"1>1"_s, u"2>2"_s};
        QTest::newRow("Windows tag; a name inside another is no master")
            << QStringList{u"hub:boston_hub@/v"_s, u"boston_hub:boston_hub@\\dev"_s} << 2
            << QStringList{u"-"_s, u",hub"_s} << QStringList{u"2>1"_s, u"2>2"_s};
        QTest::newRow("master outside the list, letter case differs")
            << QStringList{u"alpha:omega@/v"_s, u"beta:Alpha@/v"_s, u"gamma:"_s} << 3
            << QStringList{u"-"_s, u"-"_s, u"-"_s} << QStringList{};
        QTest::newRow("sites without icons left out")
            << QStringList{u"alpha:alpha@/v"_s, u"beta:alpha@/v"_s} << 1 << QStringList{QString()}
            << QStringList{u"1>1"_s};
    }
    void mastership()
    {
        QFETCH(QStringList, sites);
        QFETCH(int, icons);
        QFETCH(QStringList, markers);
        QFETCH(QStringList, lines);
        QList<mSite> records;
        for (const QString &spec : sites) {
            records.append(mSite{});
            records.last().replicaName = spec.section(u':', 0, 0);
            records.last().master = spec.section(u':', 1);
            records.last().lineColor = OleColor(0x100 * records.size());
        }
        QList<QRect> rects;
        for (const QPoint &p : SiteLayout::placeSites(icons, 450))
            rects << QRect(p, QSize(450, 495));
        const MastershipPicture pic = computeMastership(records, rects);
        QStringList gotMarkers, gotLines;
        for (const auto &m : pic.markers)
            gotMarkers << m.value_or(u"-"_s);
        QCOMPARE(gotMarkers, markers);
        for (const SiteLine &l : pic.lines) {
            gotLines << u"%1>%2"_s.arg(l.master).arg(l.mastered);
            QCOMPARE(l.color, records[l.master - 1].lineColor);
            QCOMPARE(l.line, QLineF(QRectF(rects[l.master - 1]).center(), QRectF(rects[l.mastered - 1]).center()));
        }
        QCOMPARE(gotLines, lines);
    }
};

QTEST_GUILESS_MAIN(TestGraphGeometry)
#include "tst_graphgeometry.moc"
