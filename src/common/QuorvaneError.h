#pragma once

#include <QString>

#include <exception>

namespace quorvane {

// Error numbers follow the run-time numbering that administrators know from
// the error boxes of this family of tools (53 = file not found, and so on).
namespace ErrNo {
inline constexpr int InvalidProcedureCall = 5;
inline constexpr int Overflow = 6;
// The user stopped a running command.
inline constexpr int UserInterrupt = 18;
inline constexpr int SubscriptOutOfRange = 9;
inline constexpr int DivisionByZero = 11;
inline constexpr int TypeMismatch = 13;
inline constexpr int FileNotFound = 53;
inline constexpr int PathFileAccess = 75;
inline constexpr int ObjectNotSet = 91;
inline constexpr int ControlArrayElementMissing = 340;
inline constexpr int ObjectAlreadyLoaded = 360;
inline constexpr int InvalidRowValue = 30009;
inline constexpr int InvalidColValue = 30010;
// ClearCase refused a command (an object error in the usual numbering).
inline constexpr int ClearCase = -2147221503;
} // namespace ErrNo

// The one error type that traps catch: a number (never 0 for a real error),
// the source that raised it and a description fit to show to the user.
class QuorvaneError : public std::exception {
public:
    QuorvaneError(int number, QString source, QString description)
        : m_number(number), m_source(std::move(source)), m_description(std::move(description))
    {
    }

    [[nodiscard]] int number() const noexcept { return m_number; }
    [[nodiscard]] const QString &source() const noexcept { return m_source; }
    [[nodiscard]] const QString &description() const noexcept { return m_description; }
    [[nodiscard]] const char *what() const noexcept override { return "QuorvaneError"; }

private:
    int m_number = 0;
    QString m_source;
    QString m_description;
};

} // namespace quorvane
