#include "replicas/ResultsFile.h"

#include "ui/AppInfo.h"
#include "ui/QuorvaneError.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

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
    const QStringList lines = splitLines(text);
    qsizetype columns = 0;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        if (!lines[i].contains(QLatin1Char(',')))
            continue;
        QStringList fields = lines[i].split(QLatin1Char(','), Qt::KeepEmptyParts);
        const qsizetype values = fields.size() - 1;
        if (contents.lines.isEmpty()) {
            columns = values;
        } else if (values > columns) {
            contents.wideLine = i + 1;
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
    return parse(QString::fromLocal8Bit(bytes));
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
