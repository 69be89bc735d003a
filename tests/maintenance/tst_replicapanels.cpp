// The maintenance page's controls by mouse and keyboard: a replica's dates
// and history (ReplicaInfoPanel), a site's fields (ReplicaFieldsPanel) and
// what the fix frame hands the repair (FixFrame; tst_epochrepair has the
// repair's rules, tst_frmmain the guard against an action inside another).
#include "common/LongActionGuard.h"
#include "maintenance/FixFrame.h"
#include "maintenance/ReplicaFieldsPanel.h"
#include "maintenance/ReplicaInfoPanel.h"
#include "maintenance/SyncDates.h"
#include "support/FakeFeedback.h"
#include "support/FakeShell.h"
#include "support/ScriptedClearTool.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QTest>
#include <QVBoxLayout>

using namespace quorvane;
using namespace Qt::StringLiterals;

namespace {

const QString script = u"/opt/quorvane/get_replica_info.pl"_s;
const QString gone = u"cleartool: Error: gone"_s; // a history that stands for a refusal
const QString reportBug = u"\r\nReport Bug to bugs@belmora.example"_s;
const QString importLine = u"multitool syncreplica -import -invob \\proj -receive"_s;
const QStringList refresh{u"showReplicaInfo"_s, u"loadReplicaDetail"_s};

QString syncCmd(const QString &r, const QString &tag) { return u"lshistory -fmt \"%e,%d,\" replica:"_s + r + u'@' + tag; }
QString historyCmd(const QString &r, const QString &tag) { return u"lshistory -fmt \"Date:%d User:%u\\n%c\\n\" replica:"_s + r + u'@' + tag; }

// A message box as "title|prompt|icon".
QString box(const QString &prompt, MsgIcon icon = MsgIcon::Stop, const QString &title = u"ERROR..."_s)
{
    return u"%1|%2|%3"_s.arg(title, prompt).arg(int(icon));
}

// The three in one active window on one scripted ClearCase, the fix frame
// with siblings r1 and r2; log holds the processes run, the cleartool
// commands and the refreshes, in order. An empty tag stands for a VOB list
// that cannot tell the tag.
struct Rig {
    test::ScriptedClearTool ct;
    test::FakeShell shell;
    test::FakeFeedback fb;
    LongActionGuard guard;
    QString tag = u"\\proj"_s;
    QStringList log;
    std::function<QString()> vobTag = [this] {
        if (tag.isEmpty())
            throw QuorvaneError(ErrNo::SubscriptOutOfRange, u"Quorvane"_s, u"No VOB selected"_s);
        return tag;
    };
    QWidget host;
    ReplicaInfoPanel *panel = new ReplicaInfoPanel(ct, shell, fb, script, vobTag, &host);
    ReplicaFieldsPanel *fields = new ReplicaFieldsPanel(ct, fb, vobTag, &host);
    FixFrame *frame = new FixFrame(
        shell, fb, guard, vobTag, [this] { log << refresh[0]; }, [this] { log << refresh[1]; }, &host);

    Rig()
    {
        panel->replicaCombo()->addItems({u"r1"_s, u"r2"_s});
        frame->setSiblingReplicas({u"r1"_s, u"r2"_s});
        auto *layout = new QVBoxLayout(&host);
        for (QWidget *w : {static_cast<QWidget *>(panel), static_cast<QWidget *>(fields), static_cast<QWidget *>(frame)})
            layout->addWidget(w);
        shell.action = [this](const QString &line) { log << line; };
        ct.hook = [this](const QString &cmd) { log << u"cleartool "_s + cmd; };
        host.show();
        host.activateWindow();
        if (!QTest::qWaitForWindowActive(&host))
            qFatal("the window did not become active");
    }
    void history(const QString &replica, const QString &text)
    {
        (text == gone ? ct.failures : ct.outputs).insert(syncCmd(replica, tag), text);
    }
    template <typename T> T *get(const QString &name) const { return host.findChild<T *>(name); }
    QComboBox *combo() const { return panel->replicaCombo(); }
    QLabel *image() const { return get<QLabel>(u"dDetailImage"_s); }
    QString date(int i) const { return get<QLineEdit>(u"dEpoch(%1)"_s.arg(i))->text(); }
    QLineEdit *field(const char *name) const { return get<QLineEdit>(QLatin1String(name)); }
    QComboBox *fixCombo(int i) const { return get<QComboBox>(u"dReplicaFixCombo(%1)"_s.arg(i)); }
    QLineEdit *epochTxt() const { return get<QLineEdit>(u"dFixTxt(0)"_s); }
    QStringList boxes() const
    {
        QStringList out;
        for (const auto &b : fb.scripted.boxes)
            out << box(b.prompt, b.icon, b.title);
        return out;
    }
};

const QString importEvent = u"import sync from replica \"sanfran_hub\" to replica \"boston_hub\""_s;
const QString exportEvent = u"export sync from replica \"boston_hub\" to replica \"sanfran_hub\""_s;

} // namespace

class TestReplicaPanels : public QObject {
    Q_OBJECT
private slots:
    // The newest event naming "import" or "export" gives its date; the
    // other date reads "None".
    void scan_data()
    {
        QTest::addColumn<QString>("output");
        QTest::addColumn<QString>("importDate");
        QTest::addColumn<QString>("exportDate");
        QTest::newRow("empty output") << QString() << QString() << QString();
        QTest::newRow("export newest hides older import")
            << exportEvent + u",2024-03-05T10:00:00Z,"_s + importEvent + u",2024-03-04T09:00:00Z,"_s << u"None"_s
            << u"2024-03-05T10:00:00Z"_s;
        QTest::newRow("import newest, after others") << u"lock,04-Mar-24,"_s + importEvent + u",  05-Mar-24 ,"_s + exportEvent
                                                         + u",01-Mar-24,"_s << u"  05-Mar-24 "_s << u"None"_s;
        QTest::newRow("both words: import") << u"export of import data,07-Feb-24,"_s << u"07-Feb-24"_s << u"None"_s;
        QTest::newRow("case matters") << u"Import sync,07-Feb-24,Export sync,06-Feb-24,"_s << u"None"_s << u"None"_s;
        // A description with a comma of its own shifts the fields.
        QTest::newRow("date field tested") << u"note, export pending,08-Feb-24,"_s << u"None"_s << u"08-Feb-24"_s;
    }
    void scan()
    {
        QFETCH(QString, output);
        QFETCH(QString, importDate);
        QFETCH(QString, exportDate);
        QCOMPARE(scanSyncDates(output), (SyncDates{importDate, exportDate}));
    }

    // This site's own history: the newest import from each sender; exports
    // and other events name no sender.
    void lastImports()
    {
        const QString older = u"import sync from replica \"tokyo\" to replica \"boston_hub\""_s;
        const QString output = importEvent + u",2024-03-05T10:00:00Z,"_s + exportEvent + u",2024-03-04T10:00:00Z,"_s +
            older + u",2024-03-03T10:00:00Z,"_s + importEvent + u",2024-03-01T10:00:00Z,"_s;
        const QHash<QString, QString> expected{{u"sanfran_hub"_s, u"2024-03-05T10:00:00Z"_s},
                                               {u"tokyo"_s, u"2024-03-03T10:00:00Z"_s}};
        QCOMPARE(scanLastImports(output), expected);
        QVERIFY(scanLastImports(QString()).isEmpty());
    }

    // Choosing a replica (also by code) runs the script for it, then reads
    // its dates and shows the history picture; a refusal shows one box and
    // the dates keep their text.
    void chooseReplica_data()
    {
        QTest::addColumn<QString>("tag");
        QTest::addColumn<QString>("history");
        QTest::addColumn<QString>("importDate");
        QTest::addColumn<QString>("exportDate");
        QTest::addColumn<QStringList>("boxes");
        QTest::newRow("export newest") << u"\\proj"_s << u"export sync,2024-05-01T12:00:00Z,import sync,2024-04-30,"_s
                                       << u"None"_s << u"2024-05-01T12:00:00Z"_s << QStringList();
        QTest::newRow("history refused") << u"\\proj"_s << gone << u"<last_import>"_s << u"<last_export>"_s
                                         << QStringList{box(u"ERROR::"_s + gone + reportBug)};
        QTest::newRow("no VOB tag") << QString() << QString() << u"<last_import>"_s << u"<last_export>"_s
                                    << QStringList{box(u"ERROR::No VOB selected"_s + reportBug, MsgIcon::Exclamation)};
    }
    void chooseReplica()
    {
        QFETCH(QString, tag);
        QFETCH(QString, history);
        QFETCH(QString, importDate);
        QFETCH(QString, exportDate);
        Rig rig;
        rig.tag = tag;
        rig.history(u"r2"_s, history);
        rig.combo()->setCurrentIndex(2);
        QCOMPARE(rig.log, (tag.isEmpty() ? QStringList()
                                         : QStringList{u"ccperl \"%1\" %2 r2"_s.arg(script, tag),
                                                       u"cleartool "_s + syncCmd(u"r2"_s, tag)}));
        QCOMPARE(QStringList({rig.date(2), rig.date(3)}), QStringList({importDate, exportDate}));
        QVERIFY(rig.image()->isVisible());
        QTEST(rig.boxes(), "boxes");
        QCOMPARE(rig.fb.calls.filter(u"busy:"_s), (QStringList{u"busy:1:"_s, u"busy:0:"_s}));
        rig.combo()->setCurrentIndex(0); // no replica, no history picture; the dates stay
        QVERIFY(rig.image()->isHidden() && rig.date(2) == importDate);
    }

    void newerChoiceDuringScriptWins()
    {
        Rig rig;
        rig.history(u"r1"_s, u"import,old,"_s);
        rig.history(u"r2"_s, u"export,new,"_s);
        rig.shell.action = [&rig](const QString &line) {
            if (line.endsWith(u" r1"_s))
                rig.combo()->setCurrentIndex(2); // chosen while r1's script runs
        };
        rig.combo()->setCurrentIndex(1);
        QCOMPARE(QStringList({rig.date(2), rig.date(3)}), QStringList({u"None"_s, u"new"_s}));
        QCOMPARE(rig.ct.commands, QStringList{syncCmd(u"r2"_s, rig.tag)});
        QVERIFY(!rig.fb.busyOn);
    }

    // The history picture opens the replica's history on a double click, or
    // on Space or Return once it has the focus; a single click does not.
    void historyWindow()
    {
        Rig rig;
        rig.panel->showHistory(); // no replica: nothing asked
        QVERIFY(rig.ct.commands.isEmpty());
        for (const QString &r : {u"r1"_s, u"r2"_s}) {
            rig.history(r, QString());
            rig.ct.outputs.insert(historyCmd(r, rig.tag), u"Date:2024-05-01 User:susan\nExported from "_s + r);
        }
        rig.combo()->setCurrentIndex(1);
        rig.fb.calls.clear();
        QTest::mouseClick(rig.image(), Qt::LeftButton);
        QTest::mouseDClick(rig.image(), Qt::LeftButton);
        QCOMPARE(rig.fb.calls, (QStringList{u"busy:1:"_s, u"detail:History Detail: r1"_s, u"busy:0:"_s}));
        QCOMPARE(rig.fb.detailText, u"Date:2024-05-01 User:susan\nExported from r1"_s);
        rig.combo()->setCurrentIndex(2); // the same window, new text and title
        rig.image()->setFocus(Qt::TabFocusReason);
        QTest::keyClick(rig.image(), Qt::Key_Space);
        QCOMPARE(rig.fb.detailTitle, u"History Detail: r2"_s);
        QCOMPARE(rig.fb.detailText, u"Date:2024-05-01 User:susan\nExported from r2"_s);

        rig.ct.failures.insert(historyCmd(u"r2"_s, rig.tag), gone);
        QTest::keyClick(rig.image(), Qt::Key_Return);
        QCOMPARE(rig.boxes(), QStringList{box(u"ERROR::"_s + gone + u"\r\nError from Quorvane"_s, MsgIcon::Exclamation, u"ERROR"_s)});
        QVERIFY(!rig.fb.busyOn);
    }

    // A replica name or VOB tag that would not reach cleartool as one
    // argument: choosing it runs neither the script nor the history of
    // sync dates, the history window asks nothing, and each time a box
    // names the text.
    void unsafeNamesAskNothing_data()
    {
        QTest::addColumn<QString>("replica");
        QTest::addColumn<QString>("tag");
        QTest::addColumn<QString>("shown");
        QTest::newRow("blank") << u"r 2"_s << u"\\proj"_s << u"r 2"_s;
        QTest::newRow("line end") << u"r2\r\n"_s << u"\\proj"_s << u"r2<U+000D><U+000A>"_s;
        QTest::newRow("option") << u"-all"_s << u"\\proj"_s << u"-all"_s;
        QTest::newRow("quote in tag") << u"r2"_s << u"\\pr\"oj"_s << u"\\pr\"oj"_s;
    }
    void unsafeNamesAskNothing()
    {
        QFETCH(QString, replica);
        QFETCH(QString, tag);
        QFETCH(QString, shown);
        Rig rig;
        rig.tag = tag;
        rig.combo()->addItem(replica);
        rig.combo()->setCurrentIndex(3);
        rig.panel->showHistory();
        QCOMPARE(rig.log, QStringList());
        QCOMPARE(rig.fb.scripted.boxes.size(), 2);
        for (const auto &b : rig.fb.scripted.boxes) {
            QCOMPARE(b.title, u"Invalid Name"_s);
            QVERIFY2(b.prompt.startsWith(u"Cannot pass \""_s + shown + u"\" to ClearCase"_s), qPrintable(b.prompt));
        }
        QVERIFY(!rig.fb.busyOn);
        QVERIFY(rig.image()->isHidden());
    }

    // A site's double click: six fields and their tooltips, the highlight
    // (given the filled fields, before the history is asked), then the dates.
    void siteDetails()
    {
        Rig rig;
        rig.tag = u"/vobs/dev"_s;
        rig.history(u"sanfran_hub"_s, u"import sync from replica \"boston_hub\",2024-06-01T09:30:00Z,"_s);
        QStringList seen;
        rig.fields->showSite(u"sanfran_hub"_s, u"goldengate"_s, u"boston_hub"_s, u"2023-01-15T10:00:00Z"_s, [&] {
            for (const char *f : {"vReplicaTxt", "vHostTxt", "vMasterTxt", "vDateTxt", "vImportDateTxt"})
                seen << rig.field(f)->text();
            seen << QString::number(rig.ct.commands.size());
        });
        QCOMPARE(seen, (QStringList{u"sanfran_hub"_s, u"goldengate"_s, u"boston_hub"_s, u"2023-01-15T10:00:00Z"_s, u"<Import>"_s, u"0"_s}));
        QCOMPARE(rig.field("vHostTxt")->toolTip() + u'|' + rig.field("vReplicaTxt")->toolTip(), u"Host: goldengate|Replica Name: sanfran_hub"_s);
        QCOMPARE(rig.ct.commands, QStringList{syncCmd(u"sanfran_hub"_s, u"/vobs/dev"_s)});
        QCOMPARE(rig.field("vImportDateTxt")->text() + u'|' + rig.field("vExportDateTxt")->text(), u"2024-06-01T09:30:00Z|None"_s);
        QCOMPARE(rig.fb.calls, (QStringList{u"hourglass:1"_s, u"hourglass:0"_s}));
        QVERIFY(rig.boxes().isEmpty());
    }

    // What the fix frame's controls hand the repair: the button (called, or
    // its caption by Return, Enter or Space), the replica in its combo, the
    // option, the typed value and "All Replicas"; the label says what ran,
    // or why nothing did.
    void controlsMakeTheChoice_data()
    {
        QTest::addColumn<int>("button");
        QTest::addColumn<int>("key"); // on dFixLbl(button); 0: fixOrSync(button)
        QTest::addColumn<int>("replica"); // index in the button's combo
        QTest::addColumn<int>("option");
        QTest::addColumn<QString>("epoch");
        QTest::addColumn<bool>("all");
        QTest::addColumn<QString>("line"); // the fix or export; empty: nothing runs
        QTest::addColumn<QString>("busy"); // empty: no busy period
        const QString actual = u"multitool chepoch -actual r1@\\proj"_s, r1 = u"Synchronizing replica r1"_s;
        const QString all = u"multitool syncreplica -export -fship r1@\\proj r2@\\proj "_s;
        QTest::newRow("specify, Return") << 0 << int(Qt::Key_Return) << 1 << 1 << u"42"_s << true
                                         << u"multitool chepoch -force r1@\\proj r1=42"_s << r1;
        QTest::newRow("actual, text ignored") << 0 << 0 << 1 << 0 << u"<epoch>"_s << true << actual << r1;
        QTest::newRow("local table, Space") << 0 << int(Qt::Key_Space) << 1 << 2 << u"42"_s << true << actual << r1;
        QTest::newRow("no replica") << 0 << 0 << 0 << 0 << u"42"_s << true << QString() << u"Synchronizing replica <select_replica>"_s;
        QTest::newRow("invalid") << 0 << 0 << 1 << 1 << u"4x"_s << true << QString() << r1;
        QTest::newRow("sync all ignores hidden target, Enter") << 1 << int(Qt::Key_Enter) << 1 << 2 << QString() << true
                                                               << all << u"Synchronizing all replicas"_s;
        QTest::newRow("sync, another key") << 1 << int(Qt::Key_A) << 1 << 2 << QString() << true << QString() << QString();
        QTest::newRow("sync one, Space") << 1 << int(Qt::Key_Space) << 2 << 2 << QString() << false
                                         << u"multitool syncreplica -export -fship r2@\\proj"_s << u"Synchronizing replica r2"_s;
        QTest::newRow("sync, no target") << 1 << 0 << 0 << 2 << QString() << false << QString() << u"Synchronizing replica <select_replica>"_s;
    }
    void controlsMakeTheChoice()
    {
        QFETCH(int, button);
        QFETCH(int, key);
        QFETCH(int, replica);
        QFETCH(int, option);
        QFETCH(QString, epoch);
        QFETCH(bool, all);
        QFETCH(QString, line);
        QFETCH(QString, busy);
        Rig rig;
        rig.fixCombo(button)->setCurrentIndex(replica);
        rig.get<QRadioButton>(u"dFixOpt(%1)"_s.arg(option))->click();
        rig.epochTxt()->setText(epoch);
        rig.get<QCheckBox>(u"syncAllCB"_s)->setChecked(all);
        rig.fixCombo(0)->setFocus();
        if (key) {
            QLabel *caption = rig.get<QLabel>(u"dFixLbl(%1)"_s.arg(button));
            caption->setFocus(Qt::TabFocusReason);
            QTest::keyClick(caption, Qt::Key(key));
        } else {
            rig.frame->fixOrSync(button);
        }

        const QStringList runs = line.isEmpty() ? QStringList() : button == 0 ? QStringList{line} : QStringList{importLine, line};
        QCOMPARE(rig.log, runs.isEmpty() ? runs : runs + refresh);
        const QStringList busyCalls = busy.isEmpty() ? QStringList() : QStringList{u"busy:1:"_s + busy, u"busy:0:"_s};
        QCOMPARE(rig.fb.calls.filter(u"busy:"_s), busyCalls);
        QVERIFY(!rig.guard.running());
        const QString result = rig.get<QLabel>(u"dFixResultLbl"_s)->text();
        QCOMPARE(result.split(u'\n').size(), qMax(qsizetype(1), runs.size()));
        for (const QString &run : runs)
            QVERIFY2(result.contains(run.trimmed() + u" \u2014 done, "_s), qPrintable(result));
        if (replica == 0 && !(button == 1 && all))
            QCOMPARE(result, button == 0 ? u"Nothing run: choose the replica to fix first."_s
                                         : u"Nothing run: choose the replica to export to, or tick \"All Replicas\"."_s);
        // A refused value stays for the user to correct, with the focus.
        if (button == 0 && replica > 0 && line.isEmpty())
            QVERIFY(rig.epochTxt()->text() == epoch && rig.frame->focusWidget() == rig.epochTxt());
    }

    // A focused action shows that it has the focus: it is drawn otherwise
    // than without it.
    void focusIsVisible()
    {
        Rig rig;
        QLabel *label = rig.get<QLabel>(u"dFixLbl(0)"_s);
        rig.host.setFocus();
        const QImage without = label->grab().toImage();
        label->setFocus(Qt::TabFocusReason);
        QVERIFY(label->hasFocus());
        QVERIFY(label->grab().toImage() != without);
    }
};

QTEST_MAIN(TestReplicaPanels)
#include "tst_replicapanels.moc"
