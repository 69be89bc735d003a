#include "info/BelmoraArt.h"

#include "ui/Pictures.h"

#include <QGuiApplication>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QUrl>

namespace quorvane::BelmoraArt {

namespace {

const QColor blueLight(0x2b, 0x7c, 0xe0);
const QColor blueDark(0x0c, 0x3d, 0x82);

qreal pixelRatio() { return qMax<qreal>(2.0, qApp ? qApp->devicePixelRatio() : 1.0); }

void paintLogo(QPainter &p, const QRectF &r)
{
    p.save();
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient tile(r.topLeft(), r.bottomRight());
    tile.setColorAt(0, blueLight);
    tile.setColorAt(1, blueDark);
    p.setPen(Qt::NoPen);
    p.setBrush(tile);
    p.drawRoundedRect(r, r.width() * 0.22, r.width() * 0.22);

    // Three sites in a triangle, each linked to the others.
    const qreal s = r.width();
    const QPointF a = r.topLeft() + QPointF(s * 0.50, s * 0.26);
    const QPointF b = r.topLeft() + QPointF(s * 0.27, s * 0.70);
    const QPointF c = r.topLeft() + QPointF(s * 0.73, s * 0.70);
    p.setPen(QPen(QColor(255, 255, 255, 200), qMax<qreal>(1.0, s * 0.05), Qt::SolidLine, Qt::RoundCap));
    p.drawLine(a, b);
    p.drawLine(b, c);
    p.drawLine(c, a);
    p.setPen(Qt::NoPen);
    p.setBrush(Qt::white);
    for (const QPointF &pt : {a, b, c})
        p.drawEllipse(pt, s * 0.11, s * 0.11);
    p.setBrush(blueLight);
    p.drawEllipse(a, s * 0.05, s * 0.05);
    p.restore();
}

} // namespace

QPixmap logo(int side)
{
    QPixmap pm = Pictures::canvas(QSize(side, side), pixelRatio());
    QPainter p(&pm);
    paintLogo(p, QRectF(0, 0, side, side));
    return pm;
}

QPixmap banner(QSize size, const QString &company, const QString &webAddress)
{
    QPixmap pm = Pictures::canvas(size, pixelRatio());
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);
    const QRectF all(QPointF(0, 0), QSizeF(size));

    QLinearGradient back(all.topLeft(), all.topRight());
    back.setColorAt(0, QColor(0xf4, 0xf8, 0xfd));
    back.setColorAt(1, QColor(0xdc, 0xe8, 0xf7));
    QPainterPath frame;
    frame.addRoundedRect(all.adjusted(0.5, 0.5, -0.5, -0.5), 8, 8);
    p.fillPath(frame, back);
    p.setPen(QPen(QColor(0xb8, 0xcc, 0xe6), 1));
    p.drawPath(frame);

    const qreal margin = size.height() * 0.16;
    const qreal side = size.height() - 2 * margin;
    paintLogo(p, QRectF(margin, margin, side, side));

    const qreal textLeft = margin * 2 + side;
    QFont name = qApp ? QGuiApplication::font() : QFont();
    name.setPixelSize(qRound(size.height() * 0.34));
    name.setBold(true);
    name.setLetterSpacing(QFont::PercentageSpacing, 104);
    p.setFont(name);
    p.setPen(blueDark);
    const QRectF nameRect(textLeft, margin * 0.8, size.width() - textLeft - margin, size.height() * 0.45);
    p.drawText(nameRect, Qt::AlignLeft | Qt::AlignBottom, company);

    QFont web = name;
    web.setBold(false);
    web.setLetterSpacing(QFont::PercentageSpacing, 100);
    web.setPixelSize(qRound(size.height() * 0.17));
    p.setFont(web);
    p.setPen(QColor(0x3a, 0x5a, 0x85));
    const QUrl url(webAddress);
    const QString shown = url.host().isEmpty() ? webAddress : url.host();
    const QRectF webRect(textLeft, nameRect.bottom() + size.height() * 0.04, nameRect.width(),
                         size.height() * 0.3);
    p.drawText(webRect, Qt::AlignLeft | Qt::AlignTop, shown);
    return pm;
}

} // namespace quorvane::BelmoraArt
