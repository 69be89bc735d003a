// The epoch matrices as the view shows them (their reading and filling:
// tst_epochmatrixmodel): a fill's colours, flags and current cell and the
// box of one that fails, the sync icons that follow the current column, the
// value edit, the keys, columns drawn wide enough for every name, the
// current cell kept in sight, how the two matrices share their room; and the
// packets panel beside them (VOBs opened one after another in the window:
// tst_e2e_sim, tst_frmmain).
#include "replicas/EpochMatrixView.h"
#include "replicas/EpochGrid.h"
#include "replicas/EpochMatrixModel.h"
#include "replicas/PacketModel.h"
#include "replicas/PacketPanel.h"
#include "support/LoaderFixture.h"

#include <QApplication>
#include <QClipboard>
#include <QLabel>
#include <QScrollBar>
#include <QSortFilterProxyModel>
#include <QTableView>
#include <QTest>

using namespace quorvane;
using Fixture = quorvane::test::MatrixViewFixture;
using namespace Qt::StringLiterals;

namespace {

// Where a cell is drawn, on whichever part of the view draws it.
QRect rectOf(const EpochGrid *grid, int row, int col) { return grid->cellSpot(row, col).second; }

const QDateTime kNow(QDate(2026, 12, 7), QTime(12, 0));

PacketList::Packet packet(PacketList::Bay bay, const QString &from, const QString &to, qint64 agoSecs,
                          const QList<PacketList::Range> &ranges)
{
    PacketList::Packet p;
    p.bay = bay;
    p.name = u"sync_%1_%2_77_1"_s.arg(from, QLocale::c().toString(kNow.addSecs(-agoSecs), u"dd-MMM-yy.HH.mm.ss"_s));
    p.path = u"/shipping/"_s + p.name;
    p.targets << PacketList::Target{to, false, bay == PacketList::Bay::Incoming, {}};
    p.ranges = ranges;
    PacketList::readName(p);
    return p;
}

const QList<PacketList::Packet> kPackets{
    packet(PacketList::Bay::Outgoing, u"boston_hub"_s, u"singapore"_s, 5 * 86400 + 60,
           {{u"boston_hub"_s, 274, 277}, {u"sanfran_hub"_s, 264, 264}}),
    packet(PacketList::Bay::Incoming, u"sanfran_hub"_s, u"boston_hub"_s, 2 * 86400,
           {{u"boston_hub"_s, 232, 232}, {u"sanfran_hub"_s, 290, 305}}),
    packet(PacketList::Bay::Returned, u"boston_hub"_s, u"oslo"_s, 21 * 86400, {{u"boston_hub"_s, 108, 137}}),
    packet(PacketList::Bay::Outgoing, u"boston_hub"_s, u"singapore"_s, 3 * 3600, {{u"boston_hub"_s, 277, 284}}),
    packet(PacketList::Bay::Outgoing, u"boston_hub"_s, u"singapore"_s, 15 * 86400, {}),
};

QStringList row(const QAbstractItemModel &m, int r)
{
    QStringList cells;
    for (int c = 0; c < m.columnCount(); ++c)
        cells << m.index(r, c).data().toString();
    return cells;
}

const QStringList eightSites{u"boston_hub"_s, u"sanfran_hub"_s, u"bangalore"_s, u"london"_s,
                             u"tokyo"_s,      u"paris"_s,       u"berlin"_s,    u"toronto"_s};

} // namespace

class TestEpochMatrixView : public QObject {
    Q_OBJECT
private slots:
    // The sync icon follows the column pressed in each grid.
    void iconFollowsPressedColumnPerGrid()
    {
        Fixture f;
        QVERIFY(f.g2()->geometry().right() < f.g1()->geometry().left()); // local matrix on the left
        f.fill(f.g1(), u"realistic_results.txt"_s);
        f.fill(f.g2(), u"realistic_results_local.txt"_s);
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
        QCOMPARE(f.view.actualOutOfSync(), (QList<bool>{false, false, true, false, false}));
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
        QVERIFY(g->rowHeightPx() > fm.height());
    }

    // The arrows move the current cell, never onto the names, and the icon
    // follows as it does for a press; Ctrl+C copies the cell.
    void gridKeys()
    {
        Fixture f;
        EpochGrid *local = f.g2();
        f.fill(local, f.write(u"local.txt"_s, {u"r1"_s, u"r2"_s, u"r3"_s}, 1));
        local->setFocus(); // on (3, 3), where the fill left it
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
        const auto whole = [](const EpochGrid *g) {
            return g->horizontalScrollBar()->maximum() == 0 && g->verticalScrollBar()->maximum() == 0;
        };
        QTEST(whole(f.g1()) && whole(f.g2()), "whole");
    }

    // The opened VOB's packets as a table: what each column says of a packet
    // in each bay, and the sort keys behind ages and expiries.
    void packetColumns()
    {
        PacketModel m;
        m.setPackets(kPackets, {{u"boston_hub"_s, 232}, {u"sanfran_hub"_s, 228}}, kNow);
        QCOMPARE(m.rowCount(), 5);
        QCOMPARE(row(m, 0).mid(0, 7), (QStringList{u"outgoing"_s, u"boston_hub"_s, u"singapore"_s, u"5 days"_s,
                                                    u"in 9 days"_s, u"not shipped"_s, u"boston_hub 275 to 277"_s}));
        QCOMPARE(row(m, 0).value(PacketModel::Packet), kPackets[0].name);
        // What the incoming packet waits for: the changes between what this
        // site holds and where the packet starts.
        QCOMPARE(row(m, 1).mid(1, 6), (QStringList{u"sanfran_hub"_s, u"boston_hub"_s, u"2 days"_s, QString(),
                                                    u"waits for sanfran_hub 229 to 290"_s, u"sanfran_hub 291 to 305"_s}));
        QCOMPARE(row(m, 2).mid(3, 3), (QStringList{u"21 days"_s, u"expired"_s, u"must be sent again"_s}));
        QCOMPARE(row(m, 3).mid(3, 2), (QStringList{u"3 h"_s, u"in 14 days"_s}));
        QCOMPARE(row(m, 4).value(PacketModel::OrderExpires), u"expired"_s); // past its 14 days, not yet returned
        QCOMPARE(m.index(0, PacketModel::Packet).data(Qt::ToolTipRole).toString(), kPackets[0].path);
        // Ages and expiries sort as numbers, not as their texts ("3 h" before
        // "21 days"; "in 14 days" after "in 9 days").
        QSortFilterProxyModel proxy;
        proxy.setSourceModel(&m);
        proxy.setSortRole(Qt::UserRole);
        const auto sorted = [&](int col) {
            proxy.sort(col);
            QStringList cells;
            for (int r = 0; r < proxy.rowCount(); ++r)
                cells << proxy.index(r, col).data().toString();
            return cells;
        };
        QCOMPARE(sorted(PacketModel::Age), (QStringList{u"3 h"_s, u"2 days"_s, u"5 days"_s, u"15 days"_s, u"21 days"_s}));
        QCOMPARE(sorted(PacketModel::OrderExpires),
                 (QStringList{u"expired"_s, u"expired"_s, u"in 9 days"_s, u"in 14 days"_s, QString()}));
        // Once this site holds what it builds on, it can be imported.
        m.setPackets(kPackets, {{u"sanfran_hub"_s, 290}}, kNow);
        QCOMPARE(m.index(1, PacketModel::State).data().toString(), u"can be imported"_s);
        m.setPackets({packet(PacketList::Bay::Outgoing, u"boston_hub"_s, u"singapore"_s, 86400 + 3600, {})}, {}, kNow);
        QCOMPARE(row(m, 0).value(PacketModel::Age), u"1 day"_s);
    }

    // None listed says so (a listing that failed: tst_frmmain). Ctrl+C
    // copies the selected rows as shown (sorted), with the heading; with none
    // selected, every row.
    void packetsCopied()
    {
        PacketPanel panel;
        panel.showListed();
        QCOMPARE(panel.note()->text(), u"none of this VOB."_s);
        panel.model()->setPackets(kPackets, {}, kNow);
        panel.showListed();
        QCOMPARE(panel.note()->text(), u"5 packets."_s);
        panel.show();
        QVERIFY(QTest::qWaitForWindowExposed(&panel));
        QTableView *view = panel.view();
        view->sortByColumn(PacketModel::Age, Qt::DescendingOrder);
        view->selectionModel()->select(view->model()->index(0, 0),
                                       QItemSelectionModel::Select | QItemSelectionModel::Rows);
        view->selectionModel()->select(view->model()->index(4, 0),
                                       QItemSelectionModel::Select | QItemSelectionModel::Rows);
        QApplication::clipboard()->clear();
        QTest::keyClick(view, Qt::Key_C, Qt::ControlModifier);
        const QStringList lines = QApplication::clipboard()->text().split(u'\n', Qt::SkipEmptyParts);
        QCOMPARE(lines.size(), 3);
        QCOMPARE(lines[0], u"Bay\tFrom\tTo\tAge\tOrder expires\tState\tCarries\tPacket"_s);
        QVERIFY2(lines[1].startsWith(u"returned\t"_s) && lines[1].contains(u"\t21 days\t"_s), qPrintable(lines[1]));
        QVERIFY2(lines[2].contains(u"\t3 h\t"_s), qPrintable(lines[2]));
        view->clearSelection();
        QTest::keyClick(view, Qt::Key_C, Qt::ControlModifier);
        QCOMPARE(QApplication::clipboard()->text().count(u'\n'), 6);
    }
};

QTEST_MAIN(TestEpochMatrixView)
#include "tst_epochmatrixview.moc"
