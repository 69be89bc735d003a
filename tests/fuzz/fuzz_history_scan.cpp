// The scan of a replica's history for its last import and export dates, on
// arbitrary output: a date it gives is a field of that output or "None".
#include "FuzzInput.h"
#include "maintenance/SyncDates.h"

using namespace quorvane;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QString output = fuzz::text(data, size);
    const SyncDates dates = scanSyncDates(output);
    const QStringList fields = output.split(QLatin1Char(','));
    const auto found = [&](const QString &date) {
        return date.isEmpty() || date == QLatin1String("None") || fields.contains(date);
    };
    fuzz::require(found(dates.importDate) && found(dates.exportDate));
    return 0;
}
