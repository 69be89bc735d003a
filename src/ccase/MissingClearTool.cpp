#include "ccase/MissingClearTool.h"

#include "ccase/ClearCaseError.h"

namespace quorvane {

QString MissingClearTool::message()
{
    return QStringLiteral("No ClearCase was found on this computer: cleartool is neither on the PATH "
                          "nor in ClearCase's usual install folders, and no simulated region is "
                          "installed beside the program.");
}

QString MissingClearTool::CmdExec(const QString &)
{
    throw ClearCaseError(message());
}

QStringList MissingClearTool::vobTags()
{
    throw ClearCaseError(message());
}

} // namespace quorvane
