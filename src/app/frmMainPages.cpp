// Assembly of the main window's pages from the subsystems' widgets, and the
// handlers that join them.
#include "app/frmMain.h"

#include "graph/GraphView.h"
#include "info/frmAbout.h"
#include "info/frmGettingHelp.h"
#include "maintenance/FixFrame.h"
#include "maintenance/MaintenanceNames.h"
#include "maintenance/ReplicaFieldsPanel.h"
#include "maintenance/ReplicaInfoPanel.h"
#include "maintenance/SiteDetail.h"
#include "replicas/DiagnosisPanel.h"
#include "replicas/EpochMatrixView.h"
#include "replicas/ReplicaDetailLoader.h"
#include "vobs/VobListPanel.h"

#include <QComboBox>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QVBoxLayout>

namespace quorvane {

void frmMain::buildPages()
{
    auto vobTag = [this] { return selectedVobTag(); };

    // Left: the VOB list.
    m_vobList = new VobListPanel(*m_services.clearTool, *this, m_guard, centralWidget());
    m_leftColumn->addWidget(m_vobList, 1);
    connect(m_vobList, &VobListPanel::vobDoubleClicked, this, &frmMain::pVobViewListDblClick);

    // "Visual": the replica graph and, beside it, the chosen site's fields.
    QFrame *visual = m_pages[0];
    // The picture sits in a thin card so that its white stands out from the page.
    auto *graphCard = new QFrame(visual);
    graphCard->setObjectName(QStringLiteral("graphCard"));
    m_graph = new GraphView(*this, graphCard);
    auto *cardLayout = new QVBoxLayout(graphCard);
    cardLayout->setContentsMargins(1, 1, 1, 1);
    cardLayout->addWidget(m_graph);
    m_replicaFields = new ReplicaFieldsPanel(*m_services.clearTool, *this, vobTag, visual);
    auto *graphColumn = new QVBoxLayout;
    graphColumn->setContentsMargins(0, 0, 0, 0);
    graphColumn->addSpacing(24); // the picture's 360 twips below the page's top
    graphColumn->addWidget(graphCard, 0, Qt::AlignLeft | Qt::AlignTop);
    graphColumn->addStretch(1);
    auto *visualLayout = new QHBoxLayout(visual);
    visualLayout->setContentsMargins(12, 0, 14, 10);
    visualLayout->addLayout(graphColumn, 0);
    visualLayout->addSpacing(18);
    visualLayout->addWidget(m_replicaFields, 1, Qt::AlignTop);
    m_vobList->setPictMsgLabel(m_graph->pictMsgLbl());
    m_siteDetail = std::make_unique<SiteDetail>(*m_graph, *m_replicaFields, *this);
    connect(m_graph, &GraphView::siteDoubleClicked, this,
            [this](int index) { m_siteDetail->siteImageDblClick(index); });

    // "Detail": the replica choice with its dates, the two epoch matrices and
    // the fix/synchronize frame.
    QFrame *detail = m_pages[1];
    m_replicaInfo = new ReplicaInfoPanel(*m_services.clearTool, *m_services.shell, *this,
                                         m_services.scriptPath, vobTag, detail);
    m_replicaInfo->setLongActionGuard(&m_guard);
    m_epochView = new EpochMatrixView(*this, [this] { return m_vobList->list()->count() > 0; }, detail);
    m_fixFrame = new FixFrame(
        *m_services.shell, *this, m_guard, vobTag, [this] { m_replicaInfo->showReplicaInfo(); },
        [this] { loadReplicaDetail(); }, detail);
    m_epochView->setCommandLog(m_commandLog.get());
    m_diagnosis = new DiagnosisPanel(detail);
    connect(m_diagnosis, &DiagnosisPanel::repairChosen, m_fixFrame, &FixFrame::preselect);
    auto *detailLayout = new QVBoxLayout(detail);
    detailLayout->setContentsMargins(10, 8, 10, 8);
    detailLayout->addWidget(m_replicaInfo);
    detailLayout->addWidget(m_epochView, 1);
    // The findings stand beside the actions they lead to, under the
    // matrices, so that the matrices keep the page's height.
    auto *actions = new QHBoxLayout;
    actions->setSpacing(14);
    actions->addWidget(m_fixFrame, 0);
    actions->addWidget(m_diagnosis, 1);
    // Findings are sentences: give them a readable measure beside the frame.
    m_diagnosis->setMinimumWidth(m_diagnosis->fontMetrics().averageCharWidth() * 40);
    detailLayout->addLayout(actions);

    m_graph->setReplicaCombos(m_replicaInfo->replicaCombo(), m_fixFrame->fixCombo(), m_fixFrame->exportCombo());

    // Reading order: the VOB list's column, the tab strip, then the page
    // shown; every page already orders its own controls.
    setTabOrder(m_vobList->list(), m_mainTabStrip);

    m_loader = std::make_unique<ReplicaDetailLoader>(
        *m_services.clearTool, *m_services.shell, *this, m_services.workDir, m_services.scriptPath,
        ReplicaDetailLoader::Controls{m_vobList, m_graph, m_epochView, m_replicaFields, m_mainTabStrip,
                                      [this] { resetReplicaCombos(); }});
    m_loader->setDiagnosis(m_diagnosis);
    m_loader->setOtherVobOpened([this] {
        m_replicaFields->resetFields();
        m_replicaInfo->resetDates();
        // What the last action ran was done to the VOB shown before.
        m_fixFrame->resultLabel()->clear();
    });
    m_fixFrame->setShownVobTag([this] { return m_loader->openedVobTag(); });
}

QString frmMain::selectedVobTag() const
{
    return m_vobList->selectedVobTag();
}

void frmMain::pVobViewListDblClick()
{
    const auto scope = m_guard.tryEnter();
    if (!scope)
        return;
    loadReplicaDetail();
}

void frmMain::loadReplicaDetail()
{
    m_loader->loadReplicaDetail();
}

void frmMain::resetReplicaCombos()
{
    QComboBox *replicas = m_replicaInfo->replicaCombo();
    replicas->clear();
    replicas->addItem(Maintenance::selectReplica());
    replicas->setCurrentIndex(0);
    m_fixFrame->setSiblingReplicas({});
}

void frmMain::showAbout()
{
    frmAbout about(this);
    about.exec();
}

void frmMain::showGettingHelp()
{
    frmGettingHelp help(this);
    help.exec();
}

} // namespace quorvane
