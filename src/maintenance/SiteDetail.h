#pragma once

#include "graph/mSite.h"

#include <QList>
#include <QtGlobal>

#include <functional>

namespace quorvane {

class Feedback;
class GraphView;
class ReplicaFieldsPanel;

// A double click on a site picture: the "Visual" page's six replica fields
// show that site's record and history dates, and the site alone is
// highlighted. The record comes from the opened VOB's sites, as the loader
// holds them (`sites`), not from the graph that shows them.
class SiteDetail final {
public:
    SiteDetail(GraphView &graph, ReplicaFieldsPanel &fields, Feedback &feedback,
               std::function<QList<mSite>()> sites);
    Q_DISABLE_COPY_MOVE(SiteDetail)

    // index: the site's position in the picture (1 for the first site).
    // Reports its own errors.
    void siteImageDblClick(int index);

private:
    GraphView &m_graph;
    ReplicaFieldsPanel &m_fields;
    Feedback &m_feedback;
    std::function<QList<mSite>()> m_sites;
};

} // namespace quorvane
