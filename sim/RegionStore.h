#pragma once

#include "sim/Region.h"
#include "sim/RegionClock.h"
#include "sim/RegionStamp.h"

#include <QByteArray>
#include <QHash>
#include <functional>
#include <optional>

namespace quorvane::ccsim {

// The region on disk: an index of the VOB tags and one file per VOB in
// "vobs/", each changed only under the region's lock file and replaced
// atomically, so concurrent invocations neither lose an update nor see half
// a file; a log of every command received beside them. A command reads only
// the files of the VOBs it names, so its cost does not grow with the region,
// and takes each from its binary cache (VobCache.h) while that still matches
// the file, so its cost hardly grows with the VOB's size either.
//
// A store keeps what it last read or wrote, each file with its stamp, and
// parses a file again only when the stamp on disk differs: a co-process
// answers read-only commands from memory, yet sees a change by any other
// process with its very next command.
//
// A region left by the older single-file layout (region.json) is moved to
// this layout by the first command that finds it.
class RegionStore final {
public:
    // CCSIM_REGION, else a per-user data folder.
    static QString defaultDirectory();

    explicit RegionStore(QString directory);

    const QString &directory() const { return m_directory; }
    // The VOB tags, one a line in the order of the region.
    QString indexFile() const;
    QString vobFile(const QString &tag) const;
    // The binary copy of the VOB's file that spares a process the JSON
    // parse (VobCache.h); never the truth.
    QString cacheFile(const QString &tag) const;
    // The change counter every writer bumps.
    QString generationFile() const;
    // The single file of the older layout.
    QString legacyFile() const;

    // What a read needs: a command that lists no history reads the VOBs
    // without it (and may not save them).
    enum class Detail { Whole, WithoutHistory };
    // The whole region; a missing region is seeded with the demo first.
    // Cheap when nothing changed since the last read: the copy shares the
    // kept VOBs' data.
    Region read(Detail detail = Detail::Whole) const;
    // Only the VOBs of the region named by tags, in the order given; a tag
    // the region does not hold is left out.
    Region read(const QStringList &tags, Detail detail = Detail::Whole) const;
    [[nodiscard]] QStringList tags() const;
    // Runs change on the freshest state under the lock, then saves what it
    // changed. When change throws, nothing is saved and the exception
    // passes on.
    void modify(const std::function<void(Region &)> &change) const;
    // The same for the VOBs named by tags only (those the region holds);
    // change may not add or remove VOBs.
    void modify(const QStringList &tags, const std::function<void(Region &)> &change) const;
    // Replaces the whole region (demo, generate).
    void replace(const Region &region) const;

    void appendLog(const QString &line) const;
    QString logText() const;

    // Storage bay folder names printed in packet paths ("incoming"/"outgoing").
    QString bay(const QString &which) const;
    // The return bay, where packets whose shipping order expired come back.
    QString returnBay() const;

    // The region's time (RegionClock.h): the "now" of every command.
    QString clockFile() const;
    RegionClock clock() const;
    QDateTime now() const { return clock().now(); }
    // Under the region's lock.
    void setClock(const RegionClock &clock) const;

    // The administrator's mailbox on this host: the shipping server's
    // notices, one a line.
    void appendMail(const QStringList &lines) const;
    QString mailText() const;
    void clearMail() const;

    // How often this store has parsed a file of the region: lets tests see
    // that an unchanged region is answered from memory and that a command
    // reads only what it names.
    int loads() const { return m_loads; }

private:
    struct Kept {
        RegionStamp stamp;
        Vob vob; // as on disk, to write back only what changed
        bool whole = true; // with the replicas' history
        QDateTime cached;
    };
    struct KeptIndex {
        RegionStamp stamp;
        QStringList tags;
        QDateTime cached;
    };

    QString logFile() const;
    QString mailFile() const;
    QString vobDirectory() const;
    RegionStamp stampOf(const QString &file) const;
    // Creates the region when it has no index yet: from the older layout
    // when there is one, else the demo.
    void ensureRegion() const;
    QStringList currentTags() const;
    // The VOB as on disk now; nullopt when it has no file.
    std::optional<Vob> currentVob(const QString &tag, Detail detail) const;
    Region currentRegion(const QStringList &tags, Detail detail) const;
    // Caller holds the lock. Writes the VOBs of after whose content differs
    // from what is on disk, removes the files of the VOBs of before that
    // after lacks, and rewrites the index when the tags changed.
    void save(const QStringList &before, const Region &after) const;
    void writeIndex(const QStringList &tags) const;
    void writeCache(const Vob &vob, const RegionStamp &madeFrom, const QDateTime &made) const;
    void ensureDirectory() const;
    // Whether a copy kept since cached with stamp kept still stands for the
    // file now stamped now.
    static bool trusted(const RegionStamp &kept, const QDateTime &cached, const RegionStamp &now);

    QString m_directory;
    // A cache, not state: a const store may refresh it.
    mutable QHash<QString, Kept> m_kept;
    mutable std::optional<KeptIndex> m_index;
    mutable int m_loads = 0;
};

} // namespace quorvane::ccsim
