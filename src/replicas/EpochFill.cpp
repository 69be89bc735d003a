#include "replicas/EpochFill.h"

#include "ccase/CommandLog.h"
#include "common/Feedback.h"
#include "common/QuorvaneError.h"
#include "replicas/ResultsFile.h"

namespace quorvane {

EpochFill fillEpochMatrix(EpochMatrix matrix, const QString &fileName, bool noteUnreachable, CommandLog *log)
{
    EpochFill fill;
    try {
        ResultsFile::Contents contents;
        try {
            const auto read = [&fileName, &contents] {
                contents = ResultsFile::read(fileName);
                return contents.lines;
            };
            if (log)
                log->recordFileRead(fileName, read);
            else
                read();
        } catch (const QuorvaneError &) {
            // Not the row that cleaning kept from the fill before, which
            // would read as a family of one.
            matrix.blank();
            throw;
        }
        // Throws with what was written kept in `matrix`.
        if (!matrix.fill(contents.lines, noteUnreachable))
            fill.box = ErrorBoxes::withNumber(ErrNo::InvalidColValue,
                                              ResultsFile::describeWideLine(contents, fileName));
    } catch (const QuorvaneError &e) {
        fill.box = ErrorBoxes::withNumber(e.number(), ResultsFile::describe(e.description(), fileName));
    }
    fill.matrix = std::move(matrix);
    return fill;
}

void reportFill(Feedback &feedback, const EpochFill &fill)
{
    if (!fill.box)
        return;
    feedback.setBusy(false, QString());
    showBox(feedback.dialogs(), *fill.box);
}

} // namespace quorvane
