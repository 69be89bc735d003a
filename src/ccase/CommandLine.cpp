#include "ccase/CommandLine.h"

namespace quorvane::CommandLine {

namespace {

bool isBlank(QChar c)
{
    return c == QLatin1Char(' ') || c == QLatin1Char('\t');
}

// The program name: quotes only group, backslashes are plain characters.
qsizetype readProgram(const QString &line, qsizetype i, QString &program)
{
    const qsizetype n = line.size();
    if (i < n && line[i] == QLatin1Char('"')) {
        ++i;
        while (i < n && line[i] != QLatin1Char('"'))
            program += line[i++];
        if (i < n)
            ++i; // closing quote
        return i;
    }
    while (i < n && !isBlank(line[i]))
        program += line[i++];
    return i;
}

} // namespace

QStringList split(const QString &line)
{
    QStringList args;
    const qsizetype n = line.size();
    qsizetype i = 0;
    while (i < n && isBlank(line[i]))
        ++i;
    if (i >= n)
        return args;

    QString program;
    i = readProgram(line, i, program);
    args << program;

    while (true) {
        while (i < n && isBlank(line[i]))
            ++i;
        if (i >= n)
            break;
        QString arg;
        bool quoted = false;
        while (i < n && (quoted || !isBlank(line[i]))) {
            const QChar c = line[i];
            if (c == QLatin1Char('\\')) {
                qsizetype slashes = 0;
                while (i < n && line[i] == QLatin1Char('\\')) {
                    ++slashes;
                    ++i;
                }
                if (i < n && line[i] == QLatin1Char('"')) {
                    arg += QString(slashes / 2, QLatin1Char('\\'));
                    if (slashes % 2 == 1) {
                        arg += QLatin1Char('"');
                        ++i;
                    }
                    // An even count leaves the quote to toggle quoting below.
                } else {
                    arg += QString(slashes, QLatin1Char('\\'));
                }
                continue;
            }
            if (c == QLatin1Char('"')) {
                if (quoted && i + 1 < n && line[i + 1] == QLatin1Char('"')) {
                    arg += QLatin1Char('"');
                    i += 2;
                    continue;
                }
                quoted = !quoted;
                ++i;
                continue;
            }
            arg += c;
            ++i;
        }
        args << arg;
    }
    return args;
}

} // namespace quorvane::CommandLine
