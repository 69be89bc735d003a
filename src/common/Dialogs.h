#pragma once

#include <QString>

namespace quorvane {

enum class MsgIcon { None, Information, Exclamation, Stop };
enum class MsgButtons { Ok, OkCancel };
enum class MsgResult { Ok, Cancel };

// Every message box and input box of the program goes through this seam, so
// that tests can script the answers and read back exactly what was shown.
// Only RealDialogs (ui library) touches QMessageBox and QInputDialog.
class Dialogs {
public:
    virtual ~Dialogs() = default;

    // A modal box; returns Cancel when the user cancels or closes it.
    virtual MsgResult msgBox(const QString &prompt, MsgButtons buttons, MsgIcon icon,
                             const QString &title) = 0;

    // A modal input box; returns the empty string when the user cancels.
    virtual QString inputBox(const QString &prompt, const QString &title,
                             const QString &defaultText) = 0;
};

} // namespace quorvane
