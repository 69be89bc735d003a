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
// Nor is a matrix of more cells than this, headings included (a square of
// 2047 replicas): a short line of commas, well under the byte limit, would
// otherwise become millions of cells.
inline constexpr qsizetype maxCells = 4 * 1024 * 1024;

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
    // The line that would have made the grid larger than maxCells (0 when
    // none did), not among lines, and the grid's rows and columns with it
    // (headings included).
    qsizetype boundLine = 0;
    qsizetype boundRows = 0;
    qsizetype boundColumns = 0;
    // Line feeds and no carriage return: the whole text is one line.
    bool lineFeedsOnly = false;
};

// The accepted lines of a text. A line with no comma (the empty line
// included) is not accepted; "name," is accepted with one empty value. The
// first accepted line's values set the columns; reading stops after a line
// with more values, whose last values no column can hold, and before a line
// that would take the grid past maxCells (counted before it is split).
Contents parse(const QString &text);

// Reads and parses a results file. Throws QuorvaneError with ErrNo::FileNotFound
// ("File not found") when it does not exist, ErrNo::PathFileAccess when it
// exists but cannot be read, is larger than maxFileBytes or its matrix
// larger than maxCells, ErrNo::InvalidRowValue when no line of it is a
// matrix row or its lines end in line feeds only. The descriptions do not
// name the file; describe() adds it.
Contents read(const QString &fileName);

// An error's description followed by the file it is about, for a box.
QString describe(const QString &description, const QString &fileName);
// The description of the line at which parse stopped.
QString describeWideLine(const Contents &contents, const QString &fileName);

} // namespace quorvane::ResultsFile
