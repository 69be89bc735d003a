#include "replicas/PacketPanel.h"

#include "replicas/PacketModel.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QScrollBar>
#include <QSortFilterProxyModel>
#include <QTableView>
#include <QVBoxLayout>

#include <algorithm>

namespace quorvane {

PacketPanel::PacketPanel(QWidget *parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("dPacketsPanel"));
    m_label = new QLabel(QStringLiteral("Packets in this site's bays:"), this);
    m_label->setObjectName(QStringLiteral("dPacketsLbl"));
    m_note = new QLabel(this);
    m_note->setObjectName(QStringLiteral("dPacketsNote"));
    m_note->setWordWrap(true);
    m_note->setTextFormat(Qt::PlainText);
    m_model = new PacketModel(this);
    m_proxy = new QSortFilterProxyModel(this);
    m_proxy->setSourceModel(m_model);
    m_proxy->setSortRole(Qt::UserRole);
    m_view = new QTableView(this);
    m_view->setObjectName(QStringLiteral("dPackets"));
    m_view->setModel(m_proxy);
    m_view->setSortingEnabled(true);
    m_view->sortByColumn(PacketModel::Bay, Qt::AscendingOrder);
    m_view->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_view->setSelectionMode(QAbstractItemView::ExtendedSelection);
    m_view->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_view->setWordWrap(false);
    m_view->verticalHeader()->hide();
    m_view->horizontalHeader()->setStretchLastSection(true);
    m_view->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    m_view->setToolTip(QStringLiteral("multitool lspacket: the VOB's packets in this site's bays"));
    m_view->installEventFilter(this);

    m_label->setBuddy(m_view);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 4, 0, 0);
    layout->setSpacing(3);
    auto *heading = new QHBoxLayout;
    heading->addWidget(m_label);
    heading->addWidget(m_note, 1);
    layout->addLayout(heading);
    layout->addWidget(m_view);
    clearPackets();
}

void PacketPanel::showListed(const QString &failure)
{
    const int n = m_model->rowCount();
    if (!failure.isEmpty())
        m_note->setText(QStringLiteral("not listed: ") + failure);
    else if (n == 0)
        m_note->setText(QStringLiteral("none of this VOB."));
    else
        m_note->setText(n == 1 ? QStringLiteral("1 packet.") : QStringLiteral("%1 packets.").arg(n));
    m_view->setVisible(n > 0);
    // As tall as its rows, up to five; more scroll. The page keeps its room
    // for the matrices and the fix frame.
    const int rows = std::clamp(n, 1, 5);
    m_view->resizeColumnsToContents();
    m_view->setFixedHeight(m_view->horizontalHeader()->sizeHint().height() +
                           m_view->verticalHeader()->defaultSectionSize() * rows +
                           m_view->horizontalScrollBar()->sizeHint().height() + 2 * m_view->frameWidth());
}

void PacketPanel::clearPackets()
{
    m_model->clear();
    m_note->setText(QStringLiteral("none read yet."));
    m_view->hide();
}

void PacketPanel::copySelection()
{
    QList<int> rows;
    for (const QModelIndex &i : m_view->selectionModel()->selectedRows())
        rows << i.row();
    if (rows.isEmpty()) {
        for (int r = 0; r < m_proxy->rowCount(); ++r)
            rows << r;
    }
    std::sort(rows.begin(), rows.end());
    QGuiApplication::clipboard()->setText(PacketModel::rowsText(*m_proxy, rows));
}

bool PacketPanel::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_view && event->type() == QEvent::KeyPress &&
        static_cast<QKeyEvent *>(event)->matches(QKeySequence::Copy)) {
        copySelection();
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

} // namespace quorvane
