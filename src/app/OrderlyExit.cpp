#include "app/OrderlyExit.h"

#include "ccase/CommandLog.h"

#include <QCoreApplication>
#include <QEvent>

#include <algorithm>
#include <cstdio>
#include <string>
#include <utility>

#ifdef Q_OS_UNIX
#include <syslog.h>
#endif
#ifdef Q_OS_WIN
#include <windows.h>
#endif

namespace quorvane {

namespace {

QString sessionEndCause()
{
    return QStringLiteral("the desktop session's end");
}

// A log line is one line: a command line or a box may hold line ends or
// other control characters.
QString oneLine(const QString &text)
{
    QString line = text;
    for (QChar &c : line) {
        if (c.category() == QChar::Other_Control || c == QChar::LineSeparator || c == QChar::ParagraphSeparator)
            c = QLatin1Char(' ');
    }
    return line.simplified();
}

// "60 minutes" rather than "3600.0 s".
QString durationText(std::chrono::milliseconds duration)
{
    const auto minutes = std::chrono::duration_cast<std::chrono::minutes>(duration);
    if (minutes.count() >= 2 && minutes == duration)
        return QString::number(minutes.count()) + QStringLiteral(" minutes");
    return CommandLog::tookText(duration.count());
}

QString lastLine(const QString &text)
{
    const QStringList lines = text.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    return lines.isEmpty() ? QString() : lines.last().trimmed();
}

} // namespace

OrderlyExit::OrderlyExit(Window window, const CommandLog *log, Report report, Quit quitWith,
                         std::chrono::milliseconds bound, QObject *parent)
    : QObject(parent)
    , m_window(std::move(window))
    , m_log(log)
    , m_report(std::move(report))
    , m_quit(std::move(quitWith))
{
    m_bound.setSingleShot(true);
    m_bound.setInterval(bound);
    connect(&m_bound, &QTimer::timeout, this, [this] {
        stopWaiting(durationText(m_bound.intervalAsDuration()) + QStringLiteral(" after ") + m_cause);
    });
    m_lastGrace.setSingleShot(true);
    m_lastGrace.setInterval(lastGrace);
    connect(&m_lastGrace, &QTimer::timeout, this, [this] {
        m_report(Severity::Warning, QStringLiteral("the window did not close after the wait was stopped; "
                                                   "the program ends now."));
        quit();
    });
}

OrderlyExit::~OrderlyExit() = default;

void OrderlyExit::signalReceived(const QString &signalName, int exitCode)
{
    ++m_signals;
    if (!requested()) {
        request(signalName, signalName + QStringLiteral(" received"), exitCode);
        return;
    }
    // The caller can tell from the status that a signal ended the program.
    m_exitCode = exitCode;
    if (m_signals == 1) {
        m_report(Severity::Notice, signalName + QStringLiteral(" received; the program is already ending after ")
                                       + m_cause + QLatin1Char('.'));
        return;
    }
    stopWaiting(signalName + QStringLiteral(" received again"));
}

void OrderlyExit::sessionEnds()
{
    if (!requested())
        request(sessionEndCause(), QStringLiteral("The desktop session is ending"), 0);
}

void OrderlyExit::request(const QString &cause, const QString &headline, int exitCode)
{
    m_cause = cause;
    m_exitCode = exitCode;
    m_logMark = m_log ? m_log->dropped() + m_log->entries().size() : 0;
    if (m_window.unattended) {
        m_window.unattended([this](const QString &box) {
            m_report(Severity::Warning, QStringLiteral("not shown, since no one may be watching: ") + box);
        });
    }
    if (!m_window.busy || !m_window.busy()) {
        m_report(Severity::Notice, headline + QStringLiteral(" while nothing was running; the program ends."));
        if (m_window.exit)
            m_window.exit();
        quit();
        return;
    }
    m_report(Severity::Notice,
             headline + QStringLiteral(" while ") + runningText()
                 + QStringLiteral("; the program ends as by Exit: the command is let end, what must follow it "
                                  "still runs, nothing else starts. The wait ends at a second signal or after ")
                 + durationText(m_bound.intervalAsDuration()) + QLatin1Char('.'));
    if (m_window.exit)
        m_window.exit();
    m_bound.start();
}

void OrderlyExit::stopWaiting(const QString &why)
{
    if (std::exchange(m_stopped, true))
        return;
    m_bound.stop();
    const QString running = m_window.runningCommand ? m_window.runningCommand() : QString();
    m_report(Severity::Warning,
             why + QStringLiteral(": no longer waiting")
                 + (running.isEmpty() ? QString() : QStringLiteral(" for \"") + oneLine(running) + QLatin1Char('"'))
                 + QStringLiteral("; a multitool is left to finish on its own, the replica script is ended."));
    if (m_window.stopWaiting)
        m_window.stopWaiting();
    m_lastGrace.start();
}

void OrderlyExit::quit()
{
    if (m_quit)
        m_quit(m_exitCode);
    else
        QCoreApplication::exit(m_exitCode);
}

QString OrderlyExit::runningText() const
{
    const QString command = m_window.runningCommand ? m_window.runningCommand() : QString();
    if (command.isEmpty())
        return QStringLiteral("a long action was under way between commands");
    return QLatin1Char('"') + oneLine(command) + QStringLiteral("\" was running");
}

void OrderlyExit::finish()
{
    if (!requested() || std::exchange(m_finished, true))
        return;
    m_bound.stop();
    m_lastGrace.stop();
    if (m_log) {
        const QList<CommandLogEntry> &entries = m_log->entries();
        for (qsizetype i = std::max<qsizetype>(0, m_logMark - m_log->dropped()); i < entries.size(); ++i) {
            const CommandLogEntry &entry = entries[i];
            if (entry.kind != CommandLogEntry::Kind::Process)
                continue;
            QString line = QStringLiteral("after ") + m_cause + QStringLiteral(": \"") + oneLine(entry.command)
                + QStringLiteral("\" ") + entry.outcome + QStringLiteral(", after ")
                + CommandLog::tookText(entry.elapsedMs);
            const QString reason = lastLine(entry.errorText);
            if (!entry.ok && !reason.isEmpty())
                line += QStringLiteral(": ") + oneLine(reason);
            m_report(entry.ok ? Severity::Notice : Severity::Warning, line);
        }
    }
    m_report(Severity::Notice, QStringLiteral("ended after ") + m_cause + QStringLiteral(", with exit status ")
                                   + QString::number(m_exitCode) + QLatin1Char('.'));
}

void OrderlyExit::toSystemLog(Severity severity, const QString &line)
{
    const QByteArray text = oneLine(line).toUtf8();
    std::fprintf(stderr, "quorvane: %s\n", text.constData());
    std::fflush(stderr);
#ifdef Q_OS_UNIX
    static const bool opened = [] {
        ::openlog("quorvane", LOG_PID, LOG_USER);
        return true;
    }();
    Q_UNUSED(opened)
    // The text holds command lines: never a format of its own.
    ::syslog(severity == Severity::Warning ? LOG_WARNING : LOG_NOTICE, "%s", text.constData());
#elif defined(Q_OS_WIN)
    // The Application log: where a Windows administrator looks for what a
    // program said as the session ended. Without a registered message file
    // the viewer shows the text as the event's insertion string.
    static HANDLE const source = ::RegisterEventSourceW(nullptr, L"Quorvane");
    if (source) {
        const std::wstring wide = oneLine(line).toStdWString();
        const wchar_t *strings[] = {wide.c_str()};
        ::ReportEventW(source, severity == Severity::Warning ? EVENTLOG_WARNING_TYPE : EVENTLOG_INFORMATION_TYPE,
                       0, 0, nullptr, 1, 0, strings, nullptr);
    }
#else
    Q_UNUSED(severity)
#endif
}

bool OrderlyExit::eventFilter(QObject *watched, QEvent *event)
{
    // Seen for every event of the program: the type first.
    if (event->type() != QEvent::Quit || watched != QCoreApplication::instance())
        return QObject::eventFilter(watched, event);
    // The window system delivers it spontaneously. Qt's own quit follows the
    // last window's close, which never comes while a long action runs.
    if (event->spontaneous() || (m_window.busy && m_window.busy())) {
        sessionEnds();
        return true;
    }
    return QObject::eventFilter(watched, event);
}

} // namespace quorvane
