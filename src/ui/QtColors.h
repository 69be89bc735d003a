#pragma once

#include "common/Colors.h"

#include <QColor>

namespace quorvane {

inline QColor toQColor(OleColor c) { return QColor(redOf(c), greenOf(c), blueOf(c)); }
inline OleColor fromQColor(const QColor &c) { return rgbColor(c.red(), c.green(), c.blue()); }

} // namespace quorvane
