// The epoch value check on arbitrary text: what it accepts is a number in
// range whose written form it reads back unchanged, and nothing it accepts
// can carry a second argument into chepoch.
#include "FuzzInput.h"
#include "ccase/Commands.h"
#include "maintenance/EpochValue.h"

using namespace quorvane;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QString typed = fuzz::text(data, size);
    const auto value = parseEpochValue(typed);
    if (!value)
        return 0;
    fuzz::require(*value >= 0 && *value <= maxEpochValue);
    const QString written = QString::number(*value);
    fuzz::require(parseEpochValue(written) == value);
    fuzz::require(!Commands::argumentFault({written}));
    bool ok = false;
    fuzz::require(typed.trimmed().toLongLong(&ok) == *value && ok);
    return 0;
}
