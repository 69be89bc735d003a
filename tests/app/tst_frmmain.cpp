// The main window: its pages, feedback and secondary windows, the program
// started for real, opening a VOB on scripted ClearCase (the commands, the
// order of the steps, the clean-up of the previous VOB, and what happens
// when something fails), what it says about what it ran (the command log
// and its window, the bays, the fields, findings and result line that must
// not keep another VOB's values), long actions against each other, against
// Cancel and against a close of the window (which VOB a repair may touch,
// what runs once the user stops a command or closes the window, no long
// action inside another), the window by keyboard alone and every window at
// the desktop's font sizes. (The result line's texts and the repair a
// finding leads to are the fix frame's and the diagnosis' own tests.)
#include "info/frmAbout.h"
#include "info/frmGettingHelp.h"
#include "replicas/DiagnosisPanel.h"
#include "replicas/EpochMatrixView.h"
#include "replicas/PacketPanel.h"
#include "replicas/ReplicaDetailLoader.h"
#include "support/BuiltProgram.h"
#include "support/LoaderFixture.h"
#include "app/QuitOnSignal.h"
#include "ccase/CommandLog.h"
#include "ccase/Commands.h"
#include "ccase/ProcessShell.h"
#include "maintenance/FixFrame.h"
#include "maintenance/ReplicaInfoPanel.h"
#include "ui/RealDialogs.h"
#include "ui/frmCommandLog.h"
#include "ui/frmDetail.h"
#include "ui/frmWorking.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDesktopServices>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProcess>
#include <QProgressBar>
#include <QPushButton>
#include <QRegularExpression>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QTabBar>
#include <QTableView>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <QUrl>
#include <memory>
#include <utility>

#ifndef Q_OS_WIN
#include <csignal>
#endif

using namespace quorvane;
using namespace quorvane::test;
using namespace Qt::StringLiterals;

namespace {

const QString Dev = u"/vobs/dev"_s;
const QString Tools = u"/vobs/tools"_s;
const QString Core = u"/vobs/core"_s;
const QString Closing = u"The window closes once the running command has ended."_s;
// The box of a results file the script did not write, naming it.
QString fileNotFound(const LoaderFixture &f, const QString &name)
{
    return u"ERROR... ERROR::53::File not found -- "_s + QDir::toNativeSeparators(QDir(f.services.workDir).filePath(name))
        + u"\r\nReport Bug to bugs@belmora.example"_s;
}

// Replicas "r1of<n>" ... mastered by the first (the local one).
void addDemoVobs(LoaderFixture &f)
{
    const QStringList tags{Dev, u"/vobs/docs"_s, u"\\dev"_s, u"/vobs/my dev"_s, Core};
    const int sites[] = {3, 2, 2, 3, 5};
    for (int i = 0; i < 5; ++i)
        f.addVob(tags[i], family(tags[i], numberedNames(sites[i], u"r%1of"_s + QString::number(sites[i]))));
}

// The main window shown and active, for the tests by keyboard alone.
struct Window : LoaderFixture {
    Window()
    {
        window->resize(1180, 720);
        window->show();
        if (!activate())
            qFatal("the main window did not become active");
    }
    // Activation arrives as an event; the keys go where it has arrived.
    bool activate() const
    {
        window->activateWindow();
        return QTest::qWaitFor([this] { return QApplication::activeWindow() == window.get(); });
    }
    frmMain &w() const { return *window; }
    template <typename T = QWidget> T *get(const QString &name) const { return window->findChild<T *>(name); }
    void openDev(int sites = 3)
    {
        addVob(Dev, family(Dev, numberedNames(sites)));
        open(Dev);
    }

    // To an open menu, which holds the keyboard, else to the focused widget.
    static void key(Qt::Key k, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
    {
        QWidget *target = QApplication::activePopupWidget();
        if (!target)
            target = QApplication::focusWidget();
        QTest::keyClick(target ? target : QApplication::activeWindow(), k, modifiers);
    }
    static QString focused()
    {
        const QWidget *f = QApplication::focusWidget();
        return f ? f->objectName() : u"(none)"_s;
    }
    // Tab from the first control until the focus comes round again; a
    // group of options is one stop.
    QStringList tabWalk()
    {
        if (!activate())
            return {u"(not active)"_s};
        get(u"loadVobsBut"_s)->setFocus(Qt::TabFocusReason);
        QStringList seen{focused()};
        for (int i = 0; i < 60; ++i) {
            key(Qt::Key_Tab);
            if (focused() == seen.first())
                return seen;
            seen << (focused().startsWith(u"dFixOpt("_s) ? u"dFixOpt"_s : focused());
        }
        return seen << u"(no end)"_s;
    }
    int page() const
    {
        const bool visual = get(u"frameMainTabStrip(0)"_s)->isVisible();
        const bool detail = get(u"frameMainTabStrip(1)"_s)->isVisible();
        return visual == detail ? -1 : visual ? 0 : 1;
    }
};

bool onGraphPicture(const QWidget *w)
{
    for (const QWidget *p = w->parentWidget(); p; p = p->parentWidget())
        if (p->objectName() == u"vGraphPict"_s)
            return true;
    return false;
}

QString nameOf(const QWidget *w)
{
    return w->objectName().isEmpty() ? QString::fromLatin1(w->metaObject()->className()) + u'"' +
                                           w->property("text").toString() + u'"'
                                     : w->objectName();
}

// The labels and buttons whose text does not fit, as "name: why".
QStringList cutTexts(const QWidget *window)
{
    QStringList cut;
    for (const QLabel *l : window->findChildren<QLabel *>()) {
        if (!l->isVisibleTo(window) || l->text().isEmpty() || onGraphPicture(l))
            continue;
        const QRect room = l->contentsRect().adjusted(l->margin(), l->margin(), -l->margin(), -l->margin());
        const QFontMetrics fm(l->font());
        // Line breaks that end a text show nothing; what must fit is the words.
        QString words = l->text();
        while (words.endsWith(u'\n') || words.endsWith(u'\r'))
            words.chop(1);
        if (l->wordWrap()) {
            QLabel probe(words);
            probe.setFont(l->font());
            probe.setWordWrap(true);
            probe.setContentsMargins(l->contentsMargins());
            probe.setMargin(l->margin());
            probe.setIndent(l->indent());
            if (const int needed = probe.heightForWidth(l->width()); needed > l->height())
                cut << u"%1: %2 px high for %3 px of wrapped text"_s.arg(nameOf(l))
                           .arg(l->height())
                           .arg(needed);
            continue;
        }
        const QStringList lines = words.remove(u'\r').split(u'\n');
        int widest = 0;
        for (const QString &line : lines)
            widest = std::max(widest, fm.horizontalAdvance(line));
        if (widest > room.width())
            cut << u"%1: %2 px wide for %3 px of text"_s.arg(nameOf(l)).arg(room.width()).arg(widest);
        if (fm.height() * lines.size() > room.height())
            cut << u"%1: %2 px high for %3 lines"_s.arg(nameOf(l)).arg(room.height()).arg(lines.size());
    }
    for (const QAbstractButton *b : window->findChildren<QAbstractButton *>()) {
        if (!b->isVisibleTo(window) || b->text().isEmpty())
            continue;
        const QSize needed = b->sizeHint();
        if (needed.width() > b->width() || needed.height() > b->height())
            cut << u"%1: %2x%3 for %4x%5"_s.arg(nameOf(b))
                       .arg(b->width())
                       .arg(b->height())
                       .arg(needed.width())
                       .arg(needed.height());
    }
    for (const QTabBar *t : window->findChildren<QTabBar *>()) {
        for (int i = 0; t->isVisibleTo(window) && i < t->count(); ++i) {
            const int needed = QFontMetrics(t->font()).horizontalAdvance(t->tabText(i));
            if (needed > t->tabRect(i).width())
                cut << u"%1: tab %2"_s.arg(nameOf(t)).arg(i);
        }
    }
    return cut;
}

// What a control must lie within to be reached: the content of the
// nearest scroll area round it (scrolled to), else the window.
const QWidget *reachableArea(const QWidget *w, const QWidget *window)
{
    for (const QWidget *p = w; p && p != window; p = p->parentWidget()) {
        const auto *viewport = p->parentWidget();
        const auto *scroll = viewport ? qobject_cast<const QScrollArea *>(viewport->parentWidget()) : nullptr;
        if (scroll && scroll->widget() == p)
            return p;
    }
    return window;
}

// The visible controls that reach past their window's edges, or past the
// content of the scroll area that shows them.
QStringList outside(const QWidget *window)
{
    QStringList out;
    for (const QWidget *w : window->findChildren<QWidget *>()) {
        if (!w->isVisibleTo(window) || w->isWindow() || onGraphPicture(w))
            continue;
        const QWidget *area = reachableArea(w, window);
        const QRect r(w->mapTo(area, QPoint(0, 0)), w->size());
        if (!area->rect().contains(r))
            out << u"%1 at %2,%3 %4x%5 in %6"_s.arg(nameOf(w)).arg(r.x()).arg(r.y()).arg(r.width()).arg(r.height())
                       .arg(nameOf(area));
    }
    return out;
}

// Eight replicas with the names of a real region, one of them lagging.
LoaderVob eightReplicas(const QString &tag)
{
    LoaderVob v = family(tag, {u"boston_hub"_s, u"sanfran_hub"_s, u"bangalore"_s, u"london"_s, u"tokyo"_s, u"paris"_s,
                               u"berlin"_s, u"toronto"_s}, 1200, 37, u"2026-05-01T10:00:00Z"_s);
    v.actual[3][2] = u"1199"_s;
    return v;
}

// The demo's lost packet: this site (boston_hub) believes london holds all
// of its 365 changes; london holds 321.
LoaderVob toolsVob()
{
    return {u"boston_hub"_s,
            u"boston_hub,2026-05-01,minuteman,boston_hub@/vobs/tools,london,2026-05-01,thames,"
            "london@/vobs/tools,"_s,
            {{u"boston_hub"_s, u"365"_s, u"57"_s}, {u"london"_s, u"321"_s, u"57"_s}},
            {{u"boston_hub"_s, u"365"_s, u"57"_s}, {u"london"_s, u"365"_s, u"57"_s}}};
}

LoaderVob otherVob()
{
    return {u"rome"_s, u"rome,2026-05-02,tiber,rome@/vobs/other,oslo,2026-05-02,fjord,rome@/vobs/other,"_s,
            {{u"rome"_s, u"5"_s, u"6"_s}, {u"oslo"_s, u"5"_s, u"6"_s}},
            {{u"rome"_s, u"5"_s, u"6"_s}, {u"oslo"_s, u"5"_s, u"6"_s}}};
}

QStringList findingTexts(frmMain &w)
{
    QStringList out;
    for (const Finding &f : w.diagnosis()->findings())
        out << f.text;
    return out;
}

QStringList gridTexts(const EpochGrid *grid)
{
    QStringList out;
    for (const QStringList &row : gridCells(grid))
        out << row.join(u',');
    return out;
}

// A window with /vobs/tools and /vobs/core listed and /vobs/tools open.
struct Rig : Window {
    Rig()
    {
        // london (here) and paris, both mastered by london.
        for (const QString &tag : {Tools, Core}) {
            addVob(tag, family(tag, {u"london"_s, u"paris"_s}, 5, 2));
            clearTool.outputs.insert(Commands::syncHistory(u"paris"_s, tag), u"import,2026-02-01,"_s);
        }
        open(Tools);
        log.clear();
        dialogs.boxes.clear();
    }
    FixFrame *fix() const { return window->fixFrame(); }
    void select(const QString &tag) const
    {
        QListWidget *list = window->vobList()->list();
        list->setCurrentItem(list->findItems(tag, Qt::MatchExactly).value(0));
    }
    // The fix of paris's row from the actual values, confirmed.
    void fixParis() const
    {
        fix()->fixCombo()->setCurrentIndex(1);
        fix()->fixOrSync(0);
    }
    // Load VOBs' pass, opening the VOB selected, fix, synchronize, or a
    // replica's details (paris's, or london's while paris's are shown).
    void start(const QString &action) const
    {
        if (action == u"load"_s)
            window->vobList()->findChild<QToolButton *>(u"loadVobsBut"_s)->click();
        else if (action == u"open"_s)
            window->pVobViewListDblClick();
        else if (action == u"fix"_s)
            fixParis();
        else if (action == u"sync"_s)
            fix()->fixOrSync(1);
        else
            window->replicaInfo()->replicaCombo()->setCurrentIndex(
                window->replicaInfo()->replicaCombo()->currentIndex() == 2 ? 1 : 2);
    }
    // Each command as logged, handed to `each` as it starts; the script
    // writes no results.
    void onEach(const std::function<void(const QString &)> &each)
    {
        clearTool.hook = [this, each](const QString &command) {
            log << u"cleartool "_s + command;
            each(log.last());
        };
        shell.action = [this, each](const QString &line) {
            log << u"shell "_s + line;
            each(log.last());
        };
    }
};

const QString scriptLine(const Rig &r, const QString &tag)
{
    return u"shell ccperl \""_s + r.services.scriptPath + u"\" "_s + tag;
}

} // namespace

class TestFrmMain : public QObject {
    Q_OBJECT
private slots:
    void init() { m_desktop = QApplication::font(); }
    void cleanup() { QApplication::setFont(m_desktop); }

    // Busy: the status line, the progress bar (wrapping to 1, never to 0)
    // and the hourglass, which is the one main window's whichever window's
    // feedback asks. The working dialog and the detail window are made once
    // and re-used; the detail window stays on top, shows each text from its
    // top, and closeImage only hides it. Shutdown unloads every window, once.
    void feedbackAndSecondaryWindows()
    {
        LoaderFixture other;
        LoaderFixture f;
        frmMain &w = *f.window;
        w.show();
        mainForm = &w;
        auto *progress = w.findChild<QProgressBar *>(u"ProgressBar1"_s);
        auto *timer = w.findChild<QTimer *>(u"progBarTimer"_s);
        w.setBusy(true, u"Synchronizing replica r1"_s);
        QCOMPARE(w.status(), u"Working...Synchronizing replica r1"_s);
        QVERIFY(progress->isVisible() && timer->isActive());
        QCOMPARE(w.cursor().shape(), Qt::WaitCursor);
        progress->setValue(100);
        QTRY_VERIFY(progress->value() >= 1 && progress->value() < 100);
        w.setBusy(false, u"ignored"_s);
        QVERIFY(f.released() && !timer->isActive());
        QCOMPARE(progress->value(), 0);
        other.window->setBusy(true, QString());
        QCOMPARE(w.cursor().shape(), Qt::WaitCursor);
        QVERIFY(other.window->cursor().shape() != Qt::WaitCursor);
        other.window->setBusy(false, QString());
        QCOMPARE(w.cursor().shape(), Qt::ArrowCursor);
        mainForm = nullptr;

        w.setMsg(u"first"_s);
        frmWorking *dlg = w.workingForm();
        w.hideWorking();
        QVERIFY(dlg && !dlg->isVisible());
        w.setMsg(u"second"_s, u"Working..."_s);
        QVERIFY(w.workingForm() == dlg && dlg->isVisible());
        QCOMPARE(dlg->message(), u"second"_s);

        const QString text = QString(u"event\n"_s).repeated(500);
        w.setDetail(text, u"History Detail: a"_s);
        frmDetail *d = w.detailForm();
        QVERIFY(d->isVisible() && (d->windowFlags() & Qt::WindowStaysOnTopHint));
        QScrollBar *bar = d->findChild<QPlainTextEdit *>(u"mainTxt"_s)->verticalScrollBar();
        bar->setValue(bar->maximum());
        QTest::mouseClick(d->findChild<QLabel *>(u"closeImage"_s), Qt::LeftButton);
        QVERIFY(!d->isVisible());
        w.setDetail(text, u"History Detail: b"_s);
        QVERIFY(w.detailForm() == d && d->isVisible() && d->text() == text);
        QCOMPARE(d->windowTitle(), u"History Detail: b"_s);
        QCOMPARE(bar->value(), 0);

        struct Counter : QObject {
            int closes = 0;
            bool eventFilter(QObject *, QEvent *e) override
            {
                closes += e->type() == QEvent::Close ? 1 : 0;
                return false;
            }
        } counter;
        w.installEventFilter(&counter);
        w.findChild<QAction *>(u"mnuExit"_s)->trigger();
        QVERIFY(!w.isVisible() && !dlg->isVisible() && !d->isVisible());
        w.closeAllForms(); // a second shutdown does nothing
        QCOMPARE(counter.closes, 1);
    }

    // The built program, started twice: the second copy shows the box and
    // ends without a window; after a crash of the first, a new start works.
    void builtBinaryStartsOnce()
    {
        const BuiltProgramFolders folders;
        QProcessEnvironment env = folders.environment(u":99"_s);
        env.insert(u"QUORVANE_TEST_DIALOG_ECHO"_s, u"1"_s);
        auto start = [&] {
            auto p = std::make_unique<QProcess>();
            p->setProcessEnvironment(env);
            p->start(QStringLiteral(QUORVANE_BIN_DIR "/quorvane"), {});
            return p;
        };
        const auto first = start();
        QVERIFY(first->waitForStarted());
#ifdef Q_OS_WIN
        const QString lockDir = folders.temp.path(); // per logon session, in the user's temporary folder
#else
        const QString lockDir = folders.runtime.path();
#endif
        QTRY_VERIFY_WITH_TIMEOUT(!QDir(lockDir).entryList({u"quorvane-*.lock"_s}).isEmpty(), 10000);
        const auto second = start();
        QVERIFY(second->waitForFinished(15000));
        QCOMPARE(second->exitCode(), 0);
        const QString said = QString::fromUtf8(second->readAllStandardError());
        QVERIFY2(said.contains(u"[box] Quorvane | Quorvane is already running"_s), qPrintable(said));
        QCOMPARE(first->state(), QProcess::Running);

        const QDir temp(folders.temp.path());
        const auto workFolders = [&] { return temp.entryList({u"quorvane-??????"_s}, QDir::Dirs | QDir::Hidden); };
        QTRY_COMPARE_WITH_TIMEOUT(workFolders().size(), 1, 10000);
        const QString firstFolder = workFolders().first();
        first->kill(); // a crash: the lock file and the work folder stay behind
        QVERIFY(first->waitForFinished());
        QCOMPARE(workFolders(), QStringList{firstFolder});
        const auto third = start();
        QVERIFY(third->waitForStarted());
        QVERIFY(!third->waitForFinished(1500));
        // The next start removed the folder of the copy that is gone.
        QTRY_COMPARE_WITH_TIMEOUT(workFolders().size(), 1, 10000);
        QVERIFY(workFolders().first() != firstFolder);
        [[maybe_unused]] const QString thirdFolder = workFolders().first();

#ifndef Q_OS_WIN
        // A copy on another display leaves the running copy's folder alone.
        // (Windows has one copy per logon session, whatever the display.)
        QProcess other;
        other.setProcessEnvironment(folders.environment(u":98"_s));
        other.start(QStringLiteral(QUORVANE_BIN_DIR "/quorvane"), {});
        QVERIFY(other.waitForStarted());
        QTRY_COMPARE_WITH_TIMEOUT(workFolders().size(), 2, 10000);
        QVERIFY(workFolders().contains(thirdFolder));
        // A signal (a session manager's, a Ctrl+C, a closed terminal) ends a
        // copy the way of Exit: its work folder and its lock go, and its exit
        // code and standard error say what ended it.
        for (const auto &[p, n] : {std::pair{third.get(), SIGHUP}, {&other, SIGINT}}) {
            QCOMPARE(::kill(pid_t(p->processId()), n), 0);
            QVERIFY(p->waitForFinished(15000));
            QCOMPARE(p->exitStatus(), QProcess::NormalExit);
            QCOMPARE(p->exitCode(), QuitOnSignal::exitCodeFor(n));
            const QString said = QString::fromUtf8(p->readAllStandardError());
            QVERIFY2(said.contains(u"quorvane: "_s + QuitOnSignal::signalName(n) +
                                   u" received while nothing was running"_s),
                     qPrintable(said));
        }
        QCOMPARE(temp.entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden), QStringList());
        QCOMPARE(QDir(lockDir).entryList({u"quorvane-*.lock"_s}), QStringList());
#else
        third->kill();
        third->waitForFinished();
#endif
    }

    // --help and --version answer and end, without a display; any other
    // argument is refused in one line. None of them opens a window.
    void builtBinaryArguments_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("out");
        QTest::addColumn<QString>("err");
        QTest::newRow("--version") << QStringList{u"--version"_s} << 0
                                   << u"Quorvane %1.%2.%3\n"_s.arg(QUORVANE_VERSION_MAJOR)
                                          .arg(QUORVANE_VERSION_MINOR)
                                          .arg(QUORVANE_VERSION_PATCH)
                                   << QString();
        QTest::newRow("--help") << QStringList{u"--help"_s} << 0 << u"Usage: quorvane [--help | --version]\n"_s
                                << QString();
        QTest::newRow("control character") << QStringList{u"a\x1b[2J"_s} << 2 << QString()
                                           << u"quorvane: unknown argument \"a\\x1b[2J\": it takes none but --help and --version\n"_s;
    }
    void builtBinaryArguments()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QString, out);
        const BuiltProgramFolders folders;
        QProcessEnvironment env = folders.environment(u":97"_s);
        env.remove(u"QT_QPA_PLATFORM"_s); // it must not need a display to answer
        env.remove(u"DISPLAY"_s);
        QProcess p;
        p.setProcessEnvironment(env);
        p.start(QStringLiteral(QUORVANE_BIN_DIR "/quorvane"), arguments);
        QVERIFY(p.waitForFinished(10000));
        QCOMPARE(p.exitStatus(), QProcess::NormalExit);
        QTEST(p.exitCode(), "exitCode");
        // Windows' C runtime writes its line ends as CR LF.
        const auto text = [](const QByteArray &bytes) { return QString::fromUtf8(bytes).replace(u"\r\n"_s, u"\n"_s); };
        const QString said = text(p.readAllStandardOutput());
        QVERIFY2(said.startsWith(out) && (out.isEmpty() ? said.isEmpty() : true), qPrintable(said));
        QTEST(text(p.readAllStandardError()), "err");
        QVERIFY(QDir(folders.temp.path()).entryList({u"quorvane-*"_s}, QDir::Dirs).isEmpty());
    }

    // With nothing listed, a double click does nothing. Opening one VOB, then
    // another (or the same one again, as after a maintenance action): each
    // load sends desc, lsreplica and the script, the tag as it comes from the
    // list, unquoted, with the working dialog up and the tabs off (a double
    // click meanwhile: noActionInsideAnother). A reload cleans up: every site
    // control of the previous VOB goes, the replica lists are reset and the
    // grids cleaned before the refill. (The sites and the matrices as read:
    // tst_epochmatrixmodel and tst_epochmatrixview.)
    void openTwice_data()
    {
        QTest::addColumn<QString>("first");
        QTest::addColumn<QString>("second");
        QTest::newRow("fewer sites") << Core << u"/vobs/docs"_s;
        QTest::newRow("windows tag, then a tag with a blank") << u"\\dev"_s << u"/vobs/my dev"_s;
    }
    void openTwice()
    {
        QFETCH(QString, first);
        QFETCH(QString, second);
        LoaderFixture f;
        frmMain &w = *f.window;
        w.show();
        w.setStatus(u"untouched"_s);
        f.open(first);
        QVERIFY(f.log.isEmpty() && !w.workingForm() && w.tabStrip()->isEnabled());
        QCOMPARE(w.status(), u"untouched"_s);
        addDemoVobs(f);
        QStringList during;
        QList<int> gridRows;
        f.duringScript = [&] {
            during << QString(w.workingForm()->message() +
                              (w.tabStrip()->isEnabled() ? u""_s : u" | tabs off"_s));
            gridRows = {w.epochView()->Grid1()->rows(), w.epochView()->Grid2()->rows()};
        };
        f.open(first);
        QCOMPARE(
            f.log,
            (QStringList{u"cleartool desc -fmt \"%[replica_name]p\" vob:"_s + first,
                         u"cleartool lsreplica -fmt \"%n,%d,%[replica_host]p,%[master]p,\" -invob "_s + first,
                         u"shell ccperl \""_s + f.services.scriptPath + u"\" "_s + first,
                         u"cleartool lsvob -long "_s + first, u"shell multitool lspacket -long -endrange"_s}));
        const int oldCount = int(w.graph()->allSites().size());
        f.open(second);
        const QString msg = u"Getting Detail for VOB: %1, please wait.. | tabs off"_s;
        QCOMPARE(during, (QStringList{msg.arg(first), msg.arg(second)}));
        QVERIFY(f.released() && !w.graph()->isHidden());
        QCOMPARE(w.findChild<QLabel *>(u"vSelectedVobLbl"_s)->text(), u"VOB:"_s + second);

        const LoaderVob &vob = f.vobs[second];
        QCOMPARE(w.graph()->GMyReplicaName(), vob.myReplica);
        QStringList names{u"<select_replica>"_s};
        for (const QStringList &row : vob.actual)
            names << row.first();
        for (int k = 1; k <= oldCount + 1; ++k) {
            for (const char *name : {"siteImage(%1)", "siteLabel(%1)", "siteMasterLabel(%1)"})
                QCOMPARE(w.graph()->findChildren<QLabel *>(QString::fromLatin1(name).arg(k)).size(),
                         k < names.size() ? 1 : 0);
        }
        QCOMPARE(entries(w.findChild<QComboBox *>(u"dReplicaCombo"_s)), names);
        names.removeAll(vob.myReplica);
        QCOMPARE(entries(w.findChild<QComboBox *>(u"dReplicaFixCombo(0)"_s)), names);
        QCOMPARE(entries(w.findChild<QComboBox *>(u"dReplicaFixCombo(1)"_s)), names);
        QCOMPARE(gridRows, (QList<int>{2, 2})); // cleaned: the header and one row
        QVERIFY(f.dialogs.boxes.isEmpty());
    }

    // A load that fails releases the window. A refused command ends it at
    // once with the standard box; what was done before stays, and the VOB
    // shown before is not cleaned up before lsreplica has answered. A replica
    // name with a control character (a line end lsreplica passed on) is
    // refused before anything of the VOB is shown, and the script does not
    // run. A script that wrote nothing is reported for each matrix, with
    // what it said on its error stream (or how it ended) when neither file
    // came, and the load runs to its end; results of an earlier run are
    // removed before the script starts, so they are never shown for this VOB.
    void failedLoad_data()
    {
        QTest::addColumn<QString>("tag");
        QTest::addColumn<QString>("refused"); // the command ClearCase refuses, if any
        QTest::addColumn<int>("outcome");     // the script's, and how it ended
        QTest::addColumn<QString>("tail");
        QTest::addColumn<int>("filesWritten");  // 0 none, 1 only the local one
        QTest::addColumn<QStringList>("boxes"); // "missing NAME": that results file's box
        QTest::addColumn<int>("commands");
        QTest::addColumn<QString>("shown"); // the VOB shown after
        QTest::addColumn<QString>("myReplica");
        QTest::addColumn<QString>("detail"); // the detail window's title and text, if shown
        const int ran = int(ShellResult::Outcome::Ran);
        const QString refusal = u"ERROR... ERROR::cleartool: Error: Unable to locate VOB \"/vobs/dev\".\r\nReport Bug "
                                "to bugs@belmora.example"_s;
        const QStringList missing{u"missing _results.txt"_s, u"missing _results_local.txt"_s};
        const QString why = u"cleartool: Error: Unable to locate VOB.\r\nget_replica_info.pl: cannot list the "
                            "replicas of VOB \"/vobs/dev\"."_s;
        const QString docs = u"/vobs/docs"_s, title = u"get_replica_info.pl wrote no results: "_s;
        QTest::newRow("desc") << Dev << u"desc"_s << ran << QString() << 0 << QStringList{refusal} << 1 << docs
                              << u"r1of2"_s << QString();
        QTest::newRow("lsreplica") << Dev << u"lsreplica"_s << ran << QString() << 0 << QStringList{refusal} << 2
                                   << docs << u"r1of3"_s << QString();
        QTest::newRow("control character in a replica name")
            << u"/vobs/odd"_s << QString() << ran << QString() << 0
            << QStringList{u"Invalid Name The replica listing of VOB /vobs/odd holds the name \"r2<U+000A>r3\": it "
                           "holds a control character (<U+000A>), so it cannot be a replica's name.\r\nThe VOB was "
                           "not opened."_s}
            << 2 << docs << u"r1"_s << QString();
        QTest::newRow("script said why, another VOB's results left")
            << Dev << QString() << ran << why << 0 << missing << 5 << Dev << u"r1of3"_s
            << title + QString(why).replace(u"\r\n"_s, u"\n"_s); // the text box keeps LF only
        QTest::newRow("script crashed") << Dev << QString() << int(ShellResult::Outcome::Crashed) << QString() << 0
                                        << missing << 5 << Dev << u"r1of3"_s
                                        << title + u"The script ended abnormally."_s;
        QTest::newRow("one file written") << Dev << QString() << ran << why << 1 << missing.mid(0, 1) << 5 << Dev
                                          << u"r1of3"_s << QString();
    }
    void failedLoad()
    {
        QFETCH(QString, tag);
        QFETCH(QString, refused);
        QFETCH(int, outcome);
        QFETCH(QString, tail);
        QFETCH(int, filesWritten);
        QFETCH(QStringList, boxes);
        QFETCH(QString, shown);
        LoaderFixture f;
        frmMain &w = *f.window;
        w.show();
        addDemoVobs(f);
        f.addVob(u"/vobs/odd"_s, {u"r1"_s, u"r1,d1,h1,r1@/vobs/odd,r2\nr3,d2,h2,r1@/vobs/odd,"_s,
                                  {{u"r1"_s, u"1"_s, u"1"_s}}, {{u"r1"_s, u"1"_s, u"1"_s}}});
        f.vobs[Dev].actual.clear(); // the script writes nothing for it
        if (filesWritten == 0)
            f.vobs[Dev].local.clear();
        f.open(u"/vobs/docs"_s);
        const QList<QStringList> before = gridCells(w.epochView()->Grid1());
        f.writeResults({{u"elsewhere"_s, u"99"_s}}, {{u"elsewhere"_s, u"98"_s}});
        if (tag == Dev)
            w.graph()->hide(); // the picture may be hidden when the failure comes
        if (!refused.isEmpty())
            f.clearTool.failures.insert(refused == u"desc"_s ? Commands::localReplicaName(Dev) : Commands::replicaList(Dev),
                                        u"cleartool: Error: Unable to locate VOB \"/vobs/dev\"."_s);
        f.shell.result.outcome = ShellResult::Outcome(outcome);
        f.shell.result.exitCode = tail.isEmpty() ? 0 : 1;
        f.shell.result.errorTail = tail;
        f.log.clear();
        f.open(tag);

        QStringList said;
        for (const ScriptedDialogs::Box &box : std::as_const(f.dialogs.boxes))
            said << box.title + u' ' + box.prompt;
        for (QString &box : boxes) {
            if (box.startsWith(u"missing "_s))
                box = fileNotFound(f, box.mid(8));
        }
        QCOMPARE(said, boxes);
        QTEST(int(f.log.size()), "commands");
        QVERIFY(f.released() && !w.graph()->isHidden());
        QTEST(w.graph()->GMyReplicaName(), "myReplica");
        QCOMPARE(w.findChild<QLabel *>(u"vSelectedVobLbl"_s)->text(), u"VOB:"_s + shown);
        QCOMPARE(w.graph()->allSites().size(), shown == Dev ? 3 : 2);
        if (shown != Dev)
            QCOMPARE(gridCells(w.epochView()->Grid1()), before);
        for (const EpochGrid *grid : {w.epochView()->Grid1(), w.epochView()->Grid2()})
            QVERIFY(!gridCells(grid).value(1).value(0).startsWith(u"elsewhere"_s));
        const frmDetail *d = w.detailForm();
        QTEST(d && d->isVisible() ? d->windowTitle() + u": "_s + d->text() : QString(), "detail");
    }

    // A load goes through the logged layer: every command, each results file
    // read (a missing one as failed), and the bays in the same load. The log
    // window shows it and follows what comes.
    void logWindow()
    {
        LoaderFixture f;
        frmMain &w = *f.window;
        LoaderVob noLocal = toolsVob();
        noLocal.local.clear(); // the script leaves no local matrix
        f.addVob(Tools, noLocal);
        w.show();
        f.open(Tools);
        QStringList seen;
        for (const CommandLogEntry &e : f.window->commandLog().entries()) {
            const QString what = e.command.startsWith(f.workDir.path()) ? QDir(f.workDir.path()).relativeFilePath(e.command)
                                                                        : e.command.section(u' ', 0, e.command.startsWith(u"ccperl"_s) ? 0 : 1);
            seen << CommandLog::kindName(e.kind) + u": "_s + what + u" => "_s + e.outcome.section(u' ', 0, 1);
        }
        QCOMPARE(seen, (QStringList{u"cleartool: cleartool desc => status 0"_s,
                                    u"cleartool: cleartool lsreplica => status 0"_s, u"process: ccperl => exit 0"_s,
                                    u"file read: _results.txt => read, 2"_s,
                                    u"file read: _results_local.txt => failed: File"_s,
                                    u"cleartool: cleartool lsvob => status 0"_s,
                                    u"process: multitool lspacket => exit 0"_s}));
        QCOMPARE(f.window->commandLog().entries().first().output, u"boston_hub"_s);
        QVERIFY(!f.window->commandLog().entries().at(4).ok);

        // The working dialog came and went; the main window takes the keys.
        w.activateWindow();
        QTRY_VERIFY(w.isActiveWindow());

        // Ctrl+L, not a menu item: the menus stay as they are.
        QTest::keyClick(&w, Qt::Key_L, Qt::ControlModifier);
        frmCommandLog *log = w.commandLogForm();
        QVERIFY(log && log->isVisible());
        QCOMPARE(log->objectName(), u"frmCommandLog"_s);
        QCOMPARE(log->view()->model()->rowCount(), int(w.commandLog().entries().size()));

        // Details on demand: the chosen entry's output and error text; the
        // window opens on the newest entry.
        QVERIFY2(log->detailText().startsWith(w.commandLog().entries().last().command), qPrintable(log->detailText()));
        // Until the user picks an entry, the pane follows the newest.
        const int before = log->view()->model()->rowCount();
        CommandLogEntry late;
        late.command = u"cleartool lsvob -s"_s;
        late.output = u"/vobs/late"_s;
        w.commandLog().add(late);
        QCOMPARE(log->view()->currentIndex().row(), before);
        QCOMPARE(log->detailText(), CommandLog::detailText(w.commandLog().entries().last()));
        log->view()->selectRow(0);
        QVERIFY2(log->detailText().contains(u"Output:\nboston_hub\n"_s), qPrintable(log->detailText()));

        // Entries that arrive while it is open show at once; the entry picked
        // stays in the pane.
        f.open(Tools);
        QCOMPARE(log->view()->model()->rowCount(), before * 2 + 1);
        QCOMPARE(log->view()->currentIndex().row(), 0);
        QVERIFY2(log->detailText().contains(u"Output:\nboston_hub\n"_s), qPrintable(log->detailText()));

        log->hide();
        QTest::mouseClick(w.findChild<QToolButton *>(u"commandLogBut"_s), Qt::LeftButton);
        QVERIFY(log->isVisible());
        QCOMPARE(w.commandLogForm(), log); // one window, shown again
    }

    // A name of any length leaves the window's width alone: labels show it
    // shortened, with the whole name in their tooltip. A name holding a
    // right-to-left override stands isolated, so that it reverses nothing
    // around it: the caption, the fix's confirmation, the result line.
    void names_data()
    {
        QTest::addColumn<QString>("tag");
        QTest::addColumn<QString>("replica");
        QTest::addColumn<QString>("shownTag");     // in "VOB:"
        QTest::addColumn<QString>("shownReplica"); // in the confirmation
        QTest::addColumn<QString>("shownTarget");  // replica@tag in the result line
        const QString longTag = u"/vobs/"_s + QString(4090, u't');
        const QString longName = QString(4096, u'n');
        QTest::newRow("4 KB tag and name")
            << longTag << longName << u"/vobs/"_s + QString(46, u't') + u"\u2026"_s + QString(27, u't') << longName
            << QString(52, u'n') + u"\u2026"_s + QString(27, u't');
        const QString fsi = u"\u2068"_s, pdi = u"\u2069"_s;
        QTest::newRow("right-to-left override")
            << u"/vobs/\u202Esloot"_s << u"lon\u202Edon"_s << fsi + u"/vobs/\u202Esloot"_s + pdi
            << fsi + u"lon\u202Edon"_s + pdi << fsi + u"lon\u202Edon@/vobs/\u202Esloot"_s + pdi;
    }

    void names()
    {
        QFETCH(QString, tag);
        QFETCH(QString, replica);
        QFETCH(QString, shownTag);
        QFETCH(QString, shownReplica);
        QFETCH(QString, shownTarget);
        LoaderFixture f;
        frmMain &w = *f.window;
        const QList<QStringList> rows{{u"boston_hub"_s, u"5"_s, u"5"_s}, {replica, u"5"_s, u"5"_s}};
        f.addVob(tag, LoaderVob{u"boston_hub"_s,
                                u"boston_hub,2026-05-01,minuteman,boston_hub@x,%1,2026-05-01,thames,boston_hub@x,"_s.arg(
                                    replica),
                                rows, rows});
        w.show();
        f.open(tag);
        QTabBar *tabs = w.findChild<QTabBar *>();
        for (int page : {0, 1}) {
            tabs->setCurrentIndex(page);
            QApplication::processEvents();
            // Before: a minimum of 23,860 px and a wish for 63,003.
            QVERIFY2(w.minimumSizeHint().width() <= 1400 && w.sizeHint().width() <= 2000,
                     qPrintable(u"page %1: %2, %3"_s.arg(page).arg(w.minimumSizeHint().width()).arg(w.sizeHint().width())));
        }
        auto *vob = w.findChild<QLabel *>(u"vSelectedVobLbl"_s);
        QCOMPARE(vob->text(), u"VOB:"_s + shownTag);
        QCOMPARE(vob->toolTip(), tag.size() > 100 ? tag : QString());

        FixFrame *frame = w.fixFrame();
        frame->fixCombo()->setCurrentIndex(1);
        f.dialogs.boxes.clear();
        frame->fixOrSync(0);
        QCOMPARE(f.dialogs.boxes.value(0).prompt,
                 u"You are about to make changes to the Epoch table for replica:"_s + shownReplica +
                     u"\r\nAre you sure you want to continue?"_s);
        QVERIFY2(frame->resultLabel()->text().startsWith(u"multitool chepoch -actual "_s + shownTarget + u" \u2014 done"_s),
                 qPrintable(frame->resultLabel()->text().left(200)));
    }

    // A load of another VOB shows nothing of the VOB before: the replica's
    // fields as designed and no result line of its actions; one that ends
    // without its matrices, empty grids and no findings. One whose results
    // name replicas the VOB does not have says so first. The reload after a
    // maintenance action is the same VOB: the fields stay.
    void anotherVob_data()
    {
        QTest::addColumn<QString>("how");
        QTest::addColumn<QStringList>("boxes"); // a piece of each box
        QTest::addColumn<QString>("finding");   // the first one
        QTest::newRow("script cancelled") << u"cancel"_s << QStringList{u"Cancelled --> ccperl"_s} << QString();
        QTest::newRow("empty files") << u"empty"_s
                                     << QStringList{u"no line names a replica"_s, u"no line names a replica"_s}
                                     << QString();
        QTest::newRow("another VOB's results")
            << u"foreign"_s << QStringList{}
            << u"The results files name replicas this VOB does not have (boston_hub and london): they may be another "
               "VOB's, and nothing is advised about them."_s;
    }

    void anotherVob()
    {
        QFETCH(QString, how);
        QFETCH(QStringList, boxes);
        QFETCH(QString, finding);
        LoaderFixture f;
        frmMain &w = *f.window;
        const QString tag = u"/vobs/rome"_s;
        f.addVob(Tools, toolsVob());
        LoaderVob rome{u"rome"_s, otherVob().listing, {}, {}};
        if (how == u"empty"_s)
            rome.actual = rome.local = {QStringList{}};
        if (how == u"foreign"_s)
            rome = {u"rome"_s, otherVob().listing, toolsVob().actual, toolsVob().local};
        f.addVob(tag, rome);
        f.clearTool.outputs.insert(Commands::syncHistory(u"london"_s, Tools),
                                   u"import sync from replica \"boston_hub\" to replica \"london\",2026-06-01T10:00:00Z,"_s);
        const QStringList fields{u"vReplicaTxt"_s, u"vHostTxt"_s, u"vMasterTxt"_s, u"vDateTxt"_s,
                                 u"vImportDateTxt"_s, u"vExportDateTxt"_s, u"dEpoch(2)"_s, u"dEpoch(3)"_s};
        const auto texts = [&] {
            QStringList out;
            for (const QString &name : fields)
                out << w.findChild<QLineEdit *>(name)->text();
            return out;
        };
        const QStringList designed = texts();
        // The bays are read in the same load, through the same shell; a
        // listing that fails is a note and a finding, never a box.
        bool listed = false;
        f.shell.respond = [&listed](const QString &line) {
            ShellResult r;
            if (line == Commands::listPackets() && !std::exchange(listed, true)) {
                r.exitCode = 1;
                r.errorTail = u"multitool: Error: Permission denied"_s;
            }
            return r;
        };
        f.open(Tools);
        QCOMPARE(f.shell.reads, QStringList{Commands::listPackets()});
        QVERIFY(f.dialogs.boxes.isEmpty() && w.packets()->view()->isHidden());
        QVERIFY(w.packets()->note()->text().endsWith(u"failed: multitool: Error: Permission denied"_s));
        QVERIFY(findingTexts(w).join(u'\n').contains(u"This site's storage bays could not be listed"_s));
        Q_EMIT w.graph()->siteDoubleClicked(2);
        QComboBox *replica = w.findChild<QComboBox *>(u"dReplicaCombo"_s);
        replica->setCurrentIndex(replica->findText(u"london"_s));
        const QStringList shown = texts();
        QCOMPARE(shown.mid(0, 2), (QStringList{u"london"_s, u"thames"_s}));
        w.loadReplicaDetail();
        QCOMPARE(texts(), shown);
        QCOMPARE(gridTexts(w.epochView()->Grid1()).size(), 3);
        QLabel *result = w.fixFrame()->resultLabel();
        result->setText(u"multitool syncreplica -export -fship london@/vobs/tools \u2014 done, 10:00:00"_s);

        f.dialogs.boxes.clear();
        if (how == u"cancel"_s)
            f.duringScript = [&] { f.shell.cancel(); };
        f.open(tag);
        QCOMPARE(f.dialogs.boxes.size(), boxes.size());
        for (qsizetype i = 0; i < boxes.size(); ++i)
            QVERIFY2(f.dialogs.boxes[i].prompt.contains(boxes[i]), qPrintable(f.dialogs.boxes[i].prompt));
        QVERIFY(result->text().isEmpty());
        QCOMPARE(texts(), designed);
        QCOMPARE(w.findChild<QLineEdit *>(u"vReplicaTxt"_s)->toolTip(), QString());
        QCOMPARE(w.findChild<QLabel *>(u"vSelectedVobLbl"_s)->text(), u"VOB:"_s + tag);
        if (how == u"foreign"_s) {
            QCOMPARE(findingTexts(w), QStringList{finding});
            return;
        }
        for (EpochGrid *grid : {w.epochView()->Grid1(), w.epochView()->Grid2()})
            QCOMPARE(gridTexts(grid), (QStringList{u","_s, u","_s}));
        QCOMPARE(w.epochView()->actualOutOfSync(), QList<bool>(3, false));
        QCOMPARE(w.epochView()->localOutOfSync(), QList<bool>(3, false));
        QVERIFY(findingTexts(w).isEmpty());
    }

    // A repair acts on the VOB whose replicas are shown, or not at all: the
    // box names both, and nothing runs.
    void repairOnlyOnTheShownVob_data()
    {
        QTest::addColumn<QString>("action");
        QTest::addColumn<QString>("selected"); // empty: no entry selected
        QTest::addColumn<QString>("box");
        QTest::newRow("fix, another VOB")
            << u"fix"_s << Core
            << u"The VOB selected in the list, /vobs/core, is not the one shown, /vobs/tools. Open it, or "
               "select /vobs/tools again."_s;
        QTest::newRow("sync, no selection")
            << u"sync"_s << QString()
            << u"No VOB is selected in the list; the one shown is /vobs/tools. Select /vobs/tools again."_s;
    }
    void repairOnlyOnTheShownVob()
    {
        QFETCH(QString, action);
        QFETCH(QString, selected);
        Rig r;
        if (selected.isEmpty())
            r.w().vobList()->list()->setCurrentRow(-1);
        else
            r.select(selected);
        r.start(action);
        QVERIFY(r.released());
        QCOMPARE(r.log, QStringList());
        QTEST(r.dialogs.prompts().value(0), "box");
        QCOMPARE(r.dialogs.boxes.size(), 1);
    }

    // A close (or Exit) during a long action kills nothing and the window
    // closes once it has ended. During a sync the import ends, the export
    // still runs, the refresh is left out and the working dialog says why
    // the window stays; the replicated-only pass checks no further VOB and
    // does not bring the working dialog back.
    void closeDuringAction_data()
    {
        QTest::addColumn<bool>("viaExit");
        QTest::addColumn<QString>("action");
        QTest::addColumn<QStringList>("ran");
        const QStringList sync{u"shell multitool syncreplica -import -invob /vobs/tools -receive"_s,
                               u"shell multitool syncreplica -export -fship paris@/vobs/tools "_s};
        QTest::newRow("import, window closed") << false << u"sync"_s << sync;
        QTest::newRow("import, File > Exit") << true << u"sync"_s << sync;
        QTest::newRow("replicated-only pass") << false << u"load"_s
                                              << QStringList{u"cleartool "_s + Commands::vobCheck(u"/vobs/a"_s)};
    }
    void closeDuringAction()
    {
        QFETCH(bool, viaExit);
        QFETCH(QString, action);
        Rig r;
        r.clearTool.tags = {u"/vobs/a"_s, u"/vobs/b"_s, u"/vobs/c"_s};
        for (const QString &tag : std::as_const(r.clearTool.tags))
            r.clearTool.outputs.insert(Commands::vobCheck(tag), u"other"_s);
        bool visibleAfterClose = false;
        QStringList messages;
        const auto close = [&] {
            if (viaExit)
                r.w().findChild<QAction *>(u"mnuExit"_s)->trigger();
            else
                r.w().close();
            visibleAfterClose = r.w().isVisible();
        };
        r.onEach([&](const QString &line) {
            const bool check = line == u"cleartool "_s + Commands::vobCheck(u"/vobs/a"_s);
            if (check || line.contains(u"-import"_s))
                close();
            const frmWorking *dlg = r.w().workingForm();
            if (check)
                messages << dlg->message();
            else if (line.contains(u"-export"_s))
                messages << dlg->message() + (dlg->isVisible() && dlg->cancellable() ? u""_s : u" (hidden)"_s);
        });
        r.start(action);
        QVERIFY(visibleAfterClose);
        QTEST(r.log.filter(QRegularExpression(u"syncreplica|lsreplica"_s)), "ran");
        QCOMPARE(messages, QStringList{Closing});
        QVERIFY(!r.w().workingForm()->isVisible());
        QTRY_VERIFY(!r.w().isVisible());
        QVERIFY(r.dialogs.boxes.isEmpty());
    }

    // Cancel (the button, or Esc) while the script, a fix, an import, a
    // replica's details or a slow cleartool command runs (then only the
    // working dialog takes input: a click on the other tab changes no
    // page): that command ends, the action stops there with a box that says
    // what it left undone (the replicated-only pass stops quietly with the
    // VOBs not checked still listed), nothing runs after it (no matrices
    // read, no "file not found", no refresh), and the window is idle again.
    void cancel_data()
    {
        QTest::addColumn<QString>("action");
        QTest::addColumn<QString>("during"); // in the command's line
        QTest::addColumn<bool>("slow");      // a cleartool command
        QTest::addColumn<int>("escape"); // 0: the button, 1: Esc on the dialog, 2: Esc in the main window
        QTest::addColumn<QString>("box"); // empty: none
        QTest::newRow("open VOB, script, Cancel")
            << u"open"_s << u"ccperl"_s << false << 0 << u"The epoch matrices were not read"_s;
        QTest::newRow("fix, Esc")
            << u"fix"_s << u"chepoch"_s << false << 1 << u"The epoch table may have been changed in part"_s;
        QTest::newRow("import, Esc in the window")
            << u"sync"_s << u"-import"_s << false << 2 << u"the export was not started"_s;
        QTest::newRow("replica details, Esc")
            << u"details"_s << u"paris"_s << false << 1 << u"The replica's dates were not read"_s;
        QTest::newRow("open VOB, desc, Cancel")
            << u"open"_s << Commands::localReplicaName(Core) << true << 0
            << u"The VOB was not read; the window shows what it showed before."_s;
        QTest::newRow("replicated-only pass, Esc") << u"load"_s << Commands::vobCheck(Tools) << true << 2 << QString();
    }
    void cancel()
    {
        QFETCH(QString, action);
        QFETCH(QString, during);
        QFETCH(bool, slow);
        QFETCH(int, escape);
        QFETCH(QString, box);
        Rig r;
        r.vobs[Core].actual.clear(); // were they read, they would be missed
        r.vobs[Core].local.clear();
        r.clearTool.tags = {Tools, Core, u"/vobs/z"_s};
        r.clearTool.outputs.insert(Commands::vobCheck(Core), u"paris"_s);
        if (slow)
            r.clearTool.slow = {during};
        bool offered = false, pageKept = true;
        QString stopped;
        const auto stop = [&](const QString &line) {
            if (!line.contains(during) || !stopped.isEmpty())
                return;
            frmWorking *dlg = r.w().workingForm();
            auto *button = dlg->findChild<QPushButton *>(u"cancelBut"_s);
            offered = dlg->isVisible() && button->isVisible();
            QTabBar *tabs = r.w().tabStrip();
            const int page = tabs->currentIndex();
            if (slow)
                QTest::mouseClick(tabs, Qt::LeftButton, {}, tabs->tabRect(1 - page).center());
            pageKept = tabs->currentIndex() == page;
            // The dialog never takes the keyboard; Esc in the window asks
            // for its Cancel as well (during a slow command, through the
            // gate that drops every other key).
            if (escape == 2) {
                // This platform hands the keyboard to every window shown;
                // a window manager gives the dialog none.
                QVERIFY(r.activate());
                QTest::keyClick(r.w().vobList()->list(), Qt::Key_Escape);
            } else if (escape == 1) {
                QTest::keyClick(dlg, Qt::Key_Escape);
            } else {
                QTest::mouseClick(button, Qt::LeftButton);
            }
            stopped = line.startsWith(u"shell "_s) ? line.mid(6) : line;
        };
        r.onEach(stop);
        if (action == u"open"_s)
            r.select(Core);
        r.start(action);
        QVERIFY(offered && pageKept);
        QCOMPARE(r.shell.cancels + r.clearTool.cancels, 1);
        QVERIFY2(r.log.last().endsWith(stopped), qPrintable(r.log.join(u'\n'))); // nothing ran after it
        QCOMPARE(r.w().loader()->openedVobTag(), during == u"ccperl"_s ? Core : Tools);
        if (slow && box.isEmpty()) // the VOBs not checked stay listed
            QCOMPARE(entries(r.w().vobList()->list()), (QStringList{Core, Tools, u"/vobs/z"_s}));
        const QStringList cancelled = r.dialogs.prompts().filter(u"Cancelled"_s);
        QCOMPARE(cancelled.size(), box.isEmpty() ? 0 : 1);
        QCOMPARE(r.dialogs.boxes.size(), cancelled.size() + (during == u"chepoch"_s ? 1 : 0)); // the fix's confirmation
        if (!box.isEmpty())
            QVERIFY2(cancelled.first().startsWith(u"Cancelled --> "_s + stopped +
                                                  u"\r\nThe command was stopped before it ended. "_s) &&
                         cancelled.first().contains(box),
                     qPrintable(cancelled.first()));
        QVERIFY(r.released());
    }

    // Without a private work directory opening a VOB says so and runs
    // nothing; in particular no results file is removed or read anywhere.
    void noWorkDirectory()
    {
        LoaderFixture f;
        Services none = f.services;
        none.workDir.clear();
        frmMain w(none);
        w.vobList()->list()->addItem(Tools);
        w.vobList()->list()->setCurrentRow(0);
        w.pVobViewListDblClick();
        QVERIFY(f.log.isEmpty() && f.shell.lines.isEmpty());
        QCOMPARE(f.dialogs.boxes.size(), 1);
        QVERIFY(f.dialogs.boxes.first().prompt.contains(ProcessShell::noWorkDirText()));
    }

    // No long action runs inside another: each one that lets events through
    // (Load VOBs' pass, opening a VOB, fix, synchronize, a replica's details)
    // refuses every other started from its wait.
    void noActionInsideAnother_data()
    {
        QTest::addColumn<QString>("outer");
        QTest::addColumn<QString>("inner");
        const QStringList actions{u"load"_s, u"open"_s, u"fix"_s, u"sync"_s, u"details"_s};
        for (const QString &outer : actions) {
            for (const QString &inner : actions)
                QTest::addRow("%s during %s", qPrintable(inner), qPrintable(outer)) << outer << inner;
        }
    }
    void noActionInsideAnother()
    {
        QFETCH(QString, outer);
        QFETCH(QString, inner);
        Rig r;
        r.clearTool.tags = {Tools, Core};
        for (const QString &tag : {Tools, Core})
            r.clearTool.outputs.insert(Commands::vobCheck(tag), u"paris"_s);
        // Where each outer action lets events through.
        const QString waitOf = outer == u"load"_s   ? Commands::vobCheck(Tools)
                               : outer == u"open"_s ? scriptLine(r, Tools).mid(6)
                               : outer == u"fix"_s  ? u"chepoch"_s
                               : outer == u"sync"_s ? u"-import"_s
                                                    : u" paris"_s;
        int tried = 0;
        QStringList ranInside;
        const auto tryInner = [&](const QString &what) {
            if (tried || !what.contains(waitOf))
                return;
            ++tried;
            QVERIFY(r.w().longActionGuard().running());
            const qsizetype before = r.log.size();
            const QString vob = r.w().vobList()->selectedVobTag();
            r.start(inner);
            ranInside = r.log.mid(before);
            QCOMPARE(r.w().vobList()->selectedVobTag(), vob);
        };
        r.onEach(tryInner);
        r.start(outer);
        QCOMPARE(tried, 1);
        QCOMPARE(ranInside, QStringList());
        QVERIFY(!r.w().longActionGuard().running());
        QCOMPARE(r.w().replicaInfo()->replicaCombo()->currentIndex() == 2, outer == u"details"_s);
    }

    // The main window by keyboard alone: the page keys, the keys after a
    // load, the sites, boxes over the working dialog and the order Tab walks
    // the controls in. Keys go to the widget that has the focus, as a
    // keyboard's do.

    // The page keys step through the tabs from anywhere, wrapping round.
    // The Detail page is refused for a VOB with a single replica only.
    void pageKeys_data()
    {
        QTest::addColumn<int>("sites"); // of the VOB open
        QTest::addColumn<int>("from");
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("modifiers");
        QTest::addColumn<int>("page"); // -1: none shown
        QTest::addColumn<QString>("status");
        const int ctrl = int(Qt::ControlModifier);
        const QString idle = u"Status"_s;
        QTest::newRow("Ctrl+Tab") << 3 << 0 << int(Qt::Key_Tab) << ctrl << 1 << idle;
        QTest::newRow("Ctrl+PgDn wraps") << 3 << 1 << int(Qt::Key_PageDown) << ctrl << 0 << idle;
        QTest::newRow("Ctrl+PgUp wraps") << 3 << 0 << int(Qt::Key_PageUp) << ctrl << 1 << idle;
        QTest::newRow("Ctrl+Shift+Tab") << 3 << 1 << int(Qt::Key_Backtab) << int(Qt::ControlModifier | Qt::ShiftModifier)
                                        << 0 << idle;
        QTest::newRow("no VOB open") << 0 << 0 << int(Qt::Key_PageDown) << ctrl << 1 << idle;
        QTest::newRow("a single replica") << 1 << 0 << int(Qt::Key_PageDown) << ctrl << -1
                                          << u"* * No Detail information for this VOB * * "_s;
    }
    void pageKeys()
    {
        QFETCH(int, sites);
        QFETCH(int, from);
        QFETCH(int, key);
        QFETCH(int, modifiers);
        Window s;
        if (sites > 0)
            s.openDev(sites);
        s.w().tabStrip()->setCurrentIndex(from);
        s.get(u"pVobViewList"_s)->setFocus();
        Window::key(Qt::Key(key), Qt::KeyboardModifiers(modifiers));
        QTEST(s.page(), "page");
        QTEST(s.w().status(), "status");
    }

    // After Load VOBs on 300 VOBs, clicked while the list has the focus, the
    // keys act again: the working dialog came and went without taking the
    // keyboard, and the list, hidden while it filled, has the focus back.
    void keysAfterLoad()
    {
        Window s;
        for (int i = 0; i < 300; ++i) {
            const QString tag = u"/vobs/gen%1"_s.arg(i, 3, 10, QLatin1Char('0'));
            s.clearTool.tags << tag;
            s.clearTool.outputs.insert(Commands::vobCheck(tag), i % 3 ? u"peer"_s : QString());
        }
        QListWidget *list = s.w().vobList()->list();
        list->setFocus(Qt::TabFocusReason);
        QTest::mouseClick(s.get(u"loadVobsBut"_s), Qt::LeftButton);
        QCOMPARE(list->count(), 200); // replicated ones only
        const frmWorking *working = s.w().workingForm();
        QVERIFY(working && !working->isVisible());
        // This platform activates every window shown whatever it asks; the
        // flags are what a window manager honours.
        QVERIFY(working->windowFlags().testFlag(Qt::WindowDoesNotAcceptFocus) &&
                working->testAttribute(Qt::WA_ShowWithoutActivating));
        QTest::qWait(50); // what the window system sends after the load
        QCOMPARE(QApplication::activeWindow(), &s.w());
        QCOMPARE(Window::focused(), u"pVobViewList"_s);
        Window::key(Qt::Key_Down);
        QVERIFY(!s.w().vobList()->selectedVobTag().isEmpty());
    }

    // The sites by keyboard: Tab reaches the first site, the arrows go to
    // the nearest site that way (six to a row), End to the last; the framed
    // site is scrolled into view and Return opens its details.
    void sitesByKeyboard_data()
    {
        QTest::addColumn<QList<int>>("keys");
        QTest::addColumn<int>("site");
        QTest::newRow("Tab lands on site 1") << QList<int>{} << 1;
        QTest::newRow("Down, Right, Up") << QList<int>{Qt::Key_Down, Qt::Key_Right, Qt::Key_Up} << 2;
        QTest::newRow("End, the last of 40") << QList<int>{Qt::Key_End} << 40;
        QTest::newRow("Down six rows: a row below the sixth") << QList<int>(6, Qt::Key_Down) << 37;
    }
    void sitesByKeyboard()
    {
        QFETCH(QList<int>, keys);
        QFETCH(int, site);
        Window s;
        s.openDev(40);
        QVERIFY(s.activate());
        s.w().tabStrip()->setFocus(Qt::TabFocusReason);
        Window::key(Qt::Key_Tab);
        QCOMPARE(Window::focused(), u"vGraphPict"_s);
        for (const int k : keys)
            Window::key(Qt::Key(k));
        GraphView *graph = s.w().graph();
        QCOMPARE(graph->currentSite(), site);
        QWidget *viewport = graph->parentWidget();
        const QRect icon(graph->siteImage(site)->mapTo(viewport, QPoint(0, 0)), graph->siteImage(site)->size());
        QVERIFY(viewport->rect().contains(icon));
        Window::key(Qt::Key_Return);
        QCOMPARE(s.get<QLineEdit>(u"vReplicaTxt"_s)->text(), u"r%1"_s.arg(site));
    }

    // A box asked for while the always-on-top working dialog shows stands
    // above it; without the dialog, boxes are ordinary windows.
    void boxesAboveWorkingDialog()
    {
        Window s;
        RealDialogs dialogs(&s.w());
        for (const bool working : {false, true}) {
            if (working)
                s.w().setMsg(u"Loading and checking VOBs, this may take a several minutes..."_s);
            bool onTop = !working;
            QTimer::singleShot(0, [&] {
                QTRY_VERIFY(QApplication::activeModalWidget());
                QWidget *box = QApplication::activeModalWidget();
                onTop = box->windowFlags().testFlag(Qt::WindowStaysOnTopHint);
                box->close();
            });
            if (working)
                dialogs.inputBox(u"Epoch value"_s, u"Fix Epoch..."_s, u"12"_s);
            else
                dialogs.msgBox(u"Cancelled"_s, MsgButtons::Ok, MsgIcon::Exclamation, u"Working..."_s);
            QCOMPARE(onTop, working);
        }
    }

    // Tab walks the VOB list's column, the strip, then the page shown, left
    // to right and top to bottom: the local matrix before the actual one,
    // the findings before the actions they lead to.
    void tabOrder()
    {
        Window s;
        s.openDev();
        const QStringList column{u"loadVobsBut"_s, u"onlyReplicatedOnlyCB"_s, u"pVobViewList"_s,
                                 u"mainTabStrip"_s};
        const QStringList visual{u"vGraphPict"_s, u"vReplicaTxt"_s,    u"vHostTxt"_s,      u"vMasterTxt"_s,
                                 u"vDateTxt"_s,   u"vImportDateTxt"_s, u"vExportDateTxt"_s};
        QCOMPARE(s.tabWalk().join(u' '), (column + visual).join(u' '));

        s.w().tabStrip()->setCurrentIndex(1);
        auto *replicas = s.get<QComboBox>(u"dReplicaCombo"_s);
        replicas->setCurrentIndex(replicas->findText(u"r2"_s)); // shows the history picture
        s.get<QLabel>(u"dSyncImage(0)"_s)->show();
        s.get<QLabel>(u"dSyncImage(1)"_s)->show();
        const QStringList detail{
            u"dReplicaCombo"_s, u"dDetailImage"_s,  u"dEpoch(2)"_s, u"dEpoch(3)"_s,  u"dSyncImage(1)"_s,
            u"Grid2"_s,         u"dSyncImage(0)"_s, u"Grid1"_s,     u"dDiagnosis"_s, u"dFixLbl(0)"_s,
            u"dReplicaFixCombo(0)"_s, u"dFixOpt"_s,  u"dFixLbl(1)"_s, u"syncAllCB"_s};
        QStringList walk = s.tabWalk();
        walk.removeDuplicates();
        QCOMPARE(walk.join(u' '), (column + detail).join(u' '));
    }

    // Every window laid out with the desktop's font from 8 to 16 pt: each
    // label's and button's text fits the room it is given, and no control
    // lies outside its window, or outside what a scroll area in it reaches.
    // The main window also on a 1024 x 600 screen. The site controls of the
    // graph picture are placed in twips on purpose and are left out.
    void windows_data()
    {
        QTest::addColumn<int>("points");
        QTest::addColumn<QString>("window");
        QTest::addColumn<QSize>("size");
        for (const int points : {8, 16}) {
            for (const char *window : {"frmMain visual", "frmMain detail", "frmAbout", "frmGettingHelp",
                                       "frmWorking", "frmDetail"})
                QTest::addRow("%s, %d pt", window, points) << points << QString::fromLatin1(window) << QSize(1180, 720);
        }
        // A 1024 x 600 screen less the window manager's frame.
        for (const char *window : {"frmMain visual", "frmMain detail"})
            QTest::addRow("%s, 16 pt, 1024 x 600", window) << 16 << QString::fromLatin1(window) << QSize(1008, 552);
    }
    void windows()
    {
        QFETCH(int, points);
        QFETCH(QString, window);
        QFETCH(QSize, size);
        QFont font = m_desktop;
        font.setPointSize(points);
        QApplication::setFont(font);
        LoaderFixture f;
        // The first size is the designed one where the screen has room, and
        // never more than the screen's free area.
        const QSize room = QGuiApplication::primaryScreen()->availableGeometry().size();
        QVERIFY(f.window->width() <= std::min(1180, room.width()) && f.window->height() <= std::min(720, room.height()));
        std::unique_ptr<QWidget> own;
        QWidget *shown = f.window.get();
        // The header's longest text, as a run without ClearCase shows it.
        f.window->findChild<QLabel *>(u"clearCaseLbl"_s)
            ->setText(u"Simulated MultiSite region (no ClearCase installed)"_s);
        // Every control can be had at that size: nothing makes the window larger.
        const QSize needed = f.window->minimumSizeHint();
        QVERIFY2(needed.width() <= size.width() && needed.height() <= size.height(),
                 qPrintable(u"needs %1 x %2"_s.arg(needed.width()).arg(needed.height())));
        f.window->resize(size);
        if (window.startsWith(u"frmMain"_s)) {
            f.addVob(Core, eightReplicas(Core));
            f.window->show();
            f.open(Core);
            if (window.endsWith(u"detail"_s)) {
                f.window->tabStrip()->setCurrentIndex(1);
                auto *replicas = f.window->findChild<QComboBox *>(u"dReplicaCombo"_s);
                replicas->setCurrentIndex(replicas->findText(u"sanfran_hub"_s));
                f.window->epochView()->dSyncImage(0)->show();
                f.window->epochView()->dSyncImage(1)->show();
            }
        } else if (window == u"frmAbout"_s) {
            own = std::make_unique<frmAbout>();
        } else if (window == u"frmGettingHelp"_s) {
            own = std::make_unique<frmGettingHelp>();
        } else if (window == u"frmWorking"_s) {
            f.window->setMsg(u"Checking VOB --> /vobs/projects/europe/manufacturing/line_control_firmware"_s);
            shown = f.window->workingForm();
        } else {
            f.window->setDetail(u"Date:2026-05-01 User:admin\nimport sync from replica \"sanfran_hub\""_s,
                                u"History Detail: sanfran_hub"_s);
            shown = f.window->detailForm();
        }
        if (own)
            shown = own.get();
        shown->show();
        QVERIFY(QTest::qWaitForWindowExposed(shown));
        QTest::qWait(20); // deferred layouts (the grids) settle
        const QStringList cut = cutTexts(shown);
        QVERIFY2(cut.isEmpty(), qPrintable(cut.join(u"; "_s)));
        const QStringList out = outside(shown);
        QVERIFY2(out.isEmpty(), qPrintable(out.join(u"; "_s)));
        if (shown == f.window.get()) {
            // A change of page keeps the window's size.
            f.window->tabStrip()->setCurrentIndex(1 - f.window->tabStrip()->currentIndex());
            QTest::qWait(20);
            QCOMPARE(f.window->size(), size);
        }
    }

    // A window already open follows a change of the desktop's font: the
    // header's title is sized from it. (A running application sends the
    // event itself; one that has not entered its event loop does not.)
    void followsTheDesktopFont()
    {
        LoaderFixture f;
        f.window->show();
        QFont font = m_desktop;
        font.setPointSize(20);
        QApplication::setFont(font);
        QEvent changed(QEvent::ApplicationFontChange);
        QApplication::sendEvent(f.window.get(), &changed);
        QCOMPARE(f.window->findChild<QLabel *>(u"headerLbl(0)"_s)->font().pointSizeF(), 32.0);
    }

    // Getting Help's picture opens the web page on a left click released on
    // it, and nothing else in the window opens it.
    void onlyThePictureOpensTheWebPage()
    {
        QDesktopServices::setUrlHandler(u"https"_s, this, "open");
        frmGettingHelp w;
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        auto *image = w.findChild<QLabel *>(u"Image1"_s);
        QTest::mouseClick(w.findChild<QLabel *>(u"lblMain(0)"_s), Qt::LeftButton);
        QTest::mouseClick(image, Qt::RightButton);
        QTest::mousePress(image, Qt::LeftButton);
        QTest::mouseRelease(image, Qt::LeftButton, {}, QPoint(-5, -5)); // released outside
        QVERIFY(m_opened.isEmpty());
        QTest::mouseClick(image, Qt::LeftButton);
        QDesktopServices::unsetUrlHandler(u"https"_s);
        QCOMPARE(m_opened, QList<QUrl>{QUrl(u"https://www.belmora.example"_s)});
    }

public slots:
    // Stands in for the browser.
    void open(const QUrl &url) { m_opened.append(url); }

private:
    QFont m_desktop;
    QList<QUrl> m_opened;
};

QTEST_MAIN(TestFrmMain)
#include "tst_frmmain.moc"
