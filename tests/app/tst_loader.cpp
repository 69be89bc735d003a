// Opening a VOB on scripted ClearCase: the commands, the order of the steps,
// the clean-up of the previous VOB and what the window shows afterwards.
#include "maintenance/FixFrame.h"
#include "maintenance/ReplicaFieldsPanel.h"
#include "maintenance/ReplicaInfoPanel.h"
#include "replicas/EpochMatrixView.h"
#include "support/LoaderFixture.h"
#include "ui/frmWorking.h"

#include <QComboBox>
#include <QLabel>
#include <QPointer>
#include <QProgressBar>
#include <QSignalSpy>
#include <QTabBar>
#include <QTest>

using namespace quorvane;
using namespace quorvane::test;
using namespace Qt::StringLiterals;

namespace {

LoaderReplica replica(const char *name, const char *host, const char *master, const QString &tag)
{
    return {QString::fromLatin1(name), QStringLiteral("2026-05-01T10:00:00Z"), QString::fromLatin1(host),
            QString::fromLatin1(master) + u'@' + tag};
}

QStringList row(std::initializer_list<const char *> cells)
{
    QStringList out;
    for (const char *c : cells)
        out << QString::fromLatin1(c);
    return out;
}

// Three sites; sanfran_hub has not yet imported boston_hub's latest work.
LoaderVob devVob()
{
    const QString tag = QStringLiteral("/vobs/dev");
    LoaderVob v;
    v.myReplica = QStringLiteral("boston_hub");
    v.replicas = {replica("boston_hub", "minuteman", "boston_hub", tag),
                  replica("sanfran_hub", "goldengate", "sanfran_hub", tag),
                  replica("bangalore", "ramohalli", "boston_hub", tag)};
    v.actual = {row({"boston_hub", "120", "80", "45"}), row({"sanfran_hub", "118", "80", "45"}),
                row({"bangalore", "120", "80", "45"})};
    v.local = {row({"boston_hub", "120", "80", "45"}), row({"sanfran_hub", "120", "80", "45"}),
               row({"bangalore", "120", "80", "45"})};
    return v;
}

// Two sites, the second mastered by the first; the local table lags.
LoaderVob docsVob()
{
    const QString tag = QStringLiteral("/vobs/docs");
    LoaderVob v;
    v.myReplica = QStringLiteral("bos_docs");
    v.replicas = {replica("bos_docs", "minuteman", "bos_docs", tag),
                  replica("sf_docs", "goldengate", "bos_docs", tag)};
    v.actual = {row({"bos_docs", "33", "12"}), row({"sf_docs", "33", "12"})};
    v.local = {row({"bos_docs", "33", "12"}), row({"sf_docs", "30", "12"})};
    return v;
}

// Five sites, all in step.
LoaderVob coreVob()
{
    const QString tag = QStringLiteral("/vobs/core");
    LoaderVob v;
    v.myReplica = QStringLiteral("berlin");
    const char *names[] = {"berlin", "london", "paris", "tokyo", "toronto"};
    for (const char *n : names) {
        v.replicas << replica(n, n, "berlin", tag);
        QStringList r{QString::fromLatin1(n)};
        for (int k = 0; k < 5; ++k)
            r << QString::number(10 + k);
        v.actual << r;
        v.local << r;
    }
    return v;
}

QStringList comboEntries(const QComboBox *combo)
{
    QStringList out;
    for (int i = 0; i < combo->count(); ++i)
        out << combo->itemText(i);
    return out;
}

QStringList siteNames(const GraphView *graph)
{
    QStringList out;
    for (const mSite &s : graph->allSites())
        out << s.replicaName;
    return out;
}

bool busyOff(frmMain &w)
{
    const auto *bar = w.findChild<QProgressBar *>(QStringLiteral("ProgressBar1"));
    return w.status() == QStringLiteral("Status") && bar->isHidden() && w.cursor().shape() != Qt::WaitCursor;
}

// Records the status line whenever the graph gets a child, which happens
// only while the site controls of the new VOB are made.
class ChildWatcher final : public QObject {
public:
    explicit ChildWatcher(frmMain &w) : m_w(w) { w.graph()->installEventFilter(this); }
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::ChildAdded)
            samples << m_w.status() + (static_cast<QWidget *>(watched)->isHidden()
                                           ? QStringLiteral(" [hidden]")
                                           : QString());
        return false;
    }
    QStringList samples;

private:
    frmMain &m_w;
};

} // namespace

class TestLoader : public QObject {
    Q_OBJECT
private slots:
    void emptyListDoesNothing()
    {
        LoaderFixture f;
        frmMain &w = *f.window;
        w.setStatus(QStringLiteral("untouched"));
        const QString vobCaption = w.replicaFields()->selectedVobLabel()->text();
        f.open(QStringLiteral("/vobs/dev"));
        w.loadReplicaDetail();
        QVERIFY(f.clearTool.commands.isEmpty());
        QVERIFY(f.shell.lines.isEmpty());
        QCOMPARE(w.status(), QStringLiteral("untouched"));
        QVERIFY(w.findChild<QProgressBar *>(QStringLiteral("ProgressBar1"))->isHidden());
        QVERIFY(!w.workingForm());
        QVERIFY(w.tabStrip()->isEnabled());
        QCOMPARE(w.replicaFields()->selectedVobLabel()->text(), vobCaption);
        QVERIFY(f.dialogs.boxes.isEmpty());
    }

    // The exact command texts, for tags as they come from the list: the tag
    // goes in unquoted, even when it holds blanks.
    void firstLoadSendsTheThreeCommandsInOrder_data()
    {
        QTest::addColumn<QString>("tag");
        QTest::newRow("unix tag") << QStringLiteral("/vobs/dev");
        QTest::newRow("windows tag") << QStringLiteral("\\dev");
        QTest::newRow("tag with a blank") << QStringLiteral("/vobs/my dev");
    }
    void firstLoadSendsTheThreeCommandsInOrder()
    {
        QFETCH(QString, tag);
        LoaderFixture f;
        f.addVob(tag, devVob());
        QSignalSpy cleared(f.window->replicaInfo()->replicaCombo(), &QComboBox::currentIndexChanged);
        f.open(tag);
        const QStringList expected{
            QStringLiteral("cleartool desc -fmt \"%[replica_name]p\" vob:") + tag,
            QStringLiteral("cleartool lsreplica -fmt \"%n,%d,%[replica_host]p,%[master]p,\" -invob ") + tag,
            QStringLiteral("shell ccperl \"") + f.workDir.filePath(QStringLiteral("get_replica_info.pl")) +
                QStringLiteral("\" ") + tag,
        };
        QCOMPARE(f.log, expected);
        QCOMPARE(f.shell.styles, QList<int>{0});
        // No clean-up on the first load: no combo was emptied.
        QVERIFY(cleared.isEmpty());
        QCOMPARE(f.window->graph()->GMyReplicaName(), QStringLiteral("boston_hub"));
        QVERIFY(f.dialogs.boxes.isEmpty());
    }

    // Status line, working dialog, tab strip and graph at each step.
    void feedbackFollowsTheSteps()
    {
        LoaderFixture f;
        frmMain &w = *f.window;
        w.show();
        const QString tag = QStringLiteral("/vobs/dev");
        f.addVob(tag, devVob());
        f.addVob(QStringLiteral("/vobs/docs"), docsVob());
        f.open(QStringLiteral("/vobs/docs"));

        QStringList samples;
        auto sample = [&](const QString &when) {
            const frmWorking *dlg = w.workingForm();
            samples << when + QStringLiteral(": ") + w.status() +
                           (dlg && dlg->isVisible() ? QStringLiteral(" | ") + dlg->message() : QString()) +
                           (w.tabStrip()->isEnabled() ? QString() : QStringLiteral(" | tabs off")) +
                           (w.graph()->isHidden() ? QStringLiteral(" | graph hidden") : QString());
        };
        w.hideWorking();
        f.onCommand = [&](const QString &c) {
            sample(c.section(u' ', 0, 0));
        };
        f.duringScript = [&] {
            sample(QStringLiteral("script"));
            samples << QStringLiteral("label: ") + w.replicaFields()->selectedVobLabel()->text() +
                           (w.replicaFields()->selectedVobLabel()->isVisible() ? QString()
                                                                               : QStringLiteral(" hidden"));
        };
        QObject::connect(w.replicaInfo()->replicaCombo(), &QComboBox::currentIndexChanged, &w,
                         [&](int index) {
                             if (index < 0)
                                 sample(QStringLiteral("clean-up"));
                         });
        ChildWatcher watcher(w);
        f.open(tag);

        const QString msg = QStringLiteral(" | Getting Detail for VOB: /vobs/dev, please wait..");
        QCOMPARE(samples, (QStringList{
                              QStringLiteral("desc: Working... | tabs off"),
                              QStringLiteral("lsreplica: Working...") + msg + QStringLiteral(" | tabs off"),
                              QStringLiteral("clean-up: Cleaning up...") + msg +
                                  QStringLiteral(" | tabs off | graph hidden"),
                              QStringLiteral("script: Getting replica detail, this may take a while...") +
                                  msg + QStringLiteral(" | tabs off"),
                              QStringLiteral("label: VOB:/vobs/dev"),
                          }));
        QVERIFY(!watcher.samples.isEmpty());
        for (const QString &s : std::as_const(watcher.samples))
            QCOMPARE(s, QStringLiteral("Creating replica graph... [hidden]"));

        QVERIFY(busyOff(w));
        QVERIFY(w.tabStrip()->isEnabled());
        QVERIFY(!w.workingForm()->isVisible());
        QVERIFY(!w.graph()->isHidden());
        QVERIFY(!w.epochView()->Grid1()->isHidden());
        QVERIFY(!w.epochView()->Grid2()->isHidden());
        QCOMPARE(w.replicaFields()->selectedVobLabel()->text(), QStringLiteral("VOB:/vobs/dev"));
    }

    // The listing, split at commas, becomes the sites: four fields each.
    void listingBecomesTheSites_data()
    {
        QTest::addColumn<QString>("output");
        QTest::addColumn<QStringList>("names");
        QTest::addColumn<QStringList>("hosts");
        QTest::addColumn<QStringList>("masters");
        const QString three = QStringLiteral("a,d1,ha,a@/v,b,d2,hb,b@/v,c,d3,hc,a@/v,");
        QTest::newRow("three replicas")
            << three << QStringList{u"a"_s, u"b"_s, u"c"_s} << QStringList{u"ha"_s, u"hb"_s, u"hc"_s}
            << QStringList{u"a@/v"_s, u"b@/v"_s, u"a@/v"_s};
        QTest::newRow("one replica") << QStringLiteral("a,d1,ha,a@/v,") << QStringList{u"a"_s}
                                     << QStringList{u"ha"_s} << QStringList{u"a@/v"_s};
        QTest::newRow("no final comma")
            << QStringLiteral("a,d1,ha,a@/v,b,d2,hb,a@/v") << QStringList{u"a"_s, u"b"_s}
            << QStringList{u"ha"_s, u"hb"_s} << QStringList{u"a@/v"_s, u"a@/v"_s};
        QTest::newRow("empty output") << QString() << QStringList() << QStringList() << QStringList();
    }
    void listingBecomesTheSites()
    {
        QFETCH(QString, output);
        QFETCH(QStringList, names);
        QFETCH(QStringList, hosts);
        QFETCH(QStringList, masters);
        LoaderFixture f;
        const QString tag = QStringLiteral("/v");
        f.addVob(tag, LoaderVob{QStringLiteral("a"), {}, {}, {}, false});
        f.clearTool.outputs.insert(LoaderFixture::commandB(tag), output);
        f.open(tag);

        const GraphView *graph = f.window->graph();
        QCOMPARE(siteNames(graph), names);
        for (int k = 1; k <= names.size(); ++k) {
            QCOMPARE(graph->site(k).replicaHost, hosts.at(k - 1));
            QCOMPARE(graph->site(k).master, masters.at(k - 1));
            QCOMPARE(graph->site(k).dateCreated, QStringLiteral("d%1").arg(k));
            QVERIFY(graph->siteImage(k) && graph->siteLabel(k) && graph->siteMasterLabel(k));
            QCOMPARE(graph->siteLabel(k)->text(), names.at(k - 1));
        }
        QVERIFY(!graph->siteImage(int(names.size()) + 1));
        // Only the two missing results files are reported; the listing itself is fine.
        QCOMPARE(f.dialogs.boxes.size(), 2);
        QCOMPARE(comboEntries(f.window->replicaInfo()->replicaCombo()),
                 QStringList{u"<select_replica>"_s} + names);
    }

    // Reopening (the same VOB after a maintenance action, or another one)
    // throws away every site control of the previous VOB, resets the
    // replica lists and cleans the grids before they are refilled.
    void reloadReplacesEverything_data()
    {
        QTest::addColumn<QString>("first");
        QTest::addColumn<QString>("second");
        QTest::newRow("same VOB again") << QStringLiteral("/vobs/dev") << QStringLiteral("/vobs/dev");
        QTest::newRow("fewer sites") << QStringLiteral("/vobs/core") << QStringLiteral("/vobs/docs");
        QTest::newRow("more sites") << QStringLiteral("/vobs/docs") << QStringLiteral("/vobs/core");
    }
    void reloadReplacesEverything()
    {
        QFETCH(QString, first);
        QFETCH(QString, second);
        LoaderFixture f;
        frmMain &w = *f.window;
        f.addVob(QStringLiteral("/vobs/core"), coreVob());
        f.addVob(QStringLiteral("/vobs/dev"), devVob());
        f.addVob(QStringLiteral("/vobs/docs"), docsVob());
        f.open(first);
        const int oldCount = int(f.vobs.value(first).replicas.size());
        QCOMPARE(w.graph()->allSites().size(), oldCount);

        QList<QPointer<QLabel>> old;
        for (int k = 1; k <= oldCount; ++k)
            old << w.graph()->siteImage(k) << w.graph()->siteLabel(k) << w.graph()->siteMasterLabel(k);
        QComboBox *combos[] = {w.replicaInfo()->replicaCombo(), w.fixFrame()->fixCombo(),
                               w.fixFrame()->exportCombo()};
        QList<std::shared_ptr<QSignalSpy>> spies;
        for (QComboBox *c : combos)
            spies << std::make_shared<QSignalSpy>(c, &QComboBox::currentIndexChanged);
        int rowsDuringScript[2] = {-1, -1};
        f.duringScript = [&] {
            rowsDuringScript[0] = w.epochView()->Grid1()->rows();
            rowsDuringScript[1] = w.epochView()->Grid2()->rows();
        };
        f.log.clear();
        f.open(second);

        const LoaderVob &vob = f.vobs[second];
        const int newCount = int(vob.replicas.size());
        QCOMPARE(f.log.size(), 3);
        // Every old control is gone from the picture; the new ones are new objects.
        for (const QPointer<QLabel> &p : std::as_const(old))
            QVERIFY(!p || p->parent() != w.graph());
        for (int k = 1; k <= qMax(oldCount, newCount) + 1; ++k) {
            for (const char *name : {"siteImage(%1)", "siteLabel(%1)", "siteMasterLabel(%1)"}) {
                const QString objectName = QString::fromLatin1(name).arg(k);
                const QList<QLabel *> found = w.graph()->findChildren<QLabel *>(objectName);
                QCOMPARE(found.size(), k <= newCount ? 1 : 0);
                if (k <= newCount)
                    QVERIFY(!old.contains(found.first()));
            }
        }
        QCOMPARE(w.graph()->findChildren<QLabel *>(QStringLiteral("siteImage(0)")).size(), 1);
        QCOMPARE(w.graph()->allSites().size(), newCount);
        QStringList names;
        for (const LoaderReplica &r : vob.replicas)
            names << r.name;
        QCOMPARE(siteNames(w.graph()), names);
        // Each list was emptied once and holds only the new VOB's names.
        for (int i = 0; i < 3; ++i) {
            QVERIFY(spies[i]->contains(QVariantList{-1}));
            QCOMPARE(comboEntries(combos[i]).first(), QStringLiteral("<select_replica>"));
        }
        QCOMPARE(comboEntries(combos[0]), QStringList{u"<select_replica>"_s} + names);
        names.removeAll(vob.myReplica);
        QCOMPARE(comboEntries(combos[1]), QStringList{u"<select_replica>"_s} + names);
        QCOMPARE(comboEntries(combos[2]), QStringList{u"<select_replica>"_s} + names);
        // Cleaned (header and one row) before the script ran, then refilled.
        QCOMPARE(rowsDuringScript[0], 2);
        QCOMPARE(rowsDuringScript[1], 2);
        QCOMPARE(gridCells(w.epochView()->Grid1()), expectedGrid(vob.actual));
        QCOMPARE(gridCells(w.epochView()->Grid2()), expectedGrid(vob.local));
        QVERIFY(f.dialogs.boxes.isEmpty());
    }

    // Both matrices, their red columns and flags, after a load.
    void matricesAreShown()
    {
        LoaderFixture f;
        frmMain &w = *f.window;
        f.addVob(QStringLiteral("/vobs/dev"), devVob());
        f.addVob(QStringLiteral("/vobs/docs"), docsVob());
        f.open(QStringLiteral("/vobs/dev"));
        QCOMPARE(gridCells(w.epochView()->Grid1()), expectedGrid(devVob().actual));
        QCOMPARE(gridCells(w.epochView()->Grid2()), expectedGrid(devVob().local));
        QCOMPARE(redColumns(w.epochView()->Grid1()), QList<int>{1});
        QCOMPARE(redColumns(w.epochView()->Grid2()), QList<int>());
        QCOMPARE(w.epochView()->actualOutOfSync, (QList<bool>{false, true, false, false, false}));

        f.open(QStringLiteral("/vobs/docs"));
        QCOMPARE(redColumns(w.epochView()->Grid1()), QList<int>());
        QCOMPARE(redColumns(w.epochView()->Grid2()), QList<int>{1});
        QCOMPARE(w.epochView()->localOutOfSync, (QList<bool>{false, true, false, false}));
    }
};

QTEST_MAIN(TestLoader)
#include "tst_loader.moc"
