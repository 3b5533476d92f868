// The report chooser: one button per stored report in their order, the limits of the table of
// definitions, a database without reports, and the main window's way in.
#include "reports_support.h"
#include "shell/frmMain.h"

namespace {
const QString kTooMany =
    QStringLiteral("Error 9 (Subscript out of range) in procedure PopolaArrayReport of Form frmSplashReports");

QStringList visibleCaptions(const frmSplashReports *w)
{
    QStringList out;
    for (XPButton *b : w->cmdShowReport)
        out << (b->Visible() ? b->Caption() : QStringLiteral("-"));
    return out;
}

// Reports 1..n whose query shows their number; ordine runs backwards so that the order is the
// table's, not the insertion's.
void addNumbered(const TestProgram &prog, int n)
{
    for (int i = n; i >= 1; --i)
        addReport(prog, i * 10, QStringLiteral(" %1 AS Numero").arg(i), QStringLiteral("Report %1").arg(i));
}
} // namespace

class TestReportChooser : public QObject {
    Q_OBJECT
private slots:
    void init() { resetReportStateForTests(); }
    void cleanup() { closeAllForms(); }

    // Long report titles wrap inside their buttons: no button is pushed out of the window or
    // over another, and the close button stays where it can be pressed.
    void shippedTitlesStayInsideTheWindow()
    {
        TestProgram prog;
        installShippedReports(prog);
        addReport(prog, 1000, QStringLiteral(" 1"),
                  QStringLiteral("Un titolo di report molto lungo che da solo occupa più righe del suo pulsante"));
        frmSplashReports *w = openChooser();
        NO_BOXES();
        QList<XPButton *> shown{w->cmdClose};
        for (XPButton *b : w->cmdShowReport)
            if (b->Visible())
                shown << b;
        QVERIFY(shown.size() > 10);
        const QRect inside = w->rect();
        for (int i = 0; i < shown.size(); ++i) {
            const QRect g = shown.at(i)->geometry();
            QVERIFY2(inside.contains(g), qPrintable(shown.at(i)->Caption()));
            for (int j = i + 1; j < shown.size(); ++j)
                QVERIFY2(!g.intersects(shown.at(j)->geometry()),
                         qPrintable(shown.at(i)->Caption() + " / " + shown.at(j)->Caption()));
        }
        QTest::mouseClick(w->cmdClose, Qt::LeftButton);
        QVERIFY(!FormInstance<frmSplashReports>::exists());
    }

    void buttonsFollowTheOrderAndSkipEmptyQueries()
    {
        TestProgram prog;
        addNumbered(prog, 20);
        // A report without a query keeps its place in the order, without a button.
        prog.exec("UPDATE reportistica SET sqlreport = NULL WHERE ordine = 30;"
                  "UPDATE reportistica SET sqlreport = '' WHERE ordine = 50;");
        frmSplashReports *w = openChooser();
        NO_BOXES();
        QStringList expected;
        for (int i = 1; i <= 17; ++i)
            expected << (i == 3 || i == 5 ? QStringLiteral("-") : QStringLiteral("Report %1").arg(i));
        QCOMPARE(visibleCaptions(w), expected);
        // Past the seventeenth the definitions are read but have no button.
        QCOMPARE(gArrReport[19].titolo, QStringLiteral("Report 20"));
        const ShownReport r = pressReport(w, 16);
        QCOMPARE(r.rows.value(1), QStringList{"17"});
        QCOMPARE(r.caption, QStringLiteral("Report - Report 17"));
        NO_BOXES();
    }

    void tooManyDefinitionsAreToldAtEveryLoad()
    {
        TestProgram prog;
        addNumbered(prog, 40);
        frmSplashReports *w = openChooser();
        QCOMPARE(prompts(), QStringList{kTooMany});
        QCOMPARE(gArrReport[35].titolo, QStringLiteral("Report 36"));
        DialogScript::reset();
        // The first seventeen still run; the load after the run tells it again.
        const ShownReport r = pressReport(w, 0);
        QCOMPARE(r.rows.value(1), QStringList{"1"});
        QCOMPARE(prompts(), QStringList{kTooMany});
        QCOMPARE(visibleCaptions(w).first(), QStringLiteral("Report 1"));
    }

    // A database without the table of reports: its error once, no button, the chooser closes by
    // its button.
    void databaseWithoutReports()
    {
        TestProgram prog;
        prog.exec("DROP TABLE reportistica");
        frmSplashReports *w = openChooser();
        QCOMPARE(DialogScript::boxes().size(), 1);
        QVERIFY(prompts().first().startsWith("Error 1 (no such table: reportistica) in procedure gRsOpen"));
        QCOMPARE(visibleCaptions(w), QStringList(17, "-"));
        QTest::mouseClick(w->cmdClose, Qt::LeftButton);
        QVERIFY(!FormInstance<frmSplashReports>::exists());
    }

    void mainWindowOpensTheChooser()
    {
        TestProgram prog;
        addNumbered(prog, 2);
        frmMain *m = openForm<frmMain>();
        gWhereAnagrafica = QStringLiteral("a.Comune = 'Roma'");
        QStringList seen;
        drive<frmSplashReports>([&](frmSplashReports *w) { seen = visibleCaptions(w).mid(0, 3); });
        QTest::mouseClick(m->cmdReportistica, Qt::LeftButton);
        QCOMPARE(seen, (QStringList{"Report 1", "Report 2", "-"}));
        QVERIFY(!FormInstance<frmSplashReports>::exists());
        // The filters stay as they were.
        QCOMPARE(gWhereAnagrafica, QStringLiteral("a.Comune = 'Roma'"));
        NO_BOXES();
    }
};

QTEST_MAIN(TestReportChooser)
#include "tst_reports_chooser.moc"
