// Renders Quorvane's windows to PNG files, headless, for looking at the
// program without a display: the main window in the state asked for, or any
// other window by name.
#include "app/frmMain.h"
#include "graph/GraphView.h"
#include "info/frmAbout.h"
#include "info/frmGettingHelp.h"
#include "region/frmRegion.h"
#include "replicas/EpochMatrixView.h"
#include "replicas/EpochGrid.h"
#include "ui/Pictures.h"
#include "ui/frmDetail.h"
#include "replicas/ScriptProgress.h"
#include "ui/frmWorking.h"
#include "vobs/VobListPanel.h"

#include <QApplication>
#include <QCheckBox>
#include <QElapsedTimer>
#include <QCommandLineParser>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QListWidget>
#include <QTabBar>
#include <QTemporaryDir>
#include <QTimer>

#include <cstdio>

using namespace quorvane;

namespace {

bool save(const QPixmap &picture, const QString &file)
{
    const bool ok = picture.save(file);
    std::printf("%s %s\n", ok ? "wrote" : "FAILED", qUtf8Printable(file));
    return ok;
}

bool save(QWidget *w, const QString &file)
{
    w->show();
    QApplication::processEvents();
    return save(w->grab(), file);
}

} // namespace

int main(int argc, char *argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Renders Quorvane's windows to PNG files."));
    parser.addHelpOption();
    parser.addOption({QStringLiteral("out"), QStringLiteral("Folder for the pictures."), QStringLiteral("dir"),
                      QStringLiteral(".")});
    parser.addOption({QStringLiteral("window"),
                      QStringLiteral("frmMain (default), frmAbout, frmGettingHelp, frmDetail, frmWorking, frmRegion or appIcon."),
                      QStringLiteral("name"), QStringLiteral("frmMain")});
    parser.addOption({QStringLiteral("all"), QStringLiteral("List every VOB, not only replicated ones.")});
    parser.addOption({QStringLiteral("open"), QStringLiteral("Load the VOBs and open this one."),
                      QStringLiteral("tag")});
    parser.addOption({QStringLiteral("page"), QStringLiteral("visual (default) or detail."), QStringLiteral("page"),
                      QStringLiteral("visual")});
    parser.addOption({QStringLiteral("site"), QStringLiteral("Double-click this site (1, 2, ...)."),
                      QStringLiteral("k")});
    parser.addOption({QStringLiteral("file"), QStringLiteral("File name (without .png)."), QStringLiteral("name")});
    parser.addOption({QStringLiteral("size"), QStringLiteral("The main window's size, WxH."), QStringLiteral("size")});
    parser.addOption({QStringLiteral("font"), QStringLiteral("The desktop's font size, in points."),
                      QStringLiteral("points")});
    parser.addOption({QStringLiteral("focus"),
                      QStringLiteral("Give the keyboard to this control (its name), as Tab would."),
                      QStringLiteral("name")});
    parser.addOption({QStringLiteral("waiting"),
                      QStringLiteral("frmWorking as a load shows it while two slow hosts are waited for.")});
    parser.process(app);
    if (parser.isSet(QStringLiteral("font"))) {
        QFont font = QApplication::font();
        font.setPointSizeF(parser.value(QStringLiteral("font")).toDouble());
        QApplication::setFont(font);
    }

    const QString out = parser.value(QStringLiteral("out"));
    QDir().mkpath(out);
    const QString window = parser.value(QStringLiteral("window"));
    const QString name = parser.isSet(QStringLiteral("file")) ? parser.value(QStringLiteral("file")) : window;
    const QString file = QDir(out).filePath(name + QStringLiteral(".png"));

    if (window == QStringLiteral("appIcon"))
        return save(Pictures::appIcon().pixmap(128, 128), file) ? 0 : 1;
    if (window == QStringLiteral("frmAbout")) {
        frmAbout w;
        return save(&w, file) ? 0 : 1;
    }
    if (window == QStringLiteral("frmGettingHelp")) {
        frmGettingHelp w;
        return save(&w, file) ? 0 : 1;
    }

    frmMain w;
    w.applyCaption();
    if (parser.isSet(QStringLiteral("size"))) {
        const QStringList wh = parser.value(QStringLiteral("size")).split(QLatin1Char('x'));
        w.resize(wh.value(0).toInt(), wh.value(1).toInt());
    }
    w.show();
    QApplication::processEvents();
    if (parser.isSet(QStringLiteral("open")) || parser.isSet(QStringLiteral("all"))) {
        w.vobList()->findChild<QCheckBox *>(QStringLiteral("onlyReplicatedOnlyCB"))
            ->setChecked(!parser.isSet(QStringLiteral("all")));
        w.vobList()->loadVobsButClick();
    }
    if (parser.isSet(QStringLiteral("open"))) {
        const auto found = w.vobList()->list()->findItems(parser.value(QStringLiteral("open")), Qt::MatchExactly);
        if (found.isEmpty()) {
            std::fprintf(stderr, "no such VOB in the list\n");
            return 1;
        }
        w.vobList()->list()->setCurrentItem(found.first());
        w.loadReplicaDetail();
    }
    if (parser.isSet(QStringLiteral("site")))
        emit w.graph()->siteDoubleClicked(parser.value(QStringLiteral("site")).toInt());
    if (parser.value(QStringLiteral("page")) == QStringLiteral("detail")) {
        w.tabStrip()->setCurrentIndex(1);
        w.mainTabStripClick();
    }
    if (parser.isSet(QStringLiteral("focus"))) {
        auto *target = w.findChild<QWidget *>(parser.value(QStringLiteral("focus")));
        if (!target) {
            std::fprintf(stderr, "no such control\n");
            return 1;
        }
        w.activateWindow();
        QElapsedTimer clock;
        clock.start();
        while (!w.isActiveWindow() && clock.elapsed() < 5000)
            QApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
        target->setFocus(Qt::TabFocusReason);
    }
    QApplication::processEvents();
    if (window == QStringLiteral("frmDetail")) {
        if (!w.detailForm())
            w.setDetail(QStringLiteral("(empty)"), QStringLiteral("Detail"));
        return save(w.detailForm(), file) ? 0 : 1;
    }
    if (window == QStringLiteral("frmRegion")) {
        w.showRegion();
        // Its first opening starts the survey; asking again would cancel it.
        if (!w.regionForm()->surveying())
            w.regionForm()->surveyOrCancel();
        QElapsedTimer clock;
        clock.start();
        while (w.regionForm()->surveying() && clock.elapsed() < 120000)
            QApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
        QApplication::processEvents();
        return save(w.regionForm(), file) ? 0 : 1;
    }
    if (window == QStringLiteral("frmWorking")) {
        if (!parser.isSet(QStringLiteral("waiting"))) {
            w.setMsg(QStringLiteral("Loading and checking VOBs, this may take a several minutes..."));
            QApplication::processEvents();
            return save(w.workingForm(), file) ? 0 : 1;
        }
        // The progress file as the replica script writes it.
        w.setMsg(QStringLiteral("Getting Detail for VOB: /vobs/dev, please wait.."), QStringLiteral("Working..."));
        QTemporaryDir dir;
        QFile progress(dir.filePath(ScriptProgress::fileName()));
        const double now = double(QDateTime::currentMSecsSinceEpoch()) / 1000.0;
        if (!progress.open(QIODevice::WriteOnly))
            return 1;
        progress.write(QStringLiteral("limit\t120\nwaiting\ttokyo\t%1\nwaiting\tbangalore\t%2\n")
                           .arg(now - 12.2, 0, 'f', 3)
                           .arg(now - 5.4, 0, 'f', 3)
                           .toLatin1());
        progress.close();
        w.watchScriptProgress(progress.fileName(), {{QStringLiteral("tokyo"), QStringLiteral("fuji")},
                                                    {QStringLiteral("bangalore"), QStringLiteral("blr-ms01")}});
        QApplication::processEvents();
        return save(w.workingForm(), file) ? 0 : 1;
    }
    return save(&w, file) ? 0 : 1;
}
