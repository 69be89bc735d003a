// The epoch matrices as they are read: widths in twips as the fill sets
// them and drawn wide enough for every name, the keyboard's ways to the
// grids' handlers and the current cell kept in sight, and how the two
// matrices share the room they are given.
#include "replicas/EpochMatrixView.h"
#include "replicas/EpochGrid.h"
#include "replicas/EpochMatrix.h"
#include "support/LoaderFixture.h"

#include <QApplication>
#include <QClipboard>
#include <QFile>
#include <QLabel>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTest>

using namespace quorvane;
using Fixture = quorvane::test::MatrixViewFixture;
using namespace Qt::StringLiterals;

namespace {

// Where a cell is drawn, on whichever part of the view draws it.
QRect rectOf(const EpochGrid *grid, int row, int col) { return grid->cellSpot(row, col).second; }

QString joined(const QList<int> &widths)
{
    QStringList out;
    for (int w : widths)
        out << QString::number(w);
    return out.join(u',');
}

const QStringList eightSites{u"boston_hub"_s, u"sanfran_hub"_s, u"bangalore"_s, u"london"_s,
                             u"tokyo"_s,      u"paris"_s,       u"berlin"_s,    u"toronto"_s};

} // namespace

class TestMatrixLayout : public QObject {
    Q_OBJECT
private slots:
    // Column 0 takes 100 twips per character of the last line's name, column
    // k from 2 those of the k-th name; column 1 and a single line set none.
    void widthsInTwips_data()
    {
        QTest::addColumn<QString>("files");
        QTest::addColumn<QString>("widths");
        const QString unset = QString::number(EpochMatrix::defaultColWidth);
        QTest::newRow("names of three lengths") << u"name_lengths.txt"_s << u"1000,%1,200,1000"_s.arg(unset);
        QTest::newRow("single line") << u"single.txt"_s << u"%1,%1"_s.arg(unset);
        // A reload after a clean keeps what the earlier fill set.
        QTest::newRow("single line after three")
            << u"name_lengths.txt+single.txt"_s << u"1000,%1"_s.arg(unset);
        QTest::newRow("three after three")
            << u"name_lengths.txt+example_crlf.txt"_s << u"200,%1,200,200"_s.arg(unset);
    }
    void widthsInTwips()
    {
        QFETCH(QString, files);
        Fixture f;
        for (const QString &file : files.split(u'+')) {
            f.view.cleanGrid(f.g1());
            f.fill(f.g1(), file);
        }
        QList<int> got;
        for (int c = 0; c < f.g1()->cols(); ++c)
            got << f.g1()->colWidth(c);
        QTEST(joined(got), "widths");
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

    // The arrows move the current cell and the icon follows as it does for
    // a press; Return edits a number of the actual matrix as the double
    // click does, and not one of the local matrix; Ctrl+C copies the cell.
    void gridKeys()
    {
        Fixture f;
        f.fill(f.g1(), f.write(u"actual.txt"_s, {u"r1"_s, u"r2"_s, u"r3"_s}, 2));
        f.fill(f.g2(), f.write(u"local.txt"_s, {u"r1"_s, u"r2"_s, u"r3"_s}, 1));
        EpochGrid *local = f.g2();
        local->setFocus();
        QCOMPARE(QPoint(local->col(), local->row()), QPoint(3, 3));
        QTest::keyClick(local, Qt::Key_Left);
        QTest::keyClick(local, Qt::Key_Left);
        QCOMPARE(local->col(), 1);
        QVERIFY(!f.view.dSyncImage(1)->isHidden()); // column 1 lags
        QTest::keyClick(local, Qt::Key_Right);
        QVERIFY(f.view.dSyncImage(1)->isHidden());
        QTest::keyClick(local, Qt::Key_Left);
        QTest::keyClick(local, Qt::Key_Left); // already at the first column: no move
        QVERIFY(!f.view.dSyncImage(1)->isHidden());
        QTest::keyClick(local, Qt::Key_Return);
        QVERIFY(f.feedback.scripted.inputs.isEmpty());

        QTest::keyClick(local, Qt::Key_C, Qt::ControlModifier);
        QCOMPARE(QGuiApplication::clipboard()->text(), local->text());

        EpochGrid *actual = f.g1();
        actual->setFocus();
        f.feedback.scripted.inputAnswers.enqueue(u"42"_s);
        QTest::keyClick(actual, Qt::Key_Return);
        QCOMPARE(f.feedback.scripted.inputs.size(), 1);
        QCOMPARE(actual->text(), u"42"_s);
        QVERIFY(f.view.dSyncImage(0)->isHidden()); // the edit leaves the icon
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

QTEST_MAIN(TestMatrixLayout)
#include "tst_matrixlayout.moc"
