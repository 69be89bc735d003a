#include "app/SingleInstance.h"
#include "support/LoaderFixture.h"
#include "ui/frmDetail.h"
#include "ui/frmWorking.h"
#include "vobs/VobListPanel.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QFrame>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QPlainTextEdit>
#include <QProcess>
#include <QProgressBar>
#include <QScrollBar>
#include <QTabBar>
#include <QTest>
#include <QTimer>

using namespace quorvane;
using namespace quorvane::test;
using namespace Qt::StringLiterals;

namespace {
QStringList menuItems(const frmMain &w, const QString &name)
{
    QStringList items;
    for (QAction *a : w.findChild<QMenu *>(name)->actions())
        items << (a->isSeparator() ? u"-"_s : a->text());
    return items;
}
// Which page shows: "visual", "detail" or "none".
QString shownPage(const frmMain &w)
{
    for (int i = 0; i < 2; ++i) {
        if (w.findChild<QFrame *>(u"frameMainTabStrip(%1)"_s.arg(i))->isVisible())
            return i == 0 ? u"visual"_s : u"detail"_s;
    }
    return u"none"_s;
}
} // namespace

class TestFrmMain : public QObject {
    Q_OBJECT
private slots:
    void frameAndMenus()
    {
        LoaderFixture f;
        frmMain &w = *f.window;
        w.applyCaption();
        QCOMPARE(w.windowTitle(), u"Quorvane - 1.2.1"_s);
        QCOMPARE(menuItems(w, u"mnuFile"_s), (QStringList{u"-"_s, u"Exit"_s}));
        QCOMPARE(menuItems(w, u"mnuHelp"_s),
                 (QStringList{u"Getting Help from Belmora"_s, u"-"_s, u"Content"_s, u"-"_s, u"About"_s}));
        // "Content" does nothing: no window, no box, no status change.
        const auto windowsBefore = QApplication::topLevelWidgets().size();
        w.findChild<QAction *>(u"mnuContent"_s)->trigger();
        QCOMPARE(QApplication::topLevelWidgets().size(), windowsBefore);
        QVERIFY(f.dialogs.boxes.isEmpty());
        QCOMPARE(w.status(), u"Status"_s);
    }

    // The Detail page is refused for a VOB with a single replica only.
    void tabSwitch_data()
    {
        QTest::addColumn<bool>("singleReplica");
        QTest::addColumn<QString>("detailShows");
        QTest::addColumn<QString>("status");
        QTest::newRow("no VOB yet") << false << u"detail"_s << u"Status"_s;
        QTest::newRow("single replica")
            << true << u"none"_s << u"* * No Detail information for this VOB * * "_s;
    }
    void tabSwitch()
    {
        QFETCH(bool, singleReplica);
        LoaderFixture f;
        frmMain &w = *f.window;
        w.show();
        if (singleReplica)
            w.graph()->setSitesData({u"original"_s, u"d"_s, u"h"_s, u"original@/vobs/x"_s, QString()}, 4, 4);
        QTabBar *tabs = w.tabStrip();
        QTest::mouseClick(tabs, Qt::LeftButton, {}, tabs->tabRect(1).center());
        QTEST(shownPage(w), "detailShows");
        QTEST(w.status(), "status");
        QTest::mouseClick(tabs, Qt::LeftButton, {}, tabs->tabRect(0).center());
        QCOMPARE(shownPage(w), u"visual"_s);
    }

    void busyFeedbackSequence()
    {
        LoaderFixture f;
        frmMain &w = *f.window;
        w.show();
        auto *bar = w.findChild<QProgressBar *>(u"ProgressBar1"_s);
        auto *timer = w.findChild<QTimer *>(u"progBarTimer"_s);
        w.setBusy(true, u"Synchronizing replica r1"_s);
        QCOMPARE(w.status(), u"Working...Synchronizing replica r1"_s);
        QVERIFY(bar->isVisible() && timer->isActive());
        QCOMPARE(w.cursor().shape(), Qt::WaitCursor);
        bar->setValue(100);
        QTRY_VERIFY(bar->value() >= 1 && bar->value() < 100); // wraps to 1, never to 0
        w.setBusy(false, u"ignored"_s);
        QCOMPARE(w.status(), u"Status"_s);
        QVERIFY(!bar->isVisible() && !timer->isActive());
        QCOMPARE(bar->value(), 0);
        QCOMPARE(w.cursor().shape(), Qt::ArrowCursor);
    }

    // The working dialog and the detail window are made once and re-used.
    void secondaryWindowsAreReused()
    {
        LoaderFixture f;
        frmMain &w = *f.window;
        w.setMsg(u"first"_s);
        frmWorking *dlg = w.workingForm();
        QVERIFY(dlg && dlg->isVisible());
        w.hideWorking();
        QVERIFY(!dlg->isVisible());
        w.setMsg(u"second"_s, u"Working..."_s);
        QCOMPARE(w.workingForm(), dlg);
        QVERIFY(dlg->isVisible());
        QCOMPARE(dlg->message(), u"second"_s);

        // The detail window stays on top, shows each call's text from its
        // top, and closeImage only hides it.
        QStringList lines;
        for (int i = 0; i < 500; ++i)
            lines << u"event %1"_s.arg(i);
        w.setDetail(lines.join(u'\n'), u"History Detail: a"_s);
        frmDetail *d = w.detailForm();
        QVERIFY(d->isVisible() && (d->windowFlags() & Qt::WindowStaysOnTopHint));
        QScrollBar *bar = d->findChild<QPlainTextEdit *>(u"mainTxt"_s)->verticalScrollBar();
        bar->setValue(bar->maximum());
        QTest::mouseClick(d->findChild<QLabel *>(u"closeImage"_s), Qt::LeftButton);
        QVERIFY(!d->isVisible());
        w.setDetail(lines.join(u'\n'), u"History Detail: b"_s);
        QCOMPARE(w.detailForm(), d);
        QVERIFY(d->isVisible());
        QCOMPARE(d->text(), lines.join(u'\n'));
        QCOMPARE(d->windowTitle(), u"History Detail: b"_s);
        QCOMPARE(bar->value(), 0);
    }

    void shutdownUnloadsEveryWindowOnce_data()
    {
        QTest::addColumn<bool>("viaExit");
        QTest::newRow("File > Exit") << true;
        QTest::newRow("window closed") << false;
    }
    void shutdownUnloadsEveryWindowOnce()
    {
        QFETCH(bool, viaExit);
        LoaderFixture f;
        frmMain &w = *f.window;
        w.show();
        w.setMsg(u"busy"_s);
        w.setDetail(u"text"_s, u"History Detail: r1"_s);
        struct Counter : QObject {
            int closes = 0;
            bool eventFilter(QObject *, QEvent *e) override
            {
                closes += e->type() == QEvent::Close ? 1 : 0;
                return false;
            }
        } counter;
        w.installEventFilter(&counter);
        if (viaExit)
            w.findChild<QAction *>(u"mnuExit"_s)->trigger();
        else
            w.close();
        QVERIFY(!w.isVisible() && !w.workingForm()->isVisible() && !w.detailForm()->isVisible());
        QCOMPARE(counter.closes, 1);
        w.closeAllForms(); // a second shutdown does nothing
        QCOMPARE(counter.closes, 1);
    }

    // Built with no arguments, the window finds ClearCase itself: here the
    // simulated region beside the program, which it names in its header and
    // which answers Load VOBs.
    void realServicesWithoutArguments()
    {
        QTemporaryDir region;
        qputenv("CCSIM_REGION", region.path().toLocal8Bit());
        qputenv("QUORVANE_TEST_DIALOG_ECHO", "1");
        frmMain w;
        QCOMPARE(w.findChild<QLabel *>(u"clearCaseLbl"_s)->text(),
                 u"Simulated MultiSite region (no ClearCase installed)"_s);
        QVERIFY(QFileInfo(w.services().workDir).isDir());
        QVERIFY(QFileInfo::exists(w.services().scriptPath));
        w.vobList()->loadVobsButClick();
        QVERIFY(w.vobList()->list()->count() > 0);
        QVERIFY(!w.vobList()->list()->findItems(u"/vobs/tools"_s, Qt::MatchExactly).isEmpty());
        qunsetenv("QUORVANE_TEST_DIALOG_ECHO");
    }

    void lockNameSeparatesDisplays()
    {
        qputenv("WAYLAND_DISPLAY", "");
        qputenv("DISPLAY", ":7");
        const QString a = SingleInstance::defaultLockPath();
        qputenv("DISPLAY", ":8");
        const QString b = SingleInstance::defaultLockPath();
        QVERIFY(a != b && !a.contains(QLatin1Char(':')));
    }

    // The built program, started twice: the second copy shows the box and
    // ends without a window; after a crash of the first, a new start works.
    void builtBinaryStartsOnce()
    {
        const QString exe = QStringLiteral(QUORVANE_BIN_DIR "/quorvane");
        if (!QFile::exists(exe))
            QSKIP("program not built");
        QTemporaryDir runtime;
        QFile::setPermissions(runtime.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        QTemporaryDir region;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(u"QT_QPA_PLATFORM"_s, u"offscreen"_s);
        env.insert(u"XDG_RUNTIME_DIR"_s, runtime.path());
        env.insert(u"CCSIM_REGION"_s, region.path());
        env.insert(u"QUORVANE_TEST_DIALOG_ECHO"_s, u"1"_s);
        env.insert(u"DISPLAY"_s, u":99"_s);

        auto start = [&] {
            auto p = std::make_unique<QProcess>();
            p->setProcessEnvironment(env);
            p->start(exe, {});
            return p;
        };
        const auto first = start();
        QVERIFY(first->waitForStarted());
        QTRY_VERIFY_WITH_TIMEOUT(!QDir(runtime.path()).entryList({u"quorvane-*.lock"_s}).isEmpty(), 10000);
        const auto second = start();
        QVERIFY(second->waitForFinished(15000));
        QCOMPARE(second->exitCode(), 0);
        const QString said = QString::fromUtf8(second->readAllStandardError());
        QVERIFY2(said.contains(u"[box] Quorvane | Quorvane is already running"_s), qPrintable(said));
        QCOMPARE(first->state(), QProcess::Running);

        first->kill(); // a crash: the lock file stays behind
        QVERIFY(first->waitForFinished());
        const auto third = start();
        QVERIFY(third->waitForStarted());
        QVERIFY(!third->waitForFinished(1500));
        third->kill();
        third->waitForFinished();
    }
};

QTEST_MAIN(TestFrmMain)
#include "tst_frmmain.moc"
