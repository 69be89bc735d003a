#pragma once

#include <QString>

namespace quorvane::AppInfo {

// The application title: caption prefix, header label, box titles.
inline QString title() { return QStringLiteral("Quorvane"); }
inline constexpr int versionMajor = QUORVANE_VERSION_MAJOR;
inline constexpr int versionMinor = QUORVANE_VERSION_MINOR;
inline constexpr int versionRevision = QUORVANE_VERSION_PATCH;
// "1.2.1": decimal, no leading zeros or blanks.
inline QString versionText()
{
    return QString::number(versionMajor) + QLatin1Char('.') + QString::number(versionMinor)
        + QLatin1Char('.') + QString::number(versionRevision);
}
inline QString company() { return QStringLiteral("Belmora"); }
inline QString webAddress() { return QStringLiteral("https://www.belmora.example"); }
inline QString supportMail() { return QStringLiteral("support@belmora.example"); }
inline QString supportPhone() { return QStringLiteral("+1 555 0100 4242"); }
// The address that every error report ends with.
inline QString reportAddress() { return QStringLiteral("bugs@belmora.example"); }
inline QString copyright() { return QStringLiteral("Copyright (C) 2026 Belmora. All rights reserved."); }

} // namespace quorvane::AppInfo
