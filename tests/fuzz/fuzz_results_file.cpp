// The results-file reader on arbitrary bytes: whatever the script (or a
// damaged disk) leaves behind, the rows it yields fit the columns of the
// first row, and where it stops it says why.
#include "FuzzInput.h"
#include "replicas/ResultsFile.h"

using namespace quorvane;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QString text = QString::fromLocal8Bit(fuzz::bytes(data, size));
    const ResultsFile::Contents contents = ResultsFile::parse(text);
    const qsizetype lines = ResultsFile::splitLines(text).size();
    if (!contents.lines.isEmpty()) {
        const qsizetype columns = contents.lines.first().size() - 1;
        // Only the line reading stopped at may be wider, and it is the last.
        const qsizetype fitting = contents.lines.size() - (contents.wideLine > 0 ? 1 : 0);
        for (qsizetype i = 0; i < fitting; ++i)
            fuzz::require(contents.lines[i].size() >= 2 && contents.lines[i].size() - 1 <= columns);
        if (contents.wideLine > 0) {
            fuzz::require(fitting >= 1 && contents.wideLine <= lines);
            fuzz::require(contents.wideValues == contents.lines.last().size() - 1 &&
                          contents.wideValues > columns);
        }
    } else {
        fuzz::require(contents.wideLine == 0);
    }
    (void)ResultsFile::describeWideLine(contents, QStringLiteral("_results.txt"));
    return 0;
}
