#include "replicas/ScriptProgress.h"

#include "common/ShownName.h"

#include <QFile>
#include <QSet>

#include <algorithm>
#include <cmath>

namespace quorvane {

namespace {

// A number of seconds as the script writes it, or 0 when it is none.
double seconds(const QByteArray &field)
{
    bool ok = false;
    const double value = field.toDouble(&ok);
    return ok && std::isfinite(value) && value > 0 ? value : 0;
}

bool hasControlCharacter(const QString &name)
{
    return std::any_of(name.cbegin(), name.cend(), [](QChar c) { return c.category() == QChar::Other_Control; });
}

QString secondsText(double secs)
{
    // The limit may be set with a fraction; whole ones read as such.
    return secs == std::floor(secs) && secs < 1e15 ? QString::number(qint64(secs)) : QString::number(secs, 'g', 6);
}

} // namespace

ScriptProgress ScriptProgress::parse(const QByteArray &text)
{
    ScriptProgress progress;
    QSet<QString> named;
    // Only whole lines: the last one, when it has no end, may be cut.
    const qsizetype end = text.lastIndexOf('\n');
    if (end < 0)
        return progress;
    const QList<QByteArray> lines = text.left(end).split('\n');
    for (QByteArray line : lines) {
        if (line.endsWith('\r'))
            line.chop(1);
        const QList<QByteArray> fields = line.split('\t');
        if (fields.size() == 2 && fields.at(0) == "limit") {
            progress.limitSecs = seconds(fields.at(1));
        } else if (fields.size() == 3 && fields.at(0) == "waiting") {
            const QString replica = QString::fromLocal8Bit(fields.at(1));
            const double askedAt = seconds(fields.at(2));
            if (replica.isEmpty() || hasControlCharacter(replica) || askedAt <= 0 || named.contains(replica))
                continue;
            named.insert(replica);
            progress.waiting.append({replica, askedAt});
        }
    }
    std::stable_sort(progress.waiting.begin(), progress.waiting.end(),
                     [](const Waiting &a, const Waiting &b) { return a.askedAt < b.askedAt; });
    return progress;
}

ScriptProgress ScriptProgress::read(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    const QByteArray bytes = file.read(maxFileBytes + 1);
    if (bytes.size() > maxFileBytes)
        return {};
    return parse(bytes);
}

QStringList ScriptProgress::lines(double now, const QHash<QString, QString> &hostOf) const
{
    QStringList out;
    const qsizetype shown = std::min<qsizetype>(waiting.size(), shownHosts);
    for (qsizetype i = 0; i < shown; ++i) {
        const Waiting &w = waiting.at(i);
        // A clock set back meanwhile gives 0, not a negative wait.
        double waited = std::max(0.0, now - w.askedAt);
        if (limitSecs > 0)
            waited = std::min(waited, limitSecs);
        QString line = QStringLiteral("waiting for ") + ShownName::isolated(ShownName::shortened(w.replica, 40));
        const QString host = hostOf.value(w.replica);
        if (!host.isEmpty())
            line += QStringLiteral(" (") + ShownName::isolated(ShownName::shortened(host, 40)) + QLatin1Char(')');
        line += QStringLiteral(": ") + QString::number(qint64(std::floor(waited))) + QStringLiteral(" s");
        if (limitSecs > 0)
            line += QStringLiteral(" of ") + secondsText(limitSecs) + QStringLiteral(" s");
        out << line;
    }
    if (waiting.size() > shown) {
        const qsizetype more = waiting.size() - shown;
        out << QStringLiteral("and %1 more host%2").arg(more).arg(more == 1 ? QString() : QStringLiteral("s"));
    }
    return out;
}

} // namespace quorvane
