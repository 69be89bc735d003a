#pragma once

#include <QString>

namespace quorvane {

// A file that comes with the programs (the replica script, the cursor):
// beside the program in the build tree, in share/quorvane where installed;
// the path beside the program when neither exists.
[[nodiscard]] QString companionPath(const QString &programDir, const QString &fileName);

} // namespace quorvane
