#pragma once

#include "graph/GraphView.h"
#include "replicas/FlexGrid.h"
#include "support/MainWindowFixture.h"
#include "vobs/VobListPanel.h"

#include <QDir>
#include <QFile>
#include <QHash>
#include <QListWidget>
#include <functional>

namespace quorvane::test {

// One replica as the scripted lsreplica listing prints it.
struct LoaderReplica {
    QString name;
    QString created;
    QString host;
    QString master; // "name@TAG", as ClearCase prints it
};

// What the scripted ClearCase and the stand-in script answer for one VOB.
struct LoaderVob {
    QString myReplica;
    QList<LoaderReplica> replicas;
    QList<QStringList> actual; // rows of _results.txt: name, values...
    QList<QStringList> local;  // rows of _results_local.txt
    bool scriptWrites = true;
};

// A main window on scripted ClearCase in which VOBs can be listed and
// opened. The shell's stand-in for get_replica_info.pl writes the VOB's two
// matrices into the work directory, as the script does. Every cleartool
// command and script run is logged in order in `log`.
struct LoaderFixture : MainWindowFixture {
    LoaderFixture()
    {
        clearTool.hook = [this](const QString &command) {
            log << QStringLiteral("cleartool ") + command;
            if (onCommand)
                onCommand(command);
        };
        shell.action = [this](const QString &line) {
            runScript(line);
        };
    }

    static QString commandA(const QString &tag)
    {
        return QStringLiteral("desc -fmt \"%[replica_name]p\" vob:") + tag;
    }
    static QString commandB(const QString &tag)
    {
        return QStringLiteral("lsreplica -fmt \"%n,%d,%[replica_host]p,%[master]p,\" -invob ") + tag;
    }
    QString commandC(const QString &tag) const
    {
        return QStringLiteral("ccperl \"") + services.scriptPath + QStringLiteral("\" ") + tag;
    }

    static QString listing(const QList<LoaderReplica> &replicas)
    {
        QString out;
        for (const LoaderReplica &r : replicas)
            out += r.name + u',' + r.created + u',' + r.host + u',' + r.master + u',';
        return out;
    }
    static QByteArray matrixFile(const QList<QStringList> &rows)
    {
        QByteArray out;
        for (const QStringList &row : rows)
            out += row.join(u',').toUtf8() + "\r\n";
        return out;
    }

    // Makes the VOB known to the scripted ClearCase and adds it to the list.
    void addVob(const QString &tag, const LoaderVob &vob)
    {
        vobs.insert(tag, vob);
        clearTool.outputs.insert(commandA(tag), vob.myReplica);
        clearTool.outputs.insert(commandB(tag), listing(vob.replicas));
        window->vobList()->list()->addItem(tag);
    }

    // Selects the VOB's entry and double-clicks it (through the handler).
    void open(const QString &tag)
    {
        QListWidget *list = window->vobList()->list();
        const auto found = list->findItems(tag, Qt::MatchExactly);
        if (!found.isEmpty())
            list->setCurrentItem(found.first());
        window->pVobViewListDblClick();
    }

    QString resultsFile(const QString &name) const { return QDir(services.workDir).filePath(name); }

    void writeResults(const QList<QStringList> &actual, const QList<QStringList> &local) const
    {
        QFile a(resultsFile(QStringLiteral("_results.txt")));
        if (a.open(QIODevice::WriteOnly))
            a.write(matrixFile(actual));
        QFile l(resultsFile(QStringLiteral("_results_local.txt")));
        if (l.open(QIODevice::WriteOnly))
            l.write(matrixFile(local));
    }

    void runScript(const QString &line)
    {
        log << QStringLiteral("shell ") + line;
        resultsPresentAtStart = QFile::exists(resultsFile(QStringLiteral("_results.txt"))) ||
                                QFile::exists(resultsFile(QStringLiteral("_results_local.txt")));
        if (duringScript)
            duringScript();
        const QString prefix = QStringLiteral("ccperl \"") + services.scriptPath + QStringLiteral("\" ");
        if (!line.startsWith(prefix))
            return;
        const auto it = vobs.constFind(line.mid(prefix.size()));
        if (it != vobs.constEnd() && it->scriptWrites)
            writeResults(it->actual, it->local);
    }

    QHash<QString, LoaderVob> vobs;
    QStringList log;
    bool resultsPresentAtStart = false;
    std::function<void(const QString &)> onCommand;
    std::function<void()> duringScript;
};

// Every cell of a grid, row by row.
inline QList<QStringList> gridCells(const FlexGrid *grid)
{
    QList<QStringList> rows;
    for (int r = 0; r < grid->rows(); ++r) {
        QStringList row;
        for (int c = 0; c < grid->cols(); ++c)
            row << grid->textMatrix(r, c);
        rows << row;
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
        if (red == grid->rows() - 1)
            cols << c;
        else if (red > 0)
            cols << -1;
    }
    return cols;
}

// The expected grid for a results file: the header row, then the rows.
inline QList<QStringList> expectedGrid(const QList<QStringList> &rows)
{
    QStringList header{QStringLiteral("REPLICA NAME")};
    for (const QStringList &row : rows)
        header << row.first();
    QList<QStringList> grid{header};
    grid << rows;
    return grid;
}

} // namespace quorvane::test
