#include "ccase/Commands.h"
#include "support/FakeFeedback.h"
#include "support/ScriptedClearTool.h"
#include "ui/ErrorBoxes.h"
#include "ui/LongActionGuard.h"
#include "vobs/VobListPanel.h"

#include <QCheckBox>
#include <QLabel>
#include <QListWidget>
#include <QTest>
#include <QTimer>
#include <QToolButton>

using namespace quorvane;
using namespace Qt::StringLiterals;

namespace {

const QString Loading = u"msg:Loading and checking VOBs, this may take a several minutes..."_s;
const QStringList Done{u"busy:0:"_s, u"hideWorking"_s};

QStringList entries(const QListWidget *list)
{
    QStringList out;
    for (int i = 0; i < list->count(); ++i)
        out << list->item(i)->text();
    return out;
}

} // namespace

class TestVobListPanel : public QObject {
    Q_OBJECT

    test::ScriptedClearTool m_ct;
    test::FakeFeedback m_fb;
    LongActionGuard m_guard;
    QLabel m_pict;

    std::unique_ptr<VobListPanel> makePanel(bool replicatedOnly)
    {
        auto panel = std::make_unique<VobListPanel>(m_ct, m_fb, m_guard);
        panel->setPictMsgLabel(&m_pict);
        panel->findChild<QCheckBox *>(u"onlyReplicatedOnlyCB"_s)->setChecked(replicatedOnly);
        return panel;
    }
    // Tags \a, \b ... (listed in reverse order); per tag R replicated,
    // n not, F the check fails.
    void setVobs(const QString &pattern)
    {
        for (int i = 0; i < pattern.size(); ++i) {
            const QString tag = u"\\"_s + QChar(u'a' + i);
            m_ct.tags.prepend(tag);
            if (pattern[i] == u'F')
                m_ct.failures.insert(Commands::vobCheck(tag), u"cleartool: Error: no access"_s);
            else
                m_ct.outputs.insert(Commands::vobCheck(tag),
                                    pattern[i] == u'R' ? u"other_site\n"_s : QString());
        }
    }

private slots:
    void init()
    {
        m_ct = test::ScriptedClearTool();
        m_fb.calls.clear();
        m_fb.scripted.boxes.clear();
        m_pict.show();
    }

    // The button runs the load: the old entries go, every VOB is checked
    // in list order with the working dialog and status line following.
    void replicatedOnlyRunsStepsInOrder()
    {
        setVobs(u"RnR"_s);
        auto panel = makePanel(true);
        panel->list()->addItem(u"\\stale"_s);
        panel->findChild<QToolButton *>(u"loadVobsBut"_s)->click();
        QStringList commands{u"<vobTags>"_s};
        QStringList calls{u"busy:1:"_s, Loading};
        for (const QString &tag : {u"\\a"_s, u"\\b"_s, u"\\c"_s}) {
            commands << u"lsreplica -siblings -s -invob "_s + tag;
            calls << u"msg:Checking VOB --> "_s + tag << u"status:Checking VOB --> "_s + tag;
        }
        QCOMPARE(m_ct.commands, commands);
        QCOMPARE(m_fb.calls, calls + Done);
        QCOMPARE(entries(panel->list()), (QStringList{u"\\a"_s, u"\\c"_s}));
        QVERIFY(!panel->list()->isHidden() && m_pict.isHidden());
        QCOMPARE(m_fb.status(), u"Status"_s);
    }

    // Every tag is listed once; with the box ticked each VOB is checked once
    // and removals skip nothing. pictMsgLbl shows exactly for an empty list.
    void listing_data()
    {
        QTest::addColumn<QStringList>("tags");
        QTest::addColumn<QString>("pattern"); // empty: box not ticked
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("windows tags differing in case: first wins")
            << QStringList{u"\\PROJ"_s, u"\\Proj"_s, u"\\proj"_s} << QString() << QStringList{u"\\PROJ"_s};
        QTest::newRow("unix tags differing in case are different VOBs")
            << QStringList{u"/vobs/a"_s, u"/vobs/A"_s} << QString()
            << QStringList{u"/vobs/A"_s, u"/vobs/a"_s};
        QTest::newRow("no VOBs") << QStringList() << QString() << QStringList();
        QTest::newRow("adjacent removals") << QStringList() << u"nnRnnR"_s << QStringList{u"\\c"_s, u"\\f"_s};
        QTest::newRow("failed checks leave silently") << QStringList() << u"FRF"_s << QStringList{u"\\b"_s};
        QTest::newRow("none replicated") << QStringList() << u"nnn"_s << QStringList();
    }
    void listing()
    {
        QFETCH(QStringList, tags);
        QFETCH(QString, pattern);
        QFETCH(QStringList, expected);
        m_ct.tags = tags;
        setVobs(pattern);
        QStringList commands{u"<vobTags>"_s};
        for (int i = 0; i < pattern.size(); ++i)
            commands << Commands::vobCheck(u"\\"_s + QChar(u'a' + i));
        auto panel = makePanel(!pattern.isEmpty());
        panel->loadVobsButClick();
        QCOMPARE(entries(panel->list()), expected);
        QCOMPARE(m_ct.commands, commands);
        QCOMPARE(m_pict.isHidden(), !expected.isEmpty());
        QVERIFY(m_fb.scripted.boxes.isEmpty());
    }

    void vobTagFailureIsReportedAndLoadEnds()
    {
        m_ct.vobTagsError = u"cleartool: Error: no registry"_s;
        makePanel(true)->loadVobsButClick();
        QCOMPARE(m_fb.scripted.boxes.size(), 1);
        QCOMPARE(m_fb.scripted.boxes[0].prompt, ErrorBoxes::vobTags(m_ct.vobTagsError).prompt);
        QCOMPARE(m_fb.calls, (QStringList{u"busy:1:"_s, Loading} + Done));
        QVERIFY(!m_pict.isHidden());
    }

    // Events run while the VOBs are checked (the list is hidden meanwhile);
    // a click that comes through them does not start a second load.
    void clickWhileLongActionRunsIsIgnored()
    {
        setVobs(u"RR"_s);
        auto panel = makePanel(true);
        bool clicked = false;
        m_ct.hook = [&](const QString &command) {
            if (command == Commands::vobCheck(u"\\a"_s)) {
                QVERIFY(panel->list()->isHidden());
                QTimer::singleShot(0, panel.get(), [&] {
                    clicked = true;
                    panel->loadVobsButClick();
                });
            } else if (command == Commands::vobCheck(u"\\b"_s)) {
                QVERIFY(clicked);
            }
        };
        panel->loadVobsButClick();
        QCOMPARE(m_ct.commands.size(), 3);
        QCOMPARE(entries(panel->list()), (QStringList{u"\\a"_s, u"\\b"_s}));
        QVERIFY(!m_guard.running());
    }

    void removeFromListIsExactAndFirstOnly()
    {
        QListWidget list;
        list.addItems({u"\\A"_s, u"\\a"_s, u"\\a"_s, u"\\b"_s});
        VobListPanel::removeFromList(u"\\a"_s, &list);
        VobListPanel::removeFromList(u"\\B"_s, &list);
        QCOMPARE(entries(&list), (QStringList{u"\\A"_s, u"\\a"_s, u"\\b"_s}));
    }
};

QTEST_MAIN(TestVobListPanel)
#include "tst_voblistpanel.moc"
