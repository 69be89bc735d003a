#include "ui/Topmost.h"
#include "ui/frmWorking.h"

#include <QFile>
#include <QLabel>
#include <QPointer>
#include <QTemporaryDir>
#include <QTest>

using namespace quorvane;

namespace {

void activate(QWidget &w)
{
    w.show();
    w.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&w));
}

} // namespace

class TestFrmWorking : public QObject {
    Q_OBJECT
private slots:
    void setMsgShowsTheTopmostDialog_data()
    {
        QTest::addColumn<bool>("withCursor");
        QTest::newRow("with the cursor file") << true;
        QTest::newRow("without it") << false;
    }
    void setMsgShowsTheTopmostDialog()
    {
        QFETCH(bool, withCursor);
        QTemporaryDir dir;
        QVERIFY(!withCursor || QFile::copy(QStringLiteral(QUORVANE_SOURCE_DIR "/resources/anicursor.ani"),
                                           dir.filePath(QStringLiteral("anicursor.ani"))));
        frmWorking w(dir.path() + QLatin1Char('/'));
        QCOMPARE(w.aniCursorFile(), dir.filePath(QStringLiteral("anicursor.ani")));
        QVERIFY(w.windowFlags().testFlag(Qt::WindowStaysOnTopHint) && !w.isVisible());
        w.setMsg(QStringLiteral("<b>/vobs/a&b</b>"), QStringLiteral("ignored title"));
        QVERIFY(QTest::qWaitForWindowActive(&w));
        QCOMPARE(w.findChild<QLabel *>(QStringLiteral("mainLbl"))->textFormat(), Qt::PlainText);
        QCOMPARE(w.windowTitle(), QStringLiteral("Quorvane busy working..."));
        QCOMPARE(w.aniCursor().hasPicture(), withCursor);
        if (!withCursor)
            return;
        QCOMPARE(w.aniCursor().hwnd()->parentWidget(), &w);
        QCOMPARE(w.aniCursor().hwnd()->pos(), QPoint(20, 20));
        // A second message only changes the text; each activation loads a fresh picture.
        QWidget other;
        const QPointer<QWidget> first = w.aniCursor().hwnd();
        activate(other);
        w.setMsg(QStringLiteral("two"));
        QCOMPARE(w.message(), QStringLiteral("two"));
        QTest::qWait(50);
        QVERIFY(other.isActiveWindow());
        QCOMPARE(w.aniCursor().hwnd(), first.data());
        activate(w);
        QVERIFY(!first);
        QCOMPARE(w.findChildren<QWidget *>(QStringLiteral("aniCursorPicture")).size(), 1);
    }

    // Turning topmost on or off must neither hide, move nor deactivate a shown window.
    void setTopmostKeepsAShownWindowAsItIs()
    {
        QWidget other;
        QWidget w;
        w.setGeometry(130, 140, 250, 90);
        w.show();
        activate(other);
        const QRect geometry = w.geometry();
        for (bool on : {true, false}) {
            setTopmost(new QWidget(&w), on); // a child acts on its window
            QCOMPARE(w.windowFlags().testFlag(Qt::WindowStaysOnTopHint), on);
            QVERIFY(w.isVisible());
            QCOMPARE(w.geometry(), geometry);
            QVERIFY(QTest::qWaitForWindowActive(&w));
        }
        setTopmost(nullptr, true);
    }
};

QTEST_MAIN(TestFrmWorking)
#include "tst_frmworking.moc"
