#pragma once

#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

namespace quorvane {

// The private work folder of a run ("quorvane-XXXXXX" in the temporary
// folder) carries an owner record naming the process that made it: its pid,
// its host, the boot it ran in and its start time. A run that ends without
// its destructors (a lost display, a kill) leaves its folder behind; the
// next start removes every such folder whose owner is gone.
namespace WorkFolder {

// The folder's name as QTemporaryDir is asked to make it.
[[nodiscard]] QString pattern();
// The owner record's file inside a work folder.
[[nodiscard]] QString ownerFileName();

struct Owner {
    qint64 pid = 0;
    QString host;
    QString bootId;    // empty where the system does not tell
    QString startTime; // the process's start in clock ticks since boot; empty where unknown
};

// This process, as a record names it.
[[nodiscard]] Owner thisProcess();
// How a process of this host looks now: std::nullopt when no process has
// the pid, else its start time (empty when unknown).
[[nodiscard]] std::optional<QString> processStart(qint64 pid);

[[nodiscard]] QByteArray recordText(const Owner &owner);
[[nodiscard]] std::optional<Owner> parseRecord(const QByteArray &text);

// Whether the owner is certainly gone: on this host, and then a later boot,
// no process with its pid, or one that started at another time (the pid was
// reused). Anything not certain counts as alive. `running` answers as
// processStart does.
[[nodiscard]] bool ownerGone(const Owner &owner, const Owner &now,
                             const std::function<std::optional<QString>(qint64)> &running);

// Writes the folder's owner record for this process; false when it cannot
// (the folder is then simply never taken for abandoned).
bool claim(const QString &folder);

// Removes every work folder in `parent`, other than `keep`, whose owner
// record says its owner is gone. A folder without a readable record, one of
// another user, or a link is left alone. Gives the folders removed.
QStringList removeAbandoned(const QString &parent, const QString &keep = QString());

} // namespace WorkFolder

} // namespace quorvane
