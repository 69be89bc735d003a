#pragma once

#include "sim/Region.h"
#include "sim/RegionStamp.h"

#include <functional>
#include <optional>

namespace quorvane::ccsim {

// The region on disk: one JSON file, changed only under a lock file and
// replaced atomically, so concurrent invocations neither lose an update nor
// see half a file; a log of every command received beside it.
//
// A store keeps the region it last read or wrote, with the stamp of the
// file it came from, and parses the file again only when the stamp on disk
// differs: a co-process answers read-only commands from memory, yet sees a
// change by any other process with its very next command.
class RegionStore final {
public:
    // CCSIM_REGION, else a per-user data folder.
    static QString defaultDirectory();

    explicit RegionStore(QString directory);

    const QString &directory() const { return m_directory; }
    QString stateFile() const;
    // The change counter beside the state file.
    QString generationFile() const;

    // The current state; a missing region is seeded with the demo first.
    // Cheap when the file has not changed since the last read: the copy
    // shares the kept region's data.
    Region read() const;
    // Runs change on the freshest state under the lock, then saves it. When
    // change throws, nothing is saved and the exception passes on.
    void modify(const std::function<void(Region &)> &change) const;
    // Replaces the whole region (demo, generate).
    void replace(const Region &region) const;

    void appendLog(const QString &line) const;
    QString logText() const;

    // Storage bay folder names printed in packet paths ("incoming"/"outgoing").
    QString bay(const QString &which) const;

    // How often this store has parsed the state file: lets tests see that
    // an unchanged region is answered from memory.
    int loads() const { return m_loads; }

private:
    struct Kept {
        Region region;
        RegionStamp stamp;
    };

    QString logFile() const;
    RegionStamp stamp() const;
    // The state described by now: the kept region when it still matches,
    // else the file parsed again. now must exist.
    Region current(const RegionStamp &now) const;
    Region load(const RegionStamp &now) const;
    // Caller holds the lock.
    void save(const Region &region) const;
    void ensureDirectory() const;

    QString m_directory;
    // A cache, not state: a const store may refresh it.
    mutable std::optional<Kept> m_kept;
    mutable int m_loads = 0;
};

} // namespace quorvane::ccsim
