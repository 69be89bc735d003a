#include "sim/Dispatcher.h"

#include "sim/AdminCommands.h"
#include "sim/ClearToolCommands.h"
#include "sim/CommandError.h"
#include "sim/CommandLine.h"
#include "sim/MultiToolCommands.h"
#include "sim/PacketCommands.h"

#include <QFileInfo>
#include <QProcess>

namespace quorvane::ccsim::Dispatcher {

namespace {

bool isVersionQuery(const QStringList &words)
{
    return words.size() == 1
        && (words.first() == QLatin1String("-ver") || words.first() == QLatin1String("-version")
            || words.first() == QLatin1String("-VerAll"));
}

int dispatch(const QString &tool, const QStringList &words, Context &ctx)
{
    if (tool == QLatin1String("ccsim"))
        return AdminCommands::run(words, ctx);
    if (tool == QLatin1String("shipping_server"))
        return PacketCommands::shippingServer(words, ctx);
    if (tool == QLatin1String("mkorder"))
        return PacketCommands::mkorder(words, ctx);
    if (words.isEmpty())
        throw CommandError(QStringLiteral("No command given."));
    const QString &command = words.first();
    const QStringList args = words.mid(1);
    if (isVersionQuery(words)) {
        // How the simulated region is told from ClearCase, whatever the
        // program file is called: no ClearCase release says this of itself.
        ctx.output.out(QStringLiteral("%1 (simulated ClearCase MultiSite region, ccsim %2.%3.%4)\n")
                           .arg(tool)
                           .arg(QUORVANE_VERSION_MAJOR)
                           .arg(QUORVANE_VERSION_MINOR)
                           .arg(QUORVANE_VERSION_PATCH));
        return 0;
    }
    if (tool == QLatin1String("multitool") && command == QLatin1String("lspacket"))
        return PacketCommands::lspacket(args, ctx);
    if (tool == QLatin1String("multitool") && MultiToolCommands::handles(command))
        return MultiToolCommands::run(command, args, ctx);
    if (ClearToolCommands::handles(command)
        && (tool == QLatin1String("cleartool") || command == QLatin1String("lsreplica")))
        return ClearToolCommands::run(command, args, ctx);
    throw CommandError(QStringLiteral("Unrecognized command: \"%1\"").arg(command));
}

// One line of the command log: when, which process, which program, what and
// how it ended.
void logCommand(const Context &ctx, const QString &tool, const QStringList &words, int status)
{
    ctx.store.appendLog(QStringLiteral("%1 [%2] %3 %4 => status %5")
                            .arg(QDateTime::currentDateTime().toString(Qt::ISODate), QString::number(ctx.pid), tool,
                                 CommandLine::join(words), QString::number(status)));
}

} // namespace

QString toolFor(const QString &programPath)
{
    QString name = QFileInfo(programPath).fileName().toLower();
    if (name.endsWith(QLatin1String(".exe")))
        name.chop(4);
    if (name == QLatin1String("cleartool") || name == QLatin1String("multitool") || name == QLatin1String("ccperl")
        || name == QLatin1String("shipping_server") || name == QLatin1String("mkorder"))
        return name;
    return QStringLiteral("ccsim");
}

int execute(const QString &tool, const QStringList &words, Context &ctx)
{
    int status = 1;
    try {
        status = dispatch(tool, words, ctx);
    } catch (const CommandError &e) {
        ctx.error(e.message());
        status = 1;
    }
    // A version query is asked before anything else, to tell what the
    // program is; it touches no region and leaves no trace in its log.
    if (!isVersionQuery(words))
        logCommand(ctx, tool, words, status);
    return status;
}

int interactive(const QString &tool, bool statusLines, bool exitOnError, const QString &prompt, Context &ctx)
{
    int count = 0;
    int status = 0;
    for (;;) {
        if (!prompt.isEmpty()) {
            ctx.output.out(prompt);
            ctx.output.flush();
        }
        const std::optional<QString> line = ctx.input.readLine();
        if (!line)
            break;
        QStringList words;
        try {
            words = CommandLine::split(*line);
        } catch (const CommandError &e) {
            ctx.error(e.message());
            status = 1;
            if (statusLines) {
                ctx.output.out(QStringLiteral("Command %1 returned status 1\n").arg(++count));
                ctx.output.flush();
            }
            continue;
        }
        if (words.isEmpty())
            continue;
        if (words.first() == QLatin1String("exit") || words.first() == QLatin1String("quit"))
            break;
        status = execute(tool, words, ctx);
        if (statusLines)
            ctx.output.out(QStringLiteral("Command %1 returned status %2\n").arg(++count).arg(status));
        ctx.output.flush();
        if (exitOnError && status != 0)
            break;
    }
    return status;
}

int runPerl(const QStringList &args, Context &ctx)
{
    const QString perl = qEnvironmentVariable("CCSIM_PERL", QStringLiteral("perl"));
    QProcess process;
    process.setProcessChannelMode(QProcess::ForwardedChannels);
    process.setInputChannelMode(QProcess::ForwardedInputChannel);
    process.start(perl, args);
    int status = 1;
    if (!process.waitForStarted(-1)) {
        ctx.error(QStringLiteral("Cannot start \"%1\": %2").arg(perl, process.errorString()));
    } else {
        process.waitForFinished(-1);
        status = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : 1;
    }
    logCommand(ctx, QStringLiteral("ccperl"), args, status);
    return status;
}

} // namespace quorvane::ccsim::Dispatcher
