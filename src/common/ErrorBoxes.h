#pragma once

#include "common/Dialogs.h"

#include <QString>

namespace quorvane {

class QuorvaneError;

// One message box, fully described: what it says, its title and its icon.
struct ErrorBox {
    QString prompt;
    QString title;
    MsgIcon icon = MsgIcon::Exclamation;
};

inline const QString CrLf = QStringLiteral("\r\n");

// The layouts of the program's error boxes, as pure text builders.
namespace ErrorBoxes {

// "ERROR::" desc CR LF "Report Bug to " address; title "ERROR...".
ErrorBox standard(const QString &description, MsgIcon icon = MsgIcon::Exclamation);
// "ERROR::" number "::" desc CR LF "Report Bug to " address; title "ERROR...".
ErrorBox withNumber(int number, const QString &description);
// "ERROR::" desc CR LF "Could not get info for all VOBs"; title "Error...".
ErrorBox load(const QString &description);
// "Error::" desc CR LF "getVobsList()"; title "Error.."; stop icon.
ErrorBox vobTags(const QString &description);
// "ERROR: " desc CR LF "Could not execute --> " command line; title = app title; stop.
ErrorBox process(const QString &description, const QString &commandLine);
// "ERROR: " desc CR LF "Command failed --> " command line; title = app title;
// stop. For a hidden command that ran but ended with a failure status.
ErrorBox processFailed(const QString &description, const QString &commandLine);
// "ERROR::" desc CR LF "Error from Quorvane"; title "ERROR".
ErrorBox history(const QString &description);
// "Error::" desc CR LF "Must type a numeric value"; title "Error..."; stop.
ErrorBox gridInput(const QString &description);
// A name or tag that cannot go into a command line as one argument: says
// which text and why, and that nothing was run; title "Invalid Name".
ErrorBox unsafeArgument(const QString &visibleText, const QString &reason);
// A replica name from lsreplica that no replica can have: names the VOB,
// the name and why; title "Invalid Name".
ErrorBox unsafeReplicaName(const QString &vobTag, const QString &visibleName, const QString &reason);
// After the replicated-only pass: "3 VOBs could not be checked: " and the
// tags; title "Error...".
ErrorBox uncheckedVobs(const QStringList &tags);
// A repair refused because the list's selected VOB is not the one whose
// replicas are shown (either may be empty); title = app title.
ErrorBox wrongVob(const QString &selected, const QString &shown);
// A command stopped by the user before it ended, with what that means for
// the action; title = app title; information icon.
ErrorBox cancelled(const QString &commandLine, const QString &consequence);
// The eight-line framed report; title "Error..."; stop icon.
ErrorBox fullReport(int number, const QString &source, const QString &description,
                    const QString &procedureText);

} // namespace ErrorBoxes

// Shows a prepared box with an OK button.
void showBox(Dialogs &dialogs, const ErrorBox &box);

// The framed report for an error; shows nothing when the error number is 0.
void ReportError(Dialogs &dialogs, const QuorvaneError &error, const QString &procedureText);

} // namespace quorvane
