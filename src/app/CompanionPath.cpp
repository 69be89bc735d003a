#include "app/CompanionPath.h"

#include <QDir>
#include <QFileInfo>

namespace quorvane {

QString companionPath(const QString &programDir, const QString &fileName)
{
    const QString beside = QDir(programDir).filePath(fileName);
    if (QFileInfo::exists(beside))
        return beside;
    const QString installed = QDir(programDir).filePath(QStringLiteral("../share/quorvane/") + fileName);
    if (QFileInfo::exists(installed))
        return QDir::cleanPath(installed);
    return beside;
}

} // namespace quorvane
