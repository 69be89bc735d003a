#pragma once

#include "app/OrderlyExit.h"
#include "app/Services.h"
#include "common/Feedback.h"
#include "common/LongActionGuard.h"

#include <QMainWindow>

#include <memory>

class QAction;
class QFrame;
class QVBoxLayout;
class QLabel;
class QProgressBar;
class QTabBar;
class QTimer;

namespace quorvane {

class ClearTool;
class CommandLog;
class DiagnosisPanel;
class PacketPanel;
class EpochMatrixView;
class FixFrame;
class GraphView;
class Shell;
class SiteDetail;
class RealServices;
class ReplicaDetailLoader;
struct OpenedVob;
class ReplicaFieldsPanel;
class ReplicaInfoPanel;
class VobListPanel;
class FramePacer;
class frmCommandLog;
class InputGate;
class frmRegion;
class CommandRunner;
class ProcessRunner;
class frmDetail;
class frmWorking;

// The main window: the VOB list on the left, the "Visual" and "Detail"
// pages on the right, menus, status line and progress bar. It owns all
// state of the opened VOB and gives the subsystems their feedback.
class frmMain final : public QMainWindow, public Feedback {
    Q_OBJECT
public:
    // Uses the real services: ClearCase as found at start-up, real dialogs.
    frmMain();
    // Uses the services given (tests); they must outlive the window.
    explicit frmMain(const Services &services);
    ~frmMain() override;
    Q_DISABLE_COPY_MOVE(frmMain)

    // Feedback
    void setBusy(bool busy, const QString &message) override;
    void setHourglass(bool on) override;
    void setStatus(const QString &text) override;
    [[nodiscard]] QString status() const override;
    void setMsg(const QString &msg, const QString &title = QString()) override;
    void hideWorking() override;
    void watchScriptProgress(const QString &progressFile, const QHash<QString, QString> &hostOf) override;
    void endScriptProgress() override;
    void setDetail(const QString &txt, const QString &title) override;
    Dialogs &dialogs() override;
    [[nodiscard]] bool closing() const override { return m_closePending; }

    // The shown caption: the designed caption, " - " and the version.
    void applyCaption();
    // Unloads every window of the program, once.
    void closeAllForms();
    // Exit asked for from outside the window (a signal, the session's end):
    // what OrderlyExit needs of it (app/frmMainExit.cpp).
    [[nodiscard]] OrderlyExit::Window orderlyExitHooks();
    // The session ends and the process with it, without unwinding: what the
    // program's end would remove goes now.
    void sessionEndsNow();
    // Shows the page of the selected tab (the tab strip's click).
    void mainTabStripClick();

    // The services as given; the window reaches them through the log writers.
    [[nodiscard]] const Services &services() const { return m_givenServices; }
    [[nodiscard]] LongActionGuard &longActionGuard() { return m_guard; }
    [[nodiscard]] frmWorking *workingForm() const { return m_working; }
    [[nodiscard]] frmDetail *detailForm() const { return m_detail; }
    [[nodiscard]] int siteCount() const;

    // The subsystems' widgets.
    [[nodiscard]] VobListPanel *vobList() const { return m_vobList; }
    [[nodiscard]] GraphView *graph() const { return m_graph; }
    [[nodiscard]] ReplicaFieldsPanel *replicaFields() const { return m_replicaFields; }
    [[nodiscard]] ReplicaInfoPanel *replicaInfo() const { return m_replicaInfo; }
    [[nodiscard]] EpochMatrixView *epochView() const { return m_epochView; }
    [[nodiscard]] FixFrame *fixFrame() const { return m_fixFrame; }
    [[nodiscard]] QTabBar *tabStrip() const { return m_mainTabStrip; }

    // What this run sent to ClearCase, started and read; the window that
    // shows it (Ctrl+L, or the header band's button) is made on first use.
    [[nodiscard]] CommandLog &commandLog() const { return *m_commandLog; }
    [[nodiscard]] frmCommandLog *commandLogForm() const { return m_commandLogForm; }
    void showCommandLog();
    // The region window (Ctrl+R, or the header band's button), made on first
    // use; a row opened there is selected in the list and opened here.
    [[nodiscard]] frmRegion *regionForm() const { return m_regionForm; }
    void showRegion();
    void openVobFromRegion(const QString &tag);
    [[nodiscard]] DiagnosisPanel *diagnosis() const { return m_diagnosis; }
    [[nodiscard]] PacketPanel *packets() const { return m_packets; }

    // Rebuilds everything shown about the VOB selected in the list.
    void loadReplicaDetail();
    [[nodiscard]] ReplicaDetailLoader *loader() const { return m_loader.get(); }
    // The VOB list's double click: opens the selected VOB.
    void pVobViewListDblClick();

protected:
    void closeEvent(QCloseEvent *event) override;
    void changeEvent(QEvent *event) override;
    void showEvent(QShowEvent *event) override;

private:
    // Puts the log writers around the ClearTool and Shell given, so that
    // every part of the window reaches ClearCase through them.
    void installCommandLog();
    void buildWindow();
    [[nodiscard]] QSize firstSize() const;
    // The band above everything: decoration around headerLbl(0).
    QWidget *buildHeaderBand(QWidget *parent, QLabel *headerLbl);
    void applyHeaderFonts();
    void fitClearCaseLbl();
    // The header band's button for the log, with Ctrl+L on the window.
    QWidget *commandLogButton(QWidget *parent);
    QWidget *regionButton(QWidget *parent);
    void buildMenus();
    void buildPageKeys();
    // The page `step` tabs on, wrapping round; nothing while the strip is disabled.
    void stepPage(int step);
    void buildStatusBar();
    void buildPages();
    void formLoad();
    // The three replica lists back to the single entry "<select_replica>",
    // selected: at start-up, and before a VOB's replicas are filled in.
    void resetReplicaCombos();
    // The opened VOB's name and replicas into the Detail page's caption and lists.
    void showReplicas(const OpenedVob &vob);
    // dVobLbl: the VOB whose replicas the pages show.
    void showOpenedVob();
    void showAbout();
    void showGettingHelp();
    [[nodiscard]] QString selectedVobTag() const;
    void progBarTimerTick();
    // A close asked for while a long action runs: the action ends first.
    void closeWhenIdle();
    // Made on first use; its Cancel stops the process or the cleartool
    // command being waited for.
    frmWorking *workingDialog();
    // The wait observer of the shell and of cleartool: Cancel offered while
    // either waits for something it can stop.
    void waitChanged(bool clearTool, bool waiting, const QString &commandLine);
    void cancelWait();

    std::unique_ptr<RealServices> m_ownedServices;
    Services m_services;
    LongActionGuard m_guard;
    bool m_shutdownDone = false;
    bool m_closePending = false;
    bool m_workingShownForWait = false; // shown for a wait alone
    bool m_processWaiting = false;
    bool m_clearToolWaiting = false;
    InputGate *m_inputGate = nullptr;
    QString m_waitingFor;                // the command line of the process waited for

    QLabel *m_headerLbl = nullptr;
    QLabel *m_clearCaseLbl = nullptr;
    QLabel *m_headerSubtitle = nullptr;
    QLabel *m_headerLogo = nullptr;
    QTabBar *m_mainTabStrip = nullptr;
    QFrame *m_pages[2] = {nullptr, nullptr};
    // What each page holds, inside the page's scroll area.
    QWidget *m_pageContent[2] = {nullptr, nullptr};
    QVBoxLayout *m_leftColumn = nullptr;
    VobListPanel *m_vobList = nullptr;
    GraphView *m_graph = nullptr;
    ReplicaFieldsPanel *m_replicaFields = nullptr;
    ReplicaInfoPanel *m_replicaInfo = nullptr;
    EpochMatrixView *m_epochView = nullptr;
    FixFrame *m_fixFrame = nullptr;
    QLabel *m_detailVobLbl = nullptr;
    QLabel *m_statusPanel = nullptr;
    QProgressBar *m_progressBar = nullptr;
    QTimer *m_progBarTimer = nullptr;
    QAction *m_cancelWait = nullptr;
    // While busy, the main window and the working dialog are laid out and
    // drawn once a frame at most.
    FramePacer *m_framePacer = nullptr;
    frmWorking *m_working = nullptr;
    frmDetail *m_detail = nullptr;
    Services m_givenServices;
    std::unique_ptr<CommandLog> m_commandLog;
    std::unique_ptr<ClearTool> m_loggedClearTool;
    std::unique_ptr<Shell> m_loggedShell;
    frmCommandLog *m_commandLogForm = nullptr;
    frmRegion *m_regionForm = nullptr;
    // The survey's programs, and the cleartool co-processes in front of them.
    std::unique_ptr<ProcessRunner> m_regionProcesses;
    std::unique_ptr<CommandRunner> m_regionRunner;
    DiagnosisPanel *m_diagnosis = nullptr;
    PacketPanel *m_packets = nullptr;
    std::unique_ptr<ReplicaDetailLoader> m_loader;
    std::unique_ptr<SiteDetail> m_siteDetail;
};

// The one main window, set by start-up.
extern frmMain *mainForm;

} // namespace quorvane
