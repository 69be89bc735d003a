#pragma once

#include <QList>
#include <QString>
#include <QStringList>

namespace quorvane::ResultsFile {

// The line format that get_replica_info.pl writes: a line ends at CR or at
// CR LF (a lone LF is part of the line), every comma separates two fields,
// nothing is trimmed or unquoted.

// The lines of a text. A CR ends a line and swallows one LF right after it;
// a final line without an end is still a line; nothing follows a final CR.
QStringList splitLines(const QString &text);

// The accepted lines of a text, each split at every comma. A line with no
// comma (the empty line included) is not accepted; "name," is accepted with
// one empty value.
QList<QStringList> parse(const QString &text);

// Reads and parses a results file. Throws QuorvaneError with ErrNo::FileNotFound
// ("File not found") when it does not exist, ErrNo::PathFileAccess when it
// exists but cannot be read.
QList<QStringList> read(const QString &fileName);

} // namespace quorvane::ResultsFile
