#include "ui/frmDetail.h"

#include <QApplication>
#include <QLabel>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QTest>

using namespace quorvane;

class TestFrmDetail : public QObject {
    Q_OBJECT
private slots:
    void setDetailShowsTextAndTitleAndStaysOnTop()
    {
        QWidget owner;
        frmDetail d(&owner);
        QCOMPARE(d.windowTitle(), QStringLiteral("Detail"));
        QVERIFY(d.windowFlags() & Qt::WindowStaysOnTopHint);
        d.setDetail(QStringLiteral("line 1\r\nline 2"), QStringLiteral("History Detail: r1"));
        QVERIFY(d.isVisible());
        QCOMPARE(d.windowTitle(), QStringLiteral("History Detail: r1"));
        QVERIFY(d.text().contains(QStringLiteral("line 2")));
    }

    void emptyTextStillShowsTheWindowWithItsCaption()
    {
        frmDetail d;
        d.setDetail(QString(), QStringLiteral("Empty"));
        QVERIFY(d.isVisible());
        QCOMPARE(d.text(), QString());
        QCOMPARE(d.windowTitle(), QStringLiteral("Empty"));
    }

    void closeImageHidesAndTheNextCallShowsNewText()
    {
        frmDetail d;
        d.setDetail(QStringLiteral("old"), QStringLiteral("t1"));
        auto *close = d.findChild<QLabel *>(QStringLiteral("closeImage"));
        QVERIFY(close);
        QCOMPARE(close->toolTip(), QStringLiteral("Close window"));
        QTest::mouseClick(close, Qt::LeftButton);
        QVERIFY(!d.isVisible());
        QCOMPARE(d.text(), QStringLiteral("old")); // kept while hidden
        d.setDetail(QStringLiteral("new"), QStringLiteral("t2"));
        QVERIFY(d.isVisible());
        QCOMPARE(d.text(), QStringLiteral("new"));
        QCOMPARE(d.windowTitle(), QStringLiteral("t2"));
    }

    void longTextIsShownFromItsTop()
    {
        frmDetail d;
        QStringList lines;
        for (int i = 0; i < 500; ++i)
            lines << QStringLiteral("event %1").arg(i);
        d.setDetail(lines.join(QStringLiteral("\n")), QStringLiteral("a"));
        auto *txt = d.findChild<QPlainTextEdit *>(QStringLiteral("mainTxt"));
        txt->verticalScrollBar()->setValue(txt->verticalScrollBar()->maximum());
        d.setDetail(lines.join(QStringLiteral("\n")), QStringLiteral("b"));
        QCOMPARE(txt->verticalScrollBar()->value(), 0);
    }
};

QTEST_MAIN(TestFrmDetail)
#include "tst_frmdetail.moc"
