#include "sim/Region.h"

#include "sim/CommandError.h"

#include <QJsonArray>
#include <QJsonDocument>

#include <algorithm>
#include <utility>

namespace quorvane::ccsim {

namespace {

// One lookup for both constnesses. The search runs on the const list, and
// only the element found is taken through operator[]: for a const region
// that does not detach its lists, which the region a co-process keeps
// between commands shares with every copy handed out.
template <typename List, typename Key>
auto *findIn(List &list, Key key, const QString &wanted)
{
    const auto &all = std::as_const(list);
    for (qsizetype i = 0; i < all.size(); ++i) {
        if (all.at(i).*key == wanted)
            return &list[i];
    }
    return static_cast<decltype(&list[0])>(nullptr);
}

template <typename V>
auto &localOf(V &vob)
{
    auto *r = vob.replica(vob.local);
    if (!r)
        throw CommandError(QStringLiteral("VOB \"%1\" has no local replica \"%2\".").arg(vob.tag, vob.local));
    return *r;
}

} // namespace

Replica *Vob::replica(const QString &name)
{
    return findIn(replicas, &Replica::name, name);
}

const Replica *Vob::replica(const QString &name) const
{
    return findIn(replicas, &Replica::name, name);
}

Replica &Vob::localReplica()
{
    return localOf(*this);
}

const Replica &Vob::localReplica() const
{
    return localOf(*this);
}

QStringList Vob::replicaNames() const
{
    QStringList names;
    for (const Replica &r : replicas)
        names << r.name;
    return names;
}

Row Vob::localRow(const QString &name) const
{
    if (name == local)
        return completeRow(*this, localReplica().own);
    return completeRow(*this, table.value(name));
}

Vob *Region::vob(const QString &tag)
{
    return findIn(vobs, &Vob::tag, tag);
}

const Vob *Region::vob(const QString &tag) const
{
    return findIn(vobs, &Vob::tag, tag);
}

QStringList Region::tags() const
{
    QStringList result;
    for (const Vob &v : vobs)
        result << v.tag;
    std::sort(result.begin(), result.end());
    return result;
}

Row completeRow(const Vob &vob, const Row &row)
{
    Row full;
    for (const Replica &r : vob.replicas)
        full.insert(r.name, row.value(r.name, 0));
    return full;
}

QString rowText(const Row &row)
{
    QStringList parts;
    for (auto it = row.cbegin(); it != row.cend(); ++it)
        parts << QString(it.key() + QLatin1Char('=') + QString::number(it.value()));
    return parts.join(QLatin1Char(' '));
}

namespace {

QString dateText(const QDateTime &d)
{
    return d.toUTC().toString(Qt::ISODate);
}

// A moment that may be absent: written only when set.
QJsonValue optionalDateText(const QDateTime &d)
{
    return d.isValid() ? QJsonValue(dateText(d)) : QJsonValue();
}

QDateTime dateFrom(const QJsonValue &v);

QDateTime optionalDateFrom(const QJsonValue &v)
{
    return v.isUndefined() || v.isNull() ? QDateTime() : dateFrom(v);
}

QDateTime dateFrom(const QJsonValue &v)
{
    QDateTime d = QDateTime::fromString(v.toString(), Qt::ISODate);
    if (!d.isValid())
        throw CommandError(QStringLiteral("The region file holds an invalid date \"%1\".").arg(v.toString()));
    return d;
}

QJsonObject rowJson(const Row &row)
{
    QJsonObject o;
    for (auto it = row.cbegin(); it != row.cend(); ++it)
        o.insert(it.key(), static_cast<double>(it.value()));
    return o;
}

Row rowFrom(const QJsonValue &v)
{
    Row row;
    const QJsonObject o = v.toObject();
    for (auto it = o.begin(); it != o.end(); ++it)
        // A damaged file may hold any number: one that is no whole qint64
        // reads as 0 instead of an undefined conversion.
        row.insert(it.key(), it.value().toInteger());
    return row;
}

QJsonObject packetJson(const Packet &p)
{
    return QJsonObject{{QStringLiteral("name"), p.name},       {QStringLiteral("from"), p.from},
                       {QStringLiteral("to"), p.to},           {QStringLiteral("created"), dateText(p.created)},
                       {QStringLiteral("base"), rowJson(p.base)}, {QStringLiteral("upto"), rowJson(p.upto)},
                       {QStringLiteral("expires"), optionalDateText(p.expires)},
                       {QStringLiteral("arrives"), optionalDateText(p.arrives)}};
}

Packet packetFrom(const QJsonValue &v)
{
    const QJsonObject o = v.toObject();
    Packet p;
    p.name = o.value(QStringLiteral("name")).toString();
    p.from = o.value(QStringLiteral("from")).toString();
    p.to = o.value(QStringLiteral("to")).toString();
    p.created = dateFrom(o.value(QStringLiteral("created")));
    p.base = rowFrom(o.value(QStringLiteral("base")));
    p.upto = rowFrom(o.value(QStringLiteral("upto")));
    p.expires = optionalDateFrom(o.value(QStringLiteral("expires")));
    p.arrives = optionalDateFrom(o.value(QStringLiteral("arrives")));
    return p;
}

QJsonArray packetsJson(const QList<Packet> &packets)
{
    QJsonArray a;
    for (const Packet &p : packets)
        a.append(packetJson(p));
    return a;
}

QList<Packet> packetsFrom(const QJsonValue &v)
{
    QList<Packet> list;
    for (const QJsonValue &p : v.toArray())
        list << packetFrom(p);
    return list;
}

QJsonObject replicaJson(const Replica &r)
{
    QJsonArray history;
    for (const HistoryEvent &e : r.history) {
        history.append(QJsonObject{{QStringLiteral("date"), dateText(e.date)},
                                   {QStringLiteral("user"), e.user},
                                   {QStringLiteral("event"), e.event},
                                   {QStringLiteral("comment"), e.comment},
                                   {QStringLiteral("minor"), e.minor}});
    }
    return QJsonObject{{QStringLiteral("name"), r.name},
                       {QStringLiteral("host"), r.host},
                       {QStringLiteral("master"), r.master},
                       {QStringLiteral("oid"), r.oid},
                       {QStringLiteral("owner"), r.owner},
                       {QStringLiteral("created"), dateText(r.created)},
                       {QStringLiteral("reachable"), r.reachable},
                       {QStringLiteral("losesPackets"), r.losesPackets},
                       {QStringLiteral("latencyMs"), r.latencyMs},
                       {QStringLiteral("own"), rowJson(r.own)},
                       {QStringLiteral("scrubbed"), rowJson(r.scrubbed)},
                       {QStringLiteral("believesLocal"), rowJson(r.believesLocal)},
                       {QStringLiteral("history"), history},
                       {QStringLiteral("incoming"), packetsJson(r.incoming)}};
}

Replica replicaFrom(const QJsonValue &v)
{
    const QJsonObject o = v.toObject();
    Replica r;
    r.name = o.value(QStringLiteral("name")).toString();
    if (r.name.isEmpty())
        throw CommandError(QStringLiteral("The region file holds a replica without a name."));
    r.host = o.value(QStringLiteral("host")).toString();
    r.master = o.value(QStringLiteral("master")).toString();
    r.oid = o.value(QStringLiteral("oid")).toString();
    r.owner = o.value(QStringLiteral("owner")).toString();
    r.created = dateFrom(o.value(QStringLiteral("created")));
    r.reachable = o.value(QStringLiteral("reachable")).toBool(true);
    r.losesPackets = o.value(QStringLiteral("losesPackets")).toBool();
    r.latencyMs = o.value(QStringLiteral("latencyMs")).toInt();
    r.own = rowFrom(o.value(QStringLiteral("own")));
    r.scrubbed = rowFrom(o.value(QStringLiteral("scrubbed")));
    r.believesLocal = rowFrom(o.value(QStringLiteral("believesLocal")));
    for (const QJsonValue &ev : o.value(QStringLiteral("history")).toArray()) {
        const QJsonObject e = ev.toObject();
        r.history << HistoryEvent{dateFrom(e.value(QStringLiteral("date"))),
                                  e.value(QStringLiteral("user")).toString(),
                                  e.value(QStringLiteral("event")).toString(),
                                  e.value(QStringLiteral("comment")).toString(),
                                  e.value(QStringLiteral("minor")).toBool()};
    }
    r.incoming = packetsFrom(o.value(QStringLiteral("incoming")));
    return r;
}

} // namespace

QJsonObject vobJson(const Vob &v)
{
    QJsonArray replicas;
    for (const Replica &r : v.replicas)
        replicas.append(replicaJson(r));
    QJsonObject table;
    for (auto it = v.table.cbegin(); it != v.table.cend(); ++it)
        table.insert(it.key(), rowJson(it.value()));
    return QJsonObject{{QStringLiteral("tag"), v.tag},
                       {QStringLiteral("storage"), v.storage},
                       {QStringLiteral("local"), v.local},
                       {QStringLiteral("created"), dateText(v.created)},
                       {QStringLiteral("packetSeq"), v.packetSeq},
                       {QStringLiteral("replicas"), replicas},
                       {QStringLiteral("table"), table},
                       {QStringLiteral("lost"), packetsJson(v.lost)},
                       {QStringLiteral("outgoing"), packetsJson(v.outgoing)},
                       {QStringLiteral("returned"), packetsJson(v.returned)},
                       {QStringLiteral("inTransit"), packetsJson(v.inTransit)}};
}

Vob vobFromJson(const QJsonObject &o)
{
    Vob v;
    v.tag = o.value(QStringLiteral("tag")).toString();
    v.storage = o.value(QStringLiteral("storage")).toString();
    v.local = o.value(QStringLiteral("local")).toString();
    v.created = dateFrom(o.value(QStringLiteral("created")));
    v.packetSeq = o.value(QStringLiteral("packetSeq")).toInt();
    for (const QJsonValue &r : o.value(QStringLiteral("replicas")).toArray())
        v.replicas << replicaFrom(r);
    const QJsonObject table = o.value(QStringLiteral("table")).toObject();
    for (auto it = table.begin(); it != table.end(); ++it)
        v.table.insert(it.key(), rowFrom(it.value()));
    v.lost = packetsFrom(o.value(QStringLiteral("lost")));
    v.outgoing = packetsFrom(o.value(QStringLiteral("outgoing")));
    v.returned = packetsFrom(o.value(QStringLiteral("returned")));
    v.inTransit = packetsFrom(o.value(QStringLiteral("inTransit")));
    if (v.tag.isEmpty() || !v.replica(v.local))
        throw CommandError(QStringLiteral("The region file holds a VOB without a tag or local replica."));
    return v;
}

QByteArray vobBytes(const Vob &vob)
{
    return QJsonDocument(vobJson(vob)).toJson(QJsonDocument::Indented);
}

QJsonObject documentOf(const QByteArray &bytes, const QString &origin)
{
    QJsonParseError error{};
    const QJsonDocument doc = QJsonDocument::fromJson(bytes, &error);
    if (error.error != QJsonParseError::NoError || !doc.isObject())
        throw CommandError(
            QStringLiteral("The region file \"%1\" is damaged: %2").arg(origin, error.errorString()));
    return doc.object();
}

namespace {

// Messages of the model name no file; the reader adds which one it was.
template <typename Parse>
auto parsedFrom(const QString &origin, Parse parse)
{
    try {
        return parse();
    } catch (const CommandError &e) {
        throw CommandError(QStringLiteral("The region file \"%1\" is damaged: %2").arg(origin, e.message()));
    }
}

} // namespace

Vob parseVob(const QByteArray &bytes, const QString &origin)
{
    const QJsonObject doc = documentOf(bytes, origin);
    return parsedFrom(origin, [&] { return vobFromJson(doc); });
}

QJsonObject Region::toJson() const
{
    QJsonArray list;
    for (const Vob &v : vobs)
        list.append(vobJson(v));
    return QJsonObject{{QStringLiteral("format"), 1}, {QStringLiteral("vobs"), list}};
}

Region Region::fromJson(const QJsonObject &json)
{
    if (json.value(QStringLiteral("format")).toInt() != 1)
        throw CommandError(QStringLiteral("The region file has an unknown format."));
    Region region;
    for (const QJsonValue &vv : json.value(QStringLiteral("vobs")).toArray())
        region.vobs << vobFromJson(vv.toObject());
    return region;
}

Region Region::parse(const QByteArray &bytes, const QString &origin)
{
    const QJsonObject doc = documentOf(bytes, origin);
    return parsedFrom(origin, [&] { return fromJson(doc); });
}

} // namespace quorvane::ccsim
