#pragma once

#include <QStringList>

namespace quorvane::ccsim::CommandLine {

// Splits one interactive command line the way cleartool does: blanks and
// tabs separate words; double or single quotes group blanks into a word and
// are removed; a backslash is an ordinary character, so "-fmt "%n\n"" keeps
// its \n for the format engine and Windows tags such as \dev stay intact.
// Throws CommandError for an unmatched quote.
QStringList split(const QString &line);

// The reverse, for the command log: words with blanks or quotes are quoted.
QString join(const QStringList &words);

} // namespace quorvane::ccsim::CommandLine
