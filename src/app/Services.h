#pragma once

#include <QString>

namespace quorvane {

class ClearTool;
class Shell;
class Dialogs;

// The services the main window works with. The real set is built once at
// start-up (ClearCase discovery); tests pass fakes. The pointers are not
// owned by frmMain.
struct Services {
    ClearTool *clearTool = nullptr; // null: no ClearCase was found
    Shell *shell = nullptr;
    Dialogs *dialogs = nullptr;
    // The private work directory: current directory of every process started
    // and home of the two results files. Empty when none could be made.
    QString workDir;
    // Full path of get_replica_info.pl.
    QString scriptPath;
    // The folder that holds anicursor.ani (the file may be missing).
    QString aniCursorDir;
    // One plain line for the window: which ClearCase this session talks to.
    QString clearCaseDescription;
};

} // namespace quorvane
