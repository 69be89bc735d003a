// The reader of multitool lspacket output, on arbitrary output: every
// packet it gives stands on a line of that output, its name ends its path,
// and the family identifier it finds is a word of the text.
#include "FuzzInput.h"
#include "replicas/PacketList.h"

using namespace quorvane;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QString output = fuzz::text(data, size);
    for (const PacketList::Packet &p : PacketList::parse(output)) {
        fuzz::require(output.contains(p.path));
        QString path = p.path;
        path.replace(QLatin1Char('\\'), QLatin1Char('/'));
        fuzz::require(path.endsWith(p.name));
        fuzz::require(p.created.isValid() == !p.sender.isEmpty());
    }
    const QString family = PacketList::familyOf(output);
    fuzz::require(family.isEmpty() || output.contains(family));
    return 0;
}
