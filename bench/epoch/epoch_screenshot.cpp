// Renders the two epoch matrices filled from a pair of results files to a
// PNG, to look at them without a display:
//   epoch_screenshot <_results.txt> <_results_local.txt> <out.png> [col]
// The optional column is pressed in both grids, so that the icons show.
#include "common/BenchSupport.h"
#include "replicas/EpochMatrixView.h"
#include "replicas/EpochGrid.h"

#include <QApplication>
#include <QTextStream>

using namespace quorvane;

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const QStringList args = QApplication::arguments();
    if (args.size() < 4) {
        QTextStream(stderr) << "usage: epoch_screenshot <_results.txt> <_results_local.txt> <out.png> [col]\n";
        return 2;
    }
    bench::BenchFeedback feedback;
    EpochMatrixView view(feedback, [] { return true; });
    view.setAutoFillBackground(true);
    view.resize(1100, 230);
    view.show();
    view.fillEpochGrid(view.Grid1(), args[1]);
    view.fillEpochGrid(view.Grid2(), args[2]);
    if (args.size() > 4) {
        const int col = args[4].toInt();
        view.Grid1()->setCurrentCell(1, col);
        view.grid1MouseDown();
        view.Grid2()->setCurrentCell(1, col);
        view.grid2MouseDown();
    }
    // Scroll bars appear one event round after their ranges are set.
    for (int round = 0; round < 3; ++round)
        QApplication::processEvents();
    return view.grab().save(args[3]) ? 0 : 1;
}
