#pragma once

#include <QList>
#include <QString>
#include <QStringList>

namespace quorvane::ResultsFile {

// The line format that get_replica_info.pl writes: a line ends at CR or at
// CR LF (a lone LF is part of the line), every comma separates two fields,
// nothing is trimmed or unquoted.

// A results file holds one short line per replica; anything larger than
// this is not one, and reading it whole would freeze the window.
inline constexpr qint64 maxFileBytes = 16 * 1024 * 1024;

// The lines of a text. A CR ends a line and swallows one LF right after it;
// a final line without an end is still a line; nothing follows a final CR.
QStringList splitLines(const QString &text);

struct Contents {
    // The accepted lines, each split at every comma, up to and including
    // the first line with more values than the first accepted one.
    QList<QStringList> lines;
    // That line, the last of lines: its number in the text (every line
    // counts, from 1) and its number of values; 0 when every line fits.
    qsizetype wideLine = 0;
    qsizetype wideValues = 0;
};

// The accepted lines of a text. A line with no comma (the empty line
// included) is not accepted; "name," is accepted with one empty value. The
// first accepted line's values set the columns; reading stops after a line
// with more values, whose last values no column can hold.
Contents parse(const QString &text);

// Reads and parses a results file. Throws QuorvaneError with ErrNo::FileNotFound
// ("File not found") when it does not exist, ErrNo::PathFileAccess when it
// exists but cannot be read or is larger than maxFileBytes. The descriptions
// do not name the file; describe() adds it.
Contents read(const QString &fileName);

// An error's description followed by the file it is about, for a box.
QString describe(const QString &description, const QString &fileName);
// The description of the line at which parse stopped.
QString describeWideLine(const Contents &contents, const QString &fileName);

} // namespace quorvane::ResultsFile
