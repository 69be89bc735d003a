#pragma once

#include <QString>

namespace quorvane::ccsim {

// What tells one version of the region on disk from another: the change
// counter every ccsim writer bumps under the lock after replacing the state
// file, and the identity of the state file itself. The counter catches
// writes that the file's identity could miss (same size, within the
// clock's granularity, a recycled inode); the identity catches a file
// replaced without the counter (an older ccsim, a hand edit).
struct RegionStamp {
    qint64 generation = 0;
    bool exists = false;
    qint64 size = -1;
    qint64 device = -1;
    qint64 inode = -1;
    qint64 modifiedNs = -1;
    qint64 changedNs = -1;

    bool operator==(const RegionStamp &) const = default;

    // Reads the counter before looking at the state file: a writer
    // replaces the file first and bumps the counter after, so the stamp is
    // never newer than the file read after it.
    static RegionStamp take(const QString &stateFile, const QString &generationFile);

    // The counter in generationFile: 0 when there is none yet, -1 when it
    // cannot be read (the state file's identity alone decides then).
    static qint64 readGeneration(const QString &generationFile);
    // Replaces generationFile atomically with the next value; false with
    // error set when it cannot be written.
    static bool bumpGeneration(const QString &generationFile, QString *error);
};

// Replaces the file at PATH with BYTES through a temporary file and a
// rename; false with error set when it cannot. On Windows a rename over a
// file that a reader holds open is refused, and readers take no lock: the
// replacement is tried again for a short, bounded time there.
bool saveWhole(const QString &path, const QByteArray &bytes, QString *error);

} // namespace quorvane::ccsim
