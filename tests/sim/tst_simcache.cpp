#include "SimHarness.h"

#include "sim/CommandError.h"
#include "sim/CommandLine.h"

#include <QFile>
#include <QJsonDocument>
#include <QSaveFile>
#include <QTest>

#include <functional>

using namespace quorvane::ccsim;
using namespace quorvane::ccsim::test;

namespace {

const QString CT = QStringLiteral("cleartool");
const QString MT = QStringLiteral("multitool");
const QString SIM = QStringLiteral("ccsim");
const QString kFix = QStringLiteral("/vobs/fix");

// The lines of a co-process session. Before handing out a line it runs what
// is registered for it, as another process would between two commands.
class SessionInput final : public Input {
public:
    QStringList lines;
    QMap<qsizetype, std::function<void()>> before;

    std::optional<QString> readLine() override
    {
        if (m_next >= lines.size())
            return std::nullopt;
        if (const auto hook = before.value(m_next))
            hook();
        return lines.at(m_next++);
    }

private:
    qsizetype m_next = 0;
};

// Another invocation: its own store on the same folder.
struct Invocation {
    RegionStore store;
    BufferOutput output;
    QueueInput input;

    explicit Invocation(const QString &directory) : store(directory) {}

    // What the command prints, merged, followed by the status line a
    // co-process would add as its command number n.
    QString answer(const QString &tool, const QString &line, int n)
    {
        Context ctx{tool, store, output, input, QStringLiteral("other"), 888, [](int) {}};
        const int status = Dispatcher::execute(tool, CommandLine::split(line), ctx);
        return output.merged + QStringLiteral("Command %1 returned status %2\n").arg(n).arg(status);
    }
};

QString answerOf(const QString &directory, const QString &tool, const QString &line, int n)
{
    return Invocation(directory).answer(tool, line, n);
}

// Runs lines as one co-process session on the harness's store.
QString session(Harness &h, const QString &tool, SessionInput &input)
{
    h.output.clear();
    Context ctx{tool, *h.store, h.output, input, QStringLiteral("tester"), 777, [](int) {}};
    Dispatcher::interactive(tool, true, false, QString(), ctx);
    return h.output.merged;
}

qint64 alphaOwn(const Region &region)
{
    return region.vob(kFix)->localReplica().own.value(QStringLiteral("alpha"));
}

void work(const RegionStore &store, qint64 n)
{
    store.modify([n](Region &r) {
        Replica &a = r.vob(kFix)->localReplica();
        a.own[a.name] += n;
    });
}

} // namespace

// A store keeps the region between commands: read-only commands are answered
// without parsing the file again, and every change by another invocation is
// seen by the very next command.
class TestSimCache : public QObject {
    Q_OBJECT
private slots:
    void readOnlyCommandsAnsweredFromMemory()
    {
        Harness h;
        const QStringList lines{QStringLiteral("lsvob -s"),
                                QStringLiteral("lsvob -long /vobs/fix"),
                                QStringLiteral("lsreplica -siblings -s -invob /vobs/fix"),
                                QStringLiteral("lsreplica -fmt \"%n,%[replica_host]p,\" -invob /vobs/fix"),
                                QStringLiteral("desc -fmt \"%[replica_name]p\" vob:/vobs/plain"),
                                QStringLiteral("describe replica:beta@/vobs/fix"),
                                QStringLiteral("lsreplica -s -invob /vobs/none")};
        SessionInput input;
        input.lines = lines + lines;
        QString expected;
        for (int i = 0; i < input.lines.size(); ++i)
            expected += answerOf(h.dir.path(), CT, input.lines[i], i + 1);
        const qint64 generation = RegionStamp::readGeneration(h.store->generationFile());

        QCOMPARE(session(h, CT, input), expected);
        // The harness wrote the region through this store, which kept it.
        QCOMPARE(h.store->loads(), 0);
        QCOMPARE(RegionStamp::readGeneration(h.store->generationFile()), generation);

        // A store that starts cold parses once, then no more.
        RegionStore cold(h.dir.path());
        for (int i = 0; i < 5; ++i)
            QCOMPARE(alphaOwn(cold.read()), 10);
        QCOMPARE(cold.loads(), 1);
    }

    void nextCommandSeesOtherInvocation_data()
    {
        QTest::addColumn<QString>("tool");
        QTest::addColumn<QString>("query");
        QTest::addColumn<QString>("changer");
        QTest::addColumn<QString>("change");
        QTest::newRow("work, file keeps its size") << MT << QStringLiteral("lsepoch alpha@/vobs/fix") << SIM
                                                   << QStringLiteral("work alpha@/vobs/fix 1");
        QTest::newRow("host offline") << MT << QStringLiteral("lsepoch -actual beta@/vobs/fix") << SIM
                                      << QStringLiteral("offline beta@/vobs/fix");
        QTest::newRow("chepoch") << MT << QStringLiteral("lsepoch beta@/vobs/fix") << MT
                                 << QStringLiteral("chepoch -force beta@/vobs/fix alpha=9");
        QTest::newRow("export") << MT << QStringLiteral("lsepoch -invob /vobs/fix") << MT
                                << QStringLiteral("syncreplica -export -fship beta@/vobs/fix");
        QTest::newRow("region replaced") << CT << QStringLiteral("lsvob -s") << SIM << QStringLiteral("demo");
    }
    void nextCommandSeesOtherInvocation()
    {
        QFETCH(QString, tool);
        QFETCH(QString, query);
        QFETCH(QString, changer);
        QFETCH(QString, change);
        Harness h;
        const QString before = answerOf(h.dir.path(), tool, query, 1);
        QString after;
        SessionInput input;
        input.lines = QStringList{query, query, query};
        input.before.insert(1, [&] {
            QCOMPARE(h.store->loads(), 0);
            Invocation other(h.dir.path());
            QVERIFY(other.answer(changer, change, 1).endsWith(QLatin1String("status 0\n")));
            after = answerOf(h.dir.path(), tool, query, 2);
        });
        const QString got = session(h, tool, input);
        QVERIFY(before != QString(after).replace(QStringLiteral("Command 2"), QStringLiteral("Command 1")));
        QCOMPARE(got, before + after + QString(after).replace(QStringLiteral("Command 2"), QStringLiteral("Command 3")));
        QCOMPARE(h.store->loads(), 1);
    }

    void quickWritesOfTheSameSize()
    {
        // The file's size and times may well not change between such writes;
        // the counter does.
        Harness h;
        const RegionStore other(h.dir.path());
        for (int i = 1; i <= 40; ++i) {
            work(other, 1);
            QCOMPARE(alphaOwn(h.store->read()), 10 + i);
        }
        QCOMPARE(h.store->loads(), 40);
        QCOMPARE(RegionStamp::readGeneration(h.store->generationFile()), 41); // the harness wrote first
    }

    void counterAloneMeansChanged()
    {
        // A writer may replace the file so quickly that nothing about the
        // file itself tells; the counter alone must make the store look again.
        Harness h;
        h.store->read();
        QVERIFY(RegionStamp::bumpGeneration(h.store->generationFile(), nullptr));
        h.store->read();
        QCOMPARE(h.store->loads(), 1);
        h.store->read();
        QCOMPARE(h.store->loads(), 1);
    }

    void writerWithoutCounter_data()
    {
        QTest::addColumn<bool>("inPlace");
        QTest::addColumn<qint64>("added"); // to alpha's own count
        QTest::newRow("renamed, same size") << false << qint64(1);
        QTest::newRow("in place, other size") << true << qint64(1000);
    }
    void writerWithoutCounter()
    {
        QFETCH(bool, inPlace);
        QFETCH(qint64, added);
        Harness h;
        QCOMPARE(alphaOwn(h.store->read()), 10);
        Region changed = fixtureRegion();
        changed.vob(kFix)->localReplica().own[QStringLiteral("alpha")] += added;
        const QByteArray json = QJsonDocument(changed.toJson()).toJson(QJsonDocument::Indented);
        if (inPlace) {
            QFile file(h.store->stateFile());
            QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
            QCOMPARE(file.write(json), json.size());
        } else {
            QSaveFile file(h.store->stateFile());
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write(json);
            QVERIFY(file.commit());
        }
        QCOMPARE(alphaOwn(h.store->read()), 10 + added);
        QCOMPARE(h.store->loads(), 1);
    }

    void damagedFileNotMaskedByMemory()
    {
        Harness h;
        h.store->read();
        QFile file(h.store->stateFile());
        QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write("{ \"format\": 1, \"vobs\": [");
        file.close();
        for (int i = 0; i < 2; ++i) {
            QCOMPARE(h.run(CT, {QStringLiteral("lsvob"), QStringLiteral("-s")}), 1);
            QVERIFY2(h.output.errText.contains(QLatin1String("is damaged")), qPrintable(h.output.errText));
            QCOMPARE(h.output.outText, QString());
        }
        RegionStore(h.dir.path()).replace(fixtureRegion());
        QCOMPARE(h.run(CT, {QStringLiteral("lsvob"), QStringLiteral("-s")}), 0);
        QCOMPARE(h.output.outText, QStringLiteral("/vobs/fix\n/vobs/plain\n"));
    }

    void changeAppliesToFreshestState()
    {
        Harness h;
        QCOMPARE(alphaOwn(h.store->read()), 10);
        work(RegionStore(h.dir.path()), 5);
        work(*h.store, 1); // must not lose the other invocation's 5
        QCOMPARE(alphaOwn(RegionStore(h.dir.path()).read()), 16);
        QCOMPARE(alphaOwn(h.store->read()), 16);
        QCOMPARE(h.store->loads(), 1); // the change re-read, its own write did not need to
    }

    void failedChangeKeepsRegion()
    {
        Harness h;
        const qint64 generation = RegionStamp::readGeneration(h.store->generationFile());
        QVERIFY_THROWS_EXCEPTION(CommandError, h.store->modify([](Region &r) {
            r.vob(kFix)->localReplica().own[QStringLiteral("alpha")] = 99;
            throw CommandError(QStringLiteral("refused"));
        }));
        QCOMPARE(alphaOwn(h.store->read()), 10);
        QCOMPARE(h.store->loads(), 0);
        QCOMPARE(RegionStamp::readGeneration(h.store->generationFile()), generation);
        QCOMPARE(alphaOwn(RegionStore(h.dir.path()).read()), 10);
    }

    void everyWriteBumpsCounter()
    {
        QTemporaryDir dir;
        const RegionStore store(dir.path() + QStringLiteral("/region"));
        QCOMPARE(RegionStamp::readGeneration(store.generationFile()), 0);
        QVERIFY(store.read().vob(QStringLiteral("/vobs/dev"))); // seeds the demo
        QCOMPARE(RegionStamp::readGeneration(store.generationFile()), 1);
        QCOMPARE(store.loads(), 0);
        store.replace(fixtureRegion());
        work(store, 2);
        QCOMPARE(RegionStamp::readGeneration(store.generationFile()), 3);
        QCOMPARE(alphaOwn(RegionStore(store.directory()).read()), 12);

        QFile counter(store.generationFile());
        QVERIFY(counter.open(QIODevice::WriteOnly | QIODevice::Truncate));
        counter.write("garbage\n");
        counter.close();
        QCOMPARE(RegionStamp::readGeneration(store.generationFile()), -1);
        work(store, 1);
        QCOMPARE(RegionStamp::readGeneration(store.generationFile()), 1);
    }
};

QTEST_GUILESS_MAIN(TestSimCache)
#include "tst_simcache.moc"
