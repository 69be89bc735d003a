#pragma once

#include <QHash>
#include <QString>

namespace quorvane {

class ClearTool;

// The dates of a replica's newest synchronization event: one of them is the
// event's date as ClearCase printed it, the other reads "None". Both read
// "None" when the history names no import or export, and both are empty
// when the history came back empty.
struct SyncDates {
    QString importDate;
    QString exportDate;

    // The import date, a comma and the export date.
    [[nodiscard]] QString text() const { return importDate + QLatin1Char(',') + exportDate; }
    friend bool operator==(const SyncDates &, const SyncDates &) = default;
};

// Scans the output of `lshistory -fmt "%e,%d,"`: a list of alternating
// event-description and date fields, newest event first. Every field is
// tested in order (date fields too); the first one containing "import"
// (case-sensitive) gives the import date from the field after it, else the
// first one containing "export" gives the export date, and the scan ends.
// A field naming both words counts as an import. A match in the very last
// field (output without the closing comma) takes an empty date.
[[nodiscard]] SyncDates scanSyncDates(const QString &historyOutput);

// The same output of this site's own replica object, which records one
// import event per packet imported here ("import sync from replica "S" to
// replica ..."): the date of the newest import from each sender, by name.
[[nodiscard]] QHash<QString, QString> scanLastImports(const QString &historyOutput);

// Sends the "%e,%d," history subcommand for REPLICA@VOBTAG and scans it.
// Throws ClearCaseError when ClearCase refuses the command.
[[nodiscard]] SyncDates getLastSyncDates(ClearTool &clearTool, const QString &replica,
                                         const QString &vobTag);

} // namespace quorvane
