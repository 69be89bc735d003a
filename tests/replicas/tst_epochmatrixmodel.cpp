// What opening a VOB makes of ClearCase's answers, without a window: the
// site records of a replica listing, an epoch matrix read from a results
// file over what the grid showed, what the table model hands a view
// (texts, alignment, the unknown mark, the headers' tooltips; the red of an
// out-of-sync column is drawn in tst_epochmatrixview), and the replica
// script's progress file.
#include "ccase/CommandLog.h"
#include "common/Twips.h"
#include "graph/SiteRecords.h"
#include "replicas/EpochCells.h"
#include "replicas/EpochFill.h"
#include "replicas/EpochMatrixModel.h"
#include "replicas/ResultsFile.h"
#include "replicas/ScriptProgress.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <limits>

using namespace quorvane;
using namespace Qt::StringLiterals;

using Hosts = QHash<QString, QString>;

namespace {

EpochMatrix filled(const QString &text, bool actual = true)
{
    EpochMatrix m;
    m.fill(ResultsFile::parse(text).lines, actual);
    return m;
}

// f(0) .. f(n - 1) joined by sep.
template <typename F> QString joined(qsizetype n, const QString &sep, F f)
{
    QStringList parts;
    for (int i = 0; i < n; ++i)
        parts << f(i);
    return parts.join(sep);
}

// Each row's cells as f(row, col) gives them, rows joined by ";".
template <typename F> QString grid(int rows, int cols, const QString &sep, F f)
{
    return joined(rows, u";"_s, [&](int r) { return joined(cols, sep, [&](int c) { return f(r, c); }); });
}

QString colourName(OleColor c)
{
    static const QHash<OleColor, QString> names{{rgbColor(0, 0, 0), u"black"_s}, {rgbColor(0, 0, 128), u"blue"_s},
                                                {rgbColor(0, 128, 0), u"green"_s}, {rgbColor(0, 128, 128), u"cyan"_s},
                                                {rgbColor(128, 0, 0), u"red"_s}};
    return names.value(c, u"#%1"_s.arg(c, 6, 16, QLatin1Char('0')));
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
        QTest::addColumn<int>("perSite");
        QTest::addColumn<int>("last");        // -2: the last field of the listing
        QTest::addColumn<int>("countBefore");
        QTest::addColumn<QString>("sites");   // "id name date host master colour", ";" between
        QTest::addColumn<int>("countAfter");
        QTest::addColumn<int>("error");       // 0: none
        const QString three = u"alpha,d1,h1,alpha@/v,beta,d2,h2,alpha@/v,gamma,d3,h3,beta@/v,"_s;
        QTest::newRow("a reload goes on") << three << 4 << -2 << 3
                                          << u"4 alpha d1 h1 alpha@/v red;5 beta d2 h2 alpha@/v black;"
                                             "6 gamma d3 h3 beta@/v blue"_s
                                          << 6 << 0;
        QTest::newRow("counter at its top") << u"alpha,d,h,m,"_s << 4 << -2 << std::numeric_limits<qint32>::max()
                                            << u"3 alpha d h m cyan"_s << 3 << 0;
        QTest::newRow("empty listing") << QString() << 4 << -1 << 7 << QString() << 7 << 0;
        QTest::newRow("an empty name's fields go to the site before")
            << u"alpha,d1,h1,m1,,d2,h2,m2,"_s << 4 << -2 << 0 << u"1 alpha d2 h2 m2 blue"_s << 1 << 0;
        QTest::newRow("field before any name") << u",d,h,m,"_s << 4 << -2 << 5 << QString() << 5 << ErrNo::ObjectNotSet;
        QTest::newRow("listing cut short") << u"alpha,d1,h1,m1,beta,d2"_s << 4 << 7 << 0
                                           << u"1 alpha d1 h1 m1 blue;2 beta d2   green"_s << 2
                                           << ErrNo::SubscriptOutOfRange;
        QTest::newRow("no fields per site") << u"a,d,h,m"_s << 0 << -2 << 0 << QString() << 0 << ErrNo::DivisionByZero;
        QTest::newRow("five per site: the fifth is no one's")
            << u"a,d,h,m,x,b,e,i,n,y"_s << 5 << -2 << 0 << u"1 a d h m blue;2 b e i n green"_s << 2 << 0;
    }
    void siteRecords()
    {
        QFETCH(QString, listing);
        QFETCH(int, perSite);
        QFETCH(int, last);
        QFETCH(int, countBefore);
        const QStringList fields = listing.isEmpty() ? QStringList() : listing.split(u',');
        qint32 count = countBefore;
        const SiteRecords records = makeSiteRecords(fields, perSite, last == -2 ? int(fields.size()) - 1 : last, count);
        QStringList sites;
        for (const mSite &s : records.sites)
            sites << u"%1 %2 %3 %4 %5 %6"_s.arg(s.id).arg(s.replicaName, s.dateCreated, s.replicaHost, s.master,
                                                   colourName(s.lineColor));
        QTEST(sites.join(u';'), "sites");
        QTEST(int(count), "countAfter");
        QTEST(records.error ? records.error->number() : 0, "error");
    }

    // A results file read over what the grid showed: a new matrix, or one a
    // reload cleaned (its name row and last row kept) of another width.
    // Lines end at a carriage return; lines without a comma are skipped.
    // Column 0 takes 100 twips per character of the last line's name, column
    // k from 2 those of the k-th name; column 1 and a single line set none.
    // A file that cannot be read, or is too large for one, leaves the matrix
    // blank (not the row the clean kept: a family of one); a line wider than
    // the first keeps the flags of the fill before; each gives its box. The
    // current cell is left where the last column's scan stopped.
    void fillFromFile_data()
    {
        QTest::addColumn<QByteArray>("before"); // a results file filled and cleaned first; empty: a new matrix
        QTest::addColumn<QByteArray>("file");   // null: no such file
        QTest::addColumn<QString>("cells");
        QTest::addColumn<QString>("widths");
        QTest::addColumn<QString>("flags");
        QTest::addColumn<QPoint>("current"); // (col, row)
        QTest::addColumn<QString>("box");    // the error; %1: the file's path
        const auto row = [](const char *name, const QByteArray &before, const QByteArray &file, const QString &cells,
                            const char *widths, const char *flags, QPoint current, const QString &box = {}) {
            QTest::newRow(name) << before << file << cells << QString::fromLatin1(widths) << QString::fromLatin1(flags)
                                << current << box;
        };
        const QByteArray three = "r1,5,7,9\r\nr2,5,7,9\r\nr3,5,6,9\r\n", names = "alpha,1,1,1\r\nbe,1,1,1\r\ngamma_long,1,1,1\r\n";
        const QString threeCells = u"REPLICA NAME,r1,r2,r3;r1,5,7,9;r2,5,7,9;r3,5,6,9"_s, blank = u",;,"_s;
        const qint64 limit = ResultsFile::maxFileBytes;
        row("new matrix", {}, three, threeCells, "200,960,200,200", "00100", {3, 3});
        row("CR only", {}, QByteArray(three).replace("\r\n", "\r"), threeCells, "200,960,200,200", "00100", {3, 3});
        row("single line after three", names, "r1,5\r\n", u"REPLICA NAME,r1;r1,5"_s, "1000,960", "000", {1, 1});
        row("lines without comma skipped", {}, "header without comma\r\n\r\nr1,5,7\r\nnote\r\nr2,5,7\r\n\r\n",
            u"REPLICA NAME,r1,r2;r1,5,7;r2,5,7"_s, "200,960,200", "0000", {2, 2});
        row("last column, stops at row 2", {}, "r1,5,7,7\r\nr2,5,7,8\r\nr3,5,7,8\r\n",
            u"REPLICA NAME,r1,r2,r3;r1,5,7,7;r2,5,7,8;r3,5,7,8"_s, "200,960,200,200", "00010", {3, 2});
        row("compared as text", {}, "r1,12,3\r\nr2,12 ,3\r\n", u"REPLICA NAME,r1,r2;r1,12,3;r2,12 ,3"_s, "200,960,200",
            "0100", {2, 2});
        row("lone LF inside a line", {}, "r1,4,4\r\nr2,4\nx,4\r\n", u"REPLICA NAME,r1,r2;r1,4,4;r2,4\nx,4"_s,
            "200,960,200", "0100", {2, 2});
        row("wider after a reload", "r1,5,7\r\nr2,5,7\r\n", "a1,1,1,1\r\nalpha2,1,1,1\r\nb3,1,1,2\r\n",
            u"REPLICA NAME,a1,alpha2,b3;a1,1,1,1;alpha2,1,1,1;b3,1,1,2"_s, "200,960,600,200", "00010", {3, 3});
        row("missing file after a reload", three, QByteArray(), blank, "960,960", "000", {1, 1}, u"53::File not found -- %1"_s);
        row("no row after a reload", three, "no comma here\r\n", blank, "960,960", "000", {1, 1},
            u"30009::Invalid Row value: no line names a replica and its values -- %1"_s);
        row("line feeds only after a reload", three, "r1,5,5\nr2,5,5\n", blank, "960,960", "000", {1, 1},
            u"30009::Invalid Row value: the lines end in line feeds only, and a line of a results file ends at a "
            "carriage return -- %1"_s);
        row("line wider than the first", three, "a1,1,1\r\na2,1,1,1\r\n", u"REPLICA NAME,a1,a2;a1,1,1;a2,1,1"_s,
            "200,960,200", "00100", {2, 2},
            u"30010::Invalid Col value -- %1, line 2: 3 values, more than the 2 of the first line"_s);
        // A results file is read only up to its size limit, and its cells
        // are counted before a line is split.
        row("at the size limit", {}, "r1,5\r\n" + QByteArray(limit - 6, 'x'), u"REPLICA NAME,r1;r1,5"_s, "960,960", "000",
            {1, 1});
        row("one byte over", {}, "r1,5\r\n" + QByteArray(limit - 5, 'x'), blank, "960,960", "000", {1, 1},
            u"75::Path/File access error: larger than 16 MB, not a results file -- %1"_s);
        row("16 M commas", {}, "r1" + QByteArray(limit - 2, ','), blank, "960,960", "000", {1, 1},
            u"75::Path/File access error: line 1 would make the matrix 2 by 16777215 cells, more than 4194304, not a "
            "results file -- %1"_s);
    }
    void fillFromFile()
    {
        QFETCH(QByteArray, before);
        QFETCH(QByteArray, file);
        QFETCH(QString, box);
        QTemporaryDir dir;
        const QString path = dir.filePath(u"_results.txt"_s);
        QFile out(path);
        QVERIFY(file.isNull() || (out.open(QIODevice::WriteOnly) && out.write(file) == file.size()));
        out.close();
        EpochMatrix shown;
        if (!before.isEmpty()) {
            shown = filled(QString::fromLatin1(before));
            shown.clean();
        }
        CommandLog log;
        const EpochFill fill = fillEpochMatrix(shown, path, true, &log);
        const EpochMatrix &m = fill.matrix;
        QTEST(grid(m.rows(), m.cols(), u","_s, [&](int r, int c) { return m.text(r, c); }), "cells");
        QTEST(joined(m.cols(), u","_s, [&](int c) { return QString::number(m.colWidth(c)); }), "widths");
        QTEST(joined(m.outOfSync().size(), {}, [&](int c) { return m.outOfSync()[c] ? u"1"_s : u"0"_s; }), "flags");
        QTEST(QPoint(m.currentCol(), m.currentRow()), "current");
        QCOMPARE(fill.box ? fill.box->prompt : QString(),
                 box.isEmpty() ? box
                               : u"ERROR::"_s + box.arg(QDir::toNativeSeparators(path)) +
                                     u"\r\nReport Bug to bugs@belmora.example"_s);
        // Read or not, the file is in the log.
        QCOMPARE(log.entries().size(), 1);
        QCOMPARE(log.entries().first().command, path);
    }

    // 100 twips a character would overflow for a name this long: the
    // widest column instead, and the name kept whole.
    void longNameWidth()
    {
        const QString longName(8 * 1024 * 1024, u'n');
        const EpochMatrix m = filled(u"r1,1,1\r\n"_s + longName + u",1,1\r\n"_s);
        QCOMPARE(m.colWidth(0), Twips::maxTextWidth);
        QCOMPARE(m.colWidth(2), Twips::maxTextWidth);
        QCOMPARE(m.text(2, 0).size(), longName.size());
    }

    // What a view draws a cell with, and a header's tooltip: the name, and
    // in the actual matrix what a row of nothing but "?" means.
    void roles()
    {
        EpochMatrixModel model;
        model.setMatrix(filled(u"boston,10,20,?\r\ntokyo,?,?,?\r\nparis,10,20,a\r\n"_s));
        QCOMPARE(model.index(0, 0).data().toString(), u"10"_s);
        const auto align = [&](int r, int c) {
            return model.index(r, c).data(Qt::TextAlignmentRole).value<Qt::Alignment>() & Qt::AlignHorizontal_Mask;
        };
        QCOMPARE(align(0, 0), Qt::AlignRight);
        QCOMPARE(align(0, 2), Qt::AlignHCenter);
        QCOMPARE(align(2, 2), Qt::AlignLeft);
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

    // What the window makes of the replica script's progress file: the hosts
    // named with their wait against the time limit, and nothing invented from
    // a file that is cut, damaged, absent or not the script's at all.
    void progressLines_data()
    {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<double>("now");
        QTest::addColumn<QStringList>("expected");
        const Hosts none;
        QTest::newRow("one host") << "limit\t120\nwaiting\ttokyo\t1000.5\n"_ba << 1012.9
                                  << QStringList{u"waiting for tokyo (fuji): 12 s of 120 s"_s};
        QTest::newRow("host not known") << "limit\t120\nwaiting\tosaka\t1000\n"_ba << 1003.0
                                        << QStringList{u"waiting for osaka: 3 s of 120 s"_s};
        QTest::newRow("no limit said") << "waiting\ttokyo\t1000\n"_ba << 1007.0
                                       << QStringList{u"waiting for tokyo (fuji): 7 s"_s};
        QTest::newRow("a limit with a fraction") << "limit\t2.5\nwaiting\ttokyo\t1000\n"_ba << 1001.0
                                                 << QStringList{u"waiting for tokyo (fuji): 1 s of 2.5 s"_s};
        QTest::newRow("clock set back") << "limit\t120\nwaiting\ttokyo\t1000\n"_ba << 900.0
                                        << QStringList{u"waiting for tokyo (fuji): 0 s of 120 s"_s};
        QTest::newRow("past the limit") << "limit\t120\nwaiting\ttokyo\t1000\n"_ba << 1500.0
                                        << QStringList{u"waiting for tokyo (fuji): 120 s of 120 s"_s};
        QTest::newRow("longest waiting first")
            << "limit\t60\nwaiting\tosaka\t1005\nwaiting\ttokyo\t1000\n"_ba << 1010.0
            << QStringList{u"waiting for tokyo (fuji): 10 s of 60 s"_s, u"waiting for osaka: 5 s of 60 s"_s};
        QTest::newRow("CR LF line ends") << "limit\t60\r\nwaiting\ttokyo\t1000\r\n"_ba << 1001.0
                                         << QStringList{u"waiting for tokyo (fuji): 1 s of 60 s"_s};
        QTest::newRow("no host left") << "limit\t120\n"_ba << 1000.0 << QStringList();
        // What does not read is left out; what does is kept.
        const QString tokyo = u"waiting for tokyo (fuji): 10 s"_s, f = u"waiting for f: 10 s"_s;
        QTest::newRow("last line cut") << "limit\t120\nwaiting\ttokyo\t1000\nwaiting\tosaka\t10"_ba << 1010.0
                                       << QStringList{tokyo + u" of 120 s"_s};
        QTest::newRow("cut inside the limit") << "waiting\ttokyo\t1000\nlimit\t12"_ba << 1010.0 << QStringList{tokyo};
        QTest::newRow("times that do not read")
            << "waiting\ta\tsoon\nwaiting\tb\t-5\nwaiting\tc\tnan\nwaiting\td\tinf\nwaiting\te\t\nwaiting\tf\t1000\n"_ba
            << 1010.0 << QStringList{f};
        QTest::newRow("limits that do not read") << "limit\tsoon\nwaiting\tf\t1000\n"_ba << 1010.0 << QStringList{f};
        QTest::newRow("a later limit wins") << "limit\t50\nlimit\t90\nwaiting\tf\t1000\n"_ba << 1010.0
                                            << QStringList{f + u" of 90 s"_s};
        QTest::newRow("fields missing or extra")
            << "waiting\ttokyo\nwaiting\ttokyo\t1000\textra\nwaiting\t\t1000\nlimit\n"_ba << 1010.0 << QStringList();
        QTest::newRow("a name twice: the first") << "waiting\ttokyo\t1000\nwaiting\ttokyo\t900\n"_ba << 1010.0
                                                 << QStringList{tokyo};
        QTest::newRow("a control character in a name") << "waiting\tto\x1bkyo\t1000\n"_ba << 1010.0 << QStringList();
        QTest::newRow("other kinds of line") << "# note\nWAITING\ttokyo\t1000\n\n\nwaiting\tosaka\t1000\n"_ba
                                             << 1010.0 << QStringList{u"waiting for osaka: 10 s"_s};
        QTest::newRow("binary") << QByteArray("\x00\xff\n\t\t\n\x00waiting\t\x00\t1\n", 17) << 1010.0
                                << QStringList();
    }
    void progressLines()
    {
        QFETCH(QByteArray, text);
        QFETCH(double, now);
        QTEST(ScriptProgress::parse(text).lines(now, Hosts{{u"tokyo"_s, u"fuji"_s}}), "expected");
    }

    // Many hosts: the longest waits named, the rest counted, in the
    // singular for one.
    void progressManyHosts()
    {
        for (const int count : {6, 9}) {
            QByteArray text = "limit\t120\n";
            for (int i = count; i >= 1; --i)
                text += "waiting\tsite" + QByteArray::number(i) + '\t' + QByteArray::number(1000 + i) + '\n';
            const QStringList lines = ScriptProgress::parse(text).lines(1100, {});
            QCOMPARE(lines.size(), ScriptProgress::shownHosts + 1);
            QCOMPARE(lines.first(), u"waiting for site1: 99 s of 120 s"_s);
            QCOMPARE(lines.at(ScriptProgress::shownHosts - 1), u"waiting for site5: 95 s of 120 s"_s);
            QCOMPARE(lines.last(), count == 6 ? u"and 1 more host"_s : u"and 4 more hosts"_s);
        }
    }

    void progressFile()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(ScriptProgress::fileName());
        QVERIFY(ScriptProgress::read(path).isEmpty()); // not there (yet, or any more)

        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("limit\t120\nwaiting\ttokyo\t1000\n");
        file.close();
        QCOMPARE(ScriptProgress::read(path).lines(1030, {}), QStringList{u"waiting for tokyo: 30 s of 120 s"_s});

        // Not the script's: far larger than any family's hosts.
        QVERIFY(file.open(QIODevice::Append));
        file.write(QByteArray(ScriptProgress::maxFileBytes, '\n'));
        file.close();
        QVERIFY(ScriptProgress::read(path).isEmpty());

        // A folder by that name cannot be read as a file.
        QVERIFY(QFile::remove(path));
        QVERIFY(QDir(dir.path()).mkdir(ScriptProgress::fileName()));
        QVERIFY(ScriptProgress::read(path).isEmpty());
    }

    // A long or right-to-left name cannot swamp the dialog or turn the
    // sentence around it.
    void progressNamesAsShown()
    {
        const QString longName(120, u'x');
        const QString hebrew = u"\u05d0\u05d1"_s;
        const QByteArray text = "waiting\t" + longName.toLocal8Bit() + "\t1000\n";
        const QString line = ScriptProgress::parse(text).lines(1001, {{longName, hebrew}}).value(0);
        QVERIFY2(line.size() < 100, qPrintable(line));
        QVERIFY(line.contains(u'\u2026'));
        QVERIFY(line.contains(u"(\u2068"_s + hebrew + u"\u2069)"_s));
    }
};

QTEST_MAIN(TestEpochMatrixModel)
#include "tst_epochmatrixmodel.moc"
