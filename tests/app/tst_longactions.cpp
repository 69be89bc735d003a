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
    // box names both, and nothing runs. The right VOB runs as before.
    void repairOnlyOnTheShownVob_data()
    {
        QTest::addColumn<int>("action");
        QTest::addColumn<QString>("selected"); // empty: no entry selected
        QTest::addColumn<QString>("box");      // empty: the action runs
        QTest::newRow("fix, another VOB")
            << 0 << Core
            << u"The VOB selected in the list, /vobs/core, is not the one shown, /vobs/tools. Open it, or "
               "select /vobs/tools again."_s;
        QTest::newRow("sync, no selection")
            << 1 << QString()
            << u"No VOB is selected in the list; the one shown is /vobs/tools. Select /vobs/tools again."_s;
        QTest::newRow("fix, the shown VOB") << 0 << Tools << QString();
        QTest::newRow("sync, the shown VOB") << 1 << Tools << QString();
    }
    void repairOnlyOnTheShownVob()
    {
        QFETCH(int, action);
        QFETCH(QString, selected);
        QFETCH(QString, box);
        Rig r;
        if (selected.isEmpty())
            r.w().vobList()->list()->setCurrentRow(-1);
        else
            r.select(selected);
        if (action == 0)
            r.fixParis();
        else
            r.fix()->fixOrSync(1);
        QVERIFY(r.released());
        if (box.isEmpty()) {
            const QStringList listings = r.log.filter(u"shell multitool lspacket"_s);
            QVERIFY2(r.log.filter(u"shell multitool"_s).size() - listings.size() == 1 + action, qPrintable(r.log.join(u'\n')));
            QVERIFY(r.log.filter(u"shell multitool"_s)
                        .first()
                        .endsWith(action == 0 ? u"paris@/vobs/tools"_s : u"-invob /vobs/tools -receive"_s));
            return;
        }
        QCOMPARE(r.log, QStringList());
        QCOMPARE(r.dialogs.prompts(), QStringList{box});
        QCOMPARE(r.dialogs.boxes.first().title, u"Quorvane"_s);
    }

    // Before any VOB was opened there is nothing to repair.
    void repairBeforeAnyVobIsOpened()
    {
        LoaderFixture f;
        f.addVob(Tools, family(Tools, {u"london"_s, u"paris"_s}, 5, 2));
        f.window->fixFrame()->setSiblingReplicas({u"paris"_s}); // as if left from elsewhere
        f.window->vobList()->list()->setCurrentRow(0);
        f.window->fixFrame()->fixOrSync(1);
        QVERIFY(f.log.isEmpty());
        QCOMPARE(f.dialogs.boxes.value(0).prompt, u"No VOB is shown. Open one from the list first."_s);
    }

    // A close (or Exit) during the import kills nothing: the import ends,
    // the export still runs, the refresh is left out, the working dialog
    // says why the window stays, and then the window closes.
    void closeDuringImport_data()
    {
        QTest::addColumn<bool>("viaExit");
        QTest::newRow("window closed") << false;
        QTest::newRow("File > Exit") << true;
    }
    void closeDuringImport()
    {
        QFETCH(bool, viaExit);
        Rig r;
        QString duringExport;
        bool visibleDuringImport = false;
        r.shell.action = [&](const QString &line) {
            r.log << u"shell "_s + line;
            if (line.contains(u"-import"_s)) {
                if (viaExit)
                    r.w().findChild<QAction *>(u"mnuExit"_s)->trigger();
                else
                    r.w().close();
                visibleDuringImport = r.w().isVisible();
            } else if (line.contains(u"-export"_s)) {
                const frmWorking *dlg = r.w().workingForm();
                duringExport = dlg->message() + (dlg->isVisible() && dlg->cancellable() ? u""_s : u" (hidden)"_s);
            }
        };
        r.fix()->fixOrSync(1);
        QVERIFY(visibleDuringImport);
        QCOMPARE(r.log, (QStringList{u"shell multitool syncreplica -import -invob /vobs/tools -receive"_s,
                                     u"shell multitool syncreplica -export -fship paris@/vobs/tools "_s}));
        QCOMPARE(duringExport, Closing);
        QTRY_VERIFY(!r.w().isVisible());
        QVERIFY(r.dialogs.boxes.isEmpty());
    }

    // Once the window is closing, the replicated-only pass checks no further
    // VOB and does not bring the working dialog back; the window then closes.
    void closeDuringReplicatedOnlyPass()
    {
        LoaderFixture f;
        f.window->show();
        f.clearTool.tags = {u"/vobs/a"_s, u"/vobs/b"_s, u"/vobs/c"_s};
        for (const QString &tag : std::as_const(f.clearTool.tags))
            f.clearTool.outputs.insert(Commands::vobCheck(tag), u"other"_s);
        QStringList messages;
        f.clearTool.hook = [&](const QString &command) {
            f.log << command;
            if (command == Commands::vobCheck(u"/vobs/a"_s))
                f.window->close();
            if (f.window->workingForm())
                messages << f.window->workingForm()->message();
        };
        f.window->vobList()->findChild<QToolButton *>(u"loadVobsBut"_s)->click();
        QCOMPARE(f.log.filter(u"lsreplica"_s), QStringList{Commands::vobCheck(u"/vobs/a"_s)});
        QCOMPARE(messages.last(), Closing);
        QVERIFY(!f.window->workingForm()->isVisible());
        QTRY_VERIFY(!f.window->isVisible());
        QVERIFY(!f.window->workingForm()->isVisible());
    }

    // Cancel (the button, or Esc) while the script or a fix runs: that
    // command ends, the action stops there with a box that says what may
    // have run, and the window is idle again. Nothing after the command
    // runs: no matrices read (no "file not found"), no refresh.
    void cancel_data()
    {
        QTest::addColumn<QString>("during");
        QTest::addColumn<int>("escape"); // 0: the button, 1: Esc on the dialog, 2: Esc in the main window
        QTest::addColumn<QString>("box");
        const QString script = u"ccperl"_s;
        QTest::newRow("open VOB, Cancel") << script << 0 << u"The epoch matrices were not read"_s;
        QTest::newRow("fix, Esc") << u"chepoch"_s << 1
                                  << u"The epoch table may have been changed in part"_s;
        QTest::newRow("import, Esc in the window") << u"-import"_s << 2 << u"the export was not started"_s;
        QTest::newRow("replica details, Esc") << u"paris"_s << 1 << u"The replica's dates were not read"_s;
    }
    void cancel()
    {
        QFETCH(QString, during);
        QFETCH(int, escape);
        QFETCH(QString, box);
        Rig r;
        r.vobs[Core].actual.clear(); // were they read, they would be missed
        r.vobs[Core].local.clear();
        bool offered = false;
        QString stopped;
        r.shell.action = [&](const QString &line) {
            r.log << u"shell "_s + line;
            if (!line.contains(during) || !stopped.isEmpty())
                return;
            frmWorking *dlg = r.w().workingForm();
            auto *button = dlg->findChild<QPushButton *>(u"cancelBut"_s);
            offered = dlg->isVisible() && button->isVisible();
            // The dialog never takes the keyboard; Esc in the window asks
            // for its Cancel as well.
            if (escape == 2) {
                // This platform hands the keyboard to every window shown;
                // a window manager gives the dialog none.
                r.w().show();
                r.w().activateWindow();
                QVERIFY(QTest::qWaitFor([&] { return QApplication::activeWindow() == &r.w(); }));
                QTest::keyClick(r.w().vobList()->list(), Qt::Key_Escape);
            } else if (escape == 1) {
                QTest::keyClick(dlg, Qt::Key_Escape);
            } else {
                button->click();
            }
            stopped = line;
        };
        if (during == u"ccperl"_s)
            r.open(Core);
        else if (during == u"paris"_s)
            r.w().replicaInfo()->replicaCombo()->setCurrentIndex(2);
        else if (during == u"chepoch"_s)
            r.fixParis();
        else
            r.fix()->fixOrSync(1);
        QVERIFY(offered);
        QCOMPARE(r.shell.cancels, 1);
        QCOMPARE(r.log.filter(u"shell"_s).last(), u"shell "_s + stopped); // nothing ran after it
        const QStringList cancelled = r.dialogs.prompts().filter(u"Cancelled"_s);
        QCOMPARE(cancelled.size(), 1);
        QCOMPARE(r.dialogs.boxes.size(), during == u"chepoch"_s ? 2 : 1); // the fix's confirmation before
        const QString prompt = cancelled.first();
        QVERIFY2(prompt.startsWith(u"Cancelled --> "_s + stopped +
                                   u"\r\nThe command was stopped before it ended. "_s) &&
                     prompt.contains(box),
                 qPrintable(prompt));
        QVERIFY(r.released());
    }

    // Cancel (the button, or Esc) while a slow cleartool command is waited
    // for: only the working dialog takes input meanwhile (a click on the
    // other tab changes no page), the command fails as cancelled, and the
    // action says what it left undone, or, for the replicated-only pass,
    // stops quietly with the VOBs not checked still listed.
    void cancelClearToolCommand_data()
    {
        QTest::addColumn<QString>("during");
        QTest::addColumn<bool>("escape");
        QTest::addColumn<QString>("box"); // empty: none
        QTest::newRow("open VOB, Cancel") << Commands::localReplicaName(Core) << false
                                          << u"The VOB was not read; the window shows what it showed before."_s;
        QTest::newRow("replicated-only pass, Esc") << Commands::vobCheck(Tools) << true << QString();
    }
    void cancelClearToolCommand()
    {
        QFETCH(QString, during);
        QFETCH(bool, escape);
        QFETCH(QString, box);
        Rig r;
        r.clearTool.tags = {Tools, Core, u"/vobs/z"_s};
        r.clearTool.outputs.insert(Commands::vobCheck(Core), u"paris"_s);
        r.clearTool.slow = {during};
        bool offered = false;
        int page = -1;
        const auto logging = r.clearTool.hook;
        r.clearTool.hook = [&](const QString &command) {
            logging(command);
            if (command != during)
                return;
            frmWorking *dlg = r.w().workingForm();
            auto *button = dlg->findChild<QPushButton *>(u"cancelBut"_s);
            offered = dlg->isVisible() && button->isVisible();
            QTabBar *tabs = r.w().tabStrip();
            page = tabs->currentIndex();
            QTest::mouseClick(tabs, Qt::LeftButton, {}, tabs->tabRect(1 - page).center());
            page = tabs->currentIndex() == page ? page : -2;
            // The working dialog never takes the keyboard: Esc is pressed
            // in the main window, where the gate drops every other key.
            if (escape)
                QTest::keyClick(r.w().vobList()->list(), Qt::Key_Escape);
            else
                QTest::mouseClick(button, Qt::LeftButton);
        };
        if (during.startsWith(u"desc"_s)) {
            r.open(Core);
            QCOMPARE(r.w().loader()->openedVobTag(), Tools);
        } else {
            r.w().vobList()->findChild<QToolButton *>(u"loadVobsBut"_s)->click();
            QStringList listed;
            for (int i = 0; i < r.w().vobList()->list()->count(); ++i)
                listed << r.w().vobList()->list()->item(i)->text();
            QCOMPARE(listed, (QStringList{Core, Tools, u"/vobs/z"_s}));
            QCOMPARE(r.clearTool.commands.filter(u"lsreplica -siblings"_s).size(), 2); // none after the cancel
        }
        QVERIFY(offered);
        QVERIFY(page >= 0);
        QCOMPARE(r.clearTool.cancels, 1);
        const QStringList cancelled = r.dialogs.prompts().filter(u"Cancelled"_s);
        QCOMPARE(r.dialogs.prompts().size(), cancelled.size());
        QCOMPARE(cancelled.size(), box.isEmpty() ? 0 : 1);
        if (!box.isEmpty())
            QCOMPARE(cancelled.first(), u"Cancelled --> cleartool "_s + during +
                                            u"\r\nThe command was stopped before it ended. "_s + box);
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
        r.fix()->fixCombo()->setCurrentIndex(1);
        const auto start = [&r](const QString &action) {
            if (action == u"load"_s)
                r.w().vobList()->findChild<QToolButton *>(u"loadVobsBut"_s)->click();
            else if (action == u"open"_s)
                r.w().pVobViewListDblClick();
            else if (action == u"fix"_s)
                r.fix()->fixOrSync(0);
            else if (action == u"sync"_s)
                r.fix()->fixOrSync(1);
            else // paris, or london while paris is being shown
                r.w().replicaInfo()->replicaCombo()->setCurrentIndex(
                    r.w().replicaInfo()->replicaCombo()->currentIndex() == 2 ? 1 : 2);
        };
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
            start(inner);
            ranInside = r.log.mid(before);
            QCOMPARE(r.w().vobList()->selectedVobTag(), vob);
        };
        r.clearTool.hook = [&](const QString &command) {
            r.log << u"cleartool "_s + command;
            if (tried == 0)
                tryInner(command);
        };
        r.shell.action = [&](const QString &line) {
            r.log << u"shell "_s + line;
            if (tried == 0)
                tryInner(line);
        };
        start(outer);
        QCOMPARE(tried, 1);
        QCOMPARE(ranInside, QStringList());
        QVERIFY(!r.w().longActionGuard().running());
        QCOMPARE(r.w().replicaInfo()->replicaCombo()->currentIndex() == 2, outer == u"details"_s);
    }

};

QTEST_MAIN(TestLongActions)
#include "tst_longactions.moc"
