#include "ccase/MissingClearTool.h"

#include "ccase/ClearCaseError.h"

#include <utility>

namespace quorvane {

QString MissingClearTool::message()
{
    return QStringLiteral("No ClearCase was found on this computer: cleartool is neither on the PATH "
                          "nor in ClearCase's usual install folders, and no simulated region is "
                          "installed beside the program.");
}

MissingClearTool::MissingClearTool(QString why) : m_why(std::move(why)) {}

QString MissingClearTool::CmdExec(const QString &)
{
    throw ClearCaseError(m_why);
}

QStringList MissingClearTool::vobTags()
{
    throw ClearCaseError(m_why);
}

} // namespace quorvane
