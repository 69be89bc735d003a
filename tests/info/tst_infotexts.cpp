#include "info/InfoTexts.h"
#include "ui/AppInfo.h"

#include <QRegularExpression>
#include <QTest>

using namespace quorvane;

class TestInfoTexts : public QObject {
    Q_OBJECT
private slots:
    void versionLineIsThreePlainNumbers()
    {
        const QString line = InfoTexts::versionLine();
        QCOMPARE(line, QStringLiteral("Version %1.%2.%3")
                           .arg(AppInfo::versionMajor)
                           .arg(AppInfo::versionMinor)
                           .arg(AppInfo::versionRevision));
        QVERIFY(QRegularExpression(QStringLiteral("^Version (0|[1-9][0-9]*)\\.(0|[1-9][0-9]*)\\.(0|[1-9][0-9]*)$"))
                    .match(line)
                    .hasMatch());
        QCOMPARE(line, QStringLiteral("Version 1.2.1")); // the project's version
    }

    void termsAreThreeParagraphsEndedByCrLf()
    {
        const QString terms = InfoTexts::termsOfUse();
        QVERIFY(terms.endsWith(QStringLiteral(".\r\n")));
        QVERIFY(!terms.endsWith(QStringLiteral("\r\n\r\n")));
        const QStringList paragraphs = terms.chopped(2).split(QStringLiteral("\r\n\r\n"));
        QCOMPARE(paragraphs.size(), 3);
        for (const QString &p : paragraphs) {
            QVERIFY(!p.isEmpty());
            QVERIFY(!p.contains(QLatin1Char('\n')) && !p.contains(QLatin1Char('\r')));
        }
        QVERIFY(paragraphs[0].contains(QStringLiteral("as is")));
        QVERIFY(paragraphs[0].contains(QStringLiteral("indemnify Belmora and the authors")));
        QVERIFY(paragraphs[1].contains(QStringLiteral("copyright law")));
        QVERIFY(paragraphs[1].contains(QStringLiteral("maximum extent possible under the law")));
        QCOMPARE(paragraphs[2], QStringLiteral("Please report bugs to bugs@belmora.example."));
    }

    void helpStatementCarriesTheTitleBetweenTheFixedPieces()
    {
        const QString s = InfoTexts::helpStatement();
        QVERIFY(s.startsWith(QStringLiteral("This version of the ") + AppInfo::title()
                             + QStringLiteral(" is provided as-is and free of charge ")));
        QVERIFY(s.endsWith(QStringLiteral("\r\n\r\n")));
        const QStringList paragraphs = s.chopped(4).split(QStringLiteral("\r\n\r\n"));
        QCOMPARE(paragraphs.size(), 2);
        QVERIFY(paragraphs[0].contains(QStringLiteral("indemnify Belmora and the authors")));
        QVERIFY(paragraphs[1].startsWith(QStringLiteral("Belmora can assist your organization")));
    }

    void invitationEndsWithContact()
    {
        const QString s = InfoTexts::helpInvitation();
        QVERIFY(s.endsWith(QStringLiteral("contact: ")));
        QVERIFY(s.contains(QStringLiteral("pricing, availability, end-user support and upgrade information")));
        QVERIFY(!s.contains(QLatin1Char('\n')));
    }
};

QTEST_GUILESS_MAIN(TestInfoTexts)
#include "tst_infotexts.moc"
