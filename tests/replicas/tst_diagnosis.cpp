// What the diagnosis makes of the two epoch matrices and the packets in
// this site's bays, and the reading of the packet listing it rests on.
#include "replicas/Diagnosis.h"
#include "common/ShownName.h"

#include <QTest>

using namespace quorvane;
using namespace Qt::StringLiterals;

namespace {

// Rows "name,v1,v2,..." apart by blanks.
QStringList rows(const QString &text) { return text.split(u' '); }

// A matrix written as "name,v1,v2,..." lines, as the results files hold it.
EpochTable table(const QStringList &lines)
{
    EpochTable t;
    for (const QString &line : lines) {
        QStringList fields = line.split(u',');
        t.names << fields.takeFirst();
        t.values << fields;
    }
    return t;
}

Finding fix(const QString &text, const QString &replica)
{
    return {text, {Repair::Kind::FixBasedOnActual, replica}, {}};
}

Finding sync(const QString &text, const QString &target = {})
{
    return {text, {Repair::Kind::Synchronize, target}, {}};
}

Finding note(const QString &text, const QStringList &names = {})
{
    return {text, {}, names};
}

// n replicas r0 .. r(n-1), every column `made`, and the rows given
// overriding theirs: row -> its line after the name.
QStringList family(int n, const QString &made, const QHash<int, QString> &rows = {})
{
    QStringList lines;
    for (int i = 0; i < n; ++i)
        lines << u"r%1,"_s.arg(i) + rows.value(i, QStringList(n, made).join(u','));
    return lines;
}

QStringList numbered(int from, int to)
{
    QStringList names;
    for (int i = from; i < to; ++i)
        names << u"r%1"_s.arg(i);
    return names;
}

// boston_hub's three-site family in step: every column one number.
const QStringList inStep = rows(u"boston_hub,365,57,40 london,365,57,40 tokyo,365,57,40"_s);

const QString londonLacks =
    u"london lacks 44 of boston_hub's changes (it holds 321, boston_hub holds 365)."_s;
const QString lostLine = u"This site believes london holds 365 of boston_hub's changes, but it "
                          "holds 321: the packet between was lost, "
                          "and no later export will resend it. Repair: Fix Local Epoch Table "
                          "for london based on actual, then Synchronize."_s;
const QString londonAhead = u"london holds 7 changes that boston_hub and tokyo have not "
                             "received yet (normal until london's next export)."_s;
const QString allInStep =
    u"All replicas are in step: each holds every change, and this site's table agrees."_s;

// A packet as lspacket -long -endrange lists it: made `ago` days before
// kNow; ranges "replica:first-last".
const QDateTime kNow(QDate(2026, 12, 7), QTime(12, 0));

PacketList::Packet packet(PacketList::Bay bay, const QString &from, const QString &to, int ago,
                          const QStringList &ranges, bool importable = false)
{
    PacketList::Packet p;
    p.bay = bay;
    const QString folder = bay == PacketList::Bay::Returned ? u"ms_rtn/incoming"_s
                           : bay == PacketList::Bay::Incoming ? u"ms_ship/incoming"_s
                                                              : u"ms_ship/outgoing"_s;
    p.name = u"sync_%1_%2_4061_3"_s.arg(from, QLocale::c().toString(kNow.addDays(-ago), u"dd-MMM-yy.HH.mm.ss"_s));
    p.path = u"/var/adm/clearcase/shipping/"_s + folder + u'/' + p.name;
    p.targets << PacketList::Target{to, importable, bay == PacketList::Bay::Incoming, {}};
    for (const QString &r : ranges)
        p.ranges << PacketList::Range{r.section(u':', 0, 0), r.section(u':', 1).section(u'-', 0, 0).toLongLong(),
                                      r.section(u'-', 1).toLongLong()};
    PacketList::readName(p);
    return p;
}

BayFacts bays(const QList<PacketList::Packet> &packets)
{
    BayFacts b;
    b.listed = true;
    b.packets = packets;
    b.hosts = {{u"boston_hub"_s, u"minuteman"_s}, {u"sanfran_hub"_s, u"goldengate"_s}, {u"singapore"_s, u"merlion"_s},
               {u"tokyo"_s, u"fuji"_s}, {u"london"_s, u"thames"_s}};
    b.vobTag = u"/vobs/fw"_s;
    b.now = kNow;
    return b;
}

// One packet on a line: bay|name|sender|created|type|targets|origin|ranges|sequence.
QString summary(const PacketList::Packet &p)
{
    static const QStringList bays{u"in"_s, u"out"_s, u"returned"_s, u"elsewhere"_s};
    QStringList targets, ranges;
    for (const PacketList::Target &t : p.targets)
        targets << t.replica + (t.importable ? u"*"_s : QString()) + (t.local ? u" local"_s : QString())
                + (t.tag.isEmpty() ? QString() : u" @"_s + t.tag);
    for (const PacketList::Range &r : p.ranges)
        ranges << u"%1:%2-%3"_s.arg(r.replica).arg(r.first).arg(r.last);
    return QStringList{bays.at(int(p.bay)), p.name, p.sender, p.created.toString(u"yyyy-MM-dd HH:mm:ss"_s), p.type,
                       targets.join(u';'), p.origin, ranges.join(u';'), QString::number(p.sequence)}
        .join(u'|');
}

QStringList texts(const QList<Finding> &found)
{
    QStringList out;
    for (const Finding &f : found)
        out << f.text;
    return out;
}

} // namespace

Q_DECLARE_METATYPE(QList<Finding>)
Q_DECLARE_METATYPE(BayFacts)

class tst_Diagnosis : public QObject {
    Q_OBJECT
private slots:
    void diagnose_data()
    {
        QTest::addColumn<QStringList>("actual");
        QTest::addColumn<QStringList>("local");
        QTest::addColumn<QString>("me");
        QTest::addColumn<QList<Finding>>("expected");
        QTest::addColumn<QStringList>("vob"); // the VOB's replicas; empty: not checked

        const QString me = u"boston_hub"_s;

        QTest::newRow("all in step") << inStep << inStep << me << QList<Finding>{note(allInStep)} << QStringList{};

        QTest::newRow("one replica only")
            << rows(u"original,12"_s) << rows(u"original,12"_s) << u"original"_s << QList<Finding>{note(
                   u"original is the only replica of this VOB: there is nothing to keep in step."_s)} << QStringList{};

        QTest::newRow("nothing read") << QStringList{} << QStringList{} << me << QList<Finding>{} << QStringList{};
        QTest::newRow("only the local matrix read")
            << QStringList{} << inStep << me << QList<Finding>{note(
                   u"The actual epoch table could not be read: what the replicas hold is unknown."_s)} << QStringList{};

        // The packet to london was lost; a later export advanced the belief
        // again. london has also made 7 changes it has not exported yet.
        const QStringList lostActual = rows(u"boston_hub,365,50,40 london,321,57,40 tokyo,365,50,40"_s);
        const QStringList lostLocal = rows(u"boston_hub,365,50,40 london,365,50,40 tokyo,365,50,40"_s);
        // What leads to one repair stands in one finding.
        QTest::newRow("lost packet")
            << lostActual << lostLocal << me
            << QList<Finding>{fix(londonLacks + u' ' + lostLine, u"london"_s), note(londonAhead)} << QStringList{};

        // After "Fix ... based on actual" the belief is london's own row.
        const QStringList fixedLocal = rows(u"boston_hub,365,50,40 london,321,57,40 tokyo,365,50,40"_s);
        QTest::newRow("fixed, not yet sent")
            << lostActual << fixedLocal << me
            << QList<Finding>{sync(u"This site now knows london lacks 44 of boston_hub's changes: "
                                    "Synchronize to send them."_s,
                                   u"london"_s),
                              note(londonAhead)} << QStringList{};

        // A typed value above anything this site holds: no export of this site
        // set it, and exports would skip those changes.
        QTest::newRow("belief ahead")
            << inStep << rows(u"boston_hub,365,57,40 london,400,57,40 tokyo,365,57,40"_s) << me << QList<Finding>{
                   fix(u"This site believes london holds 400 of boston_hub's changes, but it holds "
                        "365 and boston_hub has made 365: exports to london would skip "
                        "boston_hub's changes up to 400. Repair: Fix Local Epoch Table for london "
                        "based on actual."_s,
                       u"london"_s)} << QStringList{};

        QTest::newRow("belief behind")
            << inStep << rows(u"boston_hub,365,57,40 london,300,57,40 tokyo,365,57,40"_s) << me << QList<Finding>{
                   fix(u"This site believes london holds 300 of boston_hub's changes, but it holds "
                        "365: the next export to london sends 65 of them again (harmless; Fix "
                        "Local Epoch Table for london based on actual avoids it)."_s,
                       u"london"_s)} << QStringList{};

        // A low belief about changes this site does not hold costs nothing.
        QTest::newRow("belief behind, nothing to resend")
            << inStep << rows(u"boston_hub,365,57,40 london,365,50,40 tokyo,365,57,40"_s)
            << me << QList<Finding>{note(allInStep)} << QStringList{};

        // The unreachable replica is named after the repair that matters more.
        QTest::newRow("lost packet and an unknown row, most important first")
            << rows(u"boston_hub,365,40,30 london,321,40,30 sydney,?,?,?"_s)
            << rows(u"boston_hub,365,40,30 london,365,40,30 sydney,365,40,30"_s) << me
            << QList<Finding>{fix(londonLacks + u' ' + lostLine, u"london"_s),
                              note(u"sydney cannot be reached: its actual row is unknown."_s)} << QStringList{};

        // " 44" or "-1" is not an epoch number; such a cell counts as unknown,
        // so london's row reads as partly unknown instead of lagging.
        QTest::newRow("numbers must be plain digits")
            << rows(u"boston_hub,365,57 london,-1,57"_s) << rows(u"boston_hub,365,57 london,365,57"_s) << me
            << QList<Finding>{note(u"london's actual row has no value for boston_hub."_s),
                              note(u"All replicas that answered are in step."_s)} << QStringList{};

        QTest::newRow("? in the local matrix")
            << inStep << rows(u"boston_hub,365,57,40 london,365,?,? tokyo,365,57,40"_s) << me << QList<Finding>{fix(
                   u"This site's table has no value for what london holds of london and tokyo's "
                    "changes: Fix Local Epoch Table for london based on actual sets it."_s,
                   u"london"_s)} << QStringList{};

        QTest::newRow("? for a whole row of the local matrix, while london lacks")
            << rows(u"boston_hub,365,57 london,321,57"_s) << rows(u"boston_hub,365,57 london,?,?"_s) << me
            << QList<Finding>{fix(londonLacks +
                                      u" This site's table has no row for london: Fix Local Epoch "
                                       "Table for london based on actual sets it."_s,
                                  u"london"_s)} << QStringList{};

        QTest::newRow("local matrix all ?")
            << inStep << rows(u"boston_hub,?,?,? london,?,?,? tokyo,?,?,?"_s) << me << QList<Finding>{
                   note(u"This site's epoch table could not be read: what it believes the other "
                         "replicas hold is unknown."_s)} << QStringList{};

        // A replica that holds more of an origin's changes than the origin.
        QTest::newRow("origin rolled back")
            << rows(u"boston_hub,365,57 london,365,50"_s) << rows(u"boston_hub,365,57 london,365,50"_s) << me
            << QList<Finding>{note(u"boston_hub holds 57 of london's changes, more than london itself (50): london's own "
                                    "row went back, as after a restore from backup; restore it (restorereplica) before "
                                    "any new work there."_s)} << QStringList{};

        // Only some of london's changes reached tokyo: this site's import can
        // bring what tokyo has; the rest waits for london.
        QTest::newRow("packet waiting in a bay, partly forwarded")
            << rows(u"boston_hub,365,50,40 london,365,57,40 tokyo,365,51,40"_s)
            << rows(u"boston_hub,365,50,40 london,365,50,40 tokyo,365,50,40"_s) << me << QList<Finding>{
                   sync(u"boston_hub (this site) lacks 7 of london's changes (it holds 50, london holds 57); "
                         "tokyo has some of them already, so their packet may be waiting in this site's "
                         "incoming bay: Synchronize to import it."_s),
                   note(u"london holds 6 changes that tokyo has not received yet (normal until "
                         "london's next export)."_s)} << QStringList{};

        // Results that name replicas the VOB does not have: said once, and
        // nothing advised about them, however far behind they are; the VOB's
        // replica without a row is named.
        const QStringList vob{u"boston_hub"_s, u"london"_s, u"tokyo"_s};
        QTest::newRow("another VOB's rows")
            << rows(u"boston_hub,365,57,40 london,365,57,40 sydney,300,57,40"_s)
            << rows(u"boston_hub,365,57,40 london,365,57,40 sydney,365,57,40"_s) << me
            << QList<Finding>{note(u"The results files name replicas this VOB does not have (sydney): "
                                    "they may be another VOB's, and nothing is advised about them."_s),
                              note(u"The results files have no row for tokyo (a replica of this VOB)."_s),
                              note(u"All replicas that answered are in step."_s)}
            << vob;
        QTest::newRow("another VOB's matrix")
            << rows(u"paris,5,5 rome,5,4"_s) << rows(u"paris,5,5 rome,5,5"_s) << me
            << QList<Finding>{note(u"The results files name replicas this VOB does not have (paris and "
                                    "rome): they may be another VOB's, and nothing is advised about "
                                    "them."_s)}
            << vob;
        QTest::newRow("one row of the VOB's three")
            << rows(u"boston_hub,365"_s) << rows(u"boston_hub,365"_s) << me
            << QList<Finding>{note(u"The results files have no row for london and tokyo (replicas of "
                                    "this VOB)."_s)}
            << vob;

        // Long lists are counted, with the names behind the count.
        QTest::newRow("seven replicas wait for one export")
            << family(8, u"8"_s, {{7, u"8,8,8,8,8,8,8,20"_s}}) << family(8, u"8"_s, {{7, u"8,8,8,8,8,8,8,20"_s}})
            << u"r0"_s << QList<Finding>{note(u"7 replicas lack 12 of r7's changes (normal until r7's next export)."_s,
                                   numbered(0, 7))} << QStringList{};
        QTest::newRow("six hosts silent")
            << family(8, u"8"_s, {{2, u"?,?,?,?,?,?,?,?"_s}, {3, u"?,?,?,?,?,?,?,?"_s}, {4, u"?,?,?,?,?,?,?,?"_s},
                                  {5, u"?,?,?,?,?,?,?,?"_s}, {6, u"?,?,?,?,?,?,?,?"_s}, {7, u"?,?,?,?,?,?,?,?"_s}})
            << family(8, u"8"_s) << u"r0"_s
            << QList<Finding>{note(u"6 replicas cannot be reached: their actual rows are unknown."_s, numbered(2, 8)),
                              note(u"All replicas that answered are in step."_s)} << QStringList{};
        QTest::newRow("a row with many gaps")
            << family(8, u"8"_s, {{1, u"8,8,?,?,?,?,?,?"_s}}) << family(8, u"8"_s) << u"r0"_s
            << QList<Finding>{note(u"r1's actual row has no value for 6 replicas."_s, numbered(2, 8)),
                              note(u"All replicas that answered are in step."_s)} << QStringList{};
        // Every origin's changes lost on the way to r1: one finding for its
        // one repair, its first sentences and a count of the rest.
        QTest::newRow("one repair for many findings")
            << family(8, u"8"_s, {{1, u"5,8,5,5,5,5,5,5"_s}}) << family(8, u"8"_s) << u"r0"_s << QList<Finding>{fix(
                   u"r1 lacks 3 of r0's changes (it holds 5, r0 holds 8). This site believes r1 holds 8 of r0's "
                    "changes, but it holds 5: the packet between was lost, and no later export will resend it. "
                    "Repair: Fix Local Epoch Table for r1 based on actual, then Synchronize. r1 lacks 3 of r2's "
                    "changes (it holds 5, r2 holds 8). This site believes r1 holds 8 of r2's changes, but it holds "
                    "5: the packet between was lost, and no later export will resend it. Repair: Fix Local Epoch "
                    "Table for r1 based on actual, then Synchronize. r1 lacks 3 of r3's changes (it holds 5, r3 "
                    "holds 8). 9 more findings lead to the same repair."_s,
                   u"r1"_s)} << QStringList{};
        QTest::newRow("seven replicas ahead of the origin")
            << family(8, u"8"_s, {{1, u"8,5,8,8,8,8,8,8"_s}}) << family(8, u"8"_s) << u"r0"_s
            << QList<Finding>{note(u"7 replicas hold more of r1's changes than r1 itself (5): r1's own row went back, "
                                    "as after a restore from backup; restore it (restorereplica) before any new work "
                                    "there."_s,
                                   QStringList{u"r0"_s} + numbered(2, 8))} << QStringList{};

        // tokyo's changes reached london, so tokyo has exported; this site has
        // not imported them yet. A name that holds right-to-left text or
        // direction marks stands isolated in the sentence; a plain one is
        // left as it is.
        const QString rlo = u"lon\u202Edon"_s;
        const QString rloShown = u"\u2068lon\u202Edon\u2069"_s;
        QTest::newRow("packet waiting in a bay, right-to-left override in a name")
            << QStringList{u"boston_hub,365,57,20"_s, rlo + u",365,57,25"_s, u"tokyo,365,57,25"_s}
            << QStringList{u"boston_hub,365,57,20"_s, rlo + u",365,57,20"_s, u"tokyo,365,57,20"_s} << me
            << QList<Finding>{sync(u"boston_hub (this site) lacks 5 of tokyo's changes (it holds 20, tokyo holds 25); "_s +
                                   rloShown +
                                   u" has them already, so their packet may be waiting in this site's incoming bay: "
                                    "Synchronize to import it."_s)} << QStringList{};
    }

    void diagnose()
    {
        QFETCH(QStringList, actual);
        QFETCH(QStringList, local);
        QFETCH(QString, me);
        QFETCH(QList<Finding>, expected);
        QFETCH(QStringList, vob);
        const QList<Finding> found = quorvane::diagnose(table(actual), table(local), me, vob);
        QCOMPARE(texts(found), texts(expected)); // the texts first, to see what differs
        QVERIFY(found == expected);
    }

    // The packets in this site's bays turn what the matrices alone call lost or
    // late into what it is: a packet that waits, one stuck towards a host that
    // does not answer, one that came back. Each case: the finding that must
    // stand first (whole), the texts that must not appear, and its repair.
    void packets_data()
    {
        QTest::addColumn<QStringList>("actual");
        QTest::addColumn<QStringList>("local");
        QTest::addColumn<BayFacts>("bays");
        QTest::addColumn<Finding>("first");
        QTest::addColumn<QStringList>("absent");

        using Bay = PacketList::Bay;
        const QStringList fw{u"boston_hub,284,264,251"_s, u"sanfran_hub,284,264,251"_s, u"singapore,274,248,263"_s};
        const QStringList fwLocal{u"boston_hub,284,264,251"_s, u"sanfran_hub,284,264,251"_s, u"singapore,284,264,251"_s};
        const QStringList fwDown{u"boston_hub,284,264,251"_s, u"sanfran_hub,284,264,251"_s, u"singapore,?,?,?"_s};
        const QList<PacketList::Packet> stuck{
            packet(Bay::Outgoing, u"boston_hub"_s, u"singapore"_s, 5, {u"boston_hub:274-277"_s, u"sanfran_hub:248-264"_s}),
            packet(Bay::Outgoing, u"boston_hub"_s, u"singapore"_s, 2, {u"boston_hub:277-284"_s, u"sanfran_hub:264-264"_s})};
        const QString stuckLine =
            u"2 packets for singapore wait in this site's outgoing bay, not shipped: merlion has not taken them. The "
             "oldest was made 5 days ago; its shipping order expires in 9 days (14 days unless the export set another), "
             "and the packet then goes to the return bay. Not lost: once merlion answers, run `shipping_server -poll` "
            "here (its hourly run does the same). Do not fix singapore's row from actual meanwhile: the next export "
            "would send their changes again; `multitool chepoch -actual -raise_only singapore@/vobs/fw` never lowers it."_s;
        // The host answers again before the shipping server ran: its row is
        // below what this site believes sent, and still nothing was lost.
        QTest::newRow("stuck, the host back") << fw << fwLocal << bays(stuck) << note(stuckLine)
                                              << QStringList{u"the packet between was lost"_s};
        BayFacts expired = bays(stuck);
        expired.now = kNow.addDays(12);
        QTest::newRow("stuck past its order") << fwDown << fwLocal << expired
                                              << note(QString(stuckLine)
                                                          .replace(u"made 5 days ago; its shipping order expires in 9 days"_s,
                                                                   u"made 17 days ago; its shipping order has expired"_s))
                                              << QStringList{};

        // The sent packet came back: oslo lacks what it carries.
        const QStringList inst{u"boston_hub,137,196"_s, u"oslo,108,196"_s};
        const QStringList instLocal{u"boston_hub,137,196"_s, u"oslo,137,196"_s};
        BayFacts back = bays({packet(Bay::Returned, u"boston_hub"_s, u"oslo"_s, 21, {u"boston_hub:108-137"_s, u"oslo:196-196"_s})});
        back.hosts.insert(u"oslo"_s, u"fjord"_s);
        const QString path = back.packets.first().path;
        QTest::newRow("returned")
            << inst << instLocal << back << note(u"The packet "_s + back.packets.first().name +
                    u" for oslo came back to this site's return bay: its shipping order expired before fjord took it, so "
                     "oslo lacks boston_hub's changes 109 to 137. It was not lost, and nothing sends it again unless asked: "
                     "run `mkorder -data "_s + path + u" -fship fjord` here."_s)
            << QStringList{u"the packet between was lost"_s};

        // sanfran_hub's newer packet arrived before the one it builds on.
        const QStringList mob{u"boston_hub,232,228,252"_s, u"sanfran_hub,232,305,252"_s, u"bangalore,232,228,252"_s};
        const QStringList mobLocal{u"boston_hub,232,228,252"_s, u"sanfran_hub,232,228,252"_s, u"bangalore,232,228,252"_s};
        const auto mobile = [](bool importable, const QString &sanfran) {
            return bays({packet(Bay::Incoming, u"sanfran_hub"_s, u"boston_hub"_s, 2,
                                {u"boston_hub:232-232"_s, u"sanfran_hub:"_s + sanfran, u"bangalore:252-252"_s}, importable)});
        };
        const QString waitingName = mobile(false, u"290-305"_s).packets.first().name;
        QTest::newRow("waits for an earlier packet")
            << QStringList{mob[0], mob[1], mob[2]} << mobLocal << mobile(false, u"290-305"_s)
            << sync(u"A packet from sanfran_hub has waited for 2 days in this site's incoming bay ("_s + waitingName +
                    u"): it carries sanfran_hub's changes after 290, and this site holds only 228 of them. It waits for an "
                     "earlier packet with the changes between and is not lost: Synchronize imports both once that one has "
                     "arrived. Should it never come, sanfran_hub's administrator runs `multitool chepoch -actual "
                     "boston_hub@/vobs/fw` and `multitool syncreplica -export -fship boston_hub@/vobs/fw` there."_s)
            << QStringList{u"lost,"_s, u"boston_hub and bangalore"_s};
        QTest::newRow("can be imported now")
            << mob << mobLocal << mobile(true, u"228-305"_s)
            << sync(u"A packet from sanfran_hub waits in this site's incoming bay for 2 days ("_s + waitingName +
                    u") and can be imported now: Synchronize imports it."_s)
            << QStringList{u"boston_hub and bangalore"_s};

        BayFacts failed;
        failed.failure = u"multitool lspacket -long -endrange failed: multitool: Error: Permission denied"_s;
        QTest::newRow("bays not listed")
            << inStep << inStep << failed
            << note(u"This site's storage bays could not be listed (multitool lspacket -long -endrange failed: "
                     "multitool: Error: Permission denied): packets waiting there or sent back are not seen, so a lack "
                     "below may be one that waits in a bay."_s)
            << QStringList{};
        // A third replica has them and none waits here: no packet to import yet.
        const QStringList tokyoNews{u"boston_hub,365,57,40"_s, u"london,365,57,45"_s, u"tokyo,365,57,45"_s};
        QTest::newRow("nothing in the incoming bay")
            << tokyoNews << tokyoNews << bays({})
            << sync(u"boston_hub (this site) lacks 5 of tokyo's changes (it holds 40, tokyo holds 45); london has them "
                     "already, and no packet of them waits in this site's incoming bay: they come with the next export to "
                     "this site from london or tokyo; Synchronize imports it once it has come."_s)
            << QStringList{u"may be waiting"_s};
        // Listed, and none there: the matrices speak as before.
        QTest::newRow("bays empty")
            << rows(u"boston_hub,365,57,40 london,321,57,40 tokyo,365,57,40"_s) << inStep << bays({})
            << fix(londonLacks + u' ' + lostLine, u"london"_s) << QStringList{};
    }

    void packets()
    {
        QFETCH(QStringList, actual);
        QFETCH(QStringList, local);
        QFETCH(BayFacts, bays);
        QFETCH(Finding, first);
        QFETCH(QStringList, absent);
        const QString me = local.first().section(u',', 0, 0);
        const QList<Finding> found = quorvane::diagnose(table(actual), table(local), me, {}, bays);
        QCOMPARE(found.value(0).text, first.text);
        QVERIFY(found.value(0) == first);
        const QString all = texts(found).join(u'\n');
        for (const QString &a : absent)
            QVERIFY2(!all.contains(a), qPrintable(all));
    }

    // An export met this site's scrubbed oplog: the replica that lacks the
    // changes has them already, another sibling holds them, or none does.
    void scrubbedOplog_data()
    {
        QTest::addColumn<QStringList>("actual");
        QTest::addColumn<Finding>("expected");
        const QString head = u"An export to tokyo starts after boston_hub's change 0 (this site's table), but this "
                              "site's oplog keeps boston_hub's entries only from 197 on (the older ones were scrubbed), so it "
                              "fails. "_s;
        QTest::newRow("tokyo has them")
            << rows(u"boston_hub,294,298,226 sanfran_hub,294,298,246 tokyo,294,298,246"_s)
            << fix(head + u"tokyo holds 294 of them already: Fix Local Epoch Table for tokyo based on actual, then "
                           "Synchronize; the export then starts above the gap."_s,
                   u"tokyo"_s);
        QTest::newRow("sanfran_hub has them")
            << rows(u"boston_hub,294,298,226 sanfran_hub,294,298,246 tokyo,100,298,246"_s)
            << note(head + u"tokyo lacks boston_hub's changes 101 to 196, and sanfran_hub holds them: at sanfran_hub's "
                            "site run `multitool syncreplica -export -fship tokyo@/vobs/fw`; once tokyo has them, Fix Local "
                            "Epoch Table for tokyo based on actual here."_s);
        QTest::newRow("no one has them")
            << rows(u"boston_hub,294,298,226 sanfran_hub,150,298,246 tokyo,100,298,246"_s)
            << note(head + u"No other replica holds boston_hub's changes 101 to 196 that tokyo lacks: tokyo must be "
                            "re-created from a replica that has them (multitool mkreplica -export)."_s);
    }

    void scrubbedOplog()
    {
        QFETCH(QStringList, actual);
        QFETCH(Finding, expected);
        const QStringList local{u"boston_hub,294,298,226"_s, u"sanfran_hub,294,298,226"_s, u"tokyo,0,0,0"_s};
        BayFacts b = bays({});
        b.gaps = oplogGaps(u"multitool: Error: Can not find oplog from replica \"boston_hub\" with id 1\r\n"
                           "multitool: Error: First oplog entry from replica \"boston_hub\" is 197\r\n"
                           "multitool: Error: Gap in oplog entries may indicate missing oplog entries."_s);
        const QList<Finding> found = quorvane::diagnose(table(actual), table(local), u"boston_hub"_s, {}, b);
        // Other findings that lead to the same repair may follow in its line.
        const auto has = [](const QList<Finding> &in, const QString &start, const Repair &repair) {
            return std::any_of(in.cbegin(), in.cend(), [&](const Finding &f) { return f.text.startsWith(start) && f.repair == repair; });
        };
        QVERIFY2(has(found, expected.text, expected.repair), qPrintable(texts(found).join(u'\n')));
        // The harmless resend it replaces is not said beside it.
        QVERIFY(!texts(found).join(u'\n').contains(u"sends 294 of them again"_s));
        // Before any export failed, a row never set here warns of the scrub it
        // may meet.
        const QList<Finding> before = quorvane::diagnose(table(actual), table(local), u"boston_hub"_s, {}, bays({}));
        const qint64 held = table(actual).values[2][0].toLongLong();
        const QString warning = u"This site believes tokyo holds 0 of boston_hub's changes, but it holds %1: the next export "
                                 "to tokyo sends %1 of them again, from the first, and fails if this site's oplog no longer "
                                 "holds them (scrubbed); Fix Local Epoch Table for tokyo based on actual avoids both."_s.arg(held);
        QVERIFY2(has(before, warning, Repair{Repair::Kind::FixBasedOnActual, u"tokyo"_s}), qPrintable(texts(before).join(u'\n')));
    }

    // Only the lines of that error name a gap.
    void exportGaps()
    {
        QCOMPARE(oplogGaps(u"multitool: Error: Unable to contact replica \"london\"."_s), QList<OplogGap>{});
        QCOMPARE(oplogGaps(u"Can not find oplog from replica \"a b\" with id 12345\nFirst oplog entry from replica \"a b\" is 12348\n"
                           "Can not find oplog from replica \"c\" with id 7"_s),
                 (QList<OplogGap>{{u"a b"_s, 12345, 12348}, {u"c"_s, 7, -1}}));
    }

    void isolation_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("shown");
        const QString fsi = u"\u2068"_s, pdi = u"\u2069"_s;
        QTest::newRow("right-to-left letters") << u"\u05E9\u05DC"_s << fsi + u"\u05E9\u05DC"_s + pdi;
        // An isolate the name opens is closed before ours; one it closes
        // without opening would end ours early, and is dropped.
        QTest::newRow("isolate left open") << u"a\u2067b"_s << fsi + u"a\u2067b"_s + pdi + pdi;
        QTest::newRow("stray closing isolate") << u"a\u2069b\u202E"_s << fsi + u"ab\u202E"_s + pdi;
    }

    void isolation()
    {
        QFETCH(QString, name);
        QTEST(ShownName::isolated(name), "shown");
    }

    // Reading multitool lspacket output: the layouts the manuals and IBM's
    // technote print, and the simulated region's own.
    void packetListing_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QStringList>("packets");
        QTest::newRow("manual: replica-creation packet")
            << u"Packet is: /opt/rational/clearcase/shipping/ms_ship/incoming/repl_boston_15-Aug-00.17.07.20_7865_1\n"
               "Packet type: Replica Creation\n"
               "VOB family identifier is: 94be56a1.0dd611d1.a0df.00:01:80:7b:09:69\n"
               "Comment supplied at packet creation is:\n"
               "Packet intended for the following targets:\n"
               "  buenosaires\n"
               "The packet sequence number is 1\n"_s
            << QStringList{u"in|repl_boston_15-Aug-00.17.07.20_7865_1|boston|2000-08-15 17:07:20|Replica Creation|buenosaires|||1"_s};
        QTest::newRow("manual: update packet outside the bays, local target")
            << u"Packet is: /usr/tmp/packet1\nPacket type: Update\n"
               "VOB family identifier is: c3f47cf3.71b111cd.a4f2.00:01:80:31:7a:a7\n"
               "Comment supplied at packet creation is:\nPacket intended for the following targets:\n"
               "  sanfran_hub [ local to this network ] tag: /vobs/tests\nThe packet sequence number is 1\n"_s
            << QStringList{u"elsewhere|packet1|||Update|sanfran_hub local @/vobs/tests|||1"_s};
        QTest::newRow("technote: -dump -long, values on the next line")
            << u"Packet is: /usr/atria/shipping/ms_ship/incoming/sync_original_25-Apr-00.20.00.28_17705_1\n"
               "Packet type: Update\nVOB family identifier is:\n\n2618e551.5c4f11d3.a25b.00:01:80:76:22:d5\n"
               "Comment supplied at packet creation is:\nPacket intended for the following targets:\n"
               "lambik_repl [ local to this network ] tag: /vobs/vob1\n"
               "Originating replica is:\n\n2618e555.5c4f11d3.a25b.00:01:80:76:22:d5\n"
               "The following replicas are referenced by this packet:\n2618e555.5c4f11d3.a25b.00:01:80:76:22:d5\n"
               "first oplog id is 1054\nincarnation is 0\nlambik_repl\nfirst oplog id is 50\n"
               "incarnation is 01/18/00 12:44:27\n"
               "The major packet version is 1, the minor packet version is 2\nThe packet sequence number is 1\n"
               "1245:\nop= protect\nreplica_oid= 2618e555.5c4f11d3.a25b.00:01:80:76:22:d5\n(original)\noplog_id= 1055\n"
               "Packet contains a total of 3 entries.\n"_s
            << QStringList{u"in|sync_original_25-Apr-00.20.00.28_17705_1|original|2000-04-25 20:00:28|Update|"
                            "lambik_repl local @/vobs/vob1|2618e555.5c4f11d3.a25b.00:01:80:76:22:d5|"
                            "2618e555.5c4f11d3.a25b.00:01:80:76:22:d5:1054--1;lambik_repl:50--1|1"_s};
        QTest::newRow("region: -long -endrange, CR LF, two packets after an error")
            << u"multitool: Error: Unable to access \"x\": No such file or directory.\r\n"
               "Packet is: /r/shipping/ms_ship/incoming/sync_sanfran_hub_05-Dec-26.00.59.53_4061_34\r\n"
               "Packet type: Update\r\nVOB family identifier is: d600c410.049d89ec.7bd2.b7:37:02:b1:45:12\r\n"
               "Comment supplied at packet creation is:\r\nPacket intended for the following targets:\r\n"
               "  boston_hub* [ local to this network ] tag: /vobs/mobile\r\n"
               "Originating replica is: 5923d878.31f7a10f.b89a.28:cf:a3:2a:e5:01\r\n"
               "The following replicas are referenced by this packet:\r\nboston_hub\r\nfirst oplog id is 232\r\n"
               "last oplog id is 232\r\nincarnation is 0\r\nsanfran_hub\r\nfirst oplog id is 290\r\nlast oplog id is 305\r\n"
               "incarnation is 0\r\nThe major packet version is 1, the minor packet version is 2\r\n"
               "The packet sequence number is 1\r\n\r\n"
               "Packet is: /r/shipping/ms_ship/outgoing/sync_boston_hub_02-Dec-26.05.45.27_4067_39\r\n"
               "Packet type: Update\r\nPacket intended for the following targets:\r\n  singapore\r\n"
               "The packet sequence number is 2\r\n"_s
            << QStringList{u"in|sync_sanfran_hub_05-Dec-26.00.59.53_4061_34|sanfran_hub|2026-12-05 00:59:53|Update|"
                            "boston_hub* local @/vobs/mobile|5923d878.31f7a10f.b89a.28:cf:a3:2a:e5:01|"
                            "boston_hub:232-232;sanfran_hub:290-305|1"_s,
                           u"out|sync_boston_hub_02-Dec-26.05.45.27_4067_39|boston_hub|2026-12-02 05:45:27|Update|"
                            "singapore|||2"_s};
        QTest::newRow("short, Windows return bay, a name of another form")
            << u"C:\\ClearCase\\var\\shipping\\ms_rtn\\incoming\\sync_bangalore_30-Oct-02.14.35.49_2468_1\n"
               "/r/shipping/ms_ship/outgoing/notes.txt\n"_s
            << QStringList{u"returned|sync_bangalore_30-Oct-02.14.35.49_2468_1|bangalore|2002-10-30 14:35:49|||||0"_s,
                           u"out|notes.txt|||||||0"_s};
        QTest::newRow("nothing in the bays") << QString() << QStringList();
    }
    void packetListing()
    {
        QFETCH(QString, text);
        QStringList got;
        for (const PacketList::Packet &p : PacketList::parse(text))
            got << summary(p);
        QTEST(got, "packets");
    }

    void packetAge()
    {
        const PacketList::Packet p = PacketList::parse(u"/b/ms_ship/outgoing/sync_a_b_01-Dec-26.10.00.00_1_1"_s).value(0);
        QCOMPARE(PacketList::ageDays(p, p.created.addDays(5).addSecs(-1)), 4);
        QCOMPARE(PacketList::ageDays(p, p.created.addSecs(-60)), 0); // a clock behind the sender's
        QCOMPARE(PacketList::ageDays(PacketList::Packet{}, p.created), -1);
    }
};

QTEST_GUILESS_MAIN(tst_Diagnosis)
#include "tst_diagnosis.moc"
