#include "replicas/ResultsFile.h"
#include "ui/QuorvaneError.h"

#include <QTemporaryDir>
#include <QTest>

using namespace quorvane;

namespace {
QString data(const char *name) { return QStringLiteral(QUORVANE_TEST_DATA "/replicas/") + QLatin1String(name); }
QString lit(const char *s) { return QString::fromLatin1(s); }
} // namespace

class TestResultsFile : public QObject {
    Q_OBJECT
private slots:
    void splitLines_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QStringList>("lines");
        QTest::newRow("crlf") << lit("a\r\nb\r\n") << QStringList{lit("a"), lit("b")};
        QTest::newRow("cr only") << lit("a\rb\r") << QStringList{lit("a"), lit("b")};
        QTest::newRow("lone lf stays") << lit("a\nb\r\nc") << QStringList{lit("a\nb"), lit("c")};
        QTest::newRow("last line unended") << lit("a\r\nb") << QStringList{lit("a"), lit("b")};
        QTest::newRow("cr cr gives empty line") << lit("a\r\rb") << QStringList{lit("a"), QString(), lit("b")};
        QTest::newRow("lf after crlf starts line") << lit("a\r\n\nb\r") << QStringList{lit("a"), lit("\nb")};
        QTest::newRow("empty text") << QString() << QStringList{};
    }
    void splitLines()
    {
        QFETCH(QString, text);
        QFETCH(QStringList, lines);
        QCOMPARE(ResultsFile::splitLines(text), lines);
    }

    void parse_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QList<QStringList>>("accepted");
        QTest::newRow("split at every comma, no trimming")
            << lit("r1, 5 ,,7\r\n") << QList<QStringList>{{lit("r1"), lit(" 5 "), QString(), lit("7")}};
        QTest::newRow("lines without comma skipped")
            << lit("title\r\n\r\nr1,5\r\nend") << QList<QStringList>{{lit("r1"), lit("5")}};
        QTest::newRow("name and comma has one empty value")
            << lit("r1,\r\n") << QList<QStringList>{{lit("r1"), QString()}};
        QTest::newRow("quotes are text") << lit("\"r1,x\",5\r")
                                         << QList<QStringList>{{lit("\"r1"), lit("x\""), lit("5")}};
    }
    void parse()
    {
        QFETCH(QString, text);
        QFETCH(QList<QStringList>, accepted);
        QCOMPARE(ResultsFile::parse(text), accepted);
    }

    void readsCrAndCrLfFilesAlike()
    {
        const QList<QStringList> crlf = ResultsFile::read(data("example_crlf.txt"));
        QCOMPARE(crlf.size(), 3);
        QCOMPARE(crlf[2], (QStringList{lit("r3"), lit("5"), lit("6"), lit("9")}));
        QCOMPARE(ResultsFile::read(data("example_cr.txt")), crlf);
    }

    void missingFileIsError53()
    {
        QTemporaryDir dir;
        try {
            ResultsFile::read(dir.filePath(QStringLiteral("_results.txt")));
            QFAIL("no error for a missing file");
        } catch (const QuorvaneError &e) {
            QCOMPARE(e.number(), ErrNo::FileNotFound);
            QCOMPARE(e.description(), QStringLiteral("File not found"));
        }
    }

    void directoryIsAccessError()
    {
        QTemporaryDir dir;
        try {
            ResultsFile::read(dir.path());
            QFAIL("no error for a directory");
        } catch (const QuorvaneError &e) {
            QCOMPARE(e.number(), ErrNo::PathFileAccess);
        }
    }
};

QTEST_GUILESS_MAIN(TestResultsFile)
#include "tst_resultsfile.moc"
