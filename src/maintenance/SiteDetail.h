#pragma once

#include <QtGlobal>

namespace quorvane {

class Feedback;
class GraphView;
class ReplicaFieldsPanel;

// A double click on a site picture: the "Visual" page's six replica fields
// show that site's record and history dates, and the site alone is
// highlighted.
class SiteDetail final {
public:
    SiteDetail(GraphView &graph, ReplicaFieldsPanel &fields, Feedback &feedback);
    Q_DISABLE_COPY_MOVE(SiteDetail)

    // index: the site's position in the picture (1 for the first site).
    // Reports its own errors.
    void siteImageDblClick(int index);

private:
    GraphView &m_graph;
    ReplicaFieldsPanel &m_fields;
    Feedback &m_feedback;
};

} // namespace quorvane
