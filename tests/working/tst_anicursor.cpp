#include "common/AniCursorFile.h"
#include "ui/cAniCursor.h"
#include "ui/frmWorking.h"

#include <QFile>
#include <QImage>
#include <QLabel>
#include <QPointer>
#include <QTemporaryDir>
#include <QTest>
#include <QtEndian>

using namespace quorvane;

namespace {

// Animated cursor files built byte by byte: exactly the good and broken files the tests need.
QByteArray le(quint32 v, int bytes = 4)
{
    QByteArray b(4, '\0');
    qToLittleEndian(v, b.data());
    return b.left(bytes);
}

QByteArray dwords(const QList<quint32> &values)
{
    QByteArray b;
    for (quint32 v : values)
        b += le(v);
    return b;
}

// A chunk; `claimedSize` >= 0 writes a size that differs from the body.
QByteArray chunk(const char *tag, const QByteArray &body, qint64 claimedSize = -1)
{
    const QByteArray b = QByteArray(tag, 4) + le(quint32(claimedSize < 0 ? body.size() : claimedSize)) + body;
    return body.size() % 2 ? b + '\0' : b;
}

QByteArray riff(const QByteArray &chunks, qint64 claimedSize = -1)
{
    return chunk("RIFF", "ACON" + chunks, claimedSize);
}

QByteArray anih(quint32 frames, quint32 steps, quint32 rate = 6, quint32 flags = 1)
{
    return chunk("anih", dwords({36, frames, steps, 0, 0, 0, 0, rate, flags}));
}

QByteArray fram(const QList<QByteArray> &icons)
{
    QByteArray b("fram");
    for (const QByteArray &icon : icons)
        b += chunk("icon", icon);
    return chunk("LIST", b);
}

// A square bitmap as icons store it: header (height doubled), palette, colour rows, then mask rows (none
// if `transparent` is empty), bottom-up and padded to 4 bytes. Pixels top-down: ARGB or palette indices.
QByteArray dib(int side, int bpp, const QList<quint32> &palette, const QList<quint32> &pixels,
               const QList<bool> &transparent)
{
    QByteArray b = dwords({40, quint32(side), quint32(2 * side)}) + le(1, 2) + le(quint32(bpp), 2) +
                   dwords({0, 0, 0, 0, quint32(palette.size()), 0}) + dwords(palette);
    const auto rows = [&](int depth, auto value) {
        for (int y = side - 1; y >= 0; --y) {
            QByteArray row(((side * depth + 31) / 32) * 4, '\0');
            for (int x = 0; x < side; ++x) {
                const quint32 p = value(y * side + x);
                if (depth == 32)
                    row.replace(x * 4, 4, le(p));
                else
                    row[x * depth / 8] =
                        char(quint8(row[x * depth / 8]) | (p << (8 - depth - x * depth % 8)));
            }
            b += row;
        }
    };
    rows(bpp, [&](int i) { return pixels.value(i); });
    if (!transparent.isEmpty())
        rows(1, [&](int i) { return quint32(transparent.value(i)); });
    return b;
}

// An ICO (type 1) or CUR (type 2) resource holding one 32-pixel image, hotspot (1, 0).
// Its directory entry keeps the image size at byte 14 and the offset at byte 18.
QByteArray icon(const QByteArray &image, quint16 type = 2)
{
    return le(0, 2) + le(type, 2) + le(1, 2) + dwords({0x2020, 1, quint32(image.size()), 22}) + image;
}

// A 2x2 cursor whose pixels are all `argb`.
QByteArray solidCursor(quint32 argb)
{
    return icon(dib(2, 32, {}, QList<quint32>(4, argb), QList<bool>(4, false)));
}

// A PNG stream starts with its signature and the IHDR chunk holding its size.
const QByteArray pngStart("\x89PNG\r\n\x1a\n\0\0\0\x0dIHDR", 16);

const QString shipped = QStringLiteral(QUORVANE_SOURCE_DIR "/resources/anicursor.ani");

QRgb shownColour(const QWidget *w)
{
    const QImage img = qobject_cast<const QLabel *>(w)->pixmap().toImage();
    return img.pixel(img.width() / 2, img.height() / 2);
}

qsizetype pictures(const QWidget *parent)
{
    return parent->findChildren<QWidget *>(QStringLiteral("aniCursorPicture")).size();
}

} // namespace

// The animated cursor file reader, the picture that plays it and the working dialog that shows it.
class TestAniCursor : public QObject {
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

    // One crafted file per way a file can be broken.
    void malformedFilesFailCleanly_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QString>("why");
        const QByteArray h = anih(1, 1);
        const QByteArray good = solidCursor(0xff123456);
        const QByteArray img = dib(2, 32, {}, {1, 1, 1, 1}, QList<bool>(4, false));
        const auto row = [&](const char *name, const QByteArray &file, const char *why) {
            QTest::newRow(name) << file << QString::fromLatin1(why);
        };
        const auto withIcon = [&](const QByteArray &ico) {
            return riff(h + fram({ico}));
        };
        row("empty", {}, "not an animated cursor (no RIFF ACON header)");
        row("RIFF size past end", riff(h + fram({good}), 0xffffffff), "RIFF size runs past the end");
        row("chunk size wraps", riff(h + chunk("junk", "", 0xfffffff8)), "chunk 'junk' runs past the end");
        row("absurd frame count", riff(anih(0xffffffff, 1) + fram({good})), "bad frame count");
        // The last frame of the file, a byte longer than what is left.
        row("frame a byte past the file",
            riff(h + chunk("LIST", QByteArray("fram") + chunk("icon", good, good.size() + 1))),
            "frame runs past the end of the frame list");
        row("chunk a byte past the file", riff(h + fram({good}) + chunk("junk", "abcd", 5)),
            "chunk 'junk' runs past the end");
        row("seq index huge", riff(h + chunk("seq ", dwords({0xffffffff})) + fram({good})),
            "step 0 shows frame 4294967295 of");
        row("icon too short", withIcon(QByteArray("\0\0\2\0", 4)), "not an icon or cursor image");
        row("entry offset+size wraps", withIcon(icon(img).replace(14, 8, dwords({0x20, 0xfffffff0}))),
            "icon image lies outside its data");
        row("truncated mask", withIcon(icon(img.chopped(4))), "truncated transparency mask");
        row("width 0", withIcon(icon(dib(0, 32, {}, {}, {}))), "bitmap of unsupported size");
        row("palette index out of range", withIcon(icon(dib(2, 4, {0, 0xffffff}, {0, 1, 5, 0}, {}))),
            "palette index out of range");
        row("truncated png", withIcon(icon(pngStart)), "truncated PNG image");
    }
    void malformedFilesFailCleanly()
    {
        QFETCH(QByteArray, file);
        QFETCH(QString, why);
        // A copy with nothing after it, so that a read past the end leaves the buffer.
        const AniParseResult r = AniCursorFile::parse(QByteArray(file.constData(), file.size()));
        QVERIFY(!r.cursor);
        QVERIFY2(r.error.contains(why), qPrintable(r.error));
    }

    void init()
    {
        m_parent = new QWidget;
        m_parent->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_parent));
    }
    void cleanup() { delete m_parent; }

    // A new picture replaces the old one and plays its sequence at its rates;
    // Left and Top move the picture and keep their values across Creates.
    void createReplacesMovesPlaysAndReleases()
    {
        QWidget other; // shown: a hidden picture does not play
        other.show();
        auto *c = new cAniCursor;
        c->setLeft(40); // nothing to move yet
        QVERIFY(c->Create(shipped, m_parent, 20, 20));
        QVERIFY(c->hwnd()->isVisible());
        QCOMPARE(QList<int>({c->Width(), c->Height(), c->Left()}), QList<int>({32, 32, 0}));
        c->setLeft(40);
        c->setTop(7);
        QCOMPARE(c->hwnd()->pos(), QPoint(40, 7));
        QPointer<QWidget> first = c->hwnd();
        // Chunks in any order, an odd-sized unknown chunk, a sequence longer than the frames and bytes
        // after the RIFF data; the steps show frames 2, 0, 2, 1 (blue 3, 1, 3, 2) for 1, 1, 1, 600 jiffies.
        const QByteArray seqAni =
            riff(chunk("seq ", dwords({2, 0, 2, 1})) + chunk("junk", "abc") +
                 chunk("rate", dwords({1, 1, 1, 600})) + anih(3, 4, 6, 3) +
                 fram({solidCursor(0xff000001), solidCursor(0xff000002), solidCursor(0xff000003)})) +
            QByteArray(9, '\xff');
        QVERIFY(c->Create(write(QStringLiteral("seq.ani"), seqAni), &other, 1, 2));
        QVERIFY(!first);
        QCOMPARE(c->hwnd()->geometry(), QRect(1, 2, 2, 2));
        QCOMPARE(QList<int>({c->Width(), c->Height(), c->Left(), c->Top()}), QList<int>({2, 2, 40, 7}));
        QCOMPARE(QPoint(c->currentStep(), c->stepCount()), QPoint(0, 4));
        QCOMPARE(shownColour(c->hwnd()), QRgb(0xff000003));
        QTRY_COMPARE(c->currentStep(), 3);
        QCOMPARE(shownColour(c->hwnd()), QRgb(0xff000002));
        QTest::qWait(150); // ten seconds on the last step
        QCOMPARE(c->currentStep(), 3);
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

    // With the cursor file and without it.
    void setMsgShowsTheTopmostDialog()
    {
        QTemporaryDir dir;
        for (const bool withCursor : {false, true}) {
            QVERIFY(!withCursor || QFile::copy(shipped, dir.filePath(QStringLiteral("anicursor.ani"))));
            frmWorking w(dir.path() + QLatin1Char('/'));
            QVERIFY(w.windowFlags().testFlag(Qt::WindowStaysOnTopHint) && !w.isVisible());
            w.setMsg(QStringLiteral("<b>/vobs/a&b</b>"), QStringLiteral("ignored title"));
            QVERIFY(QTest::qWaitForWindowActive(&w));
            QCOMPARE(w.findChild<QLabel *>(QStringLiteral("mainLbl"))->textFormat(), Qt::PlainText);
            QCOMPARE(w.windowTitle(), QStringLiteral("Quorvane busy working..."));
            QCOMPARE(w.aniCursor().hasPicture(), withCursor);
            if (withCursor) {
                QCOMPARE(w.aniCursor().hwnd()->geometry(), QRect(20, 20, 32, 32));
                w.setMsg(QStringLiteral("two")); // only the text changes
                QCOMPARE(w.message(), QStringLiteral("two"));
                QCOMPARE(pictures(&w), 1);
            }
        }
    }

};

QTEST_MAIN(TestAniCursor)
#include "tst_anicursor.moc"
