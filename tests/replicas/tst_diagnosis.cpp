#include "replicas/Diagnosis.h"

#include <QTest>

using namespace quorvane;

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
    return {text, {Repair::Kind::FixBasedOnActual, replica}};
}

Finding sync(const QString &text, const QString &target = {})
{
    return {text, {Repair::Kind::Synchronize, target}};
}

Finding note(const QString &text)
{
    return {text, {}};
}

// boston_hub's three-site family in step: every column one number.
const QStringList inStep{QStringLiteral("boston_hub,365,57,40"), QStringLiteral("london,365,57,40"),
                         QStringLiteral("tokyo,365,57,40")};

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
};

void tst_Diagnosis::diagnose_data()
{
    QTest::addColumn<QStringList>("actual");
    QTest::addColumn<QStringList>("local");
    QTest::addColumn<QString>("me");
    QTest::addColumn<QList<Finding>>("expected");

    const QString me = QStringLiteral("boston_hub");

    QTest::newRow("all in step") << inStep << inStep << me << QList<Finding>{note(allInStep)};

    QTest::newRow("one replica only")
        << QStringList{QStringLiteral("original,12")} << QStringList{QStringLiteral("original,12")}
        << QStringLiteral("original")
        << QList<Finding>{note(QStringLiteral(
               "original is the only replica of this VOB: there is nothing to keep in step."))};

    QTest::newRow("nothing read") << QStringList{} << QStringList{} << me << QList<Finding>{};
    QTest::newRow("only the local matrix read")
        << QStringList{} << inStep << me
        << QList<Finding>{note(
               QStringLiteral("The actual epoch table could not be read: what the replicas hold is unknown."))};
    QTest::newRow("only the actual matrix read")
        << inStep << QStringList{} << me
        << QList<Finding>{note(QStringLiteral("This site's epoch table could not be read: what it believes the other "
                                              "replicas hold is unknown."))};

    // The packet to london was lost; a later export advanced the belief
    // again. london has also made 7 changes it has not exported yet.
    const QStringList lostActual{QStringLiteral("boston_hub,365,50,40"), QStringLiteral("london,321,57,40"),
                                 QStringLiteral("tokyo,365,50,40")};
    const QStringList lostLocal{QStringLiteral("boston_hub,365,50,40"), QStringLiteral("london,365,50,40"),
                                QStringLiteral("tokyo,365,50,40")};
    QTest::newRow("lost packet")
        << lostActual << lostLocal << me
        << QList<Finding>{
               fix(QStringLiteral(
                       "london lacks 44 of boston_hub's changes (it holds 321, boston_hub holds 365)."),
                   QStringLiteral("london")),
               fix(lostLine, QStringLiteral("london")), note(londonAhead)};

    // After "Fix ... based on actual" the belief is london's own row.
    const QStringList fixedLocal{QStringLiteral("boston_hub,365,50,40"), QStringLiteral("london,321,57,40"),
                                 QStringLiteral("tokyo,365,50,40")};
    QTest::newRow("fixed, not yet sent")
        << lostActual << fixedLocal << me
        << QList<Finding>{sync(QStringLiteral("This site now knows london lacks 44 of boston_hub's changes: "
                                              "Synchronize to send them."),
                               QStringLiteral("london")),
                          note(londonAhead)};

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
                                              "incoming bay: Synchronize to import it."))};

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
                   QStringLiteral("london"))};

    QTest::newRow("belief behind")
        << inStep
        << QStringList{QStringLiteral("boston_hub,365,57,40"), QStringLiteral("london,300,57,40"),
                       QStringLiteral("tokyo,365,57,40")}
        << me
        << QList<Finding>{
               fix(QStringLiteral("This site believes london holds 300 of boston_hub's changes, but it holds "
                                  "365: the next export to london sends 65 of them again (harmless; Fix "
                                  "Local Epoch Table for london based on actual avoids it)."),
                   QStringLiteral("london"))};

    // A low belief about changes this site does not hold costs nothing.
    QTest::newRow("belief behind, nothing to resend")
        << inStep
        << QStringList{QStringLiteral("boston_hub,365,57,40"), QStringLiteral("london,365,50,40"),
                       QStringLiteral("tokyo,365,57,40")}
        << me << QList<Finding>{note(allInStep)};

    QTest::newRow("unknown row")
        << QStringList{QStringLiteral("boston_hub,365,57,40"), QStringLiteral("sydney,?,?,?"),
                       QStringLiteral("tokyo,365,57,40")}
        << QStringList{QStringLiteral("boston_hub,365,57,40"), QStringLiteral("sydney,365,57,40"),
                       QStringLiteral("tokyo,365,57,40")}
        << me
        << QList<Finding>{note(QStringLiteral("sydney cannot be reached: its actual row is unknown.")),
                          note(QStringLiteral("All replicas that answered are in step."))};

    // The unreachable replica is named after the repair that matters more.
    QTest::newRow("lost packet and an unknown row, most important first")
        << QStringList{QStringLiteral("boston_hub,365,40,30"), QStringLiteral("london,321,40,30"),
                       QStringLiteral("sydney,?,?,?")}
        << QStringList{QStringLiteral("boston_hub,365,40,30"), QStringLiteral("london,365,40,30"),
                       QStringLiteral("sydney,365,40,30")}
        << me
        << QList<Finding>{
               fix(QStringLiteral(
                       "london lacks 44 of boston_hub's changes (it holds 321, boston_hub holds 365)."),
                   QStringLiteral("london")),
               fix(lostLine, QStringLiteral("london")),
               note(QStringLiteral("sydney cannot be reached: its actual row is unknown."))};

    QTest::newRow("? in the local matrix")
        << inStep
        << QStringList{QStringLiteral("boston_hub,365,57,40"), QStringLiteral("london,365,?,?"),
                       QStringLiteral("tokyo,365,57,40")}
        << me
        << QList<Finding>{fix(
               QStringLiteral("This site's table has no value for what london holds of london and tokyo's "
                              "changes: Fix Local Epoch Table for london based on actual sets it."),
               QStringLiteral("london"))};

    QTest::newRow("? for a whole row of the local matrix, while london lacks")
        << QStringList{QStringLiteral("boston_hub,365,57"), QStringLiteral("london,321,57")}
        << QStringList{QStringLiteral("boston_hub,365,57"), QStringLiteral("london,?,?")} << me
        << QList<Finding>{
               fix(QStringLiteral(
                       "london lacks 44 of boston_hub's changes (it holds 321, boston_hub holds 365)."),
                   QStringLiteral("london")),
               fix(QStringLiteral(
                       "This site's table has no row for london: Fix Local Epoch Table for london based "
                       "on actual sets it."),
                   QStringLiteral("london"))};

    QTest::newRow("local matrix all ?")
        << inStep
        << QStringList{QStringLiteral("boston_hub,?,?,?"), QStringLiteral("london,?,?,?"),
                       QStringLiteral("tokyo,?,?,?")}
        << me
        << QList<Finding>{
               note(QStringLiteral("This site's epoch table could not be read: what it believes the other "
                                   "replicas hold is unknown."))};

    // A replica that holds more of an origin's changes than the origin.
    QTest::newRow("origin rolled back")
        << QStringList{QStringLiteral("boston_hub,365,57"), QStringLiteral("london,365,50")}
        << QStringList{QStringLiteral("boston_hub,365,57"), QStringLiteral("london,365,50")} << me
        << QList<Finding>{note(QStringLiteral(
               "boston_hub holds 57 of london's changes, more than london itself (50): london's own row went "
               "back, "
               "as after a restore from backup; restore it (restorereplica) before any new work there."))};

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
                                   "london's next export)."))};
}

void tst_Diagnosis::diagnose()
{
    QFETCH(QStringList, actual);
    QFETCH(QStringList, local);
    QFETCH(QString, me);
    QFETCH(QList<Finding>, expected);

    const QList<Finding> found = quorvane::diagnose(table(actual), table(local), me);
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

QTEST_GUILESS_MAIN(tst_Diagnosis)
#include "tst_diagnosis.moc"
