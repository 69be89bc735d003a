// Opens one VOB of the demo region in the main window, on the simulated
// region, and saves both pages as PNG files, to look at the result without
// a display:
//   loader_screenshot [TAG [OUT-PREFIX]]   (default /vobs/core, ./loader)
// writes OUT-PREFIX-visual.png and OUT-PREFIX-detail.png.
#include "app/Services.h"
#include "app/frmMain.h"
#include "ccase/CoprocessClearTool.h"
#include "ccase/ProcessShell.h"
#include "common/BenchSupport.h"
#include "vobs/VobListPanel.h"

#include <QApplication>
#include <QDir>
#include <QListWidget>
#include <QProcess>
#include <QTabBar>
#include <QTemporaryDir>
#include <QTest>
#include <cstdio>

using namespace quorvane;

namespace {

const QString SimDir = QStringLiteral(QUORVANE_BIN_DIR "/sim");

void settle()
{
    for (int round = 0; round < 5; ++round) {
        QApplication::processEvents();
        QTest::qWait(20);
    }
}

} // namespace

int main(int argc, char *argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const QStringList args = QApplication::arguments();
    const QString tag = args.size() > 1 ? args.at(1) : QStringLiteral("/vobs/core");
    const QString prefix = args.size() > 2 ? args.at(2) : QStringLiteral("loader");

    QTemporaryDir region;
    QTemporaryDir work;
    qputenv("CCSIM_REGION", region.path().toLocal8Bit());
    qputenv("PATH", QString(SimDir + QDir::listSeparator() + qEnvironmentVariable("PATH")).toLocal8Bit());
    if (QProcess::execute(SimDir + QStringLiteral("/ccsim"), {QStringLiteral("demo")}) != 0)
        return 1;

    bench::PrintingDialogs dialogs;
    CoprocessClearTool tool(SimDir + QStringLiteral("/cleartool"));
    ProcessShell shell(dialogs, work.path());
    Services services;
    services.clearTool = &tool;
    services.shell = &shell;
    services.dialogs = &dialogs;
    services.workDir = work.path();
    services.scriptPath = QStringLiteral(QUORVANE_BIN_DIR "/get_replica_info.pl");
    services.aniCursorDir = QStringLiteral(QUORVANE_BIN_DIR);
    services.clearCaseDescription = QStringLiteral("Simulated ClearCase region");

    frmMain window(services);
    window.applyCaption();
    window.show();
    window.vobList()->loadVobsButClick();
    QListWidget *list = window.vobList()->list();
    const auto found = list->findItems(tag, Qt::MatchExactly);
    if (found.isEmpty()) {
        std::fprintf(stderr, "%s is not in the VOB list\n", qPrintable(tag));
        return 1;
    }
    list->setCurrentItem(found.first());
    window.pVobViewListDblClick();
    settle();
    bool ok = window.grab().save(prefix + QStringLiteral("-visual.png"));
    window.tabStrip()->setCurrentIndex(1);
    window.mainTabStripClick();
    settle();
    ok = window.grab().save(prefix + QStringLiteral("-detail.png")) && ok;
    return ok ? 0 : 1;
}
