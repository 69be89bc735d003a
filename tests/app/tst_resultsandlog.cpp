// What the window says about what it ran and what came of it: the command
// log and its window, the bays, and the fields, findings and result line
// that must not keep another VOB's values. (The result line's texts and the
// repair a finding leads to are the fix frame's and the diagnosis' own tests.)
#include "ccase/CommandLog.h"
#include "maintenance/FixFrame.h"
#include "replicas/DiagnosisPanel.h"
#include "replicas/EpochMatrixView.h"
#include "replicas/PacketPanel.h"
#include "support/LoaderFixture.h"
#include "ui/frmCommandLog.h"

#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QTabBar>
#include <QTableView>
#include <QTest>
#include <QToolButton>
#include <utility>

using namespace quorvane;
using namespace quorvane::test;
using namespace Qt::StringLiterals;

namespace {

const QString Tools = u"/vobs/tools"_s;
const QString Other = u"/vobs/other"_s;

// The demo's lost packet: this site (boston_hub) believes london holds all
// of its 365 changes; london holds 321.
LoaderVob toolsVob()
{
    return {u"boston_hub"_s,
            u"boston_hub,2026-05-01,minuteman,boston_hub@/vobs/tools,london,2026-05-01,thames,"
            "london@/vobs/tools,"_s,
            {{u"boston_hub"_s, u"365"_s, u"57"_s}, {u"london"_s, u"321"_s, u"57"_s}},
            {{u"boston_hub"_s, u"365"_s, u"57"_s}, {u"london"_s, u"365"_s, u"57"_s}}};
}

LoaderVob otherVob()
{
    return {u"rome"_s, u"rome,2026-05-02,tiber,rome@/vobs/other,oslo,2026-05-02,fjord,rome@/vobs/other,"_s,
            {{u"rome"_s, u"5"_s, u"6"_s}, {u"oslo"_s, u"5"_s, u"6"_s}},
            {{u"rome"_s, u"5"_s, u"6"_s}, {u"oslo"_s, u"5"_s, u"6"_s}}};
}

QStringList findingTexts(frmMain &w)
{
    QStringList out;
    for (const Finding &f : w.diagnosis()->findings())
        out << f.text;
    return out;
}

QStringList gridTexts(const EpochGrid *grid)
{
    QStringList out;
    for (const QStringList &row : gridCells(grid))
        out << row.join(u',');
    return out;
}

} // namespace

class tst_ResultsAndLog : public QObject {
    Q_OBJECT
private slots:
    // A load goes through the logged layer: every command, each results file
    // read (a missing one as failed), and the bays in the same load. The log
    // window shows it and follows what comes.
    void logWindow()
    {
        LoaderFixture f;
        frmMain &w = *f.window;
        LoaderVob noLocal = toolsVob();
        noLocal.local.clear(); // the script leaves no local matrix
        f.addVob(Tools, noLocal);
        w.show();
        f.open(Tools);
        QStringList seen;
        for (const CommandLogEntry &e : f.window->commandLog().entries()) {
            const QString what = e.command.startsWith(f.workDir.path()) ? QDir(f.workDir.path()).relativeFilePath(e.command)
                                                                        : e.command.section(u' ', 0, e.command.startsWith(u"ccperl"_s) ? 0 : 1);
            seen << CommandLog::kindName(e.kind) + u": "_s + what + u" => "_s + e.outcome.section(u' ', 0, 1);
        }
        QCOMPARE(seen, (QStringList{u"cleartool: cleartool desc => status 0"_s,
                                    u"cleartool: cleartool lsreplica => status 0"_s, u"process: ccperl => exit 0"_s,
                                    u"file read: _results.txt => read, 2"_s,
                                    u"file read: _results_local.txt => failed: File"_s,
                                    u"cleartool: cleartool lsvob => status 0"_s,
                                    u"process: multitool lspacket => exit 0"_s}));
        QCOMPARE(f.window->commandLog().entries().first().output, u"boston_hub"_s);
        QVERIFY(!f.window->commandLog().entries().at(4).ok);

        // The working dialog came and went; the main window takes the keys.
        w.activateWindow();
        QTRY_VERIFY(w.isActiveWindow());

        // Ctrl+L, not a menu item: the menus stay as they are.
        QTest::keyClick(&w, Qt::Key_L, Qt::ControlModifier);
        frmCommandLog *log = w.commandLogForm();
        QVERIFY(log && log->isVisible());
        QCOMPARE(log->objectName(), u"frmCommandLog"_s);
        QCOMPARE(log->view()->model()->rowCount(), int(w.commandLog().entries().size()));

        // Details on demand: the chosen entry's output and error text; the
        // window opens on the newest entry.
        QVERIFY2(log->detailText().startsWith(w.commandLog().entries().last().command), qPrintable(log->detailText()));
        // Until the user picks an entry, the pane follows the newest.
        const int before = log->view()->model()->rowCount();
        CommandLogEntry late;
        late.command = u"cleartool lsvob -s"_s;
        late.output = u"/vobs/late"_s;
        w.commandLog().add(late);
        QCOMPARE(log->view()->currentIndex().row(), before);
        QCOMPARE(log->detailText(), CommandLog::detailText(w.commandLog().entries().last()));
        log->view()->selectRow(0);
        QVERIFY2(log->detailText().contains(u"Output:\nboston_hub\n"_s), qPrintable(log->detailText()));

        // Entries that arrive while it is open show at once; the entry picked
        // stays in the pane.
        f.open(Tools);
        QCOMPARE(log->view()->model()->rowCount(), before * 2 + 1);
        QCOMPARE(log->view()->currentIndex().row(), 0);
        QVERIFY2(log->detailText().contains(u"Output:\nboston_hub\n"_s), qPrintable(log->detailText()));

        log->hide();
        QTest::mouseClick(w.findChild<QToolButton *>(u"commandLogBut"_s), Qt::LeftButton);
        QVERIFY(log->isVisible());
        QCOMPARE(w.commandLogForm(), log); // one window, shown again
    }

    // A name of any length leaves the window's width alone: labels show it
    // shortened, with the whole name in their tooltip. A name holding a
    // right-to-left override stands isolated, so that it reverses nothing
    // around it: the caption, the fix's confirmation, the result line.
    void names_data()
    {
        QTest::addColumn<QString>("tag");
        QTest::addColumn<QString>("replica");
        QTest::addColumn<QString>("shownTag");     // in "VOB:"
        QTest::addColumn<QString>("shownReplica"); // in the confirmation
        QTest::addColumn<QString>("shownTarget");  // replica@tag in the result line
        const QString longTag = u"/vobs/"_s + QString(4090, u't');
        const QString longName = QString(4096, u'n');
        QTest::newRow("4 KB tag and name")
            << longTag << longName << u"/vobs/"_s + QString(46, u't') + u"\u2026"_s + QString(27, u't') << longName
            << QString(52, u'n') + u"\u2026"_s + QString(27, u't');
        const QString fsi = u"\u2068"_s, pdi = u"\u2069"_s;
        QTest::newRow("right-to-left override")
            << u"/vobs/\u202Esloot"_s << u"lon\u202Edon"_s << fsi + u"/vobs/\u202Esloot"_s + pdi
            << fsi + u"lon\u202Edon"_s + pdi << fsi + u"lon\u202Edon@/vobs/\u202Esloot"_s + pdi;
    }

    void names()
    {
        QFETCH(QString, tag);
        QFETCH(QString, replica);
        QFETCH(QString, shownTag);
        QFETCH(QString, shownReplica);
        QFETCH(QString, shownTarget);
        LoaderFixture f;
        frmMain &w = *f.window;
        const QList<QStringList> rows{{u"boston_hub"_s, u"5"_s, u"5"_s}, {replica, u"5"_s, u"5"_s}};
        f.addVob(tag, LoaderVob{u"boston_hub"_s,
                                u"boston_hub,2026-05-01,minuteman,boston_hub@x,%1,2026-05-01,thames,boston_hub@x,"_s.arg(
                                    replica),
                                rows, rows});
        w.show();
        f.open(tag);
        QTabBar *tabs = w.findChild<QTabBar *>();
        for (int page : {0, 1}) {
            tabs->setCurrentIndex(page);
            QApplication::processEvents();
            // Before: a minimum of 23,860 px and a wish for 63,003.
            QVERIFY2(w.minimumSizeHint().width() <= 1400 && w.sizeHint().width() <= 2000,
                     qPrintable(u"page %1: %2, %3"_s.arg(page).arg(w.minimumSizeHint().width()).arg(w.sizeHint().width())));
        }
        auto *vob = w.findChild<QLabel *>(u"vSelectedVobLbl"_s);
        QCOMPARE(vob->text(), u"VOB:"_s + shownTag);
        QCOMPARE(vob->toolTip(), tag.size() > 100 ? tag : QString());

        FixFrame *frame = w.fixFrame();
        frame->fixCombo()->setCurrentIndex(1);
        f.dialogs.boxes.clear();
        frame->fixOrSync(0);
        QCOMPARE(f.dialogs.boxes.value(0).prompt,
                 u"You are about to make changes to the Epoch table for replica:"_s + shownReplica +
                     u"\r\nAre you sure you want to continue?"_s);
        QVERIFY2(frame->resultLabel()->text().startsWith(u"multitool chepoch -actual "_s + shownTarget + u" \u2014 done"_s),
                 qPrintable(frame->resultLabel()->text().left(200)));
    }

    // A load of another VOB shows nothing of the VOB before: the replica's
    // fields as designed and no result line of its actions; one that ends
    // without its matrices, empty grids and no findings. One whose results
    // name replicas the VOB does not have says so first. The reload after a
    // maintenance action is the same VOB: the fields stay.
    void anotherVob_data()
    {
        QTest::addColumn<QString>("how");
        QTest::addColumn<QStringList>("boxes"); // a piece of each box
        QTest::addColumn<QString>("finding");   // the first one
        QTest::newRow("script cancelled") << u"cancel"_s << QStringList{u"Cancelled --> ccperl"_s} << QString();
        QTest::newRow("empty files") << u"empty"_s
                                     << QStringList{u"no line names a replica"_s, u"no line names a replica"_s}
                                     << QString();
        QTest::newRow("another VOB's results")
            << u"foreign"_s << QStringList{}
            << u"The results files name replicas this VOB does not have (boston_hub and london): they may be another "
               "VOB's, and nothing is advised about them."_s;
    }

    void anotherVob()
    {
        QFETCH(QString, how);
        QFETCH(QStringList, boxes);
        QFETCH(QString, finding);
        LoaderFixture f;
        frmMain &w = *f.window;
        const QString tag = u"/vobs/rome"_s;
        f.addVob(Tools, toolsVob());
        LoaderVob rome{u"rome"_s, otherVob().listing, {}, {}};
        if (how == u"empty"_s)
            rome.actual = rome.local = {QStringList{}};
        if (how == u"foreign"_s)
            rome = {u"rome"_s, otherVob().listing, toolsVob().actual, toolsVob().local};
        f.addVob(tag, rome);
        f.clearTool.outputs.insert(Commands::syncHistory(u"london"_s, Tools),
                                   u"import sync from replica \"boston_hub\" to replica \"london\",2026-06-01T10:00:00Z,"_s);
        const QStringList fields{u"vReplicaTxt"_s, u"vHostTxt"_s, u"vMasterTxt"_s, u"vDateTxt"_s,
                                 u"vImportDateTxt"_s, u"vExportDateTxt"_s, u"dEpoch(2)"_s, u"dEpoch(3)"_s};
        const auto texts = [&] {
            QStringList out;
            for (const QString &name : fields)
                out << w.findChild<QLineEdit *>(name)->text();
            return out;
        };
        const QStringList designed = texts();
        // The bays are read in the same load, through the same shell; a
        // listing that fails is a note and a finding, never a box.
        bool listed = false;
        f.shell.respond = [&listed](const QString &line) {
            ShellResult r;
            if (line == Commands::listPackets() && !std::exchange(listed, true)) {
                r.exitCode = 1;
                r.errorTail = u"multitool: Error: Permission denied"_s;
            }
            return r;
        };
        f.open(Tools);
        QCOMPARE(f.shell.reads, QStringList{Commands::listPackets()});
        QVERIFY(f.dialogs.boxes.isEmpty() && w.packets()->view()->isHidden());
        QVERIFY(w.packets()->note()->text().endsWith(u"failed: multitool: Error: Permission denied"_s));
        QVERIFY(findingTexts(w).join(u'\n').contains(u"This site's storage bays could not be listed"_s));
        Q_EMIT w.graph()->siteDoubleClicked(2);
        QComboBox *replica = w.findChild<QComboBox *>(u"dReplicaCombo"_s);
        replica->setCurrentIndex(replica->findText(u"london"_s));
        const QStringList shown = texts();
        QCOMPARE(shown.mid(0, 2), (QStringList{u"london"_s, u"thames"_s}));
        w.loadReplicaDetail();
        QCOMPARE(texts(), shown);
        QCOMPARE(gridTexts(w.epochView()->Grid1()).size(), 3);
        QLabel *result = w.fixFrame()->resultLabel();
        result->setText(u"multitool syncreplica -export -fship london@/vobs/tools \u2014 done, 10:00:00"_s);

        f.dialogs.boxes.clear();
        if (how == u"cancel"_s)
            f.duringScript = [&] { f.shell.cancel(); };
        f.open(tag);
        QCOMPARE(f.dialogs.boxes.size(), boxes.size());
        for (qsizetype i = 0; i < boxes.size(); ++i)
            QVERIFY2(f.dialogs.boxes[i].prompt.contains(boxes[i]), qPrintable(f.dialogs.boxes[i].prompt));
        QVERIFY(result->text().isEmpty());
        QCOMPARE(texts(), designed);
        QCOMPARE(w.findChild<QLineEdit *>(u"vReplicaTxt"_s)->toolTip(), QString());
        QCOMPARE(w.findChild<QLabel *>(u"vSelectedVobLbl"_s)->text(), u"VOB:"_s + tag);
        if (how == u"foreign"_s) {
            QCOMPARE(findingTexts(w), QStringList{finding});
            return;
        }
        for (EpochGrid *grid : {w.epochView()->Grid1(), w.epochView()->Grid2()})
            QCOMPARE(gridTexts(grid), (QStringList{u","_s, u","_s}));
        QCOMPARE(w.epochView()->actualOutOfSync(), QList<bool>(3, false));
        QCOMPARE(w.epochView()->localOutOfSync(), QList<bool>(3, false));
        QVERIFY(findingTexts(w).isEmpty());
    }
};

QTEST_MAIN(tst_ResultsAndLog)
#include "tst_resultsandlog.moc"
