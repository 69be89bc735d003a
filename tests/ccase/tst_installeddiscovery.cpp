#include "ccase/ClearCaseDiscovery.h"

#include <QDir>
#include <QFile>
#include <QProcessEnvironment>
#include <QTemporaryDir>
#include <QTest>

using namespace quorvane;
using namespace Qt::StringLiterals;
using Kind = ClearCaseFound::Kind;

namespace {

#ifdef Q_OS_WIN
const QString Exe = u".exe"_s;
constexpr bool Windows = true;
#else
const QString Exe;
constexpr bool Windows = false;
#endif

const QString BinDir = QStringLiteral(QUORVANE_BIN_DIR);

// Installs a built program under another name, as a copy: Windows has no
// links, and an installer copies.
bool install(const QString &program, const QString &as)
{
    QDir().mkpath(QFileInfo(as).path());
    return QFile::copy(program + Exe, as + Exe);
}

} // namespace

// Discovery with real programs on this platform, under the names and in the
// folders an installation uses (cleartool.exe and ccperl.exe in a Program
// Files folder on Windows): a real ClearCase in an install folder that PATH
// does not name is found with its Perl; a copy of the simulator on PATH is
// the simulator, known by its answer; the simulated region beside the
// program is taken when there is nothing else.
class TestInstalledDiscovery : public QObject {
    Q_OBJECT
private slots:
    void realInstallationInItsFolder()
    {
        QTemporaryDir root;
        QProcessEnvironment env;
        env.insert(u"ProgramFiles"_s, QDir::toNativeSeparators(root.filePath(u"Program Files"_s)));
        env.insert(u"CLEARCASEHOME"_s, root.filePath(u"opt/hcl/ccm/versionvault"_s));
        // Only the folders under the test's own root: the others are this
        // machine's (/usr/atria/bin), never to be written by a test.
        QStringList folders;
        for (const QString &dir : ClearCaseDiscovery::installFolders(Windows, env)) {
            if (QDir::fromNativeSeparators(dir).startsWith(root.path()))
                folders << dir;
        }
        QVERIFY(!folders.isEmpty());
        const QString bin = QDir::fromNativeSeparators(folders.constLast());
        // Anything that does not answer as the simulator is real ClearCase.
        QVERIFY(install(BinDir + u"/argecho"_s, bin + u"/cleartool"_s));
        QVERIFY(install(BinDir + u"/argecho"_s, bin + (Windows ? u"/ccperl"_s : u"/Perl"_s)));
        const ClearCaseFound found = ClearCaseDiscovery::find(root.filePath(u"prog"_s), QString(), folders);
        QCOMPARE(found.kind, Kind::Real);
        QCOMPARE(QDir::fromNativeSeparators(found.clearToolPath), bin + u"/cleartool"_s + Exe);
        QCOMPARE(ClearCaseDiscovery::productPerl(found.binDir, Windows),
                 QFileInfo(bin + (Windows ? u"/ccperl"_s : u"/Perl"_s) + Exe).absoluteFilePath());
    }

    void simulator()
    {
        QTemporaryDir root;
        QVERIFY(install(BinDir + u"/sim/ccsim"_s, root.filePath(u"prog/sim/cleartool"_s)));
        const ClearCaseFound beside = ClearCaseDiscovery::find(root.filePath(u"prog"_s), QString(), {});
        QCOMPARE(beside.kind, Kind::Simulated);
        QCOMPARE(beside.description, u"Simulated MultiSite region (no ClearCase installed)"_s);
        QCOMPARE(ClearCaseDiscovery::chosen(u"simulated"_s, root.filePath(u"prog"_s), QString()).kind, Kind::Simulated);
        QCOMPARE(ClearCaseDiscovery::find(root.filePath(u"nowhere"_s), QString(), {}).kind, Kind::None);

        const QString onPath = root.filePath(u"tools"_s);
        QVERIFY(install(BinDir + u"/sim/ccsim"_s, onPath + u"/cleartool"_s));
        const QString path = QDir::toNativeSeparators(root.filePath(u"empty"_s)) + QDir::listSeparator()
            + QDir::toNativeSeparators(onPath);
        const ClearCaseFound found = ClearCaseDiscovery::find(root.filePath(u"nowhere"_s), path, {});
        QCOMPARE(found.kind, Kind::Simulated);
        QCOMPARE(QDir::fromNativeSeparators(found.clearToolPath), onPath + u"/cleartool"_s + Exe);
        // A real one anywhere wins over it.
        const QString real = root.filePath(u"real"_s);
        QVERIFY(install(BinDir + u"/argecho"_s, real + u"/cleartool"_s));
        QCOMPARE(ClearCaseDiscovery::find(root.filePath(u"nowhere"_s), path, {real}).kind, Kind::Real);
    }
};

QTEST_GUILESS_MAIN(TestInstalledDiscovery)
#include "tst_installeddiscovery.moc"
