#pragma once

#include <QString>
#include <QStringList>

#include <memory>

namespace quorvane {

class ClearTool;

// Which ClearCase this session talks to.
struct ClearCaseFound {
    enum class Kind { Real, Simulated, None };
    Kind kind = Kind::None;
    // Full path of cleartool (empty for None).
    QString clearToolPath;
    // One plain line for the main window.
    QString description;
    // cleartool's folder (empty for None). It goes first on the PATH of the
    // processes the program starts, so that multitool, ccperl and the
    // script's own cleartool come from the same ClearCase, also when that
    // folder is an install folder that PATH does not name.
    QString binDir;
};

// Finds ClearCase once at start-up: a real cleartool on PATH or in
// ClearCase's usual install folders; else the simulated region installed
// beside the program in "<program dir>/sim"; else none.
class ClearCaseDiscovery final {
public:
    // The install folders searched after PATH.
    static QStringList installFolders();

    // The decision alone, from the given PATH value and folders; changes
    // nothing. A cleartool in "<programDir>/sim", or one that is a link to the
    // simulator, is never taken for real ClearCase.
    static ClearCaseFound find(const QString &programDir, const QString &pathValue,
                               const QStringList &installDirs);

    // find() on this process's PATH; when it settles on the simulated region
    // it puts the region's folder first on this process's PATH, so that
    // multitool and ccperl started later are the simulated ones too.
    static ClearCaseFound discover(const QString &programDir);

    // PATH with dir first, once: earlier copies of dir are dropped, the
    // other entries keep their order, and an empty PATH gives just dir (an
    // empty entry would mean the current directory).
    static QString pathWithFirst(const QString &dir, const QString &pathValue);

    // The ClearTool for a finding: the co-process client, or for None one
    // that reports that no ClearCase was found.
    static std::unique_ptr<ClearTool> makeClearTool(const ClearCaseFound &found);
};

} // namespace quorvane
