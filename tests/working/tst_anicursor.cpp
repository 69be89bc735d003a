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

// A frame list of solid cursors; frame i has the colour 0xff000001 + i.
QByteArray solidFrames(int frames)
{
    QList<QByteArray> icons;
    for (int i = 0; i < frames; ++i)
        icons.append(solidCursor(0xff000001u + quint32(i)));
    return fram(icons);
}

QByteArray readFile(const QString &name)
{
    QFile f(name);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// A PNG stream starts with its signature and the IHDR chunk holding its size.
const QByteArray pngStart("\x89PNG\r\n\x1a\n\0\0\0\x0dIHDR", 16);

// A copy with nothing after it, so that a read past the end leaves the buffer.
AniParseResult parseExact(const QByteArray &file)
{
    return AniCursorFile::parse(QByteArray(file.constData(), file.size()));
}

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
    void shippedCursorIsTheGeneratedSpinner()
    {
        const QByteArray file = readFile(shipped);
        QVERIFY2(
            file == readFile(QStringLiteral(QUORVANE_BIN_DIR "/anicursor.ani")),
            "resources/anicursor.ani differs from what the generator draws: copy the built file over it");
        const AniParseResult r = AniCursorFile::parse(file);
        QVERIFY2(r.cursor, qPrintable(r.error));
        QCOMPARE(r.cursor->frames.size(), 12);
        QCOMPARE(r.cursor->rates, QList<quint32>(12, 5));
        const AniImage &f = r.cursor->frames[3];
        QCOMPARE(QList<int>({f.width, f.height, f.hotspotX, f.hotspotY}), QList<int>({32, 32, 16, 16}));
        QCOMPARE(qAlpha(f.argb.first()), 0); // transparent corner
    }

    // A 1-bit bitmap and its mask are decoded; a PNG is passed on with its header's size.
    void decodeIcon()
    {
        const QList<bool> mask = {false, true, false, false};
        const auto bmp =
            AniCursorFile::decodeIcon(icon(dib(2, 1, {0x000000, 0xffffff}, {1, 1, 0, 1}, mask), 1));
        QVERIFY(bmp);
        QCOMPARE(bmp->argb, (QList<quint32>{0xffffffff, 0, 0xff000000, 0xffffffff}));
        const QByteArray png = pngStart + QByteArray("\0\0\0\x30\0\0\0\x18", 8) + "idat";
        const auto img = AniCursorFile::decodeIcon(icon(png));
        QVERIFY(img);
        QCOMPARE(QList<int>({img->width, img->height}), QList<int>({48, 24}));
        QCOMPARE(img->png, png);
    }

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
        row("frame past its list", riff(h + chunk("LIST", QByteArray("fram") + chunk("icon", good, 5000))),
            "frame runs past the end of the frame list");
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
        const AniParseResult r = parseExact(file);
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

    // A failing Create changes nothing, whether or not a picture is in place.
    void createFails_data()
    {
        QTest::addColumn<QByteArray>("bytes"); // null: no file
        QTest::addColumn<bool>("withParent");
        QTest::newRow("missing file") << QByteArray() << true;
        QTest::newRow("not a cursor") << QByteArray("just text") << true;
        QTest::newRow("png that does not decode")
            << riff(anih(1, 1) + fram({icon(pngStart + QByteArray("\0\0\0\x20\0\0\0\x20xy", 10))})) << true;
        QTest::newRow("no parent window") << riff(anih(2, 2) + solidFrames(2)) << false;
    }
    void createFails()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(bool, withParent);
        const QString name = QString::fromLatin1(QTest::currentDataTag()) + QStringLiteral(".ani");
        const QString file = bytes.isNull() ? m_dir.filePath(name) : write(name, bytes);
        QWidget *parent = withParent ? m_parent : nullptr;
        cAniCursor c;
        QVERIFY(!c.Create(file, parent, 5, 5));
        QVERIFY(!c.hasPicture() && c.Width() == 0 && pictures(m_parent) == 0);
        QVERIFY(c.Create(shipped, m_parent, 20, 20));
        QPointer<QWidget> before = c.hwnd();
        QVERIFY(!c.Create(file, parent, 60, 60));
        QCOMPARE(c.hwnd(), before.data());
        QCOMPARE(before->geometry(), QRect(20, 20, 32, 32));
        QCOMPARE(pictures(m_parent), 1);
    }

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
                 chunk("rate", dwords({1, 1, 1, 600})) + anih(3, 4, 6, 3) + solidFrames(3)) +
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
        QCOMPARE(w.aniCursor().hwnd()->geometry(), QRect(20, 20, 32, 32));
        w.setMsg(QStringLiteral("two")); // only the text changes
        QCOMPARE(w.message(), QStringLiteral("two"));
        QCOMPARE(pictures(&w), 1);
    }

    // A message set while the dialog shows is measured when the dialog is
    // drawn, not at once; by then the dialog has grown to hold it, and
    // shrinks again for a short one.
    void shownDialogFitsEachMessageWhenDrawn()
    {
        QTemporaryDir dir;
        frmWorking w(dir.path() + QLatin1Char('/'));
        w.setMsg(QStringLiteral("short"));
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        const auto *label = w.findChild<QLabel *>(QStringLiteral("mainLbl"));
        const int oneLine = w.height();
        const QString longer = QStringLiteral("Checking VOB --> /vobs/") + QStringLiteral("long_component_name/").repeated(12);
        w.setMsg(longer);
        QCOMPARE(w.height(), oneLine); // not measured yet
        QTRY_VERIFY(w.height() > oneLine);
        QVERIFY(label->height() >= label->heightForWidth(label->width()));
        w.setMsg(QStringLiteral("short"));
        QTRY_COMPARE(w.height(), oneLine);
    }
};

QTEST_MAIN(TestAniCursor)
#include "tst_anicursor.moc"
