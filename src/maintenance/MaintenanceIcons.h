#pragma once

#include <QPixmap>

namespace quorvane::MaintenanceIcons {

// The small pictures of the maintenance controls, drawn in code at SIZE
// device-independent pixels (sharp on high-density screens too).

// A history page with a clock: opens a replica's history.
QPixmap history(int size);
// An epoch table with a pencil over one cell: fixes a row of the table.
QPixmap fixEpoch(int size);
// Two arrows chasing each other: synchronizes the replicas.
QPixmap synchronize(int size);

} // namespace quorvane::MaintenanceIcons
