#pragma once

#include "common/Colors.h"
#include "common/QuorvaneError.h"
#include "vobs/IsInList.h"

#include <QList>
#include <QPoint>
#include <QRect>
#include <QString>
#include <QStringList>

#include <optional>

namespace quorvane {

// The site colour for a running number: the first five colours of the
// classic 16-colour PC palette, chosen by the number modulo 5 (black, blue,
// green, cyan, red). Defined for every int, negative ones included.
OleColor assignColor(qint64 color);

// The site counter after one more site: one up, except that at the top of
// the 32-bit range it starts again at the smallest positive number that
// keeps the colour sequence going, so it never overflows.
qint32 nextSiteCount(qint32 count);

// Placement of the site controls on the graph picture, all in twips.
namespace SiteLayout {

inline constexpr int firstLeft = 300;
inline constexpr int firstTop = 200;
inline constexpr int columnGap = 500;
inline constexpr int rowPitch = 1000;
inline constexpr int sitesPerRow = 6;
inline constexpr int labelGapBelowIcon = 10;
inline constexpr int markerGapRightOfIcon = 5;
inline constexpr int markerDropFromIconTop = 20;
inline constexpr int labelTwipsPerChar = 80;

// Top-left corners of the icons of sites 1..count (list index 0 is site 1)
// on six columns of pitch columnWidth + 500 and rows of pitch 1000. Every
// site has a place of its own: site 37 starts a seventh row below the
// sixth rather than cover site 1.
QList<QPoint> placeSites(int count, int columnWidth);

// The site the arrow keys move to from site `from` (0-based) among the
// icons given: the nearest whose centre lies in that direction, a step
// across the direction counting double. `from` itself when there is none.
enum class Direction { Left, Right, Up, Down };
int neighbour(const QList<QRect> &icons, int from, Direction direction);

// Where the name label and the marker of a site stand, given its icon.
QPoint labelPos(const QRect &icon);
QPoint markerPos(const QRect &icon);

// Width of a site's name label: 80 twips per character of the name.
int labelWidth(const QString &name);

} // namespace SiteLayout

// The sites of a replica listing: every group of dataPerSite fields in
// fields[0..last] whose first field (the name) is not empty makes a site,
// and the group's next three fields are its creation date, host and master.
// The fields of a group with an empty name go to the site before it. Where
// the fields cannot be grouped, error says why; the sites before that
// point, as far as their fields were read, are still listed.
struct ListedSite {
    QString name;
    QString dateCreated;
    QString replicaHost;
    QString master;
};
struct ListedSites {
    QList<ListedSite> sites;
    std::optional<QuorvaneError> error;
};
ListedSites groupSiteFields(const QStringList &fields, int dataPerSite, int last);

// Which replica lists a new site name goes into. A name that the replica
// list already holds (in any letter case) goes nowhere; otherwise it goes
// into the replica list, and into the two fix lists unless it is exactly
// the replica at this site (which cannot fix its own epoch entry).
struct ComboAdditions {
    bool replicaCombo = false;
    bool fixCombos = false;
};
ComboAdditions comboAdditions(const QString &name, const EntrySet &replicaComboEntries,
                              const QString &myReplicaName);

// What the replica list and the two fix lists take, in order, after the
// entries they hold already (`held`, "<select_replica>"), for the VOB's
// replicas as lsreplica listed them.
struct ReplicaListEntries {
    QStringList replicaCombo;
    QStringList fixCombos;
};
ReplicaListEntries replicaListEntries(const QStringList &names, const QString &myReplicaName,
                                      const QStringList &held);

} // namespace quorvane
