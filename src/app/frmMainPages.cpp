// Assembly of the main window's pages from the subsystems' widgets, and the
// handlers that join them.
#include "app/frmMain.h"

#include "ui/NameWidgets.h"

#include "graph/GraphView.h"
#include "graph/SiteLayout.h"
#include "info/frmAbout.h"
#include "info/frmGettingHelp.h"
#include "maintenance/FixFrame.h"
#include "maintenance/MaintenanceNames.h"
#include "maintenance/ReplicaFieldsPanel.h"
#include "maintenance/ReplicaInfoPanel.h"
#include "maintenance/SiteDetail.h"
#include "replicas/DiagnosisPanel.h"
#include "replicas/EpochMatrixView.h"
#include "replicas/PacketPanel.h"
#include "replicas/ReplicaDetailLoader.h"
#include "vobs/VobListPanel.h"

#include <QComboBox>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QScrollArea>
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
    QWidget *visual = m_pageContent[0];
    // The picture sits in a thin card so that its white stands out from the
    // page. It takes the room the page has, and scrolls where its sites
    // need more (rows beyond the sixth, icons dragged far).
    auto *graphCard = new QFrame(visual);
    graphCard->setObjectName(QStringLiteral("graphCard"));
    auto *graphScroll = new QScrollArea(graphCard);
    graphScroll->setObjectName(QStringLiteral("vGraphScroll"));
    graphScroll->setFrameShape(QFrame::NoFrame);
    graphScroll->setWidgetResizable(true);
    graphScroll->setFocusPolicy(Qt::NoFocus);
    m_graph = new GraphView(*this);
    graphScroll->setWidget(m_graph);
    graphScroll->setMinimumSize(m_graph->sizeHint().boundedTo(QSize(220, 160)));
    auto *cardLayout = new QVBoxLayout(graphCard);
    cardLayout->setContentsMargins(1, 1, 1, 1);
    cardLayout->addWidget(graphScroll);
    m_replicaFields = new ReplicaFieldsPanel(*m_services.clearTool, *this, vobTag, visual);
    auto *graphColumn = new QVBoxLayout;
    graphColumn->setContentsMargins(0, 0, 0, 0);
    graphColumn->addSpacing(24); // the picture's 360 twips below the page's top
    graphColumn->addWidget(graphCard, 1);
    auto *visualLayout = new QHBoxLayout(visual);
    visualLayout->setContentsMargins(12, 0, 14, 10);
    visualLayout->addLayout(graphColumn, 1);
    visualLayout->addSpacing(18);
    visualLayout->addWidget(m_replicaFields, 0, Qt::AlignTop);
    m_vobList->setPictMsgLabel(m_graph->pictMsgLbl());
    m_siteDetail = std::make_unique<SiteDetail>(*m_graph, *m_replicaFields, *this, [this] {
        return m_loader ? m_loader->openedVob().sites : QList<mSite>();
    });
    connect(m_graph, &GraphView::siteDoubleClicked, this,
            [this](int index) { m_siteDetail->siteImageDblClick(index); });

    // "Detail": the replica choice with its dates, the two epoch matrices and
    // the fix/synchronize frame.
    QWidget *detail = m_pageContent[1];
    m_replicaInfo = new ReplicaInfoPanel(*m_services.clearTool, *m_services.shell, *this,
                                         m_services.scriptPath, vobTag, detail);
    m_replicaInfo->setLongActionGuard(&m_guard);
    m_epochView = new EpochMatrixView(*this, [this] { return m_vobList->list()->count() > 0; }, detail);
    // Made before the fix frame: Tab reaches the findings before the
    // actions they lead to, as they stand on the page.
    m_diagnosis = new DiagnosisPanel(detail);
    m_packets = new PacketPanel(detail);
    m_fixFrame = new FixFrame(
        *m_services.shell, *this, m_guard, vobTag, [this] { m_replicaInfo->showReplicaInfo(); },
        [this] { loadReplicaDetail(); }, detail);
    connect(m_diagnosis, &DiagnosisPanel::repairChosen, m_fixFrame, &FixFrame::preselect);
    // Which VOB the page shows: the list's selection may have moved since.
    m_detailVobLbl = new QLabel(detail);
    m_detailVobLbl->setObjectName(QStringLiteral("dVobLbl"));
    QFont bold = m_detailVobLbl->font();
    bold.setBold(true);
    m_detailVobLbl->setFont(bold);
    m_detailVobLbl->setTextFormat(Qt::PlainText);
    m_detailVobLbl->setTextInteractionFlags(Qt::TextSelectableByMouse);
    showOpenedVob();
    auto *detailLayout = new QVBoxLayout(detail);
    detailLayout->setContentsMargins(10, 8, 10, 8);
    detailLayout->addWidget(m_detailVobLbl);
    detailLayout->addWidget(m_replicaInfo);
    detailLayout->addWidget(m_epochView, 1);
    // Where the page must scroll, the matrices keep room for a few rows
    // rather than shrink to their headings.
    m_epochView->setMinimumHeight(m_epochView->fontMetrics().lineSpacing() * 9);
    // The findings are sentences: the whole width under the matrices, read
    // before the actions they lead to.
    detailLayout->addWidget(m_diagnosis);
    // What the findings about packets rest on, under them.
    detailLayout->addWidget(m_packets);
    detailLayout->addWidget(m_fixFrame, 0, Qt::AlignLeft);

    // Reading order: the VOB list's column, the tab strip, then the page
    // shown; every page already orders its own controls.
    setTabOrder(m_vobList->list(), m_mainTabStrip);

    m_loader = std::make_unique<ReplicaDetailLoader>(
        *m_services.clearTool, *m_services.shell, *this, m_services.workDir, m_services.scriptPath,
        ReplicaDetailLoader::Controls{m_vobList, m_graph, m_epochView, m_mainTabStrip,
                                      [this] { resetReplicaCombos(); },
                                      [this](const OpenedVob &vob) { showReplicas(vob); }});
    m_loader->setDiagnosis(m_diagnosis);
    m_loader->setPackets(m_packets);
    m_loader->setCommandLog(m_commandLog.get());
    m_fixFrame->setCommandEnded(
        [this](const QString &line, const ShellResult &result) { m_loader->noteCommand(line, result); });
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
    showOpenedVob();
}

void frmMain::showOpenedVob()
{
    const QString tag = m_loader ? m_loader->openedVobTag() : QString();
    m_detailVobLbl->setText(tag.isEmpty() ? QStringLiteral("No VOB open") : QStringLiteral("VOB:") + tag);
}

void frmMain::showReplicas(const OpenedVob &vob)
{
    QLabel *vobLbl = m_replicaFields->selectedVobLabel();
    NameWidgets::setCaptionAndName(vobLbl, QStringLiteral("VOB:"), vob.tag);
    vobLbl->show();
    QComboBox *replicas = m_replicaInfo->replicaCombo();
    QStringList held;
    for (int i = 0; i < replicas->count(); ++i)
        held << replicas->itemText(i);
    const ReplicaListEntries entries = replicaListEntries(vob.replicaNames(), vob.localReplica, held);
    replicas->addItems(entries.replicaCombo);
    replicas->setCurrentIndex(0);
    m_fixFrame->setSiblingReplicas(entries.fixCombos);
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
