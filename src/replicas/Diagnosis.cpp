#include "replicas/Diagnosis.h"

#include <QHash>
#include <algorithm>
#include <optional>

namespace quorvane {

namespace {

using Count = std::optional<qint64>;

// How urgent a finding is; lower comes first. Findings of one level keep
// the order in which the matrices were scanned (rows, then columns).
enum Level {
    RolledBack,
    NeedsFix,
    UnknownBelief,
    Unreachable,
    NeedsSync,
    Normal,
    Harmless,
    InStep,
};

struct Ranked {
    Level level;
    Finding finding;
};

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
    if (text.isEmpty() || !std::all_of(text.cbegin(), text.cend(), [](QChar c) { return c.isDigit(); }))
        return std::nullopt;
    bool ok = false;
    const qint64 value = text.toLongLong(&ok);
    return ok ? Count(value) : std::nullopt;
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

class Diagnoser {
public:
    Diagnoser(const EpochTable &actual, const EpochTable &local, QString localReplica)
        : m_actual(actual), m_local(local), m_me(std::move(localReplica))
    {
        m_names = actual.names.isEmpty() ? local.names : actual.names;
        for (qsizetype i = 0; i < local.names.size(); ++i)
            m_localRow.insert(local.names[i], i);
        for (qsizetype i = 0; i < actual.names.size(); ++i)
            m_actualRow.insert(actual.names[i], i);
    }

    QList<Finding> run()
    {
        if (m_names.isEmpty())
            return {};
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
                m_names.first() +
                    QStringLiteral(" is the only replica of this VOB: there is nothing to keep in step."));
            return result();
        }
        checkRows();
        checkColumns();
        checkLocalTable();
        if (m_findings.isEmpty() || std::all_of(m_findings.cbegin(), m_findings.cend(),
                                                [](const Ranked &r) { return r.level == Unreachable; })) {
            add(InStep,
                m_findings.isEmpty()
                    ? QStringLiteral(
                          "All replicas are in step: each holds every change, and this site's table agrees.")
                    : QStringLiteral("All replicas that answered are in step."));
        }
        return result();
    }

private:
    // What `row` really holds of `origin`'s changes. This site's own row in
    // the local table is exact, so it stands in when the actual one is missing.
    Count holds(const QString &row, const QString &origin) const
    {
        const Count actual = cellCount(m_actual, m_actualRow.value(row, -1), column(m_actual, origin));
        if (actual || row != m_me)
            return actual;
        return believed(row, origin);
    }

    Count believed(const QString &row, const QString &origin) const
    {
        return cellCount(m_local, m_localRow.value(row, -1), column(m_local, origin));
    }

    static qsizetype column(const EpochTable &table, const QString &origin)
    {
        return table.names.indexOf(origin);
    }

    bool rowKnown(const QString &row) const
    {
        return std::any_of(m_names.cbegin(), m_names.cend(),
                           [&](const QString &s) { return holds(row, s).has_value(); });
    }

    // How many changes the origin has made: its own entry, or, when its row
    // is unknown, the most any replica is seen to hold.
    Count made(const QString &origin) const
    {
        if (const Count own = holds(origin, origin))
            return own;
        Count most;
        for (const QString &r : m_names) {
            const Count c = holds(r, origin);
            if (c && (!most || *c > *most))
                most = c;
        }
        return most;
    }

    void checkRows()
    {
        for (const QString &r : m_names) {
            QStringList missing;
            for (const QString &s : m_names) {
                if (!holds(r, s))
                    missing << s;
            }
            if (missing.size() == m_names.size())
                add(Unreachable, r + QStringLiteral(" cannot be reached: its actual row is unknown."));
            else if (!missing.isEmpty())
                add(Unreachable, r + QStringLiteral("'s actual row has no value for ") + joined(missing) +
                                     QLatin1Char('.'));
        }
    }

    void checkColumns()
    {
        for (const QString &s : m_names) {
            const Count own = holds(s, s);
            const Count total = made(s);
            if (!total)
                continue;
            // Changes only the origin holds, keyed by how many, for one line
            // naming every replica that waits for the origin's next export.
            QList<std::pair<qint64, QStringList>> waiting;
            for (const QString &r : m_names) {
                if (r == s || !rowKnown(r))
                    continue;
                const Count has = holds(r, s);
                if (!has)
                    continue;
                if (own && *has > *own) {
                    add(RolledBack,
                        r + QStringLiteral(" holds ") + num(*has) + QStringLiteral(" of ") + changes(s) +
                            QStringLiteral(", more than ") + s + QStringLiteral(" itself (") + num(*own) +
                            QStringLiteral("): ") + s +
                            QStringLiteral("'s own row went back, as after a restore from backup; "
                                           "restore it (restorereplica) before any new work there."));
                    continue;
                }
                if (r != m_me)
                    checkBelief(r, s, *has, *total);
                const qint64 lack = *total - *has;
                if (lack <= 0 || sendsFromHere(r, s, *has))
                    continue;
                if (r == m_me) {
                    if (const std::optional<std::pair<QString, qint64>> holder = thirdHolder(s, *has)) {
                        add(NeedsSync,
                            r + QStringLiteral(" (this site) lacks ") + num(lack) + QStringLiteral(" of ") +
                                changes(s) + QStringLiteral(" (it holds ") + num(*has) +
                                QStringLiteral(", ") + s + QStringLiteral(" holds ") + num(*total) +
                                QStringLiteral("); ") + holder->first +
                                (holder->second >= *total ? QStringLiteral(" has them already")
                                                          : QStringLiteral(" has some of them already")) +
                                QStringLiteral(", so their packet may be waiting in this site's incoming "
                                               "bay: Synchronize to import it."),
                            {Repair::Kind::Synchronize, QString()});
                        continue;
                    }
                }
                auto group = std::find_if(waiting.begin(), waiting.end(),
                                          [&](const auto &g) { return g.first == lack; });
                if (group == waiting.end())
                    waiting.append({lack, {r}});
                else
                    group->second << r;
            }
            for (const auto &[lack, rows] : waiting) {
                add(Normal,
                    s + QStringLiteral(" holds ") + num(lack) +
                        (lack == 1 ? QStringLiteral(" change that ") : QStringLiteral(" changes that ")) +
                        joined(rows) + (rows.size() == 1 ? QStringLiteral(" has") : QStringLiteral(" have")) +
                        QStringLiteral(" not received yet (normal until ") + s +
                        QStringLiteral("'s next export)."));
            }
        }
    }

    // Whether this site holds more of the origin's changes than the row does
    // (its own export to the row carries them); the belief check has said
    // what happens to them.
    bool sendsFromHere(const QString &r, const QString &s, qint64 has) const
    {
        if (r == m_me)
            return false;
        const Count here = holds(m_me, s);
        return here && *here > has;
    }

    // A replica other than the origin and this site that holds more of the
    // origin's changes than this site: the origin has sent them out.
    std::optional<std::pair<QString, qint64>> thirdHolder(const QString &s, qint64 mine) const
    {
        for (const QString &t : m_names) {
            if (t == s || t == m_me)
                continue;
            const Count c = holds(t, s);
            if (c && *c > mine)
                return std::pair{t, *c};
        }
        return std::nullopt;
    }

    void checkBelief(const QString &r, const QString &s, qint64 has, qint64 total)
    {
        const Count belief = believed(r, s);
        const Count here = holds(m_me, s);
        const Repair fix{Repair::Kind::FixBasedOnActual, r};
        const QString believes = QStringLiteral("This site believes ") + r + QStringLiteral(" holds ");
        if (!belief) {
            // Without a belief, lost and pending look alike; the table's own
            // line says how to learn it.
            if (here && *here > has) {
                add(UnknownBelief,
                    r + QStringLiteral(" lacks ") + num(total - has) + QStringLiteral(" of ") + changes(s) +
                        QStringLiteral(" (it holds ") + num(has) + QStringLiteral(", ") + s +
                        QStringLiteral(" holds ") + num(total) + QStringLiteral(")."),
                    fix);
            }
            return;
        }
        if (*belief > has && here && *belief <= *here && has < total) {
            add(NeedsFix,
                r + QStringLiteral(" lacks ") + num(total - has) + QStringLiteral(" of ") + changes(s) +
                    QStringLiteral(" (it holds ") + num(has) + QStringLiteral(", ") + s +
                    QStringLiteral(" holds ") + num(total) + QStringLiteral(")."),
                fix);
            add(NeedsFix,
                believes + num(*belief) + QStringLiteral(" of ") + changes(s) +
                    QStringLiteral(", but it holds ") + num(has) +
                    QStringLiteral(": the packet between was lost, and no later export will resend it. "
                                   "Repair: Fix Local Epoch Table for ") +
                    r + QStringLiteral(" based on actual, then Synchronize."),
                fix);
        } else if (*belief > has) {
            // More than this site ever held: no export of this site set it,
            // a hand-typed value did, and exports would skip those changes.
            add(NeedsFix,
                believes + num(*belief) + QStringLiteral(" of ") + changes(s) +
                    QStringLiteral(", but it holds ") + num(has) + QStringLiteral(" and ") + s +
                    QStringLiteral(" has made ") + num(total) + QStringLiteral(": exports to ") + r +
                    QStringLiteral(" would skip ") + changes(s) + QStringLiteral(" up to ") + num(*belief) +
                    QStringLiteral(". Repair: Fix Local Epoch Table for ") + r +
                    QStringLiteral(" based on actual."),
                fix);
        } else {
            if (here && *here > has) {
                add(NeedsSync,
                    QStringLiteral("This site now knows ") + r + QStringLiteral(" lacks ") +
                        num(*here - has) + QStringLiteral(" of ") + changes(s) +
                        QStringLiteral(": Synchronize to send them."),
                    {Repair::Kind::Synchronize, r});
            }
            // Only what this site holds is ever sent, so a low belief costs
            // nothing unless this site holds more than it.
            if (*belief < has && here && *here > *belief) {
                add(Harmless,
                    believes + num(*belief) + QStringLiteral(" of ") + changes(s) +
                        QStringLiteral(", but it holds ") + num(has) +
                        QStringLiteral(": the next export to ") + r + QStringLiteral(" sends ") +
                        num(std::min(*here, has) - *belief) +
                        QStringLiteral(" of them again (harmless; Fix Local Epoch Table for ") + r +
                        QStringLiteral(" based on actual avoids it)."),
                    fix);
            }
        }
    }

    // A whole local table of "?" says one thing once, not once per cell.
    void checkLocalTable()
    {
        bool any = false;
        for (const QString &r : m_local.names) {
            for (const QString &s : m_local.names)
                any = any || believed(r, s).has_value();
        }
        if (!any) {
            add(UnknownBelief,
                QStringLiteral("This site's epoch table could not be read: what it believes the other "
                               "replicas hold is unknown."));
            return;
        }
        for (const QString &r : m_names) {
            if (r == m_me || !rowKnown(r))
                continue;
            QStringList missing;
            for (const QString &s : m_names) {
                if (!believed(r, s))
                    missing << s;
            }
            if (missing.size() == m_names.size()) {
                add(UnknownBelief,
                    QStringLiteral("This site's table has no row for ") + r +
                        QStringLiteral(": Fix Local Epoch Table for ") + r +
                        QStringLiteral(" based on actual sets it."),
                    {Repair::Kind::FixBasedOnActual, r});
            } else if (!missing.isEmpty()) {
                add(UnknownBelief,
                    QStringLiteral("This site's table has no value for what ") + r +
                        QStringLiteral(" holds of ") + joined(missing) +
                        QStringLiteral("'s changes: Fix Local Epoch Table for ") + r +
                        QStringLiteral(" based on actual sets it."),
                    {Repair::Kind::FixBasedOnActual, r});
            }
        }
    }

    void add(Level level, const QString &text, const Repair &repair = {})
    {
        m_findings.append({level, {text, repair}});
    }

    QList<Finding> result()
    {
        std::stable_sort(m_findings.begin(), m_findings.end(),
                         [](const Ranked &a, const Ranked &b) { return a.level < b.level; });
        QList<Finding> out;
        out.reserve(m_findings.size());
        for (const Ranked &r : m_findings)
            out << r.finding;
        return out;
    }

    const EpochTable &m_actual;
    const EpochTable &m_local;
    const QString m_me;
    QStringList m_names;
    QHash<QString, qsizetype> m_localRow;
    QHash<QString, qsizetype> m_actualRow;
    QList<Ranked> m_findings;
};

} // namespace

QList<Finding> diagnose(const EpochTable &actual, const EpochTable &local, const QString &localReplica)
{
    return Diagnoser(actual, local, localReplica).run();
}

} // namespace quorvane
