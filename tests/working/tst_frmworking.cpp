#include "support/WorkingScreenshot.h"
#include "ui/frmWorking.h"

#include <QDir>
#include <QFile>
#include <QLabel>
#include <QPointer>
#include <QTemporaryDir>
#include <QTest>

using namespace quorvane;

namespace {

const QString shipped = QStringLiteral(QUORVANE_SOURCE_DIR "/resources/anicursor.ani");
const QString busyCaption = QStringLiteral("Quorvane busy working...");

} // namespace

class TestFrmWorking : public QObject {
    Q_OBJECT
    QTemporaryDir m_withCursor;
    QTemporaryDir m_empty;

    // Another window to take the activation away from the dialog.
    static void activateElsewhere(QWidget &other)
    {
        other.show();
        other.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&other));
    }

private slots:
    void initTestCase() { QVERIFY(QFile::copy(shipped, m_withCursor.filePath(QStringLiteral("anicursor.ani")))); }

    void designedState()
    {
        frmWorking w(m_withCursor.path());
        QCOMPARE(w.objectName(), QStringLiteral("frmWorking"));
        QCOMPARE(w.windowTitle(), QStringLiteral("Working..."));
        QVERIFY(w.windowFlags().testFlag(Qt::WindowStaysOnTopHint));
        QVERIFY(!w.isVisible());
        auto *label = w.findChild<QLabel *>(QStringLiteral("mainLbl"));
        QVERIFY(label);
        QVERIFY(label->text().isEmpty());
        // The message sits right of the picture and inside the window.
        QVERIFY(label->geometry().left() >= 20 + 32);
        QVERIFY(w.rect().contains(label->geometry()));
        QVERIFY(!w.aniCursor().hasPicture());
    }

    void cursorFileIsBesideTheProgram_data()
    {
        QTest::addColumn<QString>("dir");
        QTest::addColumn<QString>("file");
        QTest::newRow("plain") << QStringLiteral("/opt/q/bin") << QStringLiteral("/opt/q/bin/anicursor.ani");
        QTest::newRow("trailing slash") << QStringLiteral("/opt/q/bin/") << QStringLiteral("/opt/q/bin/anicursor.ani");
    }
    void cursorFileIsBesideTheProgram()
    {
        QFETCH(QString, dir);
        QFETCH(QString, file);
        QCOMPARE(frmWorking(dir).aniCursorFile(), file);
    }

    void setMsgShowsTheHiddenDialog()
    {
        frmWorking w(m_withCursor.path());
        w.setMsg(QStringLiteral("Loading VOBs..."), QStringLiteral("ignored title"));
        QVERIFY(w.isVisible());
        QCOMPARE(w.message(), QStringLiteral("Loading VOBs..."));
        QVERIFY(QTest::qWaitForWindowActive(&w));
        QCOMPARE(w.windowTitle(), busyCaption);
        QVERIFY(w.aniCursor().hasPicture());
        QCOMPARE(w.aniCursor().hwnd()->parentWidget(), &w);
        QCOMPARE(w.aniCursor().hwnd()->pos(), QPoint(20, 20));
        QVERIFY(w.aniCursor().hwnd()->isVisible());
        test::saveScreenshot(w);
    }

    void setMsgOnAVisibleDialogOnlyChangesTheText()
    {
        QWidget other;
        frmWorking w(m_withCursor.path());
        w.setMsg(QStringLiteral("one"));
        QVERIFY(QTest::qWaitForWindowActive(&w));
        const QPointer<QWidget> picture = w.aniCursor().hwnd();
        const QRect geometry = w.geometry();
        activateElsewhere(other);

        w.setMsg(QStringLiteral("two"));
        QCOMPARE(w.message(), QStringLiteral("two"));
        QTest::qWait(50);
        QVERIFY(other.isActiveWindow()); // not taken back
        QVERIFY(picture);
        QCOMPARE(w.aniCursor().hwnd(), picture.data());
        QCOMPARE(w.geometry(), geometry);
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
        QVERIFY(w.aniCursor().hasPicture());
        QCOMPARE(w.findChildren<QWidget *>(QStringLiteral("aniCursorPicture")).size(), 1);
    }

    void worksWithoutTheCursorFile()
    {
        frmWorking w(m_empty.path());
        w.setMsg(QStringLiteral("Checking VOB --> /vobs/x"));
        QVERIFY(w.isVisible());
        QVERIFY(QTest::qWaitForWindowActive(&w));
        QCOMPARE(w.windowTitle(), busyCaption);
        QCOMPARE(w.message(), QStringLiteral("Checking VOB --> /vobs/x"));
        QVERIFY(!w.aniCursor().hasPicture());
    }

    void hiddenDialogKeepsMessageAndPicture()
    {
        frmWorking w(m_withCursor.path());
        w.setMsg(QStringLiteral("Done."));
        QVERIFY(QTest::qWaitForWindowActive(&w));
        w.hide();
        QCOMPARE(w.message(), QStringLiteral("Done."));
        QVERIFY(w.aniCursor().hasPicture());
        w.setMsg(QStringLiteral("again"));
        QVERIFY(w.isVisible());
        QVERIFY(w.windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    }

    void messagesAreShownAsPlainText()
    {
        frmWorking w(m_empty.path());
        w.setMsg(QStringLiteral("<b>/vobs/a&b</b>"));
        QCOMPARE(w.findChild<QLabel *>(QStringLiteral("mainLbl"))->textFormat(), Qt::PlainText);
    }
};

QTEST_MAIN(TestFrmWorking)
#include "tst_frmworking.moc"
