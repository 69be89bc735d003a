#pragma once

#include "graph/mSite.h"

#include <QLineF>
#include <QList>
#include <QRect>
#include <QString>

#include <optional>

namespace quorvane {

// Whether the site named siteName masters the replica whose master text is
// masterText. ClearCase prints a replica's master as "name@VOB-tag", so the
// text must be the name itself or the name followed by "@"; a name that is
// merely contained (site1 in "site10@/vobs/x") does not count. Letter case
// matters, as in ClearCase's own output.
bool mastersReplica(const QString &siteName, const QString &masterText);

// A line from a master site's icon centre to the icon centre of a site it
// masters, in twips, in the master's colour. Positions count from 1.
struct SiteLine {
    int master = 0;
    int mastered = 0;
    QLineF line;
    OleColor color = 0;

    friend bool operator==(const SiteLine &, const SiteLine &) = default;
};

// What the graph shows for its sites: the lines, and per site (list index 0
// is site 1) either no marker or a marker whose list names the other
// replicas the site masters, each preceded by a comma.
struct MastershipPicture {
    QList<SiteLine> lines;
    QList<std::optional<QString>> markers;
};

// Centre of an icon: (left + width / 2, top + height / 2).
QPointF iconCentre(const QRect &icon);

// The mastership picture of sites 1..n where n is the smaller of the two
// list sizes; icons[k - 1] is the current geometry of site k's icon. Lines
// are listed master by master, in site order, then by mastered site.
MastershipPicture computeMastership(const QList<mSite> &sites, const QList<QRect> &icons);

// "Master of replicas: " followed by the list.
QString markerToolTip(const QString &list);

// The prompt of the mastership message for a marker: the replica name,
// " is master of: ", CR LF, then CR LF and each name read back from the
// marker's tooltip. Empty when the tooltip lists no replica.
std::optional<QString> mastershipPrompt(const QString &replicaName, const QString &toolTip);

} // namespace quorvane
