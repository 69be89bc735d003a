#include "graph/SitePictures.h"

#include <QGuiApplication>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

#include <cmath>

namespace quorvane::SitePictures {

namespace {

qreal pixelRatio()
{
    const qreal dpr = qGuiApp ? qGuiApp->devicePixelRatio() : 1.0;
    return std::max<qreal>(1.0, std::ceil(dpr));
}

QPixmap blank(int w, int h, const QColor &fill)
{
    const qreal dpr = pixelRatio();
    QPixmap pm(int(w * dpr), int(h * dpr));
    pm.setDevicePixelRatio(dpr);
    pm.fill(fill);
    return pm;
}

// A small tower server standing on a network line; (ox, 0) is the top left
// of its 30 x 33 cell.
void drawServer(QPainter &p, qreal ox)
{
    p.setRenderHint(QPainter::Antialiasing, true);

    // Network line with the server's drop to it: a site on the wide area net.
    QPen net(QColor(0x55, 0x63, 0x75), 1.2);
    net.setCapStyle(Qt::RoundCap);
    p.setPen(net);
    p.drawLine(QPointF(ox + 15, 28), QPointF(ox + 15, 31));
    p.drawLine(QPointF(ox + 3.5, 31.2), QPointF(ox + 26.5, 31.2));
    p.setBrush(QColor(0x55, 0x63, 0x75));
    p.setPen(Qt::NoPen);
    p.drawEllipse(QPointF(ox + 3.5, 31.2), 1.3, 1.3);
    p.drawEllipse(QPointF(ox + 26.5, 31.2), 1.3, 1.3);

    // Cabinet: slate blue with light from the left.
    const QRectF body(ox + 6.5, 1.5, 17, 26.5);
    QLinearGradient shade(body.topLeft(), body.topRight());
    shade.setColorAt(0.0, QColor(0x6f, 0x82, 0x9a));
    shade.setColorAt(0.55, QColor(0x46, 0x57, 0x6d));
    shade.setColorAt(1.0, QColor(0x2c, 0x38, 0x48));
    p.setBrush(shade);
    p.setPen(QPen(QColor(0x1d, 0x26, 0x31), 1.0));
    p.drawRoundedRect(body, 2.2, 2.2);

    // Top highlight line.
    p.setPen(QPen(QColor(255, 255, 255, 90), 1.0));
    p.drawLine(QPointF(ox + 8.5, 2.7), QPointF(ox + 21.5, 2.7));

    // Three drive bays, each with its activity light.
    for (int bay = 0; bay < 3; ++bay) {
        const qreal y = 5.5 + bay * 5.0;
        const QRectF slot(ox + 9, y, 12, 3.4);
        QLinearGradient metal(slot.topLeft(), slot.bottomLeft());
        metal.setColorAt(0.0, QColor(0xdd, 0xe4, 0xec));
        metal.setColorAt(1.0, QColor(0x9a, 0xa8, 0xb8));
        p.setBrush(metal);
        p.setPen(QPen(QColor(0x22, 0x2c, 0x38), 0.6));
        p.drawRoundedRect(slot, 0.8, 0.8);
        p.setPen(Qt::NoPen);
        p.setBrush(bay == 1 ? QColor(0xff, 0xb3, 0x2e) : QColor(0x3d, 0xdc, 0x84));
        p.drawEllipse(QPointF(ox + 19.2, y + 1.7), 0.9, 0.9);
    }

    // Vents and the power light.
    p.setPen(QPen(QColor(0x1d, 0x26, 0x31, 160), 0.7));
    for (int v = 0; v < 3; ++v)
        p.drawLine(QPointF(ox + 9.5, 21.0 + v * 1.6), QPointF(ox + 15.5, 21.0 + v * 1.6));
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0x58, 0xb7, 0xff));
    p.drawEllipse(QPointF(ox + 19.5, 23.6), 1.3, 1.3);
}

} // namespace

QPixmap siteIcon()
{
    QPixmap pm = blank(30, 33, Qt::white);
    QPainter p(&pm);
    drawServer(p, 0);
    return pm;
}

QPixmap highlightedSiteIcon()
{
    QPixmap pm = blank(32, 33, Qt::white);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing, true);
    // The selection halo, in the blue family of the highlighted name label.
    QLinearGradient halo(QPointF(0, 0), QPointF(0, 33));
    halo.setColorAt(0.0, QColor(0xe4, 0xef, 0xff));
    halo.setColorAt(1.0, QColor(0xb9, 0xd3, 0xfb));
    p.setBrush(halo);
    p.setPen(QPen(QColor(0x2b, 0x5f, 0xc7), 1.0));
    p.drawRoundedRect(QRectF(0.5, 0.5, 31, 32), 3, 3);
    drawServer(p, 1);
    return pm;
}

QPixmap topBar()
{
    QPixmap pm = blank(1183, 8, Qt::white);
    QPainter p(&pm);
    QLinearGradient along(QPointF(0, 0), QPointF(1183, 0));
    along.setColorAt(0.0, QColor(0x0a, 0x24, 0x5c));
    along.setColorAt(0.35, QColor(0x1f, 0x5a, 0xa8));
    along.setColorAt(0.75, QColor(0x7f, 0xaf, 0xe0));
    along.setColorAt(1.0, QColor(0xe6, 0xf0, 0xfb));
    p.fillRect(QRectF(0, 0, 1183, 8), along);
    // A soft sheen on the upper half and a fade into the white picture below.
    QLinearGradient across(QPointF(0, 0), QPointF(0, 8));
    across.setColorAt(0.0, QColor(255, 255, 255, 70));
    across.setColorAt(0.45, QColor(255, 255, 255, 0));
    across.setColorAt(1.0, QColor(0, 0, 0, 40));
    p.fillRect(QRectF(0, 0, 1183, 8), across);
    return pm;
}

QFont siteFont(bool bold)
{
    QFont f;
    // "Small Fonts" where it exists; otherwise a narrow sans of the same size,
    // since the labels allow only 80 twips per character.
    f.setFamilies({QStringLiteral("Small Fonts"), QStringLiteral("Tahoma"),
                   QStringLiteral("DejaVu Sans Condensed"), QStringLiteral("Liberation Sans Narrow"),
                   QStringLiteral("Arial")});
    f.setStyleHint(QFont::SansSerif);
    f.setPointSizeF(6.75);
    f.setBold(bold);
    return f;
}

} // namespace quorvane::SitePictures
