#pragma once

#include <QString>
#include <QStringList>

#include <optional>

namespace quorvane::Commands {

// Names and tags are spliced into command lines that ClearCase splits again
// at blanks and double quotes, and a word that starts with "-" reads as an
// option. A text that would not come out as the one argument it stands for
// must never go into a command that changes a replica.
struct ArgumentFault {
    QString text;   // the offending name or tag, as given
    QString reason; // why it cannot go out, e.g. "holds a blank"
};
// The first of the texts that cannot go out as one argument, if any: one
// that is empty, holds a blank, a double quote or a control character, or
// starts with "-". Everything else goes out unchanged.
[[nodiscard]] std::optional<ArgumentFault> argumentFault(const QStringList &texts);
// Why a text holds a control character ("holds a control character
// (<U+000A>)"), if it does.
[[nodiscard]] std::optional<QString> controlCharacterFault(const QString &text);
// The text with every control character written as <U+XXXX>, fit to show
// in a box on one line.
[[nodiscard]] QString visible(const QString &text);

// Every command text the program sends to ClearCase, one function per use.
// Tags, replica names and values go in exactly as given, unquoted.

// cleartool: "lsreplica -siblings -s -invob " TAG (is the VOB replicated?)
QString vobCheck(const QString &vobTag);
// cleartool: desc -fmt "%[replica_name]p" vob:TAG (this site's replica)
QString localReplicaName(const QString &vobTag);
// cleartool: lsreplica -fmt "%n,%d,%[replica_host]p,%[master]p," -invob TAG
QString replicaList(const QString &vobTag);
// cleartool: lsvob -long TAG (its "Vob family uuid", which names its packets)
QString vobFamily(const QString &vobTag);
// cleartool: lshistory -fmt "Date:%d User:%u\n%c\n" replica:R@TAG (\n kept as two characters)
QString historyDetail(const QString &replica, const QString &vobTag);
// cleartool: lshistory -fmt "%e,%d," replica:R@TAG
QString syncHistory(const QString &replica, const QString &vobTag);

// Process: ccperl "SCRIPT" TAG
QString replicaInfoScript(const QString &scriptPath, const QString &vobTag);
// Process: ccperl "SCRIPT" -local TAG (this site's table only, no host asked)
QString replicaInfoScriptLocal(const QString &scriptPath, const QString &vobTag);
// Process: ccperl "SCRIPT" TAG R
QString replicaInfoScriptFor(const QString &scriptPath, const QString &vobTag, const QString &replica);
// The script told the replicas (in listing order) and this site's one, which
// the caller has listed already, so it does not list them again.
QString replicaInfoScriptKnown(const QString &scriptPath, const QString &vobTag, const QString &here,
                               const QStringList &replicas);
// Process: multitool lspacket -long -endrange (every packet of this host's bays)
QString listPackets();
// Process: multitool chepoch -actual -raise_only R@TAG (never lowers an estimate)
QString chepochRaiseOnly(const QString &replica, const QString &vobTag);
// Process: multitool chepoch -force R@TAG R=VALUE
QString chepochForce(const QString &replica, const QString &vobTag, const QString &value);
// Process: multitool chepoch -actual R@TAG
QString chepochActual(const QString &replica, const QString &vobTag);
// Process: multitool syncreplica -import -invob TAG -receive
QString importReceive(const QString &vobTag);
// Process: multitool syncreplica -export -fship R@TAG
QString exportTo(const QString &replica, const QString &vobTag);
// Process: multitool syncreplica -export -fship R1@TAG R2@TAG ... (each selector followed by a blank)
QString exportToAll(const QStringList &replicas, const QString &vobTag);

} // namespace quorvane::Commands
