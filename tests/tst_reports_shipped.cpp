// The report file shipped with the program: what it leaves in the database at every start, how
// a start applies it (whole or not at all), and every shipped report run on a small shop.
#include "reports_support.h"
#include <sqlite3.h>

namespace {
QString definitions(const TestProgram &prog)
{
    return prog.scalar("SELECT group_concat(ordine || '|' || titolo || '|' || sqlreport, char(10)) FROM "
                       "(SELECT * FROM reportistica ORDER BY ordine)");
}

struct Expected {
    QStringList answers;
    int rows;          // data rows
    QString total;     // "" when the report has no amount
    QStringList first; // leading cells of the first data row, as shown
};
} // namespace

class TestReportsShipped : public QObject {
    Q_OBJECT
private slots:
    void init() { resetReportStateForTests(); }
    void cleanup() { closeAllForms(); }

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
        const QString file = prog.folder() + "/nuovireport.sql";
        QByteArray text = readFile(file);
        text.replace("'Pagamenti del mese'", "'Pagamenti di un mese'");
        QVERIFY(writeFile(file, text));
        AggiornaReportistica();
        NO_BOXES();
        QCOMPARE(prog.scalar("SELECT titolo FROM reportistica WHERE ordine = 1"),
                 QStringLiteral("Pagamenti di un mese"));
        QCOMPARE(prog.scalar("SELECT count(*) FROM reportistica"), QString::number(count));
    }

    // A start applies the file whole or leaves the definitions as they were.
    void aStartNeverLeavesHalfTheDefinitions()
    {
        TestProgram prog;
        installShippedReports(prog);
        const QString shipped = definitions(prog);
        const QString file = prog.folder() + "/nuovireport.sql";

        // Another program holds the database: one message, nothing changed.
        {
            sqlite3 *other = nullptr;
            QCOMPARE(sqlite3_open(prog.dbPath().toUtf8().constData(), &other), SQLITE_OK);
            QCOMPARE(sqlite3_exec(other, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr), SQLITE_OK);
            QVERIFY(writeFile(file, "DELETE FROM reportistica\nINSERT INTO reportistica (ordine, sqlreport, titolo) "
                                    "VALUES (1, ' 1', 'Nuovo')\n"));
            AggiornaReportistica();
            QCOMPARE(prompts(), QStringList{"Error 5 (database is locked) in procedure AggiornaReportistica of "
                                            "Modulo basAggiornamentiDatabase"});
            sqlite3_exec(other, "ROLLBACK", nullptr, nullptr, nullptr);
            sqlite3_close(other);
        }
        QCOMPARE(definitions(prog), shipped);
        DialogScript::reset();

        // The disk fills half-way: the database takes the write back; the lines after it are
        // not run on their own.
        const QString pages = prog.scalar("PRAGMA page_count");
        gSqliteDb->execute(QStringLiteral("PRAGMA max_page_count = %1").arg(pages.toInt() + 1));
        QVERIFY(writeFile(file, "DELETE FROM reportistica\n"
                                "INSERT INTO reportistica (ordine, titolo) VALUES (1, 'Uno')\n"
                                "INSERT INTO reportistica (ordine, titolo) VALUES (2, zeroblob(100000))\n"
                                "INSERT INTO reportistica (ordine, titolo) VALUES (3, 'Tre')\n"));
        AggiornaReportistica();
        QCOMPARE(DialogScript::boxes().size(), 1);
        QVERIFY2(prompts().first().startsWith("Error 13 (database or disk is full) in procedure gDbExecute"),
                 qPrintable(prompts().first()));
        QCOMPARE(definitions(prog), shipped);
        gSqliteDb->execute(QStringLiteral("PRAGMA max_page_count = 1073741823"));
        DialogScript::reset();

        // A refused line is told and passed over; a line that ends the write itself leaves the
        // rest still one write.
        QVERIFY(writeFile(file, "DELETE FROM reportistica\n"
                                "INSERT INTO reportistica (ordine, titolo) VALUES (1, 'Uno')\n"
                                "INSERT INTO nessuna VALUES (1)\n"
                                "COMMIT\n"
                                "INSERT INTO reportistica (ordine, titolo) VALUES (3, 'Tre')\n"));
        AggiornaReportistica();
        QCOMPARE(prompts().size(), 1);
        QVERIFY(prompts().first().startsWith("Error 1 (no such table: nessuna)"));
        QCOMPARE(prog.scalar("SELECT group_concat(titolo) FROM reportistica"), QStringLiteral("Uno,Tre"));
        QVERIFY(!gSqliteDb->inTransaction());
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

QTEST_MAIN(TestReportsShipped)
#include "tst_reports_shipped.moc"
