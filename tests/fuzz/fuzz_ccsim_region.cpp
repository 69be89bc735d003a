// The simulator's region reader on arbitrary bytes: a document that is not
// a region is refused with a message, and one that is reads back the same
// after it is written out again.
#include "FuzzInput.h"
#include "sim/CommandError.h"
#include "sim/Region.h"

#include <QJsonDocument>
#include <QJsonObject>

using namespace quorvane;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QJsonDocument doc = QJsonDocument::fromJson(fuzz::bytes(data, size).toByteArray());
    if (!doc.isObject())
        return 0;
    ccsim::Region region;
    try {
        region = ccsim::Region::fromJson(doc.object());
    } catch (const ccsim::CommandError &e) {
        fuzz::require(!e.message().isEmpty());
        return 0;
    }
    for (const ccsim::Vob &vob : region.vobs) {
        for (const QString &name : vob.replicaNames())
            (void)ccsim::completeRow(vob, vob.localRow(name));
    }
    const QJsonObject written = region.toJson();
    try {
        fuzz::require(ccsim::Region::fromJson(written).toJson() == written);
    } catch (const ccsim::CommandError &) {
        fuzz::require(false);
    }
    return 0;
}
