#include "app/frmMain.h"
#include "ui/ScreenFit.h"

#include "region/CommandQueue.h"

#include "app/MainStyle.h"
#include "app/RealServices.h"
#include "ccase/ClearTool.h"
#include "ccase/CommandLog.h"
#include "ccase/CoprocessClearTool.h"
#include "ccase/Shell.h"
#include "maintenance/SiteDetail.h"
#include "replicas/ReplicaDetailLoader.h"
#include "graph/GraphView.h"
#include "common/AppInfo.h"
#include "common/ErrorBoxes.h"
#include "ui/EventPump.h"
#include "ui/InputGate.h"
#include "ui/Pictures.h"
#include "common/QuorvaneError.h"
#include "ui/frmCommandLog.h"
#include "ui/frmDetail.h"
#include "ui/frmWorking.h"

#include <QAction>
#include <QApplication>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeySequence>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QProgressBar>
#include <QScreen>
#include <QScrollArea>
#include <QSplitter>
#include <QStatusBar>
#include <QTabBar>
#include <QTimer>
#include <QVBoxLayout>


namespace quorvane {

frmMain *mainForm = nullptr;

frmMain::frmMain() : m_ownedServices(std::make_unique<RealServices>())
{
    m_services = m_ownedServices->services();
    buildWindow();
    m_ownedServices->setDialogParent(this);
    formLoad();
}

frmMain::frmMain(const Services &services) : m_services(services)
{
    buildWindow();
    formLoad();
}

frmMain::~frmMain()
{
    if (m_services.shell)
        m_services.shell->setWaitObserver({});
    if (m_services.clearTool)
        m_services.clearTool->setWaitObserver({});
    // The log's window goes before the log it shows.
    delete m_commandLogForm;
    if (mainForm == this)
        mainForm = nullptr;
}

void frmMain::buildWindow()
{
    installCommandLog();
    setObjectName(QStringLiteral("frmMain"));
    setWindowTitle(AppInfo::title());
    setWindowIcon(Pictures::appIcon());

    auto *central = new QWidget(this);
    central->setObjectName(QStringLiteral("centralArea"));
    setCentralWidget(central);

    m_headerLbl = new QLabel(central);
    m_headerLbl->setObjectName(QStringLiteral("headerLbl(0)"));
    QWidget *headerBand = buildHeaderBand(central, m_headerLbl);

    m_mainTabStrip = new QTabBar(central);
    m_mainTabStrip->setObjectName(QStringLiteral("mainTabStrip"));
    // Tab reaches the strip; its arrow keys and the window's page keys
    // (buildPageKeys) change the page.
    m_mainTabStrip->setFocusPolicy(Qt::TabFocus);
    m_mainTabStrip->setExpanding(false);
    const int visual = m_mainTabStrip->addTab(QStringLiteral("Visual"));
    m_mainTabStrip->setTabData(visual, QStringLiteral("visual"));
    m_mainTabStrip->setTabToolTip(visual, QStringLiteral("Visual illustration of multisite for VOB: "));
    const int detail = m_mainTabStrip->addTab(QStringLiteral("Detail"));
    m_mainTabStrip->setTabData(detail, QStringLiteral("detail"));
    m_mainTabStrip->setTabToolTip(detail, QStringLiteral("Replica Detail"));
    // Every change of the tab, by mouse, wheel or keyboard, goes through the
    // tab switch; a click on the tab already selected runs it again, so that
    // it can hide a "Detail" page that a newly opened VOB has no use for.
    connect(m_mainTabStrip, &QTabBar::currentChanged, this, [this](int index) {
        if (index >= 0)
            mainTabStripClick();
    });
    connect(m_mainTabStrip, &QTabBar::tabBarClicked, this, [this](int index) {
        if (index >= 0 && index == m_mainTabStrip->currentIndex())
            mainTabStripClick();
    });

    // Both pages share one place; only the tab switch decides which shows.
    auto *pageArea = new QFrame(central);
    pageArea->setObjectName(QStringLiteral("pageArea"));
    auto *pageGrid = new QGridLayout(pageArea);
    pageGrid->setContentsMargins(0, 0, 0, 0);
    for (int i = 0; i < 2; ++i) {
        m_pages[i] = new QFrame(pageArea);
        m_pages[i]->setObjectName(QStringLiteral("frameMainTabStrip(%1)").arg(i));
        m_pages[i]->setFrameShape(QFrame::StyledPanel);
        pageGrid->addWidget(m_pages[i], 0, 0);
        // A page scrolls where the window is smaller than what it holds (a
        // small screen, a large font), so that the window never has to grow
        // past the screen nor change its size with the page shown.
        auto *scroll = new QScrollArea(m_pages[i]);
        scroll->setObjectName(QStringLiteral("pageScroll(%1)").arg(i));
        scroll->setFrameShape(QFrame::NoFrame);
        scroll->setWidgetResizable(true);
        scroll->setFocusPolicy(Qt::NoFocus);
        m_pageContent[i] = new QWidget;
        m_pageContent[i]->setObjectName(QStringLiteral("pageContent(%1)").arg(i));
        scroll->setWidget(m_pageContent[i]);
        scroll->viewport()->setAutoFillBackground(false);
        m_pageContent[i]->setAutoFillBackground(false);
        auto *pageLayout = new QVBoxLayout(m_pages[i]);
        pageLayout->setContentsMargins(1, 1, 1, 1);
        pageLayout->addWidget(scroll);
    }
    m_pages[1]->hide();

    // The VOB list's column and the pages share the width through a
    // splitter: on a small screen or with a large font the list gives way.
    auto *splitter = new QSplitter(Qt::Horizontal, central);
    splitter->setObjectName(QStringLiteral("bodySplitter"));
    splitter->setChildrenCollapsible(false);
    splitter->setHandleWidth(10);
    auto *leftHolder = new QWidget(splitter);
    leftHolder->setObjectName(QStringLiteral("vobColumn"));
    m_leftColumn = new QVBoxLayout(leftHolder);
    m_leftColumn->setContentsMargins(0, 0, 0, 0);
    auto *rightHolder = new QWidget(splitter);
    rightHolder->setObjectName(QStringLiteral("pageColumn"));
    auto *right = new QVBoxLayout(rightHolder);
    right->setContentsMargins(0, 0, 0, 0);
    right->setSpacing(0);
    right->addWidget(m_mainTabStrip);
    right->addWidget(pageArea, 1);
    splitter->setStretchFactor(0, 0);
    splitter->setStretchFactor(1, 1);
    // The list starts as narrow as its controls allow; the pages take the rest.
    splitter->setSizes({1, 1000});
    auto *body = new QHBoxLayout;
    body->addWidget(splitter, 1);

    auto *outer = new QVBoxLayout(central);
    outer->setContentsMargins(0, 0, 0, 0);
    outer->setSpacing(0);
    outer->addWidget(headerBand);
    body->setContentsMargins(10, 10, 10, 8);
    body->setSpacing(10);
    outer->addLayout(body, 1);
    setStyleSheet(mainStyleSheet());

    buildMenus();
    buildPageKeys();
    buildStatusBar();
    buildPages();
    applyHeaderFonts();

    resize(firstSize());

    m_progBarTimer = new QTimer(this);
    m_progBarTimer->setObjectName(QStringLiteral("progBarTimer"));
    m_progBarTimer->setInterval(0);
    connect(m_progBarTimer, &QTimer::timeout, this, &frmMain::progBarTimerTick);
    m_framePacer = new FramePacer(this);
    m_framePacer->watch(this);
    m_framePacer->watch(statusBar());

    // The working dialog offers Cancel exactly while something that can be
    // stopped is waited for: a started process, or a cleartool command past
    // its quiet half second. Nothing else that runs long can be stopped safely.
    m_inputGate = new InputGate(this);
    if (m_services.shell) {
        m_services.shell->setWaitObserver(
            [this](bool waiting, const QString &commandLine) { waitChanged(false, waiting, commandLine); });
    }
    if (m_services.clearTool) {
        m_services.clearTool->setWaitObserver(
            [this](bool waiting, const QString &commandLine) { waitChanged(true, waiting, commandLine); });
    }
    // Esc anywhere in the window asks for Cancel while it is offered: the
    // working dialog never takes the keyboard.
    m_cancelWait = new QAction(this);
    m_cancelWait->setObjectName(QStringLiteral("actCancelWait"));
    m_cancelWait->setShortcutContext(Qt::WindowShortcut);
    connect(m_cancelWait, &QAction::triggered, this, &frmMain::cancelWait);
    addAction(m_cancelWait);
    // The gate drops every other key while a cleartool command is waited
    // for; Esc still asks for Cancel.
    m_inputGate->setOnEscape([this] { cancelWait(); });
}

QSize frmMain::firstSize() const
{
    return fitToScreen(*this, QSize(1180, 720));
}

void frmMain::buildMenus()
{
    QMenu *file = menuBar()->addMenu(QStringLiteral("&File"));
    file->setObjectName(QStringLiteral("mnuFile"));
    file->addSeparator();
    QAction *exit = file->addAction(QStringLiteral("E&xit"));
    exit->setObjectName(QStringLiteral("mnuExit"));
    // The platform's Quit key; where it has none (Windows), Ctrl+Q as well.
    QList<QKeySequence> quitKeys = QKeySequence::keyBindings(QKeySequence::Quit);
    if (!quitKeys.contains(QKeySequence(Qt::CTRL | Qt::Key_Q)))
        quitKeys << QKeySequence(Qt::CTRL | Qt::Key_Q);
    exit->setShortcuts(quitKeys);
    connect(exit, &QAction::triggered, this, &frmMain::closeAllForms);

    QMenu *help = menuBar()->addMenu(QStringLiteral("&Help"));
    help->setObjectName(QStringLiteral("mnuHelp"));
    QAction *gettingHelp = help->addAction(QStringLiteral("&Getting Help from Belmora"));
    gettingHelp->setObjectName(QStringLiteral("mnuGettingHelp"));
    gettingHelp->setShortcut(QKeySequence(Qt::Key_F1));
    connect(gettingHelp, &QAction::triggered, this, &frmMain::showGettingHelp);
    help->addSeparator();
    QAction *content = help->addAction(QStringLiteral("&Content"));
    content->setObjectName(QStringLiteral("mnuContent"));
    help->addSeparator();
    QAction *about = help->addAction(QStringLiteral("&About"));
    about->setObjectName(QStringLiteral("mnuAbout"));
    connect(about, &QAction::triggered, this, &frmMain::showAbout);
}

// Ctrl+Tab and Ctrl+PgDn go to the next page, Ctrl+Shift+Tab and Ctrl+PgUp
// to the previous one, from anywhere in the window, the way tabbed windows
// do; the strip's own arrow keys work once it has the focus.
void frmMain::buildPageKeys()
{
    const struct {
        const char *name;
        int step;
        QList<QKeySequence> keys;
    } pageKeys[] = {
        {"actNextPage", 1, {QKeySequence(Qt::CTRL | Qt::Key_Tab), QKeySequence(Qt::CTRL | Qt::Key_PageDown)}},
        {"actPreviousPage",
         -1,
         {QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Backtab),
          QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Tab), QKeySequence(Qt::CTRL | Qt::Key_PageUp)}},
    };
    for (const auto &k : pageKeys) {
        auto *action = new QAction(this);
        action->setObjectName(QLatin1String(k.name));
        action->setShortcuts(k.keys);
        action->setShortcutContext(Qt::WindowShortcut);
        const int step = k.step;
        connect(action, &QAction::triggered, this, [this, step] { stepPage(step); });
        addAction(action);
    }
}

void frmMain::stepPage(int step)
{
    // While a VOB loads the strip is disabled, and so are its keys.
    const int count = m_mainTabStrip->count();
    if (!m_mainTabStrip->isEnabled() || count < 2)
        return;
    m_mainTabStrip->setCurrentIndex((m_mainTabStrip->currentIndex() + step + count) % count);
}

QWidget *frmMain::buildHeaderBand(QWidget *parent, QLabel *headerLbl)
{
    // Decoration around headerLbl(0): the program's name over a subtitle,
    // and which ClearCase this window talks to.
    auto *band = new QFrame(parent);
    band->setObjectName(QStringLiteral("headerBand"));
    auto *logo = new QLabel(band);
    logo->setObjectName(QStringLiteral("headerLogo"));
    m_headerSubtitle = new QLabel(QStringLiteral("ClearCase MultiSite replication"), band);
    m_headerSubtitle->setObjectName(QStringLiteral("headerSubtitle"));
    m_clearCaseLbl = new QLabel(band);
    m_clearCaseLbl->setObjectName(QStringLiteral("clearCaseLbl"));
    m_clearCaseLbl->setText(m_services.clearCaseDescription);
    m_clearCaseLbl->setToolTip(QStringLiteral("The ClearCase installation this window talks to"));
    // On a small screen or with a large font it takes two lines rather than
    // push the window past the screen's edge.
    m_clearCaseLbl->setWordWrap(true);
    headerLbl->setParent(band);
    auto *titles = new QVBoxLayout;
    titles->setSpacing(0);
    titles->addWidget(headerLbl);
    titles->addWidget(m_headerSubtitle);
    auto *header = new QHBoxLayout(band);
    header->setContentsMargins(14, 8, 14, 8);
    header->setSpacing(10);
    header->addWidget(logo);
    header->addLayout(titles);
    // The label takes the free room up to its text's width and wraps only
    // when there is less (fitClearCaseLbl); the stretch takes the rest.
    header->addStretch(0);
    header->addWidget(m_clearCaseLbl, 1, Qt::AlignVCenter);
    header->addWidget(regionButton(band), 0, Qt::AlignVCenter);
    header->addWidget(commandLogButton(band), 0, Qt::AlignVCenter);
    m_headerLogo = logo;
    return band;
}

// The band's title and subtitle are sized from the desktop's font, so that
// they grow and shrink with it.
void frmMain::applyHeaderFonts()
{
    const QFont base = QApplication::font(this);
    QFont title = base;
    title.setPointSizeF(base.pointSizeF() * 1.6);
    title.setWeight(QFont::DemiBold);
    m_headerLbl->setFont(title);
    QFont subtitle = base;
    subtitle.setPointSizeF(base.pointSizeF() * 0.9);
    m_headerSubtitle->setFont(subtitle);
    const int side = QFontMetrics(title).height() + QFontMetrics(subtitle).height();
    m_headerLogo->setPixmap(Pictures::appIcon().pixmap(side, side));
    fitClearCaseLbl();
}

void frmMain::fitClearCaseLbl()
{
    // No wider than its text on one line; narrower, it wraps.
    m_clearCaseLbl->setWordWrap(false);
    m_clearCaseLbl->setMaximumWidth(m_clearCaseLbl->sizeHint().width());
    m_clearCaseLbl->setWordWrap(true);
}

void frmMain::showEvent(QShowEvent *event)
{
    fitClearCaseLbl();
    QMainWindow::showEvent(event);
}

void frmMain::buildStatusBar()
{
    statusBar()->setObjectName(QStringLiteral("statBar"));
    m_statusPanel = new QLabel(statusBar());
    m_statusPanel->setObjectName(QStringLiteral("statBarPanel(1)"));
    // A long status text (a VOB's tag) is cut, never a reason for the
    // window to grow.
    m_statusPanel->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    statusBar()->addWidget(m_statusPanel, 1); // the spring panel: the whole width

    m_progressBar = new QProgressBar(statusBar());
    m_progressBar->setObjectName(QStringLiteral("ProgressBar1"));
    m_progressBar->setRange(0, 100);
    m_progressBar->setValue(0);
    m_progressBar->setTextVisible(false);
    m_progressBar->setFixedWidth(220);
    m_progressBar->hide();
    statusBar()->addPermanentWidget(m_progressBar);
}

void frmMain::formLoad()
{
    setStatus(QStringLiteral("Status"));
    resetReplicaCombos();
    m_headerLbl->setText(AppInfo::title());
}

void frmMain::applyCaption()
{
    setWindowTitle(AppInfo::title() + QStringLiteral(" - ") + AppInfo::versionText());
}

int frmMain::siteCount() const
{
    return m_loader ? int(m_loader->openedVob().sites.size()) : 0;
}

void frmMain::mainTabStripClick()
{
    try {
        const int idx = m_mainTabStrip->currentIndex();
        for (QFrame *page : m_pages)
            page->hide();
        m_pages[idx]->show();
        if (idx != 1)
            return;
        // A VOB with only its own replica has no epoch tables worth showing.
        if (siteCount() == 1) {
            m_pages[1]->hide();
            setStatus(QStringLiteral("* * No Detail information for this VOB * * "));
        } else {
            setStatus(QStringLiteral("Status"));
        }
    } catch (const QuorvaneError &e) {
        setBusy(false, QString());
        showBox(dialogs(), ErrorBoxes::standard(e.description()));
    }
}

void frmMain::changeEvent(QEvent *event)
{
    QMainWindow::changeEvent(event);
    // A change of the desktop's font reaches the window as a change of its
    // own font, once it has taken the new one; the header's fonts are set
    // explicitly and would otherwise keep the old size.
    if (event->type() == QEvent::FontChange && m_headerLbl)
        applyHeaderFonts();
}

} // namespace quorvane
