#pragma once

#include <QString>
#include <QStringList>

#include <optional>

namespace quorvane {

// The program takes no arguments; it answers only the two every desktop
// program answers, and refuses anything else instead of ignoring it.
struct StartAnswer {
    int exitCode = 0;
    QString out; // for standard output
    QString err; // for standard error
};

// std::nullopt when the program is to start (no arguments); otherwise what
// to print and the exit code. `arguments` excludes the program's name.
[[nodiscard]] std::optional<StartAnswer> answerArguments(const QStringList &arguments);

// The same for main's own argv; prints the answer. Runs before the
// application object, so that it needs no display.
[[nodiscard]] std::optional<int> answerArguments(int argc, char *argv[]);

} // namespace quorvane
