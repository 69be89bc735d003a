#include "sim/MultiToolCommands.h"

#include "sim/CommandError.h"

#include <QRegularExpression>

namespace quorvane::ccsim::MultiToolCommands {

namespace {

// For commands that list no history: they never read it.
constexpr RegionStore::Detail NoHistory = RegionStore::Detail::WithoutHistory;

// The largest epoch number chepoch takes, and a sane upper bound for the
// oplog ids of a replica.
constexpr qint64 kMaxEpoch = 2147483647;

QString header(const Vob &v)
{
    return QStringLiteral("For VOB replica \"%1\":\n").arg(v.tag);
}

// A row that lsepoch -actual fetched from the replica's host is headed
// "Actual oplog IDs for row", as clients written against real logs expect;
// the rows of this site's own table keep the plain heading.
QString rowBlock(const Vob &v, const Replica &r, const Row &row, bool fetched = false)
{
    QString out = QStringLiteral("%1 IDs for row \"%2\" (@ %3):\n")
                      .arg(fetched ? QStringLiteral("Actual oplog") : QStringLiteral("Oplog"), r.name, r.host);
    for (const Replica &origin : v.replicas)
        out += oidLine(origin.oid, row.value(origin.name), origin.name);
    return out;
}

int lsepoch(const QStringList &args, Context &ctx)
{
    const ParsedArgs a = parseArgs(args, {{QStringLiteral("-inv/ob"), true}, {QStringLiteral("-act/ual")}});
    const Region region =
        ctx.store.read(a.has(QStringLiteral("-invob")) ? QStringList{a.value(QStringLiteral("-invob"))}
                                                       : tagsNamed(a.positional, true),
                       NoHistory);
    if (a.has(QStringLiteral("-invob"))) {
        if (!a.positional.isEmpty() || a.has(QStringLiteral("-actual")))
            throw CommandError(QStringLiteral("\"-invob\" cannot be combined with replica selectors."));
        const Vob &v = findVob(region, a.value(QStringLiteral("-invob")));
        QString out = header(v) + rowBlock(v, v.localReplica(), v.localRow(v.local));
        for (const Replica &r : v.replicas) {
            if (r.name != v.local)
                out += rowBlock(v, r, v.localRow(r.name));
        }
        ctx.output.out(out);
        return 0;
    }
    if (a.positional.isEmpty())
        throw CommandError(QStringLiteral("Unable to determine VOB for pathname \".\"."));
    int status = 0;
    QString lastTag;
    for (const QString &text : a.positional) {
        try {
            const Selector sel = parseSelector(text, true);
            const Vob &v = findVob(region, sel.tag);
            const Replica &r = findReplica(v, sel.replica);
            Row row = v.localRow(r.name);
            if (a.has(QStringLiteral("-actual")) && r.name != v.local) {
                ctx.wait(r.latencyMs);
                Replication::requireReachable(r);
                row = completeRow(v, r.own);
                const qint64 mine = v.localReplica().own.value(v.local);
                if (row.value(v.local) > mine) {
                    ctx.warning(QStringLiteral("Your replica (\"%1\") has fewer oplog entries for itself than "
                                               "replica \"%2\" (%3, it has %4).")
                                    .arg(v.local, r.name)
                                    .arg(mine)
                                    .arg(row.value(v.local)));
                    ctx.warning(QStringLiteral("Start the replica restoration procedure (restorereplica) "
                                               "before any further development."));
                }
            }
            QString out = v.tag == lastTag ? QString() : header(v);
            lastTag = v.tag;
            ctx.output.out(out + rowBlock(v, r, row, a.has(QStringLiteral("-actual"))));
        } catch (const CommandError &e) {
            ctx.error(e.message());
            status = 1;
        }
    }
    return status;
}

qint64 epochValue(const QString &text, const QString &name)
{
    static const QRegularExpression digits(QStringLiteral("^[0-9]{1,10}$"));
    bool ok = digits.match(text).hasMatch();
    const qint64 value = ok ? text.toLongLong(&ok) : -1;
    if (!ok || value > kMaxEpoch) {
        throw CommandError(QStringLiteral("Invalid epoch number \"%1\" for \"%2\": give a whole number "
                                          "from 0 to %3.")
                               .arg(text, name)
                               .arg(kMaxEpoch));
    }
    return value;
}

// name=N or oid:<oid>=N, for a replica of the family.
std::pair<QString, qint64> epochEntry(const Vob &v, const QString &entry)
{
    const qsizetype eq = entry.lastIndexOf(QLatin1Char('='));
    if (eq <= 0)
        throw CommandError(QStringLiteral("Invalid epoch entry \"%1\": expected NAME=NUMBER.").arg(entry));
    QString name = entry.left(eq);
    if (name.startsWith(QLatin1String("oid:"))) {
        const QString oid = name.mid(4);
        name.clear();
        for (const Replica &r : v.replicas) {
            if (r.oid == oid)
                name = r.name;
        }
        if (name.isEmpty())
            throw CommandError(QStringLiteral("No replica of \"%1\" has the object id \"%2\".").arg(v.tag, oid));
    } else {
        findReplica(v, name);
    }
    return {name, epochValue(entry.mid(eq + 1), name)};
}

int chepochActual(const ParsedArgs &a, Context &ctx)
{
    int status = 0;
    for (const QString &text : a.positional) {
        try {
            const Selector sel = parseSelector(text, true);
            const Region region = ctx.store.read({sel.tag});
            const Replica &r = findReplica(findVob(region, sel.tag), sel.replica);
            if (r.reachable)
                ctx.wait(r.latencyMs);
            QList<EntryChange> changes;
            ctx.store.modify({sel.tag}, [&](Region &reg) {
                changes = Replication::takeActual(findVob(reg, sel.tag), sel.replica,
                                                  a.has(QStringLiteral("-raise_only")));
            });
            QString out;
            for (const EntryChange &c : changes)
                out += entryChangeLine(c);
            ctx.output.out(out);
        } catch (const CommandError &e) {
            ctx.error(e.message());
            status = 1;
        }
    }
    return status;
}

int chepoch(const QStringList &args, Context &ctx)
{
    const ParsedArgs a = parseArgs(args, {{QStringLiteral("-f/orce")},
                                          {QStringLiteral("-act/ual")},
                                          {QStringLiteral("-raise/_only")},
                                          {QStringLiteral("-c/omment"), true},
                                          {QStringLiteral("-nc/omment")}});
    if (a.positional.isEmpty())
        throw CommandError(QStringLiteral("No replica given to change the epoch row of."));
    if (a.has(QStringLiteral("-actual")))
        return chepochActual(a, ctx);

    const Selector sel = parseSelector(a.positional.first(), true);
    const Region region = ctx.store.read({sel.tag});
    const Vob &v = findVob(region, sel.tag);
    findReplica(v, sel.replica);
    if (sel.replica == v.local) {
        throw CommandError(QStringLiteral("Cannot change the epoch row of the current replica \"%1\": it "
                                          "records the replica's actual state.")
                               .arg(sel.replica));
    }
    QStringList entries = a.positional.mid(1);
    if (entries.isEmpty()) {
        ctx.output.out(QStringLiteral("Enter specifications for epochs to change in row \"%1\" (one per line)\n")
                           .arg(sel.replica));
        while (const std::optional<QString> line = ctx.input.readLine()) {
            if (line->trimmed() == QLatin1String("."))
                break;
            if (!line->trimmed().isEmpty())
                entries << line->trimmed();
        }
    }
    Row values;
    for (const QString &entry : std::as_const(entries)) {
        const auto [name, value] = epochEntry(v, entry);
        values.insert(name, value);
    }
    if (!a.has(QStringLiteral("-force"))) {
        ctx.output.out(QStringLiteral("Change oplog IDs in row \"%1\" [no] ").arg(sel.replica));
        const QString answer = ctx.input.readLine().value_or(QString()).trimmed().toLower();
        if (answer != QLatin1String("yes") && answer != QLatin1String("y")) {
            ctx.output.out(QStringLiteral("Epoch row not changed.\n"));
            return 0;
        }
    }
    ctx.store.modify({sel.tag}, [&](Region &reg) {
        Replication::setEstimate(findVob(reg, sel.tag), sel.replica, values);
    });
    ctx.output.out(QStringLiteral("Epoch row successfully set.\n"));
    return 0;
}

int exportPackets(const ParsedArgs &a, Context &ctx)
{
    if (a.has(QStringLiteral("-out")))
        throw CommandError(QStringLiteral("This region ships packets only with \"-ship\" or \"-fship\"."));
    if (!a.has(QStringLiteral("-ship")) && !a.has(QStringLiteral("-fship")))
        throw CommandError(QStringLiteral("One of \"-ship\", \"-fship\" or \"-out\" is required with \"-export\"."));
    if (a.positional.isEmpty())
        throw CommandError(QStringLiteral("No replica given to export to."));
    QList<Selector> targets;
    const Region region = ctx.store.read(tagsNamed(a.positional, true));
    for (const QString &text : a.positional) {
        const Selector sel = parseSelector(text, true);
        const Vob &v = findVob(region, sel.tag);
        findReplica(v, sel.replica);
        if (sel.replica == v.local)
            throw CommandError(QStringLiteral("Cannot export to the current replica \"%1\".").arg(sel.replica));
        targets << sel;
    }
    const QString outgoing = ctx.store.bay(QStringLiteral("outgoing")) + QLatin1Char('/');
    const bool shipNow = a.has(QStringLiteral("-fship"));
    QStringList delivered;
    int generated = 0;
    int status = 0;
    for (const Selector &sel : std::as_const(targets)) {
        const Vob &v = findVob(region, sel.tag);
        const Replica &r = findReplica(v, sel.replica);
        // The oplog is read before anything is written: an export that
        // cannot find its entries generates no packet.
        if (const QList<OplogGap> gaps = Replication::scrubbedGaps(v, r.name); !gaps.isEmpty()) {
            for (const OplogGap &g : gaps) {
                ctx.error(QStringLiteral("Can not find oplog from replica \"%1\" with id %2").arg(g.origin).arg(g.needed));
                ctx.error(QStringLiteral("First oplog entry from replica \"%1\" is %2").arg(g.origin).arg(g.first));
            }
            ctx.error(QStringLiteral("Gap in oplog entries may indicate missing oplog entries."));
            status = 1;
            continue;
        }
        if (shipNow && r.reachable && !r.losesPackets)
            ctx.wait(r.latencyMs);
        ExportResult result;
        try {
            ctx.store.modify({sel.tag}, [&](Region &reg) {
                result = Replication::exportTo(findVob(reg, sel.tag), sel.replica, ctx.moment(), shipNow);
            });
        } catch (const CommandError &e) {
            ctx.error(e.message());
            status = 1;
            continue;
        }
        ++generated;
        const QString path = outgoing + result.packet.name;
        ctx.output.out(QStringLiteral("Generating synchronization packet %1\n - shipping order file is %2sh_o_%3\n")
                           .arg(path, outgoing, result.packet.name));
        if (!result.shipped)
            continue;
        // A packet dropped on the way looks delivered to the sender.
        if (result.fate == Shipping::Fate::Delivered || result.fate == Shipping::Fate::Lost) {
            delivered << path;
        } else if (result.fate == Shipping::Fate::Waiting) {
            ctx.warning(QStringLiteral("Cannot deliver packet %1 to host \"%2\" of replica \"%3\": the host is not "
                                       "reachable. It stays in the outgoing bay until its shipping order expires (%4).")
                            .arg(path, r.host, r.name, result.packet.expires.toUTC().toString(Qt::ISODate)));
        }
    }
    if (shipNow && generated > 0) {
        QString out = QStringLiteral("Attempting to forward/deliver generated packets...\n");
        for (const QString &path : std::as_const(delivered))
            out += QStringLiteral(" -- Forwarded/delivered packet %1\n").arg(path);
        ctx.output.out(out);
    }
    return status;
}

int importPackets(const ParsedArgs &a, Context &ctx)
{
    if (!a.has(QStringLiteral("-receive")))
        throw CommandError(QStringLiteral("This region imports only from the storage bay: use \"-receive\"."));
    if (!a.positional.isEmpty())
        throw CommandError(QStringLiteral("\"-receive\" takes no packet names."));
    const QString incoming = ctx.store.bay(QStringLiteral("incoming")) + QLatin1Char('/');
    QString out;
    int waiting = 0;
    const Moment at = ctx.moment();
    const auto importAll = [&](Region &reg) {
        QList<Vob *> vobs;
        if (a.has(QStringLiteral("-invob")))
            vobs << &findVob(reg, a.value(QStringLiteral("-invob")));
        else
            for (Vob &v : reg.vobs)
                vobs << &v;
        for (Vob *v : std::as_const(vobs)) {
            const ImportResult result = Replication::importReceive(*v, at);
            for (const Packet &p : result.applied)
                out += QStringLiteral("Applied sync. packet %1%2 to VOB %3\n").arg(incoming, p.name, v->storage);
            for (const Packet &p : result.waiting) {
                out += QStringLiteral("Sync. packet %1%2\nwas not applied to VOB %3\n"
                                      " - packet depends on changes not yet received\n")
                           .arg(incoming, p.name, v->storage);
                for (const EntryChange &m : Replication::missingFor(p, v->localReplica().own))
                    out += QStringLiteral("Packet requires changes up to %1; VOB has only %2 from replica: %3\n")
                               .arg(m.to)
                               .arg(m.from)
                               .arg(m.origin);
                ++waiting;
            }
        }
    };
    if (a.has(QStringLiteral("-invob")))
        ctx.store.modify({a.value(QStringLiteral("-invob"))}, importAll);
    else
        ctx.store.modify(importAll);
    ctx.output.out(out);
    if (waiting > 0) {
        ctx.error(QStringLiteral("%1 packet(s) not applied: they depend on changes not yet received.").arg(waiting));
        return 1;
    }
    return 0;
}

int syncreplica(const QStringList &args, Context &ctx)
{
    const ParsedArgs a = parseArgs(
        args, {{QStringLiteral("-exp/ort")},   {QStringLiteral("-imp/ort")},     {QStringLiteral("-fship")},
               {QStringLiteral("-ship")},      {QStringLiteral("-out"), true},   {QStringLiteral("-maxs/ize"), true},
               {QStringLiteral("-lim/it"), true}, {QStringLiteral("-comp/ress")}, {QStringLiteral("-scl/ass"), true},
               {QStringLiteral("-pexp/ire"), true}, {QStringLiteral("-not/ify"), true}, {QStringLiteral("-rec/eive")},
               {QStringLiteral("-inv/ob"), true}, {QStringLiteral("-c/omment"), true}, {QStringLiteral("-nc/omment")}});
    const bool out = a.has(QStringLiteral("-export"));
    const bool in = a.has(QStringLiteral("-import"));
    if (out == in)
        throw CommandError(QStringLiteral("Exactly one of \"-export\" and \"-import\" is required."));
    return out ? exportPackets(a, ctx) : importPackets(a, ctx);
}

} // namespace

QString oidLine(const QString &oid, qint64 value, const QString &name)
{
    return QString(QStringLiteral(" oid:") + oid + QLatin1Char('=') + QString::number(value).leftJustified(8)
                   + QLatin1Char('(') + name + QStringLiteral(")\n"));
}

QString entryChangeLine(const EntryChange &change)
{
    return QString(QStringLiteral("Entry for ") + change.origin.rightJustified(16) + QStringLiteral(" changed from: ")
                   + QString::number(change.from).rightJustified(11) + QStringLiteral(" to ")
                   + QString::number(change.to).rightJustified(11) + QLatin1Char('\n'));
}

bool handles(const QString &command)
{
    return command == QLatin1String("lsepoch") || command == QLatin1String("chepoch")
        || command == QLatin1String("syncreplica");
}

int run(const QString &command, const QStringList &args, Context &ctx)
{
    if (command == QLatin1String("lsepoch"))
        return lsepoch(args, ctx);
    if (command == QLatin1String("chepoch"))
        return chepoch(args, ctx);
    if (command == QLatin1String("syncreplica"))
        return syncreplica(args, ctx);
    throw CommandError(QStringLiteral("Unrecognized command: \"%1\"").arg(command));
}

} // namespace quorvane::ccsim::MultiToolCommands
