// Renders the graph picture for a few VOBs into PNG files, to look at the
// icons, labels, markers and lines: graph_shots <output folder>.
#include "GraphBenchSupport.h"
#include "graph/GraphView.h"

#include <QApplication>
#include <QDir>
#include <QLabel>
#include <QTextStream>

using namespace quorvane;

namespace {

void shoot(const QString &folder, const QString &file, const QStringList &names, int masterEvery,
           int highlight)
{
    bench::BenchFeedback feedback;
    QWidget page;
    page.resize(480, 420);
    page.setStyleSheet(QString());
    GraphView view(feedback, &page);
    view.setGMyReplicaName(names.first());
    const QStringList fields = bench::replicaFields(names, masterEvery);
    view.pictMsgLbl()->hide();
    view.setSitesData(fields, 4, int(fields.size()) - 1);
    if (highlight > 0)
        view.highlightSite(highlight);
    page.show();
    QApplication::processEvents();
    const QString path = QDir(folder).filePath(file);
    const QPixmap shot = view.grab();
    shot.save(path);
    // A close-up of the first sites, pixels enlarged, to judge the pictures.
    shot.copy(0, 0, 200, 72).scaled(800, 288, Qt::IgnoreAspectRatio, Qt::FastTransformation)
        .save(QDir(folder).filePath(QStringLiteral("zoom_") + file));
    QTextStream(stdout) << path << '\n';
}

} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    const QString folder = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral(".");
    QDir().mkpath(folder);

    {
        bench::BenchFeedback feedback;
        GraphView empty(feedback);
        empty.show();
        QApplication::processEvents();
        empty.grab().save(QDir(folder).filePath(QStringLiteral("graph_empty.png")));
    }
    shoot(folder, QStringLiteral("graph_3.png"),
          {QStringLiteral("boston_hub"), QStringLiteral("sanfran_hub"), QStringLiteral("tokyo")}, 3, 0);
    shoot(folder, QStringLiteral("graph_7.png"),
          {QStringLiteral("boston_hub"), QStringLiteral("sanfran_hub"), QStringLiteral("tokyo"),
           QStringLiteral("london"), QStringLiteral("paris_dev"), QStringLiteral("bangalore"),
           QStringLiteral("sydney")},
          3, 2);
    shoot(folder, QStringLiteral("graph_20.png"), bench::numberedNames(20), 4, 9);
    return 0;
}
