#include "graph/GraphView.h"

#include "graph/SiteLayout.h"
#include "graph/SiteRecords.h"
#include "graph/SitePictures.h"
#include "common/AppInfo.h"
#include "common/ErrorBoxes.h"
#include "common/Feedback.h"
#include "ui/QtColors.h"
#include "common/ShownName.h"
#include "common/Twips.h"
#include "ui/TwipsGeometry.h"

#include <QEvent>
#include <QLabel>

#include <algorithm>

namespace quorvane {

namespace {

QuorvaneError graphError(int number, const QString &description)
{
    return QuorvaneError(number, AppInfo::title(), description);
}

void setColors(QLabel *label, OleColor text, OleColor background)
{
    QPalette pal = label->palette();
    pal.setColor(QPalette::WindowText, toQColor(text));
    pal.setColor(QPalette::Window, toQColor(background));
    label->setPalette(pal);
}

QLabel *designLabel(QWidget *parent, const QString &name, int l, int t, int w, int h)
{
    auto *label = new QLabel(parent);
    label->setObjectName(name);
    setTwipsGeometry(label, l, t, w, h);
    return label;
}

QString arrayName(int array)
{
    static const char *const names[] = {"siteImage", "siteLabel", "siteMasterLabel"};
    return QLatin1String(names[array]);
}

} // namespace

GraphView::GraphView(Feedback &feedback, QWidget *parent) : QWidget(parent), m_feedback(feedback)
{
    setObjectName(QStringLiteral("vGraphPict"));
    buildDesign();
}

GraphView::~GraphView() = default;

void GraphView::buildDesign()
{
    setTwipsGeometry(this, 0, 360, 6615, 5295);

    m_image1 = designLabel(this, QStringLiteral("Image1"), 0, 0, 17745, 120);
    m_image1->setPixmap(SitePictures::topBar());

    m_pictMsgLbl = designLabel(this, QStringLiteral("pictMsgLbl"), 1320, 1560, 3735, 735);
    m_pictMsgLbl->setText(
        QStringLiteral("No replica selected.  Load and select a replica to display visual graph"));
    m_pictMsgLbl->setAlignment(Qt::AlignCenter);
    m_pictMsgLbl->setWordWrap(true);
    setColors(m_pictMsgLbl, Colors::navy, Colors::white);
    m_pictMsgLbl->setAutoFillBackground(false);
    fitPictMsgLbl();

    m_siteHighlightedImage = designLabel(this, QStringLiteral("siteHighlightedImage"), 240, 1560, 480, 495);
    setSitePicture(m_siteHighlightedImage, SitePictures::highlightedSiteIcon());
    m_siteHighlightedImage->hide();

    m_normalPicture = SitePictures::siteIcon();
    QLabel *image = designLabel(this, QStringLiteral("siteImage(0)"), 2520, 360, 450, 495);
    setSitePicture(image, m_normalPicture);
    image->setToolTip(QStringLiteral("Double click for detail"));
    image->hide();

    QLabel *label = designLabel(this, QStringLiteral("siteLabel(0)"), 120, 480, 975, 255);
    label->setText(QStringLiteral("No Site Found"));
    label->setFont(SitePictures::siteFont(false));
    setColors(label, Colors::pureBlue, Colors::navy);
    label->setAutoFillBackground(false); // transparent until highlighted
    label->setAlignment(Qt::AlignCenter);
    label->hide();

    QLabel *marker = designLabel(this, QStringLiteral("siteMasterLabel(0)"), 120, 840, 255, 135);
    marker->setText(QStringLiteral("M"));
    marker->setFont(SitePictures::siteFont(true));
    setColors(marker, Colors::white, Colors::black);
    marker->setAutoFillBackground(true);
    marker->setAlignment(Qt::AlignCenter);
    marker->hide();

    for (QLabel *tpl : {image, label, marker})
        tpl->setProperty(indexProperty, 0);
    m_siteImages = {image};
    m_siteLabels = {label};
    m_siteMasterLabels = {marker};
}

QLabel *GraphView::element(Array array, int index) const
{
    const QList<QLabel *> &list = array == Array::Image ? m_siteImages
        : array == Array::Label                         ? m_siteLabels
                                                        : m_siteMasterLabels;
    return index >= 0 && index < list.size() ? list.at(index) : nullptr;
}

QLabel *GraphView::siteImage(int index) const { return element(Array::Image, index); }

QLabel *GraphView::requireSiteImage(int index) const
{
    QLabel *icon = index >= 1 ? element(Array::Image, index) : nullptr;
    if (!icon)
        throw graphError(ErrNo::SubscriptOutOfRange,
                         QStringLiteral("Subscript out of range: there is no site icon %1").arg(index));
    return icon;
}
QLabel *GraphView::siteLabel(int index) const { return element(Array::Label, index); }
QLabel *GraphView::siteMasterLabel(int index) const { return element(Array::Marker, index); }

const mSite &GraphView::site(int position) const
{
    if (position < 1 || position > m_AllSites.size())
        throw graphError(ErrNo::SubscriptOutOfRange,
                         QStringLiteral("Subscript out of range: there is no site %1").arg(position));
    return m_AllSites.at(position - 1);
}

// Element k as a copy of the hidden template element 0: same picture, size,
// font, colours, caption, tooltip and hidden state.
QLabel *GraphView::makeSiteControl(Array array, int k)
{
    QList<QLabel *> &list = array == Array::Image ? m_siteImages
        : array == Array::Label                   ? m_siteLabels
                                                  : m_siteMasterLabels;
    const QString name = arrayName(int(array)) + QStringLiteral("(%1)").arg(k);
    if (k < list.size() && list.at(k))
        throw graphError(ErrNo::ObjectAlreadyLoaded,
                         QStringLiteral("Object already loaded: %1 still shows a site of the previous VOB")
                             .arg(name));
    const QLabel *tpl = list.at(0);
    auto *copy = new QLabel(this);
    copy->setObjectName(name);
    copy->setProperty(indexProperty, k);
    if (array == Array::Image)
        copy->setPixmap(tpl->pixmap());
    else
        copy->setText(tpl->text());
    copy->setFont(tpl->font());
    copy->setPalette(tpl->palette());
    copy->setAutoFillBackground(tpl->autoFillBackground());
    copy->setAlignment(tpl->alignment());
    copy->setToolTip(tpl->toolTip());
    setTwipsGeometry(copy, twipsLeft(tpl), twipsTop(tpl), twipsWidth(tpl), twipsHeight(tpl));
    copy->setHidden(tpl->isHidden());
    if (array != Array::Label)
        copy->installEventFilter(this);
    if (list.size() <= k)
        list.resize(k + 1, nullptr);
    list[k] = copy;
    return copy;
}

void GraphView::setSitesData(const QStringList &siteArray, int dataPerSite, int totalData)
{
    showSites(makeSiteRecords(siteArray, dataPerSite, totalData, m_GCount));
}

void GraphView::showSites(const SiteRecords &records)
{
    try {
        for (const mSite &record : records.sites) {
            const QString &field = record.replicaName;
            m_AllSites.append(record);
            const int k = int(m_AllSites.size());

            makeSiteControl(Array::Image, k)->show();
            QLabel *label = makeSiteControl(Array::Label, k);
            label->setText(ShownName::shortened(field, 40));
            if (label->text() != field)
                label->setToolTip(field);
            setTwipsSize(label, SiteLayout::labelWidth(label->text()), twipsHeight(label));
            label->show();
            QLabel *marker = makeSiteControl(Array::Marker, k);
            QPalette pal = marker->palette();
            pal.setColor(QPalette::Window, toQColor(record.lineColor));
            marker->setPalette(pal);
        }
        // Reached by Tab once there are sites to go to.
        if (!m_AllSites.isEmpty())
            setFocusPolicy(Qt::StrongFocus);
        if (records.error)
            throw *records.error;
        placeSites();
    } catch (const QuorvaneError &e) {
        if (e.number() == 0)
            return;
        m_feedback.setHourglass(false);
        showBox(m_feedback.dialogs(), ErrorBoxes::standard(e.description(), MsgIcon::Stop));
    }
}

void GraphView::placeSites()
{
    const int columnWidth = twipsWidth(m_siteImages.at(0));
    const QList<QPoint> places = SiteLayout::placeSites(int(m_AllSites.size()), columnWidth);
    for (int k = 1; k <= places.size(); ++k) {
        QLabel *icon = element(Array::Image, k);
        if (!icon)
            continue;
        setTwipsPos(icon, places.at(k - 1).x(), places.at(k - 1).y());
        placeCompanions(k);
    }
    fitToSites();
}

void GraphView::fitToSites()
{
    QRect used(QPoint(0, 0), sizeHint());
    for (const QList<QLabel *> *list : {&m_siteImages, &m_siteLabels, &m_siteMasterLabels}) {
        for (qsizetype k = 1; k < list->size(); ++k) {
            if (const QLabel *w = list->at(k); w && !w->isHidden())
                used = used.united(w->geometry());
        }
    }
    const int margin = 8;
    setMinimumSize(used.right() + 1 + margin, used.bottom() + 1 + margin);
}

QRect GraphView::twipsRect(const QWidget *w)
{
    return QRect(twipsLeft(w), twipsTop(w), twipsWidth(w), twipsHeight(w));
}

void GraphView::placeCompanions(int k)
{
    QLabel *icon = element(Array::Image, k);
    QLabel *label = element(Array::Label, k);
    QLabel *marker = element(Array::Marker, k);
    if (!icon || !label || !marker)
        throw graphError(ErrNo::ControlArrayElementMissing,
                         QStringLiteral("Control array element %1 doesn't exist").arg(k));
    const QRect iconRect = twipsRect(icon);
    const QPoint lp = SiteLayout::labelPos(iconRect);
    const QPoint mp = SiteLayout::markerPos(iconRect);
    setTwipsPos(label, lp.x(), lp.y());
    setTwipsPos(marker, mp.x(), mp.y());
}

void GraphView::unloadSiteControls()
{
    const qsizetype n = qMax(m_siteImages.size(), qMax(m_siteLabels.size(), m_siteMasterLabels.size()));
    for (qsizetype i = 1; i < n; ++i) {
        for (QList<QLabel *> *list : {&m_siteImages, &m_siteLabels, &m_siteMasterLabels}) {
            QLabel *w = i < list->size() ? list->at(i) : nullptr;
            if (!w)
                continue;
            // The control may be the one whose event is being handled (a
            // load started from a site's own handler): free it later, nameless
            // meanwhile so that only the new site's control answers to its
            // name. Taking it out of the graph now would walk the window's
            // focus chain once per control, quadratic in the sites.
            w->hide();
            w->removeEventFilter(this);
            w->setObjectName(QString());
            w->deleteLater();
        }
    }
    m_siteImages.resize(1);
    m_siteLabels.resize(1);
    m_siteMasterLabels.resize(1);
    m_currentSite = 0;
    setFocusPolicy(Qt::NoFocus);
    setMinimumSize(0, 0);
}

void GraphView::clearAllSites()
{
    m_AllSites.clear();
}

void GraphView::reportTrapped(const QuorvaneError &error)
{
    if (error.number() == 0)
        return;
    m_feedback.setBusy(false, QString());
    showBox(m_feedback.dialogs(), ErrorBoxes::standard(error.description(), MsgIcon::Exclamation));
}

void GraphView::setSitePicture(QLabel *icon, const QPixmap &picture)
{
    // A picture control takes the size of its picture.
    icon->setPixmap(picture);
    const QSizeF size = picture.deviceIndependentSize();
    setTwipsSize(icon, Twips::fromPx(qRound(size.width())), Twips::fromPx(qRound(size.height())));
}

// The designed box holds the hint in two lines of the usual font; a larger
// desktop font needs more lines, and the box grows downwards for them
// rather than cut the words.
void GraphView::fitPictMsgLbl()
{
    const int designed = 735;
    const int needed = Twips::fromPx(m_pictMsgLbl->heightForWidth(m_pictMsgLbl->width()));
    setTwipsSize(m_pictMsgLbl, twipsWidth(m_pictMsgLbl), std::max(designed, needed));
}

void GraphView::changeEvent(QEvent *event)
{
    QWidget::changeEvent(event);
    if (event->type() == QEvent::FontChange && m_pictMsgLbl)
        fitPictMsgLbl();
}

QSize GraphView::sizeHint() const
{
    return QSize(Twips::toPx(6615), Twips::toPx(5295));
}

} // namespace quorvane
