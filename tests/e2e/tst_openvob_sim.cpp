// "Load VOBs" and opening VOBs end to end: the main window on the simulated
// region found by discovery, through the real cleartool co-process, the real
// process runner and the real get_replica_info.pl. What the window shows is
// compared with the region's own account of itself (region.json, ccsim show).
#include "ccase/ClearCaseDiscovery.h"
#include "ccase/CoprocessClearTool.h"
#include "ccase/ProcessShell.h"
#include "replicas/EpochMatrixView.h"
#include "support/LoaderFixture.h"

#include <QCheckBox>
#include <QJsonArray>
#include <QJsonDocument>
#include <QLabel>
#include <QProcess>
#include <QRegularExpression>
#include <QTest>

using namespace quorvane;
using namespace quorvane::test;
using namespace Qt::StringLiterals;

namespace {

const QString SimDir = QStringLiteral(QUORVANE_BIN_DIR "/sim");

QString ccsim(const QStringList &args)
{
    QProcess p;
    p.start(SimDir + u"/ccsim"_s, args);
    const bool ok = p.waitForFinished(60000) && p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
    return QString::fromUtf8(ok ? p.readAllStandardOutput() : QByteArray());
}

using Table = QHash<QString, QHash<QString, QString>>; // row -> origin -> value

// The region's truth about one VOB family, read from "ccsim show".
struct Truth {
    QString local;
    QStringList names, hosts, masters;
    QList<bool> reachable;
    Table actual, localTable;

    explicit Truth(const QString &tag)
    {
        const QRegularExpression head(u"^VOB \\S+ \\(storage .*\\), local replica (\\S+)$"_s);
        const QRegularExpression replica(u"^  (\\S+) host (\\S+), master (\\S+), (reachable|UNREACHABLE),"_s);
        const QRegularExpression rowLine(u"^  (\\S+): (.*)$"_s);
        Table *rows = nullptr;
        for (const QString &line : ccsim({u"show"_s, tag}).split(u'\n')) {
            if (const auto m = head.match(line); m.hasMatch()) {
                local = m.captured(1);
            } else if (const auto r = replica.match(line); r.hasMatch()) {
                names << r.captured(1);
                hosts << r.captured(2);
                masters << r.captured(3);
                reachable << (r.captured(4) == u"reachable"_s);
            } else if (!line.startsWith(u' ')) {
                rows = line.startsWith(u"Actual rows"_s)         ? &actual
                       : line.startsWith(u"Local epoch table"_s) ? &localTable
                                                                 : nullptr;
            } else if (const auto m = rowLine.match(line); rows && m.hasMatch()) {
                for (const QString &pair : m.captured(2).split(u' ', Qt::SkipEmptyParts))
                    (*rows)[m.captured(1)].insert(pair.section(u'=', 0, 0), pair.section(u'=', 1));
            }
        }
    }

    // The matrix as the window must show it: one row per replica in listing
    // order; "?" for an actual row whose host cannot be asked.
    QList<QStringList> matrix(bool actualRows) const
    {
        const Table &table = actualRows ? actual : localTable;
        QList<QStringList> out;
        for (qsizetype i = 0; i < names.size(); ++i) {
            out.append({names.at(i)});
            for (const QString &origin : names)
                out.last() << (actualRows && !reachable.at(i) ? u"?"_s : table[names.at(i)].value(origin));
        }
        return out;
    }
};

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
    QTemporaryDir m_work;
    std::unique_ptr<ClearTool> m_clearTool;
    std::unique_ptr<ProcessShell> m_shell;
    ScriptedDialogs m_dialogs;
    std::unique_ptr<frmMain> m_window;
    QStringList m_allTags;
    QStringList m_replicated;

private slots:
    void initTestCase()
    {
        qputenv("CCSIM_REGION", m_region.path().toLocal8Bit());
        QVERIFY(!ccsim({u"demo"_s}).isEmpty());
        // A VOB is replicated when its family has more than one replica.
        QFile state(m_region.filePath(u"region.json"_s));
        QVERIFY(state.open(QIODevice::ReadOnly));
        for (const QJsonValue &v : QJsonDocument::fromJson(state.readAll())[u"vobs"_s].toArray()) {
            m_allTags << v[u"tag"_s].toString();
            if (v[u"replicas"_s].toArray().size() > 1)
                m_replicated << v[u"tag"_s].toString();
        }
        m_allTags.sort();
        m_replicated.sort();
        QVERIFY(!m_replicated.isEmpty() && m_replicated.size() < m_allTags.size());

        // Nothing on PATH and no install folders: the simulated region beside the program.
        const ClearCaseFound found =
            ClearCaseDiscovery::find(QStringLiteral(QUORVANE_BIN_DIR), QString(), {});
        QCOMPARE(found.kind, ClearCaseFound::Kind::Simulated);
        qputenv("PATH",
                ClearCaseDiscovery::pathWithFirst(SimDir, qEnvironmentVariable("PATH")).toLocal8Bit());
        m_clearTool = ClearCaseDiscovery::makeClearTool(found);
        m_shell = std::make_unique<ProcessShell>(m_dialogs, m_work.path());
        Services services;
        services.clearTool = m_clearTool.get();
        services.shell = m_shell.get();
        services.dialogs = &m_dialogs;
        services.workDir = m_work.path();
        services.scriptPath = QStringLiteral(QUORVANE_BIN_DIR "/get_replica_info.pl");
        services.aniCursorDir = QStringLiteral(QUORVANE_BIN_DIR);
        m_window = std::make_unique<frmMain>(services);
        m_window->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
    }

    // One cleartool co-process serves the whole load.
    void loadVobs_data()
    {
        QTest::addColumn<bool>("replicatedOnly");
        QTest::newRow("all") << false;
        QTest::newRow("replicated only") << true;
    }
    void loadVobs()
    {
        QFETCH(bool, replicatedOnly);
        m_dialogs.boxes.clear();
        m_window->vobList()->findChild<QCheckBox *>(u"onlyReplicatedOnlyCB"_s)->setChecked(replicatedOnly);
        m_window->vobList()->loadVobsButClick();
        QStringList listed;
        for (int i = 0; i < m_window->vobList()->list()->count(); ++i)
            listed << m_window->vobList()->list()->item(i)->text();
        QCOMPARE(listed, replicatedOnly ? m_replicated : m_allTags);
        QVERIFY(m_dialogs.boxes.isEmpty());

        QCOMPARE(static_cast<CoprocessClearTool *>(m_clearTool.get())->mode(),
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
        const Truth truth(tag);
        m_dialogs.boxes.clear();
        QListWidget *list = m_window->vobList()->list();
        list->setCurrentItem(list->findItems(tag, Qt::MatchExactly).value(0));
        m_window->pVobViewListDblClick();
        QVERIFY2(m_dialogs.boxes.isEmpty(), qPrintable(m_dialogs.boxes.value(0).prompt));
        // The graph: one site per replica, hosts and masters as the region has them.
        GraphView *graph = m_window->graph();
        QCOMPARE(graph->GMyReplicaName(), truth.local);
        QCOMPARE(graph->allSites().size(), truth.names.size());
        for (int k = 1; k <= truth.names.size(); ++k) {
            const mSite &site = graph->site(k);
            QCOMPARE(
                QStringList({site.replicaName, site.replicaHost, site.master}),
                QStringList({truth.names[k - 1], truth.hosts[k - 1], truth.masters[k - 1] + u'@' + tag}));
            QVERIFY(graph->siteImage(k)->isVisible());
            QCOMPARE(graph->siteMasterLabel(k)->isVisible(), truth.masters.contains(truth.names.at(k - 1)));
        }
        const FlexGrid *grids[] = {m_window->epochView()->Grid1(), m_window->epochView()->Grid2()};
        for (const bool actual : {true, false}) {
            QCOMPARE(gridCells(grids[actual ? 0 : 1]), expectedGrid(truth.matrix(actual)));
            QCOMPARE(redColumns(grids[actual ? 0 : 1]), differingColumns(truth.matrix(actual)));
        }
    }

    void cleanupTestCase()
    {
        m_window.reset();
        m_clearTool.reset();
    }
};

QTEST_MAIN(TestOpenVobSim)
#include "tst_openvob_sim.moc"
