#include "GraphTestFixture.h"
#include "ui/QtColors.h"
#include "ui/Twips.h"

#include <QMouseEvent>
#include <QSignalSpy>
#include <QTest>

using namespace quorvane;
using test::GraphFixture;

namespace {

void send(QWidget *w, QEvent::Type type, QPoint px, Qt::MouseButton button, Qt::MouseButtons held)
{
    QMouseEvent e(type, QPointF(px), w->mapToGlobal(QPointF(px)), button, held, Qt::NoModifier);
    QCoreApplication::sendEvent(w, &e);
}

QPointF centre(const QWidget *w)
{
    const QRect r = GraphFixture::twips(w);
    return QPointF(r.left() + r.width() / 2.0, r.top() + r.height() / 2.0);
}

// The darkest pixel of the picture between the first two icons, around the
// height of their centres.
QColor darkestAcrossTheRow(const QImage &shot)
{
    QColor darkest(Qt::white);
    const int x = Twips::toPx(1100);
    for (int y = Twips::toPx(447) - 4; y <= Twips::toPx(447) + 4; ++y) {
        const QColor c = shot.pixelColor(x * int(shot.devicePixelRatio()), y * int(shot.devicePixelRatio()));
        if (c.lightness() < darkest.lightness())
            darkest = c;
    }
    return darkest;
}

const QStringList alphaMastersAll{QStringLiteral("alpha:alpha@/vobs/dev"), QStringLiteral("beta:alpha@/vobs/dev"),
                                  QStringLiteral("gamma:alpha@/vobs/dev")};

} // namespace

class TestGraphInteraction : public QObject {
    Q_OBJECT
private slots:
    void repaintDrawsLinesAndMarkers()
    {
        GraphFixture f;
        f.load(alphaMastersAll);
        QVERIFY(f.view->lastLines().isEmpty()); // nothing drawn by the load itself
        f.view->repaint();
        const QList<SiteLine> &lines = f.view->lastLines();
        QCOMPARE(lines.size(), 3);
        for (const SiteLine &l : lines) {
            QCOMPARE(l.color, f.view->site(1).lineColor);
            QCOMPARE(l.line.p1(), centre(f.view->siteImage(1)));
        }
        QCOMPARE(lines[2].line.p2(), centre(f.view->siteImage(3)));
        QLabel *marker = f.view->siteMasterLabel(1);
        QVERIFY(marker->isVisible());
        QCOMPARE(marker->toolTip(), QStringLiteral("Master of replicas: ,beta,gamma"));
        QVERIFY(f.view->siteMasterLabel(2)->isHidden() && f.view->siteMasterLabel(3)->isHidden());

        // The picture shows the line in alpha's colour between alpha and beta.
        const QColor ink = darkestAcrossTheRow(f.view->grab().toImage());
        QVERIFY2(ink.blue() > 100 && ink.red() < 60 && ink.green() < 60, qPrintable(ink.name()));
    }

    void markerDoubleClick_data()
    {
        QTest::addColumn<QStringList>("specs");
        QTest::addColumn<QString>("prompt"); // empty: no box
        QTest::newRow("master of two") << alphaMastersAll
                                       << QStringLiteral("alpha is master of: \r\n\r\nbeta\r\ngamma");
        QTest::newRow("master of itself only")
            << QStringList{QStringLiteral("alpha:alpha@/v"), QStringLiteral("beta:beta@/v")} << QString();
    }
    void markerDoubleClick()
    {
        QFETCH(QStringList, specs);
        QFETCH(QString, prompt);
        GraphFixture f;
        f.load(specs);
        f.view->drawSiteLines();
        QLabel *marker = f.view->siteMasterLabel(1);
        QVERIFY(marker->isVisible());
        QTest::mouseDClick(marker, Qt::LeftButton);
        if (prompt.isEmpty()) {
            QVERIFY(f.feedback.scripted.boxes.isEmpty());
            QCOMPARE(marker->toolTip(), QStringLiteral("Master of replicas: "));
            return;
        }
        QCOMPARE(f.feedback.scripted.boxes.size(), 1);
        const auto &box = f.feedback.scripted.boxes.first();
        QCOMPARE(box.prompt, prompt);
        QCOMPARE(box.title, QStringLiteral("Replica Mastership Detail..."));
        QCOMPARE(box.icon, MsgIcon::Information);
        QCOMPARE(box.buttons, MsgButtons::Ok);
    }

    void mastershipOfAVanishedRecordIsReported()
    {
        GraphFixture f;
        f.load(alphaMastersAll);
        f.view->drawSiteLines();
        f.view->clearAllSites();
        QTest::mouseDClick(f.view->siteMasterLabel(1), Qt::LeftButton);
        QCOMPARE(f.feedback.scripted.boxes.size(), 1);
        QCOMPARE(f.feedback.scripted.boxes[0].icon, MsgIcon::Exclamation);
        QVERIFY(f.feedback.scripted.boxes[0].prompt.startsWith(QStringLiteral("ERROR::Subscript out of range")));
        QVERIFY(f.feedback.calls.contains(QStringLiteral("busy:0:")));
    }

    void drag_data()
    {
        QTest::addColumn<int>("button");
        QTest::addColumn<QPoint>("movePx");
        QTest::addColumn<QPoint>("iconTwips");
        QTest::newRow("left, right and up") << int(Qt::LeftButton) << QPoint(8, -4) << QPoint(1370, 140);
        QTest::newRow("right button") << int(Qt::RightButton) << QPoint(8, -4) << QPoint(1370, 140);
        QTest::newRow("to a negative left") << int(Qt::LeftButton) << QPoint(-100, 0) << QPoint(-250, 200);
    }
    void drag()
    {
        QFETCH(int, button);
        QFETCH(QPoint, movePx);
        QFETCH(QPoint, iconTwips);
        const auto b = Qt::MouseButton(button);
        GraphFixture f;
        f.load(alphaMastersAll);
        f.view->repaint();
        const QList<SiteLine> before = f.view->lastLines();
        QLabel *icon = f.view->siteImage(2);

        send(icon, QEvent::MouseMove, movePx, Qt::NoButton, Qt::NoButton);
        QCOMPARE(GraphFixture::twips(icon).topLeft(), QPoint(1250, 200)); // no drag without a press

        send(icon, QEvent::MouseButtonPress, QPoint(5, 5), b, b);
        QVERIFY(f.view->GSiteMouseDownFlag());
        send(icon, QEvent::MouseMove, movePx, Qt::NoButton, b);
        QCOMPARE(GraphFixture::twips(icon).topLeft(), iconTwips);
        QCOMPARE(GraphFixture::twips(f.view->siteLabel(2)).topLeft(), iconTwips + QPoint(0, 505));
        QCOMPARE(GraphFixture::twips(f.view->siteMasterLabel(2)).topLeft(), iconTwips + QPoint(455, 20));
        f.view->repaint();
        QCOMPARE(f.view->lastLines(), before); // nothing new while dragging

        send(icon, QEvent::MouseButtonRelease, QPoint(0, 0), b, Qt::NoButton);
        QVERIFY(!f.view->GSiteMouseDownFlag());
        QCOMPARE(f.view->lastLines()[1].line.p2(), centre(icon));
        QVERIFY(f.view->lastLines() != before);
        QCOMPARE(GraphFixture::twips(icon).topLeft(), iconTwips); // no bounds
    }

    void dragThroughTheWindowSystem()
    {
        GraphFixture f;
        f.load(alphaMastersAll);
        QVERIFY(QTest::qWaitForWindowExposed(f.page.get()));
        QLabel *icon = f.view->siteImage(1);
        // A press at (200, 250) twips inside the icon; the first move puts the
        // icon's top left corner under the pointer.
        const QPoint press(Twips::toPx(200), Twips::toPx(250));
        QTest::mousePress(icon, Qt::LeftButton, {}, press);
        QTest::mouseMove(icon, press);
        const QPoint moved = GraphFixture::twips(icon).topLeft() - QPoint(300, 200);
        QVERIFY2(qAbs(moved.x() - 200) <= 15 && qAbs(moved.y() - 250) <= 15,
                 qPrintable(QStringLiteral("%1,%2").arg(moved.x()).arg(moved.y())));
        QTest::mouseRelease(icon, Qt::LeftButton, {}, QPoint(0, 0));
        QVERIFY(!f.view->GSiteMouseDownFlag());
    }

    void doubleClickOnIconAsksForTheSiteDetail()
    {
        GraphFixture f;
        f.load(alphaMastersAll);
        QSignalSpy spy(f.view, &GraphView::siteDoubleClicked);
        QTest::mouseDClick(f.view->siteImage(3), Qt::LeftButton);
        QCOMPARE(spy.size(), 1);
        QCOMPARE(spy.first().first().toInt(), 3);
        QVERIFY(!f.view->GSiteMouseDownFlag());
        QCOMPARE(GraphFixture::twips(f.view->siteImage(3)).topLeft(), QPoint(2200, 200));
    }

    void highlight()
    {
        GraphFixture f;
        f.load(alphaMastersAll);
        f.view->highlightSite(2);
        f.view->highlightSite(1);
        QCOMPARE(GraphFixture::twips(f.view->siteImage(1)).size(), QSize(480, 495));
        QCOMPARE(f.view->siteImage(1)->pixmap().deviceIndependentSize(), QSizeF(32, 33));
        QVERIFY(f.view->siteLabel(1)->autoFillBackground());
        QCOMPARE(f.view->siteLabel(1)->palette().color(QPalette::WindowText), QColor(Qt::white));
        QCOMPARE(f.view->siteLabel(1)->palette().color(QPalette::Window), QColor(0, 0, 128));
        for (int k : {2, 3}) {
            QCOMPARE(GraphFixture::twips(f.view->siteImage(k)).size(), QSize(450, 495));
            QVERIFY(!f.view->siteLabel(k)->autoFillBackground());
            QCOMPARE(f.view->siteLabel(k)->palette().color(QPalette::WindowText), QColor(0, 0, 255));
        }
        // Lines start at the centre of the wider icon; a drag puts the
        // marker 485 twips right of its left edge.
        f.view->repaint();
        QCOMPARE(f.view->lastLines().first().line.p1(), QPointF(300 + 240, 200 + 247.5));
        QLabel *icon = f.view->siteImage(1);
        send(icon, QEvent::MouseButtonPress, QPoint(1, 1), Qt::LeftButton, Qt::LeftButton);
        send(icon, QEvent::MouseMove, QPoint(2, 2), Qt::NoButton, Qt::LeftButton);
        send(icon, QEvent::MouseButtonRelease, QPoint(0, 0), Qt::LeftButton, Qt::NoButton);
        const QRect r = GraphFixture::twips(icon);
        QCOMPARE(GraphFixture::twips(f.view->siteMasterLabel(1)).topLeft(), r.topLeft() + QPoint(485, 20));
        QVERIFY_THROWS_EXCEPTION(QuorvaneError, f.view->highlightSite(4));
        QVERIFY_THROWS_EXCEPTION(QuorvaneError, f.view->highlightSite(0));
    }

    void repaintWithoutSitesDrawsNothing()
    {
        GraphFixture f;
        f.load(alphaMastersAll);
        f.view->repaint();
        QVERIFY(!f.view->lastLines().isEmpty());
        f.clean();
        f.view->repaint();
        QVERIFY(f.view->lastLines().isEmpty());
        QCOMPARE(darkestAcrossTheRow(f.view->grab().toImage()), QColor(Qt::white));
    }
};

QTEST_MAIN(TestGraphInteraction)
#include "tst_graphinteraction.moc"
