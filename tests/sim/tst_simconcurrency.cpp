#include "sim/DemoRegion.h"
#include "sim/RegionStore.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <memory>
#include <vector>

using namespace quorvane::ccsim;
using namespace Qt::StringLiterals;

namespace {

const QString kSimDir = u"" QUORVANE_BIN_DIR "/sim"_s;
// How long the writers keep going, and how long the test may take at most
// on a machine that runs other work.
constexpr int kLoadMs = 15000;
constexpr int kEndMs = 120000;
#ifdef Q_OS_WIN
// Under Wine every program start and every file goes through the one wine
// server: fifty writers on a slow machine once outlasted the end above, and
// writing 2000 VOBs alone takes 40 s there. Ten writers on 200 VOBs still
// meet at the region's lock on every turn.
constexpr int kWriters = 10;
constexpr int kRegionVobs = 200;
#else
constexpr int kWriters = 50;
constexpr int kRegionVobs = 2000;
#endif
constexpr int kVobs = 5;

struct Outcome {
    QString command;
    int status = -1;
    QString err;
};

} // namespace

// The simulated region under many writers at once: fifty programs changing
// five VOBs of a 2000-VOB region (less on Windows) over and over (new work,
// exports, epoch rows taken from the hosts) while readers list the same VOBs.
// Every command gets the lock within its wait, every change is kept, and no
// reader meets a half-written VOB.
class TestSimConcurrency : public QObject {
    Q_OBJECT

    QTemporaryDir m_region;
    std::vector<std::unique_ptr<QProcess>> m_processes;
    QList<Outcome> m_outcomes;
    QDeadlineTimer m_load;
    int m_running = 0;
    int m_unstarted = 0;

    // Runs program with args, again each time it ends, until the load ends.
    // What a reader must see of a whole VOB: its three replicas.
    void keepRunning(const QString &program, const QStringList &args)
    {
        QProcess *process = m_processes.emplace_back(std::make_unique<QProcess>()).get();
        QProcessEnvironment e = QProcessEnvironment::systemEnvironment();
        e.insert(u"CCSIM_REGION"_s, m_region.path());
        process->setProcessEnvironment(e);
        const auto start = [this, process, program, args] {
            ++m_running;
            process->start(kSimDir + u'/' + program, args);
        };
        connect(process, &QProcess::finished, this, [this, process, program, args, start] {
            --m_running;
            const QStringList out = QString::fromUtf8(process->readAllStandardOutput()).split(u'\n', Qt::SkipEmptyParts);
            const bool whole = program != u"cleartool"_s || out.size() == 3;
            m_outcomes << Outcome{program + u' ' + args.join(u' '),
                                  process->exitStatus() == QProcess::NormalExit ? process->exitCode() : -1,
                                  QString::fromUtf8(process->readAllStandardError()) +
                                      (whole ? QString() : u"incomplete listing: "_s + out.join(u'|'))};
            if (!m_load.hasExpired())
                start();
        });
        // A program the system could not start ran no command and emits no
        // finished(). A loaded wine server may refuse one now and then, so
        // the writer tries again; a program that never starts is reported.
        connect(process, &QProcess::errorOccurred, this, [this, process, program, start](QProcess::ProcessError error) {
            if (error != QProcess::FailedToStart)
                return;
            --m_running;
            ++m_unstarted;
            qWarning("%s did not start: %s", qPrintable(program), qPrintable(process->errorString()));
            if (!m_load.hasExpired())
                QTimer::singleShot(250, this, start);
        });
        start();
    }

private slots:
    void manyWritersOverSeveralVobs()
    {
        const RegionStore store(m_region.path());
        store.replace(DemoRegion::generate(QDateTime::currentDateTimeUtc(), kRegionVobs, 0.5, 3, 11));
        const QStringList tags{u"/vobs/gen000"_s, u"/vobs/gen001"_s, u"/vobs/gen002"_s, u"/vobs/gen003"_s,
                               u"/vobs/gen004"_s};
        const Region start = store.read(tags);
        QCOMPARE(start.vobs.size(), kVobs);
        for (const Vob &v : start.vobs)
            QCOMPARE(v.replicas.size(), 3);

        m_load = QDeadlineTimer(kLoadMs);
        for (int i = 0; i < kWriters; ++i) {
            const Vob &v = start.vobs.at(i % kVobs);
            const QString sibling = v.replicas.at(v.replicas.at(0).name == v.local ? 1 : 0).name + u'@' + v.tag;
            if (i < kWriters * 7 / 10)
                keepRunning(u"ccsim"_s, {u"work"_s, v.replicas.at((i / kVobs) % 3).name + u'@' + v.tag, u"1"_s});
            else if (i < kWriters * 9 / 10)
                keepRunning(u"multitool"_s, {u"syncreplica"_s, u"-export"_s, u"-fship"_s, sibling});
            else
                keepRunning(u"multitool"_s, {u"chepoch"_s, u"-actual"_s, sibling});
        }
        for (int i = 0; i < 3; ++i)
            keepRunning(u"cleartool"_s, {u"lsreplica"_s, u"-s"_s, u"-invob"_s, start.vobs.at(i).tag});
        if (!QTest::qWaitFor([this] { return m_load.hasExpired() && m_running == 0; }, kEndMs)) {
            // Which command hangs says whether the region's lock or the
            // system under it is at fault.
            QStringList running;
            for (const auto &p : m_processes) {
                if (p->state() != QProcess::NotRunning)
                    running << QFileInfo(p->program()).fileName() + u' ' + p->arguments().join(u' ') +
                                   (p->state() == QProcess::Starting ? u" (starting)"_s : QString());
            }
            QFAIL(qPrintable(u"%1 programs still running: %2"_s.arg(m_running).arg(running.join(u"; "_s))));
        }

        QMap<QString, int> work;    // replica@tag -> successful work
        QMap<QString, int> exports; // tag -> successful exports
        int failed = 0;
        for (const Outcome &o : std::as_const(m_outcomes)) {
            if (o.status != 0 || !o.err.isEmpty()) {
                if (++failed <= 5)
                    qWarning("%s: status %d: %s", qPrintable(o.command), o.status, qPrintable(o.err));
                continue;
            }
            const QStringList words = o.command.split(u' ');
            if (words.at(1) == u"work"_s)
                ++work[words.at(2)];
            else if (words.at(1) == u"syncreplica"_s)
                ++exports[words.last().section(u'@', 1)];
        }
        QCOMPARE(failed, 0);
        QVERIFY2(m_unstarted * 10 < m_outcomes.size(),
                 qPrintable(u"%1 starts failed against %2 commands"_s.arg(m_unstarted).arg(m_outcomes.size())));
        qInfo("%lld commands, none refused", qlonglong(m_outcomes.size()));

        const Region end = RegionStore(m_region.path()).read(tags);
        for (const Vob &before : start.vobs) {
            const Vob &after = *end.vob(before.tag);
            for (const Replica &r : before.replicas) {
                const QString key = r.name + u'@' + before.tag;
                QCOMPARE(after.replica(r.name)->own.value(r.name), r.own.value(r.name) + work.value(key));
            }
            QCOMPARE(after.packetSeq, before.packetSeq + exports.value(before.tag));
        }
        QCOMPARE(store.logText().count(u'\n'), m_outcomes.size());
        QStringList leftovers = QDir(m_region.path()).entryList({u"*.json.*"_s, u"*.index.*"_s}, QDir::Files);
        leftovers += QDir(m_region.path() + u"/vobs"_s).entryList({u"*.json.*"_s}, QDir::Files);
        QVERIFY2(leftovers.isEmpty(), qPrintable(leftovers.join(u", "_s)));
    }
};

QTEST_GUILESS_MAIN(TestSimConcurrency)
#include "tst_simconcurrency.moc"
