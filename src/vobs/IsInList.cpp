#include "vobs/IsInList.h"

namespace quorvane {

bool isInList(const QString &text, const QStringList &entries)
{
    const Qt::CaseSensitivity cs =
        text.startsWith(QLatin1Char('/')) ? Qt::CaseSensitive : Qt::CaseInsensitive;
    for (const QString &entry : entries) {
        if (QString::compare(entry, text, cs) == 0)
            return true;
    }
    return false;
}

int indexOfExact(const QString &text, const QStringList &entries)
{
    return int(entries.indexOf(text));
}

} // namespace quorvane
