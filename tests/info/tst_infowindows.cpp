#include "info/frmGettingHelp.h"

#include <QDesktopServices>
#include <QLabel>
#include <QTest>
#include <QUrl>

using namespace quorvane;

class TestInfoWindows : public QObject {
    Q_OBJECT
    QList<QUrl> m_opened;

public slots:
    // Stands in for the browser.
    void open(const QUrl &url) { m_opened.append(url); }

private slots:
    void initTestCase() { QDesktopServices::setUrlHandler(QStringLiteral("https"), this, "open"); }
    void cleanupTestCase() { QDesktopServices::unsetUrlHandler(QStringLiteral("https")); }

    void onlyThePictureOpensTheWebPage()
    {
        frmGettingHelp w;
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        auto *image = w.findChild<QLabel *>(QStringLiteral("Image1"));
        QTest::mouseClick(w.findChild<QLabel *>(QStringLiteral("lblMain(0)")), Qt::LeftButton);
        QTest::mouseClick(image, Qt::RightButton);
        QTest::mousePress(image, Qt::LeftButton);
        QTest::mouseRelease(image, Qt::LeftButton, {}, QPoint(-5, -5)); // released outside
        QVERIFY(m_opened.isEmpty());
        QTest::mouseClick(image, Qt::LeftButton);
        QCOMPARE(m_opened, QList<QUrl>{QUrl(QStringLiteral("https://www.belmora.example"))});
    }
};

QTEST_MAIN(TestInfoWindows)
#include "tst_infowindows.moc"
