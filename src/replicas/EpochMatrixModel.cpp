#include "replicas/EpochMatrixModel.h"

#include "replicas/EpochCells.h"

namespace quorvane {

namespace {

// Numbers sit at the right edge of their cell, an unknown in its middle,
// everything else at the left.
Qt::Alignment alignmentOf(const QString &text)
{
    if (EpochCells::isUnknown(text))
        return Qt::AlignHCenter | Qt::AlignVCenter;
    bool number = false;
    if (!text.isEmpty())
        text.toDouble(&number);
    return (number ? Qt::AlignRight : Qt::AlignLeft) | Qt::AlignVCenter;
}

} // namespace

EpochMatrixModel::EpochMatrixModel(QObject *parent) : QAbstractTableModel(parent)
{
}

void EpochMatrixModel::setMatrix(EpochMatrix matrix)
{
    beginResetModel();
    m_matrix = std::move(matrix);
    endResetModel();
}

void EpochMatrixModel::setText(int row, int col, const QString &text)
{
    m_matrix.setText(row, col, text);
    if (row == 0 && col > 0)
        Q_EMIT headerDataChanged(Qt::Horizontal, col - 1, col - 1);
    else if (col == 0 && row > 0)
        Q_EMIT headerDataChanged(Qt::Vertical, row - 1, row - 1);
    else if (row > 0)
        Q_EMIT dataChanged(index(row - 1, col - 1), index(row - 1, col - 1));
}

int EpochMatrixModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : m_matrix.rows() - 1;
}

int EpochMatrixModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : m_matrix.cols() - 1;
}

QVariant EpochMatrixModel::data(const QModelIndex &index, int role) const
{
    if (!checkIndex(index, CheckIndexOption::IndexIsValid))
        return {};
    const int row = index.row() + 1;
    const int col = index.column() + 1;
    const QString &text = m_matrix.text(row, col);
    switch (role) {
    case Qt::DisplayRole:
        return text;
    case Qt::TextAlignmentRole:
        return QVariant::fromValue(alignmentOf(text));
    case BackColorRole:
        return m_matrix.backColor(row, col);
    case UnknownRole:
        return EpochCells::isUnknown(text);
    default:
        return {};
    }
}

QVariant EpochMatrixModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    const bool across = orientation == Qt::Horizontal;
    if (section < 0 || section >= (across ? columnCount() : rowCount()))
        return {};
    const QString &name = across ? m_matrix.text(0, section + 1) : m_matrix.text(section + 1, 0);
    switch (role) {
    case Qt::DisplayRole:
        return name;
    case Qt::TextAlignmentRole:
        return QVariant::fromValue(Qt::Alignment(Qt::AlignLeft | Qt::AlignVCenter));
    case Qt::ToolTipRole: {
        // The names are what a column or row is read by: the whole of it,
        // also where it is drawn whole, with what is known of its replica.
        if (name.isEmpty())
            return {};
        const QString note = m_matrix.headerNote(name);
        return note.isEmpty() ? name : name + QLatin1Char('\n') + note;
    }
    default:
        return {};
    }
}

} // namespace quorvane
