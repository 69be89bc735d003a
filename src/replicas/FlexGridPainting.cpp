// How the grid draws itself: only the cells that can be seen, the fixed row
// and column over the scrolled ones, and the focus frame on the current cell.
#include "replicas/FlexGrid.h"

#include "replicas/EpochCells.h"
#include "ui/QtColors.h"

#include <QPainter>
#include <QScrollBar>

#include <algorithm>

namespace quorvane {

namespace {

// Numbers sit at the right edge of their cell, everything else at the left.
bool looksNumeric(const QString &text)
{
    if (text.isEmpty())
        return false;
    bool ok = false;
    text.toDouble(&ok);
    return ok;
}

// A frame of `width` pixels just inside a rectangle, drawn pixel-exact.
void drawRing(QPainter &p, const QRect &r, int width, const QColor &color)
{
    p.fillRect(QRect(r.left(), r.top(), r.width(), width), color);
    p.fillRect(QRect(r.left(), r.bottom() - width + 1, r.width(), width), color);
    p.fillRect(QRect(r.left(), r.top(), width, r.height()), color);
    p.fillRect(QRect(r.right() - width + 1, r.top(), width, r.height()), color);
}

} // namespace

void FlexGrid::paintCell(QPainter &p, const QRect &r, int row, int col) const
{
    const bool fixed = row == 0 || col == 0;
    const Cell &cell = m_cells[size_t(row)][size_t(col)];
    p.fillRect(r, toQColor(shownBackColor(row, col)));
    // An unknown value is hatched over its colour, which keeps saying what
    // its column's test found: in a red column it stands out from the
    // numbers that disagree.
    const bool unknown = !fixed && EpochCells::isUnknown(cell.text);
    if (unknown)
        p.fillRect(r, QBrush(unknownHatch(), Qt::BDiagPattern));
    p.setPen(fixed ? palette().color(QPalette::Mid) : QColor(0xC0, 0xC0, 0xC0));
    p.drawLine(r.topRight(), r.bottomRight());
    p.drawLine(r.bottomLeft(), r.bottomRight());
    if (!cell.text.isEmpty()) {
        p.setPen(fixed ? palette().color(QPalette::ButtonText) : QColor(Qt::black));
        const Qt::Alignment align = unknown                               ? Qt::AlignHCenter
                                    : (!fixed && looksNumeric(cell.text)) ? Qt::AlignRight
                                                                          : Qt::AlignLeft;
        const QFont plain = p.font();
        if (unknown) {
            QFont bold = plain;
            bold.setBold(true);
            p.setFont(bold);
        }
        p.drawText(r.adjusted(TextLeft, 0, TextLeft - TextMargins, -1), int(align | Qt::AlignVCenter), cell.text);
        p.setFont(plain);
    }
}

void FlexGrid::paintEvent(QPaintEvent *)
{
    m_repaintPending = false;
    ensureColumnEdges();
    QPainter p(viewport());
    const int h = rowHeightPx();
    const int hOff = horizontalScrollBar()->value();
    const int vOff = verticalScrollBar()->value();
    const int fixedW = m_colEdges[1];
    const QSize view = viewport()->size();
    // The area past the last cell: a quiet grey that sets the matrix off
    // without the heavy dark of a classic grid.
    p.fillRect(QRect(QPoint(0, 0), view), QColor(0xEE, 0xF2, 0xF7));

    // Only what can be seen is drawn: the first scrolled row and column are
    // found from the scroll position, not by walking the grid.
    const int firstRow = std::max(1, vOff / h + 1);
    const auto firstEdge = std::upper_bound(m_colEdges.begin() + 1, m_colEdges.end(), fixedW + hOff);
    const int firstCol = std::max(1, int(firstEdge - m_colEdges.begin()) - 1);

    auto drawRow = [&](int row, int y) {
        p.setClipRect(QRect(0, y, fixedW, h));
        paintCell(p, QRect(0, y, fixedW, h), row, 0);
        p.setClipRect(QRect(fixedW, y, view.width() - fixedW, h));
        for (int col = firstCol; col < m_cols; ++col) {
            const int x = m_colEdges[size_t(col)] - hOff;
            if (x >= view.width())
                break;
            const int w = m_colEdges[size_t(col) + 1] - m_colEdges[size_t(col)];
            if (w > 0)
                paintCell(p, QRect(x, y, w, h), row, col);
        }
    };
    for (int row = firstRow; row < rows(); ++row) {
        const int y = row * h - vOff;
        if (y >= view.height())
            break;
        drawRow(row, y);
    }
    drawRow(0, 0);
    p.setClipping(false);

    // The style's dotted focus line is lost on a red column: a heavy frame
    // with a light line inside stands out on white and red alike.
    if (hasFocus() && m_row > 0 && m_col > 0) {
        const QRect r = cellRect(m_row, m_col).adjusted(0, 0, -1, -1); // inside the grid lines
        if (r.width() > 6 && r.height() > 6) {
            drawRing(p, r, focusFrameWidth, focusFrameColor());
            drawRing(p, r.adjusted(focusFrameWidth, focusFrameWidth, -focusFrameWidth, -focusFrameWidth), 1,
                     QColor(Qt::white));
        }
    }
}

} // namespace quorvane
