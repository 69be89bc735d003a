#pragma once

// A main window on the simulated region: a fresh demo region in a temporary
// folder, the real cleartool co-process, real processes for multitool and
// ccperl, scripted message boxes. Helpers read what the window shows and
// what the region really holds, so that tests compare the two.

#include "app/Services.h"
#include "app/frmMain.h"
#include "ccase/CoprocessClearTool.h"
#include "ccase/ProcessShell.h"
#include "graph/GraphView.h"
#include "maintenance/FixFrame.h"
#include "replicas/EpochMatrixView.h"
#include "replicas/FlexGrid.h"
#include "support/ScriptedDialogs.h"
#include "ui/frmDetail.h"
#include "vobs/VobListPanel.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMap>
#include <QProcess>
#include <QRadioButton>
#include <QSet>
#include <QStyle>
#include <QStyleOptionButton>
#include <QTabBar>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>

#include <memory>

namespace quorvane::test {

inline QString simDir() { return QStringLiteral(QUORVANE_BIN_DIR "/sim"); }

// Output of one of the region's programs, started directly (no shell).
inline QString runSim(const QString &program, const QStringList &args)
{
    QProcess p;
    p.start(QDir(simDir()).filePath(program), args);
    if (!p.waitForFinished(60000) || p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0)
        qFatal("%s %s failed: %s", qPrintable(program), qPrintable(args.join(QLatin1Char(' '))),
               p.readAllStandardError().constData());
    return QString::fromUtf8(p.readAllStandardOutput()).remove(QLatin1Char('\r'));
}

// What `ccsim show TAG` says about a VOB family: the truth the window must
// agree with. Rows are the entries of each row in replica order.
struct Truth {
    QStringList names;                 // replicas in listing order
    QMap<QString, QString> actualText; // "a=1 b=2" per replica
    QMap<QString, QString> localText;
    QMap<QString, bool> reachable;
    QStringList lostTo;  // receivers of packets lost on the way
    QStringList waiting; // replicas holding packets that wait for earlier changes

    static Truth of(const QString &tag)
    {
        Truth t;
        enum class Section { None, Replicas, Actual, Local, Waiting, Lost } section = Section::None;
        const QStringList lines = runSim(QStringLiteral("ccsim"), {QStringLiteral("show"), tag}).split(QLatin1Char('\n'));
        for (const QString &line : lines) {
            if (line.startsWith(QLatin1String("Replicas:")))
                section = Section::Replicas;
            else if (line.startsWith(QLatin1String("Actual rows")))
                section = Section::Actual;
            else if (line.startsWith(QLatin1String("Local epoch table")))
                section = Section::Local;
            else if (line.startsWith(QLatin1String("Packets waiting")))
                section = Section::Waiting;
            else if (line.startsWith(QLatin1String("Packets lost")))
                section = Section::Lost;
            if (!line.startsWith(QLatin1String("  ")) || line.startsWith(QLatin1String("  (")))
                continue;
            const QString body = line.trimmed();
            switch (section) {
            case Section::Replicas: {
                const QString name = body.section(QLatin1Char(' '), 0, 0);
                t.names << name;
                t.reachable.insert(name, !body.contains(QLatin1String("UNREACHABLE")));
                break;
            }
            case Section::Actual:
                t.actualText.insert(body.section(QLatin1String(": "), 0, 0), body.section(QLatin1String(": "), 1));
                break;
            case Section::Local:
                t.localText.insert(body.section(QLatin1String(": "), 0, 0), body.section(QLatin1String(": "), 1));
                break;
            case Section::Waiting:
                t.waiting << body.section(QLatin1Char(' '), 1, 1).chopped(1);
                break;
            case Section::Lost:
                t.lostTo << body.section(QLatin1Char(' '), 1, 1).chopped(1);
                break;
            case Section::None:
                break;
            }
        }
        return t;
    }

    // The matrix as the epoch grids show it: one line per replica, its name
    // and then its entry for every replica in listing order.
    QList<QStringList> matrix(const QMap<QString, QString> &rows) const
    {
        QList<QStringList> out;
        for (const QString &name : names) {
            QMap<QString, QString> entries;
            for (const QString &pair : rows.value(name).split(QLatin1Char(' '), Qt::SkipEmptyParts))
                entries.insert(pair.section(QLatin1Char('='), 0, 0), pair.section(QLatin1Char('='), 1));
            QStringList line{name};
            for (const QString &origin : names)
                line << entries.value(origin, QStringLiteral("?"));
            out << line;
        }
        return out;
    }
    // An unreachable host cannot be asked for its row: all "?".
    QList<QStringList> actual() const
    {
        QMap<QString, QString> asked = actualText;
        for (auto it = reachable.cbegin(); it != reachable.cend(); ++it)
            if (!it.value())
                asked.remove(it.key());
        return matrix(asked);
    }
    QList<QStringList> local() const { return matrix(localText); }
};

// Grid columns (1-based, as in the grid) whose entries are not all equal.
inline QSet<int> differingColumns(const QList<QStringList> &matrix)
{
    QSet<int> out;
    for (int k = 1; !matrix.isEmpty() && k < matrix.first().size(); ++k)
        for (const QStringList &line : matrix)
            if (line.value(k) != matrix.first().value(k))
                out.insert(k);
    return out;
}

// The data rows of a grid: the name in column 0, then the cells.
inline QList<QStringList> gridMatrix(const FlexGrid *grid)
{
    QList<QStringList> out;
    for (int r = 1; r < grid->rows(); ++r) {
        QStringList line;
        for (int c = 0; c < grid->cols(); ++c)
            line << grid->textMatrix(r, c);
        out << line;
    }
    return out;
}

// Columns with a red cell; a column is red in all its cells or in none.
inline QSet<int> redColumns(const FlexGrid *grid)
{
    QSet<int> out;
    for (int c = 1; c < grid->cols(); ++c) {
        int red = 0;
        for (int r = 1; r < grid->rows(); ++r)
            red += grid->cellBackColorAt(r, c) == Colors::pureRed ? 1 : 0;
        if (red > 0) {
            if (red != grid->rows() - 1)
                qFatal("column %d is partly red", c);
            out.insert(c);
        }
    }
    return out;
}

struct SimWindow {
    QTemporaryDir region;
    QTemporaryDir workDir;
    ScriptedDialogs dialogs;
    std::unique_ptr<CoprocessClearTool> clearTool;
    std::unique_ptr<ProcessShell> shell;
    Services services;
    std::unique_ptr<frmMain> window; // last: it goes before what it uses

    SimWindow()
    {
        if (!region.isValid() || !workDir.isValid())
            qFatal("no temporary folder");
        qputenv("CCSIM_REGION", region.path().toLocal8Bit());
        // multitool and ccperl are found on PATH, as on a ClearCase client.
        const QByteArray path = qgetenv("PATH");
        const QByteArray sim = QDir::toNativeSeparators(simDir()).toLocal8Bit() + ':';
        if (!path.startsWith(sim))
            qputenv("PATH", QByteArray(sim + path));
        runSim(QStringLiteral("ccsim"), {QStringLiteral("demo")});

        clearTool = std::make_unique<CoprocessClearTool>(QDir(simDir()).filePath(QStringLiteral("cleartool")));
        shell = std::make_unique<ProcessShell>(dialogs, workDir.path());
        services.clearTool = clearTool.get();
        services.shell = shell.get();
        services.dialogs = &dialogs;
        services.workDir = workDir.path();
        services.scriptPath = QStringLiteral(QUORVANE_BIN_DIR "/get_replica_info.pl");
        services.aniCursorDir = workDir.path();
        services.clearCaseDescription = QStringLiteral("Simulated region");
        window = std::make_unique<frmMain>(services);
        window->resize(1200, 800);
        window->show();
        if (!QTest::qWaitForWindowExposed(window.get()))
            qFatal("the main window was not shown");
    }

    template <typename T> T *get(const QString &name) const
    {
        T *w = window->findChild<T *>(name);
        if (!w)
            qFatal("no control %s", qPrintable(name));
        return w;
    }
    QComboBox *replicaCombo() const { return get<QComboBox>(QStringLiteral("dReplicaCombo")); }
    QComboBox *fixCombo(int i) const { return get<QComboBox>(QStringLiteral("dReplicaFixCombo(%1)").arg(i)); }
    QLineEdit *dEpoch(int i) const { return get<QLineEdit>(QStringLiteral("dEpoch(%1)").arg(i)); }
    QRadioButton *fixOpt(int i) const { return get<QRadioButton>(QStringLiteral("dFixOpt(%1)").arg(i)); }
    QLineEdit *fixTxt() const { return get<QLineEdit>(QStringLiteral("dFixTxt(0)")); }
    QCheckBox *syncAll() const { return get<QCheckBox>(QStringLiteral("syncAllCB")); }
    QLabel *detailImage() const { return get<QLabel>(QStringLiteral("dDetailImage")); }
    FlexGrid *actualGrid() const { return window->epochView()->Grid1(); }
    FlexGrid *localGrid() const { return window->epochView()->Grid2(); }

    QString logPath() const { return region.filePath(QStringLiteral("commands.log")); }
    // Every command the region received since the last clearLog, without
    // the time stamp and process id: "multitool chepoch ... => status 0".
    QStringList commands() const
    {
        QFile f(logPath());
        if (!f.open(QIODevice::ReadOnly))
            return {};
        QStringList out;
        for (const QString &line : QString::fromUtf8(f.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts)) {
            const QString command = line.section(QLatin1String("] "), 1);
            // The tests' own look at the truth is no command of the window.
            if (!command.startsWith(QLatin1String("ccsim ")))
                out << command;
        }
        return out;
    }
    // The commands that change the region: multitool's, but its lsepoch
    // (which the script runs for every load) left out.
    QStringList changes() const
    {
        QStringList out;
        for (const QString &c : commands())
            if (c.startsWith(QLatin1String("multitool ")) && !c.startsWith(QLatin1String("multitool lsepoch ")))
                out << c;
        return out;
    }
    void clearLog() const { QFile::remove(logPath()); }

    // "Load VOBs" and a double click on the VOB, as the user does it.
    // Empty when the VOB is open, else what went wrong.
    QString openVob(const QString &tag)
    {
        QTest::mouseClick(get<QToolButton>(QStringLiteral("loadVobsBut")), Qt::LeftButton);
        QListWidget *list = window->vobList()->list();
        const auto found = list->findItems(tag, Qt::MatchExactly);
        if (found.size() != 1)
            return QStringLiteral("the list holds %1 entries for %2").arg(found.size()).arg(tag);
        list->setCurrentItem(found.first());
        list->scrollToItem(found.first());
        // A real double click: the first click, then the second press that
        // the system reports as a double click.
        const QPoint at = list->visualItemRect(found.first()).center();
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, at);
        QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, at);
        if (window->graph()->allSites().size() < 2)
            return QStringLiteral("%1 sites shown").arg(window->graph()->allSites().size());
        if (actualGrid()->rows() < 3)
            return QStringLiteral("%1 rows in the actual matrix").arg(actualGrid()->rows());
        return {};
    }

    // A click where the style takes it: on the box or circle and its text.
    static void click(QAbstractButton *button)
    {
        QStyleOptionButton opt;
        opt.initFrom(button);
        const bool radio = qobject_cast<QRadioButton *>(button) != nullptr;
        const QRect area = button->style()->subElementRect(
            radio ? QStyle::SE_RadioButtonClickRect : QStyle::SE_CheckBoxClickRect, &opt, button);
        QTest::mouseClick(button, Qt::LeftButton, {}, area.center());
    }

    void showPage(int index) const
    {
        QTabBar *tabs = window->tabStrip();
        QTest::mouseClick(tabs, Qt::LeftButton, {}, tabs->tabRect(index).center());
    }

    // Choosing a replica runs its script and fetches its dates.
    static bool choose(QComboBox *combo, const QString &name)
    {
        const int i = combo->findText(name);
        if (i < 0)
            return false;
        combo->setCurrentIndex(i);
        return true;
    }

    // With QUORVANE_SCREENSHOT_DIR set, saves the window as NAME.png there,
    // to look at a step of the flow.
    void shot(const QString &name) const
    {
        const QString dir = qEnvironmentVariable("QUORVANE_SCREENSHOT_DIR");
        if (dir.isEmpty())
            return;
        QCoreApplication::processEvents();
        QString file = name.toLower();
        for (QChar &c : file)
            if (!c.isLetterOrNumber())
                c = QLatin1Char('-');
        window->grab().save(QDir(dir).filePath(file + QStringLiteral(".png")));
    }

    // The maintenance frame's pictures act on a click, its labels on a
    // double click.
    void clickAction(const QString &name) const
    {
        QLabel *picture = get<QLabel>(name);
        QTest::mouseClick(picture, Qt::LeftButton, {}, picture->rect().center());
    }
    void doubleClickAction(const QString &name) const
    {
        QLabel *label = get<QLabel>(name);
        QTest::mouseClick(label, Qt::LeftButton, {}, label->rect().center());
        QTest::mouseDClick(label, Qt::LeftButton, {}, label->rect().center());
    }

    // The history picture's double click; the detail window's text.
    QString showHistory() const
    {
        QLabel *image = detailImage();
        QTest::mouseDClick(image, Qt::LeftButton, {}, image->rect().center());
        return window->detailForm() ? window->detailForm()->text() : QString();
    }
};

// The newest import and export event of a replica's history as ClearCase
// lists it (one event per line here, not the window's one-line format):
// the first event naming either; the other date reads "None".
inline QPair<QString, QString> newestSyncEvent(const QString &replica, const QString &tag)
{
    const QString out = runSim(QStringLiteral("cleartool"),
                               {QStringLiteral("lshistory"), QStringLiteral("-fmt"), QStringLiteral("%e\\t%d\\n"),
                                QStringLiteral("replica:") + replica + QLatin1Char('@') + tag});
    const QString none = QStringLiteral("None");
    for (const QString &line : out.split(QLatin1Char('\n'), Qt::SkipEmptyParts)) {
        const QString event = line.section(QLatin1Char('\t'), 0, 0);
        const QString date = line.section(QLatin1Char('\t'), 1);
        if (event.startsWith(QLatin1String("import sync")))
            return {date, none};
        if (event.startsWith(QLatin1String("export sync")))
            return {none, date};
    }
    return {none, none};
}

inline QString historyOf(const QString &replica, const QString &tag)
{
    return runSim(QStringLiteral("cleartool"),
                  {QStringLiteral("lshistory"), QStringLiteral("-fmt"), QStringLiteral("Date:%d User:%u\\n%c\\n"),
                   QStringLiteral("replica:") + replica + QLatin1Char('@') + tag});
}

} // namespace quorvane::test
