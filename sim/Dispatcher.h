#pragma once

#include "sim/Tool.h"

namespace quorvane::ccsim::Dispatcher {

// The role a program name stands for: "cleartool", "multitool", "ccperl",
// anything else "ccsim".
QString toolFor(const QString &programPath);

// Runs one command (words[0] is the subcommand) as the given tool, prints a
// refused command as "<tool>: Error: ...", logs it, and returns its status.
int execute(const QString &tool, const QStringList &words, Context &ctx);

// The interactive loop of cleartool/multitool: one command per input line,
// tokenized like cleartool; with statusLines (-status) each command's output
// is followed directly by "Command N returned status S" and a newline.
// "exit" and "quit" end it, as does the end of input. prompt is printed
// before each line when not empty. Returns the status of the last command
// (or 0).
int interactive(const QString &tool, bool statusLines, bool exitOnError, const QString &prompt, Context &ctx);

// Runs perl with the arguments (no shell), forwarding the standard streams.
int runPerl(const QStringList &args, Context &ctx);

} // namespace quorvane::ccsim::Dispatcher
