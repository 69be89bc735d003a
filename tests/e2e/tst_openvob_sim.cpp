// Opening VOBs end to end: the main window on the simulated region, through
// the real cleartool co-process, the real process runner and the real
// get_replica_info.pl. What the window shows is compared with the region's
// own account of itself (ccsim show).
#include "app/Services.h"
#include "app/frmMain.h"
#include "ccase/CoprocessClearTool.h"
#include "ccase/ProcessShell.h"
#include "graph/GraphView.h"
#include "replicas/EpochMatrixView.h"
#include "replicas/FlexGrid.h"
#include "support/LoaderFixture.h"
#include "support/ScriptedDialogs.h"
#include "vobs/VobListPanel.h"

#include <QCheckBox>
#include <QDir>
#include <QLabel>
#include <QListWidget>
#include <QProcess>
#include <QRegularExpression>
#include <QTabBar>
#include <QTemporaryDir>
#include <QTest>
#include <memory>

using namespace quorvane;
using namespace quorvane::test;
using namespace Qt::StringLiterals;

namespace {

const QString SimDir = QStringLiteral(QUORVANE_BIN_DIR "/sim");

// ccsim's output; ok tells whether it ran and succeeded.
QString ccsim(const QStringList &args, bool *ok = nullptr)
{
    QProcess p;
    p.start(SimDir + u"/ccsim"_s, args);
    const bool done = p.waitForFinished(60000) && p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
    if (ok)
        *ok = done;
    return done ? QString::fromUtf8(p.readAllStandardOutput()) : QString();
}

// The region's truth about one VOB family, read from "ccsim show".
struct Truth {
    QString local;
    QStringList names;
    QStringList hosts;
    QStringList masters;
    QList<bool> reachable;
    QHash<QString, QHash<QString, QString>> actual; // row -> origin -> value
    QHash<QString, QHash<QString, QString>> localTable;

    static Truth of(const QString &tag)
    {
        Truth t;
        const QStringList lines = ccsim({u"show"_s, tag}).split(u'\n');
        const QRegularExpression head(u"^VOB \\S+ \\(storage .*\\), local replica (\\S+)$"_s);
        const QRegularExpression replica(
            u"^  (\\S+) host (\\S+), master (\\S+), (reachable|UNREACHABLE), latency \\d+ ms, created .*$"_s);
        const QRegularExpression rowLine(u"^  (\\S+): (.*)$"_s);
        QHash<QString, QHash<QString, QString>> *rows = nullptr;
        for (const QString &line : lines) {
            if (const auto m = head.match(line); m.hasMatch()) {
                t.local = m.captured(1);
            } else if (const auto r = replica.match(line); r.hasMatch()) {
                t.names << r.captured(1);
                t.hosts << r.captured(2);
                t.masters << r.captured(3);
                t.reachable << (r.captured(4) == u"reachable"_s);
            } else if (line.startsWith(u"Actual rows"_s)) {
                rows = &t.actual;
            } else if (line.startsWith(u"Local epoch table"_s)) {
                rows = &t.localTable;
            } else if (line.startsWith(u"Packets"_s)) {
                rows = nullptr;
            } else if (const auto m = rowLine.match(line); rows && m.hasMatch()) {
                QHash<QString, QString> &row = (*rows)[m.captured(1)];
                for (const QString &pair : m.captured(2).split(u' ', Qt::SkipEmptyParts))
                    row.insert(pair.section(u'=', 0, 0), pair.section(u'=', 1));
            }
        }
        return t;
    }

    // The matrix as the window must show it: one row per replica in listing
    // order; "?" for a row whose host cannot be asked.
    QList<QStringList> matrix(const QHash<QString, QHash<QString, QString>> &table, bool actualRows) const
    {
        QList<QStringList> out;
        for (qsizetype i = 0; i < names.size(); ++i) {
            QStringList row{names.at(i)};
            for (const QString &origin : names)
                row << (actualRows && !reachable.at(i) ? u"?"_s : table.value(names.at(i)).value(origin));
            out << row;
        }
        return out;
    }
};

// The columns whose values differ, counted from 1.
QList<int> differingColumns(const QList<QStringList> &rows)
{
    QList<int> cols;
    for (qsizetype k = 1; !rows.isEmpty() && k < rows.first().size(); ++k) {
        for (const QStringList &row : rows) {
            if (row.at(k) != rows.first().at(k)) {
                cols << int(k);
                break;
            }
        }
    }
    return cols;
}

} // namespace

class TestOpenVobSim : public QObject {
    Q_OBJECT

    QTemporaryDir m_region;
    QTemporaryDir m_work;
    std::unique_ptr<CoprocessClearTool> m_clearTool;
    std::unique_ptr<ProcessShell> m_shell;
    ScriptedDialogs m_dialogs;
    std::unique_ptr<frmMain> m_window;
    QStringList m_listed;

    void open(const QString &tag)
    {
        QListWidget *list = m_window->vobList()->list();
        const auto found = list->findItems(tag, Qt::MatchExactly);
        QVERIFY(!found.isEmpty());
        list->setCurrentItem(found.first());
        m_window->pVobViewListDblClick();
    }

private slots:
    void initTestCase()
    {
        QVERIFY(m_region.isValid() && m_work.isValid());
        qputenv("CCSIM_REGION", m_region.path().toLocal8Bit());
        qputenv("PATH", QString(SimDir + QDir::listSeparator() + qEnvironmentVariable("PATH")).toLocal8Bit());
        QVERIFY(!ccsim({u"demo"_s}).isEmpty());

        m_clearTool = std::make_unique<CoprocessClearTool>(SimDir + u"/cleartool"_s);
        m_shell = std::make_unique<ProcessShell>(m_dialogs, m_work.path());
        Services services;
        services.clearTool = m_clearTool.get();
        services.shell = m_shell.get();
        services.dialogs = &m_dialogs;
        services.workDir = m_work.path();
        services.scriptPath = QStringLiteral(QUORVANE_BIN_DIR "/get_replica_info.pl");
        services.aniCursorDir = QStringLiteral(QUORVANE_BIN_DIR);
        services.clearCaseDescription = u"Simulated region"_s;
        m_window = std::make_unique<frmMain>(services);
        m_window->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));

        // "Load VOBs" with only the replicated ones, as a user starts.
        m_window->vobList()->findChild<QCheckBox *>(u"onlyReplicatedOnlyCB"_s)->setChecked(true);
        m_window->vobList()->loadVobsButClick();
        QListWidget *list = m_window->vobList()->list();
        for (int i = 0; i < list->count(); ++i)
            m_listed << list->item(i)->text();
        QCOMPARE(m_listed, (QStringList{u"/vobs/core"_s, u"/vobs/dev"_s, u"/vobs/docs"_s, u"/vobs/tools"_s,
                                        u"/vobs/web"_s}));
        QVERIFY(m_dialogs.boxes.isEmpty());
    }

    void openEachReplicatedVob_data()
    {
        QTest::addColumn<QString>("tag");
        for (const QString &tag : std::as_const(m_listed))
            QTest::newRow(qPrintable(tag)) << tag;
    }
    void openEachReplicatedVob()
    {
        QFETCH(QString, tag);
        const Truth truth = Truth::of(tag);
        QVERIFY(truth.names.size() > 1);
        m_dialogs.boxes.clear();
        open(tag);
        for (const ScriptedDialogs::Box &box : std::as_const(m_dialogs.boxes))
            qWarning("box: %s", qPrintable(box.prompt));
        QVERIFY(m_dialogs.boxes.isEmpty());

        frmMain &w = *m_window;
        QCOMPARE(w.status(), u"Status"_s);
        QVERIFY(w.tabStrip()->isEnabled());

        // The graph: one site per replica, hosts and masters as the region has them.
        GraphView *graph = w.graph();
        QCOMPARE(graph->GMyReplicaName(), truth.local);
        QCOMPARE(graph->allSites().size(), truth.names.size());
        QList<std::pair<int, int>> expectedLines;
        for (int k = 1; k <= truth.names.size(); ++k) {
            const mSite &site = graph->site(k);
            QCOMPARE(site.replicaName, truth.names.at(k - 1));
            QCOMPARE(site.replicaHost, truth.hosts.at(k - 1));
            QCOMPARE(site.master, truth.masters.at(k - 1) + u'@' + tag);
            QCOMPARE(graph->siteLabel(k)->text(), truth.names.at(k - 1));
            QVERIFY(graph->siteImage(k)->isVisible());
            const bool masters = truth.masters.contains(truth.names.at(k - 1));
            QCOMPARE(graph->siteMasterLabel(k)->isVisible(), masters);
            for (int j = 1; j <= truth.names.size(); ++j) {
                if (truth.masters.at(j - 1) == truth.names.at(k - 1))
                    expectedLines.append({k, j});
            }
        }
        QVERIFY(!graph->siteImage(int(truth.names.size()) + 1));
        auto drawn = [graph] {
            QList<std::pair<int, int>> out;
            for (const SiteLine &l : graph->lastLines())
                out.append({l.master, l.mastered});
            return out;
        };
        QTRY_COMPARE(drawn(), expectedLines);

        // Both matrices, values and red columns.
        const QList<QStringList> actual = truth.matrix(truth.actual, true);
        const QList<QStringList> local = truth.matrix(truth.localTable, false);
        QCOMPARE(gridCells(w.epochView()->Grid1()), expectedGrid(actual));
        QCOMPARE(gridCells(w.epochView()->Grid2()), expectedGrid(local));
        QCOMPARE(redColumns(w.epochView()->Grid1()), differingColumns(actual));
        QCOMPARE(redColumns(w.epochView()->Grid2()), differingColumns(local));
    }

    // The demo region shows what the page is for: at least one VOB has red
    // columns in each matrix, and the unreachable sydney reads "?".
    void demoRegionShowsOutOfSyncState()
    {
        int redActual = 0;
        int redLocal = 0;
        for (const QString &tag : std::as_const(m_listed)) {
            const Truth truth = Truth::of(tag);
            redActual += int(differingColumns(truth.matrix(truth.actual, true)).size());
            redLocal += int(differingColumns(truth.matrix(truth.localTable, false)).size());
        }
        QVERIFY(redActual > 0);
        QVERIFY(redLocal > 0);
        open(u"/vobs/web"_s);
        const QList<QStringList> cells = gridCells(m_window->epochView()->Grid1());
        const auto sydney = std::find_if(cells.cbegin(), cells.cend(),
                                         [](const QStringList &r) { return r.first() == u"sydney"_s; });
        QVERIFY(sydney != cells.cend());
        QCOMPARE(sydney->mid(1), QStringList(sydney->size() - 1, u"?"_s));
    }

    // After new work at one site, reopening the same VOB (as a maintenance
    // action does) shows the change and cleans up the previous picture.
    void reopenAfterWorkShowsTheChange()
    {
        const QString tag = u"/vobs/docs"_s;
        open(tag);
        const Truth before = Truth::of(tag);
        bool worked = false;
        ccsim({u"work"_s, u"sf_docs@"_s + tag, u"7"_s}, &worked);
        QVERIFY(worked);
        const Truth after = Truth::of(tag);
        QVERIFY(after.actual != before.actual);
        m_dialogs.boxes.clear();
        open(tag);
        QVERIFY(m_dialogs.boxes.isEmpty());
        const QList<QStringList> actual = after.matrix(after.actual, true);
        QCOMPARE(gridCells(m_window->epochView()->Grid1()), expectedGrid(actual));
        QCOMPARE(redColumns(m_window->epochView()->Grid1()), differingColumns(actual));
        QCOMPARE(m_window->graph()->allSites().size(), after.names.size());
        QVERIFY(!m_window->graph()->siteImage(int(after.names.size()) + 1));
    }

    void cleanupTestCase()
    {
        m_window.reset();
        m_clearTool.reset();
    }
};

QTEST_MAIN(TestOpenVobSim)
#include "tst_openvob_sim.moc"
