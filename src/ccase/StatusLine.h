#pragma once

#include <QByteArray>

#include <optional>

namespace quorvane::StatusLine {

// Where the reply of one co-process command ends.
struct Match {
    qsizetype outputLength = 0; // bytes of the command's own output
    int status = 0;             // the command's exit status
    qint64 number = 0;          // the command number the status text gives
};

// Looks for "Command N returned status S" closing the buffer, followed only
// by "\n" or "\r\n". cleartool writes that line last and then waits for the
// next command, so one with more output behind it is the command's output
// and not its end; the caller decides whether more output still follows.
// The status text may follow the output on the same line when the output
// lacks a final newline. N is whatever number the line gives; the caller
// compares it with the one it expects.
std::optional<Match> find(const QByteArray &buffer);

} // namespace quorvane::StatusLine
