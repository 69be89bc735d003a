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

quint32 at(const AniImage &img, int x, int y)
{
    return img.argb.value(qsizetype(y) * img.width + x);
}

} // namespace

class TestAniCursorFile : public QObject {
    Q_OBJECT
private slots:
    void shippedCursorIsTheGeneratedSpinner()
    {
        const QByteArray file = readFile(QStringLiteral(QUORVANE_SOURCE_DIR "/resources/anicursor.ani"));
        QVERIFY2(
            file == readFile(QStringLiteral(QUORVANE_BIN_DIR "/anicursor.ani")),
            "resources/anicursor.ani differs from what the generator draws: copy the built file over it");
        const AniParseResult r = AniCursorFile::parse(file);
        QVERIFY2(r.cursor, qPrintable(r.error));
        QCOMPARE(r.cursor->frames.size(), 12);
        QCOMPARE(r.cursor->rates, QList<quint32>(12, 5));
        for (const AniImage &f : r.cursor->frames) {
            QCOMPARE(QList<int>({f.width, f.height, f.hotspotX, f.hotspotY}), QList<int>({32, 32, 16, 16}));
            QCOMPARE(at(f, 0, 0), 0u); // transparent corner
        }
        // The bright head turns: at the top in frame 0, at the right in frame 3.
        QCOMPARE(qAlpha(at(r.cursor->frames[0], 16, 5)), 255);
        QCOMPARE(qAlpha(at(r.cursor->frames[3], 27, 16)), 255);
        QVERIFY(qAlpha(at(r.cursor->frames[3], 16, 5)) < 255);
    }

    void wellFormedVariants_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QList<int>>("sequence");
        QTest::addColumn<QList<quint32>>("rates");
        const QList<QByteArray> three = {solidCursor(0xff000001), solidCursor(0xff000002),
                                         solidCursor(0xff000003)};
        QTest::newRow("rate per step, odd junk chunk, trailing bytes")
            << simpleAni(3, chunk("junk", "abc") + chunk("rate", dwords({1, 2, 30}))) + QByteArray(9, '\xff')
            << QList<int>{0, 1, 2} << QList<quint32>{1, 2, 30};
        QTest::newRow("seq longer than the frames")
            << riff(anih(3, 5, 4, 3) + chunk("seq ", dwords({0, 1, 2, 1, 0})) + fram(three))
            << QList<int>{0, 1, 2, 1, 0} << QList<quint32>{4, 4, 4, 4, 4};
        QTest::newRow("rate and seq before the header")
            << riff(chunk("rate", dwords({7, 8})) + chunk("seq ", dwords({2, 0})) + anih(3, 2) + fram(three))
            << QList<int>{2, 0} << QList<quint32>{7, 8};
    }
    void wellFormedVariants()
    {
        QFETCH(QByteArray, file);
        QFETCH(QList<int>, sequence);
        QFETCH(QList<quint32>, rates);
        const AniParseResult r = AniCursorFile::parse(file);
        QVERIFY2(r.cursor && r.error.isEmpty(), qPrintable(r.error));
        QCOMPARE(r.cursor->frames.size(), 3);
        for (int i = 0; i < 3; ++i)
            QCOMPARE(r.cursor->frames[i].argb, QList<quint32>(4, 0xff000001u + quint32(i)));
        QCOMPARE(r.cursor->sequence, sequence);
        QCOMPARE(r.cursor->rates, rates);
    }

    void bitmapFormats_data()
    {
        QTest::addColumn<QByteArray>("image");
        QTest::addColumn<QList<quint32>>("expected"); // 2x2, top-down; the mask clears pixel 1
        const QList<bool> mask = {false, true, false, false};
        QTest::newRow("1 bpp") << dib({2, 1, {0x000000, 0xffffff}, {1, 1, 0, 1}, mask})
                               << QList<quint32>{0xffffffff, 0, 0xff000000, 0xffffffff};
        QTest::newRow("24 bpp") << dib({2, 24, {}, {0x102030, 0x405060, 0x708090, 0xa0b0c0}, mask})
                                << QList<quint32>{0xff102030, 0, 0xff708090, 0xffa0b0c0};
        QTest::newRow("32 bpp alpha, no mask")
            << dib({2, 32, {}, {0x80102030, 0x00405060, 0xff708090, 0x01a0b0c0}, {}})
            << QList<quint32>{0x80102030, 0x00405060, 0xff708090, 0x01a0b0c0};
    }
    void bitmapFormats()
    {
        QFETCH(QByteArray, image);
        QFETCH(QList<quint32>, expected);
        QString error;
        const std::optional<AniImage> img = AniCursorFile::decodeIcon(icon({Entry{image, 2}}, 1), &error);
        QVERIFY2(img, qPrintable(error));
        QCOMPARE(QSize(img->width, img->height), QSize(2, 2));
        QCOMPARE(img->argb, expected);
    }

    void pngEntryPassedOnWithItsSize()
    {
        const QByteArray png =
            QByteArray("\x89PNG\r\n\x1a\n\0\0\0\x0dIHDR\0\0\0\x30\0\0\0\x18", 24) + QByteArray(20, '\0');
        const std::optional<AniImage> img = AniCursorFile::decodeIcon(icon({Entry{png, 48}}));
        QVERIFY(img);
        QCOMPARE(QSize(img->width, img->height), QSize(48, 24));
        QCOMPARE(img->png, png);
    }

    // A few crafted files per way a file can be broken.
    void malformedFilesFailCleanly_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QString>("why");
        const QByteArray good = solidCursor(0xff123456);
        const QByteArray h = anih(1, 1);
        const auto row = [](const char *name, const QByteArray &file, const char *why) {
            QTest::newRow(name) << file << QString::fromLatin1(why);
        };
        const auto withIcon = [&](const QByteArray &ico) {
            return riff(h + fram({ico}));
        };
        const Dib d{2, 32, {}, {1, 1, 1, 1}, {false, false, false, false}, 0};
        const auto withDib = [&](Dib bad) {
            return withIcon(icon({Entry{dib(bad)}}));
        };
        const QByteArray img = dib(d);
        const QByteArray pngHead("\x89PNG\r\n\x1a\n\0\0\0\x0dIHDR", 16);

        row("empty", {}, "not an animated cursor (no RIFF ACON header)");
        row("RIFF size past end", riff(h + fram({good}), 0xffffffff), "RIFF size runs past the end");
        row("chunk size wraps", riff(h + chunk("junk", "", 0xfffffff8)), "chunk 'junk' runs past the end");
        row("zero frames", riff(anih(0, 1) + fram({good})), "bad frame count");
        row("absurd frames", riff(anih(0xffffffff, 1) + fram({good})), "bad frame count");
        row("frame past its list", riff(h + chunk("LIST", QByteArray("fram") + chunk("icon", good, 5000))),
            "frame runs past the end of the frame list");
        row("seq index huge", riff(h + chunk("seq ", dwords({0xffffffff})) + fram({good})),
            "step 0 shows frame 4294967295 of");
        row("icon too short", withIcon(QByteArray("\0\0\2\0", 4)), "not an icon or cursor image");
        row("entry offset+size wraps", withIcon(icon({Entry{img, 2, 0x20, 0xfffffff0}})),
            "icon image lies outside its data");
        row("truncated mask", withIcon(icon({Entry{img.chopped(4)}})), "truncated transparency mask");
        row("width 0", withDib({0, 32, {}, {}, {}, 2}), "bitmap of unsupported size");
        row("palette index out of range", withDib({2, 4, {0, 0xffffff}, {0, 1, 5, 0}, d.transparent, 0}),
            "palette index out of range");
        row("truncated png", withIcon(icon({Entry{pngHead}})), "truncated PNG image");
    }
    void malformedFilesFailCleanly()
    {
        QFETCH(QByteArray, file);
        QFETCH(QString, why);
        // A copy with nothing after it, so a read past the end leaves the buffer.
        const AniParseResult r = AniCursorFile::parse(QByteArray(file.constData(), file.size()));
        QVERIFY(!r.cursor);
        QVERIFY2(r.error.contains(why), qPrintable(r.error));
    }

    // Every cut of a good file and a bounded set of byte changes: the parser
    // comes back with either a consistent cursor or an error.
    void cutAndMutatedFilesStayConsistent()
    {
        const Dib d{5, 4, {0x000000, 0xff0000, 0x00ff00}, QList<quint32>(25, 2), QList<bool>(25), 0};
        const QByteArray good =
            riff(anih(2, 3) + chunk("rate", dwords({1, 2, 3})) + chunk("seq ", dwords({1, 0, 1})) +
                 fram({icon({Entry{dib(d), 5}}), solidCursor(0xff00ff00)}));
        QVERIFY(AniCursorFile::parse(good).cursor);
        const auto consistent = [](const QByteArray &bytes) {
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
            if (n >= 8) // a true RIFF size, so that the cut reaches the chunks
                qToLittleEndian<quint32>(quint32(n - 8), cut.data() + 4);
            QVERIFY2(consistent(cut), qPrintable(QString::number(n)));
        }
        QRandomGenerator rng(20240611);
        for (int round = 0; round < 300; ++round) {
            QByteArray m = good;
            for (int k = 0; k < 3; ++k)
                m[rng.bounded(int(m.size()))] = char(rng.bounded(256));
            QVERIFY2(consistent(m), qPrintable(QString::number(round)));
        }
    }

    void stepDelay()
    {
        QCOMPARE(AniCursorFile::stepDelayMs(0), 16); // never a busy loop
        QCOMPARE(AniCursorFile::stepDelayMs(60), 1000);
        QCOMPARE(AniCursorFile::stepDelayMs(0xffffffffu), 60000);
    }
};

QTEST_GUILESS_MAIN(TestAniCursorFile)
#include "tst_anicursorfile.moc"
