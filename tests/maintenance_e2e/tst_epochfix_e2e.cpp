// "Specify Epoch Value" end to end on the simulated region: a valid number
// is forced into the local epoch table and shows after the reload; any
// other text is refused before anything runs.
#include "SimWindow.h"

using namespace quorvane;
using namespace quorvane::test;

namespace {

const QString vob = QStringLiteral("/vobs/tools");

// The cell of the local matrix for row ROW and column COL (by name).
QString localCell(const FlexGrid *grid, const QString &row, const QString &col)
{
    for (int r = 1; r < grid->rows(); ++r)
        for (int c = 1; c < grid->cols(); ++c)
            if (grid->textMatrix(r, 0) == row && grid->textMatrix(0, c) == col)
                return grid->textMatrix(r, c);
    return QStringLiteral("(no cell)");
}

QString entryOf(const QString &rowText, const QString &origin)
{
    for (const QString &pair : rowText.split(QLatin1Char(' '), Qt::SkipEmptyParts))
        if (pair.section(QLatin1Char('='), 0, 0) == origin)
            return pair.section(QLatin1Char('='), 1);
    return {};
}

} // namespace

class TestEpochFixE2E : public QObject {
    Q_OBJECT
private slots:
    void specifyEpochValue_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("forced"); // empty: refused, nothing runs
        QTest::addColumn<bool>("confirm");
        QTest::newRow("number") << QStringLiteral("42") << QStringLiteral("42") << true;
        QTest::newRow("zero") << QStringLiteral("0") << QStringLiteral("0") << true;
        QTest::newRow("blanks around") << QStringLiteral("  17 ") << QStringLiteral("17") << true;
        QTest::newRow("largest") << QStringLiteral("2147483647") << QStringLiteral("2147483647") << true;
        QTest::newRow("cancelled") << QStringLiteral("42") << QString() << false;
        QTest::newRow("untouched") << QStringLiteral("<epoch>") << QString() << true;
        QTest::newRow("empty") << QString() << QString() << true;
        QTest::newRow("letters") << QStringLiteral("abc") << QString() << true;
        QTest::newRow("extra option") << QStringLiteral("5 -import") << QString() << true;
        QTest::newRow("second entry") << QStringLiteral("5 london=0") << QString() << true;
        QTest::newRow("blank inside") << QStringLiteral("1 2") << QString() << true;
        QTest::newRow("negative") << QStringLiteral("-3") << QString() << true;
        QTest::newRow("too large") << QStringLiteral("2147483648") << QString() << true;
        QTest::newRow("quote") << QStringLiteral("5\"") << QString() << true;
        QTest::newRow("other digits") << QStringLiteral("\u0664\u0662") << QString() << true;
    }
    void specifyEpochValue()
    {
        QFETCH(QString, typed);
        QFETCH(QString, forced);
        QFETCH(bool, confirm);
        SimWindow s;
        const QString opened = s.openVob(vob);
        QVERIFY2(opened.isEmpty(), qPrintable(opened));
        s.showPage(1);
        const Truth before = Truth::of(vob);
        const QString replica = s.fixCombo(0)->itemText(1);
        QVERIFY(!replica.isEmpty() && replica != before.names.first());
        QVERIFY(SimWindow::choose(s.fixCombo(0), replica));

        // The text box belongs to "Specify Epoch Value" alone.
        QVERIFY(s.fixTxt()->isHidden());
        SimWindow::click(s.fixOpt(1));
        QVERIFY(s.fixOpt(1)->isChecked());
        QVERIFY(s.fixTxt()->isVisible());
        s.fixTxt()->selectAll();
        QTest::keyClick(s.fixTxt(), Qt::Key_Backspace);
        // Typed where the test keyboard has the keys; others as if pasted.
        bool ascii = true;
        for (const QChar c : typed)
            ascii = ascii && c.unicode() < 128;
        if (ascii)
            QTest::keyClicks(s.fixTxt(), typed);
        else
            s.fixTxt()->insert(typed);
        QCOMPARE(s.fixTxt()->text(), typed);
        if (!confirm)
            s.dialogs.msgAnswers.enqueue(MsgResult::Cancel);

        s.fixCombo(0)->setFocus();
        s.clearLog();
        s.window->fixFrame()->fixOrSync(0);
        const Truth after = Truth::of(vob);
        QCOMPARE(s.window->status(), QStringLiteral("Status"));
        QCOMPARE(s.dialogs.boxes.size(), 1);
        const ScriptedDialogs::Box box = s.dialogs.boxes.first();
        if (forced.isEmpty()) {
            // Nothing ran, nothing was reloaded, the region is as it was.
            QVERIFY2(s.commands().isEmpty(), qPrintable(s.commands().join(QLatin1Char('\n'))));
            QCOMPARE(after.localText, before.localText);
            QCOMPARE(s.fixCombo(0)->currentText(), replica);
            QCOMPARE(s.fixTxt()->text(), typed);
            if (confirm) {
                QCOMPARE(box.prompt, QStringLiteral("Must specify a valid epoch number"));
                QCOMPARE(box.title, QStringLiteral("Invalid Epoch Value"));
                QCOMPARE(box.icon, MsgIcon::Exclamation);
                QCOMPARE(box.buttons, MsgButtons::Ok);
                // Ready for the user to type the number (the window's focus
                // widget: headless platforms activate no window).
                QCOMPARE(s.window->focusWidget(), s.fixTxt());
            } else {
                QCOMPARE(box.title, QStringLiteral("Fix Epoch..."));
            }
            return;
        }

        QCOMPARE(box.title, QStringLiteral("Fix Epoch..."));
        QCOMPARE(box.buttons, MsgButtons::OkCancel);
        QCOMPARE(s.changes(), QStringList{QStringLiteral("multitool chepoch -force ") + replica + QLatin1Char('@') + vob
                                          + QLatin1Char(' ') + replica + QLatin1Char('=') + forced
                                          + QStringLiteral(" => status 0")});
        // Only that one entry of the replica's row changed.
        for (const QString &origin : before.names) {
            const QString expected = origin == replica ? forced : entryOf(before.localText.value(replica), origin);
            QCOMPARE(entryOf(after.localText.value(replica), origin), expected);
        }
        for (const QString &row : before.names)
            if (row != replica)
                QCOMPARE(after.localText.value(row), before.localText.value(row));
        // The reload after the run shows it.
        QVERIFY2(s.commands().last().startsWith(QStringLiteral("ccperl ")), qPrintable(s.commands().last()));
        QCOMPARE(localCell(s.localGrid(), replica, replica), forced);
        QCOMPARE(gridMatrix(s.localGrid()), after.local());
        QCOMPARE(redColumns(s.localGrid()), differingColumns(after.local()));
        QCOMPARE(s.fixCombo(0)->currentText(), QStringLiteral("<select_replica>"));
    }

    // An action without its replica stops before anything runs.
    void nothingRunsWithoutAReplica_data()
    {
        QTest::addColumn<int>("index");
        QTest::newRow("fix") << 0;
        QTest::newRow("synchronize one target") << 1;
    }
    void nothingRunsWithoutAReplica()
    {
        QFETCH(int, index);
        SimWindow s;
        const QString opened = s.openVob(vob);
        QVERIFY2(opened.isEmpty(), qPrintable(opened));
        s.showPage(1);
        const Truth before = Truth::of(vob);
        if (index == 1) {
            SimWindow::click(s.syncAll());
            QVERIFY(s.fixCombo(1)->isVisible());
        }
        QCOMPARE(s.fixCombo(index)->currentText(), QStringLiteral("<select_replica>"));
        s.clearLog();
        s.window->fixFrame()->fixOrSync(index);
        QVERIFY2(s.commands().isEmpty(), qPrintable(s.commands().join(QLatin1Char('\n'))));
        QVERIFY(s.dialogs.boxes.isEmpty());
        QCOMPARE(s.window->status(), QStringLiteral("Status"));
        QCOMPARE(Truth::of(vob).localText, before.localText);
        QCOMPARE(gridMatrix(s.localGrid()), before.local());
    }

    // multitool cannot reach the replica's host: the failure is shown with
    // multitool's own words (not passed off as done), its row stays, and the
    // reloaded window still shows the region as it is.
    void fixFromActualOfUnreachableReplica()
    {
        const QString web = QStringLiteral("/vobs/web");
        SimWindow s;
        const QString opened = s.openVob(web);
        QVERIFY2(opened.isEmpty(), qPrintable(opened));
        s.showPage(1);
        const Truth before = Truth::of(web);
        const QString replica = QStringLiteral("sydney");
        QVERIFY(!before.reachable.value(replica, true));
        QVERIFY(SimWindow::choose(s.fixCombo(0), replica));
        SimWindow::click(s.fixOpt(0));
        s.clearLog();
        s.window->fixFrame()->fixOrSync(0);
        QCOMPARE(s.changes(), QStringList{QStringLiteral("multitool chepoch -actual sydney@/vobs/web => status 1")});
        // The confirmation, then the failure.
        QCOMPARE(s.dialogs.boxes.size(), 2);
        const ScriptedDialogs::Box failure = s.dialogs.boxes.last();
        QCOMPARE(failure.title, QStringLiteral("Quorvane"));
        QCOMPARE(failure.icon, MsgIcon::Stop);
        QVERIFY2(failure.prompt.startsWith(QStringLiteral("ERROR: multitool: Error: ")), qPrintable(failure.prompt));
        QVERIFY(failure.prompt.endsWith(QStringLiteral("\r\nCommand failed --> multitool chepoch -actual sydney@/vobs/web")));
        const Truth after = Truth::of(web);
        QCOMPARE(after.localText, before.localText);
        QCOMPARE(gridMatrix(s.localGrid()), after.local());
        QCOMPARE(gridMatrix(s.actualGrid()), after.actual());
        QCOMPARE(s.window->status(), QStringLiteral("Status"));
    }
};

QTEST_MAIN(TestEpochFixE2E)
#include "tst_epochfix_e2e.moc"
