#pragma once

#include "graph/mSite.h"
#include "replicas/Diagnosis.h"
#include "replicas/EpochMatrix.h"

#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>

namespace quorvane {

// What the window knows of the VOB it shows, as one value: the loader
// builds it and hands it to the pages, which only show it; a load replaces
// it whole. Nothing here needs a window, so it can be computed and checked
// without one.
struct OpenedVob {
    QString tag;          // empty: no VOB is shown
    QString localReplica; // this site's replica, as ClearCase names it
    QList<mSite> sites;   // in lsreplica's order
    EpochMatrix actual;   // Grid1
    EpochMatrix local;    // Grid2
    BayFacts bays;
    QList<Finding> findings;

    [[nodiscard]] QStringList replicaNames() const
    {
        QStringList names;
        for (const mSite &site : sites)
            names << site.replicaName;
        return names;
    }
    [[nodiscard]] QHash<QString, QString> hosts() const
    {
        QHash<QString, QString> hosts;
        for (const mSite &site : sites)
            hosts.insert(site.replicaName, site.replicaHost);
        return hosts;
    }
    // What this site holds of each replica: its own row in its table,
    // which is exact, else its actual row.
    [[nodiscard]] QHash<QString, qint64> held() const
    {
        QHash<QString, qint64> held;
        for (const EpochMatrix *matrix : {&local, &actual}) {
            const EpochTable table = matrix->table();
            const qsizetype row = table.names.lastIndexOf(localReplica);
            if (row < 0)
                continue;
            for (qsizetype k = 0; k < table.names.size() && k < table.values[row].size(); ++k) {
                bool ok = false;
                const qint64 n = table.values[row][k].toLongLong(&ok);
                if (ok)
                    held.insert(table.names[k], n);
            }
            if (!held.isEmpty())
                return held;
        }
        return held;
    }
};

} // namespace quorvane
