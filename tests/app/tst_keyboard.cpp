// The main window by keyboard alone: the page keys, the keys after a load,
// the sites, boxes over the working dialog and the order Tab walks the
// controls in. Keys go to the widget that has the focus, as a
// keyboard's do.
#include "support/LoaderFixture.h"
#include "ui/RealDialogs.h"
#include "ui/frmWorking.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QTabBar>
#include <QTest>
#include <QTimer>

using namespace quorvane;
using namespace quorvane::test;
using namespace Qt::StringLiterals;

namespace {

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
        addVob(u"/vobs/dev"_s, family(u"/vobs/dev"_s, numberedNames(sites)));
        open(u"/vobs/dev"_s);
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

} // namespace

class TestKeyboard : public QObject {
    Q_OBJECT
private slots:

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
};

QTEST_MAIN(TestKeyboard)
#include "tst_keyboard.moc"
