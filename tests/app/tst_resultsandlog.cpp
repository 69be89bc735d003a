// What the window says about what it ran and what came of it: the command
// log and its window, the fix frame's result line, the diagnosis under the
// matrices and the fields that must not keep another VOB's values.
#include "ccase/CommandLog.h"
#include "maintenance/FixFrame.h"
#include "replicas/DiagnosisPanel.h"
#include "replicas/EpochMatrixView.h"
#include "replicas/PacketModel.h"
#include "replicas/PacketPanel.h"
#include "support/LoaderFixture.h"
#include "ui/frmCommandLog.h"

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QTableView>
#include <QTabBar>
#include <QTest>
#include <QToolButton>

using namespace quorvane;
using namespace quorvane::test;
using namespace Qt::StringLiterals;

Q_DECLARE_METATYPE(ShellResult)

namespace {

const QString Tools = u"/vobs/tools"_s;
const QString Other = u"/vobs/other"_s;

// The demo's lost packet: this site (boston_hub) believes london holds all
// of its 365 changes; london holds 321.
LoaderVob toolsVob(bool fixed = false)
{
    LoaderVob v{u"boston_hub"_s,
                u"boston_hub,2026-05-01,minuteman,boston_hub@/vobs/tools,london,2026-05-01,thames,"
                "london@/vobs/tools,"_s,
                {{u"boston_hub"_s, u"365"_s, u"57"_s}, {u"london"_s, u"321"_s, u"57"_s}},
                {{u"boston_hub"_s, u"365"_s, u"57"_s}, {u"london"_s, u"365"_s, u"57"_s}}};
    if (fixed)
        v.local[1] = v.actual[1];
    return v;
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

void clickFinding(frmMain &w, int row)
{
    QListWidget *list = w.diagnosis()->list();
    list->scrollToItem(list->item(row));
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(list->item(row)).center());
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
    void logRecordsALoad();
    void logWindow();
    void resultLine_data();
    void resultLine();
    void diagnosisGuidesTheRepair();
    void fieldsResetOnAnotherVobOnly();
    void names_data();
    void names();
    void loadWithoutMatrices_data();
    void loadWithoutMatrices();
    void bays();
};

void tst_ResultsAndLog::logRecordsALoad()
{
    LoaderFixture f;
    f.addVob(Tools, toolsVob());
    LoaderVob noLocal = otherVob();
    noLocal.local.clear(); // the script leaves no local matrix
    f.addVob(Other, noLocal);
    f.open(Tools);
    f.open(Other);

    QStringList seen;
    for (const CommandLogEntry &e : f.window->commandLog().entries()) {
        const QString what = e.command.startsWith(f.workDir.path()) ? QDir(f.workDir.path()).relativeFilePath(e.command)
                                                                    : e.command.section(u' ', 0, 1);
        seen << CommandLog::kindName(e.kind) + u": "_s + what + u" => "_s + e.outcome;
    }
    const QStringList oneLoad{u"cleartool: cleartool desc => status 0"_s,
                              u"cleartool: cleartool lsreplica => status 0"_s, u"process: ccperl "_s};
    // The bays are read in the same load, through the same log.
    const QStringList bays{u"cleartool: cleartool lsvob => status 0"_s, u"process: multitool lspacket => exit 0"_s};
    QCOMPARE(seen.size(), 14);
    QCOMPARE(seen.mid(0, 2), oneLoad.mid(0, 2));
    QVERIFY2(seen[2].startsWith(u"process: ccperl "_s) && seen[2].endsWith(u" => exit 0"_s), qPrintable(seen[2]));
    QCOMPARE(seen.mid(3, 2),
             (QStringList{u"file read: _results.txt => read, 2 lines"_s, u"file read: _results_local.txt => read, 2 lines"_s}));
    QCOMPARE(seen.mid(5, 2), bays);
    QCOMPARE(seen.mid(7, 2), oneLoad.mid(0, 2));
    QCOMPARE(seen.mid(10, 2), (QStringList{u"file read: _results.txt => read, 2 lines"_s,
                                           u"file read: _results_local.txt => failed: File not found"_s}));
    QCOMPARE(seen.mid(12, 2), bays);
    const CommandLogEntry &desc = f.window->commandLog().entries().first();
    QCOMPARE(desc.output, u"boston_hub"_s);
    QVERIFY(!f.window->commandLog().entries().at(11).ok);
}

void tst_ResultsAndLog::logWindow()
{
    LoaderFixture f;
    frmMain &w = *f.window;
    f.addVob(Tools, toolsVob());
    w.show();
    f.open(Tools);
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

    QApplication::clipboard()->clear();
    QTest::mouseClick(log->findChild<QPushButton *>(u"copyBut"_s), Qt::LeftButton);
    const QString copied = QApplication::clipboard()->text();
    QVERIFY(copied.contains(u"\tcleartool\tcleartool desc -fmt \"%[replica_name]p\" vob:/vobs/tools\tstatus 0\n"_s));
    QVERIFY(copied.contains(u"Output:\nboston_hub\n"_s));
}

void tst_ResultsAndLog::resultLine_data()
{
    QTest::addColumn<int>("action");
    QTest::addColumn<ShellResult>("result");
    QTest::addColumn<QStringList>("expected"); // without ", hh:mm:ss"

    const QString fix = u"multitool chepoch -actual london@/vobs/tools"_s;
    QTest::newRow("fix that worked") << 0 << ShellResult{} << QStringList{fix + u" \u2014 done"_s};
    QTest::newRow("fix that failed")
        << 0
        << ShellResult{ShellResult::Outcome::Ran, 1,
                       u"multitool: Error: one\r\nmultitool: Error: Unable to contact replica \"london\"."_s, 40, 0, {}}
        << QStringList{fix + u" \u2014 failed (exit 1): multitool: Error: Unable to contact replica \"london\"."_s};
    QTest::newRow("fix not started")
        << 0 << ShellResult{ShellResult::Outcome::NotStarted, 0, u"Program not found: multitool"_s, 1, 0, {}}
        << QStringList{fix + u" \u2014 failed (not started): Program not found: multitool"_s};
    QTest::newRow("fix cancelled") << 0 << ShellResult{ShellResult::Outcome::Cancelled, 0, QString(), 900, 0, {}}
                                   << QStringList{fix + u" \u2014 failed (cancelled)"_s};
    // The export line ends with a blank; the result line does not.
    QTest::newRow("synchronize: both commands")
        << 1 << ShellResult{}
        << QStringList{u"multitool syncreplica -import -invob /vobs/tools -receive \u2014 done"_s,
                       u"multitool syncreplica -export -fship london@/vobs/tools \u2014 done"_s};
}

void tst_ResultsAndLog::resultLine()
{
    QFETCH(int, action);
    QFETCH(ShellResult, result);
    QFETCH(QStringList, expected);
    LoaderFixture f;
    frmMain &w = *f.window;
    f.addVob(Tools, toolsVob());
    f.open(Tools);
    f.shell.respond = [result](const QString &line) {
        return line.startsWith(u"multitool "_s) ? result : ShellResult{};
    };
    FixFrame *frame = w.fixFrame();
    frame->fixCombo()->setCurrentIndex(frame->fixCombo()->findText(u"london"_s));
    frame->fixOrSync(action);

    QStringList lines = frame->resultLabel()->text().split(u'\n');
    static const QRegularExpression time(u", \\d\\d:\\d\\d:\\d\\d$"_s);
    for (QString &line : lines) {
        QVERIFY2(time.match(line).hasMatch(), qPrintable(line));
        line.remove(time);
    }
    QCOMPARE(lines, expected);
    QCOMPARE(frame->resultLabel()->objectName(), u"dFixResultLbl"_s);
    // The status line keeps its idle text; the result has its own line.
    QCOMPARE(w.status(), u"Status"_s);
    // The reload after the action keeps the result; the next action
    // replaces it: cancelled, by nothing; where the reload reset the list,
    // by why it ran nothing.
    QVERIFY(f.log.contains(u"cleartool desc -fmt \"%[replica_name]p\" vob:/vobs/tools"_s));
    const bool chosen = frame->fixCombo()->currentIndex() > 0;
    f.dialogs.msgAnswers.enqueue(MsgResult::Cancel);
    frame->fixOrSync(0);
    QCOMPARE(frame->resultLabel()->text(), chosen ? QString() : u"Nothing run: choose the replica to fix first."_s);
}

void tst_ResultsAndLog::diagnosisGuidesTheRepair()
{
    LoaderFixture f;
    frmMain &w = *f.window;
    f.addVob(Tools, toolsVob());
    f.addVob(Other, toolsVob(true));
    w.resize(1200, 900);
    w.show();
    QTabBar *tabs = w.tabStrip();
    tabs->setCurrentIndex(1);
    w.mainTabStripClick();
    f.open(Tools);
    QCOMPARE(w.diagnosis()->list()->objectName(), u"dDiagnosis"_s);
    // Both sentences lead to one repair, and stand in one finding.
    QCOMPARE(findingTexts(w).value(0),
             u"london lacks 44 of boston_hub's changes (it holds 321, boston_hub holds 365). This site believes "
             "london holds 365 of boston_hub's changes, but it holds 321: the packet between was lost, and no later "
             "export will resend it. Repair: Fix Local Epoch Table for london based on actual, then Synchronize."_s);

    // A click chooses the repair and runs nothing.
    FixFrame *frame = w.fixFrame();
    const qsizetype ran = f.shell.lines.size();
    clickFinding(w, 0);
    QCOMPARE(frame->fixCombo()->currentText(), u"london"_s);
    QVERIFY(w.findChild<QRadioButton *>(u"dFixOpt(0)"_s)->isChecked());
    QCOMPARE(f.shell.lines.size(), ran);
    QVERIFY(f.dialogs.boxes.isEmpty());

    // After the fix the local table shows the gap, and the line says to send it.
    f.open(Other);
    QCOMPARE(findingTexts(w).value(0),
             u"This site now knows london lacks 44 of boston_hub's changes: Synchronize to send them."_s);
    QVERIFY(w.findChild<QCheckBox *>(u"syncAllCB"_s)->isChecked());
    clickFinding(w, 0);
    QVERIFY(!w.findChild<QCheckBox *>(u"syncAllCB"_s)->isChecked());
    QCOMPARE(frame->exportCombo()->currentText(), u"london"_s);
    QCOMPARE(f.shell.lines.size(), ran + 2); // only the second VOB's script and its bays
}

void tst_ResultsAndLog::fieldsResetOnAnotherVobOnly()
{
    LoaderFixture f;
    frmMain &w = *f.window;
    f.addVob(Tools, toolsVob());
    f.addVob(Other, otherVob());
    f.clearTool.outputs.insert(Commands::syncHistory(u"london"_s, Tools),
                               u"import sync from replica \"boston_hub\" to replica \"london\",2026-06-01T10:00:00Z,"_s);
    const QStringList fields{u"vReplicaTxt"_s, u"vHostTxt"_s,       u"vMasterTxt"_s,
                             u"vDateTxt"_s,    u"vImportDateTxt"_s, u"vExportDateTxt"_s,
                             u"dEpoch(2)"_s,   u"dEpoch(3)"_s};
    const auto texts = [&] {
        QStringList out;
        for (const QString &name : fields)
            out << w.findChild<QLineEdit *>(name)->text();
        return out;
    };
    const QStringList designed = texts();
    QCOMPARE(designed, (QStringList{u"<replica_name>"_s, u"<host>"_s, u"<mastered_by>"_s, u"<date_created>"_s,
                                    u"<Import>"_s, u"<Export>"_s, u"<last_import>"_s, u"<last_export>"_s}));

    f.open(Tools);
    Q_EMIT w.graph()->siteDoubleClicked(2);
    QComboBox *replica = w.findChild<QComboBox *>(u"dReplicaCombo"_s);
    replica->setCurrentIndex(replica->findText(u"london"_s));
    const QStringList shown = texts();
    QCOMPARE(shown, (QStringList{u"london"_s, u"thames"_s, u"london@/vobs/tools"_s, u"2026-05-01"_s,
                                 u"2026-06-01T10:00:00Z"_s, u"None"_s, u"2026-06-01T10:00:00Z"_s, u"None"_s}));

    // The reload after a maintenance action is the same VOB: the fields stay.
    w.loadReplicaDetail();
    QCOMPARE(texts(), shown);

    f.open(Other);
    QCOMPARE(texts(), designed);
    QCOMPARE(w.findChild<QLineEdit *>(u"vReplicaTxt"_s)->toolTip(), QString());
}

// A name of any length leaves the window's width alone: labels show it
// shortened, with the whole name in their tooltip. A name holding a
// right-to-left override stands isolated, so that it reverses nothing
// around it: the caption, the fix's confirmation, the result line.
void tst_ResultsAndLog::names_data()
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

void tst_ResultsAndLog::names()
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

// A load of another VOB that ends without its matrices shows nothing of the
// VOB before: empty grids, no findings, no result line of its actions. One
// whose results name replicas the VOB does not have says so first.
void tst_ResultsAndLog::loadWithoutMatrices_data()
{
    QTest::addColumn<QString>("how");
    QTest::addColumn<QStringList>("boxes"); // a piece of each box
    QTest::addColumn<QString>("finding");   // the first one
    QTest::newRow("script wrote nothing") << u"nothing"_s
                                          << QStringList{u"File not found"_s, u"File not found"_s} << QString();
    QTest::newRow("script cancelled") << u"cancel"_s << QStringList{u"Cancelled --> ccperl"_s} << QString();
    QTest::newRow("empty files") << u"empty"_s
                                 << QStringList{u"no line names a replica"_s, u"no line names a replica"_s}
                                 << QString();
    QTest::newRow("another VOB's results")
        << u"foreign"_s << QStringList{}
        << u"The results files name replicas this VOB does not have (boston_hub and london): they may be another "
           "VOB's, and nothing is advised about them."_s;
}

void tst_ResultsAndLog::loadWithoutMatrices()
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
    f.open(Tools);
    QVERIFY(!findingTexts(w).isEmpty());
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

// The VOB's packets are read with it: only its family's are shown (another
// VOB's packet in the same bay is not), the one returned to london turns the
// lost-packet finding into the command that sends it again, and a listing
// that fails is a note and a finding, never a box, and the load goes on.
void tst_ResultsAndLog::bays()
{
    LoaderFixture f;
    frmMain &w = *f.window;
    f.addVob(Tools, toolsVob());
    const QString family = u"0e7e8a0b.1c2d11d5.b5c3.00:01:80:b4:2e:8a"_s; // as LoaderFixture's lsvob -long gives it
    const auto block = [](const QString &bay, const QString &name, const QString &fam, const QString &to) -> QString {
        return u"Packet is: /var/adm/rational/clearcase/shipping/"_s + bay + u'/' + name +
               u"\nPacket type: Update\nVOB family identifier is: "_s + fam +
               u"\nComment supplied at packet creation is:\nPacket intended for the following targets:\n  "_s + to +
               u"\nOriginating replica is: 5923d878.31f7a10f.b89a.28:cf:a3:2a:e5:01\n"
               "The following replicas are referenced by this packet:\nboston_hub\nfirst oplog id is 321\n"
               "last oplog id is 365\nincarnation is 0\nThe packet sequence number is 1\n"_s;
    };
    const QString ours = u"sync_boston_hub_16-Nov-26.12.42.37_4071_17"_s;
    const QString line = Commands::listPackets();
    f.shell.outputs.insert(line, block(u"ms_rtn/incoming"_s, ours, family, u"london"_s) + u'\n' +
                                     block(u"ms_ship/outgoing"_s, u"sync_boston_hub_01-Dec-26.10.00.00_1_2"_s,
                                           u"11111111.22222222.3333.44:55:66:77:88:99"_s, u"london"_s));
    f.open(Tools);
    QCOMPARE(f.shell.reads, QStringList{line});
    const PacketModel *model = w.packets()->model();
    QCOMPARE(model->rowCount(), 1);
    QCOMPARE(model->index(0, PacketModel::Packet).data().toString(), ours);
    QCOMPARE(w.packets()->note()->text(), u"1 packet."_s);
    const QString first = findingTexts(w).value(0);
    QVERIFY2(first.startsWith(u"The packet "_s + ours + u" for london came back to this site's return bay"_s)
                 && first.endsWith(u"run `mkorder -data /var/adm/rational/clearcase/shipping/ms_rtn/incoming/"_s + ours +
                                   u" -fship thames` here."_s),
             qPrintable(findingTexts(w).join(u'\n')));
    QVERIFY(!findingTexts(w).join(u'\n').contains(u"the packet between was lost"_s));

    // multitool refuses: the matrices and their findings are there, the
    // bays' note says why, and no box was shown.
    f.shell.respond = [line](const QString &l) {
        ShellResult r;
        if (l == line) {
            r.exitCode = 1;
            r.errorTail = u"multitool: Error: Permission denied"_s;
        }
        return r;
    };
    f.open(Tools);
    QVERIFY(f.dialogs.boxes.isEmpty());
    QCOMPARE(w.packets()->note()->text(),
             u"not listed: multitool lspacket -long -endrange failed: multitool: Error: Permission denied"_s);
    QVERIFY(w.packets()->view()->isHidden());
    QVERIFY2(findingTexts(w).join(u'\n').contains(u"the packet between was lost"_s), qPrintable(findingTexts(w).join(u'\n')));
    QVERIFY(findingTexts(w).join(u'\n').contains(u"This site's storage bays could not be listed (multitool lspacket "
                                                  "-long -endrange failed: multitool: Error: Permission denied)"_s));
    QCOMPARE(gridCells(w.epochView()->Grid1()).size(), 3);
    QCOMPARE(w.status(), u"Status"_s);
}

QTEST_MAIN(tst_ResultsAndLog)
#include "tst_resultsandlog.moc"
