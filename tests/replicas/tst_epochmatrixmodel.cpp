// An epoch matrix as data, without a window: what a fill makes of a results
// file's lines, and what the table model hands a view (texts, colours,
// alignment, the unknown mark, the headers' tooltips).
#include "replicas/EpochCells.h"
#include "replicas/EpochMatrixModel.h"
#include "replicas/ResultsFile.h"

#include <QTest>

using namespace quorvane;
using namespace Qt::StringLiterals;

namespace {

EpochMatrix filled(const QString &text, bool actual = true)
{
    EpochMatrix m;
    m.fill(ResultsFile::parse(text).lines, actual);
    return m;
}

// Every cell's colour as the model gives it: "w" white, "R" pure red, "?"
// anything else; rows joined by ";".
QString colours(const EpochMatrixModel &model)
{
    QStringList rows;
    for (int r = 0; r < model.rowCount(); ++r) {
        QString row;
        for (int c = 0; c < model.columnCount(); ++c) {
            const OleColor colour = model.index(r, c).data(EpochMatrixModel::BackColorRole).value<OleColor>();
            row += colour == rgbColor(255, 255, 255) ? u'w' : colour == rgbColor(255, 0, 0) ? u'R' : u'?';
        }
        rows << row;
    }
    return rows.join(u';');
}

} // namespace

class TestEpochMatrixModel : public QObject {
    Q_OBJECT
private slots:
    // Colours are the column's test, cell by cell, in the exact red of an
    // out-of-sync column (0x00BBGGRR: red in the low byte); the current cell
    // is left where the last column's scan stopped.
    void fill_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("colours");
        QTest::addColumn<QPoint>("current"); // (col, row)
        QTest::newRow("middle column")
            << u"r1,5,7,9\r\nr2,5,7,9\r\nr3,5,6,9\r\n"_s << u"wRw;wRw;wRw"_s << QPoint(3, 3);
        QTest::newRow("last column, stops at row 2")
            << u"r1,5,7,7\r\nr2,5,7,8\r\nr3,5,7,8\r\n"_s << u"wwR;wwR;wwR"_s << QPoint(3, 2);
        QTest::newRow("first column, as text") << u"r1,12,3\r\nr2,12 ,3\r\n"_s << u"Rw;Rw"_s << QPoint(2, 2);
        QTest::newRow("an unknown") << u"r1,?,3\r\nr2,4,3\r\n"_s << u"Rw;Rw"_s << QPoint(2, 2);
        QTest::newRow("single line") << u"r1,5\r\n"_s << u"w"_s << QPoint(1, 1);
    }
    void fill()
    {
        QFETCH(QString, text);
        QFETCH(QString, colours);
        QFETCH(QPoint, current);
        EpochMatrixModel model;
        model.setMatrix(filled(text));
        QCOMPARE(::colours(model), colours);
        QCOMPARE(QPoint(model.matrix().currentCol(), model.matrix().currentRow()), current);
    }

    // What a view draws a cell with, and a header's tooltip: the name, and
    // in the actual matrix what a row of nothing but "?" means.
    void roles()
    {
        EpochMatrixModel model;
        model.setMatrix(filled(u"boston,10,20,?\r\ntokyo,?,?,?\r\nparis,10,20,a\r\n"_s));
        QCOMPARE(model.index(0, 0).data().toString(), u"10"_s);
        QCOMPARE(model.index(0, 0).data(Qt::TextAlignmentRole).value<Qt::Alignment>() &
                     Qt::AlignHorizontal_Mask,
                 Qt::AlignRight);
        QCOMPARE(model.index(0, 2).data(Qt::TextAlignmentRole).value<Qt::Alignment>() &
                     Qt::AlignHorizontal_Mask,
                 Qt::AlignHCenter);
        QCOMPARE(model.index(2, 2).data(Qt::TextAlignmentRole).value<Qt::Alignment>() &
                     Qt::AlignHorizontal_Mask,
                 Qt::AlignLeft);
        QVERIFY(model.index(1, 0).data(EpochMatrixModel::UnknownRole).toBool());
        QVERIFY(!model.index(0, 0).data(EpochMatrixModel::UnknownRole).toBool());
        QCOMPARE(model.headerData(0, Qt::Horizontal).toString(), u"boston"_s);
        QCOMPARE(model.headerData(2, Qt::Vertical).toString(), u"paris"_s);
        const QString tokyo = u"tokyo\n"_s + EpochCells::unreachableNote();
        QCOMPARE(model.headerData(1, Qt::Vertical, Qt::ToolTipRole).toString(), tokyo);
        QCOMPARE(model.headerData(1, Qt::Horizontal, Qt::ToolTipRole).toString(), tokyo);
        QCOMPARE(model.headerData(0, Qt::Vertical, Qt::ToolTipRole).toString(), u"boston"_s);
        // The local table has no hosts to speak of.
        model.setMatrix(filled(u"boston,10,20\r\ntokyo,?,?\r\n"_s, false));
        QCOMPARE(model.headerData(1, Qt::Vertical, Qt::ToolTipRole).toString(), u"tokyo"_s);
    }
};

QTEST_MAIN(TestEpochMatrixModel)
#include "tst_epochmatrixmodel.moc"
