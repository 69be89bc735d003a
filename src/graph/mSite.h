#pragma once

#include "common/Colors.h"

#include <QString>
#include <QtGlobal>

namespace quorvane {

// One replica of the open VOB as the graph shows it. A plain record: the
// loader, the graph and the site detail read and write its fields directly.
// lastImport, lastExport and isMaster are kept for the record's shape; the
// dates shown to the user are fetched afresh from the history instead.
struct mSite {
    qint32 id = 0;          // GCount when the record was made
    QString replicaName;    // replica name as lsreplica prints it
    QString dateCreated;    // creation date as ClearCase prints it
    QString replicaHost;    // host recorded for the replica
    QString master;         // master of the replica object, "name@TAG"
    QString lastImport;
    QString lastExport;
    bool isMaster = false;
    OleColor lineColor = 0; // mastership lines and marker background
};

} // namespace quorvane
