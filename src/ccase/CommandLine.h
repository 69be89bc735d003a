#pragma once

#include <QString>
#include <QStringList>

namespace quorvane::CommandLine {

// Splits a command line into program and arguments the way Windows programs
// do (CommandLineToArgvW), so that lines written for ClearCase on Windows
// keep their meaning without any shell:
// - blanks and tabs separate arguments; double quotes group;
// - inside quotes, two double quotes in a row give one literal quote;
// - backslashes are literal, except before a double quote: 2n backslashes
//   and a quote give n backslashes and toggle quoting, 2n+1 backslashes and a
//   quote give n backslashes and a literal quote;
// - the first element (the program) ends at the next blank, or at the
//   closing quote when it starts with one; backslashes are never special in it.
QStringList split(const QString &line);

} // namespace quorvane::CommandLine
