#include "replicas/EpochGrid.h"

#include "common/Twips.h"
#include "replicas/EpochMatrixModel.h"
#include "ui/QtColors.h"

#include <QAbstractButton>
#include <QClipboard>
#include <QFocusEvent>
#include <QGuiApplication>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <QStyledItemDelegate>
#include <algorithm>

namespace quorvane {

namespace {

// Room beside a cell's text: its left inset, the right one and the grid line.
constexpr int TextLeft = 3;
constexpr int TextMargins = 8;
const QColor dataLine(0xC0, 0xC0, 0xC0);

// A frame of `width` pixels just inside a rectangle, drawn pixel-exact.
void drawRing(QPainter &p, const QRect &r, int width, const QColor &color)
{
    p.fillRect(QRect(r.left(), r.top(), r.width(), width), color);
    p.fillRect(QRect(r.left(), r.bottom() - width + 1, r.width(), width), color);
    p.fillRect(QRect(r.left(), r.top(), width, r.height()), color);
    p.fillRect(QRect(r.right() - width + 1, r.top(), width, r.height()), color);
}

QRect textRect(const QRect &r)
{
    return r.adjusted(TextLeft, 0, TextLeft - TextMargins, -1);
}

// A name cell: flat, in the window's button colour, as a heading reads.
void paintName(QPainter &p, const QRect &r, const QString &text, const QPalette &palette)
{
    p.fillRect(r, palette.color(QPalette::Button));
    p.setPen(palette.color(QPalette::Mid));
    p.drawLine(r.topRight(), r.bottomRight());
    p.drawLine(r.bottomLeft(), r.bottomRight());
    if (!text.isEmpty()) {
        p.setPen(palette.color(QPalette::ButtonText));
        p.drawText(textRect(r), int(Qt::AlignLeft | Qt::AlignVCenter), text);
    }
}

const QColor pastCells(0xEE, 0xF2, 0xF7);

class NameHeader final : public QHeaderView {
public:
    using QHeaderView::QHeaderView;

protected:
    // Past the last name the header is the area past the cells, not a
    // header the style draws empty.
    void paintEvent(QPaintEvent *event) override
    {
        QHeaderView::paintEvent(event);
        const int end = length() - offset();
        QPainter p(viewport());
        if (orientation() == Qt::Horizontal)
            p.fillRect(QRect(end, 0, viewport()->width() - end, viewport()->height()), pastCells);
        else
            p.fillRect(QRect(0, end, viewport()->width(), viewport()->height() - end), pastCells);
    }

    void paintSection(QPainter *p, const QRect &rect, int section) const override
    {
        if (!rect.isValid())
            return;
        paintName(*p, rect, model()->headerData(section, orientation()).toString(), palette());
    }
};

class ValueDelegate final : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter *p, const QStyleOptionViewItem &option, const QModelIndex &index) const override
    {
        const QRect r = option.rect;
        p->save();
        p->fillRect(r, toQColor(index.data(EpochMatrixModel::BackColorRole).value<OleColor>()));
        // An unknown value is hatched over its colour, which keeps saying
        // what its column's test found: in a red column it stands out from
        // the numbers that disagree.
        const bool unknown = index.data(EpochMatrixModel::UnknownRole).toBool();
        if (unknown)
            p->fillRect(r, QBrush(EpochGrid::unknownHatch(), Qt::BDiagPattern));
        p->setPen(dataLine);
        p->drawLine(r.topRight(), r.bottomRight());
        p->drawLine(r.bottomLeft(), r.bottomRight());
        const QString text = index.data().toString();
        if (!text.isEmpty()) {
            p->setPen(QColor(Qt::black));
            QFont font = option.font;
            font.setBold(unknown);
            p->setFont(font);
            const auto align = index.data(Qt::TextAlignmentRole).value<Qt::Alignment>();
            p->drawText(textRect(r), int(align), text);
        }
        // The style's dotted focus line is lost on a red column: a heavy
        // frame with a light line inside stands out on white and red alike.
        if (option.state & QStyle::State_HasFocus) {
            const QRect f = r.adjusted(0, 0, -1, -1); // inside the grid lines
            if (f.width() > 6 && f.height() > 6) {
                const int w = EpochGrid::focusFrameWidth;
                drawRing(*p, f, w, EpochGrid::focusFrameColor());
                drawRing(*p, f.adjusted(w, w, -w, -w), 1, QColor(Qt::white));
            }
        }
        p->restore();
    }
};

} // namespace

EpochGrid::EpochGrid(QWidget *parent) : QTableView(parent), m_model(new EpochMatrixModel(this))
{
    setHorizontalHeader(new NameHeader(Qt::Horizontal, this));
    setVerticalHeader(new NameHeader(Qt::Vertical, this));
    setModel(m_model);
    setItemDelegate(new ValueDelegate(this));
    setShowGrid(false);
    setSelectionMode(QAbstractItemView::NoSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
    setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);
    // Scrolling follows the keyboard only (scrollToCurrent).
    setAutoScroll(false);
    setFocusPolicy(Qt::StrongFocus);
    setWordWrap(false);
    // Tab leaves the matrix, as from any other control.
    setTabKeyNavigation(false);
    for (QHeaderView *header : {horizontalHeader(), verticalHeader()}) {
        header->setSectionsClickable(false);
        header->setHighlightSections(false);
        header->setSectionResizeMode(QHeaderView::Fixed);
        header->setMinimumSectionSize(1);
        header->viewport()->installEventFilter(this);
    }
    m_corner = findChild<QAbstractButton *>();
    if (m_corner)
        m_corner->installEventFilter(this);

    connect(m_model, &QAbstractItemModel::modelReset, this, [this] {
        const EpochMatrix &m = m_model->matrix();
        setCurrentCell(m.currentRow(), m.currentCol());
        relayout();
    });
    connect(m_model, &QAbstractItemModel::dataChanged, this, &EpochGrid::relayout);
    connect(m_model, &QAbstractItemModel::headerDataChanged, this, &EpochGrid::relayout);
    relayout();
    setCurrentCell(1, 1);
}

EpochGrid::~EpochGrid() = default;

int EpochGrid::rows() const
{
    return m_model->matrix().rows();
}

int EpochGrid::cols() const
{
    return m_model->matrix().cols();
}

QString EpochGrid::textMatrix(int row, int col) const
{
    return m_model->matrix().text(row, col);
}

int EpochGrid::colWidth(int col) const
{
    return m_model->matrix().colWidth(col);
}

OleColor EpochGrid::backColorFixed() const
{
    return fromQColor(palette().color(QPalette::Button));
}

OleColor EpochGrid::cellBackColorAt(int row, int col) const
{
    const OleColor value = m_model->matrix().backColor(row, col); // checks the cell
    return row == 0 || col == 0 ? backColorFixed() : value;
}

QString EpochGrid::text() const
{
    return textMatrix(m_row, m_col);
}

void EpochGrid::setCurrentCell(int row, int col)
{
    row = std::clamp(row, 0, rows() - 1);
    col = std::clamp(col, 0, cols() - 1);
    if (row > 0 && col > 0)
        selectionModel()->setCurrentIndex(m_model->index(row - 1, col - 1), QItemSelectionModel::NoUpdate);
    else
        selectionModel()->setCurrentIndex({}, QItemSelectionModel::NoUpdate);
    m_row = row;
    m_col = col;
    viewport()->update();
}

void EpochGrid::currentChanged(const QModelIndex &current, const QModelIndex &previous)
{
    QTableView::currentChanged(current, previous);
    if (current.isValid()) {
        m_row = current.row() + 1;
        m_col = current.column() + 1;
    }
}

int EpochGrid::rowHeightPx() const
{
    return std::max(Twips::toPx(240), fontMetrics().height() + 4);
}

void EpochGrid::relayout()
{
    // The width set in twips (100 per character of a name) is narrower than
    // most fonts draw a name; a column is drawn at least as wide as its
    // widest text needs, so that no replica name or number is cut.
    const EpochMatrix &m = m_model->matrix();
    const QFontMetrics fm = fontMetrics();
    std::vector<int> needed(size_t(m.cols()), 0);
    for (int r = 0; r < m.rows(); ++r) {
        for (int c = 0; c < m.cols(); ++c) {
            const QString &text = m.text(r, c);
            if (!text.isEmpty())
                needed[size_t(c)] = std::max(needed[size_t(c)], fm.horizontalAdvance(text) + TextMargins);
        }
    }
    const auto width = [&](int c) {
        return std::max(Twips::toPx(m.colWidth(c)), needed[size_t(c)]);
    };
    const int h = rowHeightPx();
    verticalHeader()->setDefaultSectionSize(h);
    horizontalHeader()->setFixedHeight(h);
    verticalHeader()->setFixedWidth(width(0));
    for (int c = 1; c < m.cols(); ++c)
        horizontalHeader()->resizeSection(c - 1, width(c));
    updateGeometries();
    viewport()->update();
    if (const QSize full = fullSize(); full != m_lastFullSize) {
        m_lastFullSize = full;
        Q_EMIT fullSizeChanged();
    }
}

QSize EpochGrid::fullSize() const
{
    return {verticalHeader()->width() + horizontalHeader()->length() + 2 * frameWidth(),
            rows() * rowHeightPx() + 2 * frameWidth()};
}

QSize EpochGrid::sizeHint() const
{
    return {Twips::toPx(5 * EpochMatrix::defaultColWidth), 8 * rowHeightPx()};
}

std::pair<QWidget *, QRect> EpochGrid::cellSpot(int row, int col) const
{
    if (row < 0 || row >= rows() || col < 0 || col >= cols())
        return {nullptr, {}};
    const int h = rowHeightPx();
    if (row == 0 && col == 0)
        return {m_corner, m_corner ? m_corner->rect() : QRect()};
    if (row == 0) {
        QHeaderView *header = horizontalHeader();
        const QRect r(header->sectionViewportPosition(col - 1), 0, header->sectionSize(col - 1), h);
        return {header->viewport(), r};
    }
    if (col == 0) {
        QHeaderView *header = verticalHeader();
        const QRect r(0, header->sectionViewportPosition(row - 1), header->width(), h);
        return {header->viewport(), r};
    }
    return {viewport(), visualRect(m_model->index(row - 1, col - 1))};
}

void EpochGrid::scrollToCurrent()
{
    if (m_row > 0 && m_col > 0)
        scrollTo(m_model->index(m_row - 1, m_col - 1), QAbstractItemView::EnsureVisible);
    else if (m_row > 0)
        scrollTo(m_model->index(m_row - 1, std::max(0, columnAt(0))), QAbstractItemView::EnsureVisible);
    else if (m_col > 0)
        scrollTo(m_model->index(std::max(0, rowAt(0)), m_col - 1), QAbstractItemView::EnsureVisible);
}

void EpochGrid::pressAt(int row, int col, bool doubleClick)
{
    if (row >= 0 && col >= 0)
        setCurrentCell(row, col);
    if (doubleClick)
        Q_EMIT cellDoubleClicked();
    else
        Q_EMIT mousePressed();
}

// The area past the last cell: a quiet grey that sets the matrix off
// without the heavy dark of a classic grid. Painted here, since a window's
// style sheet would replace a colour given through the palette.
void EpochGrid::paintEvent(QPaintEvent *event)
{
    {
        QPainter p(viewport());
        p.fillRect(viewport()->rect(), pastCells);
    }
    QTableView::paintEvent(event);
}

void EpochGrid::mousePressEvent(QMouseEvent *event)
{
    const QModelIndex index = indexAt(event->position().toPoint());
    pressAt(index.isValid() ? index.row() + 1 : -1, index.column() + 1, false);
    event->accept();
}

// The second press of a double click is reported as the double click only.
void EpochGrid::mouseDoubleClickEvent(QMouseEvent *event)
{
    const QModelIndex index = indexAt(event->position().toPoint());
    pressAt(index.isValid() ? index.row() + 1 : -1, index.column() + 1, true);
    event->accept();
}

bool EpochGrid::eventFilter(QObject *watched, QEvent *event)
{
    const QEvent::Type type = event->type();
    if (watched == m_corner && type == QEvent::Paint) {
        paintCorner(m_corner);
        return true;
    }
    if (type != QEvent::MouseButtonPress && type != QEvent::MouseButtonDblClick)
        return QTableView::eventFilter(watched, event);
    // A press on a name makes that name the current cell, as on a value.
    const bool twice = type == QEvent::MouseButtonDblClick;
    const QPoint pos = static_cast<QMouseEvent *>(event)->position().toPoint();
    if (watched == m_corner) {
        pressAt(0, 0, twice);
    } else if (watched == horizontalHeader()->viewport()) {
        const int section = horizontalHeader()->logicalIndexAt(pos);
        pressAt(section < 0 ? -1 : 0, section + 1, twice);
    } else if (watched == verticalHeader()->viewport()) {
        const int section = verticalHeader()->logicalIndexAt(pos);
        pressAt(section + 1, section < 0 ? -1 : 0, twice);
    } else {
        return QTableView::eventFilter(watched, event);
    }
    if (focusPolicy() & Qt::ClickFocus)
        setFocus(Qt::MouseFocusReason);
    return true;
}

void EpochGrid::paintCorner(QWidget *corner)
{
    QPainter p(corner);
    paintName(p, corner->rect(), textMatrix(0, 0), palette());
}

void EpochGrid::keyPressEvent(QKeyEvent *event)
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
    case Qt::Key_Up:
        r = std::max(1, r - 1);
        break;
    case Qt::Key_Down:
        r = std::min(rows() - 1, r + 1);
        break;
    case Qt::Key_Left:
        c = std::max(1, c - 1);
        break;
    case Qt::Key_Right:
        c = std::min(cols() - 1, c + 1);
        break;
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_F2:
        event->accept();
        Q_EMIT cellActivated();
        return;
    default:
        QAbstractScrollArea::keyPressEvent(event);
        return;
    }
    event->accept();
    r = std::max(0, r);
    c = std::max(0, c);
    if (r == m_row && c == m_col)
        return;
    setCurrentCell(r, c);
    scrollToCurrent();
    Q_EMIT currentCellMoved();
}

void EpochGrid::focusInEvent(QFocusEvent *event)
{
    // Not the item view's: it would move a current cell that stands on a name.
    QAbstractScrollArea::focusInEvent(event);
    // Arriving by keyboard, the frame must be where it can be seen. A click
    // scrolls nothing: a double click's second press would otherwise land
    // on another cell than its first.
    if (event->reason() == Qt::TabFocusReason || event->reason() == Qt::BacktabFocusReason ||
        event->reason() == Qt::ShortcutFocusReason)
        scrollToCurrent();
    viewport()->update();
}

void EpochGrid::focusOutEvent(QFocusEvent *event)
{
    QAbstractScrollArea::focusOutEvent(event);
    viewport()->update();
}

void EpochGrid::changeEvent(QEvent *event)
{
    QTableView::changeEvent(event);
    if (event->type() == QEvent::FontChange || event->type() == QEvent::PaletteChange)
        relayout();
}

} // namespace quorvane
