#include "vobs/VobListPanel.h"

#include "ccase/ClearCaseError.h"
#include "ccase/ClearTool.h"
#include "ccase/Commands.h"
#include "common/ErrorBoxes.h"
#include "ui/EventPump.h"
#include "common/Feedback.h"
#include "common/LongActionGuard.h"
#include "common/QuorvaneError.h"
#include "vobs/IsInList.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QKeyEvent>
#include <QListWidget>
#include <QStyle>
#include <QToolButton>
#include <QVBoxLayout>

#include <exception>
#include <functional>
#include <optional>

namespace quorvane {

namespace {

const QString LoadingMessage =
    QStringLiteral("Loading and checking VOBs, this may take a several minutes...");
const QString CheckingPrefix = QStringLiteral("Checking VOB --> ");

QString describe(const std::exception &e)
{
    if (const auto *q = dynamic_cast<const QuorvaneError *>(&e))
        return q->description();
    return QString::fromLocal8Bit(e.what());
}

QStringList entriesOf(const QListWidget *list)
{
    QStringList entries;
    entries.reserve(list->count());
    for (int i = 0; i < list->count(); ++i)
        entries << list->item(i)->text();
    return entries;
}

// A VOB whose replication could not be checked stays listed, under its
// tag unchanged (every action reads the tag from the entry's text), and is
// marked: a warning icon, this colour, and the reason in its tooltip.
const QColor NotCheckedColor(160, 82, 0);

QString notCheckedTip(const QString &why)
{
    return QStringLiteral("Not checked: whether this VOB is replicated is not known.\n") + why;
}

// Once the replicated-only pass has begun, a failing step counts as done and
// the load goes on with the next one.
template <typename Step>
void ignoringErrors(Step step)
{
    try {
        step();
    } catch (const std::exception &) {
    }
}

} // namespace

VobListPanel::VobListPanel(ClearTool &clearTool, Feedback &feedback, LongActionGuard &guard,
                           QWidget *parent)
    : QFrame(parent), m_clearTool(clearTool), m_feedback(feedback), m_guard(guard)
{
    setObjectName(QStringLiteral("frameMain"));
    setFrameShape(QFrame::StyledPanel);

    m_loadVobsBut = new QToolButton(this);
    m_loadVobsBut->setObjectName(QStringLiteral("loadVobsBut"));
    m_loadVobsBut->setText(QStringLiteral("Load VOBs"));
    m_loadVobsBut->setIcon(style()->standardIcon(QStyle::SP_BrowserReload));
    m_loadVobsBut->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    m_loadVobsBut->setAutoRaise(false);

    m_onlyReplicatedOnlyCB = new QCheckBox(QStringLiteral("Show Only Replicated VOBs"), this);
    m_onlyReplicatedOnlyCB->setObjectName(QStringLiteral("onlyReplicatedOnlyCB"));
    m_onlyReplicatedOnlyCB->setChecked(true);

    m_list = new QListWidget(this);
    m_list->setObjectName(QStringLiteral("pVobViewList"));
    m_list->setSortingEnabled(true);
    m_list->setSelectionMode(QAbstractItemView::SingleSelection);
    // The mark of a VOB not checked stays within a line of text.
    const int small = style()->pixelMetric(QStyle::PM_SmallIconSize, nullptr, m_list);
    m_list->setIconSize(QSize(small, small));

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_loadVobsBut, 0, Qt::AlignLeft);
    layout->addWidget(m_onlyReplicatedOnlyCB);
    layout->addWidget(m_list, 1);

    connect(m_loadVobsBut, &QToolButton::clicked, this, &VobListPanel::loadVobsButClick);
    connect(m_list, &QListWidget::itemDoubleClicked, this, [this](QListWidgetItem *) {
        emit vobDoubleClicked();
    });
    // Return on an entry opens it as the double click does. The list's own
    // "activated" is not used: with some desktops' single-click setting it
    // fires on one click, which would open a VOB where a click only selects.
    m_list->installEventFilter(this);
}

bool VobListPanel::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_list && event->type() == QEvent::KeyPress) {
        const auto *key = static_cast<QKeyEvent *>(event);
        const bool enter = key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter;
        if (enter && (key->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier) {
            if (m_list->currentItem() && !key->isAutoRepeat())
                emit vobDoubleClicked();
            return true;
        }
    }
    return QFrame::eventFilter(watched, event);
}

void VobListPanel::setPictMsgLabel(QWidget *pictMsgLbl)
{
    m_pictMsgLbl = pictMsgLbl;
}

QString VobListPanel::selectedVobTag() const
{
    const QListWidgetItem *item = m_list->item(m_list->currentRow());
    return item ? item->text() : QString();
}

void VobListPanel::getVobsList(QListWidget *list)
{
    try {
        const QStringList tags = m_clearTool.vobTags();
        EntrySet entries(entriesOf(list));
        for (const QString &tag : tags) {
            EventPump::run();
            if (!entries.contains(tag)) {
                list->addItem(tag);
                entries.add(tag);
            }
        }
    } catch (const ClearCaseCancelled &) {
        // The user stopped it: nothing went wrong that a box should report.
    } catch (const std::exception &e) {
        showBox(m_feedback.dialogs(), ErrorBoxes::vobTags(describe(e)));
    }
}

void VobListPanel::removeFromList(const QString &text, QListWidget *list)
{
    for (int i = 0; i < list->count(); ++i) {
        if (list->item(i)->text() == text) {
            delete list->takeItem(i);
            return;
        }
    }
}

void VobListPanel::loadVobsButClick()
{
    const auto scope = m_guard.tryEnter();
    if (!scope)
        return;

    bool passBegun = false;
    QStringList unchecked;
    // Hiding the list while it fills moves the focus on; it comes back.
    const bool listHadFocus = m_list->hasFocus();
    try {
        m_list->clear();
        m_feedback.setBusy(true, QString());
        m_list->hide();
        getVobsList(m_list);
        m_feedback.setMsg(LoadingMessage);
        if (m_onlyReplicatedOnlyCB->isChecked()) {
            passBegun = true;
            unchecked = checkReplicated();
        }
    } catch (const std::exception &e) {
        reportLoadError(describe(e));
        return;
    }

    // Steps 7 to 10: after the pass each is passed over when it fails;
    // without the pass a failure ends the load through the trap.
    const std::function<void()> closing[] = {
        [this, listHadFocus] {
            m_list->show();
            if (listHadFocus)
                m_list->setFocus(Qt::OtherFocusReason);
        },
        [this] { m_feedback.setBusy(false, QString()); },
        [this] {
            if (m_pictMsgLbl)
                m_pictMsgLbl->setVisible(m_list->count() == 0);
        },
        [this] { m_feedback.hideWorking(); },
    };
    if (passBegun) {
        for (const auto &step : closing)
            ignoringErrors(step);
        if (!unchecked.isEmpty())
            ignoringErrors([&] { showBox(m_feedback.dialogs(), ErrorBoxes::uncheckedVobs(unchecked)); });
        return;
    }
    try {
        for (const auto &step : closing)
            step();
    } catch (const std::exception &e) {
        reportLoadError(describe(e));
    }
}

// The trap of the load. Its own steps must not fail out of the click
// handler, so each one that fails is passed over.
void VobListPanel::reportLoadError(const QString &description)
{
    ignoringErrors([this] { m_list->show(); });
    ignoringErrors([&] { showBox(m_feedback.dialogs(), ErrorBoxes::load(description)); });
    ignoringErrors([this] { m_feedback.setBusy(false, QString()); });
    ignoringErrors([this] { m_feedback.hideWorking(); });
}

void VobListPanel::markNotChecked(QListWidgetItem *item, const QString &why)
{
    const QString tip = notCheckedTip(why);
    item->setIcon(style()->standardIcon(QStyle::SP_MessageBoxWarning));
    item->setForeground(NotCheckedColor);
    item->setToolTip(tip);
    item->setData(Qt::AccessibleDescriptionRole, tip);
}

// A VOB counts as replicated when "lsreplica -siblings" prints anything for
// it, and as not replicated when it prints nothing; those leave the list. A
// VOB whose check fails (storage gone, VOB locked, a broken registry entry)
// is neither: it stays, marked as not checked with ClearCase's message (the
// command log holds the failed command too). A tag that cannot even go into
// the command as one argument is not sent (it could name another VOB or an
// option): it stays, marked with the reason, and is named in a box at the end.
QStringList VobListPanel::checkReplicated()
{
    QStringList unsendable;
    int position = 0;
    // Once the window is closing, the VOBs not yet checked no longer matter.
    while (position < m_list->count() && !m_feedback.closing()) {
        QString tag;
        ignoringErrors([&] { tag = m_list->item(position)->text(); });
        ignoringErrors([&] {
            m_feedback.setMsg(CheckingPrefix + tag);
            EventPump::run();
        });
        QString output;
        std::optional<QString> notChecked;
        bool cancelled = false;
        if (const auto fault = Commands::argumentFault({tag})) {
            unsendable << tag;
            notChecked = QStringLiteral("Its tag %1, so it cannot be passed to ClearCase as one argument.")
                             .arg(fault->reason);
        } else {
            try {
                output = m_clearTool.CmdExec(Commands::vobCheck(tag));
            } catch (const ClearCaseCancelled &) {
                cancelled = true;
            } catch (const std::exception &e) {
                notChecked = describe(e);
            }
        }
        // The user stopped the pass: this VOB and those after it stay
        // listed, marked as not checked, rather than be taken for not
        // replicated.
        if (cancelled) {
            ignoringErrors([&] {
                for (int rest = position; rest < m_list->count(); ++rest)
                    markNotChecked(m_list->item(rest),
                                   QStringLiteral("The check was cancelled before this VOB was checked."));
            });
            break;
        }
        ignoringErrors([&] { m_feedback.setStatus(CheckingPrefix + tag); });
        // After a removal the same position holds the next entry. Should
        // nothing have been removed, move on rather than check it forever.
        const int before = m_list->count();
        if (notChecked) {
            ignoringErrors([&] {
                if (QListWidgetItem *item = m_list->item(position); item && item->text() == tag)
                    markNotChecked(item, *notChecked);
            });
        } else if (output.isEmpty()) {
            // The load lists each tag once, so the entry just checked is the
            // first with its text: no search through the list for it.
            const QListWidgetItem *item = m_list->item(position);
            if (item && item->text() == tag)
                delete m_list->takeItem(position);
            else
                removeFromList(tag, m_list);
        }
        if (m_list->count() == before)
            ++position;
    }
    return unsendable;
}

} // namespace quorvane
