#include "ccase/ClearCaseDiscovery.h"
#include "ccase/ClearCaseError.h"
#include "ccase/ClearTool.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace quorvane;
using namespace Qt::StringLiterals;
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
    // Layouts under a temporary root: "prog" is the program directory,
    // "pathdir" is on PATH, "install" is an install folder. A name after
    // "->" is a link to it.
    void find_data()
    {
        QTest::addColumn<QStringList>("files");
        QTest::addColumn<QString>("pathDirs");
        QTest::addColumn<int>("kind");
        QTest::addColumn<QString>("tool"); // relative to the root
        const QString sim = u"prog/sim/cleartool"_s;
        QTest::newRow("real on PATH wins over simulated")
            << QStringList{u"pathdir/cleartool"_s, sim} << u"pathdir"_s << int(Kind::Real)
            << u"pathdir/cleartool"_s;
        QTest::newRow("real in install folder") << QStringList{u"install/cleartool"_s, sim} << u"pathdir"_s
                                                << int(Kind::Real) << u"install/cleartool"_s;
        QTest::newRow("simulated beside the program")
            << QStringList{sim} << u"pathdir"_s << int(Kind::Simulated) << sim;
        QTest::newRow("simulator linked elsewhere is not ClearCase")
            << QStringList{u"pathdir/ccsim"_s, u"pathdir/cleartool->pathdir/ccsim"_s} << u"pathdir"_s
            << int(Kind::None) << QString();
        QTest::newRow("none") << QStringList{u"pathdir/multitool"_s} << u"pathdir"_s << int(Kind::None)
                              << QString();
    }
    void find()
    {
        QFETCH(QStringList, files);
        QFETCH(QString, pathDirs);
        QFETCH(int, kind);
        QFETCH(QString, tool);
        QTemporaryDir root;
        const QDir r(root.path());
        for (const QString &f : files) {
            if (f.contains(u"->"_s))
                QVERIFY(QFile::link(r.filePath(f.section(u"->"_s, 1)), r.filePath(f.section(u"->"_s, 0, 0))));
            else
                makeExecutable(r.filePath(f));
        }
        QStringList path;
        for (const QString &d : pathDirs.split(u':'))
            path << r.filePath(d);
        const ClearCaseFound found = ClearCaseDiscovery::find(
            r.filePath(u"prog"_s), path.join(QDir::listSeparator()), {r.filePath(u"install"_s)});
        QCOMPARE(int(found.kind), kind);
        QCOMPARE(found.clearToolPath, tool.isEmpty() ? QString() : r.filePath(tool));
        const QString descriptions[] = {u"ClearCase: "_s + found.clearToolPath,
                                        u"Simulated MultiSite region (no ClearCase installed)"_s,
                                        u"No ClearCase found"_s};
        QCOMPARE(found.description, descriptions[kind]);
    }

    // Found beside the program, the simulated region's folder goes first on
    // PATH, once, so that ccperl and multitool are the simulated ones too.
    void discoverPutsSimulatedRegionFirstOnPath()
    {
        QTemporaryDir root;
        const QString sim = root.filePath(u"prog/sim"_s);
        makeExecutable(sim + u"/cleartool"_s);
        const QByteArray saved = qgetenv("PATH");
        qputenv("PATH", QString(u"/nonexistent/bin"_s + QDir::listSeparator() + sim).toLocal8Bit());
        const ClearCaseFound found = ClearCaseDiscovery::discover(root.filePath(u"prog"_s));
        const QString after = qEnvironmentVariable("PATH");
        qputenv("PATH", saved);
        if (found.kind == Kind::Real)
            QSKIP("this machine has ClearCase installed");
        QCOMPARE(found.kind, Kind::Simulated);
        QCOMPARE(after, sim + QDir::listSeparator() + u"/nonexistent/bin"_s);
    }

    void withoutClearCaseLoadingReportsIt()
    {
        try {
            ClearCaseDiscovery::makeClearTool({Kind::None, QString(), QString()})->vobTags();
            QFAIL("no error");
        } catch (const ClearCaseError &e) {
            QVERIFY(e.description().startsWith(u"No ClearCase was found"_s));
            QCOMPARE(e.number(), ErrNo::ClearCase);
        }
    }
};

QTEST_GUILESS_MAIN(TestClearCaseDiscovery)
#include "tst_clearcasediscovery.moc"
