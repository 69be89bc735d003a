#pragma once

#include "replicas/PacketList.h"

#include <QAbstractTableModel>
#include <QDateTime>
#include <QHash>

namespace quorvane {

// The packets of the opened VOB in this site's bays, one row each: where it
// lies, from and to whom, how old, when its shipping order runs out, what it
// waits for or what must be done with it, and what it carries. Qt::UserRole
// gives each cell's sort key (ages and days as numbers).
class PacketModel final : public QAbstractTableModel {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(PacketModel)
public:
    // The packet's long name last: its age and state matter more.
    enum Column { Bay, From, To, Age, OrderExpires, State, Carries, Packet, Columns };

    explicit PacketModel(QObject *parent = nullptr);

    // heldHere: how many of each replica's changes this site holds (what an
    // incoming packet is measured against); now: when ages are counted to;
    // orderDays: a shipping order's life.
    void setPackets(const QList<PacketList::Packet> &packets, const QHash<QString, qint64> &heldHere,
                    const QDateTime &now, qint64 orderDays = 14);
    void clear();
    [[nodiscard]] const QList<PacketList::Packet> &packets() const { return m_packets; }

    [[nodiscard]] int rowCount(const QModelIndex &parent = {}) const override;
    [[nodiscard]] int columnCount(const QModelIndex &parent = {}) const override;
    [[nodiscard]] QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    [[nodiscard]] QVariant headerData(int section, Qt::Orientation orientation,
                                      int role = Qt::DisplayRole) const override;

    // Rows (as given, in the model's order) as tab-separated text with a
    // heading line, for the clipboard.
    [[nodiscard]] static QString rowsText(const QAbstractItemModel &model, const QList<int> &rows);

    // What an incoming packet waits for: the changes before its start that
    // this site lacks ("sanfran_hub 229 to 290"); empty when it waits for none.
    [[nodiscard]] static QStringList waitsFor(const PacketList::Packet &packet, const QHash<QString, qint64> &heldHere);

private:
    [[nodiscard]] QString text(const PacketList::Packet &p, int column) const;
    [[nodiscard]] QVariant sortKey(const PacketList::Packet &p, int column) const;
    [[nodiscard]] qint64 ageSecs(const PacketList::Packet &p) const;

    QList<PacketList::Packet> m_packets;
    QHash<QString, qint64> m_heldHere;
    QDateTime m_now;
    qint64 m_orderDays = 14;
};

} // namespace quorvane
