// The simulator's command-line splitter on arbitrary text: it refuses a
// line cleanly or gives words that its own log form splits back into the
// same words.
#include "FuzzInput.h"
#include "sim/CommandError.h"
#include "sim/CommandLine.h"

using namespace quorvane;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QString line = fuzz::text(data, size);
    QStringList words;
    try {
        words = ccsim::CommandLine::split(line);
    } catch (const ccsim::CommandError &e) {
        fuzz::require(!e.message().isEmpty());
        return 0;
    }
    for (const QString &word : words)
        fuzz::require(!word.isEmpty() || line.contains(QLatin1Char('"')) || line.contains(QLatin1Char('\'')));
    // A word with both kinds of quote has no quoted form; the others do.
    for (const QString &word : words) {
        if (word.contains(QLatin1Char('"')) && word.contains(QLatin1Char('\'')))
            return 0;
    }
    try {
        fuzz::require(ccsim::CommandLine::split(ccsim::CommandLine::join(words)) == words);
    } catch (const ccsim::CommandError &) {
        fuzz::require(false);
    }
    return 0;
}
