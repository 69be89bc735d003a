#include "replicas/EpochMatrixView.h"
#include "replicas/EpochGrid.h"
#include "replicas/EpochMatrixModel.h"
#include "replicas/ResultsFile.h"
#include "support/LoaderFixture.h"
#include "common/Twips.h"

#include <QDir>
#include <QLabel>
#include <QTemporaryDir>
#include <QTest>

using namespace quorvane;
using Fixture = quorvane::test::MatrixViewFixture;
using namespace Qt::StringLiterals;

namespace {

// The grid as text: cells joined by "," and rows by ";".
QString texts(const EpochGrid *grid)
{
    QStringList rows;
    for (int r = 0; r < grid->rows(); ++r) {
        QStringList row;
        for (int c = 0; c < grid->cols(); ++c)
            row << grid->textMatrix(r, c);
        rows << row.join(u',');
    }
    return rows.join(u';');
}

// Flags as "0" and "1" by column.
QString bits(const QList<bool> &flags)
{
    QString s;
    for (bool b : flags)
        s += b ? u'1' : u'0';
    return s;
}

const QString example = u"REPLICA NAME,r1,r2,r3;r1,5,7,9;r2,5,7,9;r3,5,6,9"_s;

} // namespace

class TestEpochMatrixView : public QObject {
    Q_OBJECT
private slots:
    // Grid1 is filled from each file in turn ("a+b"), cleaned in between.
    void fill_data()
    {
        QTest::addColumn<QString>("files");
        QTest::addColumn<QString>("cells");
        QTest::addColumn<QString>("flags");
        QTest::addColumn<QString>("box"); // the error box of a failing fill
        const auto row = [](const char *name, const char *files, const QString &cells, const char *flags,
                            const QString &box = {}) {
            QTest::newRow(name) << QString::fromLatin1(files) << cells << QString::fromLatin1(flags) << box;
        };
        row("CR LF", "example_crlf.txt", example, "00100");
        row("CR only", "example_cr.txt", example, "00100");
        row("single line", "single.txt", u"REPLICA NAME,r1;r1,5"_s, "000");
        row("lines without comma skipped", "skipped.txt", u"REPLICA NAME,r1,r2;r1,5,7;r2,5,7"_s, "0000");
        row("12 vs 12 blank", "textcompare.txt", u"REPLICA NAME,r1,r2;r1,12,3;r2,12 ,3"_s, "0100");
        row("lone LF inside a line", "lonelf.txt", u"REPLICA NAME,r1,r2;r1,4,4;r2,4\nx,4"_s, "0100");
        // A file without a row leaves an empty grid, not the row that
        // cleaning kept (a family of one); the box names the file. (Each
        // reading fault is the model's test; this is the way to the box.)
        const QString data = QDir::toNativeSeparators(QStringLiteral(QUORVANE_TEST_DATA "/replicas/"));
        row("line feeds only", "example_crlf.txt+lfonly.txt", u",;,"_s, "000",
            u"ERROR::30009::Invalid Row value: the lines end in line feeds only, and a line of a results file ends "
            "at a carriage return -- %1lfonly.txt\r\nReport Bug to bugs@belmora.example"_s.arg(data));
    }
    // A results file is read only up to its size limit: one of exactly the
    // limit fills the grid, one byte more is refused before anything is
    // read; each box names the file.
    void sizeLimit_data()
    {
        QTest::addColumn<qint64>("bytes");
        QTest::addColumn<QString>("cells");
        QTest::addColumn<QString>("error"); // the description before the file name
        QTest::addColumn<QByteArray>("text"); // what the file holds, when not a row and filler
        const QString accessError = u"75::Path/File access error"_s;
        QTest::newRow("at the limit") << ResultsFile::maxFileBytes << u"REPLICA NAME,r1;r1,5"_s << QString()
                                      << QByteArray();
        QTest::newRow("one byte over") << ResultsFile::maxFileBytes + 1 << u",;,"_s
                                       << accessError + u": larger than 16 MB, not a results file"_s << QByteArray();
        // Cells are bounded too, counted before a line is split: a file of
        // commas under the byte limit is refused.
        QTest::newRow("16 M commas")
            << qint64(0) << u",;,"_s
            << accessError + u": line 1 would make the matrix 2 by 16777215 cells, more than 4194304, not a "
                             "results file"_s
            << "r1" + QByteArray(ResultsFile::maxFileBytes - 2, ',');
    }
    void sizeLimit()
    {
        QFETCH(qint64, bytes);
        QFETCH(QString, error);
        QFETCH(QByteArray, text);
        QTemporaryDir dir;
        const QString name = dir.filePath(u"_results.txt"_s);
        QFile file(name);
        QVERIFY(file.open(QIODevice::WriteOnly));
        // One row, then a line without a comma that takes up the rest.
        file.write(text.isEmpty() ? "r1,5\r\n" + QByteArray(bytes - 6, 'x') : text);
        file.close();
        Fixture f;
        f.view.fillEpochGrid(f.g1(), name);
        QTEST(texts(f.g1()), "cells");
        QCOMPARE(f.boxes(), error.isEmpty()
                                ? QStringList()
                                : QStringList{u"ERROR::%1 -- %2\r\nReport Bug to bugs@belmora.example"_s.arg(
                                      error, QDir::toNativeSeparators(name))});
    }

    // Column widths come from the names' lengths; a name long enough to
    // overflow the arithmetic gets the widest column instead.
    void longNameWidth()
    {
        QTemporaryDir dir;
        const QString name = dir.filePath(u"_results.txt"_s);
        QFile file(name);
        QVERIFY(file.open(QIODevice::WriteOnly));
        const QByteArray longName(8 * 1024 * 1024, 'n');
        file.write("r1,1,1\r\n" + longName + ",1,1\r\n");
        file.close();
        Fixture f;
        f.view.fillEpochGrid(f.g1(), name);
        QCOMPARE(f.boxes(), QStringList());
        QCOMPARE(f.g1()->colWidth(0), Twips::maxTextWidth);
        QCOMPARE(f.g1()->colWidth(2), Twips::maxTextWidth);
        QCOMPARE(f.g1()->textMatrix(2, 0).size(), longName.size());
    }

    void fill()
    {
        QFETCH(QString, files);
        QFETCH(QString, flags);
        QFETCH(QString, box);
        Fixture f;
        EpochGrid *g = f.g1();
        const QStringList list = files.split(u'+');
        for (int i = 0; i < list.size(); ++i) {
            if (i > 0)
                f.view.cleanGrid(g);
            f.fill(g, list[i]);
        }
        QTEST(texts(g), "cells");
        QCOMPARE(bits(f.view.actualOutOfSync()), flags);
        QCOMPARE(f.boxes(), box.isEmpty() ? QStringList() : QStringList{box});
        if (!box.isEmpty()) {
            QCOMPARE(f.feedback.scripted.boxes[0].icon, MsgIcon::Exclamation);
            QCOMPARE(f.feedback.calls, QStringList{u"busy:0:"_s});
            return;
        }
        // The view shows its model's colours, and the names in its own.
        for (int c = 0; c < g->cols(); ++c)
            QCOMPARE(g->cellBackColorAt(1, c), c == 0                ? g->backColorFixed()
                                               : flags[c] == u'1' ? Colors::pureRed
                                                                  : Colors::white);
        QCOMPARE(QPoint(g->col(), g->row()), QPoint(g->cols() - 1, g->rows() - 1));
    }

    void iconFollowsPressedColumnPerGrid()
    {
        Fixture f;
        QVERIFY(f.g2()->geometry().right() < f.g1()->geometry().left()); // local matrix on the left
        f.fill(f.g1(), u"realistic_results.txt"_s);
        f.fill(f.g2(), u"realistic_results_local.txt"_s);
        QCOMPARE(bits(f.view.localOutOfSync()), u"01000000"_s);
        QCOMPARE(bits(f.view.actualOutOfSync()), u"00101000"_s);
        f.press(f.g2(), 3, 1);
        QVERIFY(f.iconShown(1));
        f.view.dSyncImage(1)->hide();
        f.press(f.g2(), 5, 1); // same column: not looked at again
        QVERIFY(!f.iconShown(1));
        f.press(f.g2(), 2, 2);
        f.press(f.g2(), 2, 1);
        QVERIFY(f.iconShown(1));
        // The note of either icon is titled from Grid1's current row, which it leaves alone.
        QTest::mouseClick(f.view.dSyncImage(1), Qt::LeftButton);
        QCOMPARE(f.feedback.detailTitle, u"NOTE: Replicas Out of Sync for sydney_ops"_s);
        QVERIFY(f.feedback.detailText.startsWith(u"Replicas are out of sync"_s));
        QCOMPARE(QPoint(f.g1()->col(), f.g1()->row()), QPoint(6, 6));
        f.press(f.g2(), 4, 5); // in sync
        QVERIFY(!f.iconShown(1));
        // Grid1 keeps its own last column and drives its own icon.
        f.press(f.g1(), 1, 4);
        QVERIFY(f.iconShown(0) && !f.iconShown(1));
        QCOMPARE(f.view.lastCol(f.g2()), 5);
        // A reload leaves the icons alone; an empty VOB list freezes them.
        f.view.cleanGrid(f.g1());
        f.fill(f.g1(), u"example_crlf.txt"_s);
        QVERIFY(f.iconShown(0));
        f.hasEntries = false;
        f.press(f.g1(), 1, 1);
        QVERIFY(f.iconShown(0));
        QCOMPARE(f.view.lastCol(f.g1()), 4);
    }

    void errorsAreReported()
    {
        Fixture f;
        // Never filled: a press reports nothing and shows no icon.
        f.press(f.g1(), 1, 1);
        f.press(f.g2(), 0, 0);
        QVERIFY(f.feedback.scripted.boxes.isEmpty() && f.feedback.calls.isEmpty());
        QVERIFY(!f.iconShown(0) && !f.iconShown(1));
        f.fill(f.g1(), u"example_crlf.txt"_s);
        // A failed fill made more columns than the previous fill has flags.
        f.view.cleanGrid(f.g1());
        f.fill(f.g1(), u"sixvalues_then_seven.txt"_s);
        QCOMPARE(f.g1()->cols(), 7);
        f.feedback.calls.clear();
        f.press(f.g1(), 1, 6);
        QCOMPARE(f.feedback.calls, QStringList{u"busy:0:"_s});
        QVERIFY(f.boxes().value(1).contains(u"* Error::dSyncImage()\r\n"_s));
        QCOMPARE(f.view.lastCol(f.g1()), 6);
    }

    // A double click on a cell (col, row); (2, 2) of the actual matrix holds 17.
    void valueEdit_data()
    {
        QTest::addColumn<bool>("local");
        QTest::addColumn<QPoint>("cell");
        QTest::addColumn<QString>("answer");
        QTest::addColumn<QString>("shown");
        QTest::addColumn<QString>("box");
        const auto edit = [](const char *name, const QString &answer, const QString &shown,
                             const char *box = "") {
            const QString text =
                *box ? u"Error::"_s + QLatin1String(box) + u"\r\nMust type a numeric value"_s : u""_s;
            QTest::newRow(name) << false << QPoint(2, 2) << answer << shown << text;
        };
        edit("number", u"18"_s, u"18"_s);
        edit("fraction rounds", u"7.6"_s, u"8"_s);
        edit("beyond 32 bits", u"2147483648"_s, u"17"_s, "Overflow");
        edit("letters", u"abc"_s, u"17"_s, "Type mismatch");
        edit("cancel", QString(), u"17"_s);
        QTest::newRow("replica name") << false << QPoint(2, 0) << u"99"_s << u"r2"_s << QString();
        QTest::newRow("local matrix") << true << QPoint(2, 2) << u"99"_s << u"7"_s << QString();
    }
    void valueEdit()
    {
        QFETCH(bool, local);
        QFETCH(QPoint, cell);
        QFETCH(QString, answer);
        QFETCH(QString, shown);
        QFETCH(QString, box);
        Fixture f;
        f.fill(f.g1(), u"example_crlf.txt"_s);
        f.fill(f.g2(), u"example_crlf.txt"_s);
        f.g1()->matrixModel()->setText(2, 2, u"17"_s);
        f.press(f.g1(), 3, 2);
        f.feedback.scripted.inputAnswers.enqueue(answer);
        EpochGrid *grid = local ? f.g2() : f.g1();
        const auto [widget, rect] = grid->cellSpot(cell.y(), cell.x());
        QTest::mouseDClick(widget, Qt::LeftButton, {}, rect.center());
        QCOMPARE(grid->textMatrix(cell.y(), cell.x()), shown);
        QCOMPARE(f.boxes(), box.isEmpty() ? QStringList() : QStringList{box});
        if (!box.isEmpty())
            QCOMPARE(f.feedback.scripted.boxes[0].icon, MsgIcon::Stop);
        if (local || cell != QPoint(2, 2)) {
            QVERIFY(f.feedback.scripted.inputs.isEmpty()); // not a value of the actual matrix
            return;
        }
        QCOMPARE(f.feedback.scripted.inputs.size(), 1);
        const auto &input = f.feedback.scripted.inputs[0];
        QCOMPARE(input.prompt, u"Current Epoch Value: 17\r\nEnter New Epoch Value: "_s);
        QCOMPARE(input.defaultText, u"17"_s);
        // Only the shown cell changes: no new flags, colours or icon.
        QCOMPARE(bits(f.view.actualOutOfSync()), u"00100"_s);
        QCOMPARE(f.g1()->cellBackColorAt(2, 2), Colors::pureRed);
        QVERIFY(f.iconShown(0));
        QVERIFY(f.feedback.calls.isEmpty());
    }
};

QTEST_MAIN(TestEpochMatrixView)
#include "tst_epochmatrixview.moc"
