#include "replicas/FlexGrid.h"
#include "ui/QuorvaneError.h"
#include "ui/Twips.h"

#include <QApplication>
#include <QMouseEvent>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTest>

using namespace quorvane;

namespace {

void sendMouse(FlexGrid &grid, QEvent::Type type, const QPoint &pos)
{
    QMouseEvent event(type, QPointF(pos), grid.viewport()->mapToGlobal(QPointF(pos)), Qt::LeftButton,
                      type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(grid.viewport(), &event);
}

int errorOf(const std::function<void()> &action, QString *description = nullptr)
{
    try {
        action();
    } catch (const QuorvaneError &e) {
        if (description)
            *description = e.description();
        return e.number();
    }
    return 0;
}

// A grid of `rows` x `cols` whose cell (r, c) reads "r:c".
void fillNumbered(FlexGrid &grid, int rows, int cols)
{
    grid.setRows(rows);
    grid.setCols(cols);
    for (int r = 0; r < rows; ++r)
        for (int c = 0; c < cols; ++c)
            grid.setTextMatrix(r, c, QStringLiteral("%1:%2").arg(r).arg(c));
}

} // namespace

class TestFlexGrid : public QObject {
    Q_OBJECT
private slots:
    void startsWithTwoByTwoOnFirstDataCell()
    {
        FlexGrid grid;
        QCOMPARE(grid.rows(), 2);
        QCOMPARE(grid.cols(), 2);
        QCOMPARE(grid.row(), 1);
        QCOMPARE(grid.col(), 1);
        QCOMPARE(grid.colWidth(1), FlexGrid::defaultColWidth);
    }

    void currentCellOutsideGridThrows_data()
    {
        QTest::addColumn<bool>("isRow");
        QTest::addColumn<int>("value");
        QTest::addColumn<int>("error");
        QTest::addColumn<QString>("description");
        const QString badRow = QStringLiteral("Invalid Row value");
        const QString badCol = QStringLiteral("Invalid Col value");
        QTest::newRow("row -1") << true << -1 << ErrNo::InvalidRowValue << badRow;
        QTest::newRow("row = rows") << true << 3 << ErrNo::InvalidRowValue << badRow;
        QTest::newRow("row 0 allowed") << true << 0 << 0 << QString();
        QTest::newRow("col -1") << false << -1 << ErrNo::InvalidColValue << badCol;
        QTest::newRow("col = cols") << false << 4 << ErrNo::InvalidColValue << badCol;
        QTest::newRow("last col allowed") << false << 3 << 0 << QString();
    }
    void currentCellOutsideGridThrows()
    {
        QFETCH(bool, isRow);
        QFETCH(int, value);
        QFETCH(int, error);
        QFETCH(QString, description);
        FlexGrid grid;
        grid.setRows(3);
        grid.setCols(4);
        QString got;
        QCOMPARE(errorOf([&] { isRow ? grid.setRow(value) : grid.setCol(value); }, &got), error);
        QCOMPARE(got, description);
        QCOMPARE(isRow ? grid.row() : grid.col(), error ? 1 : value);
    }

    void textGoesToCurrentCell()
    {
        FlexGrid grid;
        fillNumbered(grid, 3, 3);
        grid.setRow(2);
        grid.setCol(0);
        QCOMPARE(grid.text(), QStringLiteral("2:0"));
        grid.setText(QStringLiteral("x"));
        QCOMPARE(grid.textMatrix(2, 0), QStringLiteral("x"));
        QCOMPARE(errorOf([&] { (void)grid.textMatrix(3, 0); }), ErrNo::SubscriptOutOfRange);
    }

    void addAndRemoveRows()
    {
        FlexGrid grid;
        fillNumbered(grid, 2, 3);
        grid.addItem(QStringLiteral("name\twith tab"));
        QCOMPARE(grid.rows(), 3);
        QCOMPARE(grid.textMatrix(2, 0), QStringLiteral("name\twith tab"));
        QCOMPARE(grid.textMatrix(2, 1), QString());
        grid.addItem(QStringLiteral("last"));
        grid.setRow(3);
        grid.removeItem(1);
        QCOMPARE(grid.rows(), 3);
        QCOMPARE(grid.textMatrix(1, 0), QStringLiteral("name\twith tab"));
        QCOMPARE(grid.textMatrix(2, 0), QStringLiteral("last"));
        QCOMPARE(grid.row(), 2);
        QCOMPARE(errorOf([&] { grid.removeItem(0); }), ErrNo::InvalidRowValue);
        QCOMPARE(errorOf([&] { grid.removeItem(3); }), ErrNo::InvalidRowValue);
    }

    void shrinkingKeepsCurrentCellInside()
    {
        FlexGrid grid;
        fillNumbered(grid, 5, 5);
        grid.setRow(4);
        grid.setCol(4);
        grid.setCols(3);
        grid.setRows(2);
        QCOMPARE(grid.row(), 1);
        QCOMPARE(grid.col(), 2);
        QCOMPARE(grid.textMatrix(1, 2), QStringLiteral("1:2"));
        grid.setCols(4);
        QCOMPARE(grid.textMatrix(1, 3), QString());
        QCOMPARE(errorOf([&] { grid.setCols(0); }), ErrNo::InvalidColValue);
    }

    void widthsAreKeptInTwips_data()
    {
        QTest::addColumn<int>("twips");
        QTest::addColumn<int>("expectedTwips");
        QTest::newRow("900") << 900 << 900;
        QTest::newRow("not a pixel multiple") << 1000 << 1000;
        QTest::newRow("zero hides") << 0 << 0;
        QTest::newRow("negative means default") << -1 << FlexGrid::defaultColWidth;
    }
    void widthsAreKeptInTwips()
    {
        QFETCH(int, twips);
        QFETCH(int, expectedTwips);
        FlexGrid grid;
        grid.setCols(3);
        grid.setColWidth(1, twips);
        QCOMPARE(grid.colWidth(1), expectedTwips);
        QCOMPARE(grid.cellRect(0, 1).width(), Twips::toPx(expectedTwips));
        QCOMPARE(grid.cellRect(0, 2).left(), Twips::toPx(FlexGrid::defaultColWidth) + Twips::toPx(expectedTwips));
        QCOMPARE(errorOf([&] { grid.setColWidth(3, 10); }), ErrNo::SubscriptOutOfRange);
    }

    void backColorsOfFixedAndDataCells()
    {
        FlexGrid grid;
        grid.setRow(0);
        QCOMPARE(grid.cellBackColor(), grid.backColorFixed());
        QVERIFY(grid.backColorFixed() != Colors::white);
        grid.setRow(1);
        QCOMPARE(grid.cellBackColor(), Colors::white);
        grid.setCellBackColor(Colors::pureRed);
        QCOMPARE(grid.cellBackColorAt(1, 1), Colors::pureRed);
        QCOMPARE(grid.cellBackColorAt(1, 0), grid.backColorFixed());
    }

    void pressMovesCurrentCellBeforeHandler_data()
    {
        QTest::addColumn<int>("row");
        QTest::addColumn<int>("col");
        QTest::newRow("data cell") << 3 << 2;
        QTest::newRow("column header") << 0 << 4;
        QTest::newRow("row header") << 5 << 0;
    }
    void pressMovesCurrentCellBeforeHandler()
    {
        QFETCH(int, row);
        QFETCH(int, col);
        FlexGrid grid;
        fillNumbered(grid, 6, 6);
        grid.resize(600, 400);
        grid.show();
        QPoint seen(-1, -1);
        connect(&grid, &FlexGrid::mousePressed, this, [&] { seen = QPoint(grid.col(), grid.row()); });
        QSignalSpy doubles(&grid, &FlexGrid::doubleClicked);
        QTest::mousePress(grid.viewport(), Qt::LeftButton, {}, grid.cellRect(row, col).center());
        QCOMPARE(seen, QPoint(col, row));
        QCOMPARE(doubles.count(), 0);
    }

    void doubleClickMovesAndReportsOnlyTheDoubleClick()
    {
        FlexGrid grid;
        fillNumbered(grid, 4, 4);
        grid.resize(600, 300);
        grid.show();
        QSignalSpy presses(&grid, &FlexGrid::mousePressed);
        int rowAtSignal = -1;
        connect(&grid, &FlexGrid::doubleClicked, this, [&] { rowAtSignal = grid.row(); });
        sendMouse(grid, QEvent::MouseButtonDblClick, grid.cellRect(3, 2).center());
        QCOMPARE(rowAtSignal, 3);
        QCOMPARE(grid.col(), 2);
        QCOMPARE(presses.count(), 0);
    }

    void pressOutsideCellsKeepsCurrentCell()
    {
        FlexGrid grid;
        grid.resize(600, 400);
        grid.show();
        QSignalSpy presses(&grid, &FlexGrid::mousePressed);
        QTest::mousePress(grid.viewport(), Qt::LeftButton, {}, QPoint(550, 350));
        QCOMPARE(presses.count(), 1);
        QCOMPARE(grid.row(), 1);
        QCOMPARE(grid.col(), 1);
    }

    void headersStayWhileScrolling()
    {
        FlexGrid grid;
        fillNumbered(grid, 200, 200);
        grid.resize(400, 300);
        grid.show();
        QVERIFY(QTest::qWaitForWindowExposed(&grid));
        QTRY_VERIFY(grid.verticalScrollBar()->maximum() > 0);
        grid.verticalScrollBar()->setValue(grid.verticalScrollBar()->maximum());
        grid.horizontalScrollBar()->setValue(grid.horizontalScrollBar()->maximum());
        QCOMPARE(grid.cellRect(0, 0).topLeft(), QPoint(0, 0));
        QCOMPARE(grid.cellRect(0, 199).top(), 0);
        QCOMPARE(grid.cellRect(199, 0).left(), 0);
        QVERIFY(grid.cellRect(1, 1).isEmpty());
        const QRect last = grid.cellRect(199, 199);
        QVERIFY(!last.isEmpty());
        QCOMPARE(grid.rowAt(last.center().y()), 199);
        QCOMPARE(grid.colAt(last.center().x()), 199);
    }
};

QTEST_MAIN(TestFlexGrid)
#include "tst_flexgrid.moc"
