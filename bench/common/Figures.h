#pragma once

#include <QList>
#include <QString>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <functional>

namespace quorvane::bench {

// The times of repeated runs of one thing, in seconds. Machines that run
// other work meanwhile make single runs worthless: figures are medians with
// the spread beside them.
class Figures {
public:
    void add(double seconds) { m_values << seconds; }
    [[nodiscard]] qsizetype runs() const { return m_values.size(); }
    [[nodiscard]] double median() const
    {
        if (m_values.isEmpty())
            return 0;
        QList<double> v = m_values;
        std::sort(v.begin(), v.end());
        const qsizetype n = v.size();
        return n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
    }
    [[nodiscard]] double min() const { return m_values.isEmpty() ? 0 : *std::min_element(m_values.begin(), m_values.end()); }
    [[nodiscard]] double max() const { return m_values.isEmpty() ? 0 : *std::max_element(m_values.begin(), m_values.end()); }
    // "12.3 ms (10.1-15.0, 7 runs)"
    [[nodiscard]] QString text() const
    {
        return QStringLiteral("%1 ms (%2-%3, %4 runs)")
            .arg(median() * 1000, 0, 'f', 1)
            .arg(min() * 1000, 0, 'f', 1)
            .arg(max() * 1000, 0, 'f', 1)
            .arg(runs());
    }

private:
    QList<double> m_values;
};

// Runs f warm times after one run that is not counted (it fills caches and
// starts what is started once).
inline Figures timeWarm(int runs, const std::function<double()> &f)
{
    f();
    Figures figures;
    for (int i = 0; i < runs; ++i)
        figures.add(f());
    return figures;
}

// One line per goal, the form bench/run collects:
//   GOAL <name>: <value> (goal <op> <limit>) met|MISSED
// Returns whether the goal was met.
inline bool goal(const QString &name, double value, const char *op, double limit)
{
    const bool met = QLatin1String(op) == QLatin1String("<=") ? value <= limit : value >= limit;
    std::printf("GOAL %s: %.2f (goal %s %.2f) %s\n", qPrintable(name), value, op, limit, met ? "met" : "MISSED");
    std::fflush(stdout);
    return met;
}

// The exponent k of t ~ n^k between two sizes.
inline double growth(double n1, double t1, double n2, double t2)
{
    return std::log(t2 / t1) / std::log(n2 / n1);
}

// Window benchmarks run offscreen unless a display is set; call before the
// application object is made.
inline void offscreenWithoutDisplay()
{
    if (qEnvironmentVariableIsEmpty("DISPLAY") && qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
}

// The number in argv[index], or fallback when there are fewer arguments.
inline int argument(int argc, char *argv[], int index, int fallback)
{
    return argc > index ? QString::fromLocal8Bit(argv[index]).toInt() : fallback;
}

} // namespace quorvane::bench
