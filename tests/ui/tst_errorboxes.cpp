#include "support/ScriptedDialogs.h"
#include "ui/ErrorBoxes.h"
#include "ui/QuorvaneError.h"

#include <QTest>

using namespace quorvane;

class TestErrorBoxes : public QObject {
    Q_OBJECT
private slots:
    void fullReportHasEightFramedLines()
    {
        const ErrorBox box = ErrorBoxes::fullReport(53, QStringLiteral("Quorvane"),
                                                    QStringLiteral("File not found"),
                                                    QStringLiteral("Error::cleanGrid()"));
        const QStringList lines = box.prompt.split(QStringLiteral("\r\n"));
        QCOMPARE(lines.size(), 8);
        QCOMPARE(lines[0], QString(88, QLatin1Char('*')));
        QCOMPARE(lines[1], QStringLiteral("* E R R O R: 53 (Quorvane)"));
        QCOMPARE(lines[2], QString(63, QLatin1Char('*')) + QLatin1Char(' '));
        QCOMPARE(lines[3], QStringLiteral("* SysErr: File not found"));
        QCOMPARE(lines[4], QStringLiteral("*"));
        QCOMPARE(lines[5], QStringLiteral("* Error::cleanGrid()"));
        QCOMPARE(lines[6], QStringLiteral("*            Report bugs to: bugs@belmora.example"));
        QCOMPARE(lines[7], lines[0]);
        QVERIFY(!box.prompt.endsWith(QStringLiteral("\r\n")));
        QCOMPARE(box.title, QStringLiteral("Error..."));
        QCOMPARE(box.icon, MsgIcon::Stop);
    }

    void reportErrorShowsNothingForErrorZeroAndEmptySource()
    {
        test::ScriptedDialogs d;
        ReportError(d, QuorvaneError(0, QStringLiteral("x"), QStringLiteral("y")), QStringLiteral("p"));
        QVERIFY(d.boxes.isEmpty());
        ReportError(d, QuorvaneError(9, QString(), QStringLiteral("Subscript out of range")),
                    QStringLiteral("Error::dSyncImage()"));
        QCOMPARE(d.boxes.size(), 1);
        QVERIFY(d.boxes[0].prompt.contains(QStringLiteral("* E R R O R: 9 ()\r\n")));
    }

    void perProcedureLayouts_data()
    {
        QTest::addColumn<QString>("prompt");
        QTest::addColumn<QString>("title");
        QTest::addColumn<int>("icon");
        QTest::addColumn<QString>("expectedPrompt");
        QTest::addColumn<QString>("expectedTitle");
        QTest::addColumn<int>("expectedIcon");
        const QString d = QStringLiteral("bad");
        auto row = [](const char *name, const ErrorBox &b, const char *p, const char *t, MsgIcon i) {
            QTest::newRow(name) << b.prompt << b.title << int(b.icon) << QString::fromUtf8(p)
                                << QString::fromUtf8(t) << int(i);
        };
        row("standard", ErrorBoxes::standard(d), "ERROR::bad\r\nReport Bug to bugs@belmora.example",
            "ERROR...", MsgIcon::Exclamation);
        row("standard-stop", ErrorBoxes::standard(d, MsgIcon::Stop),
            "ERROR::bad\r\nReport Bug to bugs@belmora.example", "ERROR...", MsgIcon::Stop);
        row("with number", ErrorBoxes::withNumber(53, d),
            "ERROR::53::bad\r\nReport Bug to bugs@belmora.example", "ERROR...", MsgIcon::Exclamation);
        row("load", ErrorBoxes::load(d), "ERROR::bad\r\nCould not get info for all VOBs", "Error...",
            MsgIcon::Exclamation);
        row("vob tags", ErrorBoxes::vobTags(d), "Error::bad\r\ngetVobsList()", "Error..", MsgIcon::Stop);
        row("process", ErrorBoxes::process(d, QStringLiteral("ccperl x")),
            "ERROR: bad\r\nCould not execute --> ccperl x", "Quorvane", MsgIcon::Stop);
        row("history", ErrorBoxes::history(d), "ERROR::bad\r\nError from Quorvane", "ERROR",
            MsgIcon::Exclamation);
        row("grid input", ErrorBoxes::gridInput(d), "Error::bad\r\nMust type a numeric value", "Error...",
            MsgIcon::Stop);
    }
    void perProcedureLayouts()
    {
        QFETCH(QString, prompt);
        QFETCH(QString, title);
        QFETCH(int, icon);
        QTEST(prompt, "expectedPrompt");
        QTEST(title, "expectedTitle");
        QTEST(icon, "expectedIcon");
    }
};

QTEST_GUILESS_MAIN(TestErrorBoxes)
#include "tst_errorboxes.moc"
