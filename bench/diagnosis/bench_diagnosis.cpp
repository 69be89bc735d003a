// Times diagnose() on both matrices of 125, 250 and 500 replicas in four
// states: all in step; most rows unknown (hosts that did not answer); half
// the rows unknown and cells missing here and there; and a troubled family
// where replicas lag, beliefs are wrong and packets wait. Goal: at 500
// replicas every state is diagnosed within 100 ms (it runs on the window's
// thread after every load). The growth from 250 to 500 is printed beside it.
// The figures are the thread's processor time, which other work on a shared
// machine does not stretch (the diagnosis neither waits nor sleeps).
// Usage: bench_diagnosis [RUNS]   (default 7 warm runs per size and state)
#include "common/Figures.h"
#include "replicas/Diagnosis.h"

#include <QCoreApplication>
#include <QRandomGenerator>

#include <cstdio>
#include <ctime>

using namespace quorvane;

namespace {

enum class State { InStep, MostUnknown, HalfUnknown, Troubled };

struct Tables {
    EpochTable actual;
    EpochTable local;
};

// Replica 0 is this site. Every origin k has made 1000 + k changes.
Tables family(int n, State state, quint32 seed)
{
    QRandomGenerator random(seed);
    Tables t;
    for (int i = 0; i < n; ++i) {
        const QString name = QStringLiteral("replica_site_%1").arg(i);
        t.actual.names << name;
        t.local.names << name;
    }
    for (int i = 0; i < n; ++i) {
        const bool unknown = i != 0
            && ((state == State::MostUnknown && i % 10 != 0) || (state == State::HalfUnknown && i % 2 == 1));
        QStringList actualRow, localRow;
        for (int k = 0; k < n; ++k) {
            qint64 made = 1000 + k;
            qint64 has = made;
            qint64 belief = made;
            if (state == State::Troubled) {
                // Some lag behind, some beliefs run ahead or behind, some
                // cells were not read.
                if (random.bounded(4) == 0)
                    has = made - 1 - random.bounded(20);
                const quint32 b = random.bounded(8);
                belief = b == 0 ? has + 5 : b == 1 ? has - 3 : has;
            }
            if (state == State::HalfUnknown && random.bounded(50) == 0)
                has = -1;
            actualRow << (unknown || has < 0 ? QStringLiteral("?") : QString::number(has));
            localRow << (state == State::Troubled && random.bounded(40) == 0 ? QStringLiteral("?")
                                                                            : QString::number(belief));
        }
        t.actual.values << actualRow;
        t.local.values << localRow;
    }
    return t;
}

double threadSeconds()
{
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return double(t.tv_sec) + double(t.tv_nsec) / 1e9;
}

const char *stateName(State s)
{
    switch (s) {
    case State::InStep:
        return "all in step";
    case State::MostUnknown:
        return "most rows unknown";
    case State::HalfUnknown:
        return "half the rows unknown, gaps";
    case State::Troubled:
        return "troubled";
    }
    return "";
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const int runs = bench::argument(argc, argv, 1, 7);
    const int sizes[] = {125, 250, 500};
    const State states[] = {State::InStep, State::MostUnknown, State::HalfUnknown, State::Troubled};
    bool met = true;
    for (const State state : states) {
        QList<double> medians;
        for (const int n : sizes) {
            const Tables t = family(n, state, quint32(n));
            qsizetype findings = 0;
            const bench::Figures figures = bench::timeWarm(runs, [&] {
                const double start = threadSeconds();
                findings = diagnose(t.actual, t.local, t.actual.names.first()).size();
                return threadSeconds() - start;
            });
            if (findings == 0)
                qFatal("no finding for %d replicas", n);
            std::printf("%4d replicas, %s: %s, %lld findings\n", n, stateName(state), qPrintable(figures.text()),
                        qlonglong(findings));
            medians << figures.median();
        }
        std::printf("    growth 250 -> 500 replicas: exponent %.2f\n",
                    bench::growth(sizes[1], medians[1], sizes[2], medians[2]));
        met = bench::goal(QStringLiteral("diagnosis of 500 replicas, %1, ms").arg(QLatin1String(stateName(state))),
                          medians.last() * 1000, "<=", 100)
            && met;
    }
    return met ? 0 : 1;
}
