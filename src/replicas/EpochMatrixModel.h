#pragma once

#include "replicas/EpochMatrix.h"

#include <QAbstractTableModel>

namespace quorvane {

// One epoch matrix as a table model: the value cells are the items, the
// replicas' names the headers (the name row across, the name column down).
// Colours are data (OleColor under BackColorRole), so that what a column's
// test decides can be checked without drawing.
class EpochMatrixModel final : public QAbstractTableModel {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(EpochMatrixModel)

public:
    enum Role {
        BackColorRole = Qt::UserRole + 1, // OleColor of a value cell
        UnknownRole,                      // the value is the script's "?"
    };

    explicit EpochMatrixModel(QObject *parent = nullptr);

    [[nodiscard]] const EpochMatrix &matrix() const { return m_matrix; }
    // Replaced whole: a fill, a clean, a reload.
    void setMatrix(EpochMatrix matrix);
    // One cell's text (row 0 and column 0 are the names).
    void setText(int row, int col, const QString &text);

    [[nodiscard]] int rowCount(const QModelIndex &parent = {}) const override;
    [[nodiscard]] int columnCount(const QModelIndex &parent = {}) const override;
    [[nodiscard]] QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    [[nodiscard]] QVariant headerData(int section, Qt::Orientation orientation,
                                      int role = Qt::DisplayRole) const override;

private:
    EpochMatrix m_matrix;
};

} // namespace quorvane
