#pragma once

#include "common/Colors.h"
#include "replicas/Diagnosis.h"

#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>

namespace quorvane {

// One epoch matrix as the Detail page shows it, as data: row 0 and column 0
// hold the replicas' names ("REPLICA NAME" where they meet), the cells the
// epoch numbers as text. It keeps what a results file's fill gives beside
// the texts: the column widths in twips, the out-of-sync flag of every
// column, the cell a fill leaves current, and notes for headers.
//
// A new matrix has 2 rows and 2 columns, all empty, like one that holds no
// fill. Addressing a cell outside it throws QuorvaneError
// (ErrNo::SubscriptOutOfRange); a fill that runs past its columns throws
// ErrNo::InvalidColValue, keeping what it wrote.
class EpochMatrix {
public:
    // Width of a column that was never set, in twips.
    static constexpr int defaultColWidth = 960;
    static constexpr const char *cornerText = "REPLICA NAME";

    EpochMatrix();

    // Row and column counts, names included.
    [[nodiscard]] int rows() const { return int(m_cells.size()); }
    [[nodiscard]] int cols() const { return m_cols; }

    [[nodiscard]] const QString &text(int row, int col) const;
    void setText(int row, int col, const QString &text);
    [[nodiscard]] int colWidth(int col) const;

    // One flag per index 0 .. cols(): true where the column's values differ.
    // Index 0 and the last are false. Empty until the first fill; a fill
    // that fails keeps those of the fill before.
    [[nodiscard]] const QList<bool> &outOfSync() const { return m_outOfSync; }
    // The background of a value cell: white, pure red in a column flagged
    // out of sync.
    [[nodiscard]] OleColor backColor(int row, int col) const;

    // Where a fill leaves the current cell: on the last column, at the first
    // row whose value differs from row 1's, else on the last row.
    [[nodiscard]] int currentRow() const { return m_currentRow; }
    [[nodiscard]] int currentCol() const { return m_currentCol; }

    // What a header adds to the name it shows in its tooltip, by name.
    [[nodiscard]] QString headerNote(const QString &name) const { return m_notes.value(name); }

    // Whether the values of `col` differ, compared exactly as text.
    [[nodiscard]] bool isEpochOutOfSync(int col) const;

    // Before a reload: the name row and the last row stay (that row keeps
    // its texts until a fill overwrites them), the columns too.
    void clean();
    // Empty, 2 by 2, flags clear: what a load that read no matrix shows.
    void blank();
    // Writes the accepted lines of a results file over the matrix: the
    // first sets the columns, each later one appends a row and sets the
    // widths of column 0 and of its own column to 100 twips a character of
    // its name. Returns false when the last line is wider than the first
    // (its values end at the last column; flags stay as they were). With
    // `noteUnreachable`, the headers of a row of nothing but "?" say that
    // its host could not be reached.
    bool fill(const QList<QStringList> &lines, bool noteUnreachable);

    // The matrix for the diagnosis; empty when it holds no fill.
    [[nodiscard]] EpochTable table() const;

private:
    void check(int row, int col) const;
    void setCols(int count);

    QList<QStringList> m_cells;
    QList<int> m_widths;
    QList<bool> m_outOfSync;
    QHash<QString, QString> m_notes;
    int m_cols = 2;
    int m_currentRow = 1;
    int m_currentCol = 1;
};

} // namespace quorvane
