#include "maintenance/EpochValue.h"

#include <QTest>

using namespace quorvane;

class TestEpochValue : public QObject {
    Q_OBJECT
private slots:
    void accepted_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<qint64>("value");
        QTest::newRow("zero") << QStringLiteral("0") << qint64(0);
        QTest::newRow("plain") << QStringLiteral("42") << qint64(42);
        QTest::newRow("blanks around") << QStringLiteral("  1300\t") << qint64(1300);
        QTest::newRow("leading zeros") << QStringLiteral("0042") << qint64(42);
        QTest::newRow("largest") << QStringLiteral("2147483647") << qint64(2147483647);
    }
    void accepted()
    {
        QFETCH(QString, text);
        QFETCH(qint64, value);
        const auto parsed = parseEpochValue(text);
        QVERIFY(parsed.has_value());
        QCOMPARE(*parsed, value);
    }

    void refused_data()
    {
        QTest::addColumn<QString>("text");
        QTest::newRow("designed text") << QStringLiteral("<epoch>");
        QTest::newRow("empty") << QString();
        QTest::newRow("blanks only") << QStringLiteral("   ");
        QTest::newRow("letters") << QStringLiteral("abc");
        QTest::newRow("extra argument") << QStringLiteral("5 -import");
        QTest::newRow("blank inside") << QStringLiteral("4 2");
        QTest::newRow("negative") << QStringLiteral("-1");
        QTest::newRow("plus sign") << QStringLiteral("+5");
        QTest::newRow("decimal") << QStringLiteral("4.5");
        QTest::newRow("exponent") << QStringLiteral("1e3");
        QTest::newRow("hex") << QStringLiteral("0x10");
        QTest::newRow("one past largest") << QStringLiteral("2147483648");
        QTest::newRow("huge") << QStringLiteral("99999999999999999999999");
        QTest::newRow("other script digits") << QString::fromUtf8("\u0664\u0662");
        QTest::newRow("second assignment") << QStringLiteral("5 r2=0");
    }
    void refused()
    {
        QFETCH(QString, text);
        QVERIFY(!parseEpochValue(text).has_value());
    }
};

QTEST_GUILESS_MAIN(TestEpochValue)
#include "tst_epochvalue.moc"
