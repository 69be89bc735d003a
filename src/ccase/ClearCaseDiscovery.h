#pragma once

#include <QProcessEnvironment>
#include <QString>
#include <QStringList>
#include <functional>
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
    // The product's own Perl, which runs the replica script where a command
    // line says "ccperl"; empty when the installation has none (the name is
    // then looked up on PATH).
    QString perlPath;
};

// Finds ClearCase once at start-up: the cleartool that QUORVANE_CLEARTOOL
// names; else a real cleartool on PATH or in the install folders of every
// product generation; else the simulated region installed beside the program
// in "<program dir>/sim", or a copy of it found on the way; else none.
class ClearCaseDiscovery final {
public:
    // Whether a cleartool is the simulator, by what it says of itself.
    using SimulatorTest = std::function<bool(const QString &clearTool)>;

    // The variable that names the cleartool to use, a full path or a name
    // on PATH, or "simulated" for the region installed with the program.
    static constexpr const char *ChoiceVariable = "QUORVANE_CLEARTOOL";
    // How long the question to a cleartool may take before it counts as
    // not the simulator (a real one that is slow to start).
    static constexpr int probeTimeLimitMs = 5000;

    // The install folders searched after PATH, newest generation first:
    // $CLEARCASEHOME/bin on UNIX, then VersionVault, DevOps Code ClearCase
    // 11, HCL ClearCase, IBM Rational ClearCase 7.1 to 9, Rational
    // ClearCase 2003 to 7.0, Atria. Windows folders are taken under both
    // Program Files folders the environment names.
    static QStringList installFolders(bool windows, const QProcessEnvironment &environment);
    static QStringList installFolders();

    // The product's Perl in an installation whose cleartool lies in binDir:
    // on UNIX "Perl" there (ccperl where that is missing), on Windows
    // ccperl.exe; else ratlperl there or in the shared "common" folder
    // beside the installation. Empty when there is none.
    static QString productPerl(const QString &binDir, bool windows);

    // The decision alone, from the given PATH value and folders; changes
    // nothing. A real ClearCase anywhere wins over a simulator; of the
    // simulators, the one beside the program wins over a copy found
    // elsewhere. A cleartool that is a link to ccsim, or that answers
    // "-version" as ccsim does, is the simulator whatever its name.
    static ClearCaseFound find(const QString &programDir, const QString &pathValue,
                               const QStringList &installDirs, const SimulatorTest &isSimulator = askVersion);

    // The cleartool that a QUORVANE_CLEARTOOL value names, found as find()
    // would take it; None with the reason when it names no program.
    static ClearCaseFound chosen(const QString &value, const QString &programDir, const QString &pathValue,
                                 const SimulatorTest &isSimulator = askVersion);

    // find(), or chosen() when QUORVANE_CLEARTOOL is set, on this process's
    // PATH; when it settles on the simulated region it puts the region's
    // folder first on this process's PATH, so that multitool and ccperl
    // started later are the simulated ones too.
    static ClearCaseFound discover(const QString &programDir);

    // Asks a cleartool "-version", directly (no shell), with no input and
    // within probeTimeLimitMs, and whether the answer is the simulator's.
    static bool saysSimulator(const QString &clearTool, int timeLimitMs = probeTimeLimitMs);
    static bool askVersion(const QString &clearTool) { return saysSimulator(clearTool); }
    // Whether a "-version" answer is the simulator's.
    static bool isSimulatorVersion(const QString &answer);

    // PATH with dir first, once: earlier copies of dir are dropped, the
    // other entries keep their order, and an empty PATH gives just dir (an
    // empty entry would mean the current directory).
    static QString pathWithFirst(const QString &dir, const QString &pathValue);

    // The ClearTool for a finding: the co-process client, or for None one
    // that reports that no ClearCase was found.
    static std::unique_ptr<ClearTool> makeClearTool(const ClearCaseFound &found);
};

} // namespace quorvane
