#include "replicas/EpochMatrixView.h"

#include "ccase/CommandLog.h"
#include "replicas/CellNumber.h"
#include "replicas/EpochCells.h"
#include "replicas/FlexGrid.h"
#include "replicas/ResultsFile.h"
#include "ui/ActionLabel.h"
#include "common/AppInfo.h"
#include "common/ErrorBoxes.h"
#include "common/Feedback.h"
#include "common/QuorvaneError.h"
#include "common/Twips.h"

#include <QBoxLayout>
#include <QHBoxLayout>
#include <QVBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPainterPath>

#include <algorithm>

namespace quorvane {

namespace {

const QString syncTip = QStringLiteral("Replicas out of sync.  Double click for more info.");

[[noreturn]] void subscriptOutOfRange()
{
    throw QuorvaneError(ErrNo::SubscriptOutOfRange, AppInfo::title(),
                        QStringLiteral("Subscript out of range"));
}

// A small red warning triangle with a white exclamation mark.
QPixmap warningPicture()
{
    const qreal ratio = 2.0;
    QPixmap pixmap(QSize(18, 16) * ratio);
    pixmap.setDevicePixelRatio(ratio);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    QPainterPath triangle;
    triangle.moveTo(9, 1);
    triangle.lineTo(17, 15);
    triangle.lineTo(1, 15);
    triangle.closeSubpath();
    p.setPen(QPen(QColor(0x8B, 0, 0), 1.2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(QColor(0xE0, 0x10, 0x10));
    p.drawPath(triangle);
    p.setPen(Qt::NoPen);
    p.setBrush(Qt::white);
    p.drawRoundedRect(QRectF(8.1, 5, 1.8, 5.5), 0.8, 0.8);
    p.drawEllipse(QPointF(9, 12.6), 1.05, 1.05);
    return pixmap;
}

QLabel *makeLabel(const QString &name, const QString &text, QWidget *parent)
{
    auto *label = new QLabel(text, parent);
    label->setObjectName(name);
    return label;
}

} // namespace

EpochMatrixView::EpochMatrixView(Feedback &feedback, std::function<bool()> vobListHasEntries,
                                 QWidget *parent)
    : QWidget(parent), m_feedback(feedback), m_vobListHasEntries(std::move(vobListHasEntries))
{
    m_grid1 = new FlexGrid(this);
    m_grid1->setObjectName(QStringLiteral("Grid1"));
    m_grid2 = new FlexGrid(this);
    m_grid2->setObjectName(QStringLiteral("Grid2"));

    auto *localLabel = makeLabel(QStringLiteral("dLabel(7)"), QStringLiteral("Local Epoch Table Matrix:"), this);
    auto *actualLabel = makeLabel(QStringLiteral("dLabel(5)"), QStringLiteral("Actual Epoch Table Matrix:"), this);
    actualLabel->setToolTip(QStringLiteral("The actual epoch values for a replica"));
    m_actualLabel = actualLabel;

    const QPixmap picture = warningPicture();
    for (int i = 0; i < 2; ++i) {
        auto *icon = new ActionLabel(this);
        icon->setObjectName(QStringLiteral("dSyncImage(%1)").arg(i));
        icon->setPixmap(picture);
        icon->setToolTip(syncTip);
        icon->setCursor(Qt::PointingHandCursor);
        icon->makeKeyboardAction();
        // Showing or hiding the icon must not shift the label beside it.
        QSizePolicy policy = icon->sizePolicy();
        policy.setRetainSizeWhenHidden(true);
        icon->setSizePolicy(policy);
        icon->hide();
        connect(icon, &ActionLabel::clicked, this, [this, i] { dSyncImageClick(i); });
        connect(icon, &ActionLabel::activated, this, [this, i] { dSyncImageClick(i); });
        m_syncImages[size_t(i)] = icon;
    }

    auto header = [this](QLabel *label, QLabel *icon) {
        auto *row = new QHBoxLayout;
        row->setContentsMargins(0, 0, 0, 0);
        row->setSpacing(6);
        row->addWidget(label);
        row->addWidget(icon);
        row->addStretch(1);
        return row;
    };
    // Each matrix stands under its label; the two stand side by side, local
    // on the left, or one above the other where only that shows both whole
    // (see arrangeMatrices).
    auto column = [&header](QLabel *label, QLabel *icon, FlexGrid *grid) {
        auto *c = new QVBoxLayout;
        c->setSpacing(3);
        c->addLayout(header(label, icon));
        c->addWidget(grid, 1);
        return c;
    };
    m_layout = new QBoxLayout(QBoxLayout::LeftToRight, this);
    m_layout->setContentsMargins(0, 0, 0, 0);
    m_layout->setSpacing(12);
    m_layout->addLayout(column(localLabel, m_syncImages[1], m_grid2), 1);
    m_layout->addLayout(column(actualLabel, m_syncImages[0], m_grid1), 1);

    setTabOrder(m_syncImages[1], m_grid2);
    setTabOrder(m_grid2, m_syncImages[0]);
    setTabOrder(m_syncImages[0], m_grid1);

    connect(m_grid1, &FlexGrid::mousePressed, this, &EpochMatrixView::grid1MouseDown);
    connect(m_grid2, &FlexGrid::mousePressed, this, &EpochMatrixView::grid2MouseDown);
    connect(m_grid1, &FlexGrid::doubleClicked, this, &EpochMatrixView::grid1DblClick);
    // The keyboard's ways to the same handlers: a key move shows the icon
    // for the new column as a press there does, Return edits as the double
    // click does (the local matrix has no edit).
    connect(m_grid1, &FlexGrid::currentCellMoved, this, &EpochMatrixView::grid1MouseDown);
    connect(m_grid2, &FlexGrid::currentCellMoved, this, &EpochMatrixView::grid2MouseDown);
    connect(m_grid1, &FlexGrid::activated, this, &EpochMatrixView::grid1DblClick);
    for (FlexGrid *grid : {m_grid1, m_grid2})
        connect(grid, &FlexGrid::fullSizeChanged, this, &EpochMatrixView::arrangeMatrices);
}

bool EpochMatrixView::stacked() const
{
    return m_layout->direction() == QBoxLayout::TopToBottom;
}

// Side by side whenever both matrices fit across; one above the other only
// when that shows both whole and side by side would not (many replicas on a
// narrow screen); otherwise side by side, each scrolling.
void EpochMatrixView::arrangeMatrices()
{
    const QSize local = m_grid2->fullSize();
    const QSize actual = m_grid1->fullSize();
    const int spacing = m_layout->spacing();
    const int labelHeight = std::max(m_syncImages[0]->sizeHint().height(), m_actualLabel->sizeHint().height());
    const bool acrossFits = local.width() + actual.width() + spacing <= width();
    const bool downFits = std::max(local.width(), actual.width()) <= width()
        && 2 * (labelHeight + 3) + local.height() + actual.height() + spacing <= height();
    const bool down = !acrossFits && downFits;
    const QBoxLayout::Direction direction = down ? QBoxLayout::TopToBottom : QBoxLayout::LeftToRight;
    // Each takes a share of the room in proportion to what it needs.
    const int stretch[2] = {std::max(1, down ? local.height() : local.width()),
                            std::max(1, down ? actual.height() : actual.width())};
    if (direction == m_layout->direction() && stretch[0] == m_layout->stretch(0) && stretch[1] == m_layout->stretch(1))
        return;
    m_layout->setDirection(direction);
    m_layout->setStretch(0, stretch[0]);
    m_layout->setStretch(1, stretch[1]);
    m_layout->activate();
}

void EpochMatrixView::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    arrangeMatrices();
}

EpochMatrixView::~EpochMatrixView() = default;

QLabel *EpochMatrixView::dSyncImage(int index) const
{
    return (index == 0 || index == 1) ? m_syncImages[size_t(index)] : nullptr;
}

int EpochMatrixView::lastCol(const FlexGrid *grid) const
{
    return grid == m_grid1 ? m_lastCol1 : grid == m_grid2 ? m_lastCol2 : 0;
}

void EpochMatrixView::fillEpochGrid(FlexGrid *grid, QList<bool> &flags, const QString &fileName)
{
    try {
        ResultsFile::Contents contents;
        try {
            const auto read = [&fileName, &contents] {
                contents = ResultsFile::read(fileName);
                return contents.lines;
            };
            if (m_log)
                m_log->recordFileRead(fileName, read);
            else
                read();
        } catch (const QuorvaneError &) {
            blankGrid(grid, flags);
            throw;
        }
        // In the actual matrix a row of nothing but "?" is a host that did
        // not answer; its headers say so. The local table has no hosts.
        QHash<QString, QString> notes;
        if (grid == m_grid1) {
            for (const QString &name : EpochCells::unknownRows(contents.lines))
                notes.insert(name, EpochCells::unreachableNote());
        }
        grid->setHeaderNotes(std::move(notes));
        bool firstLine = true;
        for (const QStringList &fields : contents.lines) {
            const int n = int(fields.size()) - 1;
            const QString &name = fields[0];
            if (firstLine) {
                grid->setCols(n + 1);
                grid->setRow(0);
                grid->setCol(0);
                grid->setText(QStringLiteral("REPLICA NAME"));
                grid->setCol(1);
                grid->setText(name);
                grid->setRow(1);
                grid->setCol(0);
                grid->setText(name);
                firstLine = false;
            } else {
                const int w = Twips::textWidth(name.size(), 100);
                grid->setColWidth(0, w);
                grid->addItem(name);
                grid->setRow(grid->row() + 1);
                const int r = grid->row();
                grid->setRow(0);
                grid->setCol(r);
                grid->setColWidth(r, w);
                grid->setText(name);
                grid->setRow(r);
            }
            // The values of a line wider than the first end at the last
            // column; the fill stops after it.
            const int last = std::min(n, grid->cols() - 1);
            for (int k = 1; k <= last; ++k) {
                grid->setCol(k);
                grid->setText(fields[k]);
            }
        }
        // Flags and colours stay as they were when a line was too wide.
        if (contents.wideLine > 0) {
            m_feedback.setBusy(false, QString());
            showBox(m_feedback.dialogs(), ErrorBoxes::withNumber(ErrNo::InvalidColValue,
                                                                 ResultsFile::describeWideLine(contents, fileName)));
            return;
        }
        flags = QList<bool>(grid->cols() + 1, false);
        for (int k = 1; k < grid->cols(); ++k)
            flags[k] = isEpochOutOfSync(grid, k);
        colorEpochGrid(grid, flags);
    } catch (const QuorvaneError &e) {
        m_feedback.setBusy(false, QString());
        showBox(m_feedback.dialogs(),
                ErrorBoxes::withNumber(e.number(), ResultsFile::describe(e.description(), fileName)));
    }
}

void EpochMatrixView::blankGrids()
{
    blankGrid(m_grid1, actualOutOfSync);
    blankGrid(m_grid2, localOutOfSync);
}

void EpochMatrixView::blankGrid(FlexGrid *grid, QList<bool> &flags)
{
    grid->setHeaderNotes({});
    grid->setRows(2);
    grid->setCols(2);
    for (int r = 0; r < 2; ++r) {
        for (int c = 0; c < 2; ++c)
            grid->setTextMatrix(r, c, QString());
    }
    grid->setRow(1);
    grid->setCol(1);
    grid->setCellBackColor(Colors::white);
    flags = QList<bool>(grid->cols() + 1, false);
}

bool EpochMatrixView::isEpochOutOfSync(FlexGrid *grid, int col)
{
    try {
        grid->setCol(col);
        const int rows = grid->rows();
        if (rows < 2)
            return false;
        // Equal as text to row 1 everywhere means every pair is equal; the
        // first cell that differs is where a pairwise scan would stop too.
        const QString first = grid->textMatrix(1, col);
        for (int k = 1; k < rows; ++k) {
            if (grid->textMatrix(k, col) != first) {
                grid->setRow(k);
                return true;
            }
        }
        grid->setRow(rows - 1);
        return false;
    } catch (const QuorvaneError &e) {
        m_feedback.setBusy(false, QString());
        ReportError(m_feedback.dialogs(), e, QStringLiteral("Error::isEpochOutOfSync()"));
        return false;
    }
}

void EpochMatrixView::colorEpochGrid(FlexGrid *grid, const QList<bool> &flags)
{
    try {
        const int row = grid->row();
        const int col = grid->col();
        for (int i = 1; i < grid->rows(); ++i) {
            for (int k = 1; k < grid->cols(); ++k) {
                grid->setRow(i);
                grid->setCol(k);
                grid->setCellBackColor(Colors::white);
                if (k >= flags.size())
                    subscriptOutOfRange();
                if (flags[k])
                    grid->setCellBackColor(Colors::pureRed);
            }
        }
        grid->setCol(col);
        grid->setRow(row);
    } catch (const QuorvaneError &e) {
        ReportError(m_feedback.dialogs(), e, QStringLiteral("Error::dSyncImage()"));
    }
}

void EpochMatrixView::cleanGrid(FlexGrid *grid)
{
    try {
        grid->setHeaderNotes({}); // the row kept is no longer any VOB's
        const int extra = grid->rows() - 2;
        for (int i = 0; i < extra; ++i)
            grid->removeItem(1);
    } catch (const QuorvaneError &e) {
        ReportError(m_feedback.dialogs(), e, QStringLiteral("Error::cleanGrid()"));
    }
}

void EpochMatrixView::showSyncImage(FlexGrid *grid, const QList<bool> &flags, int &lastCol, int iconIndex)
{
    try {
        if (m_vobListHasEntries && !m_vobListHasEntries())
            return;
        const int col = grid->col();
        if (col == lastCol)
            return;
        lastCol = col;
        // A grid that was never filled has nothing to say about any column.
        if (flags.isEmpty())
            return;
        QLabel *icon = dSyncImage(iconIndex);
        if (!icon || col < 0 || col >= flags.size())
            subscriptOutOfRange();
        icon->setVisible(flags[col]);
    } catch (const QuorvaneError &e) {
        m_feedback.setBusy(false, QString());
        ReportError(m_feedback.dialogs(), e, QStringLiteral("Error::dSyncImage()"));
    }
}

void EpochMatrixView::grid1MouseDown() { showSyncImage(m_grid1, actualOutOfSync, m_lastCol1, 0); }

void EpochMatrixView::grid2MouseDown() { showSyncImage(m_grid2, localOutOfSync, m_lastCol2, 1); }

void EpochMatrixView::grid1DblClick()
{
    FlexGrid *grid = m_grid1;
    // Only epoch values are edited; a header holds a replica name even
    // when that name happens to read as a number.
    if (grid->row() < 1 || grid->col() < 1)
        return;
    const QString current = grid->text();
    try {
        CellNumber::toLong(current);
    } catch (const QuorvaneError &) {
        return;
    }
    Dialogs &dialogs = m_feedback.dialogs();
    const QString answer = dialogs.inputBox(
        QStringLiteral("Current Epoch Value: ") + current + CrLf + QStringLiteral("Enter New Epoch Value: "),
        QStringLiteral("Change / Modify Epoch Value"), current);
    if (answer.isEmpty())
        return;
    try {
        grid->setText(QString::number(CellNumber::toLong(answer)));
    } catch (const QuorvaneError &e) {
        showBox(dialogs, ErrorBoxes::gridInput(e.description()));
    }
}

void EpochMatrixView::dSyncImageClick(int)
{
    FlexGrid *grid = m_grid1;
    try {
        // Both icons explain the column chosen in the actual matrix.
        const int row = grid->row();
        grid->setRow(0);
        const QString title = QStringLiteral("NOTE: Replicas Out of Sync for ") + grid->text();
        const QString text = QStringLiteral("Replicas are out of sync or one of the ") + CrLf
            + QStringLiteral("epoch values cannot be determined.  Epoch ") + CrLf
            + QStringLiteral("values should be equal for the entire column.") + CrLf
            + QStringLiteral("Run Fix Epoch Table based on actual value and ") + CrLf
            + QStringLiteral("Synchronize the replicas to fix this problem.") + CrLf;
        m_feedback.setDetail(text, title);
        grid->setRow(row);
    } catch (const QuorvaneError &e) {
        ReportError(m_feedback.dialogs(), e, QStringLiteral("Error::dSyncImage()"));
    }
}

} // namespace quorvane
