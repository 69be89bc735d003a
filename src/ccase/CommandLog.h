#pragma once

#include <QAbstractTableModel>
#include <QDateTime>
#include <QList>
#include <QString>
#include <QStringList>
#include <functional>

namespace quorvane {

// One thing the access layer did: a cleartool subcommand, a process, or a
// results file read.
struct CommandLogEntry {
    enum class Kind { ClearTool, Process, ResultsFile };
    Kind kind = Kind::ClearTool;
    QString command;   // as sent or started, or the file's path
    // In UTC: taking the local time looks up the time zone, a cost on every
    // command of a load; it is shown in local time.
    QDateTime started;
    qint64 elapsedMs = 0;
    bool ok = true;
    QString outcome;   // how it ended, in a few words
    QString output;    // bounded, see CommandLog::maxTextChars
    QString errorText; // bounded
};

// What this run sent to ClearCase, started and read, oldest first, as a
// table for the log window. The program keeps nothing between runs, so the
// log lives as long as the main window. It is bounded: an administrator may
// keep the window open for days.
class CommandLog final : public QAbstractTableModel {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(CommandLog)
public:
    enum Column { TimeColumn, TookColumn, KindColumn, CommandColumn, ResultColumn, ColumnCount };

    static constexpr qsizetype maxEntries = 5000;
    // Per text of an entry; a long listing keeps its head, an error its tail.
    static constexpr qsizetype maxTextChars = 16 * 1024;

    explicit CommandLog(QObject *parent = nullptr);
    ~CommandLog() override;

    void add(CommandLogEntry entry);
    [[nodiscard]] const QList<CommandLogEntry> &entries() const { return m_entries; }
    // How many of the oldest entries were let go to stay within maxEntries.
    [[nodiscard]] qsizetype dropped() const { return m_dropped; }

    // The log as plain text for the clipboard; with details, every entry's
    // output and error text follow it.
    [[nodiscard]] QString toText(bool withDetails) const;
    // One entry's output and error text, as the window shows them.
    [[nodiscard]] static QString detailText(const CommandLogEntry &entry);
    [[nodiscard]] static QString kindName(CommandLogEntry::Kind kind);
    [[nodiscard]] static QString tookText(qint64 elapsedMs);

    // Reads a results file through `read` and logs it: how many lines were
    // accepted, or the error, which is thrown on.
    QList<QStringList> recordFileRead(const QString &path, const std::function<QList<QStringList>()> &read);

    // Keeps the head of `text` (or its tail) within maxTextChars, saying
    // how much was left out.
    [[nodiscard]] static QString boundedHead(const QString &text);
    [[nodiscard]] static QString boundedTail(const QString &text);

    [[nodiscard]] int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    [[nodiscard]] int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    [[nodiscard]] QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    [[nodiscard]] QVariant headerData(int section, Qt::Orientation orientation,
                                      int role = Qt::DisplayRole) const override;

private:
    [[nodiscard]] static QString cellText(const CommandLogEntry &entry, int column);

    QList<CommandLogEntry> m_entries;
    qsizetype m_dropped = 0;
};

} // namespace quorvane
