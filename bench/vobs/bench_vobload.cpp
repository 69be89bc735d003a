// Times "Load VOBs" with "Show Only Replicated VOBs" ticked on a generated
// simulated region (default 2000 VOBs, half replicated):
//   window   the real main window on the services a real run builds (the
//            cleartool co-process of the simulated region), the load started
//            as the button starts it, with all its feedback drawn
//   client   a minimal co-process client of its own sending the same
//            commands (lsvob, then one check per VOB), nothing drawn
//   program's client   the same commands through the program's own client
//            class without the window, to tell the client's share from the
//            window's
// Warm: the same window and client loading again; cold: a new window (and
// co-process) and a new client each run. Goal: the window's warm load at
// most twice the client's, measured in the same run.
// Usage: bench_vobload [VOBS [RUNS]]   (runs in a temporary region,
// CCSIM_REGION; offscreen unless a display is set)

#include "app/RealServices.h"
#include "app/frmMain.h"
#include "ccase/Commands.h"
#include "ccase/CoprocessClearTool.h"
#include "common/BenchSupport.h"
#include "common/Figures.h"
#include "common/MiniClient.h"
#include "vobs/VobListPanel.h"

#include <QApplication>
#include <QCheckBox>
#include <QElapsedTimer>
#include <QListWidget>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <cstdio>

#include <sys/resource.h>
#include <memory>

using namespace quorvane;

namespace {

const QString SimDir = QStringLiteral(QUORVANE_BIN_DIR "/sim");

struct Load {
    double seconds = 0;
    QStringList replicated;
};

// CPU seconds this process has used: on a machine shared with other work,
// what a load spends itself, apart from waiting for cleartool and the CPU.
double cpuSeconds()
{
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return double(u.ru_utime.tv_sec + u.ru_stime.tv_sec) + double(u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

bench::Figures windowCpu, clientCpu;

class Window {
public:
    Window()
    {
        Services services = m_real.services();
        services.dialogs = &m_dialogs;
        m_window = std::make_unique<frmMain>(services);
        m_window->show();
        if (!QTest::qWaitForWindowExposed(m_window.get()))
            std::fprintf(stderr, "the window was not shown\n");
        m_window->vobList()->findChild<QCheckBox *>(QStringLiteral("onlyReplicatedOnlyCB"))->setChecked(true);
    }
    Load load()
    {
        QElapsedTimer t;
        t.start();
        const double cpu = cpuSeconds();
        m_window->vobList()->loadVobsButClick();
        Load result{double(t.nsecsElapsed()) / 1e9, {}};
        windowCpu.add(cpuSeconds() - cpu);
        const QListWidget *list = m_window->vobList()->list();
        for (int i = 0; i < list->count(); ++i)
            result.replicated << list->item(i)->text();
        // What is still to be drawn belongs to this load, not to the next.
        QCoreApplication::processEvents();
        return result;
    }
    [[nodiscard]] int boxes() const { return m_dialogs.shown; }

private:
    RealServices m_real;
    bench::PrintingDialogs m_dialogs;
    std::unique_ptr<frmMain> m_window;
};

Load clientLoad(bench::MiniClient &client)
{
    QElapsedTimer t;
    t.start();
    const double cpu = cpuSeconds();
    Load result;
    for (const QString &tag : client.ask(QStringLiteral("lsvob -short")).split(QLatin1Char('\n'), Qt::SkipEmptyParts)) {
        int status = 0;
        if (!client.ask(Commands::vobCheck(tag), &status).isEmpty() && status == 0)
            result.replicated << tag;
    }
    result.seconds = double(t.nsecsElapsed()) / 1e9;
    clientCpu.add(cpuSeconds() - cpu);
    result.replicated.sort();
    return result;
}

Load programClientLoad(ClearTool &tool)
{
    QElapsedTimer t;
    t.start();
    Load result;
    for (const QString &tag : tool.vobTags()) {
        try {
            if (!tool.CmdExec(Commands::vobCheck(tag)).isEmpty())
                result.replicated << tag;
        } catch (const std::exception &) {
        }
    }
    result.seconds = double(t.nsecsElapsed()) / 1e9;
    result.replicated.sort();
    return result;
}

} // namespace

int main(int argc, char *argv[])
{
    bench::offscreenWithoutDisplay();
    QApplication app(argc, argv);
    const int vobs = bench::argument(argc, argv, 1, 2000);
    const int runs = bench::argument(argc, argv, 2, 7);
    const QString clearTool = SimDir + QStringLiteral("/cleartool");

    QTemporaryDir region;
    qputenv("CCSIM_REGION", region.path().toLocal8Bit());
    QProcess gen;
    gen.start(SimDir + QStringLiteral("/ccsim"),
              {QStringLiteral("generate"), QString::number(vobs), QStringLiteral("0.5"), QStringLiteral("2"),
               QStringLiteral("7")});
    if (!gen.waitForFinished(120000) || gen.exitCode() != 0) {
        std::fprintf(stderr, "could not generate the region: %s\n", gen.readAllStandardError().constData());
        return 2;
    }

    bool same = true;
    QStringList truth;
    const auto check = [&](const Load &l) {
        if (truth.isEmpty())
            truth = l.replicated;
        same = same && l.replicated == truth && !truth.isEmpty();
        return l.seconds;
    };

    bench::Figures windowCold, clientCold, windowWarm, clientWarm, programWarm;
    for (int i = 0; i < std::max(5, runs / 2); ++i) {
        Window window;
        windowCold.add(check(window.load()));
        bench::MiniClient client(clearTool);
        clientCold.add(check(clientLoad(client)));
    }
    {
        Window window;
        bench::MiniClient client(clearTool);
        CoprocessClearTool program(clearTool);
        check(window.load());
        check(clientLoad(client));
        check(programClientLoad(program));
        // Taken in turn, so that what else the machine does falls on all.
        for (int i = 0; i < runs; ++i) {
            windowWarm.add(check(window.load()));
            clientWarm.add(check(clientLoad(client)));
            programWarm.add(check(programClientLoad(program)));
        }
        same = same && window.boxes() == 0;
    }

    const QString platform = QGuiApplication::platformName();
    std::printf("region: %d VOBs, %lld replicated; platform %s\n", vobs, qlonglong(truth.size()), qPrintable(platform));
    std::printf("window, warm:  %s\n", qPrintable(windowWarm.text()));
    std::printf("client, warm:  %s\n", qPrintable(clientWarm.text()));
    std::printf("program's client without the window, warm: %s (%.2f of the plain client)\n",
                qPrintable(programWarm.text()), programWarm.median() / clientWarm.median());
    std::printf("CPU of this process a load: window %s, client %s (all runs)\n", qPrintable(windowCpu.text()),
                qPrintable(clientCpu.text()));
    std::printf("window, cold:  %s\n", qPrintable(windowCold.text()));
    std::printf("client, cold:  %s\n", qPrintable(clientCold.text()));
    std::printf("cold ratio:    %.2f\n", windowCold.median() / clientCold.median());
    if (!same) {
        std::printf("the window and the client disagree on the replicated VOBs, or the load reported errors\n");
        return 1;
    }
    const bool met = bench::goal(QStringLiteral("Load VOBs %1, window / plain client, warm (%2)").arg(vobs).arg(platform),
                                 windowWarm.median() / clientWarm.median(), "<=", 2.0);
    return met ? 0 : 1;
}
