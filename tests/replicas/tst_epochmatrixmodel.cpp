// What opening a VOB makes of ClearCase's answers, without a window: the
// site records of a replica listing, an epoch matrix read from a results
// file over what the grid showed, and what the table model hands a view
// (texts, colours, alignment, the unknown mark, the headers' tooltips).
#include "ccase/CommandLog.h"
#include "graph/SiteRecords.h"
#include "replicas/EpochCells.h"
#include "replicas/EpochFill.h"
#include "replicas/EpochMatrixModel.h"
#include "replicas/ResultsFile.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <limits>

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

// The matrix as text: cells joined by "," and rows by ";"; widths in twips
// joined by ","; flags as "0" and "1".
QString texts(const EpochMatrix &m)
{
    QStringList rows;
    for (int r = 0; r < m.rows(); ++r) {
        QStringList row;
        for (int c = 0; c < m.cols(); ++c)
            row << m.text(r, c);
        rows << row.join(u',');
    }
    return rows.join(u';');
}
QString widths(const EpochMatrix &m)
{
    QStringList w;
    for (int c = 0; c < m.cols(); ++c)
        w << QString::number(m.colWidth(c));
    return w.join(u',');
}
QString bits(const QList<bool> &flags)
{
    QString s;
    for (bool b : flags)
        s += b ? u'1' : u'0';
    return s;
}

QString colourName(OleColor c)
{
    const QList<std::pair<OleColor, QString>> names{{rgbColor(0, 0, 0), u"black"_s},
                                                    {rgbColor(0, 0, 128), u"blue"_s},
                                                    {rgbColor(0, 128, 0), u"green"_s},
                                                    {rgbColor(0, 128, 128), u"cyan"_s},
                                                    {rgbColor(128, 0, 0), u"red"_s}};
    for (const auto &[colour, name] : names) {
        if (colour == c)
            return name;
    }
    return u"#%1"_s.arg(c, 6, 16, QLatin1Char('0'));
}

} // namespace

class TestEpochMatrixModel : public QObject {
    Q_OBJECT
private slots:
    // Each site takes the next number of a counter that runs on across loads,
    // and the colour of that number; a listing that cannot be grouped says so
    // and keeps the sites before the fault.
    void siteRecords_data()
    {
        QTest::addColumn<QString>("listing"); // as lsreplica prints it, fields split at commas
        QTest::addColumn<int>("last");        // -2: the last field of the listing
        QTest::addColumn<int>("countBefore");
        QTest::addColumn<QString>("sites");   // "id name date host master colour", ";" between
        QTest::addColumn<int>("countAfter");
        QTest::addColumn<int>("error");       // 0: none
        const QString three = u"alpha,d1,h1,alpha@/v,beta,d2,h2,alpha@/v,gamma,d3,h3,beta@/v,"_s;
        QTest::newRow("first load") << three << -2 << 0
                                    << u"1 alpha d1 h1 alpha@/v blue;2 beta d2 h2 alpha@/v green;"
                                       "3 gamma d3 h3 beta@/v cyan"_s
                                    << 3 << 0;
        QTest::newRow("a reload goes on") << three << -2 << 3
                                          << u"4 alpha d1 h1 alpha@/v red;5 beta d2 h2 alpha@/v black;"
                                             "6 gamma d3 h3 beta@/v blue"_s
                                          << 6 << 0;
        QTest::newRow("counter at its top") << u"alpha,d,h,m,"_s << -2 << std::numeric_limits<qint32>::max()
                                            << u"3 alpha d h m cyan"_s << 3 << 0;
        QTest::newRow("empty listing") << QString() << -1 << 7 << QString() << 7 << 0;
        QTest::newRow("an empty name's fields go to the site before")
            << u"alpha,d1,h1,m1,,d2,h2,m2,"_s << -2 << 0 << u"1 alpha d2 h2 m2 blue"_s << 1 << 0;
        QTest::newRow("field before any name") << u",d,h,m,"_s << -2 << 5 << QString() << 5 << ErrNo::ObjectNotSet;
        QTest::newRow("listing cut short") << u"alpha,d1,h1,m1,beta,d2"_s << 7 << 0
                                           << u"1 alpha d1 h1 m1 blue;2 beta d2   green"_s << 2
                                           << ErrNo::SubscriptOutOfRange;
    }
    void siteRecords()
    {
        QFETCH(QString, listing);
        QFETCH(int, last);
        QFETCH(int, countBefore);
        const QStringList fields = listing.isEmpty() ? QStringList() : listing.split(u',');
        qint32 count = countBefore;
        const SiteRecords records = makeSiteRecords(fields, 4, last == -2 ? int(fields.size()) - 1 : last, count);
        QStringList sites;
        for (const mSite &s : records.sites)
            sites << u"%1 %2 %3 %4 %5 %6"_s.arg(s.id).arg(s.replicaName, s.dateCreated, s.replicaHost, s.master,
                                                   colourName(s.lineColor));
        QTEST(sites.join(u';'), "sites");
        QTEST(int(count), "countAfter");
        QTEST(records.error ? records.error->number() : 0, "error");
    }

    // A results file read over what the grid showed: a new matrix, or one a
    // reload cleaned (its name row and last row kept) of another width. A
    // file that cannot be read leaves the matrix blank; a line wider than
    // the first keeps the flags of the fill before; each gives its box.
    void fillFromFile_data()
    {
        QTest::addColumn<QString>("before"); // a results file filled and cleaned first; empty: a new matrix
        QTest::addColumn<QString>("file");   // empty: no such file
        QTest::addColumn<QString>("cells");
        QTest::addColumn<QString>("widths");
        QTest::addColumn<QString>("flags");
        QTest::addColumn<QPoint>("current"); // (col, row)
        QTest::addColumn<QString>("box");    // %1: the file's path
        const QString three = u"r1,5,7,9\r\nr2,5,7,9\r\nr3,5,6,9\r\n"_s;
        QTest::newRow("new matrix")
            << QString() << three << u"REPLICA NAME,r1,r2,r3;r1,5,7,9;r2,5,7,9;r3,5,6,9"_s
            << u"200,960,200,200"_s << u"00100"_s << QPoint(3, 3) << QString();
        QTest::newRow("narrower after a reload")
            << three << u"a1,1,1\r\na2,1,2\r\n"_s << u"REPLICA NAME,a1,a2;a1,1,1;a2,1,2"_s << u"200,960,200"_s
            << u"0010"_s << QPoint(2, 2) << QString();
        QTest::newRow("wider after a reload")
            << u"r1,5,7\r\nr2,5,7\r\n"_s << u"a1,1,1,1\r\nalpha2,1,1,1\r\nb3,1,1,2\r\n"_s
            << u"REPLICA NAME,a1,alpha2,b3;a1,1,1,1;alpha2,1,1,1;b3,1,1,2"_s << u"200,960,600,200"_s
            << u"00010"_s << QPoint(3, 3) << QString();
        QTest::newRow("missing file after a reload")
            << three << QString() << u",;,"_s << u"960,960"_s << u"000"_s << QPoint(1, 1)
            << u"ERROR::53::File not found -- %1\r\nReport Bug to bugs@belmora.example"_s;
        QTest::newRow("no row after a reload")
            << three << u"no comma here\r\n"_s << u",;,"_s << u"960,960"_s << u"000"_s << QPoint(1, 1)
            << u"ERROR::30009::Invalid Row value: no line names a replica and its values -- %1\r\n"
               "Report Bug to bugs@belmora.example"_s;
        QTest::newRow("line wider than the first")
            << three << u"a1,1,1\r\na2,1,1,1\r\n"_s << u"REPLICA NAME,a1,a2;a1,1,1;a2,1,1"_s
            << u"200,960,200"_s << u"00100"_s << QPoint(2, 2)
            << u"ERROR::30010::Invalid Col value -- %1, line 2: 3 values, more than the 2 of the first line"
               "\r\nReport Bug to bugs@belmora.example"_s;
    }
    void fillFromFile()
    {
        QFETCH(QString, before);
        QFETCH(QString, file);
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const QString path = dir.filePath(u"_results.txt"_s);
        if (!file.isNull()) {
            QFile out(path);
            QVERIFY(out.open(QIODevice::WriteOnly));
            out.write(file.toLatin1());
        }
        EpochMatrix shown;
        if (!before.isEmpty()) {
            shown = filled(before);
            shown.clean();
        }
        CommandLog log;
        const EpochFill fill = fillEpochMatrix(shown, path, true, &log);
        QTEST(texts(fill.matrix), "cells");
        QTEST(widths(fill.matrix), "widths");
        QTEST(bits(fill.matrix.outOfSync()), "flags");
        QTEST(QPoint(fill.matrix.currentCol(), fill.matrix.currentRow()), "current");
        QFETCH(QString, box);
        QCOMPARE(fill.box ? fill.box->prompt : QString(), box.isEmpty() ? box : box.arg(QDir::toNativeSeparators(path)));
        // Read or not, the file is in the log.
        QCOMPARE(log.entries().size(), 1);
        QCOMPARE(log.entries().first().command, path);
    }

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
        EpochMatrixModel model;
        model.setMatrix(filled(text));
        QTEST(::colours(model), "colours");
        QTEST(QPoint(model.matrix().currentCol(), model.matrix().currentRow()), "current");
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
