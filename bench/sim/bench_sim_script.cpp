// Wall time of get_replica_info.pl against generated VOB families of the
// simulated region whose hosts answer after a set latency.
//
//   20 replicas, 200 ms per host   latency part <= 1.5 x one latency
//   100 replicas, 200 ms per host  latency part <= 1.5 x ceil(100 / 32) latencies
//   20 replicas, one host that never answers, GET_REPLICA_INFO_TIMEOUT=2
//                                  whole run <= 1.5 x the time limit
//
// The latency part is t(200 ms) - t(0 ms): the same family without latency
// is run in turn with the other, so that the simulator's own process cost
// (which a real region does not have) is taken out. Each figure is the
// median with min and max of RUNS warm runs (one run first, not counted).
// "Never answers" is a host whose latency is the simulator's largest, ten
// minutes; the script must end it at its time limit.
//
// usage: bench_sim_script [RUNS]   (default 5, at least 5)
// Prints one line per case and exits 1 when a goal is missed or a run
// fails.

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTextStream>

#include <algorithm>
#include <cstdio>

namespace {

const QString kBin = QStringLiteral(BENCH_BIN_DIR);
constexpr int kLatencyMs = 200;
constexpr int kJobs = 32;
constexpr int kTimeLimitS = 2;
constexpr int kNeverMs = 600000;

struct Family {
    QTemporaryDir region;
    QTemporaryDir work;
    QString tag = QStringLiteral("/vobs/gen000");
};

// Runs a program of bin/sim, or perl from PATH; returns the wall time in
// ms, or -1 when it failed. Its output goes to *out.
qint64 run(const Family &f, const QString &program, const QStringList &args, QString *out = nullptr,
           const QString &timeLimit = QString())
{
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("CCSIM_REGION"), f.region.path());
    env.insert(QStringLiteral("PATH"), kBin + QStringLiteral("/sim:") + env.value(QStringLiteral("PATH")));
    env.remove(QStringLiteral("GET_REPLICA_INFO_JOBS"));
    env.remove(QStringLiteral("GET_REPLICA_INFO_TIMEOUT"));
    if (!timeLimit.isEmpty())
        env.insert(QStringLiteral("GET_REPLICA_INFO_TIMEOUT"), timeLimit);
    p.setProcessEnvironment(env);
    p.setWorkingDirectory(f.work.path());
    p.setProcessChannelMode(out ? QProcess::SeparateChannels : QProcess::ForwardedOutputChannel);
    QElapsedTimer timer;
    timer.start();
    p.start(program == QLatin1String("perl") ? program : kBin + QStringLiteral("/sim/") + program, args);
    if (!p.waitForFinished(600000) || p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0) {
        std::fprintf(stderr, "%s %s failed: %s\n", qPrintable(program), qPrintable(args.join(QLatin1Char(' '))),
                     p.readAllStandardError().constData());
        p.kill();
        p.waitForFinished(5000);
        return -1;
    }
    if (out)
        *out = QString::fromUtf8(p.readAllStandardOutput());
    return timer.elapsed();
}

bool make(Family &f, int replicas, int latencyMs)
{
    QString said;
    return f.region.isValid() && f.work.isValid()
        && run(f, QStringLiteral("ccsim"),
               {QStringLiteral("generate"), QStringLiteral("1"), QStringLiteral("1"), QString::number(replicas)}, &said)
               >= 0
        && run(f, QStringLiteral("ccsim"),
               {QStringLiteral("latency"), QStringLiteral("*@") + f.tag, QString::number(latencyMs)})
               >= 0;
}

// Perl itself, as ClearCase's ccperl is: the simulator's ccperl would add a
// process of its own to every figure.
qint64 script(const Family &f, const QString &timeLimit = QString())
{
    return run(f, QStringLiteral("perl"), {kBin + QStringLiteral("/get_replica_info.pl"), f.tag}, nullptr, timeLimit);
}

struct Figures {
    qint64 median = -1, min = -1, max = -1;
};

Figures figures(QList<qint64> values)
{
    std::sort(values.begin(), values.end());
    return {values.at(values.size() / 2), values.first(), values.last()};
}

QString line(const Figures &f)
{
    return QStringLiteral("median %1 ms (min %2, max %3)").arg(f.median).arg(f.min).arg(f.max);
}

// One family with latency and one without, run in turn; the latency part
// is each pair's difference.
// One line per goal in the form every benchmark prints, for bench/run.
bool goalLine(QTextStream &out, const QString &name, double value, double limit)
{
    const bool met = value <= limit;
    out << "GOAL " << name << ": " << QString::number(value, 'f', 2) << " (goal <= " << QString::number(limit, 'f', 2)
        << ") " << (met ? "met" : "MISSED") << "\n";
    return met;
}

bool latencyCase(int replicas, int runs, QTextStream &out)
{
    Family slow, fast;
    if (!make(slow, replicas, kLatencyMs) || !make(fast, replicas, 0) || script(slow) < 0 || script(fast) < 0)
        return false;
    QList<qint64> withLatency, without, part;
    for (int i = 0; i < runs; ++i) {
        const qint64 s = script(slow), z = script(fast);
        if (s < 0 || z < 0)
            return false;
        withLatency << s;
        without << z;
        part << s - z;
    }
    const int waves = (replicas + kJobs - 1) / kJobs;
    const qint64 goal = qint64(kLatencyMs) * waves * 3 / 2;
    const Figures p = figures(part);
    const bool met = p.median <= goal;
    out << replicas << " replicas, " << kLatencyMs << " ms per host, " << runs << " runs:\n"
        << "  t(" << kLatencyMs << " ms) " << line(figures(withLatency)) << "\n"
        << "  t(0 ms)   " << line(figures(without)) << "\n"
        << "  latency part " << line(p) << "; goal <= " << goal << " ms (1.5 x " << waves << " x " << kLatencyMs
        << " ms): " << (met ? "met" : "NOT met") << "\n";
    goalLine(out,
             QStringLiteral("script, %1 replicas at %2 ms, latency part / %3 latencies").arg(replicas).arg(kLatencyMs).arg(waves),
             double(p.median) / double(waves * kLatencyMs), 1.5);
    return met;
}

bool hungHostCase(int runs, QTextStream &out)
{
    Family f;
    QString names, local;
    if (!make(f, 20, 0)
        || run(f, QStringLiteral("cleartool"), {QStringLiteral("lsreplica"), QStringLiteral("-short"),
                                                QStringLiteral("-invob"), f.tag}, &names) < 0
        || run(f, QStringLiteral("cleartool"), {QStringLiteral("describe"), QStringLiteral("-fmt"),
                                                QStringLiteral("%[replica_name]p"), QStringLiteral("vob:") + f.tag},
               &local) < 0)
        return false;
    QStringList remote = names.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    remote.removeAll(local.trimmed());
    if (remote.isEmpty())
        return false;
    const QString hung = remote.last().trimmed();
    if (run(f, QStringLiteral("ccsim"), {QStringLiteral("latency"), hung + QLatin1Char('@') + f.tag, QString::number(kNeverMs)}) < 0)
        return false;
    const QString limit = QString::number(kTimeLimitS);
    if (script(f, limit) < 0)
        return false;
    QList<qint64> times;
    for (int i = 0; i < runs; ++i) {
        const qint64 t = script(f, limit);
        if (t < 0)
            return false;
        times << t;
    }
    // The figure only counts when the hung host's row really is unknown.
    QFile results(f.work.filePath(QStringLiteral("_results.txt")));
    if (!results.open(QIODevice::ReadOnly)
        || !QString::fromUtf8(results.readAll()).contains(hung + QStringLiteral(",?,")))
        return false;
    const qint64 goal = qint64(kTimeLimitS) * 1000 * 3 / 2;
    const Figures t = figures(times);
    const bool met = t.median <= goal;
    out << "20 replicas, one host never answers, time limit " << kTimeLimitS << " s, " << runs << " runs:\n"
        << "  whole run " << line(t) << "; goal <= " << goal << " ms: " << (met ? "met" : "NOT met") << "\n";
    goalLine(out, QStringLiteral("script, 20 replicas, one host never answers, whole run / time limit"),
             double(t.median) / double(kTimeLimitS * 1000), 1.5);
    return met;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    const int runs = std::max(5, args.size() > 1 ? args.at(1).toInt() : 5);
    QTextStream out(stdout);
    bool ok = true;
    for (const int replicas : {20, 100}) {
        if (!latencyCase(replicas, runs, out)) {
            out << "GOAL script, " << replicas << " replicas: run failed MISSED\n";
            ok = false;
        }
        out.flush();
    }
    if (!hungHostCase(runs, out)) {
        out << "GOAL script, one host never answers: run failed MISSED\n";
        ok = false;
    }
    out.flush();
    return ok ? 0 : 1;
}
