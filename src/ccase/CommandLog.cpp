#include "ccase/CommandLog.h"

#include "common/QuorvaneError.h"

#include <QElapsedTimer>

namespace quorvane {

CommandLog::CommandLog(QObject *parent) : QAbstractTableModel(parent)
{
}

CommandLog::~CommandLog() = default;

QString CommandLog::boundedHead(const QString &text)
{
    if (text.size() <= maxTextChars)
        return text;
    return text.left(maxTextChars) +
           QStringLiteral("\n[... %1 more characters not kept]").arg(text.size() - maxTextChars);
}

QString CommandLog::boundedTail(const QString &text)
{
    if (text.size() <= maxTextChars)
        return text;
    return QStringLiteral("[%1 earlier characters not kept ...]\n").arg(text.size() - maxTextChars) +
           text.right(maxTextChars);
}

void CommandLog::add(CommandLogEntry entry)
{
    entry.output = boundedHead(entry.output);
    entry.errorText = boundedTail(entry.errorText);
    if (m_entries.size() >= maxEntries) {
        beginRemoveRows(QModelIndex(), 0, 0);
        m_entries.removeFirst();
        ++m_dropped;
        endRemoveRows();
    }
    const int row = int(m_entries.size());
    beginInsertRows(QModelIndex(), row, row);
    m_entries.append(std::move(entry));
    endInsertRows();
}

QString CommandLog::kindName(CommandLogEntry::Kind kind)
{
    switch (kind) {
    case CommandLogEntry::Kind::ClearTool:
        return QStringLiteral("cleartool");
    case CommandLogEntry::Kind::Process:
        return QStringLiteral("process");
    case CommandLogEntry::Kind::ResultsFile:
        return QStringLiteral("file read");
    }
    return {};
}

QString CommandLog::tookText(qint64 elapsedMs)
{
    if (elapsedMs < 1000)
        return QString::number(elapsedMs) + QStringLiteral(" ms");
    return QString::number(double(elapsedMs) / 1000.0, 'f', 1) + QStringLiteral(" s");
}

QString CommandLog::cellText(const CommandLogEntry &entry, int column)
{
    switch (column) {
    case TimeColumn:
        return entry.started.toLocalTime().toString(QStringLiteral("HH:mm:ss"));
    case TookColumn:
        return tookText(entry.elapsedMs);
    case KindColumn:
        return kindName(entry.kind);
    case CommandColumn:
        return entry.command;
    case ResultColumn:
        return entry.outcome;
    default:
        return {};
    }
}

QString CommandLog::detailText(const CommandLogEntry &entry)
{
    QString text = entry.command + QLatin1Char('\n') +
                   entry.started.toLocalTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss.zzz")) + QStringLiteral(", ") +
                   tookText(entry.elapsedMs) + QStringLiteral(", ") + entry.outcome + QLatin1Char('\n');
    text +=
        QStringLiteral("\nOutput:\n") + (entry.output.isEmpty() ? QStringLiteral("(none)") : entry.output);
    if (!text.endsWith(QLatin1Char('\n')))
        text += QLatin1Char('\n');
    text += QStringLiteral("\nError text:\n") +
            (entry.errorText.isEmpty() ? QStringLiteral("(none)") : entry.errorText);
    return text;
}

QString CommandLog::toText(bool withDetails) const
{
    QString text;
    if (m_dropped > 0)
        text += QStringLiteral("(%1 earlier entries not kept)\n").arg(m_dropped);
    for (const CommandLogEntry &e : m_entries) {
        QStringList cells;
        for (int c = 0; c < ColumnCount; ++c)
            cells << cellText(e, c);
        text += cells.join(QLatin1Char('\t')) + QLatin1Char('\n');
        if (withDetails) {
            text += detailText(e);
            text += QStringLiteral("\n\n");
        }
    }
    return text;
}

QList<QStringList> CommandLog::recordFileRead(const QString &path,
                                              const std::function<QList<QStringList>()> &read)
{
    CommandLogEntry entry;
    entry.kind = CommandLogEntry::Kind::ResultsFile;
    entry.command = path;
    entry.started = QDateTime::currentDateTimeUtc();
    QElapsedTimer timer;
    timer.start();
    try {
        QList<QStringList> lines = read();
        entry.elapsedMs = timer.elapsed();
        entry.outcome = lines.size() == 1 ? QStringLiteral("read, 1 line")
                                          : QStringLiteral("read, %1 lines").arg(lines.size());
        QStringList text;
        for (const QStringList &fields : std::as_const(lines))
            text << fields.join(QLatin1Char(','));
        entry.output = text.join(QLatin1Char('\n'));
        add(std::move(entry));
        return lines;
    } catch (const QuorvaneError &e) {
        entry.elapsedMs = timer.elapsed();
        entry.ok = false;
        entry.outcome = QStringLiteral("failed: ") + e.description();
        entry.errorText = e.description();
        add(std::move(entry));
        throw;
    }
}

int CommandLog::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_entries.size());
}

int CommandLog::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant CommandLog::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= m_entries.size())
        return {};
    const CommandLogEntry &e = m_entries[index.row()];
    if (role == Qt::DisplayRole)
        return cellText(e, index.column());
    if (role == Qt::ToolTipRole && index.column() == CommandColumn)
        return e.command;
    return {};
}

QVariant CommandLog::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return QAbstractTableModel::headerData(section, orientation, role);
    switch (section) {
    case TimeColumn:
        return QStringLiteral("Time");
    case TookColumn:
        return QStringLiteral("Took");
    case KindColumn:
        return QStringLiteral("Kind");
    case CommandColumn:
        return QStringLiteral("Command or file");
    case ResultColumn:
        return QStringLiteral("Result");
    default:
        return {};
    }
}

} // namespace quorvane
