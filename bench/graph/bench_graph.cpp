// The whole cycle of showing a VOB's replica graph again, as a reload does
// it: the clean-up of the previous graph (its sites, their controls, the
// replica boxes, the controls freed), setSitesData plus one drawSiteLines,
// the events posted meanwhile and one repaint, at 36, 100, 400 and 1000 sites. Goal: from each size to
// the next the cycle grows at most as N^1.3.
// A cycle of the small sizes takes a few milliseconds, where the scheduler's
// and the allocator's hiccups alone move a median by tens of percent: each
// figure there is the mean of several cycles in a row (about 400 sites'
// worth), so the 36 -> 100 step reads the same from run to run.
// Usage: bench_graph [RUNS]   (default 7 warm figures per size)
#include "GraphBenchSupport.h"
#include "common/Figures.h"
#include "graph/GraphView.h"

#include <QApplication>
#include <QElapsedTimer>

#include <algorithm>
#include <cstdio>

using namespace quorvane;

namespace {

struct Cycle {
    bench::Figures clean, build, repaint, whole;
};

Cycle run(int n, int runs)
{
    bench::BenchFeedback feedback;
    QWidget page;
    GraphView view(feedback, &page);
    page.show();
    QApplication::processEvents();
    const QStringList fields = bench::replicaFields(bench::numberedNames(n), 5);

    Cycle cycle;
    const int repeats = std::max(1, 400 / n);
    double clean = 0, build = 0, repaint = 0;
    // Cycle 0 builds the first graph, with nothing to clean up: not counted.
    for (int r = 0; r <= runs * repeats; ++r) {
        QElapsedTimer t;
        t.start();
        view.clearAllSites();
        view.unloadSiteControls();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        clean += double(t.nsecsElapsed()) / 1e9;

        t.restart();
        view.setSitesData(fields, 4, int(fields.size()) - 1);
        view.drawSiteLines();
        build += double(t.nsecsElapsed()) / 1e9;

        t.restart();
        // What the event loop does after the handler that built the graph:
        // the events posted meanwhile (the new controls' polish requests
        // among them) are delivered, then the picture is drawn.
        QCoreApplication::sendPostedEvents();
        view.repaint();
        repaint += double(t.nsecsElapsed()) / 1e9;
        if (r == 0) {
            clean = build = repaint = 0;
            continue;
        }
        if (r % repeats != 0)
            continue;
        cycle.clean.add(clean / repeats);
        cycle.build.add(build / repeats);
        cycle.repaint.add(repaint / repeats);
        cycle.whole.add((clean + build + repaint) / repeats);
        clean = build = repaint = 0;
    }
    if (view.allSites().size() != n)
        qFatal("the graph shows %lld sites, not %d", qlonglong(view.allSites().size()), n);
    std::printf("%5d sites: whole cycle %s, each the mean of %d cycles\n", n, qPrintable(cycle.whole.text()),
                repeats);
    std::printf("             clean-up %s, build %s, repaint %s\n", qPrintable(cycle.clean.text()),
                qPrintable(cycle.build.text()), qPrintable(cycle.repaint.text()));
    return cycle;
}

} // namespace

int main(int argc, char *argv[])
{
    bench::offscreenWithoutDisplay();
    QApplication app(argc, argv);
    const int runs = bench::argument(argc, argv, 1, 7);
    const int sizes[] = {36, 100, 400, 1000};
    QList<double> medians;
    for (int n : sizes)
        medians << run(n, runs).whole.median();
    bool met = true;
    for (qsizetype i = 1; i < medians.size(); ++i) {
        const double k = bench::growth(sizes[i - 1], medians[i - 1], sizes[i], medians[i]);
        met = bench::goal(QStringLiteral("graph reload cycle %1 -> %2 sites, growth exponent")
                              .arg(sizes[i - 1])
                              .arg(sizes[i]),
                          k, "<=", 1.3)
            && met;
    }
    return met ? 0 : 1;
}
