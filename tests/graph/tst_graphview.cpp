#include "graph/GraphView.h"
#include "graph/SiteLayout.h"
#include "support/FakeFeedback.h"
#include "ui/QtColors.h"
#include "ui/Twips.h"
#include "ui/TwipsGeometry.h"

#include <QComboBox>
#include <QLabel>
#include <QSignalSpy>
#include <QTest>
#include <limits>
#include <memory>

using namespace quorvane;
using namespace Qt::StringLiterals;

namespace {

// lsreplica's fields for "name:master" specs: name, date "d", host "h" and
// master per replica, one empty field at the end.
QStringList fieldsOf(const QStringList &specs)
{
    QStringList fields;
    for (const QString &spec : specs)
        fields << spec.section(u':', 0, 0) << u"d"_s << u"h"_s << spec.section(u':', 1);
    return fields << QString();
}

// The darkest pixel between the first two icons, around their centres' height.
QColor inkBetweenFirstIcons(GraphView *view)
{
    const QImage shot = view->grab().toImage();
    const int dpr = int(shot.devicePixelRatio());
    QColor darkest(Qt::white);
    for (int y = Twips::toPx(447) - 4; y <= Twips::toPx(447) + 4; ++y)
        if (const QColor c = shot.pixelColor(Twips::toPx(1100) * dpr, y * dpr);
            c.lightness() < darkest.lightness())
            darkest = c;
    return darkest;
}

const QStringList alphaMastersAll{u"alpha:alpha@/vobs/dev"_s, u"beta:alpha@/vobs/dev"_s,
                                  u"gamma:alpha@/vobs/dev"_s};

// The picture on a page with the three replica lists of the "Detail" page.
struct Fixture {
    test::FakeFeedback feedback;
    std::unique_ptr<QWidget> page = std::make_unique<QWidget>();
    QComboBox *combos[3] = {new QComboBox(page.get()), new QComboBox(page.get()), new QComboBox(page.get())};
    GraphView *view = new GraphView(feedback, page.get());

    explicit Fixture(const QStringList &specs = {})
    {
        for (QComboBox *c : combos) {
            c->addItem(u"<select_replica>"_s);
            c->hide();
        }
        view->setReplicaCombos(combos[0], combos[1], combos[2]);
        page->resize(500, 450);
        page->show();
        QVERIFY(QTest::qWaitForWindowExposed(page.get())); // repaints need a window on screen
        if (!specs.isEmpty())
            load(fieldsOf(specs));
    }
    void load(const QStringList &fields) { view->setSitesData(fields, 4, int(fields.size()) - 1); }
    // Entries after "<select_replica>", lists joined by "|".
    QString comboEntries() const
    {
        QStringList lists;
        for (QComboBox *c : combos) {
            QStringList names;
            for (int i = 1; i < c->count(); ++i)
                names << c->itemText(i);
            lists << names.join(u',');
        }
        return lists.join(u'|');
    }
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
        QCOMPARE(f.view->GCount(), 3);
        const QList<mSite> &sites = f.view->allSites();
        QCOMPARE(sites[1].id, 2);
        QCOMPARE(sites[2].lineColor, rgbColor(0, 128, 128));
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

    // Records "name|date|host|master" joined by ";"; combos "list|fix list|fix list".
    void loadFillsRecordsAndCombos_data()
    {
        QTest::addColumn<QStringList>("fields");
        QTest::addColumn<QString>("records");
        QTest::addColumn<QString>("combos");
        QTest::newRow("local replica kept out of the fix lists")
            << fieldsOf({u"beta:m"_s, u"alpha:m"_s, u"gamma:m"_s}) << u"beta|d|h|m;alpha|d|h|m;gamma|d|h|m"_s
            << u"beta,alpha,gamma|beta,gamma|beta,gamma"_s;
        QTest::newRow("empty output") << QStringList() << QString() << u"||"_s;
        QTest::newRow("empty name field inside the list")
            << QStringList{u"alpha"_s, u"d1"_s, u"h1"_s, u"m1"_s,  QString(),
                           u"d2"_s,    u"h2"_s, u"m2"_s, QString()}
            << u"alpha|d2|h2|m2"_s << u"alpha||"_s;
        QTest::newRow("field before any name: stop box")
            << QStringList{QString(), u"d"_s, u"h"_s, u"m"_s, QString()} << QString() << u"||"_s;
        QTest::newRow("names differing only in case")
            << fieldsOf({u"Beta:x"_s, u"beta:x"_s, u"ALPHA:x"_s, u"alpha:x"_s})
            << u"Beta|d|h|x;beta|d|h|x;ALPHA|d|h|x;alpha|d|h|x"_s << u"Beta,ALPHA|Beta,ALPHA|Beta,ALPHA"_s;
    }
    void loadFillsRecordsAndCombos()
    {
        QFETCH(QStringList, fields);
        QFETCH(QString, records);
        QFETCH(QString, combos);
        Fixture f;
        f.view->setGMyReplicaName(u"alpha"_s);
        f.load(fields);
        QStringList got;
        for (const mSite &s : f.view->allSites())
            got << QStringList{s.replicaName, s.dateCreated, s.replicaHost, s.master}.join(u'|');
        QCOMPARE(got.join(u';'), records);
        QVERIFY(!f.view->siteImage(int(got.size()) + 1) && f.view->siteImage(int(got.size())));
        QCOMPARE(f.comboEntries(), combos);
        const bool fails = QByteArray(QTest::currentDataTag()).endsWith("stop box");
        QCOMPARE(f.feedback.scripted.boxes.size(), fails ? 1 : 0);
        if (fails) // reported here, hourglass off
            QCOMPARE(f.feedback.calls.last(), u"hourglass:0"_s);
    }

    void secondLoadShiftsColoursAndIds()
    {
        Fixture f({u"a:a"_s, u"b:a"_s, u"c:a"_s});
        f.view->clearAllSites();
        f.view->unloadSiteControls();
        QVERIFY(!f.view->findChild<QLabel *>(u"siteImage(1)"_s));
        f.load(fieldsOf({u"a:a"_s, u"b:a"_s, u"c:a"_s}));
        QVERIFY(f.feedback.scripted.boxes.isEmpty());
        const QList<mSite> &sites = f.view->allSites();
        QCOMPARE(QList<int>({sites[0].id, sites[2].id}), QList<int>({4, 6}));
        QCOMPARE(sites[0].lineColor, rgbColor(128, 0, 0));
        QCOMPARE(sites[1].lineColor, rgbColor(0, 0, 0));
        QCOMPARE(twips(f.view->siteImage(1)).topLeft(), QPoint(300, 200));
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
        f.view->clearAllSites();
        f.view->unloadSiteControls();
        f.view->repaint();
        QVERIFY(f.view->lastLines().isEmpty());
        QCOMPARE(inkBetweenFirstIcons(f.view), QColor(Qt::white));
    }

    void markerDoubleClick_data()
    {
        QTest::addColumn<QStringList>("specs");
        QTest::addColumn<QString>("prompt"); // empty: no box
        QTest::newRow("master of two") << alphaMastersAll << u"alpha is master of: \r\n\r\nbeta\r\ngamma"_s;
        QTest::newRow("master of itself only")
            << QStringList{u"alpha:alpha@/v"_s, u"beta:beta@/v"_s} << QString();
    }
    void markerDoubleClick()
    {
        QFETCH(QStringList, specs);
        QFETCH(QString, prompt);
        Fixture f(specs);
        f.view->drawSiteLines();
        QTest::mouseDClick(f.view->siteMasterLabel(1), Qt::LeftButton);
        QCOMPARE(f.feedback.scripted.boxes.size(), prompt.isEmpty() ? 0 : 1);
        if (!prompt.isEmpty())
            QCOMPARE(f.feedback.scripted.boxes[0].prompt, prompt);
    }

    void drag_data()
    {
        QTest::addColumn<int>("button");
        QTest::addColumn<QPoint>("movePx");
        QTest::addColumn<QPoint>("iconTwips");
        QTest::newRow("left, right and up") << int(Qt::LeftButton) << QPoint(8, -4) << QPoint(1370, 140);
        QTest::newRow("right button") << int(Qt::RightButton) << QPoint(8, -4) << QPoint(1370, 140);
        QTest::newRow("to a negative left") << int(Qt::LeftButton) << QPoint(-100, 0) << QPoint(-250, 200);
    }
    void drag()
    {
        QFETCH(int, button);
        QFETCH(QPoint, movePx);
        QFETCH(QPoint, iconTwips);
        const auto b = Qt::MouseButton(button);
        Fixture f(alphaMastersAll);
        f.view->repaint();
        const QList<SiteLine> before = f.view->lastLines();
        QLabel *icon = f.view->siteImage(2);
        QTest::mousePress(icon, b, {}, QPoint(5, 5));
        QVERIFY(f.view->GSiteMouseDownFlag());
        QTest::mouseMove(icon, movePx);
        QCOMPARE(twips(icon).topLeft(), iconTwips);
        QCOMPARE(twips(f.view->siteLabel(2)).topLeft(), iconTwips + QPoint(0, 505));
        QCOMPARE(twips(f.view->siteMasterLabel(2)).topLeft(), iconTwips + QPoint(455, 20));
        f.view->repaint();
        QCOMPARE(f.view->lastLines(), before); // no new lines while dragging
        QTest::mouseRelease(icon, b, {}, QPoint(0, 0));
        QVERIFY(!f.view->GSiteMouseDownFlag());
        QCOMPARE(f.view->lastLines()[1].line.p2(), centre(icon));
        QCOMPARE(twips(icon).topLeft(), iconTwips); // no bounds
    }

    void doubleClickAsksForTheSiteDetailAndHighlightMoves()
    {
        Fixture f(alphaMastersAll);
        QSignalSpy spy(f.view, &GraphView::siteDoubleClicked);
        QTest::mouseDClick(f.view->siteImage(3), Qt::LeftButton);
        QCOMPARE(spy.size(), 1);
        QCOMPARE(spy.first().first().toInt(), 3);
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

    // Sites "name:master", each with its icon; markers "-" for none; lines
    // "master>mastered" by site position.
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
        QTest::newRow("master outside the list, letter case differs")
            << QStringList{u"alpha:omega@/v"_s, u"beta:Alpha@/v"_s, u"gamma:"_s}
            << QStringList{u"-"_s, u"-"_s, u"-"_s} << QStringList{};
    }
    void mastership()
    {
        QFETCH(QStringList, sites);
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
