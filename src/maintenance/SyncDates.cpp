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

QHash<QString, QString> scanLastImports(const QString &historyOutput)
{
    static const QLatin1String from("from replica \"");
    QHash<QString, QString> dates;
    const QStringList fields = historyOutput.split(QLatin1Char(','));
    // Fields alternate description and date; newest first, so the first
    // import named for a sender is its last.
    for (qsizetype i = 0; i + 1 < fields.size(); i += 2) {
        const QString &event = fields[i];
        if (!event.contains(QLatin1String("import")))
            continue;
        const qsizetype at = event.indexOf(from);
        if (at < 0)
            continue;
        const qsizetype start = at + from.size();
        const qsizetype end = event.indexOf(QLatin1Char('"'), start);
        if (end <= start)
            continue;
        const QString sender = event.mid(start, end - start);
        if (!dates.contains(sender))
            dates.insert(sender, fields[i + 1]);
    }
    return dates;
}

SyncDates getLastSyncDates(ClearTool &clearTool, const QString &replica, const QString &vobTag)
{
    return scanSyncDates(clearTool.CmdExec(Commands::syncHistory(replica, vobTag)));
}

} // namespace quorvane
