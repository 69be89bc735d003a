#pragma once

#include <QLockFile>
#include <QString>

namespace quorvane {

// One running copy per user and display. A lock file in the user's runtime
// folder; a lock left by a crashed copy is recognised as stale (its process
// is gone) and taken over, so a crash never blocks the next start.
class SingleInstance final {
public:
    explicit SingleInstance(const QString &lockPath = defaultLockPath());
    Q_DISABLE_COPY_MOVE(SingleInstance)

    // True when this process is now the one running copy.
    [[nodiscard]] bool acquire();
    [[nodiscard]] QString lockPath() const { return m_path; }

    static QString defaultLockPath();

private:
    QString m_path;
    QLockFile m_lock;
};

} // namespace quorvane
