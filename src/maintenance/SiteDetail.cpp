#include "maintenance/SiteDetail.h"

#include "graph/GraphView.h"
#include "maintenance/ReplicaFieldsPanel.h"
#include "common/ErrorBoxes.h"
#include "common/Feedback.h"
#include "common/QuorvaneError.h"

namespace quorvane {

SiteDetail::SiteDetail(GraphView &graph, ReplicaFieldsPanel &fields, Feedback &feedback)
    : m_graph(graph), m_fields(fields), m_feedback(feedback)
{
}

void SiteDetail::siteImageDblClick(int index)
{
    try {
        const mSite &rec = m_graph.site(index);
        m_fields.showSite(rec.replicaName, rec.replicaHost, rec.master, rec.dateCreated,
                          [this, index] { m_graph.highlightSite(index); });
    } catch (const QuorvaneError &e) {
        m_feedback.setHourglass(false);
        showBox(m_feedback.dialogs(), ErrorBoxes::standard(e.description(), MsgIcon::Stop));
    }
}

} // namespace quorvane
