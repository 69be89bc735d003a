#include "support/ScriptedDialogs.h"
#include "common/ErrorBoxes.h"
#include "common/QuorvaneError.h"
#include "ui/RealDialogs.h"

#include <QApplication>
#include <QDirIterator>
#include <QFile>
#include <QRegularExpression>
#include <QTest>
#include <QTimer>

Q_DECLARE_METATYPE(quorvane::ErrorBox)

using namespace quorvane;
using namespace Qt::StringLiterals;

class TestErrorBoxes : public QObject {
    Q_OBJECT
private slots:
    // ReportError's framed report; nothing at all for error number 0.
    void reportErrorShowsTheFramedReport()
    {
        test::ScriptedDialogs d;
        ReportError(d, QuorvaneError(0, u"x"_s, u"y"_s), u"p"_s);
        QVERIFY(d.boxes.isEmpty());
        ReportError(d, QuorvaneError(53, u"Quorvane"_s, u"File not found"_s), u"Error::cleanGrid()"_s);
        QCOMPARE(d.boxes.size(), 1);
        const QStringList lines = d.boxes[0].prompt.split(u"\r\n"_s);
        const QString stars(88, u'*');
        QCOMPARE(lines, (QStringList{stars, u"* E R R O R: 53 (Quorvane)"_s, QString(63, u'*') + u' ',
                                     u"* SysErr: File not found"_s, u"*"_s, u"* Error::cleanGrid()"_s,
                                     u"*            Report bugs to: bugs@belmora.example"_s, stars}));
        QCOMPARE(d.boxes[0].title, u"Error..."_s);
        QCOMPARE(d.boxes[0].icon, MsgIcon::Stop);
    }

    // The boxes of a program that cannot start or fails: tst_reportingshell.
    void perProcedureLayouts_data()
    {
        QTest::addColumn<ErrorBox>("box");
        QTest::addColumn<QString>("prompt");
        QTest::addColumn<QString>("title");
        QTest::addColumn<MsgIcon>("icon");
        const QString d = u"bad"_s;
        const QString bug = u"ERROR::bad\r\nReport Bug to bugs@belmora.example"_s;
        QTest::newRow("standard") << ErrorBoxes::standard(d) << bug << u"ERROR..."_s << MsgIcon::Exclamation;
        QTest::newRow("with number") << ErrorBoxes::withNumber(53, d)
                                     << u"ERROR::53::bad\r\nReport Bug to bugs@belmora.example"_s
                                     << u"ERROR..."_s << MsgIcon::Exclamation;
        QTest::newRow("load") << ErrorBoxes::load(d) << u"ERROR::bad\r\nCould not get info for all VOBs"_s
                              << u"Error..."_s << MsgIcon::Exclamation;
        QTest::newRow("vob tags") << ErrorBoxes::vobTags(d) << u"Error::bad\r\ngetVobsList()"_s
                                  << u"Error.."_s << MsgIcon::Stop;
        QTest::newRow("history") << ErrorBoxes::history(d) << u"ERROR::bad\r\nError from Quorvane"_s
                                 << u"ERROR"_s << MsgIcon::Exclamation;
        QTest::newRow("grid input") << ErrorBoxes::gridInput(d) << u"Error::bad\r\nMust type a numeric value"_s
                                    << u"Error..."_s << MsgIcon::Stop;
    }
    void perProcedureLayouts()
    {
        QFETCH(ErrorBox, box);
        QTEST(box.prompt, "prompt");
        QTEST(box.title, "title");
        QTEST(box.icon, "icon");
    }

    // Every box must go through the Dialogs seam, or tests could neither see
    // nor answer it (a real box would block a headless run forever). Comments
    // may name the Qt classes; code may not.
    void onlyRealDialogsUsesQtBoxes()
    {
        const QString root = QStringLiteral(QUORVANE_SOURCE_DIR "/");
        const QRegularExpression pattern(u"\\bQ(MessageBox|InputDialog)\\b"_s), comment(u"//[^\n]*"_s);
        QStringList offenders;
        int scanned = 0;
        for (const QString &dir : {u"src"_s, u"sim"_s, u"tools"_s}) {
            QDirIterator it(root + dir, {u"*.cpp"_s, u"*.h"_s}, QDir::Files, QDirIterator::Subdirectories);
            while (it.hasNext()) {
                QFile f(it.next());
                if (f.fileName().endsWith(u"/ui/RealDialogs.cpp"_s) || !f.open(QIODevice::ReadOnly))
                    continue;
                ++scanned;
                if (pattern.match(QString::fromUtf8(f.readAll()).remove(comment)).hasMatch())
                    offenders << f.fileName().mid(root.size());
            }
        }
        QVERIFY2(scanned > 10, "the source tree was not found");
        QVERIFY2(offenders.isEmpty(), qPrintable(offenders.join(u", "_s)));
    }

    // Ending on a signal or the session's end, no one may answer: the box
    // open then is closed as by its escape button (Cancel where there is
    // one), later boxes are not shown, and each one's text is reported.
    void unattendedBoxesAreReportedNotShown()
    {
        RealDialogs dialogs;
        QStringList reported;
        const auto report = [&reported](const QString &box) { reported << box; };
        QTimer::singleShot(100, [&] { dialogs.setUnattended(report); });
        QTimer::singleShot(5000, [] { // a box left open would hold the test forever
            if (QWidget *modal = QApplication::activeModalWidget())
                modal->close();
        });
        QCOMPARE(dialogs.msgBox(u"Sure?"_s, MsgButtons::OkCancel, MsgIcon::Exclamation, u"Fix Epoch..."_s),
                 MsgResult::Cancel);
        QCOMPARE(reported, QStringList{u"Fix Epoch...: Sure?"_s});
        QCOMPARE(dialogs.msgBox(u"Failed"_s, MsgButtons::Ok, MsgIcon::Stop, u"Quorvane"_s), MsgResult::Ok);
        QCOMPARE(dialogs.msgBox(u"Sure?"_s, MsgButtons::OkCancel, MsgIcon::Exclamation, u"Fix"_s), MsgResult::Cancel);
        QCOMPARE(dialogs.inputBox(u"Value"_s, u"Cell"_s, u"5"_s), QString());
        QCOMPARE(reported.mid(1), (QStringList{u"Quorvane: Failed"_s, u"Fix: Sure?"_s, u"Cell: Value"_s}));
        QCOMPARE(QApplication::activeModalWidget(), nullptr);
    }
};

QTEST_MAIN(TestErrorBoxes)
#include "tst_errorboxes.moc"
