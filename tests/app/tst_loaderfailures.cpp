// Opening a VOB when something goes wrong: a refused command ends the load
// and re-enables the window; failures that the called procedures report
// themselves let the load run to its end; a double click during a long
// action is ignored.
#include "maintenance/ReplicaFieldsPanel.h"
#include "replicas/EpochMatrixView.h"
#include "support/LoaderFixture.h"
#include "ui/frmWorking.h"

#include <QAbstractButton>
#include <QLabel>
#include <QProgressBar>
#include <QTabBar>
#include <QTest>

using namespace quorvane;
using namespace quorvane::test;
using namespace Qt::StringLiterals;

namespace {

const QString Tag = u"/vobs/dev"_s;

LoaderVob twoSites(const QString &first, const QString &second)
{
    LoaderVob v;
    v.myReplica = first;
    v.replicas = {{first, u"d1"_s, u"h1"_s, first + u'@' + Tag},
                  {second, u"d2"_s, u"h2"_s, first + u'@' + Tag}};
    v.actual = {{first, u"7"_s, u"3"_s}, {second, u"7"_s, u"3"_s}};
    v.local = {{first, u"7"_s, u"3"_s}, {second, u"6"_s, u"3"_s}};
    return v;
}

bool busyOff(frmMain &w)
{
    const auto *bar = w.findChild<QProgressBar *>(u"ProgressBar1"_s);
    return w.status() == u"Status"_s && bar->isHidden() && w.cursor().shape() != Qt::WaitCursor;
}

const QString FileNotFoundBox = u"ERROR::53::File not found\r\nReport Bug to bugs@belmora.example"_s;

} // namespace

class TestLoaderFailures : public QObject {
    Q_OBJECT
private slots:
    // A refused command ends the load at once: busy off, working dialog
    // hidden, tabs enabled, graph shown, the standard box; what was done
    // before the failing command stays.
    void refusedCommandEndsTheLoad_data()
    {
        QTest::addColumn<bool>("descFails");
        QTest::addColumn<bool>("reload");
        QTest::newRow("lsreplica, first load") << false << false;
        QTest::newRow("lsreplica, reload") << false << true;
        QTest::newRow("desc, first load") << true << false;
        QTest::newRow("desc, reload") << true << true;
    }
    void refusedCommandEndsTheLoad()
    {
        QFETCH(bool, descFails);
        QFETCH(bool, reload);
        LoaderFixture f;
        frmMain &w = *f.window;
        w.show();
        const QString other = u"/vobs/docs"_s;
        f.addVob(other, twoSites(u"bos_docs"_s, u"sf_docs"_s));
        f.addVob(Tag, twoSites(u"boston_hub"_s, u"sanfran_hub"_s));
        if (reload)
            f.open(other);
        else
            w.graph()->setGMyReplicaName(u"before"_s);
        const QString before = w.graph()->GMyReplicaName();
        const QList<QStringList> gridBefore = gridCells(w.epochView()->Grid1());
        // The picture may be hidden when the failure comes; the trap shows it.
        w.graph()->hide();

        const QString description = u"cleartool: Error: Unable to locate VOB \"/vobs/dev\"."_s;
        f.clearTool.failures.insert(descFails ? LoaderFixture::commandA(Tag) : LoaderFixture::commandB(Tag),
                                    description);
        f.log.clear();
        f.open(Tag);

        QCOMPARE(f.log.size(), descFails ? 1 : 2);
        QVERIFY(f.shell.lines.size() == (reload ? 1 : 0));
        QCOMPARE(f.dialogs.boxes.size(), 1);
        const ScriptedDialogs::Box &box = f.dialogs.boxes.first();
        QCOMPARE(box.prompt, u"ERROR::"_s + description + u"\r\nReport Bug to bugs@belmora.example"_s);
        QCOMPARE(box.title, u"ERROR..."_s);
        QCOMPARE(box.icon, MsgIcon::Exclamation);
        QCOMPARE(box.buttons, MsgButtons::Ok);
        QVERIFY(busyOff(w));
        QVERIFY(w.tabStrip()->isEnabled());
        QVERIFY(!w.graph()->isHidden());
        QVERIFY(!w.workingForm() || !w.workingForm()->isVisible());
        // desc's answer is kept even though the load failed later.
        QCOMPARE(w.graph()->GMyReplicaName(), descFails ? before : u"boston_hub"_s);
        // The previous VOB is not cleaned up before lsreplica has answered.
        QCOMPARE(w.graph()->allSites().size(), reload ? 2 : 0);
        QCOMPARE(gridCells(w.epochView()->Grid1()), gridBefore);
    }

    // The script left nothing: both grids report "file not found", and the
    // load still ends normally. Results of an earlier run are removed
    // before the script starts, so they are never shown for this VOB.
    void missingResultsAreReportedAndTheLoadEnds_data()
    {
        QTest::addColumn<bool>("staleFiles");
        QTest::newRow("nothing left from before") << false;
        QTest::newRow("another VOB's results left") << true;
    }
    void missingResultsAreReportedAndTheLoadEnds()
    {
        QFETCH(bool, staleFiles);
        LoaderFixture f;
        frmMain &w = *f.window;
        w.show();
        LoaderVob dev = twoSites(u"boston_hub"_s, u"sanfran_hub"_s);
        dev.scriptWrites = false;
        f.addVob(Tag, dev);
        if (staleFiles)
            f.writeResults({{u"elsewhere"_s, u"99"_s}}, {{u"elsewhere"_s, u"98"_s}});
        f.open(Tag);

        QVERIFY(!f.resultsPresentAtStart);
        QCOMPARE(f.dialogs.boxes.size(), 2);
        for (const ScriptedDialogs::Box &box : std::as_const(f.dialogs.boxes)) {
            QCOMPARE(box.prompt, FileNotFoundBox);
            QCOMPARE(box.title, u"ERROR..."_s);
        }
        for (const FlexGrid *grid : {w.epochView()->Grid1(), w.epochView()->Grid2()}) {
            QVERIFY(!grid->isHidden());
            for (const QStringList &row : gridCells(grid))
                QVERIFY(!row.contains(u"elsewhere"_s));
        }
        QVERIFY(busyOff(w));
        QVERIFY(w.tabStrip()->isEnabled());
        QVERIFY(!w.workingForm()->isVisible());
        QCOMPARE(w.graph()->allSites().size(), 2);
        QCOMPARE(w.replicaFields()->selectedVobLabel()->text(), u"VOB:/vobs/dev"_s);
    }

    // Only the local matrix is missing: the actual one is shown, one report.
    void oneMissingFileIsReportedOnce()
    {
        LoaderFixture f;
        frmMain &w = *f.window;
        LoaderVob dev = twoSites(u"boston_hub"_s, u"sanfran_hub"_s);
        dev.scriptWrites = false;
        f.addVob(Tag, dev);
        f.duringScript = [&] {
            QFile a(f.resultsFile(u"_results.txt"_s));
            QVERIFY(a.open(QIODevice::WriteOnly));
            a.write(LoaderFixture::matrixFile(dev.actual));
        };
        f.open(Tag);
        QCOMPARE(f.dialogs.boxes.size(), 1);
        QCOMPARE(f.dialogs.boxes.first().prompt, FileNotFoundBox);
        QCOMPARE(gridCells(w.epochView()->Grid1()), expectedGrid(dev.actual));
        QVERIFY(w.epochView()->localOutOfSync.isEmpty());
        QVERIFY(busyOff(w));
        QVERIFY(w.tabStrip()->isEnabled());
    }

    // A listing that the graph cannot use is reported by the graph (stop
    // box); the script still runs and both matrices are shown.
    void graphFailureDoesNotEndTheLoad()
    {
        LoaderFixture f;
        frmMain &w = *f.window;
        LoaderVob dev = twoSites(u"boston_hub"_s, u"sanfran_hub"_s);
        f.addVob(Tag, dev);
        f.clearTool.outputs.insert(LoaderFixture::commandB(Tag), u",d0,h0,m0,boston_hub,d1,h1,m1,"_s);
        f.open(Tag);
        QCOMPARE(f.dialogs.boxes.size(), 1);
        QCOMPARE(f.dialogs.boxes.first().icon, MsgIcon::Stop);
        QCOMPARE(f.shell.lines.size(), 1);
        QCOMPARE(gridCells(w.epochView()->Grid1()), expectedGrid(dev.actual));
        QCOMPARE(gridCells(w.epochView()->Grid2()), expectedGrid(dev.local));
        QVERIFY(busyOff(w));
        QVERIFY(w.tabStrip()->isEnabled());
    }

    // While any long action runs, a double click on the list is ignored:
    // while another action holds the guard, and while this load itself
    // waits for the script.
    void doubleClickDuringALongActionIsIgnored()
    {
        LoaderFixture f;
        frmMain &w = *f.window;
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        f.addVob(Tag, twoSites(u"boston_hub"_s, u"sanfran_hub"_s));
        QListWidget *list = w.vobList()->list();
        const QPoint itemCentre = list->visualItemRect(list->item(0)).center();
        {
            const auto held = w.longActionGuard().tryEnter();
            QVERIFY(held);
            QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, itemCentre);
            f.open(Tag);
            QVERIFY(f.log.isEmpty());
            QCOMPARE(w.status(), u"Status"_s);
        }
        int nested = 0;
        auto *loadVobs = w.vobList()->findChild<QAbstractButton *>(u"loadVobsBut"_s);
        QVERIFY(loadVobs);
        f.duringScript = [&] {
            if (nested++ == 0) {
                QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, itemCentre);
                // "Load VOBs" would empty the list under the running load.
                QTest::mouseClick(loadVobs, Qt::LeftButton);
            }
        };
        QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, itemCentre);
        QCOMPARE(f.log.size(), 3); // one load only: A, B, C
        QVERIFY(!f.clearTool.commands.contains(u"<vobTags>"_s));
        QCOMPARE(list->count(), 1);
        QCOMPARE(nested, 1);
        QVERIFY(!w.longActionGuard().running());
        // Afterwards the guard is free again.
        f.open(Tag);
        QCOMPARE(f.log.size(), 6);
    }
};

QTEST_MAIN(TestLoaderFailures)
#include "tst_loaderfailures.moc"
