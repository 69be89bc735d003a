#include "region/frmRegion.h"
#include "ui/ScreenFit.h"

#include "ccase/ClearTool.h"
#include "region/RegionModel.h"
#include "region/RegionSurvey.h"
#include "common/QuorvaneError.h"

#include <QCheckBox>
#include <QClipboard>
#include <QCloseEvent>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QShortcut>
#include <QSortFilterProxyModel>
#include <QTableView>
#include <QVBoxLayout>

namespace quorvane {

frmRegion::frmRegion(ClearTool &clearTool, CommandRunner &runner, QString scriptPath, QWidget *parent)
    : QWidget(parent, Qt::Window), m_clearTool(clearTool), m_runner(runner), m_scriptPath(std::move(scriptPath))
{
    setObjectName(QStringLiteral("frmRegion"));
    setWindowTitle(QStringLiteral("Region"));

    m_model = new RegionModel(this);
    m_proxy = new QSortFilterProxyModel(this);
    m_proxy->setSourceModel(m_model);
    m_proxy->setSortRole(RegionModel::SortRole);
    m_proxy->setFilterKeyColumn(-1);
    m_proxy->setFilterCaseSensitivity(Qt::CaseInsensitive);

    m_filter = new QLineEdit(this);
    m_filter->setObjectName(QStringLiteral("regionFilterTxt"));
    m_filter->setPlaceholderText(QStringLiteral("Filter (VOB, state, replica, diagnosis)"));
    m_filter->setClearButtonEnabled(true);
    connect(m_filter, &QLineEdit::textChanged, m_proxy, &QSortFilterProxyModel::setFilterFixedString);

    m_actual = new QCheckBox(QStringLiteral("&Ask every sibling's host"), this);
    m_actual->setObjectName(QStringLiteral("regionActualCB"));
    m_actual->setToolTip(QStringLiteral("Read every replica's own epoch row (multitool lsepoch -actual), which "
                                        "shows lost packets; contacts every sibling's host."));
    m_actual->setChecked(true);

    m_surveyBut = new QPushButton(QStringLiteral("&Survey"), this);
    m_surveyBut->setObjectName(QStringLiteral("regionSurveyBut"));
    connect(m_surveyBut, &QPushButton::clicked, this, &frmRegion::surveyOrCancel);

    m_progress = new QProgressBar(this);
    m_progress->setObjectName(QStringLiteral("regionProgress"));
    m_progress->setRange(0, 1);
    m_progress->setValue(0);

    m_summary = new QLabel(QStringLiteral("Survey the region to see every replicated VOB family's health."), this);
    m_summary->setObjectName(QStringLiteral("regionSummaryLbl"));
    m_summary->setWordWrap(true);

    m_view = new QTableView(this);
    m_view->setObjectName(QStringLiteral("regionView"));
    m_view->setModel(m_proxy);
    m_view->setSortingEnabled(true);
    m_view->sortByColumn(RegionModel::State, Qt::AscendingOrder);
    m_view->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_view->setSelectionMode(QAbstractItemView::SingleSelection);
    m_view->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_view->setWordWrap(false);
    m_view->verticalHeader()->hide();
    m_view->horizontalHeader()->setStretchLastSection(true);
    // Fitting the columns measures only the first rows: every row of a
    // large region would hold the window for a noticeable time.
    m_view->horizontalHeader()->setResizeContentsPrecision(50);
    m_view->installEventFilter(this);
    connect(m_view, &QTableView::doubleClicked, this, [this] { openCurrent(); });

    m_copy = new QPushButton(QStringLiteral("&Copy"), this);
    m_copy->setObjectName(QStringLiteral("regionCopyBut"));
    m_copy->setToolTip(QStringLiteral("The table as shown, onto the clipboard"));
    connect(m_copy, &QPushButton::clicked, this, &frmRegion::copyToClipboard);
    auto *close = new QPushButton(QStringLiteral("Close"), this);
    close->setObjectName(QStringLiteral("regionCloseBut"));
    connect(close, &QPushButton::clicked, this, &QWidget::close);
    auto *esc = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    connect(esc, &QShortcut::activated, this, [this] {
        if (surveying())
            m_survey->cancel();
        else
            QWidget::close();
    });

    auto *top = new QHBoxLayout;
    top->addWidget(m_surveyBut);
    top->addWidget(m_actual);
    top->addWidget(m_progress, 1);
    auto *bottom = new QHBoxLayout;
    bottom->addWidget(m_filter, 1);
    bottom->addWidget(m_copy);
    bottom->addWidget(close);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(m_summary);
    layout->addWidget(m_view, 1);
    layout->addLayout(bottom);
    resize(fitToScreen(*this, QSize(1000, 480)));
}

frmRegion::~frmRegion() = default;

bool frmRegion::surveying() const
{
    return m_survey && m_survey->running();
}

void frmRegion::surveyOrCancel()
{
    if (surveying()) {
        m_survey->cancel();
        m_summary->setText(QStringLiteral("Cancelling: the commands that run are being ended..."));
        return;
    }
    startSurvey();
}

void frmRegion::startSurvey()
{
    QStringList tags;
    try {
        tags = m_clearTool.vobTags();
    } catch (const QuorvaneError &e) {
        m_summary->setText(QStringLiteral("The VOBs could not be listed: ") + e.description());
        return;
    } catch (const std::exception &e) {
        m_summary->setText(QStringLiteral("The VOBs could not be listed: ") + QString::fromLocal8Bit(e.what()));
        return;
    }
    RegionSurvey::Options options;
    options.scriptPath = m_scriptPath;
    options.actualRows = m_actual->isChecked();
    m_survey = std::make_unique<RegionSurvey>(m_runner, options);
    connect(m_survey.get(), &RegionSurvey::progress, this, [this](int done, int total) {
        m_progress->setRange(0, std::max(1, total));
        m_progress->setValue(done);
        m_summary->setText(QStringLiteral("Surveying: %1 of %2 VOBs checked...").arg(done).arg(total));
    });
    connect(m_survey.get(), &RegionSurvey::vobSurveyed, m_model, &RegionModel::add);
    connect(m_survey.get(), &RegionSurvey::finished, this, &frmRegion::surveyEnded);
    m_model->clear();
    m_surveyBut->setText(QStringLiteral("&Cancel"));
    m_actual->setEnabled(false);
    m_survey->start(tags);
}

void frmRegion::surveyEnded()
{
    // The rows are all there already and the State column sorts them as
    // ranked: no reset, which would lay the whole table out again.
    m_surveyBut->setText(QStringLiteral("&Survey"));
    m_actual->setEnabled(true);
    QHash<int, int> counts;
    for (const VobHealth &f : m_survey->families())
        ++counts[int(f.state)];
    QStringList parts;
    for (const Health h : {Health::Broken, Health::Behind, Health::Stuck, Health::Unreachable, Health::NotChecked,
                           Health::InStep}) {
        if (counts.value(int(h)))
            parts << QString::number(counts.value(int(h))) + QLatin1Char(' ') + healthName(h);
    }
    m_summary->setText((m_survey->wasCancelled() ? QStringLiteral("Cancelled; what was complete: ") : QString()) +
                       QString::number(m_survey->families().size()) + QStringLiteral(" replicated VOB families") +
                       (parts.isEmpty() ? QString() : QStringLiteral(": ") + parts.join(QStringLiteral(", "))) +
                       QStringLiteral(". Return or a double click opens a VOB in the main window."));
    m_view->resizeColumnsToContents();
}

void frmRegion::openCurrent()
{
    const QModelIndex current = m_view->currentIndex();
    if (!current.isValid())
        return;
    emit openVob(m_proxy->index(current.row(), RegionModel::Vob).data().toString());
}

void frmRegion::copyToClipboard()
{
    QGuiApplication::clipboard()->setText(RegionModel::tableText(*m_proxy));
}

bool frmRegion::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_view && event->type() == QEvent::KeyPress) {
        auto *key = static_cast<QKeyEvent *>(event);
        if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
            openCurrent();
            return true;
        }
        if (key->matches(QKeySequence::Copy)) {
            copyToClipboard();
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void frmRegion::closeEvent(QCloseEvent *event)
{
    // Nothing outlives the window's interest in it.
    if (surveying())
        m_survey->cancel();
    QWidget::closeEvent(event);
}

} // namespace quorvane
