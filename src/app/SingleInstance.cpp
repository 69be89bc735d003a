#include "app/SingleInstance.h"

#include <QDir>
#include <QRegularExpression>
#include <QStandardPaths>

#ifdef Q_OS_WIN
#include <windows.h>
#endif

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

QString SingleInstance::lockFileName(QString user, QString place)
{
    static const QRegularExpression unsafe(QStringLiteral("[^A-Za-z0-9_.-]"));
    place.replace(unsafe, QStringLiteral("_"));
    user.replace(unsafe, QStringLiteral("_"));
    return QStringLiteral("quorvane-") + user + QLatin1Char('-') + place + QStringLiteral(".lock");
}

QString SingleInstance::defaultLockPath()
{
#ifdef Q_OS_WIN
    // One copy per user and logon session: the same user on a second remote
    // desktop has a window of their own. The temporary folder is the user's.
    DWORD session = 0;
    if (!::ProcessIdToSessionId(::GetCurrentProcessId(), &session))
        session = 0;
    return QDir::tempPath() + QLatin1Char('/')
        + lockFileName(qEnvironmentVariable("USERNAME"), QStringLiteral("session") + QString::number(session));
#else
    QString dir = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (dir.isEmpty())
        dir = QDir::tempPath();
    QString display = qEnvironmentVariable("WAYLAND_DISPLAY");
    if (display.isEmpty())
        display = qEnvironmentVariable("DISPLAY");
    return dir + QLatin1Char('/') + lockFileName(qEnvironmentVariable("USER"), display);
#endif
}

} // namespace quorvane
