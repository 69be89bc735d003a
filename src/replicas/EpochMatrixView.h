#pragma once

#include <QList>
#include <QWidget>

#include <array>
#include <functional>

class QBoxLayout;
class QLabel;

namespace quorvane {

class CommandLog;
class Feedback;
class FlexGrid;

// The two epoch matrices of the "Detail" page: the local matrix (Grid2,
// left, from _results_local.txt) and the actual matrix (Grid1, right, from
// _results.txt), each under its label with an out-of-sync icon beside it.
// Filling a grid tests every column and paints out-of-sync columns red; a
// mouse press in a grid shows or hides its icon for the pressed column; a
// click on an icon explains the condition in the detail window; a double
// click on a number of the actual matrix lets the user overwrite it.
class EpochMatrixView final : public QWidget {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(EpochMatrixView)

public:
    // `vobListHasEntries` tells whether the VOB list holds any entry; the
    // icons do not change while it is empty (an empty function counts as a
    // list with entries).
    EpochMatrixView(Feedback &feedback, std::function<bool()> vobListHasEntries,
                    QWidget *parent = nullptr);
    ~EpochMatrixView() override;

    [[nodiscard]] FlexGrid *Grid1() const { return m_grid1; }
    [[nodiscard]] FlexGrid *Grid2() const { return m_grid2; }
    // dSyncImage(0) beside the actual matrix, dSyncImage(1) beside the local one.
    [[nodiscard]] QLabel *dSyncImage(int index) const;

    // Out-of-sync flags of Grid1 and Grid2, indexed by column: after a fill
    // one element per index 0 .. cols(), element 0 and the last false. Empty
    // until the grid's first fill.
    QList<bool> actualOutOfSync;
    QList<bool> localOutOfSync;

    // The column each grid's mouse-press handler examined last (0 at start).
    [[nodiscard]] int lastCol(const FlexGrid *grid) const;

    // Loads the results file into the grid, replaces `flags` with the
    // grid's out-of-sync flags and colours the grid. Reports its own
    // failures (busy feedback off, the numbered error box) and returns;
    // what was written so far stays, `flags` and colours stay as they were.
    void fillEpochGrid(FlexGrid *grid, QList<bool> &flags, const QString &fileName);
    // Results files read from now on go into this log too (null: none).
    void setCommandLog(CommandLog *log) { m_log = log; }
    // Whether the data cells of `col` differ as text. Leaves the current
    // cell on the first cell that differs from row 1, else on the last row.
    bool isEpochOutOfSync(FlexGrid *grid, int col);
    // Data cells white, red where their column's flag is set; the current
    // cell is kept.
    void colorEpochGrid(FlexGrid *grid, const QList<bool> &flags);
    // Shrinks the grid to its header row and its last row.
    void cleanGrid(FlexGrid *grid);
    // Shows icon `iconIndex` when the grid's current column is flagged, hides
    // it otherwise; does nothing while the VOB list is empty or when the
    // current column equals `lastCol`, which it then updates.
    void showSyncImage(FlexGrid *grid, const QList<bool> &flags, int &lastCol, int iconIndex);

    // Event handlers, also connected to the grids' and icons' signals.
    void grid1MouseDown();
    void grid2MouseDown();
    void grid1DblClick();
    void dSyncImageClick(int index);

    // Both grids empty and their flags clear: what a load that read no
    // matrix shows, rather than a row cleanGrid kept from another VOB.
    void blankGrids();

    // Whether the matrices stand one above the other (else side by side).
    [[nodiscard]] bool stacked() const;

protected:
    void resizeEvent(QResizeEvent *event) override;

private:
    void arrangeMatrices();
    // A grid whose file could not be read shows nothing rather than the
    // row cleanGrid kept from another VOB.
    void blankGrid(FlexGrid *grid, QList<bool> &flags);

    Feedback &m_feedback;
    CommandLog *m_log = nullptr;
    std::function<bool()> m_vobListHasEntries;
    QBoxLayout *m_layout = nullptr;
    QLabel *m_actualLabel = nullptr;
    FlexGrid *m_grid1 = nullptr;
    FlexGrid *m_grid2 = nullptr;
    std::array<QLabel *, 2> m_syncImages{};
    int m_lastCol1 = 0;
    int m_lastCol2 = 0;
};

} // namespace quorvane
