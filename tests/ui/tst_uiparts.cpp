// The window system's small parts: the program's icon, the boxes and the
// one seam they all go through, the event pump with its frame pacing and
// input gate, and the animated cursor (the file reader, the picture that
// plays it and the working dialog that shows it).
#include "common/AniCursorFile.h"
#include "common/ErrorBoxes.h"
#include "common/QuorvaneError.h"
#include "support/ScriptedDialogs.h"
#include "ui/EventPump.h"
#include "ui/InputGate.h"
#include "ui/Pictures.h"
#include "ui/RealDialogs.h"
#include "ui/cAniCursor.h"
#include "ui/frmWorking.h"

#include <QApplication>
#include <QDialog>
#include <QDirIterator>
#include <QFile>
#include <QImage>
#include <QLabel>
#include <QPainter>
#include <QPointer>
#include <QPushButton>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>
#include <QTimer>
#include <QtEndian>
#include <memory>

using namespace quorvane;
using namespace Qt::StringLiterals;

namespace {

// Counts its paintings and remembers which value the last one showed.
class Canvas final : public QWidget {
public:
    int value = 0;
    int painted = -1;
    int paints = 0;

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter(this).drawText(rect(), QString::number(value));
        painted = value;
        ++paints;
    }
};

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

class TestUiParts : public QObject {
    Q_OBJECT
    QTemporaryDir m_dir; // the animated cursor files written

    QString write(const QString &name, const QByteArray &bytes)
    {
        QFile f(m_dir.filePath(name));
        if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size())
            qFatal("cannot write the test file");
        return f.fileName();
    }

private slots:
    // Every size is there as drawn, not scaled from another; the picture is
    // the dark tile with white sites.
    void everySizeIsDrawn()
    {
        const QIcon icon = Pictures::appIcon();
        QList<QSize> expected;
        for (const int side : {16, 32, 48, 64, 128, 256})
            expected << QSize(side, side);
        QCOMPARE(icon.availableSizes(), expected);
        for (const QSize &size : expected) {
            const QImage image = icon.pixmap(size).toImage();
            QCOMPARE(image.size(), size);
            const int s = size.width();
            QVERIFY2(qGray(image.pixel(s / 2, s * 9 / 16)) < 80, "the tile inside the triangle is dark");
            QCOMPARE(image.pixel(s / 2, s / 4), qRgb(255, 255, 255)); // the top site
            QCOMPARE(qAlpha(image.pixel(0, 0)), 0);                   // the rounded corner
        }
    }

    // ReportError's framed report; nothing at all for error number 0.
    void reportErrorShowsTheFramedReport()
    {
        test::ScriptedDialogs d;
        ReportError(d, QuorvaneError(0, u"x"_s, u"y"_s), u"p"_s);
        QVERIFY(d.boxes.isEmpty());
        ReportError(d, QuorvaneError(53, u"Quorvane"_s, u"File not found"_s), u"Error::cleanGrid()"_s);
        QCOMPARE(d.boxes.size(), 1);
        const QStringList lines = d.boxes[0].prompt.split(u"\r\n"_s);
        const QString stars(88, u'*');
        QCOMPARE(lines, (QStringList{stars, u"* E R R O R: 53 (Quorvane)"_s, QString(63, u'*') + u' ',
                                     u"* SysErr: File not found"_s, u"*"_s, u"* Error::cleanGrid()"_s,
                                     u"*            Report bugs to: bugs@belmora.example"_s, stars}));
        QCOMPARE(d.boxes[0].title, u"Error..."_s);
        QCOMPARE(d.boxes[0].icon, MsgIcon::Stop);
    }

    // Every box must go through the Dialogs seam, or tests could neither see
    // nor answer it (a real box would block a headless run forever). Comments
    // may name the Qt classes; code may not.
    void onlyRealDialogsUsesQtBoxes()
    {
        const QString root = QStringLiteral(QUORVANE_SOURCE_DIR "/");
        const QRegularExpression pattern(u"\\bQ(MessageBox|InputDialog)\\b"_s), comment(u"//[^\n]*"_s);
        QStringList offenders;
        int scanned = 0;
        for (const QString &dir : {u"src"_s, u"sim"_s, u"tools"_s}) {
            QDirIterator it(root + dir, {u"*.cpp"_s, u"*.h"_s}, QDir::Files, QDirIterator::Subdirectories);
            while (it.hasNext()) {
                QFile f(it.next());
                if (f.fileName().endsWith(u"/ui/RealDialogs.cpp"_s) || !f.open(QIODevice::ReadOnly))
                    continue;
                ++scanned;
                if (pattern.match(QString::fromUtf8(f.readAll()).remove(comment)).hasMatch())
                    offenders << f.fileName().mid(root.size());
            }
        }
        QVERIFY2(scanned > 10, "the source tree was not found");
        QVERIFY2(offenders.isEmpty(), qPrintable(offenders.join(u", "_s)));
    }

    // Ending on a signal or the session's end, no one may answer: the box
    // open then is closed as by its escape button (Cancel where there is
    // one), later boxes are not shown, and each one's text is reported.
    void unattendedBoxesAreReportedNotShown()
    {
        RealDialogs dialogs;
        QStringList reported;
        const auto report = [&reported](const QString &box) { reported << box; };
        QTimer::singleShot(100, [&] { dialogs.setUnattended(report); });
        QTimer::singleShot(5000, [] { // a box left open would hold the test forever
            if (QWidget *modal = QApplication::activeModalWidget())
                modal->close();
        });
        QCOMPARE(dialogs.msgBox(u"Sure?"_s, MsgButtons::OkCancel, MsgIcon::Exclamation, u"Fix Epoch..."_s),
                 MsgResult::Cancel);
        QCOMPARE(reported, QStringList{u"Fix Epoch...: Sure?"_s});
        QCOMPARE(dialogs.msgBox(u"Failed"_s, MsgButtons::Ok, MsgIcon::Stop, u"Quorvane"_s), MsgResult::Ok);
        QCOMPARE(dialogs.msgBox(u"Sure?"_s, MsgButtons::OkCancel, MsgIcon::Exclamation, u"Fix"_s), MsgResult::Cancel);
        QCOMPARE(dialogs.inputBox(u"Value"_s, u"Cell"_s, u"5"_s), QString());
        QCOMPARE(reported.mid(1), (QStringList{u"Quorvane: Failed"_s, u"Fix: Sure?"_s, u"Cell: Value"_s}));
        QCOMPARE(QApplication::activeModalWidget(), nullptr);
    }

    // A handler that pumps again (the progress tick inside the per-VOB
    // pump) returns at once, handling nothing, not even a timer that is
    // due: what is queued after it runs after it, once.
    void pumpDoesNotNest()
    {
        QStringList order;
        QTimer due;
        due.setSingleShot(true);
        connect(&due, &QTimer::timeout, this, [&] { order << u"timer"_s; });
        QMetaObject::invokeMethod(
            this,
            [&] {
                order << u"tick"_s;
                QVERIFY(EventPump::running());
                due.start(0);
                QThread::msleep(5);
                EventPump::run();
                order << u"tick done"_s;
            },
            Qt::QueuedConnection);
        QMetaObject::invokeMethod(this, [&] { order << u"next"_s; }, Qt::QueuedConnection);
        QVERIFY(!EventPump::running());
        EventPump::run();
        QVERIFY(!EventPump::running());
        QCoreApplication::processEvents();
        // When the timer fires after the tick is the platform's business.
        QTRY_VERIFY(order.contains(u"timer"_s));
        QVERIFY2(order.indexOf(u"timer"_s) > order.indexOf(u"tick done"_s), qPrintable(order.join(u", "_s)));
        order.removeAll(u"timer"_s);
        QCOMPARE(order, (QStringList{u"tick"_s, u"tick done"_s, u"next"_s}));
    }

    // Idle, nothing is held and every change is drawn. Active, a window
    // changed and pumped hundreds of times is drawn about once a frame; a
    // window not paced is drawn for each change, which shows that the
    // pacing is what differs. The end of the action lets what is held
    // through at once rather than at the next frame. A window closed for
    // good while a drawing is held back is forgotten.
    void drawingPacedToFrames()
    {
        Canvas paced, free;
        for (Canvas *c : {&paced, &free}) {
            c->resize(120, 40);
            c->show();
            QVERIFY(QTest::qWaitForWindowExposed(c));
        }
        FramePacer pacer;
        pacer.watch(&paced);
        pacer.watch(&paced); // once is enough
        const auto change = [&](int value) {
            for (Canvas *c : {&paced, &free}) {
                c->value = value;
                c->update();
            }
            EventPump::run();
        };
        for (int i = 1; i <= 20; ++i)
            change(i);
        QCOMPARE(pacer.held(), 0);
        QCOMPARE(paced.painted, 20);
        pacer.setActive(true);
        const int pacedBefore = paced.paints, freeBefore = free.paints;
        QElapsedTimer t;
        t.start();
        constexpr int changes = 300;
        for (int i = 1; i <= changes; ++i) {
            change(i);
            QThread::usleep(100);
        }
        const qint64 elapsed = t.elapsed();
        const int pacedPaints = paced.paints - pacedBefore;
        QVERIFY2(pacedPaints <= elapsed / FramePacer::FrameMs + 2,
                 qPrintable(u"%1 paintings in %2 ms"_s.arg(pacedPaints).arg(elapsed)));
        QVERIFY2(free.paints - freeBefore >= changes / 2, qPrintable(QString::number(free.paints - freeBefore)));
        QVERIFY(pacer.held() > 0);
        // Held now, unless the machine was slow enough for a frame to pass.
        change(changes + 1);
        pacer.setActive(false);
        EventPump::run();
        QCoreApplication::processEvents();
        QCOMPARE(paced.painted, changes + 1);

        pacer.setActive(true);
        auto gone = std::make_unique<Canvas>();
        gone->show();
        QVERIFY(QTest::qWaitForWindowExposed(gone.get()));
        pacer.watch(gone.get());
        for (int i = 0; i < 3; ++i) {
            gone->update();
            change(i);
        }
        gone.reset();
        QTest::qWait(3 * FramePacer::FrameMs);
        change(changes + 2);
        QTRY_COMPARE(paced.painted, changes + 2);
    }

    // Open, the gate lets clicks and keys reach its window and a modal box
    // opened meanwhile, nothing else; closed, everything again.
    void inputGate_data()
    {
        QTest::addColumn<QString>("target");
        QTest::addColumn<bool>("open");
        QTest::addColumn<bool>("reached");
        QTest::newRow("its window") << u"gate"_s << true << true;
        QTest::newRow("another window") << u"other"_s << true << false;
        QTest::newRow("a modal box") << u"modal"_s << true << true;
        QTest::newRow("closed") << u"other"_s << false << true;
    }
    void inputGate()
    {
        QFETCH(QString, target);
        QFETCH(bool, open);
        QDialog gateWindow, other, modal;
        modal.setWindowModality(Qt::ApplicationModal);
        QDialog *to = target == u"gate"_s ? &gateWindow : target == u"other"_s ? &other : &modal;
        int clicks = 0, keys = 0;
        auto *button = new QPushButton(u"x"_s, to);
        connect(button, &QPushButton::clicked, this, [&clicks] { ++clicks; });
        connect(to, &QDialog::rejected, this, [&keys] { ++keys; });
        InputGate gate;
        gate.openOnlyTo(&gateWindow);
        if (!open)
            gate.openOnlyTo(nullptr);
        gateWindow.show();
        other.show();
        to->show();
        QVERIFY(QTest::qWaitForWindowExposed(to));
        QTest::mouseClick(button, Qt::LeftButton);
        QTest::keyClick(to, Qt::Key_Escape);
        QFETCH(bool, reached);
        QCOMPARE(clicks, int(reached));
        QCOMPARE(keys, int(reached));
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

    // A new picture replaces the old one and plays its sequence at its rates;
    // Left and Top move the picture and keep their values across Creates.
    void createReplacesMovesPlaysAndReleases()
    {
        auto parent = std::make_unique<QWidget>();
        parent->show();
        QVERIFY(QTest::qWaitForWindowExposed(parent.get()));
        QWidget other; // shown: a hidden picture does not play
        other.show();
        auto *c = new cAniCursor;
        c->setLeft(40); // nothing to move yet
        QVERIFY(c->Create(shipped, parent.get(), 20, 20));
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
        QVERIFY(d.Create(shipped, parent.get(), 20, 20));
        parent.reset();
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

QTEST_MAIN(TestUiParts)
#include "tst_uiparts.moc"
