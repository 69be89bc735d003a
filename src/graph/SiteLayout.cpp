#include "graph/SiteLayout.h"

#include "common/AppInfo.h"
#include "common/Twips.h"
#include "vobs/IsInList.h"

#include <limits>

namespace quorvane {

OleColor assignColor(qint64 color)
{
    static constexpr OleColor table[5] = {
        rgbColor(0, 0, 0),     // black
        rgbColor(0, 0, 128),   // blue
        rgbColor(0, 128, 0),   // green
        rgbColor(0, 128, 128), // cyan
        rgbColor(128, 0, 0),   // red
    };
    const qint64 rest = ((color % 5) + 5) % 5;
    return table[rest];
}

qint32 nextSiteCount(qint32 count)
{
    constexpr qint32 top = std::numeric_limits<qint32>::max();
    if (count < top)
        return count + 1;
    // top + 1 would be congruent to this modulo 5: the colours go on unbroken.
    const qint32 restart = qint32((qint64(top) + 1) % 5);
    return restart == 0 ? 5 : restart;
}

namespace SiteLayout {

QList<QPoint> placeSites(int count, int columnWidth)
{
    QList<QPoint> places;
    places.reserve(qMax(count, 0));
    int x = firstLeft;
    int y = firstTop;
    int col = 0;
    for (int k = 1; k <= count; ++k) {
        ++col;
        if (col > 1)
            x += columnWidth + columnGap;
        places.append(QPoint(x, y));
        if (col % sitesPerRow == 0) {
            // Rows go on downwards; a row's top stays within int for any
            // count of sites a list can hold.
            y = y > std::numeric_limits<int>::max() - rowPitch ? y : y + rowPitch;
            x = firstLeft;
            col = 0;
        }
    }
    return places;
}

int neighbour(const QList<QRect> &icons, int from, Direction direction)
{
    if (from < 0 || from >= icons.size())
        return from;
    const QPoint here = icons.at(from).center();
    int best = from;
    qint64 bestScore = 0;
    for (int i = 0; i < icons.size(); ++i) {
        const QPoint there = icons.at(i).center();
        const qint64 dx = qint64(there.x()) - here.x();
        const qint64 dy = qint64(there.y()) - here.y();
        qint64 along = 0;
        qint64 across = 0;
        switch (direction) {
        case Direction::Left: along = -dx; across = dy; break;
        case Direction::Right: along = dx; across = dy; break;
        case Direction::Up: along = -dy; across = dx; break;
        case Direction::Down: along = dy; across = dx; break;
        }
        if (i == from || along <= 0)
            continue;
        const qint64 score = along + 2 * (across < 0 ? -across : across);
        if (best == from || score < bestScore) {
            best = i;
            bestScore = score;
        }
    }
    return best;
}

QPoint labelPos(const QRect &icon)
{
    return QPoint(icon.left(), icon.top() + icon.height() + labelGapBelowIcon);
}

QPoint markerPos(const QRect &icon)
{
    return QPoint(icon.left() + icon.width() + markerGapRightOfIcon, icon.top() + markerDropFromIconTop);
}

int labelWidth(const QString &name)
{
    return Twips::textWidth(name.size(), labelTwipsPerChar);
}

} // namespace SiteLayout

ListedSites groupSiteFields(const QStringList &fields, int dataPerSite, int last)
{
    ListedSites listed;
    const auto fail = [&](int number, const QString &description) {
        listed.error = QuorvaneError(number, AppInfo::title(), description);
        return listed;
    };
    for (int i = 0; i <= last; ++i) {
        if (dataPerSite < 1)
            return fail(ErrNo::DivisionByZero, QStringLiteral("Division by zero: %1 fields per replica").arg(dataPerSite));
        if (i >= fields.size())
            return fail(ErrNo::SubscriptOutOfRange,
                        QStringLiteral("Subscript out of range: the replica list has no field %1").arg(i));
        const QString &field = fields.at(i);
        const int rest = i % dataPerSite;
        if (rest == 0 && !field.isEmpty()) {
            listed.sites.append(ListedSite{field, {}, {}, {}});
            continue;
        }
        if (rest < 1 || rest > 3)
            continue;
        if (listed.sites.isEmpty())
            return fail(ErrNo::ObjectNotSet, QStringLiteral("Replica list field %1 (\"%2\") follows an empty replica "
                                                            "name and belongs to no replica")
                                                 .arg(i)
                                                 .arg(field));
        ListedSite &site = listed.sites.last();
        (rest == 1 ? site.dateCreated : rest == 2 ? site.replicaHost : site.master) = field;
    }
    return listed;
}

ComboAdditions comboAdditions(const QString &name, const EntrySet &replicaComboEntries,
                              const QString &myReplicaName)
{
    ComboAdditions add;
    if (replicaComboEntries.contains(name))
        return add;
    add.replicaCombo = true;
    add.fixCombos = name != myReplicaName;
    return add;
}

ReplicaListEntries replicaListEntries(const QStringList &names, const QString &myReplicaName,
                                      const QStringList &held)
{
    // Looked up once per name: a list read back for each would cost N squared.
    EntrySet inReplicaCombo(held);
    ReplicaListEntries entries;
    for (const QString &name : names) {
        const ComboAdditions add = comboAdditions(name, inReplicaCombo, myReplicaName);
        if (add.replicaCombo) {
            entries.replicaCombo << name;
            inReplicaCombo.add(name);
        }
        if (add.fixCombos)
            entries.fixCombos << name;
    }
    return entries;
}

} // namespace quorvane
