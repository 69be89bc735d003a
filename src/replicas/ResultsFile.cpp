#include "replicas/ResultsFile.h"

#include "common/AppInfo.h"
#include "common/QuorvaneError.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <algorithm>

namespace quorvane::ResultsFile {

QStringList splitLines(const QString &text)
{
    QStringList lines;
    qsizetype start = 0;
    const qsizetype size = text.size();
    for (qsizetype i = 0; i < size; ++i) {
        if (text[i] != QLatin1Char('\r'))
            continue;
        lines << text.mid(start, i - start);
        if (i + 1 < size && text[i + 1] == QLatin1Char('\n'))
            ++i;
        start = i + 1;
    }
    if (start < size)
        lines << text.mid(start);
    return lines;
}

Contents parse(const QString &text)
{
    Contents contents;
    contents.lineFeedsOnly = text.contains(QLatin1Char('\n')) && !text.contains(QLatin1Char('\r'));
    qsizetype columns = 0;
    qsizetype number = 0;
    qsizetype start = 0;
    const qsizetype size = text.size();
    // Line by line without a list of all lines: a file of line ends alone
    // would make millions of empty strings.
    while (start < size) {
        qsizetype end = text.indexOf(QLatin1Char('\r'), start);
        if (end < 0)
            end = size;
        const QStringView line = QStringView(text).mid(start, end - start);
        start = end + 1;
        if (end < size && start < size && text[start] == QLatin1Char('\n'))
            ++start;
        ++number;
        const qsizetype values = line.count(QLatin1Char(','));
        if (values == 0)
            continue;
        const qsizetype rows = contents.lines.size() + 1;
        const qsizetype width = contents.lines.isEmpty() ? values : std::min(values, columns);
        // Rows and columns of the grid, each with its heading.
        if (values + 1 > maxCells || (rows + 1) > maxCells / (width + 1)) {
            contents.boundLine = number;
            contents.boundRows = rows + 1;
            contents.boundColumns = (values + 1 > maxCells ? values : width) + 1;
            break;
        }
        QStringList fields = line.toString().split(QLatin1Char(','), Qt::KeepEmptyParts);
        if (contents.lines.isEmpty()) {
            columns = values;
        } else if (values > columns) {
            contents.wideLine = number;
            contents.wideValues = values;
            contents.lines << std::move(fields);
            break;
        }
        contents.lines << std::move(fields);
    }
    return contents;
}

Contents read(const QString &fileName)
{
    const QFileInfo info(fileName);
    if (fileName.isEmpty() || !info.exists())
        throw QuorvaneError(ErrNo::FileNotFound, AppInfo::title(), QStringLiteral("File not found"));
    QFile file(fileName);
    if (info.isDir() || !file.open(QIODevice::ReadOnly))
        throw QuorvaneError(ErrNo::PathFileAccess, AppInfo::title(),
                            QStringLiteral("Path/File access error"));
    const auto tooLarge = [] {
        return QuorvaneError(ErrNo::PathFileAccess, AppInfo::title(),
                             QStringLiteral("Path/File access error: larger than %1 MB, not a results file")
                                 .arg(maxFileBytes / (1024 * 1024)));
    };
    if (info.size() > maxFileBytes)
        throw tooLarge();
    // The size can change between the look and the read, and a device
    // reports none at all: never read more than the limit and one byte.
    const QByteArray bytes = file.read(maxFileBytes + 1);
    if (bytes.size() > maxFileBytes)
        throw tooLarge();
    // The script writes in the local code page; names are plain ASCII in practice.
    Contents contents = parse(QString::fromLocal8Bit(bytes));
    if (contents.boundLine > 0) {
        throw QuorvaneError(ErrNo::PathFileAccess, AppInfo::title(),
                            QStringLiteral("Path/File access error: line %1 would make the matrix %2 by %3 cells, "
                                           "more than %4, not a results file")
                                .arg(contents.boundLine)
                                .arg(contents.boundRows)
                                .arg(contents.boundColumns)
                                .arg(maxCells));
    }
    // Shown, either would pass for a family of one replica, or for nothing
    // wrong at all.
    if (contents.lineFeedsOnly) {
        throw QuorvaneError(ErrNo::InvalidRowValue, AppInfo::title(),
                            QStringLiteral("Invalid Row value: the lines end in line feeds only, and a line of a "
                                           "results file ends at a carriage return"));
    }
    if (contents.lines.isEmpty()) {
        throw QuorvaneError(ErrNo::InvalidRowValue, AppInfo::title(),
                            QStringLiteral("Invalid Row value: no line names a replica and its values"));
    }
    return contents;
}

QString describe(const QString &description, const QString &fileName)
{
    return description + QStringLiteral(" -- ") + QDir::toNativeSeparators(fileName);
}

QString describeWideLine(const Contents &contents, const QString &fileName)
{
    const qsizetype columns = contents.lines.isEmpty() ? 0 : contents.lines.first().size() - 1;
    return describe(QStringLiteral("Invalid Col value"), fileName) +
           QStringLiteral(", line %1: %2 values, more than the %3 of the first line")
               .arg(contents.wideLine)
               .arg(contents.wideValues)
               .arg(columns);
}

} // namespace quorvane::ResultsFile
