#pragma once

#include "app/Services.h"
#include "app/frmMain.h"
#include "ccase/Commands.h"
#include "graph/GraphView.h"
#include "replicas/FlexGrid.h"
#include "support/FakeShell.h"
#include "support/ScriptedClearTool.h"
#include "support/ScriptedDialogs.h"
#include "vobs/VobListPanel.h"

#include <QDir>
#include <QFile>
#include <QHash>
#include <QListWidget>
#include <QTemporaryDir>
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

// A main window on scripted ClearCase, a recording shell whose stand-in for
// get_replica_info.pl writes the VOB's two matrices into the private work
// directory, and scripted dialogs. Every command and script run is in `log`.
struct LoaderFixture {
    LoaderFixture()
    {
        services.clearTool = &clearTool;
        services.shell = &shell;
        services.dialogs = &dialogs;
        services.workDir = workDir.path();
        services.scriptPath = workDir.filePath(QStringLiteral("get_replica_info.pl"));
        services.aniCursorDir = workDir.path();
        services.clearCaseDescription = QStringLiteral("Scripted ClearCase");
        window = std::make_unique<frmMain>(services);
        clearTool.hook = [this](const QString &command) {
            log << QStringLiteral("cleartool ") + command;
            if (onCommand)
                onCommand(command);
        };
        shell.action = [this](const QString &line) {
            log << QStringLiteral("shell ") + line;
            if (duringScript)
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
        window->vobList()->list()->addItem(tag);
    }

    // Selects the VOB's entry and double-clicks it (through the handler).
    void open(const QString &tag)
    {
        QListWidget *list = window->vobList()->list();
        list->setCurrentItem(list->findItems(tag, Qt::MatchExactly).value(0));
        window->pVobViewListDblClick();
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
    std::function<void(const QString &)> onCommand;
    std::function<void()> duringScript;
};

// Every cell of a grid, row by row.
inline QList<QStringList> gridCells(const FlexGrid *grid)
{
    QList<QStringList> rows;
    for (int r = 0; r < grid->rows(); ++r) {
        rows.append(QStringList());
        for (int c = 0; c < grid->cols(); ++c)
            rows.last() << grid->textMatrix(r, c);
    }
    return rows;
}

// The columns whose data cells are all painted red; -1 marks a column that
// is red in some rows only (never right).
inline QList<int> redColumns(const FlexGrid *grid)
{
    QList<int> cols;
    for (int c = 1; c < grid->cols(); ++c) {
        int red = 0;
        for (int r = 1; r < grid->rows(); ++r)
            red += grid->cellBackColorAt(r, c) == Colors::pureRed ? 1 : 0;
        if (red > 0)
            cols << (red == grid->rows() - 1 ? c : -1);
    }
    return cols;
}

// The expected grid for a results file: the header row, then the rows.
inline QList<QStringList> expectedGrid(const QList<QStringList> &rows)
{
    QList<QStringList> grid{{QStringLiteral("REPLICA NAME")}};
    for (const QStringList &row : rows)
        grid.first() << row.first();
    return grid + rows;
}

} // namespace quorvane::test
