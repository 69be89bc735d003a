#include "replicas/EpochMatrixView.h"

#include "ccase/CommandLog.h"
#include "replicas/CellNumber.h"
#include "replicas/EpochFill.h"
#include "replicas/EpochGrid.h"
#include "replicas/EpochMatrixModel.h"
#include "ui/ActionLabel.h"
#include "common/AppInfo.h"
#include "common/ErrorBoxes.h"
#include "common/Feedback.h"
#include "common/QuorvaneError.h"

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
    m_grid1 = new EpochGrid(this);
    m_grid1->setObjectName(QStringLiteral("Grid1"));
    m_grid2 = new EpochGrid(this);
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
    auto column = [&header](QLabel *label, QLabel *icon, EpochGrid *grid) {
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

    connect(m_grid1, &EpochGrid::mousePressed, this, &EpochMatrixView::grid1MouseDown);
    connect(m_grid2, &EpochGrid::mousePressed, this, &EpochMatrixView::grid2MouseDown);
    connect(m_grid1, &EpochGrid::cellDoubleClicked, this, &EpochMatrixView::grid1DblClick);
    // The keyboard's ways to the same handlers: a key move shows the icon
    // for the new column as a press there does, Return edits as the double
    // click does (the local matrix has no edit).
    connect(m_grid1, &EpochGrid::currentCellMoved, this, &EpochMatrixView::grid1MouseDown);
    connect(m_grid2, &EpochGrid::currentCellMoved, this, &EpochMatrixView::grid2MouseDown);
    connect(m_grid1, &EpochGrid::cellActivated, this, &EpochMatrixView::grid1DblClick);
    for (EpochGrid *grid : {m_grid1, m_grid2})
        connect(grid, &EpochGrid::fullSizeChanged, this, &EpochMatrixView::arrangeMatrices);
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

int EpochMatrixView::lastCol(const EpochGrid *grid) const
{
    return grid == m_grid1 ? m_lastCol1 : grid == m_grid2 ? m_lastCol2 : 0;
}

const QList<bool> &EpochMatrixView::actualOutOfSync() const { return m_grid1->matrixModel()->matrix().outOfSync(); }

const QList<bool> &EpochMatrixView::localOutOfSync() const { return m_grid2->matrixModel()->matrix().outOfSync(); }

void EpochMatrixView::fillEpochGrid(EpochGrid *grid, const QString &fileName)
{
    const EpochFill fill = fillEpochMatrix(grid->matrixModel()->matrix(), fileName, grid == m_grid1, m_log);
    showMatrix(grid, fill.matrix);
    reportFill(m_feedback, fill);
}

void EpochMatrixView::showMatrix(EpochGrid *grid, const EpochMatrix &matrix)
{
    grid->matrixModel()->setMatrix(matrix);
}

void EpochMatrixView::blankGrids()
{
    for (EpochGrid *grid : {m_grid1, m_grid2}) {
        EpochMatrix blank;
        blank.blank();
        grid->matrixModel()->setMatrix(std::move(blank));
    }
}

void EpochMatrixView::cleanGrid(EpochGrid *grid)
{
    EpochMatrix matrix = grid->matrixModel()->matrix();
    matrix.clean();
    grid->matrixModel()->setMatrix(std::move(matrix));
}

void EpochMatrixView::showSyncImage(EpochGrid *grid, int &lastCol, int iconIndex)
{
    try {
        if (m_vobListHasEntries && !m_vobListHasEntries())
            return;
        const int col = grid->col();
        if (col == lastCol)
            return;
        lastCol = col;
        // A grid that was never filled has nothing to say about any column.
        const QList<bool> &flags = grid->matrixModel()->matrix().outOfSync();
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

void EpochMatrixView::grid1MouseDown() { showSyncImage(m_grid1, m_lastCol1, 0); }

void EpochMatrixView::grid2MouseDown() { showSyncImage(m_grid2, m_lastCol2, 1); }

void EpochMatrixView::grid1DblClick()
{
    EpochGrid *grid = m_grid1;
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
        grid->matrixModel()->setText(grid->row(), grid->col(), QString::number(CellNumber::toLong(answer)));
    } catch (const QuorvaneError &e) {
        showBox(dialogs, ErrorBoxes::gridInput(e.description()));
    }
}

void EpochMatrixView::dSyncImageClick(int)
{
    const EpochGrid *grid = m_grid1;
    try {
        // Both icons explain the column chosen in the actual matrix, by the
        // name that heads it.
        const QString title = QStringLiteral("NOTE: Replicas Out of Sync for ") + grid->textMatrix(0, grid->col());
        const QString text = QStringLiteral("Replicas are out of sync or one of the ") + CrLf
            + QStringLiteral("epoch values cannot be determined.  Epoch ") + CrLf
            + QStringLiteral("values should be equal for the entire column.") + CrLf
            + QStringLiteral("Run Fix Epoch Table based on actual value and ") + CrLf
            + QStringLiteral("Synchronize the replicas to fix this problem.") + CrLf;
        m_feedback.setDetail(text, title);
    } catch (const QuorvaneError &e) {
        ReportError(m_feedback.dialogs(), e, QStringLiteral("Error::dSyncImage()"));
    }
}

} // namespace quorvane
