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
        const QRegularExpression lineComment(QStringLiteral("//[^\n]*"));
        QStringList offenders;
        int scanned = 0;
        for (const QString &dir : {QStringLiteral("/src"), QStringLiteral("/sim"), QStringLiteral("/tools")}) {
            QDirIterator it(root + dir, {QStringLiteral("*.cpp"), QStringLiteral("*.h")}, QDir::Files,
                            QDirIterator::Subdirectories);
            while (it.hasNext()) {
                const QString path = it.next();
                if (path.endsWith(QStringLiteral("/ui/RealDialogs.cpp")))
                    continue;
                QFile f(path);
                QVERIFY(f.open(QIODevice::ReadOnly));
                ++scanned;
                // Comments may name the classes; code may not.
                QString code = QString::fromUtf8(f.readAll());
                code.remove(lineComment);
                if (pattern.match(code).hasMatch())
                    offenders << path.mid(root.size() + 1);
            }
        }
        QVERIFY2(scanned > 10, "the source tree was not found");
        QVERIFY2(offenders.isEmpty(), qPrintable(offenders.join(QStringLiteral(", "))));
    }
};

QTEST_GUILESS_MAIN(TestDialogsSeam)
#include "tst_dialogsseam.moc"
