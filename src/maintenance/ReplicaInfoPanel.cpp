#include "maintenance/ReplicaInfoPanel.h"

#include "ccase/ClearCaseError.h"
#include "ccase/ClearTool.h"
#include "ccase/Commands.h"
#include "ccase/Shell.h"
#include "maintenance/MaintenanceIcons.h"
#include "maintenance/MaintenanceNames.h"
#include "ui/ActionLabel.h"
#include "common/ErrorBoxes.h"
#include "common/Feedback.h"
#include "common/LongActionGuard.h"
#include "common/QuorvaneError.h"

#include "ui/NameWidgets.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QVBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QSignalBlocker>

namespace quorvane {

namespace {

// After a stopped script or history read: nothing new is shown.
const QString DatesNotRead = QStringLiteral("The replica's dates were not read; they show what they showed before.");

QLineEdit *dateField(const QString &name, const QString &text, const QString &tip, QWidget *parent)
{
    auto *field = new QLineEdit(text, parent);
    field->setObjectName(name);
    field->setProperty("designedText", text);
    field->setToolTip(tip);
    // Shown, not typed: the dates come from the replica's history.
    field->setReadOnly(true);
    field->setMinimumWidth(180);
    return field;
}

} // namespace

ReplicaInfoPanel::ReplicaInfoPanel(ClearTool &clearTool, Shell &shell, Feedback &feedback, QString scriptPath,
                                   std::function<QString()> vobTag, QWidget *parent)
    : QWidget(parent)
    , m_clearTool(clearTool)
    , m_shell(shell)
    , m_feedback(feedback)
    , m_scriptPath(std::move(scriptPath))
    , m_vobTag(std::move(vobTag))
{
    auto *replicaLbl = new QLabel(QStringLiteral("Replica:"), this);
    m_combo = new QComboBox(this);
    m_combo->setObjectName(QStringLiteral("dReplicaCombo"));
    m_combo->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    m_combo->setMinimumWidth(220);
    NameWidgets::boundNameCombo(m_combo);
    m_combo->addItem(Maintenance::selectReplica());
    replicaLbl->setBuddy(m_combo);

    m_detailImage = new ActionLabel(this);
    m_detailImage->setObjectName(QStringLiteral("dDetailImage"));
    m_detailImage->setToolTip(QStringLiteral("Double click to display history detail for replica"));
    m_detailImage->setPixmap(MaintenanceIcons::history(24));
    m_detailImage->setCursor(Qt::PointingHandCursor);
    // Keep its place while hidden, so the row does not jump as replicas are chosen.
    QSizePolicy keep = m_detailImage->sizePolicy();
    keep.setRetainSizeWhenHidden(true);
    m_detailImage->setSizePolicy(keep);
    m_detailImage->hide();

    auto *importLbl = new QLabel(QStringLiteral("Last Import Date:"), this);
    auto *exportLbl = new QLabel(QStringLiteral("Last Export Date:"), this);
    m_importDate = dateField(QStringLiteral("dEpoch(2)"), QStringLiteral("<last_import>"),
                             QStringLiteral("Last date an import was performed for the selected replica"), this);
    m_exportDate = dateField(QStringLiteral("dEpoch(3)"), QStringLiteral("<last_export>"),
                             QStringLiteral("Date of the last export done for the selected replica"), this);
    importLbl->setBuddy(m_importDate);
    exportLbl->setBuddy(m_exportDate);

    // Two compact rows, the choice over its dates, so that the matrices
    // below get the page's height and the page stays narrow at large fonts.
    auto *chooser = new QHBoxLayout;
    chooser->setSpacing(8);
    chooser->addWidget(replicaLbl);
    chooser->addWidget(m_combo, 1);
    chooser->addWidget(m_detailImage);
    auto *dates = new QHBoxLayout;
    dates->setSpacing(8);
    dates->addWidget(importLbl);
    dates->addWidget(m_importDate, 1);
    dates->addSpacing(12);
    dates->addWidget(exportLbl);
    dates->addWidget(m_exportDate, 1);
    auto *rows = new QVBoxLayout(this);
    rows->setContentsMargins(0, 0, 0, 0);
    rows->setSpacing(4);
    rows->addLayout(chooser);
    rows->addLayout(dates);

    connect(m_combo, &QComboBox::currentIndexChanged, this, &ReplicaInfoPanel::selectionChanged);
    connect(m_detailImage, &ActionLabel::doubleClicked, this, &ReplicaInfoPanel::showHistory);
    m_detailImage->makeKeyboardAction();
    connect(m_detailImage, &ActionLabel::activated, this, &ReplicaInfoPanel::showHistory);
}

void ReplicaInfoPanel::selectionChanged()
{
    const int index = m_combo->currentIndex();
    const bool realReplica = index > 0 && m_combo->currentText() != Maintenance::selectReplica();
    // A chosen replica runs the script, a long action like the others: it
    // holds the guard, so that nothing else starts inside its wait.
    std::optional<LongActionGuard::Scope> running;
    if (realReplica && m_guard) {
        if (m_guard->running()) {
            // Only the user changes the choice while a long action runs (the
            // action's own resets choose "<select_replica>"): refuse it visibly.
            const QSignalBlocker block(m_combo);
            m_combo->setCurrentIndex(std::min(m_shownIndex, m_combo->count() - 1));
            return;
        }
        running.emplace(*m_guard);
    }
    m_shownIndex = std::max(index, 0);
    showReplicaInfo();
}

void ReplicaInfoPanel::resetDates()
{
    for (QLineEdit *field : {m_importDate, m_exportDate})
        field->setText(field->property("designedText").toString());
}

void ReplicaInfoPanel::showReplicaInfo()
{
    try {
        // While the combo is being emptied there is no selection at all;
        // that means no replica just as "<select_replica>" does.
        const QString replica = m_combo->currentIndex() < 0 ? QString() : m_combo->currentText();
        // Every change of the choice counts, "no replica" too: a request
        // still waiting for its script must not show its replica's dates
        // under a choice made since.
        const quint64 request = ++m_requests;
        m_detailImage->hide();
        if (!Maintenance::namesReplica(replica))
            return;

        m_feedback.setBusy(true, QString());
        m_detailImage->show();
        const QString vobTag = m_vobTag();
        if (Maintenance::refuseUnsafeArguments(m_feedback.dialogs(), {replica, vobTag})) {
            m_detailImage->hide();
            m_feedback.setBusy(false, QString());
            return;
        }
        const QString line = Commands::replicaInfoScriptFor(m_scriptPath, vobTag, replica);
        if (m_shell.ShellAndWait(line, Maintenance::hiddenWindow).outcome == ShellResult::Outcome::Cancelled) {
            m_feedback.setBusy(false, QString());
            showBox(m_feedback.dialogs(),
                    ErrorBoxes::cancelled(line, DatesNotRead));
            return;
        }
        // The wait lets the user choose another replica (or none), whose own
        // request has run to its end meanwhile; what it shows must not be
        // overwritten with this older replica's dates.
        if (request != m_requests) {
            m_feedback.setBusy(false, QString());
            return;
        }

        // A refused history has been reported already; one box is enough,
        // and the fields keep what they showed.
        if (const auto dates = getLastSyncDates(replica, vobTag)) {
            m_importDate->setText(dates->importDate);
            m_exportDate->setText(dates->exportDate);
        }
        m_feedback.setBusy(false, QString());
    } catch (const QuorvaneError &e) {
        m_feedback.setBusy(false, QString());
        showBox(m_feedback.dialogs(), ErrorBoxes::standard(e.description()));
    }
}

std::optional<SyncDates> ReplicaInfoPanel::getLastSyncDates(const QString &replica, const QString &vobTag)
{
    try {
        return quorvane::getLastSyncDates(m_clearTool, replica, vobTag);
    } catch (const ClearCaseCancelled &e) {
        m_feedback.setHourglass(false);
        showBox(m_feedback.dialogs(), ErrorBoxes::cancelled(e.commandLine(), DatesNotRead));
        return std::nullopt;
    } catch (const QuorvaneError &e) {
        m_feedback.setHourglass(false);
        showBox(m_feedback.dialogs(), ErrorBoxes::standard(e.description(), MsgIcon::Stop));
        return std::nullopt;
    }
}

void ReplicaInfoPanel::showHistory()
{
    try {
        const QString replica = m_combo->currentText();
        if (Maintenance::namesReplica(replica)) {
            m_feedback.setBusy(true, QString());
            const QString vobTag = m_vobTag();
            if (Maintenance::refuseUnsafeArguments(m_feedback.dialogs(), {replica, vobTag})) {
                m_feedback.setBusy(false, QString());
                return;
            }
            const QString history = m_clearTool.CmdExec(Commands::historyDetail(replica, vobTag));
            m_feedback.setDetail(history, QStringLiteral("History Detail: ") + replica);
        }
        m_feedback.setBusy(false, QString());
    } catch (const ClearCaseCancelled &e) {
        m_feedback.setBusy(false, QString());
        showBox(m_feedback.dialogs(), ErrorBoxes::cancelled(e.commandLine(), QStringLiteral("No history is shown.")));
    } catch (const QuorvaneError &e) {
        m_feedback.setBusy(false, QString());
        showBox(m_feedback.dialogs(), ErrorBoxes::history(e.description()));
    }
}

} // namespace quorvane
