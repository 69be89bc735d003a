#pragma once

#include "sim/Region.h"

#include <functional>

namespace quorvane::ccsim {

// The region on disk: one JSON file, changed only under a lock file and
// replaced atomically, so concurrent invocations neither lose an update nor
// see half a file; a log of every command received beside it.
class RegionStore final {
public:
    // CCSIM_REGION, else a per-user data folder.
    static QString defaultDirectory();

    explicit RegionStore(QString directory);

    const QString &directory() const { return m_directory; }
    QString stateFile() const;

    // The current state; a missing region is seeded with the demo first.
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

private:
    Region load() const; // caller holds the lock or the file exists
    void save(const Region &region) const;
    void ensureDirectory() const;

    QString m_directory;
};

} // namespace quorvane::ccsim
