#pragma once

#include "common/Colors.h"

#include <QColor>
#include <QTableView>
#include <utility>

namespace quorvane {

class EpochMatrixModel;

// The view of one epoch matrix: a table view over its EpochMatrixModel,
// the replicas' names in a flat header row and column that do not scroll,
// "REPLICA NAME" in the corner.
//
// It keeps a current cell over the whole matrix, names included: a press
// makes the pressed cell current (a name too) and then emits mousePressed(),
// a double click emits doubleClicked(); a press outside the cells leaves it
// and still emits. The arrow keys move it among the values and scroll it
// into view, as does the keyboard's arrival; a click and a fill scroll
// nothing, so that a double click's second press meets its first's cell.
// With the focus, the current value carries a heavy frame; a "?" is
// hatched over its column's colour. Ctrl+C copies the current cell's text.
//
// What the matrix shows is read here in one plain way, row 0 and column 0
// being the names: textMatrix, colWidth (twips), cellBackColorAt, row/col.
// A column is drawn at least as wide as its widest text needs in the
// view's font; its width in twips stays what the matrix says.
class EpochGrid final : public QTableView {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(EpochGrid)

public:
    static constexpr int focusFrameWidth = 2;
    [[nodiscard]] static QColor focusFrameColor() { return {0x10, 0x10, 0x10}; }
    [[nodiscard]] static QColor unknownHatch() { return {0, 0, 0, 110}; }

    explicit EpochGrid(QWidget *parent = nullptr);
    ~EpochGrid() override;

    [[nodiscard]] EpochMatrixModel *matrixModel() const { return m_model; }

    [[nodiscard]] int rows() const;
    [[nodiscard]] int cols() const;
    [[nodiscard]] QString textMatrix(int row, int col) const;
    [[nodiscard]] int colWidth(int col) const;
    // The background a cell is drawn with: the model's colour for a value,
    // the view's header colour for a name.
    [[nodiscard]] OleColor cellBackColorAt(int row, int col) const;
    [[nodiscard]] OleColor backColorFixed() const;

    // The current cell, names included. Setting it scrolls nothing.
    [[nodiscard]] int row() const { return m_row; }
    [[nodiscard]] int col() const { return m_col; }
    void setCurrentCell(int row, int col);
    // Text of the current cell.
    [[nodiscard]] QString text() const;

    // The widget a cell is drawn on and the cell's rectangle there, in
    // that widget's coordinates (outside it where scrolled out of sight).
    [[nodiscard]] std::pair<QWidget *, QRect> cellSpot(int row, int col) const;
    // Height of every row, in pixels.
    [[nodiscard]] int rowHeightPx() const;
    // Scrolls the least that shows the current cell whole.
    void scrollToCurrent();
    // Width and height that show every cell without scrolling, frame included.
    [[nodiscard]] QSize fullSize() const;
    [[nodiscard]] QSize sizeHint() const override;

Q_SIGNALS:
    void mousePressed();
    void cellDoubleClicked();
    // The arrow keys moved the current cell.
    void currentCellMoved();
    // Return, Enter or F2 on the current cell.
    void cellActivated();
    // The drawn size of the cells changed (a fill, a font).
    void fullSizeChanged();

protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void focusInEvent(QFocusEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;
    void changeEvent(QEvent *event) override;
    void currentChanged(const QModelIndex &current, const QModelIndex &previous) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void relayout();
    void pressAt(int row, int col, bool doubleClick);
    void paintCorner(QWidget *corner);

    EpochMatrixModel *m_model = nullptr;
    QWidget *m_corner = nullptr;
    int m_row = 1;
    int m_col = 1;
    QSize m_lastFullSize;
};

} // namespace quorvane
