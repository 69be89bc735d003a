// "Load VOBs" and opening VOBs end to end: the main window on the services a
// real run builds (the simulated region found beside the program, the real
// cleartool co-process, process runner and get_replica_info.pl), with only
// the dialogs scripted. What the window shows is compared with the region's
// own account of itself (its VOB files).
#include "app/RealServices.h"
#include "ccase/CoprocessClearTool.h"
#include "replicas/DiagnosisPanel.h"
#include "replicas/EpochMatrixModel.h"
#include "replicas/EpochMatrixView.h"
#include "replicas/ReplicaDetailLoader.h"
#include "sim/RegionStore.h"
#include "support/LoaderFixture.h"
#include "ui/frmWorking.h"

#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QProcess>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QTest>
#include <QTimer>

using namespace quorvane;
using namespace quorvane::test;
using namespace Qt::StringLiterals;

namespace {

QString runSim(const QStringList &args)
{
    QProcess p;
    p.start(QStringLiteral(QUORVANE_BIN_DIR "/sim/ccsim"), args);
    const bool ok = p.waitForFinished(60000) && p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
    return QString::fromUtf8(ok ? p.readAllStandardOutput() : QByteArray());
}

// The matrix as the window must show it, from the region's own files: one
// row per replica in family order; "?" for an actual row whose host cannot
// be asked.
QList<QStringList> shownMatrix(const ccsim::Vob &v, bool actualRows)
{
    QList<QStringList> out;
    for (const ccsim::Replica &r : v.replicas) {
        const ccsim::Row row = actualRows ? ccsim::completeRow(v, r.own) : v.localRow(r.name);
        out.append({r.name});
        for (const QString &origin : v.replicaNames())
            out.last() << (actualRows && !r.reachable ? u"?"_s : QString::number(row.value(origin)));
    }
    return out;
}

// The columns whose values differ, counted from 1.
QList<int> differingColumns(const QList<QStringList> &rows)
{
    QList<int> cols;
    for (qsizetype k = 1; !rows.isEmpty() && k < rows.first().size(); ++k) {
        if (std::any_of(rows.cbegin(), rows.cend(),
                        [&](const QStringList &r) { return r.at(k) != rows[0][k]; }))
            cols << int(k);
    }
    return cols;
}

} // namespace

class TestOpenVobSim : public QObject {
    Q_OBJECT

    QTemporaryDir m_region;
    std::unique_ptr<RealServices> m_real;
    ScriptedDialogs m_dialogs;
    std::unique_ptr<frmMain> m_window;
    QStringList m_replicated;

    ccsim::Vob vob(const QString &tag) const { return *ccsim::RegionStore(m_region.path()).read().vob(tag); }

private slots:
    void initTestCase()
    {
        qputenv("CCSIM_REGION", m_region.path().toLocal8Bit());
        qputenv("QUORVANE_TEST_DIALOG_ECHO", "1"); // the process runner's own boxes
        QVERIFY(!runSim({u"demo"_s}).isEmpty());
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
        QStringList listed;
        for (int i = 0; i < m_window->vobList()->list()->count(); ++i)
            listed << m_window->vobList()->list()->item(i)->text();
        QCOMPARE(listed, m_replicated);
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
        // The graph: one site per replica, hosts and masters as the region has them.
        GraphView *graph = m_window->graph();
        QCOMPARE(graph->GMyReplicaName(), truth.local);
        QCOMPARE(graph->allSites().size(), truth.replicas.size());
        for (int k = 1; k <= truth.replicas.size(); ++k) {
            const mSite &site = graph->site(k);
            const ccsim::Replica &r = truth.replicas[k - 1];
            QCOMPARE(QStringList({site.replicaName, site.replicaHost, site.master}),
                     QStringList({r.name, r.host, r.master + u'@' + tag}));
            QVERIFY(graph->siteImage(k)->isVisible());
            QCOMPARE(graph->siteMasterLabel(k)->isVisible(),
                     std::any_of(truth.replicas.cbegin(), truth.replicas.cend(),
                                 [&](const ccsim::Replica &o) { return o.master == r.name; }));
        }
        const OpenedVob &opened = m_window->loader()->openedVob();
        for (const bool actual : {true, false}) {
            const QList<QStringList> matrix = shownMatrix(truth, actual);
            const EpochGrid *grid = actual ? m_window->epochView()->Grid1() : m_window->epochView()->Grid2();
            QCOMPARE(gridCells(grid), expectedGrid(matrix, differingColumns(matrix)));
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
        runSim({u"latency"_s, selector, u"3000"_s});
        QCOMPARE(vob(tag).replica(slow.name)->latencyMs, 3000);
        const auto restore = qScopeGuard([&] { runSim({u"latency"_s, selector, u"0"_s}); });

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
};

QTEST_MAIN(TestOpenVobSim)
#include "tst_openvob_sim.moc"
