#pragma once

#include "common/Colors.h"

#include <QAbstractScrollArea>
#include <QColor>
#include <QHash>
#include <QString>

#include <vector>

namespace quorvane {

// A grid of text cells with one fixed (header) row and one fixed column,
// driven through a current cell the way the epoch matrices need it: code
// moves the current row and column and reads or writes the text and the
// background of the cell under them. Row 0 and column 0 are drawn as headers
// and do not scroll. Column widths are kept in twips.
//
// Moving the current cell outside the grid throws QuorvaneError
// (ErrNo::InvalidRowValue "Invalid Row value", ErrNo::InvalidColValue
// "Invalid Col value"); addressing a cell or a column outside the grid by
// index throws ErrNo::SubscriptOutOfRange.
//
// A mouse press or double click on a cell first makes that cell the current
// cell (headers included) and then emits mousePressed() or doubleClicked();
// a press outside the cells leaves the current cell and still emits. The
// arrow keys move the current cell among the data cells; Ctrl+C copies its
// text. The arrow keys, and the keyboard's arrival, scroll the current cell
// into view; a click (on a cell it can see) and code (a fill) scroll nothing. With the
// focus, the current cell carries a heavy frame. A data cell whose value is
// unknown ("?") is hatched over its background.
//
// A column is drawn at least as wide as its widest text needs in the grid's
// font; its width in twips stays what was set.
// Filling is cheap: writes only mark the grid for one repaint.
class FlexGrid final : public QAbstractScrollArea {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(FlexGrid)

public:
    // Width of a column that was never set, in twips.
    static constexpr int defaultColWidth = 960;
    // How the current cell and unknown values are drawn.
    static constexpr int focusFrameWidth = 2;
    [[nodiscard]] static QColor focusFrameColor() { return {0x10, 0x10, 0x10}; }
    [[nodiscard]] static QColor unknownHatch() { return {0, 0, 0, 110}; }

    explicit FlexGrid(QWidget *parent = nullptr);
    ~FlexGrid() override;

    // Row and column counts, fixed row and column included (at least 1 each).
    // A new grid has 2 rows and 2 columns and its current cell is (1, 1).
    [[nodiscard]] int rows() const;
    void setRows(int count);
    [[nodiscard]] int cols() const;
    void setCols(int count);

    // The current cell. Shrinking the grid pulls it back inside.
    [[nodiscard]] int row() const { return m_row; }
    void setRow(int row);
    [[nodiscard]] int col() const { return m_col; }
    void setCol(int col);

    [[nodiscard]] QString textMatrix(int row, int col) const;
    void setTextMatrix(int row, int col, const QString &text);
    // Text of the current cell.
    [[nodiscard]] QString text() const;
    void setText(const QString &text);

    // Background of the current cell. A cell never coloured reports the
    // grid's own colour for its kind (white for data, the header colour for
    // the fixed row and column).
    [[nodiscard]] OleColor cellBackColor() const;
    void setCellBackColor(OleColor color);
    [[nodiscard]] OleColor cellBackColorAt(int row, int col) const;
    [[nodiscard]] OleColor backColorFixed() const;
    [[nodiscard]] static constexpr OleColor backColor() { return Colors::white; }

    // Appends a row whose column 0 holds `text` (taken whole, tabs included).
    void addItem(const QString &text);
    // Removes a non-fixed row; the rows below move up.
    void removeItem(int row);

    // Column width in twips; the drawn width follows through Twips::toPx.
    // A negative width restores the default.
    [[nodiscard]] int colWidth(int col) const;
    void setColWidth(int col, int twips);
    // Height of every row, in pixels.
    [[nodiscard]] int rowHeightPx() const;

    // Where a cell is drawn in viewport coordinates (empty when scrolled
    // out of sight), and which cell is at a viewport point (-1 if none).
    [[nodiscard]] QRect cellRect(int row, int col) const;
    [[nodiscard]] int rowAt(int y) const;
    [[nodiscard]] int colAt(int x) const;

    // The tooltip at a viewport point: the name of a header cell (not the
    // corner), with the note set for that name on a line below, else empty.
    [[nodiscard]] QString toolTipAt(const QPoint &pos) const;
    // Notes by header name; replaced whole.
    void setHeaderNotes(QHash<QString, QString> notes) { m_headerNotes = std::move(notes); }

    // Scrolls the least that shows the current cell whole (or its start,
    // where it is wider than the view); a header keeps the other direction.
    void scrollToCurrent();
    // Width and height that show every cell without scrolling, frame included.
    [[nodiscard]] QSize fullSize() const;

    [[nodiscard]] QSize sizeHint() const override;

Q_SIGNALS:
    void mousePressed();
    void doubleClicked();
    // The arrow keys moved the current cell.
    void currentCellMoved();
    // Return, Enter or F2 on the current cell.
    void activated();
    // The drawn size of the cells changed (a fill, a font).
    void fullSizeChanged();

protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    bool viewportEvent(QEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void scrollContentsBy(int dx, int dy) override;
    void changeEvent(QEvent *event) override;
    void focusInEvent(QFocusEvent *event) override;

private:
    // Room beside a cell's text: its left inset, the right one and the grid line.
    static constexpr int TextLeft = 3;
    static constexpr int TextMargins = 8;

    struct Cell {
        QString text;
        OleColor back = unset;
    };
    static constexpr OleColor unset = 0xFF000000u;

    void checkCell(int row, int col) const;
    // The background a cell is drawn with: its own colour, else the grid's
    // for its kind. No index check.
    [[nodiscard]] OleColor shownBackColor(int row, int col) const;
    void moveToPoint(const QPoint &pos);
    void contentChanged();
    void geometryChanged();
    void relayout();
    void ensureColumnEdges() const;
    [[nodiscard]] int contentWidth() const;
    [[nodiscard]] int contentHeight() const;
    void paintCell(QPainter &p, const QRect &r, int row, int col) const;

    std::vector<std::vector<Cell>> m_cells;
    std::vector<int> m_colWidthTwips;
    // Left edge in pixels of every column, plus the right edge of the last.
    mutable std::vector<int> m_colEdges;
    mutable bool m_edgesValid = false;
    int m_cols = 2;
    int m_row = 1;
    int m_col = 1;
    bool m_repaintPending = false;
    bool m_relayoutPending = false;
    QSize m_lastFullSize;
    QHash<QString, QString> m_headerNotes;
};

} // namespace quorvane
