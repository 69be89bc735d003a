#include "sim/DemoRegion.h"

#include "sim/Replication.h"
#include "sim/Shipping.h"

#include <QCryptographicHash>
#include <QRandomGenerator>

#include <cmath>

namespace quorvane::ccsim::DemoRegion {

namespace {

const QStringList kUsers{QStringLiteral("susan"), QStringLiteral("vobadm"), QStringLiteral("mlopez"),
                         QStringLiteral("ccadmin")};

struct Site {
    QString name;
    QString host;
    QString master; // empty: mastered by the local replica (it created it)
    bool selfMastered = false;
};

QString storageFor(const QString &tag, const QString &host)
{
    return QStringLiteral("/net/%1/vobstore/%2.vbs").arg(host, tag.section(QLatin1Char('/'), -1));
}

// Grows one VOB family through time: creation, rounds of work, imports and
// exports, so that rows, estimates and histories agree with each other.
class Family final {
public:
    // Histories run from start; the scheduled rounds end a little before end.
    Family(const QString &tag, const QDateTime &start, const QDateTime &end, quint32 seed) : m_rng(seed), m_end(end)
    {
        m_vob.tag = tag;
        m_vob.created = start;
        m_at.now = start;
        m_at.pid = 4000 + static_cast<qint64>(seed % 5000);
        m_at.user = kUsers.first();
    }

    void create(const QList<Site> &sites)
    {
        const Site &home = sites.first();
        m_vob.local = home.name;
        m_vob.storage = storageFor(m_vob.tag, home.host);
        for (const Site &s : sites) {
            Replica r;
            r.name = s.name;
            r.host = s.host;
            r.master = home.name;
            r.oid = oidFor(m_vob.tag, s.name);
            r.owner = QStringLiteral("vobadm");
            r.created = m_at.now;
            r.history << HistoryEvent{m_at.now, r.owner, QStringLiteral("create replica \"%1\"").arg(s.name),
                                      s.name == home.name ? QStringLiteral("Created with the VOB.")
                                                          : QStringLiteral("Replica created on host \"%1\".").arg(s.host),
                                      false};
            m_vob.replicas << r;
            // Creating a replica is itself an operation at the home replica.
            Replication::addWork(m_vob, home.name, 1);
            if (s.name != home.name)
                m_vob.table.insert(s.name, completeRow(m_vob, Row{}));
            advance(60, 600);
        }
        for (const Site &s : sites) {
            const QString master = s.selfMastered ? s.name : s.master;
            if (!master.isEmpty() && master != home.name)
                changeMaster(s.name, master);
        }
    }

    void changeMaster(const QString &replica, const QString &master)
    {
        Replica *r = m_vob.replica(replica);
        r->history << HistoryEvent{m_at.now, m_at.user,
                                   QStringLiteral("change master to \"%1\" of replica \"%2\"").arg(master, replica),
                                   QStringLiteral("Changed master replica from \"%1\" to \"%2\".").arg(r->master, master),
                                   true};
        r->master = master;
        advance(30, 300);
    }

    void advance(int minSeconds, int maxSeconds)
    {
        m_at.now = m_at.now.addSecs(m_rng.bounded(minSeconds, maxSeconds + 1));
    }
    void advanceHours(int lo, int hi) { advance(lo * 3600, hi * 3600); }

    void work(const QString &replica, int lo, int hi)
    {
        Replication::addWork(m_vob, replica, m_rng.bounded(lo, hi + 1));
    }
    void workEverywhere(int lo, int hi)
    {
        for (const Replica &r : m_vob.replicas)
            work(r.name, lo, hi);
    }
    void setReachable(const QString &replica, bool on) { m_vob.replica(replica)->reachable = on; }
    void setLosing(const QString &replica, bool on) { m_vob.replica(replica)->losesPackets = on; }
    void advanceTo(const QDateTime &at) { m_at.now = std::max(m_at.now, at); }
    // The hourly shipping_server -poll.
    void poll() { Shipping::ship(m_vob, m_at.now); }

    // Synchronization with some siblings only (a hub topology): import from
    // the reachable ones, export to those named.
    void syncWith(const QStringList &targets)
    {
        Replication::importReceive(m_vob, m_at);
        advance(20, 240);
        for (const QString &t : targets)
            exportTo(t);
    }
    // Two siblings exchange directly, outside this site's view.
    void exchange(const QString &a, const QString &b)
    {
        Replica *ra = m_vob.replica(a);
        Replica *rb = m_vob.replica(b);
        for (Replica *r : {ra, rb}) {
            Replica *other = r == ra ? rb : ra;
            for (auto it = other->own.cbegin(); it != other->own.cend(); ++it)
                r->own[it.key()] = std::max(r->own.value(it.key()), it.value());
        }
    }
    // The sibling's scheduled export to this site, arriving at arrives (an
    // invalid time: at once, into the incoming bay).
    void siblingExport(const QString &from, const QDateTime &arrives)
    {
        Replica &s = *m_vob.replica(from);
        Replica &local = m_vob.localReplica();
        Packet p;
        p.name = Replication::packetName(s.name, m_at.now, m_at.pid, ++m_vob.packetSeq);
        p.from = s.name;
        p.to = local.name;
        p.created = m_at.now;
        p.base = completeRow(m_vob, s.believesLocal.isEmpty() ? local.own : s.believesLocal);
        p.upto = completeRow(m_vob, s.own);
        s.believesLocal = p.upto;
        if (arrives.isValid()) {
            p.arrives = arrives;
            m_vob.inTransit << p;
        } else {
            local.incoming << p;
        }
        advance(5, 90);
    }
    // This site's oplog keeps the entries of origin above upto only.
    void scrub(const QString &origin, qint64 upto) { m_vob.localReplica().scrubbed[origin] = upto; }
    qint64 own(const QString &replica, const QString &origin) { return m_vob.replica(replica)->own.value(origin); }

    // One scheduled synchronization: import, then export to every sibling.
    void sync()
    {
        m_at.user = kUsers.at(m_rng.bounded(static_cast<int>(kUsers.size())));
        Replication::importReceive(m_vob, m_at);
        advance(20, 240);
        for (const Replica &r : m_vob.replicas) {
            if (r.name != m_vob.local)
                exportTo(r.name);
        }
    }
    void exportTo(const QString &replica)
    {
        Replication::exportTo(m_vob, replica, m_at, true);
        advance(5, 90);
    }

    // n synchronization rounds spread over the time left, with lo..hi new
    // operations at every replica before each.
    void rounds(int n, int lo, int hi)
    {
        for (int i = 0; i < n; ++i) {
            workEverywhere(lo, hi);
            const qint64 spacing = m_at.now.secsTo(m_end) / (n - i + 1);
            advance(int(spacing * 3 / 4), int(spacing));
            sync();
        }
    }

    QRandomGenerator &rng() { return m_rng; }
    Vob take() { return m_vob; }

private:
    QRandomGenerator m_rng;
    QDateTime m_end;
    Vob m_vob;
    Moment m_at;
};

Vob unreplicated(const QString &tag, const QDateTime &now, quint32 seed)
{
    QRandomGenerator rng(seed);
    const QDateTime created = now.addDays(-rng.bounded(300, 2000)).addSecs(rng.bounded(0, 86400));
    Vob v;
    v.tag = tag;
    v.local = QStringLiteral("original");
    v.storage = storageFor(tag, QStringLiteral("minuteman"));
    v.created = created;
    Replica r;
    r.name = v.local;
    r.host = QStringLiteral("minuteman");
    r.master = v.local;
    r.oid = oidFor(tag, r.name);
    r.owner = QStringLiteral("vobadm");
    r.created = created;
    r.own.insert(r.name, rng.bounded(40, 6000));
    r.history << HistoryEvent{created, r.owner, QStringLiteral("create replica \"original\""),
                              QStringLiteral("Created with the VOB."), false};
    v.replicas << r;
    return v;
}

Site site(const char *name, const char *host, const char *master = nullptr)
{
    Site s{QString::fromLatin1(name), QString::fromLatin1(host), QString(), master == nullptr};
    if (master)
        s.master = QString::fromLatin1(master);
    return s;
}

} // namespace

QString oidFor(const QString &tag, const QString &replica)
{
    const QByteArray h =
        QCryptographicHash::hash(QString(tag + QLatin1Char(':') + replica).toUtf8(), QCryptographicHash::Md5).toHex();
    QString s = QString::fromLatin1(h.left(8)) + QLatin1Char('.') + QString::fromLatin1(h.mid(8, 8))
        + QLatin1Char('.') + QString::fromLatin1(h.mid(16, 4)) + QLatin1Char('.');
    for (int i = 0; i < 6; ++i) {
        if (i > 0)
            s += QLatin1Char(':');
        s += QString::fromLatin1(h.mid(20 + 2 * i, 2));
    }
    return s;
}

Region build(const QDateTime &now)
{
    Region region;
    const QDateTime start = now.addDays(-210);
    const QDateTime end = now.addDays(-3);
    const QString hub = QStringLiteral("boston_hub");

    Family dev(QStringLiteral("/vobs/dev"), start, end, 11);
    dev.create({site("boston_hub", "minuteman"), site("sanfran_hub", "goldengate"),
                site("bangalore", "ramohalli", "boston_hub")});
    dev.rounds(12, 5, 80);
    region.vobs << dev.take();

    // A packet to london was lost on the way (its host was down); a later
    // one arrived but waits there for the changes the lost one carried.
    Family tools(QStringLiteral("/vobs/tools"), start.addDays(3), end.addDays(-4), 23);
    tools.create({site("boston_hub", "minuteman"), site("london", "thames"), site("tokyo", "fuji", "boston_hub")});
    tools.rounds(11, 5, 60);
    tools.work(hub, 20, 40);
    tools.advanceHours(20, 30);
    tools.setLosing(QStringLiteral("london"), true);
    tools.exportTo(QStringLiteral("london"));
    tools.setLosing(QStringLiteral("london"), false);
    tools.exportTo(QStringLiteral("tokyo"));
    tools.work(hub, 8, 15);
    tools.advanceHours(20, 30);
    tools.exportTo(QStringLiteral("london"));
    tools.exportTo(QStringLiteral("tokyo"));
    tools.work(QStringLiteral("london"), 3, 9);
    region.vobs << tools.take();

    // sydney's host went off the network; the exports to it since were
    // lost on the way (its mail route dropped them).
    Family web(QStringLiteral("/vobs/web"), start.addDays(7), end, 37);
    web.create({site("boston_hub", "minuteman"), site("sanfran_hub", "goldengate"),
                site("sydney", "harbour", "sanfran_hub"), site("paris", "seine")});
    web.rounds(10, 5, 70);
    web.work(QStringLiteral("sydney"), 10, 30);
    web.setReachable(QStringLiteral("sydney"), false);
    web.setLosing(QStringLiteral("sydney"), true);
    web.rounds(2, 5, 40);
    web.setLosing(QStringLiteral("sydney"), false);
    region.vobs << web.take();

    // Eight sites; recent work everywhere that no sync has carried yet.
    Family core(QStringLiteral("/vobs/core"), start.addDays(1), end.addDays(-2), 41);
    core.create({site("boston_hub", "minuteman"), site("sanfran_hub", "goldengate"),
                 site("bangalore", "ramohalli", "boston_hub"), site("london", "thames"),
                 site("tokyo", "fuji", "sanfran_hub"), site("paris", "seine", "sanfran_hub"),
                 site("berlin", "spree"), site("toronto", "cntower", "boston_hub")});
    core.rounds(12, 10, 120);
    core.advanceHours(10, 40);
    for (const char *name : {"boston_hub", "sanfran_hub", "tokyo", "berlin"})
        core.work(QString::fromLatin1(name), 5, 60);
    region.vobs << core.take();

    // A small family whose replicas carry their own names; the last local
    // work has not been exported yet.
    Family docs(QStringLiteral("/vobs/docs"), start.addDays(20), end.addDays(-1), 53);
    docs.create({site("bos_docs", "minuteman"), site("sf_docs", "goldengate", "bos_docs")});
    docs.rounds(9, 2, 30);
    docs.work(QStringLiteral("bos_docs"), 4, 12);
    region.vobs << docs.take();

    // sanfran_hub's packet waits in the incoming bay for an earlier one,
    // which took a slower route and arrives a day from now.
    Family mobile(QStringLiteral("/vobs/mobile"), start.addDays(30), end.addDays(-2), 61);
    mobile.create({site("boston_hub", "minuteman"), site("sanfran_hub", "goldengate"),
                   site("bangalore", "ramohalli", "boston_hub")});
    mobile.rounds(8, 5, 60);
    mobile.advanceTo(now.addDays(-3));
    mobile.work(QStringLiteral("sanfran_hub"), 40, 90);
    mobile.siblingExport(QStringLiteral("sanfran_hub"), now.addDays(1).addSecs(-3 * 3600));
    mobile.advanceHours(10, 20);
    mobile.work(QStringLiteral("sanfran_hub"), 10, 30);
    mobile.siblingExport(QStringLiteral("sanfran_hub"), QDateTime());
    mobile.advanceHours(1, 3);
    mobile.sync();
    region.vobs << mobile.take();

    // singapore's host has been down for five days: the exports to it wait
    // in the outgoing bay, their shipping orders running out.
    Family firmware(QStringLiteral("/vobs/firmware"), start.addDays(15), now.addDays(-6), 67);
    firmware.create({site("boston_hub", "minuteman"), site("sanfran_hub", "goldengate"),
                     site("singapore", "merlion", "sanfran_hub")});
    firmware.rounds(9, 5, 50);
    firmware.setReachable(QStringLiteral("singapore"), false);
    firmware.advanceTo(now.addDays(-5));
    firmware.workEverywhere(3, 20);
    firmware.sync();
    firmware.advanceTo(now.addDays(-2));
    firmware.work(QStringLiteral("boston_hub"), 5, 15);
    firmware.sync();
    firmware.poll();
    region.vobs << firmware.take();

    // oslo's host was down when the last export to it was made; its order
    // expired and the packet came back to the return bay. The host is up
    // again, but nothing will send those changes unless asked.
    Family installer(QStringLiteral("/vobs/installer"), start.addDays(10), now.addDays(-25), 71);
    installer.create({site("boston_hub", "minuteman"), site("oslo", "fjord")});
    installer.rounds(8, 3, 40);
    installer.work(QStringLiteral("boston_hub"), 10, 30);
    installer.setReachable(QStringLiteral("oslo"), false);
    installer.advanceTo(now.addDays(-21));
    installer.exportTo(QStringLiteral("oslo"));
    installer.advanceTo(now.addDays(-7).addSecs(3600));
    installer.poll();
    installer.setReachable(QStringLiteral("oslo"), true);
    region.vobs << installer.take();

    // tokyo was kept in step through sanfran_hub only, so this site's row
    // for it is still all zeros; this site's oplog has since been scrubbed,
    // and a direct export to tokyo cannot find the entries it would start
    // from.
    Family portal(QStringLiteral("/vobs/portal"), start.addDays(5), end.addDays(-1), 73);
    portal.create({site("boston_hub", "minuteman"), site("sanfran_hub", "goldengate"),
                   site("tokyo", "fuji", "sanfran_hub")});
    portal.setReachable(QStringLiteral("tokyo"), false);
    for (int i = 0; i < 9; ++i) {
        portal.workEverywhere(5, 60);
        portal.advanceHours(100, 200);
        portal.syncWith({QStringLiteral("sanfran_hub")});
        portal.exchange(QStringLiteral("sanfran_hub"), QStringLiteral("tokyo"));
    }
    portal.setReachable(QStringLiteral("tokyo"), true);
    portal.scrub(hub, portal.own(QStringLiteral("tokyo"), hub) * 2 / 3);
    region.vobs << portal.take();

    quint32 seed = 100;
    for (const char *tag : {"/vobs/admin", "/vobs/build", "/vobs/legacy", "/vobs/qa", "/vobs/release",
                            "/vobs/sandbox", "/vobs/thirdparty", "/vobs/vendor"})
        region.vobs << unreplicated(QString::fromLatin1(tag), now, ++seed);
    return region;
}

Region generate(const QDateTime &now, int vobs, double replicatedFraction, int replicas, quint32 seed, int hosts)
{
    Region region;
    QRandomGenerator rng(seed);
    const int replicated = static_cast<int>(std::lround(std::clamp(replicatedFraction, 0.0, 1.0) * vobs));
    // Host 0 is this site's; the siblings' hosts are 1 .. remote.
    const int remote = std::max(hosts, replicas) - 1;
    for (int i = 0; i < vobs; ++i) {
        const QString tag = QStringLiteral("/vobs/gen%1").arg(i, 3, 10, QLatin1Char('0'));
        if (i >= replicated || replicas < 2) {
            region.vobs << unreplicated(tag, now, rng.generate());
            continue;
        }
        Family f(tag, now.addDays(-120), now.addDays(-2), rng.generate());
        QList<Site> sites;
        for (int k = 0; k < replicas; ++k) {
            // Family i's siblings follow family i-1's round the remote hosts,
            // all different within a family as long as there are enough.
            const int h = k == 0 ? 0 : 1 + (i * (replicas - 1) + k - 1) % remote;
            Site s{QStringLiteral("site%1").arg(h, 2, 10, QLatin1Char('0')),
                   QStringLiteral("host%1").arg(h, 2, 10, QLatin1Char('0')), QString(), k % 3 != 2};
            sites << s;
        }
        for (Site &s : sites) {
            if (!s.selfMastered)
                s.master = sites.value(1).name;
        }
        f.create(sites);
        f.rounds(6, 1, 40);
        // Every third VOB keeps unsynchronized work at a few sites.
        if (i % 3 == 0) {
            for (int k = 0; k < replicas; k += 2)
                f.work(sites.at(k).name, 1, 25);
        }
        region.vobs << f.take();
    }
    return region;
}

} // namespace quorvane::ccsim::DemoRegion
