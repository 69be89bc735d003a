#include "replicas/PacketList.h"

#include <QLocale>
#include <QRegularExpression>

namespace quorvane::PacketList {

namespace {

const QString kPacketIs = QStringLiteral("Packet is:");
const QString kType = QStringLiteral("Packet type:");
const QString kFamily = QStringLiteral("VOB family identifier is:");
const QString kComment = QStringLiteral("Comment supplied at packet creation is:");
const QString kTargets = QStringLiteral("Packet intended for the following targets:");
const QString kOrigin = QStringLiteral("Originating replica is:");
const QString kReferenced = QStringLiteral("The following replicas are referenced by this packet:");
const QString kFirst = QStringLiteral("first oplog id is");
const QString kLast = QStringLiteral("last oplog id is");
const QString kIncarnation = QStringLiteral("incarnation is");
const QString kVersions = QStringLiteral("The major packet version is");
const QString kSequence = QStringLiteral("The packet sequence number is");

bool isKey(const QString &line)
{
    for (const QString *key : {&kPacketIs, &kType, &kFamily, &kComment, &kTargets, &kOrigin, &kReferenced, &kFirst,
                               &kLast, &kIncarnation, &kVersions, &kSequence}) {
        if (line.startsWith(*key))
            return true;
    }
    return false;
}

Bay bayOf(const QString &path)
{
    QString p = path;
    p.replace(QLatin1Char('\\'), QLatin1Char('/'));
    if (p.contains(QLatin1String("/ms_rtn/")))
        return Bay::Returned;
    if (p.contains(QLatin1String("/incoming/")))
        return Bay::Incoming;
    if (p.contains(QLatin1String("/outgoing/")))
        return Bay::Outgoing;
    return Bay::Elsewhere;
}

Packet packetAt(const QString &path)
{
    Packet p;
    p.path = path;
    QString name = path;
    name.replace(QLatin1Char('\\'), QLatin1Char('/'));
    p.name = name.section(QLatin1Char('/'), -1);
    p.bay = bayOf(path);
    readName(p);
    return p;
}

Target targetOf(const QString &line)
{
    static const QRegularExpression form(
        QStringLiteral("^(\\S+?)(\\*)?(\\s*\\[\\s*local to this network\\s*\\])?(\\s*tag:\\s*(.*))?$"));
    const QRegularExpressionMatch m = form.match(line);
    Target t;
    t.replica = m.captured(1);
    t.importable = m.hasCaptured(2) && !m.captured(2).isEmpty();
    t.local = !m.captured(3).isEmpty();
    t.tag = m.captured(5).trimmed();
    return t;
}

qint64 numberAfter(const QString &line, const QString &key)
{
    bool ok = false;
    const qint64 n = line.mid(key.size()).trimmed().toLongLong(&ok);
    return ok ? n : -1;
}

} // namespace

void readName(Packet &packet)
{
    static const QRegularExpression form(QStringLiteral(
        "^(?:sync|repl)_(.+)_(\\d{1,2}-[A-Za-z]{3}-\\d{2}\\.\\d{2}\\.\\d{2}\\.\\d{2})_\\d+_\\d+$"));
    const QRegularExpressionMatch m = form.match(packet.name);
    if (!m.hasMatch())
        return;
    QDateTime when = QLocale::c().toDateTime(m.captured(2), QStringLiteral("d-MMM-yy.HH.mm.ss"));
    if (!when.isValid())
        return;
    // Two-digit years: the packets of this century, as in the manuals'
    // 15-Aug-00 (the reader takes them for 1900 + yy).
    if (when.date().year() < 1970)
        when = when.addYears(100);
    packet.sender = m.captured(1);
    packet.created = when;
}

qint64 ageDays(const Packet &packet, const QDateTime &now)
{
    if (!packet.created.isValid())
        return -1;
    return std::max<qint64>(0, packet.created.secsTo(now) / 86400);
}

QString familyOf(const QString &lsvobLong)
{
    static const QRegularExpression line(QStringLiteral("^\\s*Vob family uuid:\\s*(\\S+)\\s*$"),
                                         QRegularExpression::MultilineOption | QRegularExpression::CaseInsensitiveOption);
    return line.match(lsvobLong).captured(1);
}

QList<Packet> ofVob(const QList<Packet> &packets, const QString &family, const QString &tag,
                    const QString &localReplica, const QStringList &replicas)
{
    QList<Packet> out;
    for (const Packet &p : packets) {
        bool ours = false;
        if (!family.isEmpty()) {
            ours = p.family.compare(family, Qt::CaseInsensitive) == 0;
        } else {
            for (const Target &t : p.targets)
                ours = ours || (!t.tag.isEmpty() && t.tag == tag);
            ours = ours || (senderOf(p) == localReplica && replicas.contains(targetOf(p)));
        }
        if (ours)
            out << p;
    }
    return out;
}

QString targetOf(const Packet &packet)
{
    return packet.targets.isEmpty() ? QString() : packet.targets.first().replica;
}

QString senderOf(const Packet &packet)
{
    return packet.sender.isEmpty() ? packet.origin : packet.sender;
}

qint64 firstOf(const Packet &packet, const QString &replica)
{
    for (const Range &r : packet.ranges) {
        if (r.replica == replica)
            return r.first;
    }
    return -1;
}

qint64 lastOf(const Packet &packet, const QString &replica)
{
    for (const Range &r : packet.ranges) {
        if (r.replica == replica)
            return r.last;
    }
    return -1;
}

QList<Packet> parse(const QString &text)
{
    QStringList lines = text.split(QLatin1Char('\n'));
    for (QString &line : lines) {
        if (line.endsWith(QLatin1Char('\r')))
            line.chop(1);
    }
    const auto described = std::any_of(lines.cbegin(), lines.cend(), [](const QString &l) {
        return l.trimmed().startsWith(kPacketIs);
    });
    QList<Packet> packets;
    if (!described) {
        // -short: a path a line.
        static const QRegularExpression message(QStringLiteral("^\\S+: (Error|Warning):"));
        for (const QString &line : std::as_const(lines)) {
            if (!line.trimmed().isEmpty() && !message.match(line).hasMatch())
                packets << packetAt(line.trimmed());
        }
        return packets;
    }

    enum class In { Nothing, Comment, Targets, Referenced } in = In::Nothing;
    Packet *p = nullptr;
    // A key whose value came on the next line, as the manuals print some.
    QString *pending = nullptr;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const QString line = lines[i].trimmed();
        if (line.startsWith(kPacketIs)) {
            packets << packetAt(line.mid(kPacketIs.size()).trimmed());
            p = &packets.last();
            in = In::Nothing;
            pending = nullptr;
            continue;
        }
        if (!p)
            continue;
        if (pending && !line.isEmpty() && !isKey(line)) {
            *pending = line;
            pending = nullptr;
            continue;
        }
        const auto value = [&line](const QString &key) { return line.mid(key.size()).trimmed(); };
        if (line.startsWith(kType)) {
            p->type = value(kType);
        } else if (line.startsWith(kFamily)) {
            p->family = value(kFamily);
            pending = p->family.isEmpty() ? &p->family : nullptr;
        } else if (line.startsWith(kComment)) {
            p->comment = value(kComment);
            in = In::Comment;
        } else if (line.startsWith(kTargets)) {
            in = In::Targets;
        } else if (line.startsWith(kOrigin)) {
            p->origin = value(kOrigin);
            pending = p->origin.isEmpty() ? &p->origin : nullptr;
            in = In::Nothing;
        } else if (line.startsWith(kReferenced)) {
            in = In::Referenced;
        } else if (line.startsWith(kFirst)) {
            if (!p->ranges.isEmpty())
                p->ranges.last().first = numberAfter(line, kFirst);
        } else if (line.startsWith(kLast)) {
            if (!p->ranges.isEmpty())
                p->ranges.last().last = numberAfter(line, kLast);
        } else if (line.startsWith(kIncarnation)) {
            // An internal value of MultiSite.
        } else if (line.startsWith(kVersions)) {
            in = In::Nothing;
        } else if (line.startsWith(kSequence)) {
            p->sequence = int(numberAfter(line, kSequence));
            in = In::Nothing;
        } else if (line.isEmpty()) {
            if (in == In::Targets)
                in = In::Nothing;
        } else if (in == In::Comment) {
            p->comment += (p->comment.isEmpty() ? QString() : QStringLiteral("\n")) + line;
        } else if (in == In::Targets) {
            p->targets << targetOf(line);
        } else if (in == In::Referenced) {
            // Each replica's name (or OID) stands on a line of its own;
            // the entries of -dump ("1245: op=...") never come here.
            if (!line.contains(QLatin1Char(' ')))
                p->ranges << Range{line, -1, -1};
            else
                in = In::Nothing;
        }
    }
    return packets;
}

} // namespace quorvane::PacketList
