#include "replicas/FlexGrid.h"

#include "common/AppInfo.h"
#include "ui/QtColors.h"
#include "common/QuorvaneError.h"
#include "common/Twips.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QHelpEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QScrollBar>
#include <QTimer>
#include <QToolTip>

#include <algorithm>

namespace quorvane {

namespace {

[[noreturn]] void fail(int number, const char *description)
{
    throw QuorvaneError(number, AppInfo::title(), QString::fromLatin1(description));
}

} // namespace

FlexGrid::FlexGrid(QWidget *parent) : QAbstractScrollArea(parent)
{
    m_cells.assign(2, std::vector<Cell>(size_t(m_cols)));
    m_colWidthTwips.assign(size_t(m_cols), defaultColWidth);
    setFocusPolicy(Qt::StrongFocus);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    // The area past the last cell is painted in paintEvent.
    viewport()->setAutoFillBackground(false);
}

FlexGrid::~FlexGrid() = default;

int FlexGrid::rows() const { return int(m_cells.size()); }

void FlexGrid::setRows(int count)
{
    if (count < 1)
        fail(ErrNo::InvalidRowValue, "Invalid Row value");
    m_cells.resize(size_t(count), std::vector<Cell>(size_t(m_cols)));
    m_row = std::min(m_row, count - 1);
    geometryChanged();
}

int FlexGrid::cols() const { return m_cols; }

void FlexGrid::setCols(int count)
{
    if (count < 1)
        fail(ErrNo::InvalidColValue, "Invalid Col value");
    for (auto &cells : m_cells)
        cells.resize(size_t(count));
    m_colWidthTwips.resize(size_t(count), defaultColWidth);
    m_cols = count;
    m_col = std::min(m_col, count - 1);
    geometryChanged();
}

void FlexGrid::setRow(int row)
{
    if (row < 0 || row >= rows())
        fail(ErrNo::InvalidRowValue, "Invalid Row value");
    if (row != m_row) {
        m_row = row;
        contentChanged();
    }
}

void FlexGrid::setCol(int col)
{
    if (col < 0 || col >= m_cols)
        fail(ErrNo::InvalidColValue, "Invalid Col value");
    if (col != m_col) {
        m_col = col;
        contentChanged();
    }
}

void FlexGrid::checkCell(int row, int col) const
{
    if (row < 0 || row >= rows() || col < 0 || col >= m_cols)
        fail(ErrNo::SubscriptOutOfRange, "Subscript out of range");
}

QString FlexGrid::textMatrix(int row, int col) const
{
    checkCell(row, col);
    return m_cells[size_t(row)][size_t(col)].text;
}

void FlexGrid::setTextMatrix(int row, int col, const QString &text)
{
    checkCell(row, col);
    m_cells[size_t(row)][size_t(col)].text = text;
    // A longer text may widen its column as drawn.
    geometryChanged();
}

QString FlexGrid::text() const { return m_cells[size_t(m_row)][size_t(m_col)].text; }

void FlexGrid::setText(const QString &text) { setTextMatrix(m_row, m_col, text); }

OleColor FlexGrid::backColorFixed() const { return fromQColor(palette().color(QPalette::Button)); }

OleColor FlexGrid::shownBackColor(int row, int col) const
{
    const OleColor c = m_cells[size_t(row)][size_t(col)].back;
    if (c != unset)
        return c;
    return (row == 0 || col == 0) ? backColorFixed() : backColor();
}

OleColor FlexGrid::cellBackColorAt(int row, int col) const
{
    checkCell(row, col);
    return shownBackColor(row, col);
}

OleColor FlexGrid::cellBackColor() const { return cellBackColorAt(m_row, m_col); }

void FlexGrid::setCellBackColor(OleColor color)
{
    m_cells[size_t(m_row)][size_t(m_col)].back = color & 0x00FFFFFFu;
    contentChanged();
}

void FlexGrid::addItem(const QString &text)
{
    std::vector<Cell> cells(static_cast<size_t>(m_cols));
    cells[0].text = text;
    m_cells.push_back(std::move(cells));
    geometryChanged();
}

void FlexGrid::removeItem(int row)
{
    if (row < 1 || row >= rows())
        fail(ErrNo::InvalidRowValue, "Invalid Row value");
    m_cells.erase(m_cells.begin() + row);
    m_row = std::min(m_row, rows() - 1);
    geometryChanged();
}

int FlexGrid::colWidth(int col) const
{
    if (col < 0 || col >= m_cols)
        fail(ErrNo::SubscriptOutOfRange, "Subscript out of range");
    return m_colWidthTwips[size_t(col)];
}

void FlexGrid::setColWidth(int col, int twips)
{
    if (col < 0 || col >= m_cols)
        fail(ErrNo::SubscriptOutOfRange, "Subscript out of range");
    m_colWidthTwips[size_t(col)] = twips < 0 ? defaultColWidth : twips;
    geometryChanged();
}

int FlexGrid::rowHeightPx() const { return std::max(Twips::toPx(240), fontMetrics().height() + 4); }

// Writes during a fill come by the thousand: they only ask for one repaint.
void FlexGrid::contentChanged()
{
    if (m_repaintPending)
        return;
    m_repaintPending = true;
    viewport()->update();
}

void FlexGrid::geometryChanged()
{
    m_edgesValid = false;
    contentChanged();
    if (m_relayoutPending)
        return;
    m_relayoutPending = true;
    QTimer::singleShot(0, this, &FlexGrid::relayout);
}

void FlexGrid::ensureColumnEdges() const
{
    if (m_edgesValid)
        return;
    // The width set in twips (100 per character of a name) is narrower than
    // most fonts draw a name; a column is drawn at least as wide as its
    // widest text needs, so that no replica name or number is cut. The
    // width in twips stays what was set.
    std::vector<int> needed(size_t(m_cols), 0);
    const QFontMetrics fm = fontMetrics();
    for (const auto &cells : m_cells) {
        for (int c = 0; c < m_cols; ++c) {
            const QString &text = cells[size_t(c)].text;
            if (!text.isEmpty())
                needed[size_t(c)] = std::max(needed[size_t(c)], fm.horizontalAdvance(text) + TextMargins);
        }
    }
    m_colEdges.resize(size_t(m_cols) + 1);
    int x = 0;
    for (int c = 0; c < m_cols; ++c) {
        m_colEdges[size_t(c)] = x;
        x += std::max(Twips::toPx(m_colWidthTwips[size_t(c)]), needed[size_t(c)]);
    }
    m_colEdges[size_t(m_cols)] = x;
    m_edgesValid = true;
}

int FlexGrid::contentWidth() const
{
    ensureColumnEdges();
    return m_colEdges.back();
}

int FlexGrid::contentHeight() const { return rows() * rowHeightPx(); }

void FlexGrid::relayout()
{
    m_relayoutPending = false;
    ensureColumnEdges();
    const QSize view = viewport()->size();
    horizontalScrollBar()->setRange(0, std::max(0, contentWidth() - view.width()));
    horizontalScrollBar()->setPageStep(std::max(1, view.width() - m_colEdges[1]));
    horizontalScrollBar()->setSingleStep(Twips::toPx(defaultColWidth) / 2);
    const int h = rowHeightPx();
    verticalScrollBar()->setRange(0, std::max(0, contentHeight() - view.height()));
    verticalScrollBar()->setPageStep(std::max(1, view.height() - h));
    verticalScrollBar()->setSingleStep(h);
    contentChanged();
    if (const QSize full = fullSize(); full != m_lastFullSize) {
        m_lastFullSize = full;
        Q_EMIT fullSizeChanged();
    }
}

QSize FlexGrid::fullSize() const
{
    return {contentWidth() + 2 * frameWidth(), contentHeight() + 2 * frameWidth()};
}

QRect FlexGrid::cellRect(int row, int col) const
{
    if (row < 0 || row >= rows() || col < 0 || col >= m_cols)
        return {};
    ensureColumnEdges();
    const int h = rowHeightPx();
    const int fixedW = m_colEdges[1];
    int x = m_colEdges[size_t(col)];
    int y = row * h;
    if (col > 0)
        x -= horizontalScrollBar()->value();
    if (row > 0)
        y -= verticalScrollBar()->value();
    QRect r(x, y, m_colEdges[size_t(col) + 1] - m_colEdges[size_t(col)], h);
    // Scrolled cells disappear under the fixed row and column.
    if (col > 0)
        r.setLeft(std::max(r.left(), fixedW));
    if (row > 0)
        r.setTop(std::max(r.top(), h));
    return r.isValid() ? r : QRect();
}

int FlexGrid::colAt(int x) const
{
    ensureColumnEdges();
    if (x < 0)
        return -1;
    if (x < m_colEdges[1])
        return 0;
    const int content = x + horizontalScrollBar()->value();
    const auto it = std::upper_bound(m_colEdges.begin() + 1, m_colEdges.end(), content);
    if (it == m_colEdges.end())
        return -1;
    return int(it - m_colEdges.begin()) - 1;
}

int FlexGrid::rowAt(int y) const
{
    const int h = rowHeightPx();
    if (y < 0)
        return -1;
    if (y < h)
        return 0;
    const int r = (y + verticalScrollBar()->value()) / h;
    return r < rows() ? r : -1;
}

void FlexGrid::moveToPoint(const QPoint &pos)
{
    const int r = rowAt(pos.y());
    const int c = colAt(pos.x());
    if (r < 0 || c < 0)
        return;
    m_row = r;
    m_col = c;
    contentChanged();
}

void FlexGrid::scrollToCurrent()
{
    if (m_relayoutPending)
        relayout(); // the scroll ranges of the cells as they are now
    ensureColumnEdges();
    const QSize view = viewport()->size();
    // v: the scroll position; the cell starts at `start` past the fixed part,
    // which leaves `room` for the scrolled cells.
    const auto bring = [](QScrollBar *bar, int start, int length, int room) {
        int v = bar->value();
        if (start + length > v + room)
            v = start + length - room;
        if (start < v)
            v = start;
        bar->setValue(v);
    };
    if (m_col > 0) {
        const int fixedW = m_colEdges[1];
        bring(horizontalScrollBar(), m_colEdges[size_t(m_col)] - fixedW,
              m_colEdges[size_t(m_col) + 1] - m_colEdges[size_t(m_col)], view.width() - fixedW);
    }
    if (m_row > 0) {
        const int h = rowHeightPx();
        bring(verticalScrollBar(), (m_row - 1) * h, h, view.height() - h);
    }
}

void FlexGrid::focusInEvent(QFocusEvent *event)
{
    QAbstractScrollArea::focusInEvent(event);
    // Arriving by keyboard, the frame must be where it can be seen. A click
    // scrolls nothing: a double click's second press would otherwise land
    // on another cell than its first.
    if (event->reason() == Qt::TabFocusReason || event->reason() == Qt::BacktabFocusReason ||
        event->reason() == Qt::ShortcutFocusReason)
        scrollToCurrent();
    viewport()->update();
}

void FlexGrid::mousePressEvent(QMouseEvent *event)
{
    moveToPoint(event->position().toPoint());
    event->accept();
    Q_EMIT mousePressed();
}

// The second press of a double click is reported as the double click only.
void FlexGrid::mouseDoubleClickEvent(QMouseEvent *event)
{
    moveToPoint(event->position().toPoint());
    event->accept();
    Q_EMIT doubleClicked();
}

void FlexGrid::keyPressEvent(QKeyEvent *event)
{
    if (event->matches(QKeySequence::Copy)) {
        // The current cell's text, a name or an epoch number, for a report.
        QGuiApplication::clipboard()->setText(text());
        event->accept();
        return;
    }
    int r = m_row;
    int c = m_col;
    switch (event->key()) {
    case Qt::Key_Up: r = std::max(1, r - 1); break;
    case Qt::Key_Down: r = std::min(rows() - 1, r + 1); break;
    case Qt::Key_Left: c = std::max(1, c - 1); break;
    case Qt::Key_Right: c = std::min(m_cols - 1, c + 1); break;
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_F2:
        event->accept();
        Q_EMIT activated();
        return;
    default: QAbstractScrollArea::keyPressEvent(event); return;
    }
    event->accept();
    r = std::max(0, r);
    c = std::max(0, c);
    if (r == m_row && c == m_col)
        return;
    m_row = r;
    m_col = c;
    contentChanged();
    scrollToCurrent();
    Q_EMIT currentCellMoved();
}

bool FlexGrid::viewportEvent(QEvent *event)
{
    if (event->type() == QEvent::ToolTip) {
        const auto *help = static_cast<QHelpEvent *>(event);
        const QString tip = toolTipAt(help->pos());
        if (tip.isEmpty()) {
            QToolTip::hideText();
            event->ignore();
        } else {
            QToolTip::showText(help->globalPos(), tip, viewport(),
                               cellRect(rowAt(help->pos().y()), colAt(help->pos().x())));
        }
        return true;
    }
    return QAbstractScrollArea::viewportEvent(event);
}

// A header cell tells its full name, also where it is drawn whole: the
// names are what a column or row is read by.
QString FlexGrid::toolTipAt(const QPoint &pos) const
{
    const int r = rowAt(pos.y());
    const int c = colAt(pos.x());
    if (r < 0 || c < 0 || (r == 0) == (c == 0))
        return {};
    const QString &name = m_cells[size_t(r)][size_t(c)].text;
    const auto note = m_headerNotes.constFind(name);
    return note == m_headerNotes.cend() || name.isEmpty() ? name : name + QLatin1Char('\n') + *note;
}

void FlexGrid::resizeEvent(QResizeEvent *event)
{
    QAbstractScrollArea::resizeEvent(event);
    relayout();
}

void FlexGrid::scrollContentsBy(int, int) { viewport()->update(); }

void FlexGrid::changeEvent(QEvent *event)
{
    QAbstractScrollArea::changeEvent(event);
    if (event->type() == QEvent::FontChange || event->type() == QEvent::PaletteChange)
        geometryChanged();
}

QSize FlexGrid::sizeHint() const { return {Twips::toPx(5 * defaultColWidth), 8 * rowHeightPx()}; }

} // namespace quorvane
