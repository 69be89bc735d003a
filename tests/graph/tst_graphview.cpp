#include "graph/GraphView.h"
#include "graph/SiteLayout.h"
#include "support/FakeFeedback.h"
#include "ui/QtColors.h"
#include "common/Twips.h"
#include "ui/TwipsGeometry.h"

#include <QComboBox>
#include <QLabel>
#include <QSignalSpy>
#include <QTest>

using namespace quorvane;
using namespace Qt::StringLiterals;

namespace {

// lsreplica's fields for "name:master" sites: name, "d", "h" and master per replica, then an empty one.
QStringList fieldsOf(const QStringList &sites)
{
    QStringList fields;
    for (const QString &site : sites)
        fields << site.section(u':', 0, 0) << u"d"_s << u"h"_s << site.section(u':', 1);
    return fields << QString();
}

// The darkest pixel between the first two icons, around their centres' height.
QColor inkBetweenFirstIcons(GraphView *view)
{
    const QImage shot = view->grab().toImage();
    QColor darkest(Qt::white);
    for (int y = Twips::toPx(447) - 4; y <= Twips::toPx(447) + 4; ++y)
        if (const QColor c = shot.pixelColor(Twips::toPx(1100), y); c.lightness() < darkest.lightness())
            darkest = c;
    return darkest;
}

const QStringList alphaMastersAll{u"alpha:alpha@/vobs/dev"_s, u"beta:alpha@/vobs/dev"_s,
                                  u"gamma:alpha@/vobs/dev"_s};

struct Fixture {
    test::FakeFeedback feedback;
    QWidget page;
    GraphView *view = new GraphView(feedback, &page);

    explicit Fixture(const QStringList &sites = {})
    {
        page.resize(500, 450);
        page.show();
        QVERIFY(QTest::qWaitForWindowExposed(&page)); // repaints need a window on screen
        if (!sites.isEmpty())
            load(fieldsOf(sites));
    }
    void load(const QStringList &fields) { view->setSitesData(fields, 4, int(fields.size()) - 1); }
};

} // namespace

class TestGraphView : public QObject {
    Q_OBJECT
    static QRect twips(const QWidget *w)
    {
        return {twipsLeft(w), twipsTop(w), twipsWidth(w), twipsHeight(w)};
    }
    static QPointF centre(const QWidget *w) { return QRectF(twips(w)).center(); }

private slots:
    void alphaBetaGamma()
    {
        Fixture f({u"alpha:alpha@/v"_s, u"beta:alpha@/v"_s, u"gamma:beta@/v"_s});
        const QList<mSite> &sites = f.view->allSites();
        QCOMPARE(QList<int>({f.view->GCount(), sites[1].id}), QList<int>({3, 2}));
        QVERIFY(f.view->siteImage(0)->isHidden() && !f.view->siteImage(4)); // template hidden, no 4th site
        const int lefts[] = {300, 1250, 2200};
        const int widths[] = {400, 320, 400}; // 80 twips per character
        for (int k = 1; k <= 3; ++k) {
            QLabel *icon = f.view->siteImage(k);
            QVERIFY(icon->isVisible());
            QCOMPARE(twips(icon), QRect(lefts[k - 1], 200, 450, 495));
            QCOMPARE(f.view->siteLabel(k)->text(), sites[k - 1].replicaName);
            QCOMPARE(twips(f.view->siteLabel(k)), QRect(lefts[k - 1], 705, widths[k - 1], 255));
            QLabel *marker = f.view->siteMasterLabel(k);
            QVERIFY(marker->isHidden()); // until the lines are drawn
            QCOMPARE(twips(marker).topLeft(), QPoint(lefts[k - 1] + 455, 220));
            QCOMPARE(marker->palette().color(QPalette::Window), toQColor(sites[k - 1].lineColor));
        }
    }

    // The replica lists: a name already listed in any letter case joins none;
    // this site's own replica stays out of the fix lists.
    void replicaLists()
    {
        const ReplicaListEntries entries = replicaListEntries(
            {u"boston"_s, u"Boston"_s, u"paris"_s, u"BOSTONX"_s}, u"boston"_s, {u"<select_replica>"_s});
        QCOMPARE(entries.replicaCombo, QStringList({u"boston"_s, u"paris"_s, u"BOSTONX"_s}));
        QCOMPARE(entries.fixCombos, QStringList({u"paris"_s, u"BOSTONX"_s}));
    }

    void repaintDrawsLinesAndMarkers()
    {
        Fixture f(alphaMastersAll);
        QVERIFY(f.view->lastLines().isEmpty()); // the load itself draws nothing
        f.view->repaint();
        const QList<SiteLine> &lines = f.view->lastLines();
        QCOMPARE(lines.size(), 3);
        for (const SiteLine &l : lines) {
            QCOMPARE(l.color, f.view->site(1).lineColor);
            QCOMPARE(l.line.p1(), centre(f.view->siteImage(1)));
        }
        QCOMPARE(lines[2].line.p2(), centre(f.view->siteImage(3)));
        QVERIFY(f.view->siteMasterLabel(1)->isVisible());
        QCOMPARE(f.view->siteMasterLabel(1)->toolTip(), u"Master of replicas: ,beta,gamma"_s);
        QVERIFY(f.view->siteMasterLabel(2)->isHidden() && f.view->siteMasterLabel(3)->isHidden());
        const QColor ink = inkBetweenFirstIcons(f.view); // alpha's blue between alpha and beta
        QVERIFY2(ink.blue() > 100 && ink.red() < 60 && ink.green() < 60, qPrintable(ink.name()));
        QTest::mouseDClick(f.view->siteMasterLabel(1), Qt::LeftButton);
        QCOMPARE(f.feedback.scripted.boxes.value(0).prompt, u"alpha is master of: \r\n\r\nbeta\r\ngamma"_s);
        // Cleared, nothing is drawn; a second load places its sites afresh
        // (their numbers and colours: tst_epochmatrixmodel's siteRecords).
        f.view->clearAllSites();
        f.view->unloadSiteControls();
        f.view->repaint();
        QVERIFY(f.view->lastLines().isEmpty() && !f.view->siteImage(1));
        QCOMPARE(inkBetweenFirstIcons(f.view), QColor(Qt::white));
        f.load(fieldsOf(alphaMastersAll));
        QCOMPARE(QList<int>({f.view->allSites()[0].id, f.view->GCount()}), QList<int>({4, 6}));
        QCOMPARE(twips(f.view->siteImage(1)).topLeft(), QPoint(300, 200));
        // A field before any replica name is reported, the hourglass put off.
        f.load({QString(), u"d"_s, u"h"_s, u"m"_s, QString()});
        QCOMPARE(f.feedback.scripted.boxes.size(), 2);
        QCOMPARE(f.feedback.calls.last(), u"hourglass:0"_s);
    }

    void doubleClickAsksForTheSiteDetailAndHighlightMoves()
    {
        Fixture f(alphaMastersAll);
        QSignalSpy spy(f.view, &GraphView::siteDoubleClicked);
        QTest::mouseDClick(f.view->siteImage(3), Qt::LeftButton);
        QCOMPARE(spy, QList<QVariantList>{{3}});
        QVERIFY(!f.view->GSiteMouseDownFlag());
        QCOMPARE(twips(f.view->siteImage(3)).topLeft(), QPoint(2200, 200));

        f.view->highlightSite(2);
        f.view->highlightSite(1);
        for (int k = 1; k <= 3; ++k) {
            const bool lit = k == 1;
            QCOMPARE(twips(f.view->siteImage(k)).size(), QSize(lit ? 480 : 450, 495));
            QCOMPARE(f.view->siteImage(k)->pixmap().deviceIndependentSize(), QSizeF(lit ? 32 : 30, 33));
            QCOMPARE(f.view->siteLabel(k)->autoFillBackground(), lit);
        }
        QCOMPARE(f.view->siteLabel(1)->palette().color(QPalette::WindowText), QColor(Qt::white));
        f.view->repaint(); // lines start at the centre of the wider icon
        QCOMPARE(f.view->lastLines().first().line.p1(), QPointF(300 + 240, 200 + 247.5));
        QVERIFY_THROWS_EXCEPTION(QuorvaneError, f.view->highlightSite(4));
        QVERIFY_THROWS_EXCEPTION(QuorvaneError, (void)f.view->site(0));
    }

    // 80 twips a character, in 64 bits: a name long enough to overflow that
    // in 32 bits gets the widest label instead of a negative width.
    void labelWidthClamped()
    {
        QCOMPARE(SiteLayout::labelWidth(QString(Twips::maxTextWidth / 80 + 1, u'a')), Twips::maxTextWidth);
        QCOMPARE(SiteLayout::labelWidth(QString(27'000'000, u'a')), Twips::maxTextWidth);
    }

    void placement_data()
    {
        QTest::addColumn<int>("site");
        QTest::addColumn<int>("columnWidth");
        QTest::addColumn<QPoint>("topLeft");
        QTest::newRow("seventh starts row 1") << 7 << 450 << QPoint(300, 1200);
        QTest::newRow("36th, last place") << 36 << 450 << QPoint(5050, 5200);
        QTest::newRow("37th starts a seventh row, never over the first") << 37 << 450 << QPoint(300, 6200);
        QTest::newRow("wider template column") << 2 << 480 << QPoint(1280, 200);
    }
    void placement()
    {
        QFETCH(int, site);
        QFETCH(int, columnWidth);
        const QList<QPoint> places = SiteLayout::placeSites(site, columnWidth);
        QCOMPARE(places.size(), site);
        QTEST(places.last(), "topLeft");
    }

    // Forty replicas (their places: placement): the picture grows until
    // every site (icon, name and marker) lies inside it, so that a scroll
    // area round it reaches them all.
    void fortySitesAllInside()
    {
        QStringList sites;
        for (int k = 1; k <= 40; ++k)
            sites << u"site%1:site1@/v"_s.arg(k);
        Fixture f(sites);
        const QRect picture(QPoint(0, 0), f.view->minimumSize().expandedTo(f.view->size()));
        for (int k = 1; k <= 40; ++k) {
            for (const QLabel *w : {f.view->siteImage(k), f.view->siteLabel(k), f.view->siteMasterLabel(k)})
                QVERIFY2(picture.contains(w->geometry()), qPrintable(w->objectName()));
        }
        QVERIFY(f.view->minimumHeight() > f.view->sizeHint().height());
    }

    // Sites "name:master"; markers "-" for none; lines "master>mastered" by site position.
    void mastership_data()
    {
        QTest::addColumn<QStringList>("sites");
        QTest::addColumn<QStringList>("markers");
        QTest::addColumn<QStringList>("lines");
        QTest::newRow("two masters") << QStringList{u"alpha:alpha@/v"_s, u"beta:alpha@/v"_s,
                                                    u"gamma:gamma@/v"_s, u"delta:gamma@/v"_s}
                                     << QStringList{u",beta"_s, u"-"_s, u",delta"_s, u"-"_s}
                                     << QStringList{u"1>1"_s, u"1>2"_s, u"3>3"_s, u"3>4"_s};
        QTest::newRow("self-mastered, site1 and site10")
            << QStringList{u"site1:site1@/v"_s, u"site10:site10@/v"_s} << QStringList{QString(), QString()}
            << QStringList{u"1>1"_s, u"2>2"_s};
        QTest::newRow("Windows tag; a name inside another is no master")
            << QStringList{u"hub:boston_hub@/v"_s, u"boston_hub:boston_hub@\\dev"_s}
            << QStringList{u"-"_s, u",hub"_s} << QStringList{u"2>1"_s, u"2>2"_s};
    }
    void mastership()
    {
        QFETCH(QStringList, sites);
        QFETCH(QStringList, markers);
        QFETCH(QStringList, lines);
        QList<mSite> records;
        for (const QString &site : sites) {
            records.append(mSite{});
            records.last().replicaName = site.section(u':', 0, 0);
            records.last().master = site.section(u':', 1);
            records.last().lineColor = OleColor(0x100 * records.size());
        }
        QList<QRect> rects;
        for (const QPoint &p : SiteLayout::placeSites(int(sites.size()), 450))
            rects << QRect(p, QSize(450, 495));
        const MastershipPicture pic = computeMastership(records, rects);
        QStringList gotMarkers, gotLines;
        for (const auto &m : pic.markers)
            gotMarkers << m.value_or(u"-"_s);
        QCOMPARE(gotMarkers, markers);
        for (const SiteLine &l : pic.lines) {
            gotLines << u"%1>%2"_s.arg(l.master).arg(l.mastered);
            QCOMPARE(l.color, records[l.master - 1].lineColor);
            QCOMPARE(l.line,
                     QLineF(QRectF(rects[l.master - 1]).center(), QRectF(rects[l.mastered - 1]).center()));
        }
        QCOMPARE(gotLines, lines);
    }
};

QTEST_MAIN(TestGraphView)
#include "tst_graphview.moc"
