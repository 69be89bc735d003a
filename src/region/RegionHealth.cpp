#include "region/RegionHealth.h"

#include <QHash>
#include <QLocale>
#include <QRegularExpression>
#include <QTimeZone>

#include <algorithm>

namespace quorvane {

namespace {

using Count = std::optional<qint64>;

Count cell(const EpochTable &table, const QHash<QString, qsizetype> &rows, const QString &row, const QString &col)
{
    const qsizetype r = rows.value(row, -1);
    const qsizetype c = table.names.indexOf(col);
    if (r < 0 || r >= table.values.size() || c < 0 || c >= table.values[r].size())
        return std::nullopt;
    const QString &text = table.values[r][c];
    if (text.isEmpty() || !std::all_of(text.cbegin(), text.cend(), [](QChar ch) { return ch.isDigit(); }))
        return std::nullopt;
    bool ok = false;
    const qint64 n = text.toLongLong(&ok);
    return ok ? Count(n) : std::nullopt;
}

QHash<QString, qsizetype> rowIndex(const EpochTable &table)
{
    QHash<QString, qsizetype> rows;
    for (qsizetype i = 0; i < table.names.size(); ++i)
        rows.insert(table.names[i], i);
    return rows;
}

QString ageText(qint64 secs)
{
    if (secs >= 2 * 86400)
        return QString::number(secs / 86400) + QStringLiteral(" days");
    if (secs >= 2 * 3600)
        return QString::number(secs / 3600) + QStringLiteral(" hours");
    return QString::number(std::max<qint64>(0, secs / 60)) + QStringLiteral(" minutes");
}

struct Replica {
    QString name;
    bool broken = false;
    QString brokenWhy;
    bool unreachable = false;
    qint64 behind = 0;
    bool stuck = false;
    bool stuckIncoming = false; // its stuck packet comes from it, not goes to it
    Count exportAge;
    Count importAge;
};

} // namespace

QString healthName(Health health)
{
    switch (health) {
    case Health::Broken: return QStringLiteral("broken");
    case Health::Behind: return QStringLiteral("behind");
    case Health::Stuck: return QStringLiteral("stuck");
    case Health::Unreachable: return QStringLiteral("unreachable");
    case Health::NotChecked: return QStringLiteral("not checked");
    case Health::InStep: return QStringLiteral("in step");
    }
    return {};
}

QDateTime parseClearCaseDate(const QString &text)
{
    const QString t = text.trimmed();
    QDateTime d = QDateTime::fromString(t, Qt::ISODate);
    if (d.isValid())
        return d;
    static const QRegularExpression numeric(QStringLiteral("^\\d{8}\\.\\d{6}$"));
    if (numeric.match(t).hasMatch())
        return QDateTime::fromString(t, QStringLiteral("yyyyMMdd.HHmmss"));
    // dd-Mon-yy.HH:MM:SS; two-digit years read as 1900s, which no
    // replica's history holds.
    d = QLocale::c().toDateTime(t, QStringLiteral("dd-MMM-yy.HH:mm:ss"));
    if (d.isValid() && d.date().year() < 1970)
        d = d.addYears(100);
    return d;
}

VobHealth assess(const VobFacts &facts, const QDateTime &now, const HealthLimits &limits)
{
    VobHealth h;
    h.tag = facts.tag;
    h.facts = facts;
    const EpochTable &local = facts.local;
    const QString &me = facts.localReplica;
    const QHash<QString, qsizetype> localRows = rowIndex(local);
    const QHash<QString, qsizetype> actualRows = rowIndex(facts.actual);
    const auto believed = [&](const QString &r, const QString &o) { return cell(local, localRows, r, o); };
    const bool ownRowKnown = std::any_of(local.names.cbegin(), local.names.cend(),
                                         [&](const QString &o) { return believed(me, o).has_value(); });
    if (!facts.checked || me.isEmpty() || !local.names.contains(me) || !ownRowKnown) {
        h.state = Health::NotChecked;
        h.firstLine = facts.problems.value(
            0, QStringLiteral("This site's epoch table of the VOB could not be read."));
        return h;
    }

    const QStringList &names = local.names;
    const auto holds = [&](const QString &r, const QString &o) -> Count {
        if (r == me)
            return believed(me, o);
        return facts.actualAsked ? cell(facts.actual, actualRows, r, o) : std::nullopt;
    };
    const auto made = [&](const QString &o) -> Count {
        if (const Count own = holds(o, o))
            return own;
        Count most;
        for (const QString &r : names) {
            if (const Count c = holds(r, o); c && (!most || *c > *most))
                most = c;
        }
        return most;
    };
    const auto age = [&](const QString &date) -> Count {
        const QDateTime d = parseClearCaseDate(date);
        return d.isValid() ? Count(std::max<qint64>(0, d.secsTo(now))) : std::nullopt;
    };

    QHash<QString, Replica> replicas;
    for (const QString &r : names)
        {
        Replica rep;
        rep.name = r;
        replicas.insert(r, rep);
    }
    for (const SiblingFacts &s : facts.siblings) {
        if (auto it = replicas.find(s.name); it != replicas.end()) {
            it->exportAge = age(s.lastExport);
            it->importAge = age(s.lastImport);
            if (it->importAge && (!h.importAge || *it->importAge > *h.importAge))
                h.importAge = it->importAge;
            if (it->exportAge && (!h.exportAge || *it->exportAge > *h.exportAge))
                h.exportAge = it->exportAge;
        }
    }
    // Whether a packet of the outgoing or return bay carries r's changes of
    // o up to the belief: then a belief above what r holds is no lost packet.
    const auto inBay = [&](const QString &r, const QString &o, qint64 belief) {
        for (const PacketList::Packet &p : facts.packets) {
            if (p.bay != PacketList::Bay::Outgoing && p.bay != PacketList::Bay::Returned)
                continue;
            const qint64 last = PacketList::lastOf(p, o);
            if (PacketList::targetOf(p) == r && (last < 0 || last >= belief))
                return true;
        }
        return false;
    };
    for (const PacketList::Packet &p : facts.packets) {
        const bool incoming = p.bay == PacketList::Bay::Incoming;
        // A packet concerns the sibling it comes from or goes to.
        const QString sibling = incoming ? PacketList::senderOf(p) : PacketList::targetOf(p);
        if (p.bay == PacketList::Bay::Returned) {
            ++h.packetsReturned;
            if (auto it = replicas.find(sibling); it != replicas.end() && !it->broken) {
                it->broken = true;
                it->brokenWhy = QStringLiteral("A packet for ") + sibling +
                    QStringLiteral(" came back to the return bay undelivered: it must be sent again.");
            }
            continue;
        }
        ++h.packetsWaiting;
        if (const Count a = p.created.isValid() ? Count(std::max<qint64>(0, p.created.secsTo(now))) : std::nullopt) {
            if (!h.packetAge || *a > *h.packetAge)
                h.packetAge = a;
            if (*a > limits.stuckAfterSecs) {
                ++h.packetsStuck;
                if (auto it = replicas.find(sibling); it != replicas.end()) {
                    it->stuck = true;
                    it->stuckIncoming = incoming;
                }
            }
        }
    }

    for (const QString &r : names) {
        Replica &rep = replicas[r];
        const bool rowKnown = std::any_of(names.cbegin(), names.cend(),
                                          [&](const QString &o) { return holds(r, o).has_value(); });
        if (facts.actualAsked && r != me && !rowKnown) {
            rep.unreachable = true;
            continue;
        }
        for (const QString &o : names) {
            if (facts.actualAsked && rowKnown) {
                const Count has = holds(r, o);
                const Count total = made(o);
                if (has && total && *total > *has)
                    rep.behind += *total - *has;
                // This site believes r holds more than it does: a packet was
                // lost, and no later export resends it.
                const Count belief = believed(r, o);
                if (r != me && has && belief && *belief > *has && !rep.broken && !inBay(r, o, *belief)) {
                    rep.broken = true;
                    rep.brokenWhy = QStringLiteral("This site believes ") + r + QStringLiteral(" holds ") +
                        QString::number(*belief) + QStringLiteral(" of ") + o +
                        QStringLiteral("'s changes, but it holds ") + QString::number(*has) +
                        QStringLiteral(": a packet was lost.");
                }
                // A replica holds more of o's changes than o itself: o's
                // own row went back.
                const Count own = holds(o, o);
                if (o != r && has && own && *has > *own && !replicas[o].broken) {
                    replicas[o].broken = true;
                    replicas[o].brokenWhy = o + QStringLiteral("'s own row went back, as after a restore.");
                }
            } else if (r == me) {
                const Count theirs = believed(o, o);
                const Count mine = believed(me, o);
                if (o != me && theirs && mine && *theirs > *mine)
                    rep.behind += *theirs - *mine;
            } else {
                const Count mine = believed(me, o);
                const Count belief = believed(r, o);
                if (mine && belief && *mine > *belief)
                    rep.behind += *mine - *belief;
            }
        }
    }

    if (facts.actualAsked) {
        BayFacts bays;
        bays.listed = facts.packetsListed;
        bays.failure = facts.packetsFailure;
        bays.packets = facts.packets;
        for (const SiblingFacts &s : facts.siblings)
            bays.hosts.insert(s.name, s.host);
        bays.vobTag = facts.tag;
        bays.now = now;
        h.findings = diagnose(facts.actual, local, me, {}, bays);
    }

    // The family takes its worst replica's state; within a state the one
    // furthest behind names it.
    const auto pick = [&](auto &&test) -> const Replica * {
        const Replica *worst = nullptr;
        for (const QString &r : names) {
            const Replica &rep = replicas[r];
            if (test(rep) && (!worst || rep.behind > worst->behind))
                worst = &rep;
        }
        return worst;
    };
    QString ownLine;
    if (const Replica *b = pick([](const Replica &r) { return r.broken; })) {
        h.state = Health::Broken;
        h.worstSibling = b->name;
        h.behind = b->behind;
        ownLine = b->brokenWhy;
    } else if (const Replica *b = pick([](const Replica &r) { return r.behind > 0; })) {
        h.state = Health::Behind;
        h.worstSibling = b->name;
        h.behind = b->behind;
        ownLine = b->name + (b->name == me ? QStringLiteral(" (this site)") : QString()) +
            QStringLiteral(" lacks ") + QString::number(b->behind) +
            (facts.actualAsked ? QStringLiteral(" changes.")
                               : QStringLiteral(" changes that this site holds or knows of (by its own table)."));
    } else if (const Replica *b = pick([](const Replica &r) { return r.stuck; })) {
        h.state = Health::Stuck;
        h.worstSibling = b->name;
        h.behind = b->behind;
        ownLine = (b->stuckIncoming ? QStringLiteral("A packet from ") : QStringLiteral("A packet for ")) + b->name +
            QStringLiteral(" has waited for ") + ageText(h.packetAge.value_or(0)) +
            (b->stuckIncoming ? QStringLiteral(" in this site's incoming bay.")
                              : QStringLiteral(" in this site's outgoing bay."));
    } else if (const Replica *b = pick([](const Replica &r) { return r.unreachable; })) {
        h.state = Health::Unreachable;
        h.worstSibling = b->name;
        ownLine = b->name + QStringLiteral(" cannot be reached: its actual row is unknown.");
    } else {
        h.state = Health::InStep;
        ownLine = facts.actualAsked
            ? QStringLiteral("All replicas are in step.")
            : QStringLiteral("By this site's table every replica holds what this site holds.");
    }
    h.firstLine = h.findings.isEmpty() ? ownLine : h.findings.first().text;
    return h;
}

void rank(QList<VobHealth> &families)
{
    const auto oldest = [](const VobHealth &h) {
        return std::max({h.importAge.value_or(-1), h.exportAge.value_or(-1), h.packetAge.value_or(-1)});
    };
    std::stable_sort(families.begin(), families.end(), [&](const VobHealth &a, const VobHealth &b) {
        if (a.state != b.state)
            return a.state < b.state;
        if (a.behind != b.behind)
            return a.behind > b.behind;
        if (oldest(a) != oldest(b))
            return oldest(a) > oldest(b);
        return a.tag < b.tag;
    });
}

} // namespace quorvane
