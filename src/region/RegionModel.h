#pragma once

#include "region/RegionHealth.h"

#include <QAbstractTableModel>
#include <QList>

namespace quorvane {

// One row per surveyed VOB family, for an item view. Qt::DisplayRole gives
// the text, SortRole a value that sorts as the administrator means it (the
// state worst first, counts and ages as numbers, an unknown age last).
class RegionModel final : public QAbstractTableModel {
    Q_OBJECT
public:
    enum Column { Vob, State, Worst, Behind, ImportAge, ExportAge, Waiting, Stuck, Returned, Diagnosis, ColumnCount };
    static constexpr int SortRole = Qt::UserRole + 1;

    explicit RegionModel(QObject *parent = nullptr);
    Q_DISABLE_COPY_MOVE(RegionModel)

    void clear();
    void add(const VobHealth &family);
    // Replaces every row (the ranked list at the survey's end).
    void reset(const QList<VobHealth> &families);
    [[nodiscard]] const VobHealth &family(int row) const { return m_rows.at(row); }

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

    // "5 days", "3 hours", "12 minutes"; empty for none recorded.
    static QString ageText(std::optional<qint64> seconds);
    // The rows as tab-separated text with a heading line, for the clipboard.
    [[nodiscard]] static QString tableText(const QAbstractItemModel &model);

private:
    QList<VobHealth> m_rows;
};

} // namespace quorvane
