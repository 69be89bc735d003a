#pragma once

#include <QString>

namespace quorvane {

// The directory with a trailing separator, ready for a file name to be
// appended. A path that already ends with a separator is returned as it is
// (on Windows a backslash counts as one); an empty path stays empty, so
// that appending a file name gives a name relative to the current directory
// instead of one at the root of the file system.
QString NormalizePath(const QString &sPath);

} // namespace quorvane
