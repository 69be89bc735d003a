#include "replicas/DiagnosisPanel.h"

#include "common/ShownName.h"

#include <QLabel>
#include <QListWidget>
#include <QVBoxLayout>

namespace quorvane {

namespace {

const QString repairTip =
    QStringLiteral("Click to choose this repair in Replica Maintenance; nothing runs until you start it");

// The replicas behind a count, a few to a line so that the tip stays
// narrow; each name long enough to widen it is cut in the middle.
QString namesTip(const QStringList &names)
{
    QStringList lines;
    QStringList line;
    for (const QString &name : names) {
        line << ShownName::isolated(ShownName::shortened(name, 40));
        if (line.size() == 6) {
            lines << line.join(QStringLiteral(", "));
            line.clear();
        }
    }
    if (!line.isEmpty())
        lines << line.join(QStringLiteral(", "));
    return lines.join(QLatin1Char('\n'));
}

} // namespace

DiagnosisPanel::DiagnosisPanel(QWidget *parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("dDiagnosisPanel"));
    m_label = new QLabel(QStringLiteral("Diagnosis:"), this);
    m_label->setObjectName(QStringLiteral("dDiagnosisLbl"));
    m_list = new QListWidget(this);
    m_list->setObjectName(QStringLiteral("dDiagnosis"));
    m_list->setWordWrap(true);
    // Lines wrap at the panel's width, and wrap again when it changes.
    m_list->setResizeMode(QListView::Adjust);
    m_list->setTextElideMode(Qt::ElideNone);
    m_list->setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);
    m_list->setSelectionMode(QAbstractItemView::SingleSelection);
    m_list->setToolTip(QStringLiteral("What the two epoch tables show, most important first"));
    // Room for a few findings; more scroll.
    const int line = m_list->fontMetrics().lineSpacing();
    m_list->setMinimumHeight(line * 3 + 10);
    m_list->setMaximumHeight(line * 7 + 10);
    m_label->setBuddy(m_list);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 4, 0, 0);
    layout->setSpacing(3);
    layout->addWidget(m_label);
    layout->addWidget(m_list);

    connect(m_list, &QListWidget::itemClicked, this, &DiagnosisPanel::itemChosen);
    connect(m_list, &QListWidget::itemActivated, this, &DiagnosisPanel::itemChosen);
}

void DiagnosisPanel::showFindings(const QList<Finding> &findings)
{
    m_findings = findings;
    m_list->clear();
    for (const Finding &f : findings) {
        auto *item = new QListWidgetItem(f.text, m_list);
        QStringList tip;
        if (!f.names.isEmpty())
            tip << namesTip(f.names);
        if (f.repair.kind != Repair::Kind::None)
            tip << repairTip;
        item->setToolTip(tip.join(QStringLiteral("\n\n")));
        if (f.repair.kind != Repair::Kind::None) {
            QFont font = item->font();
            font.setUnderline(true);
            item->setFont(font);
            item->setForeground(palette().color(QPalette::Link));
        }
    }
}

void DiagnosisPanel::clearFindings()
{
    showFindings({});
}

void DiagnosisPanel::itemChosen(QListWidgetItem *item)
{
    const int row = m_list->row(item);
    if (row < 0 || row >= m_findings.size())
        return;
    const Repair repair = m_findings[row].repair;
    if (repair.kind != Repair::Kind::None)
        Q_EMIT repairChosen(repair);
}

} // namespace quorvane
