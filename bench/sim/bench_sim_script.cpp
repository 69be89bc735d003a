// Wall time of get_replica_info.pl on one generated VOB family whose hosts
// each answer after a simulated latency: the parallel gathering next to one
// host's latency and next to a sequential run (one host at a time).
//
// usage: bench_sim_script [REPLICAS [LATENCY_MS [RUNS]]]   (default 20 200 5)

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QTemporaryDir>
#include <QTextStream>

#include <algorithm>
#include <cstdio>

namespace {

const QString kBin = QStringLiteral(BENCH_BIN_DIR);

QProcessEnvironment environment(const QString &region, int jobs)
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("CCSIM_REGION"), region);
    env.insert(QStringLiteral("PATH"), kBin + QStringLiteral("/sim:") + env.value(QStringLiteral("PATH")));
    if (jobs > 0)
        env.insert(QStringLiteral("GET_REPLICA_INFO_JOBS"), QString::number(jobs));
    return env;
}

// Runs a program of bin/sim; returns the wall time in ms, or -1 on failure.
qint64 run(const QString &region, const QString &workDir, const QString &program, const QStringList &args, int jobs = 0)
{
    QProcess p;
    p.setProcessEnvironment(environment(region, jobs));
    p.setWorkingDirectory(workDir);
    p.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    QElapsedTimer timer;
    timer.start();
    p.start(kBin + QStringLiteral("/sim/") + program, args);
    if (!p.waitForFinished(600000) || p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0) {
        std::fprintf(stderr, "%s %s failed\n", qPrintable(program), qPrintable(args.join(QLatin1Char(' '))));
        return -1;
    }
    return timer.elapsed();
}

qint64 median(QList<qint64> values)
{
    std::sort(values.begin(), values.end());
    return values.at(values.size() / 2);
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    const int replicas = args.size() > 1 ? args.at(1).toInt() : 20;
    const int latency = args.size() > 2 ? args.at(2).toInt() : 200;
    const int runs = args.size() > 3 ? std::max(1, args.at(3).toInt()) : 5;

    QTemporaryDir region;
    QTemporaryDir work;
    const QString tag = QStringLiteral("/vobs/gen000");
    if (run(region.path(), work.path(), QStringLiteral("ccsim"),
            {QStringLiteral("generate"), QStringLiteral("1"), QStringLiteral("1"), QString::number(replicas)}) < 0
        || run(region.path(), work.path(), QStringLiteral("ccsim"),
               {QStringLiteral("latency"), QStringLiteral("*@") + tag, QString::number(latency)}) < 0)
        return 1;

    const QStringList script{kBin + QStringLiteral("/get_replica_info.pl"), tag};
    QList<qint64> parallel;
    for (int i = 0; i < runs; ++i)
        parallel << run(region.path(), work.path(), QStringLiteral("ccperl"), script);
    const qint64 sequential = run(region.path(), work.path(), QStringLiteral("ccperl"), script, 1);
    if (parallel.contains(-1) || sequential < 0)
        return 1;

    const qint64 best = *std::min_element(parallel.begin(), parallel.end());
    const qint64 mid = median(parallel);
    QTextStream out(stdout);
    out << "get_replica_info.pl, " << replicas << " replicas, " << latency << " ms latency per host\n"
        << "  one host's latency:    " << latency << " ms\n"
        << "  parallel (" << runs << " runs):    median " << mid << " ms, best " << best << " ms ("
        << QString::number(double(mid) / latency, 'f', 2) << "x one latency)\n"
        << "  sequential (1 job):    " << sequential << " ms ("
        << QString::number(double(sequential) / latency, 'f', 2) << "x one latency)\n"
        << "  goal: parallel <= 2x one latency: " << (mid <= 2 * latency ? "met" : "NOT met") << "\n";
    return 0;
}
