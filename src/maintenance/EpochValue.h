#pragma once

#include <QString>

#include <optional>

namespace quorvane {

// The largest value multitool chepoch takes for an epoch entry.
inline constexpr qint64 maxEpochValue = 2147483647;

// Reads an epoch number typed by the user: blanks around it are dropped;
// what is left must be plain decimal digits, leading zeros allowed (no
// sign, no blanks or other characters inside), with a value from 0 to
// maxEpochValue. Anything else gives no value, so that typed text never
// reaches a command line as extra arguments.
[[nodiscard]] std::optional<qint64> parseEpochValue(const QString &text);

} // namespace quorvane
