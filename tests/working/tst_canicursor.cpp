#include "AniBuilder.h"
#include "ui/cAniCursor.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QLabel>
#include <QPointer>
#include <QTemporaryDir>
#include <QTest>
#include <QWidget>

using namespace quorvane;
using namespace quorvane::test::ani;

namespace {

const QString shipped = QStringLiteral(QUORVANE_SOURCE_DIR "/resources/anicursor.ani");

// The colour the picture window shows at its centre.
QRgb shownColour(const QWidget *w)
{
    const auto *label = qobject_cast<const QLabel *>(w);
    const QImage img = label->pixmap().toImage();
    return img.pixel(img.width() / 2, img.height() / 2);
}

QList<QWidget *> pictures(const QWidget *parent)
{
    return parent->findChildren<QWidget *>(QStringLiteral("aniCursorPicture"));
}

} // namespace

class TestCAniCursor : public QObject {
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

    void createShowsThePictureAtItsPlace()
    {
        cAniCursor c;
        QVERIFY(!c.hasPicture());
        QCOMPARE(c.currentStep(), -1);
        QVERIFY(c.Create(shipped, m_parent, 20, 20));
        QVERIFY(c.hasPicture());
        QWidget *w = c.hwnd();
        QCOMPARE(w->parentWidget(), m_parent);
        QCOMPARE(w->geometry(), QRect(20, 20, 32, 32));
        QVERIFY(w->isVisible());
        QCOMPARE(c.Width(), 32);
        QCOMPARE(c.Height(), 32);
        QCOMPARE(c.Left(), 0); // not set by Create
        QCOMPARE(c.Top(), 0);
        QCOMPARE(c.stepCount(), 12);
    }

    void createFailsAndChangesNothing_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("withParent");
        QTest::newRow("missing file") << QStringLiteral("nothing-here.ani") << true;
        QTest::newRow("directory") << QStringLiteral(".") << true;
        QTest::newRow("empty name") << QString() << true;
        QTest::newRow("empty file") << QStringLiteral("empty.ani") << true;
        QTest::newRow("not a cursor") << QStringLiteral("text.ani") << true;
        QTest::newRow("broken frame") << QStringLiteral("broken.ani") << true;
        QTest::newRow("png that does not decode") << QStringLiteral("badpng.ani") << true;
        QTest::newRow("no parent window") << QStringLiteral("good.ani") << false;
    }
    void createFailsAndChangesNothing()
    {
        QFETCH(QString, name);
        QFETCH(bool, withParent);
        write(QStringLiteral("empty.ani"), {});
        write(QStringLiteral("text.ani"), "just some text, no cursor");
        write(QStringLiteral("broken.ani"), simpleAni(2).chopped(10));
        write(QStringLiteral("good.ani"), simpleAni(2));
        const QByteArray fakePng = QByteArray("\x89PNG\r\n\x1a\n\0\0\0\x0dIHDR\0\0\0\x20\0\0\0\x20", 24)
            + QByteArray(40, 'x');
        write(QStringLiteral("badpng.ani"), riff(anih(1, 1) + fram({icon({Entry{fakePng}})})));
        const QString file = name.isEmpty() ? name : m_dir.filePath(name);

        cAniCursor c;
        QVERIFY(!c.Create(file, withParent ? m_parent : nullptr, 5, 5));
        QVERIFY(!c.hasPicture());
        QCOMPARE(c.Width(), 0);
        QVERIFY(pictures(m_parent).isEmpty());

        // With a picture in place, a failed Create leaves it alone.
        QVERIFY(c.Create(shipped, m_parent, 20, 20));
        QPointer<QWidget> before = c.hwnd();
        QVERIFY(!c.Create(file, withParent ? m_parent : nullptr, 60, 60));
        QVERIFY(before);
        QCOMPARE(c.hwnd(), before.data());
        QCOMPARE(before->pos(), QPoint(20, 20));
        QCOMPARE(c.Width(), 32);
        QCOMPARE(pictures(m_parent).size(), 1);
    }

    void createReleasesThePreviousPicture()
    {
        QWidget other;
        cAniCursor c;
        QVERIFY(c.Create(shipped, m_parent, 20, 20));
        QPointer<QWidget> first = c.hwnd();
        QVERIFY(c.Create(write(QStringLiteral("two.ani"), simpleAni(2)), &other, 1, 2));
        QVERIFY(!first);
        QVERIFY(pictures(m_parent).isEmpty());
        QCOMPARE(pictures(&other).size(), 1);
        QCOMPARE(c.hwnd()->geometry(), QRect(1, 2, 2, 2));
        QCOMPARE(c.Width(), 2);
        QCOMPARE(c.Height(), 2);
    }

    void leftAndTopMoveOnlyAnExistingPicture()
    {
        cAniCursor c;
        c.setLeft(40);
        c.setTop(7);
        QCOMPARE(c.Left(), 0);
        QCOMPARE(c.Top(), 0);

        QVERIFY(c.Create(shipped, m_parent, 20, 20));
        c.setLeft(40);
        QCOMPARE(c.Left(), 40);
        QCOMPARE(c.hwnd()->pos(), QPoint(40, 0)); // Top is still its stored 0
        c.setTop(7);
        QCOMPARE(c.hwnd()->geometry(), QRect(40, 7, 32, 32));

        // A new picture goes where Create says; the stored values stay.
        QVERIFY(c.Create(shipped, m_parent, 20, 20));
        QCOMPARE(c.hwnd()->pos(), QPoint(20, 20));
        QCOMPARE(c.Left(), 40);
        QCOMPARE(c.Top(), 7);

        // Once the picture is gone with its parent, writes are ignored again.
        delete m_parent;
        m_parent = nullptr;
        QVERIFY(!c.hasPicture());
        c.setLeft(1);
        QCOMPARE(c.Left(), 40);
    }

    void playsTheSequenceAtItsRates()
    {
        // Frame colours 1, 2, 3 (blue); steps show frames 2, 0, 1 for 1, 1 and 600 jiffies.
        const QByteArray file = simpleAni(3);
        const QByteArray seqAni = riff(anih(3, 3, 6, 3) + chunk("rate", dwords({1, 1, 600}))
                                       + chunk("seq ", dwords({2, 0, 1}))
                                       + file.mid(file.indexOf("LIST")));
        cAniCursor c;
        QVERIFY(c.Create(write(QStringLiteral("seq.ani"), seqAni), m_parent, 0, 0));
        QCOMPARE(c.stepCount(), 3);
        QCOMPARE(c.currentStep(), 0);
        QCOMPARE(shownColour(c.hwnd()), QRgb(0xff000003));
        QTRY_COMPARE(c.currentStep(), 2);
        QCOMPARE(shownColour(c.hwnd()), QRgb(0xff000002));
        // Ten seconds on the last step: it must still be showing a moment later.
        QTest::qWait(150);
        QCOMPARE(c.currentStep(), 2);
    }

    void stopsWhileHiddenAndGoesOnWhenShown()
    {
        cAniCursor c;
        QVERIFY(c.Create(write(QStringLiteral("fast.ani"), simpleAni(3, {}, 1)), m_parent, 0, 0));
        QTRY_VERIFY(c.currentStep() > 0);
        m_parent->hide();
        const int step = c.currentStep();
        QTest::qWait(100);
        QCOMPARE(c.currentStep(), step);
        m_parent->show();
        QTRY_VERIFY(c.currentStep() != step);
    }

    void showsPngFrames()
    {
        QImage img(24, 16, QImage::Format_ARGB32);
        img.fill(QColor(10, 200, 30));
        QByteArray png;
        QBuffer buffer(&png);
        buffer.open(QIODevice::WriteOnly);
        QVERIFY(img.save(&buffer, "PNG"));
        cAniCursor c;
        QVERIFY(c.Create(write(QStringLiteral("png.ani"), riff(anih(1, 1) + fram({icon({Entry{png, 24}})}))),
                         m_parent, 3, 4));
        QCOMPARE(c.hwnd()->geometry(), QRect(3, 4, 24, 16));
        QCOMPARE(shownColour(c.hwnd()), qRgb(10, 200, 30));
    }

    void endingReleasesThePicture()
    {
        auto *c = new cAniCursor;
        QVERIFY(c->Create(shipped, m_parent, 20, 20));
        QPointer<QWidget> w = c->hwnd();
        delete c;
        QVERIFY(!w);
        QVERIFY(pictures(m_parent).isEmpty());

        // The parent may go first; the object then has nothing left to release.
        cAniCursor d;
        QVERIFY(d.Create(shipped, m_parent, 20, 20));
        delete m_parent;
        m_parent = nullptr;
        QVERIFY(!d.hasPicture());
        QCOMPARE(d.hwnd(), nullptr);
    }
};

QTEST_MAIN(TestCAniCursor)
#include "tst_canicursor.moc"
