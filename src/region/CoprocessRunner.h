#pragma once

#include "region/CommandQueue.h"

#include <QProcessEnvironment>
#include <QString>
#include <QTimer>

#include <memory>
#include <vector>

namespace quorvane {

// Runs a survey's cleartool queries through a few long-lived "cleartool
// -status" co-processes, one command at a time each, so that thousands of
// queries do not each pay for a program start (milliseconds on UNIX, far
// more on Windows). Everything else goes to the inner runner unchanged: a
// command to hosts, one with a folder of its own, any other program, and
// every command once a co-process has broken the protocol (it never
// answered its first command), in which case that command is run again
// there: the queries it takes are read-only.
//
// A stop ends the co-process that runs the command; the next command gets
// a new one. Co-processes left idle for a while are closed, so none
// outlives the survey by long.
class CoprocessRunner final : public CommandRunner {
public:
    // clearTool: the cleartool program to start; sessions: how many
    // co-processes at the most (more commands at once go to the inner runner).
    CoprocessRunner(CommandRunner &inner, QString clearTool, QProcessEnvironment environment, int sessions);
    ~CoprocessRunner() override;
    Q_DISABLE_COPY_MOVE(CoprocessRunner)

    void start(int id, const QueuedCommand &command, Done done) override;
    void stop(int id) override;

    // The co-processes running now, idle or not.
    [[nodiscard]] int sessions() const;
    // Whether a co-process failed its first command, so all go to the inner runner.
    [[nodiscard]] bool broken() const { return m_broken; }

    static constexpr int idleCloseMs = 3000;
    // A status line numbered otherwise than expected is taken as the end
    // only if nothing follows it within this time.
    static constexpr int otherNumberSettleMs = 300;

private:
    struct Session;
    Session *idleSession();
    void finish(Session &s, CommandOutcome::Kind kind, int status, qsizetype outputLength);
    void readOutput(Session &s);
    void ended(Session &s);
    void discard(Session &s);
    void closeIdle();

    CommandRunner &m_inner;
    QString m_clearTool;
    QProcessEnvironment m_environment;
    int m_maxSessions;
    bool m_broken = false;
    std::vector<std::unique_ptr<Session>> m_sessions;
    QTimer m_idleClose;
};

} // namespace quorvane
