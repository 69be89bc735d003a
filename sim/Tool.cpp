#include "sim/Tool.h"

#include "sim/CommandError.h"

namespace quorvane::ccsim {

ParsedArgs parseArgs(const QStringList &args, const QList<OptionPattern> &options)
{
    ParsedArgs parsed;
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString &a = args.at(i);
        if (!a.startsWith(QLatin1Char('-')) || a.size() < 2) {
            parsed.positional << a;
            continue;
        }
        const OptionPattern *match = nullptr;
        QString full;
        for (const OptionPattern &s : options) {
            const QString minimal = s.pattern.section(QLatin1Char('/'), 0, 0);
            const QString name = QString(s.pattern).remove(QLatin1Char('/'));
            if (a.startsWith(minimal) && name.startsWith(a)) {
                match = &s;
                full = name;
                break;
            }
        }
        if (!match)
            throw CommandError(QStringLiteral("Unrecognized option \"%1\"").arg(a));
        if (!match->takesValue) {
            parsed.flags.insert(full);
            continue;
        }
        if (i + 1 >= args.size())
            throw CommandError(QStringLiteral("Option \"%1\" requires an argument.").arg(full));
        parsed.values.insert(full, args.at(++i));
    }
    return parsed;
}

Selector parseSelector(const QString &text, bool prefixOptional)
{
    QString rest = text;
    const QString prefix = QStringLiteral("replica:");
    if (rest.startsWith(prefix))
        rest = rest.mid(prefix.size());
    else if (!prefixOptional)
        throw CommandError(QStringLiteral("Not a replica selector: \"%1\".").arg(text));
    const qsizetype at = rest.indexOf(QLatin1Char('@'));
    if (at <= 0 || at + 1 >= rest.size())
        throw CommandError(QStringLiteral("Replica selector \"%1\" needs the form NAME@VOB-tag.").arg(text));
    return Selector{rest.left(at), rest.mid(at + 1)};
}

QStringList tagsNamed(const QStringList &objects, bool prefixOptional)
{
    QStringList tags;
    for (const QString &object : objects) {
        if (object.startsWith(QLatin1String("vob:"))) {
            tags << object.mid(4);
            continue;
        }
        try {
            tags << parseSelector(object, prefixOptional).tag;
        } catch (const CommandError &) {
        }
    }
    tags.removeDuplicates();
    return tags;
}

namespace {

[[noreturn]] void noVob(const QString &tag)
{
    throw CommandError(QStringLiteral("Unable to determine VOB for pathname \"%1\".").arg(tag));
}

} // namespace

const Vob &findVob(const Region &region, const QString &tag)
{
    const Vob *v = region.vob(tag);
    if (!v)
        noVob(tag);
    return *v;
}

Vob &findVob(Region &region, const QString &tag)
{
    Vob *v = region.vob(tag);
    if (!v)
        noVob(tag);
    return *v;
}

const Replica &findReplica(const Vob &vob, const QString &name)
{
    const Replica *r = vob.replica(name);
    if (!r)
        throw CommandError(QStringLiteral("Replica \"%1\" not found in VOB \"%2\".").arg(name, vob.tag));
    return *r;
}

} // namespace quorvane::ccsim
