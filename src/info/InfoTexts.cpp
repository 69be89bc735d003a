#include "info/InfoTexts.h"

#include "common/AppInfo.h"
#include "common/ErrorBoxes.h"

namespace quorvane::InfoTexts {

QString aboutCaption() { return QStringLiteral("About ") + AppInfo::title(); }

QString versionLine() { return QStringLiteral("Version ") + AppInfo::versionText(); }

QString termsOfUse()
{
    const QString company = AppInfo::company();
    return QStringLiteral("This software is provided \"as is\", without warranty of any kind and without "
                          "support. By using it you agree to indemnify ")
        + company + QStringLiteral(" and the authors for all damages arising from its use.") + CrLf + CrLf
        + QStringLiteral("This program is protected by copyright law. Unauthorized reproduction or "
                         "distribution of this program, or of any portion of it, unless otherwise noted, "
                         "may result in severe civil and criminal penalties, and will be prosecuted to the "
                         "maximum extent possible under the law.")
        + CrLf + CrLf + QStringLiteral("Please report bugs to ") + AppInfo::reportAddress()
        + QLatin1Char('.') + CrLf;
}

QString authorLine() { return QStringLiteral("Written by Ilse Marten, ") + AppInfo::company(); }

QString helpCaption() { return QStringLiteral("Getting Help From ") + AppInfo::company(); }

QString helpStatement()
{
    const QString company = AppInfo::company();
    const QString title = AppInfo::title();
    return QStringLiteral("This version of the ") + title
        + QStringLiteral(" is provided as-is and free of charge ")
        + QStringLiteral("without warranty or support of any kind. By using it you agree to indemnify ")
        + company + QStringLiteral(" and the authors for any damages associated with its use.") + CrLf
        + CrLf + company
        + QStringLiteral(" can assist your organization with on-site support and training, and can "
                         "customize, modify or enhance ")
        + title + QStringLiteral(" to suit your organization.") + CrLf + CrLf;
}

QString helpInvitation()
{
    return QStringLiteral("For pricing, availability, end-user support and upgrade information, please "
                          "contact: ");
}

QString helpContacts()
{
    return QStringLiteral("Email: ") + AppInfo::supportMail() + CrLf + QStringLiteral("Phone: ")
        + AppInfo::supportPhone();
}

QString helpBugLine() { return QStringLiteral("Submit bugs to: ") + AppInfo::reportAddress(); }

QString webLinkTooltip() { return QStringLiteral("Click to goto ") + AppInfo::webAddress(); }

} // namespace quorvane::InfoTexts
