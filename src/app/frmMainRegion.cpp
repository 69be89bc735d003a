// The region window: opened from the header band and by Ctrl+R, and the
// VOB it asks to open.
#include "app/frmMain.h"
#include "app/RealServices.h"
#include "graph/GraphView.h"
#include "region/CommandQueue.h"
#include "region/CoprocessRunner.h"
#include "region/frmRegion.h"
#include "vobs/VobListPanel.h"

#include <QAction>
#include <QLabel>
#include <QListWidget>
#include <QToolButton>

namespace quorvane {

QWidget *frmMain::regionButton(QWidget *parent)
{
    // On the window, not in a menu: the menus stay as administrators know them.
    auto *show = new QAction(QStringLiteral("Region"), this);
    show->setObjectName(QStringLiteral("regionAction"));
    show->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_R));
    show->setShortcutContext(Qt::WindowShortcut);
    show->setToolTip(QStringLiteral("Every replicated VOB family's health, worst first (Ctrl+R)"));
    addAction(show);
    connect(show, &QAction::triggered, this, &frmMain::showRegion);

    auto *button = new QToolButton(parent);
    button->setObjectName(QStringLiteral("regionBut"));
    button->setDefaultAction(show);
    button->setToolButtonStyle(Qt::ToolButtonTextOnly);
    button->setFocusPolicy(Qt::NoFocus);
    return button;
}

void frmMain::showRegion()
{
    if (!m_regionForm) {
        // Fakes given instead of the real services: the programs on PATH.
        m_regionProcesses = m_ownedServices ? std::make_unique<ProcessRunner>(m_ownedServices->clearCaseDir(),
                                                                              m_ownedServices->perlPath())
                                            : std::make_unique<ProcessRunner>();
        m_regionRunner = std::make_unique<CoprocessRunner>(
            *m_regionProcesses, m_regionProcesses->programPath(QStringLiteral("cleartool")),
            m_regionProcesses->environment(), CommandQueue::Limits{}.local);
        m_regionForm = new frmRegion(*m_services.clearTool, *m_regionRunner, m_services.scriptPath, this);
        connect(m_regionForm, &frmRegion::openVob, this, &frmMain::openVobFromRegion);
        // The first opening is the question itself.
        m_regionForm->surveyOrCancel();
    }
    m_regionForm->show();
    m_regionForm->raise();
    m_regionForm->activateWindow();
}

void frmMain::openVobFromRegion(const QString &tag)
{
    // The list's entry is what every part reads as the open VOB, so the
    // VOB is chosen there; one the last load did not list is added.
    QListWidget *list = m_vobList->list();
    QListWidgetItem *item = nullptr;
    for (int i = 0; i < list->count() && !item; ++i) {
        if (list->item(i)->text() == tag)
            item = list->item(i);
    }
    if (!item) {
        list->addItem(tag);
        item = list->findItems(tag, Qt::MatchExactly | Qt::MatchCaseSensitive).value(0);
        // The empty list's message would lie over the graph drawn next.
        m_graph->pictMsgLbl()->hide();
    }
    if (!item)
        return;
    list->setCurrentItem(item);
    raise();
    activateWindow();
    pVobViewListDblClick();
}

} // namespace quorvane
