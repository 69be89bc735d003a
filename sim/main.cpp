// ccsim: the simulated ClearCase MultiSite region. Started as cleartool,
// multitool or ccperl (links to this program) it acts as that program;
// started as ccsim it offers the region's administration commands.

#include "sim/Dispatcher.h"

#include <QCoreApplication>
#include <QThread>

#include <cstdio>
#include <iostream>
#include <string>

#include <unistd.h>

using namespace quorvane::ccsim;

namespace {

class StdOutput final : public Output {
public:
    void out(const QString &text) override { write(stdout, text); }
    void err(const QString &text) override
    {
        // Errors must precede the status line of their command, also when
        // a client merges both streams.
        std::fflush(stdout);
        write(stderr, text);
        std::fflush(stderr);
    }
    void flush() override { std::fflush(stdout); }

private:
    static void write(FILE *stream, const QString &text)
    {
        const QByteArray bytes = text.toUtf8();
        std::fwrite(bytes.constData(), 1, static_cast<size_t>(bytes.size()), stream);
    }
};

class StdInput final : public Input {
public:
    std::optional<QString> readLine() override
    {
        std::string line;
        if (!std::getline(std::cin, line))
            return std::nullopt;
        QString text = QString::fromStdString(line);
        if (text.endsWith(QLatin1Char('\r')))
            text.chop(1);
        return text;
    }
};

// Whatever a simulated cleartool writes on its error stream its clients take
// for ClearCase's own words. QLockFile warns there when the lock file's time
// stamp, taken from the file system's coarser clock, is a little ahead of
// the system clock: with many invocations at once that is routine and says
// nothing about the command, so it is dropped. Every other message passes.
void dropLockClockWarning(QtMsgType type, const QMessageLogContext &context, const QString &message)
{
    if (type == QtWarningMsg && message.startsWith(QLatin1String("QLockFile: "))
        && message.endsWith(QLatin1String("has a modification time in the future")))
        return;
    std::fprintf(stderr, "%s\n", qPrintable(qFormatLogMessage(type, context, message)));
}

} // namespace

int main(int argc, char **argv)
{
    qInstallMessageHandler(dropLockClockWarning);
    QCoreApplication app(argc, argv);
    QStringList args = app.arguments();
    QString tool = Dispatcher::toolFor(args.takeFirst());
    // "ccsim cleartool ARGS" works without the links.
    if (tool == QLatin1String("ccsim") && !args.isEmpty() && Dispatcher::toolFor(args.first()) != tool)
        tool = Dispatcher::toolFor(args.takeFirst());

    const RegionStore store(RegionStore::defaultDirectory());
    StdOutput output;
    StdInput input;
    QString user = qEnvironmentVariable("USER");
    if (user.isEmpty())
        user = qEnvironmentVariable("USERNAME", QStringLiteral("ccadmin"));
    Context ctx{tool, store, output, input, user, QCoreApplication::applicationPid(),
                [](int ms) {
                    if (ms > 0)
                        QThread::msleep(static_cast<unsigned long>(ms));
                }};

    int status = 0;
    if (tool == QLatin1String("ccperl")) {
        status = Dispatcher::runPerl(args, ctx);
    } else if (tool != QLatin1String("ccsim") && (args.isEmpty() || args.first() == QLatin1String("-status")
                                                  || args.first() == QLatin1String("-e"))) {
        const bool statusLines = args.contains(QStringLiteral("-status"));
        const bool exitOnError = args.contains(QStringLiteral("-e"));
        // With stdin on a pipe no prompt is printed: clients do not expect one.
        const QString prompt = isatty(STDIN_FILENO) ? tool + QStringLiteral("> ") : QString();
        status = Dispatcher::interactive(tool, statusLines, exitOnError, prompt, ctx);
    } else {
        status = Dispatcher::execute(tool, args, ctx);
    }
    output.flush();
    return status;
}
