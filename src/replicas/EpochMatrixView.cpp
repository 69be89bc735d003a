#include "replicas/EpochMatrixView.h"

#include "ccase/CommandLog.h"
#include "replicas/CellNumber.h"
#include "replicas/FlexGrid.h"
#include "replicas/ResultsFile.h"
#include "ui/AppInfo.h"
#include "ui/ErrorBoxes.h"
#include "ui/Feedback.h"
#include "ui/QuorvaneError.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>

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

    const QPixmap picture = warningPicture();
    for (int i = 0; i < 2; ++i) {
        auto *icon = makeLabel(QStringLiteral("dSyncImage(%1)").arg(i), QString(), this);
        icon->setPixmap(picture);
        icon->setToolTip(syncTip);
        icon->setCursor(Qt::PointingHandCursor);
        // Showing or hiding the icon must not shift the label beside it.
        QSizePolicy policy = icon->sizePolicy();
        policy.setRetainSizeWhenHidden(true);
        icon->setSizePolicy(policy);
        icon->hide();
        icon->installEventFilter(this);
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
    auto *layout = new QGridLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setHorizontalSpacing(12);
    layout->setVerticalSpacing(3);
    layout->addLayout(header(localLabel, m_syncImages[1]), 0, 0);
    layout->addLayout(header(actualLabel, m_syncImages[0]), 0, 1);
    layout->addWidget(m_grid2, 1, 0);
    layout->addWidget(m_grid1, 1, 1);
    layout->setColumnStretch(0, 1);
    layout->setColumnStretch(1, 1);
    layout->setRowStretch(1, 1);

    connect(m_grid1, &FlexGrid::mousePressed, this, &EpochMatrixView::grid1MouseDown);
    connect(m_grid2, &FlexGrid::mousePressed, this, &EpochMatrixView::grid2MouseDown);
    connect(m_grid1, &FlexGrid::doubleClicked, this, &EpochMatrixView::grid1DblClick);
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
        QList<QStringList> lines;
        try {
            const auto read = [&fileName] { return ResultsFile::read(fileName); };
            lines = m_log ? m_log->recordFileRead(fileName, read) : read();
        } catch (const QuorvaneError &) {
            blankGrid(grid, flags);
            throw;
        }
        bool firstLine = true;
        for (const QStringList &fields : lines) {
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
                const int w = 100 * int(name.size());
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
            // A line with more values than the first one runs past the last
            // column here and stops the fill.
            for (int k = 1; k <= n; ++k) {
                grid->setCol(k);
                grid->setText(fields[k]);
            }
        }
        flags = QList<bool>(grid->cols() + 1, false);
        for (int k = 1; k < grid->cols(); ++k)
            flags[k] = isEpochOutOfSync(grid, k);
        colorEpochGrid(grid, flags);
    } catch (const QuorvaneError &e) {
        m_feedback.setBusy(false, QString());
        showBox(m_feedback.dialogs(), ErrorBoxes::withNumber(e.number(), e.description()));
    }
}

void EpochMatrixView::blankGrid(FlexGrid *grid, QList<bool> &flags)
{
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

bool EpochMatrixView::eventFilter(QObject *watched, QEvent *event)
{
    for (int i = 0; i < 2; ++i) {
        if (watched != m_syncImages[size_t(i)])
            continue;
        if (event->type() == QEvent::MouseButtonPress) {
            m_iconPressed[size_t(i)] = true;
        } else if (event->type() == QEvent::MouseButtonRelease && m_iconPressed[size_t(i)]) {
            m_iconPressed[size_t(i)] = false;
            const auto *mouse = static_cast<QMouseEvent *>(event);
            if (m_syncImages[size_t(i)]->rect().contains(mouse->position().toPoint()))
                dSyncImageClick(i);
        }
    }
    return QWidget::eventFilter(watched, event);
}

} // namespace quorvane
