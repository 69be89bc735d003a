#include "app/OrderlyExit.h"
#include "app/QuitOnSignal.h"
#include "app/SingleInstance.h"
#include "app/StartArguments.h"
#include "app/frmMain.h"
#include "common/AppInfo.h"
#include "ui/RealDialogs.h"

#include <QApplication>
#include <QSessionManager>

using namespace quorvane;

// Main: one copy per user and display; otherwise the main window, captioned
// with the title and the version.
int main(int argc, char *argv[])
{
    // --help and --version need no display; anything else is refused.
    if (const std::optional<int> answered = answerArguments(argc, argv))
        return *answered;
    QApplication app(argc, argv);
    QApplication::setApplicationName(AppInfo::title());
    QApplication::setApplicationVersion(AppInfo::versionText());
    // Lets docks and task bars match the window to its menu entry and icon.
    QGuiApplication::setDesktopFileName(QStringLiteral(QUORVANE_APP_ID));
    // Before anything that must be cleaned up: the work directory, the lock.
    QuitOnSignal quitOnSignal;

    SingleInstance instance;
    if (!instance.acquire()) {
        RealDialogs dialogs;
        dialogs.msgBox(AppInfo::title() + QStringLiteral(" is already running"), MsgButtons::Ok,
                       MsgIcon::Exclamation, AppInfo::title());
        return 0;
    }

    frmMain window;
    mainForm = &window;
    // A signal or the session's end goes the way of Exit: a running
    // multitool is let end, never cut.
    OrderlyExit orderlyExit(window.orderlyExitHooks(), &window.commandLog());
    QObject::connect(&quitOnSignal, &QuitOnSignal::signalled, &orderlyExit, [&orderlyExit](int signalNumber) {
        orderlyExit.signalReceived(QuitOnSignal::signalName(signalNumber), QuitOnSignal::exitCodeFor(signalNumber));
    });
    app.installEventFilter(&orderlyExit);
#ifdef Q_OS_WIN
    // Windows ends the process as soon as it has told it that the session
    // ends, so a running repair is not let be cut there: the log-off or
    // shutdown is held (Windows names the program holding it) while the
    // program ends the way of Exit; tried again, it then goes through.
    const OrderlyExit::Window hooks = window.orderlyExitHooks();
    QObject::connect(&app, &QGuiApplication::commitDataRequest, &orderlyExit,
                     [&orderlyExit, busy = hooks.busy](QSessionManager &manager) {
                         if (busy && busy()) {
                             manager.cancel();
                             orderlyExit.sessionEnds();
                         }
                     });
    QObject::connect(&app, &QCoreApplication::aboutToQuit, &window, [&window, &instance] {
        window.sessionEndsNow();
        instance.release();
    });
#endif
    window.applyCaption();
    window.show();
    const int status = QApplication::exec();
    orderlyExit.finish();
    return orderlyExit.requested() ? orderlyExit.exitCode() : status;
}
