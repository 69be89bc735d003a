#include "AniBuilder.h"
#include "ui/cAniCursor.h"
#include "ui/frmWorking.h"

#include <QFile>
#include <QImage>
#include <QLabel>
#include <QPointer>
#include <QTemporaryDir>
#include <QTest>

using namespace quorvane;
using namespace quorvane::test::ani;

namespace {

const QString shipped = QStringLiteral(QUORVANE_SOURCE_DIR "/resources/anicursor.ani");

QRgb shownColour(const QWidget *w)
{
    const QImage img = qobject_cast<const QLabel *>(w)->pixmap().toImage();
    return img.pixel(img.width() / 2, img.height() / 2);
}

int pictures(const QWidget *parent)
{
    return int(parent->findChildren<QWidget *>(QStringLiteral("aniCursorPicture")).size());
}

void activate(QWidget &w)
{
    w.show();
    w.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&w));
}

} // namespace

// The working dialog and the animated picture it shows.
class TestWorkingDialog : public QObject {
    Q_OBJECT
    QTemporaryDir m_dir;
    QWidget *m_parent = nullptr;

    QString write(const QString &name, const QByteArray &bytes)
    {
        QFile f(m_dir.filePath(name));
        if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size())
            qFatal("cannot write the test file");
        return f.fileName();
    }

private slots:
    void init()
    {
        m_parent = new QWidget;
        m_parent->resize(200, 100);
        m_parent->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_parent));
    }
    void cleanup() { delete m_parent; }

    void createFailsAndChangesNothing_data()
    {
        QTest::addColumn<QByteArray>("bytes"); // null: no file
        QTest::addColumn<bool>("withParent");
        const QByteArray fakePng =
            QByteArray("\x89PNG\r\n\x1a\n\0\0\0\x0dIHDR\0\0\0\x20\0\0\0\x20", 24) + "xyz";
        QTest::newRow("missing file") << QByteArray() << true;
        QTest::newRow("not a cursor") << QByteArray("just text") << true;
        QTest::newRow("png that does not decode")
            << riff(anih(1, 1) + fram({icon({Entry{fakePng}})})) << true;
        QTest::newRow("no parent window") << simpleAni(2) << false;
    }
    void createFailsAndChangesNothing()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(bool, withParent);
        const QString name = QString::fromLatin1(QTest::currentDataTag()) + QStringLiteral(".ani");
        const QString file = bytes.isNull() ? m_dir.filePath(name) : write(name, bytes);
        QWidget *parent = withParent ? m_parent : nullptr;
        cAniCursor c;
        QVERIFY(!c.Create(file, parent, 5, 5));
        QVERIFY(!c.hasPicture() && c.Width() == 0 && pictures(m_parent) == 0);
        // With a picture in place, a failed Create leaves it alone.
        QVERIFY(c.Create(shipped, m_parent, 20, 20));
        QPointer<QWidget> before = c.hwnd();
        QVERIFY(!c.Create(file, parent, 60, 60));
        QCOMPARE(c.hwnd(), before.data());
        QCOMPARE(before->geometry(), QRect(20, 20, c.Width(), 32));
        QCOMPARE(pictures(m_parent), 1);
    }

    void createReplacesMovesAndReleasesThePicture()
    {
        QWidget other;
        auto *c = new cAniCursor;
        c->setLeft(40); // nothing to move yet
        QVERIFY(c->Create(shipped, m_parent, 20, 20));
        QVERIFY(c->hwnd()->isVisible());
        QCOMPARE(QList<int>({c->Width(), c->Height(), c->Left()}), QList<int>({32, 32, 0}));
        c->setLeft(40);
        c->setTop(7);
        QCOMPARE(c->hwnd()->pos(), QPoint(40, 7));
        // A new picture replaces the old one where Create says; Left and Top keep their values.
        QPointer<QWidget> first = c->hwnd();
        QVERIFY(c->Create(write(QStringLiteral("two.ani"), simpleAni(2)), &other, 1, 2));
        QVERIFY(!first);
        QCOMPARE(pictures(m_parent), 0);
        QCOMPARE(c->hwnd()->geometry(), QRect(1, 2, 2, 2));
        QCOMPARE(QList<int>({c->Width(), c->Height(), c->Left(), c->Top()}), QList<int>({2, 2, 40, 7}));
        delete c;
        QCOMPARE(pictures(&other), 0);
        // The parent may go first: the picture goes with it and moves are ignored again.
        cAniCursor d;
        QVERIFY(d.Create(shipped, m_parent, 20, 20));
        delete m_parent;
        m_parent = nullptr;
        QVERIFY(!d.hasPicture() && !d.hwnd());
        d.setLeft(1);
        QCOMPARE(d.Left(), 0);
    }

    void playsTheSequenceAtItsRates()
    {
        // Steps show frames 2, 0, 1 (blue 3, 1, 2) for 1, 1 and 600 jiffies.
        const QByteArray three = simpleAni(3);
        const QByteArray seqAni = riff(anih(3, 3, 6, 3) + chunk("rate", dwords({1, 1, 600})) +
                                       chunk("seq ", dwords({2, 0, 1})) + three.mid(three.indexOf("LIST")));
        cAniCursor c;
        QVERIFY(c.Create(write(QStringLiteral("seq.ani"), seqAni), m_parent, 0, 0));
        QCOMPARE(QPoint(c.currentStep(), c.stepCount()), QPoint(0, 3));
        QCOMPARE(shownColour(c.hwnd()), QRgb(0xff000003));
        QTRY_COMPARE(c.currentStep(), 2);
        QCOMPARE(shownColour(c.hwnd()), QRgb(0xff000002));
        QTest::qWait(150); // ten seconds on the last step
        QCOMPARE(c.currentStep(), 2);
    }

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
        QVERIFY(!withCursor || QFile::copy(shipped, dir.filePath(QStringLiteral("anicursor.ani"))));
        frmWorking w(dir.path() + QLatin1Char('/'));
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
};

QTEST_MAIN(TestWorkingDialog)
#include "tst_workingdialog.moc"
