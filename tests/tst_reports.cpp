// The reports: the chooser with one button per stored report, the parameters a user answers,
// the report window, the customer-and-period dialog of the per-customer summary, and the report
// file shipped with the program with every shipped report run on a small shop.
#include "reports/basReportistica.h"
#include "reports/frmReportistica.h"
#include "reports/frmSelectReportVelmosta.h"
#include "reports/frmSplashReports.h"
#include "shell/basAggiornamentiDatabase.h"
#include "shell/frmMain.h"
#include "testsupport.h"
#include <QRandomGenerator>
#include <QRegularExpression>
#include <sqlite3.h>

namespace {
// The boxes shown since the last reset but the input boxes: messages and errors.
QStringList notInputs() { return boxLog().filter(QRegularExpression(QStringLiteral("^(?!input:)"))); }
#define NO_BOXES_BUT_INPUTS() QVERIFY2(notInputs().isEmpty(), qPrintable(boxLog().join('|')))

// One definition row; a null text is written as NULL.
void addReport(const TestProgram &prog, int ordine, const QString &sql, const QString &titolo,
               const QString &numparametri = QStringLiteral("0"), const QString &tipo1 = QString(),
               const QString &prompt1 = QString(), const QString &tipo2 = QString(), const QString &prompt2 = QString())
{
    prog.exec(QStringLiteral("INSERT INTO reportistica (ordine, sqlreport, titolo, numparametri, tipopar1, tipopar2, "
                             "promptpar1, promptpar2) VALUES (%1, %2, %3, %4, %5, %6, %7, %8)")
                  .arg(ordine)
                  .arg(sqlText(sql), sqlText(titolo), numparametri, sqlText(tipo1), sqlText(tipo2), sqlText(prompt1),
                       sqlText(prompt2)));
}

// The chooser as the main window opens it, on screen so that its buttons take clicks.
frmSplashReports *openChooser() { return onScreen(openForm<frmSplashReports>()); }

// What the report window showed before it was closed.
struct ShownReport {
    bool opened = false;
    QString caption;
    QString sql;             // the query text it ran, after "SELECT"
    QList<QStringList> rows; // row 0 the headers
    QList<double> widths;
    QString total;
    bool totalVisible = false;
};

// Presses report button i with the answers queued for its input boxes.
ShownReport pressReport(frmSplashReports *w, int i, const QStringList &answers = {})
{
    for (const QString &a : answers)
        DialogScript::answerInput(a);
    ShownReport shown;
    drive<frmReportistica>([&](frmReportistica *r) {
        shown.opened = true;
        shown.caption = r->Caption();
        shown.sql = gArrReport.at(size_t(gReportIndex)).sqlreport;
        const MSFlexGrid *g = r->MSFlexGrid1;
        for (int row = 0; row < g->Rows(); ++row)
            shown.rows << gridRow(g, row);
        for (int c = 0; c < g->Cols(); ++c)
            shown.widths << g->ColWidth(c);
        shown.total = r->lblTotaleImporti->Caption();
        shown.totalVisible = r->lblTotaleImporti->Visible();
    });
    QTest::mouseClick(w->cmdShowReport[size_t(i)], Qt::LeftButton);
    // A run that ended before the report window leaves its driver unused: dropped, the boxes
    // shown kept.
    if (!shown.opened) {
        const QList<DialogScript::Box> boxes = DialogScript::boxes();
        DialogScript::reset();
        DialogScript::boxes() = boxes;
    }
    return shown;
}

QString totalLine(const QString &amount)
{
    return QStringLiteral("Importo complessivo degli importi visualizzati: ") + amount;
}

const QString kShipped = QStringLiteral(NORVIK_SOURCE_DIR "/data/nuovireport.sql");
QString reportFile(const TestProgram &prog) { return prog.folder() + QStringLiteral("/nuovireport.sql"); }

// The shipped report file beside the program, run as a start runs it.
void installShippedReports(const TestProgram &prog)
{
    QFile::remove(reportFile(prog));
    QVERIFY(QFile::copy(kShipped, reportFile(prog)));
    AggiornaReportistica();
}

// The one message of a report file that was not applied.
QString notApplied(const QString &reason)
{
    return QStringLiteral("Il file dei report nuovireport.sql non è stato applicato: ") + reason
           + QStringLiteral(".\nLe definizioni dei report restano quelle di prima.");
}

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

const QString kMonth = QStringLiteral("Inserisci il mese (formato MM/AAAA)");
const QString kFrom = QStringLiteral("Inserisci la data di partenza (GG/MM/AAAA)");
const QString kTo = QStringLiteral("Inserisci la data di arrivo (GG/MM/AAAA)");

// The three dates of a parameter as one result row.
const QString kDates1 = QStringLiteral(" '[P1]' AS Uno, '[P1+1M]' AS Mese, '[P1+1A]' AS Anno");
const QString kDates2 = QStringLiteral(" '[P2]' AS Uno, '[P2+1M]' AS Mese, '[P2+1A]' AS Anno");

const QString kSummary =
    QStringLiteral(" a.PagamentiID, b.Cognome, a.DataPagamento, a.Importo FROM Pagamenti a, Anagrafica b"
                   " WHERE a.ANAGRAFICAID = b.ANAGRAFICAID AND b.ANAGRAFICAID = [P2] AND a.DataPagamento >= '[P1]'"
                   " AND a.DataPagamento < date('[P1ARR]', '+1 day') ORDER BY a.PagamentiID");

QStringList items(const XPComboBox *c)
{
    QStringList out;
    for (int i = 0; i < c->ListCount(); ++i)
        out << c->List(i);
    return out;
}

// The summary report as the only definition; its query text does not depend on the row's
// parameters, which the dialog replaces.
void addSummary(const TestProgram &prog)
{
    addReport(prog, 1, kSummary, kRiepilogoCliente, "2", "STRINGA", "non chiesto", "NUMERICO", "non chiesto");
}

QString definitions(const TestProgram &prog)
{
    return prog.scalar("SELECT group_concat(ordine || '|' || titolo || '|' || sqlreport, char(10)) FROM "
                       "(SELECT * FROM reportistica ORDER BY ordine)");
}

// A start on the report file holding `content` (none: /dev/zero in its place): one message, that
// the file was not applied for `reason`, and the definitions left as `before`.
void refusedWhole(const TestProgram &prog, const QByteArray &content, const QString &reason, const QString &before)
{
    QFile::remove(reportFile(prog));
    QVERIFY(content.isEmpty() ? QFile::link("/dev/zero", reportFile(prog)) : writeFile(reportFile(prog), content));
    AggiornaReportistica();
    QCOMPARE(prompts(), QStringList{notApplied(reason)});
    QCOMPARE(definitions(prog), before);
    DialogScript::reset();
}

struct Expected {
    QStringList answers;
    int rows;          // data rows
    QString total;     // "" when the report has no amount
    QStringList first; // leading cells of the first data row, as shown
};
} // namespace

class TestReports : public QObject {
    Q_OBJECT
private slots:
    void init()
    {
        resetReportStateForTests();
        gErrorTrapOn = false;
    }
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

    void columnsAmountsAndTotal()
    {
        gErrorTrapOn = true;
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
        gErrorTrapOn = true;
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
        gErrorTrapOn = true;
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

    void datesOfAMonthAndOfADay()
    {
        TestProgram prog;
        addReport(prog, 1, kDates1, "Mese", "1", "DATAMESE", "il mese (formato MM/AAAA)");
        addReport(prog, 2, kDates1, "Giorno", "1", "DATAPRECISA", "il giorno (formato GG/MM/AAAA)");
        addReport(prog, 3, " '[P1]' AS Dal, '[P1ARR]' AS Al, '[P1+1M]' AS Resta", "Periodo", "1", "DUEDATEPRECISE",
                  "non usato");
        addReport(prog, 4, kDates2, "Secondo", "2", "STRINGA", "il nome", "DATAPRECISA", "la data");
        frmSplashReports *w = openChooser();

        ShownReport r = pressReport(w, 0, {" 08/2011 "});
        QCOMPARE(boxLog(), QStringList{"input:" + kMonth + "|"});
        QCOMPARE(r.rows.value(1), (QStringList{"2011-08-01 00:00:00", "2011-09-01 00:00:00", "2012-08-01 00:00:00"}));
        DialogScript::reset();

        // A month later keeps the day or takes the last day of a shorter month; a year later
        // from 29 February is 28 February.
        r = pressReport(w, 1, {"31/01/2011"});
        QCOMPARE(r.rows.value(1), (QStringList{"2011-01-31 00:00:00", "2011-02-28 00:00:00", "2012-01-31 00:00:00"}));
        r = pressReport(w, 1, {"29/02/2012"});
        QCOMPARE(r.rows.value(1), (QStringList{"2012-02-29 00:00:00", "2012-03-29 00:00:00", "2013-02-28 00:00:00"}));
        // The stored form is a date too.
        r = pressReport(w, 1, {"2011-12-31"});
        QCOMPARE(r.rows.value(1).value(1), QStringLiteral("2012-01-31 00:00:00"));
        DialogScript::reset();

        // Two dates: fixed prompts; only [P1] and [P1ARR] are filled.
        r = pressReport(w, 2, {"01/03/2011", "15/03/2011"});
        QCOMPARE(prompts(), (QStringList{kFrom, kTo}));
        QCOMPARE(r.rows.value(1), (QStringList{"2011-03-01 00:00:00", "2011-03-15 00:00:00", "[P1+1M]"}));
        DialogScript::reset();

        // The second parameter fills the [P2...] forms.
        r = pressReport(w, 3, {"Rossi", "31/03/2011"});
        QCOMPARE(prompts(), (QStringList{"Inserisci il nome", "Inserisci la data"}));
        QCOMPARE(r.rows.value(1), (QStringList{"2011-03-31 00:00:00", "2011-04-30 00:00:00", "2012-03-31 00:00:00"}));
        NO_BOXES_BUT_INPUTS();
    }

    void refusedAndBlankAnswersEndTheRun()
    {
        TestProgram prog;
        addReport(prog, 1, kDates1, "Mese", "1", "DATAMESE", "il mese (formato MM/AAAA)");
        addReport(prog, 2, kDates1, "Giorno", "1", "DATAPRECISA", "il giorno");
        addReport(prog, 3, " '[P1]', '[P1ARR]'", "Periodo", "1", "DUEDATEPRECISE");
        addReport(prog, 4, kDates2, "Secondo", "2", "NUMERICO", "il numero", "DATAPRECISA", "la data");
        addReport(prog, 5, " '[P1]'", "Testo", "1", "STRINGA", "il testo");
        addReport(prog, 6, " [P1] AS n", "Numero", "1", "NUMERICO", "il numero");
        frmSplashReports *w = openChooser();

        struct Case {
            int button;
            QStringList answers;
            QStringList boxes; // after the input boxes
        };
        const auto refusal = [](const QString &m) { return QStringList{msg(m)}; };
        const QList<Case> cases = {
            {0, {"13/2011"}, refusal("Formato del mese non valido")},
            {1, {"31/02/2011"}, refusal("Formato data non valida")},
            // A wrong start date: the end date is not asked.
            {2, {"32/01/2011", "01/02/2011"}, refusal("Formato data non valida")},
            {2, {"01/01/2011", "01/13/2011"}, refusal("Formato data non valida")},
            {3, {"5", "1/1"}, refusal("Formato della data non valido")},
            {5, {"1e3"}, refusal("Formato numerico non valido")},
            // Blank or cancelled answers end the run without a word, on every type.
            {0, {"   "}, {}},
            {2, {"\t"}, {}},
            {2, {"01/01/2011", "  "}, {}},
            {3, {"7", " "}, {}},
            {4, {"  "}, {}},
        };
        for (const Case &c : cases) {
            DialogScript::reset();
            const ShownReport r = pressReport(w, c.button, c.answers);
            QVERIFY2(!r.opened, qPrintable(c.answers.join('|')));
            QCOMPARE(notInputs(), c.boxes);
            const bool wrongStart = c.answers.first() == "32/01/2011";
            QCOMPARE(boxLog().size() - c.boxes.size(), wrongStart ? 1 : c.answers.size());
            // The stored text is back for the next run.
            QVERIFY(gArrReport[size_t(c.button)].sqlreport.contains("[P"));
        }
        QCOMPARE(FormInstance<frmReportistica>::exists(), false);
    }

    // Numbers are read the Italian way and reach the query as the database writes them; texts
    // reach it between their quotes whatever they hold.
    void numbersAndTextsReachTheQueryAsValues()
    {
        TestProgram prog;
        prog.exec("CREATE TABLE Voci (Testo TEXT, Valore NUMERIC);"
                  "INSERT INTO Voci VALUES ('D''Amico', 1), ('x'' OR ''1''=''1', 2), ('a -- b', 3), ('c; DROP TABLE "
                  "Voci', 4),"
                  " ('\"virgolette\"', 5), ('Rossi', 12.5), (' Bianchi', 1250.5), ('Neri', -3);");
        addReport(prog, 1, " [P1] AS Numero", "Numero", "1", "NUMERICO", "il numero");
        addReport(prog, 2, " Testo, Valore FROM Voci WHERE Testo = '[P1]'", "Testo", "1", "STRINGA", "il testo");
        addReport(prog, 3, " Testo FROM Voci WHERE Valore >= [P1] ORDER BY Valore", "Soglia", "1", "NUMERICO",
                  "la soglia");
        addReport(prog, 4, " Testo FROM Voci WHERE Valore = 0 -[P1]", "Opposto", "1", "NUMERICO", "il numero");
        frmSplashReports *w = openChooser();

        const QList<QPair<QString, QString>> numbers = {
            {"1.250,50", "1250.5"}, {"1.250", "1250"}, {"0.125", "0.125"}, {" 7 ", "7"}, {"-3", "(-3)"}};
        for (const auto &n : numbers) {
            const ShownReport r = pressReport(w, 0, {n.first});
            QCOMPARE(r.sql, QStringLiteral(" ") + n.second + QStringLiteral(" AS Numero"));
        }
        QCOMPARE(pressReport(w, 2, {"12,5"}).rows.mid(1), (QList<QStringList>{{"Rossi"}, {" Bianchi"}}));
        // A minus before the placeholder and a negative answer do not make a comment.
        QCOMPARE(pressReport(w, 3, {"-3"}).rows.mid(1), (QList<QStringList>{{"a -- b"}}));
        DialogScript::reset();

        // Apostrophes, comment marks, semicolons and double quotes are matched as typed; the
        // blanks typed stay.
        const QStringList texts = {"x' OR '1'='1", "c; DROP TABLE Voci", "\"virgolette\"", " Bianchi"};
        for (const QString &t : texts) {
            const ShownReport r = pressReport(w, 1, {t});
            QCOMPARE(r.rows.size(), 2);
            QCOMPARE(r.rows.at(1).first(), t);
        }
        QCOMPARE(pressReport(w, 1, {"D'Amico"}).sql,
                 QStringLiteral(" Testo, Valore FROM Voci WHERE Testo = 'D''Amico'"));
        QCOMPARE(pressReport(w, 1, {"Bianchi"}).rows.first().first(), QStringLiteral("0 Records"));
        NO_BOXES_BUT_INPUTS();
        QCOMPARE(prog.scalar("SELECT count(*) FROM Voci"), QStringLiteral("8"));
    }

    void placeholdersAreMatchedExactly()
    {
        TestProgram prog;
        addReport(prog, 1, " '[P1]' AS a, '[P1]' AS b, '[p1]' AS c, '[P1' AS d, '[P2]' AS e", "Due volte", "2",
                  "STRINGA", "il primo", "STRINGA", "il secondo");
        addReport(prog, 2, " '[P1]' AS a", "Tipo minuscolo", "1", "datamese", "il mese");
        addReport(prog, 3, " '[P1]' AS a, '[P2]' AS b", "Secondo tipo ignoto", "2", "STRINGA", "il testo",
                  "DUEDATEPRECISE", "le date");
        addReport(prog, 4, " '[P1]' AS a", "Nessuno", "0", "STRINGA", "il testo");
        frmSplashReports *w = openChooser();

        // Every occurrence is replaced; another letter case or a broken placeholder is not. An
        // answer that holds a placeholder of the later parameter is kept as typed.
        ShownReport r = pressReport(w, 0, {"[P2]", "due"});
        QCOMPARE(r.rows.value(1), (QStringList{"[P2]", "[P2]", "[p1]", "[P1", "due"}));
        DialogScript::reset();
        // A type in other letters asks nothing and the run goes on with the text as stored.
        r = pressReport(w, 1);
        NO_BOXES();
        QCOMPARE(r.rows.value(1), QStringList{"[P1]"});
        // "DUEDATEPRECISE" is no type of the second parameter.
        r = pressReport(w, 2, {"uno"});
        QCOMPARE(prompts(), QStringList{"Inserisci il testo"});
        QCOMPARE(r.rows.value(1), (QStringList{"uno", "[P2]"}));
        DialogScript::reset();
        r = pressReport(w, 3);
        NO_BOXES();
        QCOMPARE(r.rows.value(1), QStringList{"[P1]"});
    }

    // Each run starts from the stored text: after a finished run, a cancelled one or a failed one.
    void everyRunStartsFromTheStoredText()
    {
        TestProgram prog;
        addReport(prog, 1, " '[P1]' AS a, '[P2]' AS b", "Due", "2", "STRINGA", "il primo", "STRINGA", "il secondo");
        addReport(prog, 2, " '[P1]' AS a", "Rotto", "'due'", "STRINGA", "il testo");
        addReport(prog, 3, " '[P1]' AS a", "Senza numero", "NULL", "STRINGA", "il testo");
        frmSplashReports *w = openChooser();
        const QString stored = gArrReport[0].sqlreport;

        QCOMPARE(pressReport(w, 0, {"uno", "due"}).rows.value(1), (QStringList{"uno", "due"}));
        QCOMPARE(gArrReport[0].sqlreport, stored);
        // The second answer cancelled, then a new first answer: the new one is used.
        QVERIFY(!pressReport(w, 0, {"vecchio", ""}).opened);
        QCOMPARE(gArrReport[0].sqlreport, stored);
        QCOMPARE(pressReport(w, 0, {"nuovo", "due"}).rows.value(1), (QStringList{"nuovo", "due"}));
        DialogScript::reset();

        // A number of parameters that is not a number: the run's error message, nothing asked.
        for (int i : {1, 2}) {
            QVERIFY(!pressReport(w, i).opened);
            QCOMPARE(DialogScript::boxes().size(), 1);
            QVERIFY2(prompts().first().endsWith("in procedure cmdShowReport_Click of Form frmSplashReports"),
                     qPrintable(prompts().first()));
            DialogScript::reset();
        }
        QCOMPARE(pressReport(w, 0, {"ancora", "qui"}).rows.value(1), (QStringList{"ancora", "qui"}));
    }

    void customersAndTheWayOut()
    {
        TestProgram prog;
        seedShop(prog);
        prog.addCustomer(6, "Rossi", {{"Nome", "Mario"}});
        frmSelectReportVelmosta *d = openForm<frmSelectReportVelmosta>();
        d->show();
        QVERIFY(QTest::qWaitForWindowExposed(d));
        NO_BOXES();
        // By surname and name; a missing name leaves the surname; namesakes stay two items.
        QCOMPARE(items(d->cboDescrizione),
                 (QStringList{"Bianchi Anna", "D'Amico Luca", "Neri Carla", "Rossi Mario", "Rossi Mario", "Verdi "}));
        QCOMPARE(d->cboDescrizione->ItemData(3) + d->cboDescrizione->ItemData(4), qint64(7));
        QCOMPARE(d->idDelSocio, qint64(-1));

        // Neither Esc nor the window system closes it.
        QTest::keyClick(d, Qt::Key_Escape);
        d->close();
        QVERIFY(d->isLoaded() && d->isVisible());

        // A customer picked with the keyboard.
        d->cboDescrizione->setFocus();
        QTest::keyClick(d->cboDescrizione, Qt::Key_Down);
        QTest::keyClick(d->cboDescrizione, Qt::Key_Down);
        QCOMPARE(d->cboDescrizione->Text(), QStringLiteral("D'Amico Luca"));
        QCOMPARE(d->idDelSocio, qint64(3));
        QTest::mouseClick(d->cmdOK, Qt::LeftButton);
        QVERIFY(!FormInstance<frmSelectReportVelmosta>::exists());
        QCOMPARE(gReportAnagraficaID, qint64(3));
        QCOMPARE(gReportDataDa, QStringLiteral("31/12/1909"));
        QCOMPARE(gReportDataA, QStringLiteral("31/12/2099"));
        NO_BOXES();

        // Every opening starts empty, the key back to all customers.
        d = openForm<frmSelectReportVelmosta>();
        QCOMPARE(d->cboDescrizione->ListIndex(), -1);
        QCOMPARE(d->idDelSocio, qint64(-1));
        QVERIFY(d->txtDataDa->Text().isEmpty() && d->txtDataA->Text().isEmpty());
    }

    void datesAreCheckedAndKeptAsTyped()
    {
        TestProgram prog;
        frmSelectReportVelmosta *d = openForm<frmSelectReportVelmosta>();
        QCOMPARE(d->cboDescrizione->ListCount(), 0);
        struct Case {
            QString da, a, message;
        };
        const QList<Case> refused = {
            {"31/02/2011", "", "Formato data di partenza non valido"},
            {"   ", "", "Formato data di partenza non valido"},
            {"", "1/13/2011", "Formato data di arrivo non valido"},
        };
        for (const Case &c : refused) {
            DialogScript::reset();
            d->txtDataDa->clear();
            d->txtDataA->clear();
            QTest::keyClicks(d->txtDataDa, c.da);
            QTest::keyClicks(d->txtDataA, c.a);
            QTest::mouseClick(d->cmdOK, Qt::LeftButton);
            QCOMPARE(boxLog(), QStringList{msg(c.message)});
            // Nothing stored, the dialog open with what was typed.
            QVERIFY(d->isLoaded());
            QCOMPARE(d->txtDataDa->Text(), c.da);
            QCOMPARE(gReportDataDa, kDataDaVuota);
            QCOMPARE(gReportAnagraficaID, qint64(-1));
        }
        // A start after the end is taken as it is; the texts are kept as typed.
        DialogScript::reset();
        d->txtDataDa->clear();
        d->txtDataA->clear();
        QTest::keyClicks(d->txtDataDa, " 31/12/2011");
        QTest::keyClicks(d->txtDataA, "2011-01-01");
        QTest::mouseClick(d->cmdOK, Qt::LeftButton);
        NO_BOXES();
        QVERIFY(!FormInstance<frmSelectReportVelmosta>::exists());
        QCOMPARE(gReportDataDa, QStringLiteral(" 31/12/2011"));
        QCOMPARE(gReportDataA, QStringLiteral("2011-01-01"));
    }

    void summaryForOneCustomerOrAll()
    {
        TestProgram prog;
        seedShop(prog);
        addSummary(prog);
        frmSplashReports *w = openChooser();

        // Never confirmed in this run: all customers over the widest period.
        drive<frmSelectReportVelmosta>([](frmSelectReportVelmosta *) {});
        ShownReport r = pressReport(w, 0);
        NO_BOXES();
        QVERIFY(r.sql.contains("b.ANAGRAFICAID = b.anagraficaid AND a.DataPagamento >= '1909-12-31 00:00:00' AND "
                               "a.DataPagamento < date('2099-12-31 00:00:00', '+1 day')"));
        QCOMPARE(r.rows.size(), 8);
        QCOMPARE(r.total, totalLine("1.558,25 €"));

        // One customer and a period: the row's own parameters are not asked.
        drive<frmSelectReportVelmosta>([](frmSelectReportVelmosta *d) {
            d->cboDescrizione->setListIndex(3); // Rossi Mario
            QTest::keyClicks(d->txtDataDa, "01/08/2011");
            QTest::keyClicks(d->txtDataA, "01/09/2011");
            d->cmdOK->click();
        });
        r = pressReport(w, 0);
        NO_BOXES();
        QCOMPARE(r.caption, "Report - " + kRiepilogoCliente);
        QCOMPARE(r.rows.mid(1), (QList<QStringList>{{"1", "Rossi", "2011-08-01 00:00:00", "50,00 €"},
                                                    {"4", "Rossi", "2011-09-01 00:00:00", "12,50 €"}}));
        QCOMPARE(r.total, totalLine("62,50 €"));
        // The stored text is back after each run.
        QCOMPARE(gArrReport[0].sqlreport, kSummary);
    }

    void shippedDefinitions()
    {
        TestProgram prog;
        addReport(prog, 99, " 1", "Vecchio report");
        installShippedReports(prog);
        NO_BOXES();
        const int count = prog.scalar("SELECT count(*) FROM reportistica").toInt();
        QVERIFY(count > 0 && count <= 17);
        QCOMPARE(prog.scalar("SELECT count(*) FROM reportistica WHERE titolo = 'Vecchio report'"), QStringLiteral("0"));
        QCOMPARE(prog.scalar("SELECT count(*) FROM reportistica WHERE substr(sqlreport, 1, 1) <> ' ' OR "
                             "upper(ltrim(sqlreport)) LIKE 'SELECT %'"),
                 QStringLiteral("0"));

        // The next start leaves exactly the same definitions.
        const QString first = definitions(prog);
        AggiornaReportistica();
        NO_BOXES();
        QCOMPARE(definitions(prog), first);
        // A definition changed in the file takes effect at the next start.
        QByteArray text = readFile(reportFile(prog));
        text.replace("'Pagamenti del mese'", "'Pagamenti di un mese'");
        QVERIFY(writeFile(reportFile(prog), text));
        AggiornaReportistica();
        NO_BOXES();
        QCOMPARE(prog.scalar("SELECT titolo FROM reportistica WHERE ordine = 1"),
                 QStringLiteral("Pagamenti di un mese"));
        QCOMPARE(prog.scalar("SELECT count(*) FROM reportistica"), QString::number(count));
    }

    // A start applies the file whole or leaves the definitions as they were, with one message.
    void aStartNeverLeavesHalfTheDefinitions()
    {
        TestProgram prog;
        installShippedReports(prog);
        const QString shipped = definitions(prog);

        // Another program holds the database: one message, nothing changed.
        sqlite3 *other = nullptr;
        QCOMPARE(sqlite3_open(prog.dbPath().toUtf8().constData(), &other), SQLITE_OK);
        QCOMPARE(sqlite3_exec(other, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr), SQLITE_OK);
        refusedWhole(prog,
                     "DELETE FROM reportistica\nINSERT INTO reportistica (ordine, sqlreport, titolo) VALUES (1, ' 1', "
                     "'Nuovo')\n",
                     "il database è bloccato da un altro programma che lo sta modificando (database is locked)",
                     shipped);
        sqlite3_close(other);

        // The disk fills half-way: the database takes the write back; the lines after it are
        // not run on their own.
        const QString pages = prog.scalar("PRAGMA page_count");
        gSqliteDb->execute(QStringLiteral("PRAGMA max_page_count = %1").arg(pages.toInt() + 1));
        refusedWhole(prog,
                     "DELETE FROM reportistica\n"
                     "INSERT INTO reportistica (ordine, titolo) VALUES (1, 'Uno')\n"
                     "INSERT INTO reportistica (ordine, titolo) VALUES (2, zeroblob(100000))\n"
                     "INSERT INTO reportistica (ordine, titolo) VALUES (3, 'Tre')\n",
                     "il database ha rifiutato la riga 3 (database or disk is full)", shipped);
        gSqliteDb->execute(QStringLiteral("PRAGMA max_page_count = 1073741823"));

        // One line refused: nothing of the file is kept, not even the lines before it.
        refusedWhole(prog,
                     "DELETE FROM reportistica\r\n"
                     "INSERT INTO reportistica (ordine, titolo) VALUES (1, 'Uno')\r\n"
                     "\r\n"
                     "INSERT INTO nessuna VALUES (1)\r\n"
                     "INSERT INTO reportistica (ordine, titolo) VALUES (3, 'Tre')\r\n",
                     "il database ha rifiutato la riga 4 (no such table: nessuna)", shipped);
        QVERIFY(!gSqliteDb->inTransaction());

        // A line that makes the database take the whole write back ends the file there; a good
        // file reads what it likes, and a definition there from an earlier start is passed over.
        refusedWhole(prog,
                     "INSERT INTO reportistica (ordine, titolo) VALUES (60, 'Sessanta')\n"
                     "INSERT OR ROLLBACK INTO reportistica (ordine, titolo) VALUES (1, 'Uno')\n"
                     "INSERT INTO reportistica (ordine, titolo) VALUES (61, 'Sessantuno')\n",
                     "il database ha rifiutato la riga 2 (UNIQUE constraint failed: reportistica.ordine)", shipped);
        QVERIFY(writeFile(reportFile(prog),
                          "INSERT INTO reportistica (ordine, titolo) VALUES (1, 'Uno')\n"
                          "INSERT INTO reportistica (ordine, titolo) SELECT 50, max(Cognome) FROM Anagrafica\n"
                          "DELETE FROM reportistica WHERE ordine BETWEEN 2 AND 49\n"));
        prog.addCustomer(1, "Zeta");
        AggiornaReportistica();
        NO_BOXES();
        QCOMPARE(prog.scalar("SELECT group_concat(ordine || titolo) FROM reportistica"),
                 QStringLiteral("1Pagamenti del mese,50Zeta"));
    }

    // While the file runs it reads anything and writes the report definitions only: a line that
    // would write anything else is refused by the database, nothing of the file is kept, one
    // message names the line and the reason, and the program writes as before afterwards.
    void reportFileWritesDefinitionsOnly_data()
    {
        QTest::addColumn<QByteArray>("line"); // after the shipped lines; none: a trigger of the database
        QTest::addColumn<QString>("reason");
        QTest::newRow("drop") << QByteArray("DROP TABLE anagrafica;") << "cambia la struttura del database";
        QTest::newRow("another table") << QByteArray("SELECT 1; INSERT INTO Anagrafica (Cognome) VALUES ('x')")
                                       << "scrive nella tabella Anagrafica";
        QTest::newRow("attach") << QByteArray("ATTACH 'altro.db3' AS altro") << "collega o scollega un altro database";
        QTest::newRow("pragma") << QByteArray("PRAGMA journal_mode = OFF")
                                << "cambia un'impostazione del database (PRAGMA journal_mode)";
        QTest::newRow("commit") << QByteArray("COMMIT") << "apre o chiude una transazione (COMMIT)";
        QTest::newRow("trigger") << QByteArray() << "scrive nella tabella Anagrafica attraverso il trigger svuota";
    }
    void reportFileWritesDefinitionsOnly()
    {
        QFETCH(QByteArray, line);
        QFETCH(QString, reason);
        TestProgram prog;
        seedShop(prog);
        addReport(prog, 99, " 1", "Vecchio report");
        if (line.isEmpty())
            prog.exec("CREATE TRIGGER svuota AFTER INSERT ON reportistica BEGIN DELETE FROM Anagrafica; END");
        // All that a line could reach, in one text.
        const auto state = [&] {
            return definitions(prog) + prog.scalar("SELECT group_concat(name || sql) FROM sqlite_master")
                   + prog.scalar("SELECT group_concat(Cognome) FROM Anagrafica")
                   + gSqliteDb->query("PRAGMA journal_mode")->Fields()(0).Text()
                   + QString::number(QFileInfo::exists(prog.folder() + "/altro.db3"));
        };
        const QString before = state();
        const QByteArray file = readFile(kShipped) + line + "\n";
        refusedWhole(prog, file,
                     QStringLiteral("il database ha rifiutato la riga %1 (not authorized: %2, mentre il file dei "
                                    "report può scrivere solo nella tabella reportistica)")
                         .arg(line.isEmpty() ? 2 : int(file.count('\n')))
                         .arg(reason),
                     definitions(prog));
        QCOMPARE(state(), before);
        // The confinement ends with the file.
        QVERIFY(!gSqliteDb->inTransaction());
        QVERIFY(gDbExecute("DROP TABLE Girate"));
    }

    // A file that is no text, or larger than 1 MB, or a device in its place, is refused whole with
    // one message; a file of exactly 1 MB is applied.
    void reportFileThatIsNoTextIsRefused()
    {
        TestProgram prog;
        addReport(prog, 99, " 1", "Vecchio report");
        const QString before = definitions(prog);
        const QByteArray shipped = readFile(kShipped);
        const QByteArray full = shipped + QByteArray(1024 * 1024 - shipped.size() - 1, '-') + "\n";
        QByteArray withNul = shipped, noise(64 * 1024, '\0');
        withNul[shipped.indexOf("VALUES (3,")] = '\0';
        QRandomGenerator(14).fillRange(reinterpret_cast<quint32 *>(noise.data()), noise.size() / 4);
        const QString notText = "non è un file di testo UTF-8 (la riga %1 contiene caratteri non validi)";
        const QList<std::pair<QByteArray, QString>> refused = {
            {withNul, notText.arg(4)},
            {"-- Attivit\xE0"
             " del mese\n"
                 + shipped,
             notText.arg(1)},
            {shipped + "SELECT 1;\x1b[2J\n", notText.arg(19)},
            {noise, notText.arg(1)},
            {full + "\n", "è più grande di 1 MB, troppo per un file di definizioni dei report"},
            {QByteArray(), "non è un file di testo"}}; // /dev/zero in its place
        for (const auto &[content, reason] : refused)
            refusedWhole(prog, content, reason, before);
        QFile::remove(reportFile(prog));
        QVERIFY(writeFile(reportFile(prog), full));
        AggiornaReportistica();
        NO_BOXES();
        QVERIFY(definitions(prog) != before);
    }

    // Every shipped report, with sample answers, on a small shop: no database error and the
    // rows a user expects.
    void everyShippedReportRuns()
    {
        TestProgram prog;
        seedShop(prog);
        installShippedReports(prog);
        const QHash<QString, Expected> expected = {
            {"Pagamenti del mese", {{"08/2011"}, 3, "1.330,50 €", {"1", "01/08/2011", "Rossi"}}},
            {"Pagamenti tra due date", {{"01/08/2011", "01/09/2011"}, 4, "1.343,00 €", {"1", "01/08/2011"}}},
            {"Pagamenti del giorno", {{"15/08/2011"}, 1, "1.250,50 €", {"2", "15/08/2011", "Bianchi", "Anna"}}},
            {"Iscrizioni in scadenza nel mese", {{"08/2011"}, 1, "", {"1", "Rossi", "Mario", "0001", "Socio"}}},
            {"Iscrizioni scadute alla data", {{"01/09/2011"}, 2, "", {"1", "Rossi"}}},
            {"Clienti per tipologia", {{"SOCIO"}, 3, "", {"1", "Socio", "Rossi"}}},
            {"Pagamenti pari o superiori a un importo", {{"75,25"}, 3, "1.425,75 €", {"2", "15/08/2011", "Bianchi"}}},
            {"Pagamenti per causale nel mese", {{"08/2011", "quota"}, 2, "80,00 €", {"1", "01/08/2011", "Rossi"}}},
            {"Nuovi iscritti di una tipologia dalla data",
             {{"d'onore", "01/08/2011"}, 1, "", {"3", "D'Amico", "Luca", "0003", "Socio d'onore"}}},
            {"Incassi mensili per dodici mesi", {{"08/2011"}, 3, "1.518,25 €", {"2011", "08", "3", "1.330,50 €"}}},
            {"Totale pagamenti per cliente nel periodo",
             {{"01/01/2011", "31/12/2011"}, 4, "1.443,00 €", {"2", "Bianchi", "Anna", "0002", "1"}}},
            {"Riepilogo pagamenti cliente per periodo", {{}, 7, "1.558,25 €", {"2", "2", "Bianchi"}}},
            {"Assegni emessi tra due date",
             {{"01/08/2011", "31/08/2011"},
              1,
              "300,00 €",
              {"1", "10/08/2011", "100200", "Neri Carla", "Conto negozio"}}},
            {"Versamenti in banca del periodo",
             {{"01/01/2011", "31/12/2012"},
              2,
              "1.325,75 €",
              {"20/08/2011", "Conto negozio", "Banca Uno", "Bianchi Anna"}}},
            {"Girate di assegni del periodo",
             {{"01/09/2011", "30/09/2011"}, 1, "30,00 €", {"05/09/2011", "D'Amico Luca", "Neri Carla", "Vero"}}},
            {"Clienti senza pagamenti dalla data", {{"01/01/2012"}, 3, "", {"5", "Neri", "Carla"}}},
            {"Compleanni del mese", {{"08/2012"}, 2, "", {"2", "Bianchi", "Anna", "0002", "02/08/1975", "37"}}},
        };
        frmSplashReports *w = openChooser();
        NO_BOXES();
        int run = 0;
        for (int i = 0; i < 17; ++i) {
            XPButton *b = w->cmdShowReport[size_t(i)];
            if (!b->Visible())
                continue;
            const QString title = b->Caption();
            QVERIFY2(expected.contains(title), qPrintable(title));
            const Expected &e = expected[title];
            DialogScript::reset();
            if (title == kRiepilogoCliente)
                drive<frmSelectReportVelmosta>([](frmSelectReportVelmosta *d) { d->cmdOK->click(); });
            const ShownReport r = pressReport(w, i, e.answers);
            QVERIFY2(r.opened, qPrintable(title));
            NO_BOXES_BUT_INPUTS();
            QVERIFY2(!r.sql.contains("[P"), qPrintable(r.sql));
            QCOMPARE(r.rows.size() - 1, e.rows);
            QCOMPARE(r.rows.value(1).mid(0, int(e.first.size())), e.first);
            if (e.total.isEmpty()) {
                QVERIFY2(!r.totalVisible, qPrintable(title));
            } else {
                QVERIFY2(r.totalVisible, qPrintable(title));
                QCOMPARE(r.total, totalLine(e.total));
            }
            // Headers are words, never a raw field name run together with an alias or key.
            for (int c = 0; c < r.rows.first().size(); ++c)
                if (r.widths.at(c) > 0)
                    QVERIFY2(!r.rows.first().at(c).contains('.') && !r.rows.first().at(c).contains('('),
                             qPrintable(title + ": " + r.rows.first().at(c)));
            ++run;
        }
        QCOMPARE(run, expected.size());
    }
};

QTEST_MAIN(TestReports)
#include "tst_reports.moc"
