#pragma once

#include <QString>
#include <QStringList>

namespace quorvane {

// Whether some entry equals the text. Letter case is ignored (Windows VOB
// tags such as "\Proj" and replica names), except for UNIX VOB tags, which
// start with "/" and are case-sensitive: folding them would hide a real VOB.
bool isInList(const QString &text, const QStringList &entries);

// Index of the first entry equal to the text exactly, or -1.
int indexOfExact(const QString &text, const QStringList &entries);

} // namespace quorvane
