#include "maintenance/MaintenanceIcons.h"

#include <QGuiApplication>
#include <QPainter>
#include <QPainterPath>

namespace quorvane::MaintenanceIcons {

namespace {

// A transparent canvas of SIZE logical pixels with a painter that draws on
// a 32 x 32 design grid.
class Canvas {
public:
    explicit Canvas(int size)
    {
        const qreal dpr = qGuiApp ? qGuiApp->devicePixelRatio() : 1.0;
        m_pixmap = QPixmap(QSize(size, size) * dpr);
        m_pixmap.setDevicePixelRatio(dpr);
        m_pixmap.fill(Qt::transparent);
        m_painter.begin(&m_pixmap);
        m_painter.setRenderHint(QPainter::Antialiasing);
        m_painter.scale(size / 32.0, size / 32.0);
    }
    QPainter &painter() { return m_painter; }
    QPixmap take()
    {
        m_painter.end();
        return m_pixmap;
    }

private:
    QPixmap m_pixmap;
    QPainter m_painter;
};

const QColor outline(0x3c, 0x4a, 0x5c);
const QColor paper(0xfb, 0xfc, 0xfe);
const QColor accent(0x1f, 0x6f, 0xd1);

void drawPage(QPainter &p, const QRectF &r)
{
    p.setPen(QPen(outline, 1.4));
    p.setBrush(paper);
    p.drawRoundedRect(r, 2, 2);
}

} // namespace

QPixmap history(int size)
{
    Canvas c(size);
    QPainter &p = c.painter();
    drawPage(p, QRectF(4, 2.5, 19, 25));
    p.setPen(QPen(QColor(0x9a, 0xa7, 0xb8), 1.6, Qt::SolidLine, Qt::RoundCap));
    for (int i = 0; i < 4; ++i)
        p.drawLine(QPointF(8, 8 + i * 4.2), QPointF(i % 2 ? 15 : 19, 8 + i * 4.2));
    // Clock face in the lower right corner.
    p.setPen(QPen(Qt::white, 1.5));
    p.setBrush(accent);
    p.drawEllipse(QPointF(22, 22), 8, 8);
    p.setPen(QPen(Qt::white, 1.8, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(22, 22), QPointF(22, 17));
    p.drawLine(QPointF(22, 22), QPointF(25.5, 23.5));
    return c.take();
}

QPixmap fixEpoch(int size)
{
    Canvas c(size);
    QPainter &p = c.painter();
    const QRectF table(2.5, 4.5, 23, 21);
    drawPage(p, table);
    // The header row and column of the epoch table, and the row being fixed.
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0xdd, 0xe5, 0xf0));
    p.drawRect(QRectF(3.2, 5.2, 21.6, 5));
    p.setBrush(QColor(0xf6, 0xc9, 0xc4));
    p.drawRect(QRectF(10.5, 15.5, 14.3, 5));
    p.setPen(QPen(QColor(0x9a, 0xa7, 0xb8), 1));
    for (const qreal y : {10.5, 15.5, 20.5})
        p.drawLine(QPointF(table.left(), y), QPointF(table.right(), y));
    for (const qreal x : {10.5, 18.0})
        p.drawLine(QPointF(x, table.top()), QPointF(x, table.bottom()));
    // Pencil across the lower right corner.
    p.save();
    p.translate(22, 21);
    p.rotate(-45);
    p.setPen(QPen(outline, 1.1));
    p.setBrush(QColor(0xf2, 0xb1, 0x34));
    p.drawRect(QRectF(-9, -2.6, 14, 5.2));
    p.setBrush(QColor(0xe8, 0x8b, 0x8b));
    p.drawRect(QRectF(5, -2.6, 3, 5.2));
    QPainterPath tip;
    tip.moveTo(-9, -2.6);
    tip.lineTo(-14, 0);
    tip.lineTo(-9, 2.6);
    tip.closeSubpath();
    p.setBrush(QColor(0xf4, 0xe2, 0xc4));
    p.drawPath(tip);
    p.restore();
    return c.take();
}

QPixmap synchronize(int size)
{
    Canvas c(size);
    QPainter &p = c.painter();
    const QRectF ring(5, 5, 22, 22);
    auto arrow = [&](int startDeg, const QColor &colour, QPointF head, qreal headAngle) {
        p.setPen(QPen(colour, 3.2, Qt::SolidLine, Qt::FlatCap));
        p.setBrush(Qt::NoBrush);
        p.drawArc(ring, startDeg * 16, 140 * 16);
        p.save();
        p.translate(head);
        p.rotate(headAngle);
        QPainterPath h;
        h.moveTo(0, -5);
        h.lineTo(5.5, 0);
        h.lineTo(0, 5);
        h.closeSubpath();
        p.setPen(Qt::NoPen);
        p.setBrush(colour);
        p.drawPath(h);
        p.restore();
    };
    // Upper arc from the right round to the left, lower arc back again.
    arrow(20, accent, QPointF(6.3, 12.3), 110);
    arrow(200, QColor(0x2e, 0x9d, 0x5b), QPointF(25.7, 19.7), -70);
    return c.take();
}

} // namespace quorvane::MaintenanceIcons
