#include "maintenance/ReplicaFieldsPanel.h"
#include "maintenance/ReplicaInfoPanel.h"
#include "maintenance/SyncDates.h"
#include "support/FakeFeedback.h"
#include "support/FakeShell.h"
#include "support/ScriptedClearTool.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QTest>

using namespace quorvane;
using namespace Qt::StringLiterals;

namespace {

const QString script = u"/opt/quorvane/get_replica_info.pl"_s;
const QString gone = u"cleartool: Error: gone"_s; // a history that stands for a refusal
const QString reportBug = u"\r\nReport Bug to bugs@belmora.example"_s;

QString syncCmd(const QString &r, const QString &tag) { return u"lshistory -fmt \"%e,%d,\" replica:"_s + r + u'@' + tag; }
QString historyCmd(const QString &r, const QString &tag) { return u"lshistory -fmt \"Date:%d User:%u\\n%c\\n\" replica:"_s + r + u'@' + tag; }

// A message box as "title|prompt|icon".
QString box(const QString &prompt, MsgIcon icon = MsgIcon::Stop, const QString &title = u"ERROR..."_s)
{
    return u"%1|%2|%3"_s.arg(title, prompt).arg(int(icon));
}

// Both panels on one scripted ClearCase; an empty tag stands for a VOB
// list that cannot tell the tag.
struct Rig {
    test::ScriptedClearTool ct;
    test::FakeShell shell;
    test::FakeFeedback fb;
    QString tag = u"\\proj"_s;
    QStringList log; // script runs and history requests, in order
    std::function<QString()> vobTag = [this] {
        if (tag.isEmpty())
            throw QuorvaneError(ErrNo::SubscriptOutOfRange, u"Quorvane"_s, u"No VOB selected"_s);
        return tag;
    };
    ReplicaInfoPanel panel{ct, shell, fb, script, vobTag};
    ReplicaFieldsPanel fields{ct, fb, vobTag};

    Rig()
    {
        panel.replicaCombo()->addItems({u"r1"_s, u"r2"_s});
        shell.action = [this](const QString &line) { log << u"run:"_s + line; };
        ct.hook = [this](const QString &cmd) { log << u"cmd:"_s + cmd; };
        panel.show();
    }
    void history(const QString &replica, const QString &text)
    {
        (text == gone ? ct.failures : ct.outputs).insert(syncCmd(replica, tag), text);
    }
    QComboBox *combo() const { return panel.replicaCombo(); }
    QWidget *image() const { return panel.findChild<QWidget *>(u"dDetailImage"_s); }
    QString date(int i) const { return panel.findChild<QLineEdit *>(u"dEpoch(%1)"_s.arg(i))->text(); }
    QLineEdit *field(const char *name) const { return fields.findChild<QLineEdit *>(QLatin1String(name)); }
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
        QTest::newRow("empty history") << u"\\proj"_s << QString() << QString() << QString() << QStringList();
        QTest::newRow("tag read at the choice") << u"/vobs/other"_s << u"x,y,"_s << u"None"_s << u"None"_s << QStringList();
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
        const QString ask = u"cmd:"_s + syncCmd(u"r2"_s, tag);
        QCOMPARE(rig.log, (tag.isEmpty() ? QStringList() : QStringList{u"run:ccperl \"%1\" %2 r2"_s.arg(script, tag), ask}));
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

    void historyWindow()
    {
        Rig rig;
        rig.panel.showHistory(); // no replica: nothing asked
        QVERIFY(rig.ct.commands.isEmpty());
        for (const QString &r : {u"r1"_s, u"r2"_s}) {
            rig.history(r, QString());
            rig.ct.outputs.insert(historyCmd(r, rig.tag), u"Date:2024-05-01 User:susan\nExported from "_s + r);
        }
        rig.combo()->setCurrentIndex(1);
        rig.fb.calls.clear();
        QTest::mouseClick(rig.image(), Qt::LeftButton); // a single click does not
        QTest::mouseDClick(rig.image(), Qt::LeftButton);
        QCOMPARE(rig.fb.calls, (QStringList{u"busy:1:"_s, u"detail:History Detail: r1"_s, u"busy:0:"_s}));
        QCOMPARE(rig.fb.detailText, u"Date:2024-05-01 User:susan\nExported from r1"_s);
        rig.combo()->setCurrentIndex(2); // the same window, new text and title
        QTest::mouseDClick(rig.image(), Qt::LeftButton);
        QCOMPARE(rig.fb.detailTitle, u"History Detail: r2"_s);
        QCOMPARE(rig.fb.detailText, u"Date:2024-05-01 User:susan\nExported from r2"_s);

        rig.ct.failures.insert(historyCmd(u"r2"_s, rig.tag), gone);
        rig.panel.showHistory();
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
        rig.panel.showHistory();
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
        rig.fields.showSite(u"sanfran_hub"_s, u"goldengate"_s, u"boston_hub"_s, u"2023-01-15T10:00:00Z"_s, [&] {
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
};

QTEST_MAIN(TestReplicaPanels)
#include "tst_replicapanels.moc"
