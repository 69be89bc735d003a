#pragma once

#include <QString>
#include <QStringList>

namespace quorvane::Commands {

// Every command text the program sends to ClearCase, one function per use.
// Tags, replica names and values go in exactly as given, unquoted.

// cleartool: "lsreplica -siblings -s -invob " TAG (is the VOB replicated?)
QString vobCheck(const QString &vobTag);
// cleartool: desc -fmt "%[replica_name]p" vob:TAG (this site's replica)
QString localReplicaName(const QString &vobTag);
// cleartool: lsreplica -fmt "%n,%d,%[replica_host]p,%[master]p," -invob TAG
QString replicaList(const QString &vobTag);
// cleartool: lshistory -fmt "Date:%d User:%u\n%c\n" replica:R@TAG (\n kept as two characters)
QString historyDetail(const QString &replica, const QString &vobTag);
// cleartool: lshistory -fmt "%e,%d," replica:R@TAG
QString syncHistory(const QString &replica, const QString &vobTag);

// Process: ccperl "SCRIPT" TAG
QString replicaInfoScript(const QString &scriptPath, const QString &vobTag);
// Process: ccperl "SCRIPT" TAG R
QString replicaInfoScriptFor(const QString &scriptPath, const QString &vobTag, const QString &replica);
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
