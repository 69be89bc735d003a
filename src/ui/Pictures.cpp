#include "ui/Pictures.h"

#include <QPainter>

namespace quorvane::Pictures {

namespace {
// A square canvas of `side` pixels, painted antialiased by `draw`.
template <typename Draw> QPixmap painted(int side, Draw draw)
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
    // The build draws these from the same picture as the installed icons
    // (resources/quorvane.svg), so the window and the menu show one icon.
    QIcon icon;
    for (const int side : {16, 32, 48, 64, 128, 256})
        icon.addFile(QStringLiteral(":/appicon/%1.png").arg(side), QSize(side, side));
    return icon;
}

} // namespace quorvane::Pictures
