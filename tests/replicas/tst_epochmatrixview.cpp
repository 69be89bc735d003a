#include "replicas/EpochMatrixView.h"
#include "replicas/FlexGrid.h"
#include "support/FakeFeedback.h"
#include "ui/QuorvaneError.h"

#include <QApplication>
#include <QLabel>
#include <QMouseEvent>
#include <QTemporaryDir>
#include <QTest>

using namespace quorvane;
using test::FakeFeedback;

namespace {

QString data(const QString &name) { return QStringLiteral(QUORVANE_TEST_DATA "/replicas/") + name; }
QString lit(const char *s) { return QString::fromUtf8(s); }

const QString reportTo = QStringLiteral("Report Bug to bugs@belmora.example");

// The whole grid as rows of cell texts.
QList<QStringList> texts(const FlexGrid *grid)
{
    QList<QStringList> all;
    for (int r = 0; r < grid->rows(); ++r) {
        QStringList row;
        for (int c = 0; c < grid->cols(); ++c)
            row << grid->textMatrix(r, c);
        all << row;
    }
    return all;
}

QList<bool> flagsOf(std::initializer_list<bool> l) { return QList<bool>(l); }

struct Fixture {
    FakeFeedback feedback;
    bool hasEntries = true;
    EpochMatrixView view{feedback, [this] { return hasEntries; }};

    Fixture()
    {
        view.resize(1300, 400);
        view.show();
    }
    FlexGrid *g1() const { return view.Grid1(); }
    FlexGrid *g2() const { return view.Grid2(); }
    void fillActual(const QString &file) { view.fillEpochGrid(g1(), view.actualOutOfSync, data(file)); }
    void fillLocal(const QString &file) { view.fillEpochGrid(g2(), view.localOutOfSync, data(file)); }
    void press(FlexGrid *grid, int row, int col)
    {
        QTest::mousePress(grid->viewport(), Qt::LeftButton, {}, grid->cellRect(row, col).center());
    }
    void doubleClick(FlexGrid *grid, int row, int col)
    {
        const QPoint pos = grid->cellRect(row, col).center();
        press(grid, row, col);
        QMouseEvent dbl(QEvent::MouseButtonDblClick, QPointF(pos), grid->viewport()->mapToGlobal(QPointF(pos)),
                        Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(grid->viewport(), &dbl);
    }
    bool iconShown(int index) const { return !view.dSyncImage(index)->isHidden(); }
    QStringList boxPrompts() const
    {
        QStringList p;
        for (const auto &b : feedback.scripted.boxes)
            p << b.prompt;
        return p;
    }
};

} // namespace

class TestEpochMatrixView : public QObject {
    Q_OBJECT
private slots:
    void controlsAtStart()
    {
        Fixture f;
        QCOMPARE(f.g1()->objectName(), QStringLiteral("Grid1"));
        QCOMPARE(f.g2()->objectName(), QStringLiteral("Grid2"));
        auto *local = f.view.findChild<QLabel *>(QStringLiteral("dLabel(7)"));
        auto *actual = f.view.findChild<QLabel *>(QStringLiteral("dLabel(5)"));
        QVERIFY(local && actual);
        QCOMPARE(local->text(), QStringLiteral("Local Epoch Table Matrix:"));
        QCOMPARE(actual->text(), QStringLiteral("Actual Epoch Table Matrix:"));
        QCOMPARE(actual->toolTip(), QStringLiteral("The actual epoch values for a replica"));
        // The local matrix is the left one.
        QVERIFY(f.g2()->geometry().right() < f.g1()->geometry().left());
        for (int i : {0, 1}) {
            QLabel *icon = f.view.findChild<QLabel *>(QStringLiteral("dSyncImage(%1)").arg(i));
            QCOMPARE(icon, f.view.dSyncImage(i));
            QVERIFY(icon->isHidden());
            QVERIFY(!icon->pixmap().isNull());
            QCOMPARE(icon->toolTip(), QStringLiteral("Replicas out of sync.  Double click for more info."));
        }
        QVERIFY(f.view.actualOutOfSync.isEmpty());
        QVERIFY(f.view.localOutOfSync.isEmpty());
    }

    void exampleFile_data()
    {
        QTest::addColumn<QString>("file");
        QTest::newRow("CR LF") << QStringLiteral("example_crlf.txt");
        QTest::newRow("CR only") << QStringLiteral("example_cr.txt");
    }
    void exampleFile()
    {
        QFETCH(QString, file);
        Fixture f;
        for (FlexGrid *grid : {f.g1(), f.g2()}) {
            QList<bool> &flags = grid == f.g1() ? f.view.actualOutOfSync : f.view.localOutOfSync;
            f.view.fillEpochGrid(grid, flags, data(file));
            QCOMPARE(texts(grid), (QList<QStringList>{{lit("REPLICA NAME"), lit("r1"), lit("r2"), lit("r3")},
                                                      {lit("r1"), lit("5"), lit("7"), lit("9")},
                                                      {lit("r2"), lit("5"), lit("7"), lit("9")},
                                                      {lit("r3"), lit("5"), lit("6"), lit("9")}}));
            QCOMPARE(flags, flagsOf({false, false, true, false, false}));
            for (int r = 0; r < 4; ++r) {
                for (int c = 0; c < 4; ++c) {
                    const OleColor expected = (r == 0 || c == 0) ? grid->backColorFixed()
                                              : c == 2           ? Colors::pureRed
                                                                 : Colors::white;
                    QCOMPARE(grid->cellBackColorAt(r, c), expected);
                }
            }
            // The last column's scan ends on the last row.
            QCOMPARE(grid->row(), 3);
            QCOMPARE(grid->col(), 3);
        }
        QVERIFY(f.feedback.scripted.boxes.isEmpty());
        QVERIFY(f.feedback.calls.isEmpty());
    }

    void smallFiles_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QList<QStringList>>("cells");
        QTest::addColumn<QList<bool>>("flags");
        QTest::newRow("single line") << QStringLiteral("single.txt")
                                     << QList<QStringList>{{lit("REPLICA NAME"), lit("r1")}, {lit("r1"), lit("5")}}
                                     << flagsOf({false, false, false});
        QTest::newRow("skipped lines") << QStringLiteral("skipped.txt")
                                       << QList<QStringList>{{lit("REPLICA NAME"), lit("r1"), lit("r2")},
                                                             {lit("r1"), lit("5"), lit("7")},
                                                             {lit("r2"), lit("5"), lit("7")}}
                                       << flagsOf({false, false, false, false});
        QTest::newRow("compared as text") << QStringLiteral("textcompare.txt")
                                          << QList<QStringList>{{lit("REPLICA NAME"), lit("r1"), lit("r2")},
                                                                {lit("r1"), lit("12"), lit("3")},
                                                                {lit("r2"), lit("12 "), lit("3")}}
                                          << flagsOf({false, true, false, false});
        QTest::newRow("lone LF inside a line") << QStringLiteral("lonelf.txt")
                                               << QList<QStringList>{{lit("REPLICA NAME"), lit("r1"), lit("r2")},
                                                                     {lit("r1"), lit("4"), lit("4")},
                                                                     {lit("r2"), lit("4\nx"), lit("4")}}
                                               << flagsOf({false, true, false, false});
    }
    void smallFiles()
    {
        QFETCH(QString, file);
        QFETCH(QList<QStringList>, cells);
        QFETCH(QList<bool>, flags);
        Fixture f;
        f.fillActual(file);
        QCOMPARE(texts(f.g1()), cells);
        QCOMPARE(f.view.actualOutOfSync, flags);
        QVERIFY(f.feedback.scripted.boxes.isEmpty());
        if (cells.size() == 2) {
            // One accepted line sets no width at all.
            QCOMPARE(f.g1()->colWidth(0), FlexGrid::defaultColWidth);
            QCOMPARE(f.g1()->colWidth(1), FlexGrid::defaultColWidth);
        }
    }

    void widthsFollowNames_data()
    {
        QTest::addColumn<int>("col");
        QTest::addColumn<int>("twips");
        QTest::newRow("col 0 from the last name") << 0 << 1000; // sydney_ops
        QTest::newRow("col 1 never set") << 1 << FlexGrid::defaultColWidth;
        QTest::newRow("col 2") << 2 << 1000; // austin_dev
        QTest::newRow("col 3") << 3 << 700; // lyon_qa
        QTest::newRow("col 4") << 4 << 1000; // pune_build
        QTest::newRow("col 6") << 6 << 1000;
    }
    void widthsFollowNames()
    {
        QFETCH(int, col);
        QFETCH(int, twips);
        Fixture f;
        f.fillActual(QStringLiteral("realistic_results.txt"));
        QCOMPARE(f.g1()->colWidth(col), twips);
    }

    void cleanThenRefill()
    {
        Fixture f;
        f.fillActual(QStringLiteral("realistic_results.txt"));
        QCOMPARE(f.g1()->rows(), 7);
        f.view.cleanGrid(f.g1());
        QCOMPARE(f.g1()->rows(), 2);
        QCOMPARE(f.g1()->cols(), 7);
        // The former last row stays until the next fill overwrites it.
        QCOMPARE(f.g1()->textMatrix(1, 0), QStringLiteral("sydney_ops"));
        QCOMPARE(f.g1()->textMatrix(0, 1), QStringLiteral("boston_hub"));
        f.view.cleanGrid(f.g1());
        QCOMPARE(f.g1()->rows(), 2);

        f.fillActual(QStringLiteral("example_crlf.txt"));
        QCOMPARE(f.g1()->rows(), 4);
        QCOMPARE(f.g1()->cols(), 4);
        QCOMPARE(texts(f.g1())[3], (QStringList{lit("r3"), lit("5"), lit("6"), lit("9")}));
        QCOMPARE(f.view.actualOutOfSync, flagsOf({false, false, true, false, false}));

        // An empty file leaves what the clean left, with every flag false.
        f.view.cleanGrid(f.g1());
        f.fillActual(QStringLiteral("empty.txt"));
        QCOMPARE(texts(f.g1()), (QList<QStringList>{{lit("REPLICA NAME"), lit("r1"), lit("r2"), lit("r3")},
                                                    {lit("r3"), lit("5"), lit("6"), lit("9")}}));
        QCOMPARE(f.view.actualOutOfSync, flagsOf({false, false, false, false, false}));
        QCOMPARE(f.g1()->cellBackColorAt(1, 2), Colors::white);
        QVERIFY(f.feedback.scripted.boxes.isEmpty());
    }

    void outOfSyncScanLeavesCurrentCell_data()
    {
        QTest::addColumn<QStringList>("column");
        QTest::addColumn<bool>("outOfSync");
        QTest::addColumn<int>("row");
        QTest::newRow("all equal") << QStringList{lit("5"), lit("5"), lit("5"), lit("5")} << false << 4;
        QTest::newRow("differs at row 3") << QStringList{lit("5"), lit("5"), lit("6"), lit("6")} << true << 3;
        QTest::newRow("first row differs") << QStringList{lit("6"), lit("5"), lit("5")} << true << 2;
        QTest::newRow("single row") << QStringList{lit("5")} << false << 1;
        QTest::newRow("all empty") << QStringList{QString(), QString()} << false << 2;
        QTest::newRow("empty vs 0") << QStringList{QString(), lit("0")} << true << 2;
        QTest::newRow("12 vs 012") << QStringList{lit("12"), lit("012")} << true << 2;
        QTest::newRow("case counts") << QStringList{lit("a"), lit("A")} << true << 2;
    }
    void outOfSyncScanLeavesCurrentCell()
    {
        QFETCH(QStringList, column);
        QFETCH(bool, outOfSync);
        QFETCH(int, row);
        Fixture f;
        FlexGrid *grid = f.g1();
        grid->setRows(int(column.size()) + 1);
        grid->setCols(3);
        for (int i = 0; i < column.size(); ++i)
            grid->setTextMatrix(i + 1, 2, column[i]);
        QCOMPARE(f.view.isEpochOutOfSync(grid, 2), outOfSync);
        QCOMPARE(grid->row(), row);
        QCOMPARE(grid->col(), 2);
    }

    void scanOfMissingColumnIsReported()
    {
        Fixture f;
        QCOMPARE(f.view.isEpochOutOfSync(f.g1(), 5), false);
        QCOMPARE(f.feedback.calls, QStringList{lit("busy:0:")});
        QCOMPARE(f.feedback.scripted.boxes.size(), 1);
        const QString prompt = f.feedback.scripted.boxes[0].prompt;
        QVERIFY(prompt.contains(lit("* E R R O R: 30010 (Quorvane)\r\n")));
        QVERIFY(prompt.contains(lit("* SysErr: Invalid Col value\r\n")));
        QVERIFY(prompt.contains(lit("* Error::isEpochOutOfSync()\r\n")));
    }

    void colouringKeepsCurrentCellAndReportsShortFlags()
    {
        Fixture f;
        f.fillActual(QStringLiteral("example_crlf.txt"));
        f.g1()->setRow(2);
        f.g1()->setCol(1);
        f.view.colorEpochGrid(f.g1(), flagsOf({false, true, false, false, false}));
        QCOMPARE(f.g1()->row(), 2);
        QCOMPARE(f.g1()->col(), 1);
        QCOMPARE(f.g1()->cellBackColorAt(3, 1), Colors::pureRed);
        QCOMPARE(f.g1()->cellBackColorAt(3, 2), Colors::white);
        QVERIFY(f.feedback.scripted.boxes.isEmpty());

        f.view.colorEpochGrid(f.g1(), flagsOf({false, false}));
        QCOMPARE(f.feedback.scripted.boxes.size(), 1);
        QVERIFY(f.feedback.scripted.boxes[0].prompt.contains(lit("* Error::dSyncImage()\r\n")));
        QVERIFY(f.feedback.calls.isEmpty());
    }

    void fillFailures_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("prompt");
        QTest::addColumn<QList<QStringList>>("cells");
        QTest::newRow("missing file") << QStringLiteral("no_such_results.txt")
                                      << QString(lit("ERROR::53::File not found\r\n") + reportTo)
                                      << QList<QStringList>{{lit("REPLICA NAME"), lit("r1"), lit("r2"), lit("r3")},
                                                            {lit("r3"), lit("5"), lit("6"), lit("9")}};
        QTest::newRow("line wider than the first")
            << QStringLiteral("toowide.txt") << QString(lit("ERROR::30010::Invalid Col value\r\n") + reportTo)
            << QList<QStringList>{{lit("REPLICA NAME"), lit("r1"), lit("r2")},
                                  {lit("r1"), lit("5"), lit("7")},
                                  {lit("r2"), lit("5"), lit("7")}};
        QTest::newRow("more lines than values")
            << QStringLiteral("morelines.txt") << QString(lit("ERROR::30010::Invalid Col value\r\n") + reportTo)
            << QList<QStringList>{{lit("REPLICA NAME"), lit("r1"), lit("r2")},
                                  {lit("r1"), lit("1"), lit("2")},
                                  {lit("r2"), lit("1"), lit("2")},
                                  {lit("r3"), QString(), QString()}};
    }
    void fillFailures()
    {
        QFETCH(QString, file);
        QFETCH(QString, prompt);
        QFETCH(QList<QStringList>, cells);
        Fixture f;
        f.fillActual(QStringLiteral("example_crlf.txt"));
        f.view.cleanGrid(f.g1());
        const QList<bool> before = f.view.actualOutOfSync;
        f.fillActual(file);
        QCOMPARE(f.feedback.calls, QStringList{lit("busy:0:")});
        QCOMPARE(f.feedback.scripted.boxes.size(), 1);
        QCOMPARE(f.feedback.scripted.boxes[0].prompt, prompt);
        QCOMPARE(f.feedback.scripted.boxes[0].title, QStringLiteral("ERROR..."));
        QCOMPARE(f.feedback.scripted.boxes[0].icon, MsgIcon::Exclamation);
        QCOMPARE(texts(f.g1()), cells);
        QCOMPARE(f.view.actualOutOfSync, before);
    }

    void iconFollowsPressedColumn()
    {
        Fixture f;
        f.fillActual(QStringLiteral("realistic_results.txt"));
        f.fillLocal(QStringLiteral("realistic_results_local.txt"));
        QCOMPARE(f.view.localOutOfSync, flagsOf({false, true, false, false, false, false, false, false}));
        QCOMPARE(f.view.actualOutOfSync, flagsOf({false, false, true, false, true, false, false, false}));

        f.press(f.g2(), 3, 1);
        QVERIFY(f.iconShown(1));
        QCOMPARE(f.view.lastCol(f.g2()), 1);
        // A second press in the same column does not look again.
        f.view.dSyncImage(1)->hide();
        f.press(f.g2(), 5, 1);
        QVERIFY(!f.iconShown(1));
        f.press(f.g2(), 2, 1 + 1);
        QVERIFY(!f.iconShown(1));
        f.press(f.g2(), 2, 1);
        QVERIFY(f.iconShown(1));
        f.press(f.g2(), 4, 5);
        QVERIFY(!f.iconShown(1));
        QCOMPARE(f.view.lastCol(f.g2()), 5);

        // Each grid keeps its own last column and drives its own icon.
        QCOMPARE(f.view.lastCol(f.g1()), 0);
        f.press(f.g1(), 1, 5);
        QVERIFY(!f.iconShown(0));
        f.press(f.g1(), 1, 4);
        QVERIFY(f.iconShown(0));
        QVERIFY(!f.iconShown(1));
        QCOMPARE(f.view.lastCol(f.g1()), 4);
        QCOMPARE(f.view.lastCol(f.g2()), 5);

        // A reload does not touch the icons.
        f.view.cleanGrid(f.g1());
        f.fillActual(QStringLiteral("example_crlf.txt"));
        QVERIFY(f.iconShown(0));
        QVERIFY(f.feedback.scripted.boxes.isEmpty());
    }

    void emptyVobListLeavesIcons()
    {
        Fixture f;
        f.fillLocal(QStringLiteral("realistic_results_local.txt"));
        f.hasEntries = false;
        f.press(f.g2(), 2, 1);
        QVERIFY(!f.iconShown(1));
        QCOMPARE(f.view.lastCol(f.g2()), 0);
        f.hasEntries = true;
        f.press(f.g2(), 2, 1);
        QVERIFY(f.iconShown(1));
    }

    void pressOnNeverFilledGridShowsNothing()
    {
        Fixture f;
        f.press(f.g1(), 1, 1);
        f.press(f.g2(), 0, 0);
        QVERIFY(f.feedback.scripted.boxes.isEmpty());
        QVERIFY(f.feedback.calls.isEmpty());
        QVERIFY(!f.iconShown(0));
        QVERIFY(!f.iconShown(1));
        QCOMPARE(f.view.lastCol(f.g1()), 1);
    }

    void pressBeyondFlagsAfterFailedFillIsReported()
    {
        Fixture f;
        f.fillActual(QStringLiteral("example_crlf.txt"));
        f.view.cleanGrid(f.g1());
        QTemporaryDir dir;
        QFile wide(dir.filePath(QStringLiteral("_results.txt")));
        QVERIFY(wide.open(QIODevice::WriteOnly));
        wide.write("a,1,1,1,1,1,1\r\nb,1,1,1,1,1,1,1\r\n");
        wide.close();
        f.view.fillEpochGrid(f.g1(), f.view.actualOutOfSync, wide.fileName());
        QCOMPARE(f.g1()->cols(), 7);
        QCOMPARE(f.view.actualOutOfSync.size(), 5);
        f.feedback.calls.clear();
        f.feedback.scripted.boxes.clear();
        f.press(f.g1(), 1, 6);
        QCOMPARE(f.feedback.calls, QStringList{lit("busy:0:")});
        QCOMPARE(f.feedback.scripted.boxes.size(), 1);
        QVERIFY(f.feedback.scripted.boxes[0].prompt.contains(lit("* Error::dSyncImage()\r\n")));
        QCOMPARE(f.view.lastCol(f.g1()), 6);
    }

    void noteTitleComesFromGrid1_data()
    {
        QTest::addColumn<int>("icon");
        QTest::newRow("actual icon") << 0;
        QTest::newRow("local icon") << 1;
    }
    void noteTitleComesFromGrid1()
    {
        QFETCH(int, icon);
        Fixture f;
        f.fillActual(QStringLiteral("realistic_results.txt"));
        f.fillLocal(QStringLiteral("realistic_results_local.txt"));
        f.press(f.g1(), 5, 4);
        f.press(f.g2(), 2, 1);
        QVERIFY(f.iconShown(icon));
        QTest::mouseClick(f.view.dSyncImage(icon), Qt::LeftButton);
        QCOMPARE(f.feedback.detailTitle, QStringLiteral("NOTE: Replicas Out of Sync for pune_build"));
        QCOMPARE(f.feedback.detailText,
                 lit("Replicas are out of sync or one of the \r\n"
                     "epoch values cannot be determined.  Epoch \r\n"
                     "values should be equal for the entire column.\r\n"
                     "Run Fix Epoch Table based on actual value and \r\n"
                     "Synchronize the replicas to fix this problem.\r\n"));
        QCOMPARE(f.g1()->row(), 5);
        QCOMPARE(f.g1()->col(), 4);
    }

    void valueEdit_data()
    {
        QTest::addColumn<QString>("answer");
        QTest::addColumn<QString>("cell");
        QTest::addColumn<QString>("box");
        const QString numeric = lit("\r\nMust type a numeric value");
        QTest::newRow("number") << lit("18") << lit("18") << QString();
        QTest::newRow("fraction rounds") << lit("7.6") << lit("8") << QString();
        QTest::newRow("tie to even") << lit("4.5") << lit("4") << QString();
        QTest::newRow("blanks around") << lit(" 19 ") << lit("19") << QString();
        QTest::newRow("letters") << lit("abc") << lit("17") << QString(lit("Error::Type mismatch") + numeric);
        QTest::newRow("beyond 32 bits") << lit("2147483648") << lit("17")
                                        << QString(lit("Error::Overflow") + numeric);
        QTest::newRow("cancel") << QString() << lit("17") << QString();
    }
    void valueEdit()
    {
        QFETCH(QString, answer);
        QFETCH(QString, cell);
        QFETCH(QString, box);
        Fixture f;
        f.fillActual(QStringLiteral("example_crlf.txt"));
        f.g1()->setTextMatrix(2, 2, lit("17"));
        f.press(f.g1(), 3, 2);
        QVERIFY(f.iconShown(0));
        const QList<bool> flags = f.view.actualOutOfSync;
        f.feedback.scripted.inputAnswers.enqueue(answer);
        f.doubleClick(f.g1(), 2, 2);
        QCOMPARE(f.feedback.scripted.inputs.size(), 1);
        const auto &input = f.feedback.scripted.inputs[0];
        QCOMPARE(input.prompt, lit("Current Epoch Value: 17\r\nEnter New Epoch Value: "));
        QCOMPARE(input.title, lit("Change / Modify Epoch Value"));
        QCOMPARE(input.defaultText, lit("17"));
        QCOMPARE(f.g1()->textMatrix(2, 2), cell);
        QCOMPARE(f.boxPrompts(), box.isEmpty() ? QStringList() : QStringList{box});
        if (!box.isEmpty()) {
            QCOMPARE(f.feedback.scripted.boxes[0].title, lit("Error..."));
            QCOMPARE(f.feedback.scripted.boxes[0].icon, MsgIcon::Stop);
        }
        // Only the shown cell changes.
        QCOMPARE(f.view.actualOutOfSync, flags);
        QCOMPARE(f.g1()->cellBackColorAt(2, 2), Colors::pureRed);
        QVERIFY(f.iconShown(0));
        QVERIFY(f.feedback.calls.isEmpty());
    }

    void valueEditIgnoresNonValues_data()
    {
        QTest::addColumn<bool>("local");
        QTest::addColumn<int>("row");
        QTest::addColumn<int>("col");
        QTest::newRow("replica name across") << false << 0 << 2;
        QTest::newRow("replica name down") << false << 3 << 0;
        QTest::newRow("corner") << false << 0 << 0;
        QTest::newRow("numeric replica name") << false << 0 << 3;
        QTest::newRow("empty cell") << false << 1 << 1;
        QTest::newRow("text cell") << false << 1 << 3;
        QTest::newRow("local matrix") << true << 2 << 2;
    }
    void valueEditIgnoresNonValues()
    {
        QFETCH(bool, local);
        QFETCH(int, row);
        QFETCH(int, col);
        Fixture f;
        f.fillActual(QStringLiteral("example_crlf.txt"));
        f.fillLocal(QStringLiteral("example_crlf.txt"));
        f.g1()->setTextMatrix(0, 3, lit("42"));
        f.g1()->setTextMatrix(1, 1, QString());
        f.g1()->setTextMatrix(1, 3, lit("n/a"));
        f.feedback.scripted.inputAnswers.enqueue(lit("99"));
        FlexGrid *grid = local ? f.g2() : f.g1();
        const QList<QStringList> before = texts(grid);
        f.doubleClick(grid, row, col);
        QVERIFY(f.feedback.scripted.inputs.isEmpty());
        QVERIFY(f.feedback.scripted.boxes.isEmpty());
        QCOMPARE(texts(grid), before);
    }
};

QTEST_MAIN(TestEpochMatrixView)
#include "tst_epochmatrixview.moc"
