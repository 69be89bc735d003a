// Opens a generated VOB with many replicas end to end on the simulated
// region (host latency 0) and splits each load into the three ClearCase
// calls (desc, lsreplica, the get_replica_info.pl run) and the program's own
// work (everything else: clean-up, graph layout, reading and colouring the
// two matrices, and one repaint of the window afterwards). Goal: the program's own work is under a quarter of
// the total. Usage: bench_loader [REPLICAS [RUNS]]   (default 50 replicas, 5 runs; runs in a temporary
// region, CCSIM_REGION)

#include "app/Services.h"
#include "app/frmMain.h"
#include "ccase/ClearTool.h"
#include "ccase/CoprocessClearTool.h"
#include "ccase/ProcessShell.h"
#include "graph/GraphView.h"
#include "replicas/EpochMatrixView.h"
#include "replicas/FlexGrid.h"
#include "common/BenchSupport.h"
#include "vobs/VobListPanel.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QListWidget>
#include <QProcess>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>

using namespace quorvane;

namespace {

const QString SimDir = QStringLiteral(QUORVANE_BIN_DIR "/sim");
const QString Tag = QStringLiteral("/vobs/gen000");

// Seconds spent in each kind of ClearCase call during one load.
struct Split {
    double desc = 0;
    double lsreplica = 0;
    double script = 0;
    double drawing = 0; // the repaint that shows the new VOB, after the load
    double total = 0;
    [[nodiscard]] double clearCase() const { return desc + lsreplica + script; }
    [[nodiscard]] double own() const { return total - clearCase(); }
};

class TimedClearTool final : public ClearTool {
public:
    TimedClearTool(ClearTool &inner, Split &split) : m_inner(inner), m_split(split) {}
    QString CmdExec(const QString &subcommand) override
    {
        QElapsedTimer t;
        t.start();
        QString out = m_inner.CmdExec(subcommand);
        const double s = double(t.nsecsElapsed()) / 1e9;
        (subcommand.startsWith(QLatin1String("desc")) ? m_split.desc : m_split.lsreplica) += s;
        return out;
    }
    QStringList vobTags() override { return m_inner.vobTags(); }

private:
    ClearTool &m_inner;
    Split &m_split;
};

class TimedShell final : public Shell {
public:
    TimedShell(Shell &inner, Split &split) : m_inner(inner), m_split(split) {}
    ShellResult ShellAndWait(const QString &commandLine, int windowStyle) override
    {
        QElapsedTimer t;
        t.start();
        ShellResult result = m_inner.ShellAndWait(commandLine, windowStyle);
        m_split.script += double(t.nsecsElapsed()) / 1e9;
        return result;
    }
    void cancel() override { m_inner.cancel(); }
    void setWaitObserver(WaitObserver observer) override { m_inner.setWaitObserver(std::move(observer)); }

private:
    Shell &m_inner;
    Split &m_split;
};

bool ccsim(const QStringList &args)
{
    QProcess p;
    p.start(SimDir + QStringLiteral("/ccsim"), args);
    if (!p.waitForFinished(-1) || p.exitCode() != 0) {
        std::fprintf(stderr, "ccsim %s failed: %s\n", qPrintable(args.join(QLatin1Char(' '))),
                     p.readAllStandardError().constData());
        return false;
    }
    return true;
}

double ms(double s)
{
    return s * 1000;
}

} // namespace

int main(int argc, char *argv[])
{
    if (qEnvironmentVariableIsEmpty("DISPLAY") && qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int replicas = argc > 1 ? QString::fromLocal8Bit(argv[1]).toInt() : 50;
    const int runs = argc > 2 ? QString::fromLocal8Bit(argv[2]).toInt() : 5;
    if (replicas < 2 || runs < 1) {
        std::fprintf(stderr, "usage: bench_loader [REPLICAS>=2 [RUNS>=1]]\n");
        return 2;
    }

    QTemporaryDir region;
    QTemporaryDir work;
    qputenv("CCSIM_REGION", region.path().toLocal8Bit());
    qputenv("PATH", QString(SimDir + QDir::listSeparator() + qEnvironmentVariable("PATH")).toLocal8Bit());
    if (!ccsim({QStringLiteral("generate"), QStringLiteral("1"), QStringLiteral("1"),
                QString::number(replicas)}) ||
        !ccsim({QStringLiteral("latency"), QStringLiteral("*@") + Tag, QStringLiteral("0")}))
        return 1;

    Split split;
    bench::PrintingDialogs dialogs;
    CoprocessClearTool realTool(SimDir + QStringLiteral("/cleartool"));
    ProcessShell realShell(dialogs, work.path());
    TimedClearTool tool(realTool, split);
    TimedShell shell(realShell, split);
    Services services;
    services.clearTool = &tool;
    services.shell = &shell;
    services.dialogs = &dialogs;
    services.workDir = work.path();
    services.scriptPath = QStringLiteral(QUORVANE_BIN_DIR "/get_replica_info.pl");
    services.aniCursorDir = QStringLiteral(QUORVANE_BIN_DIR);
    services.clearCaseDescription = QStringLiteral("Simulated region");

    frmMain window(services);
    window.show();
    QListWidget *list = window.vobList()->list();
    list->addItem(Tag);
    list->setCurrentRow(0);

    // The first load also starts the cleartool co-process; it is shown but
    // not counted.
    QList<Split> splits;
    for (int i = 0; i <= runs; ++i) {
        split = Split{};
        QElapsedTimer t;
        t.start();
        window.pVobViewListDblClick();
        // Paints may already have run while the script was awaited (and then
        // count as script time); one full repaint afterwards is charged to
        // the program so that its drawing is never hidden in the wait.
        QElapsedTimer d;
        d.start();
        window.repaint();
        split.drawing = double(d.nsecsElapsed()) / 1e9;
        split.total = double(t.nsecsElapsed()) / 1e9;
        if (i > 0)
            splits << split;
        std::printf(
            "%-8s total %8.1f ms   desc %6.1f   lsreplica %6.1f   script %8.1f   own %6.1f ms (%4.1f %%)\n",
            i == 0 ? "warm-up" : qPrintable(QStringLiteral("run %1").arg(i)), ms(split.total), ms(split.desc),
            ms(split.lsreplica), ms(split.script), ms(split.own()), 100 * split.own() / split.total);
    }

    const qsizetype sites = window.graph()->allSites().size();
    const int matrixRows = window.epochView()->Grid1()->rows() - 1;
    if (dialogs.shown > 0 || sites != replicas || matrixRows != replicas) {
        std::fprintf(stderr, "the load did not show the VOB (%lld sites, %d matrix rows, %d boxes)\n",
                     qlonglong(sites), matrixRows, dialogs.shown);
        return 1;
    }

    std::sort(splits.begin(), splits.end(), [](const Split &a, const Split &b) { return a.total < b.total; });
    const Split &median = splits.at(splits.size() / 2);
    const double share = median.own() / median.total;
    std::printf("VOB %s with %d replicas, median of %d loads:\n", qPrintable(Tag), replicas, runs);
    std::printf("  desc (A)            %8.1f ms\n", ms(median.desc));
    std::printf("  lsreplica (B)       %8.1f ms\n", ms(median.lsreplica));
    std::printf("  script run (C)      %8.1f ms\n", ms(median.script));
    std::printf("  program's own work  %8.1f ms  (of it %.1f ms drawing the window afterwards)\n",
                ms(median.own()), ms(median.drawing));
    std::printf("  total               %8.1f ms\n", ms(median.total));
    std::printf("own work share:       %8.1f %%  (goal < 25 %%)  %s\n", 100 * share,
                share < 0.25 ? "met" : "MISSED");
    return 0;
}
