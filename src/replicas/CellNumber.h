#pragma once

#include <QString>

namespace quorvane::CellNumber {

// The number conversion of a matrix cell's value edit, and nothing else: it
// only decides what the edited cell shows, never what reaches ClearCase
// (that is maintenance/EpochValue's stricter rule).
// Converts a typed cell value to a signed 32-bit whole number: blanks and
// tabs around it are ignored; an optional sign, decimal digits with an
// optional fraction and an optional exponent are accepted; a fraction is
// taken to the nearest whole number, a tie to the even one (7.6 -> 8,
// 2.5 -> 2, 3.5 -> 4). The arithmetic is exact on the decimal text.
// Throws QuorvaneError with ErrNo::TypeMismatch ("Type mismatch") for a text
// that is not a number and ErrNo::Overflow ("Overflow") for a number outside
// the 32-bit range.
qint32 toLong(const QString &text);

} // namespace quorvane::CellNumber
