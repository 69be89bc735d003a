// Cost of building and drawing the replica graph for large VOBs:
// setSitesData plus one drawSiteLines, and the repaint alone.
#include "GraphBenchSupport.h"
#include "graph/GraphView.h"
#include "maintenance/MaintenanceNames.h"

#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QTextStream>

using namespace quorvane;

namespace {

double msSince(const QElapsedTimer &t) { return double(t.nsecsElapsed()) / 1e6; }

void run(int n, int rounds)
{
    bench::BenchFeedback feedback;
    QWidget page;
    GraphView view(feedback, &page);
    QComboBox combo(&page), fix0(&page), fix1(&page);
    view.setReplicaCombos(&combo, &fix0, &fix1);
    page.show();
    QApplication::processEvents();
    const QStringList fields = bench::replicaFields(bench::numberedNames(n), 5);

    double build = 0;
    double repaint = 0;
    for (int r = 0; r < rounds; ++r) {
        view.clearAllSites();
        view.unloadSiteControls();
        for (QComboBox *c : {&combo, &fix0, &fix1}) {
            c->clear();
            c->addItem(Maintenance::selectReplica());
        }
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);

        QElapsedTimer t;
        t.start();
        view.setSitesData(fields, 4, int(fields.size()) - 1);
        view.drawSiteLines();
        build += msSince(t);

        t.restart();
        view.repaint();
        repaint += msSince(t);
    }
    QTextStream(stdout) << n << " sites: setSitesData + drawSiteLines " << QString::number(build / rounds, 'f', 2)
                        << " ms, repaint " << QString::number(repaint / rounds, 'f', 2) << " ms, "
                        << view.lastLines().size() << " lines (mean of " << rounds << " rounds)\n";
}

} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    run(100, 20);
    run(400, 10);
    return 0;
}
