// The replica listing as the graph takes it: fields split at every comma,
// grouped four to a site (name, creation date, host, master), placed and
// joined by mastership lines. Whatever the listing holds, every line joins
// two sites that exist, and every marker's tooltip reads back as a prompt.
#include "FuzzInput.h"
#include "graph/Mastership.h"
#include "graph/SiteLayout.h"
#include "common/Twips.h"

#include <algorithm>

using namespace quorvane;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QString listing = fuzz::text(data, size);
    const QStringList fields = listing.isEmpty() ? QStringList() : listing.split(QLatin1Char(','));
    const ListedSites listed = groupSiteFields(fields, 4, int(fields.size()) - 1);
    // Four to a site, only fields before the first name belong nowhere.
    fuzz::require(listed.error.has_value() == (fields.size() > 1 && fields[0].isEmpty()));
    fuzz::require(!listed.error || listed.error->number() == ErrNo::ObjectNotSet);
    QList<mSite> sites;
    int widest = 0;
    for (const ListedSite &listedSite : listed.sites) {
        fuzz::require(!listedSite.name.isEmpty());
        mSite site;
        site.replicaName = listedSite.name;
        site.master = listedSite.master;
        site.id = qint32(sites.size() + 1);
        site.lineColor = assignColor(site.id);
        sites << site;
        widest = std::max(widest, SiteLayout::labelWidth(site.replicaName));
    }
    // Other field counts per site (the first byte chooses): never more
    // sites than groups.
    const int perSite = size > 0 ? data[0] % 8 : 4;
    const ListedSites other = groupSiteFields(fields, perSite, int(fields.size()) - 1);
    if (perSite < 1)
        fuzz::require(fields.isEmpty() ? !other.error : other.error->number() == ErrNo::DivisionByZero);
    else
        fuzz::require(other.sites.size() <= (fields.size() + perSite - 1) / perSite);
    fuzz::require(widest >= 0 && widest <= Twips::maxTextWidth);
    const QList<QPoint> places = SiteLayout::placeSites(int(sites.size()), widest);
    fuzz::require(places.size() == sites.size());
    QList<QRect> icons;
    for (const QPoint &p : places)
        icons << QRect(p, QSize(480, 480));

    const MastershipPicture picture = computeMastership(sites, icons);
    fuzz::require(picture.markers.size() == sites.size());
    for (const SiteLine &line : picture.lines) {
        fuzz::require(line.master >= 1 && line.master <= sites.size());
        fuzz::require(line.mastered >= 1 && line.mastered <= sites.size());
        fuzz::require(mastersReplica(sites[line.master - 1].replicaName, sites[line.mastered - 1].master));
    }
    for (qsizetype k = 0; k < picture.markers.size(); ++k) {
        if (picture.markers[k])
            (void)mastershipPrompt(sites[k].replicaName, markerToolTip(*picture.markers[k]));
    }
    return 0;
}
