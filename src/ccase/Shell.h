#pragma once

#include <QString>

namespace quorvane {

// Runs a command line as a hidden process and returns once it has ended,
// letting window events run meanwhile. Reports a start failure itself (the
// process error box) and returns normally; the exit code is not read.
class Shell {
public:
    virtual ~Shell() = default;
    virtual void ShellAndWait(const QString &commandLine, int windowStyle) = 0;
};

} // namespace quorvane
