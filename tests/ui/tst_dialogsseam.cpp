// Every box must go through the Dialogs seam, or tests could neither see nor
// answer it (a real box would block a headless run forever).
#include <QDirIterator>
#include <QFile>
#include <QRegularExpression>
#include <QTest>

class TestDialogsSeam : public QObject {
    Q_OBJECT
private slots:
    void onlyRealDialogsUsesQtBoxes()
    {
        const QString root = QStringLiteral(QUORVANE_SOURCE_DIR);
        const QRegularExpression pattern(QStringLiteral("\\bQ(MessageBox|InputDialog)\\b"));
        QStringList offenders;
        int scanned = 0;
        for (const char *dir : {"/src", "/sim", "/tools"}) {
            QDirIterator it(root + QLatin1String(dir), {QStringLiteral("*.cpp"), QStringLiteral("*.h")},
                            QDir::Files, QDirIterator::Subdirectories);
            while (it.hasNext()) {
                QFile f(it.next());
                if (f.fileName().endsWith(QLatin1String("/ui/RealDialogs.cpp")) ||
                    !f.open(QIODevice::ReadOnly))
                    continue;
                ++scanned;
                // Comments may name the classes; code may not.
                const QString code =
                    QString::fromUtf8(f.readAll()).remove(QRegularExpression(QStringLiteral("//[^\n]*")));
                if (pattern.match(code).hasMatch())
                    offenders << f.fileName().mid(root.size() + 1);
            }
        }
        QVERIFY2(scanned > 10, "the source tree was not found");
        QVERIFY2(offenders.isEmpty(), qPrintable(offenders.join(QStringLiteral(", "))));
    }
};

QTEST_GUILESS_MAIN(TestDialogsSeam)
#include "tst_dialogsseam.moc"
