#include "replicas/EpochCells.h"

#include <algorithm>

namespace quorvane::EpochCells {

bool isUnknown(const QString &text)
{
    return text == QLatin1String("?");
}

QStringList unknownRows(const QList<QStringList> &lines)
{
    QStringList names;
    for (const QStringList &fields : lines) {
        if (fields.size() > 1 && std::all_of(fields.cbegin() + 1, fields.cend(), isUnknown))
            names << fields.first();
    }
    return names;
}

QString unreachableNote()
{
    return QStringLiteral("Cannot be reached: its host could not be asked or did not answer in time, so its actual "
                          "row is unknown (\"?\").");
}

} // namespace quorvane::EpochCells
