// Times cleanGrid + fillEpochGrid (fill, out-of-sync flags, colours) of both
// matrices for 50, 100 and 200 replicas, on visible grids, repaint included.
#include "common/BenchSupport.h"
#include "replicas/EpochMatrixView.h"
#include "replicas/FlexGrid.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QTextStream>

#include <algorithm>
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

double medianMs(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
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

    QTextStream out(stdout);
    out << "replicas  cells/grid  median ms (clean + fill both grids + repaint)\n";
    double t100 = 0;
    double t200 = 0;
    for (int n : {50, 100, 200}) {
        const QString actual = dir.filePath(QStringLiteral("_results_%1.txt").arg(n));
        const QString local = dir.filePath(QStringLiteral("_results_local_%1.txt").arg(n));
        writeMatrix(actual, n, 3);
        writeMatrix(local, n, 5);
        std::vector<double> runs;
        for (int run = 0; run < 9; ++run) {
            QElapsedTimer timer;
            timer.start();
            view.cleanGrid(view.Grid1());
            view.cleanGrid(view.Grid2());
            view.fillEpochGrid(view.Grid1(), view.actualOutOfSync, actual);
            view.fillEpochGrid(view.Grid2(), view.localOutOfSync, local);
            QApplication::processEvents();
            runs.push_back(double(timer.nsecsElapsed()) / 1e6);
        }
        if (view.Grid1()->rows() != n + 1 || view.Grid2()->cols() != n + 1 || feedback.boxes() != 0)
            qFatal("fill went wrong for %d replicas", n);
        const int flagged = int(std::count(view.actualOutOfSync.begin(), view.actualOutOfSync.end(), true));
        if (flagged != n / 7 + (n % 7 >= 3 ? 1 : 0))
            qFatal("wrong out-of-sync count %d for %d replicas", flagged, n);
        const double ms = medianMs(runs);
        (n == 100 ? t100 : t200) = ms;
        out << QStringLiteral("%1  %2  %3\n").arg(n, 8).arg(n * n, 10).arg(ms, 10, 'f', 2);
    }
    out << QStringLiteral("t(200)/t(100) = %1 (goal <= 5)\n").arg(t200 / t100, 0, 'f', 2);
    return t200 / t100 <= 5 ? 0 : 1;
}
