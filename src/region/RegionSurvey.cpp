#include "region/RegionSurvey.h"

#include "ccase/Commands.h"
#include "maintenance/SyncDates.h"
#include "replicas/ResultsFile.h"
#include "common/QuorvaneError.h"
#include "vobs/IsInList.h"

#include <QDeadlineTimer>
#include <QScopeGuard>
#include <QDir>
#include <QTemporaryDir>
#include <QThread>
#include <QTimer>

#include <algorithm>

namespace quorvane {

namespace {

const QString ClearToolWord = QStringLiteral("cleartool ");

QStringList outputLines(const QByteArray &output)
{
    QStringList lines;
    for (QString line : QString::fromLocal8Bit(output).split(QLatin1Char('\n'))) {
        line = line.trimmed();
        if (!line.isEmpty())
            lines << line;
    }
    return lines;
}

EpochTable tableOf(const ResultsFile::Contents &contents)
{
    EpochTable table;
    for (const QStringList &line : contents.lines) {
        table.names << line.value(0);
        table.values << line.mid(1);
    }
    return table;
}

} // namespace

struct RegionSurvey::Vob {
    QString tag;
    int pending = 0;
    bool settled = false;
    bool notReplicated = false;
    bool cut = false; // a command of it was cancelled
    VobFacts facts;
    QStringList siblings;
    QHash<QString, QString> imports;
    QHash<QString, QString> exports;
    QHash<QString, QString> hosts;
    QString family; // its family identifier, which its packets carry
    QStringList replicas;    // every replica, in listing order (with the actual rows)
    QStringList scriptHosts; // the hosts its script asks
    int beforeScript = 0;    // commands the script waits for
    std::unique_ptr<QTemporaryDir> dir;
};

RegionSurvey::RegionSurvey(CommandRunner &runner, Options options, QObject *parent)
    : QObject(parent), m_runner(runner), m_options(std::move(options)),
      m_queue(std::make_unique<CommandQueue>(runner, m_options.limits))
{
}

RegionSurvey::~RegionSurvey()
{
    for (const auto &vob : m_vobs)
        releaseFolder(*vob);
    removeLeftFolders();
}

void RegionSurvey::releaseFolder(Vob &vob)
{
    if (!vob.dir)
        return;
    vob.dir->setAutoRemove(false);
    if (!vob.dir->remove())
        m_leftFolders << vob.dir->path();
    vob.dir.reset();
}

void RegionSurvey::removeLeftFolders()
{
    // Bounded: a folder still refused after two seconds is left to the
    // system's clean-up of its temporary folder rather than holding up the
    // end of the survey.
    const QDeadlineTimer deadline(2000);
    while (!m_leftFolders.isEmpty()) {
        m_leftFolders.removeIf([](const QString &path) { return QDir(path).removeRecursively(); });
        if (m_leftFolders.isEmpty() || deadline.hasExpired())
            break;
        QThread::msleep(20);
    }
    m_leftFolders.clear();
}

void RegionSurvey::start(const QStringList &tags)
{
    if (m_running)
        return;
    m_running = true;
    m_cancelled = false;
    m_families.clear();
    m_vobs.clear();
    m_settled = 0;
    m_notReplicated = 0;
    m_queue = std::make_unique<CommandQueue>(m_runner, m_options.limits);
    EntrySet seen;
    for (const QString &tag : tags) {
        if (seen.contains(tag))
            continue;
        seen.add(tag);
        auto vob = std::make_unique<Vob>();
        vob->tag = tag;
        vob->facts.tag = tag;
        m_vobs.push_back(std::move(vob));
    }
    m_bays = {};
    emit progress(0, int(m_vobs.size()));
    if (!m_vobs.empty())
        listBays();
    else
        m_bays.done = true;
    for (const auto &vob : m_vobs)
        check(*vob);
    maybeFinish();
}

void RegionSurvey::cancel()
{
    if (!m_running || m_cancelled)
        return;
    m_cancelled = true;
    m_queue->cancel();
}

void RegionSurvey::add(Vob &vob, const QString &commandLine, const QStringList &hosts,
                       std::function<void(const CommandOutcome &)> then, const QString &workDir)
{
    add(vob, NextStep, commandLine, hosts, std::move(then), workDir);
}

void RegionSurvey::add(Vob &vob, Priority priority, const QString &commandLine, const QStringList &hosts,
                       std::function<void(const CommandOutcome &)> then, const QString &workDir)
{
    ++vob.pending;
    m_queue->add({commandLine, workDir, hosts, priority},
                 [this, &vob, then = std::move(then)](const CommandOutcome &o) {
                     if (o.kind == CommandOutcome::Kind::Cancelled)
                         vob.cut = true;
                     else if (!vob.cut)
                         then(o);
                     --vob.pending;
                     commandEnded(vob);
                 });
}

void RegionSurvey::listBays()
{
    // One listing serves every family: lspacket shows the whole host's bays.
    const QString line = Commands::listPackets();
    m_queue->add({line, {}, {}}, [this, line](const CommandOutcome &o) {
        m_bays.done = true;
        if (o.kind == CommandOutcome::Kind::Cancelled) {
            m_bays.failure = QStringLiteral("cancelled");
        } else if (!o.succeeded()) {
            m_bays.failure = o.describe(line, m_options.limits.timeLimitMs);
        } else {
            m_bays.listed = true;
            m_bays.packets = PacketList::parse(QString::fromLocal8Bit(o.output));
        }
        // The families whose own commands ended first settle now.
        for (const auto &vob : m_vobs)
            commandEnded(*vob);
        maybeFinish();
    });
}

void RegionSurvey::check(Vob &vob)
{
    // The VOB list's rule: a tag that cannot go out as one argument is not
    // sent, and a VOB whose check fails is listed as not checked.
    if (const auto fault = Commands::argumentFault({vob.tag})) {
        vob.facts.checked = false;
        vob.facts.problems << QStringLiteral("Its tag %1, so it cannot be passed to ClearCase as one argument.")
                                  .arg(fault->reason);
        settle(vob);
        return;
    }
    const QString line = ClearToolWord + Commands::vobCheck(vob.tag);
    add(vob, Check, line, {}, [this, &vob, line](const CommandOutcome &o) {
        if (!o.succeeded()) {
            vob.facts.checked = false;
            vob.facts.problems << o.describe(line, m_options.limits.timeLimitMs);
            return;
        }
        const QStringList siblings = outputLines(o.output);
        if (siblings.isEmpty())
            vob.notReplicated = true;
        else
            gather(vob, siblings);
    });
}

void RegionSurvey::gather(Vob &vob, const QStringList &siblings)
{
    const int limitMs = m_options.limits.timeLimitMs;
    // With the actual rows the script waits for this site's replica name
    // and the listing, and is told both.
    vob.beforeScript = m_options.actualRows ? 2 : 0;
    const QString desc = ClearToolWord + Commands::localReplicaName(vob.tag);
    add(vob, m_options.actualRows ? LeadsToHosts : NextStep, desc, {},
        [this, &vob, desc, limitMs](const CommandOutcome &o) {
        const auto scriptNext = qScopeGuard([this, &vob] {
            if (m_options.actualRows)
                scriptInputReady(vob);
        });
        if (!o.succeeded()) {
            vob.facts.problems << o.describe(desc, limitMs);
            return;
        }
        vob.facts.localReplica = QString::fromLocal8Bit(o.output).trimmed();
        if (const auto fault = Commands::argumentFault({vob.facts.localReplica})) {
            vob.facts.problems << QStringLiteral("This site's replica name %1.").arg(fault->reason);
            return;
        }
        const QString history = ClearToolWord + Commands::syncHistory(vob.facts.localReplica, vob.tag);
        add(vob, history, {}, [&vob, history, limitMs](const CommandOutcome &h) {
            if (h.succeeded())
                vob.imports = scanLastImports(QString::fromLocal8Bit(h.output));
            else
                vob.facts.problems << h.describe(history, limitMs);
        });
    });
    for (const QString &s : siblings) {
        if (Commands::argumentFault({s}))
            continue;
        vob.siblings << s;
        const QString history = ClearToolWord + Commands::syncHistory(s, vob.tag);
        add(vob, history, {}, [&vob, s, history, limitMs](const CommandOutcome &h) {
            if (!h.succeeded()) {
                vob.facts.problems << h.describe(history, limitMs);
                return;
            }
            const QString date = scanSyncDates(QString::fromLocal8Bit(h.output)).exportDate;
            if (date != QLatin1String("None"))
                vob.exports.insert(s, date);
        });
    }
    const QString family = ClearToolWord + Commands::vobFamily(vob.tag);
    add(vob, family, {}, [&vob](const CommandOutcome &o) {
        // Without it the packets are told apart by names, as the window does.
        if (o.succeeded())
            vob.family = PacketList::familyOf(QString::fromLocal8Bit(o.output));
    });
    if (!m_options.actualRows) {
        runScript(vob, {}, false);
        return;
    }
    // The hosts decide how many of the VOB's scripts may run beside others.
    const QString list = ClearToolWord + Commands::replicaList(vob.tag);
    add(vob, LeadsToHosts, list, {}, [this, &vob, list, limitMs](const CommandOutcome &o) {
        if (o.succeeded()) {
            const QStringList fields = QString::fromLocal8Bit(o.output).split(QLatin1Char(','));
            for (qsizetype i = 0; i + 3 < fields.size(); i += 4) {
                const QString name = fields[i].trimmed();
                vob.replicas << name;
                vob.hosts.insert(name, fields[i + 2]);
                if (vob.siblings.contains(name) && !vob.scriptHosts.contains(fields[i + 2], Qt::CaseInsensitive))
                    vob.scriptHosts << fields[i + 2];
            }
        } else {
            vob.facts.problems << o.describe(list, limitMs);
        }
        scriptInputReady(vob);
    });
}

void RegionSurvey::scriptInputReady(Vob &vob)
{
    if (--vob.beforeScript > 0 || vob.cut)
        return;
    // Told only what it would list itself: a name it could not be given as
    // one argument, or one the listing lacks, and it lists them again.
    const bool told = !vob.facts.localReplica.isEmpty() && vob.replicas.contains(vob.facts.localReplica) &&
        !Commands::argumentFault(vob.replicas) &&
        std::none_of(vob.replicas.cbegin(), vob.replicas.cend(),
                     [](const QString &r) { return r.isEmpty() || r.contains(QLatin1Char(',')); });
    runScript(vob, vob.scriptHosts, told);
}

void RegionSurvey::runScript(Vob &vob, const QStringList &hosts, bool told)
{
    const QString root = m_options.tempRoot.isEmpty() ? QDir::tempPath() : m_options.tempRoot;
    vob.dir = std::make_unique<QTemporaryDir>(root + QStringLiteral("/quorvane-survey-XXXXXX"));
    if (!vob.dir->isValid()) {
        vob.facts.checked = false;
        vob.facts.problems << QStringLiteral("No folder for the replica script could be made in ") +
                QDir::toNativeSeparators(root) + QStringLiteral(": ") + vob.dir->errorString();
        vob.dir.reset();
        return;
    }
    vob.facts.actualAsked = m_options.actualRows;
    const QString line = !m_options.actualRows
        ? Commands::replicaInfoScriptLocal(m_options.scriptPath, vob.tag)
        : told ? Commands::replicaInfoScriptKnown(m_options.scriptPath, vob.tag, vob.facts.localReplica, vob.replicas)
               : Commands::replicaInfoScript(m_options.scriptPath, vob.tag);
    add(vob, line, hosts,
        [this, &vob, line](const CommandOutcome &o) {
            const auto read = [&](const QString &file, EpochTable &into) {
                const QString path = vob.dir->filePath(file);
                try {
                    into = tableOf(ResultsFile::read(path));
                    return true;
                } catch (const QuorvaneError &e) {
                    vob.facts.problems << o.describe(line, m_options.limits.timeLimitMs) + QLatin1Char(' ') +
                            ResultsFile::describe(e.description(), QDir::toNativeSeparators(path));
                    return false;
                }
            };
            if (!read(QStringLiteral("_results_local.txt"), vob.facts.local))
                vob.facts.checked = false;
            read(QStringLiteral("_results.txt"), vob.facts.actual);
            releaseFolder(vob);
        },
        vob.dir->path());
}

void RegionSurvey::commandEnded(Vob &vob)
{
    if (vob.pending == 0 && !vob.settled && (m_bays.done || vob.notReplicated || !vob.facts.checked))
        settle(vob);
}

void RegionSurvey::settle(Vob &vob)
{
    vob.settled = true;
    releaseFolder(vob);
    ++m_settled;
    if (vob.notReplicated) {
        ++m_notReplicated;
    } else if (!vob.cut) {
        for (const QString &s : std::as_const(vob.siblings))
            vob.facts.siblings << SiblingFacts{s, vob.hosts.value(s), vob.imports.value(s), vob.exports.value(s)};
        const QDateTime now = m_options.now.isValid() ? m_options.now : QDateTime::currentDateTimeUtc();
        vob.facts.packetsListed = m_bays.listed;
        vob.facts.packetsFailure = m_bays.failure;
        vob.facts.packets = PacketList::ofVob(m_bays.packets, vob.family, vob.tag, vob.facts.localReplica,
                                              vob.facts.local.names);
        m_families << assess(vob.facts, now, m_options.health);
        emit vobSurveyed(m_families.last());
    }
    emit progress(m_settled, int(m_vobs.size()));
    maybeFinish();
}

void RegionSurvey::maybeFinish()
{
    if (!m_running || m_finishPosted || m_settled < int(m_vobs.size()) || !m_bays.done)
        return;
    m_finishPosted = true;
    // Always from the event loop, so a caller connects after start() and
    // still hears it, and never inside a command's own signal.
    QTimer::singleShot(0, this, [this] {
        m_finishPosted = false;
        rank(m_families);
        removeLeftFolders();
        m_running = false;
        emit finished();
    });
}

} // namespace quorvane
