#include "ccase/CoprocessClearTool.h"

#include "ccase/ClearCaseError.h"
#include "ccase/CommandLine.h"
#include "ccase/StatusLine.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QProcess>
#include <algorithm>

namespace quorvane {

namespace {

const int StartTimeoutMs = 30000;
const int ExitTimeoutMs = 2000;
// Most commands answer well within this; only a longer wait is worth
// letting the window repaint for.
const qint64 QuietWaitMs = 500;
const int SliceMs = 50;

// A status line numbered other than the command is taken as its end only if
// nothing follows it within this time: cleartool writes nothing after its
// status line until it is sent the next command.
const int OtherNumberSettleMs = 300;

// Counts the commands waiting for a reply, and marks this instance busy, for
// as long as one command lasts.
class Answering final {
public:
    explicit Answering(bool &running, int &count) : m_running(running), m_count(count)
    {
        m_running = true;
        ++m_count;
    }
    ~Answering()
    {
        m_running = false;
        --m_count;
    }
    Q_DISABLE_COPY_MOVE(Answering)

private:
    bool &m_running;
    int &m_count;
};

QString withoutTrailingLineEnds(QString text)
{
    while (text.endsWith(QLatin1Char('\n')) || text.endsWith(QLatin1Char('\r')))
        text.chop(1);
    return text;
}

} // namespace

QString clearToolFailure(const QByteArray &errorText, const QByteArray &output, const QString &subcommand,
                         int status)
{
    QString text = withoutTrailingLineEnds(QString::fromLocal8Bit(errorText));
    if (text.trimmed().isEmpty())
        text = withoutTrailingLineEnds(QString::fromLocal8Bit(output));
    if (text.trimmed().isEmpty())
        text = QStringLiteral("cleartool returned status %1 for: %2").arg(status).arg(subcommand);
    return text;
}

CoprocessClearTool::CoprocessClearTool(QString program, Mode mode, std::chrono::milliseconds timeLimit)
    : m_program(std::move(program)), m_mode(mode), m_timeLimit(timeLimit)
{
}

QString CoprocessClearTool::timeLimitText() const
{
    return QString::number(double(m_timeLimit.count()) / 1000.0);
}

CoprocessClearTool::~CoprocessClearTool()
{
    if (!m_process || m_process->state() == QProcess::NotRunning)
        return;
    m_process->write("exit\n");
    m_process->closeWriteChannel();
    if (!m_process->waitForFinished(ExitTimeoutMs)) {
        m_process->kill();
        m_process->waitForFinished(ExitTimeoutMs);
    }
}

qint64 CoprocessClearTool::processId() const
{
    return m_process && m_process->state() == QProcess::Running ? m_process->processId() : 0;
}

void CoprocessClearTool::cancel()
{
    if (m_running)
        m_cancelRequested = true;
}

// Waits in slices until ready() holds, the deadline passes or the user
// cancels. ready() is asked before every blocking wait: events run between
// slices may already have read what is awaited (QProcess keeps it in its
// buffer), and a wait for new data never looks there. Past the quiet half
// second the observer is told, and events run between slices.
template <typename Ready, typename WaitOnce>
CoprocessClearTool::WaitEnd CoprocessClearTool::waitFor(const QDeadlineTimer &deadline, const QString &subcommand,
                                                         Ready ready, WaitOnce waitOnce)
{
    struct Told {
        const CoprocessClearTool &tool;
        const QString command;
        bool on = false;
        ~Told()
        {
            if (on)
                tool.waiting(false, command);
        }
    } told{*this, QStringLiteral("cleartool ") + subcommand};
    QElapsedTimer waited;
    waited.start();
    while (true) {
        if (ready())
            return WaitEnd::Ready;
        if (m_cancelRequested)
            return WaitEnd::Cancelled;
        if (deadline.hasExpired())
            return WaitEnd::TimedOut;
        waitOnce(int(std::clamp<qint64>(deadline.remainingTime(), 0, SliceMs)));
        if (waited.elapsed() < QuietWaitMs || !QCoreApplication::instance())
            continue;
        if (!told.on) {
            told.on = true;
            waiting(true, told.command);
        }
        QCoreApplication::processEvents(observed() ? QEventLoop::AllEvents : QEventLoop::ExcludeUserInputEvents);
    }
}

QString CoprocessClearTool::CmdExec(const QString &subcommand)
{
    // One line is one command to the co-process: a line end inside the text
    // would smuggle in a second command and put the replies out of step.
    if (subcommand.contains(QLatin1Char('\n')) || subcommand.contains(QLatin1Char('\r')))
        throw ClearCaseError(QStringLiteral("A cleartool command must be a single line: ") +
                             QString(subcommand)
                                 .replace(QLatin1Char('\n'), QLatin1Char(' '))
                                 .replace(QLatin1Char('\r'), QLatin1Char(' ')));
    // cleartool answers a blank line with nothing at all, and "exit" or
    // "quit" would end the session instead of running a command.
    const QString first = subcommand.section(QLatin1Char(' '), 0, 0, QString::SectionSkipEmpty);
    if (first.isEmpty())
        throw ClearCaseError(QStringLiteral("No cleartool command was given."));
    if (first == QLatin1String("exit") || first == QLatin1String("quit"))
        throw ClearCaseError(QStringLiteral("\"%1\" is not a command to run through cleartool.").arg(first));
    // Timers run while a slow command waits; one of them asking for another
    // command would put the co-process's replies out of step.
    if (m_running)
        throw ClearCaseError(
            QStringLiteral("cleartool is still answering another command; \"%1\" was not run.")
                .arg(subcommand));
    const Answering answering(m_running, s_answering);
    m_cancelRequested = false;
    m_note.clear();
    if (m_mode == Mode::ProcessPerCommand)
        return runOnce(subcommand);
    if (!ensureCoprocess())
        return fallBack(subcommand);
    return runInCoprocess(subcommand);
}

QStringList CoprocessClearTool::vobTags()
{
    const QString output = CmdExec(QStringLiteral("lsvob -short"));
    QStringList tags;
    for (QString line : output.split(QLatin1Char('\n'))) {
        line.remove(QLatin1Char('\r'));
        if (!line.isEmpty())
            tags << line;
    }
    return tags;
}

bool CoprocessClearTool::ensureCoprocess()
{
    if (m_process) {
        // Notice a co-process that died while idle, and any output that
        // arrived after the last reply was complete.
        if (m_process->state() == QProcess::Running)
            m_process->waitForFinished(0);
        if (m_process->bytesAvailable() > 0) {
            // Output nobody asked for: replies can no longer be told apart.
            discardCoprocess();
            return false;
        }
        if (m_process->state() == QProcess::Running)
            return true;
        discardCoprocess();
    }
    m_process = std::make_unique<QProcess>();
    m_process->setProgram(m_program);
    m_process->setArguments({QStringLiteral("-status")});
    m_process->start();
    if (!m_process->waitForStarted(StartTimeoutMs)) {
        discardCoprocess();
        return false;
    }
    m_sent = 0;
    m_completed = 0;
    return true;
}

void CoprocessClearTool::discardCoprocess()
{
    if (!m_process)
        return;
    if (m_process->state() != QProcess::NotRunning) {
        m_process->kill();
        m_process->waitForFinished(ExitTimeoutMs);
    }
    m_process.reset();
}

QString CoprocessClearTool::fallBack(const QString &subcommand)
{
    m_mode = Mode::ProcessPerCommand;
    return runOnce(subcommand);
}

bool CoprocessClearTool::outputFollows(int withinMs)
{
    if (m_process->bytesAvailable() > 0)
        return true;
    return m_process->state() == QProcess::Running &&
           (m_process->waitForReadyRead(withinMs) || m_process->bytesAvailable() > 0);
}

QString CoprocessClearTool::runInCoprocess(const QString &subcommand)
{
    const QDeadlineTimer deadline(m_timeLimit);
    const qint64 number = ++m_sent;
    m_process->write(subcommand.toLocal8Bit().append('\n'));
    QByteArray out;
    QByteArray err;
    const auto arrived = [this] {
        return m_process->bytesAvailable() > 0 || m_process->state() == QProcess::NotRunning;
    };
    const auto waitOnce = [this](int slice) { m_process->waitForReadyRead(slice); };
    while (true) {
        out += m_process->readAllStandardOutput();
        err += m_process->readAllStandardError();
        if (const auto match = StatusLine::find(out)) {
            // The status text must be the last thing written; more output
            // behind it means it was part of the output. One with another
            // number is given a moment for that output to show.
            if (outputFollows(match->number == number ? 0 : OtherNumberSettleMs))
                continue;
            err += m_process->readAllStandardError();
            if (match->number != number) {
                // Published clients take any number there; so does this one,
                // and counts on from it, but the log shows the disagreement.
                m_note = QStringLiteral("cleartool numbered its reply %1 where %2 was expected; it was taken "
                                        "as the end of this command, and later commands are counted from it.")
                             .arg(match->number)
                             .arg(number);
                m_sent = match->number;
            }
            ++m_completed;
            out.truncate(match->outputLength);
            if (match->status != 0)
                throw ClearCaseError(clearToolFailure(err, out, subcommand, match->status));
            return QString::fromLocal8Bit(out);
        }
        if (m_process->state() == QProcess::NotRunning)
            break;
        switch (waitFor(deadline, subcommand, arrived, waitOnce)) {
        case WaitEnd::Ready:
            continue;
        case WaitEnd::Cancelled:
            // Its reply would come into the next command's: a new session.
            discardCoprocess();
            throw ClearCaseCancelled(QStringLiteral("cleartool ") + subcommand);
        case WaitEnd::TimedOut:
            // A cleartool that never answers would hold the window for good.
            discardCoprocess();
            throw ClearCaseError(QStringLiteral("cleartool did not answer \"%1\" within %2 seconds and was "
                                                "stopped; the next command starts a new cleartool.")
                                     .arg(subcommand, timeLimitText()));
        }
    }

    const bool neverAnswered = m_completed == 0;
    const QString said = withoutTrailingLineEnds(QString::fromLocal8Bit(err)).trimmed();
    discardCoprocess();
    if (neverAnswered) {
        // It never kept to the protocol (it died or stopped on its first
        // command): use one process per command from now on. The commands
        // sent here only read, so running this one again is harmless.
        return fallBack(subcommand);
    }
    QString message = QStringLiteral("The cleartool process ended while running \"%1\"; "
                                     "the next command starts a new one.")
                          .arg(subcommand);
    if (!said.isEmpty())
        message += QStringLiteral(" cleartool said: ") + said;
    throw ClearCaseError(message);
}

QString CoprocessClearTool::runOnce(const QString &subcommand)
{
    QStringList args = CommandLine::split(QStringLiteral("cleartool ") + subcommand);
    args.removeFirst();
    QProcess process;
    process.start(m_program, args);
    if (!process.waitForStarted(StartTimeoutMs)) {
        throw ClearCaseError(
            QStringLiteral("Could not start cleartool (%1): %2").arg(m_program, process.errorString()));
    }
    process.closeWriteChannel();
    const WaitEnd end = waitFor(
        QDeadlineTimer(m_timeLimit), subcommand, [&process] { return process.state() == QProcess::NotRunning; },
        [&process](int slice) { process.waitForFinished(slice); });
    if (end != WaitEnd::Ready) {
        process.kill();
        process.waitForFinished(ExitTimeoutMs);
        if (end == WaitEnd::Cancelled)
            throw ClearCaseCancelled(QStringLiteral("cleartool ") + subcommand);
        throw ClearCaseError(
            QStringLiteral("cleartool did not answer \"%1\" within %2 seconds and was stopped.")
                .arg(subcommand, timeLimitText()));
    }
    const QByteArray out = process.readAllStandardOutput();
    const QByteArray err = process.readAllStandardError();
    if (process.exitStatus() == QProcess::CrashExit) {
        throw ClearCaseError(QStringLiteral("cleartool ended abnormally while running: %1").arg(subcommand));
    }
    if (process.exitCode() != 0)
        throw ClearCaseError(clearToolFailure(err, out, subcommand, process.exitCode()));
    return QString::fromLocal8Bit(out);
}

} // namespace quorvane
