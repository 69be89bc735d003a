#include "sim/Replication.h"

#include "sim/CommandError.h"

#include <QLocale>

#include <algorithm>

namespace quorvane::ccsim::Replication {

namespace {

Replica &member(Vob &vob, const QString &name)
{
    Replica *r = vob.replica(name);
    if (!r)
        throw CommandError(QStringLiteral("Replica \"%1\" not found in VOB family \"%2\".").arg(name, vob.tag));
    return *r;
}

Replica &sibling(Vob &vob, const QString &name, const QString &what)
{
    Replica &r = member(vob, name);
    if (r.name == vob.local)
        throw CommandError(QStringLiteral("Cannot %1 the current replica \"%2\".").arg(what, name));
    return r;
}

// The packet brings news for an origin when it goes beyond its base there.
bool bringsNews(const Packet &p, const QString &origin)
{
    return p.upto.value(origin) > p.base.value(origin);
}

void raiseTo(Row &row, const Row &upto)
{
    for (auto it = upto.cbegin(); it != upto.cend(); ++it)
        row[it.key()] = std::max(row.value(it.key()), it.value());
}

} // namespace

void requireReachable(const Replica &replica)
{
    if (!replica.reachable) {
        throw CommandError(
            QStringLiteral("Unable to contact replica \"%1\" on host \"%2\": the host is not reachable.")
                .arg(replica.name, replica.host));
    }
}

QString packetName(const QString &sender, const QDateTime &at, qint64 pid, int seq)
{
    const QString stamp = QLocale::c().toString(at.toLocalTime(), QStringLiteral("dd-MMM-yy.HH.mm.ss"));
    return QStringLiteral("sync_%1_%2_%3_%4").arg(sender, stamp).arg(pid).arg(seq);
}

void addWork(Vob &vob, const QString &replica, qint64 n)
{
    if (n < 0)
        throw CommandError(QStringLiteral("The number of operations must not be negative."));
    Replica &r = member(vob, replica);
    r.own[r.name] = r.own.value(r.name) + n;
}

QList<EntryChange> missingFor(const Packet &packet, const Row &receiverOwn)
{
    QList<EntryChange> missing;
    for (auto it = packet.base.cbegin(); it != packet.base.cend(); ++it) {
        if (bringsNews(packet, it.key()) && receiverOwn.value(it.key()) < it.value())
            missing << EntryChange{it.key(), receiverOwn.value(it.key()), it.value()};
    }
    return missing;
}

QList<Packet> applyWaiting(Replica &receiver, const std::function<void(const Packet &)> &beforeApplying)
{
    QList<Packet> applied;
    bool progress = true;
    while (progress) {
        progress = false;
        for (qsizetype i = 0; i < receiver.incoming.size(); ++i) {
            if (!missingFor(receiver.incoming[i], receiver.own).isEmpty())
                continue;
            const Packet p = receiver.incoming.takeAt(i);
            if (beforeApplying)
                beforeApplying(p);
            raiseTo(receiver.own, p.upto);
            applied << p;
            progress = true;
            break;
        }
    }
    return applied;
}

QList<OplogGap> scrubbedGaps(const Vob &vob, const QString &target)
{
    const Replica &from = vob.localReplica();
    const Row base = vob.localRow(target);
    const Row upto = completeRow(vob, from.own);
    QList<OplogGap> gaps;
    for (auto it = from.scrubbed.cbegin(); it != from.scrubbed.cend(); ++it) {
        if (upto.value(it.key()) > base.value(it.key()) && base.value(it.key()) < it.value())
            gaps << OplogGap{it.key(), base.value(it.key()) + 1, it.value() + 1};
    }
    return gaps;
}

ExportResult exportTo(Vob &vob, const QString &target, const Moment &at, bool shipNow)
{
    Replica &to = sibling(vob, target, QStringLiteral("export to"));
    const Replica &from = vob.localReplica();
    if (const QList<OplogGap> gaps = scrubbedGaps(vob, to.name); !gaps.isEmpty()) {
        throw CommandError(QStringLiteral("Can not find oplog from replica \"%1\" with id %2")
                               .arg(gaps.first().origin)
                               .arg(gaps.first().needed));
    }

    ExportResult result;
    Packet &p = result.packet;
    p.name = packetName(from.name, at.now, at.pid, ++vob.packetSeq);
    p.from = from.name;
    p.to = to.name;
    p.created = at.now;
    p.base = vob.localRow(to.name);
    p.upto = completeRow(vob, from.own);
    p.expires = at.now.addDays(Shipping::kOrderDays);

    // No acknowledgement: the sender assumes the packet arrives.
    Row &estimate = vob.table[to.name];
    estimate = completeRow(vob, estimate);
    raiseTo(estimate, p.upto);

    to.history << HistoryEvent{at.now, at.user,
                               QStringLiteral("export sync from replica \"%1\" to replica \"%2\"").arg(from.name, to.name),
                               QStringLiteral("Exported synchronization information for replica \"%1\".\n"
                                              "Row at export was: %2")
                                   .arg(to.name, rowText(p.base)),
                               false};
    vob.outgoing << p;
    if (shipNow) {
        const QList<Shipping::Shipped> shipped = Shipping::ship(vob, at.now, {p.name});
        result.shipped = true;
        result.fate = shipped.value(0).fate;
        result.applied = shipped.value(0).applied;
    }
    return result;
}

ImportResult importReceive(Vob &vob, const Moment &at)
{
    Shipping::arrive(vob, at.now);
    Replica &local = vob.localReplica();
    for (Replica &s : vob.replicas) {
        if (s.name == local.name || !s.reachable)
            continue;
        const Row have = completeRow(vob, local.own);
        const Row theirs = completeRow(vob, s.own);
        // The sibling sends from what it believes the local replica holds;
        // what it already sent, arrived or not, it does not send again.
        const Row base = s.believesLocal.isEmpty() ? have : completeRow(vob, s.believesLocal);
        bool news = false;
        for (auto it = theirs.cbegin(); it != theirs.cend(); ++it)
            news = news || it.value() > std::max(have.value(it.key()), base.value(it.key()));
        if (!news)
            continue;
        Packet p;
        p.name = packetName(s.name, at.now, at.pid, ++vob.packetSeq);
        p.from = s.name;
        p.to = local.name;
        p.created = at.now;
        p.base = base;
        p.upto = theirs;
        local.incoming << p;
        if (!s.believesLocal.isEmpty())
            s.believesLocal = theirs;
    }

    ImportResult result;
    // Each import event records the row as it stood just before its packet.
    result.applied = applyWaiting(local, [&](const Packet &p) {
        const Row before = completeRow(vob, local.own);
        if (vob.replica(p.from)) {
            Row &estimate = vob.table[p.from];
            estimate = completeRow(vob, estimate);
            raiseTo(estimate, p.upto);
        }
        local.history << HistoryEvent{
            at.now, at.user,
            QStringLiteral("import sync from replica \"%1\" to replica \"%2\"").arg(p.from, local.name),
            QStringLiteral("Imported synchronization information from replica \"%1\".\nRow at import was: %2")
                .arg(p.from, rowText(before)),
            false};
    });
    // A sibling whose belief the local replica has caught up with agrees
    // with it again.
    for (Replica &s : vob.replicas) {
        if (s.believesLocal.isEmpty())
            continue;
        const Row have = completeRow(vob, local.own);
        const Row belief = completeRow(vob, s.believesLocal);
        bool behind = false;
        for (auto it = belief.cbegin(); it != belief.cend(); ++it)
            behind = behind || have.value(it.key()) < it.value();
        if (!behind)
            s.believesLocal.clear();
    }
    result.waiting = local.incoming;
    return result;
}

void setEstimate(Vob &vob, const QString &row, const Row &values)
{
    sibling(vob, row, QStringLiteral("change the epoch row of"));
    for (auto it = values.cbegin(); it != values.cend(); ++it) {
        member(vob, it.key());
        if (it.value() < 0)
            throw CommandError(QStringLiteral("Epoch numbers cannot be negative."));
    }
    Row &estimate = vob.table[row];
    estimate = completeRow(vob, estimate);
    for (auto it = values.cbegin(); it != values.cend(); ++it)
        estimate[it.key()] = it.value();
}

QList<EntryChange> takeActual(Vob &vob, const QString &siblingName, bool raiseOnly)
{
    const Replica &s = sibling(vob, siblingName, QStringLiteral("change the epoch row of"));
    requireReachable(s);
    const Row actual = completeRow(vob, s.own);
    Row &estimate = vob.table[s.name];
    estimate = completeRow(vob, estimate);
    QList<EntryChange> changes;
    for (auto it = actual.cbegin(); it != actual.cend(); ++it) {
        const qint64 old = estimate.value(it.key());
        if (old == it.value() || (raiseOnly && it.value() < old))
            continue;
        changes << EntryChange{it.key(), old, it.value()};
        estimate[it.key()] = it.value();
    }
    return changes;
}

} // namespace quorvane::ccsim::Replication
