#include "replicas/PacketModel.h"

#include "replicas/TableText.h"

namespace quorvane {

namespace {

QString bayName(PacketList::Bay bay)
{
    switch (bay) {
    case PacketList::Bay::Incoming: return QStringLiteral("incoming");
    case PacketList::Bay::Outgoing: return QStringLiteral("outgoing");
    case PacketList::Bay::Returned: return QStringLiteral("returned");
    case PacketList::Bay::Elsewhere: break;
    }
    return QStringLiteral("elsewhere");
}

QString dayCount(qint64 n)
{
    return n == 1 ? QStringLiteral("1 day") : QStringLiteral("%1 days").arg(n);
}

} // namespace

PacketModel::PacketModel(QObject *parent) : QAbstractTableModel(parent)
{
}

void PacketModel::setPackets(const QList<PacketList::Packet> &packets, const QHash<QString, qint64> &heldHere,
                             const QDateTime &now, qint64 orderDays)
{
    beginResetModel();
    m_packets = packets;
    m_heldHere = heldHere;
    m_now = now;
    m_orderDays = orderDays;
    endResetModel();
}

void PacketModel::clear()
{
    setPackets({}, {}, m_now, m_orderDays);
}

int PacketModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_packets.size());
}

int PacketModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : Columns;
}

QVariant PacketModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return {};
    switch (section) {
    case Bay: return QStringLiteral("Bay");
    case Packet: return QStringLiteral("Packet");
    case From: return QStringLiteral("From");
    case To: return QStringLiteral("To");
    case Age: return QStringLiteral("Age");
    case OrderExpires: return QStringLiteral("Order expires");
    case State: return QStringLiteral("State");
    case Carries: return QStringLiteral("Carries");
    default: return {};
    }
}

QVariant PacketModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= m_packets.size())
        return {};
    const PacketList::Packet &p = m_packets[index.row()];
    if (role == Qt::DisplayRole)
        return text(p, index.column());
    if (role == Qt::UserRole)
        return sortKey(p, index.column());
    if (role == Qt::ToolTipRole && index.column() == Packet)
        return p.path;
    return {};
}

qint64 PacketModel::ageSecs(const PacketList::Packet &p) const
{
    if (!p.created.isValid() || !m_now.isValid())
        return -1;
    return std::max<qint64>(0, p.created.secsTo(m_now));
}

QStringList PacketModel::waitsFor(const PacketList::Packet &packet, const QHash<QString, qint64> &heldHere)
{
    QStringList out;
    for (const PacketList::Range &r : packet.ranges) {
        const auto held = heldHere.constFind(r.replica);
        if (held != heldHere.cend() && r.first > *held)
            out << QStringLiteral("%1 %2 to %3").arg(r.replica).arg(*held + 1).arg(r.first);
    }
    return out;
}

QString PacketModel::text(const PacketList::Packet &p, int column) const
{
    switch (column) {
    case Bay: return bayName(p.bay);
    case Packet: return p.name;
    case From: return PacketList::senderOf(p);
    case To: return PacketList::targetOf(p);
    case Age: {
        const qint64 secs = ageSecs(p);
        if (secs < 0)
            return {};
        if (secs < 86400)
            return QStringLiteral("%1 h").arg(secs / 3600);
        return dayCount((secs + 43200) / 86400);
    }
    case OrderExpires: {
        const qint64 secs = ageSecs(p);
        if (p.bay == PacketList::Bay::Returned)
            return QStringLiteral("expired");
        if (p.bay != PacketList::Bay::Outgoing || secs < 0)
            return {};
        const qint64 left = m_orderDays * 86400 - secs;
        if (left <= 0)
            return QStringLiteral("expired");
        if (left < 86400)
            return QStringLiteral("in %1 h").arg((left + 3599) / 3600);
        // The order's days less the age in days, as the diagnosis counts them.
        return QStringLiteral("in ") + dayCount(std::max<qint64>(1, m_orderDays - (secs + 43200) / 86400));
    }
    case State:
        switch (p.bay) {
        case PacketList::Bay::Incoming: {
            const QStringList needs = waitsFor(p, m_heldHere);
            if (needs.isEmpty())
                return QStringLiteral("can be imported");
            return QStringLiteral("waits for ") + needs.join(QStringLiteral(", "));
        }
        case PacketList::Bay::Outgoing: return QStringLiteral("not shipped");
        case PacketList::Bay::Returned: return QStringLiteral("must be sent again");
        case PacketList::Bay::Elsewhere: break;
        }
        return {};
    case Carries: {
        QStringList parts;
        for (const PacketList::Range &r : p.ranges) {
            if (r.last > r.first)
                parts << QStringLiteral("%1 %2 to %3").arg(r.replica).arg(r.first + 1).arg(r.last);
        }
        return parts.join(QStringLiteral(", "));
    }
    default: return {};
    }
}

QVariant PacketModel::sortKey(const PacketList::Packet &p, int column) const
{
    switch (column) {
    case Bay: return int(p.bay);
    case Age: return ageSecs(p);
    case OrderExpires: {
        const qint64 secs = ageSecs(p);
        if (p.bay == PacketList::Bay::Returned)
            return qint64(-1);
        if (p.bay != PacketList::Bay::Outgoing || secs < 0)
            return std::numeric_limits<qint64>::max();
        return std::max<qint64>(0, m_orderDays * 86400 - secs);
    }
    default: return text(p, column);
    }
}

QString PacketModel::rowsText(const QAbstractItemModel &model, const QList<int> &rows)
{
    return tableText(model, rows);
}

} // namespace quorvane
