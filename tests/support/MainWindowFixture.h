#pragma once

#include "app/Services.h"
#include "app/frmMain.h"
#include "support/FakeShell.h"
#include "support/ScriptedClearTool.h"
#include "support/ScriptedDialogs.h"

#include <QTemporaryDir>

#include <memory>

namespace quorvane::test {

// A main window on scripted ClearCase, a recording shell and scripted
// dialogs, with a private work directory.
struct MainWindowFixture {
    MainWindowFixture()
    {
        services.clearTool = &clearTool;
        services.shell = &shell;
        services.dialogs = &dialogs;
        services.workDir = workDir.path();
        services.scriptPath = workDir.filePath(QStringLiteral("get_replica_info.pl"));
        services.aniCursorDir = workDir.path();
        services.clearCaseDescription = QStringLiteral("Scripted ClearCase");
        window = std::make_unique<frmMain>(services);
    }

    ScriptedClearTool clearTool;
    FakeShell shell;
    ScriptedDialogs dialogs;
    QTemporaryDir workDir;
    Services services;
    std::unique_ptr<frmMain> window;
};

} // namespace quorvane::test
