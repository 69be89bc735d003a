#include "maintenance/FixFrame.h"

#include "ccase/Commands.h"
#include "ccase/LoggingShell.h"
#include "ccase/Shell.h"
#include "maintenance/EpochValue.h"
#include "maintenance/MaintenanceIcons.h"
#include "maintenance/MaintenanceNames.h"
#include "ui/ActionLabel.h"
#include "replicas/Diagnosis.h"
#include "common/ErrorBoxes.h"
#include "common/Feedback.h"
#include "common/LongActionGuard.h"
#include "ui/QtColors.h"
#include "common/QuorvaneError.h"
#include "ui/NameWidgets.h"
#include "common/ShownName.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QRadioButton>
#include <QTime>
#include <QVBoxLayout>

#include <iterator>

namespace quorvane {

namespace {

QString indexed(const char *name, int index)
{
    return QLatin1String(name) + QLatin1Char('(') + QString::number(index) + QLatin1Char(')');
}

QComboBox *replicaCombo(int index, QWidget *parent)
{
    auto *combo = new QComboBox(parent);
    combo->setObjectName(indexed("dReplicaFixCombo", index));
    combo->setMinimumWidth(200);
    combo->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    NameWidgets::boundNameCombo(combo);
    combo->addItem(Maintenance::selectReplica());
    QSizePolicy keep = combo->sizePolicy();
    keep.setRetainSizeWhenHidden(true);
    combo->setSizePolicy(keep);
    return combo;
}

} // namespace

FixFrame::FixFrame(Shell &shell, Feedback &feedback, LongActionGuard &guard, std::function<QString()> vobTag,
                   std::function<void()> showReplicaInfo, std::function<void()> loadReplicaDetail,
                   QWidget *parent)
    : QGroupBox(QStringLiteral("Replica Maintenance"), parent)
    , m_shell(shell)
    , m_feedback(feedback)
    , m_guard(guard)
    , m_vobTag(std::move(vobTag))
    , m_showReplicaInfo(std::move(showReplicaInfo))
    , m_loadReplicaDetail(std::move(loadReplicaDetail))
{
    setObjectName(QStringLiteral("dFixFrame"));
    setMouseTracking(true);

    const QString imageTips[2] = {
        QStringLiteral("Fix epoch value for the replica based on actual or specified epoch value "),
        QStringLiteral("Synchronize the replicas")};
    const QString captions[2] = {QStringLiteral("Fix Local Epoch Table"), QStringLiteral("Synchronize Replica(s)")};
    const QString labelTips[2] = {QStringLiteral("Double click to fix epoch table value"),
                                  QStringLiteral("Double click to synchronize the replica")};
    const QPixmap pictures[2] = {MaintenanceIcons::fixEpoch(32), MaintenanceIcons::synchronize(32)};
    for (int i = 0; i < 2; ++i) {
        m_image[i] = new ActionLabel(this);
        m_image[i]->setObjectName(indexed("dFixImage", i));
        m_image[i]->setToolTip(imageTips[i]);
        m_image[i]->setPixmap(pictures[i]);
        m_image[i]->setCursor(Qt::PointingHandCursor);
        m_image[i]->setAlignment(Qt::AlignTop | Qt::AlignHCenter);

        m_label[i] = new ActionLabel(this);
        m_label[i]->setObjectName(indexed("dFixLbl", i));
        m_label[i]->setText(captions[i]);
        m_label[i]->setToolTip(labelTips[i]);
        m_label[i]->setCursor(Qt::PointingHandCursor);
        QFont bold = m_label[i]->font();
        bold.setBold(true);
        m_label[i]->setFont(bold);
        m_label[i]->setSizePolicy(QSizePolicy::Maximum, QSizePolicy::Fixed);
        setLabelColour(i, Colors::black);

        m_combo[i] = replicaCombo(i, this);

        connect(m_image[i], &ActionLabel::clicked, this, [this, i] { fixOrSync(i); });
        connect(m_label[i], &ActionLabel::doubleClicked, this, [this, i] { fixOrSync(i); });
        // The picture runs the same action by mouse; the label is the one
        // stop for it on the keyboard.
        m_label[i]->makeKeyboardAction();
        connect(m_label[i], &ActionLabel::activated, this, [this, i] { fixOrSync(i); });
        connect(m_label[i], &ActionLabel::mouseMoved, this, [this, i] { setLabelColour(i, Colors::pureBlue); });
    }

    const QString optionCaptions[3] = {QStringLiteral("Based on Actual"), QStringLiteral("Specify Epoch Value"),
                                       QStringLiteral("Based on Local Epoch Table")};
    for (int i = 0; i < 3; ++i) {
        m_option[i] = new QRadioButton(optionCaptions[i], this);
        m_option[i]->setObjectName(indexed("dFixOpt", i));
    }
    m_option[2]->setChecked(true);

    m_epochTxt = new QLineEdit(QStringLiteral("<epoch>"), this);
    m_epochTxt->setObjectName(indexed("dFixTxt", 0));
    m_epochTxt->setMaximumWidth(120);
    QSizePolicy keep = m_epochTxt->sizePolicy();
    keep.setRetainSizeWhenHidden(true);
    m_epochTxt->setSizePolicy(keep);
    m_epochTxt->hide();

    m_syncAll = new QCheckBox(QStringLiteral("All Replicas"), this);
    m_syncAll->setObjectName(QStringLiteral("syncAllCB"));
    m_syncAll->setChecked(true);
    m_combo[1]->hide();

    // The epoch text box belongs to "Specify Epoch Value" only; it keeps its
    // text while hidden.
    connect(m_option[1], &QRadioButton::toggled, m_epochTxt, &QWidget::setVisible);
    // The export target matters only when not exporting to all; it keeps its
    // selection while hidden.
    connect(m_syncAll, &QCheckBox::toggled, m_combo[1], &QWidget::setHidden);

    // The fix and the synchronization stand side by side, so that the frame
    // takes little of the page's height and the matrices above get it.
    auto *separator = new QFrame(this);
    separator->setFrameShape(QFrame::VLine);
    separator->setFrameShadow(QFrame::Sunken);

    // The options in two short rows under the fix's replica: wide enough
    // for large fonts on a small screen, low enough for the matrices.
    auto *options = new QGridLayout;
    options->setHorizontalSpacing(14);
    options->setVerticalSpacing(2);
    options->addWidget(m_option[0], 0, 0);
    options->addWidget(m_option[2], 0, 1, 1, 2);
    options->addWidget(m_option[1], 1, 0);
    options->addWidget(m_epochTxt, 1, 1, Qt::AlignLeft);
    options->setColumnStretch(2, 1);
    auto *fix = new QGridLayout;
    fix->setHorizontalSpacing(10);
    fix->setVerticalSpacing(4);
    fix->addWidget(m_image[0], 0, 0, 3, 1);
    fix->addWidget(m_label[0], 0, 1, Qt::AlignLeft);
    fix->addWidget(m_combo[0], 1, 1, Qt::AlignLeft);
    fix->addLayout(options, 2, 1);
    fix->setColumnStretch(1, 1);

    auto *sync = new QGridLayout;
    sync->setHorizontalSpacing(10);
    sync->setVerticalSpacing(4);
    sync->addWidget(m_image[1], 0, 0, 3, 1);
    sync->addWidget(m_label[1], 0, 1, Qt::AlignLeft);
    sync->addWidget(m_syncAll, 1, 1);
    sync->addWidget(m_combo[1], 2, 1, Qt::AlignLeft);
    sync->setRowStretch(3, 1);
    sync->setColumnStretch(1, 1);

    auto *both = new QHBoxLayout;
    both->setSpacing(14);
    both->addLayout(fix, 3);
    both->addWidget(separator);
    both->addLayout(sync, 2);

    m_resultLbl = new QLabel(this);
    m_resultLbl->setObjectName(QStringLiteral("dFixResultLbl"));
    m_resultLbl->setWordWrap(true);
    m_resultLbl->setTextInteractionFlags(Qt::TextSelectableByMouse);
    auto *outer = new QVBoxLayout(this);
    outer->setSpacing(4);
    outer->addLayout(both);
    outer->addWidget(m_resultLbl);

    // Each action's label first, then what it reads, in reading order.
    QWidget *order[] = {m_label[0], m_combo[0], m_option[0], m_option[2], m_option[1],
                        m_epochTxt, m_label[1], m_syncAll, m_combo[1]};
    for (size_t i = 1; i < std::size(order); ++i)
        setTabOrder(order[i - 1], order[i]);
}

void FixFrame::setSiblingReplicas(const QStringList &siblings)
{
    for (QComboBox *combo : m_combo) {
        combo->clear();
        combo->addItem(Maintenance::selectReplica());
        combo->addItems(siblings);
        combo->setCurrentIndex(0);
    }
}

QString FixFrame::busyMessage(int index) const
{
    if (index == 1 && m_syncAll->isChecked())
        return QStringLiteral("Synchronizing all replicas");
    return QStringLiteral("Synchronizing replica ") + m_combo[index]->currentText();
}

void FixFrame::fixOrSync(int index)
{
    if (index != 0 && index != 1)
        return;
    // The processes below let window events run; a second action started
    // from them would run inside this one.
    const auto running = m_guard.tryEnter();
    if (!running)
        return;

    try {
        m_resultLbl->clear();
        m_feedback.setBusy(true, busyMessage(index));
        const QString vobTag = m_vobTag ? m_vobTag() : QString();
        const std::optional<QString> line = index == 0 ? prepareFix(vobTag) : prepareSync(vobTag);
        if (!line) {
            m_feedback.setBusy(false, QString());
            return;
        }
        if (runAndReport(*line).outcome == ShellResult::Outcome::Cancelled) {
            m_feedback.setBusy(false, QString());
            showBox(m_feedback.dialogs(),
                    ErrorBoxes::cancelled(*line, index == 0 ? QStringLiteral("The epoch table may have been changed "
                                                                             "in part; open the VOB again to see it.")
                                                            : QStringLiteral("Packets may have been exported to some "
                                                                             "replicas; open the VOB again to see "
                                                                             "its state.")));
            return;
        }
        // The window waits for the command to end before it closes; the
        // refresh would only hold it up.
        if (m_feedback.closing()) {
            m_feedback.setBusy(false, QString());
            return;
        }

        if (m_showReplicaInfo)
            m_showReplicaInfo();
        if (m_loadReplicaDetail)
            m_loadReplicaDetail();
        m_feedback.setBusy(false, QString());
    } catch (const QuorvaneError &e) {
        m_feedback.setBusy(false, QString());
        showBox(m_feedback.dialogs(), ErrorBoxes::standard(e.description()));
    }
}

std::optional<QString> FixFrame::prepareFix(const QString &vobTag)
{
    const QString replica = m_combo[0]->currentText();
    // Nothing runs, and the result line says why: a click that seems to do
    // nothing would leave the administrator guessing.
    if (!Maintenance::namesReplica(replica)) {
        m_resultLbl->setText(QStringLiteral("Nothing run: choose the replica to fix first."));
        return std::nullopt;
    }
    if (!isShownVob(vobTag))
        return std::nullopt;
    if (Maintenance::refuseUnsafeArguments(m_feedback.dialogs(), {replica, vobTag}))
        return std::nullopt;

    QString line;
    if (m_option[1]->isChecked()) {
        // Only a plain number goes into the command line: typed text must
        // never become further arguments of chepoch.
        const std::optional<qint64> value = parseEpochValue(m_epochTxt->text());
        if (!value) {
            m_feedback.dialogs().msgBox(QStringLiteral("Must specify a valid epoch number"), MsgButtons::Ok,
                                        MsgIcon::Exclamation, QStringLiteral("Invalid Epoch Value"));
            m_epochTxt->setFocus();
            return std::nullopt;
        }
        line = Commands::chepochForce(replica, vobTag, QString::number(*value));
    } else {
        line = Commands::chepochActual(replica, vobTag);
    }

    const QString question = QStringLiteral("You are about to make changes to the Epoch table for replica:")
        + ShownName::isolated(replica) + CrLf + QStringLiteral("Are you sure you want to continue?");
    if (m_feedback.dialogs().msgBox(question, MsgButtons::OkCancel, MsgIcon::Exclamation,
                                    QStringLiteral("Fix Epoch..."))
        != MsgResult::Ok)
        return std::nullopt;
    return line;
}

std::optional<QString> FixFrame::prepareSync(const QString &vobTag)
{
    // The export is decided before the import runs: the controls stay usable
    // while it runs, and what the user asked for is what was on screen at
    // the click.
    QString exportLine;
    QStringList names;
    if (m_syncAll->isChecked()) {
        QStringList targets;
        for (int i = 1; i < m_combo[1]->count(); ++i)
            targets << m_combo[1]->itemText(i);
        names = targets;
        exportLine = Commands::exportToAll(targets, vobTag);
    } else {
        const QString target = m_combo[1]->currentText();
        // Like the fix: with no target chosen, nothing runs at all.
        if (!Maintenance::namesReplica(target)) {
            m_resultLbl->setText(
                QStringLiteral("Nothing run: choose the replica to export to, or tick \"All Replicas\"."));
            return std::nullopt;
        }
        names = {target};
        exportLine = Commands::exportTo(target, vobTag);
    }

    if (!isShownVob(vobTag))
        return std::nullopt;
    if (Maintenance::refuseUnsafeArguments(m_feedback.dialogs(), names + QStringList{vobTag}))
        return std::nullopt;

    const QString importLine = Commands::importReceive(vobTag);
    const ShellResult imported = runAndReport(importLine);
    if (imported.outcome == ShellResult::Outcome::Cancelled) {
        showBox(m_feedback.dialogs(),
                ErrorBoxes::cancelled(importLine, QStringLiteral("Packets may have been imported in part; the "
                                                                 "export was not started.")));
        return std::nullopt;
    }
    // The program ends without waiting for the import: nothing may follow it.
    if (imported.outcome == ShellResult::Outcome::LeftRunning)
        return std::nullopt;
    return exportLine;
}

bool FixFrame::isShownVob(const QString &vobTag)
{
    if (!m_shownVobTag)
        return true;
    const QString shown = m_shownVobTag();
    if (!shown.isEmpty() && vobTag == shown)
        return true;
    showBox(m_feedback.dialogs(), ErrorBoxes::wrongVob(vobTag, shown));
    return false;
}

ShellResult FixFrame::runAndReport(const QString &commandLine)
{
    const ShellResult result = m_shell.ShellAndWait(commandLine, Maintenance::hiddenWindow);
    if (m_commandEnded)
        m_commandEnded(commandLine, result);
    const QString endedAt = QTime::currentTime().toString(QStringLiteral("HH:mm:ss"));
    const QString line = resultLine(commandLine, result, endedAt);
    const QString shown = m_resultLbl->text();
    m_resultLbl->setText(shown.isEmpty() ? line : shown + QLatin1Char('\n') + line);
    // The whole lines, when a name in one was shortened.
    const QString whole = m_resultLbl->toolTip();
    const QString full = resultLine(commandLine, result, endedAt, false);
    if (!whole.isEmpty() || full != line)
        m_resultLbl->setToolTip((whole.isEmpty() ? shown : whole + QLatin1Char('\n')) + full);
    return result;
}

QString FixFrame::resultLine(const QString &commandLine, const ShellResult &result, const QString &endedAt,
                             bool shortened)
{
    QString how = QStringLiteral("done");
    if (!result.succeeded()) {
        how = QStringLiteral("failed (") + LoggingShell::outcomeText(result) + QLatin1Char(')');
        // The last line of what it said is usually the reason.
        const QString reason = result.errorTail.section(CrLf, -1).trimmed();
        if (!reason.isEmpty())
            how += QStringLiteral(": ") + reason;
    }
    // Each argument stands isolated, so that a name's direction marks
    // reorder nothing beyond it; a long one is cut in the middle.
    QStringList arguments = commandLine.trimmed().split(QLatin1Char(' '));
    for (QString &argument : arguments)
        argument = ShownName::isolated(shortened ? ShownName::shortened(argument) : argument);
    return arguments.join(QLatin1Char(' ')) + QStringLiteral(" \u2014 ") + how + QStringLiteral(", ") + endedAt;
}

void FixFrame::preselect(const Repair &repair)
{
    QComboBox *combo = nullptr;
    if (repair.kind == Repair::Kind::FixBasedOnActual) {
        combo = m_combo[0];
        m_option[0]->setChecked(true);
    } else if (repair.kind == Repair::Kind::Synchronize && !repair.replica.isEmpty()) {
        combo = m_combo[1];
        m_syncAll->setChecked(false);
    } else {
        // The import half of a synchronization needs no choice.
        return;
    }
    const int entry = combo->findText(repair.replica, Qt::MatchExactly);
    if (entry > 0)
        combo->setCurrentIndex(entry);
    combo->setFocus();
}

void FixFrame::setLabelColour(int index, OleColor colour)
{
    QPalette palette = m_label[index]->palette();
    palette.setColor(QPalette::WindowText, toQColor(colour));
    m_label[index]->setPalette(palette);
}

void FixFrame::mouseMoveEvent(QMouseEvent *event)
{
    // Only the frame's free area counts; moves over its other controls
    // reach here too and leave the labels alone.
    if (childAt(event->position().toPoint()) == nullptr) {
        const QColor blue = toQColor(Colors::pureBlue);
        for (int i = 0; i < 2; ++i) {
            if (m_label[i]->palette().color(QPalette::WindowText) == blue)
                setLabelColour(i, Colors::black);
        }
    }
    QGroupBox::mouseMoveEvent(event);
}

} // namespace quorvane
