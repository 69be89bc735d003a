// Opens a generated VOB with many replicas end to end on the simulated
// region (host latency 0) and splits each load into the three ClearCase
// calls (desc, lsreplica, the get_replica_info.pl run) and the program's own
// work (everything else: clean-up, graph layout, reading and colouring the
// two matrices, and one repaint of the window afterwards), at 50 and at 200
// replicas. The own work is what the program answers for, so the goal is on
// it alone, per replica: from 50 to 200 replicas the own work per replica
// grows at most as N^1.3, measured in the same run (how long ClearCase
// takes does not dilute it). The matrices hold N squared cells, so the own
// work per replica cannot grow slower than N; a growth of N^1.3 leaves room
// for nothing worse.
// Usage: bench_loader [RUNS]   (default 5 warm runs per size; runs in
// temporary regions, CCSIM_REGION)

#include "app/Services.h"
#include "app/frmMain.h"
#include "ccase/ClearTool.h"
#include "ccase/CoprocessClearTool.h"
#include "ccase/ProcessShell.h"
#include "ccase/ReportingShell.h"
#include "graph/GraphView.h"
#include "replicas/EpochMatrixView.h"
#include "replicas/EpochGrid.h"
#include "common/BenchSupport.h"
#include "common/Figures.h"
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

struct Measured {
    bench::Figures own, total, script, drawing;
    bool ok = false;
};

Measured measure(int replicas, int runs)
{
    Measured m;
    QTemporaryDir region;
    QTemporaryDir work;
    qputenv("CCSIM_REGION", region.path().toLocal8Bit());
    if (!ccsim({QStringLiteral("generate"), QStringLiteral("1"), QStringLiteral("1"), QString::number(replicas)})
        || !ccsim({QStringLiteral("latency"), QStringLiteral("*@") + Tag, QStringLiteral("0")}))
        return m;

    Split split;
    bench::PrintingDialogs dialogs;
    CoprocessClearTool realTool(SimDir + QStringLiteral("/cleartool"));
    ProcessShell processes(work.path());
    ReportingShell realShell(processes, dialogs);
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

    // The first load also starts the cleartool co-process: it is the cold
    // run, shown but not counted.
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
        if (i == 0) {
            std::printf("%4d replicas, cold: total %.1f ms, own %.1f ms\n", replicas, ms(split.total), ms(split.own()));
            continue;
        }
        m.own.add(split.own());
        m.total.add(split.total);
        m.script.add(split.script);
        m.drawing.add(split.drawing);
    }

    const qsizetype sites = window.graph()->allSites().size();
    const int matrixRows = window.epochView()->Grid1()->rows() - 1;
    if (dialogs.shown > 0 || sites != replicas || matrixRows != replicas) {
        std::fprintf(stderr, "the load did not show the VOB (%lld sites, %d matrix rows, %d boxes)\n",
                     qlonglong(sites), matrixRows, dialogs.shown);
        return m;
    }
    std::printf("%4d replicas, warm: total %s, script %s\n", replicas, qPrintable(m.total.text()),
                qPrintable(m.script.text()));
    std::printf("               own work %s = %.3f ms per replica (drawing afterwards %s)\n",
                qPrintable(m.own.text()), ms(m.own.median()) / replicas, qPrintable(m.drawing.text()));
    m.ok = true;
    return m;
}

} // namespace

int main(int argc, char *argv[])
{
    bench::offscreenWithoutDisplay();
    QApplication app(argc, argv);
    const int runs = bench::argument(argc, argv, 1, 5);
    if (runs < 1) {
        std::fprintf(stderr, "usage: bench_loader [RUNS>=1]\n");
        return 2;
    }
    qputenv("PATH", QString(SimDir + QDir::listSeparator() + qEnvironmentVariable("PATH")).toLocal8Bit());
    const Measured small = measure(50, runs);
    const Measured large = measure(200, runs);
    if (!small.ok || !large.ok)
        return 1;
    const double k = bench::growth(50, small.own.median() / 50, 200, large.own.median() / 200);
    std::printf("own work, whole: growth exponent %.2f from 50 to 200 replicas\n",
                bench::growth(50, small.own.median(), 200, large.own.median()));
    return bench::goal(QStringLiteral("opening a VOB, own work per replica from 50 to 200 replicas, growth exponent"),
                       k, "<=", 1.3)
        ? 0
        : 1;
}
