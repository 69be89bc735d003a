#pragma once

#include <QString>

// The texts of the about and help windows, built from the application's
// own details (AppInfo) so that they can be checked without a window.
namespace quorvane::InfoTexts {

// "About " and the application title.
QString aboutCaption();
// "Version 1.2.1": three decimal numbers, no blanks, no leading zeros.
QString versionLine();
// Three paragraphs (as-is and indemnity; copyright; where to report bugs),
// CR LF CR LF between them and CR LF at the end.
QString termsOfUse();
QString authorLine();

// "Getting Help From " and the company name.
QString helpCaption();
// Two paragraphs, each followed by CR LF CR LF; the first begins "This version
// of the " + title + " is provided as-is and free of charge ".
QString helpStatement();
// One sentence ending in "contact: ".
QString helpInvitation();
// "Email: " + support mail, CR LF, "Phone: " + support phone.
QString helpContacts();
// "Submit bugs to: " + the report address.
QString helpBugLine();
// "Click to goto " + the web address.
QString webLinkTooltip();

} // namespace quorvane::InfoTexts
