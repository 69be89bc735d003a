// The program's icon is compiled in from the pictures the build draws: a
// resource left out of the link would give an empty icon and no error.
#include "ui/Pictures.h"

#include <QTest>

using namespace quorvane;

class TestAppIcon : public QObject {
    Q_OBJECT
private slots:
    // Every size is there as drawn, not scaled from another; the picture is
    // the dark tile with white sites.
    void everySizeIsDrawn()
    {
        const QIcon icon = Pictures::appIcon();
        QList<QSize> expected;
        for (const int side : {16, 32, 48, 64, 128, 256})
            expected << QSize(side, side);
        QCOMPARE(icon.availableSizes(), expected);
        for (const QSize &size : expected) {
            const QImage image = icon.pixmap(size).toImage();
            QCOMPARE(image.size(), size);
            const int s = size.width();
            QVERIFY2(qGray(image.pixel(s / 2, s * 9 / 16)) < 80, "the tile inside the triangle is dark");
            QCOMPARE(image.pixel(s / 2, s / 4), qRgb(255, 255, 255)); // the top site
            QCOMPARE(qAlpha(image.pixel(0, 0)), 0);                   // the rounded corner
        }
    }
};

QTEST_MAIN(TestAppIcon)
#include "tst_appicon.moc"
