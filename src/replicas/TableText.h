#pragma once

#include <QList>
#include <QString>

class QAbstractItemModel;

namespace quorvane {

// Rows of a table (as given, in the model's order) as tab-separated text
// with a heading line: what a spreadsheet or a mail takes from the clipboard.
// A tab inside a cell becomes a blank, so that columns stay columns.
[[nodiscard]] QString tableText(const QAbstractItemModel &model, const QList<int> &rows);
// Every row.
[[nodiscard]] QString tableText(const QAbstractItemModel &model);

} // namespace quorvane
