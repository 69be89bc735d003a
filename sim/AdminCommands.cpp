#include "sim/AdminCommands.h"

#include "sim/CommandError.h"
#include "sim/DemoRegion.h"
#include "sim/FormatEngine.h"
#include "sim/PacketCommands.h"
#include "sim/Shipping.h"

namespace quorvane::ccsim::AdminCommands {

namespace {

const QString kUsage = QStringLiteral(
    "usage: ccsim COMMAND ...\n"
    "  demo                          reset the region to the demo region\n"
    "  generate N FRACTION M [SEED [HOSTS]]\n"
    "                                N VOBs, FRACTION of them replicated with M replicas each,\n"
    "                                the siblings spread over HOSTS hosts (default M)\n"
    "  work REPLICA@TAG N            N new operations at a replica\n"
    "  offline REPLICA@TAG           make a replica's host unreachable\n"
    "  online REPLICA@TAG            make it reachable again\n"
    "  latency REPLICA@TAG MS        simulated host latency (REPLICA * for all)\n"
    "  lose REPLICA@TAG on|off       packets shipped to a replica are lost on the way\n"
    "                                (offline: they wait in the outgoing bay instead)\n"
    "  scrub TAG ORIGIN ID           remove this site's oplog entries of ORIGIN up to ID\n"
    "  clock [+3d|+12h|+30m|+45s]    the region's time, or move it forward; moving it runs\n"
    "                                the hourly shipping_server -poll once, at the new time\n"
    "  clock stop|run                stop the region's time, or let it run again\n"
    "  mail                          the shipping server's notices to the administrator\n"
    "  show TAG                      the true state of a VOB family\n"
    "  log                           the commands received\n"
    "  where                         the region folder\n"
    "  cleartool|multitool|ccperl|shipping_server|mkorder ARGS...  run as that program\n");

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
    const auto list = [&out](const QString &title, const QList<Packet> &packets, const QString &when,
                             const QDateTime Packet::*moment) {
        out += title;
        for (const Packet &p : packets)
            out += QStringLiteral("  %1 to %2, %3 %4, carries %5\n")
                       .arg(p.name, p.to, when, FormatEngine::isoDate(p.*moment), rowText(p.upto));
        if (packets.isEmpty())
            out += QStringLiteral("  (none)\n");
    };
    list(QStringLiteral("\nPackets in the outgoing bay:\n"), v.outgoing, QStringLiteral("order expires"),
         &Packet::expires);
    list(QStringLiteral("\nPackets in the return bay:\n"), v.returned, QStringLiteral("order expired"),
         &Packet::expires);
    list(QStringLiteral("\nPackets on their way here:\n"), v.inTransit, QStringLiteral("arrives"), &Packet::arrives);
    out += QStringLiteral("\nOplog scrubbed at %1: %2\n")
               .arg(v.local, v.localReplica().scrubbed.isEmpty() ? QStringLiteral("(nothing)")
                                                                 : rowText(v.localReplica().scrubbed));
    for (const Replica &r : v.replicas) {
        if (r.losesPackets)
            out += QStringLiteral("Packets to %1 are lost on the way.\n").arg(r.name);
    }
    return out;
}

void scrub(const Context &ctx, const QString &tag, const QString &origin, qint64 upto)
{
    ctx.store.modify({tag}, [&](Region &region) {
        Vob &v = findVob(region, tag);
        findReplica(v, origin);
        Replica &local = v.localReplica();
        const qint64 held = local.own.value(origin);
        if (upto > held)
            throw CommandError(QStringLiteral("Replica \"%1\" holds only %2 oplog entries of \"%3\".")
                                   .arg(local.name)
                                   .arg(held)
                                   .arg(origin));
        // Scrubbed entries are gone: a lower point removes nothing more.
        local.scrubbed[origin] = std::max(local.scrubbed.value(origin), upto);
    });
}

int clock(const Context &ctx, const QString &step)
{
    RegionClock clock = ctx.store.clock();
    if (step == QLatin1String("stop")) {
        clock = RegionClock{0, clock.now()};
    } else if (step == QLatin1String("run")) {
        if (clock.stoppedAt.isValid())
            clock = RegionClock{clock.stoppedAt.toMSecsSinceEpoch() - QDateTime::currentMSecsSinceEpoch(), {}};
    } else if (!step.isEmpty()) {
        clock = clock.advanced(RegionClock::parseStep(step));
    }
    if (!step.isEmpty())
        ctx.store.setClock(clock);
    ctx.output.out(FormatEngine::isoDate(clock.now()) + (clock.stoppedAt.isValid() ? QStringLiteral(" (stopped)\n")
                                                                                   : QStringLiteral("\n")));
    // Time passed: the hourly poll of the shipping server ran meanwhile.
    if (step.startsWith(QLatin1Char('+')))
        return PacketCommands::poll(ctx, false, true);
    return 0;
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
        // The demo starts from the system's time, with an empty mailbox
        // but for the notices its own returned packets would have sent.
        ctx.store.setClock(RegionClock{});
        const Region demo = DemoRegion::build(ctx.store.now());
        ctx.store.replace(demo);
        ctx.store.clearMail();
        QStringList mail;
        for (const Vob &v : demo.vobs) {
            for (const Packet &p : v.returned)
                mail << Shipping::returnMail(v, p, ctx.store.bay(QStringLiteral("outgoing")), ctx.store.returnBay());
        }
        ctx.store.appendMail(mail);
        ctx.output.out(QStringLiteral("The demo region is ready in %1\n").arg(ctx.store.directory()));
    } else if (command == QLatin1String("generate")) {
        needArgs(args, 3, 5);
        const int vobs = int(number(args.at(1), 1, 5000, QStringLiteral("The number of VOBs")));
        bool ok = false;
        const double fraction = args.at(2).toDouble(&ok);
        if (!ok || fraction < 0 || fraction > 1)
            throw CommandError(QStringLiteral("The replicated fraction must be a number from 0 to 1."));
        const int replicas = int(number(args.at(3), 1, 200, QStringLiteral("The number of replicas")));
        const quint32 seed = args.size() > 4 ? quint32(number(args.at(4), 0, 4294967295LL, QStringLiteral("The seed"))) : 1;
        const int hosts = args.size() > 5 ? int(number(args.at(5), replicas, 999, QStringLiteral("The number of hosts")))
                                          : replicas;
        ctx.store.setClock(RegionClock{});
        ctx.store.clearMail();
        ctx.store.replace(DemoRegion::generate(ctx.store.now(), vobs, fraction, replicas, seed, hosts));
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
    } else if (command == QLatin1String("lose")) {
        needArgs(args, 2, 2);
        if (args.at(2) != QLatin1String("on") && args.at(2) != QLatin1String("off"))
            throw CommandError(QStringLiteral("\"lose\" takes \"on\" or \"off\", not \"%1\".").arg(args.at(2)));
        const bool on = args.at(2) == QLatin1String("on");
        forReplicas(ctx, args.at(1), [&](Replica &r) { r.losesPackets = on; });
    } else if (command == QLatin1String("scrub")) {
        needArgs(args, 3, 3);
        scrub(ctx, args.at(1), args.at(2), number(args.at(3), 0, 2147483647, QStringLiteral("The oplog id")));
    } else if (command == QLatin1String("clock")) {
        needArgs(args, 0, 1);
        return clock(ctx, args.value(1));
    } else if (command == QLatin1String("mail")) {
        needArgs(args, 0, 0);
        ctx.output.out(ctx.store.mailText());
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
