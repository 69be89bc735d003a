// Times cleanGrid + fillEpochGrid (fill, out-of-sync flags, colours) of both
// matrices for 50, 100, 200, 400 and 1000 replicas, on visible grids,
// repaint included. Goal: twice the replicas (four times the cells) take at
// most five times as long, from 100 replicas on: t(200)/t(100) <= 5, and
// the same growth, as an exponent of N, up to 400 and 1000.
// Usage: bench_epoch [RUNS]   (default 7 warm runs per size)
#include "common/BenchSupport.h"
#include "common/Figures.h"
#include "replicas/EpochMatrixView.h"
#include "replicas/EpochGrid.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <vector>

using namespace quorvane;

namespace {

// An n x n matrix; every seventh column has one differing value, placed low
// in the column so that the scan has to walk most of it.
void writeMatrix(const QString &path, int n, int salt)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        qFatal("cannot write %s", qPrintable(path));
    QByteArray text;
    for (int i = 1; i <= n; ++i) {
        text += "replica_site_" + QByteArray::number(i);
        for (int k = 1; k <= n; ++k) {
            int value = 1000 + k * 13;
            if (k % 7 == salt && i == n - 1)
                ++value;
            text += ',' + QByteArray::number(value);
        }
        text += "\r\n";
    }
    file.write(text);
}

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QTemporaryDir dir;
    bench::BenchFeedback feedback;
    EpochMatrixView view(feedback, [] { return true; });
    view.resize(1400, 700);
    view.show();
    QApplication::processEvents();

    const int runs = bench::argument(argc, argv, 1, 7);
    const int sizes[] = {50, 100, 200, 400, 1000};
    QList<double> medians;
    for (int n : sizes) {
        const QString actual = dir.filePath(QStringLiteral("_results_%1.txt").arg(n));
        const QString local = dir.filePath(QStringLiteral("_results_local_%1.txt").arg(n));
        writeMatrix(actual, n, 3);
        writeMatrix(local, n, 5);
        bench::Figures figures;
        // Run 0 fills grids of another size first: not counted.
        for (int run = 0; run <= runs; ++run) {
            QElapsedTimer timer;
            timer.start();
            view.cleanGrid(view.Grid1());
            view.cleanGrid(view.Grid2());
            view.fillEpochGrid(view.Grid1(), actual);
            view.fillEpochGrid(view.Grid2(), local);
            QApplication::processEvents();
            if (run > 0)
                figures.add(double(timer.nsecsElapsed()) / 1e9);
        }
        if (view.Grid1()->rows() != n + 1 || view.Grid2()->cols() != n + 1 || feedback.boxes() != 0)
            qFatal("fill went wrong for %d replicas", n);
        const int flagged = int(std::count(view.actualOutOfSync().begin(), view.actualOutOfSync().end(), true));
        if (flagged != n / 7 + (n % 7 >= 3 ? 1 : 0))
            qFatal("wrong out-of-sync count %d for %d replicas", flagged, n);
        medians << figures.median();
        std::printf("%5d replicas, %7d cells a grid: %s\n", n, n * n, qPrintable(figures.text()));
    }
    // Doubling within five times is an exponent of log2(5).
    const double limit = std::log2(5.0);
    bool met = bench::goal(QStringLiteral("epoch matrices t(200)/t(100)"), medians[2] / medians[1], "<=", 5.0);
    for (qsizetype i = 3; i < medians.size(); ++i) {
        met = bench::goal(QStringLiteral("epoch matrices %1 -> %2 replicas, growth exponent")
                              .arg(sizes[i - 1])
                              .arg(sizes[i]),
                          bench::growth(sizes[i - 1], medians[i - 1], sizes[i], medians[i]), "<=", limit)
            && met;
    }
    return met ? 0 : 1;
}
