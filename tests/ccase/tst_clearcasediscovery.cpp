#include "ccase/ClearCaseDiscovery.h"
#include "ccase/ClearCaseError.h"
#include "ccase/CoprocessClearTool.h"
#include "ccase/MissingClearTool.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace quorvane;
using Kind = ClearCaseFound::Kind;

namespace {

void makeExecutable(const QString &path)
{
    QVERIFY(QDir().mkpath(QFileInfo(path).absolutePath()));
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write("#!/bin/sh\nexit 0\n");
    f.close();
    QVERIFY(f.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
}

} // namespace

class TestClearCaseDiscovery : public QObject {
    Q_OBJECT
private slots:
    void pathWithFirst_data()
    {
        QTest::addColumn<QString>("dir");
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("expected");
        QTest::newRow("prepends") << QStringLiteral("/p/sim") << QStringLiteral("/usr/bin:/bin")
                                  << QStringLiteral("/p/sim:/usr/bin:/bin");
        QTest::newRow("empty path has no empty entry") << QStringLiteral("/p/sim") << QString()
                                                       << QStringLiteral("/p/sim");
        QTest::newRow("moves an existing copy first")
            << QStringLiteral("/p/sim") << QStringLiteral("/usr/bin:/p/sim/:/bin")
            << QStringLiteral("/p/sim:/usr/bin:/bin");
        QTest::newRow("twice is once") << QStringLiteral("/p/sim") << QStringLiteral("/p/sim:/bin")
                                       << QStringLiteral("/p/sim:/bin");
        QTest::newRow("keeps other entries as they are")
            << QStringLiteral("/p/sim") << QStringLiteral("/bin::/usr/bin") << QStringLiteral("/p/sim:/bin::/usr/bin");
        QTest::newRow("prefix of another entry stays")
            << QStringLiteral("/p/sim") << QStringLiteral("/p/sim2") << QStringLiteral("/p/sim:/p/sim2");
    }
    void pathWithFirst()
    {
        QFETCH(QString, dir);
        QFETCH(QString, path);
        QFETCH(QString, expected);
        QCOMPARE(ClearCaseDiscovery::pathWithFirst(dir, path), expected);
    }

    // Layouts under a temporary root: "prog" is the program directory,
    // "pathdir" is on PATH, "install" is an install folder.
    void find_data()
    {
        QTest::addColumn<QStringList>("files");
        QTest::addColumn<QStringList>("pathDirs");
        QTest::addColumn<int>("kind");
        QTest::addColumn<QString>("tool"); // relative to the root
        const QString simTool = QStringLiteral("prog/sim/cleartool");
        QTest::newRow("real on PATH wins over simulated")
            << QStringList{QStringLiteral("pathdir/cleartool"), simTool} << QStringList{QStringLiteral("pathdir")}
            << int(Kind::Real) << QStringLiteral("pathdir/cleartool");
        QTest::newRow("real in install folder")
            << QStringList{QStringLiteral("install/cleartool"), simTool} << QStringList{QStringLiteral("pathdir")}
            << int(Kind::Real) << QStringLiteral("install/cleartool");
        QTest::newRow("simulated beside the program") << QStringList{simTool} << QStringList{QStringLiteral("pathdir")}
                                                      << int(Kind::Simulated) << simTool;
        QTest::newRow("simulated already first on PATH is still simulated")
            << QStringList{simTool} << QStringList{QStringLiteral("prog/sim"), QStringLiteral("pathdir")}
            << int(Kind::Simulated) << simTool;
        QTest::newRow("none") << QStringList{QStringLiteral("pathdir/multitool")}
                              << QStringList{QStringLiteral("pathdir")} << int(Kind::None) << QString();
    }
    void find()
    {
        QFETCH(QStringList, files);
        QFETCH(QStringList, pathDirs);
        QFETCH(int, kind);
        QFETCH(QString, tool);
        QTemporaryDir root;
        const QDir r(root.path());
        for (const QString &f : files)
            makeExecutable(r.filePath(f));
        QStringList path;
        for (const QString &d : pathDirs)
            path << r.filePath(d);
        const ClearCaseFound found = ClearCaseDiscovery::find(r.filePath(QStringLiteral("prog")),
                                                              path.join(QDir::listSeparator()),
                                                              {r.filePath(QStringLiteral("install"))});
        QCOMPARE(int(found.kind), kind);
        QCOMPARE(found.clearToolPath, tool.isEmpty() ? QString() : r.filePath(tool));
        switch (found.kind) {
        case Kind::Real:
            QCOMPARE(found.description, QString(QStringLiteral("ClearCase: ") + r.filePath(tool)));
            break;
        case Kind::Simulated:
            QCOMPARE(found.description, QStringLiteral("Simulated MultiSite region (no ClearCase installed)"));
            break;
        case Kind::None:
            QCOMPARE(found.description, QStringLiteral("No ClearCase found"));
            break;
        }
    }

    void simulatorLinkElsewhereIsNotRealClearCase()
    {
        QTemporaryDir root;
        const QDir r(root.path());
        makeExecutable(r.filePath(QStringLiteral("other/ccsim")));
        QVERIFY(QFile::link(r.filePath(QStringLiteral("other/ccsim")), r.filePath(QStringLiteral("other/cleartool"))));
        const ClearCaseFound found =
            ClearCaseDiscovery::find(r.filePath(QStringLiteral("prog")), r.filePath(QStringLiteral("other")), {});
        QCOMPARE(found.kind, Kind::None);
    }

    void discoverPutsSimulatedRegionFirstOnPath()
    {
        QTemporaryDir root;
        const QDir r(root.path());
        makeExecutable(r.filePath(QStringLiteral("prog/sim/cleartool")));
        const QByteArray saved = qgetenv("PATH");
        qputenv("PATH", "/nonexistent/bin");
        const ClearCaseFound found = ClearCaseDiscovery::discover(r.filePath(QStringLiteral("prog")));
        const QByteArray after = qgetenv("PATH");
        qputenv("PATH", saved);
        if (found.kind == Kind::Real)
            QSKIP("this machine has ClearCase installed");
        QCOMPARE(found.kind, Kind::Simulated);
        QCOMPARE(QString::fromLocal8Bit(after),
                 QString(r.filePath(QStringLiteral("prog/sim")) + QDir::listSeparator() + QStringLiteral("/nonexistent/bin")));
    }

    void missingClearToolReportsNoClearCase()
    {
        const auto tool = ClearCaseDiscovery::makeClearTool({Kind::None, QString(), QString()});
        QVERIFY(dynamic_cast<MissingClearTool *>(tool.get()));
        for (int call = 0; call < 2; ++call) {
            try {
                if (call == 0)
                    tool->vobTags();
                else
                    tool->CmdExec(QStringLiteral("lsvob -short"));
                QFAIL("no error");
            } catch (const ClearCaseError &e) {
                QVERIFY(e.description().startsWith(QStringLiteral("No ClearCase was found")));
                QCOMPARE(e.number(), ErrNo::ClearCase);
            }
        }
        const auto real = ClearCaseDiscovery::makeClearTool({Kind::Simulated, QStringLiteral("/x/cleartool"), QString()});
        const auto *co = dynamic_cast<CoprocessClearTool *>(real.get());
        QVERIFY(co);
        QCOMPARE(co->program(), QStringLiteral("/x/cleartool"));
    }
};

QTEST_GUILESS_MAIN(TestClearCaseDiscovery)
#include "tst_clearcasediscovery.moc"
