#include "AniBuilder.h"
#include "ui/AniCursorFile.h"

#include <QFile>
#include <QRandomGenerator>
#include <QTest>

using namespace quorvane;
using namespace quorvane::test::ani;

namespace {

QByteArray readFile(const QString &name)
{
    QFile f(name);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

quint32 at(const AniImage &img, int x, int y) { return img.argb.value(qsizetype(y) * img.width + x); }

} // namespace

class TestAniCursorFile : public QObject {
    Q_OBJECT
private slots:
    void shippedCursorIsTwelveSpinningFrames()
    {
        const QByteArray file = readFile(QStringLiteral(QUORVANE_SOURCE_DIR "/resources/anicursor.ani"));
        QVERIFY(!file.isEmpty());
        const AniParseResult r = AniCursorFile::parse(file);
        QVERIFY2(r.cursor, qPrintable(r.error));
        QCOMPARE(r.cursor->frames.size(), 12);
        QCOMPARE(r.cursor->sequence, QList<int>({0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11}));
        QCOMPARE(r.cursor->rates, QList<quint32>(12, 5));
        for (const AniImage &f : r.cursor->frames) {
            QCOMPARE(f.width, 32);
            QCOMPARE(f.height, 32);
            QCOMPARE(f.hotspotX, 16);
            QCOMPARE(f.hotspotY, 16);
            QCOMPARE(at(f, 0, 0), 0u);       // corners are transparent
            QCOMPARE(at(f, 16, 16), 0u);     // so is the middle of the ring
        }
        // Frame 0 has its bright head at the top (16, 5), frame 3 at the right (27, 16).
        QCOMPARE(qAlpha(at(r.cursor->frames[0], 16, 5)), 255);
        QCOMPARE(qAlpha(at(r.cursor->frames[3], 27, 16)), 255);
        QVERIFY(qAlpha(at(r.cursor->frames[3], 16, 5)) < 255);
        QVERIFY(r.cursor->frames[0].argb != r.cursor->frames[1].argb);
    }

    void shippedCursorMatchesTheGenerator()
    {
        const QByteArray built = readFile(QStringLiteral(QUORVANE_BIN_DIR "/anicursor.ani"));
        QVERIFY2(!built.isEmpty(), "the build did not draw anicursor.ani beside the program");
        QVERIFY2(built == readFile(QStringLiteral(QUORVANE_SOURCE_DIR "/resources/anicursor.ani")),
                 "resources/anicursor.ani is stale: copy the generated file over it");
    }

    void wellFormedVariants_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QList<int>>("sequence");
        QTest::addColumn<QList<quint32>>("rates");
        const QList<QByteArray> three = {solidCursor(0xff000001), solidCursor(0xff000002), solidCursor(0xff000003)};
        QTest::newRow("no rate, no seq") << simpleAni(3) << QList<int>{0, 1, 2} << QList<quint32>{6, 6, 6};
        QTest::newRow("rate per step")
            << simpleAni(3, chunk("rate", dwords({1, 2, 30}))) << QList<int>{0, 1, 2} << QList<quint32>{1, 2, 30};
        QTest::newRow("seq longer than the frames")
            << riff(anih(3, 5, 4, 3) + chunk("seq ", dwords({0, 1, 2, 1, 0})) + fram(three))
            << QList<int>{0, 1, 2, 1, 0} << QList<quint32>{4, 4, 4, 4, 4};
        QTest::newRow("fewer steps than frames") << riff(anih(3, 2) + fram(three)) << QList<int>{0, 1}
                                                 << QList<quint32>{6, 6};
        QTest::newRow("rate and seq before the header")
            << riff(chunk("rate", dwords({7, 8})) + chunk("seq ", dwords({2, 0})) + anih(3, 2) + fram(three))
            << QList<int>{2, 0} << QList<quint32>{7, 8};
        QTest::newRow("odd unknown chunk and INFO list skipped")
            << riff(chunk("junk", "abc") + chunk("LIST", QByteArray("INFOINAM") + le32(3) + "ab" + '\0' + '\0')
                    + anih(3, 3) + fram(three))
            << QList<int>{0, 1, 2} << QList<quint32>{6, 6, 6};
        QTest::newRow("bytes after the RIFF are ignored")
            << simpleAni(3) + QByteArray(10, '\xff') << QList<int>{0, 1, 2} << QList<quint32>{6, 6, 6};
    }
    void wellFormedVariants()
    {
        QFETCH(QByteArray, file);
        QFETCH(QList<int>, sequence);
        QFETCH(QList<quint32>, rates);
        const AniParseResult r = AniCursorFile::parse(file);
        QVERIFY2(r.cursor, qPrintable(r.error));
        QVERIFY(r.error.isEmpty());
        QCOMPARE(r.cursor->frames.size(), 3);
        for (int i = 0; i < 3; ++i)
            QCOMPARE(r.cursor->frames[i].argb, QList<quint32>(4, 0xff000001u + quint32(i)));
        QCOMPARE(r.cursor->sequence, sequence);
        QCOMPARE(r.cursor->rates, rates);
    }

    void bitmapFormats_data()
    {
        QTest::addColumn<QByteArray>("image");
        QTest::addColumn<QList<quint32>>("expected"); // 2x2, top-down
        const QList<bool> mask = {false, true, false, false};
        Dib d;
        d.transparent = mask;

        d.bpp = 1;
        d.palette = {0x000000, 0xffffff};
        d.pixels = {1, 1, 0, 1};
        QTest::newRow("1 bpp") << dib(d) << QList<quint32>{0xffffffff, 0, 0xff000000, 0xffffffff};
        d.bpp = 4;
        d.palette = {0x000000, 0x112233, 0x445566, 0x778899, 0xaabbcc};
        d.pixels = {4, 0, 1, 2};
        QTest::newRow("4 bpp, short palette") << dib(d) << QList<quint32>{0xffaabbcc, 0, 0xff112233, 0xff445566};
        d.bpp = 8;
        d.palette = QList<quint32>(200, 0x010203);
        d.palette[199] = 0xfedcba;
        d.pixels = {199, 0, 0, 199};
        QTest::newRow("8 bpp") << dib(d) << QList<quint32>{0xfffedcba, 0, 0xff010203, 0xfffedcba};
        d.bpp = 24;
        d.palette.clear();
        d.pixels = {0x102030, 0x405060, 0x708090, 0xa0b0c0};
        QTest::newRow("24 bpp") << dib(d) << QList<quint32>{0xff102030, 0, 0xff708090, 0xffa0b0c0};
        d.bpp = 32;
        QTest::newRow("32 bpp, mask only") << dib(d) << QList<quint32>{0xff102030, 0, 0xff708090, 0xffa0b0c0};
        d.pixels = {0x80102030, 0x00405060, 0xff708090, 0x01a0b0c0};
        d.transparent.clear();
        QTest::newRow("32 bpp alpha, no mask")
            << dib(d) << QList<quint32>{0x80102030, 0x00405060, 0xff708090, 0x01a0b0c0};
    }
    void bitmapFormats()
    {
        QFETCH(QByteArray, image);
        QFETCH(QList<quint32>, expected);
        QString error;
        const std::optional<AniImage> img = AniCursorFile::decodeIcon(icon({Entry{image, 2}}, 1), &error);
        QVERIFY2(img, qPrintable(error));
        QCOMPARE(img->width, 2);
        QCOMPARE(img->height, 2);
        QCOMPARE(img->argb, expected);
        QVERIFY(img->png.isEmpty());
    }

    void cursorEntryNearestThirtyTwoAndClampedHotspot()
    {
        Dib small, mid, big;
        small.width = small.height = 16;
        mid.width = mid.height = 32;
        big.width = big.height = 48;
        for (Dib *d : {&small, &mid, &big}) {
            d->pixels = QList<quint32>(d->width * d->height, 0xff0000ffu);
            d->transparent = QList<bool>(d->width * d->height, false);
        }
        const std::optional<AniImage> img = AniCursorFile::decodeIcon(
            icon({Entry{dib(small), 16}, Entry{dib(big), 48}, Entry{dib(mid), 32, 40, 7}}));
        QVERIFY(img);
        QCOMPARE(img->width, 32);
        QCOMPARE(img->hotspotX, 31);
        QCOMPARE(img->hotspotY, 7);
        QCOMPARE(at(*img, 31, 31), 0xff0000ffu);
    }

    void pngEntryPassedOnWithItsSize()
    {
        const QByteArray png = QByteArray("\x89PNG\r\n\x1a\n", 8) + le32(0x0d000000) + "IHDR"
            + QByteArray("\0\0\0\x30\0\0\0\x18", 8) + QByteArray(20, '\0');
        const std::optional<AniImage> img = AniCursorFile::decodeIcon(icon({Entry{png, 48}}));
        QVERIFY(img);
        QCOMPARE(img->width, 48);
        QCOMPARE(img->height, 24);
        QCOMPARE(img->png, png);
        QVERIFY(img->argb.isEmpty());
    }

    void malformedFilesFailCleanly_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QString>("why");
        const QByteArray good = solidCursor(0xff123456);
        const QByteArray header = anih(1, 1);
        auto withIcon = [&](const QByteArray &ico) { return riff(header + fram({ico})); };
        Dib d;
        d.pixels = {1, 1, 1, 1};
        d.transparent = {false, false, false, false};

        QTest::newRow("empty") << QByteArray()
            << QStringLiteral("not an animated cursor (no RIFF ACON header)");
        QTest::newRow("not RIFF") << QByteArray("RIFX\4\0\0\0ACON")
            << QStringLiteral("not an animated cursor (no RIFF ACON header)");
        QTest::newRow("RIFF but not ACON") << QByteArray("RIFF\4\0\0\0WAVE")
            << QStringLiteral("not an animated cursor (no RIFF ACON header)");
        QTest::newRow("RIFF size past end") << riff(header + fram({good}), 0x7fffffff)
            << QStringLiteral("RIFF size runs past the end of the file");
        QTest::newRow("RIFF size 0xffffffff") << riff(header + fram({good}), 0xffffffff)
            << QStringLiteral("RIFF size runs past the end of the file");
        QTest::newRow("chunk size past end") << riff(header + chunk("LIST", "fram", 1000))
            << QStringLiteral("chunk 'LIST' runs past the end of the file");
        QTest::newRow("chunk size 0xfffffff8") << riff(header + chunk("junk", "", 0xfffffff8))
            << QStringLiteral("chunk 'junk' runs past the end of the file");
        QTest::newRow("truncated chunk header") << riff(header + fram({good}) + "ra")
            << QStringLiteral("truncated chunk header");
        QTest::newRow("no anih") << riff(fram({good}))
            << QStringLiteral("missing or short 'anih' header");
        QTest::newRow("short anih") << riff(chunk("anih", le32(36) + le32(1)) + fram({good}))
            << QStringLiteral("missing or short 'anih' header");
        QTest::newRow("zero frames") << riff(anih(0, 1) + fram({good}))
            << QStringLiteral("bad frame count");
        QTest::newRow("absurd frames") << riff(anih(0xffffffff, 1) + fram({good}))
            << QStringLiteral("bad frame count");
        QTest::newRow("zero steps") << riff(anih(1, 0) + fram({good}))
            << QStringLiteral("bad step count");
        QTest::newRow("absurd steps") << riff(anih(1, 0x40000000) + chunk("seq ", dwords({0})) + fram({good}))
            << QStringLiteral("bad step count");
        QTest::newRow("raw bitmap frames") << riff(anih(1, 1, 6, 0) + fram({good}))
            << QStringLiteral("frames stored as raw bitmaps are not supported");
        QTest::newRow("no frame list") << riff(header)
            << QStringLiteral("missing frame list");
        QTest::newRow("fewer frames than announced") << riff(anih(2, 2) + fram({good}))
            << QStringLiteral("the header announces 2 frames, the file holds");
        QTest::newRow("more frames than announced") << riff(header + fram({good, good}))
            << QStringLiteral("more frames than the header announces");
        QTest::newRow("frame list chunk past its end")
            << riff(header + chunk("LIST", QByteArray("fram") + chunk("icon", good, 5000)))
            << QStringLiteral("frame runs past the end of the frame list");
        QTest::newRow("seq index out of range") << riff(anih(1, 2) + chunk("seq ", dwords({0, 1})) + fram({good}))
            << QStringLiteral("step 1 shows frame 1 of");
        QTest::newRow("seq index huge") << riff(anih(1, 1) + chunk("seq ", dwords({0xffffffff})) + fram({good}))
            << QStringLiteral("step 0 shows frame 4294967295 of");
        QTest::newRow("seq shorter than steps") << riff(anih(1, 3) + chunk("seq ", dwords({0, 0})) + fram({good}))
            << QStringLiteral("'seq ' chunk shorter than the step count");
        QTest::newRow("rate shorter than steps") << riff(anih(1, 1) + chunk("rate", "\1\0") + fram({good}))
            << QStringLiteral("'rate' chunk shorter than the step count");
        QTest::newRow("more steps than frames, no seq") << riff(anih(1, 2) + fram({good}))
            << QStringLiteral("more steps than frames and no sequence");
        QTest::newRow("icon too short") << withIcon(QByteArray("\0\0\2\0", 4))
            << QStringLiteral("not an icon or cursor image");
        QTest::newRow("icon of wrong type") << withIcon(good.left(2) + le16(3) + good.mid(4))
            << QStringLiteral("not an icon or cursor image");
        QTest::newRow("icon without entries") << withIcon(le16(0) + le16(2) + le16(0))
            << QStringLiteral("bad icon directory");
        QTest::newRow("icon directory past end") << withIcon(le16(0) + le16(2) + le16(5) + QByteArray(16, '\0'))
            << QStringLiteral("bad icon directory");
        QTest::newRow("icon entry offset past end") << withIcon(icon({Entry{dib(d), 2, 0, 0, -1, 9999}}))
            << QStringLiteral("icon image lies outside its data");
        QTest::newRow("icon entry offset+size wraps")
            << withIcon(icon({Entry{dib(d), 2, 0, 0, 0x20, 0xfffffff0}}))
            << QStringLiteral("icon image lies outside its data");
        QTest::newRow("icon entry size past end") << withIcon(icon({Entry{dib(d), 2, 0, 0, 9999}}))
            << QStringLiteral("icon image lies outside its data");
        QTest::newRow("icon entry empty") << withIcon(icon({Entry{dib(d), 2, 0, 0, 0}}))
            << QStringLiteral("icon image lies outside its data");
        QTest::newRow("icon entry inside directory") << withIcon(icon({Entry{dib(d), 2, 0, 0, -1, 2}}))
            << QStringLiteral("icon image lies outside its data");
        QTest::newRow("truncated bitmap header") << withIcon(icon({Entry{dib(d).left(30)}}))
            << QStringLiteral("truncated bitmap header");
        QTest::newRow("truncated pixels") << withIcon(icon({Entry{dib(d).left(40 + 10)}}))
            << QStringLiteral("truncated bitmap data");
        QTest::newRow("truncated mask, 32 bpp without alpha") << withIcon(icon({Entry{dib(d).chopped(4)}}))
            << QStringLiteral("truncated transparency mask");
        QByteArray bigHeader = dib(d);
        qToLittleEndian<quint32>(5000, bigHeader.data());
        QTest::newRow("bitmap header size past end") << withIcon(icon({Entry{bigHeader}}))
            << QStringLiteral("bad bitmap header size");
        Dib bad = d;
        bad.width = 0;
        QTest::newRow("width 0") << withIcon(icon({Entry{dib(bad)}}))
            << QStringLiteral("bitmap of unsupported size");
        bad = d;
        bad.heightField = 3;
        QTest::newRow("odd height") << withIcon(icon({Entry{dib(bad)}}))
            << QStringLiteral("bitmap of unsupported size");
        bad.heightField = -4;
        QTest::newRow("top-down height") << withIcon(icon({Entry{dib(bad)}}))
            << QStringLiteral("bitmap of unsupported size");
        QByteArray wide = dib(d);
        qToLittleEndian<qint32>(100000, wide.data() + 4);
        QTest::newRow("absurd width") << withIcon(icon({Entry{wide}}))
            << QStringLiteral("bitmap of unsupported size");
        bad = d;
        bad.bpp = 16;
        QTest::newRow("16 bpp") << withIcon(icon({Entry{dib(bad)}}))
            << QStringLiteral("unsupported bitmap depth");
        bad = d;
        bad.compression = 1;
        QTest::newRow("compressed") << withIcon(icon({Entry{dib(bad)}}))
            << QStringLiteral("compressed bitmaps are not supported");
        bad = d;
        bad.bpp = 4;
        bad.palette = {0, 0xffffff};
        bad.pixels = {0, 1, 5, 0};
        QTest::newRow("palette index out of range") << withIcon(icon({Entry{dib(bad)}}))
            << QStringLiteral("palette index out of range");
        bad.palette = QList<quint32>(17, 0);
        bad.pixels = {0, 0, 0, 0};
        QTest::newRow("palette larger than the depth") << withIcon(icon({Entry{dib(bad)}}))
            << QStringLiteral("bad palette size");
        QTest::newRow("truncated png")
            << withIcon(icon({Entry{QByteArray("\x89PNG\r\n\x1a\n\0\0\0\x0dIHDR", 16)}}))
            << QStringLiteral("truncated PNG image");
        QTest::newRow("png of size 0")
            << withIcon(icon({Entry{QByteArray("\x89PNG\r\n\x1a\n\0\0\0\x0dIHDR", 16) + QByteArray(12, '\0')}}))
            << QStringLiteral("PNG image of unsupported size");
    }
    void malformedFilesFailCleanly()
    {
        QFETCH(QByteArray, file);
        QFETCH(QString, why);
        // Parse a copy with nothing after it, so a read past the end would
        // leave the buffer rather than hit our own bytes.
        const QByteArray exact(file.constData(), file.size());
        const AniParseResult r = AniCursorFile::parse(exact);
        QVERIFY(!r.cursor);
        QVERIFY2(r.error.contains(why), qPrintable(r.error));
    }

    // Every cut of a good file and thousands of random byte changes: the
    // parser must come back, with either a consistent result or an error.
    void cutAndMutatedFilesStayConsistent()
    {
        QList<QByteArray> icons;
        Dib d;
        d.width = d.height = 5;
        d.bpp = 4;
        d.palette = {0x000000, 0xff0000, 0x00ff00};
        d.pixels = QList<quint32>(25, 2);
        d.transparent = QList<bool>(25, false);
        icons = {icon({Entry{dib(d), 5}}), solidCursor(0xff00ff00)};
        const QByteArray good = riff(anih(2, 3) + chunk("rate", dwords({1, 2, 3}))
                                     + chunk("seq ", dwords({1, 0, 1})) + fram(icons));
        QVERIFY(AniCursorFile::parse(good).cursor);
        auto check = [](const QByteArray &bytes) {
            const AniParseResult r = AniCursorFile::parse(QByteArray(bytes.constData(), bytes.size()));
            if (!r.cursor)
                return !r.error.isEmpty();
            for (int f : r.cursor->sequence)
                if (f < 0 || f >= r.cursor->frames.size())
                    return false;
            for (const AniImage &img : r.cursor->frames)
                if (img.png.isEmpty() && img.argb.size() != qsizetype(img.width) * img.height)
                    return false;
            return r.cursor->rates.size() == r.cursor->sequence.size();
        };
        for (qsizetype n = 0; n < good.size(); ++n) {
            QByteArray cut = good.left(n);
            if (n >= 8) // keep the RIFF size true, so the cut reaches the chunks
                qToLittleEndian<quint32>(quint32(n - 8), cut.data() + 4);
            QVERIFY2(check(cut), qPrintable(QString::number(n)));
        }
        QRandomGenerator rng(20240611);
        for (int round = 0; round < 5000; ++round) {
            QByteArray m = good;
            for (int k = 0; k < 3; ++k)
                m[rng.bounded(int(m.size()))] = char(rng.bounded(256));
            QVERIFY2(check(m), qPrintable(QString::number(round)));
        }
    }

    void stepDelay_data()
    {
        QTest::addColumn<quint32>("jiffies");
        QTest::addColumn<int>("ms");
        QTest::newRow("zero is one jiffy") << 0u << 16;
        QTest::newRow("one jiffy") << 1u << 16;
        QTest::newRow("tenth of a second") << 6u << 100;
        QTest::newRow("one second") << 60u << 1000;
        QTest::newRow("capped at a minute") << 0xffffffffu << 60000;
    }
    void stepDelay()
    {
        QFETCH(quint32, jiffies);
        QFETCH(int, ms);
        QCOMPARE(AniCursorFile::stepDelayMs(jiffies), ms);
    }
};

QTEST_GUILESS_MAIN(TestAniCursorFile)
#include "tst_anicursorfile.moc"
