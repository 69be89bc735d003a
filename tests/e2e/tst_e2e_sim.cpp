// The main window end to end on the simulated region, with the real
// cleartool co-process, multitool, ccperl and get_replica_info.pl, only the
// dialogs scripted: "Load VOBs" and opening VOBs on the services a real run
// builds (the region found beside the program), and replica maintenance on a
// fresh demo region. What the window shows is compared with the region's own
// account of itself (its VOB files).
#include "app/RealServices.h"
#include "ccase/CoprocessClearTool.h"
#include "ccase/ProcessShell.h"
#include "ccase/ReportingShell.h"
#include "replicas/DiagnosisPanel.h"
#include "replicas/EpochMatrixModel.h"
#include "replicas/PacketModel.h"
#include "replicas/PacketPanel.h"
#include "replicas/ReplicaDetailLoader.h"
#include "sim/RegionStore.h"
#include "support/LoaderFixture.h"
#include "ui/frmDetail.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateTime>
#include <QLineEdit>
#include <QProcess>
#include <QRadioButton>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QTimer>
#include <QToolButton>

#include <algorithm>

using namespace quorvane;
using namespace quorvane::test;
using namespace Qt::StringLiterals;

namespace {

const QString kSimDir = u"" QUORVANE_BIN_DIR "/sim"_s;
const QString kTools = u"/vobs/tools"_s; // the demo VOB whose packet to london was lost

QString runSim(const QString &program, const QStringList &args)
{
    QProcess p;
    p.start(QDir(kSimDir).filePath(program), args);
    if (!p.waitForFinished(60000) || p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0)
        qFatal("%s failed: %s", qPrintable(program), p.readAllStandardError().constData());
    return QString::fromUtf8(p.readAllStandardOutput()).remove(u'\r');
}

// The matrix as the window must show it, from the region's own files (as
// gridCells reads a grid): the names, then one row per replica in family
// order, "?" for an actual row whose host cannot be asked, and the cells of
// a column whose values differ painted red.
QList<QStringList> regionGrid(const ccsim::Vob &v, bool actualRows)
{
    QList<QStringList> rows;
    for (const ccsim::Replica &r : v.replicas) {
        const ccsim::Row row = actualRows ? ccsim::completeRow(v, r.own) : v.localRow(r.name);
        rows.append({r.name});
        for (const QString &origin : v.replicaNames())
            rows.last() << (actualRows && !r.reachable ? u"?"_s : QString::number(row.value(origin)));
    }
    QList<int> differing;
    for (qsizetype k = 1; !rows.isEmpty() && k < rows.first().size(); ++k) {
        if (std::any_of(rows.cbegin(), rows.cend(), [&](const QStringList &r) { return r.at(k) != rows[0][k]; }))
            differing << int(k);
    }
    return expectedGrid(rows, differing);
}

bool anyRed(const QList<QStringList> &grid)
{
    return std::any_of(grid.cbegin(), grid.cend(), [](const QStringList &row) { return row.join(u',').contains(u'*'); });
}

struct SimWindow {
    QTemporaryDir region, workDir;
    test::ScriptedDialogs dialogs;
    CoprocessClearTool clearTool{QDir(kSimDir).filePath(u"cleartool"_s)};
    ProcessShell processes{workDir.path()};
    ReportingShell shell{processes, dialogs}; // as the program puts it around its processes
    Services services;
    std::unique_ptr<frmMain> window; // last: it goes before what it uses

    SimWindow()
    {
        qputenv("CCSIM_REGION", region.path().toLocal8Bit());
        if (!qgetenv("PATH").startsWith(kSimDir.toLocal8Bit())) // multitool and ccperl are found on PATH
            qputenv("PATH", kSimDir.toLocal8Bit() + ':' + qgetenv("PATH"));
        runSim(u"ccsim"_s, {u"demo"_s});
        services.clearTool = &clearTool;
        services.shell = &shell;
        services.dialogs = &dialogs;
        services.workDir = services.aniCursorDir = workDir.path();
        services.scriptPath = u"" QUORVANE_BIN_DIR "/get_replica_info.pl"_s;
        services.clearCaseDescription = u"Simulated region"_s;
        window = std::make_unique<frmMain>(services);
        window->resize(1200, 800);
        window->show();
        if (!QTest::qWaitForWindowExposed(window.get()))
            qFatal("the main window was not shown");
    }

    template <typename T> T *get(const QString &name) const { return window->findChild<T *>(name); }
    QComboBox *combo(const QString &name) const { return get<QComboBox>(name); }
    QString date(int i) const { return get<QLineEdit>(u"dEpoch(%1)"_s.arg(i))->text(); }
    EpochGrid *actualGrid() const { return window->epochView()->Grid1(); }
    EpochGrid *localGrid() const { return window->epochView()->Grid2(); }
    ccsim::Vob vob(const QString &tag) const { return *ccsim::RegionStore(region.path()).read().vob(tag); }

    // The commands that changed the region since the last call: multitool's,
    // without the lsepoch the script runs and the lspacket of each load;
    // "multitool ... => status N".
    QStringList changes() const
    {
        QFile f(region.filePath(u"commands.log"_s));
        QStringList out;
        if (f.open(QIODevice::ReadOnly))
            for (const QString &line : QString::fromUtf8(f.readAll()).split(u'\n', Qt::SkipEmptyParts))
                if (const QString c = line.section(u"] "_s, 1); c.startsWith(u"multitool "_s) && !c.startsWith(u"multitool lsepoch"_s)
                    && !c.startsWith(u"multitool lspacket"_s))
                    out << c;
        f.remove();
        return out;
    }

    // "Load VOBs", a real double click on the VOB, then the maintenance page.
    [[nodiscard]] bool openVob(const QString &tag)
    {
        QTest::mouseClick(get<QToolButton>(u"loadVobsBut"_s), Qt::LeftButton);
        QListWidget *list = window->vobList()->list();
        const auto found = list->findItems(tag, Qt::MatchExactly);
        if (found.size() != 1)
            return false;
        list->scrollToItem(found.first());
        const QPoint at = list->visualItemRect(found.first()).center();
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, at);
        QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, at);
        QTabBar *tabs = window->tabStrip();
        QTest::mouseClick(tabs, Qt::LeftButton, {}, tabs->tabRect(1).center());
        changes();
        return window->graph()->allSites().size() >= 2;
    }

    static void choose(QComboBox *combo, const QString &name) { combo->setCurrentIndex(combo->findText(name)); }
    QString resultLine() const { return get<QLabel>(u"dFixResultLbl"_s)->text(); }
    QString showHistory() const
    {
        QLabel *image = get<QLabel>(u"dDetailImage"_s);
        QTest::mouseDClick(image, Qt::LeftButton, {}, image->rect().center());
        return window->detailForm() ? window->detailForm()->text() : QString();
    }
};

QStringList findings(const SimWindow &s)
{
    QStringList out;
    for (const Finding &f : s.window->diagnosis()->findings())
        out << f.text;
    return out;
}

// The packets table as shown: bay, to or from, state.
QStringList packetRows(const SimWindow &s)
{
    const PacketModel *m = s.window->packets()->model();
    QStringList out;
    for (int r = 0; r < m->rowCount(); ++r)
        out << QStringList{m->index(r, PacketModel::Bay).data().toString(), m->index(r, PacketModel::From).data().toString(),
                           m->index(r, PacketModel::To).data().toString(), m->index(r, PacketModel::State).data().toString()}
                   .join(u'|');
    return out;
}

// Clicks the first line that names a repair and starts that action, as long
// as one does (at most `steps` times).
void followRepairs(SimWindow &s, int steps)
{
    for (int step = 0; step < steps; ++step) {
        const QList<Finding> found = s.window->diagnosis()->findings();
        const auto it = std::find_if(found.cbegin(), found.cend(),
                                     [](const Finding &f) { return f.repair.kind != Repair::Kind::None; });
        if (it == found.cend())
            return;
        // A real click on its line of dDiagnosis.
        QListWidget *list = s.window->diagnosis()->list();
        QListWidgetItem *item = list->item(int(it - found.cbegin()));
        list->scrollToItem(item);
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(item).center());
        if (it->repair.kind == Repair::Kind::FixBasedOnActual)
            QTest::mouseClick(s.get<QLabel>(u"dFixImage(0)"_s), Qt::LeftButton);
        else
            QTest::mouseDClick(s.get<QLabel>(u"dFixLbl(1)"_s), Qt::LeftButton);
    }
}

const QString kAllInStep = u"All replicas are in step: each holds every change, and this site's table agrees."_s;

} // namespace

class TestE2ESim : public QObject {
    Q_OBJECT

    QTemporaryDir m_region;
    std::unique_ptr<RealServices> m_real;
    ScriptedDialogs m_dialogs;
    std::unique_ptr<frmMain> m_window;
    QStringList m_replicated;
    int m_lastSite = 0; // the number of the last site shown

    ccsim::Vob vob(const QString &tag) const { return *ccsim::RegionStore(m_region.path()).read().vob(tag); }

private slots:
    void initTestCase()
    {
        qputenv("CCSIM_REGION", m_region.path().toLocal8Bit());
        qputenv("QUORVANE_TEST_DIALOG_ECHO", "1"); // the process runner's own boxes
        runSim(u"ccsim"_s, {u"demo"_s});
        const ccsim::Region region = ccsim::RegionStore(m_region.path()).read();
        for (const ccsim::Vob &v : region.vobs) {
            if (v.isReplicated())
                m_replicated << v.tag;
        }
        m_replicated.sort();
        QVERIFY(!m_replicated.isEmpty() && m_replicated.size() < region.vobs.size());

        m_real = std::make_unique<RealServices>();
        Services services = m_real->services();
        QCOMPARE(services.clearCaseDescription, u"Simulated MultiSite region (no ClearCase installed)"_s);
        services.dialogs = &m_dialogs;
        m_window = std::make_unique<frmMain>(services);
        m_window->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));

        // "Load VOBs", replicated ones only, through one cleartool co-process.
        m_window->vobList()->findChild<QCheckBox *>(u"onlyReplicatedOnlyCB"_s)->setChecked(true);
        m_window->vobList()->loadVobsButClick();
        QCOMPARE(entries(m_window->vobList()->list()), m_replicated);
        QVERIFY(m_dialogs.boxes.isEmpty());
        QCOMPARE(static_cast<CoprocessClearTool *>(m_window->services().clearTool)->mode(),
                 CoprocessClearTool::Mode::Coprocess);
    }

    void openEachReplicatedVob_data()
    {
        QTest::addColumn<QString>("tag");
        for (const QString &tag : std::as_const(m_replicated))
            QTest::newRow(qPrintable(tag)) << tag;
    }
    void openEachReplicatedVob()
    {
        QFETCH(QString, tag);
        const ccsim::Vob truth = vob(tag);
        m_dialogs.boxes.clear();
        QListWidget *list = m_window->vobList()->list();
        list->setCurrentItem(list->findItems(tag, Qt::MatchExactly).value(0));
        m_window->pVobViewListDblClick();
        QVERIFY2(m_dialogs.boxes.isEmpty(), qPrintable(m_dialogs.boxes.value(0).prompt));
        // The graph: one site per replica, hosts and masters as the region has
        // them (its icons and markers: tst_graphview).
        GraphView *graph = m_window->graph();
        QCOMPARE(graph->GMyReplicaName(), truth.local);
        QCOMPARE(graph->allSites().size(), truth.replicas.size());
        // The sites' numbers, and with them their colours, run on from one load to the next.
        QCOMPARE(graph->site(1).id, m_lastSite + 1);
        m_lastSite = graph->site(int(truth.replicas.size())).id;
        for (int k = 1; k <= truth.replicas.size(); ++k) {
            const mSite &site = graph->site(k);
            const ccsim::Replica &r = truth.replicas[k - 1];
            QCOMPARE(QStringList({site.replicaName, site.replicaHost, site.master}),
                     QStringList({r.name, r.host, r.master + u'@' + tag}));
        }
        const OpenedVob &opened = m_window->loader()->openedVob();
        for (const bool actual : {true, false}) {
            const EpochGrid *grid = actual ? m_window->epochView()->Grid1() : m_window->epochView()->Grid2();
            QCOMPARE(gridCells(grid), regionGrid(truth, actual));
            // The snapshot, replaced by this load, holds what the grid shows.
            QCOMPARE((actual ? opened.actual : opened.local).table(), grid->matrixModel()->matrix().table());
        }
        QCOMPARE(QStringList({opened.tag, opened.localReplica}) + opened.replicaNames(),
                 QStringList({tag, truth.local}) + truth.replicaNames());
        QCOMPARE(opened.findings, m_window->diagnosis()->findings());
    }

    // A slow host is named in the working dialog while the script waits for
    // it, with its wait against the time limit; the line is gone once the
    // VOB is open.
    void slowHostNamedWhileWaiting()
    {
        const QString tag = m_replicated.first();
        const ccsim::Replica slow = vob(tag).replicas.last();
        QVERIFY(slow.name != vob(tag).local && slow.reachable);
        const QString selector = slow.name + u'@' + tag;
        runSim(u"ccsim"_s, {u"latency"_s, selector, u"3000"_s});
        const auto restore = qScopeGuard([&] { runSim(u"ccsim"_s, {u"latency"_s, selector, u"0"_s}); });

        QStringList seen;
        QTimer look;
        look.setInterval(50);
        connect(&look, &QTimer::timeout, this, [&] {
            const QWidget *dialog = m_window->workingForm();
            const auto *lbl = dialog ? dialog->findChild<QLabel *>(u"progressLbl"_s) : nullptr;
            if (lbl && lbl->isVisible() && !seen.contains(lbl->text()))
                seen << lbl->text();
        });
        look.start();
        m_dialogs.boxes.clear();
        QListWidget *list = m_window->vobList()->list();
        list->setCurrentItem(list->findItems(tag, Qt::MatchExactly).value(0));
        m_window->pVobViewListDblClick();
        look.stop();
        QVERIFY2(m_dialogs.boxes.isEmpty(), qPrintable(m_dialogs.boxes.value(0).prompt));

        const QRegularExpression named(u"^waiting for "_s + QRegularExpression::escape(slow.name) + u" \\("_s +
                                       QRegularExpression::escape(slow.host) + u"\\): ([0-9]+) s of 120 s$"_s);
        QList<int> waits;
        for (const QString &text : std::as_const(seen)) {
            for (const QString &line : text.split(u'\n')) {
                if (const auto m = named.match(line); m.hasMatch())
                    waits << m.captured(1).toInt();
            }
        }
        QVERIFY2(!waits.isEmpty(), qPrintable(seen.join(u" | "_s)));
        QVERIFY2(waits.last() >= 1 && waits.last() <= 4, qPrintable(seen.join(u" | "_s)));
        QVERIFY(m_window->workingForm()->findChild<QLabel *>(u"progressLbl"_s)->text().isEmpty());
        QVERIFY(!QFile::exists(QDir(m_window->services().workDir).filePath(u"_progress.txt"_s)));
    }

    // The repairs come last: each makes a demo region and a window of its
    // own, and points CCSIM_REGION, which the script of the window above
    // reads, at its region.
    // The lost packet shows as red columns in the actual matrix (what the
    // diagnosis makes of the matrices: tst_diagnosis). The fix "Based on
    // Actual" (keys: tst_replicapanels), then "Synchronize Replica(s)"
    // (All Replicas) level every column, and the dates and histories record
    // the new import and exports.
    void lostPacketRepair()
    {
        SimWindow s;
        QVERIFY(s.openVob(kTools)); // its matrices as opened: openEachReplicatedVob
        const ccsim::Vob before = s.vob(kTools);
        QVERIFY(anyRed(regionGrid(before, true)) && !anyRed(regionGrid(before, false))); // this site believes everything arrived
        const QString me = before.local, london = u"london"_s;
        s.changes();

        SimWindow::choose(s.combo(u"dReplicaFixCombo(0)"_s), london);
        s.get<QRadioButton>(u"dFixOpt(0)"_s)->setChecked(true);
        QTest::mouseClick(s.get<QLabel>(u"dFixImage(0)"_s), Qt::LeftButton);
        QCOMPARE(s.dialogs.boxes.size(), 1); // the confirmation (tst_epochrepair), answered OK
        QCOMPARE(s.changes(), QStringList{u"multitool chepoch -actual london@/vobs/tools => status 0"_s});

        const ccsim::Vob fixed = s.vob(kTools);
        QCOMPARE(fixed.localRow(london), ccsim::completeRow(before, before.replica(london)->own));
        QCOMPARE(gridCells(s.localGrid()), regionGrid(fixed, false)); // reloaded: now the local table shows the gap

        s.dialogs.boxes.clear(); // "All Replicas" is ticked
        const QDateTime started = QDateTime::currentDateTimeUtc().addSecs(-1);
        QTest::mouseClick(s.get<QLabel>(u"dFixLbl(1)"_s), Qt::LeftButton);
        QTest::mouseDClick(s.get<QLabel>(u"dFixLbl(1)"_s), Qt::LeftButton);
        const QDateTime ended = QDateTime::currentDateTimeUtc().addSecs(1);
        QCOMPARE(s.changes(), (QStringList{u"multitool syncreplica -import -invob /vobs/tools -receive => status 0"_s,
                                           u"multitool syncreplica -export -fship london@/vobs/tools tokyo@/vobs/tools => status 0"_s}));
        const ccsim::Vob after = s.vob(kTools);
        QCOMPARE(gridCells(s.actualGrid()), regionGrid(after, true));
        QCOMPARE(gridCells(s.localGrid()), regionGrid(after, false));
        QVERIFY(!anyRed(gridCells(s.actualGrid())) && !anyRed(gridCells(s.localGrid()))); // all columns equal
        QCOMPARE(findings(s), QStringList{kAllInStep});

        // The dates and the history of the replica chosen are read again:
        // the local replica's import from london and the export to london
        // (from the corrected estimate), both dated now.
        for (const QString &r : {me, london}) {
            SimWindow::choose(s.combo(u"dReplicaCombo"_s), r);
            const QString history = s.showHistory(), newDate = r == me ? s.date(2) : s.date(3);
            QCOMPARE(history, runSim(u"cleartool"_s, {u"lshistory"_s, u"-fmt"_s, u"Date:%d User:%u\\n%c\\n"_s,
                                                      u"replica:"_s + r + u'@' + kTools}));
            const QDateTime at = QDateTime::fromString(newDate, Qt::ISODate);
            QVERIFY2(at >= started && at <= ended && history.startsWith(u"Date:"_s + newDate), qPrintable(newDate));
            QVERIFY(r == me ? history.contains(u"Imported synchronization information from replica \"london\"."_s)
                            : history.section(u'\n', 2, 2) == u"Row at export was: "_s + ccsim::rowText(fixed.localRow(r)));
        }
        QVERIFY(s.dialogs.boxes.isEmpty());
        QCOMPARE(s.window->status(), u"Status"_s);
    }

    // Two rehearsals in one region. /vobs/portal: this site's oplog of its
    // own changes was scrubbed, and its table says tokyo holds nothing. At
    // open the diagnosis names the fix of tokyo's row; tried first while
    // tokyo's host is down, the export to tokyo fails on the gap (its box:
    // tst_epochrepair), and the next load reads the gap from ClearCase's
    // words, after which the fix and the family come in step.
    // /vobs/mobile: sanfran_hub's newer packet waits in this site's incoming
    // bay for an earlier one still on its way, and the packets table says for
    // which changes (the diagnosis' words: tst_diagnosis); once the earlier
    // one has come (the region's clock a day on), Synchronize imports both
    // and the family is in step.
    void scrubbedOplogThenWaitingPacket()
    {
        SimWindow s;
        const QString tag = u"/vobs/portal"_s;
        QVERIFY(s.openVob(tag));
        QVERIFY(findings(s).join(u'\n').contains(u"Fix Local Epoch Table for tokyo based on actual"_s));

        runSim(u"ccsim"_s, {u"offline"_s, u"tokyo@"_s + tag});
        s.get<QCheckBox>(u"syncAllCB"_s)->setChecked(false);
        SimWindow::choose(s.combo(u"dReplicaFixCombo(1)"_s), u"tokyo"_s);
        QTest::mouseDClick(s.get<QLabel>(u"dFixLbl(1)"_s), Qt::LeftButton);
        QVERIFY2(s.resultLine().contains(u"multitool syncreplica -export -fship tokyo@/vobs/portal"_s)
                     && s.resultLine().contains(u"failed (exit 1)"_s),
                 qPrintable(s.resultLine()));

        runSim(u"ccsim"_s, {u"online"_s, u"tokyo@"_s + tag});
        QVERIFY(s.openVob(tag));
        QVERIFY2(findings(s).value(0).startsWith(u"An export to tokyo starts after boston_hub's change 0 (this site's table), "
                                                  "but this site's oplog keeps boston_hub's entries only from 197 on"_s),
                 qPrintable(findings(s).join(u'\n')));
        s.dialogs.boxes.clear();
        s.get<QCheckBox>(u"syncAllCB"_s)->setChecked(true);
        followRepairs(s, 4);
        QCOMPARE(findings(s), QStringList{kAllInStep});
        QCOMPARE(s.dialogs.boxes.size(), 1); // the fix's confirmation only

        const QString mobile = u"/vobs/mobile"_s;
        QVERIFY(s.openVob(mobile));
        const qint64 held = s.vob(mobile).localReplica().own.value(u"sanfran_hub"_s);
        QCOMPARE(packetRows(s), QStringList{u"incoming|sanfran_hub|boston_hub|waits for sanfran_hub %1 to 290"_s.arg(held + 1)});
        runSim(u"ccsim"_s, {u"clock"_s, u"+1d"_s});
        followRepairs(s, 4);
        QCOMPARE(findings(s), QStringList{kAllInStep});
        QCOMPARE(packetRows(s), QStringList{});
        QVERIFY(!anyRed(gridCells(s.actualGrid())) && !anyRed(gridCells(s.localGrid())));
    }
};

QTEST_MAIN(TestE2ESim)
#include "tst_e2e_sim.moc"
