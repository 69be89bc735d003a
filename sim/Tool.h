#pragma once

#include "sim/RegionStore.h"
#include "sim/Replication.h"

#include <QSet>
#include <QStringList>

#include <functional>
#include <optional>

namespace quorvane::ccsim {

// Where a command writes. Errors and warnings go to err, which the
// co-process loop flushes before the status line.
class Output {
public:
    virtual ~Output() = default;
    virtual void out(const QString &text) = 0;
    virtual void err(const QString &text) = 0;
    virtual void flush() {}
};

// Lines a command reads (answers to prompts); in co-process mode they come
// from the same stream as the commands.
class Input {
public:
    virtual ~Input() = default;
    virtual std::optional<QString> readLine() = 0;
};

struct Context {
    QString tool; // cleartool, multitool or ccsim: the prefix of its messages
    const RegionStore &store;
    Output &output;
    Input &input;
    QString user;
    qint64 pid = 0;
    // Simulated network latency; tests may replace it.
    std::function<void(int ms)> wait;

    // Now by the region's clock.
    Moment moment() const { return Moment{store.now(), user, pid}; }
    // An error that does not end the command (it goes on with the next object).
    void error(const QString &message) const { output.err(tool + QStringLiteral(": Error: ") + message + QLatin1Char('\n')); }
    void warning(const QString &message) const
    {
        output.err(tool + QStringLiteral(": Warning: ") + message + QLatin1Char('\n'));
    }
};

// Options in cleartool's notation: "-s/hort" accepts -s, -sh, ... -short.
struct OptionPattern {
    QString pattern;
    bool takesValue = false;
};

struct ParsedArgs {
    QSet<QString> flags;           // full option names, e.g. "-short"
    QMap<QString, QString> values; // full option name -> value
    QStringList positional;

    bool has(const QString &option) const { return flags.contains(option) || values.contains(option); }
    QString value(const QString &option) const { return values.value(option); }
};

// Throws CommandError for unknown options and options missing their value.
ParsedArgs parseArgs(const QStringList &args, const QList<OptionPattern> &options);

struct Selector {
    QString replica;
    QString tag;
};
// "replica:NAME@TAG", or with prefixOptional also "NAME@TAG" (multitool).
Selector parseSelector(const QString &text, bool prefixOptional);
// The VOB tags of the objects that name one ("vob:TAG", a replica
// selector), for reading only those VOBs; objects that name none are left
// for the command to refuse in its turn.
QStringList tagsNamed(const QStringList &objects, bool prefixOptional);

// Lookups that fail with ClearCase-like messages.
const Vob &findVob(const Region &region, const QString &tag);
Vob &findVob(Region &region, const QString &tag);
const Replica &findReplica(const Vob &vob, const QString &name);

} // namespace quorvane::ccsim
