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
class EpochGrid;
class EpochMatrix;

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

    [[nodiscard]] EpochGrid *Grid1() const { return m_grid1; }
    [[nodiscard]] EpochGrid *Grid2() const { return m_grid2; }
    // dSyncImage(0) beside the actual matrix, dSyncImage(1) beside the local one.
    [[nodiscard]] QLabel *dSyncImage(int index) const;

    // Out-of-sync flags of Grid1 and Grid2, indexed by column: after a fill
    // one element per index 0 .. cols(), element 0 and the last false. Empty
    // until the grid's first fill.
    [[nodiscard]] const QList<bool> &actualOutOfSync() const;
    [[nodiscard]] const QList<bool> &localOutOfSync() const;

    // The column each grid's mouse-press handler examined last (0 at start).
    [[nodiscard]] int lastCol(const EpochGrid *grid) const;

    // Reads the results file into the matrix the grid shows
    // (fillEpochMatrix, the actual matrix for Grid1), shows the result and
    // reports a failure (busy feedback off, the numbered error box).
    void fillEpochGrid(EpochGrid *grid, const QString &fileName);
    // The grid shows `matrix`, replacing what it showed whole.
    void showMatrix(EpochGrid *grid, const EpochMatrix &matrix);
    // Results files read from now on go into this log too (null: none).
    void setCommandLog(CommandLog *log) { m_log = log; }
    // Shrinks the grid to its header row and its last row.
    void cleanGrid(EpochGrid *grid);
    // Shows icon `iconIndex` when the grid's current column is flagged, hides
    // it otherwise; does nothing while the VOB list is empty or when the
    // current column equals `lastCol`, which it then updates.
    void showSyncImage(EpochGrid *grid, int &lastCol, int iconIndex);

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

    Feedback &m_feedback;
    CommandLog *m_log = nullptr;
    std::function<bool()> m_vobListHasEntries;
    QBoxLayout *m_layout = nullptr;
    QLabel *m_actualLabel = nullptr;
    EpochGrid *m_grid1 = nullptr;
    EpochGrid *m_grid2 = nullptr;
    std::array<QLabel *, 2> m_syncImages{};
    int m_lastCol1 = 0;
    int m_lastCol2 = 0;
};

} // namespace quorvane
