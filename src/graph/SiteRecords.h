#pragma once

#include "common/QuorvaneError.h"
#include "graph/mSite.h"

#include <QList>
#include <QStringList>

#include <optional>

namespace quorvane {

// The site records of a replica listing (groupSiteFields' groups of
// dataPerSite fields in fields[0..last]), in the listing's order. Each
// record takes the next value of the site counter as its id and the colour
// of that number; the counter is the caller's, since it runs on across
// loads for as long as the window lives. Where the listing cannot be
// grouped, error says why and the records made before that point stand.
struct SiteRecords {
    QList<mSite> sites;
    std::optional<QuorvaneError> error;
};
SiteRecords makeSiteRecords(const QStringList &fields, int dataPerSite, int last, qint32 &siteCount);

} // namespace quorvane
