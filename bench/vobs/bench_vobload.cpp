// Times "Load VOBs" with "Show Only Replicated VOBs" ticked on a generated
// simulated region (2000 VOBs, half replicated):
//   window, co-process        the panel as the user drives it
//   window, process/command   the same with one cleartool process per command
//   raw loop, co-process      lsvob plus the 2000 checks, no window
// Goals: co-process at least 10 times faster than one process per command;
// the window's load at most twice the raw loop.
// Then the client alone: the same round trips to a trivial stand-in
// cleartool (the tests' fake), so that the figures above can be told apart
// from the time the simulated region itself takes per command.
// Usage: bench_vobload [VOBS]   (runs in a temporary region, CCSIM_REGION)

#include "ccase/ClearTool.h"
#include "ccase/Commands.h"
#include "ccase/CoprocessClearTool.h"
#include "ui/LongActionGuard.h"
#include "vobs/VobListPanel.h"
#include "common/BenchSupport.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QListWidget>
#include <QProcess>
#include <QTemporaryDir>

#include <cstdio>

using namespace quorvane;

namespace {

const QString SimDir = QStringLiteral(QUORVANE_BIN_DIR "/sim");

struct Run {
    double seconds = 0;
    qsizetype listed = 0;
};

Run windowLoad(ClearTool &tool)
{
    bench::BenchFeedback feedback;
    LongActionGuard guard;
    VobListPanel panel(tool, feedback, guard);
    panel.resize(400, 600);
    panel.show();
    QElapsedTimer t;
    t.start();
    panel.loadVobsButClick();
    const Run run{double(t.nsecsElapsed()) / 1e9, panel.list()->count()};
    if (feedback.boxes() > 0)
        std::fprintf(stderr, "the load reported errors\n");
    return run;
}

Run rawLoop(ClearTool &tool)
{
    QElapsedTimer t;
    t.start();
    qsizetype replicated = 0;
    for (const QString &tag : tool.vobTags()) {
        try {
            if (!tool.CmdExec(Commands::vobCheck(tag)).isEmpty())
                ++replicated;
        } catch (const std::exception &) {
        }
    }
    return {double(t.nsecsElapsed()) / 1e9, replicated};
}

double roundTrips(ClearTool &tool, int count)
{
    QElapsedTimer t;
    t.start();
    for (int i = 0; i < count; ++i)
        tool.CmdExec(QStringLiteral("print x"));
    return double(t.nsecsElapsed()) / 1e9;
}

} // namespace

int main(int argc, char *argv[])
{
    if (qEnvironmentVariableIsEmpty("DISPLAY") && qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int vobs = argc > 1 ? QString::fromLocal8Bit(argv[1]).toInt() : 2000;

    QTemporaryDir region;
    qputenv("CCSIM_REGION", region.path().toLocal8Bit());
    const QString clearTool = SimDir + QStringLiteral("/cleartool");
    QProcess gen;
    gen.start(SimDir + QStringLiteral("/ccsim"),
              {QStringLiteral("generate"), QString::number(vobs), QStringLiteral("0.5"), QStringLiteral("2"),
               QStringLiteral("7")});
    if (!gen.waitForFinished(-1) || gen.exitCode() != 0) {
        std::fprintf(stderr, "could not generate the region: %s\n", gen.readAllStandardError().constData());
        return 1;
    }

    CoprocessClearTool coprocess(clearTool);
    const Run co = windowLoad(coprocess);
    CoprocessClearTool perProcess(clearTool, CoprocessClearTool::Mode::ProcessPerCommand);
    const Run per = windowLoad(perProcess);
    CoprocessClearTool rawTool(clearTool);
    const Run raw = rawLoop(rawTool);

    const double speedup = per.seconds / co.seconds;
    const double overhead = co.seconds / raw.seconds;
    std::printf("region: %d VOBs, half replicated\n", vobs);
    std::printf("window, co-process:        %8.3f s  (%lld listed, %.3f ms per VOB)\n", co.seconds,
                qlonglong(co.listed), co.seconds * 1000 / vobs);
    std::printf("window, process/command:   %8.3f s  (%lld listed, %.3f ms per VOB)\n", per.seconds,
                qlonglong(per.listed), per.seconds * 1000 / vobs);
    std::printf("raw loop, co-process:      %8.3f s  (%lld replicated)\n", raw.seconds, qlonglong(raw.listed));
    std::printf("co-process speed-up:       %8.1f x  (goal >= 10)  %s\n", speedup, speedup >= 10 ? "met" : "MISSED");
    std::printf("window / raw loop:         %8.2f    (goal <= 2)   %s\n", overhead, overhead <= 2 ? "met" : "MISSED");
    const int trips = 500;
    const QString fake = QStringLiteral(QUORVANE_SOURCE_DIR "/tests/data/ccase/fake_cleartool.pl");
    CoprocessClearTool fakeCo(fake);
    CoprocessClearTool fakePer(fake, CoprocessClearTool::Mode::ProcessPerCommand);
    const double fakeCoSeconds = roundTrips(fakeCo, trips);
    const double fakePerSeconds = roundTrips(fakePer, trips);
    std::printf("client alone, %d commands to a trivial cleartool:\n", trips);
    std::printf("  co-process:              %8.3f ms per command\n", fakeCoSeconds * 1000 / trips);
    std::printf("  process per command:     %8.3f ms per command  (%.1f x)\n", fakePerSeconds * 1000 / trips,
                fakePerSeconds / fakeCoSeconds);

    const bool same = co.listed == per.listed && co.listed == raw.listed;
    if (!same)
        std::printf("the three runs disagree on the replicated VOBs\n");
    return same ? 0 : 1;
}
