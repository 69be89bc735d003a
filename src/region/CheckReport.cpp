#include "region/CheckReport.h"

#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSaveFile>

#include <algorithm>

namespace quorvane::CheckReport {

namespace {

const Health AllStates[] = {Health::Broken, Health::Behind, Health::Stuck,
                            Health::Unreachable, Health::NotChecked, Health::InStep};

Status worse(Status a, Status b)
{
    // UNKNOWN only comes from the check failing, never from one family.
    return int(a) >= int(b) ? a : b;
}

Status byThreshold(std::optional<qint64> value, std::optional<qint64> warning, std::optional<qint64> critical)
{
    if (!value)
        return Status::Ok;
    if (critical && *value >= *critical)
        return Status::Critical;
    if (warning && *value >= *warning)
        return Status::Warning;
    return Status::Ok;
}

QString metricName(Health h)
{
    return healthName(h).replace(QLatin1Char(' '), QLatin1Char('_'));
}

QString threshold(std::optional<qint64> t)
{
    return t ? QString::number(*t) : QString();
}

int count(const Survey &s, Health h)
{
    return int(std::count_if(s.families.cbegin(), s.families.cend(),
                             [h](const VobHealth &f) { return f.state == h; }));
}

// A label value in the exposition format: backslash, double quote and line
// feed escaped.
QString labelValue(const QString &text)
{
    QString out;
    for (const QChar c : text) {
        if (c == QLatin1Char('\\'))
            out += QStringLiteral("\\\\");
        else if (c == QLatin1Char('"'))
            out += QStringLiteral("\\\"");
        else if (c == QLatin1Char('\n'))
            out += QStringLiteral("\\n");
        else
            out += c;
    }
    return out;
}

// A detail line is one line of the plugin's output.
QString oneLine(QString text)
{
    text.replace(QLatin1Char('\r'), QLatin1Char(' ')).replace(QLatin1Char('\n'), QLatin1Char(' '));
    text.replace(QLatin1Char('|'), QLatin1Char('/'));
    return text;
}

} // namespace

QString statusName(Status status)
{
    switch (status) {
    case Status::Ok: return QStringLiteral("OK");
    case Status::Warning: return QStringLiteral("WARNING");
    case Status::Critical: return QStringLiteral("CRITICAL");
    case Status::Unknown: return QStringLiteral("UNKNOWN");
    }
    return {};
}

Status statusOf(const VobHealth &f, const Thresholds &t)
{
    Status s = Status::Ok;
    switch (f.state) {
    case Health::Broken:
        return Status::Critical;
    case Health::Stuck:
    case Health::Unreachable:
    case Health::NotChecked:
        s = Status::Warning;
        break;
    case Health::Behind:
    case Health::InStep:
        break;
    }
    s = worse(s, byThreshold(f.behind, t.behindWarning, t.behindCritical));
    const std::optional<qint64> age = f.importAge || f.exportAge
        ? std::optional<qint64>(std::max(f.importAge.value_or(0), f.exportAge.value_or(0)))
        : std::nullopt;
    s = worse(s, byThreshold(age, t.ageWarning, t.ageCritical));
    s = worse(s, byThreshold(f.packetAge, t.packetAgeWarning, t.packetAgeCritical));
    return s;
}

Status overall(const Survey &survey, const Thresholds &t)
{
    if (!survey.failure.isEmpty())
        return Status::Unknown;
    if (!survey.families.isEmpty() && std::all_of(survey.families.cbegin(), survey.families.cend(),
                                                  [](const VobHealth &f) { return f.state == Health::NotChecked; }))
        return Status::Unknown;
    Status s = survey.cancelled ? Status::Unknown : Status::Ok;
    for (const VobHealth &f : survey.families)
        s = worse(s, statusOf(f, t));
    return s;
}

QString pluginText(const Survey &survey, const Thresholds &t)
{
    const Status status = overall(survey, t);
    QString line = QStringLiteral("QUORVANE-CHECK ") + statusName(status) + QStringLiteral(" - ");
    if (!survey.failure.isEmpty())
        return line + oneLine(survey.failure) + QLatin1Char('\n');
    QStringList parts;
    for (const Health h : AllStates) {
        if (const int n = count(survey, h))
            parts << QString::number(n) + QLatin1Char(' ') + healthName(h);
    }
    line += parts.isEmpty() ? QStringLiteral("no replicated VOB") : parts.join(QStringLiteral(", "));
    line += QStringLiteral(" of ") + QString::number(survey.families.size()) +
        QStringLiteral(" replicated VOBs");
    if (survey.cancelled)
        line += QStringLiteral(" (cancelled before the end)");
    if (!survey.families.isEmpty() && status != Status::Ok) {
        const VobHealth &w = survey.families.first();
        line += QStringLiteral("; worst ") + w.tag + QStringLiteral(": ") + oneLine(w.firstLine);
    }
    qint64 behind = 0;
    std::optional<qint64> age;
    for (const VobHealth &f : survey.families) {
        behind = std::max(behind, f.behind);
        for (const auto a : {f.importAge, f.exportAge}) {
            if (a && (!age || *a > *age))
                age = a;
        }
    }
    QStringList perf;
    for (const Health h : AllStates)
        perf << metricName(h) + QLatin1Char('=') + QString::number(count(survey, h)) + QStringLiteral(";;;0");
    perf << QStringLiteral("behind_max=") + QString::number(behind) + QLatin1Char(';') +
            threshold(t.behindWarning) + QLatin1Char(';') + threshold(t.behindCritical) + QStringLiteral(";0");
    if (age)
        perf << QStringLiteral("exchange_age_max=") + QString::number(*age) + QStringLiteral("s;") +
                threshold(t.ageWarning) + QLatin1Char(';') + threshold(t.ageCritical) + QStringLiteral(";0");
    QString text = line + QStringLiteral(" | ") + perf.join(QLatin1Char(' ')) + QLatin1Char('\n');
    for (const VobHealth &f : survey.families) {
        const Status s = statusOf(f, t);
        if (s == Status::Ok)
            continue;
        text += statusName(s) + QStringLiteral(": ") + f.tag + QStringLiteral(" ") + healthName(f.state);
        if (!f.worstSibling.isEmpty())
            text += QStringLiteral(" (") + f.worstSibling +
                (f.behind ? QStringLiteral(", ") + QString::number(f.behind) + QStringLiteral(" behind") : QString()) +
                QLatin1Char(')');
        text += QStringLiteral(": ") + oneLine(f.firstLine) + QLatin1Char('\n');
    }
    return text;
}

QByteArray json(const Survey &survey, const Thresholds &t)
{
    QJsonObject root;
    const Status status = overall(survey, t);
    root.insert(QStringLiteral("status"), statusName(status));
    root.insert(QStringLiteral("exitCode"), int(status));
    if (!survey.failure.isEmpty())
        root.insert(QStringLiteral("failure"), survey.failure);
    root.insert(QStringLiteral("cancelled"), survey.cancelled);
    root.insert(QStringLiteral("notReplicated"), survey.notReplicated);
    QJsonArray families;
    for (const VobHealth &f : survey.families) {
        QJsonObject o;
        o.insert(QStringLiteral("vob"), f.tag);
        o.insert(QStringLiteral("state"), healthName(f.state));
        o.insert(QStringLiteral("status"), statusName(statusOf(f, t)));
        o.insert(QStringLiteral("worstReplica"), f.worstSibling);
        o.insert(QStringLiteral("behind"), f.behind);
        const auto opt = [&](const char *key, std::optional<qint64> v) {
            o.insert(QLatin1String(key), v ? QJsonValue(double(*v)) : QJsonValue());
        };
        opt("importAgeSeconds", f.importAge);
        opt("exportAgeSeconds", f.exportAge);
        opt("packetAgeSeconds", f.packetAge);
        o.insert(QStringLiteral("packetsWaiting"), f.packetsWaiting);
        o.insert(QStringLiteral("packetsReturned"), f.packetsReturned);
        o.insert(QStringLiteral("actualRowsAsked"), f.facts.actualAsked);
        o.insert(QStringLiteral("diagnosis"), f.firstLine);
        QJsonArray findings;
        for (const Finding &x : f.findings)
            findings.append(x.text);
        o.insert(QStringLiteral("findings"), findings);
        o.insert(QStringLiteral("problems"), QJsonArray::fromStringList(f.facts.problems));
        families.append(o);
    }
    root.insert(QStringLiteral("families"), families);
    return QJsonDocument(root).toJson(QJsonDocument::Indented);
}

QByteArray metrics(const Survey &survey, const Thresholds &t)
{
    QString out;
    const auto family = [&](const char *name, const char *help) {
        out += QStringLiteral("# HELP quorvane_") + QLatin1String(name) + QLatin1Char(' ') + QLatin1String(help) +
            QStringLiteral("\n# TYPE quorvane_") + QLatin1String(name) + QStringLiteral(" gauge\n");
    };
    const auto sample = [&](const char *name, const QString &labels, double value) {
        out += QStringLiteral("quorvane_") + QLatin1String(name) + labels + QLatin1Char(' ') +
            QString::number(value, 'g', 15) + QLatin1Char('\n');
    };
    const auto vob = [](const VobHealth &f) -> QString { return QStringLiteral("{vob=\"") + labelValue(f.tag) + QLatin1Char('"'); };
    const Status status = overall(survey, t);
    family("check_status", "The check's verdict: 0 OK, 1 WARNING, 2 CRITICAL, 3 UNKNOWN.");
    sample("check_status", {}, int(status));
    family("check_success", "1 when ClearCase answered and the region was surveyed.");
    sample("check_success", {}, status == Status::Unknown ? 0 : 1);
    family("vob_state", "1 for the state of each replicated VOB family.");
    for (const VobHealth &f : survey.families) {
        for (const Health h : AllStates)
            sample("vob_state", vob(f) + QStringLiteral(",state=\"") + healthName(h) + QStringLiteral("\"}"),
                   f.state == h ? 1 : 0);
    }
    family("vob_behind_operations", "Changes the family's worst replica has not received.");
    for (const VobHealth &f : survey.families)
        sample("vob_behind_operations", vob(f) + QLatin1Char('}'), double(f.behind));
    family("vob_last_import_age_seconds", "Age of the oldest last import from a sibling.");
    for (const VobHealth &f : survey.families) {
        if (f.importAge)
            sample("vob_last_import_age_seconds", vob(f) + QLatin1Char('}'), double(*f.importAge));
    }
    family("vob_last_export_age_seconds", "Age of the oldest last export to a sibling.");
    for (const VobHealth &f : survey.families) {
        if (f.exportAge)
            sample("vob_last_export_age_seconds", vob(f) + QLatin1Char('}'), double(*f.exportAge));
    }
    family("vob_packets_waiting", "Packets of the family waiting in this site's bays.");
    for (const VobHealth &f : survey.families)
        sample("vob_packets_waiting", vob(f) + QLatin1Char('}'), f.packetsWaiting);
    return out.toUtf8();
}

std::optional<QString> writeAtomically(const QString &path, const QByteArray &contents)
{
    // QSaveFile writes a temporary file beside the target and renames it
    // over the target on commit; a failed write leaves the old file.
    QSaveFile file(path);
    file.setDirectWriteFallback(false);
    if (!file.open(QIODevice::WriteOnly))
        return QStringLiteral("Cannot write ") + QDir::toNativeSeparators(path) + QStringLiteral(": ") +
            file.errorString();
    if (file.write(contents) != contents.size() || !file.commit())
        return QStringLiteral("Cannot write ") + QDir::toNativeSeparators(path) + QStringLiteral(": ") +
            file.errorString();
    return std::nullopt;
}

} // namespace quorvane::CheckReport
