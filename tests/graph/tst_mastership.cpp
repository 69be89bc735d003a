#include "graph/Mastership.h"
#include "graph/SiteLayout.h"

#include <QTest>

using namespace quorvane;

namespace {

mSite site(const QString &name, const QString &master, OleColor colour)
{
    mSite s;
    s.replicaName = name;
    s.master = master;
    s.lineColor = colour;
    return s;
}

// Icons on the first row, as placed after a load.
QList<QRect> icons(int n)
{
    QList<QRect> rects;
    for (const QPoint &p : SiteLayout::placeSites(n, 450))
        rects << QRect(p, QSize(450, 495));
    return rects;
}

} // namespace

class TestMastership : public QObject {
    Q_OBJECT
private slots:
    void matching_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("master");
        QTest::addColumn<bool>("masters");
        QTest::newRow("name and tag") << QStringLiteral("boston_hub") << QStringLiteral("boston_hub@/vobs/dev")
                                      << true;
        QTest::newRow("Windows tag") << QStringLiteral("boston_hub") << QStringLiteral("boston_hub@\\dev") << true;
        QTest::newRow("bare name") << QStringLiteral("alpha") << QStringLiteral("alpha") << true;
        QTest::newRow("site1 is not site10") << QStringLiteral("site1") << QStringLiteral("site10@/vobs/x")
                                             << false;
        QTest::newRow("site1 is not bare site10") << QStringLiteral("site1") << QStringLiteral("site10") << false;
        QTest::newRow("name later in the text") << QStringLiteral("hub") << QStringLiteral("boston_hub@/v")
                                                << false;
        QTest::newRow("letter case differs") << QStringLiteral("Alpha") << QStringLiteral("alpha@/v") << false;
        QTest::newRow("empty master text") << QStringLiteral("alpha") << QString() << false;
    }
    void matching()
    {
        QFETCH(QString, name);
        QFETCH(QString, master);
        QFETCH(bool, masters);
        QCOMPARE(mastersReplica(name, master), masters);
    }

    void oneMasterOfAll()
    {
        const QString m = QStringLiteral("alpha@/vobs/dev");
        const QList<mSite> sites{site(QStringLiteral("alpha"), m, 0x800000), site(QStringLiteral("beta"), m, 0x8000),
                                 site(QStringLiteral("gamma"), m, 0x808000)};
        const MastershipPicture pic = computeMastership(sites, icons(3));
        QCOMPARE(pic.lines.size(), 3);
        const QPointF alphaCentre(525, 447.5);
        for (const SiteLine &l : pic.lines) {
            QCOMPARE(l.master, 1);
            QCOMPARE(l.color, OleColor(0x800000));
            QCOMPARE(l.line.p1(), alphaCentre);
        }
        QCOMPARE(pic.lines[0].line.length(), 0.0);
        QCOMPARE(pic.lines[1].line.p2(), QPointF(1475, 447.5));
        QCOMPARE(pic.lines[2].line.p2(), QPointF(2425, 447.5));
        QCOMPARE(pic.markers.value(0), std::optional<QString>(QStringLiteral(",beta,gamma")));
        QVERIFY(!pic.markers.value(1) && !pic.markers.value(2));
    }

    void twoMastersAndSelfMastered_data()
    {
        QTest::addColumn<QStringList>("masters");
        QTest::addColumn<QStringList>("lists"); // "-" for no marker
        QTest::addColumn<int>("lineCount");
        // Sites alpha, beta, gamma, delta in that order.
        QTest::newRow("two masters")
            << QStringList{QStringLiteral("alpha@/v"), QStringLiteral("alpha@/v"), QStringLiteral("gamma@/v"),
                           QStringLiteral("gamma@/v")}
            << QStringList{QStringLiteral(",beta"), QStringLiteral("-"), QStringLiteral(",delta"),
                           QStringLiteral("-")}
            << 4;
        QTest::newRow("each its own master")
            << QStringList{QStringLiteral("alpha@/v"), QStringLiteral("beta@/v"), QStringLiteral("gamma@/v"),
                           QStringLiteral("delta@/v")}
            << QStringList{QString(), QString(), QString(), QString()} << 4;
        QTest::newRow("master outside the VOB's list")
            << QStringList{QStringLiteral("omega@/v"), QStringLiteral("omega@/v"), QStringLiteral("Alpha@/v"),
                           QString()}
            << QStringList{QStringLiteral("-"), QStringLiteral("-"), QStringLiteral("-"), QStringLiteral("-")}
            << 0;
    }
    void twoMastersAndSelfMastered()
    {
        QFETCH(QStringList, masters);
        QFETCH(QStringList, lists);
        QFETCH(int, lineCount);
        const QStringList names{QStringLiteral("alpha"), QStringLiteral("beta"), QStringLiteral("gamma"),
                                QStringLiteral("delta")};
        QList<mSite> sites;
        for (int i = 0; i < 4; ++i)
            sites << site(names[i], masters[i], OleColor(i));
        const MastershipPicture pic = computeMastership(sites, icons(4));
        QCOMPARE(pic.lines.size(), lineCount);
        for (int i = 0; i < 4; ++i) {
            if (lists[i] == QStringLiteral("-"))
                QVERIFY2(!pic.markers[i], qPrintable(names[i]));
            else
                QCOMPARE(pic.markers[i].value_or(QStringLiteral("no marker")), lists[i]);
        }
        for (const SiteLine &l : pic.lines)
            QCOMPARE(l.color, OleColor(l.master - 1));
    }

    void site1DoesNotMasterSite10()
    {
        const QList<mSite> sites{site(QStringLiteral("site1"), QStringLiteral("site1@/v"), 1),
                                 site(QStringLiteral("site10"), QStringLiteral("site10@/v"), 2)};
        const MastershipPicture pic = computeMastership(sites, icons(2));
        QCOMPARE(pic.lines.size(), 2);
        QCOMPARE(pic.markers[0], std::optional<QString>(QString()));
        QCOMPARE(pic.markers[1], std::optional<QString>(QString()));
        for (const SiteLine &l : pic.lines)
            QCOMPARE(l.master, l.mastered);
    }

    void sitesWithoutIconsAreLeftOut()
    {
        const QString m = QStringLiteral("alpha@/v");
        const QList<mSite> sites{site(QStringLiteral("alpha"), m, 1), site(QStringLiteral("beta"), m, 1)};
        const MastershipPicture pic = computeMastership(sites, icons(1));
        QCOMPARE(pic.markers.size(), 1);
        QCOMPARE(pic.lines.size(), 1);
        QVERIFY(computeMastership({}, icons(3)).lines.isEmpty());
    }

    void message_data()
    {
        QTest::addColumn<QString>("list");
        QTest::addColumn<QString>("prompt"); // empty: nothing is shown
        QTest::newRow("two replicas") << QStringLiteral(",beta,gamma")
                                      << QStringLiteral("alpha is master of: \r\n\r\nbeta\r\ngamma");
        QTest::newRow("one replica") << QStringLiteral(",beta") << QStringLiteral("alpha is master of: \r\n\r\nbeta");
        QTest::newRow("only itself") << QString() << QString();
    }
    void message()
    {
        QFETCH(QString, list);
        QFETCH(QString, prompt);
        const QString tip = markerToolTip(list);
        QCOMPARE(tip, QStringLiteral("Master of replicas: ") + list);
        QCOMPARE(mastershipPrompt(QStringLiteral("alpha"), tip).value_or(QString()), prompt);
    }
};

QTEST_GUILESS_MAIN(TestMastership)
#include "tst_mastership.moc"
