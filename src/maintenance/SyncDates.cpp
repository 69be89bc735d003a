#include "maintenance/SyncDates.h"

#include "ccase/ClearTool.h"
#include "ccase/Commands.h"

#include <QStringList>

namespace quorvane {

SyncDates scanSyncDates(const QString &historyOutput)
{
    SyncDates dates;
    if (historyOutput.isEmpty())
        return dates;

    const QStringList fields = historyOutput.split(QLatin1Char(','));
    const QString none = QStringLiteral("None");
    for (qsizetype i = 0; i < fields.size(); ++i) {
        // Each step starts afresh, so the date that the matching event does
        // not name reads "None" rather than an older event's date.
        dates.importDate = none;
        dates.exportDate = none;
        if (fields[i].contains(QLatin1String("import"))) {
            dates.importDate = fields.value(i + 1);
            break;
        }
        if (fields[i].contains(QLatin1String("export"))) {
            dates.exportDate = fields.value(i + 1);
            break;
        }
    }
    return dates;
}

SyncDates getLastSyncDates(ClearTool &clearTool, const QString &replica, const QString &vobTag)
{
    return scanSyncDates(clearTool.CmdExec(Commands::syncHistory(replica, vobTag)));
}

} // namespace quorvane
