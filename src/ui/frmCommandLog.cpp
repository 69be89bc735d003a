#include "ui/frmCommandLog.h"
#include "ui/ScreenFit.h"

#include "ccase/CommandLog.h"

#include <QApplication>
#include <QClipboard>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QShortcut>
#include <QSplitter>
#include <QTableView>
#include <QVBoxLayout>

namespace quorvane {

frmCommandLog::frmCommandLog(CommandLog &log, QWidget *parent) : QWidget(parent, Qt::Window), m_log(log)
{
    setObjectName(QStringLiteral("frmCommandLog"));
    setWindowTitle(QStringLiteral("Command Log"));
    resize(fitToScreen(*this, QSize(900, 520)));

    m_summary = new QLabel(this);
    m_summary->setObjectName(QStringLiteral("logSummaryLbl"));

    m_view = new QTableView(this);
    m_view->setObjectName(QStringLiteral("logView"));
    m_view->setModel(&m_log);
    m_view->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_view->setSelectionMode(QAbstractItemView::SingleSelection);
    m_view->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_view->setAlternatingRowColors(true);
    m_view->setWordWrap(false);
    m_view->verticalHeader()->hide();
    m_view->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    m_view->verticalHeader()->setDefaultSectionSize(m_view->fontMetrics().height() + 6);
    QHeaderView *header = m_view->horizontalHeader();
    header->setSectionResizeMode(QHeaderView::Interactive);
    header->setStretchLastSection(false);
    header->setSectionResizeMode(CommandLog::CommandColumn, QHeaderView::Stretch);
    m_view->setColumnWidth(CommandLog::TimeColumn, 70);
    m_view->setColumnWidth(CommandLog::TookColumn, 70);
    m_view->setColumnWidth(CommandLog::KindColumn, 80);
    m_view->setColumnWidth(CommandLog::ResultColumn, 200);

    m_detail = new QPlainTextEdit(this);
    m_detail->setObjectName(QStringLiteral("logDetailTxt"));
    m_detail->setReadOnly(true);
    m_detail->setLineWrapMode(QPlainTextEdit::NoWrap);
    m_detail->setPlaceholderText(QStringLiteral("Choose an entry to see its output and error text."));
    QFont mono(QStringLiteral("DejaVu Sans Mono"));
    mono.setStyleHint(QFont::Monospace);
    mono.setPointSize(9);
    m_detail->setFont(mono);

    auto *split = new QSplitter(Qt::Vertical, this);
    split->setObjectName(QStringLiteral("logSplitter"));
    split->addWidget(m_view);
    split->addWidget(m_detail);
    split->setStretchFactor(0, 3);
    split->setStretchFactor(1, 2);

    m_copy = new QPushButton(QStringLiteral("Copy"), this);
    m_copy->setObjectName(QStringLiteral("copyBut"));
    m_copy->setToolTip(QStringLiteral("Copy the whole log, with every entry's output and error text"));
    m_close = new QPushButton(QStringLiteral("Close"), this);
    m_close->setObjectName(QStringLiteral("closeBut"));
    auto *buttons = new QHBoxLayout;
    buttons->addWidget(m_summary, 1);
    buttons->addWidget(m_copy);
    buttons->addWidget(m_close);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(8, 8, 8, 8);
    layout->addWidget(split, 1);
    layout->addLayout(buttons);

    connect(m_copy, &QPushButton::clicked, this, &frmCommandLog::copyToClipboard);
    connect(m_close, &QPushButton::clicked, this, &QWidget::hide);
    // Esc closes it, as it closes the program's other secondary windows.
    auto *escape = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    escape->setObjectName(QStringLiteral("logEscape"));
    connect(escape, &QShortcut::activated, this, &QWidget::hide);
    connect(m_view->selectionModel(), &QItemSelectionModel::currentRowChanged, this, [this] {
        // An entry the user picks is kept; until then, the newest is shown.
        if (!m_choosingNewest)
            m_followNewest = m_view->currentIndex().row() == m_log.rowCount() - 1;
        showDetail();
    });
    connect(&m_log, &QAbstractItemModel::rowsInserted, this, &frmCommandLog::followNewRows);
    connect(&m_log, &QAbstractItemModel::rowsRemoved, this, &frmCommandLog::followNewRows);
    followNewRows();
}

QString frmCommandLog::detailText() const
{
    return m_detail->toPlainText();
}

void frmCommandLog::showDetail()
{
    const QModelIndex current = m_view->currentIndex();
    const int row = current.isValid() ? current.row() : -1;
    m_detail->setPlainText(
        row >= 0 && row < m_log.entries().size() ? CommandLog::detailText(m_log.entries()[row]) : QString());
}

void frmCommandLog::followNewRows()
{
    const qsizetype n = m_log.entries().size();
    QString text =
        n == 1 ? QStringLiteral("1 entry in this run") : QStringLiteral("%1 entries in this run").arg(n);
    if (m_log.dropped() > 0)
        text += QStringLiteral(" (%1 earlier ones not kept)").arg(m_log.dropped());
    m_summary->setText(text);
    // Stay at the newest entry unless the user scrolled up to read.
    QScrollBar *bar = m_view->verticalScrollBar();
    if (bar->value() >= bar->maximum() - 1)
        m_view->scrollToBottom();
    if (m_followNewest && n > 0)
        chooseNewest();
}

void frmCommandLog::chooseNewest()
{
    // The list stays where the user scrolled to read; only the pane follows.
    QScrollBar *bar = m_view->verticalScrollBar();
    const int scrolled = bar->value();
    const bool atBottom = scrolled >= bar->maximum() - 1;
    m_choosingNewest = true;
    m_view->setCurrentIndex(m_log.index(m_log.rowCount() - 1, 0));
    m_view->selectRow(m_log.rowCount() - 1);
    m_choosingNewest = false;
    if (!atBottom)
        bar->setValue(scrolled);
    showDetail(); // the same row may hold a newer entry after the oldest went
}

void frmCommandLog::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    // Opened to see what just ran: the newest entry, with its details.
    if ((m_followNewest || !m_view->selectionModel()->hasSelection()) && m_log.rowCount() > 0) {
        m_followNewest = true;
        chooseNewest();
        m_view->scrollToBottom();
    }
}

void frmCommandLog::copyToClipboard()
{
    QApplication::clipboard()->setText(m_log.toText(true));
}

} // namespace quorvane
