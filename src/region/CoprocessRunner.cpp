#include "region/CoprocessRunner.h"

#include "ccase/StatusLine.h"

#include <QDeadlineTimer>
#include <QElapsedTimer>
#include <QProcess>

#include <algorithm>

#ifdef Q_OS_UNIX
#include <unistd.h>
#endif

namespace quorvane {

namespace {

const QString ClearToolWord = QStringLiteral("cleartool ");
// What a failed command wrote to its error stream may still be on its way
// when its status line has come: this long at the most is given to it.
const int LateErrorsMs = 100;
const int ExitMs = 1000;
// Kept of one reply's output; the tail is kept too, where the status line is.
constexpr qsizetype TailBytes = 256;

} // namespace

struct CoprocessRunner::Session {
    QProcess process;
    QTimer settle;
    QElapsedTimer clock;
    int id = 0; // the command it runs; 0 when idle
    QueuedCommand command;
    Done done;
    QByteArray out;
    QByteArray err;
    qint64 sent = 0;
    bool answered = false; // it has answered a command: it keeps to the protocol
    bool stopping = false;
};

CoprocessRunner::CoprocessRunner(CommandRunner &inner, QString clearTool, QProcessEnvironment environment,
                                 int sessions)
    : m_inner(inner), m_clearTool(std::move(clearTool)), m_environment(std::move(environment)),
      m_maxSessions(std::max(0, sessions))
{
    m_idleClose.setSingleShot(true);
    m_idleClose.setInterval(idleCloseMs);
    QObject::connect(&m_idleClose, &QTimer::timeout, &m_idleClose, [this] { closeIdle(); });
}

CoprocessRunner::~CoprocessRunner()
{
    // Idle ones are asked to end, busy ones are ended; one second in all for
    // the asked, then they are ended too: however many, the wait is bounded.
    for (const auto &s : m_sessions) {
        s->process.disconnect();
        if (s->id == 0 && s->process.state() == QProcess::Running) {
            s->process.write("exit\n");
            s->process.closeWriteChannel();
        } else {
            s->process.kill();
        }
    }
    const QDeadlineTimer asked(ExitMs);
    for (const auto &s : m_sessions) {
        if (!s->process.waitForFinished(int(asked.remainingTime()))) {
            s->process.kill();
            s->process.waitForFinished(100);
        }
    }
}

int CoprocessRunner::sessions() const
{
    return int(m_sessions.size());
}

CoprocessRunner::Session *CoprocessRunner::idleSession()
{
    for (const auto &s : m_sessions) {
        if (s->id == 0 && !s->stopping && s->process.state() == QProcess::Running)
            return s.get();
    }
    if (int(m_sessions.size()) >= m_maxSessions)
        return nullptr;
    auto owned = std::make_unique<Session>();
    Session *s = owned.get();
    m_sessions.push_back(std::move(owned));
    QProcess &p = s->process;
    p.setProcessEnvironment(m_environment);
#ifdef Q_OS_UNIX
    // A Ctrl+C in the check's terminal is for the check, which ends these
    // in order; the group would otherwise kill them under a running survey.
    p.setChildProcessModifier([] { ::setpgid(0, 0); });
#endif
    QObject::connect(&p, &QProcess::readyReadStandardOutput, &p, [this, s] { readOutput(*s); });
    QObject::connect(&p, &QProcess::readyReadStandardError, &p, [s] {
        const QByteArray more = s->process.readAllStandardError();
        if (s->id != 0 && s->err.size() < ProcessRunner::maxOutputBytes)
            s->err += more.left(ProcessRunner::maxOutputBytes - s->err.size());
    });
    QObject::connect(&p, &QProcess::finished, &p, [this, s] { ended(*s); });
    QObject::connect(&p, &QProcess::errorOccurred, &p, [this, s](QProcess::ProcessError error) {
        if (error == QProcess::FailedToStart)
            ended(*s);
    });
    s->settle.setSingleShot(true);
    s->settle.setInterval(otherNumberSettleMs);
    QObject::connect(&s->settle, &QTimer::timeout, &p, [this, s] {
        if (const auto match = StatusLine::find(s->out); match && s->id != 0) {
            // Published clients take any number there; so does the survey,
            // and counts on from it.
            s->sent = match->number;
            finish(*s, CommandOutcome::Kind::Ran, match->status, match->outputLength);
        }
    });
    p.start(m_clearTool, {QStringLiteral("-status")});
    // A program that cannot be started may say so inside start(), before
    // any command was given to it: the programs take over at once.
    const bool kept = std::any_of(m_sessions.cbegin(), m_sessions.cend(), [s](const auto &x) { return x.get() == s; });
    if (!kept || p.state() == QProcess::NotRunning) {
        m_broken = true;
        if (kept)
            discard(*s);
        return nullptr;
    }
    return s;
}

void CoprocessRunner::start(int id, const QueuedCommand &command, Done done)
{
    const QString &line = command.commandLine;
    const bool query = !m_broken && !m_clearTool.isEmpty() && command.hosts.isEmpty() && command.workDir.isEmpty() &&
        line.startsWith(ClearToolWord) && line.size() > ClearToolWord.size() &&
        !line.contains(QLatin1Char('\n')) && !line.contains(QLatin1Char('\r'));
    Session *s = query ? idleSession() : nullptr;
    if (!s) {
        m_inner.start(id, command, std::move(done));
        return;
    }
    m_idleClose.stop();
    s->id = id;
    s->command = command;
    s->done = std::move(done);
    s->out.clear();
    s->err.clear();
    s->clock.start();
    ++s->sent;
    // The same text the window's own cleartool co-process is given.
    s->process.write(line.mid(ClearToolWord.size()).toLocal8Bit().append('\n'));
}

void CoprocessRunner::stop(int id)
{
    for (const auto &s : m_sessions) {
        if (s->id == id) {
            // Its reply would come into the next command's: the process goes.
            s->stopping = true;
            s->process.kill();
            return;
        }
    }
    m_inner.stop(id);
}

void CoprocessRunner::readOutput(Session &s)
{
    const QByteArray more = s.process.readAllStandardOutput();
    if (s.id == 0)
        return; // nothing was asked: not a reply
    s.settle.stop();
    s.out += more;
    if (s.out.size() > ProcessRunner::maxOutputBytes + 2 * TailBytes)
        s.out = s.out.left(ProcessRunner::maxOutputBytes) + s.out.right(TailBytes);
    const auto match = StatusLine::find(s.out);
    if (!match)
        return;
    if (match->number == s.sent)
        finish(s, CommandOutcome::Kind::Ran, match->status, match->outputLength);
    else
        s.settle.start(); // perhaps the command's own output: more may follow
}

void CoprocessRunner::finish(Session &s, CommandOutcome::Kind kind, int status, qsizetype outputLength)
{
    CommandOutcome o;
    o.kind = kind;
    o.exitCode = status;
    o.output = s.out.left(std::min(outputLength, ProcessRunner::maxOutputBytes));
    if (kind == CommandOutcome::Kind::Ran) {
        s.answered = true;
        if (status != 0 && s.err.isEmpty() && s.process.state() == QProcess::Running) {
            s.process.setReadChannel(QProcess::StandardError);
            s.process.waitForReadyRead(LateErrorsMs);
            s.process.setReadChannel(QProcess::StandardOutput);
        }
        s.err += s.process.readAllStandardError();
    }
    o.errors = s.err.left(ProcessRunner::maxOutputBytes);
    o.elapsedMs = s.clock.elapsed();
    Done done = std::move(s.done);
    s.id = 0;
    s.done = {};
    s.out.clear();
    s.err.clear();
    const bool anyBusy = std::any_of(m_sessions.cbegin(), m_sessions.cend(), [](const auto &x) { return x->id != 0; });
    if (!anyBusy)
        m_idleClose.start();
    done(std::move(o));
}

void CoprocessRunner::ended(Session &s)
{
    if (s.id != 0) {
        if (!s.answered && !s.stopping) {
            // It never kept to the protocol: this command and every later
            // one run as programs of their own.
            m_broken = true;
            const int id = s.id;
            const QueuedCommand command = s.command;
            Done done = std::move(s.done);
            s.id = 0;
            discard(s);
            m_inner.start(id, command, std::move(done));
            return;
        }
        finish(s, CommandOutcome::Kind::Crashed, -1, s.out.size());
    }
    discard(s);
}

void CoprocessRunner::discard(Session &s)
{
    const auto it = std::find_if(m_sessions.begin(), m_sessions.end(), [&s](const auto &x) { return x.get() == &s; });
    if (it == m_sessions.end())
        return;
    Session *owned = it->release();
    m_sessions.erase(it);
    owned->process.disconnect();
    owned->settle.stop();
    if (owned->process.state() != QProcess::NotRunning)
        owned->process.kill();
    // It may still be inside its own signal.
    QTimer::singleShot(0, [owned] {
        owned->process.waitForFinished(ExitMs);
        delete owned;
    });
}

void CoprocessRunner::closeIdle()
{
    for (const auto &s : m_sessions) {
        if (s->id == 0 && s->process.state() == QProcess::Running) {
            s->stopping = true;
            s->process.write("exit\n");
            s->process.closeWriteChannel();
        }
    }
}

} // namespace quorvane
