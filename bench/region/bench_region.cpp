// The region survey of a generated region (default: 2000 VOBs, 300 of them
// replicated with 8 replicas each, 200 ms host latency): first with local
// facts only, then with the actual rows as the region window runs it. The
// floor of a survey is what its busiest host cannot do faster: the commands
// that contact it times the latency, divided by the commands it may serve
// at once. Also the window's longest event-loop stall and peak memory.
//
// usage: bench_region [VOBS [REPLICATED_PERCENT [REPLICAS [LATENCY_MS]]]]
#include "ccase/ClearTool.h"
#include "common/Figures.h"
#include "region/CommandQueue.h"
#include "region/RegionSurvey.h"
#include "region/frmRegion.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimer>

#include <sys/resource.h>
#include <time.h>

#include <cstdio>

using namespace quorvane;

namespace {

const QString SimDir = QStringLiteral(QUORVANE_BIN_DIR "/sim");

QString run(const QProcessEnvironment &env, const QString &program, const QStringList &args, bool *ok = nullptr)
{
    QProcess p;
    p.setProcessEnvironment(env);
    p.start(SimDir + QLatin1Char('/') + program, args);
    const bool done = p.waitForFinished(600000) && p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
    if (ok)
        *ok = done;
    if (!done)
        std::fprintf(stderr, "%s %s failed: %s\n", qPrintable(program), qPrintable(args.join(QLatin1Char(' '))),
                     p.readAllStandardError().constData());
    return QString::fromUtf8(p.readAllStandardOutput());
}

// Counts what runs, per host, on its way to the real runner.
class CountingRunner final : public CommandRunner {
public:
    explicit CountingRunner(CommandRunner &inner) : m_inner(inner) {}
    void start(int id, const QueuedCommand &command, Done done) override
    {
        ++commands;
        for (const QString &h : command.hosts)
            ++perHost[h];
        m_inner.start(id, command, std::move(done));
    }
    void stop(int id) override { m_inner.stop(id); }

    int commands = 0;
    QHash<QString, int> perHost;
    [[nodiscard]] int busiest() const
    {
        int most = 0;
        for (const int n : perHost)
            most = std::max(most, n);
        return most;
    }

private:
    CommandRunner &m_inner;
};

class Tags final : public ClearTool {
public:
    explicit Tags(QStringList tags) : m_tags(std::move(tags)) {}
    QString CmdExec(const QString &) override { return {}; }
    QStringList vobTags() override { return m_tags; }

private:
    QStringList m_tags;
};

// The main thread's CPU time: a gap between two ticks of the loop that
// holds little of it was the machine's scheduler, not the program's work.
qint64 threadCpuMs()
{
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return qint64(t.tv_sec) * 1000 + t.tv_nsec / 1000000;
}

QString loadAverage()
{
    QFile f(QStringLiteral("/proc/loadavg"));
    return f.open(QIODevice::ReadOnly) ? QString::fromLatin1(f.readAll()).section(QLatin1Char(' '), 0, 2)
                                       : QStringLiteral("unknown");
}

long peakKb()
{
    rusage self{};
    getrusage(RUSAGE_SELF, &self);
    return self.ru_maxrss;
}

} // namespace

int main(int argc, char *argv[])
{
    bench::offscreenWithoutDisplay();
    QApplication app(argc, argv);
    const int vobs = bench::argument(argc, argv, 1, 2000);
    const int percent = bench::argument(argc, argv, 2, 15);
    const int replicas = bench::argument(argc, argv, 3, 8);
    const int latencyMs = bench::argument(argc, argv, 4, 200);

    QTemporaryDir region;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("CCSIM_REGION"), region.path());
    bool ok = false;
    run(env, QStringLiteral("ccsim"),
        {QStringLiteral("generate"), QString::number(vobs), QString::number(percent / 100.0), QString::number(replicas),
         QStringLiteral("5")},
        &ok);
    if (!ok)
        return 2;
    const QStringList tags = run(env, QStringLiteral("cleartool"), {QStringLiteral("lsvob"), QStringLiteral("-s")})
                                 .split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    // The generator replicates the first VOBs it lists.
    const int replicated = vobs * percent / 100;
    for (int i = 0; i < replicated && i < tags.size(); ++i)
        run(env, QStringLiteral("ccsim"),
            {QStringLiteral("latency"), QStringLiteral("*@") + tags[i], QString::number(latencyMs)});
    std::printf("region: %d VOBs, %d replicated with %d replicas, host latency %d ms\n", int(tags.size()),
                replicated, replicas, latencyMs);

    ProcessRunner processes(SimDir, {}, env);
    bool met = true;

    // Local facts only: no host is contacted.
    {
        CountingRunner runner(processes);
        RegionSurvey::Options options;
        options.scriptPath = QStringLiteral(QUORVANE_BIN_DIR "/get_replica_info.pl");
        RegionSurvey survey(runner, options);
        QEventLoop loop;
        QObject::connect(&survey, &RegionSurvey::finished, &loop, &QEventLoop::quit);
        QElapsedTimer clock;
        clock.start();
        survey.start(tags);
        loop.exec();
        const double s = clock.elapsed() / 1000.0;
        std::printf("local facts: %.2f s, %d commands (%.1f ms each at %d in flight), %d families, %d not "
                    "replicated; busiest host %d commands: floor %.2f s\n",
                    s, runner.commands, 1000.0 * s * options.limits.inFlight / std::max(1, runner.commands),
                    options.limits.inFlight, int(survey.families().size()), survey.notReplicated(), runner.busiest(),
                    runner.busiest() * latencyMs / 1000.0 / options.limits.perHost);
        met = survey.families().size() == replicated && met;
        std::printf("local facts per VOB: %.2f ms\n", 1000.0 * s / std::max(1, int(tags.size())));
    }

    // The actual rows, in the window, as Ctrl+R runs it.
    {
        CountingRunner runner(processes);
        Tags clearTool(tags);
        frmRegion w(clearTool, runner, QStringLiteral(QUORVANE_BIN_DIR "/get_replica_info.pl"));
        w.show();
        QApplication::processEvents();
        qint64 longest = 0;
        qint64 longestBusy = 0;
        qint64 lastCpu = threadCpuMs();
        QElapsedTimer tick;
        QTimer probe;
        probe.setInterval(1);
        QObject::connect(&probe, &QTimer::timeout, &probe, [&] {
            longest = std::max(longest, tick.restart());
            const qint64 cpu = threadCpuMs();
            longestBusy = std::max(longestBusy, cpu - lastCpu);
            lastCpu = cpu;
        });
        QElapsedTimer clock;
        clock.start();
        tick.start();
        probe.start();
        w.surveyOrCancel();
        while (w.surveying())
            QApplication::processEvents(QEventLoop::WaitForMoreEvents);
        probe.stop();
        const double s = clock.elapsed() / 1000.0;
        const RegionSurvey::Options defaults;
        const double floor = runner.busiest() * latencyMs / 1000.0 / defaults.limits.perHost;
        std::printf("actual rows: %.2f s, %d commands, %d hosts, busiest host %d commands at %d at once: floor "
                    "%.2f s, ratio %.2f\n",
                    s, runner.commands, int(runner.perHost.size()), runner.busiest(), defaults.limits.perHost, floor,
                    floor > 0 ? s / floor : 0.0);
        met = bench::goal(QStringLiteral("region survey with actual rows / latency floor"), floor > 0 ? s / floor : 99,
                          "<=", 1.5) && met;
        std::printf("longest gap between two turns of the event loop: %lld ms wall clock, load average %s\n",
                    qint64(longest), qPrintable(loadAverage()));
        met = bench::goal(QStringLiteral("region window longest stall during the survey (ms of its own work)"),
                          double(longestBusy), "<=", 50) && met;
    }
    std::printf("peak memory: %.1f MB (this process)\n", peakKb() / 1024.0);
    return met ? 0 : 1;
}
