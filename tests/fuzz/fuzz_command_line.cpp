// The command-line splitter that stands between the program and every
// process it starts, on arbitrary text. A line built only from names that
// pass the argument check splits back into exactly those names.
#include "FuzzInput.h"
#include "ccase/CommandLine.h"
#include "ccase/Commands.h"

using namespace quorvane;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QString line = fuzz::text(data, size);
    const QStringList args = CommandLine::split(line);
    fuzz::require(args.size() <= line.size());

    // The same text as a list of names, one a line, each put into the
    // command line unquoted as the commands do.
    const QStringList names = line.split(QLatin1Char('\n'));
    QStringList fit;
    for (const QString &name : names) {
        if (!Commands::argumentFault({name}))
            fit << name;
    }
    if (!fit.isEmpty()) {
        const QStringList back =
            CommandLine::split(QStringLiteral("multitool ") + fit.join(QLatin1Char(' ')));
        fuzz::require(back.mid(1) == fit);
    }
    return 0;
}
