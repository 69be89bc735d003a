#include "app/StartArguments.h"

#include "common/AppInfo.h"

#include <cstdio>

namespace quorvane {

std::optional<StartAnswer> answerArguments(const QStringList &arguments)
{
    if (arguments.isEmpty())
        return std::nullopt;
    const QString first = arguments.first();
    if (arguments.size() == 1 && first == QLatin1String("--version"))
        return StartAnswer{0, AppInfo::title() + QLatin1Char(' ') + AppInfo::versionText() + QLatin1Char('\n'), {}};
    if (arguments.size() == 1 && first == QLatin1String("--help")) {
        return StartAnswer{
            0,
            QStringLiteral("Usage: quorvane [--help | --version]\n"
                           "Inspect and repair the replication state of ClearCase MultiSite VOBs.\n"
                           "Started without arguments it opens its window; everything it shows is\n"
                           "asked of the ClearCase it finds (or of its simulated region).\n"
                           "  --help     print this help and exit\n"
                           "  --version  print the version and exit\n"),
            {}};
    }
    // The first argument not understood is named; a control character in
    // it would reach the terminal, so it is shown escaped.
    const QString wrong = arguments.size() > 1 && (first == QLatin1String("--help") || first == QLatin1String("--version"))
        ? arguments.at(1)
        : first;
    QString shown;
    for (const QChar c : wrong)
        shown += c.isPrint() ? QString(c) : QStringLiteral("\\x%1").arg(uint(c.unicode()), 2, 16, QLatin1Char('0'));
    return StartAnswer{2, {},
                       QStringLiteral("quorvane: unknown argument \"%1\": it takes none but --help and --version\n")
                           .arg(shown)};
}

std::optional<int> answerArguments(int argc, char *argv[])
{
    QStringList arguments;
    for (int i = 1; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    const std::optional<StartAnswer> answer = answerArguments(arguments);
    if (!answer)
        return std::nullopt;
    std::fputs(answer->out.toLocal8Bit().constData(), stdout);
    std::fputs(answer->err.toLocal8Bit().constData(), stderr);
    std::fflush(stdout);
    return answer->exitCode;
}

} // namespace quorvane
