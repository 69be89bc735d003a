#include "sim/RegionStamp.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

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
    QSaveFile file(generationFile);
    if (!file.open(QIODevice::WriteOnly) || file.write(QByteArray::number(next) + '\n') < 0 || !file.commit()) {
        if (error)
            *error = file.errorString();
        return false;
    }
    return true;
}

} // namespace quorvane::ccsim
