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

EntrySet::EntrySet(const QStringList &entries)
{
    for (const QString &entry : entries)
        add(entry);
}

void EntrySet::add(const QString &entry)
{
    m_exact.insert(entry);
    m_folded[entry.toCaseFolded()] << entry;
}

bool EntrySet::contains(const QString &text) const
{
    if (text.startsWith(QLatin1Char('/')))
        return m_exact.contains(text);
    const auto it = m_folded.constFind(text.toCaseFolded());
    return it != m_folded.cend() && isInList(text, *it);
}

int indexOfExact(const QString &text, const QStringList &entries)
{
    return int(entries.indexOf(text));
}

} // namespace quorvane
