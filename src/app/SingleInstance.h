#pragma once

#include <QLockFile>
#include <QString>

namespace quorvane {

// One running copy per user and display (on Windows: per user and logon
// session). A lock file in the user's runtime
// folder; a lock left by a crashed copy is recognised as stale (its process
// is gone) and taken over, so a crash never blocks the next start.
class SingleInstance final {
public:
    explicit SingleInstance(const QString &lockPath = defaultLockPath());
    Q_DISABLE_COPY_MOVE(SingleInstance)

    // True when this process is now the one running copy.
    [[nodiscard]] bool acquire();
    [[nodiscard]] QString lockPath() const { return m_path; }
    // Lets the next copy start; for an end that does not unwind.
    void release() { m_lock.unlock(); }

    static QString defaultLockPath();
    // The lock's file name for a user and the place they work (a display,
    // a logon session), made safe for a file name.
    static QString lockFileName(QString user, QString place);

private:
    QString m_path;
    QLockFile m_lock;
};

} // namespace quorvane
