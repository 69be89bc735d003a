#include "ccase/ClearCaseDiscovery.h"

#include "ccase/CoprocessClearTool.h"
#include "ccase/MissingClearTool.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>

namespace quorvane {

namespace {

#ifdef Q_OS_WIN
constexpr bool OnWindows = true;
#else
constexpr bool OnWindows = false;
#endif

const QString SimulatorName = QStringLiteral("ccsim");
const QString SimulatedDescription = QStringLiteral("Simulated MultiSite region (no ClearCase installed)");
const QString SimulatedChoice = QStringLiteral("simulated");

QString programName(const QString &name, bool windows)
{
    const QString exe = QStringLiteral(".exe");
    return windows && !name.endsWith(exe, Qt::CaseInsensitive) ? name + exe : name;
}

QString executable(const QString &path)
{
    const QFileInfo info(path);
    return info.isFile() && info.isExecutable() ? info.absoluteFilePath() : QString();
}

QString executableIn(const QString &dir, const QString &name = QStringLiteral("cleartool"))
{
    return dir.isEmpty() ? QString() : executable(QDir(dir).filePath(programName(name, OnWindows)));
}

QString canonical(const QString &path)
{
    const QString c = QFileInfo(path).canonicalFilePath();
    return c.isEmpty() ? QDir::cleanPath(QDir(path).absolutePath()) : c;
}

// The simulator is installed as links named after the programs it stands
// in for: a link is known without asking it anything.
bool linksToSimulator(const QString &clearTool)
{
    QString name = QFileInfo(QFileInfo(clearTool).canonicalFilePath()).fileName();
    if (OnWindows && name.endsWith(QStringLiteral(".exe"), Qt::CaseInsensitive))
        name.chop(4);
    return name == SimulatorName;
}

// The simulated region that comes with the program: beside it in the build
// tree, under libexec when installed.
QString simulatorDir(const QString &programDir)
{
    const QString beside = QDir(programDir).filePath(QStringLiteral("sim"));
    const QString installed = QDir::cleanPath(QDir(programDir).filePath(QStringLiteral("../libexec/quorvane/sim")));
    return executableIn(beside).isEmpty() && !executableIn(installed).isEmpty() ? installed : beside;
}

ClearCaseFound real(const QString &tool)
{
    const QString dir = QFileInfo(tool).absolutePath();
    return {ClearCaseFound::Kind::Real, tool, QStringLiteral("ClearCase: ") + tool, dir,
            ClearCaseDiscovery::productPerl(dir, OnWindows)};
}

ClearCaseFound simulated(const QString &tool, const QString &description = SimulatedDescription)
{
    const QString dir = QFileInfo(tool).absolutePath();
    return {ClearCaseFound::Kind::Simulated, tool, description, dir, ClearCaseDiscovery::productPerl(dir, OnWindows)};
}

ClearCaseFound none(const QString &description)
{
    return {ClearCaseFound::Kind::None, QString(), description, QString(), QString()};
}

} // namespace

QStringList ClearCaseDiscovery::installFolders(bool windows, const QProcessEnvironment &environment)
{
    if (!windows) {
        QStringList dirs;
        // Where an installation lies elsewhere, its administrators set this.
        const QString home = environment.value(QStringLiteral("CLEARCASEHOME"));
        if (!home.isEmpty())
            dirs << QDir(home).filePath(QStringLiteral("bin"));
        return dirs << QStringLiteral("/opt/hcl/ccm/versionvault/bin") << QStringLiteral("/opt/HCL/CCM/versionvault/bin")
                    << QStringLiteral("/opt/hcl/VersionVault/bin") << QStringLiteral("/opt/devops/code/clearcase/bin")
                    << QStringLiteral("/opt/hcl/devops/code/clearcase/bin") << QStringLiteral("/opt/hcl/clearcase/bin")
                    << QStringLiteral("/opt/ibm/RationalSDLC/clearcase/bin")
                    << QStringLiteral("/opt/rational/clearcase/bin") << QStringLiteral("/usr/atria/bin");
    }
    QStringList programFiles;
    for (const char *name : {"ProgramW6432", "ProgramFiles", "ProgramFiles(x86)"}) {
        const QString dir = environment.value(QString::fromLatin1(name));
        if (!dir.isEmpty() && !programFiles.contains(dir, Qt::CaseInsensitive))
            programFiles << dir;
    }
    if (programFiles.isEmpty())
        programFiles << QStringLiteral("C:\\Program Files") << QStringLiteral("C:\\Program Files (x86)");
    const QStringList below{QStringLiteral("HCL\\CCM\\VersionVault\\bin"), QStringLiteral("DevOps\\Code\\ClearCase\\bin"),
                            QStringLiteral("HCL\\DevOps\\Code\\ClearCase\\bin"),
                            QStringLiteral("IBM\\RationalSDLC\\ClearCase\\bin"), QStringLiteral("Rational\\ClearCase\\bin")};
    QStringList dirs;
    for (const QString &folder : below) {
        for (const QString &root : programFiles)
            dirs << root + QLatin1Char('\\') + folder;
    }
    return dirs;
}

QStringList ClearCaseDiscovery::installFolders()
{
    return installFolders(OnWindows, QProcessEnvironment::systemEnvironment());
}

QString ClearCaseDiscovery::productPerl(const QString &binDir, bool windows)
{
    if (binDir.isEmpty())
        return {};
    const QDir bin(binDir);
    // ccperl is the Windows name; UNIX installations call it Perl (the
    // simulated region, and some older UNIX releases, call it ccperl there too).
    const QStringList names = windows ? QStringList{QStringLiteral("ccperl.exe")}
                                      : QStringList{QStringLiteral("Perl"), QStringLiteral("ccperl")};
    for (const QString &name : names) {
        if (const QString found = executable(bin.filePath(name)); !found.isEmpty())
            return found;
    }
    // ratlperl: in the same folder, or in the products' shared folder
    // ("<root>/common/bin" beside ".../clearcase/bin" on UNIX, "...\common"
    // on Windows).
    const QString ratlperl = programName(QStringLiteral("ratlperl"), windows);
    const QStringList dirs{binDir, QDir::cleanPath(bin.filePath(windows ? QStringLiteral("../../common")
                                                                        : QStringLiteral("../../common/bin")))};
    for (const QString &dir : dirs) {
        if (const QString found = executable(QDir(dir).filePath(ratlperl)); !found.isEmpty())
            return found;
    }
    return {};
}

bool ClearCaseDiscovery::isSimulatorVersion(const QString &answer)
{
    // ccsim's own words; no ClearCase release says this of itself.
    static const QRegularExpression mark(
        QStringLiteral("^\\S+ \\(simulated ClearCase MultiSite region, ccsim \\d+\\.\\d+\\.\\d+\\)\\r?$"),
        QRegularExpression::MultilineOption);
    return mark.match(answer).hasMatch();
}

bool ClearCaseDiscovery::saysSimulator(const QString &clearTool, int timeLimitMs)
{
    if (linksToSimulator(clearTool))
        return true;
    QProcess process;
    process.setStandardInputFile(QProcess::nullDevice());
    process.setProcessChannelMode(QProcess::SeparateChannels);
    process.start(clearTool, {QStringLiteral("-version")});
    QElapsedTimer clock;
    clock.start();
    if (!process.waitForStarted(timeLimitMs))
        return false;
    if (!process.waitForFinished(int(qMax<qint64>(1, timeLimitMs - clock.elapsed())))) {
        process.kill();
        process.waitForFinished(1000);
        return false;
    }
    // The answer is a few lines; nothing more is looked at.
    return isSimulatorVersion(QString::fromLocal8Bit(process.readAllStandardOutput().left(4096)));
}

ClearCaseFound ClearCaseDiscovery::find(const QString &programDir, const QString &pathValue,
                                        const QStringList &installDirs, const SimulatorTest &isSimulator)
{
    const QString simDir = simulatorDir(programDir);
    const QString simDirCanonical = canonical(simDir);

    QStringList dirs = pathValue.split(QDir::listSeparator(), Qt::SkipEmptyParts);
    dirs << installDirs;
    QString copy; // the first simulator met elsewhere
    QStringList seen;
    for (const QString &dir : dirs) {
        const QString where = canonical(dir);
        if (where == simDirCanonical || seen.contains(where))
            continue;
        seen << where;
        const QString tool = executableIn(dir);
        if (tool.isEmpty())
            continue;
        if (linksToSimulator(tool) || isSimulator(tool)) {
            if (copy.isEmpty())
                copy = tool;
            continue;
        }
        return real(tool);
    }
    if (const QString simTool = executableIn(simDir); !simTool.isEmpty())
        return simulated(simTool);
    if (!copy.isEmpty())
        return simulated(copy);
    return none(QStringLiteral("No ClearCase found"));
}

ClearCaseFound ClearCaseDiscovery::chosen(const QString &value, const QString &programDir, const QString &pathValue,
                                          const SimulatorTest &isSimulator)
{
    const QString because = QStringLiteral(" (chosen by %1)").arg(QString::fromLatin1(ChoiceVariable));
    QString tool;
    if (value.compare(SimulatedChoice, Qt::CaseInsensitive) == 0) {
        tool = executableIn(simulatorDir(programDir));
        if (tool.isEmpty())
            return none(QStringLiteral("No simulated region is installed beside the program") + because);
        return simulated(tool, QStringLiteral("Simulated MultiSite region") + because);
    }
    if (value.contains(QLatin1Char('/')) || (OnWindows && value.contains(QLatin1Char('\\')))) {
        tool = executable(value);
    } else {
        for (const QString &dir : pathValue.split(QDir::listSeparator(), Qt::SkipEmptyParts)) {
            if (tool = executableIn(dir, value); !tool.isEmpty())
                break;
        }
    }
    if (tool.isEmpty()) {
        return none(QStringLiteral("No ClearCase: %1=\"%2\" names no program that can be run")
                        .arg(QString::fromLatin1(ChoiceVariable), value));
    }
    if (linksToSimulator(tool) || isSimulator(tool))
        return simulated(tool, QStringLiteral("Simulated MultiSite region: ") + tool + because);
    ClearCaseFound found = real(tool);
    found.description += because;
    return found;
}

ClearCaseFound ClearCaseDiscovery::discover(const QString &programDir)
{
    const QString path = QString::fromLocal8Bit(qgetenv("PATH"));
    const QString choice = qEnvironmentVariable(ChoiceVariable);
    ClearCaseFound found = choice.isEmpty() ? find(programDir, path, installFolders())
                                            : chosen(choice, programDir, path);
    if (found.kind == ClearCaseFound::Kind::Simulated)
        qputenv("PATH", pathWithFirst(QDir::toNativeSeparators(found.binDir), path).toLocal8Bit());
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
    if (found.kind == ClearCaseFound::Kind::None) {
        // A choice that names nothing says so; the search's own account otherwise.
        if (found.description.contains(QString::fromLatin1(ChoiceVariable)))
            return std::make_unique<MissingClearTool>(found.description + QLatin1Char('.'));
        return std::make_unique<MissingClearTool>();
    }
    return std::make_unique<CoprocessClearTool>(found.clearToolPath);
}

} // namespace quorvane
