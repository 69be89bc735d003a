#include "common/ErrorBoxes.h"

#include "ccase/Commands.h"
#include "common/AppInfo.h"
#include "common/QuorvaneError.h"

#include <QStringList>

namespace quorvane {

namespace ErrorBoxes {

ErrorBox standard(const QString &description, MsgIcon icon)
{
    return ErrorBox{QStringLiteral("ERROR::") + description + CrLf + QStringLiteral("Report Bug to ")
                + AppInfo::reportAddress(),
            QStringLiteral("ERROR..."), icon};
}

ErrorBox withNumber(int number, const QString &description)
{
    return ErrorBox{QStringLiteral("ERROR::") + QString::number(number) + QStringLiteral("::") + description
                + CrLf + QStringLiteral("Report Bug to ") + AppInfo::reportAddress(),
            QStringLiteral("ERROR..."), MsgIcon::Exclamation};
}

ErrorBox load(const QString &description)
{
    return ErrorBox{QStringLiteral("ERROR::") + description + CrLf
                + QStringLiteral("Could not get info for all VOBs"),
            QStringLiteral("Error..."), MsgIcon::Exclamation};
}

ErrorBox vobTags(const QString &description)
{
    return ErrorBox{QStringLiteral("Error::") + description + CrLf + QStringLiteral("getVobsList()"),
            QStringLiteral("Error.."), MsgIcon::Stop};
}

ErrorBox process(const QString &description, const QString &commandLine)
{
    return ErrorBox{QStringLiteral("ERROR: ") + description + CrLf + QStringLiteral("Could not execute --> ")
                + commandLine,
            AppInfo::title(), MsgIcon::Stop};
}

ErrorBox processFailed(const QString &description, const QString &commandLine)
{
    return ErrorBox{QStringLiteral("ERROR: ") + description + CrLf + QStringLiteral("Command failed --> ")
                        + commandLine,
                    AppInfo::title(), MsgIcon::Stop};
}

ErrorBox wrongVob(const QString &selected, const QString &shown)
{
    QString prompt;
    if (shown.isEmpty())
        prompt = QStringLiteral("No VOB is shown. Open one from the list first.");
    else if (selected.isEmpty())
        prompt = QStringLiteral("No VOB is selected in the list; the one shown is %1. Select %1 again.").arg(shown);
    else
        prompt = QStringLiteral("The VOB selected in the list, %1, is not the one shown, %2. Open it, or select %2 again.")
                     .arg(selected, shown);
    return ErrorBox{prompt, AppInfo::title(), MsgIcon::Exclamation};
}

ErrorBox cancelled(const QString &commandLine, const QString &consequence)
{
    return ErrorBox{QStringLiteral("Cancelled --> ") + commandLine + CrLf
                        + QStringLiteral("The command was stopped before it ended. ") + consequence,
                    AppInfo::title(), MsgIcon::Information};
}

ErrorBox history(const QString &description)
{
    return ErrorBox{QStringLiteral("ERROR::") + description + CrLf + QStringLiteral("Error from Quorvane"),
            QStringLiteral("ERROR"), MsgIcon::Exclamation};
}

ErrorBox unsafeArgument(const QString &visibleText, const QString &reason)
{
    return ErrorBox{QStringLiteral("Cannot pass \"") + visibleText + QStringLiteral("\" to ClearCase: it ") + reason
                + QStringLiteral(", so ClearCase would not read it as one name.") + CrLf
                + QStringLiteral("Nothing was run."),
            QStringLiteral("Invalid Name"), MsgIcon::Exclamation};
}

ErrorBox unsafeReplicaName(const QString &vobTag, const QString &visibleName, const QString &reason)
{
    return ErrorBox{QStringLiteral("The replica listing of VOB ") + Commands::visible(vobTag)
                + QStringLiteral(" holds the name \"") + visibleName + QStringLiteral("\": it ") + reason
                + QStringLiteral(", so it cannot be a replica's name.") + CrLf
                + QStringLiteral("The VOB was not opened."),
            QStringLiteral("Invalid Name"), MsgIcon::Exclamation};
}

ErrorBox uncheckedVobs(const QStringList &tags)
{
    QStringList shown;
    for (const QString &tag : tags)
        shown << QLatin1Char('"') + Commands::visible(tag) + QLatin1Char('"');
    const QString count = tags.size() == 1 ? QStringLiteral("1 VOB could not be checked: ")
                                           : QStringLiteral("%1 VOBs could not be checked: ").arg(tags.size());
    return ErrorBox{count + shown.join(QStringLiteral(", ")) + CrLf
                + QStringLiteral("Their tags cannot be passed to ClearCase as one argument; they are listed, marked as not checked."),
            QStringLiteral("Error..."), MsgIcon::Exclamation};
}

ErrorBox gridInput(const QString &description)
{
    return ErrorBox{QStringLiteral("Error::") + description + CrLf + QStringLiteral("Must type a numeric value"),
            QStringLiteral("Error..."), MsgIcon::Stop};
}

ErrorBox fullReport(int number, const QString &source, const QString &description,
                    const QString &procedureText)
{
    const QString stars88(88, QLatin1Char('*'));
    const QStringList lines{
        stars88,
        QStringLiteral("* E R R O R: ") + QString::number(number) + QStringLiteral(" (") + source
            + QLatin1Char(')'),
        QString(63, QLatin1Char('*')) + QLatin1Char(' '),
        QStringLiteral("* SysErr: ") + description,
        QStringLiteral("*"),
        QStringLiteral("* ") + procedureText,
        QStringLiteral("*            Report bugs to: ") + AppInfo::reportAddress(),
        stars88,
    };
    return ErrorBox{lines.join(CrLf), QStringLiteral("Error..."), MsgIcon::Stop};
}

} // namespace ErrorBoxes

void showBox(Dialogs &dialogs, const ErrorBox &box)
{
    dialogs.msgBox(box.prompt, MsgButtons::Ok, box.icon, box.title);
}

void ReportError(Dialogs &dialogs, const QuorvaneError &error, const QString &procedureText)
{
    if (error.number() == 0)
        return;
    showBox(dialogs, ErrorBoxes::fullReport(error.number(), error.source(), error.description(),
                                            procedureText));
}

} // namespace quorvane
