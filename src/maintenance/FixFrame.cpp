#include "maintenance/FixFrame.h"

#include "maintenance/MaintenanceIcons.h"
#include "maintenance/MaintenanceNames.h"
#include "ui/ActionLabel.h"
#include "replicas/Diagnosis.h"
#include "common/LongActionGuard.h"
#include "ui/QtColors.h"
#include "ui/NameWidgets.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QRadioButton>
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
    , m_guard(guard)
    , m_repair(shell, feedback, std::move(showReplicaInfo), std::move(loadReplicaDetail))
    , m_vobTag(std::move(vobTag))
{
    m_repair.setCommandEnded([this](const RepairCommand &command) { showEnded(command); });
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

RepairChoice FixFrame::choice(int index) const
{
    RepairChoice c;
    c.action = index == 0 ? RepairChoice::Action::Fix : RepairChoice::Action::Synchronize;
    c.vobTag = m_vobTag ? m_vobTag() : QString();
    if (m_shownVobTag)
        c.shownVobTag = m_shownVobTag();
    c.fixReplica = m_combo[0]->currentText();
    c.specifyEpoch = m_option[1]->isChecked();
    c.epochText = m_epochTxt->text();
    c.exportToAll = m_syncAll->isChecked();
    for (int i = 1; i < m_combo[1]->count(); ++i)
        c.siblings << m_combo[1]->itemText(i);
    c.exportTarget = m_combo[1]->currentText();
    return c;
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

    m_resultLbl->clear();
    const RepairReport report = m_repair.run(choice(index));
    if (!report.note.isEmpty())
        m_resultLbl->setText(report.note);
    if (report.epochRefused)
        m_epochTxt->setFocus();
}

void FixFrame::showEnded(const RepairCommand &command)
{
    if (m_commandEnded)
        m_commandEnded(command.commandLine, command.result);
    const QString line = resultLine(command.commandLine, command.result, command.endedAt);
    const QString shown = m_resultLbl->text();
    m_resultLbl->setText(shown.isEmpty() ? line : shown + QLatin1Char('\n') + line);
    // The whole lines, when a name in one was shortened.
    const QString whole = m_resultLbl->toolTip();
    const QString full = resultLine(command.commandLine, command.result, command.endedAt, false);
    if (!whole.isEmpty() || full != line)
        m_resultLbl->setToolTip((whole.isEmpty() ? shown : whole + QLatin1Char('\n')) + full);
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
