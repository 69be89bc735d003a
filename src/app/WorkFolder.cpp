#include "app/WorkFolder.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSaveFile>
#include <QSysInfo>

#ifdef Q_OS_UNIX
#include <cerrno>
#include <csignal>
#include <unistd.h>
#endif
#ifdef Q_OS_WIN
#include <windows.h>
#endif

namespace quorvane {

namespace {

const QByteArray RecordMagic = QByteArrayLiteral("quorvane work folder owner 1");
// The record is a few short lines; anything larger is not one.
constexpr qint64 MaxRecordBytes = 4096;

QString readSmallFile(const QString &path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return QString();
    return QString::fromUtf8(f.read(MaxRecordBytes)).trimmed();
}

bool ownedByThisUser(const QFileInfo &info)
{
#ifdef Q_OS_UNIX
    return info.ownerId() == ::getuid();
#else
    Q_UNUSED(info)
    return true;
#endif
}

} // namespace

QString WorkFolder::pattern()
{
    return QStringLiteral("quorvane-XXXXXX");
}

QString WorkFolder::ownerFileName()
{
    return QStringLiteral(".quorvane-owner");
}

std::optional<QString> WorkFolder::processStart(qint64 pid)
{
#ifdef Q_OS_UNIX
    if (pid <= 0 || pid != qint64(pid_t(pid)))
        return QString();
    if (::kill(pid_t(pid), 0) == -1 && errno == ESRCH)
        return std::nullopt;
    // Field 22 of /proc/<pid>/stat, counted after the command's closing
    // parenthesis, which may itself hold blanks and parentheses.
    const QString stat = readSmallFile(QStringLiteral("/proc/%1/stat").arg(pid));
    const qsizetype close = stat.lastIndexOf(QLatin1Char(')'));
    if (close < 0)
        return QString();
    const QStringList fields = stat.mid(close + 2).split(QLatin1Char(' '));
    return fields.size() > 19 ? fields.at(19) : QString();
#elif defined(Q_OS_WIN)
    if (pid <= 0 || pid > qint64(MAXDWORD))
        return QString();
    HANDLE process = ::OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, DWORD(pid));
    if (!process)
        return ::GetLastError() == ERROR_INVALID_PARAMETER ? std::nullopt : std::optional<QString>(QString());
    DWORD status = 0;
    FILETIME created{}, exited{}, kernel{}, user{};
    const bool ended = ::GetExitCodeProcess(process, &status) && status != STILL_ACTIVE;
    const bool timed = ::GetProcessTimes(process, &created, &exited, &kernel, &user);
    ::CloseHandle(process);
    // A handle keeps an ended process's identity alive: ended is gone.
    if (ended)
        return std::nullopt;
    if (!timed)
        return QString();
    return QString::number((quint64(created.dwHighDateTime) << 32) | created.dwLowDateTime);
#else
    Q_UNUSED(pid)
    return QString();
#endif
}

WorkFolder::Owner WorkFolder::thisProcess()
{
    Owner me;
#ifdef Q_OS_UNIX
    me.pid = ::getpid();
#elif defined(Q_OS_WIN)
    me.pid = ::GetCurrentProcessId();
#endif
    me.host = QSysInfo::machineHostName();
    me.bootId = readSmallFile(QStringLiteral("/proc/sys/kernel/random/boot_id"));
    me.startTime = processStart(me.pid).value_or(QString());
    return me;
}

QByteArray WorkFolder::recordText(const Owner &owner)
{
    return RecordMagic + '\n' + QByteArray::number(owner.pid) + '\n' + owner.host.toUtf8() + '\n'
        + owner.bootId.toUtf8() + '\n' + owner.startTime.toUtf8() + '\n';
}

std::optional<WorkFolder::Owner> WorkFolder::parseRecord(const QByteArray &text)
{
    const QList<QByteArray> lines = text.split('\n');
    if (lines.size() < 5 || lines.at(0) != RecordMagic)
        return std::nullopt;
    bool ok = false;
    Owner owner;
    owner.pid = lines.at(1).toLongLong(&ok);
    owner.host = QString::fromUtf8(lines.at(2));
    owner.bootId = QString::fromUtf8(lines.at(3));
    owner.startTime = QString::fromUtf8(lines.at(4));
    if (!ok || owner.pid <= 0 || owner.host.isEmpty())
        return std::nullopt;
    return owner;
}

bool WorkFolder::ownerGone(const Owner &owner, const Owner &now,
                           const std::function<std::optional<QString>(qint64)> &running)
{
    // A folder shared with another host: its processes cannot be seen here.
    if (owner.host != now.host)
        return false;
    if (!owner.bootId.isEmpty() && !now.bootId.isEmpty() && owner.bootId != now.bootId)
        return true;
    const std::optional<QString> start = running(owner.pid);
    if (!start)
        return true;
    return !owner.startTime.isEmpty() && !start->isEmpty() && *start != owner.startTime;
}

bool WorkFolder::claim(const QString &folder)
{
    if (folder.isEmpty())
        return false;
    QSaveFile file(QDir(folder).filePath(ownerFileName()));
    if (!file.open(QIODevice::WriteOnly))
        return false;
    file.write(recordText(thisProcess()));
    return file.commit();
}

QStringList WorkFolder::removeAbandoned(const QString &parent, const QString &keep)
{
    // The six characters QTemporaryDir puts in place of the X's.
    static const QRegularExpression name(QStringLiteral("^quorvane-[A-Za-z0-9]{6}$"));
    const QString kept = keep.isEmpty() ? QString() : QFileInfo(keep).absoluteFilePath();
    const Owner me = thisProcess();
    QStringList removed;
    const QFileInfoList entries = QDir(parent).entryInfoList(QDir::Dirs | QDir::NoDotAndDotDot | QDir::Hidden);
    for (const QFileInfo &dir : entries) {
        if (!name.match(dir.fileName()).hasMatch() || dir.isSymLink() || !ownedByThisUser(dir)
            || dir.absoluteFilePath() == kept)
            continue;
        const QFileInfo record(QDir(dir.absoluteFilePath()).filePath(ownerFileName()));
        if (!record.isFile() || record.isSymLink() || !ownedByThisUser(record) || record.size() > MaxRecordBytes)
            continue;
        QFile f(record.absoluteFilePath());
        if (!f.open(QIODevice::ReadOnly))
            continue;
        const std::optional<Owner> owner = parseRecord(f.read(MaxRecordBytes));
        f.close();
        if (!owner || !ownerGone(*owner, me, processStart))
            continue;
        if (QDir(dir.absoluteFilePath()).removeRecursively())
            removed << dir.absoluteFilePath();
    }
    return removed;
}

} // namespace quorvane
