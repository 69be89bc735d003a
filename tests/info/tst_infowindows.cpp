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

class TestInfoWindows : public QObject {
    Q_OBJECT
    QList<QUrl> m_opened;

public slots:
    // Stands in for the browser.
    void open(const QUrl &url) { m_opened.append(url); }

private slots:
    void initTestCase() { QDesktopServices::setUrlHandler(QStringLiteral("https"), this, "open"); }
    void cleanupTestCase() { QDesktopServices::unsetUrlHandler(QStringLiteral("https")); }

    // The text of a control must match the whole pattern.
    void texts_data()
    {
        QTest::addColumn<bool>("about");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("pattern");
        const auto row = [](const char *tag, bool about, const char *name, const char *pattern) {
            QTest::newRow(tag) << about << QString::fromLatin1(name) << QString::fromLatin1(pattern);
        };
        row("version line", true, "mainLbl(1)", "Version 1\\.2\\.1");
        row("terms: three paragraphs, bug address last", true, "txtInfo",
            "[^\n]*as is[^\n]*indemnify Belmora and the authors[^\n]*\n\n[^\n]*copyright law[^\n]*\n\n"
            "Please report bugs to bugs@belmora\\.example\\.\n");
        row("statement carries the title", false, "lblMain(0)",
            "This version of the Quorvane is provided as-is and free of charge [^\r\n]+\r\n\r\n"
            "Belmora can assist your organization[^\r\n]+\r\n\r\n");
    }
    void texts()
    {
        QFETCH(bool, about);
        QFETCH(QString, name);
        QFETCH(QString, pattern);
        frmAbout a;
        frmGettingHelp h;
        QDialog *w = about ? static_cast<QDialog *>(&a) : &h;
        auto *label = w->findChild<QLabel *>(name);
        auto *box = w->findChild<QPlainTextEdit *>(name);
        QVERIFY(label || box);
        const QString text = label ? label->text() : box->toPlainText();
        QVERIFY2(QRegularExpression(QRegularExpression::anchoredPattern(pattern)).match(text).hasMatch(),
                 qPrintable(text));
    }

    void onlyThePictureOpensTheWebPage()
    {
        frmGettingHelp w;
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        auto *image = w.findChild<QLabel *>(QStringLiteral("Image1"));
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
        QVERIFY(m_opened.isEmpty());
        QTest::mouseClick(image, Qt::LeftButton);
        QCOMPARE(m_opened, QList<QUrl>{QUrl(QStringLiteral("https://www.belmora.example"))});
    }

    void okEndsTheModalDisplay()
    {
        frmAbout a;
        frmGettingHelp h;
        for (QDialog *w : {static_cast<QDialog *>(&a), static_cast<QDialog *>(&h)}) {
            auto *ok =
                w->findChild<QPushButton *>(w == &a ? QStringLiteral("okBut") : QStringLiteral("Command1"));
            QCOMPARE(ok->text(), QStringLiteral("OK"));
            QTimer::singleShot(0, w, [ok] { QTest::mouseClick(ok, Qt::LeftButton); });
            QTimer::singleShot(5000, w, [w] { w->done(-1); }); // a broken button must not hang the test
            QCOMPARE(w->exec(), int(QDialog::Accepted));
            QVERIFY(!w->isVisible());
        }
    }
};

QTEST_MAIN(TestInfoWindows)
#include "tst_infowindows.moc"
