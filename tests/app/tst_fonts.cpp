// Every window laid out with the desktop's font from 8 to 16 pt: each
// label's and button's text fits the room it is given, and no control lies
// outside its window, or outside what a scroll area in it reaches. The main
// window also on a 1024 x 600 screen. The site controls of the graph
// picture are placed in twips on purpose and are left out.
#include "info/frmAbout.h"
#include "info/frmGettingHelp.h"
#include "replicas/EpochMatrixView.h"
#include "support/LoaderFixture.h"
#include "ui/frmDetail.h"
#include "ui/frmWorking.h"

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QScreen>
#include <QScrollArea>
#include <QTabBar>
#include <QTest>
#include <functional>
#include <memory>

using namespace quorvane;
using namespace quorvane::test;
using namespace Qt::StringLiterals;

namespace {

bool onGraphPicture(const QWidget *w)
{
    for (const QWidget *p = w->parentWidget(); p; p = p->parentWidget())
        if (p->objectName() == u"vGraphPict"_s)
            return true;
    return false;
}

QString nameOf(const QWidget *w)
{
    return w->objectName().isEmpty() ? QString::fromLatin1(w->metaObject()->className()) + u'"' +
                                           w->property("text").toString() + u'"'
                                     : w->objectName();
}

// The labels and buttons whose text does not fit, as "name: why".
QStringList cutTexts(const QWidget *window)
{
    QStringList cut;
    for (const QLabel *l : window->findChildren<QLabel *>()) {
        if (!l->isVisibleTo(window) || l->text().isEmpty() || onGraphPicture(l))
            continue;
        const QRect room = l->contentsRect().adjusted(l->margin(), l->margin(), -l->margin(), -l->margin());
        const QFontMetrics fm(l->font());
        // Line breaks that end a text show nothing; what must fit is the words.
        QString words = l->text();
        while (words.endsWith(u'\n') || words.endsWith(u'\r'))
            words.chop(1);
        if (l->wordWrap()) {
            QLabel probe(words);
            probe.setFont(l->font());
            probe.setWordWrap(true);
            probe.setContentsMargins(l->contentsMargins());
            probe.setMargin(l->margin());
            probe.setIndent(l->indent());
            if (const int needed = probe.heightForWidth(l->width()); needed > l->height())
                cut << u"%1: %2 px high for %3 px of wrapped text"_s.arg(nameOf(l))
                           .arg(l->height())
                           .arg(needed);
            continue;
        }
        const QStringList lines = words.remove(u'\r').split(u'\n');
        int widest = 0;
        for (const QString &line : lines)
            widest = std::max(widest, fm.horizontalAdvance(line));
        if (widest > room.width())
            cut << u"%1: %2 px wide for %3 px of text"_s.arg(nameOf(l)).arg(room.width()).arg(widest);
        if (fm.height() * lines.size() > room.height())
            cut << u"%1: %2 px high for %3 lines"_s.arg(nameOf(l)).arg(room.height()).arg(lines.size());
    }
    for (const QAbstractButton *b : window->findChildren<QAbstractButton *>()) {
        if (!b->isVisibleTo(window) || b->text().isEmpty())
            continue;
        const QSize needed = b->sizeHint();
        if (needed.width() > b->width() || needed.height() > b->height())
            cut << u"%1: %2x%3 for %4x%5"_s.arg(nameOf(b))
                       .arg(b->width())
                       .arg(b->height())
                       .arg(needed.width())
                       .arg(needed.height());
    }
    for (const QTabBar *t : window->findChildren<QTabBar *>()) {
        for (int i = 0; t->isVisibleTo(window) && i < t->count(); ++i) {
            const int needed = QFontMetrics(t->font()).horizontalAdvance(t->tabText(i));
            if (needed > t->tabRect(i).width())
                cut << u"%1: tab %2"_s.arg(nameOf(t)).arg(i);
        }
    }
    return cut;
}

// What a control must lie within to be reached: the content of the
// nearest scroll area round it (scrolled to), else the window.
const QWidget *reachableArea(const QWidget *w, const QWidget *window)
{
    for (const QWidget *p = w; p && p != window; p = p->parentWidget()) {
        const auto *viewport = p->parentWidget();
        const auto *scroll = viewport ? qobject_cast<const QScrollArea *>(viewport->parentWidget()) : nullptr;
        if (scroll && scroll->widget() == p)
            return p;
    }
    return window;
}

// The visible controls that reach past their window's edges, or past the
// content of the scroll area that shows them.
QStringList outside(const QWidget *window)
{
    QStringList out;
    for (const QWidget *w : window->findChildren<QWidget *>()) {
        if (!w->isVisibleTo(window) || w->isWindow() || onGraphPicture(w))
            continue;
        const QWidget *area = reachableArea(w, window);
        const QRect r(w->mapTo(area, QPoint(0, 0)), w->size());
        if (!area->rect().contains(r))
            out << u"%1 at %2,%3 %4x%5 in %6"_s.arg(nameOf(w)).arg(r.x()).arg(r.y()).arg(r.width()).arg(r.height())
                       .arg(nameOf(area));
    }
    return out;
}

// Eight replicas with the names of a real region, one of them lagging.
LoaderVob eightReplicas(const QString &tag)
{
    LoaderVob v = family(tag, {u"boston_hub"_s, u"sanfran_hub"_s, u"bangalore"_s, u"london"_s, u"tokyo"_s, u"paris"_s,
                               u"berlin"_s, u"toronto"_s}, 1200, 37, u"2026-05-01T10:00:00Z"_s);
    v.actual[3][2] = u"1199"_s;
    return v;
}

} // namespace

class TestFonts : public QObject {
    Q_OBJECT
private slots:
    void init() { m_desktop = QApplication::font(); }
    void cleanup() { QApplication::setFont(m_desktop); }

    void windows_data()
    {
        QTest::addColumn<int>("points");
        QTest::addColumn<QString>("window");
        QTest::addColumn<QSize>("size");
        for (const int points : {8, 16}) {
            for (const char *window : {"frmMain visual", "frmMain detail", "frmAbout", "frmGettingHelp",
                                       "frmWorking", "frmDetail"})
                QTest::addRow("%s, %d pt", window, points) << points << QString::fromLatin1(window) << QSize(1180, 720);
        }
        // A 1024 x 600 screen less the window manager's frame.
        for (const char *window : {"frmMain visual", "frmMain detail"})
            QTest::addRow("%s, 16 pt, 1024 x 600", window) << 16 << QString::fromLatin1(window) << QSize(1008, 552);
    }
    void windows()
    {
        QFETCH(int, points);
        QFETCH(QString, window);
        QFETCH(QSize, size);
        QFont font = m_desktop;
        font.setPointSize(points);
        QApplication::setFont(font);
        LoaderFixture f;
        // The first size is the designed one where the screen has room, and
        // never more than the screen's free area.
        const QSize room = QGuiApplication::primaryScreen()->availableGeometry().size();
        QVERIFY(f.window->width() <= std::min(1180, room.width()) && f.window->height() <= std::min(720, room.height()));
        std::unique_ptr<QWidget> own;
        QWidget *shown = f.window.get();
        // The header's longest text, as a run without ClearCase shows it.
        f.window->findChild<QLabel *>(u"clearCaseLbl"_s)
            ->setText(u"Simulated MultiSite region (no ClearCase installed)"_s);
        // Every control can be had at that size: nothing makes the window larger.
        const QSize needed = f.window->minimumSizeHint();
        QVERIFY2(needed.width() <= size.width() && needed.height() <= size.height(),
                 qPrintable(u"needs %1 x %2"_s.arg(needed.width()).arg(needed.height())));
        f.window->resize(size);
        if (window.startsWith(u"frmMain"_s)) {
            f.addVob(u"/vobs/core"_s, eightReplicas(u"/vobs/core"_s));
            f.window->show();
            f.open(u"/vobs/core"_s);
            if (window.endsWith(u"detail"_s)) {
                f.window->tabStrip()->setCurrentIndex(1);
                auto *replicas = f.window->findChild<QComboBox *>(u"dReplicaCombo"_s);
                replicas->setCurrentIndex(replicas->findText(u"sanfran_hub"_s));
                f.window->epochView()->dSyncImage(0)->show();
                f.window->epochView()->dSyncImage(1)->show();
            }
        } else if (window == u"frmAbout"_s) {
            own = std::make_unique<frmAbout>();
        } else if (window == u"frmGettingHelp"_s) {
            own = std::make_unique<frmGettingHelp>();
        } else if (window == u"frmWorking"_s) {
            f.window->setMsg(u"Checking VOB --> /vobs/projects/europe/manufacturing/line_control_firmware"_s);
            shown = f.window->workingForm();
        } else {
            f.window->setDetail(u"Date:2026-05-01 User:admin\nimport sync from replica \"sanfran_hub\""_s,
                                u"History Detail: sanfran_hub"_s);
            shown = f.window->detailForm();
        }
        if (own)
            shown = own.get();
        shown->show();
        QVERIFY(QTest::qWaitForWindowExposed(shown));
        QTest::qWait(20); // deferred layouts (the grids) settle
        const QStringList cut = cutTexts(shown);
        QVERIFY2(cut.isEmpty(), qPrintable(cut.join(u"; "_s)));
        const QStringList out = outside(shown);
        QVERIFY2(out.isEmpty(), qPrintable(out.join(u"; "_s)));
        if (shown == f.window.get()) {
            // A change of page keeps the window's size.
            f.window->tabStrip()->setCurrentIndex(1 - f.window->tabStrip()->currentIndex());
            QTest::qWait(20);
            QCOMPARE(f.window->size(), size);
        }
    }

    // A window already open follows a change of the desktop's font: the
    // header's title is sized from it. (A running application sends the
    // event itself; one that has not entered its event loop does not.)
    void followsTheDesktopFont()
    {
        LoaderFixture f;
        f.window->show();
        QFont font = m_desktop;
        font.setPointSize(20);
        QApplication::setFont(font);
        QEvent changed(QEvent::ApplicationFontChange);
        QApplication::sendEvent(f.window.get(), &changed);
        QCOMPARE(f.window->findChild<QLabel *>(u"headerLbl(0)"_s)->font().pointSizeF(), 32.0);
    }

private:
    QFont m_desktop;
};

QTEST_MAIN(TestFonts)
#include "tst_fonts.moc"
