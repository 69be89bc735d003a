#include "ccase/Commands.h"
#include "support/FakeFeedback.h"
#include "support/ScriptedClearTool.h"
#include "ui/ErrorBoxes.h"
#include "ui/LongActionGuard.h"
#include "vobs/VobListPanel.h"

#include <QCheckBox>
#include <QLabel>
#include <QListWidget>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <QToolButton>

using namespace quorvane;

namespace {

const QString Loading = QStringLiteral("Loading and checking VOBs, this may take a several minutes...");
const QString Checking = QStringLiteral("Checking VOB --> ");

QStringList entries(const QListWidget *list)
{
    QStringList out;
    for (int i = 0; i < list->count(); ++i)
        out << list->item(i)->text();
    return out;
}

// Passes everything to a recording fake, and fails on one chosen call.
class FailingFeedback final : public Feedback {
public:
    QString failOn; // a FakeFeedback call text, e.g. "hideWorking"
    test::FakeFeedback fake;

    void setBusy(bool busy, const QString &message) override
    {
        fake.setBusy(busy, message);
        check();
    }
    void setHourglass(bool on) override { fake.setHourglass(on); }
    void setStatus(const QString &text) override
    {
        fake.setStatus(text);
        check();
    }
    QString status() const override { return fake.status(); }
    void setMsg(const QString &msg, const QString &title) override
    {
        fake.setMsg(msg, title);
        check();
    }
    void hideWorking() override
    {
        fake.hideWorking();
        check();
    }
    void setDetail(const QString &txt, const QString &title) override { fake.setDetail(txt, title); }
    Dialogs &dialogs() override { return fake.dialogs(); }

private:
    void check()
    {
        if (!failOn.isEmpty() && fake.calls.last() == failOn)
            throw QuorvaneError(ErrNo::InvalidProcedureCall, QStringLiteral("Quorvane"), QStringLiteral("broken"));
    }
};

} // namespace

class TestVobListPanel : public QObject {
    Q_OBJECT

    test::ScriptedClearTool m_ct;
    test::FakeFeedback m_fb;
    LongActionGuard m_guard;
    QLabel m_pict;

    std::unique_ptr<VobListPanel> makePanel(bool replicatedOnly, Feedback *feedback = nullptr)
    {
        auto panel = std::make_unique<VobListPanel>(m_ct, feedback ? *feedback : m_fb, m_guard);
        panel->setPictMsgLabel(&m_pict);
        panel->findChild<QCheckBox *>(QStringLiteral("onlyReplicatedOnlyCB"))->setChecked(replicatedOnly);
        return panel;
    }
    void replicated(const QString &tag, bool yes)
    {
        m_ct.outputs.insert(Commands::vobCheck(tag), yes ? QStringLiteral("other_site\n") : QString());
    }

private slots:
    void init()
    {
        m_ct = test::ScriptedClearTool();
        m_fb.calls.clear();
        m_fb.scripted.boxes.clear();
        m_pict.setVisible(false);
        m_pict.hide();
    }

    void controlsCarryTheirNamesAndCaptions()
    {
        VobListPanel panel(m_ct, m_fb, m_guard);
        QCOMPARE(panel.objectName(), QStringLiteral("frameMain"));
        auto *button = panel.findChild<QToolButton *>(QStringLiteral("loadVobsBut"));
        QVERIFY(button);
        QCOMPARE(button->text(), QStringLiteral("Load VOBs"));
        QVERIFY(!button->icon().isNull());
        auto *box = panel.findChild<QCheckBox *>(QStringLiteral("onlyReplicatedOnlyCB"));
        QVERIFY(box);
        QCOMPARE(box->text(), QStringLiteral("Show Only Replicated VOBs"));
        QVERIFY(box->isChecked());
        QCOMPARE(panel.findChild<QListWidget *>(QStringLiteral("pVobViewList")), panel.list());
        QVERIFY(panel.list()->isSortingEnabled());

        // The button runs the load.
        m_ct.tags = {QStringLiteral("\\b"), QStringLiteral("\\a")};
        box->setChecked(false);
        button->click();
        QCOMPARE(entries(panel.list()), (QStringList{QStringLiteral("\\a"), QStringLiteral("\\b")}));
    }

    void replicatedOnlyRunsStepsInOrder()
    {
        m_ct.tags = {QStringLiteral("\\b"), QStringLiteral("\\c"), QStringLiteral("\\a")};
        replicated(QStringLiteral("\\a"), true);
        replicated(QStringLiteral("\\b"), false);
        replicated(QStringLiteral("\\c"), true);
        auto panel = makePanel(true);
        panel->list()->addItem(QStringLiteral("\\stale"));
        m_pict.show();
        panel->loadVobsButClick();

        QCOMPARE(m_ct.commands,
                 (QStringList{QStringLiteral("<vobTags>"), QStringLiteral("lsreplica -siblings -s -invob \\a"),
                              QStringLiteral("lsreplica -siblings -s -invob \\b"),
                              QStringLiteral("lsreplica -siblings -s -invob \\c")}));
        QCOMPARE(m_fb.calls, (QStringList{QStringLiteral("busy:1:"), QStringLiteral("msg:") + Loading,
                                          QStringLiteral("msg:") + Checking + QStringLiteral("\\a"),
                                          QStringLiteral("status:") + Checking + QStringLiteral("\\a"),
                                          QStringLiteral("msg:") + Checking + QStringLiteral("\\b"),
                                          QStringLiteral("status:") + Checking + QStringLiteral("\\b"),
                                          QStringLiteral("msg:") + Checking + QStringLiteral("\\c"),
                                          QStringLiteral("status:") + Checking + QStringLiteral("\\c"),
                                          QStringLiteral("busy:0:"), QStringLiteral("hideWorking")}));
        QCOMPARE(entries(panel->list()), (QStringList{QStringLiteral("\\a"), QStringLiteral("\\c")}));
        QVERIFY(!panel->list()->isHidden());
        QVERIFY(m_pict.isHidden());
        QCOMPARE(m_fb.status(), QStringLiteral("Status"));
        QVERIFY(m_fb.scripted.boxes.isEmpty());
    }

    void uncheckedListsEveryTagOnceWithoutChecks_data()
    {
        QTest::addColumn<QStringList>("tags");
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("windows tags differing in case: first wins")
            << QStringList{QStringLiteral("\\PROJ"), QStringLiteral("\\Proj"), QStringLiteral("\\proj")}
            << QStringList{QStringLiteral("\\PROJ")};
        QTest::newRow("unix tags differing in case are different VOBs")
            << QStringList{QStringLiteral("/vobs/a"), QStringLiteral("/vobs/A")}
            << QStringList{QStringLiteral("/vobs/A"), QStringLiteral("/vobs/a")};
        QTest::newRow("exact duplicate") << QStringList{QStringLiteral("\\x"), QStringLiteral("\\x")}
                                         << QStringList{QStringLiteral("\\x")};
        QTest::newRow("none") << QStringList{} << QStringList{};
    }
    void uncheckedListsEveryTagOnceWithoutChecks()
    {
        QFETCH(QStringList, tags);
        QFETCH(QStringList, expected);
        m_ct.tags = tags;
        auto panel = makePanel(false);
        panel->loadVobsButClick();
        QCOMPARE(entries(panel->list()), expected);
        QCOMPARE(m_ct.commands, QStringList{QStringLiteral("<vobTags>")});
        QCOMPARE(m_fb.calls, (QStringList{QStringLiteral("busy:1:"), QStringLiteral("msg:") + Loading,
                                          QStringLiteral("busy:0:"), QStringLiteral("hideWorking")}));
        QCOMPARE(m_pict.isHidden(), !expected.isEmpty());
    }

    // Each VOB is checked once; removals do not skip the next entry.
    void replicatedOnlyPass_data()
    {
        QTest::addColumn<QString>("pattern"); // per tag a, b, c ...: R replicated, n not, F check fails
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("adjacent removals") << QStringLiteral("nnRnnR")
                                           << QStringList{QStringLiteral("\\c"), QStringLiteral("\\f")};
        QTest::newRow("none replicated") << QStringLiteral("nnn") << QStringList{};
        QTest::newRow("last removed") << QStringLiteral("Rn") << QStringList{QStringLiteral("\\a")};
        QTest::newRow("failed checks leave silently") << QStringLiteral("FRF") << QStringList{QStringLiteral("\\b")};
        QTest::newRow("all replicated") << QStringLiteral("RRR")
                                        << QStringList{QStringLiteral("\\a"), QStringLiteral("\\b"), QStringLiteral("\\c")};
    }
    void replicatedOnlyPass()
    {
        QFETCH(QString, pattern);
        QFETCH(QStringList, expected);
        QStringList checks;
        for (int i = 0; i < pattern.size(); ++i) {
            const QString tag = QStringLiteral("\\") + QChar(u'a' + i);
            m_ct.tags.prepend(tag); // the collection's order does not matter
            checks << Commands::vobCheck(tag);
            if (pattern[i] == QLatin1Char('F'))
                m_ct.failures.insert(Commands::vobCheck(tag), QStringLiteral("cleartool: Error: no access"));
            else
                replicated(tag, pattern[i] == QLatin1Char('R'));
        }
        m_pict.hide();
        auto panel = makePanel(true);
        panel->loadVobsButClick();
        QCOMPARE(m_ct.commands, QStringList{QStringLiteral("<vobTags>")} + checks);
        QCOMPARE(entries(panel->list()), expected);
        QCOMPARE(m_pict.isHidden(), !expected.isEmpty());
        QVERIFY(m_fb.scripted.boxes.isEmpty());
    }

    void vobTagFailureIsReportedAndLoadGoesOn()
    {
        m_ct.vobTagsError = QStringLiteral("cleartool: Error: no registry");
        auto panel = makePanel(true);
        panel->loadVobsButClick();
        QCOMPARE(m_fb.scripted.boxes.size(), 1);
        const auto &box = m_fb.scripted.boxes.first();
        const ErrorBox expected = ErrorBoxes::vobTags(m_ct.vobTagsError);
        QCOMPARE(box.prompt, expected.prompt);
        QCOMPARE(box.title, expected.title);
        QCOMPARE(box.icon, MsgIcon::Stop);
        QCOMPARE(m_fb.calls, (QStringList{QStringLiteral("busy:1:"), QStringLiteral("msg:") + Loading,
                                          QStringLiteral("busy:0:"), QStringLiteral("hideWorking")}));
        QVERIFY(!m_pict.isHidden());
    }

    // Before the pass, a failure ends the load through its trap; once the
    // pass has begun, failures are passed over step by step.
    void loadTrap_data()
    {
        QTest::addColumn<bool>("replicatedOnly");
        QTest::addColumn<QString>("failOn");
        QTest::addColumn<bool>("trapped");
        QTest::newRow("working dialog") << true << QString(QStringLiteral("msg:") + Loading) << true;
        QTest::newRow("busy on") << false << QStringLiteral("busy:1:") << true;
        QTest::newRow("hiding dialog, no pass") << false << QStringLiteral("hideWorking") << true;
        QTest::newRow("hiding dialog after pass") << true << QStringLiteral("hideWorking") << false;
        QTest::newRow("busy off after pass") << true << QStringLiteral("busy:0:") << false;
        QTest::newRow("status line in pass")
            << true << QString(QStringLiteral("status:") + Checking + QStringLiteral("\\a")) << false;
    }
    void loadTrap()
    {
        QFETCH(bool, replicatedOnly);
        QFETCH(QString, failOn);
        QFETCH(bool, trapped);
        m_ct.tags = {QStringLiteral("\\a"), QStringLiteral("\\b")};
        replicated(QStringLiteral("\\a"), true);
        replicated(QStringLiteral("\\b"), true);
        FailingFeedback feedback;
        feedback.failOn = failOn;
        auto panel = makePanel(replicatedOnly, &feedback);
        panel->loadVobsButClick();
        QVERIFY(!panel->list()->isHidden());
        QVERIFY(!m_guard.running());
        const QStringList &calls = feedback.fake.calls;
        if (!trapped) {
            QVERIFY(feedback.fake.scripted.boxes.isEmpty());
            QCOMPARE(entries(panel->list()).size(), 2);
            QCOMPARE(calls.mid(calls.size() - 2), (QStringList{QStringLiteral("busy:0:"), QStringLiteral("hideWorking")}));
            return;
        }
        QCOMPARE(feedback.fake.scripted.boxes.size(), 1);
        const auto &box = feedback.fake.scripted.boxes.first();
        QCOMPARE(box.prompt, ErrorBoxes::load(QStringLiteral("broken")).prompt);
        QCOMPARE(box.title, QStringLiteral("Error..."));
        QCOMPARE(box.icon, MsgIcon::Exclamation);
        const qsizetype failed = calls.indexOf(failOn);
        QCOMPARE(calls.mid(failed + 1), (QStringList{QStringLiteral("busy:0:"), QStringLiteral("hideWorking")}));
    }

    void clickWhileLongActionRunsIsIgnored()
    {
        m_ct.tags = {QStringLiteral("\\a")};
        replicated(QStringLiteral("\\a"), true);
        auto panel = makePanel(true);
        {
            const auto held = m_guard.tryEnter();
            panel->loadVobsButClick();
        }
        QVERIFY(m_ct.commands.isEmpty());
        QVERIFY(m_fb.calls.isEmpty());

        // A click let through by the event pumping does not start a second load.
        m_ct.hook = [&panel](const QString &) { panel->loadVobsButClick(); };
        panel->loadVobsButClick();
        QCOMPARE(m_ct.commands, (QStringList{QStringLiteral("<vobTags>"), Commands::vobCheck(QStringLiteral("\\a"))}));
        QCOMPARE(entries(panel->list()), QStringList{QStringLiteral("\\a")});
        QVERIFY(!m_guard.running());
    }

    void eventsRunWhileListingAndChecking()
    {
        m_ct.tags = {QStringLiteral("\\a"), QStringLiteral("\\b"), QStringLiteral("\\c")};
        for (const QString &t : m_ct.tags)
            replicated(t, true);
        auto panel = makePanel(true);
        bool postedBeforeLoadRan = false;
        QTimer::singleShot(0, this, [&postedBeforeLoadRan] { postedBeforeLoadRan = true; });
        QStringList seen;
        QStringList ranBeforeCheck;
        m_ct.hook = [&](const QString &command) {
            if (command == QLatin1String("<vobTags>"))
                return;
            QVERIFY(postedBeforeLoadRan);           // pumped while listing
            QVERIFY(panel->list()->isHidden());     // not repainted while it changes
            ranBeforeCheck << QStringList(seen).join(QLatin1Char(','));
            QTimer::singleShot(0, this, [&seen, command] { seen << command.right(1); });
        };
        panel->loadVobsButClick();
        // The event posted during a check ran before the next check.
        QCOMPARE(ranBeforeCheck, (QStringList{QString(), QStringLiteral("a"), QStringLiteral("a,b")}));
    }

    void selectionAndDoubleClick()
    {
        m_ct.tags = {QStringLiteral("\\b"), QStringLiteral("\\a")};
        auto panel = makePanel(false);
        QCOMPARE(panel->selectedVobTag(), QString());
        panel->loadVobsButClick();
        QCOMPARE(panel->selectedVobTag(), QString());
        panel->list()->setCurrentRow(1);
        QCOMPARE(panel->selectedVobTag(), QStringLiteral("\\b"));

        QSignalSpy spy(panel.get(), &VobListPanel::vobDoubleClicked);
        panel->resize(300, 300);
        panel->show();
        QVERIFY(QTest::qWaitForWindowExposed(panel.get()));
        const QRect rect = panel->list()->visualItemRect(panel->list()->item(0));
        // A real double click: press and release, then the double click.
        QTest::mouseClick(panel->list()->viewport(), Qt::LeftButton, {}, rect.center());
        QTest::mouseDClick(panel->list()->viewport(), Qt::LeftButton, {}, rect.center());
        QCOMPARE(spy.count(), 1);
        QCOMPARE(panel->selectedVobTag(), QStringLiteral("\\a"));

        panel->loadVobsButClick(); // a new load empties the list first
        QCOMPARE(entries(panel->list()), (QStringList{QStringLiteral("\\a"), QStringLiteral("\\b")}));
    }

    void removeFromListIsExactAndFirstOnly()
    {
        QListWidget list;
        list.addItems({QStringLiteral("\\A"), QStringLiteral("\\a"), QStringLiteral("\\a"), QStringLiteral("\\b")});
        VobListPanel::removeFromList(QStringLiteral("\\a"), &list);
        QCOMPARE(entries(&list), (QStringList{QStringLiteral("\\A"), QStringLiteral("\\a"), QStringLiteral("\\b")}));
        VobListPanel::removeFromList(QStringLiteral("\\B"), &list);
        QCOMPARE(list.count(), 3);
    }
};

QTEST_MAIN(TestVobListPanel)
#include "tst_voblistpanel.moc"
