// The replica listing as the graph takes it: fields split at every comma,
// four to a site (name, creation date, host, master), placed and joined by
// mastership lines. Whatever the listing holds, every line joins two sites
// that exist, and every marker's tooltip reads back as a prompt.
#include "FuzzInput.h"
#include "graph/Mastership.h"
#include "graph/SiteLayout.h"
#include "ui/Twips.h"

#include <algorithm>

using namespace quorvane;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QString listing = fuzz::text(data, size);
    const QStringList fields = listing.isEmpty() ? QStringList() : listing.split(QLatin1Char(','));
    QList<mSite> sites;
    int widest = 0;
    for (qsizetype i = 0; i < fields.size(); ++i) {
        const qsizetype rest = i % 4;
        if (rest == 0 && !fields[i].isEmpty()) {
            mSite site;
            site.replicaName = fields[i];
            site.id = qint32(sites.size() + 1);
            site.lineColor = assignColor(site.id);
            sites << site;
            widest = std::max(widest, SiteLayout::labelWidth(fields[i]));
        } else if (rest == 3 && !sites.isEmpty()) {
            sites.last().master = fields[i];
        }
    }
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
