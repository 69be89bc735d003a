// Drawing of the mastership lines and the mouse work on the graph picture:
// dragging icons, the mastership message and the highlight of a site.
#include "graph/GraphView.h"

#include "graph/SiteLayout.h"
#include "common/ErrorBoxes.h"
#include "common/Feedback.h"
#include "ui/QtColors.h"
#include "common/Twips.h"
#include "ui/TwipsGeometry.h"

#include <QKeyEvent>
#include <QLabel>
#include <QScrollArea>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>

namespace quorvane {

namespace {

void setLabelLook(QLabel *label, bool opaque, OleColor text)
{
    QPalette pal = label->palette();
    pal.setColor(QPalette::WindowText, toQColor(text));
    label->setPalette(pal);
    label->setAutoFillBackground(opaque);
}

} // namespace

bool GraphView::computeSiteLines()
{
    QList<QRect> icons;
    icons.reserve(m_AllSites.size());
    // A half-finished clean-up (records without controls) draws the sites
    // that still have controls instead of failing inside a repaint.
    for (int k = 1; k <= m_AllSites.size(); ++k) {
        const QLabel *icon = element(Array::Image, k);
        if (!icon || !element(Array::Marker, k))
            break;
        icons.append(twipsRect(icon));
    }
    MastershipPicture pic = computeMastership(m_AllSites, icons);
    for (int k = 1; k <= pic.markers.size(); ++k) {
        const std::optional<QString> &list = pic.markers.at(k - 1);
        if (!list)
            continue;
        QLabel *marker = element(Array::Marker, k);
        const QString tip = markerToolTip(*list);
        if (marker->toolTip() != tip)
            marker->setToolTip(tip);
        if (marker->isHidden())
            marker->show();
    }
    const bool changed = pic.lines != m_lines;
    m_lines = std::move(pic.lines);
    return changed;
}

void GraphView::drawSiteLines()
{
    computeSiteLines();
    update();
}

void GraphView::paintEvent(QPaintEvent *event)
{
    // While an icon is dragged the lines stay as they were drawn last; the
    // release draws them anew.
    if (!m_GSiteMouseDownFlag && computeSiteLines() && event->rect() != rect())
        update(); // lines outside this region moved as well

    QPainter p(this);
    p.fillRect(event->rect(), Qt::white);
    p.setRenderHint(QPainter::Antialiasing, true);
    p.scale(1.0 / Twips::perPixel, 1.0 / Twips::perPixel);
    QPen pen;
    pen.setCosmetic(true);
    pen.setWidthF(1.5);
    pen.setCapStyle(Qt::RoundCap);
    for (const SiteLine &line : std::as_const(m_lines)) {
        pen.setColor(toQColor(line.color));
        p.setPen(pen);
        p.drawLine(line.line);
    }

    // The keyboard's site: a frame round its icon and name, plain to see.
    if (hasFocus() && m_currentSite >= 1) {
        const QRect area = siteArea(m_currentSite);
        if (area.isValid()) {
            p.resetTransform();
            p.setRenderHint(QPainter::Antialiasing, false);
            QPen frame(palette().color(QPalette::Highlight), 2);
            p.setPen(frame);
            p.setBrush(Qt::NoBrush);
            p.drawRect(area.adjusted(-4, -4, 3, 3));
        }
    }
}

QRect GraphView::siteArea(int index) const
{
    const QLabel *icon = element(Array::Image, index);
    if (!icon || icon->isHidden())
        return QRect();
    QRect area = icon->geometry();
    if (const QLabel *label = element(Array::Label, index); label && !label->isHidden())
        area = area.united(label->geometry());
    return area;
}

void GraphView::setCurrentSite(int index)
{
    if (index < 1 || !element(Array::Image, index))
        return;
    m_currentSite = index;
    update();
    // The framed site must be seen: the scroll area round the picture
    // brings it into view.
    for (QWidget *p = parentWidget(); p; p = p->parentWidget()) {
        if (auto *scroll = qobject_cast<QScrollArea *>(p)) {
            const QRect area = siteArea(index);
            if (scroll->widget() == this && area.isValid())
                scroll->ensureVisible(area.center().x(), area.center().y(), area.width() / 2 + 12,
                                      area.height() / 2 + 12);
            break;
        }
    }
}

void GraphView::focusInEvent(QFocusEvent *event)
{
    QWidget::focusInEvent(event);
    const int current = m_currentSite >= 1 && element(Array::Image, m_currentSite) ? m_currentSite : 1;
    setCurrentSite(current);
}

void GraphView::focusOutEvent(QFocusEvent *event)
{
    QWidget::focusOutEvent(event);
    update();
}

void GraphView::keyPressEvent(QKeyEvent *event)
{
    const int count = int(m_AllSites.size());
    if (count == 0 || m_currentSite < 1 || (event->modifiers() & ~Qt::KeypadModifier) != Qt::NoModifier) {
        QWidget::keyPressEvent(event);
        return;
    }
    QList<QRect> icons;
    for (int k = 1; k <= count; ++k) {
        const QLabel *icon = element(Array::Image, k);
        icons << (icon ? icon->geometry() : QRect());
    }
    const auto move = [&](SiteLayout::Direction d) {
        setCurrentSite(SiteLayout::neighbour(icons, m_currentSite - 1, d) + 1);
    };
    switch (event->key()) {
    case Qt::Key_Left: move(SiteLayout::Direction::Left); break;
    case Qt::Key_Right: move(SiteLayout::Direction::Right); break;
    case Qt::Key_Up: move(SiteLayout::Direction::Up); break;
    case Qt::Key_Down: move(SiteLayout::Direction::Down); break;
    case Qt::Key_Home: setCurrentSite(1); break;
    case Qt::Key_End: setCurrentSite(count); break;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        // As the site's double click: its details.
        if (!event->isAutoRepeat())
            emit siteDoubleClicked(m_currentSite);
        break;
    default:
        QWidget::keyPressEvent(event);
        return;
    }
    event->accept();
}

bool GraphView::eventFilter(QObject *watched, QEvent *event)
{
    const QVariant index = watched->property(indexProperty);
    if (!index.isValid())
        return QWidget::eventFilter(watched, event);
    const int k = index.toInt();
    if (k >= 1 && watched == element(Array::Image, k)) {
        switch (event->type()) {
        case QEvent::MouseButtonPress:
            m_GSiteMouseDownFlag = true;
            m_currentSite = k; // the keyboard goes on from the site clicked
            return true;
        case QEvent::MouseMove:
            if (m_GSiteMouseDownFlag)
                dragStep(k, static_cast<QMouseEvent *>(event)->position());
            return true;
        case QEvent::MouseButtonRelease:
            m_GSiteMouseDownFlag = false;
            fitToSites();
            drawSiteLines();
            return true;
        case QEvent::MouseButtonDblClick:
            emit siteDoubleClicked(k);
            return true;
        default:
            break;
        }
    } else if (k >= 1 && watched == element(Array::Marker, k)
               && event->type() == QEvent::MouseButtonDblClick) {
        showMastership(k);
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

// The icon's top left corner jumps to the pointer and follows it; its name
// label and marker keep their places beside it. Nothing bounds the move.
void GraphView::dragStep(int k, QPointF pointerPx)
{
    try {
        QLabel *icon = requireSiteImage(k);
        const int dx = qRound(pointerPx.x() * Twips::perPixel);
        const int dy = qRound(pointerPx.y() * Twips::perPixel);
        setTwipsPos(icon, twipsLeft(icon) + dx, twipsTop(icon) + dy);
        placeCompanions(k);
    } catch (const QuorvaneError &e) {
        reportTrapped(e);
    }
}

void GraphView::showMastership(int k)
{
    try {
        const mSite &record = site(k);
        const QLabel *marker = element(Array::Marker, k);
        // The list is read back from the tooltip, which is what the user saw.
        const std::optional<QString> prompt =
            mastershipPrompt(record.replicaName, marker ? marker->toolTip() : QString());
        if (!prompt)
            return;
        m_feedback.dialogs().msgBox(*prompt, MsgButtons::Ok, MsgIcon::Information,
                                    QStringLiteral("Replica Mastership Detail..."));
    } catch (const QuorvaneError &e) {
        reportTrapped(e);
    }
}

void GraphView::highlightSite(int index)
{
    QLabel *chosen = requireSiteImage(index);
    for (int i = 1; i < m_siteImages.size(); ++i) {
        if (QLabel *icon = element(Array::Image, i))
            setSitePicture(icon, m_siteImages.at(0)->pixmap());
        if (QLabel *label = element(Array::Label, i))
            setLabelLook(label, false, Colors::pureBlue);
    }
    setSitePicture(chosen, m_siteHighlightedImage->pixmap());
    if (QLabel *label = element(Array::Label, index))
        setLabelLook(label, true, Colors::white);
    // The icon is wider now, so its lines start from a new centre.
    update();
}

} // namespace quorvane
