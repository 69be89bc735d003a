#include "replicas/Diagnosis.h"

#include <QHash>
#include "ccase/Commands.h"
#include "common/ShownName.h"

#include <QRegularExpression>
#include <QSet>

#include <algorithm>
#include <array>
#include <limits>
#include <optional>
#include <vector>

namespace quorvane {

namespace {

using Count = std::optional<qint64>;

// How urgent a finding is; lower comes first. Findings of one level keep
// the order in which the matrices were scanned (rows, then columns).
enum Level {
    Mismatch,
    RolledBack,
    NeedsFix,
    UnknownBelief,
    Unreachable,
    NeedsSync,
    Normal,
    Harmless,
    InStep,
    Levels
};

struct Ranked {
    Level level;
    Finding finding;
};

// What the findings that lead to one repair have in common.
struct RepairUse {
    qsizetype total = 0;
    std::array<qsizetype, Levels> atLevel{};
};

QString repairKey(const Repair &repair)
{
    return QString::number(int(repair.kind)) + QLatin1Char('\n') + repair.replica;
}

Count cellCount(const EpochTable &table, qsizetype row, qsizetype col)
{
    if (row < 0 || row >= table.values.size())
        return std::nullopt;
    const QStringList &cells = table.values[row];
    if (col < 0 || col >= cells.size())
        return std::nullopt;
    const QString &text = cells[col];
    // Only plain digits: a sign or blanks would already mean the script
    // wrote something other than an epoch number.
    if (text.isEmpty())
        return std::nullopt;
    qint64 value = 0;
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        if (u < u'0' || u > u'9') {
            // Digits of other scripts pass the test but not the conversion.
            if (!std::all_of(text.cbegin(), text.cend(), [](QChar d) { return d.isDigit(); }))
                return std::nullopt;
            bool ok = false;
            value = text.toLongLong(&ok);
            return ok ? Count(value) : std::nullopt;
        }
        if (value > (std::numeric_limits<qint64>::max() - (u - u'0')) / 10)
            return std::nullopt;
        value = value * 10 + (u - u'0');
    }
    return value;
}

QString joined(const QStringList &names)
{
    if (names.size() <= 1)
        return names.value(0);
    return names.mid(0, names.size() - 1).join(QStringLiteral(", ")) + QStringLiteral(" and ") + names.last();
}

QString num(qint64 n)
{
    return QString::number(n);
}

QString changes(const QString &origin)
{
    return origin + QStringLiteral("'s changes");
}

// Where a table keeps what it says about each name: the row is the last
// line of that name (as the grid's rows are looked up), the column the
// first heading of it.
struct Lookup {
    explicit Lookup(const EpochTable &table)
    {
        rows.reserve(table.names.size());
        cols.reserve(table.names.size());
        for (qsizetype i = 0; i < table.names.size(); ++i) {
            rows.insert(table.names[i], i);
            if (!cols.contains(table.names[i]))
                cols.insert(table.names[i], i);
        }
    }
    [[nodiscard]] qsizetype row(const QString &name) const { return rows.value(name, -1); }
    [[nodiscard]] qsizetype col(const QString &name) const { return cols.value(name, -1); }

    QHash<QString, qsizetype> rows;
    QHash<QString, qsizetype> cols;
};

// A square of counts, one per pair of the diagnosed names, read once from
// the tables' texts; -1 is unknown.
class Square {
public:
    void resize(qsizetype n) { m_n = n, m_cells.assign(size_t(n * n), -1); }
    [[nodiscard]] Count at(qsizetype row, qsizetype col) const
    {
        const qint64 v = m_cells[size_t(row * m_n + col)];
        return v < 0 ? std::nullopt : Count(v);
    }
    void set(qsizetype row, qsizetype col, Count c) { m_cells[size_t(row * m_n + col)] = c ? *c : -1; }

private:
    qsizetype m_n = 0;
    std::vector<qint64> m_cells;
};

using PacketList::Packet;

// "for 3 days", "since today"; empty when the packet's name tells no time.
QString waited(const Packet &p, const QDateTime &now)
{
    const qint64 d = now.isValid() ? PacketList::ageDays(p, now) : -1;
    if (d < 0)
        return {};
    if (d == 0)
        return QStringLiteral(" since today");
    return d == 1 ? QStringLiteral(" for 1 day") : QStringLiteral(" for %1 days").arg(d);
}

// Whole days since the packet was made, to the nearest: one made 4 days
// and 23 hours ago is 5 days old, and its 14-day order has 9 left. -1 when
// its name tells no time.
qint64 roundedDays(const Packet &p, const QDateTime &now)
{
    if (!p.created.isValid() || !now.isValid())
        return -1;
    return (std::max<qint64>(0, p.created.secsTo(now)) + 43200) / 86400;
}

QString days(qint64 n)
{
    return n == 1 ? QStringLiteral("1 day") : QStringLiteral("%1 days").arg(n);
}

QString code(const QString &command)
{
    return QLatin1Char('`') + command + QLatin1Char('`');
}

class Diagnoser {
public:
    Diagnoser(const EpochTable &actual, const EpochTable &local, QString localReplica, const QStringList &vobReplicas,
              const BayFacts &bays)
        : m_actual(actual)
        , m_local(local)
        , m_me(std::move(localReplica))
        , m_vobReplicas(vobReplicas)
        , m_bays(bays)
        , m_actualAt(actual)
        , m_localAt(local)
    {
        m_names = actual.names.isEmpty() ? local.names : actual.names;
    }

    QList<Finding> run()
    {
        if (m_names.isEmpty())
            return {};
        const bool allTheVobs = checkNames();
        if (!allTheVobs && m_names.size() <= 1)
            return result();
        m_shown.reserve(m_names.size());
        for (const QString &name : std::as_const(m_names))
            m_shown << ShownName::isolated(name);
        if (m_actual.names.isEmpty()) {
            // Without the replicas' own rows nothing can be said about what
            // they hold; the belief alone would read as every site unreachable.
            add(Unreachable,
                QStringLiteral(
                    "The actual epoch table could not be read: what the replicas hold is unknown."));
            return result();
        }
        if (m_names.size() == 1) {
            add(InStep,
                m_shown.first() +
                    QStringLiteral(" is the only replica of this VOB: there is nothing to keep in step."));
            return result();
        }
        readCounts();
        checkBays();
        checkRows();
        checkColumns();
        checkLocalTable();
        if (m_findings.isEmpty() || std::all_of(m_findings.cbegin(), m_findings.cend(), [](const Ranked &r) {
                return r.level == Unreachable || r.level == Mismatch;
            })) {
            add(InStep,
                m_findings.isEmpty()
                    ? QStringLiteral(
                          "All replicas are in step: each holds every change, and this site's table agrees.")
                    : QStringLiteral("All replicas that answered are in step."));
        }
        return result();
    }

private:
    // The matrices' names against the VOB's replicas: names the VOB does
    // not have (another VOB's results, a script that listed the wrong
    // family) are said to be so and left out of every other finding; the
    // VOB's replicas without a row are named. Whether the matrices name
    // every replica of the VOB and nothing else.
    bool checkNames()
    {
        if (m_vobReplicas.isEmpty())
            return true;
        const QSet<QString> vob(m_vobReplicas.cbegin(), m_vobReplicas.cend());
        QStringList foreign;
        QSet<QString> seen;
        for (const QStringList *names : {&m_actual.names, &m_local.names}) {
            for (const QString &name : *names) {
                if (!vob.contains(name) && !seen.contains(name)) {
                    seen.insert(name);
                    foreign << name;
                }
            }
        }
        QStringList absent;
        const QSet<QString> rows(m_names.cbegin(), m_names.cend());
        for (const QString &name : m_vobReplicas) {
            if (!rows.contains(name))
                absent << name;
        }
        if (!foreign.isEmpty()) {
            const Listed list = listNames(foreign);
            add(Mismatch,
                QStringLiteral("The results files name replicas this VOB does not have (") + list.text +
                    QStringLiteral("): they may be another VOB's, and nothing is advised about them."),
                {}, list.names);
            QStringList kept;
            for (const QString &name : std::as_const(m_names)) {
                if (vob.contains(name))
                    kept << name;
            }
            m_names = kept;
        }
        if (!absent.isEmpty() && !m_names.isEmpty()) {
            const Listed list = listNames(absent);
            add(Mismatch,
                QStringLiteral("The results files have no row for ") + list.text +
                    (absent.size() == 1 ? QStringLiteral(" (a replica of this VOB).")
                                        : QStringLiteral(" (replicas of this VOB).")),
                {}, list.names);
        }
        return foreign.isEmpty() && absent.isEmpty();
    }

    // Every count the checks ask for, read once: what row i really holds of
    // column k's changes (this site's own row in the local table is exact,
    // so it stands in where the actual one is missing), what this site
    // believes it holds, and the same two for this site's replica, which
    // need not be among the names.
    void readCounts()
    {
        const qsizetype n = m_names.size();
        QList<qsizetype> actualRow(n), actualCol(n), localRow(n), localCol(n);
        for (qsizetype i = 0; i < n; ++i) {
            actualRow[i] = m_actualAt.row(m_names[i]);
            actualCol[i] = m_actualAt.col(m_names[i]);
            localRow[i] = m_localAt.row(m_names[i]);
            localCol[i] = m_localAt.col(m_names[i]);
        }
        m_holds.resize(n);
        m_believed.resize(n);
        for (qsizetype i = 0; i < n; ++i) {
            const bool mine = m_names[i] == m_me;
            for (qsizetype k = 0; k < n; ++k) {
                const Count belief = cellCount(m_local, localRow[i], localCol[k]);
                m_believed.set(i, k, belief);
                const Count actual = cellCount(m_actual, actualRow[i], actualCol[k]);
                m_holds.set(i, k, actual || !mine ? actual : belief);
            }
        }
        const qsizetype myActualRow = m_actualAt.row(m_me);
        const qsizetype myLocalRow = m_localAt.row(m_me);
        m_here.resize(n);
        for (qsizetype k = 0; k < n; ++k) {
            const Count actual = cellCount(m_actual, myActualRow, actualCol[k]);
            m_here[k] = actual ? actual : cellCount(m_local, myLocalRow, localCol[k]);
        }
        m_rowKnown.resize(n);
        for (qsizetype i = 0; i < n; ++i) {
            bool known = false;
            for (qsizetype k = 0; k < n && !known; ++k)
                known = m_holds.at(i, k).has_value();
            m_rowKnown[i] = known;
        }
        // How many changes each origin has made: its own entry, or, when its
        // row is unknown, the most any replica is seen to hold.
        m_made.resize(n);
        for (qsizetype k = 0; k < n; ++k) {
            Count most = m_holds.at(k, k);
            for (qsizetype i = 0; i < n && !m_holds.at(k, k); ++i) {
                const Count c = m_holds.at(i, k);
                if (c && (!most || *c > *most))
                    most = c;
            }
            m_made[k] = most;
        }
    }

    Count holds(qsizetype row, qsizetype origin) const { return m_holds.at(row, origin); }
    Count believed(qsizetype row, qsizetype origin) const { return m_believed.at(row, origin); }

    struct Listed {
        QString text;      // "a, b and c", or "38 replicas"
        QStringList names; // the names behind a count
    };

    static Listed listNames(const QStringList &names)
    {
        if (names.size() <= listedNames) {
            QStringList shown;
            for (const QString &name : names)
                shown << ShownName::isolated(name);
            return {joined(shown), {}};
        }
        return {QStringLiteral("%1 replicas").arg(names.size()), names};
    }

    Listed listed(const QList<qsizetype> &positions) const
    {
        if (positions.size() <= listedNames) {
            QStringList shown;
            for (const qsizetype p : positions)
                shown << m_shown[p];
            return {joined(shown), {}};
        }
        QStringList names;
        names.reserve(positions.size());
        for (const qsizetype p : positions)
            names << m_names[p];
        return {QStringLiteral("%1 replicas").arg(positions.size()), names};
    }

    void checkRows()
    {
        const qsizetype n = m_names.size();
        QList<qsizetype> unreachable, gappy;
        QList<QList<qsizetype>> gaps;
        for (qsizetype i = 0; i < n; ++i) {
            QList<qsizetype> missing;
            for (qsizetype k = 0; k < n; ++k) {
                if (!holds(i, k))
                    missing << k;
            }
            if (missing.size() == n) {
                unreachable << i;
            } else if (!missing.isEmpty()) {
                gappy << i;
                gaps << missing;
            }
        }
        const auto unreachableLine = [this](qsizetype i) {
            add(Unreachable, m_shown[i] + QStringLiteral(" cannot be reached: its actual row is unknown."));
        };
        const auto gapLine = [this, &gappy, &gaps](qsizetype g) {
            const Listed list = listed(gaps[g]);
            add(Unreachable, m_shown[gappy[g]] + QStringLiteral("'s actual row has no value for ") + list.text +
                                 QLatin1Char('.'),
                {}, list.names);
        };
        if (unreachable.size() <= listedNames && gappy.size() <= listedNames) {
            // Few: one line per row, in the rows' order.
            qsizetype u = 0, g = 0;
            while (u < unreachable.size() || g < gappy.size()) {
                if (g == gappy.size() || (u < unreachable.size() && unreachable[u] < gappy[g]))
                    unreachableLine(unreachable[u++]);
                else
                    gapLine(g++);
            }
            return;
        }
        if (unreachable.size() > listedNames) {
            add(Unreachable,
                QStringLiteral("%1 replicas cannot be reached: their actual rows are unknown.").arg(unreachable.size()),
                {}, listed(unreachable).names);
        } else {
            for (const qsizetype i : std::as_const(unreachable))
                unreachableLine(i);
        }
        if (gappy.size() > listedNames) {
            add(Unreachable,
                QStringLiteral("%1 replicas' actual rows have no value for some replicas.").arg(gappy.size()), {},
                listed(gappy).names);
        } else {
            for (qsizetype g = 0; g < gappy.size(); ++g)
                gapLine(g);
        }
    }

    void checkColumns()
    {
        const qsizetype n = m_names.size();
        for (qsizetype k = 0; k < n; ++k) {
            const QString &s = m_names[k];
            const QString &sShown = m_shown[k];
            const Count own = holds(k, k);
            const Count total = m_made[k];
            if (!total)
                continue;
            // Changes only the origin holds, keyed by how many, for one line
            // naming every replica that waits for the origin's next export.
            QList<std::pair<qint64, QList<qsizetype>>> waiting;
            QHash<qint64, qsizetype> groupOf;
            qsizetype waitingRows = 0;
            QList<std::pair<qsizetype, qint64>> ahead; // replicas holding more than the origin itself
            for (qsizetype i = 0; i < n; ++i) {
                const QString &r = m_names[i];
                if (r == s || !m_rowKnown[i])
                    continue;
                const Count has = holds(i, k);
                if (!has)
                    continue;
                if (own && *has > *own) {
                    ahead.append({i, *has});
                    continue;
                }
                if (r != m_me)
                    checkBelief(i, k, *has, *total);
                const qint64 lack = *total - *has;
                if (lack <= 0 || sendsFromHere(i, k, *has))
                    continue;
                // A packet in this site's incoming bay carries them: its own
                // line says what it waits for.
                if (r == m_me && m_arrivingUpto.value(k, -1) >= *total)
                    continue;
                if (r == m_me) {
                    if (const std::optional<std::pair<qsizetype, qint64>> holder = thirdHolder(k, *has)) {
                        add(NeedsSync, {Repair::Kind::Synchronize, QString()}, [&]() -> QString {
                            return m_shown[i] + QStringLiteral(" (this site) lacks ") + num(lack) +
                                QStringLiteral(" of ") + changes(sShown) + QStringLiteral(" (it holds ") + num(*has) +
                                QStringLiteral(", ") + sShown + QStringLiteral(" holds ") + num(*total) +
                                QStringLiteral("); ") + m_shown[holder->first] +
                                (holder->second >= *total ? QStringLiteral(" has them already")
                                                          : QStringLiteral(" has some of them already")) +
                                // With the bays listed, none of them waits here: they come with a
                                // sibling's next export.
                                (m_bays.listed
                                     ? QStringLiteral(", and no packet of them waits in this site's incoming bay: "
                                                      "they come with the next export to this site from ") +
                                           m_shown[holder->first] + QStringLiteral(" or ") + sShown +
                                           QStringLiteral("; Synchronize imports it once it has come.")
                                     : QStringLiteral(", so their packet may be waiting in this site's incoming "
                                                      "bay: Synchronize to import it."));
                        });
                        continue;
                    }
                }
                ++waitingRows;
                const auto group = groupOf.constFind(lack);
                if (group == groupOf.cend()) {
                    groupOf.insert(lack, waiting.size());
                    waiting.append({lack, {i}});
                } else {
                    waiting[*group].second << i;
                }
            }
            rolledBack(k, ahead);
            if (waitingRows <= listedNames) {
                for (const auto &[lack, rows] : std::as_const(waiting)) {
                    add(Normal,
                        sShown + QStringLiteral(" holds ") + num(lack) +
                            (lack == 1 ? QStringLiteral(" change that ") : QStringLiteral(" changes that ")) +
                            listed(rows).text +
                            (rows.size() == 1 ? QStringLiteral(" has") : QStringLiteral(" have")) +
                            QStringLiteral(" not received yet (normal until ") + sShown +
                            QStringLiteral("'s next export)."));
                }
            } else {
                QList<qsizetype> rows;
                qint64 most = 0;
                for (const auto &[lack, group] : std::as_const(waiting)) {
                    rows += group;
                    most = std::max(most, lack);
                }
                std::sort(rows.begin(), rows.end());
                add(Normal,
                    QStringLiteral("%1 replicas lack ").arg(rows.size()) +
                        (waiting.size() == 1 ? QString() : QStringLiteral("up to ")) + num(most) +
                        QStringLiteral(" of ") + changes(sShown) + QStringLiteral(" (normal until ") + sShown +
                        QStringLiteral("'s next export)."),
                    {}, listed(rows).names);
            }
        }
    }

    // Replicas that hold more of an origin's changes than the origin itself.
    void rolledBack(qsizetype origin, const QList<std::pair<qsizetype, qint64>> &ahead)
    {
        if (ahead.isEmpty())
            return;
        const QString &s = m_shown[origin];
        const qint64 own = *holds(origin, origin);
        const QString advice = QStringLiteral("): ") + s +
            QStringLiteral("'s own row went back, as after a restore from backup; "
                           "restore it (restorereplica) before any new work there.");
        if (ahead.size() <= listedNames) {
            for (const auto &[r, has] : ahead) {
                add(RolledBack, m_shown[r] + QStringLiteral(" holds ") + num(has) + QStringLiteral(" of ") +
                                    changes(s) + QStringLiteral(", more than ") + s + QStringLiteral(" itself (") +
                                    num(own) + advice);
            }
            return;
        }
        QList<qsizetype> rows;
        for (const auto &[r, has] : ahead)
            rows << r;
        add(RolledBack,
            QStringLiteral("%1 replicas hold more of ").arg(rows.size()) + changes(s) + QStringLiteral(" than ") + s +
                QStringLiteral(" itself (") + num(own) + advice,
            {}, listed(rows).names);
    }

    // Whether this site holds more of the origin's changes than the row does
    // (its own export to the row carries them); the belief check has said
    // what happens to them.
    bool sendsFromHere(qsizetype row, qsizetype origin, qint64 has) const
    {
        if (m_names[row] == m_me)
            return false;
        const Count here = m_here[origin];
        return here && *here > has;
    }

    // A replica other than the origin and this site that holds more of the
    // origin's changes than this site: the origin has sent them out.
    std::optional<std::pair<qsizetype, qint64>> thirdHolder(qsizetype origin, qint64 mine) const
    {
        const QString &s = m_names[origin];
        for (qsizetype t = 0; t < m_names.size(); ++t) {
            if (m_names[t] == s || m_names[t] == m_me)
                continue;
            const Count c = holds(t, origin);
            if (c && *c > mine)
                return std::pair{t, *c};
        }
        return std::nullopt;
    }

    void checkBelief(qsizetype row, qsizetype origin, qint64 has, qint64 total)
    {
        const QString &r = m_shown[row];
        const QString &s = m_shown[origin];
        const Count belief = believed(row, origin);
        const Count here = m_here[origin];
        const Repair fix{Repair::Kind::FixBasedOnActual, m_names[row]};
        const auto believes = [&r]() -> QString { return QStringLiteral("This site believes ") + r + QStringLiteral(" holds "); };
        const auto lacks = [&]() -> QString {
            return r + QStringLiteral(" lacks ") + num(total - has) + QStringLiteral(" of ") + changes(s) +
                QStringLiteral(" (it holds ") + num(has) + QStringLiteral(", ") + s + QStringLiteral(" holds ") +
                num(total) + QStringLiteral(").");
        };
        if (!belief) {
            // Without a belief, lost and pending look alike; the table's own
            // line says how to learn it.
            if (here && *here > has)
                add(UnknownBelief, fix, lacks);
            return;
        }
        // A packet that still waits in this site's outgoing or return bay
        // carries what the table believes sent: not lost, and its own line
        // says how it goes on.
        if (*belief > has && sentInBay(row, origin, *belief))
            return;
        if (*belief > has && here && *belief <= *here && has < total) {
            add(NeedsFix, fix, lacks);
            add(NeedsFix, fix, [&]() -> QString {
                return believes() + num(*belief) + QStringLiteral(" of ") + changes(s) +
                    QStringLiteral(", but it holds ") + num(has) +
                    QStringLiteral(": the packet between was lost, and no later export will resend it. "
                                   "Repair: Fix Local Epoch Table for ") +
                    r + QStringLiteral(" based on actual, then Synchronize.");
            });
        } else if (*belief > has) {
            // More than this site ever held: no export of this site set it,
            // a hand-typed value did, and exports would skip those changes.
            add(NeedsFix, fix, [&]() -> QString {
                return believes() + num(*belief) + QStringLiteral(" of ") + changes(s) +
                    QStringLiteral(", but it holds ") + num(has) + QStringLiteral(" and ") + s +
                    QStringLiteral(" has made ") + num(total) + QStringLiteral(": exports to ") + r +
                    QStringLiteral(" would skip ") + changes(s) + QStringLiteral(" up to ") + num(*belief) +
                    QStringLiteral(". Repair: Fix Local Epoch Table for ") + r + QStringLiteral(" based on actual.");
            });
        } else {
            if (here && *here > has) {
                add(NeedsSync, {Repair::Kind::Synchronize, m_names[row]}, [&]() -> QString {
                    return QStringLiteral("This site now knows ") + r + QStringLiteral(" lacks ") + num(*here - has) +
                        QStringLiteral(" of ") + changes(s) + QStringLiteral(": Synchronize to send them.");
                });
            }
            // Only what this site holds is ever sent, so a low belief costs
            // nothing unless this site holds more than it, or the export
            // would start below this site's scrubbed oplog (its own line).
            if (*belief < has && here && *here > *belief && !m_gapRows.contains(row * m_names.size() + origin)) {
                add(Harmless, fix, [&]() -> QString {
                    const QString start = believes() + num(*belief) + QStringLiteral(" of ") + changes(s) +
                        QStringLiteral(", but it holds ") + num(has) + QStringLiteral(": the next export to ") + r +
                        QStringLiteral(" sends ") + num(std::min(*here, has) - *belief);
                    // From the very first change: old oplog entries are the
                    // ones a scrub removes, and then the export fails.
                    if (*belief == 0)
                        return start + QStringLiteral(" of them again, from the first, and fails if this site's oplog "
                                                      "no longer holds them (scrubbed); Fix Local Epoch Table for ") +
                            r + QStringLiteral(" based on actual avoids both.");
                    return start + QStringLiteral(" of them again (harmless; Fix Local Epoch Table for ") + r +
                        QStringLiteral(" based on actual avoids it).");
                });
            }
        }
    }

    qsizetype indexOf(const QString &name) const { return m_index.value(name, -1); }

    // Whether a packet for the row that waits in this site's outgoing or
    // return bay carries the origin's changes up to the belief (a packet
    // whose range lspacket did not give is taken to).
    bool sentInBay(qsizetype row, qsizetype origin, qint64 belief) const
    {
        for (const Packet *p : m_sent.value(m_names[row])) {
            const qint64 last = PacketList::lastOf(*p, m_names[origin]);
            if (last < 0 || last >= belief)
                return true;
        }
        return false;
    }

    void checkBays()
    {
        const qsizetype n = m_names.size();
        for (qsizetype i = 0; i < n; ++i)
            m_index.insert(m_names[i], i);
        if (!m_bays.listed) {
            if (!m_bays.failure.isEmpty())
                add(Unreachable, QStringLiteral("This site's storage bays could not be listed (") + m_bays.failure +
                                     QStringLiteral("): packets waiting there or sent back are not seen, so a lack "
                                                    "below may be one that waits in a bay."));
            checkGaps();
            return;
        }
        QList<const Packet *> arrived;
        QStringList targets; // in the order of their first packet
        QHash<QString, QList<const Packet *>> outgoing;
        QList<const Packet *> returned;
        for (const Packet &p : m_bays.packets) {
            const QString to = PacketList::targetOf(p);
            if (p.bay == PacketList::Bay::Incoming) {
                if (to == m_me || std::any_of(p.targets.cbegin(), p.targets.cend(),
                                              [](const PacketList::Target &t) { return t.local; }))
                    arrived << &p;
            } else if (p.bay == PacketList::Bay::Outgoing) {
                if (!outgoing.contains(to))
                    targets << to;
                outgoing[to] << &p;
                m_sent[to] << &p;
            } else if (p.bay == PacketList::Bay::Returned) {
                returned << &p;
                m_sent[to] << &p;
            }
        }
        for (const Packet *p : std::as_const(arrived)) {
            for (const PacketList::Range &r : p->ranges) {
                const qsizetype k = indexOf(r.replica);
                if (k >= 0 && r.last >= 0)
                    m_arrivingUpto[k] = std::max(m_arrivingUpto.value(k, -1), r.last);
            }
            incomingLine(*p);
        }
        for (const QString &to : std::as_const(targets))
            outgoingLine(to, outgoing.value(to));
        for (const Packet *p : std::as_const(returned))
            returnedLine(*p);
        checkGaps();
    }

    QString hostOf(const QString &replica) const { return m_bays.hosts.value(replica); }
    QString selector(const QString &replica) const { return replica + QLatin1Char('@') + m_bays.vobTag; }

    // A packet for this site: it waits for the changes it builds on that
    // this site does not hold yet, which an earlier packet carries.
    void incomingLine(const Packet &p)
    {
        const QString from = ShownName::isolated(PacketList::senderOf(p));
        QStringList needs;
        for (const PacketList::Range &r : p.ranges) {
            const qsizetype k = indexOf(r.replica);
            const Count here = k >= 0 ? m_here[k] : std::nullopt;
            if (here && r.first > *here)
                needs << changes(m_shown[k]) + QStringLiteral(" after ") + num(r.first) +
                        QStringLiteral(", and this site holds only ") + num(*here) + QStringLiteral(" of them");
        }
        const Repair sync{Repair::Kind::Synchronize, QString()};
        if (needs.isEmpty()) {
            add(NeedsSync, QStringLiteral("A packet from ") + from + QStringLiteral(" waits in this site's incoming bay") +
                               waited(p, m_bays.now) + QStringLiteral(" (") + p.name +
                               QStringLiteral(") and can be imported now: Synchronize imports it."),
                sync);
            return;
        }
        add(NeedsSync,
            QStringLiteral("A packet from ") + from + QStringLiteral(" has waited") + waited(p, m_bays.now) +
                QStringLiteral(" in this site's incoming bay (") + p.name + QStringLiteral("): it carries ") +
                needs.join(QStringLiteral("; ")) +
                QStringLiteral(". It waits for an earlier packet with the changes between and is not lost: "
                               "Synchronize imports both once that one has arrived. Should it never come, ") +
                from + QStringLiteral("'s administrator runs ") + code(Commands::chepochActual(m_me, m_bays.vobTag)) +
                QStringLiteral(" and ") + code(Commands::exportTo(m_me, m_bays.vobTag)) + QStringLiteral(" there."),
            sync);
    }

    // Exports that wait in this site's outgoing bay for a host that has not
    // taken them: not lost while their shipping orders run.
    void outgoingLine(const QString &to, const QList<const Packet *> &packets)
    {
        const Packet *oldest = packets.first();
        for (const Packet *p : packets) {
            if (p->created.isValid() && (!oldest->created.isValid() || p->created < oldest->created))
                oldest = p;
        }
        const QString shown = ShownName::isolated(to);
        const QString host = hostOf(to);
        const QString hostText = host.isEmpty() ? shown + QStringLiteral("'s host") : ShownName::isolated(host);
        QString text = (packets.size() == 1 ? QStringLiteral("A packet for ") + shown +
                                                  QStringLiteral(" waits in this site's outgoing bay, not shipped: ")
                                            : QStringLiteral("%1 packets for ").arg(packets.size()) + shown +
                                                  QStringLiteral(" wait in this site's outgoing bay, not shipped: ")) +
            hostText + QStringLiteral(" has not taken ") +
            (packets.size() == 1 ? QStringLiteral("it.") : QStringLiteral("them."));
        const qint64 age = roundedDays(*oldest, m_bays.now);
        if (age >= 0) {
            const qint64 left = m_bays.orderDays - age;
            text += (packets.size() == 1 ? QStringLiteral(" It was made ") : QStringLiteral(" The oldest was made ")) +
                (age == 0 ? QStringLiteral("today") : days(age) + QStringLiteral(" ago")) +
                (left > 0 ? QStringLiteral("; its shipping order expires in ") + days(left)
                          : QStringLiteral("; its shipping order has expired")) +
                QStringLiteral(" (%1 days unless the export set another), and the packet then goes to the return bay.")
                    .arg(m_bays.orderDays);
        }
        text += QStringLiteral(" Not lost: once ") + hostText + QStringLiteral(" answers, run ") +
            code(QStringLiteral("shipping_server -poll")) +
            QStringLiteral(" here (its hourly run does the same). Do not fix ") + shown +
            QStringLiteral("'s row from actual meanwhile: the next export would send their changes again; ") +
            code(Commands::chepochRaiseOnly(to, m_bays.vobTag)) + QStringLiteral(" never lowers it.");
        add(NeedsFix, text);
    }

    // An export whose shipping order expired before its host took it: back
    // in the return bay, and nothing sends it unless asked.
    void returnedLine(const Packet &p)
    {
        const QString to = PacketList::targetOf(p);
        const QString shown = ShownName::isolated(to);
        const QString host = hostOf(to);
        QStringList carries;
        const qsizetype row = indexOf(to);
        for (const PacketList::Range &r : p.ranges) {
            const qsizetype k = indexOf(r.replica);
            if (k < 0 || r.last < 0 || r.last <= r.first)
                continue;
            const Count has = row >= 0 ? holds(row, k) : std::nullopt;
            if (has && *has >= r.last)
                continue;
            carries << changes(m_shown[k]) + QStringLiteral(" %1 to %2").arg(r.first + 1).arg(r.last);
        }
        add(NeedsFix,
            QStringLiteral("The packet ") + p.name + QStringLiteral(" for ") + shown +
                QStringLiteral(" came back to this site's return bay: its shipping order expired before ") +
                (host.isEmpty() ? shown + QStringLiteral("'s host") : ShownName::isolated(host)) +
                QStringLiteral(" took it") +
                (carries.isEmpty() ? QStringLiteral(".")
                                   : QStringLiteral(", so ") + shown + QStringLiteral(" lacks ") +
                                         joined(carries) + QLatin1Char('.')) +
                QStringLiteral(" It was not lost, and nothing sends it again unless asked: run ") +
                code(QStringLiteral("mkorder -data ") + p.path + QStringLiteral(" -fship ") +
                     (host.isEmpty() ? to : host)) +
                QStringLiteral(" here."));
    }

    // Where this site's last export met scrubbed oplog entries: an export
    // to a replica whose row here starts below them cannot be made.
    void checkGaps()
    {
        const qsizetype n = m_names.size();
        for (const OplogGap &gap : m_bays.gaps) {
            const qsizetype k = indexOf(gap.origin);
            if (k < 0 || gap.firstKept < 0)
                continue;
            const Count here = m_here[k];
            for (qsizetype i = 0; i < n; ++i) {
                const Count belief = believed(i, k);
                if (m_names[i] == m_me || m_names[i] == gap.origin || !belief || !here || *here <= *belief ||
                    *belief + 1 >= gap.firstKept)
                    continue;
                m_gapRows.insert(i * n + k);
                const QString &r = m_shown[i];
                const qint64 gone = gap.firstKept - 1;
                const Count has = holds(i, k);
                QString text = QStringLiteral("An export to ") + r + QStringLiteral(" starts after ") +
                    changes(m_shown[k]).chopped(1) + QStringLiteral(" ") + num(*belief) +
                    QStringLiteral(" (this site's table), but this site's oplog keeps ") + m_shown[k] +
                    QStringLiteral("'s entries only from ") + num(gap.firstKept) +
                    QStringLiteral(" on (the older ones were scrubbed), so it fails. ");
                if (has && *has >= gone) {
                    add(NeedsFix, {Repair::Kind::FixBasedOnActual, m_names[i]}, [&]() -> QString {
                        return text + r + QStringLiteral(" holds ") + num(*has) +
                            QStringLiteral(" of them already: Fix Local Epoch Table for ") + r +
                            QStringLiteral(" based on actual, then Synchronize; the export then starts above the gap.");
                    });
                    continue;
                }
                std::optional<qsizetype> holder;
                for (qsizetype t = 0; t < n && !holder; ++t) {
                    const Count c = holds(t, k);
                    if (t != i && m_names[t] != m_me && c && *c >= gone)
                        holder = t;
                }
                const QString lacking = num(has ? *has + 1 : 1) + QStringLiteral(" to ") + num(gone);
                if (holder) {
                    const QString &h = m_shown[*holder];
                    add(NeedsFix, text + r + QStringLiteral(" lacks ") + changes(m_shown[k]) + QLatin1Char(' ') +
                                      lacking + QStringLiteral(", and ") + h +
                                      QStringLiteral(" holds them: at ") + h + QStringLiteral("'s site run ") +
                                      code(Commands::exportTo(m_names[i], m_bays.vobTag)) +
                                      QStringLiteral("; once ") + r +
                                      QStringLiteral(" has them, Fix Local Epoch Table for ") + r +
                                      QStringLiteral(" based on actual here."));
                } else {
                    add(NeedsFix, text + QStringLiteral("No other replica holds ") + changes(m_shown[k]) +
                                      QLatin1Char(' ') + lacking + QStringLiteral(" that ") + r +
                                      QStringLiteral(" lacks: ") + r +
                                      QStringLiteral(" must be re-created from a replica that has them "
                                                     "(multitool mkreplica -export)."));
                }
            }
        }
    }

    // A whole local table of "?" says one thing once, not once per cell.
    void checkLocalTable()
    {
        if (!anyBelief()) {
            add(UnknownBelief,
                QStringLiteral("This site's epoch table could not be read: what it believes the other "
                               "replicas hold is unknown."));
            return;
        }
        const qsizetype n = m_names.size();
        for (qsizetype i = 0; i < n; ++i) {
            const QString &r = m_shown[i];
            if (m_names[i] == m_me || !m_rowKnown[i])
                continue;
            QList<qsizetype> missing;
            for (qsizetype k = 0; k < n; ++k) {
                if (!believed(i, k))
                    missing << k;
            }
            const Repair fix{Repair::Kind::FixBasedOnActual, m_names[i]};
            if (missing.size() == n) {
                add(UnknownBelief, fix, [&]() -> QString {
                    return QStringLiteral("This site's table has no row for ") + r +
                        QStringLiteral(": Fix Local Epoch Table for ") + r +
                        QStringLiteral(" based on actual sets it.");
                });
            } else if (!missing.isEmpty()) {
                add(UnknownBelief, fix, [&]() -> QString {
                    const Listed list = listed(missing);
                    return QStringLiteral("This site's table has no value for what ") + r +
                        QStringLiteral(" holds of ") +
                        (list.names.isEmpty() ? list.text + QStringLiteral("'s changes")
                                              : list.text + QStringLiteral("' changes")) +
                        QStringLiteral(": Fix Local Epoch Table for ") + r +
                        QStringLiteral(" based on actual sets it.");
                });
            }
        }
    }

    // Whether the local table says anything about its own names: a row
    // counts under its name's last line, a column under its first heading.
    bool anyBelief() const
    {
        const qsizetype n = m_local.names.size();
        for (qsizetype i = 0; i < n; ++i) {
            if (m_localAt.row(m_local.names[i]) != i)
                continue;
            for (qsizetype k = 0; k < n; ++k) {
                if (m_localAt.col(m_local.names[k]) == k && cellCount(m_local, i, k))
                    return true;
            }
        }
        return false;
    }

    void add(Level level, const QString &text, const Repair &repair = {}, const QStringList &names = {})
    {
        if (repair.kind != Repair::Kind::None)
            ++m_repairUse[repairKey(repair)].total;
        m_findings.append({level, {text, repair, names}});
    }

    // A finding with a repair: its sentence joins the other findings that
    // lead to the same repair. Only the first few of them are read, so the
    // rest are counted and never written.
    template <class Text>
    void add(Level level, const Repair &repair, Text &&text)
    {
        RepairUse &use = m_repairUse[repairKey(repair)];
        ++use.total;
        if (++use.atLevel[level] > listedNames)
            return;
        m_findings.append({level, {text(), repair, {}}});
    }

    QList<Finding> result()
    {
        std::stable_sort(m_findings.begin(), m_findings.end(),
                         [](const Ranked &a, const Ranked &b) { return a.level < b.level; });
        QList<Finding> out;
        out.reserve(m_findings.size());
        QHash<QString, std::pair<qsizetype, qsizetype>> merged; // repair -> finding, sentences in it
        for (Ranked &r : m_findings) {
            if (r.finding.repair.kind == Repair::Kind::None) {
                out << std::move(r.finding);
                continue;
            }
            const QString key = repairKey(r.finding.repair);
            const auto at = merged.find(key);
            if (at == merged.end()) {
                merged.insert(key, {out.size(), 1});
                out << std::move(r.finding);
            } else if (at->second < listedNames) {
                ++at->second;
                Finding &into = out[at->first];
                into.text += QLatin1Char(' ') + r.finding.text;
                if (into.names.isEmpty())
                    into.names = r.finding.names;
            }
        }
        for (auto at = merged.cbegin(); at != merged.cend(); ++at) {
            const qsizetype more = m_repairUse.value(at.key()).total - at->second;
            if (more > 0)
                out[at->first].text += QStringLiteral(" %1 more findings lead to the same repair.").arg(more);
        }
        return out;
    }

    const EpochTable &m_actual;
    const EpochTable &m_local;
    const QString m_me;
    const QStringList &m_vobReplicas;
    const BayFacts &m_bays;
    const Lookup m_actualAt;
    const Lookup m_localAt;
    QStringList m_names;
    QStringList m_shown;
    Square m_holds;
    Square m_believed;
    QList<Count> m_here;
    QList<bool> m_rowKnown;
    QList<Count> m_made;
    QList<Ranked> m_findings;
    QHash<QString, RepairUse> m_repairUse;
    QHash<QString, qsizetype> m_index;
    // Packets of this site's outgoing and return bays, by target.
    QHash<QString, QList<const Packet *>> m_sent;
    // The most of each origin's changes a packet in this site's incoming bay carries.
    QHash<qsizetype, qint64> m_arrivingUpto;
    // Row and origin (row * names + origin) whose export meets a scrubbed oplog.
    QSet<qsizetype> m_gapRows;
};

} // namespace

QList<Finding> diagnose(const EpochTable &actual, const EpochTable &local, const QString &localReplica,
                        const QStringList &vobReplicas, const BayFacts &bays)
{
    return Diagnoser(actual, local, localReplica, vobReplicas, bays).run();
}

QList<OplogGap> oplogGaps(const QString &errorText)
{
    static const QRegularExpression cannot(
        QStringLiteral("Can not find oplog from replica \"([^\"]+)\" with id (\\d+)"));
    static const QRegularExpression first(QStringLiteral("First oplog entry from replica \"([^\"]+)\" is (\\d+)"));
    QList<OplogGap> gaps;
    for (auto it = cannot.globalMatch(errorText); it.hasNext();) {
        const QRegularExpressionMatch m = it.next();
        gaps << OplogGap{m.captured(1), m.captured(2).toLongLong(), -1};
    }
    for (auto it = first.globalMatch(errorText); it.hasNext();) {
        const QRegularExpressionMatch m = it.next();
        bool matched = false;
        for (OplogGap &g : gaps) {
            if (g.origin == m.captured(1) && g.firstKept < 0) {
                g.firstKept = m.captured(2).toLongLong();
                matched = true;
                break;
            }
        }
        if (!matched)
            gaps << OplogGap{m.captured(1), -1, m.captured(2).toLongLong()};
    }
    return gaps;
}

} // namespace quorvane
