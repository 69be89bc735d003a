#include "sim/VobCache.h"

#include <QCryptographicHash>
#include <QDataStream>
#include <QHash>
#include <QIODevice>

namespace quorvane::ccsim::VobCache {

namespace {

constexpr quint32 kMagic = 0x51564331; // "QVC1"
constexpr quint32 kVersion = 5;
constexpr QDataStream::Version kStreamVersion = QDataStream::Qt_6_0;

// Writes a VOB's parts. Epoch rows name the same replicas over and over:
// each name is written once, and rows refer to it by number, so reading a
// row makes no new string.
class Writer {
public:
    explicit Writer(QDataStream &out) : m_out(out) {}

    // The names the rows used, in their numbers' order.
    [[nodiscard]] const QStringList &names() const { return m_names; }

    void put(const Row &row)
    {
        m_out << quint32(row.size());
        for (auto it = row.cbegin(); it != row.cend(); ++it)
            m_out << number(it.key()) << it.value();
    }

    void put(const Packet &p)
    {
        m_out << p.name << p.from << p.to << p.created << p.expires << p.arrives;
        put(p.base);
        put(p.upto);
    }

    void put(const HistoryEvent &e) { m_out << e.date << e.user << e.event << e.comment << e.minor; }

    // A replica without its history, which goes to the end of the file.
    void put(const Replica &r)
    {
        m_out << r.name << r.host << r.master << r.oid << r.owner << r.created << r.reachable << r.losesPackets
              << qint32(r.latencyMs);
        put(r.own);
        put(r.scrubbed);
        put(r.believesLocal);
        putList(r.incoming);
    }

    template <typename T>
    void putList(const QList<T> &list)
    {
        m_out << quint32(list.size());
        for (const T &item : list)
            put(item);
    }

private:
    quint32 number(const QString &name)
    {
        const auto it = m_numbers.constFind(name);
        if (it != m_numbers.cend())
            return *it;
        m_names << name;
        return *m_numbers.insert(name, quint32(m_names.size() - 1));
    }

    QDataStream &m_out;
    QHash<QString, quint32> m_numbers;
    QStringList m_names;
};

class Reader {
public:
    explicit Reader(QDataStream &in, QStringList names = {}) : m_in(in), m_names(std::move(names)) {}

    [[nodiscard]] bool ok() const { return m_in.status() == QDataStream::Ok; }

    // Every item takes at least four bytes.
    bool count(quint32 &n)
    {
        m_in >> n;
        const qint64 left = m_in.device()->size() - m_in.device()->pos();
        if (!ok() || qint64(n) > left / 4) {
            m_in.setStatus(QDataStream::ReadCorruptData);
            return false;
        }
        return true;
    }

    bool get(Row &row)
    {
        quint32 n = 0;
        if (!count(n))
            return false;
        // Written in key order: each entry goes to the end.
        for (quint32 i = 0; i < n && ok(); ++i) {
            quint32 name = 0;
            qint64 value = 0;
            m_in >> name >> value;
            if (name >= quint32(m_names.size())) {
                m_in.setStatus(QDataStream::ReadCorruptData);
                break;
            }
            row.insert(row.cend(), m_names.at(name), value);
        }
        return ok();
    }

    bool get(Packet &p)
    {
        m_in >> p.name >> p.from >> p.to >> p.created >> p.expires >> p.arrives;
        return get(p.base) && get(p.upto);
    }

    bool get(HistoryEvent &e)
    {
        m_in >> e.date >> e.user >> e.event >> e.comment >> e.minor;
        return ok();
    }

    bool get(Replica &r)
    {
        qint32 latency = 0;
        m_in >> r.name >> r.host >> r.master >> r.oid >> r.owner >> r.created >> r.reachable >> r.losesPackets
            >> latency;
        r.latencyMs = latency;
        return get(r.own) && get(r.scrubbed) && get(r.believesLocal) && getList(r.incoming);
    }

    template <typename T>
    bool getList(QList<T> &list)
    {
        quint32 n = 0;
        if (!count(n))
            return false;
        list.reserve(n);
        for (quint32 i = 0; i < n; ++i) {
            T item;
            if (!get(item))
                return false;
            list.append(std::move(item));
        }
        return true;
    }

private:
    QDataStream &m_in;
    QStringList m_names;
};

void putStamp(QDataStream &out, const RegionStamp &s)
{
    out << s.generation << s.exists << s.size << s.device << s.inode << s.modifiedNs << s.changedNs;
}

void getStamp(QDataStream &in, RegionStamp &s)
{
    in >> s.generation >> s.exists >> s.size >> s.device >> s.inode >> s.modifiedNs >> s.changedNs;
}

QByteArray digestOf(const QByteArray &section)
{
    return QCryptographicHash::hash(section, QCryptographicHash::Md5);
}

} // namespace

QByteArray encode(const Vob &vob, const RegionStamp &madeFrom, const QDateTime &made)
{
    QByteArray body, history;
    QStringList names;
    {
        QDataStream out(&body, QIODevice::WriteOnly);
        out.setVersion(kStreamVersion);
        Writer writer(out);
        out << vob.tag << vob.storage << vob.local << vob.created << qint32(vob.packetSeq);
        writer.putList(vob.replicas);
        out << quint32(vob.table.size());
        for (auto it = vob.table.cbegin(); it != vob.table.cend(); ++it) {
            out << it.key();
            writer.put(it.value());
        }
        writer.putList(vob.lost);
        writer.putList(vob.outgoing);
        writer.putList(vob.returned);
        writer.putList(vob.inTransit);
        names = writer.names();
    }
    QByteArray core;
    {
        QDataStream out(&core, QIODevice::WriteOnly);
        out.setVersion(kStreamVersion);
        out << names << body;
    }
    {
        QDataStream out(&history, QIODevice::WriteOnly);
        out.setVersion(kStreamVersion);
        Writer writer(out);
        for (const Replica &r : vob.replicas)
            writer.putList(r.history);
    }
    QByteArray bytes;
    QDataStream out(&bytes, QIODevice::WriteOnly);
    out.setVersion(kStreamVersion);
    out << kMagic << kVersion;
    putStamp(out, madeFrom);
    out << made << core << digestOf(core) << history << digestOf(history);
    return bytes;
}

std::optional<Cached> read(QIODevice &in, bool withHistory,
                           const std::function<bool(const RegionStamp &, const QDateTime &)> &stands)
{
    QDataStream stream(&in);
    stream.setVersion(kStreamVersion);
    quint32 magic = 0, version = 0;
    stream >> magic >> version;
    if (stream.status() != QDataStream::Ok || magic != kMagic || version != kVersion)
        return std::nullopt;
    Cached cached;
    getStamp(stream, cached.madeFrom);
    stream >> cached.made;
    if (stream.status() != QDataStream::Ok || !stands(cached.madeFrom, cached.made))
        return std::nullopt;
    // Each section is checked whole before it is decoded: a damaged byte
    // must not turn into a wrong epoch number.
    const auto section = [&stream](QByteArray &bytes) {
        QByteArray digest;
        stream >> bytes >> digest;
        return stream.status() == QDataStream::Ok && digest == digestOf(bytes);
    };
    QByteArray core;
    if (!section(core))
        return std::nullopt;
    Vob &vob = cached.vob;
    {
        QStringList names;
        QByteArray body;
        QDataStream parts(core);
        parts.setVersion(kStreamVersion);
        // The core passed its digest: the names list was written whole.
        parts >> names >> body;
        if (parts.status() != QDataStream::Ok || !parts.atEnd())
            return std::nullopt;
        QDataStream data(body);
        data.setVersion(kStreamVersion);
        Reader reader(data, names);
        qint32 seq = 0;
        data >> vob.tag >> vob.storage >> vob.local >> vob.created >> seq;
        vob.packetSeq = seq;
        if (!reader.getList(vob.replicas))
            return std::nullopt;
        quint32 rows = 0;
        if (!reader.count(rows))
            return std::nullopt;
        for (quint32 i = 0; i < rows; ++i) {
            QString name;
            Row row;
            data >> name;
            if (!reader.get(row))
                return std::nullopt;
            vob.table.insert(name, row);
        }
        if (!reader.getList(vob.lost) || !reader.getList(vob.outgoing) || !reader.getList(vob.returned)
            || !reader.getList(vob.inTransit) || !data.atEnd())
            return std::nullopt;
    }
    if (!withHistory) {
        vob.historyOmitted = true;
        return cached;
    }
    QByteArray history;
    if (!section(history))
        return std::nullopt;
    QDataStream data(history);
    data.setVersion(kStreamVersion);
    Reader reader(data);
    for (Replica &r : vob.replicas) {
        if (!reader.getList(r.history))
            return std::nullopt;
    }
    if (!data.atEnd() || !in.atEnd())
        return std::nullopt;
    return cached;
}

} // namespace quorvane::ccsim::VobCache
