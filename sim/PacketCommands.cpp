#include "sim/PacketCommands.h"

#include "sim/CommandError.h"
#include "sim/DemoRegion.h"
#include "sim/FormatEngine.h"
#include "sim/Replication.h"
#include "sim/Shipping.h"

namespace quorvane::ccsim::PacketCommands {

namespace {

// A packet as it lies in one of this host's bays.
struct BayEntry {
    QString path;
    const Vob *vob = nullptr;
    Packet packet;
    bool local = false;      // its target is the replica on this host
    bool importable = false; // local, and it depends on no other packet
};

QList<BayEntry> bayEntries(const Region &region, const RegionStore &store)
{
    QList<BayEntry> incoming, outgoing, returned;
    const QString in = store.bay(QStringLiteral("incoming")) + QLatin1Char('/');
    const QString out = store.bay(QStringLiteral("outgoing")) + QLatin1Char('/');
    const QString back = store.returnBay() + QLatin1Char('/');
    for (const Vob &v : region.vobs) {
        const Replica &local = v.localReplica();
        for (const Packet &p : local.incoming)
            incoming << BayEntry{in + p.name, &v, p, true, Replication::missingFor(p, local.own).isEmpty()};
        for (const Packet &p : v.outgoing)
            outgoing << BayEntry{out + p.name, &v, p, false, false};
        for (const Packet &p : v.returned)
            returned << BayEntry{back + p.name, &v, p, false, false};
    }
    return incoming + outgoing + returned;
}

QString describe(const BayEntry &e, bool longForm, bool endRange)
{
    const Vob &v = *e.vob;
    QString target = e.packet.to;
    if (e.local)
        target += (e.importable ? QStringLiteral("*") : QString()) + QStringLiteral(" [ local to this network ] tag: ")
            + v.tag;
    QString out = QStringLiteral("Packet is: %1\nPacket type: Update\nVOB family identifier is: %2\n"
                                 "Comment supplied at packet creation is:\n"
                                 "Packet intended for the following targets:\n  %3\n")
                      .arg(e.path, DemoRegion::oidFor(v.tag, QString()), target);
    if (longForm) {
        const Replica *origin = v.replica(e.packet.from);
        out += QStringLiteral("Originating replica is: %1\nThe following replicas are referenced by this packet:\n")
                   .arg(origin ? origin->oid : e.packet.from);
        const Row base = completeRow(v, e.packet.base);
        for (const Replica &r : v.replicas) {
            out += QStringLiteral("%1\nfirst oplog id is %2\n").arg(r.name).arg(base.value(r.name));
            if (endRange)
                out += QStringLiteral("last oplog id is %1\n").arg(e.packet.upto.value(r.name));
            out += QStringLiteral("incarnation is 0\n");
        }
        out += QStringLiteral("The major packet version is 1, the minor packet version is 2\n");
    }
    return out + QStringLiteral("The packet sequence number is 1\n");
}

} // namespace

int lspacket(const QStringList &args, Context &ctx)
{
    const ParsedArgs a = parseArgs(args, {{QStringLiteral("-l/ong")}, {QStringLiteral("-s/hort")},
                                          {QStringLiteral("-endrange")}});
    const bool longForm = a.has(QStringLiteral("-long"));
    if (longForm && a.has(QStringLiteral("-short")))
        throw CommandError(QStringLiteral("Only one of \"-long\" and \"-short\" may be given."));
    if (a.has(QStringLiteral("-endrange")) && !longForm)
        throw CommandError(QStringLiteral("\"-endrange\" requires \"-long\"."));
    // Packets that have reached this host by now lie in its incoming bay,
    // imported or not.
    Region region = ctx.store.read(RegionStore::Detail::WithoutHistory);
    const QDateTime now = ctx.store.now();
    for (Vob &v : region.vobs)
        Shipping::arrive(v, now);
    const QList<BayEntry> all = bayEntries(region, ctx.store);

    QList<const BayEntry *> chosen;
    int status = 0;
    if (a.positional.isEmpty()) {
        for (const BayEntry &e : all)
            chosen << &e;
    }
    const QStringList bays{ctx.store.bay(QStringLiteral("incoming")), ctx.store.bay(QStringLiteral("outgoing")),
                           ctx.store.returnBay()};
    for (QString name : a.positional) {
        while (name.size() > 1 && name.endsWith(QLatin1Char('/')))
            name.chop(1);
        const bool bay = bays.contains(name);
        bool found = bay;
        for (const BayEntry &e : all) {
            const bool inBay = bay && e.path.section(QLatin1Char('/'), 0, -2) == name;
            if (inBay || e.path == name || e.packet.name == name) {
                chosen << &e;
                found = true;
            }
        }
        if (!found) {
            ctx.error(QStringLiteral("Unable to access \"%1\": No such file or directory.").arg(name));
            status = 1;
        }
    }

    QStringList blocks;
    for (const BayEntry *e : std::as_const(chosen)) {
        if (a.has(QStringLiteral("-short")))
            blocks << e->path + QLatin1Char('\n');
        else
            blocks << describe(*e, longForm, a.has(QStringLiteral("-endrange")));
    }
    ctx.output.out(blocks.join(a.has(QStringLiteral("-short")) ? QString() : QStringLiteral("\n")));
    return status;
}

int poll(const Context &ctx, bool quiet, bool scheduled)
{
    const QString outgoing = ctx.store.bay(QStringLiteral("outgoing"));
    const QString back = ctx.store.returnBay();
    QString out;
    QStringList errors, mail;
    // Only the VOBs with packets to ship are read whole and written.
    QStringList tags;
    for (const Vob &v : ctx.store.read(RegionStore::Detail::WithoutHistory).vobs) {
        if (!v.outgoing.isEmpty())
            tags << v.tag;
    }
    if (tags.isEmpty())
        return 0;
    ctx.store.modify(tags, [&](Region &region) {
        const QDateTime now = ctx.store.now();
        for (Vob &v : region.vobs) {
            if (v.outgoing.isEmpty())
                continue;
            for (const Shipping::Shipped &s : Shipping::ship(v, now)) {
                const QString path = outgoing + QLatin1Char('/') + s.packet.name;
                const Replica *to = v.replica(s.packet.to);
                const QString host = to ? to->host : s.packet.to;
                switch (s.fate) {
                case Shipping::Fate::Delivered:
                case Shipping::Fate::Lost:
                    out += QStringLiteral(" -- Forwarded/delivered packet %1\n").arg(path);
                    break;
                case Shipping::Fate::Waiting:
                    errors << QStringLiteral("Cannot deliver packet %1 to host \"%2\": the host is not reachable. "
                                             "The shipping order expires %3.")
                                  .arg(path, host, FormatEngine::isoDate(s.packet.expires));
                    break;
                case Shipping::Fate::Returned:
                    out += QStringLiteral(" -- Shipping order expired; packet returned to %1/%2\n").arg(back, s.packet.name);
                    mail << Shipping::returnMail(v, s.packet, outgoing, back);
                    break;
                }
            }
        }
    });
    ctx.store.appendMail(mail);
    if (!quiet)
        ctx.output.out(out);
    for (const QString &e : std::as_const(errors)) {
        if (scheduled)
            ctx.warning(e);
        else
            ctx.error(e);
    }
    return errors.isEmpty() || scheduled ? 0 : 1;
}

int mkorder(const QStringList &args, Context &ctx)
{
    const ParsedArgs a = parseArgs(args, {{QStringLiteral("-dat/a"), true},   {QStringLiteral("-scl/ass"), true},
                                          {QStringLiteral("-pex/pire"), true}, {QStringLiteral("-not/ify"), true},
                                          {QStringLiteral("-c"), true},        {QStringLiteral("-cq")},
                                          {QStringLiteral("-cqe")},            {QStringLiteral("-nc")},
                                          {QStringLiteral("-shi/p")},          {QStringLiteral("-fsh/ip")},
                                          {QStringLiteral("-cop/y")},          {QStringLiteral("-out"), true}});
    if (!a.has(QStringLiteral("-data")))
        throw CommandError(QStringLiteral("\"-data\" is required: the packet to ship."));
    if (a.has(QStringLiteral("-out")) || a.has(QStringLiteral("-ship")) == a.has(QStringLiteral("-fship")))
        throw CommandError(QStringLiteral("This region makes orders with one of \"-ship\" or \"-fship\"."));
    if (a.positional.isEmpty())
        throw CommandError(QStringLiteral("No destination given."));
    QString name = a.value(QStringLiteral("-data"));
    name.replace(QLatin1Char('\\'), QLatin1Char('/'));
    const QString dir = name.section(QLatin1Char('/'), 0, -2);
    name = name.section(QLatin1Char('/'), -1);
    if (!dir.isEmpty() && dir != ctx.store.returnBay())
        throw CommandError(QStringLiteral("This region resubmits only packets of its return bay \"%1\".")
                               .arg(ctx.store.returnBay()));
    QDateTime expires;
    if (a.has(QStringLiteral("-pexpire"))) {
        expires = QDateTime::fromString(a.value(QStringLiteral("-pexpire")), Qt::ISODate);
        if (!expires.isValid())
            throw CommandError(QStringLiteral("Invalid date-time \"%1\": give it as 2026-12-24T18:00:00Z.")
                                   .arg(a.value(QStringLiteral("-pexpire"))));
    }

    const Region region = ctx.store.read(RegionStore::Detail::WithoutHistory);
    QString tag;
    for (const Vob &v : region.vobs) {
        for (const Packet &p : v.returned) {
            if (p.name != name)
                continue;
            const Replica *to = v.replica(p.to);
            for (const QString &d : a.positional) {
                if (!to || (d != to->host && d != to->name))
                    throw CommandError(QStringLiteral("Packet \"%1\" is for replica \"%2\" on host \"%3\", not for "
                                                      "\"%4\".")
                                           .arg(name, p.to, to ? to->host : QString(), d));
            }
            tag = v.tag;
        }
    }
    if (tag.isEmpty())
        throw CommandError(QStringLiteral("Unable to access \"%1\": No such file or directory.")
                               .arg(a.value(QStringLiteral("-data"))));
    const QString outgoing = ctx.store.bay(QStringLiteral("outgoing"));
    QList<Shipping::Shipped> shipped;
    ctx.store.modify({tag}, [&](Region &reg) {
        Vob &v = findVob(reg, tag);
        const QDateTime now = ctx.store.now();
        for (qsizetype i = 0; i < v.returned.size(); ++i) {
            if (v.returned[i].name != name)
                continue;
            Packet p = v.returned.takeAt(i);
            p.expires = expires.isValid() ? expires : now.addDays(Shipping::kOrderDays);
            v.outgoing << p;
            break;
        }
        if (a.has(QStringLiteral("-fship")))
            shipped = Shipping::ship(v, now, {name});
    });
    QString out = QStringLiteral(" - shipping order file is %1/sh_o_%2\n").arg(outgoing, name);
    if (a.has(QStringLiteral("-fship"))) {
        out += QStringLiteral("Attempting to forward/deliver generated packets...\n");
        const Shipping::Fate fate = shipped.value(0).fate;
        if (fate == Shipping::Fate::Delivered || fate == Shipping::Fate::Lost)
            out += QStringLiteral(" -- Forwarded/delivered packet %1/%2\n").arg(outgoing, name);
        else
            ctx.warning(QStringLiteral("Cannot deliver packet %1/%2: the host is not reachable; it waits in the "
                                       "outgoing bay.")
                            .arg(outgoing, name));
    }
    ctx.output.out(out);
    return 0;
}

int shippingServer(const QStringList &args, Context &ctx)
{
    const ParsedArgs a = parseArgs(args, {{QStringLiteral("-poll")}, {QStringLiteral("-quiet")},
                                          {QStringLiteral("-scl/ass"), true}});
    if (!a.has(QStringLiteral("-poll")) || !a.positional.isEmpty())
        throw CommandError(QStringLiteral("This region's shipping server runs only as \"shipping_server -poll\"."));
    return poll(ctx, a.has(QStringLiteral("-quiet")));
}

} // namespace quorvane::ccsim::PacketCommands
