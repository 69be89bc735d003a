#pragma once

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>

namespace quorvane {

// What get_replica_info.pl says about itself while it runs: the hosts it
// is still waiting for, since when, and its time limit. It replaces its
// progress file whole as that changes and removes it when no host is left;
// the file is read as it stands, and whatever cannot be read in it is left
// out rather than guessed at.
class ScriptProgress final {
public:
    // In the folder the script runs in, beside the results files.
    static QString fileName() { return QStringLiteral("_progress.txt"); }
    // A host's line is a few dozen bytes: a larger file is not the script's.
    static constexpr qint64 maxFileBytes = 1024 * 1024;
    // Hosts named one by one; those waited for less long are counted.
    static constexpr int shownHosts = 5;

    struct Waiting {
        QString replica;
        double askedAt = 0; // seconds since 1970
    };

    // Lines end in LF ("limit", TAB, seconds; "waiting", TAB, replica, TAB,
    // seconds since 1970). A last line without its end, a line of another
    // kind or with a field that does not read, and a replica named twice
    // are left out.
    [[nodiscard]] static ScriptProgress parse(const QByteArray &text);
    // An absent, unreadable or oversized file says nothing.
    [[nodiscard]] static ScriptProgress read(const QString &path);

    // One line per host still waited for, the longest waiting first:
    // "waiting for tokyo (fuji): 12 s of 120 s" at `now` (seconds since
    // 1970), the host taken from hostOf (replica -> host) where known.
    // Whole seconds, never below 0 nor past the limit; without a limit the
    // " of ..." part is left out. Past shownHosts the rest is one line
    // "and N more hosts".
    [[nodiscard]] QStringList lines(double now, const QHash<QString, QString> &hostOf) const;

    [[nodiscard]] bool isEmpty() const { return waiting.isEmpty(); }

    double limitSecs = 0; // 0: not said
    QList<Waiting> waiting;
};

} // namespace quorvane
