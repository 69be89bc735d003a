// "Load VOBs" and opening VOBs end to end: the main window on the services a
// real run builds (the simulated region found beside the program, the real
// cleartool co-process, process runner and get_replica_info.pl), with only
// the dialogs scripted. What the window shows is compared with the region's
// own account of itself (its VOB files, ccsim show).
#include "app/RealServices.h"
#include "ccase/CoprocessClearTool.h"
#include "replicas/DiagnosisPanel.h"
#include "replicas/EpochMatrixModel.h"
#include "replicas/EpochMatrixView.h"
#include "replicas/ReplicaDetailLoader.h"
#include "support/LoaderFixture.h"
#include "ui/frmWorking.h"

#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
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

QString ccsim(const QStringList &args)
{
    QProcess p;
    p.start(QStringLiteral(QUORVANE_BIN_DIR "/sim/ccsim"), args);
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
    std::unique_ptr<RealServices> m_real;
    ScriptedDialogs m_dialogs;
    std::unique_ptr<frmMain> m_window;
    QStringList m_replicated;

private slots:
    void initTestCase()
    {
        qputenv("CCSIM_REGION", m_region.path().toLocal8Bit());
        qputenv("QUORVANE_TEST_DIALOG_ECHO", "1"); // the process runner's own boxes
        QVERIFY(!ccsim({u"demo"_s}).isEmpty());
        // A VOB is replicated when its family has more than one replica.
        const QDir vobDir(m_region.filePath(u"vobs"_s));
        const QStringList vobFiles = vobDir.entryList({u"*.json"_s}, QDir::Files);
        for (const QString &name : vobFiles) {
            QFile file(vobDir.filePath(name));
            QVERIFY(file.open(QIODevice::ReadOnly));
            const QJsonDocument v = QJsonDocument::fromJson(file.readAll());
            if (v[u"replicas"_s].toArray().size() > 1)
                m_replicated << v[u"tag"_s].toString();
        }
        m_replicated.sort();
        QVERIFY(!m_replicated.isEmpty() && m_replicated.size() < vobFiles.size());

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
        for (const bool actual : {true, false}) {
            const QList<QStringList> matrix = truth.matrix(actual);
            QCOMPARE(gridCells(actual ? m_window->epochView()->Grid1() : m_window->epochView()->Grid2()),
                     expectedGrid(matrix, differingColumns(matrix)));
            // The snapshot, replaced by this load, holds what the grid shows.
            const OpenedVob &vob = m_window->loader()->openedVob();
            const EpochGrid *grid = actual ? m_window->epochView()->Grid1() : m_window->epochView()->Grid2();
            QCOMPARE((actual ? vob.actual : vob.local).table(), grid->matrixModel()->matrix().table());
        }
        const OpenedVob &vob = m_window->loader()->openedVob();
        QCOMPARE(QStringList({vob.tag, vob.localReplica}) + vob.replicaNames(),
                 QStringList({tag, truth.local}) + truth.names);
        QCOMPARE(vob.findings, m_window->diagnosis()->findings());
    }

    // A slow host is named in the working dialog while the script waits for
    // it, with its wait against the time limit; the line is gone once the
    // VOB is open.
    void slowHostNamedWhileWaiting()
    {
        const QString tag = m_replicated.first();
        const Truth truth(tag);
        const qsizetype slow = truth.names.size() - 1;
        QVERIFY(truth.names.at(slow) != truth.local && truth.reachable.at(slow));
        const QString selector = truth.names.at(slow) + u'@' + tag;
        ccsim({u"latency"_s, selector, u"3000"_s});
        QVERIFY(ccsim({u"show"_s, tag}).contains(u"  "_s + truth.names.at(slow) + u" host"_s) &&
                ccsim({u"show"_s, tag}).contains(u"latency 3000 ms"_s));
        const auto restore = qScopeGuard([&] { ccsim({u"latency"_s, selector, u"0"_s}); });

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

        const QRegularExpression named(u"^waiting for "_s + QRegularExpression::escape(truth.names.at(slow)) + u" \\("_s +
                                       QRegularExpression::escape(truth.hosts.at(slow)) + u"\\): ([0-9]+) s of 120 s$"_s);
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
