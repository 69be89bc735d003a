#include "app/SingleInstance.h"

#include <QDir>
#include <QRegularExpression>
#include <QStandardPaths>

namespace quorvane {

SingleInstance::SingleInstance(const QString &lockPath) : m_path(lockPath), m_lock(lockPath)
{
    // Age never makes a lock stale: only a dead owner does.
    m_lock.setStaleLockTime(0);
}

bool SingleInstance::acquire()
{
    if (m_lock.tryLock(0))
        return true;
    if (m_lock.error() == QLockFile::LockFailedError) {
        // Held by a live process, unless the owner died without cleaning up.
        if (m_lock.removeStaleLockFile())
            return m_lock.tryLock(0);
        return false;
    }
    // The folder cannot hold a lock (read-only, missing): do not refuse to start.
    return true;
}

QString SingleInstance::defaultLockPath()
{
    QString dir = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    QString user = qEnvironmentVariable("USER");
    if (dir.isEmpty())
        dir = QDir::tempPath();
    QString display = qEnvironmentVariable("WAYLAND_DISPLAY");
    if (display.isEmpty())
        display = qEnvironmentVariable("DISPLAY");
    static const QRegularExpression unsafe(QStringLiteral("[^A-Za-z0-9_.-]"));
    display.replace(unsafe, QStringLiteral("_"));
    user.replace(unsafe, QStringLiteral("_"));
    return dir + QStringLiteral("/quorvane-") + user + QLatin1Char('-') + display + QStringLiteral(".lock");
}

} // namespace quorvane
