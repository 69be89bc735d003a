#include "maintenance/ReplicaFieldsPanel.h"

#include "maintenance/SyncDates.h"
#include "common/ErrorBoxes.h"
#include "common/Feedback.h"
#include "common/QuorvaneError.h"

#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

namespace quorvane {

ReplicaFieldsPanel::ReplicaFieldsPanel(ClearTool &clearTool, Feedback &feedback, std::function<QString()> vobTag,
                                       QWidget *parent)
    : QWidget(parent), m_clearTool(clearTool), m_feedback(feedback), m_vobTag(std::move(vobTag))
{
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(2);

    m_selectedVob = new QLabel(QStringLiteral("Selected VOB"), this);
    m_selectedVob->setObjectName(QStringLiteral("vSelectedVobLbl"));
    QFont bold = m_selectedVob->font();
    bold.setBold(true);
    m_selectedVob->setFont(bold);
    m_selectedVob->setTextInteractionFlags(Qt::TextSelectableByMouse);
    layout->addWidget(m_selectedVob);
    layout->addSpacing(8);

    struct Field {
        QLineEdit **member;
        const char *name;
        QString text;
        QString label;
    };
    const Field fields[] = {
        {&m_replica, "vReplicaTxt", QStringLiteral("<replica_name>"), QStringLiteral("Replica Name:")},
        {&m_host, "vHostTxt", QStringLiteral("<host>"), QStringLiteral("Repica Host:")},
        {&m_master, "vMasterTxt", QStringLiteral("<mastered_by>"), QStringLiteral("Mastered By:")},
        {&m_date, "vDateTxt", QStringLiteral("<date_created>"), QStringLiteral("Date Created:")},
        {&m_importDate, "vImportDateTxt", QStringLiteral("<Import>"), QStringLiteral("Last Import:")},
        {&m_exportDate, "vExportDateTxt", QStringLiteral("<Export>"), QStringLiteral("Last Export:")},
    };
    int index = 0;
    for (const Field &f : fields) {
        auto *label = new QLabel(f.label, this);
        label->setObjectName(QStringLiteral("vLabels(%1)").arg(index++));
        auto *edit = new QLineEdit(f.text, this);
        edit->setObjectName(QLatin1String(f.name));
        edit->setProperty("designedText", f.text);
        // The fields show what ClearCase says; they are not for typing.
        edit->setReadOnly(true);
        edit->setMinimumWidth(190);
        edit->setCursorPosition(0);
        label->setBuddy(edit);
        layout->addWidget(label);
        layout->addWidget(edit);
        layout->addSpacing(6);
        *f.member = edit;
    }
    layout->addStretch(1);
}

void ReplicaFieldsPanel::resetFields()
{
    for (QLineEdit *edit : {m_replica, m_host, m_master, m_date, m_importDate, m_exportDate}) {
        edit->setText(edit->property("designedText").toString());
        edit->setToolTip(QString());
        edit->setCursorPosition(0);
    }
}

void ReplicaFieldsPanel::showSite(const QString &replicaName, const QString &replicaHost, const QString &master,
                                  const QString &dateCreated, const std::function<void()> &highlight)
{
    try {
        m_feedback.setHourglass(true);
        m_host->setText(replicaHost);
        m_host->setToolTip(QStringLiteral("Host: ") + replicaHost);
        m_replica->setText(replicaName);
        m_replica->setToolTip(QStringLiteral("Replica Name: ") + replicaName);
        m_master->setText(master);
        m_date->setText(dateCreated);
        for (QLineEdit *edit : {m_host, m_replica, m_master, m_date})
            edit->setCursorPosition(0);

        if (highlight)
            highlight();

        // Only an empty history gives two empty dates.
        const SyncDates dates = getLastSyncDates(m_clearTool, replicaName, m_vobTag());
        if (dates != SyncDates{}) {
            m_importDate->setText(dates.importDate);
            m_exportDate->setText(dates.exportDate);
            m_importDate->setCursorPosition(0);
            m_exportDate->setCursorPosition(0);
        }
        m_feedback.setHourglass(false);
    } catch (const QuorvaneError &e) {
        m_feedback.setHourglass(false);
        showBox(m_feedback.dialogs(), ErrorBoxes::standard(e.description(), MsgIcon::Stop));
    }
}

} // namespace quorvane
