// Replica maintenance end to end: the main window on a fresh demo region,
// with the real cleartool co-process, multitool, ccperl and the script.
// What the window shows is compared with what the region really holds.
#include "app/Services.h"
#include "app/frmMain.h"
#include "ccase/CoprocessClearTool.h"
#include "ccase/ProcessShell.h"
#include "graph/GraphView.h"
#include "maintenance/FixFrame.h"
#include "replicas/EpochMatrixView.h"
#include "replicas/FlexGrid.h"
#include "support/ScriptedDialogs.h"
#include "ui/QtColors.h"
#include "ui/frmDetail.h"
#include "vobs/VobListPanel.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateTime>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QProcess>
#include <QRadioButton>
#include <QStyle>
#include <QStyleOptionButton>
#include <QTabBar>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>

#include <algorithm>
#include <memory>

using namespace quorvane;
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

// What `ccsim show TAG` says: replicas in listing order, each one's actual
// row and the local table's row, as "a=1 b=2".
struct Truth {
    QStringList names;
    QMap<QString, QString> actual, local;

    static Truth of(const QString &tag)
    {
        Truth t;
        QMap<QString, QString> *rows = nullptr;
        bool replicas = false;
        for (const QString &line : runSim(u"ccsim"_s, {u"show"_s, tag}).split(u'\n')) {
            if (!line.startsWith(u"  "_s)) {
                replicas = line.startsWith(u"Replicas:"_s);
                rows = line.startsWith(u"Actual rows"_s) ? &t.actual : line.startsWith(u"Local epoch"_s) ? &t.local : nullptr;
            } else if (replicas) {
                t.names << line.section(u' ', 2, 2);
            } else if (rows) {
                rows->insert(line.trimmed().section(u": "_s, 0, 0), line.section(u": "_s, 1));
            }
        }
        return t;
    }
    // The matrix as the grid must show it (see shown()): a column whose
    // entries differ is red. Reachable hosts only: no "?" here.
    QStringList matrix(bool actualRows) const
    {
        QList<QStringList> m;
        for (const QString &name : names) {
            const QString row = u' ' + (actualRows ? actual : local).value(name) + u' ';
            m << QStringList{name};
            for (const QString &origin : names) {
                const qsizetype at = row.indexOf(u' ' + origin + u'=');
                m.last() << (at < 0 ? u"?"_s : row.mid(at + origin.size() + 2).section(u' ', 0, 0));
            }
        }
        QStringList out;
        for (QStringList line : m) {
            for (int k = 1; k < line.size(); ++k)
                if (std::any_of(m.cbegin(), m.cend(), [&](const QStringList &l) { return l[k] != m.first()[k]; }))
                    line[k] += u'*';
            out << line.join(u',');
        }
        return out;
    }
};

// A grid as text, one line per row: the name, then the cells; red ones end in "*".
QStringList shown(const FlexGrid *grid)
{
    QStringList out;
    for (int r = 1; r < grid->rows(); ++r) {
        QStringList line;
        for (int c = 0; c < grid->cols(); ++c)
            line << grid->textMatrix(r, c) + (c > 0 && grid->cellBackColorAt(r, c) == Colors::pureRed ? u"*"_s : QString());
        out << line.join(u',');
    }
    return out;
}

bool anyRed(const QStringList &matrix) { return matrix.join(u',').contains(u'*'); }

// The newest import and export date of a replica as ClearCase lists its
// history; the other reads "None".
QPair<QString, QString> newestSyncEvent(const QString &replica, const QString &tag)
{
    const QStringList args{u"lshistory"_s, u"-fmt"_s, u"%e\\t%d\\n"_s, u"replica:"_s + replica + u'@' + tag};
    for (const QString &line : runSim(u"cleartool"_s, args).split(u'\n', Qt::SkipEmptyParts)) {
        if (line.startsWith(u"import sync"_s))
            return {line.section(u'\t', 1), u"None"_s};
        if (line.startsWith(u"export sync"_s))
            return {u"None"_s, line.section(u'\t', 1)};
    }
    return {u"None"_s, u"None"_s};
}

QString historyOf(const QString &replica, const QString &tag)
{
    return runSim(u"cleartool"_s, {u"lshistory"_s, u"-fmt"_s, u"Date:%d User:%u\\n%c\\n"_s, u"replica:"_s + replica + u'@' + tag});
}

struct SimWindow {
    QTemporaryDir region, workDir;
    test::ScriptedDialogs dialogs;
    CoprocessClearTool clearTool{QDir(kSimDir).filePath(u"cleartool"_s)};
    ProcessShell shell{dialogs, workDir.path()};
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
    FlexGrid *actualGrid() const { return window->epochView()->Grid1(); }
    FlexGrid *localGrid() const { return window->epochView()->Grid2(); }

    // The commands that changed the region since the last call: multitool's,
    // without the lsepoch the script runs; "multitool ... => status N".
    QStringList changes() const
    {
        QFile f(region.filePath(u"commands.log"_s));
        QStringList out;
        if (f.open(QIODevice::ReadOnly))
            for (const QString &line : QString::fromUtf8(f.readAll()).split(u'\n', Qt::SkipEmptyParts))
                if (const QString c = line.section(u"] "_s, 1); c.startsWith(u"multitool "_s) && !c.startsWith(u"multitool lsepoch"_s))
                    out << c;
        f.remove();
        return out;
    }

    // "Load VOBs", a real double click on the VOB, then the maintenance page.
    void openVob(const QString &tag)
    {
        QTest::mouseClick(get<QToolButton>(u"loadVobsBut"_s), Qt::LeftButton);
        QListWidget *list = window->vobList()->list();
        const auto found = list->findItems(tag, Qt::MatchExactly);
        QCOMPARE(found.size(), 1);
        list->scrollToItem(found.first());
        const QPoint at = list->visualItemRect(found.first()).center();
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, at);
        QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, at);
        QVERIFY(window->graph()->allSites().size() >= 2);
        QTabBar *tabs = window->tabStrip();
        QTest::mouseClick(tabs, Qt::LeftButton, {}, tabs->tabRect(1).center());
        changes();
    }

    // A click where the style takes it: on the box or circle.
    static void click(QAbstractButton *button)
    {
        QStyleOptionButton opt;
        opt.initFrom(button);
        const auto element = qobject_cast<QRadioButton *>(button) ? QStyle::SE_RadioButtonClickRect : QStyle::SE_CheckBoxClickRect;
        QTest::mouseClick(button, Qt::LeftButton, {}, button->style()->subElementRect(element, &opt, button).center());
    }
    static void choose(QComboBox *combo, const QString &name) { combo->setCurrentIndex(combo->findText(name)); }
    QString showHistory() const
    {
        QLabel *image = get<QLabel>(u"dDetailImage"_s);
        QTest::mouseDClick(image, Qt::LeftButton, {}, image->rect().center());
        return window->detailForm() ? window->detailForm()->text() : QString();
    }
};

} // namespace

class TestMaintenanceE2E : public QObject {
    Q_OBJECT
private slots:
    // The lost packet shows as red columns in the actual matrix; the
    // window's own fix "Based on Actual" and "Synchronize Replica(s)" (All
    // Replicas), by mouse, level every column, and the dates and histories
    // record the new import and exports.
    void lostPacketRepair()
    {
        SimWindow s;
        const QString receiver = u"london"_s;
        const Truth before = Truth::of(kTools);
        s.openVob(kTools);
        QVERIFY(!QTest::currentTestFailed());
        const QString local = s.window->graph()->GMyReplicaName();
        QCOMPARE(local, before.names.first());
        QCOMPARE(shown(s.actualGrid()), before.matrix(true));
        QCOMPARE(shown(s.localGrid()), before.matrix(false));
        QVERIFY(anyRed(before.matrix(true)));
        QVERIFY(!anyRed(before.matrix(false))); // this site believes everything arrived

        QMap<QString, QString> historyBefore;
        for (const QString &r : before.names) {
            SimWindow::choose(s.combo(u"dReplicaCombo"_s), r);
            QCOMPARE((QPair<QString, QString>{s.date(2), s.date(3)}), newestSyncEvent(r, kTools));
            historyBefore.insert(r, s.showHistory());
            QCOMPARE(historyBefore.value(r), historyOf(r, kTools));
        }

        // Fix: the receiver's row of the local table from its actual row.
        SimWindow::choose(s.combo(u"dReplicaFixCombo(0)"_s), receiver);
        SimWindow::click(s.get<QRadioButton>(u"dFixOpt(0)"_s));
        QTest::mouseClick(s.get<QLabel>(u"dFixImage(0)"_s), Qt::LeftButton);
        QCOMPARE(s.dialogs.boxes.size(), 1);
        QCOMPARE(s.dialogs.boxes.first().prompt, u"You are about to make changes to the Epoch table for replica:london\r\n"
                                                 "Are you sure you want to continue?"_s);
        QCOMPARE(s.changes(), QStringList{u"multitool chepoch -actual london@/vobs/tools => status 0"_s});
        const Truth fixed = Truth::of(kTools);
        QCOMPARE(fixed.local.value(receiver), before.actual.value(receiver));
        QCOMPARE(shown(s.localGrid()), fixed.matrix(false)); // reloaded: now the local table shows the gap
        QVERIFY(anyRed(fixed.matrix(false)));

        // Synchronize: import what arrived, export to all siblings.
        QVERIFY(s.get<QCheckBox>(u"syncAllCB"_s)->isChecked());
        s.dialogs.boxes.clear();
        const QDateTime started = QDateTime::currentDateTimeUtc().addSecs(-1);
        QTest::mouseClick(s.get<QLabel>(u"dFixLbl(1)"_s), Qt::LeftButton);
        QTest::mouseDClick(s.get<QLabel>(u"dFixLbl(1)"_s), Qt::LeftButton);
        const QDateTime ended = QDateTime::currentDateTimeUtc().addSecs(1);
        QCOMPARE(s.changes(), (QStringList{u"multitool syncreplica -import -invob /vobs/tools -receive => status 0"_s,
                                           u"multitool syncreplica -export -fship london@/vobs/tools tokyo@/vobs/tools => status 0"_s}));
        const Truth after = Truth::of(kTools);
        QCOMPARE(after.actual.value(receiver), after.actual.value(local));
        QCOMPARE(shown(s.actualGrid()), after.matrix(true));
        QCOMPARE(shown(s.localGrid()), after.matrix(false));
        QVERIFY(!anyRed(after.matrix(true)) && !anyRed(after.matrix(false))); // all columns equal

        // A new export for every sibling, a new import at the local replica
        // from the receiver, both dated now. One detail window throughout.
        const QWidget *detail = s.window->detailForm();
        for (const QString &r : before.names) {
            SimWindow::choose(s.combo(u"dReplicaCombo"_s), r);
            const QString history = s.showHistory();
            QCOMPARE(s.window->detailForm(), detail);
            QCOMPARE(detail->windowTitle(), QString(u"History Detail: "_s + r));
            QCOMPARE(history, historyOf(r, kTools));
            QVERIFY2(history.endsWith(historyBefore.value(r)), qPrintable(r));
            QCOMPARE(history.count(u"Date:"_s), historyBefore.value(r).count(u"Date:"_s) + 1);
            const QString newDate = r == local ? s.date(2) : s.date(3);
            QCOMPARE(r == local ? s.date(3) : s.date(2), u"None"_s);
            const QDateTime at = QDateTime::fromString(newDate, Qt::ISODate);
            QVERIFY2(at >= started && at <= ended, qPrintable(newDate));
            QVERIFY(history.startsWith(u"Date:"_s + newDate));
            if (r == local)
                QVERIFY(history.contains(u"Imported synchronization information from replica \"london\"."_s));
            if (r == receiver) // the export went out from the corrected estimate
                QCOMPARE(history.section(u'\n', 2, 2), QString(u"Row at export was: "_s + before.actual.value(r)));
        }
        QVERIFY(s.dialogs.boxes.isEmpty());
        QCOMPARE(s.window->status(), u"Status"_s);
    }

    // multitool cannot reach the replica's host: its failure is shown in its
    // own words and the row stays. Choosing that replica still shows its
    // dates (its history is local).
    void unreachableReplica()
    {
        SimWindow s;
        const QString web = u"/vobs/web"_s;
        s.openVob(web);
        QVERIFY(!QTest::currentTestFailed());
        const Truth before = Truth::of(web);
        SimWindow::choose(s.combo(u"dReplicaCombo"_s), u"sydney"_s);
        QCOMPARE((QPair<QString, QString>{s.date(2), s.date(3)}), newestSyncEvent(u"sydney"_s, web));
        QVERIFY(s.dialogs.boxes.isEmpty());

        SimWindow::choose(s.combo(u"dReplicaFixCombo(0)"_s), u"sydney"_s);
        SimWindow::click(s.get<QRadioButton>(u"dFixOpt(0)"_s));
        s.window->fixFrame()->fixOrSync(0);
        QCOMPARE(s.changes(), QStringList{u"multitool chepoch -actual sydney@/vobs/web => status 1"_s});
        QCOMPARE(s.dialogs.boxes.size(), 2); // the confirmation, then the failure
        const test::ScriptedDialogs::Box failure = s.dialogs.boxes.last();
        QCOMPARE(failure.title, u"Quorvane"_s);
        QCOMPARE(failure.icon, MsgIcon::Stop);
        QVERIFY2(failure.prompt.startsWith(u"ERROR: multitool: Error: "_s), qPrintable(failure.prompt));
        QVERIFY(failure.prompt.endsWith(u"\r\nCommand failed --> multitool chepoch -actual sydney@/vobs/web"_s));
        QCOMPARE(Truth::of(web).local, before.local);
        QCOMPARE(s.window->status(), u"Status"_s);
    }

    // A real double click on each site in turn: the six fields describe the
    // site as ClearCase lists it, and the one highlighted site moves along.
    void siteDoubleClick()
    {
        SimWindow s;
        const QString core = u"/vobs/core"_s;
        s.openVob(core);
        QVERIFY(!QTest::currentTestFailed());
        QMap<QString, QStringList> records; // name, created, host, master
        const QStringList args{u"lsreplica"_s, u"-fmt"_s, u"%n\\t%d\\t%[replica_host]p\\t%[master]p\\n"_s, u"-invob"_s, core};
        for (const QString &line : runSim(u"cleartool"_s, args).split(u'\n', Qt::SkipEmptyParts))
            records.insert(line.section(u'\t', 0, 0), line.split(u'\t'));
        GraphView *graph = s.window->graph();
        const int n = int(graph->allSites().size());
        QCOMPARE(n, 8);
        const auto field = [&s](const QString &name) { return s.get<QLineEdit>(name); };
        for (int k = n; k >= 1; --k) {
            QLabel *icon = graph->siteImage(k);
            QTest::mouseClick(icon, Qt::LeftButton, {}, icon->rect().center());
            QTest::mouseDClick(icon, Qt::LeftButton, {}, icon->rect().center());
            const QString name = graph->siteLabel(k)->text();
            const QStringList rec = records.value(name);
            QCOMPARE(rec.size(), 4);
            const QPair<QString, QString> dates = newestSyncEvent(name, core);
            QCOMPARE((QStringList{field(u"vReplicaTxt"_s)->text(), field(u"vDateTxt"_s)->text(), field(u"vHostTxt"_s)->text(),
                                  field(u"vMasterTxt"_s)->text(), field(u"vImportDateTxt"_s)->text(), field(u"vExportDateTxt"_s)->text()}),
                     (rec + QStringList{dates.first, dates.second}));
            for (int i = 1; i <= n; ++i) // one site highlighted: this one
                QCOMPARE(graph->siteImage(i)->pixmap().toImage() == graph->siteHighlightedImage()->pixmap().toImage(), i == k);
        }
        QVERIFY(s.dialogs.boxes.isEmpty());
    }
};

QTEST_MAIN(TestMaintenanceE2E)
#include "tst_maintenance_e2e.moc"
