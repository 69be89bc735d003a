#include "region/RegionModel.h"

#include "replicas/TableText.h"

#include <algorithm>
#include <limits>

namespace quorvane {

RegionModel::RegionModel(QObject *parent) : QAbstractTableModel(parent) {}

void RegionModel::clear()
{
    reset({});
}

void RegionModel::add(const VobHealth &family)
{
    beginInsertRows({}, int(m_rows.size()), int(m_rows.size()));
    m_rows << family;
    endInsertRows();
}

void RegionModel::reset(const QList<VobHealth> &families)
{
    beginResetModel();
    m_rows = families;
    endResetModel();
}

int RegionModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_rows.size());
}

int RegionModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : ColumnCount;
}

QString RegionModel::ageText(std::optional<qint64> seconds)
{
    if (!seconds)
        return {};
    const qint64 s = *seconds;
    if (s >= 2 * 86400)
        return QString::number(s / 86400) + QStringLiteral(" days");
    if (s >= 2 * 3600)
        return QString::number(s / 3600) + QStringLiteral(" hours");
    return QString::number(s / 60) + QStringLiteral(" minutes");
}

QVariant RegionModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= m_rows.size())
        return {};
    const VobHealth &f = m_rows.at(index.row());
    const auto age = [role](std::optional<qint64> a) -> QVariant {
        // No record sorts after every recorded age.
        if (role == SortRole)
            return a ? QVariant(*a) : QVariant(std::numeric_limits<qint64>::max());
        return ageText(a);
    };
    if (role == Qt::TextAlignmentRole) {
        const bool number = index.column() == Behind || index.column() == Waiting || index.column() == Stuck ||
            index.column() == Returned || index.column() == ImportAge || index.column() == ExportAge;
        return QVariant::fromValue(Qt::Alignment((number ? Qt::AlignRight : Qt::AlignLeft) | Qt::AlignVCenter));
    }
    if (role == Qt::ToolTipRole && index.column() == Diagnosis) {
        QStringList lines;
        for (const Finding &x : f.findings)
            lines << x.text;
        return (lines.isEmpty() ? QStringList{f.firstLine} : lines).join(QLatin1Char('\n'));
    }
    if (role != Qt::DisplayRole && role != SortRole)
        return {};
    const bool sort = role == SortRole;
    switch (index.column()) {
    case Vob: return f.tag;
    // Sorted by state, a family further behind comes first within its state,
    // as the survey ranks them.
    case State:
        return sort ? QVariant((qint64(f.state) << 40) - std::min<qint64>(f.behind, (qint64(1) << 39)))
                    : QVariant(healthName(f.state));
    case Worst: return f.worstSibling;
    case Behind: return sort ? QVariant(f.behind) : QVariant(f.behind ? QString::number(f.behind) : QString());
    case ImportAge: return age(f.importAge);
    case ExportAge: return age(f.exportAge);
    case Waiting: return f.packetsWaiting;
    case Stuck: return f.packetsStuck;
    case Returned: return f.packetsReturned;
    case Diagnosis: return f.firstLine;
    default: return {};
    }
}

QVariant RegionModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return QAbstractTableModel::headerData(section, orientation, role);
    static const char *const names[ColumnCount] = {"VOB", "State", "Worst replica", "Behind", "Last import",
                                                   "Last export", "Packets waiting", "Stuck", "Returned",
                                                   "Diagnosis"};
    return section >= 0 && section < ColumnCount ? QString::fromLatin1(names[section]) : QVariant();
}

QString RegionModel::tableText(const QAbstractItemModel &model)
{
    return quorvane::tableText(model);
}

} // namespace quorvane
