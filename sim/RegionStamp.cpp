#include "sim/RegionStamp.h"

#include <QFile>
#include <QFileInfo>
#include <QDeadlineTimer>
#include <QSaveFile>
#include <QThread>

#include <algorithm>

#ifdef Q_OS_UNIX
#include <sys/stat.h>
#endif

namespace quorvane::ccsim {

namespace {

// The counter file holds one decimal number and a newline.
constexpr qint64 kMaxCounterBytes = 32;

void identify(const QString &path, RegionStamp &stamp)
{
#ifdef Q_OS_UNIX
    struct stat st {};
    if (::stat(QFile::encodeName(path).constData(), &st) != 0)
        return;
    stamp.exists = true;
    stamp.size = qint64(st.st_size);
    stamp.device = qint64(st.st_dev);
    stamp.inode = qint64(st.st_ino);
#if defined(Q_OS_LINUX)
    stamp.modifiedNs = qint64(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
    stamp.changedNs = qint64(st.st_ctim.tv_sec) * 1000000000 + st.st_ctim.tv_nsec;
#else
    stamp.modifiedNs = qint64(st.st_mtime) * 1000000000;
    stamp.changedNs = qint64(st.st_ctime) * 1000000000;
#endif
#else
    const QFileInfo info(path);
    if (!info.exists())
        return;
    stamp.exists = true;
    stamp.size = info.size();
    stamp.modifiedNs = info.lastModified().toMSecsSinceEpoch() * 1000000;
    stamp.changedNs = info.metadataChangeTime().toMSecsSinceEpoch() * 1000000;
#endif
}

} // namespace

RegionStamp RegionStamp::take(const QString &stateFile, const QString &generationFile)
{
    RegionStamp stamp;
    stamp.generation = readGeneration(generationFile);
    identify(stateFile, stamp);
    return stamp;
}

qint64 RegionStamp::readGeneration(const QString &generationFile)
{
    QFile file(generationFile);
    if (!file.open(QIODevice::ReadOnly))
        return file.exists() ? -1 : 0;
    bool ok = false;
    const qint64 value = file.read(kMaxCounterBytes).trimmed().toLongLong(&ok);
    return ok && value >= 0 ? value : -1;
}

bool RegionStamp::bumpGeneration(const QString &generationFile, QString *error)
{
    const qint64 next = std::max<qint64>(readGeneration(generationFile), 0) + 1;
    return saveWhole(generationFile, QByteArray::number(next) + '\n', error);
}

bool saveWhole(const QString &path, const QByteArray &bytes, QString *error)
{
#ifdef Q_OS_WIN
    // Readers hold a file for one read; two seconds outlast any of them.
    const QDeadlineTimer deadline(2000);
#else
    const QDeadlineTimer deadline(0);
#endif
    for (;;) {
        QSaveFile file(path);
        if (file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size() && file.commit())
            return true;
        if (deadline.hasExpired()) {
            if (error)
                *error = file.errorString();
            return false;
        }
        QThread::msleep(5);
    }
}

} // namespace quorvane::ccsim
