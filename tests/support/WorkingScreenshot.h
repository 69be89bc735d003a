#pragma once

#include <QDir>
#include <QWidget>

namespace quorvane::test {

// With QUORVANE_SCREENSHOT_DIR set, saves the window as <objectName>.png
// there, to look at how it is laid out.
inline void saveScreenshot(QWidget &w)
{
    const QString dir = qEnvironmentVariable("QUORVANE_SCREENSHOT_DIR");
    if (!dir.isEmpty())
        w.grab().save(QDir(dir).filePath(w.objectName() + QStringLiteral(".png")));
}

} // namespace quorvane::test
