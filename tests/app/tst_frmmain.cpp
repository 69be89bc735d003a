// The main window: its pages, feedback and secondary windows, the program
// started for real, and opening a VOB on scripted ClearCase (the commands,
// the order of the steps, the clean-up of the previous VOB, and what happens
// when something fails).
#include "replicas/EpochMatrixView.h"
#include "support/BuiltProgram.h"
#include "support/LoaderFixture.h"
#include "app/QuitOnSignal.h"
#include "ccase/Commands.h"
#include "ui/frmDetail.h"
#include "ui/frmWorking.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QFrame>
#include <QLabel>
#include <QPlainTextEdit>
#include <QProcess>
#include <QProgressBar>
#include <QScrollBar>
#include <QTabBar>
#include <QTest>
#include <QTimer>

#ifndef Q_OS_WIN
#include <csignal>
#endif

using namespace quorvane;
using namespace quorvane::test;
using namespace Qt::StringLiterals;

namespace {

const QString Dev = u"/vobs/dev"_s;
// The box of a results file the script did not write, naming it.
QString fileNotFound(const LoaderFixture &f, const QString &name)
{
    return u"ERROR... ERROR::53::File not found -- "_s + QDir::toNativeSeparators(QDir(f.services.workDir).filePath(name))
        + u"\r\nReport Bug to bugs@belmora.example"_s;
}

// Replicas "r1of<n>" ... mastered by the first (the local one); the second has
// not yet imported the first one's latest work: column 1 of the actual matrix
// is red.
LoaderVob makeVob(const QString &tag, int sites)
{
    LoaderVob v = family(tag, numberedNames(sites, u"r%1of"_s + QString::number(sites)));
    v.actual[1][1] = u"9"_s;
    return v;
}

void addDemoVobs(LoaderFixture &f)
{
    const QStringList tags{Dev, u"/vobs/docs"_s, u"\\dev"_s, u"/vobs/my dev"_s, u"/vobs/core"_s};
    const int sites[] = {3, 2, 2, 3, 5};
    for (int i = 0; i < 5; ++i)
        f.addVob(tags[i], makeVob(tags[i], sites[i]));
}

QStringList comboEntries(frmMain &w, const QString &name)
{
    const auto *c = w.findChild<QComboBox *>(name);
    QStringList out;
    for (int i = 0; i < c->count(); ++i)
        out << c->itemText(i);
    return out;
}

} // namespace

class TestFrmMain : public QObject {
    Q_OBJECT
private slots:
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
    // list, unquoted, with the working dialog up and the tabs off; a double
    // click meanwhile is ignored. The listing becomes the sites, four fields
    // each. A reload cleans up: every site control of the previous VOB goes,
    // the replica lists are reset and the grids cleaned before the refill.
    void openTwice_data()
    {
        QTest::addColumn<QString>("first");
        QTest::addColumn<QString>("second");
        QTest::newRow("fewer sites") << u"/vobs/core"_s << u"/vobs/docs"_s;
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
            if (f.log.size() == 3)
                f.open(first);
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
        QString sites;
        for (const mSite &s : w.graph()->allSites())
            sites += s.replicaName + u',' + s.dateCreated + u',' + s.replicaHost + u',' + s.master + u',';
        QCOMPARE(sites, vob.listing);
        QStringList names{u"<select_replica>"_s};
        for (const QStringList &row : vob.actual)
            names << row.first();
        for (int k = 1; k <= oldCount + 1; ++k) {
            for (const char *name : {"siteImage(%1)", "siteLabel(%1)", "siteMasterLabel(%1)"})
                QCOMPARE(w.graph()->findChildren<QLabel *>(QString::fromLatin1(name).arg(k)).size(),
                         k < names.size() ? 1 : 0);
        }
        QCOMPARE(comboEntries(w, u"dReplicaCombo"_s), names);
        names.removeAll(vob.myReplica);
        QCOMPARE(comboEntries(w, u"dReplicaFixCombo(0)"_s), names);
        QCOMPARE(comboEntries(w, u"dReplicaFixCombo(1)"_s), names);
        QCOMPARE(gridRows, (QList<int>{2, 2})); // cleaned: the header and one row
        QCOMPARE(gridCells(w.epochView()->Grid1()), expectedGrid(vob.actual, {1}));
        QCOMPARE(gridCells(w.epochView()->Grid2()), expectedGrid(vob.local));
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
};

QTEST_MAIN(TestFrmMain)
#include "tst_frmmain.moc"
