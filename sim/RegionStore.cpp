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

void RegionStore::ensureDirectory() const
{
    if (!QDir().mkpath(m_directory))
        throw CommandError(QStringLiteral("Cannot create the region folder \"%1\".").arg(m_directory));
}

Region RegionStore::load() const
{
    QFile file(stateFile());
    if (!file.open(QIODevice::ReadOnly))
        throw CommandError(QStringLiteral("Cannot read \"%1\": %2").arg(stateFile(), file.errorString()));
    QJsonParseError error{};
    const QJsonDocument doc = QJsonDocument::fromJson(file.readAll(), &error);
    if (error.error != QJsonParseError::NoError || !doc.isObject()) {
        throw CommandError(
            QStringLiteral("The region file \"%1\" is damaged: %2").arg(stateFile(), error.errorString()));
    }
    return Region::fromJson(doc.object());
}

void RegionStore::save(const Region &region) const
{
    QSaveFile file(stateFile());
    if (!file.open(QIODevice::WriteOnly)
        || file.write(QJsonDocument(region.toJson()).toJson(QJsonDocument::Indented)) < 0 || !file.commit()) {
        throw CommandError(QStringLiteral("Cannot write \"%1\": %2").arg(stateFile(), file.errorString()));
    }
}

Region RegionStore::read() const
{
    if (QFile::exists(stateFile()))
        return load();
    ensureDirectory();
    const RegionLock lock(m_directory);
    if (!QFile::exists(stateFile()))
        save(DemoRegion::build(QDateTime::currentDateTimeUtc()));
    return load();
}

void RegionStore::modify(const std::function<void(Region &)> &change) const
{
    ensureDirectory();
    const RegionLock lock(m_directory);
    Region region = QFile::exists(stateFile()) ? load() : DemoRegion::build(QDateTime::currentDateTimeUtc());
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
    QFile log(m_directory + QStringLiteral("/commands.log"));
    if (log.open(QIODevice::WriteOnly | QIODevice::Append | QIODevice::Unbuffered))
        log.write(QString(line + QLatin1Char('\n')).toUtf8());
}

QString RegionStore::logText() const
{
    QFile log(m_directory + QStringLiteral("/commands.log"));
    if (!log.open(QIODevice::ReadOnly))
        return QString();
    return QString::fromUtf8(log.readAll());
}

QString RegionStore::bay(const QString &which) const
{
    return m_directory + QStringLiteral("/shipping/ms_ship/") + which;
}

} // namespace quorvane::ccsim
