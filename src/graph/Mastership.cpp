#include "graph/Mastership.h"

#include "common/ErrorBoxes.h"

#include <QStringList>

namespace quorvane {

bool mastersReplica(const QString &siteName, const QString &masterText)
{
    if (siteName.isEmpty() || !masterText.startsWith(siteName))
        return false;
    return masterText.size() == siteName.size() || masterText.at(siteName.size()) == QLatin1Char('@');
}

QPointF iconCentre(const QRect &icon)
{
    return QPointF(icon.left() + icon.width() / 2.0, icon.top() + icon.height() / 2.0);
}

MastershipPicture computeMastership(const QList<mSite> &sites, const QList<QRect> &icons)
{
    const qsizetype n = qMin(sites.size(), icons.size());
    MastershipPicture pic;
    pic.markers.resize(n);
    for (qsizetype i = 0; i < n; ++i) {
        const mSite &master = sites.at(i);
        const QPointF from = iconCentre(icons.at(i));
        QString list;
        bool any = false;
        for (qsizetype j = 0; j < n; ++j) {
            const mSite &other = sites.at(j);
            if (!mastersReplica(master.replicaName, other.master))
                continue;
            any = true;
            if (other.replicaName != master.replicaName)
                list += QLatin1Char(',') + other.replicaName;
            pic.lines.append(SiteLine{int(i + 1), int(j + 1), QLineF(from, iconCentre(icons.at(j))),
                                      master.lineColor});
        }
        if (any)
            pic.markers[i] = list;
    }
    return pic;
}

QString markerToolTip(const QString &list)
{
    return QStringLiteral("Master of replicas: ") + list;
}

std::optional<QString> mastershipPrompt(const QString &replicaName, const QString &toolTip)
{
    const QStringList pieces = toolTip.split(QLatin1Char(','));
    if (pieces.size() - 1 < 1)
        return std::nullopt;
    QString built;
    for (qsizetype p = 1; p < pieces.size(); ++p)
        built += CrLf + pieces.at(p);
    return QString(replicaName + QStringLiteral(" is master of: ") + CrLf + built);
}

} // namespace quorvane
