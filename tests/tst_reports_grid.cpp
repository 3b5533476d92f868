// The report window: what a report's columns are headed, which are hidden yet exported, the
// amounts and their total, sorting, the printout and the CSV file, and a definition the database
// refuses.
#include "reports_support.h"

namespace {
const QString kCheques = QStringLiteral(
    " a.ASSEGNIEMESSIID, a.ANAGRAFICAID, a.ANAGRAFICAID AS anagraficaid, a.DataAssegno, a.SuPiazza, a.Importo,"
    " a.Importo * 2 AS ImportoDoppio, a.Importo AS importo, a.AssegnoNote, a.Causale FROM AssegniEmessi a"
    " ORDER BY a.ASSEGNIEMESSIID");

// The report window on a query, as the chooser leaves it for row 0.
frmReportistica *openReport(const QString &sql, const QString &title = QStringLiteral("Assegni"))
{
    gArrReport[0].sqlreport = sql;
    gArrReport[0].titolo = title;
    gReportIndex = 0;
    return openForm<frmReportistica>();
}
} // namespace

class TestReportGrid : public QObject {
    Q_OBJECT
private slots:
    void init()
    {
        resetReportStateForTests();
        gErrorTrapOn = true;
    }
    void cleanup() { closeAllForms(); }

    void columnsAmountsAndTotal()
    {
        TestProgram prog;
        seedShop(prog);
        frmReportistica *w = openReport(kCheques);
        NO_BOXES();
        QCOMPARE(w->Caption(), QStringLiteral("Report - Assegni"));
        QVERIFY(!w->cmdAdd && !w->cmdDelete && !w->cmdSelect);
        MSFlexGrid *g = w->MSFlexGrid1;
        // Keys keep their names (case decides what is a key) and are hidden; the notes of a
        // cheque read "Note"; every column named like an amount is shown as one and summed.
        QCOMPARE(gridRow(g, 0), (QStringList{"ASSEGNIEMESSIID", "ANAGRAFICAID", "anagraficaid", "Data Assegno",
                                             "Su Piazza", "Importo", "Importo Doppio", "importo", "Note", "Causale"}));
        QCOMPARE(g->ColWidth(0) + g->ColWidth(1), 0.0);
        QVERIFY(g->ColWidth(2) > 0);
        QCOMPARE(gridRow(g, 1), (QStringList{"1", "5", "5", "2011-08-10 00:00:00", "Vero", "300,00 €", "600,00 €",
                                             "300", "saldo", "Fornitura"}));
        QCOMPARE(w->lblTotaleImporti->Caption(), totalLine("1.352,25 €"));
    }

    void printoutAndExport()
    {
        TestProgram prog;
        seedShop(prog);
        prog.exec("UPDATE AssegniEmessi SET Causale = 'Fornitura \"A\" <urgente>' WHERE ASSEGNIEMESSIID = 1");
        frmReportistica *w = openReport(kCheques, "Assegni emessi");
        gColonneEscluse[1] = 3;
        QTest::mouseClick(w->cmdPrintGrid, Qt::LeftButton);
        NO_BOXES();
        QCOMPARE(gColonneEscluse[1], short(-1));
        const QString html = w->web->html();
        // The subtitle is the program's name, not the shop's heading; the hidden keys are left
        // out, every other column printed; the total line ends the page.
        QVERIFY(html.startsWith(kPageHead7 + kHeadingFont + "Norvik - Assegni emessi</p>" + kGridTable
                                + "<tr><th>anagraficaid</th><th>Data Assegno</th>"));
        QVERIFY(!html.contains("ASSEGNIEMESSIID") && !html.contains("<th>ANAGRAFICAID"));
        QVERIFY(html.contains("<td>Fornitura \"A\" &lt;urgente&gt;</td>"));
        QVERIFY(html.endsWith("</table>" + totalLine("1.352,25 €") + "</body></html>"));

        // The CSV file carries the hidden keys under their names.
        const QString file = prog.folder() + "/assegni";
        DialogScript::answerSaveFile(file);
        QTest::mouseClick(w->cmdEsportaDati, Qt::LeftButton);
        const QList<QByteArray> lines = readFile(file + ".csv").split('\n');
        QCOMPARE(lines.value(0), QByteArray("\"ASSEGNIEMESSIID\";\"ANAGRAFICAID\";\"anagraficaid\";\"Data Assegno\";"
                                            "\"Su Piazza\";\"Importo\";\"Importo Doppio\";\"importo\";\"Note\";"
                                            "\"Causale\"\r"));
        // Written in the ANSI code page: the euro sign is one byte.
        QCOMPARE(lines.value(1), QByteArray("\"1\";\"5\";\"5\";\"2011-08-10 00:00:00\";\"Vero\";\"300,00 \x80\";"
                                            "\"600,00 \x80\";\"300\";\"saldo\";\"Fornitura \"\"A\"\" <urgente>\"\r"));
        QCOMPARE(lines.size(), 4); // header, two rows, and the end after the last line break
    }

    // A definition that repeats the keyword, or one the database refuses for any reason: the
    // database's message alone, and the window opens empty with a zero total.
    void refusedDefinitionsOpenEmpty()
    {
        TestProgram prog;
        seedShop(prog);
        addReport(prog, 1, "SELECT Importo FROM Pagamenti", "Doppio");
        addReport(prog, 2, " SELECT Importo FROM Pagamenti", "Doppio con spazio");
        addReport(prog, 3, " Importo FROM Pagamenti WHERE DataPagamento >= '[P1]' AND", "Troncato");
        addReport(prog, 4, " Importo FROM Pagamenti", "Buono");
        frmSplashReports *chooser = openChooser();
        for (int i : {0, 1, 2}) {
            DialogScript::reset();
            const ShownReport r = pressReport(chooser, i);
            QVERIFY(r.opened);
            QCOMPARE(DialogScript::boxes().size(), 1);
            QVERIFY2(prompts().first().startsWith("Error 1 (")
                         && prompts().first().endsWith("in procedure gRsOpen of Modulo basGeneral"),
                     qPrintable(prompts().first()));
            QCOMPARE(r.rows.size(), 1);
            QVERIFY(r.totalVisible);
            QCOMPARE(r.total, totalLine("0,00 €"));
        }
        DialogScript::reset();
        const ShownReport r = pressReport(chooser, 3);
        QCOMPARE(r.rows.size(), 8);
        QCOMPARE(r.total, totalLine("1.558,25 €"));
        NO_BOXES();
    }
};

QTEST_MAIN(TestReportGrid)
#include "tst_reports_grid.moc"
