// Long actions of the main window against each other, against Cancel and
// against a close of the window: which VOB a repair may touch, what runs
// and what does not once the user stops a command or closes the window, and
// that no long action starts inside another.
#include "ccase/ProcessShell.h"
#include "maintenance/FixFrame.h"
#include "maintenance/ReplicaInfoPanel.h"
#include "replicas/ReplicaDetailLoader.h"
#include "support/LoaderFixture.h"
#include "ui/frmWorking.h"

#include <QAction>
#include <QComboBox>
#include <QProgressBar>
#include <QPushButton>
#include <QRegularExpression>
#include <QTabBar>
#include <QTest>
#include <QToolButton>

using namespace quorvane;
using namespace quorvane::test;
using namespace Qt::StringLiterals;

namespace {

const QString Tools = u"/vobs/tools"_s;
const QString Core = u"/vobs/core"_s;
const QString Closing = u"The window closes once the running command has ended."_s;

// A window with /vobs/tools and /vobs/core listed and /vobs/tools open.
struct Rig : LoaderFixture {
    Rig()
    {
        window->show();
        // london (here) and paris, both mastered by london.
        for (const QString &tag : {Tools, Core}) {
            addVob(tag, family(tag, {u"london"_s, u"paris"_s}, 5, 2));
            clearTool.outputs.insert(Commands::syncHistory(u"paris"_s, tag), u"import,2026-02-01,"_s);
        }
        open(Tools);
        log.clear();
        dialogs.boxes.clear();
    }
    frmMain &w() const { return *window; }
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

class TestLongActions : public QObject {
    Q_OBJECT
private slots:
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
                r.w().activateWindow();
                QVERIFY(QTest::qWaitFor([&] { return QApplication::activeWindow() == &r.w(); }));
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
        if (slow && box.isEmpty()) { // the VOBs not checked stay listed
            QStringList listed;
            for (int i = 0; i < r.w().vobList()->list()->count(); ++i)
                listed << r.w().vobList()->list()->item(i)->text();
            QCOMPARE(listed, (QStringList{Core, Tools, u"/vobs/z"_s}));
        }
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

};

QTEST_MAIN(TestLongActions)
#include "tst_longactions.moc"
