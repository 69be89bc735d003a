// "Load VOBs" end to end: the simulated region found by discovery, reached
// through the real cleartool co-process.
#include "ccase/ClearCaseDiscovery.h"
#include "ccase/ClearCaseError.h"
#include "ccase/Commands.h"
#include "ccase/CoprocessClearTool.h"
#include "support/FakeFeedback.h"
#include "ui/LongActionGuard.h"
#include "vobs/VobListPanel.h"

#include <QCheckBox>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLabel>
#include <QListWidget>
#include <QProcess>
#include <QRegularExpression>
#include <QSet>
#include <QTemporaryDir>
#include <QTest>

using namespace quorvane;

namespace {

QStringList entries(const QListWidget *list)
{
    QStringList out;
    for (int i = 0; i < list->count(); ++i)
        out << list->item(i)->text();
    return out;
}

} // namespace

class TestVobListSim : public QObject {
    Q_OBJECT

    QTemporaryDir m_region;
    QStringList m_allTags;
    QStringList m_replicatedTags;

    QString simDir() const { return QStringLiteral(QUORVANE_BIN_DIR "/sim"); }

private slots:
    void initTestCase()
    {
        QVERIFY(m_region.isValid());
        qputenv("CCSIM_REGION", m_region.path().toLocal8Bit());
        QProcess demo;
        demo.start(simDir() + QStringLiteral("/ccsim"), {QStringLiteral("demo")});
        QVERIFY(demo.waitForFinished());
        QCOMPARE(demo.exitCode(), 0);

        // The truth, read from the region's own file: a VOB is replicated
        // when its family has more than one replica.
        QFile state(m_region.filePath(QStringLiteral("region.json")));
        QVERIFY(state.open(QIODevice::ReadOnly));
        const QJsonArray vobs = QJsonDocument::fromJson(state.readAll()).object().value(QStringLiteral("vobs")).toArray();
        for (const QJsonValue &v : vobs) {
            const QString tag = v.toObject().value(QStringLiteral("tag")).toString();
            m_allTags << tag;
            if (v.toObject().value(QStringLiteral("replicas")).toArray().size() > 1)
                m_replicatedTags << tag;
        }
        m_allTags.sort();
        m_replicatedTags.sort();
        QVERIFY(!m_replicatedTags.isEmpty());
        QVERIFY(m_replicatedTags.size() < m_allTags.size());
    }

    void loadVobs_data()
    {
        QTest::addColumn<bool>("replicatedOnly");
        QTest::newRow("replicated only") << true;
        QTest::newRow("all") << false;
    }
    void loadVobs()
    {
        QFETCH(bool, replicatedOnly);
        // Nothing on PATH and no install folders: the simulated region beside the program.
        const ClearCaseFound found = ClearCaseDiscovery::find(QStringLiteral(QUORVANE_BIN_DIR), QString(), {});
        QCOMPARE(found.kind, ClearCaseFound::Kind::Simulated);
        const auto tool = ClearCaseDiscovery::makeClearTool(found);

        test::FakeFeedback feedback;
        LongActionGuard guard;
        QLabel pictMsgLbl;
        VobListPanel panel(*tool, feedback, guard);
        panel.setPictMsgLabel(&pictMsgLbl);
        panel.findChild<QCheckBox *>(QStringLiteral("onlyReplicatedOnlyCB"))->setChecked(replicatedOnly);
        panel.loadVobsButClick();

        QCOMPARE(entries(panel.list()), replicatedOnly ? m_replicatedTags : m_allTags);
        QVERIFY(feedback.scripted.boxes.isEmpty());
        QVERIFY(pictMsgLbl.isHidden());
        QCOMPARE(feedback.status(), QStringLiteral("Status"));
        QCOMPARE(static_cast<CoprocessClearTool *>(tool.get())->mode(), CoprocessClearTool::Mode::Coprocess);
    }

    // All commands of one load went to one cleartool process.
    void oneProcessServesTheLoad()
    {
        QFile::remove(m_region.filePath(QStringLiteral("commands.log")));
        CoprocessClearTool tool(simDir() + QStringLiteral("/cleartool"));
        test::FakeFeedback feedback;
        LongActionGuard guard;
        VobListPanel panel(tool, feedback, guard);
        panel.loadVobsButClick();

        QFile log(m_region.filePath(QStringLiteral("commands.log")));
        QVERIFY(log.open(QIODevice::ReadOnly));
        const QStringList lines = QString::fromUtf8(log.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
        QCOMPARE(lines.size(), 1 + m_allTags.size()); // lsvob, then one check per VOB
        QSet<QString> pids;
        const QRegularExpression pid(QStringLiteral("\\[(\\d+)\\]"));
        for (const QString &line : lines)
            pids.insert(pid.match(line).captured(1));
        QCOMPARE(pids, QSet<QString>{QString::number(tool.processId())});
    }

    void refusedCommandCarriesClearCaseMessage()
    {
        CoprocessClearTool tool(simDir() + QStringLiteral("/cleartool"));
        try {
            tool.CmdExec(Commands::vobCheck(QStringLiteral("/vobs/nosuch")));
            QFAIL("no error");
        } catch (const ClearCaseError &e) {
            QVERIFY2(e.description().startsWith(QStringLiteral("cleartool: Error:")), qPrintable(e.description()));
            QVERIFY(!e.description().endsWith(QLatin1Char('\n')));
        }
        QCOMPARE(tool.CmdExec(Commands::vobCheck(QStringLiteral("/vobs/admin"))), QString());
        QCOMPARE(tool.mode(), CoprocessClearTool::Mode::Coprocess);
    }
};

QTEST_MAIN(TestVobListSim)
#include "tst_voblist_sim.moc"
