#include "replicas/FlexGrid.h"
#include "ui/QuorvaneError.h"

#include <QApplication>
#include <QMouseEvent>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTest>

using namespace quorvane;

// What the epoch matrices do not already drive through the grid: rows and
// cells out of range, clicks off the data cells, and fixed headers.
class TestFlexGrid : public QObject {
    Q_OBJECT
    FlexGrid m_grid;

private slots:
    void initTestCase()
    {
        m_grid.setRows(200);
        m_grid.setCols(200);
        m_grid.resize(400, 300);
        m_grid.show();
        QVERIFY(QTest::qWaitForWindowExposed(&m_grid));
    }

    void outOfRangeIsAnErrorAndKeepsTheCurrentCell()
    {
        m_grid.setRow(5);
        m_grid.setCol(6);
        QVERIFY_THROWS_EXCEPTION(QuorvaneError, m_grid.setRow(200));
        QVERIFY_THROWS_EXCEPTION(QuorvaneError, m_grid.setCol(-1));
        QVERIFY_THROWS_EXCEPTION(QuorvaneError, m_grid.removeItem(0)); // the fixed row stays
        QVERIFY_THROWS_EXCEPTION(QuorvaneError, (void)m_grid.textMatrix(0, 200));
        QCOMPARE(QPoint(m_grid.col(), m_grid.row()), QPoint(6, 5));
    }

    void mouseMovesCurrentCellBeforeSignal_data()
    {
        QTest::addColumn<bool>("dbl");
        QTest::addColumn<QPoint>("cell"); // (col, row); (-1, -1): below the last row
        QTest::newRow("column header") << false << QPoint(4, 0);
        QTest::newRow("row header") << false << QPoint(0, 5);
        QTest::newRow("outside the cells") << false << QPoint(-1, -1);
        QTest::newRow("double click") << true << QPoint(2, 3);
    }
    void mouseMovesCurrentCellBeforeSignal()
    {
        QFETCH(bool, dbl);
        QFETCH(QPoint, cell);
        FlexGrid grid;
        grid.setRows(6);
        grid.setCols(6);
        grid.resize(400, 300);
        grid.show();
        QPoint seen(-9, -9);
        connect(&grid, dbl ? &FlexGrid::doubleClicked : &FlexGrid::mousePressed, this,
                [&] { seen = QPoint(grid.col(), grid.row()); });
        QSignalSpy other(&grid, dbl ? &FlexGrid::mousePressed : &FlexGrid::doubleClicked);
        const QPoint pos = cell.x() < 0 ? QPoint(10, 295) : grid.cellRect(cell.y(), cell.x()).center();
        QMouseEvent e(dbl ? QEvent::MouseButtonDblClick : QEvent::MouseButtonPress, QPointF(pos),
                      grid.viewport()->mapToGlobal(QPointF(pos)), Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(grid.viewport(), &e);
        QCOMPARE(seen, cell.x() < 0 ? QPoint(1, 1) : cell);
        QCOMPARE(other.count(), 0);
    }

    void headersStayWhileScrolling()
    {
        QTRY_VERIFY(m_grid.verticalScrollBar()->maximum() > 0);
        m_grid.verticalScrollBar()->setValue(m_grid.verticalScrollBar()->maximum());
        m_grid.horizontalScrollBar()->setValue(m_grid.horizontalScrollBar()->maximum());
        QCOMPARE(m_grid.cellRect(0, 199).top(), 0);
        QCOMPARE(m_grid.cellRect(199, 0).left(), 0);
        QVERIFY(m_grid.cellRect(1, 1).isEmpty());
        const QRect last = m_grid.cellRect(199, 199);
        QCOMPARE(QPoint(m_grid.colAt(last.center().x()), m_grid.rowAt(last.center().y())), QPoint(199, 199));
    }
};

QTEST_MAIN(TestFlexGrid)
#include "tst_flexgrid.moc"
