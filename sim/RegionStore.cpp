#include "sim/RegionStore.h"

#include "sim/CommandError.h"
#include "sim/DemoRegion.h"
#include "sim/VobCache.h"

#include <QCryptographicHash>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLockFile>
#include <QRandomGenerator>
#include <QSet>
#include <QStandardPaths>
#include <QThread>
#include <QUrl>

#ifdef Q_OS_WIN
#include <windows.h>

#include <system_error>
#endif

namespace quorvane::ccsim {

namespace {

// Appends BYTES to the file at PATH in one write that concurrent
// invocations cannot interleave with or overwrite; empty on success, else
// why not. QFile's append mode seeks to the end and then writes on Windows,
// so two writers can land on the same offset there: a handle opened for
// appending only makes the system put every write at the end.
QString appendWhole(const QString &path, const QByteArray &bytes)
{
#ifdef Q_OS_WIN
    const HANDLE file = CreateFileW(reinterpret_cast<const wchar_t *>(QDir::toNativeSeparators(path).utf16()),
                                    FILE_APPEND_DATA | SYNCHRONIZE,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_ALWAYS,
                                    FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return QString::fromStdString(std::system_category().message(int(GetLastError())));
    DWORD written = 0;
    const bool ok = WriteFile(file, bytes.constData(), DWORD(bytes.size()), &written, nullptr) &&
                    written == DWORD(bytes.size());
    const QString why = ok ? QString() : QString::fromStdString(std::system_category().message(int(GetLastError())));
    CloseHandle(file);
    return why;
#else
    // O_APPEND: the system moves to the end for each write.
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Append | QIODevice::Unbuffered))
        return file.errorString();
    if (file.write(bytes) != bytes.size())
        return file.errorString();
    return QString();
#endif
}

// Without a change counter a file could be rewritten within one tick of the
// file system's clock and keep size, inode and times: a kept copy whose file
// was written this recently is trusted only while the counter stands still.
constexpr qint64 kRacyMs = 2000;
// A reader that meets a file the index names but a writer has just removed
// reads the index again; a region that keeps changing under it is reported.
constexpr int kReadAttempts = 5;
// File names stay well below the common 255-byte limit.
constexpr qsizetype kMaxNameBytes = 160;

class RegionLock final {
public:
    explicit RegionLock(const QString &directory) : m_lock(directory + QStringLiteral("/region.lock"))
    {
        // A crashed invocation must not block the region for long; no
        // command holds the lock for more than a few file reads and writes.
        m_lock.setStaleLockTime(30000);
        // QLockFile's own waiting backs off to seconds between tries; a
        // burst of invocations wants short, jittered retries instead.
        QDeadlineTimer deadline(60000);
        while (!m_lock.tryLock(0)) {
            if (m_lock.error() != QLockFile::LockFailedError || deadline.hasExpired()) {
                throw CommandError(
                    QStringLiteral("The simulated region in \"%1\" is locked by another process.").arg(directory));
            }
            QThread::msleep(1 + QRandomGenerator::global()->bounded(4));
        }
    }

private:
    QLockFile m_lock;
};

bool sameFile(const RegionStamp &a, const RegionStamp &b)
{
    return a.exists == b.exists && a.size == b.size && a.device == b.device && a.inode == b.inode
        && a.modifiedNs == b.modifiedNs && a.changedNs == b.changedNs;
}

QByteArray readAll(const QString &path, bool *missing)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        if (missing && !file.exists()) {
            *missing = true;
            return {};
        }
        throw CommandError(QStringLiteral("Cannot read \"%1\": %2").arg(path, file.errorString()));
    }
    return file.readAll();
}

void writeAtomically(const QString &path, const QByteArray &bytes)
{
    QString error;
    if (!saveWhole(path, bytes, &error))
        throw CommandError(QStringLiteral("Cannot write \"%1\": %2").arg(path, error));
}

QStringList tagsOf(const Region &region)
{
    QStringList tags;
    tags.reserve(region.vobs.size());
    for (const Vob &v : region.vobs)
        tags << v.tag;
    return tags;
}

QStringList parseIndex(const QByteArray &bytes, const QString &origin)
{
    const QJsonObject doc = documentOf(bytes, origin);
    if (doc.value(QStringLiteral("format")).toInt() != 2)
        throw CommandError(QStringLiteral("The region file \"%1\" has an unknown format.").arg(origin));
    QStringList tags;
    for (const QJsonValue &v : doc.value(QStringLiteral("vobs")).toArray()) {
        if (!v.isString() || v.toString().isEmpty())
            throw CommandError(
                QStringLiteral("The region file \"%1\" is damaged: a VOB without a tag.").arg(origin));
        tags << v.toString();
    }
    return tags;
}

} // namespace

QString RegionStore::defaultDirectory()
{
    const QString env = qEnvironmentVariable("CCSIM_REGION");
    if (!env.isEmpty())
        return env;
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) + QStringLiteral("/ccsim/region");
}

RegionStore::RegionStore(QString directory) : m_directory(std::move(directory)) {}

QString RegionStore::indexFile() const
{
    return m_directory + QStringLiteral("/region.index");
}

QString RegionStore::vobDirectory() const
{
    return m_directory + QStringLiteral("/vobs");
}

QString RegionStore::vobFile(const QString &tag) const
{
    // The name follows from the tag alone, so that a command opens its VOB
    // without the index. Capitals are escaped too: on a file system that
    // ignores case, "/vobs/A" and "/vobs/a" must not share a file.
    static const QByteArray capitals = "ABCDEFGHIJKLMNOPQRSTUVWXYZ";
    QByteArray name = QUrl::toPercentEncoding(tag, QByteArray(), capitals);
    if (name.size() > kMaxNameBytes) {
        const QByteArray hash = QCryptographicHash::hash(tag.toUtf8(), QCryptographicHash::Sha256).toHex();
        name = name.left(kMaxNameBytes - hash.size() - 1) + '-' + hash;
    }
    return vobDirectory() + QLatin1Char('/') + QString::fromLatin1(name) + QStringLiteral(".json");
}

QString RegionStore::cacheFile(const QString &tag) const
{
    QString file = vobFile(tag);
    file.chop(int(qstrlen(".json")));
    return file + QStringLiteral(".cache");
}

QString RegionStore::generationFile() const
{
    return m_directory + QStringLiteral("/region.generation");
}

QString RegionStore::legacyFile() const
{
    return m_directory + QStringLiteral("/region.json");
}

QString RegionStore::logFile() const
{
    return m_directory + QStringLiteral("/commands.log");
}

RegionStamp RegionStore::stampOf(const QString &file) const
{
    return RegionStamp::take(file, generationFile());
}

void RegionStore::ensureDirectory() const
{
    if (!QDir().mkpath(vobDirectory()))
        throw CommandError(QStringLiteral("Cannot create the region folder \"%1\".").arg(m_directory));
}

bool RegionStore::trusted(const RegionStamp &kept, const QDateTime &cached, const RegionStamp &now)
{
    if (!sameFile(kept, now))
        return false;
    if (kept.generation == now.generation && now.generation >= 0)
        return true;
    return cached.toMSecsSinceEpoch() - now.modifiedNs / 1000000 > kRacyMs;
}

void RegionStore::ensureRegion() const
{
    if (QFile::exists(indexFile()))
        return;
    ensureDirectory();
    const RegionLock lock(m_directory);
    if (QFile::exists(indexFile()))
        return;
    const QString legacy = legacyFile();
    bool missing = false;
    const QByteArray bytes = readAll(legacy, &missing);
    if (missing) {
        save({}, DemoRegion::build(now()));
        return;
    }
    // The older layout is moved over whole; its file goes only once the
    // index, the last file written, is in place.
    save({}, Region::parse(bytes, legacy));
    if (!QFile::remove(legacy))
        throw CommandError(QStringLiteral("Cannot remove \"%1\" after moving the region to \"%2\".")
                               .arg(legacy, vobDirectory()));
}

QStringList RegionStore::currentTags() const
{
    const RegionStamp now = stampOf(indexFile());
    if (m_index && trusted(m_index->stamp, m_index->cached, now))
        return m_index->tags;
    m_index.reset();
    ++m_loads;
    bool missing = false;
    const QByteArray bytes = readAll(indexFile(), &missing);
    if (missing)
        throw CommandError(
            QStringLiteral("The region in \"%1\" has no index \"%2\".").arg(m_directory, indexFile()));
    QStringList tags = parseIndex(bytes, indexFile());
    m_index = KeptIndex{now, tags, QDateTime::currentDateTimeUtc()};
    return tags;
}

std::optional<Vob> RegionStore::currentVob(const QString &tag, Detail detail) const
{
    const QString path = vobFile(tag);
    // The stamp is taken before the file is opened, so the content is at
    // least as new as the stamp says: a later change always shows as a
    // different stamp.
    const RegionStamp now = stampOf(path);
    const bool withHistory = detail == Detail::Whole;
    const auto kept = m_kept.constFind(tag);
    if (kept != m_kept.cend() && (kept->whole || !withHistory) && trusted(kept->stamp, kept->cached, now))
        return kept->vob;
    // Should the file turn out damaged, nothing older may be served instead.
    m_kept.remove(tag);
    if (!now.exists)
        return std::nullopt;
    ++m_loads;
    {
        QFile cache(cacheFile(tag));
        if (cache.open(QIODevice::ReadOnly)) {
            std::optional<VobCache::Cached> cached =
                VobCache::read(cache, withHistory, [&now](const RegionStamp &madeFrom, const QDateTime &made) {
                    return trusted(madeFrom, made, now);
                });
            if (cached && cached->vob.tag == tag) {
                m_kept.insert(tag, Kept{now, cached->vob, withHistory, cached->made});
                return std::move(cached->vob);
            }
        }
    }
    bool missing = false;
    const QByteArray bytes = readAll(path, &missing);
    if (missing)
        return std::nullopt;
    Vob vob = parseVob(bytes, path);
    if (vob.tag != tag)
        throw CommandError(
            QStringLiteral("The region file \"%1\" is damaged: it holds VOB \"%2\".").arg(path, vob.tag));
    const QDateTime read = QDateTime::currentDateTimeUtc();
    writeCache(vob, now, read);
    m_kept.insert(tag, Kept{now, vob, true, read});
    return vob;
}

Region RegionStore::currentRegion(const QStringList &tags, Detail detail) const
{
    Region region;
    region.vobs.reserve(tags.size());
    for (const QString &tag : tags) {
        if (std::optional<Vob> v = currentVob(tag, detail))
            region.vobs << std::move(*v);
    }
    return region;
}

Region RegionStore::read(Detail detail) const
{
    ensureRegion();
    // A writer replacing the region writes the VOB files before the index
    // and removes the old ones after it: a file missing from the index read
    // means that the index changed meanwhile.
    for (int attempt = 0; attempt < kReadAttempts; ++attempt) {
        const QStringList tags = currentTags();
        Region region = currentRegion(tags, detail);
        if (region.vobs.size() == tags.size())
            return region;
    }
    throw CommandError(
        QStringLiteral("The simulated region in \"%1\" kept changing while it was read.").arg(m_directory));
}

Region RegionStore::read(const QStringList &tags, Detail detail) const
{
    ensureRegion();
    return currentRegion(tags, detail);
}

QStringList RegionStore::tags() const
{
    ensureRegion();
    return currentTags();
}

void RegionStore::modify(const std::function<void(Region &)> &change) const
{
    ensureRegion();
    const RegionLock lock(m_directory);
    const QStringList before = currentTags();
    // A copy: when change throws, the kept region stays as it was.
    Region region = currentRegion(before, Detail::Whole);
    if (region.vobs.size() != before.size())
        throw CommandError(
            QStringLiteral("The region in \"%1\" lacks VOB files its index names.").arg(m_directory));
    change(region);
    save(before, region);
}

void RegionStore::modify(const QStringList &tags, const std::function<void(Region &)> &change) const
{
    ensureRegion();
    const RegionLock lock(m_directory);
    Region region = currentRegion(tags, Detail::Whole);
    const QStringList before = tagsOf(region);
    change(region);
    if (tagsOf(region) != before)
        throw CommandError(QStringLiteral("A change of some VOBs may not add or remove VOBs."));
    save(before, region);
}

void RegionStore::replace(const Region &region) const
{
    ensureDirectory();
    const RegionLock lock(m_directory);
    QStringList before;
    if (QFile::exists(indexFile()))
        before = currentTags();
    save(before, region);
    QFile::remove(legacyFile());
}

void RegionStore::writeIndex(const QStringList &tags) const
{
    QJsonObject doc{{QStringLiteral("format"), 2},
                    {QStringLiteral("vobs"), QJsonArray::fromStringList(tags)}};
    writeAtomically(indexFile(), QJsonDocument(doc).toJson(QJsonDocument::Indented));
    m_index.reset();
}

void RegionStore::save(const QStringList &before, const Region &after) const
{
    ensureDirectory();
    const QStringList tags = tagsOf(after);
    if (QSet<QString>(tags.cbegin(), tags.cend()).size() != tags.size())
        throw CommandError(QStringLiteral("A region may not hold two VOBs with the same tag."));
    QList<const Vob *> written;
    for (const Vob &v : after.vobs) {
        if (v.historyOmitted)
            throw CommandError(QStringLiteral("VOB \"%1\" was read without its history and cannot be saved.").arg(v.tag));
        const auto kept = m_kept.constFind(v.tag);
        if (kept != m_kept.cend() && kept->whole && kept->vob == v && before.contains(v.tag))
            continue;
        // Once the file is replaced, whatever is kept is out of date, also
        // when something below fails.
        m_kept.remove(v.tag);
        writeAtomically(vobFile(v.tag), vobBytes(v));
        written.append(&v);
    }
    // A change of some VOBs names the same ones before and after: only a
    // change of the whole region writes the index.
    const bool indexChanged = tags != before || !QFile::exists(indexFile());
    if (indexChanged)
        writeIndex(tags);
    for (const QString &gone : before) {
        if (!tags.contains(gone)) {
            m_kept.remove(gone);
            QFile::remove(vobFile(gone));
            QFile::remove(cacheFile(gone));
        }
    }
    if (written.isEmpty() && !indexChanged)
        return;
    QString error;
    if (!RegionStamp::bumpGeneration(generationFile(), &error))
        throw CommandError(QStringLiteral("Cannot write \"%1\": %2").arg(generationFile(), error));
    // Every writer holds the lock, as the caller does: the stamps taken now
    // are those of the files just written.
    const QDateTime now = QDateTime::currentDateTimeUtc();
    for (const Vob *vob : std::as_const(written)) {
        const RegionStamp stamp = stampOf(vobFile(vob->tag));
        writeCache(*vob, stamp, now);
        m_kept.insert(vob->tag, Kept{stamp, *vob, true, now});
    }
    if (indexChanged)
        m_index = KeptIndex{stampOf(indexFile()), tags, now};
}

void RegionStore::writeCache(const Vob &vob, const RegionStamp &madeFrom, const QDateTime &made) const
{
    // Only a speed-up: a cache that cannot be written leaves the JSON to be
    // parsed again. One written by a reader that raced a writer carries the
    // stamp taken before the JSON was read, which the newer file no longer
    // has, so it is never used.
    (void)saveWhole(cacheFile(vob.tag), VobCache::encode(vob, madeFrom, made), nullptr);
}

void RegionStore::appendLog(const QString &line) const
{
    if (!QDir().mkpath(m_directory))
        return;
    // One write per line: lines of concurrent invocations never interleave.
    // A log that cannot be written must not fail the command itself.
    (void)appendWhole(logFile(), QString(line + QLatin1Char('\n')).toUtf8());
}

QString RegionStore::logText() const
{
    QFile log(logFile());
    if (!log.open(QIODevice::ReadOnly))
        return QString();
    return QString::fromUtf8(log.readAll());
}

QString RegionStore::bay(const QString &which) const
{
    return m_directory + QStringLiteral("/shipping/ms_ship/") + which;
}

QString RegionStore::returnBay() const
{
    return m_directory + QStringLiteral("/shipping/ms_rtn/incoming");
}

QString RegionStore::clockFile() const
{
    return m_directory + QStringLiteral("/region.clock");
}

RegionClock RegionStore::clock() const
{
    return RegionClock::read(clockFile());
}

void RegionStore::setClock(const RegionClock &clock) const
{
    if (!QDir().mkpath(m_directory))
        throw CommandError(QStringLiteral("Cannot create the region folder \"%1\".").arg(m_directory));
    const RegionLock lock(m_directory);
    clock.write(clockFile());
}

QString RegionStore::mailFile() const
{
    return m_directory + QStringLiteral("/mail");
}

void RegionStore::appendMail(const QStringList &lines) const
{
    if (lines.isEmpty())
        return;
    if (!QDir().mkpath(m_directory))
        throw CommandError(QStringLiteral("Cannot create the region folder \"%1\".").arg(m_directory));
    const QString why =
        appendWhole(mailFile(), QString(lines.join(QLatin1Char('\n')) + QLatin1Char('\n')).toUtf8());
    if (!why.isEmpty())
        throw CommandError(QStringLiteral("Cannot write \"%1\": %2").arg(mailFile(), why));
}

QString RegionStore::mailText() const
{
    QFile mail(mailFile());
    if (!mail.open(QIODevice::ReadOnly))
        return QString();
    return QString::fromUtf8(mail.readAll());
}

void RegionStore::clearMail() const
{
    QFile::remove(mailFile());
}

} // namespace quorvane::ccsim
