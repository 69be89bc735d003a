// Opening a VOB on scripted ClearCase: the commands, the order of the steps,
// the clean-up of the previous VOB, and what happens when something fails.
#include "replicas/EpochMatrixView.h"
#include "support/LoaderFixture.h"
#include "ui/frmWorking.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QLabel>
#include <QProgressBar>
#include <QTabBar>
#include <QTest>

using namespace quorvane;
using namespace quorvane::test;
using namespace Qt::StringLiterals;

namespace {

const QString Dev = u"/vobs/dev"_s;
const QString FileNotFound = u"ERROR::53::File not found\r\nReport Bug to bugs@belmora.example"_s;

// Sites mastered by the first (the local one); the second site has not yet
// imported the first one's latest work: column 1 of the actual matrix is red.
LoaderVob makeVob(const QString &tag, const QStringList &names)
{
    LoaderVob v{names.first(), QString(), {}, {}};
    for (const QString &n : names) {
        v.listing += n + u",2026-05-01,host_"_s + n + u',' + names.first() + u'@' + tag + u',';
        v.actual.append({n});
        for (qsizetype k = 0; k < names.size(); ++k)
            v.actual.last() << QString::number(10 + k);
    }
    v.local = v.actual;
    v.actual[1][1] = u"9"_s;
    return v;
}

void addDemoVobs(LoaderFixture &f)
{
    f.addVob(Dev, makeVob(Dev, {u"boston_hub"_s, u"sanfran_hub"_s, u"bangalore"_s}));
    f.addVob(u"/vobs/docs"_s, makeVob(u"/vobs/docs"_s, {u"bos_docs"_s, u"sf_docs"_s}));
    f.addVob(u"\\dev"_s, makeVob(u"\\dev"_s, {u"boston_hub"_s, u"sanfran_hub"_s}));
    f.addVob(u"/vobs/my dev"_s, makeVob(u"/vobs/my dev"_s, {u"bos_my"_s, u"sf_my"_s, u"blr_my"_s}));
    f.addVob(u"/vobs/core"_s,
             makeVob(u"/vobs/core"_s, {u"berlin"_s, u"london"_s, u"paris"_s, u"tokyo"_s, u"toronto"_s}));
}

// The entries of a replica list ("dReplicaCombo", "dReplicaFixCombo(0)" ...).
QStringList comboEntries(frmMain &w, const QString &name)
{
    const auto *c = w.findChild<QComboBox *>(name);
    QStringList out;
    for (int i = 0; i < c->count(); ++i)
        out << c->itemText(i);
    return out;
}

// The window is usable again: busy off, tabs enabled, working dialog hidden.
bool windowReleased(frmMain &w)
{
    return w.status() == u"Status"_s && w.findChild<QProgressBar *>(u"ProgressBar1"_s)->isHidden() &&
           w.cursor().shape() != Qt::WaitCursor && w.tabStrip()->isEnabled() &&
           (!w.workingForm() || !w.workingForm()->isVisible());
}

} // namespace

class TestLoader : public QObject {
    Q_OBJECT
private slots:
    void emptyListDoesNothing()
    {
        LoaderFixture f;
        f.window->setStatus(u"untouched"_s);
        f.open(Dev);
        QVERIFY(f.log.isEmpty() && f.dialogs.boxes.isEmpty() && !f.window->workingForm());
        QCOMPARE(f.window->status(), u"untouched"_s);
        QVERIFY(f.window->tabStrip()->isEnabled());
    }

    // Opening one VOB, then another (or the same one again, as after a
    // maintenance action). Each load sends desc, lsreplica and the script,
    // the tag as it comes from the list, unquoted; the steps show in the
    // status line and working dialog with the tabs off. The listing becomes
    // the sites, four fields each. Only a reload cleans up: every site
    // control of the previous VOB goes, the replica lists are reset and the
    // grids cleaned before they are refilled.
    void openTwice_data()
    {
        QTest::addColumn<QString>("first");
        QTest::addColumn<QString>("second");
        QTest::newRow("same VOB again") << Dev << Dev;
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
        addDemoVobs(f);
        QStringList steps;
        auto sample = [&](const QString &when) {
            const frmWorking *dlg = w.workingForm();
            const QString s = when + u": "_s + w.status() +
                              (dlg && dlg->isVisible() ? u" | "_s + dlg->message() : QString()) +
                              (w.tabStrip()->isEnabled() ? QString() : u" | tabs off"_s) +
                              (w.graph()->isHidden() ? u" | graph hidden"_s : QString());
            if (steps.isEmpty() || steps.last() != s)
                steps << s;
        };
        f.onCommand = [&](const QString &c) {
            sample(c.section(u' ', 0, 0));
        };
        QList<int> gridRows;
        f.duringScript = [&] {
            sample(u"script"_s);
            gridRows = {w.epochView()->Grid1()->rows(), w.epochView()->Grid2()->rows()};
        };
        connect(w.findChild<QComboBox *>(u"dReplicaCombo"_s)->model(), &QAbstractItemModel::rowsInserted, &w,
                [&] { sample(u"lists"_s); });
        auto expectedSteps = [](const QString &tag, bool reload) {
            const QString msg = u" | Getting Detail for VOB: "_s + tag + u", please wait.. | tabs off"_s;
            return QStringList{u"desc: Working... | tabs off"_s, u"lsreplica: Working..."_s + msg} +
                   (reload ? QStringList{u"lists: Cleaning up..."_s + msg + u" | graph hidden"_s}
                           : QStringList()) +
                   QStringList{u"lists: Creating replica graph..."_s + msg + u" | graph hidden"_s,
                               u"script: Getting replica detail, this may take a while..."_s + msg};
        };
        f.open(first);
        QCOMPARE(steps, expectedSteps(first, false));
        QCOMPARE(
            f.log,
            (QStringList{u"cleartool desc -fmt \"%[replica_name]p\" vob:"_s + first,
                         u"cleartool lsreplica -fmt \"%n,%d,%[replica_host]p,%[master]p,\" -invob "_s + first,
                         u"shell ccperl \""_s + f.services.scriptPath + u"\" "_s + first}));
        w.hideWorking();
        steps.clear();
        const int oldCount = int(w.graph()->allSites().size());
        f.open(second);
        QCOMPARE(steps, expectedSteps(second, true));
        QVERIFY(windowReleased(w) && !w.graph()->isHidden());
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
        QCOMPARE(gridRows, (QList<int>{2, 2})); // header and one empty row
        QCOMPARE(gridCells(w.epochView()->Grid1()), expectedGrid(vob.actual));
        QCOMPARE(gridCells(w.epochView()->Grid2()), expectedGrid(vob.local));
        QCOMPARE(redColumns(w.epochView()->Grid1()), QList<int>{1});
        QCOMPARE(redColumns(w.epochView()->Grid2()), QList<int>());
        QVERIFY(f.dialogs.boxes.isEmpty());
    }

    // A refused command ends the load at once with the standard box and
    // releases the window; what was done before the failing command stays,
    // and the previous VOB is not cleaned up before lsreplica has answered.
    void refusedCommandEndsTheLoad_data()
    {
        QTest::addColumn<bool>("descFails");
        QTest::addColumn<bool>("reload");
        QTest::newRow("lsreplica, first load") << false << false;
        QTest::newRow("lsreplica, reload") << false << true;
        QTest::newRow("desc, reload") << true << true;
    }
    void refusedCommandEndsTheLoad()
    {
        QFETCH(bool, descFails);
        QFETCH(bool, reload);
        LoaderFixture f;
        frmMain &w = *f.window;
        w.show();
        addDemoVobs(f);
        if (reload)
            f.open(u"/vobs/docs"_s);
        const QString before = w.graph()->GMyReplicaName();
        w.graph()->hide(); // the picture may be hidden when the failure comes
        const QString error = u"cleartool: Error: Unable to locate VOB \"/vobs/dev\"."_s;
        f.clearTool.failures.insert(descFails ? Commands::localReplicaName(Dev) : Commands::replicaList(Dev),
                                    error);
        f.log.clear();
        f.open(Dev);

        QCOMPARE(f.log.size(), descFails ? 1 : 2);
        QCOMPARE(f.dialogs.boxes.size(), 1);
        QCOMPARE(f.dialogs.boxes[0].prompt,
                 u"ERROR::"_s + error + u"\r\nReport Bug to bugs@belmora.example"_s);
        QCOMPARE(f.dialogs.boxes[0].title, u"ERROR..."_s);
        QVERIFY(windowReleased(w) && !w.graph()->isHidden());
        QCOMPARE(w.graph()->GMyReplicaName(), descFails ? before : u"boston_hub"_s);
        QCOMPARE(w.graph()->allSites().size(), reload ? 2 : 0);
    }

    // Failures that the called procedures report themselves let the load run
    // to its end. Results of an earlier run are removed before the script
    // starts, so they are never shown for this VOB.
    void reportedFailuresDoNotEndTheLoad_data()
    {
        QTest::addColumn<bool>("staleFiles");
        QTest::addColumn<int>("written"); // 0: no file, 1: actual only, 2: both
        QTest::addColumn<QString>("listing");
        QTest::addColumn<QStringList>("boxes");
        const QStringList twice{FileNotFound, FileNotFound};
        QTest::newRow("script wrote nothing") << false << 0 << QString() << twice;
        QTest::newRow("another VOB's results left") << true << 0 << QString() << twice;
        QTest::newRow("local matrix missing") << false << 1 << QString() << QStringList{FileNotFound};
        QTest::newRow("listing the graph cannot use")
            << false << 2 << u",d0,h0,m0,boston_hub,d1,h1,m1,"_s << QStringList{u"<stop>"_s};
    }
    void reportedFailuresDoNotEndTheLoad()
    {
        QFETCH(bool, staleFiles);
        QFETCH(int, written);
        QFETCH(QString, listing);
        LoaderFixture f;
        frmMain &w = *f.window;
        LoaderVob dev = makeVob(Dev, {u"boston_hub"_s, u"sanfran_hub"_s});
        const LoaderVob full = dev;
        dev.actual = written >= 1 ? dev.actual : QList<QStringList>();
        dev.local = written >= 2 ? dev.local : QList<QStringList>();
        dev.listing = listing.isEmpty() ? dev.listing : listing;
        f.addVob(Dev, dev);
        if (staleFiles)
            f.writeResults({{u"elsewhere"_s, u"99"_s}}, {{u"elsewhere"_s, u"98"_s}});
        f.open(Dev);

        QStringList shown;
        for (const ScriptedDialogs::Box &box : std::as_const(f.dialogs.boxes))
            shown << (box.icon == MsgIcon::Stop ? u"<stop>"_s : box.prompt);
        QTEST(shown, "boxes");
        QCOMPARE(f.shell.lines.size(), 1);
        QCOMPARE(gridCells(w.epochView()->Grid1()) == expectedGrid(full.actual), written >= 1);
        QCOMPARE(gridCells(w.epochView()->Grid2()) == expectedGrid(full.local), written >= 2);
        QVERIFY(!gridCells(w.epochView()->Grid1()).contains(QStringList{u"elsewhere"_s, u"99"_s}));
        QVERIFY(!gridCells(w.epochView()->Grid2()).contains(QStringList{u"elsewhere"_s, u"98"_s}));
        QVERIFY(windowReleased(w));
        QCOMPARE(w.findChild<QLabel *>(u"vSelectedVobLbl"_s)->text(), u"VOB:/vobs/dev"_s);
    }

    // While a long action runs (here the load itself, waiting for the
    // script), a double click on the list is ignored, and so is "Load VOBs",
    // which would empty the list under it.
    void doubleClickDuringALongActionIsIgnored()
    {
        LoaderFixture f;
        frmMain &w = *f.window;
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        f.addVob(Dev, makeVob(Dev, {u"boston_hub"_s, u"sanfran_hub"_s}));
        QListWidget *list = w.vobList()->list();
        const QPoint item = list->visualItemRect(list->item(0)).center();
        int nested = 0;
        f.duringScript = [&] {
            if (nested++ == 0) {
                f.open(Dev);
                QTest::mouseClick(w.vobList()->findChild<QAbstractButton *>(u"loadVobsBut"_s),
                                  Qt::LeftButton);
            }
        };
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, item); // a real double click follows a click
        QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, item);
        QCOMPARE(f.log.size(), 3); // one load only: A, B, C
        QCOMPARE(list->count(), 1);
        QCOMPARE(nested, 1);
        f.open(Dev); // afterwards the guard is free again
        QCOMPARE(f.log.size(), 6);
    }
};

QTEST_MAIN(TestLoader)
#include "tst_loader.moc"
