#include "maintenance/FixFrame.h"
#include "maintenance/ReplicaFieldsPanel.h"
#include "maintenance/ReplicaInfoPanel.h"
#include "support/FakeFeedback.h"
#include "support/FakeShell.h"
#include "support/ScriptedClearTool.h"
#include "ui/LongActionGuard.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QTest>

using namespace quorvane;

namespace {

// Every visible control lies inside its parent, none overlaps a sibling,
// and every caption fits its control.
void checkTidy(QWidget *root)
{
    root->adjustSize();
    root->show();
    QVERIFY(QTest::qWaitForWindowExposed(root));
    QList<QWidget *> controls;
    for (QWidget *w : root->findChildren<QWidget *>(Qt::FindDirectChildrenOnly))
        if (w->isVisible() && !w->objectName().startsWith(QLatin1String("qt_")))
            controls << w;
    QVERIFY(!controls.isEmpty());
    for (int i = 0; i < controls.size(); ++i) {
        const QWidget *a = controls[i];
        QVERIFY2(root->rect().contains(a->geometry()), qPrintable(a->objectName()));
        QVERIFY2(a->width() >= a->minimumSizeHint().width(), qPrintable(a->objectName()));
        if (auto *l = qobject_cast<const QLabel *>(a); l && l->pixmap().isNull())
            QVERIFY2(l->width() >= l->fontMetrics().horizontalAdvance(l->text()), qPrintable(l->text()));
        if (auto *b = qobject_cast<const QAbstractButton *>(a))
            QVERIFY2(b->width() >= b->sizeHint().width(), qPrintable(b->text()));
        for (int k = i + 1; k < controls.size(); ++k)
            QVERIFY2(!a->geometry().intersects(controls[k]->geometry()),
                     qPrintable(a->objectName() + QLatin1String(" / ") + controls[k]->objectName()));
    }
    // For looking at it: QUORVANE_SNAPSHOT_DIR=dir saves a picture of each panel.
    const QString dir = qEnvironmentVariable("QUORVANE_SNAPSHOT_DIR");
    if (!dir.isEmpty())
        QVERIFY(root->grab().save(QDir(dir).filePath(QString::fromLatin1(QTest::currentTestFunction()) + QLatin1String(".png"))));
}

} // namespace

class TestMaintenanceLook : public QObject {
    Q_OBJECT
private slots:
    void replicaInfoPanel()
    {
        test::ScriptedClearTool ct;
        test::FakeShell shell;
        test::FakeFeedback fb;
        ct.outputs.insert(QStringLiteral("lshistory -fmt \"%e,%d,\" replica:sanfran_hub@\\proj"),
                          QStringLiteral("export sync,2024-06-01T09:30:00Z,"));
        ReplicaInfoPanel panel(ct, shell, fb, QStringLiteral("s.pl"), [] { return QStringLiteral("\\proj"); });
        panel.replicaCombo()->addItem(QStringLiteral("sanfran_hub"));
        panel.replicaCombo()->setCurrentIndex(1);
        checkTidy(&panel);
    }

    void fixFrame()
    {
        test::FakeShell shell;
        test::FakeFeedback fb;
        LongActionGuard guard;
        FixFrame frame(shell, fb, guard, [] { return QString(); }, [] {}, [] {});
        frame.setSiblingReplicas({QStringLiteral("sanfran_hub"), QStringLiteral("bangalore")});
        frame.findChild<QAbstractButton *>(QStringLiteral("dFixOpt(1)"))->click();
        frame.findChild<QAbstractButton *>(QStringLiteral("syncAllCB"))->click();
        checkTidy(&frame);
    }

    void replicaFieldsPanel()
    {
        test::ScriptedClearTool ct;
        test::FakeFeedback fb;
        ct.outputs.insert(QStringLiteral("lshistory -fmt \"%e,%d,\" replica:sanfran_hub@\\proj"),
                          QStringLiteral("import sync,2024-06-01T09:30:00Z,"));
        ReplicaFieldsPanel panel(ct, fb, [] { return QStringLiteral("\\proj"); });
        panel.selectedVobLabel()->setText(QStringLiteral("VOB:\\proj"));
        panel.showSite(QStringLiteral("sanfran_hub"), QStringLiteral("goldengate"), QStringLiteral("boston_hub"),
                       QStringLiteral("2023-01-15T10:00:00Z"), {});
        checkTidy(&panel);
    }
};

QTEST_MAIN(TestMaintenanceLook)
#include "tst_maintenancelook.moc"
