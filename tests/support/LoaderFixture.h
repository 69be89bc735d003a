#pragma once

#include "app/frmMain.h"
#include "ccase/Commands.h"
#include "graph/GraphView.h"
#include "replicas/EpochMatrixView.h"
#include "replicas/EpochGrid.h"
#include "support/FakeFeedback.h"
#include "support/FakeShell.h"
#include "support/ScriptedClearTool.h"
#include "support/ScriptedDialogs.h"
#include "ui/frmWorking.h"
#include "vobs/VobListPanel.h"

#include <QDir>
#include <QFile>
#include <QHash>
#include <QLabel>
#include <QListWidget>
#include <QProgressBar>
#include <QTabBar>
#include <QTemporaryDir>
#include <QTest>
#include <functional>
#include <memory>

namespace quorvane::test {

// What the scripted ClearCase and the stand-in script answer for one VOB.
struct LoaderVob {
    QString myReplica;
    QString listing;           // lsreplica's "name,date,host,master," fields
    QList<QStringList> actual; // rows of _results.txt: name, values...
    QList<QStringList> local;  // rows of _results_local.txt; no rows, no file
};

// A family mastered by its first replica (this site's), every row holding
// first, first + step, ... for the origins in order.
inline LoaderVob family(const QString &tag, const QStringList &names, int first = 10, int step = 1,
                        const QString &date = QStringLiteral("2026-05-01"))
{
    LoaderVob v{names.first(), QString(), {}, {}};
    for (const QString &n : names) {
        v.listing += n + u',' + date + QStringLiteral(",host_") + n + u',' + names.first() + u'@' + tag + u',';
        v.actual.append({n});
        for (qsizetype j = 0; j < names.size(); ++j)
            v.actual.last() << QString::number(first + step * j);
    }
    v.local = v.actual;
    return v;
}

// "r1" ... "r<count>", or another pattern with %1 for the number.
inline QStringList numberedNames(int count, const QString &pattern = QStringLiteral("r%1"))
{
    QStringList names;
    for (int k = 1; k <= count; ++k)
        names << pattern.arg(k);
    return names;
}

// A main window on scripted ClearCase, a recording shell whose stand-in for
// get_replica_info.pl writes the VOB's two matrices into the private work
// directory, and scripted dialogs. Every command and script run is in `log`.
struct LoaderFixture {
    LoaderFixture()
    {
        const QString dir = workDir.path(), script = workDir.filePath(QStringLiteral("get_replica_info.pl"));
        services = {&clearTool, &shell, &dialogs, dir, script, dir, QString()};
        window = std::make_unique<frmMain>(services);
        clearTool.hook = [this](const QString &command) {
            log << QStringLiteral("cleartool ") + command;
        };
        shell.action = [this](const QString &line) {
            log << QStringLiteral("shell ") + line;
            if (duringScript && line.startsWith(QLatin1String("ccperl ")))
                duringScript();
            const auto it = vobs.constFind(line.section(u' ', 2));
            if (it != vobs.constEnd())
                writeResults(it->actual, it->local);
        };
    }

    void addVob(const QString &tag, const LoaderVob &vob)
    {
        vobs.insert(tag, vob);
        clearTool.outputs.insert(Commands::localReplicaName(tag), vob.myReplica);
        clearTool.outputs.insert(Commands::replicaList(tag), vob.listing);
        clearTool.outputs.insert(Commands::vobFamily(tag), QStringLiteral("Tag: ") + tag +
                                                               QStringLiteral("\n  Vob family uuid: 0e7e8a0b.1c2d11d5.b5c3.00:01:80:b4:2e:8a\n"));
        window->vobList()->list()->addItem(tag);
    }

    // Selects the VOB's entry and double-clicks it (through the handler).
    void open(const QString &tag)
    {
        QListWidget *list = window->vobList()->list();
        list->setCurrentItem(list->findItems(tag, Qt::MatchExactly).value(0));
        window->pVobViewListDblClick();
    }

    // Usable again: busy off, tabs enabled, the working dialog hidden and no
    // longer offering Cancel, no long action running.
    bool released() const
    {
        const frmWorking *dlg = window->workingForm();
        return window->status() == QStringLiteral("Status") &&
               window->findChild<QProgressBar *>(QStringLiteral("ProgressBar1"))->isHidden() &&
               window->cursor().shape() != Qt::WaitCursor && window->tabStrip()->isEnabled() &&
               (!dlg || (!dlg->isVisible() && !dlg->cancellable())) && !window->longActionGuard().running();
    }

    void writeResults(const QList<QStringList> &actual, const QList<QStringList> &local) const
    {
        for (const auto &[name, rows] :
             {std::pair{"_results.txt", &actual}, {"_results_local.txt", &local}}) {
            QFile f(QDir(services.workDir).filePath(QString::fromLatin1(name)));
            if (rows->isEmpty() || !f.open(QIODevice::WriteOnly))
                continue;
            for (const QStringList &row : *rows)
                f.write(row.join(u',').toUtf8() + "\r\n");
        }
    }

    ScriptedClearTool clearTool;
    FakeShell shell;
    ScriptedDialogs dialogs;
    QTemporaryDir workDir;
    Services services;
    std::unique_ptr<frmMain> window;
    QHash<QString, LoaderVob> vobs;
    QStringList log;
    std::function<void()> duringScript; // while the replica script runs
};

// The epoch matrices' view alone, shown, on recorded feedback; "hasEntries"
// stands for a VOB list with entries.
struct MatrixViewFixture {
    FakeFeedback feedback;
    bool hasEntries = true;
    EpochMatrixView view{feedback, [this] { return hasEntries; }};
    QTemporaryDir dir;

    explicit MatrixViewFixture(QSize size = {1300, 400})
    {
        view.resize(size);
        view.show();
    }
    EpochGrid *g1() const { return view.Grid1(); }
    EpochGrid *g2() const { return view.Grid2(); }
    // A file of tests/data/replicas, or any path.
    void fill(EpochGrid *grid, const QString &file)
    {
        view.fillEpochGrid(grid, QDir::isAbsolutePath(file) ? file
                                                            : QStringLiteral(QUORVANE_TEST_DATA "/replicas/") + file);
    }
    // A square matrix of the names, every column in step but the grid's
    // column `lagging` (counted from 1), whose first row is behind.
    QString write(const QString &file, const QStringList &names, int lagging = -1,
                  const QString &value = QStringLiteral("4711"))
    {
        QFile f(dir.filePath(file));
        if (!f.open(QIODevice::WriteOnly))
            qFatal("cannot write %s", qPrintable(f.fileName()));
        for (qsizetype r = 0; r < names.size(); ++r) {
            QString line = names[r];
            for (qsizetype c = 0; c < names.size(); ++c)
                line += u',' + (c + 1 == lagging && r == 0 ? QStringLiteral("1") : value);
            f.write(line.toUtf8() + "\r\n");
        }
        return f.fileName();
    }
    void press(EpochGrid *grid, int row, int col) const
    {
        const auto [widget, rect] = grid->cellSpot(row, col);
        QTest::mousePress(widget, Qt::LeftButton, {}, rect.center());
    }
    bool iconShown(int index) const { return !view.dSyncImage(index)->isHidden(); }
    QStringList boxes() const { return feedback.scripted.prompts(); }
    // Lets the grids' deferred layout and the view's arrangement settle.
    static void settle() { QTest::qWait(20); }
};

// The entries of a combo box or a list, or one column of a table, in order.
template <typename View> QStringList entries(const View *view, int column = 0)
{
    QStringList out;
    for (int i = 0; i < view->model()->rowCount(); ++i)
        out << view->model()->index(i, column).data().toString();
    return out;
}

// Every cell of a grid, row by row; a cell painted red ends in "*".
inline QList<QStringList> gridCells(const EpochGrid *grid)
{
    QList<QStringList> rows(grid->rows());
    for (int r = 0; r < grid->rows(); ++r) {
        for (int c = 0; c < grid->cols(); ++c) {
            const bool red = grid->cellBackColorAt(r, c) == Colors::pureRed;
            rows[r] << QString(grid->textMatrix(r, c) + QLatin1String(red ? "*" : ""));
        }
    }
    return rows;
}

// The expected grid for a results file: the header row, then the rows with
// the cells of the out-of-sync columns painted red.
inline QList<QStringList> expectedGrid(QList<QStringList> rows, const QList<int> &redColumns = {})
{
    QStringList header{QStringLiteral("REPLICA NAME")};
    for (QStringList &row : rows) {
        header << row.first();
        for (const int c : redColumns)
            row[c] += u'*';
    }
    return QList<QStringList>{header} + rows;
}

} // namespace quorvane::test
