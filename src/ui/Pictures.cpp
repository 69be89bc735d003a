#include "ui/Pictures.h"

#include <QPainter>

namespace quorvane::Pictures {

namespace {
// A square canvas of `side` pixels, painted antialiased by `draw`.
template <typename Draw>
QPixmap painted(int side, Draw draw)
{
    QPixmap pm = canvas(QSize(side, side));
    {
        QPainter p(&pm);
        p.setRenderHint(QPainter::Antialiasing);
        draw(p);
    }
    return pm;
}
} // namespace

QPixmap canvas(QSize size, qreal ratio)
{
    QPixmap pm(size * ratio);
    pm.setDevicePixelRatio(ratio);
    pm.fill(Qt::transparent);
    return pm;
}

QPixmap closeIcon()
{
    return painted(18, [](QPainter &p) {
        p.setBrush(QColor(0xB0, 0x2A, 0x2A));
        p.setPen(Qt::NoPen);
        p.drawEllipse(QRectF(1, 1, 16, 16));
        p.setPen(QPen(Qt::white, 2.0, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(6, 6), QPointF(12, 12));
        p.drawLine(QPointF(12, 6), QPointF(6, 12));
    });
}

QIcon appIcon()
{
    // Three linked sites: the replicas of one VOB family.
    return QIcon(painted(64, [](QPainter &p) {
        p.setBrush(QColor(0x16, 0x2B, 0x48));
        p.setPen(Qt::NoPen);
        p.drawRoundedRect(QRectF(2, 2, 60, 60), 12, 12);
        const QPointF a(32, 16), b(16, 46), c(48, 46);
        p.setPen(QPen(QColor(0x6F, 0xA8, 0xDC), 3));
        p.drawLine(a, b);
        p.drawLine(a, c);
        p.setPen(QPen(QColor(0xE0, 0x5A, 0x4F), 3));
        p.drawLine(b, c);
        p.setPen(Qt::NoPen);
        p.setBrush(Qt::white);
        for (const QPointF &pt : {a, b, c})
            p.drawEllipse(pt, 7, 7);
    }));
}

} // namespace quorvane::Pictures
