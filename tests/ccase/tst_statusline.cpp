#include "ccase/StatusLine.h"

#include <QTest>

using namespace quorvane;

class TestStatusLine : public QObject {
    Q_OBJECT
private slots:
    void findOwn_data()
    {
        QTest::addColumn<QByteArray>("buffer");
        QTest::addColumn<qint64>("number");
        QTest::addColumn<int>("outputLength"); // -1: no end of reply yet
        QTest::addColumn<int>("status");

        QTest::newRow("plain") << QByteArray("a\nCommand 1 returned status 0\n") << qint64(1) << 2 << 0;
        QTest::newRow("crlf") << QByteArray("a\r\nCommand 7 returned status 1\r\n") << qint64(7) << 3 << 1;
        QTest::newRow("no output") << QByteArray("Command 3 returned status 0\n") << qint64(3) << 0 << 0;
        QTest::newRow("output without newline")
            << QByteArray("boston_hubCommand 12 returned status 0\n") << qint64(12) << 10 << 0;
        QTest::newRow("other number") << QByteArray("Command 1 returned status 0\n") << qint64(2) << -1 << 0;
        QTest::newRow("number is a prefix") << QByteArray("Command 11 returned status 0\n") << qint64(1) << -1 << 0;
        QTest::newRow("number is a suffix") << QByteArray("Command 21 returned status 0\n") << qint64(1) << -1 << 0;
        QTest::newRow("status line not yet ended") << QByteArray("Command 1 returned status 0") << qint64(1) << -1 << 0;
        QTest::newRow("status digits missing") << QByteArray("Command 1 returned status \n") << qint64(1) << -1 << 0;
        QTest::newRow("more output behind")
            << QByteArray("Command 1 returned status 0\nmore\n") << qint64(1) << -1 << 0;
        QTest::newRow("own text inside output")
            << QByteArray("Command 1 returned status 0\nCommand 1 returned status 0\n") << qint64(1) << 28 << 0;
        QTest::newRow("partial prefix") << QByteArray("mmand 1 returned status 0\n") << qint64(1) << -1 << 0;
        QTest::newRow("empty") << QByteArray() << qint64(1) << -1 << 0;
    }
    void findOwn()
    {
        QFETCH(QByteArray, buffer);
        QFETCH(qint64, number);
        QFETCH(int, outputLength);
        QFETCH(int, status);
        const auto match = StatusLine::findOwn(buffer, number);
        if (outputLength < 0) {
            QVERIFY(!match);
            return;
        }
        QVERIFY(match);
        QCOMPARE(match->outputLength, qsizetype(outputLength));
        QCOMPARE(match->status, status);
    }
};

QTEST_GUILESS_MAIN(TestStatusLine)
#include "tst_statusline.moc"
