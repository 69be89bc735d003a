#include "support/WorkingScreenshot.h"
#include "info/InfoTexts.h"
#include "info/frmGettingHelp.h"

#include <QDesktopServices>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QUrl>

using namespace quorvane;

// Stands in for the browser: records the pages the desktop was asked to open.
class UrlRecorder : public QObject {
    Q_OBJECT
public:
    QList<QUrl> opened;
public slots:
    void open(const QUrl &url) { opened.append(url); }
};

class TestFrmGettingHelp : public QObject {
    Q_OBJECT
    UrlRecorder m_browser;

private slots:
    void initTestCase()
    {
        QDesktopServices::setUrlHandler(QStringLiteral("https"), &m_browser, "open");
        QDesktopServices::setUrlHandler(QStringLiteral("http"), &m_browser, "open");
    }
    void cleanupTestCase()
    {
        QDesktopServices::unsetUrlHandler(QStringLiteral("https"));
        QDesktopServices::unsetUrlHandler(QStringLiteral("http"));
    }
    void init() { m_browser.opened.clear(); }

    void loadFillsTheTexts_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("text");
        QTest::newRow("statement") << QStringLiteral("lblMain(0)") << InfoTexts::helpStatement();
        QTest::newRow("invitation") << QStringLiteral("lblMain(3)") << InfoTexts::helpInvitation();
        QTest::newRow("contacts") << QStringLiteral("lblMain(1)")
                                  << QStringLiteral("Email: support@belmora.example\r\nPhone: +1 555 0100 4242");
        QTest::newRow("bugs") << QStringLiteral("lblMain(2)")
                              << QStringLiteral("Submit bugs to: bugs@belmora.example");
    }
    void loadFillsTheTexts()
    {
        QFETCH(QString, name);
        QFETCH(QString, text);
        frmGettingHelp w;
        auto *label = w.findChild<QLabel *>(name);
        QVERIFY(label);
        QCOMPARE(label->text(), text);
        QCOMPARE(label->textFormat(), Qt::PlainText);
    }

    void captionAndPicture()
    {
        frmGettingHelp w;
        QCOMPARE(w.objectName(), QStringLiteral("frmGettingHelp"));
        QCOMPARE(w.windowTitle(), QStringLiteral("Getting Help From Belmora"));
        auto *image = w.findChild<QLabel *>(QStringLiteral("Image1"));
        QVERIFY(image);
        QCOMPARE(image->toolTip(), QStringLiteral("Click to goto https://www.belmora.example"));
        QVERIFY(!image->pixmap().isNull());
        QVERIFY(w.findChild<QLabel *>(QStringLiteral("lblMain(0)"))
                    ->text()
                    .startsWith(QStringLiteral("This version of the Quorvane is provided as-is and free of charge ")));
    }

    void pictureClickOpensTheWebPage()
    {
        frmGettingHelp w;
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        QTest::mouseClick(w.findChild<QWidget *>(QStringLiteral("Image1")), Qt::LeftButton);
        QCOMPARE(m_browser.opened, QList<QUrl>{QUrl(QStringLiteral("https://www.belmora.example"))});
        // Other buttons and a press that leaves the picture open nothing.
        auto *image = w.findChild<QWidget *>(QStringLiteral("Image1"));
        QTest::mouseClick(image, Qt::RightButton);
        QTest::mousePress(image, Qt::LeftButton);
        QTest::mouseRelease(image, Qt::LeftButton, {}, QPoint(-5, -5));
        QCOMPARE(m_browser.opened.size(), 1);
    }

    void textClicksDoNothing_data()
    {
        QTest::addColumn<QString>("name");
        for (int i = 0; i < 4; ++i)
            QTest::newRow(qPrintable(QString::number(i))) << QStringLiteral("lblMain(%1)").arg(i);
    }
    void textClicksDoNothing()
    {
        QFETCH(QString, name);
        frmGettingHelp w;
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        auto *label = w.findChild<QLabel *>(name);
        const QString before = label->text();
        QTest::mouseClick(label, Qt::LeftButton);
        QTest::mouseDClick(label, Qt::LeftButton);
        QVERIFY(m_browser.opened.isEmpty());
        QCOMPARE(label->text(), before);
        QVERIFY(w.isVisible());
        QCOMPARE(label->textInteractionFlags(), Qt::NoTextInteraction);
    }

    void okEndsTheModalDisplay()
    {
        frmGettingHelp w;
        auto *ok = w.findChild<QPushButton *>(QStringLiteral("Command1"));
        QVERIFY(ok);
        QCOMPARE(ok->text(), QStringLiteral("OK"));
        QTimer::singleShot(0, &w, [&] { QTest::mouseClick(ok, Qt::LeftButton); });
        QTimer::singleShot(5000, &w, [&] { w.done(-1); });
        QCOMPARE(w.exec(), int(QDialog::Accepted));
        QVERIFY(!w.isVisible());
        QVERIFY(m_browser.opened.isEmpty());
    }

    void layoutIsTidy()
    {
        frmGettingHelp w;
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        int lastBottom = -1;
        for (const char *name : {"Image1", "lblMain(0)", "lblMain(3)", "lblMain(1)", "lblMain(2)", "Command1"}) {
            auto *part = w.findChild<QWidget *>(QString::fromLatin1(name));
            QVERIFY(part);
            const QRect r(part->mapTo(&w, QPoint(0, 0)), part->size());
            QVERIFY2(w.rect().contains(r), name);
            QVERIFY2(r.top() > lastBottom, name); // one below the other, in this order
            lastBottom = r.bottom();
            // No words cut off (the statement's closing empty line may be).
            if (auto *label = qobject_cast<QLabel *>(part); label && label->wordWrap()) {
                const QString words = label->text().trimmed();
                const int needed = label->fontMetrics()
                                       .boundingRect(QRect(0, 0, label->width(), 100000), Qt::TextWordWrap, words)
                                       .height();
                QVERIFY2(label->height() >= needed, name);
            }
        }
        test::saveScreenshot(w);
    }
};

QTEST_MAIN(TestFrmGettingHelp)
#include "tst_frmgettinghelp.moc"
