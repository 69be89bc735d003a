// Reading multitool lspacket output: the layouts the manuals and IBM's
// technote print, and the simulated region's own.

#include "replicas/PacketList.h"

#include <QTest>

using namespace quorvane;
using namespace Qt::StringLiterals;

namespace {

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

} // namespace

class TestPacketList : public QObject {
    Q_OBJECT
private slots:
    void parse_data()
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
    void parse()
    {
        QFETCH(QString, text);
        QStringList got;
        for (const PacketList::Packet &p : PacketList::parse(text))
            got << summary(p);
        QTEST(got, "packets");
    }

    void age()
    {
        const PacketList::Packet p = PacketList::parse(u"/b/ms_ship/outgoing/sync_a_b_01-Dec-26.10.00.00_1_1"_s).value(0);
        QCOMPARE(PacketList::ageDays(p, p.created.addDays(5).addSecs(-1)), 4);
        QCOMPARE(PacketList::ageDays(p, p.created.addSecs(-60)), 0); // a clock behind the sender's
        QCOMPARE(PacketList::ageDays(PacketList::Packet{}, p.created), -1);
    }
};

QTEST_GUILESS_MAIN(TestPacketList)
#include "tst_packetlist.moc"
