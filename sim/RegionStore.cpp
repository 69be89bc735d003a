#include "sim/RegionStore.h"

#include "sim/CommandError.h"
#include "sim/DemoRegion.h"

#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QLockFile>
#include <QDeadlineTimer>
#include <QRandomGenerator>
#include <QSaveFile>
#include <QStandardPaths>
#include <QThread>

namespace quorvane::ccsim {

namespace {

class RegionLock final {
public:
    explicit RegionLock(const QString &directory) : m_lock(directory + QStringLiteral("/region.lock"))
    {
        // A crashed invocation must not block the region for long; no
        // command holds the lock for more than a file read and write.
        m_lock.setStaleLockTime(30000);
        // QLockFile's own waiting backs off to seconds between tries; a
        // burst of invocations wants short, jittered retries instead.
        QDeadlineTimer deadline(60000);
        while (!m_lock.tryLock(0)) {
            if (m_lock.error() != QLockFile::LockFailedError || deadline.hasExpired()) {
                throw CommandError(
                    QStringLiteral("The simulated region in \"%1\" is locked by another process.").arg(directory));
            }
            QThread::msleep(2 + QRandomGenerator::global()->bounded(8));
        }
    }

private:
    QLockFile m_lock;
};

} // namespace

QString RegionStore::defaultDirectory()
{
    const QString env = qEnvironmentVariable("CCSIM_REGION");
    if (!env.isEmpty())
        return env;
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) + QStringLiteral("/ccsim/region");
}

RegionStore::RegionStore(QString directory) : m_directory(std::move(directory)) {}

QString RegionStore::stateFile() const
{
    return m_directory + QStringLiteral("/region.json");
}

QString RegionStore::generationFile() const
{
    return m_directory + QStringLiteral("/region.generation");
}

QString RegionStore::logFile() const
{
    return m_directory + QStringLiteral("/commands.log");
}

RegionStamp RegionStore::stamp() const
{
    return RegionStamp::take(stateFile(), generationFile());
}

void RegionStore::ensureDirectory() const
{
    if (!QDir().mkpath(m_directory))
        throw CommandError(QStringLiteral("Cannot create the region folder \"%1\".").arg(m_directory));
}

Region RegionStore::current(const RegionStamp &now) const
{
    if (m_kept && m_kept->stamp == now)
        return m_kept->region;
    return load(now);
}

Region RegionStore::load(const RegionStamp &now) const
{
    // Should the file turn out damaged, nothing older may be served instead.
    m_kept.reset();
    ++m_loads;
    QFile file(stateFile());
    if (!file.open(QIODevice::ReadOnly))
        throw CommandError(QStringLiteral("Cannot read \"%1\": %2").arg(stateFile(), file.errorString()));
    QJsonParseError error{};
    const QJsonDocument doc = QJsonDocument::fromJson(file.readAll(), &error);
    if (error.error != QJsonParseError::NoError || !doc.isObject()) {
        throw CommandError(
            QStringLiteral("The region file \"%1\" is damaged: %2").arg(stateFile(), error.errorString()));
    }
    Region region = Region::fromJson(doc.object());
    // The stamp was taken before the file was opened, so the content is at
    // least as new as the stamp says: a later change always shows as a
    // different stamp.
    m_kept = Kept{region, now};
    return region;
}

void RegionStore::save(const Region &region) const
{
    // Once the file is replaced, whatever is kept is out of date, also when
    // bumping the counter fails below.
    m_kept.reset();
    QSaveFile file(stateFile());
    if (!file.open(QIODevice::WriteOnly)
        || file.write(QJsonDocument(region.toJson()).toJson(QJsonDocument::Indented)) < 0 || !file.commit()) {
        throw CommandError(QStringLiteral("Cannot write \"%1\": %2").arg(stateFile(), file.errorString()));
    }
    QString error;
    if (!RegionStamp::bumpGeneration(generationFile(), &error))
        throw CommandError(QStringLiteral("Cannot write \"%1\": %2").arg(generationFile(), error));
    // Every writer holds the lock, as the caller does: the stamp taken now
    // is that of the file just written.
    m_kept = Kept{region, stamp()};
}

Region RegionStore::read() const
{
    const RegionStamp now = stamp();
    if (now.exists)
        return current(now);
    ensureDirectory();
    const RegionLock lock(m_directory);
    if (!QFile::exists(stateFile()))
        save(DemoRegion::build(QDateTime::currentDateTimeUtc()));
    return current(stamp());
}

void RegionStore::modify(const std::function<void(Region &)> &change) const
{
    ensureDirectory();
    const RegionLock lock(m_directory);
    const RegionStamp now = stamp();
    // A copy: when change throws, the kept region stays as it was.
    Region region = now.exists ? current(now) : DemoRegion::build(QDateTime::currentDateTimeUtc());
    change(region);
    save(region);
}

void RegionStore::replace(const Region &region) const
{
    ensureDirectory();
    const RegionLock lock(m_directory);
    save(region);
}

void RegionStore::appendLog(const QString &line) const
{
    if (!QDir().mkpath(m_directory))
        return;
    // One write per line in append mode: lines of concurrent invocations
    // never interleave. A log that cannot be written must not fail the
    // command itself.
    QFile log(logFile());
    if (log.open(QIODevice::WriteOnly | QIODevice::Append | QIODevice::Unbuffered))
        log.write(QString(line + QLatin1Char('\n')).toUtf8());
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

} // namespace quorvane::ccsim
