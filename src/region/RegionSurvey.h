#pragma once

#include "region/CommandQueue.h"
#include "region/RegionHealth.h"

#include <QDateTime>
#include <QObject>
#include <QStringList>

#include <memory>
#include <vector>

namespace quorvane {

// The health of every replicated VOB of the region, gathered with many
// commands at once. Per VOB: the VOB list's check ("lsreplica -siblings"),
// this site's replica name, the replica script (with -local, this site's
// table only; with the actual rows, every sibling's host asked) in a folder
// of its own, and the history of every sibling's replica object and of this
// site's (last export to and import from each). Each command is a process
// of its own, so many run side by side; the cleartool co-process answers
// one command at a time and would make them queue.
class RegionSurvey final : public QObject {
    Q_OBJECT
public:
    struct Options {
        QString scriptPath;       // get_replica_info.pl
        bool actualRows = false;  // ask every sibling's host for its own row
        CommandQueue::Limits limits;
        HealthLimits health;
        QString tempRoot;         // where each VOB's script folder goes; empty: the temporary folder
        QDateTime now;            // ages are counted to this; invalid: the time the survey ends
    };

    RegionSurvey(CommandRunner &runner, Options options, QObject *parent = nullptr);
    ~RegionSurvey() override;
    Q_DISABLE_COPY_MOVE(RegionSurvey)

    // Surveys the VOBs of the tags (as "lsvob -short" lists them; a tag listed
    // twice, ignoring case as the VOB list does, counts once). Emits finished()
    // from the event loop, also for an empty list.
    void start(const QStringList &tags);
    // Stops every running command and drops the rest; finished() follows
    // with what was complete, and wasCancelled() is true.
    void cancel();

    [[nodiscard]] bool running() const { return m_running; }
    [[nodiscard]] bool wasCancelled() const { return m_cancelled; }
    // Worst first, once finished: every replicated VOB and every VOB whose
    // check failed.
    [[nodiscard]] const QList<VobHealth> &families() const { return m_families; }
    [[nodiscard]] int notReplicated() const { return m_notReplicated; }
    [[nodiscard]] const CommandQueue &queue() const { return *m_queue; }

signals:
    // done of total VOBs settled (checked and, where replicated, surveyed).
    void progress(int done, int total);
    void vobSurveyed(const quorvane::VobHealth &health);
    void finished();

private:
    struct Vob;
    void check(Vob &vob);
    void gather(Vob &vob, const QStringList &siblings);
    void scriptInputReady(Vob &vob);
    void runScript(Vob &vob, const QStringList &hosts, bool told);
    void commandEnded(Vob &vob);
    void settle(Vob &vob);
    // What runs first among commands that ask no host: a VOB's later steps
    // before other VOBs' checks, and the step that leads to its hosts first.
    enum Priority { Check = 0, NextStep = 1, LeadsToHosts = 2 };
    void add(Vob &vob, const QString &commandLine, const QStringList &hosts,
             std::function<void(const CommandOutcome &)> then, const QString &workDir = {});
    void add(Vob &vob, Priority priority, const QString &commandLine, const QStringList &hosts,
             std::function<void(const CommandOutcome &)> then, const QString &workDir = {});
    void maybeFinish();
    void listBays();
    // A script's folder goes when its results are read. On Windows a
    // folder is refused while the ended process is still being torn down;
    // what is refused is tried again when the survey ends.
    void releaseFolder(Vob &vob);
    void removeLeftFolders();

    // The packets of this host's bays, listed once for every family.
    struct Bays {
        bool done = false;
        bool listed = false;
        QString failure;
        QList<PacketList::Packet> packets;
    };
    Bays m_bays;

    CommandRunner &m_runner;
    Options m_options;
    std::unique_ptr<CommandQueue> m_queue;
    std::vector<std::unique_ptr<Vob>> m_vobs;
    QList<VobHealth> m_families;
    int m_settled = 0;
    int m_notReplicated = 0;
    bool m_running = false;
    bool m_cancelled = false;
    bool m_finishPosted = false;
    QStringList m_leftFolders;
};

} // namespace quorvane
