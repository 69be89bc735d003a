#include "maintenance/SiteDetail.h"

#include "graph/GraphView.h"
#include "maintenance/ReplicaFieldsPanel.h"
#include "common/AppInfo.h"
#include "common/ErrorBoxes.h"
#include "common/Feedback.h"
#include "common/QuorvaneError.h"

namespace quorvane {

SiteDetail::SiteDetail(GraphView &graph, ReplicaFieldsPanel &fields, Feedback &feedback,
                       std::function<QList<mSite>()> sites)
    : m_graph(graph), m_fields(fields), m_feedback(feedback), m_sites(std::move(sites))
{
}

void SiteDetail::siteImageDblClick(int index)
{
    try {
        const QList<mSite> sites = m_sites ? m_sites() : QList<mSite>();
        if (index < 1 || index > sites.size())
            throw QuorvaneError(ErrNo::SubscriptOutOfRange, AppInfo::title(),
                                QStringLiteral("Subscript out of range: there is no site %1").arg(index));
        const mSite &rec = sites.at(index - 1);
        m_fields.showSite(rec.replicaName, rec.replicaHost, rec.master, rec.dateCreated,
                          [this, index] { m_graph.highlightSite(index); });
    } catch (const QuorvaneError &e) {
        m_feedback.setHourglass(false);
        showBox(m_feedback.dialogs(), ErrorBoxes::standard(e.description(), MsgIcon::Stop));
    }
}

} // namespace quorvane
