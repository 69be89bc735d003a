#pragma once

#include "app/Services.h"

#include <QTemporaryDir>

#include <functional>
#include <memory>

class QWidget;

namespace quorvane {

class ClearTool;
class RealDialogs;
class Shell;

// The services of a real run: ClearCase as discovered at start-up, the
// co-process client, hidden processes, real dialogs and a private work
// directory that is removed when the program ends.
class RealServices final {
public:
    RealServices();
    ~RealServices();
    Q_DISABLE_COPY_MOVE(RealServices)

    [[nodiscard]] Services services() const { return m_services; }
    // Where the region survey finds ClearCase's programs and its Perl.
    [[nodiscard]] const QString &clearCaseDir() const { return m_clearCaseDir; }
    [[nodiscard]] const QString &perlPath() const { return m_perlPath; }
    void setDialogParent(QWidget *parent);
    // See RealDialogs::setUnattended.
    void setUnattended(std::function<void(const QString &)> report);
    // The work folder goes now rather than at the end: for a session's end
    // that ends the process without unwinding (Windows).
    void removeWorkFolder() { m_workDir.remove(); }

    // Where a companion file of the program lives: beside the program (build
    // tree) or in ../share/quorvane (installed).
    static QString companionPath(const QString &programDir, const QString &fileName);

private:
    QTemporaryDir m_workDir;
    // Before the shell, which reports through the dialogs: it must go first.
    std::unique_ptr<RealDialogs> m_dialogs;
    std::unique_ptr<ClearTool> m_clearTool;
    // The processes, and in front of them what shows the boxes they owe.
    std::unique_ptr<Shell> m_processShell;
    std::unique_ptr<Shell> m_shell;
    Services m_services;
    QString m_clearCaseDir;
    QString m_perlPath;
};

} // namespace quorvane
