// The region survey of a generated region (default: 2000 VOBs, 300 of them
// replicated with 8 replicas each, their siblings spread over 40 hosts, 200
// ms host latency): first with local facts only, then with the actual rows
// as the region window runs it. The floor of a survey is what its busiest
// host cannot do faster: the commands that contact it times the latency,
// divided by the commands it may serve at once. Also the window's longest
// event-loop stall and peak memory.
//
// Beside the goals it prints where the time went: how long the busiest
// host's slots stood idle while the survey ran, how long a script held its
// hosts, and the processor time of every program the survey started (what
// the machine needs whatever the order).
//
// usage: bench_region [VOBS [REPLICATED [REPLICAS [HOSTS [LATENCY_MS]]]]]
#include "ccase/ClearTool.h"
#include "common/Figures.h"
#include "region/CommandQueue.h"
#include "region/CoprocessRunner.h"
#include "region/RegionSurvey.h"
#include "region/frmRegion.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>
#include <QTimer>

#include <sys/resource.h>
#include <time.h>

#include <cstdio>
#include <optional>

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

// Records what runs, when and on which hosts, on its way to the real runner.
class TimelineRunner final : public CommandRunner {
public:
    explicit TimelineRunner(CommandRunner &inner) : m_inner(inner) { m_clock.start(); }
    void start(int id, const QueuedCommand &command, Done done) override
    {
        for (const QString &h : command.hosts)
            ++perHost[h];
        const qsizetype index = runs.size();
        runs.append({command.hosts, m_clock.nsecsElapsed() / 1e9, 0});
        m_inner.start(id, command, [this, index, done = std::move(done)](CommandOutcome o) {
            runs[index].end = m_clock.nsecsElapsed() / 1e9;
            done(std::move(o));
        });
    }
    void stop(int id) override { m_inner.stop(id); }

    struct Run {
        QStringList hosts;
        double start;
        double end;
    };
    QList<Run> runs;
    QHash<QString, int> perHost;

    [[nodiscard]] QString busiestHost() const
    {
        QString name;
        for (auto it = perHost.cbegin(); it != perHost.cend(); ++it) {
            if (name.isEmpty() || it.value() > perHost.value(name) ||
                (it.value() == perHost.value(name) && it.key() < name))
                name = it.key();
        }
        return name;
    }
    [[nodiscard]] int busiest() const { return perHost.value(busiestHost()); }

    // Where the survey's time went, in seconds from its start to its end.
    void profile(double total, int perHostLimit, int inFlight, int latencyMs) const
    {
        double busy = 0, held = 0, hostRuns = 0;
        for (const Run &r : runs) {
            busy += r.end - r.start;
            if (!r.hosts.isEmpty()) {
                held += r.end - r.start;
                ++hostRuns;
            }
        }
        std::printf("  %lld commands, %.1f in flight on average (at most %d)\n", qint64(runs.size()),
                    busy / std::max(total, 1e-9), inFlight);
        if (hostRuns == 0)
            return;
        std::printf(
            "  a command to hosts held them %.0f ms on average (latency %d ms); all of them take %.2f s "
            "of the %d slots in flight: %.2f s at the least\n",
            1000 * held / hostRuns, latencyMs, held, inFlight, held / inFlight);
        std::printf("  at %d in flight the hosts' latency alone needs %.2f s (%d commands to hosts)\n", inFlight,
                    hostRuns * latencyMs / 1000.0 / inFlight, int(hostRuns));
        const QString host = busiestHost();
        double first = total, last = 0, slotTime = 0;
        for (const Run &r : runs) {
            if (!r.hosts.contains(host))
                continue;
            first = std::min(first, r.start);
            last = std::max(last, r.end);
            slotTime += r.end - r.start;
        }
        std::printf(
            "  busiest host %s: %d commands, first at %.2f s, last ended at %.2f s; its %d slots busy "
            "%.2f s of %.2f s between (%.0f%%), idle %.2f s before the first and %.2f s after the last\n",
            qPrintable(host), perHost.value(host), first, last, perHostLimit, slotTime,
            perHostLimit * (last - first), 100 * slotTime / std::max(perHostLimit * (last - first), 1e-9),
            first, total - last);
    }

private:
    CommandRunner &m_inner;
    QElapsedTimer m_clock;
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

// Processor time of this process (RUSAGE_SELF), or of the programs it
// started and waited for (RUSAGE_CHILDREN).
double cpuSeconds(int who)
{
    rusage usage{};
    getrusage(who, &usage);
    return double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}
double childCpuSeconds() { return cpuSeconds(RUSAGE_CHILDREN); }
double selfCpuSeconds() { return cpuSeconds(RUSAGE_SELF); }

// The machine's share: on this many cores the survey cannot take less
// than the processor time of everything it ran, the simulated hosts'
// side of each command included.
void processorTime(double seconds, double programs, double self)
{
    const int cores = std::max(1, QThread::idealThreadCount());
    const double floor = (programs + self) / cores;
    std::printf("  processor time: %.1f s of the programs started, %.1f s of this process; on %d cores at the "
                "least %.2f s (processor floor), ratio %.2f\n",
                programs, self, cores, floor, floor > 0 ? seconds / floor : 0.0);
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
    std::setvbuf(stdout, nullptr, _IOLBF, 0);
    bench::offscreenWithoutDisplay();
    QApplication app(argc, argv);
    const int vobs = bench::argument(argc, argv, 1, 2000);
    const int replicated = std::min(vobs, bench::argument(argc, argv, 2, 300));
    const int replicas = bench::argument(argc, argv, 3, 8);
    const int hosts = bench::argument(argc, argv, 4, 40);
    const int latencyMs = bench::argument(argc, argv, 5, 200);

    QTemporaryDir region;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("CCSIM_REGION"), region.path());
    bool ok = false;
    run(env, QStringLiteral("ccsim"),
        {QStringLiteral("generate"), QString::number(vobs),
         QString::number(double(replicated) / vobs, 'g', 17), QString::number(replicas), QStringLiteral("5"),
         QString::number(hosts)},
        &ok);
    if (!ok)
        return 2;
    const QStringList tags = run(env, QStringLiteral("cleartool"), {QStringLiteral("lsvob"), QStringLiteral("-s")})
                                 .split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    // The generator replicates its first VOBs: /vobs/gen000 on.
    for (int i = 0; i < replicated; ++i) {
        run(env, QStringLiteral("ccsim"),
            {QStringLiteral("latency"), QStringLiteral("*@/vobs/gen%1").arg(i, 3, 10, QLatin1Char('0')),
             QString::number(latencyMs)},
            &ok);
        if (!ok)
            return 2;
    }
    std::printf("region: %d VOBs, %d replicated with %d replicas each, siblings spread over %d hosts, host "
                "latency %d ms; load average %s\n",
                int(tags.size()), replicated, replicas, hosts, latencyMs, qPrintable(loadAverage()));

    ProcessRunner programs(SimDir, {}, env);
    // As the window and the check run it: cleartool's queries through
    // co-processes, one set per survey, ended before the processor time is
    // read so that theirs counts too.
    std::optional<CoprocessRunner> pool;
    const auto newPool = [&]() -> CoprocessRunner & {
        return pool.emplace(programs, programs.programPath(QStringLiteral("cleartool")), programs.environment(),
                            CommandQueue::Limits{}.local);
    };
    bool met = true;

    // Local facts only: no host is contacted, so the latency floor is nil
    // and the time is the machine's (its processes' start and work).
    {
        TimelineRunner runner(newPool());
        RegionSurvey::Options options;
        options.scriptPath = QStringLiteral(QUORVANE_BIN_DIR "/get_replica_info.pl");
        RegionSurvey survey(runner, options);
        QEventLoop loop;
        QObject::connect(&survey, &RegionSurvey::finished, &loop, &QEventLoop::quit);
        const double cpuBefore = childCpuSeconds();
        const double selfBefore = selfCpuSeconds();
        QElapsedTimer clock;
        clock.start();
        survey.start(tags);
        loop.exec();
        const double s = clock.elapsed() / 1000.0;
        pool.reset();
        const double floor = runner.busiest() * latencyMs / 1000.0 / options.limits.perHost;
        std::printf(
            "local facts: %.2f s, %d families, %d not replicated; %d hosts contacted, busiest host %d "
            "commands: latency floor %.2f s, ratio %s\n",
            s, int(survey.families().size()), survey.notReplicated(), int(runner.perHost.size()),
            runner.busiest(), floor,
            floor > 0 ? qPrintable(QString::number(s / floor, 'f', 2)) : "none (no host contacted)");
        processorTime(s, childCpuSeconds() - cpuBefore, selfCpuSeconds() - selfBefore);
        runner.profile(s, options.limits.perHost, options.limits.inFlight, latencyMs);
        met = survey.families().size() == replicated && met;
        if (floor > 0)
            met = bench::goal(QStringLiteral("region survey with local facts / latency floor"), s / floor,
                              "<=", 1.5) &&
                  met;
        else
            std::printf("GOAL region survey with local facts: no host contacted, latency floor 0 s, no ratio "
                        "(%.2f s)\n",
                        s);
    }

    // The actual rows, in the window, as Ctrl+R runs it.
    {
        TimelineRunner runner(newPool());
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
        const double cpuBefore = childCpuSeconds();
        const double selfBefore = selfCpuSeconds();
        QElapsedTimer clock;
        clock.start();
        tick.start();
        probe.start();
        w.surveyOrCancel();
        while (w.surveying())
            QApplication::processEvents(QEventLoop::WaitForMoreEvents);
        probe.stop();
        const double s = clock.elapsed() / 1000.0;
        pool.reset();
        const RegionSurvey::Options defaults;
        const double floor = runner.busiest() * latencyMs / 1000.0 / defaults.limits.perHost;
        std::printf(
            "actual rows: %.2f s, %d hosts contacted, busiest host %d commands at %d at once: latency "
            "floor %.2f s, ratio %.2f\n",
            s, int(runner.perHost.size()), runner.busiest(), defaults.limits.perHost, floor,
            floor > 0 ? s / floor : 0.0);
        processorTime(s, childCpuSeconds() - cpuBefore, selfCpuSeconds() - selfBefore);
        runner.profile(s, defaults.limits.perHost, defaults.limits.inFlight, latencyMs);
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
