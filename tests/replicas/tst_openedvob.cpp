// VOBs opened one after another in a window on scripted ClearCase: what the
// graph and the grids show is the snapshot the loader built, and the site
// numbers, with their colours, run on from one load to the next.
#include "replicas/EpochMatrixView.h"
#include "replicas/ReplicaDetailLoader.h"
#include "support/LoaderFixture.h"
#include "ui/QtColors.h"

#include <QLabel>
#include <QTest>

using namespace quorvane;
using namespace quorvane::test;
using namespace Qt::StringLiterals;

namespace {

// As gridCells reads a grid: a value cell painted red ends in "*".
QList<QStringList> cells(const EpochMatrix &m)
{
    QList<QStringList> rows(m.rows());
    for (int r = 0; r < m.rows(); ++r) {
        for (int c = 0; c < m.cols(); ++c) {
            const bool red = r > 0 && c > 0 && m.backColor(r, c) == Colors::pureRed;
            rows[r] << QString(m.text(r, c) + QLatin1String(red ? "*" : ""));
        }
    }
    return rows;
}

QString sites(const QList<mSite> &list)
{
    QStringList s;
    for (const mSite &site : list)
        s << u"%1 %2 %3"_s.arg(site.id).arg(site.replicaName).arg(site.lineColor, 6, 16, QLatin1Char('0'));
    return s.join(u';');
}

} // namespace

class TestOpenedVob : public QObject {
    Q_OBJECT
private slots:
    void shownAsBuilt()
    {
        LoaderFixture f;
        f.addVob(u"/vobs/a"_s, {u"alpha"_s, u"alpha,d1,h1,alpha@/vobs/a,beta,d2,h2,alpha@/vobs/a,"_s,
                                {{u"alpha"_s, u"5"_s, u"7"_s}, {u"beta"_s, u"5"_s, u"8"_s}},
                                {{u"alpha"_s, u"5"_s, u"7"_s}, {u"beta"_s, u"5"_s, u"7"_s}}});
        // No local table: its file is missing, its grid blank.
        f.addVob(u"/vobs/b"_s, {u"x"_s, u"x,d,h,x@/vobs/b,y,d,h,x@/vobs/b,z,d,h,y@/vobs/b,"_s,
                                {{u"x"_s, u"1"_s, u"2"_s, u"3"_s},
                                 {u"y"_s, u"1"_s, u"2"_s, u"3"_s},
                                 {u"z"_s, u"1"_s, u"2"_s, u"3"_s}},
                                {}});
        const ReplicaDetailLoader *loader = f.window->loader();
        const EpochMatrixView *epoch = f.window->epochView();
        const GraphView *graph = f.window->graph();
        const struct {
            QString tag;
            QString sites; // id, name, colour (0x00BBGGRR)
            int boxes;     // after this load
        } loads[] = {
            {u"/vobs/a"_s, u"1 alpha 800000;2 beta 008000"_s, 0},
            {u"/vobs/b"_s, u"3 x 808000;4 y 000080;5 z 000000"_s, 1},
            {u"/vobs/a"_s, u"6 alpha 800000;7 beta 008000"_s, 1},
        };
        for (const auto &load : loads) {
            f.open(load.tag);
            const OpenedVob &vob = loader->openedVob();
            QCOMPARE(vob.tag, load.tag);
            QCOMPARE(sites(vob.sites), load.sites);
            QCOMPARE(sites(graph->allSites()), load.sites);
            for (int k = 1; k <= vob.sites.size(); ++k)
                QCOMPARE(graph->siteMasterLabel(k)->palette().color(QPalette::Window),
                         toQColor(vob.sites[k - 1].lineColor));
            QCOMPARE(gridCells(epoch->Grid1()), cells(vob.actual));
            QCOMPARE(gridCells(epoch->Grid2()), cells(vob.local));
            QCOMPARE(epoch->actualOutOfSync(), vob.actual.outOfSync());
            QCOMPARE(epoch->localOutOfSync(), vob.local.outOfSync());
            QCOMPARE(f.dialogs.boxes.size(), load.boxes);
        }
        // The last load's matrices, as read: beta's column is out of step.
        QCOMPARE(cells(loader->openedVob().actual),
                 expectedGrid({{u"alpha"_s, u"5"_s, u"7"_s}, {u"beta"_s, u"5"_s, u"8"_s}}, {2}));
        QVERIFY(loader->openedVob().local.table().names == QStringList({u"alpha"_s, u"beta"_s}));
    }
};

QTEST_MAIN(TestOpenedVob)
#include "tst_openedvob.moc"
