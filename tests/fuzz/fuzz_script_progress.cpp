// The replica script's progress file on arbitrary bytes: every host read
// has a name fit for a label and a time that reads, each once, the longest
// waiting first; the lines shown are bounded whatever the file holds.
#include "FuzzInput.h"
#include "replicas/ScriptProgress.h"

#include <QSet>

#include <cmath>

using namespace quorvane;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const ScriptProgress progress = ScriptProgress::parse(fuzz::bytes(data, size).toByteArray());
    fuzz::require(std::isfinite(progress.limitSecs) && progress.limitSecs >= 0);
    QSet<QString> names;
    double previous = 0;
    for (const auto &w : progress.waiting) {
        fuzz::require(!w.replica.isEmpty() && !names.contains(w.replica));
        fuzz::require(!w.replica.contains(QLatin1Char('\n')) && !w.replica.contains(QLatin1Char('\t')));
        fuzz::require(std::isfinite(w.askedAt) && w.askedAt > 0 && w.askedAt >= previous);
        names.insert(w.replica);
        previous = w.askedAt;
    }
    const QStringList lines = progress.lines(1.8e9, {});
    fuzz::require(lines.size() <= ScriptProgress::shownHosts + 1);
    for (const QString &line : lines)
        fuzz::require(line.startsWith(QLatin1String("waiting for ")) || line.startsWith(QLatin1String("and ")));
    return 0;
}
