// A replica's dates, its history and the site details end to end on the
// simulated region: what the window shows must be what ClearCase says.
#include "SimWindow.h"

#include "ui/QtColors.h"

#include <QTimer>

using namespace quorvane;
using namespace quorvane::test;

namespace {

// One replica per line: name, creation date, host, master.
QMap<QString, QStringList> replicaRecords(const QString &tag)
{
    QMap<QString, QStringList> out;
    const QString listing =
        runSim(QStringLiteral("cleartool"), {QStringLiteral("lsreplica"), QStringLiteral("-fmt"),
                                             QStringLiteral("%n\\t%d\\t%[replica_host]p\\t%[master]p\\n"),
                                             QStringLiteral("-invob"), tag});
    for (const QString &line : listing.split(QLatin1Char('\n'), Qt::SkipEmptyParts))
        out.insert(line.section(QLatin1Char('\t'), 0, 0), line.split(QLatin1Char('\t')));
    return out;
}

QString field(const SimWindow &s, const char *name)
{
    return s.get<QLineEdit>(QString::fromLatin1(name))->text();
}

bool samePicture(const QLabel *a, const QLabel *b)
{
    return a->pixmap().toImage() == b->pixmap().toImage();
}

} // namespace

class TestReplicaInfoE2E : public QObject {
    Q_OBJECT
private slots:
    void datesOfTheChosenReplica_data()
    {
        QTest::addColumn<QString>("tag");
        QTest::addColumn<QString>("replica");
        QTest::newRow("local replica: imports") << QStringLiteral("/vobs/tools") << QStringLiteral("boston_hub");
        QTest::newRow("receiver of the lost packet") << QStringLiteral("/vobs/tools") << QStringLiteral("london");
        QTest::newRow("sibling in sync") << QStringLiteral("/vobs/tools") << QStringLiteral("tokyo");
        QTest::newRow("other family") << QStringLiteral("/vobs/docs") << QStringLiteral("sf_docs");
        // Its host is off the network: the script fails, the history is local.
        QTest::newRow("unreachable sibling") << QStringLiteral("/vobs/web") << QStringLiteral("sydney");
    }
    void datesOfTheChosenReplica()
    {
        QFETCH(QString, tag);
        QFETCH(QString, replica);
        SimWindow s;
        const QString opened = s.openVob(tag);
        QVERIFY2(opened.isEmpty(), qPrintable(opened));
        s.showPage(1);
        QVERIFY(s.detailImage()->isHidden());
        QCOMPARE(s.dEpoch(2)->text(), QStringLiteral("<last_import>"));
        QCOMPARE(s.dEpoch(3)->text(), QStringLiteral("<last_export>"));

        s.clearLog();
        QVERIFY(SimWindow::choose(s.replicaCombo(), replica));
        const QPair<QString, QString> truth = newestSyncEvent(replica, tag);
        QCOMPARE(s.dEpoch(2)->text(), truth.first);
        QCOMPARE(s.dEpoch(3)->text(), truth.second);
        QVERIFY(s.detailImage()->isVisible());
        QVERIFY(s.dialogs.boxes.isEmpty());
        QCOMPARE(s.window->status(), QStringLiteral("Status"));
        // The script ran for this replica, then the history was asked for.
        const QStringList log = s.commands();
        const QString script = QStringLiteral("ccperl " QUORVANE_BIN_DIR "/get_replica_info.pl ") + tag
            + QLatin1Char(' ') + replica + QStringLiteral(" => status ");
        const QString history = QStringLiteral("cleartool lshistory -fmt %e,%d, replica:") + replica
            + QLatin1Char('@') + tag + QStringLiteral(" => status 0");
        const auto scriptAt = std::find_if(log.cbegin(), log.cend(), [&](const QString &l) { return l.startsWith(script); });
        QVERIFY2(scriptAt != log.cend(), qPrintable(log.join(QLatin1Char('\n'))));
        QVERIFY2(std::find(scriptAt, log.cend(), history) != log.cend(), qPrintable(log.join(QLatin1Char('\n'))));

        // Back to no replica: the picture goes, the dates stay.
        s.replicaCombo()->setCurrentIndex(0);
        QVERIFY(s.detailImage()->isHidden());
        QCOMPARE(s.dEpoch(2)->text(), truth.first);
        QCOMPARE(s.dEpoch(3)->text(), truth.second);
    }

    // The VOB is read from the list at the moment of the request: a replica
    // of the open VOB asked about in another VOB is refused by ClearCase,
    // and the user sees that one box.
    void historyRefusedForTheVobSelectedSince()
    {
        SimWindow s;
        const QString opened = s.openVob(QStringLiteral("/vobs/tools"));
        QVERIFY2(opened.isEmpty(), qPrintable(opened));
        s.showPage(1);
        QVERIFY(SimWindow::choose(s.replicaCombo(), QStringLiteral("tokyo")));
        const QString importDate = s.dEpoch(2)->text();
        const QString exportDate = s.dEpoch(3)->text();
        QListWidget *list = s.window->vobList()->list();
        list->setCurrentItem(list->findItems(QStringLiteral("/vobs/docs"), Qt::MatchExactly).value(0));
        QCOMPARE(s.window->vobList()->selectedVobTag(), QStringLiteral("/vobs/docs"));

        QVERIFY(SimWindow::choose(s.replicaCombo(), QStringLiteral("london")));
        QCOMPARE(s.dialogs.boxes.size(), 1);
        const ScriptedDialogs::Box box = s.dialogs.boxes.first();
        QCOMPARE(box.title, QStringLiteral("ERROR..."));
        QCOMPARE(box.icon, MsgIcon::Stop);
        QVERIFY2(box.prompt.startsWith(QStringLiteral("ERROR::cleartool: Error: ")), qPrintable(box.prompt));
        QVERIFY2(box.prompt.contains(QLatin1String("london")), qPrintable(box.prompt));
        QCOMPARE(s.dEpoch(2)->text(), importDate);
        QCOMPARE(s.dEpoch(3)->text(), exportDate);
        QCOMPARE(s.window->status(), QStringLiteral("Status"));
    }

    // The script takes a while; a choice made meanwhile wins, and the
    // earlier replica's dates never land under it.
    void choiceChangedWhileTheScriptRuns_data()
    {
        QTest::addColumn<QString>("then"); // what is chosen during the wait
        QTest::newRow("another replica") << QStringLiteral("tokyo");
        QTest::newRow("no replica") << QStringLiteral("<select_replica>");
    }
    void choiceChangedWhileTheScriptRuns()
    {
        QFETCH(QString, then);
        const QString tag = QStringLiteral("/vobs/tools");
        SimWindow s;
        const QString opened = s.openVob(tag);
        QVERIFY2(opened.isEmpty(), qPrintable(opened));
        s.showPage(1);
        bool changed = false;
        // Runs in the wait for the first replica's script.
        QTimer::singleShot(0, s.window.get(), [&] {
            changed = SimWindow::choose(s.replicaCombo(), then);
        });
        QVERIFY(SimWindow::choose(s.replicaCombo(), QStringLiteral("london")));
        QVERIFY(changed);
        QCOMPARE(s.replicaCombo()->currentText(), then);
        const bool none = then == QStringLiteral("<select_replica>");
        const QPair<QString, QString> expected = none
            ? QPair<QString, QString>{QStringLiteral("<last_import>"), QStringLiteral("<last_export>")}
            : newestSyncEvent(then, tag);
        QCOMPARE(s.dEpoch(2)->text(), expected.first);
        QCOMPARE(s.dEpoch(3)->text(), expected.second);
        QCOMPARE(s.detailImage()->isVisible(), !none);
        QVERIFY(s.dialogs.boxes.isEmpty());
        QCOMPARE(s.window->status(), QStringLiteral("Status"));
    }

    void historyWindow()
    {
        SimWindow s;
        const QString tag = QStringLiteral("/vobs/tools");
        const QString opened = s.openVob(tag);
        QVERIFY2(opened.isEmpty(), qPrintable(opened));
        s.showPage(1);
        // No replica chosen: the picture is hidden and nothing is asked.
        QVERIFY(s.detailImage()->isHidden());

        QVERIFY(SimWindow::choose(s.replicaCombo(), QStringLiteral("london")));
        const QString first = s.showHistory();
        QWidget *detail = s.window->detailForm();
        QVERIFY(detail);
        QVERIFY(detail->isVisible());
        QCOMPARE(detail->windowTitle(), QStringLiteral("History Detail: london"));
        QCOMPARE(first, historyOf(QStringLiteral("london"), tag));
        QVERIFY(first.startsWith(QStringLiteral("Date:")));
        QVERIFY(first.contains(QLatin1String("Exported synchronization information for replica \"london\".")));

        // A second replica: the same window, its text and title replaced.
        QVERIFY(SimWindow::choose(s.replicaCombo(), QStringLiteral("boston_hub")));
        const QString second = s.showHistory();
        QCOMPARE(s.window->detailForm(), detail);
        QCOMPARE(detail->windowTitle(), QStringLiteral("History Detail: boston_hub"));
        QCOMPARE(second, historyOf(QStringLiteral("boston_hub"), tag));
        QVERIFY(second != first);
        QVERIFY(s.dialogs.boxes.isEmpty());
        QCOMPARE(s.window->status(), QStringLiteral("Status"));
    }

    void siteDoubleClick_data()
    {
        QTest::addColumn<QString>("tag");
        QTest::addColumn<bool>("realClick");
        QTest::newRow("three sites, mouse") << QStringLiteral("/vobs/tools") << true;
        QTest::newRow("eight sites, mouse") << QStringLiteral("/vobs/core") << true;
        QTest::newRow("four sites, signal") << QStringLiteral("/vobs/web") << false;
    }
    void siteDoubleClick()
    {
        QFETCH(QString, tag);
        QFETCH(bool, realClick);
        SimWindow s;
        const QString opened = s.openVob(tag);
        QVERIFY2(opened.isEmpty(), qPrintable(opened));
        const QMap<QString, QStringList> records = replicaRecords(tag);
        GraphView *graph = s.window->graph();
        const int n = int(graph->allSites().size());
        QCOMPARE(n, int(records.size()));
        QCOMPARE(field(s, "vReplicaTxt"), QStringLiteral("<replica_name>"));

        // Every site in turn, last to first, so that the highlight moves.
        for (int k = n; k >= 1; --k) {
            QLabel *icon = graph->siteImage(k);
            QVERIFY(icon && icon->isVisible());
            if (realClick) {
                QTest::mouseClick(icon, Qt::LeftButton, {}, icon->rect().center());
                QTest::mouseDClick(icon, Qt::LeftButton, {}, icon->rect().center());
            } else {
                emit graph->siteDoubleClicked(k);
            }
            // The fields describe the site under the clicked icon.
            const QString name = graph->siteLabel(k)->text();
            const QStringList rec = records.value(name);
            QVERIFY2(rec.size() == 4, qPrintable(name));
            QCOMPARE(field(s, "vReplicaTxt"), name);
            QCOMPARE(field(s, "vDateTxt"), rec.at(1));
            QCOMPARE(field(s, "vHostTxt"), rec.at(2));
            QCOMPARE(field(s, "vMasterTxt"), rec.at(3));
            QCOMPARE(s.get<QLineEdit>(QStringLiteral("vHostTxt"))->toolTip(), QString(QStringLiteral("Host: ") + rec.at(2)));
            QCOMPARE(s.get<QLineEdit>(QStringLiteral("vReplicaTxt"))->toolTip(),
                     QString(QStringLiteral("Replica Name: ") + name));
            const QPair<QString, QString> dates = newestSyncEvent(name, tag);
            QCOMPARE(field(s, "vImportDateTxt"), dates.first);
            QCOMPARE(field(s, "vExportDateTxt"), dates.second);

            // One site highlighted: this one.
            for (int i = 1; i <= n; ++i) {
                const bool chosen = i == k;
                QCOMPARE(samePicture(graph->siteImage(i), graph->siteHighlightedImage()), chosen);
                QLabel *label = graph->siteLabel(i);
                QCOMPARE(label->autoFillBackground(), chosen);
                QCOMPARE(label->palette().color(QPalette::WindowText),
                         toQColor(chosen ? Colors::white : Colors::pureBlue));
            }
        }
        QVERIFY(s.dialogs.boxes.isEmpty());
        // The double click fetched each site's history from ClearCase.
        QCOMPARE(int(s.commands().filter(QStringLiteral("cleartool lshistory -fmt %e,%d, replica:")).size()), n);
    }
};

QTEST_MAIN(TestReplicaInfoE2E)
#include "tst_replicainfo_e2e.moc"
