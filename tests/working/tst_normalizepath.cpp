#include "ui/NormalizePath.h"

#include <QTest>

using namespace quorvane;

class TestNormalizePath : public QObject {
    Q_OBJECT
private slots:
    void normalizePath_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("expected");
        QTest::newRow("no separator") << QStringLiteral("/opt/quorvane/bin") << QStringLiteral("/opt/quorvane/bin/");
        QTest::newRow("has separator") << QStringLiteral("/opt/quorvane/bin/") << QStringLiteral("/opt/quorvane/bin/");
        QTest::newRow("root") << QStringLiteral("/") << QStringLiteral("/");
        QTest::newRow("relative") << QStringLiteral("bin") << QStringLiteral("bin/");
        QTest::newRow("blank at the end kept") << QStringLiteral("/tmp/a ") << QStringLiteral("/tmp/a /");
        QTest::newRow("empty stays relative") << QString() << QString();
#ifdef Q_OS_WIN
        QTest::newRow("backslash") << QStringLiteral("C:\\Quorvane\\") << QStringLiteral("C:\\Quorvane\\");
#else
        // Outside Windows a backslash is an ordinary character of a name.
        QTest::newRow("backslash") << QStringLiteral("/tmp/odd\\") << QStringLiteral("/tmp/odd\\/");
#endif
    }
    void normalizePath()
    {
        QFETCH(QString, path);
        QFETCH(QString, expected);
        QCOMPARE(NormalizePath(path), expected);
        QCOMPARE(NormalizePath(NormalizePath(path)), expected);
    }
};

QTEST_GUILESS_MAIN(TestNormalizePath)
#include "tst_normalizepath.moc"
