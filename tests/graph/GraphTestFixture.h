#pragma once

#include "graph/GraphView.h"
#include "support/FakeFeedback.h"
#include "ui/TwipsGeometry.h"

#include <QComboBox>
#include <QLabel>
#include <QStringList>
#include <QTest>

#include <memory>

namespace quorvane::test {

// A graph picture on a page with the three replica lists of the "Detail"
// page, each holding "<select_replica>".
struct GraphFixture {
    FakeFeedback feedback;
    std::unique_ptr<QWidget> page = std::make_unique<QWidget>();
    QComboBox *combo = new QComboBox(page.get());
    QComboBox *fix0 = new QComboBox(page.get());
    QComboBox *fix1 = new QComboBox(page.get());
    GraphView *view = new GraphView(feedback, page.get());
    bool exposed = false;

    GraphFixture()
    {
        for (QComboBox *c : {combo, fix0, fix1}) {
            c->addItem(QStringLiteral("<select_replica>"));
            c->hide();
        }
        view->setReplicaCombos(combo, fix0, fix1);
        page->resize(500, 450);
        page->show();
        // Repaints reach the picture only once its window is on screen.
        exposed = QTest::qWaitForWindowExposed(page.get());
    }

    // Loads "name:master" specs as lsreplica would list them (four fields
    // per replica and one empty field at the end).
    void load(const QStringList &specs)
    {
        QStringList fields;
        for (const QString &spec : specs) {
            const QStringList parts = spec.split(QLatin1Char(':'));
            fields << parts.value(0) << QStringLiteral("15-Aug-00.14:19:03")
                   << parts.value(0) + QStringLiteral("_host") << parts.value(1);
        }
        fields << QString();
        view->setSitesData(fields, 4, int(fields.size()) - 1);
    }

    // What the loader does before loading again.
    void clean()
    {
        view->clearAllSites();
        view->unloadSiteControls();
    }

    static QStringList entries(const QComboBox *c)
    {
        QStringList list;
        for (int i = 0; i < c->count(); ++i)
            list << c->itemText(i);
        return list;
    }

    static QRect twips(const QWidget *w)
    {
        return QRect(twipsLeft(w), twipsTop(w), twipsWidth(w), twipsHeight(w));
    }
};

} // namespace quorvane::test
