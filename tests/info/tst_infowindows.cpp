#include "info/frmAbout.h"
#include "info/frmGettingHelp.h"

#include <QDesktopServices>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRegularExpression>
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

class TestInfoWindows : public QObject {
    Q_OBJECT
    UrlRecorder m_browser;

private slots:
    void initTestCase() { QDesktopServices::setUrlHandler(QStringLiteral("https"), &m_browser, "open"); }
    void cleanupTestCase() { QDesktopServices::unsetUrlHandler(QStringLiteral("https")); }

    // The text of a control (the caption for "") must match the whole pattern.
    void texts_data()
    {
        QTest::addColumn<bool>("about");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("pattern");
        QTest::newRow("about caption") << true << QString() << QStringLiteral("About Quorvane");
        QTest::newRow("version line") << true << QStringLiteral("mainLbl(1)") << QStringLiteral("Version 1\\.2\\.1");
        QTest::newRow("terms: three paragraphs, bug address last")
            << true << QStringLiteral("txtInfo")
            << QStringLiteral("[^\n]*as is[^\n]*indemnify Belmora and the authors[^\n]*\n\n[^\n]*copyright law[^\n]*"
                              "\n\nPlease report bugs to bugs@belmora\\.example\\.\n");
        QTest::newRow("help caption") << false << QString() << QStringLiteral("Getting Help From Belmora");
        QTest::newRow("statement carries the title")
            << false << QStringLiteral("lblMain(0)")
            << QStringLiteral("This version of the Quorvane is provided as-is and free of charge [^\r\n]+\r\n\r\n"
                              "Belmora can assist your organization[^\r\n]+\r\n\r\n");
        QTest::newRow("invitation") << false << QStringLiteral("lblMain(3)")
                                    << QStringLiteral("[^\r\n]*pricing, availability[^\r\n]*contact: ");
        QTest::newRow("contacts") << false << QStringLiteral("lblMain(1)")
                                  << QStringLiteral("Email: support@belmora\\.example\r\nPhone: [-+ 0-9]+");
        QTest::newRow("bugs") << false << QStringLiteral("lblMain(2)")
                              << QStringLiteral("Submit bugs to: bugs@belmora\\.example");
    }
    void texts()
    {
        QFETCH(bool, about);
        QFETCH(QString, name);
        QFETCH(QString, pattern);
        frmAbout a;
        frmGettingHelp h;
        QDialog *w = about ? static_cast<QDialog *>(&a) : &h;
        QString text = w->windowTitle();
        if (auto *label = w->findChild<QLabel *>(name); !name.isEmpty() && label)
            text = label->text();
        else if (auto *box = w->findChild<QPlainTextEdit *>(name); !name.isEmpty() && box)
            text = box->toPlainText();
        else
            QVERIFY2(name.isEmpty(), qPrintable(name));
        QVERIFY2(QRegularExpression(QRegularExpression::anchoredPattern(pattern)).match(text).hasMatch(),
                 qPrintable(text));
    }

    void onlyThePictureOpensTheWebPage()
    {
        frmGettingHelp w;
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        auto *image = w.findChild<QLabel *>(QStringLiteral("Image1"));
        QCOMPARE(image->toolTip(), QStringLiteral("Click to goto https://www.belmora.example"));
        for (int i = 0; i < 4; ++i) {
            auto *label = w.findChild<QLabel *>(QStringLiteral("lblMain(%1)").arg(i));
            const QString before = label->text();
            QTest::mouseClick(label, Qt::LeftButton);
            QTest::mouseDClick(label, Qt::LeftButton);
            QCOMPARE(label->text(), before);
        }
        QTest::mouseClick(image, Qt::RightButton);
        QTest::mousePress(image, Qt::LeftButton);
        QTest::mouseRelease(image, Qt::LeftButton, {}, QPoint(-5, -5)); // released outside
        QVERIFY(m_browser.opened.isEmpty());
        QTest::mouseClick(image, Qt::LeftButton);
        QCOMPARE(m_browser.opened, QList<QUrl>{QUrl(QStringLiteral("https://www.belmora.example"))});
    }

    void okEndsTheModalDisplay_data()
    {
        QTest::addColumn<bool>("about");
        QTest::newRow("about") << true;
        QTest::newRow("help") << false;
    }
    void okEndsTheModalDisplay()
    {
        QFETCH(bool, about);
        frmAbout a;
        frmGettingHelp h;
        QDialog *w = about ? static_cast<QDialog *>(&a) : &h;
        auto *ok = w->findChild<QPushButton *>(about ? QStringLiteral("okBut") : QStringLiteral("Command1"));
        QCOMPARE(ok->text(), QStringLiteral("OK"));
        QTimer::singleShot(0, w, [ok] { QTest::mouseClick(ok, Qt::LeftButton); });
        QTimer::singleShot(5000, w, [w] { w->done(-1); }); // a broken button must not hang the test
        QCOMPARE(w->exec(), int(QDialog::Accepted));
        QVERIFY(!w->isVisible());
    }
};

QTEST_MAIN(TestInfoWindows)
#include "tst_infowindows.moc"
