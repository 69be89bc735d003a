#include "maintenance/ReplicaFieldsPanel.h"
#include "support/FakeFeedback.h"
#include "support/ScriptedClearTool.h"

#include <QLabel>
#include <QLineEdit>
#include <QTest>

#include <memory>

using namespace quorvane;

namespace {

const char *const fieldNames[] = {"vReplicaTxt", "vHostTxt", "vMasterTxt", "vDateTxt", "vImportDateTxt",
                                  "vExportDateTxt"};

QString syncCmd(const QString &r, const QString &tag)
{
    return QStringLiteral("lshistory -fmt \"%e,%d,\" replica:") + r + QLatin1Char('@') + tag;
}

struct Rig {
    test::ScriptedClearTool ct;
    test::FakeFeedback fb;
    QString tag = QStringLiteral("\\proj");
    std::unique_ptr<ReplicaFieldsPanel> panel;
    Rig()
    {
        panel = std::make_unique<ReplicaFieldsPanel>(ct, fb, [this] { return tag; });
        panel->show();
    }
    QLineEdit *field(const char *name) const { return panel->findChild<QLineEdit *>(QLatin1String(name)); }
    QString text(const char *name) const { return field(name)->text(); }
};

} // namespace

class TestReplicaFieldsPanel : public QObject {
    Q_OBJECT
private slots:
    void fieldsStackUnderTheirLabels_data()
    {
        QTest::addColumn<int>("index");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("label");
        const char *texts[] = {"<replica_name>", "<host>", "<mastered_by>", "<date_created>", "<Import>", "<Export>"};
        const char *labels[] = {"Replica Name:", "Repica Host:", "Mastered By:", "Date Created:", "Last Import:",
                                "Last Export:"};
        for (int i = 0; i < 6; ++i)
            QTest::newRow(fieldNames[i]) << i << QString::fromLatin1(texts[i]) << QString::fromLatin1(labels[i]);
    }
    void fieldsStackUnderTheirLabels()
    {
        QFETCH(int, index);
        QFETCH(QString, text);
        QFETCH(QString, label);
        Rig rig;
        QLineEdit *field = rig.field(fieldNames[index]);
        QVERIFY(field);
        QCOMPARE(field->text(), text);
        auto *lbl = rig.panel->findChild<QLabel *>(QStringLiteral("vLabels(%1)").arg(index));
        QVERIFY(lbl);
        QCOMPARE(lbl->text(), label);
        QCOMPARE(lbl->buddy(), field);
        QVERIFY(lbl->geometry().bottom() < field->geometry().top());
        if (index > 0) {
            QLineEdit *above = rig.field(fieldNames[index - 1]);
            QVERIFY(above->geometry().bottom() < lbl->geometry().top());
        }
        auto *vob = rig.panel->selectedVobLabel();
        QCOMPARE(vob->objectName(), QStringLiteral("vSelectedVobLbl"));
        QCOMPARE(vob->text(), QStringLiteral("Selected VOB"));
        QVERIFY(vob->geometry().bottom() < rig.panel->findChild<QLabel *>(QStringLiteral("vLabels(0)"))->y());
    }

    void showSiteFillsFieldsHighlightsThenReadsHistory()
    {
        Rig rig;
        rig.ct.outputs.insert(syncCmd(QStringLiteral("sanfran_hub"), rig.tag),
                              QStringLiteral("import sync from replica \"boston_hub\",2024-06-01T09:30:00Z,"));
        QStringList seenAtHighlight;
        rig.panel->showSite(QStringLiteral("sanfran_hub"), QStringLiteral("goldengate"), QStringLiteral("boston_hub"),
                            QStringLiteral("2023-01-15T10:00:00Z"), [&] {
                                seenAtHighlight << rig.text("vReplicaTxt") << rig.text("vHostTxt")
                                                << rig.text("vMasterTxt") << rig.text("vDateTxt")
                                                << QString::number(rig.ct.commands.size());
                            });
        QCOMPARE(seenAtHighlight, (QStringList{QStringLiteral("sanfran_hub"), QStringLiteral("goldengate"),
                                               QStringLiteral("boston_hub"), QStringLiteral("2023-01-15T10:00:00Z"),
                                               QStringLiteral("0")}));
        QCOMPARE(rig.field("vHostTxt")->toolTip(), QStringLiteral("Host: goldengate"));
        QCOMPARE(rig.field("vReplicaTxt")->toolTip(), QStringLiteral("Replica Name: sanfran_hub"));
        QCOMPARE(rig.ct.commands, QStringList{syncCmd(QStringLiteral("sanfran_hub"), rig.tag)});
        QCOMPARE(rig.text("vImportDateTxt"), QStringLiteral("2024-06-01T09:30:00Z"));
        QCOMPARE(rig.text("vExportDateTxt"), QStringLiteral("None"));
        QCOMPARE(rig.fb.calls, (QStringList{QStringLiteral("hourglass:1"), QStringLiteral("hourglass:0")}));
    }

    void secondSiteReplacesFirst()
    {
        Rig rig;
        rig.ct.outputs.insert(syncCmd(QStringLiteral("a"), rig.tag), QStringLiteral("export sync,d1,"));
        rig.ct.outputs.insert(syncCmd(QStringLiteral("b"), rig.tag), QStringLiteral("create replica,d0,"));
        int highlights = 0;
        rig.panel->showSite(QStringLiteral("a"), QStringLiteral("ha"), QStringLiteral("a"), QStringLiteral("c1"),
                            [&] { ++highlights; });
        QCOMPARE(rig.text("vExportDateTxt"), QStringLiteral("d1"));
        rig.panel->showSite(QStringLiteral("b"), QStringLiteral("hb"), QStringLiteral("a"), QStringLiteral("c2"),
                            [&] { ++highlights; });
        QCOMPARE(highlights, 2);
        QCOMPARE(rig.text("vReplicaTxt"), QStringLiteral("b"));
        QCOMPARE(rig.text("vImportDateTxt"), QStringLiteral("None"));
        QCOMPARE(rig.text("vExportDateTxt"), QStringLiteral("None"));
    }

    void emptyHistoryLeavesDatesAndTagIsReadAtRequest()
    {
        Rig rig;
        rig.tag = QStringLiteral("/vobs/dev");
        rig.ct.outputs.insert(syncCmd(QStringLiteral("a"), rig.tag), QString());
        rig.panel->showSite(QStringLiteral("a"), QStringLiteral("h"), QStringLiteral("m"), QStringLiteral("c"), {});
        QCOMPARE(rig.ct.commands, QStringList{QStringLiteral("lshistory -fmt \"%e,%d,\" replica:a@/vobs/dev")});
        QCOMPARE(rig.text("vImportDateTxt"), QStringLiteral("<Import>"));
        QCOMPARE(rig.text("vExportDateTxt"), QStringLiteral("<Export>"));
        QCOMPARE(rig.text("vReplicaTxt"), QStringLiteral("a"));
    }

    void refusedHistoryShowsStopBoxAndKeepsFields()
    {
        Rig rig;
        rig.ct.failures.insert(syncCmd(QStringLiteral("a"), rig.tag), QStringLiteral("cleartool: Error: no such"));
        rig.panel->showSite(QStringLiteral("a"), QStringLiteral("h"), QStringLiteral("m"), QStringLiteral("c"), {});
        QCOMPARE(rig.fb.scripted.boxes.size(), 1);
        QCOMPARE(rig.fb.scripted.boxes[0].prompt,
                 QStringLiteral("ERROR::cleartool: Error: no such\r\nReport Bug to bugs@belmora.example"));
        QCOMPARE(rig.fb.scripted.boxes[0].title, QStringLiteral("ERROR..."));
        QCOMPARE(rig.fb.scripted.boxes[0].icon, MsgIcon::Stop);
        QCOMPARE(rig.text("vReplicaTxt"), QStringLiteral("a"));
        QCOMPARE(rig.text("vImportDateTxt"), QStringLiteral("<Import>"));
        QCOMPARE(rig.fb.calls, (QStringList{QStringLiteral("hourglass:1"), QStringLiteral("hourglass:0")}));
    }
};

QTEST_MAIN(TestReplicaFieldsPanel)
#include "tst_replicafieldspanel.moc"
