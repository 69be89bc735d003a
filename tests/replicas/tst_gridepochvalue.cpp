#include "replicas/EpochValue.h"
#include "ui/QuorvaneError.h"

#include <QTest>

using namespace quorvane;

class TestEpochValue : public QObject {
    Q_OBJECT
private slots:
    void toLong_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("error");
        QTest::addColumn<int>("value");
        auto ok = [](const char *name, const char *text, int value) {
            QTest::newRow(name) << QString::fromLatin1(text) << 0 << value;
        };
        auto bad = [](const char *name, const char *text, int error) {
            QTest::newRow(name) << QString::fromLatin1(text) << error << 0;
        };
        ok("whole", "18", 18);
        ok("blanks around", " \t12 ", 12);
        ok("fraction up", "7.6", 8);
        ok("fraction down", "7.4", 7);
        ok("tie to even down", "2.5", 2);
        ok("tie to even up", "3.5", 4);
        ok("negative tie", "-2.5", -2);
        ok("just above tie", "2.5000000000000000001", 3);
        ok("only fraction", ".5", 0);
        ok("trailing point", "9.", 9);
        ok("plus sign", "+41", 41);
        ok("exponent", "1.5e1", 15);
        ok("negative exponent", "25e-1", 2);
        ok("tiny", "1e-999999999999999999999", 0);
        ok("leading zeros", "000000000000042", 42);
        ok("largest", "2147483647", 2147483647);
        ok("smallest", "-2147483648", -2147483647 - 1);
        ok("tie below largest", "2147483646.5", 2147483646);
        bad("too large", "2147483648", ErrNo::Overflow);
        bad("too small", "-2147483649", ErrNo::Overflow);
        bad("rounds past largest", "2147483647.5", ErrNo::Overflow);
        bad("huge exponent", "1e999999999999999999999", ErrNo::Overflow);
        bad("letters", "abc", ErrNo::TypeMismatch);
        bad("empty", "", ErrNo::TypeMismatch);
        bad("blanks only", "  ", ErrNo::TypeMismatch);
        bad("point only", ".", ErrNo::TypeMismatch);
        bad("digits then letters", "12abc", ErrNo::TypeMismatch);
        bad("inner blank", "1 2", ErrNo::TypeMismatch);
        bad("infinity", "inf", ErrNo::TypeMismatch);
        bad("two points", "1.2.3", ErrNo::TypeMismatch);
    }
    void toLong()
    {
        QFETCH(QString, text);
        QFETCH(int, error);
        QFETCH(int, value);
        try {
            const qint32 result = EpochValue::toLong(text);
            QCOMPARE(error, 0);
            QCOMPARE(result, value);
        } catch (const QuorvaneError &e) {
            QCOMPARE(e.number(), error);
            QCOMPARE(e.description(), error == ErrNo::Overflow ? QStringLiteral("Overflow")
                                                               : QStringLiteral("Type mismatch"));
        }
    }
};

QTEST_GUILESS_MAIN(TestEpochValue)
#include "tst_gridepochvalue.moc"
