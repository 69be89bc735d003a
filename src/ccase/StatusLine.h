#pragma once

#include <QByteArray>

#include <optional>

namespace quorvane::StatusLine {

// Where the reply of one co-process command ends.
struct Match {
    qsizetype outputLength = 0; // bytes of the command's own output
    int status = 0;             // the command's exit status
};

// Looks for "Command N returned status S" (N = the command's own number,
// counted from 1 per co-process) closing the buffer, followed only by "\n" or
// "\r\n". cleartool writes that line last and then waits for the next
// command, so a status text for another number, or one with more output
// behind it, is the command's output and not its end. The status text may
// follow the output on the same line when the output lacks a final newline.
std::optional<Match> findOwn(const QByteArray &buffer, qint64 number);

} // namespace quorvane::StatusLine
