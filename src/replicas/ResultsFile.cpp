#include "replicas/ResultsFile.h"

#include "ui/AppInfo.h"
#include "ui/QuorvaneError.h"

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

QList<QStringList> parse(const QString &text)
{
    QList<QStringList> accepted;
    const QStringList lines = splitLines(text);
    for (const QString &line : lines) {
        if (!line.contains(QLatin1Char(',')))
            continue;
        accepted << line.split(QLatin1Char(','), Qt::KeepEmptyParts);
    }
    return accepted;
}

QList<QStringList> read(const QString &fileName)
{
    const QFileInfo info(fileName);
    if (fileName.isEmpty() || !info.exists())
        throw QuorvaneError(ErrNo::FileNotFound, AppInfo::title(), QStringLiteral("File not found"));
    QFile file(fileName);
    if (info.isDir() || !file.open(QIODevice::ReadOnly))
        throw QuorvaneError(ErrNo::PathFileAccess, AppInfo::title(),
                            QStringLiteral("Path/File access error"));
    // The script writes in the local code page; names are plain ASCII in practice.
    return parse(QString::fromLocal8Bit(file.readAll()));
}

} // namespace quorvane::ResultsFile
