#include "replicas/EpochMatrix.h"

#include "common/AppInfo.h"
#include "common/QuorvaneError.h"
#include "common/Twips.h"
#include "replicas/EpochCells.h"

#include <algorithm>

namespace quorvane {

namespace {

[[noreturn]] void fail(int number, const char *description)
{
    throw QuorvaneError(number, AppInfo::title(), QString::fromLatin1(description));
}

} // namespace

EpochMatrix::EpochMatrix()
{
    blank();
    m_outOfSync.clear();
}

void EpochMatrix::check(int row, int col) const
{
    if (row < 0 || row >= rows() || col < 0 || col >= m_cols)
        fail(ErrNo::SubscriptOutOfRange, "Subscript out of range");
}

const QString &EpochMatrix::text(int row, int col) const
{
    check(row, col);
    return m_cells[row][col];
}

void EpochMatrix::setText(int row, int col, const QString &text)
{
    check(row, col);
    m_cells[row][col] = text;
}

int EpochMatrix::colWidth(int col) const
{
    check(0, col);
    return m_widths[col];
}

OleColor EpochMatrix::backColor(int row, int col) const
{
    check(row, col);
    return col < m_outOfSync.size() && m_outOfSync[col] ? Colors::pureRed : Colors::white;
}

void EpochMatrix::setCols(int count)
{
    for (QStringList &cells : m_cells)
        cells.resize(count);
    m_widths.resize(count, defaultColWidth);
    m_cols = count;
    m_currentCol = std::min(m_currentCol, count - 1);
}

bool EpochMatrix::isEpochOutOfSync(int col) const
{
    check(0, col);
    // Equal as text to row 1 everywhere means every pair is equal.
    for (int k = 2; k < rows(); ++k) {
        if (m_cells[k][col] != m_cells[1][col])
            return true;
    }
    return false;
}

void EpochMatrix::clean()
{
    m_notes.clear(); // the row kept is no longer any VOB's
    if (rows() > 2)
        m_cells.remove(1, rows() - 2);
    m_currentRow = std::min(m_currentRow, rows() - 1);
}

void EpochMatrix::blank()
{
    m_notes.clear();
    m_cells = QList<QStringList>(2, QStringList(2));
    m_widths = QList<int>(2, defaultColWidth);
    m_cols = 2;
    m_currentRow = 1;
    m_currentCol = 1;
    m_outOfSync = QList<bool>(m_cols + 1, false);
}

bool EpochMatrix::fill(const QList<QStringList> &lines, bool noteUnreachable)
{
    m_notes.clear();
    if (noteUnreachable) {
        for (const QString &name : EpochCells::unknownRows(lines))
            m_notes.insert(name, EpochCells::unreachableNote());
    }
    int row = m_currentRow;
    bool wide = false;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const QStringList &fields = lines[i];
        const int n = int(fields.size()) - 1;
        const QString &name = fields[0];
        if (i == 0) {
            setCols(n + 1);
            m_cells[0][0] = QString::fromLatin1(cornerText);
            m_cells[0][1] = name;
            m_cells[1][0] = name;
            row = 1;
        } else {
            // The appended row's name also heads the column of its number.
            const int w = Twips::textWidth(name.size(), 100);
            m_widths[0] = w;
            QStringList cells(m_cols);
            cells[0] = name;
            m_cells.append(cells);
            ++row;
            m_currentRow = row;
            m_currentCol = row;
            if (row >= m_cols)
                fail(ErrNo::InvalidColValue, "Invalid Col value");
            m_widths[row] = w;
            m_cells[0][row] = name;
        }
        wide = n > m_cols - 1;
        const int last = std::min(n, m_cols - 1);
        for (int k = 1; k <= last; ++k)
            m_cells[row][k] = fields[k];
        m_currentRow = row;
        m_currentCol = std::max(1, last);
    }
    if (wide)
        return false;
    m_outOfSync = QList<bool>(m_cols + 1, false);
    for (int k = 1; k < m_cols; ++k)
        m_outOfSync[k] = isEpochOutOfSync(k);
    // The scan of the last column decides where the current cell stays.
    m_currentCol = m_cols - 1;
    m_currentRow = rows() - 1;
    for (int k = 2; k < rows(); ++k) {
        if (m_cells[k][m_currentCol] != m_cells[1][m_currentCol]) {
            m_currentRow = k;
            break;
        }
    }
    return true;
}

EpochTable EpochMatrix::table() const
{
    EpochTable table;
    // Only a filled matrix carries its heading; a cleaned or blank one says nothing.
    if (m_cells[0][0] != QLatin1String(cornerText))
        return table;
    for (int r = 1; r < rows(); ++r) {
        table.names << m_cells[r][0];
        table.values << m_cells[r].mid(1);
    }
    return table;
}

} // namespace quorvane
