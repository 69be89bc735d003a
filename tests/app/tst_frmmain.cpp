#include "support/MainWindowFixture.h"

#include "graph/GraphView.h"
#include "ui/frmDetail.h"
#include "ui/frmWorking.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QFrame>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QProgressBar>
#include <QStatusBar>
#include <QTabBar>
#include <QTest>
#include <QTimer>

using namespace quorvane;
using namespace quorvane::test;

namespace {
QFrame *page(frmMain &w, int i)
{
    return w.findChild<QFrame *>(QStringLiteral("frameMainTabStrip(%1)").arg(i));
}
QStringList menuItems(QMenu *m)
{
    QStringList items;
    for (QAction *a : m->actions())
        items << (a->isSeparator() ? QStringLiteral("-") : a->text());
    return items;
}
void clickTab(frmMain &w, int index)
{
    QTabBar *tabs = w.tabStrip();
    QTest::mouseClick(tabs, Qt::LeftButton, {}, tabs->tabRect(index).center());
}
} // namespace

class TestFrmMain : public QObject {
    Q_OBJECT
private slots:
    void loadInitialisesTheFrame()
    {
        MainWindowFixture f;
        frmMain &w = *f.window;
        QCOMPARE(w.status(), QStringLiteral("Status"));
        QCOMPARE(w.findChild<QLabel *>(QStringLiteral("headerLbl(0)"))->text(), QStringLiteral("Quorvane"));
        QCOMPARE(w.windowTitle(), QStringLiteral("Quorvane"));
        w.applyCaption();
        QCOMPARE(w.windowTitle(), QStringLiteral("Quorvane - 1.2.1"));
        auto *bar = w.findChild<QProgressBar *>(QStringLiteral("ProgressBar1"));
        QVERIFY(bar && bar->isHidden());
        QCOMPARE(bar->minimum(), 0);
        QCOMPARE(bar->maximum(), 100);
        QTabBar *tabs = w.tabStrip();
        QCOMPARE(tabs->count(), 2);
        QCOMPARE(tabs->tabText(0), QStringLiteral("Visual"));
        QCOMPARE(tabs->tabData(0).toString(), QStringLiteral("visual"));
        QCOMPARE(tabs->tabToolTip(0), QStringLiteral("Visual illustration of multisite for VOB: "));
        QCOMPARE(tabs->tabText(1), QStringLiteral("Detail"));
        QCOMPARE(tabs->tabData(1).toString(), QStringLiteral("detail"));
        QCOMPARE(tabs->tabToolTip(1), QStringLiteral("Replica Detail"));
        QCOMPARE(tabs->currentIndex(), 0);
        for (const char *name : {"dReplicaCombo", "dReplicaFixCombo(0)", "dReplicaFixCombo(1)"}) {
            auto *combo = w.findChild<QComboBox *>(QString::fromLatin1(name));
            QVERIFY2(combo, name);
            QCOMPARE(combo->count(), 1);
            QCOMPARE(combo->itemText(0), QStringLiteral("<select_replica>"));
            QCOMPARE(combo->currentIndex(), 0);
        }
        for (const char *name : {"frameMain", "loadVobsBut", "onlyReplicatedOnlyCB", "pVobViewList", "vGraphPict",
                                 "pictMsgLbl", "Grid1", "Grid2", "dFixFrame", "statBar", "progBarTimer",
                                 "vSelectedVobLbl", "dEpoch(2)", "dEpoch(3)", "dSyncImage(0)", "dSyncImage(1)"})
            QVERIFY2(w.findChild<QObject *>(QString::fromLatin1(name)), name);
    }

    void menusReadExactly()
    {
        MainWindowFixture f;
        auto *file = f.window->findChild<QMenu *>(QStringLiteral("mnuFile"));
        auto *help = f.window->findChild<QMenu *>(QStringLiteral("mnuHelp"));
        QCOMPARE(menuItems(file), QStringList({QStringLiteral("-"), QStringLiteral("Exit")}));
        QCOMPARE(menuItems(help),
                 QStringList({QStringLiteral("Getting Help from Belmora"), QStringLiteral("-"),
                              QStringLiteral("Content"), QStringLiteral("-"), QStringLiteral("About")}));
        // "Content" does nothing: no window, no box, no status change.
        const int windowsBefore = int(QApplication::topLevelWidgets().size());
        f.window->findChild<QAction *>(QStringLiteral("mnuContent"))->trigger();
        QCOMPARE(int(QApplication::topLevelWidgets().size()), windowsBefore);
        QVERIFY(f.dialogs.boxes.isEmpty());
        QCOMPARE(f.window->status(), QStringLiteral("Status"));
    }

    void tabSwitchBeforeAnyVob()
    {
        MainWindowFixture f;
        frmMain &w = *f.window;
        w.show();
        clickTab(w, 1);
        QVERIFY(page(w, 1)->isVisible());
        QVERIFY(!page(w, 0)->isVisible());
        QCOMPARE(w.status(), QStringLiteral("Status"));
        clickTab(w, 0);
        QVERIFY(page(w, 0)->isVisible());
        QVERIFY(!page(w, 1)->isVisible());
    }

    void detailIsRefusedForASingleReplicaVob()
    {
        MainWindowFixture f;
        frmMain &w = *f.window;
        w.show();
        w.graph()->setSitesData({QStringLiteral("original"), QStringLiteral("d"), QStringLiteral("h"),
                                 QStringLiteral("original@/vobs/x"), QString()},
                                4, 4);
        QCOMPARE(w.siteCount(), 1);
        clickTab(w, 1);
        QVERIFY(!page(w, 0)->isVisible());
        QVERIFY(!page(w, 1)->isVisible());
        QCOMPARE(w.status(), QStringLiteral("* * No Detail information for this VOB * * "));
        clickTab(w, 0);
        QVERIFY(page(w, 0)->isVisible());
        QCOMPARE(w.status(), QStringLiteral("* * No Detail information for this VOB * * "));
    }

    void busyFeedbackSequence()
    {
        MainWindowFixture f;
        frmMain &w = *f.window;
        w.show();
        auto *bar = w.findChild<QProgressBar *>(QStringLiteral("ProgressBar1"));
        auto *timer = w.findChild<QTimer *>(QStringLiteral("progBarTimer"));
        w.setBusy(true, QStringLiteral("Synchronizing replica r1"));
        QCOMPARE(w.status(), QStringLiteral("Working...Synchronizing replica r1"));
        QVERIFY(bar->isVisible());
        QVERIFY(timer->isActive());
        QCOMPARE(timer->interval(), 1);
        QCOMPARE(w.cursor().shape(), Qt::WaitCursor);
        QTRY_VERIFY(bar->value() > 0);
        bar->setValue(100);
        QTRY_VERIFY(bar->value() >= 1 && bar->value() < 100); // wraps to 1, never to 0
        w.setBusy(true, QString());
        QCOMPARE(w.status(), QStringLiteral("Working..."));
        w.setBusy(false, QStringLiteral("ignored"));
        QCOMPARE(w.status(), QStringLiteral("Status"));
        QVERIFY(!bar->isVisible());
        QCOMPARE(bar->value(), 0);
        QVERIFY(!timer->isActive());
        QCOMPARE(timer->interval(), 0);
        QCOMPARE(w.cursor().shape(), Qt::ArrowCursor);
    }

    void workingDialogIsMadeOnceAndKeepsItsMessage()
    {
        MainWindowFixture f;
        frmMain &w = *f.window;
        w.setMsg(QStringLiteral("first"));
        frmWorking *dlg = w.workingForm();
        QVERIFY(dlg && dlg->isVisible());
        w.hideWorking();
        QVERIFY(!dlg->isVisible());
        w.setMsg(QStringLiteral("second"), QStringLiteral("Working..."));
        QCOMPARE(w.workingForm(), dlg);
        QVERIFY(dlg->isVisible());
        QCOMPARE(dlg->findChild<QLabel *>(QStringLiteral("mainLbl"))->text(), QStringLiteral("second"));
    }

    void exitUnloadsEveryWindowOnce()
    {
        for (const bool viaExit : {true, false}) {
            MainWindowFixture f;
            frmMain &w = *f.window;
            w.show();
            w.setMsg(QStringLiteral("busy"));
            w.setDetail(QStringLiteral("text"), QStringLiteral("History Detail: r1"));
            QVERIFY(w.workingForm()->isVisible());
            QVERIFY(w.detailForm()->isVisible());
            int closes = 0;
            struct Counter : QObject {
                int *n;
                explicit Counter(int *c) : n(c) {}
                bool eventFilter(QObject *, QEvent *e) override
                {
                    if (e->type() == QEvent::Close)
                        ++*n;
                    return false;
                }
            } counter(&closes);
            w.installEventFilter(&counter);
            if (viaExit)
                w.findChild<QAction *>(QStringLiteral("mnuExit"))->trigger();
            else
                w.close();
            QVERIFY(!w.isVisible());
            QVERIFY(!w.workingForm()->isVisible());
            QVERIFY(!w.detailForm()->isVisible());
            QCOMPARE(closes, 1);
            w.closeAllForms(); // a second shutdown does nothing
            QCOMPARE(closes, 1);
        }
    }

    void detailWindowIsReused()
    {
        MainWindowFixture f;
        frmMain &w = *f.window;
        w.setDetail(QStringLiteral("one"), QStringLiteral("History Detail: a"));
        frmDetail *d = w.detailForm();
        w.setDetail(QStringLiteral("two"), QStringLiteral("History Detail: b"));
        QCOMPARE(w.detailForm(), d);
        QCOMPARE(d->text(), QStringLiteral("two"));
        QCOMPARE(d->windowTitle(), QStringLiteral("History Detail: b"));
    }
};

QTEST_MAIN(TestFrmMain)
#include "tst_frmmain.moc"
