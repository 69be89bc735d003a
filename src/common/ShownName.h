#pragma once

#include <QString>

namespace quorvane::ShownName {

// A name (a replica, a VOB tag) as it goes into a sentence shown to the
// user. A name that holds right-to-left letters or direction controls is
// wrapped in a first-strong isolate, so that nothing in it can reorder the
// text around it; it is closed whatever the name leaves open, and a
// stray closing mark in it is dropped. Any other name comes back as it is,
// so that ordinary sentences stay exactly as written.
[[nodiscard]] QString isolated(const QString &name);

// At most `maxChars` characters of a name for a label or a caption: a
// longer one keeps its start and its end with an ellipsis between (both
// halves whole characters). The whole name belongs in a tooltip.
[[nodiscard]] QString shortened(const QString &name, qsizetype maxChars = 80);

} // namespace quorvane::ShownName
