#include "replicas/Diagnosis.h"
#include "ui/ShownName.h"

#include <QTest>

using namespace quorvane;
using namespace Qt::StringLiterals;

namespace {

// A matrix written as "name,v1,v2,..." lines, as the results files hold it.
EpochTable table(const QStringList &lines)
{
    EpochTable t;
    for (const QString &line : lines) {
        QStringList fields = line.split(u',');
        t.names << fields.takeFirst();
        t.values << fields;
    }
    return t;
}

Finding fix(const QString &text, const QString &replica)
{
    return {text, {Repair::Kind::FixBasedOnActual, replica}, {}};
}

Finding sync(const QString &text, const QString &target = {})
{
    return {text, {Repair::Kind::Synchronize, target}, {}};
}

Finding note(const QString &text, const QStringList &names = {})
{
    return {text, {}, names};
}

// n replicas r0 .. r(n-1), every column `made`, and the rows given
// overriding theirs: row -> its line after the name.
QStringList family(int n, const QString &made, const QHash<int, QString> &rows = {})
{
    QStringList lines;
    for (int i = 0; i < n; ++i) {
        QStringList values;
        for (int k = 0; k < n; ++k)
            values << made;
        lines << u"r%1,"_s.arg(i) + rows.value(i, values.join(u','));
    }
    return lines;
}

QStringList numbered(int from, int to)
{
    QStringList names;
    for (int i = from; i < to; ++i)
        names << u"r%1"_s.arg(i);
    return names;
}

// boston_hub's three-site family in step: every column one number.
const QStringList inStep{QStringLiteral("boston_hub,365,57,40"), QStringLiteral("london,365,57,40"),
                         QStringLiteral("tokyo,365,57,40")};

const QString londonLacks =
    QStringLiteral("london lacks 44 of boston_hub's changes (it holds 321, boston_hub holds 365).");
const QString lostLine = QStringLiteral("This site believes london holds 365 of boston_hub's changes, but it "
                                        "holds 321: the packet between was lost, "
                                        "and no later export will resend it. Repair: Fix Local Epoch Table "
                                        "for london based on actual, then Synchronize.");
const QString londonAhead = QStringLiteral("london holds 7 changes that boston_hub and tokyo have not "
                                           "received yet (normal until london's next export).");
const QString allInStep =
    QStringLiteral("All replicas are in step: each holds every change, and this site's table agrees.");

} // namespace

Q_DECLARE_METATYPE(QList<Finding>)

class tst_Diagnosis : public QObject {
    Q_OBJECT
private slots:
    void diagnose_data();
    void diagnose();
    void numbersMustBePlainDigits();
    void isolation_data();
    void isolation();
};

void tst_Diagnosis::diagnose_data()
{
    QTest::addColumn<QStringList>("actual");
    QTest::addColumn<QStringList>("local");
    QTest::addColumn<QString>("me");
    QTest::addColumn<QList<Finding>>("expected");
    QTest::addColumn<QStringList>("vob"); // the VOB's replicas; empty: not checked

    const QString me = QStringLiteral("boston_hub");

    QTest::newRow("all in step") << inStep << inStep << me << QList<Finding>{note(allInStep)} << QStringList{};

    QTest::newRow("one replica only")
        << QStringList{QStringLiteral("original,12")} << QStringList{QStringLiteral("original,12")}
        << QStringLiteral("original")
        << QList<Finding>{note(QStringLiteral(
               "original is the only replica of this VOB: there is nothing to keep in step."))} << QStringList{};

    QTest::newRow("nothing read") << QStringList{} << QStringList{} << me << QList<Finding>{} << QStringList{};
    QTest::newRow("only the local matrix read")
        << QStringList{} << inStep << me
        << QList<Finding>{note(
               QStringLiteral("The actual epoch table could not be read: what the replicas hold is unknown."))} << QStringList{};
    QTest::newRow("only the actual matrix read")
        << inStep << QStringList{} << me
        << QList<Finding>{note(QStringLiteral("This site's epoch table could not be read: what it believes the other "
                                              "replicas hold is unknown."))} << QStringList{};

    // The packet to london was lost; a later export advanced the belief
    // again. london has also made 7 changes it has not exported yet.
    const QStringList lostActual{QStringLiteral("boston_hub,365,50,40"), QStringLiteral("london,321,57,40"),
                                 QStringLiteral("tokyo,365,50,40")};
    const QStringList lostLocal{QStringLiteral("boston_hub,365,50,40"), QStringLiteral("london,365,50,40"),
                                QStringLiteral("tokyo,365,50,40")};
    // What leads to one repair stands in one finding.
    QTest::newRow("lost packet")
        << lostActual << lostLocal << me
        << QList<Finding>{fix(londonLacks + u' ' + lostLine, QStringLiteral("london")), note(londonAhead)} << QStringList{};

    // After "Fix ... based on actual" the belief is london's own row.
    const QStringList fixedLocal{QStringLiteral("boston_hub,365,50,40"), QStringLiteral("london,321,57,40"),
                                 QStringLiteral("tokyo,365,50,40")};
    QTest::newRow("fixed, not yet sent")
        << lostActual << fixedLocal << me
        << QList<Finding>{sync(QStringLiteral("This site now knows london lacks 44 of boston_hub's changes: "
                                              "Synchronize to send them."),
                               QStringLiteral("london")),
                          note(londonAhead)} << QStringList{};

    // tokyo's changes reached london, so tokyo has exported; this site has
    // not imported them yet.
    QTest::newRow("packet waiting in a bay")
        << QStringList{QStringLiteral("boston_hub,365,57,20"), QStringLiteral("london,365,57,25"),
                       QStringLiteral("tokyo,365,57,25")}
        << QStringList{QStringLiteral("boston_hub,365,57,20"), QStringLiteral("london,365,57,20"),
                       QStringLiteral("tokyo,365,57,20")}
        << me
        << QList<Finding>{sync(QStringLiteral("boston_hub (this site) lacks 5 of tokyo's changes (it holds "
                                              "20, tokyo holds 25); london has them "
                                              "already, so their packet may be waiting in this site's "
                                              "incoming bay: Synchronize to import it."))} << QStringList{};

    // A typed value above anything this site holds: no export of this site
    // set it, and exports would skip those changes.
    QTest::newRow("belief ahead")
        << inStep
        << QStringList{QStringLiteral("boston_hub,365,57,40"), QStringLiteral("london,400,57,40"),
                       QStringLiteral("tokyo,365,57,40")}
        << me
        << QList<Finding>{
               fix(QStringLiteral("This site believes london holds 400 of boston_hub's changes, but it holds "
                                  "365 and boston_hub has made 365: exports to london would skip "
                                  "boston_hub's changes up to 400. Repair: Fix Local Epoch Table for london "
                                  "based on actual."),
                   QStringLiteral("london"))} << QStringList{};

    QTest::newRow("belief behind")
        << inStep
        << QStringList{QStringLiteral("boston_hub,365,57,40"), QStringLiteral("london,300,57,40"),
                       QStringLiteral("tokyo,365,57,40")}
        << me
        << QList<Finding>{
               fix(QStringLiteral("This site believes london holds 300 of boston_hub's changes, but it holds "
                                  "365: the next export to london sends 65 of them again (harmless; Fix "
                                  "Local Epoch Table for london based on actual avoids it)."),
                   QStringLiteral("london"))} << QStringList{};

    // A low belief about changes this site does not hold costs nothing.
    QTest::newRow("belief behind, nothing to resend")
        << inStep
        << QStringList{QStringLiteral("boston_hub,365,57,40"), QStringLiteral("london,365,50,40"),
                       QStringLiteral("tokyo,365,57,40")}
        << me << QList<Finding>{note(allInStep)} << QStringList{};

    QTest::newRow("unknown row")
        << QStringList{QStringLiteral("boston_hub,365,57,40"), QStringLiteral("sydney,?,?,?"),
                       QStringLiteral("tokyo,365,57,40")}
        << QStringList{QStringLiteral("boston_hub,365,57,40"), QStringLiteral("sydney,365,57,40"),
                       QStringLiteral("tokyo,365,57,40")}
        << me
        << QList<Finding>{note(QStringLiteral("sydney cannot be reached: its actual row is unknown.")),
                          note(QStringLiteral("All replicas that answered are in step."))} << QStringList{};

    // The unreachable replica is named after the repair that matters more.
    QTest::newRow("lost packet and an unknown row, most important first")
        << QStringList{QStringLiteral("boston_hub,365,40,30"), QStringLiteral("london,321,40,30"),
                       QStringLiteral("sydney,?,?,?")}
        << QStringList{QStringLiteral("boston_hub,365,40,30"), QStringLiteral("london,365,40,30"),
                       QStringLiteral("sydney,365,40,30")}
        << me
        << QList<Finding>{fix(londonLacks + u' ' + lostLine, QStringLiteral("london")),
                          note(QStringLiteral("sydney cannot be reached: its actual row is unknown."))} << QStringList{};

    QTest::newRow("? in the local matrix")
        << inStep
        << QStringList{QStringLiteral("boston_hub,365,57,40"), QStringLiteral("london,365,?,?"),
                       QStringLiteral("tokyo,365,57,40")}
        << me
        << QList<Finding>{fix(
               QStringLiteral("This site's table has no value for what london holds of london and tokyo's "
                              "changes: Fix Local Epoch Table for london based on actual sets it."),
               QStringLiteral("london"))} << QStringList{};

    QTest::newRow("? for a whole row of the local matrix, while london lacks")
        << QStringList{QStringLiteral("boston_hub,365,57"), QStringLiteral("london,321,57")}
        << QStringList{QStringLiteral("boston_hub,365,57"), QStringLiteral("london,?,?")} << me
        << QList<Finding>{fix(londonLacks +
                                  QStringLiteral(" This site's table has no row for london: Fix Local Epoch "
                                                 "Table for london based on actual sets it."),
                              QStringLiteral("london"))} << QStringList{};

    QTest::newRow("local matrix all ?")
        << inStep
        << QStringList{QStringLiteral("boston_hub,?,?,?"), QStringLiteral("london,?,?,?"),
                       QStringLiteral("tokyo,?,?,?")}
        << me
        << QList<Finding>{
               note(QStringLiteral("This site's epoch table could not be read: what it believes the other "
                                   "replicas hold is unknown."))} << QStringList{};

    // A replica that holds more of an origin's changes than the origin.
    QTest::newRow("origin rolled back")
        << QStringList{QStringLiteral("boston_hub,365,57"), QStringLiteral("london,365,50")}
        << QStringList{QStringLiteral("boston_hub,365,57"), QStringLiteral("london,365,50")} << me
        << QList<Finding>{note(QStringLiteral(
               "boston_hub holds 57 of london's changes, more than london itself (50): london's own row went "
               "back, "
               "as after a restore from backup; restore it (restorereplica) before any new work there."))} << QStringList{};

    // Only some of london's changes reached tokyo: this site's import can
    // bring what tokyo has; the rest waits for london.
    QTest::newRow("packet waiting in a bay, partly forwarded")
        << QStringList{QStringLiteral("boston_hub,365,50,40"), QStringLiteral("london,365,57,40"),
                       QStringLiteral("tokyo,365,51,40")}
        << QStringList{QStringLiteral("boston_hub,365,50,40"), QStringLiteral("london,365,50,40"),
                       QStringLiteral("tokyo,365,50,40")}
        << me
        << QList<Finding>{
               sync(QStringLiteral(
                   "boston_hub (this site) lacks 7 of london's changes (it holds 50, london holds 57); "
                   "tokyo has some of them already, so their packet may be waiting in this site's "
                   "incoming bay: Synchronize to import it.")),
               note(QStringLiteral("london holds 6 changes that tokyo has not received yet (normal until "
                                   "london's next export)."))} << QStringList{};

    // Results that name replicas the VOB does not have: said once, and
    // nothing advised about them, however far behind they are; the VOB's
    // replica without a row is named.
    const QStringList vob{QStringLiteral("boston_hub"), QStringLiteral("london"), QStringLiteral("tokyo")};
    QTest::newRow("another VOB's rows")
        << QStringList{QStringLiteral("boston_hub,365,57,40"), QStringLiteral("london,365,57,40"),
                       QStringLiteral("sydney,300,57,40")}
        << QStringList{QStringLiteral("boston_hub,365,57,40"), QStringLiteral("london,365,57,40"),
                       QStringLiteral("sydney,365,57,40")}
        << me
        << QList<Finding>{note(QStringLiteral("The results files name replicas this VOB does not have (sydney): "
                                              "they may be another VOB's, and nothing is advised about them.")),
                          note(QStringLiteral("The results files have no row for tokyo (a replica of this VOB).")),
                          note(QStringLiteral("All replicas that answered are in step."))}
        << vob;
    QTest::newRow("another VOB's matrix")
        << QStringList{QStringLiteral("paris,5,5"), QStringLiteral("rome,5,4")}
        << QStringList{QStringLiteral("paris,5,5"), QStringLiteral("rome,5,5")} << me
        << QList<Finding>{note(QStringLiteral("The results files name replicas this VOB does not have (paris and "
                                              "rome): they may be another VOB's, and nothing is advised about "
                                              "them."))}
        << vob;
    QTest::newRow("one row of the VOB's three")
        << QStringList{QStringLiteral("boston_hub,365")} << QStringList{QStringLiteral("boston_hub,365")} << me
        << QList<Finding>{note(QStringLiteral("The results files have no row for london and tokyo (replicas of "
                                              "this VOB)."))}
        << vob;

    // Long lists are counted, with the names behind the count.
    QTest::newRow("seven replicas wait for one export")
        << family(8, u"8"_s, {{7, u"8,8,8,8,8,8,8,20"_s}}) << family(8, u"8"_s, {{7, u"8,8,8,8,8,8,8,20"_s}})
        << u"r0"_s
        << QList<Finding>{note(u"7 replicas lack 12 of r7's changes (normal until r7's next export)."_s,
                               numbered(0, 7))} << QStringList{};
    QTest::newRow("six hosts silent")
        << family(8, u"8"_s, {{2, u"?,?,?,?,?,?,?,?"_s}, {3, u"?,?,?,?,?,?,?,?"_s}, {4, u"?,?,?,?,?,?,?,?"_s},
                              {5, u"?,?,?,?,?,?,?,?"_s}, {6, u"?,?,?,?,?,?,?,?"_s}, {7, u"?,?,?,?,?,?,?,?"_s}})
        << family(8, u"8"_s) << u"r0"_s
        << QList<Finding>{note(u"6 replicas cannot be reached: their actual rows are unknown."_s, numbered(2, 8)),
                          note(u"All replicas that answered are in step."_s)} << QStringList{};
    QTest::newRow("a row with many gaps")
        << family(8, u"8"_s, {{1, u"8,8,?,?,?,?,?,?"_s}}) << family(8, u"8"_s) << u"r0"_s
        << QList<Finding>{note(u"r1's actual row has no value for 6 replicas."_s, numbered(2, 8)),
                          note(u"All replicas that answered are in step."_s)} << QStringList{};
    // Every origin's changes lost on the way to r1: one finding for its
    // one repair, its first sentences and a count of the rest.
    QTest::newRow("one repair for many findings")
        << family(8, u"8"_s, {{1, u"5,8,5,5,5,5,5,5"_s}}) << family(8, u"8"_s) << u"r0"_s
        << QList<Finding>{fix(
               u"r1 lacks 3 of r0's changes (it holds 5, r0 holds 8). This site believes r1 holds 8 of r0's "
               "changes, but it holds 5: the packet between was lost, and no later export will resend it. "
               "Repair: Fix Local Epoch Table for r1 based on actual, then Synchronize. r1 lacks 3 of r2's "
               "changes (it holds 5, r2 holds 8). This site believes r1 holds 8 of r2's changes, but it holds "
               "5: the packet between was lost, and no later export will resend it. Repair: Fix Local Epoch "
               "Table for r1 based on actual, then Synchronize. r1 lacks 3 of r3's changes (it holds 5, r3 "
               "holds 8). 9 more findings lead to the same repair."_s,
               u"r1"_s)} << QStringList{};
    QTest::newRow("seven replicas ahead of the origin")
        << family(8, u"8"_s, {{1, u"8,5,8,8,8,8,8,8"_s}}) << family(8, u"8"_s) << u"r0"_s
        << QList<Finding>{note(u"7 replicas hold more of r1's changes than r1 itself (5): r1's own row went back, "
                               "as after a restore from backup; restore it (restorereplica) before any new work "
                               "there."_s,
                               QStringList{u"r0"_s} + numbered(2, 8))} << QStringList{};

    // A name that holds right-to-left text or direction marks stands
    // isolated in the sentence; a plain one is left as it is.
    const QString rlo = u"lon\u202Edon"_s;
    const QString rloShown = u"\u2068lon\u202Edon\u2069"_s;
    QTest::newRow("right-to-left override in a name")
        << QStringList{u"boston_hub,365,57,20"_s, rlo + u",365,57,25"_s, u"tokyo,365,57,25"_s}
        << QStringList{u"boston_hub,365,57,20"_s, rlo + u",365,57,20"_s, u"tokyo,365,57,20"_s} << me
        << QList<Finding>{sync(u"boston_hub (this site) lacks 5 of tokyo's changes (it holds 20, tokyo holds 25); "_s +
                               rloShown +
                               u" has them already, so their packet may be waiting in this site's incoming bay: "
                               "Synchronize to import it."_s)} << QStringList{};
}

void tst_Diagnosis::diagnose()
{
    QFETCH(QStringList, actual);
    QFETCH(QStringList, local);
    QFETCH(QString, me);
    QFETCH(QList<Finding>, expected);
    QFETCH(QStringList, vob);

    const QList<Finding> found = quorvane::diagnose(table(actual), table(local), me, vob);
    QStringList foundTexts, expectedTexts;
    for (const Finding &f : found)
        foundTexts << f.text;
    for (const Finding &f : expected)
        expectedTexts << f.text;
    QCOMPARE(foundTexts, expectedTexts);
    QVERIFY(found == expected);
}

void tst_Diagnosis::numbersMustBePlainDigits()
{
    // " 44" or "-1" is not an epoch number; such a cell counts as unknown,
    // so london's row reads as partly unknown instead of lagging.
    const EpochTable actual = table({QStringLiteral("boston_hub,365,57"), QStringLiteral("london,-1,57")});
    const EpochTable local = table({QStringLiteral("boston_hub,365,57"), QStringLiteral("london,365,57")});
    const QList<Finding> found = quorvane::diagnose(actual, local, QStringLiteral("boston_hub"));
    QCOMPARE(found.value(0).text, QStringLiteral("london's actual row has no value for boston_hub."));
}

void tst_Diagnosis::isolation_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("shown");
    const QString fsi = u"\u2068"_s, pdi = u"\u2069"_s;
    QTest::newRow("plain") << u"london"_s << u"london"_s;
    QTest::newRow("override left open") << u"a\u202Eb"_s << fsi + u"a\u202Eb"_s + pdi;
    QTest::newRow("right-to-left letters") << u"\u05E9\u05DC"_s << fsi + u"\u05E9\u05DC"_s + pdi;
    // An isolate the name opens is closed before ours; one it closes
    // without opening would end ours early, and is dropped.
    QTest::newRow("isolate left open") << u"a\u2067b"_s << fsi + u"a\u2067b"_s + pdi + pdi;
    QTest::newRow("stray closing isolate") << u"a\u2069b\u202E"_s << fsi + u"ab\u202E"_s + pdi;
}

void tst_Diagnosis::isolation()
{
    QFETCH(QString, name);
    QFETCH(QString, shown);
    QCOMPARE(ShownName::isolated(name), shown);
}

QTEST_GUILESS_MAIN(tst_Diagnosis)
#include "tst_diagnosis.moc"
