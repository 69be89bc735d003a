// The opened VOB's packets as a table: what each column says of a packet in
// each bay, the sort keys behind ages and expiries, and Ctrl+C on the panel.
#include "replicas/PacketModel.h"
#include "replicas/PacketPanel.h"

#include <QApplication>
#include <QClipboard>
#include <QLabel>
#include <QSortFilterProxyModel>
#include <QTableView>
#include <QTest>

using namespace quorvane;
using namespace Qt::StringLiterals;

namespace {

const QDateTime kNow(QDate(2026, 12, 7), QTime(12, 0));

PacketList::Packet packet(PacketList::Bay bay, const QString &from, const QString &to, qint64 agoSecs,
                          const QList<PacketList::Range> &ranges)
{
    PacketList::Packet p;
    p.bay = bay;
    p.name = u"sync_%1_%2_77_1"_s.arg(from, QLocale::c().toString(kNow.addSecs(-agoSecs), u"dd-MMM-yy.HH.mm.ss"_s));
    p.path = u"/shipping/"_s + p.name;
    p.targets << PacketList::Target{to, false, bay == PacketList::Bay::Incoming, {}};
    p.ranges = ranges;
    PacketList::readName(p);
    return p;
}

const QList<PacketList::Packet> kPackets{
    packet(PacketList::Bay::Outgoing, u"boston_hub"_s, u"singapore"_s, 5 * 86400 + 60,
           {{u"boston_hub"_s, 274, 277}, {u"sanfran_hub"_s, 264, 264}}),
    packet(PacketList::Bay::Incoming, u"sanfran_hub"_s, u"boston_hub"_s, 2 * 86400,
           {{u"boston_hub"_s, 232, 232}, {u"sanfran_hub"_s, 290, 305}}),
    packet(PacketList::Bay::Returned, u"boston_hub"_s, u"oslo"_s, 21 * 86400, {{u"boston_hub"_s, 108, 137}}),
    packet(PacketList::Bay::Outgoing, u"boston_hub"_s, u"singapore"_s, 3 * 3600, {{u"boston_hub"_s, 277, 284}}),
    packet(PacketList::Bay::Outgoing, u"boston_hub"_s, u"singapore"_s, 15 * 86400, {}),
};

QStringList row(const QAbstractItemModel &m, int r)
{
    QStringList cells;
    for (int c = 0; c < m.columnCount(); ++c)
        cells << m.index(r, c).data().toString();
    return cells;
}

} // namespace

class TestPacketModel : public QObject {
    Q_OBJECT
private slots:
    void columns()
    {
        PacketModel m;
        m.setPackets(kPackets, {{u"boston_hub"_s, 232}, {u"sanfran_hub"_s, 228}}, kNow);
        QCOMPARE(m.rowCount(), 5);
        QCOMPARE(row(m, 0).mid(0, 7), (QStringList{u"outgoing"_s, u"boston_hub"_s, u"singapore"_s, u"5 days"_s,
                                                    u"in 9 days"_s, u"not shipped"_s, u"boston_hub 275 to 277"_s}));
        QCOMPARE(row(m, 0).value(PacketModel::Packet), kPackets[0].name);
        // What the incoming packet waits for: the changes between what this
        // site holds and where the packet starts.
        QCOMPARE(row(m, 1).mid(1, 6), (QStringList{u"sanfran_hub"_s, u"boston_hub"_s, u"2 days"_s, QString(),
                                                    u"waits for sanfran_hub 229 to 290"_s, u"sanfran_hub 291 to 305"_s}));
        QCOMPARE(row(m, 2).mid(3, 3), (QStringList{u"21 days"_s, u"expired"_s, u"must be sent again"_s}));
        QCOMPARE(row(m, 3).mid(3, 2), (QStringList{u"3 h"_s, u"in 14 days"_s}));
        QCOMPARE(row(m, 4).value(PacketModel::OrderExpires), u"expired"_s); // past its 14 days, not yet returned
        QCOMPARE(m.index(0, PacketModel::Packet).data(Qt::ToolTipRole).toString(), kPackets[0].path);
        // Once this site holds what it builds on, it can be imported.
        m.setPackets(kPackets, {{u"sanfran_hub"_s, 290}}, kNow);
        QCOMPARE(m.index(1, PacketModel::State).data().toString(), u"can be imported"_s);
        m.setPackets({packet(PacketList::Bay::Outgoing, u"boston_hub"_s, u"singapore"_s, 86400 + 3600, {})}, {}, kNow);
        QCOMPARE(row(m, 0).value(PacketModel::Age), u"1 day"_s);
    }

    // Ages and expiries sort as numbers, not as their texts ("3 h" before
    // "21 days"; "in 14 days" after "in 9 days").
    void sorting()
    {
        PacketModel m;
        m.setPackets(kPackets, {}, kNow);
        QSortFilterProxyModel proxy;
        proxy.setSourceModel(&m);
        proxy.setSortRole(Qt::UserRole);
        proxy.sort(PacketModel::Age);
        QStringList ages;
        for (int r = 0; r < proxy.rowCount(); ++r)
            ages << proxy.index(r, PacketModel::Age).data().toString();
        QCOMPARE(ages, (QStringList{u"3 h"_s, u"2 days"_s, u"5 days"_s, u"15 days"_s, u"21 days"_s}));
        proxy.sort(PacketModel::OrderExpires);
        QStringList left;
        for (int r = 0; r < proxy.rowCount(); ++r)
            left << proxy.index(r, PacketModel::OrderExpires).data().toString();
        QCOMPARE(left, (QStringList{u"expired"_s, u"expired"_s, u"in 9 days"_s, u"in 14 days"_s, QString()}));
    }

    // Ctrl+C copies the selected rows as shown (sorted), with the heading;
    // with none selected, every row.
    void copyFromThePanel()
    {
        PacketPanel panel;
        panel.model()->setPackets(kPackets, {}, kNow);
        panel.showListed();
        QCOMPARE(panel.note()->text(), u"5 packets."_s);
        panel.show();
        QVERIFY(QTest::qWaitForWindowExposed(&panel));
        QTableView *view = panel.view();
        view->sortByColumn(PacketModel::Age, Qt::DescendingOrder);
        view->selectionModel()->select(view->model()->index(0, 0),
                                       QItemSelectionModel::Select | QItemSelectionModel::Rows);
        view->selectionModel()->select(view->model()->index(4, 0),
                                       QItemSelectionModel::Select | QItemSelectionModel::Rows);
        QApplication::clipboard()->clear();
        QTest::keyClick(view, Qt::Key_C, Qt::ControlModifier);
        const QStringList lines = QApplication::clipboard()->text().split(u'\n', Qt::SkipEmptyParts);
        QCOMPARE(lines.size(), 3);
        QCOMPARE(lines[0], u"Bay\tFrom\tTo\tAge\tOrder expires\tState\tCarries\tPacket"_s);
        QVERIFY2(lines[1].startsWith(u"returned\t"_s) && lines[1].contains(u"\t21 days\t"_s), qPrintable(lines[1]));
        QVERIFY2(lines[2].contains(u"\t3 h\t"_s), qPrintable(lines[2]));
        view->clearSelection();
        QTest::keyClick(view, Qt::Key_C, Qt::ControlModifier);
        QCOMPARE(QApplication::clipboard()->text().count(u'\n'), 6);
    }

    // None listed says so (a listing that failed: tst_resultsandlog).
    void noneListed()
    {
        PacketPanel panel;
        panel.showListed();
        QCOMPARE(panel.note()->text(), u"none of this VOB."_s);
    }
};

QTEST_MAIN(TestPacketModel)
#include "tst_packetmodel.moc"
