// The region window on the demo region: the survey fills it worst first,
// it sorts and filters, Return opens the row's VOB, Copy takes the table;
// and its place on the main window.
#include "app/frmMain.h"
#include "graph/GraphView.h"
#include "region/CommandQueue.h"
#include "region/RegionModel.h"
#include "region/frmRegion.h"
#include "replicas/ReplicaDetailLoader.h"
#include "support/LoaderFixture.h"
#include "support/ScriptedClearTool.h"
#include "vobs/VobListPanel.h"

#include <QApplication>
#include <QClipboard>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QProcess>
#include <QPushButton>
#include <QSignalSpy>
#include <QScreen>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>

using namespace quorvane;
using namespace Qt::StringLiterals;

class TestRegionView : public QObject {
    Q_OBJECT
private slots:
    void surveySortFilterOpen()
    {
        QTemporaryDir region;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(u"CCSIM_REGION"_s, region.path());
        QProcess demo;
        demo.setProcessEnvironment(env);
        demo.start(QStringLiteral(QUORVANE_BIN_DIR "/sim/ccsim"), {u"demo"_s});
        QVERIFY(demo.waitForFinished(60000) && demo.exitCode() == 0);

        test::ScriptedClearTool clearTool;
        clearTool.tags = {u"/vobs/web"_s, u"/vobs/admin"_s, u"/vobs/core"_s, u"/vobs/tools"_s,
                          u"/vobs/dev"_s,  u"/vobs/docs"_s};
        ProcessRunner runner(QStringLiteral(QUORVANE_BIN_DIR "/sim"), {}, env);
        frmRegion w(clearTool, runner, QStringLiteral(QUORVANE_BIN_DIR "/get_replica_info.pl"));
        // Opened on a screen smaller than its designed size (or with a font
        // that scales it), the window stays within the screen.
        const QSize room = QGuiApplication::primaryScreen()->availableGeometry().size();
        QVERIFY2(w.width() <= room.width() && w.height() <= room.height(),
                 qPrintable(u"%1x%2 on %3x%4"_s.arg(w.width()).arg(w.height()).arg(room.width()).arg(room.height())));
        w.show();
        QTableView *view = w.view();

        w.findChild<QPushButton *>(u"regionSurveyBut"_s)->click();
        QVERIFY(w.surveying());
        QTRY_VERIFY_WITH_TIMEOUT(!w.surveying(), 60000);
        // Worst first, the unreplicated VOB left out.
        QCOMPARE(test::entries(view, RegionModel::Vob),
                 (QStringList{u"/vobs/tools"_s, u"/vobs/core"_s, u"/vobs/docs"_s, u"/vobs/web"_s, u"/vobs/dev"_s}));

        // Numbers sort as numbers: 135 before 44 before 7.
        view->sortByColumn(RegionModel::Behind, Qt::DescendingOrder);
        QCOMPARE(test::entries(view, RegionModel::Behind).mid(0, 3), (QStringList{u"135"_s, u"44"_s, u"7"_s}));

        // What is copied and opened below is what the filter left.
        w.findChild<QLineEdit *>(u"regionFilterTxt"_s)->setText(u"unreach"_s);

        QSignalSpy open(&w, &frmRegion::openVob);
        view->setFocus();
        view->setCurrentIndex(view->model()->index(0, RegionModel::Diagnosis));
        QTest::keyClick(view, Qt::Key_Return);
        QCOMPARE(open.count(), 1);
        QCOMPARE(open.first().first().toString(), u"/vobs/web"_s);

        w.findChild<QPushButton *>(u"regionCopyBut"_s)->click();
        const QStringList lines = QApplication::clipboard()->text().split(u'\n', Qt::SkipEmptyParts);
        QCOMPARE(lines.size(), 2);
        QVERIFY(lines[0].startsWith("VOB\tState\tWorst replica\tBehind"_L1));
        QVERIFY(lines[1].startsWith("/vobs/web\tunreachable\tsydney"_L1));
    }

    // Ctrl+R opens the region window on the main window; a VOB opened there
    // is chosen in the list and opened as the list's double click does, also
    // one the last load did not list.
    void openFromTheMainWindow()
    {
        test::LoaderFixture f;
        frmMain &w = *f.window;
        const QString tag = u"/vobs/dev"_s;
        f.addVob(tag, {u"r1"_s, u"r1,2026-05-01,h1,r1@/vobs/dev,r2,2026-05-01,h2,r2@/vobs/dev,"_s,
                       {{u"r1"_s, u"5"_s, u"6"_s}, {u"r2"_s, u"5"_s, u"6"_s}},
                       {{u"r1"_s, u"5"_s, u"6"_s}, {u"r2"_s, u"5"_s, u"6"_s}}});
        w.vobList()->list()->clear();
        w.show();
        w.activateWindow();
        QTRY_VERIFY(w.isActiveWindow());
        QTest::keyClick(&w, Qt::Key_R, Qt::ControlModifier);
        QVERIFY(w.regionForm() && w.regionForm()->isVisible());
        QTRY_VERIFY(!w.regionForm()->surveying());
        w.openVobFromRegion(tag);
        QCOMPARE(w.vobList()->selectedVobTag(), tag);
        QCOMPARE(w.loader()->openedVobTag(), tag);
        QVERIFY(!w.graph()->pictMsgLbl()->isVisible());
    }
};

QTEST_MAIN(TestRegionView)
#include "tst_regionview.moc"
