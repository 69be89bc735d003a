#pragma once

#include "common/ErrorBoxes.h"
#include "replicas/EpochMatrix.h"

#include <QString>

#include <optional>

namespace quorvane {

class CommandLog;
class Feedback;

// A matrix after a results file was read into it, and the box the read
// owes the user when the file was missing, unreadable or malformed.
struct EpochFill {
    EpochMatrix matrix;
    std::optional<ErrorBox> box;
};

// Reads a results file into `matrix`, which is what the grid shows before
// (new, blank, or cleaned by a reload: the fill writes over it). A file
// that cannot be read, or holds no row, leaves the matrix blank; a fill
// that fails part way keeps what it wrote; a line wider than the first
// keeps the flags of the fill before. Each of those gives the numbered box
// naming the file. The read is recorded in `log` when there is one.
// `noteUnreachable`: the actual matrix, whose row of nothing but "?" is a
// host that did not answer.
EpochFill fillEpochMatrix(EpochMatrix matrix, const QString &fileName, bool noteUnreachable, CommandLog *log);

// What the user is shown of a fill: nothing, or busy feedback off and its box.
void reportFill(Feedback &feedback, const EpochFill &fill);

} // namespace quorvane
