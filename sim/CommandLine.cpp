#include "sim/CommandLine.h"

#include "sim/CommandError.h"

#include <algorithm>

namespace quorvane::ccsim::CommandLine {

QStringList split(const QString &line)
{
    QStringList words;
    QString word;
    bool inWord = false;
    QChar quote;
    for (const QChar c : line) {
        if (!quote.isNull()) {
            if (c == quote)
                quote = QChar();
            else
                word += c;
            continue;
        }
        if (c == QLatin1Char(' ') || c == QLatin1Char('\t') || c == QLatin1Char('\r') || c == QLatin1Char('\n')) {
            if (inWord)
                words << word;
            word.clear();
            inWord = false;
            continue;
        }
        inWord = true;
        if (c == QLatin1Char('"') || c == QLatin1Char('\''))
            quote = c;
        else
            word += c;
    }
    if (!quote.isNull())
        throw CommandError(QStringLiteral("Unmatched %1 in command line.").arg(quote));
    if (inWord)
        words << word;
    return words;
}

QString join(const QStringList &words)
{
    QStringList quoted;
    for (const QString &w : words) {
        // Every character that split() takes for a separator or a quote
        // makes the word quoted, so that the log line splits back the same.
        const bool plain = !w.isEmpty()
            && std::none_of(w.cbegin(), w.cend(), [](QChar c) {
                   return c == QLatin1Char(' ') || c == QLatin1Char('\t') || c == QLatin1Char('\r')
                       || c == QLatin1Char('\n') || c == QLatin1Char('"') || c == QLatin1Char('\'');
               });
        if (plain)
            quoted << w;
        else if (w.contains(QLatin1Char('"')))
            quoted << QString(QLatin1Char('\'') + w + QLatin1Char('\''));
        else
            quoted << QString(QLatin1Char('"') + w + QLatin1Char('"'));
    }
    return quoted.join(QLatin1Char(' '));
}

} // namespace quorvane::ccsim::CommandLine
