// The epoch matrices as the view shows them (their reading and filling:
// tst_epochmatrixmodel): a fill's colours, flags and current cell and the
// box of one that fails, the sync icons that follow the current column, the
// value edit, the keys, columns drawn wide enough for every name, the
// current cell kept in sight, and how the two matrices share their room.
#include "replicas/EpochMatrixView.h"
#include "replicas/EpochGrid.h"
#include "replicas/EpochMatrixModel.h"
#include "support/LoaderFixture.h"

#include <QApplication>
#include <QClipboard>
#include <QLabel>
#include <QScrollBar>
#include <QTest>

using namespace quorvane;
using Fixture = quorvane::test::MatrixViewFixture;
using namespace Qt::StringLiterals;

namespace {

// Flags as "0" and "1" by column.
QString bits(const QList<bool> &flags)
{
    QString s;
    for (bool b : flags)
        s += b ? u'1' : u'0';
    return s;
}

// Where a cell is drawn, on whichever part of the view draws it.
QRect rectOf(const EpochGrid *grid, int row, int col) { return grid->cellSpot(row, col).second; }

const QStringList eightSites{u"boston_hub"_s, u"sanfran_hub"_s, u"bangalore"_s, u"london"_s,
                             u"tokyo"_s,      u"paris"_s,       u"berlin"_s,    u"toronto"_s};

} // namespace

class TestEpochMatrixView : public QObject {
    Q_OBJECT
private slots:
    // The view shows its model's colours, and the names in its own; the sync
    // icon follows the column pressed in each grid.
    void iconFollowsPressedColumnPerGrid()
    {
        Fixture f;
        QVERIFY(f.g2()->geometry().right() < f.g1()->geometry().left()); // local matrix on the left
        f.fill(f.g1(), u"realistic_results.txt"_s);
        f.fill(f.g2(), u"realistic_results_local.txt"_s);
        for (int c = 0; c < f.g1()->cols(); ++c)
            QCOMPARE(f.g1()->cellBackColorAt(1, c), c == 0 ? f.g1()->backColorFixed()
                                                    : c == 2 || c == 4 ? Colors::pureRed : Colors::white);
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
        // The fill's box comes once busy feedback has ended.
        QCOMPARE(f.feedback.scripted.boxes.value(0).icon, MsgIcon::Exclamation);
        QCOMPARE(f.feedback.calls, QStringList{u"busy:0:"_s});
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
        QTest::addColumn<bool>("byKey"); // Return on the current cell instead
        QTest::addColumn<QPoint>("cell");
        QTest::addColumn<QString>("answer");
        QTest::addColumn<QString>("shown");
        QTest::addColumn<QString>("box");
        const auto edit = [](const char *name, const QString &answer, const QString &shown,
                             const char *box = "") {
            const QString text =
                *box ? u"Error::"_s + QLatin1String(box) + u"\r\nMust type a numeric value"_s : u""_s;
            QTest::newRow(name) << false << false << QPoint(2, 2) << answer << shown << text;
        };
        edit("number", u"18"_s, u"18"_s);
        edit("fraction rounds", u"7.6"_s, u"8"_s);
        edit("beyond 32 bits", u"2147483648"_s, u"17"_s, "Overflow");
        edit("letters", u"abc"_s, u"17"_s, "Type mismatch");
        edit("cancel", QString(), u"17"_s);
        QTest::newRow("replica name") << false << false << QPoint(2, 0) << u"99"_s << u"r2"_s << QString();
        QTest::newRow("local matrix") << true << false << QPoint(2, 2) << u"99"_s << u"7"_s << QString();
        QTest::newRow("Return") << false << true << QPoint(2, 2) << u"42"_s << u"42"_s << QString();
        QTest::newRow("Return in the local matrix") << true << true << QPoint(2, 2) << u"99"_s << u"7"_s << QString();
    }
    void valueEdit()
    {
        QFETCH(bool, local);
        QFETCH(bool, byKey);
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
        if (byKey) {
            f.press(grid, cell.y(), cell.x());
            QTest::keyClick(grid, Qt::Key_Return);
        } else {
            QTest::mouseDClick(widget, Qt::LeftButton, {}, rect.center());
        }
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

    // However few twips a name gets, and in whatever font, every name and
    // number is drawn whole; a column is never drawn narrower than its
    // twips, and the twips stay as set.
    void drawnWideEnough_data()
    {
        QTest::addColumn<int>("points");
        QTest::newRow("8 pt") << 8;
        QTest::newRow("16 pt") << 16;
    }
    void drawnWideEnough()
    {
        QFETCH(int, points);
        Fixture f;
        QFont font = f.g1()->font();
        font.setPointSize(points);
        f.g1()->setFont(font);
        f.fill(f.g1(), f.write(u"names.txt"_s, eightSites + QStringList{u"W"_s}, -1, u"1234567890"_s));
        EpochGrid *g = f.g1();
        const QFontMetrics fm(g->font());
        for (int c = 0; c < g->cols(); ++c) {
            const int drawn = rectOf(g, 0, c).width();
            int widest = 0;
            for (int r = 0; r < g->rows(); ++r)
                widest = std::max(widest, fm.horizontalAdvance(g->textMatrix(r, c)));
            QVERIFY2(drawn > widest,
                     qPrintable(u"column %1: %2 px for %3 px of text"_s.arg(c).arg(drawn).arg(widest)));
            QVERIFY(drawn >= qRound(g->colWidth(c) / 15.0));
        }
        QCOMPARE(g->colWidth(9), 100); // "W": one character
        QCOMPARE(g->colWidth(0), 100);
        QVERIFY(g->rowHeightPx() > fm.height());
    }

    // The arrows move the current cell, never onto the names, and the icon
    // follows as it does for a press; Ctrl+C copies the cell.
    void gridKeys()
    {
        Fixture f;
        EpochGrid *local = f.g2();
        f.fill(local, f.write(u"local.txt"_s, {u"r1"_s, u"r2"_s, u"r3"_s}, 1));
        local->setFocus();
        QCOMPARE(QPoint(local->col(), local->row()), QPoint(3, 3));
        QTest::keyClick(local, Qt::Key_Left);
        QTest::keyClick(local, Qt::Key_Left);
        QCOMPARE(local->col(), 1);
        QVERIFY(f.iconShown(1)); // column 1 lags
        QTest::keyClick(local, Qt::Key_Right);
        QVERIFY(!f.iconShown(1));
        QTest::keyClick(local, Qt::Key_Left);
        QTest::keyClick(local, Qt::Key_Left); // already at the first column: no move
        QVERIFY(f.iconShown(1));
        QTest::keyClick(local, Qt::Key_C, Qt::ControlModifier);
        QCOMPARE(QGuiApplication::clipboard()->text(), local->text());
    }

    // The arrow keys never leave the current cell out of sight, however far
    // they take it, and the keyboard's arrival scrolls to where a fill left it.
    void currentCellKeptInView()
    {
        Fixture f({520, 260});
        QStringList names;
        for (int i = 1; i <= 40; ++i)
            names << u"site%1"_s.arg(i, 2, 10, QLatin1Char('0'));
        f.fill(f.g1(), f.write(u"forty.txt"_s, names));
        f.settle();
        EpochGrid *g = f.g1();
        QCOMPARE(QPoint(g->col(), g->row()), QPoint(40, 40));
        // Column 1 keeps its width; the others are as wide as one another.
        const int first = rectOf(g, 0, 1).width();
        const int other = rectOf(g, 0, 2).width();
        const auto wholeInView = [&] {
            const QRect r = rectOf(g, g->row(), g->col());
            return r.width() == (g->col() == 1 ? first : other) && r.height() == g->rowHeightPx()
                && g->viewport()->rect().contains(r);
        };
        QVERIFY(!wholeInView());
        f.view.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&f.view));
        f.g2()->setFocus(Qt::OtherFocusReason);
        g->setFocus(Qt::TabFocusReason);
        QVERIFY(wholeInView());
        for (const auto key : {Qt::Key_Left, Qt::Key_Up, Qt::Key_Right, Qt::Key_Down}) {
            for (int step = 0; step < 39; ++step) {
                QTest::keyClick(g, key);
                QVERIFY2(wholeInView(), qPrintable(u"(%1, %2)"_s.arg(g->row()).arg(g->col())));
            }
        }
        QCOMPARE(QPoint(g->col(), g->row()), QPoint(40, 40));
    }

    // Side by side when both fit across; one above the other when only that
    // shows eight replicas whole; side by side again when neither does.
    void arrangement_data()
    {
        QTest::addColumn<QSize>("size");
        QTest::addColumn<int>("replicas");
        QTest::addColumn<bool>("stacked");
        QTest::addColumn<bool>("whole");
        QTest::newRow("three, narrow") << QSize(900, 300) << 3 << false << true;
        QTest::newRow("eight, wide") << QSize(1700, 300) << 8 << false << true;
        QTest::newRow("eight, tall") << QSize(900, 560) << 8 << true << true;
        QTest::newRow("eight, small") << QSize(900, 200) << 8 << false << false;
    }
    void arrangement()
    {
        QFETCH(QSize, size);
        QFETCH(int, replicas);
        QFETCH(bool, stacked);
        Fixture f(size);
        const QStringList names = eightSites.mid(0, replicas);
        f.fill(f.g1(), f.write(u"actual.txt"_s, names, 1));
        f.fill(f.g2(), f.write(u"local.txt"_s, names));
        Fixture::settle();
        QCOMPARE(f.view.stacked(), stacked);
        const QRect local = f.g2()->geometry(), actual = f.g1()->geometry();
        QVERIFY(stacked ? local.bottom() < actual.top() : local.right() < actual.left());
        bool scrolls = false;
        for (EpochGrid *g : {f.g1(), f.g2()})
            scrolls =
                scrolls || g->horizontalScrollBar()->maximum() > 0 || g->verticalScrollBar()->maximum() > 0;
        QTEST(!scrolls, "whole");
    }
};

QTEST_MAIN(TestEpochMatrixView)
#include "tst_epochmatrixview.moc"
