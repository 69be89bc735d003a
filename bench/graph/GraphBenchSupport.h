#pragma once

#include "common/BenchSupport.h"

#include <QStringList>

namespace quorvane::bench {

// lsreplica output split at commas for n replicas of /vobs/dev: every
// masterEvery-th replica masters itself and the replicas after it up to the
// next master.
inline QStringList replicaFields(const QStringList &names, int masterEvery)
{
    QStringList fields;
    QString master;
    for (int i = 0; i < names.size(); ++i) {
        if (i % masterEvery == 0)
            master = names.at(i);
        fields << names.at(i) << QStringLiteral("15-Aug-00.14:19:03")
               << QStringLiteral("host%1").arg(i) << master + QStringLiteral("@/vobs/dev");
    }
    fields << QString();
    return fields;
}

inline QStringList numberedNames(int n)
{
    QStringList names;
    for (int i = 1; i <= n; ++i)
        names << QStringLiteral("site%1").arg(i);
    return names;
}

} // namespace quorvane::bench
