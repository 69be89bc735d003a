#pragma once

#include "graph/Mastership.h"
#include "graph/SiteRecords.h"
#include "graph/mSite.h"
#include "common/QuorvaneError.h"

#include <QList>
#include <QPixmap>
#include <QPointer>
#include <QStringList>
#include <QWidget>

class QComboBox;
class QLabel;

namespace quorvane {

class Feedback;

// The graph picture vGraphPict of the "Visual" page: one icon, name label
// and marker per replica of the open VOB, and a line in the master's colour
// from every master site to each site it masters. Keeps the site records
// it shows (AllSites), the drag flag and GMyReplicaName; its GCount numbers
// only the sites made through setSitesData (a load numbers its own).
// Geometry of the picture and its children is kept in twips.
class GraphView final : public QWidget {
    Q_OBJECT
public:
    explicit GraphView(Feedback &feedback, QWidget *parent = nullptr);
    ~GraphView() override;
    Q_DISABLE_COPY_MOVE(GraphView)

    // Shows the sites of a listing: one set of site controls per record,
    // added to allSites(), and the icons placed. The records' error, or a
    // control still in use, is reported here (stop box, hourglass off) and
    // leaves the icons where they were made; the caller goes on.
    void showSites(const SiteRecords &records);
    // The records of siteArray[0..totalData] in groups of dataPerSite
    // fields (makeSiteRecords, numbered by this graph's own GCount), shown.
    void setSitesData(const QStringList &siteArray, int dataPerSite, int totalData);
    // Recomputes the markers, their tooltips and the lines from the icons'
    // current places, and repaints the picture.
    void drawSiteLines();

    // For the loader's clean-up before a new load: deletes elements 1..N of
    // the three site control arrays, and empties AllSites.
    void unloadSiteControls();
    void clearAllSites();

    // Site detail: every site back to the normal picture with a transparent
    // label and blue text; site index gets the highlighted picture and an
    // opaque label with white text. Throws QuorvaneError for an index
    // without a site icon.
    void highlightSite(int index);

    // Element index of the control arrays (0 is the hidden template); null
    // when there is no such element.
    [[nodiscard]] QLabel *siteImage(int index) const;
    [[nodiscard]] QLabel *siteLabel(int index) const;
    [[nodiscard]] QLabel *siteMasterLabel(int index) const;
    [[nodiscard]] QLabel *pictMsgLbl() const { return m_pictMsgLbl; }
    [[nodiscard]] QLabel *siteHighlightedImage() const { return m_siteHighlightedImage; }

    // AllSites; site k of the picture is allSites()[k - 1].
    [[nodiscard]] const QList<mSite> &allSites() const { return m_AllSites; }
    [[nodiscard]] QList<mSite> &allSites() { return m_AllSites; }
    // The record at position 1..N; throws QuorvaneError outside that range.
    [[nodiscard]] const mSite &site(int position) const;

    [[nodiscard]] qint32 GCount() const { return m_GCount; }
    [[nodiscard]] bool GSiteMouseDownFlag() const { return m_GSiteMouseDownFlag; }
    [[nodiscard]] QString GMyReplicaName() const { return m_GMyReplicaName; }
    void setGMyReplicaName(const QString &name) { m_GMyReplicaName = name; }

    // The lines of the last drawing, master by master, in twips.
    [[nodiscard]] const QList<SiteLine> &lastLines() const { return m_lines; }

    [[nodiscard]] QSize sizeHint() const override;

    // The site the keyboard is on (1..N), 0 when none: Tab reaches the
    // picture, the arrows move between sites, Return opens the one framed.
    [[nodiscard]] int currentSite() const { return m_currentSite; }
    void setCurrentSite(int index);

signals:
    // A double click on siteImage(index): the site detail.
    void siteDoubleClicked(int index);

protected:
    void paintEvent(QPaintEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void focusInEvent(QFocusEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;
    void changeEvent(QEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    enum class Array { Image, Label, Marker };
    // The element index a site control carries, for the event filter.
    static constexpr const char *indexProperty = "quorvaneSiteIndex";

    void buildDesign();
    void fitPictMsgLbl();
    QLabel *makeSiteControl(Array array, int k);
    QLabel *element(Array array, int index) const;
    // siteImage(index) for index >= 1; throws QuorvaneError when there is none.
    QLabel *requireSiteImage(int index) const;
    // A control's geometry in twips.
    static QRect twipsRect(const QWidget *w);
    void placeSites();
    // The picture grows (never below its designed size) until every site
    // control lies inside it; a scroll area around it shows the rest.
    void fitToSites();
    // The icon and name label of a site, in pixels, for the focus frame.
    [[nodiscard]] QRect siteArea(int index) const;
    void placeCompanions(int k);
    // Markers, tooltips and m_lines from the icons' current places; true
    // when the lines differ from the previous drawing.
    bool computeSiteLines();
    void dragStep(int k, QPointF pointerPx);
    void showMastership(int k);
    void setSitePicture(QLabel *icon, const QPixmap &picture);
    void reportTrapped(const QuorvaneError &error);

    Feedback &m_feedback;

    QLabel *m_image1 = nullptr;
    QLabel *m_pictMsgLbl = nullptr;
    QLabel *m_siteHighlightedImage = nullptr;
    // Element 0 of each array is the hidden template; gaps are null.
    QList<QLabel *> m_siteImages;
    QList<QLabel *> m_siteLabels;
    QList<QLabel *> m_siteMasterLabels;
    QPixmap m_normalPicture;

    QList<mSite> m_AllSites;
    QString m_GMyReplicaName;
    qint32 m_GCount = 0;
    bool m_GSiteMouseDownFlag = false;
    int m_currentSite = 0;
    QList<SiteLine> m_lines;
};

} // namespace quorvane
