// The report parameters as the user answers them: the input boxes each type asks, the checks and
// their messages, the dates a month and a year later, texts and numbers put into the query, and
// every run starting again from the stored query text.
#include "reports_support.h"

namespace {
const QString kMonth = QStringLiteral("Inserisci il mese (formato MM/AAAA)");
const QString kFrom = QStringLiteral("Inserisci la data di partenza (GG/MM/AAAA)");
const QString kTo = QStringLiteral("Inserisci la data di arrivo (GG/MM/AAAA)");

// The three dates of a parameter as one result row.
const QString kDates1 = QStringLiteral(" '[P1]' AS Uno, '[P1+1M]' AS Mese, '[P1+1A]' AS Anno");
const QString kDates2 = QStringLiteral(" '[P2]' AS Uno, '[P2+1M]' AS Mese, '[P2+1A]' AS Anno");
} // namespace

class TestReportParameters : public QObject {
    Q_OBJECT
private slots:
    void init() { resetReportStateForTests(); }
    void cleanup() { closeAllForms(); }

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
            QStringList messages;
            int inputs = 0;
            for (const auto &b : DialogScript::boxes())
                b.kind == DialogScript::Box::Input ? void(++inputs)
                                                   : void(messages << msg(b.prompt, b.buttons, b.title));
            QCOMPARE(messages, c.boxes);
            const bool wrongStart = c.answers.first() == "32/01/2011";
            QCOMPARE(inputs, wrongStart ? 1 : int(c.answers.size()));
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

        const QList<QPair<QString, QString>> numbers = {{"1.250,50", "1250.5"}, {" 7 ", "7"}, {"-3", "(-3)"}};
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
};

QTEST_MAIN(TestReportParameters)
#include "tst_reports_parameters.moc"
