// One simulated cleartool process, started for the command Load VOBs sends
// for each VOB ("lsreplica -siblings -s -invob TAG"), on a region of 20 and
// one of 2000 VOBs: its start-up must not follow the region's size. Then the
// same command through a co-process against one process per command.
// Goals, measured in the same run: the process on 2000 VOBs at most twice
// the process on 20; the co-process at least ten times faster a command.
// Usage: bench_simstart [RUNS]   (default 11 warm runs; temporary regions)

#include "common/Figures.h"
#include "common/MiniClient.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QTemporaryDir>

#include <cstdio>
#include <memory>

using namespace quorvane;

namespace {

const QString SimDir = QStringLiteral(QUORVANE_BIN_DIR "/sim");
const QString Tag = QStringLiteral("/vobs/gen000");

QProcessEnvironment regionEnvironment(const QString &region)
{
    QProcessEnvironment e = QProcessEnvironment::systemEnvironment();
    e.insert(QStringLiteral("CCSIM_REGION"), region);
    return e;
}

// Seconds from start to end of one program; negative when it failed.
double runOnce(const QString &region, const QString &program, const QStringList &args)
{
    QProcess p;
    p.setProcessEnvironment(regionEnvironment(region));
    QElapsedTimer t;
    t.start();
    p.start(SimDir + QLatin1Char('/') + program, args);
    if (!p.waitForFinished(120000) || p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0) {
        std::fprintf(stderr, "%s %s failed: %s\n", qPrintable(program), qPrintable(args.join(QLatin1Char(' '))),
                     p.readAllStandardError().constData());
        return -1;
    }
    return double(t.nsecsElapsed()) / 1e9;
}

const QStringList Check{QStringLiteral("lsreplica"), QStringLiteral("-siblings"), QStringLiteral("-s"),
                        QStringLiteral("-invob"), Tag};

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const int runs = bench::argument(argc, argv, 1, 11);
    QTemporaryDir small, large;
    for (const auto &[dir, vobs] : {std::pair{&small, 20}, {&large, 2000}}) {
        if (runOnce(dir->path(), QStringLiteral("ccsim"),
                    {QStringLiteral("generate"), QString::number(vobs), QStringLiteral("0.5"), QStringLiteral("2"),
                     QStringLiteral("7")})
            < 0)
            return 2;
    }

    // The first start after the region was written: page cache warm, the
    // program's own files perhaps not.
    const double coldSmall = runOnce(small.path(), QStringLiteral("cleartool"), Check);
    const double coldLarge = runOnce(large.path(), QStringLiteral("cleartool"), Check);
    bench::Figures warmSmall, warmLarge;
    bool ok = coldSmall > 0 && coldLarge > 0;
    // Taken in turn, so that what else the machine does falls on both.
    for (int i = 0; i < runs && ok; ++i) {
        const double s = runOnce(small.path(), QStringLiteral("cleartool"), Check);
        const double l = runOnce(large.path(), QStringLiteral("cleartool"), Check);
        ok = s > 0 && l > 0;
        warmSmall.add(s);
        warmLarge.add(l);
    }
    if (!ok)
        return 2;

    // The same command sent to one co-process on the large region.
    qputenv("CCSIM_REGION", large.path().toLocal8Bit());
    constexpr int commands = 200;
    bench::Figures perCommand;
    {
        bench::MiniClient client(SimDir + QStringLiteral("/cleartool"));
        const QString command = Check.join(QLatin1Char(' '));
        perCommand = bench::timeWarm(runs, [&] {
            QElapsedTimer t;
            t.start();
            for (int i = 0; i < commands; ++i)
                client.ask(command);
            return double(t.nsecsElapsed()) / 1e9 / commands;
        });
    }

    std::printf("cleartool %s, one process:\n", qPrintable(Check.join(QLatin1Char(' '))));
    std::printf("   20 VOBs, warm: %s; cold %.1f ms\n", qPrintable(warmSmall.text()), coldSmall * 1000);
    std::printf(" 2000 VOBs, warm: %s; cold %.1f ms\n", qPrintable(warmLarge.text()), coldLarge * 1000);
    std::printf("the same through a co-process on 2000 VOBs, a command: %s (%d commands a run)\n",
                qPrintable(perCommand.text()), commands);
    bool met = bench::goal(QStringLiteral("ccsim start-up, 2000 VOBs / 20 VOBs"),
                           warmLarge.median() / warmSmall.median(), "<=", 2.0);
    met = bench::goal(QStringLiteral("co-process against a process per command, speed-up"),
                      warmLarge.median() / perCommand.median(), ">=", 10.0)
        && met;
    return met ? 0 : 1;
}
