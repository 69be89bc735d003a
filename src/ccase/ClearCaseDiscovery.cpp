#include "ccase/ClearCaseDiscovery.h"

#include "ccase/CoprocessClearTool.h"
#include "ccase/MissingClearTool.h"

#include <QDir>
#include <QFileInfo>

namespace quorvane {

namespace {

const QString ClearToolName = QStringLiteral("cleartool");
const QString SimulatorName = QStringLiteral("ccsim");

QString executableIn(const QString &dir)
{
    if (dir.isEmpty())
        return {};
    const QFileInfo info(QDir(dir).filePath(ClearToolName));
    return info.isFile() && info.isExecutable() ? info.absoluteFilePath() : QString();
}

QString canonical(const QString &path)
{
    const QString c = QFileInfo(path).canonicalFilePath();
    return c.isEmpty() ? QDir::cleanPath(QDir(path).absolutePath()) : c;
}

// The simulator is installed as links named after the programs it stands in
// for; a simulated region must not pass for real ClearCase, wherever it lies.
bool isSimulator(const QString &clearTool)
{
    return QFileInfo(QFileInfo(clearTool).canonicalFilePath()).fileName() == SimulatorName;
}

} // namespace

QStringList ClearCaseDiscovery::installFolders()
{
    return {QStringLiteral("/opt/rational/clearcase/bin"),
            QStringLiteral("/opt/ibm/RationalSDLC/clearcase/bin"), QStringLiteral("/opt/hcl/clearcase/bin"),
            QStringLiteral("/opt/hcl/VersionVault/bin"), QStringLiteral("/usr/atria/bin")};
}

ClearCaseFound ClearCaseDiscovery::find(const QString &programDir, const QString &pathValue,
                                        const QStringList &installDirs)
{
    // Beside the program in the build tree; under libexec when installed.
    QString simDir = QDir(programDir).filePath(QStringLiteral("sim"));
    const QString installedSim =
        QDir::cleanPath(QDir(programDir).filePath(QStringLiteral("../libexec/quorvane/sim")));
    if (executableIn(simDir).isEmpty() && !executableIn(installedSim).isEmpty())
        simDir = installedSim;
    const QString simDirCanonical = canonical(simDir);

    QStringList dirs = pathValue.split(QDir::listSeparator(), Qt::SkipEmptyParts);
    dirs << installDirs;
    for (const QString &dir : dirs) {
        if (canonical(dir) == simDirCanonical)
            continue;
        const QString tool = executableIn(dir);
        if (tool.isEmpty() || isSimulator(tool))
            continue;
        return {ClearCaseFound::Kind::Real, tool, QStringLiteral("ClearCase: ") + tool,
                QFileInfo(tool).absolutePath()};
    }
    const QString simTool = executableIn(simDir);
    if (!simTool.isEmpty()) {
        return {ClearCaseFound::Kind::Simulated, simTool,
                QStringLiteral("Simulated MultiSite region (no ClearCase installed)"),
                QFileInfo(simTool).absolutePath()};
    }
    return {ClearCaseFound::Kind::None, QString(), QStringLiteral("No ClearCase found"), QString()};
}

ClearCaseFound ClearCaseDiscovery::discover(const QString &programDir)
{
    const QString path = QString::fromLocal8Bit(qgetenv("PATH"));
    ClearCaseFound found = find(programDir, path, installFolders());
    if (found.kind == ClearCaseFound::Kind::Simulated) {
        const QString simDir = QFileInfo(found.clearToolPath).absolutePath();
        qputenv("PATH", pathWithFirst(QDir::toNativeSeparators(simDir), path).toLocal8Bit());
    }
    return found;
}

QString ClearCaseDiscovery::pathWithFirst(const QString &dir, const QString &pathValue)
{
    QStringList entries{dir};
    const QString clean = QDir::cleanPath(dir);
    const QStringList old = pathValue.split(QDir::listSeparator());
    if (pathValue.isEmpty())
        return dir;
    for (const QString &entry : old) {
        if (!entry.isEmpty() && QDir::cleanPath(entry) == clean)
            continue;
        entries << entry;
    }
    return entries.join(QDir::listSeparator());
}

std::unique_ptr<ClearTool> ClearCaseDiscovery::makeClearTool(const ClearCaseFound &found)
{
    if (found.kind == ClearCaseFound::Kind::None)
        return std::make_unique<MissingClearTool>();
    return std::make_unique<CoprocessClearTool>(found.clearToolPath);
}

} // namespace quorvane
