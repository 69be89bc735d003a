#include "ui/frmWorking.h"

#include <QFile>
#include <QLabel>
#include <QPointer>
#include <QTemporaryDir>
#include <QTest>

using namespace quorvane;

namespace {

const QString busyCaption = QStringLiteral("Quorvane busy working...");

void activateElsewhere(QWidget &other)
{
    other.show();
    other.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&other));
}

} // namespace

class TestFrmWorking : public QObject {
    Q_OBJECT
    QTemporaryDir m_withCursor;
    QTemporaryDir m_empty;

private slots:
    void initTestCase()
    {
        QVERIFY(QFile::copy(QStringLiteral(QUORVANE_SOURCE_DIR "/resources/anicursor.ani"),
                            m_withCursor.filePath(QStringLiteral("anicursor.ani"))));
    }

    void cursorFileIsBesideTheProgram_data()
    {
        QTest::addColumn<QString>("dir");
        QTest::addColumn<QString>("file");
        QTest::newRow("plain") << QStringLiteral("/opt/q/bin") << QStringLiteral("/opt/q/bin/anicursor.ani");
        QTest::newRow("trailing slash") << QStringLiteral("/opt/q/bin/") << QStringLiteral("/opt/q/bin/anicursor.ani");
        QTest::newRow("root") << QStringLiteral("/") << QStringLiteral("/anicursor.ani");
        QTest::newRow("blank at the end kept") << QStringLiteral("/tmp/a ") << QStringLiteral("/tmp/a /anicursor.ani");
    }
    void cursorFileIsBesideTheProgram()
    {
        QFETCH(QString, dir);
        QFETCH(QString, file);
        QCOMPARE(frmWorking(dir).aniCursorFile(), file);
    }

    void setMsgShowsTheDialogWithItsPicture_data()
    {
        QTest::addColumn<bool>("withCursor");
        QTest::newRow("with the cursor file") << true;
        QTest::newRow("without it") << false;
    }
    void setMsgShowsTheDialogWithItsPicture()
    {
        QFETCH(bool, withCursor);
        frmWorking w(withCursor ? m_withCursor.path() : m_empty.path());
        QVERIFY(w.windowFlags().testFlag(Qt::WindowStaysOnTopHint));
        QVERIFY(!w.isVisible());
        w.setMsg(QStringLiteral("<b>/vobs/a&b</b>"), QStringLiteral("ignored title"));
        QVERIFY(QTest::qWaitForWindowActive(&w));
        QCOMPARE(w.message(), QStringLiteral("<b>/vobs/a&b</b>"));
        QCOMPARE(w.findChild<QLabel *>(QStringLiteral("mainLbl"))->textFormat(), Qt::PlainText);
        QCOMPARE(w.windowTitle(), busyCaption);
        QCOMPARE(w.aniCursor().hasPicture(), withCursor);
        if (withCursor) {
            QCOMPARE(w.aniCursor().hwnd()->parentWidget(), &w);
            QCOMPARE(w.aniCursor().hwnd()->pos(), QPoint(20, 20));
            QVERIFY(w.aniCursor().hwnd()->isVisible());
        }
    }

    void setMsgOnAVisibleDialogOnlyChangesTheText()
    {
        QWidget other;
        frmWorking w(m_withCursor.path());
        w.setMsg(QStringLiteral("one"));
        QVERIFY(QTest::qWaitForWindowActive(&w));
        const QPointer<QWidget> picture = w.aniCursor().hwnd();
        activateElsewhere(other);
        w.setMsg(QStringLiteral("two"));
        QCOMPARE(w.message(), QStringLiteral("two"));
        QTest::qWait(50);
        QVERIFY(other.isActiveWindow()); // not taken back
        QCOMPARE(w.aniCursor().hwnd(), picture.data());
    }

    void eachActivationLoadsAFreshPicture()
    {
        QWidget other;
        frmWorking w(m_withCursor.path());
        w.setMsg(QStringLiteral("working"));
        QVERIFY(QTest::qWaitForWindowActive(&w));
        const QPointer<QWidget> first = w.aniCursor().hwnd();
        QVERIFY(first);
        activateElsewhere(other);
        w.setWindowTitle(QStringLiteral("Working..."));
        w.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&w));
        QCOMPARE(w.windowTitle(), busyCaption);
        QVERIFY(!first);
        QCOMPARE(w.findChildren<QWidget *>(QStringLiteral("aniCursorPicture")).size(), 1);
        // Hidden and shown again, it keeps its message until the next one.
        w.hide();
        QCOMPARE(w.message(), QStringLiteral("working"));
        w.setMsg(QStringLiteral("again"));
        QVERIFY(w.isVisible());
    }
};

QTEST_MAIN(TestFrmWorking)
#include "tst_frmworking.moc"
