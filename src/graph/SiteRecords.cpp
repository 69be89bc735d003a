#include "graph/SiteRecords.h"

#include "graph/SiteLayout.h"

namespace quorvane {

SiteRecords makeSiteRecords(const QStringList &fields, int dataPerSite, int last, qint32 &siteCount)
{
    ListedSites listed = groupSiteFields(fields, dataPerSite, last);
    SiteRecords records;
    records.sites.reserve(listed.sites.size());
    for (ListedSite &site : listed.sites) {
        siteCount = nextSiteCount(siteCount);
        mSite record;
        record.replicaName = std::move(site.name);
        record.dateCreated = std::move(site.dateCreated);
        record.replicaHost = std::move(site.replicaHost);
        record.master = std::move(site.master);
        record.id = siteCount;
        record.lineColor = assignColor(siteCount);
        records.sites.append(std::move(record));
    }
    records.error = std::move(listed.error);
    return records;
}

} // namespace quorvane
