#include "common/NormalizePath.h"

namespace quorvane {

QString NormalizePath(const QString &sPath)
{
    if (sPath.isEmpty() || sPath.endsWith(QLatin1Char('/')))
        return sPath;
#ifdef Q_OS_WIN
    if (sPath.endsWith(QLatin1Char('\\')))
        return sPath;
#endif
    return sPath + QLatin1Char('/');
}

} // namespace quorvane
