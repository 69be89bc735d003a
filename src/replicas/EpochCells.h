#pragma once

#include <QList>
#include <QString>
#include <QStringList>

namespace quorvane::EpochCells {

// What a matrix cell's text means beyond its value, for drawing and for
// the headers' tooltips.

// The replica script's mark for a value it could not learn.
[[nodiscard]] bool isUnknown(const QString &text);

// Of a results file's accepted lines (name, values...), the names of those
// whose every value is unknown, in order: in the actual matrix, replicas
// whose host could not be asked or did not answer.
[[nodiscard]] QStringList unknownRows(const QList<QStringList> &lines);

// What the header of such a replica adds to its name in the actual matrix.
[[nodiscard]] QString unreachableNote();

} // namespace quorvane::EpochCells
