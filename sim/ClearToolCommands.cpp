#include "sim/ClearToolCommands.h"

#include "sim/CommandError.h"
#include "sim/DemoRegion.h"
#include "sim/FormatEngine.h"

#include <algorithm>

namespace quorvane::ccsim::ClearToolCommands {

namespace {

// For commands that list no history: they never read it.
constexpr RegionStore::Detail NoHistory = RegionStore::Detail::WithoutHistory;

QString selectorText(const Replica &r, const Vob &v)
{
    return r.name + QLatin1Char('@') + v.tag;
}

FormatFields replicaFields(const Replica &r, const Vob &v)
{
    FormatFields f;
    f.name = r.name;
    f.date = r.created;
    f.user = r.owner;
    f.event = QStringLiteral("create replica \"%1\"").arg(r.name);
    f.properties.insert(QStringLiteral("replica_host"), r.host);
    f.properties.insert(QStringLiteral("master"), r.master + QLatin1Char('@') + v.tag);
    f.properties.insert(QStringLiteral("replica_name"), r.name);
    return f;
}

FormatFields vobFields(const Vob &v)
{
    FormatFields f;
    f.name = v.tag;
    f.date = v.created;
    f.user = v.localReplica().owner;
    f.properties.insert(QStringLiteral("replica_name"), v.local);
    f.properties.insert(QStringLiteral("master"), v.local + QLatin1Char('@') + v.tag);
    f.properties.insert(QStringLiteral("replica_host"), v.localReplica().host);
    return f;
}

void exclusiveFormats(const ParsedArgs &a)
{
    const int n = int(a.has(QStringLiteral("-fmt"))) + int(a.has(QStringLiteral("-short")))
        + int(a.has(QStringLiteral("-long")));
    if (n > 1)
        throw CommandError(QStringLiteral("Only one of \"-fmt\", \"-short\" and \"-long\" may be given."));
}

QString longReplica(const Replica &r, const Vob &v)
{
    return QStringLiteral("replica \"%1\"\n  created %2 by %3\n  replica type: unfiltered\n"
                          "  master replica: %4@%5\n  request for mastership: allowed for all objects\n"
                          "  owner: %3\n  group: ccusers\n  host: \"%6\"\n  identities: preserved\n"
                          "  feature level: 7\n")
        .arg(r.name, FormatEngine::date(r.created), r.owner, r.master, v.tag, r.host);
}

int lsvob(const QStringList &args, Context &ctx)
{
    const ParsedArgs a = parseArgs(args, {{QStringLiteral("-s/hort")}, {QStringLiteral("-l/ong")}});
    exclusiveFormats(a);
    const Region region = a.positional.isEmpty() ? ctx.store.read(NoHistory) : ctx.store.read(a.positional, NoHistory);
    QStringList tags = a.positional.isEmpty() ? region.tags() : a.positional;
    QString out;
    for (const QString &tag : tags) {
        const Vob &v = findVob(region, tag);
        if (a.has(QStringLiteral("-short"))) {
            out += v.tag + QLatin1Char('\n');
        } else if (a.has(QStringLiteral("-long"))) {
            // The family uuid is the identifier lspacket prints for the family's packets.
            out += QStringLiteral("Tag: %1\n  Global path: %2\n  Server host: %3\n  Access: public\n"
                                  "  Mount options: [none]\n  Active: YES\n  Vob family uuid: %4\n"
                                  "  Vob replica uuid: %5\n  Vob registry attributes: %6\n")
                       .arg(v.tag, v.storage, v.localReplica().host, DemoRegion::oidFor(v.tag, QString()),
                            v.localReplica().oid,
                            v.isReplicated() ? QStringLiteral("replicated") : QStringLiteral("[none]"));
        } else {
            out += QStringLiteral("* %1 %2 public%3\n")
                       .arg(v.tag, v.storage, v.isReplicated() ? QStringLiteral(" (replicated)") : QString());
        }
    }
    ctx.output.out(out);
    return 0;
}

int lsreplica(const QStringList &args, Context &ctx)
{
    const ParsedArgs a = parseArgs(args, {{QStringLiteral("-s/hort")},
                                          {QStringLiteral("-l/ong")},
                                          {QStringLiteral("-fmt"), true},
                                          {QStringLiteral("-inv/ob"), true},
                                          {QStringLiteral("-sib/lings")}});
    exclusiveFormats(a);
    const Region region =
        ctx.store.read(a.has(QStringLiteral("-invob")) ? QStringList{a.value(QStringLiteral("-invob"))}
                                                       : tagsNamed(a.positional, false),
                       NoHistory);
    QList<std::pair<const Vob *, const Replica *>> list;
    if (a.has(QStringLiteral("-invob"))) {
        const Vob &v = findVob(region, a.value(QStringLiteral("-invob")));
        for (const Replica &r : v.replicas) {
            if (!a.has(QStringLiteral("-siblings")) || r.name != v.local)
                list << std::pair{&v, &r};
        }
    } else if (!a.positional.isEmpty()) {
        for (const QString &s : a.positional) {
            const Selector sel = parseSelector(s, false);
            const Vob &v = findVob(region, sel.tag);
            list << std::pair{&v, &findReplica(v, sel.replica)};
        }
    } else {
        throw CommandError(QStringLiteral("Unable to determine VOB for pathname \".\"."));
    }
    QString out;
    for (const auto &[v, r] : list) {
        if (a.has(QStringLiteral("-fmt")))
            out += FormatEngine::expand(a.value(QStringLiteral("-fmt")), replicaFields(*r, *v));
        else if (a.has(QStringLiteral("-short")))
            out += r->name + QLatin1Char('\n');
        else if (a.has(QStringLiteral("-long")))
            out += longReplica(*r, *v);
        else
            out += QStringLiteral("%1  %2  replica \"%3\"\n")
                       .arg(FormatEngine::listingDate(r->created, QDateTime::currentDateTime()), r->owner, r->name);
    }
    ctx.output.out(out);
    return 0;
}

int describe(const QStringList &args, Context &ctx)
{
    const ParsedArgs a = parseArgs(
        args, {{QStringLiteral("-s/hort")}, {QStringLiteral("-l/ong")}, {QStringLiteral("-fmt"), true}});
    exclusiveFormats(a);
    if (a.positional.isEmpty())
        throw CommandError(QStringLiteral("No object given to describe."));
    const Region region = ctx.store.read(tagsNamed(a.positional, false), NoHistory);
    QString out;
    for (const QString &object : a.positional) {
        if (object.startsWith(QLatin1String("vob:"))) {
            const Vob &v = findVob(region, object.mid(4));
            if (a.has(QStringLiteral("-fmt")))
                out += FormatEngine::expand(a.value(QStringLiteral("-fmt")), vobFields(v));
            else if (a.has(QStringLiteral("-short")))
                out += v.tag + QLatin1Char('\n');
            else
                out += QStringLiteral("versioned object base \"%1\"\n  created %2 by %3\n"
                                      "  master replica: %4@%1\n  replica name: %4\n"
                                      "  VOB family feature level: 7\n  VOB storage global pathname \"%5\"\n")
                           .arg(v.tag, FormatEngine::date(v.created), v.localReplica().owner, v.local, v.storage);
            continue;
        }
        if (!object.startsWith(QLatin1String("replica:")))
            throw CommandError(QStringLiteral("Unable to determine VOB for pathname \"%1\".").arg(object));
        const Selector sel = parseSelector(object, false);
        const Vob &v = findVob(region, sel.tag);
        const Replica &r = findReplica(v, sel.replica);
        if (a.has(QStringLiteral("-fmt")))
            out += FormatEngine::expand(a.value(QStringLiteral("-fmt")), replicaFields(r, v));
        else if (a.has(QStringLiteral("-short")))
            out += selectorText(r, v) + QLatin1Char('\n');
        else
            out += longReplica(r, v);
    }
    ctx.output.out(out);
    return 0;
}

int lshistory(const QStringList &args, Context &ctx)
{
    const ParsedArgs a = parseArgs(args, {{QStringLiteral("-fmt"), true},
                                          {QStringLiteral("-min/or")},
                                          {QStringLiteral("-l/ong")},
                                          {QStringLiteral("-nco")}});
    if (a.positional.isEmpty())
        throw CommandError(QStringLiteral("No object given to list the history of."));
    const Region region = ctx.store.read(tagsNamed(a.positional, false));
    const QDateTime now = QDateTime::currentDateTime();
    QString out;
    for (const QString &object : a.positional) {
        const Selector sel = parseSelector(object, false);
        const Vob &v = findVob(region, sel.tag);
        const Replica &r = findReplica(v, sel.replica);
        QList<HistoryEvent> events = r.history;
        // Newest first; events of the same second keep their recorded order
        // reversed, as they were appended oldest first.
        std::reverse(events.begin(), events.end());
        std::stable_sort(events.begin(), events.end(),
                         [](const HistoryEvent &x, const HistoryEvent &y) { return x.date > y.date; });
        for (const HistoryEvent &e : events) {
            if (e.minor && !a.has(QStringLiteral("-minor")))
                continue;
            if (a.has(QStringLiteral("-fmt"))) {
                FormatFields f;
                f.name = selectorText(r, v);
                f.date = e.date;
                f.user = e.user;
                f.event = e.event;
                f.comment = a.has(QStringLiteral("-nco")) ? QString() : e.comment;
                out += FormatEngine::expand(a.value(QStringLiteral("-fmt")), f);
                continue;
            }
            out += QStringLiteral("%1 %2 %3\n")
                       .arg(FormatEngine::listingDate(e.date, now), -14)
                       .arg(e.user, -9)
                       .arg(e.event);
            if (!e.comment.isEmpty() && !a.has(QStringLiteral("-nco")))
                out += QStringLiteral("  \"%1\"\n").arg(QString(e.comment).replace(QLatin1Char('\n'), QStringLiteral("\n  ")));
        }
    }
    ctx.output.out(out);
    return 0;
}

} // namespace

bool handles(const QString &command)
{
    return commandNames().contains(command);
}

QStringList commandNames()
{
    return {QStringLiteral("lsvob"), QStringLiteral("lsreplica"), QStringLiteral("describe"),
            QStringLiteral("desc"), QStringLiteral("lshistory"), QStringLiteral("lshis")};
}

int run(const QString &command, const QStringList &args, Context &ctx)
{
    if (command == QLatin1String("lsvob"))
        return lsvob(args, ctx);
    if (command == QLatin1String("lsreplica"))
        return lsreplica(args, ctx);
    if (command == QLatin1String("describe") || command == QLatin1String("desc"))
        return describe(args, ctx);
    if (command == QLatin1String("lshistory") || command == QLatin1String("lshis"))
        return lshistory(args, ctx);
    throw CommandError(QStringLiteral("Unrecognized command: \"%1\"").arg(command));
}

} // namespace quorvane::ccsim::ClearToolCommands
