#include "GraphTestFixture.h"
#include "ui/QtColors.h"

#include <QTest>

using namespace quorvane;
using test::GraphFixture;

class TestGraphView : public QObject {
    Q_OBJECT
private slots:
    void designedPicture()
    {
        GraphFixture f;
        QCOMPARE(f.view->objectName(), QStringLiteral("vGraphPict"));
        QCOMPARE(GraphFixture::twips(f.view).size(), QSize(6615, 5295));
        QLabel *msg = f.view->pictMsgLbl();
        QCOMPARE(msg->objectName(), QStringLiteral("pictMsgLbl"));
        QCOMPARE(msg->text(),
                 QStringLiteral("No replica selected.  Load and select a replica to display visual graph"));
        QVERIFY(msg->isVisible());
        QCOMPARE(msg->palette().color(QPalette::WindowText), QColor(0, 0, 128));
        QCOMPARE(GraphFixture::twips(msg), QRect(1320, 1560, 3735, 735));
        auto *bar = f.view->findChild<QLabel *>(QStringLiteral("Image1"));
        QVERIFY(bar && bar->isVisible());
        QCOMPARE(GraphFixture::twips(bar), QRect(0, 0, 17745, 120));
        QCOMPARE(bar->pixmap().deviceIndependentSize(), QSizeF(1183, 8));
        QLabel *hl = f.view->siteHighlightedImage();
        QVERIFY(hl->isHidden());
        QCOMPARE(GraphFixture::twips(hl), QRect(240, 1560, 480, 495));
        QCOMPARE(hl->pixmap().deviceIndependentSize(), QSizeF(32, 33));
    }

    void hiddenTemplates()
    {
        GraphFixture f;
        QLabel *image = f.view->findChild<QLabel *>(QStringLiteral("siteImage(0)"));
        QLabel *label = f.view->findChild<QLabel *>(QStringLiteral("siteLabel(0)"));
        QLabel *marker = f.view->findChild<QLabel *>(QStringLiteral("siteMasterLabel(0)"));
        QVERIFY(image && label && marker);
        QVERIFY(image->isHidden() && label->isHidden() && marker->isHidden());
        QCOMPARE(GraphFixture::twips(image), QRect(2520, 360, 450, 495));
        QCOMPARE(image->pixmap().deviceIndependentSize(), QSizeF(30, 33));
        QCOMPARE(image->toolTip(), QStringLiteral("Double click for detail"));
        QCOMPARE(GraphFixture::twips(label), QRect(120, 480, 975, 255));
        QCOMPARE(label->text(), QStringLiteral("No Site Found"));
        QCOMPARE(label->palette().color(QPalette::WindowText), QColor(0, 0, 255));
        QVERIFY(!label->autoFillBackground());
        QVERIFY(!label->font().bold());
        QCOMPARE(GraphFixture::twips(marker), QRect(120, 840, 255, 135));
        QCOMPARE(marker->text(), QStringLiteral("M"));
        QVERIFY(marker->font().bold());
        QVERIFY(marker->autoFillBackground());
        QCOMPARE(marker->palette().color(QPalette::WindowText), QColor(Qt::white));
    }

    void alphaBetaGamma()
    {
        GraphFixture f;
        f.view->setGMyReplicaName(QStringLiteral("alpha"));
        f.load({QStringLiteral("alpha:alpha@/v"), QStringLiteral("beta:alpha@/v"), QStringLiteral("gamma:beta@/v")});
        QCOMPARE(f.view->GCount(), 3);
        const QList<mSite> &sites = f.view->allSites();
        QCOMPARE(sites.size(), 3);
        QCOMPARE(sites[1].id, 2);
        QCOMPARE(sites[1].replicaName, QStringLiteral("beta"));
        QCOMPARE(sites[1].dateCreated, QStringLiteral("15-Aug-00.14:19:03"));
        QCOMPARE(sites[1].replicaHost, QStringLiteral("beta_host"));
        QCOMPARE(sites[2].master, QStringLiteral("beta@/v"));
        QCOMPARE(sites[0].lineColor, rgbColor(0, 0, 128));
        QCOMPARE(sites[1].lineColor, rgbColor(0, 128, 0));
        QCOMPARE(sites[2].lineColor, rgbColor(0, 128, 128));

        const int lefts[] = {300, 1250, 2200};
        const int widths[] = {400, 320, 400};
        for (int k = 1; k <= 3; ++k) {
            QLabel *icon = f.view->siteImage(k);
            QCOMPARE(icon->objectName(), QStringLiteral("siteImage(%1)").arg(k));
            QVERIFY(icon->isVisible());
            QCOMPARE(GraphFixture::twips(icon), QRect(lefts[k - 1], 200, 450, 495));
            QCOMPARE(icon->toolTip(), QStringLiteral("Double click for detail"));
            QLabel *label = f.view->siteLabel(k);
            QVERIFY(label->isVisible());
            QCOMPARE(label->text(), sites[k - 1].replicaName);
            QCOMPARE(GraphFixture::twips(label), QRect(lefts[k - 1], 705, widths[k - 1], 255));
            QLabel *marker = f.view->siteMasterLabel(k);
            QVERIFY(marker->isHidden());
            QCOMPARE(GraphFixture::twips(marker).topLeft(), QPoint(lefts[k - 1] + 455, 220));
            QCOMPARE(marker->palette().color(QPalette::Window), toQColor(sites[k - 1].lineColor));
        }
        QVERIFY(!f.view->siteImage(4));
        QCOMPARE(GraphFixture::entries(f.combo),
                 (QStringList{QStringLiteral("<select_replica>"), QStringLiteral("alpha"), QStringLiteral("beta"),
                              QStringLiteral("gamma")}));
        for (QComboBox *c : {f.fix0, f.fix1}) {
            QCOMPARE(GraphFixture::entries(c), (QStringList{QStringLiteral("<select_replica>"),
                                                            QStringLiteral("beta"), QStringLiteral("gamma")}));
            QCOMPARE(c->currentIndex(), 0);
        }
        QCOMPARE(f.combo->currentIndex(), 0);
        QVERIFY(f.feedback.scripted.boxes.isEmpty());
    }

    void emptyOutputMakesNothing()
    {
        GraphFixture f;
        f.view->setSitesData(QStringList(), 4, -1);
        QCOMPARE(f.view->GCount(), 0);
        QVERIFY(f.view->allSites().isEmpty());
        QVERIFY(!f.view->siteImage(1));
        QCOMPARE(f.combo->count(), 1);
        QVERIFY(f.feedback.scripted.boxes.isEmpty());
    }

    void emptyNameFieldInsideTheList()
    {
        GraphFixture f;
        const QStringList fields{QStringLiteral("alpha"), QStringLiteral("d1"), QStringLiteral("h1"),
                                 QStringLiteral("m1"),    QString(),          QStringLiteral("d2"),
                                 QStringLiteral("h2"),    QStringLiteral("m2"), QString()};
        f.view->setSitesData(fields, 4, 8);
        QCOMPARE(f.view->allSites().size(), 1);
        const mSite &s = f.view->site(1);
        QCOMPARE(s.dateCreated, QStringLiteral("d2"));
        QCOMPARE(s.replicaHost, QStringLiteral("h2"));
        QCOMPARE(s.master, QStringLiteral("m2"));
        QVERIFY(!f.view->siteImage(2));
    }

    void namesDifferingOnlyInCase()
    {
        GraphFixture f;
        f.view->setGMyReplicaName(QStringLiteral("alpha"));
        f.load({QStringLiteral("Beta:x"), QStringLiteral("beta:x"), QStringLiteral("ALPHA:x"),
                QStringLiteral("alpha:x")});
        QCOMPARE(f.view->allSites().size(), 4);
        QVERIFY(f.view->siteImage(2) && f.view->siteImage(4));
        QCOMPARE(GraphFixture::entries(f.combo), (QStringList{QStringLiteral("<select_replica>"),
                                                              QStringLiteral("Beta"), QStringLiteral("ALPHA")}));
        // Only the exact local name stays out of the fix lists.
        QCOMPARE(GraphFixture::entries(f.fix0), GraphFixture::entries(f.combo));
        QCOMPARE(GraphFixture::entries(f.fix1), GraphFixture::entries(f.combo));
    }

    void secondLoadShiftsColoursAndIds()
    {
        GraphFixture f;
        const QStringList vob{QStringLiteral("a:a"), QStringLiteral("b:a"), QStringLiteral("c:a")};
        f.load(vob);
        f.clean();
        QVERIFY(!f.view->findChild<QLabel *>(QStringLiteral("siteImage(1)")));
        QVERIFY(f.view->siteImage(0));
        f.load(vob);
        QVERIFY(f.feedback.scripted.boxes.isEmpty());
        const QList<mSite> &sites = f.view->allSites();
        QCOMPARE(sites.size(), 3);
        QCOMPARE(sites[0].id, 4);
        QCOMPARE(sites[2].id, 6);
        QCOMPARE(sites[0].lineColor, rgbColor(128, 0, 0));
        QCOMPARE(sites[1].lineColor, rgbColor(0, 0, 0));
        QCOMPARE(sites[2].lineColor, rgbColor(0, 0, 128));
        QCOMPARE(GraphFixture::twips(f.view->siteImage(1)).topLeft(), QPoint(300, 200));
    }

    void errorsAreReportedWithTheStopBox_data()
    {
        QTest::addColumn<QStringList>("fields");
        QTest::addColumn<int>("dataPerSite");
        QTest::addColumn<bool>("loadedBefore");
        QTest::addColumn<int>("records");
        QTest::newRow("field before any name")
            << QStringList{QString(), QStringLiteral("d"), QStringLiteral("h"), QStringLiteral("m"), QString()} << 4
            << false << 0;
        QTest::newRow("no fields per replica") << QStringList{QStringLiteral("a"), QString()} << 0 << false << 0;
        QTest::newRow("last index beyond the list") << QStringList{QStringLiteral("a")} << 4 << false << 1;
        QTest::newRow("previous controls still there")
            << QStringList{QStringLiteral("a"), QStringLiteral("d"), QStringLiteral("h"), QStringLiteral("m"),
                           QString()}
            << 4 << true << 1;
    }
    void errorsAreReportedWithTheStopBox()
    {
        QFETCH(QStringList, fields);
        QFETCH(int, dataPerSite);
        QFETCH(bool, loadedBefore);
        QFETCH(int, records);
        GraphFixture f;
        if (loadedBefore) {
            f.load({QStringLiteral("old:old")});
            f.view->clearAllSites(); // controls not removed
        }
        f.view->setSitesData(fields, dataPerSite, 4);
        QCOMPARE(f.feedback.scripted.boxes.size(), 1);
        const auto &box = f.feedback.scripted.boxes.first();
        QCOMPARE(box.icon, MsgIcon::Stop);
        QCOMPARE(box.title, QStringLiteral("ERROR..."));
        QVERIFY(box.prompt.startsWith(QStringLiteral("ERROR::")));
        QVERIFY(box.prompt.endsWith(QStringLiteral("\r\nReport Bug to bugs@belmora.example")));
        QCOMPARE(f.feedback.calls.last(), QStringLiteral("hourglass:0"));
        QCOMPARE(f.view->allSites().size(), records);
        // The second pass did not run: a site made before the error stands on its template place.
        if (records > 0 && !loadedBefore)
            QCOMPARE(GraphFixture::twips(f.view->siteImage(1)).topLeft(), QPoint(2520, 360));
    }

    void siteOutsideTheListIsAnError()
    {
        GraphFixture f;
        f.load({QStringLiteral("a:a")});
        QCOMPARE(f.view->site(1).replicaName, QStringLiteral("a"));
        QVERIFY_THROWS_EXCEPTION(QuorvaneError, (void)f.view->site(2));
        QVERIFY_THROWS_EXCEPTION(QuorvaneError, (void)f.view->site(0));
    }
};

QTEST_MAIN(TestGraphView)
#include "tst_graphview.moc"
