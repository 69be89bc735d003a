// The main window by keyboard alone: menus and their keys, the page keys,
// opening a VOB from the list, the detail window's Esc, the order Tab walks
// the controls in, and the hourglass reaching the one main window. Keys go
// to the widget that has the focus, as a keyboard's do.
#include "maintenance/FixFrame.h"
#include "replicas/EpochMatrixView.h"
#include "support/LoaderFixture.h"
#include "ui/RealDialogs.h"
#include "ui/frmCommandLog.h"
#include "ui/frmDetail.h"
#include "ui/frmWorking.h"
#include "maintenance/ReplicaFieldsPanel.h"

#include <QAction>
#include <QCheckBox>
#include <QApplication>
#include <QComboBox>
#include <QFrame>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QTabBar>
#include <QTest>
#include <QTimer>
#include <QLineEdit>
#include <QMessageBox>
#include <QInputDialog>

using namespace quorvane;
using namespace quorvane::test;
using namespace Qt::StringLiterals;

namespace {

// Replicas "<prefix>1" ... "<prefix>n" of the tag, mastered by the first (the
// local one); the second lags behind in column 1 of the actual matrix.
LoaderVob makeVob(const QString &tag, int sites, const QString &prefix = u"r"_s)
{
    LoaderVob v{prefix + u'1', QString(), {}, {}};
    for (int k = 1; k <= sites; ++k) {
        const QString n = prefix + QString::number(k);
        v.listing += n + u",2026-05-01,host_"_s + n + u',' + v.myReplica + u'@' + tag + u',';
        v.actual.append({n});
        for (int j = 0; j < sites; ++j)
            v.actual.last() << QString::number(10 + j);
    }
    v.local = v.actual;
    if (sites > 1)
        v.actual[1][1] = u"9"_s;
    return v;
}

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
    QAction *action(const QString &name) const { return get<QAction>(name); }

    // A key as the keyboard gives it: to an open menu, which holds the
    // keyboard, else to the focused widget.
    static void key(Qt::Key k, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
    {
        QWidget *target = QApplication::activePopupWidget();
        if (!target)
            target = QApplication::focusWidget();
        if (!target)
            target = QApplication::activeWindow();
        QTest::keyClick(target, k, modifiers);
    }
    static QString focused()
    {
        const QWidget *f = QApplication::focusWidget();
        return f ? f->objectName() : u"(none)"_s;
    }
    // Tab from the first control until the focus comes round again.
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
            seen << focused();
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

// Runs `open` and answers the modal window it shows with `answer`; gives the
// name of the window that was modal, empty when none came up within 5 s.
QString answerModal(const std::function<void()> &open, Qt::Key answer)
{
    QString name;
    QTimer poll;
    int tries = 0;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        QWidget *modal = QApplication::activeModalWidget();
        if (!modal) {
            if (++tries > 250)
                poll.stop();
            return;
        }
        poll.stop();
        name = modal->objectName();
        QWidget *target = modal->focusWidget() ? modal->focusWidget() : modal;
        QTest::keyClick(target, answer);
        // A key the window does not answer would leave the test hanging.
        if (modal->isVisible()) {
            name += u" (still open)"_s;
            modal->close();
        }
    });
    poll.start(20);
    open();
    if (!QTest::qWaitFor([&] { return !poll.isActive(); }, 6000))
        name += u" (no answer)"_s;
    return name;
}

} // namespace

class TestKeyboard : public QObject {
    Q_OBJECT
private slots:
    // Alt and the underlined letter open a menu; the items carry their own
    // letters and keys.
    void menus()
    {
        Window s;
        auto *file = s.get<QMenu>(u"mnuFile"_s);
        auto *help = s.get<QMenu>(u"mnuHelp"_s);
        QCOMPARE(file->title(), u"&File"_s);
        QCOMPARE(help->title(), u"&Help"_s);
        s.get(u"pVobViewList"_s)->setFocus();
        Window::key(Qt::Key_H, Qt::AltModifier);
        QTRY_VERIFY(help->isVisible());
        QTest::keyClick(help, Qt::Key_Escape);
        QTRY_VERIFY(!help->isVisible());
        Window::key(Qt::Key_F, Qt::AltModifier);
        QTRY_VERIFY(file->isVisible());
        QTest::keyClick(file, Qt::Key_Escape);
        QTRY_VERIFY(!file->isVisible());

        QVERIFY(s.action(u"mnuExit"_s)->shortcuts().contains(QKeySequence(Qt::CTRL | Qt::Key_Q)));
        QCOMPARE(s.action(u"mnuGettingHelp"_s)->shortcut(), QKeySequence(Qt::Key_F1));
        QCOMPARE(s.action(u"mnuContent"_s)->text(), u"&Content"_s);
    }

    // F1 and the About item by its letters open the two windows; Esc and
    // Return each answer them.
    void helpWindows_data()
    {
        QTest::addColumn<QString>("how");
        QTest::addColumn<int>("answer");
        QTest::addColumn<QString>("window");
        QTest::newRow("F1, Esc") << u"F1"_s << int(Qt::Key_Escape) << u"frmGettingHelp"_s;
        QTest::newRow("F1, Return") << u"F1"_s << int(Qt::Key_Return) << u"frmGettingHelp"_s;
        QTest::newRow("Alt+H G, Esc") << u"HG"_s << int(Qt::Key_Escape) << u"frmGettingHelp"_s;
        QTest::newRow("Alt+H A, Esc") << u"HA"_s << int(Qt::Key_Escape) << u"frmAbout"_s;
        QTest::newRow("Alt+H A, Return") << u"HA"_s << int(Qt::Key_Return) << u"frmAbout"_s;
    }
    void helpWindows()
    {
        QFETCH(QString, how);
        QFETCH(int, answer);
        QFETCH(QString, window);
        Window s;
        s.get(u"pVobViewList"_s)->setFocus();
        const QString shown = answerModal(
            [&] {
                if (how == u"F1"_s) {
                    Window::key(Qt::Key_F1);
                    return;
                }
                Window::key(Qt::Key_H, Qt::AltModifier);
                QTRY_VERIFY(s.get<QMenu>(u"mnuHelp"_s)->isVisible());
                Window::key(how.at(1) == u'A' ? Qt::Key_A : Qt::Key_G);
            },
            Qt::Key(answer));
        QCOMPARE(shown, window);
        QVERIFY(!QApplication::activeModalWidget());
    }

    // Ctrl+Q ends the program as "Exit" does: every window closes.
    void quitKey()
    {
        Window s;
        s.w().setDetail(u"text"_s, u"title"_s);
        s.w().activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&s.w()));
        s.get(u"pVobViewList"_s)->setFocus();
        Window::key(Qt::Key_Q, Qt::ControlModifier);
        QVERIFY(!s.w().isVisible());
        QVERIFY(!s.w().detailForm()->isVisible());
    }

    // The page keys step through the tabs, wrapping round, and each change
    // runs the tab switch: a VOB with one replica refuses the Detail page.
    void pageKeys_data()
    {
        QTest::addColumn<int>("from");
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("modifiers");
        QTest::addColumn<int>("to");
        const int ctrl = int(Qt::ControlModifier);
        QTest::newRow("Ctrl+Tab") << 0 << int(Qt::Key_Tab) << ctrl << 1;
        QTest::newRow("Ctrl+Tab wraps") << 1 << int(Qt::Key_Tab) << ctrl << 0;
        QTest::newRow("Ctrl+PgDn") << 0 << int(Qt::Key_PageDown) << ctrl << 1;
        QTest::newRow("Ctrl+PgUp") << 1 << int(Qt::Key_PageUp) << ctrl << 0;
        QTest::newRow("Ctrl+PgUp wraps") << 0 << int(Qt::Key_PageUp) << ctrl << 1;
        QTest::newRow("Ctrl+Shift+Tab")
            << 1 << int(Qt::Key_Backtab) << int(Qt::ControlModifier | Qt::ShiftModifier) << 0;
    }
    void pageKeys()
    {
        QFETCH(int, from);
        QFETCH(int, key);
        QFETCH(int, modifiers);
        QFETCH(int, to);
        Window s;
        s.addVob(u"/vobs/dev"_s, makeVob(u"/vobs/dev"_s, 3));
        s.addVob(u"/vobs/solo"_s, makeVob(u"/vobs/solo"_s, 1));
        s.open(u"/vobs/dev"_s);
        s.w().tabStrip()->setCurrentIndex(from);
        QCOMPARE(s.page(), from);
        s.get(u"pVobViewList"_s)->setFocus();
        Window::key(Qt::Key(key), Qt::KeyboardModifiers(modifiers));
        QCOMPARE(s.w().tabStrip()->currentIndex(), to);
        QCOMPARE(s.page(), to);
        QCOMPARE(s.w().status(), u"Status"_s);

        // The same key with a single-replica VOB open: the switch runs.
        s.open(u"/vobs/solo"_s);
        s.w().tabStrip()->setCurrentIndex(from);
        s.get(u"pVobViewList"_s)->setFocus();
        Window::key(Qt::Key(key), Qt::KeyboardModifiers(modifiers));
        QCOMPARE(s.page(), to == 1 ? -1 : 0);
        if (to == 1)
            QCOMPARE(s.w().status(), u"* * No Detail information for this VOB * * "_s);
    }

    // The strip takes the focus and its arrows change the page; while the
    // strip is disabled (a VOB loading) the page keys do nothing.
    void tabStripFocus()
    {
        Window s;
        s.get(u"pVobViewList"_s)->setFocus();
        Window::key(Qt::Key_Tab);
        QCOMPARE(Window::focused(), u"mainTabStrip"_s);
        Window::key(Qt::Key_Right);
        QCOMPARE(s.page(), 1);
        Window::key(Qt::Key_Left);
        QCOMPARE(s.page(), 0);

        s.w().tabStrip()->setEnabled(false);
        s.get(u"pVobViewList"_s)->setFocus();
        Window::key(Qt::Key_Tab, Qt::ControlModifier);
        QCOMPARE(s.w().tabStrip()->currentIndex(), 0);
        QCOMPARE(s.page(), 0);
    }

    // Return or Enter on an entry of the VOB list opens it as the double
    // click does; in an empty list they do nothing.
    void vobListReturn_data()
    {
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("modifiers");
        QTest::addColumn<bool>("listed");
        QTest::addColumn<bool>("opens");
        QTest::newRow("Return") << int(Qt::Key_Return) << 0 << true << true;
        QTest::newRow("keypad Enter") << int(Qt::Key_Enter) << int(Qt::KeypadModifier) << true << true;
        QTest::newRow("Return, empty list") << int(Qt::Key_Return) << 0 << false << false;
        QTest::newRow("Ctrl+Return") << int(Qt::Key_Return) << int(Qt::ControlModifier) << true << false;
    }
    void vobListReturn()
    {
        QFETCH(int, key);
        QFETCH(int, modifiers);
        QFETCH(bool, listed);
        QFETCH(bool, opens);
        Window s;
        if (listed)
            s.addVob(u"/vobs/dev"_s, makeVob(u"/vobs/dev"_s, 3));
        QListWidget *list = s.w().vobList()->list();
        list->setFocus();
        Window::key(Qt::Key(key), Qt::KeyboardModifiers(modifiers));
        QCOMPARE(s.w().siteCount(), opens ? 3 : 0);
        if (opens)
            QVERIFY(s.log.contains(u"cleartool "_s + Commands::replicaList(u"/vobs/dev"_s)));
        else
            QCOMPARE(s.log, QStringList());
    }

    // Esc hides the detail window as its close picture does; its text
    // stays. The command log closes with Esc from its list or its pane.
    void secondaryWindowEsc_data()
    {
        QTest::addColumn<QString>("window");
        QTest::addColumn<QString>("focus");
        QTest::newRow("detail window") << u"frmDetail"_s << u"mainTxt"_s;
        QTest::newRow("command log, list") << u"frmCommandLog"_s << u"logView"_s;
        QTest::newRow("command log, detail pane") << u"frmCommandLog"_s << u"logDetailTxt"_s;
    }
    void secondaryWindowEsc()
    {
        QFETCH(QString, window);
        QFETCH(QString, focus);
        Window s;
        QWidget *shown = nullptr;
        if (window == u"frmDetail"_s) {
            s.w().setDetail(u"history"_s, u"History Detail: r1"_s);
            shown = s.w().detailForm();
        } else {
            s.w().showCommandLog();
            shown = s.w().commandLogForm();
        }
        shown->activateWindow();
        QTRY_COMPARE(QApplication::activeWindow(), shown);
        auto *target = shown->findChild<QWidget *>(focus);
        target->setFocus();
        QCOMPARE(Window::focused(), focus);
        Window::key(Qt::Key_Escape);
        QVERIFY(!shown->isVisible());
        if (auto *detail = qobject_cast<frmDetail *>(shown))
            QCOMPARE(detail->text(), u"history"_s);
        QVERIFY(s.w().isVisible());
    }

    // After Load VOBs by keyboard the keys act again, however many VOBs were
    // listed and checked: the working dialog came and went without taking
    // the keyboard, and the focus is where the user left it.
    void keysAfterLoad_data()
    {
        QTest::addColumn<bool>("replicatedOnly");
        QTest::addColumn<int>("vobs");
        QTest::addColumn<bool>("fromList"); // the list has the focus, Load VOBs is clicked
        QTest::newRow("300 VOBs, all listed") << false << 300 << false;
        QTest::newRow("300 VOBs checked") << true << 300 << false;
        QTest::newRow("3 VOBs, all listed") << false << 3 << false;
        QTest::newRow("300 VOBs checked, clicked from the list") << true << 300 << true;
    }
    void keysAfterLoad()
    {
        QFETCH(bool, replicatedOnly);
        QFETCH(int, vobs);
        QFETCH(bool, fromList);
        Window s;
        for (int i = 0; i < vobs; ++i) {
            const QString tag = u"/vobs/gen%1"_s.arg(i, 3, 10, QLatin1Char('0'));
            s.clearTool.tags << tag;
            s.clearTool.outputs.insert(Commands::vobCheck(tag), i % 3 ? u"peer"_s : QString());
        }
        // The working dialog must never take the keyboard: one that did, and
        // was hidden before the window manager had handed it over (a quick
        // load), kept every key. The flag is what the window system honours;
        // this platform activates every window shown whatever it says.
        const auto keyboardRefused = [&] {
            return s.w().workingForm()->windowFlags().testFlag(Qt::WindowDoesNotAcceptFocus)
                && s.w().workingForm()->testAttribute(Qt::WA_ShowWithoutActivating);
        };

        // Tab, Space (the box), Shift+Tab, Space (Load VOBs), as a user does.
        auto *box = s.get<QCheckBox>(u"onlyReplicatedOnlyCB"_s);
        if (fromList) {
            QListWidget *list = s.w().vobList()->list();
            list->setFocus(Qt::TabFocusReason);
            QTest::mouseClick(s.get(u"loadVobsBut"_s), Qt::LeftButton);
            QCOMPARE(list->count(), vobs - (vobs + 2) / 3);
            QTest::qWait(50);
            QCOMPARE(QApplication::activeWindow(), &s.w());
            QCOMPARE(Window::focused(), u"pVobViewList"_s); // hidden while it filled, it has the focus back
            Window::key(Qt::Key_Down);
            QVERIFY(!s.w().vobList()->selectedVobTag().isEmpty());
            QVERIFY(keyboardRefused());
            return;
        }
        s.get(u"loadVobsBut"_s)->setFocus(Qt::TabFocusReason);
        if (!replicatedOnly) {
            Window::key(Qt::Key_Tab);
            QCOMPARE(Window::focused(), u"onlyReplicatedOnlyCB"_s);
            Window::key(Qt::Key_Space);
            QVERIFY(!box->isChecked());
            Window::key(Qt::Key_Backtab, Qt::ShiftModifier);
        }
        QCOMPARE(Window::focused(), u"loadVobsBut"_s);
        Window::key(Qt::Key_Space);
        QCOMPARE(s.w().vobList()->list()->count(), replicatedOnly ? vobs - (vobs + 2) / 3 : vobs);
        QVERIFY(s.w().workingForm() && !s.w().workingForm()->isVisible());
        QTest::qWait(50); // what the window system sends after the load
        QVERIFY(keyboardRefused());
        QCOMPARE(QApplication::activeWindow(), &s.w());
        QCOMPARE(Window::focused(), u"loadVobsBut"_s);
        // Keys that act: Tab moves on, Space ticks the box, Tab reaches the list.
        Window::key(Qt::Key_Tab);
        QCOMPARE(Window::focused(), u"onlyReplicatedOnlyCB"_s);
        Window::key(Qt::Key_Space);
        QCOMPARE(box->isChecked(), !replicatedOnly);
        Window::key(Qt::Key_Tab);
        QCOMPARE(Window::focused(), u"pVobViewList"_s);
        Window::key(Qt::Key_Down);
        QVERIFY(!s.w().vobList()->selectedVobTag().isEmpty());
    }

    // The sites by keyboard: Tab reaches the picture on the first site, the
    // arrows go to the nearest site that way (six to a row), Home and End to
    // the first and last, and Return opens the framed site's details.
    void sitesByKeyboard_data()
    {
        QTest::addColumn<QList<int>>("keys");
        QTest::addColumn<int>("site");
        QTest::newRow("Tab lands on site 1") << QList<int>{} << 1;
        QTest::newRow("Right") << QList<int>{Qt::Key_Right} << 2;
        QTest::newRow("Down to the next row") << QList<int>{Qt::Key_Down} << 7;
        QTest::newRow("Down, Right, Up") << QList<int>{Qt::Key_Down, Qt::Key_Right, Qt::Key_Up} << 2;
        QTest::newRow("Left at the row's start stays") << QList<int>{Qt::Key_Left} << 1;
        QTest::newRow("End, Home") << QList<int>{Qt::Key_End, Qt::Key_Home} << 1;
        QTest::newRow("End: the last of 40, row seven") << QList<int>{Qt::Key_End} << 40;
        QTest::newRow("Down six rows: a row below the sixth")
            << QList<int>{Qt::Key_Down, Qt::Key_Down, Qt::Key_Down, Qt::Key_Down, Qt::Key_Down, Qt::Key_Down}
            << 37;
    }
    void sitesByKeyboard()
    {
        QFETCH(QList<int>, keys);
        QFETCH(int, site);
        Window s;
        s.addVob(u"/vobs/big"_s, makeVob(u"/vobs/big"_s, 40));
        s.open(u"/vobs/big"_s);
        QVERIFY(s.activate());
        s.w().tabStrip()->setFocus(Qt::TabFocusReason);
        Window::key(Qt::Key_Tab);
        QCOMPARE(Window::focused(), u"vGraphPict"_s);
        for (const int k : keys)
            Window::key(Qt::Key(k));
        GraphView *graph = s.w().graph();
        QCOMPARE(graph->currentSite(), site);
        // The framed site is scrolled into view.
        QWidget *viewport = graph->parentWidget();
        const QRect icon(graph->siteImage(site)->mapTo(viewport, QPoint(0, 0)), graph->siteImage(site)->size());
        QVERIFY2(viewport->rect().contains(icon), qPrintable(u"site %1 not in view"_s.arg(site)));
        Window::key(Qt::Key_Return);
        QCOMPARE(s.get<QLineEdit>(u"vReplicaTxt"_s)->text(), u"r%1"_s.arg(site));
    }

    // A box asked for while the always-on-top working dialog shows stands
    // above it: it is always-on-top too, opened after it. Without the
    // dialog, boxes are ordinary windows.
    void boxesAboveWorkingDialog_data()
    {
        QTest::addColumn<bool>("working");
        QTest::addColumn<bool>("input");
        QTest::newRow("message box over the dialog") << true << false;
        QTest::newRow("input box over the dialog") << true << true;
        QTest::newRow("message box alone") << false << false;
    }
    void boxesAboveWorkingDialog()
    {
        QFETCH(bool, working);
        QFETCH(bool, input);
        Window s;
        if (working)
            s.w().setMsg(u"Loading and checking VOBs, this may take a several minutes..."_s);
        RealDialogs dialogs(&s.w());
        bool onTop = !working;
        QString kind;
        QTimer::singleShot(0, [&] {
            QTRY_VERIFY(QApplication::activeModalWidget());
            QWidget *box = QApplication::activeModalWidget();
            kind = QString::fromLatin1(box->metaObject()->className());
            onTop = box->windowFlags().testFlag(Qt::WindowStaysOnTopHint);
            box->close();
        });
        if (input)
            dialogs.inputBox(u"Epoch value"_s, u"Fix Epoch..."_s, u"12"_s);
        else
            dialogs.msgBox(u"Cancelled"_s, MsgButtons::Ok, MsgIcon::Exclamation, u"Working..."_s);
        QCOMPARE(kind, input ? u"QInputDialog"_s : u"QMessageBox"_s);
        QCOMPARE(onTop, working);
    }

    // Tab walks the VOB list's column, the strip, then the page shown, left
    // to right and top to bottom: the local matrix before the actual one,
    // each action's label before what it reads.
    void tabOrder()
    {
        Window s;
        s.addVob(u"/vobs/dev"_s, makeVob(u"/vobs/dev"_s, 3));
        s.open(u"/vobs/dev"_s);
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
        // The findings stand under the matrices, before the actions they lead to.
        // The options are one stop, as a group: Tab enters it, the arrows
        // move within it.
        QStringList walk = s.tabWalk();
        for (QString &name : walk)
            if (name.startsWith(u"dFixOpt("_s))
                name = u"dFixOpt"_s;
        walk.removeDuplicates();
        QCOMPARE(walk.join(u' '), (column + detail).join(u' '));
    }

    // The hourglass is shown over the one main window, whichever window's
    // feedback turns it on.
    void hourglassOnMainForm()
    {
        Window first;
        Window second;
        mainForm = first.window.get();
        second.w().setBusy(true, QString());
        QCOMPARE(first.w().cursor().shape(), Qt::WaitCursor);
        QVERIFY(second.w().cursor().shape() != Qt::WaitCursor);
        second.w().setBusy(false, QString());
        QCOMPARE(first.w().cursor().shape(), Qt::ArrowCursor);
        mainForm = nullptr;
    }
};

QTEST_MAIN(TestKeyboard)
#include "tst_keyboard.moc"
