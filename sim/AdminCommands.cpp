#include "sim/AdminCommands.h"

#include "sim/CommandError.h"
#include "sim/DemoRegion.h"
#include "sim/FormatEngine.h"

namespace quorvane::ccsim::AdminCommands {

namespace {

const QString kUsage = QStringLiteral(
    "usage: ccsim COMMAND ...\n"
    "  demo                          reset the region to the demo region\n"
    "  generate N FRACTION M [SEED]  N VOBs, FRACTION of them replicated with M replicas each\n"
    "  work REPLICA@TAG N            N new operations at a replica\n"
    "  offline REPLICA@TAG           make a replica's host unreachable\n"
    "  online REPLICA@TAG            make it reachable again\n"
    "  latency REPLICA@TAG MS        simulated host latency (REPLICA * for all)\n"
    "  show TAG                      the true state of a VOB family\n"
    "  log                           the commands received\n"
    "  where                         the region folder\n"
    "  cleartool|multitool|ccperl ARGS...  run as that program\n");

qint64 number(const QString &text, qint64 lo, qint64 hi, const QString &what)
{
    bool ok = false;
    const qint64 n = text.toLongLong(&ok);
    if (!ok || n < lo || n > hi)
        throw CommandError(QStringLiteral("%1 must be a whole number from %2 to %3, not \"%4\".")
                               .arg(what, QString::number(lo), QString::number(hi), text));
    return n;
}

void needArgs(const QStringList &args, qsizetype lo, qsizetype hi)
{
    if (args.size() - 1 < lo || args.size() - 1 > hi)
        throw CommandError(QStringLiteral("Wrong number of arguments for \"%1\".\n").arg(args.first()) + kUsage);
}

// Applies change to the replicas a selector names; "*" names them all.
void forReplicas(const Context &ctx, const QString &selector, const std::function<void(Replica &)> &change)
{
    const Selector sel = parseSelector(selector, true);
    ctx.store.modify({sel.tag}, [&](Region &region) {
        Vob &v = findVob(region, sel.tag);
        if (sel.replica == QLatin1String("*")) {
            for (Replica &r : v.replicas)
                change(r);
            return;
        }
        findReplica(v, sel.replica);
        change(*v.replica(sel.replica));
    });
}

QString show(const Vob &v)
{
    QString out = QStringLiteral("VOB %1 (storage %2), local replica %3\n\nReplicas:\n").arg(v.tag, v.storage, v.local);
    for (const Replica &r : v.replicas) {
        out += QStringLiteral("  %1 host %2, master %3, %4, latency %5 ms, created %6\n")
                   .arg(r.name, r.host, r.master,
                        r.reachable ? QStringLiteral("reachable") : QStringLiteral("UNREACHABLE"),
                        QString::number(r.latencyMs), FormatEngine::isoDate(r.created));
    }
    out += QStringLiteral("\nActual rows (each replica's own state):\n");
    for (const Replica &r : v.replicas)
        out += QStringLiteral("  %1: %2\n").arg(r.name, rowText(completeRow(v, r.own)));
    out += QStringLiteral("\nLocal epoch table at %1:\n").arg(v.local);
    for (const Replica &r : v.replicas)
        out += QStringLiteral("  %1: %2\n").arg(r.name, rowText(v.localRow(r.name)));
    out += QStringLiteral("\nPackets waiting for earlier changes:\n");
    QString waiting;
    for (const Replica &r : v.replicas) {
        for (const Packet &p : r.incoming)
            waiting += QStringLiteral("  at %1: %2 from %3, needs %4\n").arg(r.name, p.name, p.from, rowText(p.base));
    }
    out += waiting.isEmpty() ? QStringLiteral("  (none)\n") : waiting;
    out += QStringLiteral("\nPackets lost on the way:\n");
    for (const Packet &p : v.lost)
        out += QStringLiteral("  to %1: %2, carried %3\n").arg(p.to, p.name, rowText(p.upto));
    if (v.lost.isEmpty())
        out += QStringLiteral("  (none)\n");
    return out;
}

} // namespace

int run(const QStringList &args, Context &ctx)
{
    if (args.isEmpty() || args.first() == QLatin1String("help") || args.first() == QLatin1String("--help")) {
        ctx.output.out(kUsage);
        return args.isEmpty() ? 1 : 0;
    }
    const QString &command = args.first();
    if (command == QLatin1String("demo")) {
        needArgs(args, 0, 0);
        ctx.store.replace(DemoRegion::build(QDateTime::currentDateTimeUtc()));
        ctx.output.out(QStringLiteral("The demo region is ready in %1\n").arg(ctx.store.directory()));
    } else if (command == QLatin1String("generate")) {
        needArgs(args, 3, 4);
        const int vobs = int(number(args.at(1), 1, 5000, QStringLiteral("The number of VOBs")));
        bool ok = false;
        const double fraction = args.at(2).toDouble(&ok);
        if (!ok || fraction < 0 || fraction > 1)
            throw CommandError(QStringLiteral("The replicated fraction must be a number from 0 to 1."));
        const int replicas = int(number(args.at(3), 1, 200, QStringLiteral("The number of replicas")));
        const quint32 seed = args.size() > 4 ? quint32(number(args.at(4), 0, 4294967295LL, QStringLiteral("The seed"))) : 1;
        ctx.store.replace(DemoRegion::generate(QDateTime::currentDateTimeUtc(), vobs, fraction, replicas, seed));
        ctx.output.out(QStringLiteral("Generated %1 VOBs in %2\n").arg(QString::number(vobs), ctx.store.directory()));
    } else if (command == QLatin1String("work")) {
        needArgs(args, 2, 2);
        const qint64 n = number(args.at(2), 0, 1000000, QStringLiteral("The number of operations"));
        forReplicas(ctx, args.at(1), [&](Replica &r) { r.own[r.name] = r.own.value(r.name) + n; });
    } else if (command == QLatin1String("offline") || command == QLatin1String("online")) {
        needArgs(args, 1, 1);
        const bool on = command == QLatin1String("online");
        forReplicas(ctx, args.at(1), [&](Replica &r) { r.reachable = on; });
    } else if (command == QLatin1String("latency")) {
        needArgs(args, 2, 2);
        const int ms = int(number(args.at(2), 0, 600000, QStringLiteral("The latency")));
        forReplicas(ctx, args.at(1), [&](Replica &r) { r.latencyMs = ms; });
    } else if (command == QLatin1String("show")) {
        needArgs(args, 1, 1);
        ctx.output.out(show(findVob(ctx.store.read({args.at(1)}), args.at(1))));
    } else if (command == QLatin1String("log")) {
        needArgs(args, 0, 0);
        ctx.output.out(ctx.store.logText());
    } else if (command == QLatin1String("where")) {
        needArgs(args, 0, 0);
        ctx.output.out(ctx.store.directory() + QLatin1Char('\n'));
    } else {
        throw CommandError(QStringLiteral("Unrecognized command: \"%1\"\n").arg(command) + kUsage);
    }
    return 0;
}

} // namespace quorvane::ccsim::AdminCommands
