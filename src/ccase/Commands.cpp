#include "ccase/Commands.h"

namespace quorvane::Commands {

namespace {
const QChar DQ = QLatin1Char('"');
QString selector(const QString &replica, const QString &vobTag)
{
    return replica + QLatin1Char('@') + vobTag;
}

std::optional<QString> faultOf(const QString &text)
{
    if (text.isEmpty())
        return QStringLiteral("is empty");
    if (text.startsWith(QLatin1Char('-')))
        return QStringLiteral("starts with \"-\", which reads as an option");
    if (text.contains(QLatin1Char(' ')))
        return QStringLiteral("holds a blank");
    if (text.contains(DQ))
        return QStringLiteral("holds a double quote");
    return controlCharacterFault(text);
}

// The replica script as ccperl runs it: ccperl "SCRIPT"
QString scriptCall(const QString &scriptPath)
{
    return QStringLiteral("ccperl ") + DQ + scriptPath + DQ;
}

} // namespace

std::optional<QString> controlCharacterFault(const QString &text)
{
    for (const QChar c : text) {
        if (c.category() == QChar::Other_Control)
            return QStringLiteral("holds a control character (%1)").arg(visible(QString(c)));
    }
    return std::nullopt;
}

std::optional<ArgumentFault> argumentFault(const QStringList &texts)
{
    for (const QString &text : texts) {
        if (auto reason = faultOf(text))
            return ArgumentFault{text, *reason};
    }
    return std::nullopt;
}

QString visible(const QString &text)
{
    QString out;
    out.reserve(text.size());
    for (const QChar c : text) {
        if (c.category() == QChar::Other_Control)
            out += QStringLiteral("<U+%1>").arg(c.unicode(), 4, 16, QLatin1Char('0')).toUpper();
        else
            out += c;
    }
    return out;
}

QString vobCheck(const QString &vobTag)
{
    return QStringLiteral("lsreplica -siblings -s -invob ") + vobTag;
}

QString localReplicaName(const QString &vobTag)
{
    return QStringLiteral("desc -fmt ") + DQ + QStringLiteral("%[replica_name]p") + DQ
        + QStringLiteral(" vob:") + vobTag;
}

QString replicaList(const QString &vobTag)
{
    return QStringLiteral("lsreplica -fmt ") + DQ + QStringLiteral("%n,%d,%[replica_host]p,%[master]p,")
        + DQ + QStringLiteral(" -invob ") + vobTag;
}

QString historyDetail(const QString &replica, const QString &vobTag)
{
    return QStringLiteral("lshistory -fmt ") + DQ + QStringLiteral("Date:%d User:%u\\n%c\\n") + DQ
        + QStringLiteral(" replica:") + selector(replica, vobTag);
}

QString vobFamily(const QString &vobTag)
{
    return QStringLiteral("lsvob -long ") + vobTag;
}

QString syncHistory(const QString &replica, const QString &vobTag)
{
    return QStringLiteral("lshistory -fmt ") + DQ + QStringLiteral("%e,%d,") + DQ
        + QStringLiteral(" replica:") + selector(replica, vobTag);
}

QString replicaInfoScript(const QString &scriptPath, const QString &vobTag)
{
    return scriptCall(scriptPath) + QLatin1Char(' ') + vobTag;
}

QString replicaInfoScriptLocal(const QString &scriptPath, const QString &vobTag)
{
    return scriptCall(scriptPath) + QStringLiteral(" -local ") + vobTag;
}

QString replicaInfoScriptFor(const QString &scriptPath, const QString &vobTag, const QString &replica)
{
    return replicaInfoScript(scriptPath, vobTag) + QLatin1Char(' ') + replica;
}

QString replicaInfoScriptKnown(const QString &scriptPath, const QString &vobTag, const QString &here,
                               const QStringList &replicas)
{
    return scriptCall(scriptPath) + QStringLiteral(" -here ") + here + QStringLiteral(" -replicas ") +
        replicas.join(QLatin1Char(',')) + QLatin1Char(' ') + vobTag;
}

QString chepochForce(const QString &replica, const QString &vobTag, const QString &value)
{
    return QStringLiteral("multitool chepoch -force ") + selector(replica, vobTag) + QLatin1Char(' ')
        + replica + QLatin1Char('=') + value;
}

QString listPackets()
{
    return QStringLiteral("multitool lspacket -long -endrange");
}

QString chepochRaiseOnly(const QString &replica, const QString &vobTag)
{
    return QStringLiteral("multitool chepoch -actual -raise_only ") + selector(replica, vobTag);
}

QString chepochActual(const QString &replica, const QString &vobTag)
{
    return QStringLiteral("multitool chepoch -actual ") + selector(replica, vobTag);
}

QString importReceive(const QString &vobTag)
{
    return QStringLiteral("multitool syncreplica -import -invob ") + vobTag + QStringLiteral(" -receive");
}

QString exportTo(const QString &replica, const QString &vobTag)
{
    return QStringLiteral("multitool syncreplica -export -fship ") + selector(replica, vobTag);
}

QString exportToAll(const QStringList &replicas, const QString &vobTag)
{
    QString line = QStringLiteral("multitool syncreplica -export -fship ");
    for (const QString &r : replicas)
        line += selector(r, vobTag) + QLatin1Char(' ');
    return line;
}

} // namespace quorvane::Commands
