#include "support/WorkingScreenshot.h"
#include "info/InfoTexts.h"
#include "info/frmAbout.h"

#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>

using namespace quorvane;

class TestFrmAbout : public QObject {
    Q_OBJECT
private slots:
    void loadFillsTheTexts_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("text");
        QTest::newRow("title") << QStringLiteral("mainLbl(0)") << QStringLiteral("Quorvane");
        QTest::newRow("version") << QStringLiteral("mainLbl(1)") << QStringLiteral("Version 1.2.1");
        QTest::newRow("copyright") << QStringLiteral("mainLbl(2)")
                                   << QStringLiteral("Copyright (C) 2026 Belmora. All rights reserved.");
        QTest::newRow("company") << QStringLiteral("Label1") << QStringLiteral("Belmora");
        QTest::newRow("author") << QStringLiteral("authorLbl") << InfoTexts::authorLine();
    }
    void loadFillsTheTexts()
    {
        QFETCH(QString, name);
        QFETCH(QString, text);
        frmAbout w;
        auto *label = w.findChild<QLabel *>(name);
        QVERIFY(label);
        QCOMPARE(label->text(), text);
    }

    void captionAndTerms()
    {
        frmAbout w;
        QCOMPARE(w.objectName(), QStringLiteral("frmAbout"));
        QCOMPARE(w.windowTitle(), QStringLiteral("About Quorvane"));
        auto *info = w.findChild<QPlainTextEdit *>(QStringLiteral("txtInfo"));
        QVERIFY(info);
        QVERIFY(info->isReadOnly());
        // The text box shows the three paragraphs, line ends as the box keeps them.
        QString shown = InfoTexts::termsOfUse();
        shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
        QCOMPARE(info->toPlainText(), shown);
        QVERIFY(!w.findChild<QLabel *>(QStringLiteral("Image1"))->pixmap().isNull());
    }

    void okEndsTheModalDisplay()
    {
        frmAbout w;
        auto *ok = w.findChild<QPushButton *>(QStringLiteral("okBut"));
        QVERIFY(ok);
        QCOMPARE(ok->text(), QStringLiteral("OK"));
        bool wasVisible = false;
        QTimer::singleShot(0, &w, [&] {
            wasVisible = w.isVisible();
            QTest::mouseClick(ok, Qt::LeftButton);
        });
        QTimer::singleShot(5000, &w, [&] { w.done(-1); }); // a broken button must not hang the test
        QCOMPARE(w.exec(), int(QDialog::Accepted));
        QVERIFY(wasVisible);
        QVERIFY(!w.isVisible());
    }

    void layoutIsTidy()
    {
        frmAbout w;
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        // Nothing overlaps and nothing is cut off by the window's edge.
        QList<QWidget *> parts;
        for (const char *name : {"Image1", "Label1", "mainLbl(0)", "mainLbl(1)", "mainLbl(2)", "authorLbl",
                                 "txtInfo", "okBut"})
            parts.append(w.findChild<QWidget *>(QString::fromLatin1(name)));
        for (int i = 0; i < parts.size(); ++i) {
            QVERIFY(parts[i]);
            const QRect r(parts[i]->mapTo(&w, QPoint(0, 0)), parts[i]->size());
            QVERIFY2(w.rect().contains(r), qPrintable(parts[i]->objectName()));
            for (int k = 0; k < i; ++k)
                QVERIFY2(!r.intersects(QRect(parts[k]->mapTo(&w, QPoint(0, 0)), parts[k]->size())),
                         qPrintable(parts[i]->objectName() + QLatin1Char('/') + parts[k]->objectName()));
        }
        auto *title = w.findChild<QLabel *>(QStringLiteral("mainLbl(0)"));
        QVERIFY(title->width() >= title->sizeHint().width());
        test::saveScreenshot(w);
    }
};

QTEST_MAIN(TestFrmAbout)
#include "tst_frmabout.moc"
