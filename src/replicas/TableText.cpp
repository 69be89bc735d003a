#include "replicas/TableText.h"

#include <QAbstractItemModel>
#include <QStringList>

#include <numeric>

namespace quorvane {

QString tableText(const QAbstractItemModel &model, const QList<int> &rows)
{
    QStringList lines;
    QStringList heading;
    for (int c = 0; c < model.columnCount(); ++c)
        heading << model.headerData(c, Qt::Horizontal).toString();
    lines << heading.join(QLatin1Char('\t'));
    for (const int r : rows) {
        QStringList cells;
        for (int c = 0; c < model.columnCount(); ++c)
            cells << model.index(r, c).data().toString().replace(QLatin1Char('\t'), QLatin1Char(' '));
        lines << cells.join(QLatin1Char('\t'));
    }
    return lines.join(QLatin1Char('\n')) + QLatin1Char('\n');
}

QString tableText(const QAbstractItemModel &model)
{
    QList<int> rows(model.rowCount());
    std::iota(rows.begin(), rows.end(), 0);
    return tableText(model, rows);
}

} // namespace quorvane
