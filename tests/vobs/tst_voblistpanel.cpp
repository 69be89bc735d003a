#include "support/FakeFeedback.h"
#include "support/LoaderFixture.h"
#include "support/ScriptedClearTool.h"
#include "common/LongActionGuard.h"
#include "vobs/IsInList.h"
#include "vobs/VobListPanel.h"

#include <QCheckBox>
#include <QLabel>
#include <QListWidget>
#include <QTest>
#include <QToolButton>

using namespace quorvane;
using namespace Qt::StringLiterals;

class TestVobListPanel : public QObject {
    Q_OBJECT

private slots:
    // The button replaces the old entries. Every tag is listed once; with the
    // box ticked each VOB is checked once, in list order, with the working
    // dialog and status line following, and removals skip nothing. A VOB
    // whose check fails stays, under its own tag, marked as not checked
    // (icon, colour, ClearCase's message in the tooltip), without a box; a
    // failing VOB list is reported. pictMsgLbl shows exactly for an empty list.
    void listing_data()
    {
        QTest::addColumn<QStringList>("tags");
        QTest::addColumn<QString>("pattern"); // per tag \a, \b ...: R replicated, n not, F check fails
        QTest::addColumn<QStringList>("expected");
        QTest::addColumn<QString>("tagsError");
        auto row = [](const char *name, const char *tags, const char *pattern, const char *expected,
                      const char *error = "") {
            auto list = [](const char *s) {
                return QString::fromUtf8(s).split(u' ', Qt::SkipEmptyParts);
            };
            QTest::newRow(name) << list(tags) << QString::fromUtf8(pattern) << list(expected)
                                << QString::fromUtf8(error);
        };
        row("windows tags differing in case: first wins", "\\PROJ \\Proj \\proj", "", "\\PROJ");
        row("unix tags differing in case are different VOBs", "/vobs/a /vobs/A", "", "/vobs/A /vobs/a");
        row("no VOBs", "", "", "");
        row("adjacent removals", "", "nnRnnR", "\\c \\f");
        row("failed checks stay, marked", "", "FRFn", "\\a \\b \\c");
        row("none replicated", "", "nnn", "");
        row("VOB list fails", "", "", "", "cleartool: Error: no registry");
    }
    void listing()
    {
        QFETCH(QStringList, tags);
        QFETCH(QString, pattern);
        QFETCH(QStringList, expected);
        QFETCH(QString, tagsError);
        test::ScriptedClearTool ct;
        QStringList commands{u"<vobTags>"_s},
            calls{u"busy:1:"_s, u"msg:Loading and checking VOBs, this may take a several minutes..."_s};
        for (int i = 0; i < pattern.size(); ++i) {
            const QString tag = u"\\"_s + QChar(u'a' + i), check = u"lsreplica -siblings -s -invob "_s + tag;
            tags.prepend(tag); // listed in reverse order
            if (pattern[i] == u'F')
                ct.failures.insert(check, u"cleartool: Error: no access"_s);
            else
                ct.outputs.insert(check, pattern[i] == u'R' ? u"other_site\n"_s : QString());
            commands << check;
            calls << u"msg:Checking VOB --> "_s + tag << u"status:Checking VOB --> "_s + tag;
        }
        ct.tags = tags;
        ct.vobTagsError = tagsError;
        test::FakeFeedback fb;
        LongActionGuard guard;
        QLabel pict;
        pict.show();
        VobListPanel panel(ct, fb, guard);
        panel.setPictMsgLabel(&pict);
        panel.findChild<QCheckBox *>(u"onlyReplicatedOnlyCB"_s)->setChecked(!pattern.isEmpty());
        panel.list()->addItem(u"\\stale"_s);
        panel.findChild<QToolButton *>(u"loadVobsBut"_s)->click();
        QStringList listed = test::entries(panel.list());
#ifdef Q_OS_WIN
        // Windows orders the list by its own collation of case and marks.
        listed.sort();
        expected.sort();
#endif
        QCOMPARE(listed, expected);
        for (int i = 0; i < panel.list()->count(); ++i) {
            const QListWidgetItem *item = panel.list()->item(i);
            const qsizetype at = item->text().at(1).unicode() - u'a';
            const bool failed = at >= 0 && at < pattern.size() && pattern.at(at) == u'F';
            QCOMPARE(item->toolTip(), failed ? u"Not checked: whether this VOB is replicated is not known.\n"
                                               "cleartool: Error: no access"_s
                                             : QString());
            QCOMPARE(item->icon().isNull(), !failed);
            QCOMPARE(item->data(Qt::ForegroundRole).isValid(), failed);
        }
        QCOMPARE(ct.commands, commands);
        QCOMPARE(fb.calls, calls << u"busy:0:"_s << u"hideWorking"_s); // busy off: the status line is back
        QVERIFY(!panel.list()->isHidden());
        QCOMPARE(pict.isHidden(), !expected.isEmpty());
        QCOMPARE(fb.scripted.boxes.size(), tagsError.isEmpty() ? 0 : 1);
        if (!tagsError.isEmpty())
            QCOMPARE(fb.scripted.boxes[0].prompt, u"Error::"_s + tagsError + u"\r\ngetVobsList()"_s);
    }

    // The set the list is filled through answers as the walk through the
    // entries does, for every character of the Basic Multilingual Plane
    // against its upper and lower case (the "/" rule of the set: listing).
    void entrySetAgreesWithIsInList()
    {
        QStringList disagree;
        for (char32_t c = 1; c < 0x10000 && disagree.size() < 5; ++c) {
            if (QChar::isSurrogate(c))
                continue;
            const QString text = u"\\p"_s + QChar(c);
            for (const QString &entry : {text.toUpper(), text.toLower(), text.toCaseFolded()}) {
                if (EntrySet({entry}).contains(text) != isInList(text, {entry}))
                    disagree << u"U+%1"_s.arg(uint(c), 4, 16, QChar(u'0'));
            }
        }
        QVERIFY2(disagree.isEmpty(), qPrintable(disagree.join(u", "_s)));
        QVERIFY(EntrySet({u"/vobs/a"_s}).contains(u"/vobs/a"_s));
        // UNIX tags are told apart by case, Windows tags are not.
        QVERIFY(!isInList(u"/vobs/A"_s, {u"/vobs/a"_s}));
        QVERIFY(isInList(u"\\PROJ"_s, {u"\\Proj"_s}));
    }

    // A tag that cannot go into the check as one argument is never sent;
    // it stays listed, marked as not checked with the reason, and all such
    // tags are named in one box at the end. With the box cleared nothing is
    // checked, so nothing is reported.
    void uncheckableTagsAreReported()
    {
        for (const bool onlyReplicated : {true, false}) {
            test::ScriptedClearTool ct;
            ct.tags = QStringList{u"\\ok"_s, u"\\my vob"_s, u"\\not"_s, u"-x"_s, u"\\a\nb"_s};
            ct.outputs.insert(u"lsreplica -siblings -s -invob \\ok"_s, u"other_site\n"_s);
            ct.outputs.insert(u"lsreplica -siblings -s -invob \\not"_s, QString());
            test::FakeFeedback fb;
            LongActionGuard guard;
            VobListPanel panel(ct, fb, guard);
            panel.findChild<QCheckBox *>(u"onlyReplicatedOnlyCB"_s)->setChecked(onlyReplicated);
            panel.findChild<QToolButton *>(u"loadVobsBut"_s)->click();

            if (!onlyReplicated) {
                QCOMPARE(panel.list()->count(), 5);
                QCOMPARE(fb.scripted.boxes.size(), 0);
                continue;
            }
            const QStringList listed = test::entries(panel.list());
            QStringList sent;
            QStringList kept{u"\\ok"_s, u"\\my vob"_s, u"-x"_s, u"\\a\nb"_s};
            kept.sort();
#ifdef Q_OS_WIN
            // Windows orders the list by its own collation of case and marks.
            QStringList inOrder = listed;
            inOrder.sort();
            QCOMPARE(inOrder, kept);
#else
            QCOMPARE(listed, kept);
#endif
            for (int i = 0; i < panel.list()->count(); ++i) {
                const QString tip = panel.list()->item(i)->toolTip();
                QCOMPARE(tip.contains(u"cannot be passed to ClearCase as one argument"_s), listed[i] != u"\\ok"_s);
            }
            for (const QString &cmd : ct.commands.mid(1))
                sent << cmd.section(u' ', 4);
            sent.sort();
            QCOMPARE(sent, (QStringList{u"\\not"_s, u"\\ok"_s}));
            QCOMPARE(fb.scripted.boxes.size(), 1);
            const auto &box = fb.scripted.boxes[0];
            QCOMPARE(box.title, u"Error..."_s);
            // The order is the list's; the three are named once each.
            const QString first = box.prompt.section(u"\r\n"_s, 0, 0);
            QVERIFY2(first.startsWith(u"3 VOBs could not be checked: "_s), qPrintable(first));
            for (const QString &shown : {u"\"\\my vob\""_s, u"\"-x\""_s, u"\"\\a<U+000A>b\""_s})
                QCOMPARE(first.count(shown), 1);
        }
    }
};

QTEST_MAIN(TestVobListPanel)
#include "tst_voblistpanel.moc"
