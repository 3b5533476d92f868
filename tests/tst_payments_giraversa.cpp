// A received cheque endorsed to a customer or deposited on one of the user's accounts: the two
// dialogs reached from the payments list, their checks and statements, and the line under the
// list that tells the selected payment's endorsement and deposit.
#include "payments/frmEditGirate.h"
#include "payments/frmEditPagamenti.h"
#include "payments/frmEditVersamenti.h"
#include "payments/frmPagamenti.h"
#include "testsupport.h"

namespace {
// Customers in the order of the endorsee combo: Bianchi (a key beyond 32 bits), Rossi, Verdi;
// one payment each (1 Rossi, 2 Bianchi, 3 Verdi); accounts in the order of their combo: "Banca
// del Borgo" (a key beyond 32 bits), "Conto casa".
void seed(const TestProgram &prog)
{
    prog.addType(1, "Socio");
    prog.addCustomer(40000, "Rossi", {{"Nome", "Anna"}});
    prog.addCustomer(5000000000, "Bianchi", {{"Nome", "Carlo"}});
    prog.addCustomer(3, "Verdi", {{"Nome", "Ugo"}});
    prog.exec("insert into Pagamenti (PagamentiID, ANAGRAFICAID, DataPagamento, Importo, Causale) values "
              "(1, 40000, '2024-03-01 00:00:00', 120, 'Quota'), (2, 5000000000, '2024-03-05 00:00:00', 80.5, "
              "'Tessera'), (3, 3, '2024-04-01 00:00:00', 45, 'Rinnovo');"
              "insert into MieiContiCorrenti (CONTOCORRENTEID, Descrizione) values (7, 'Conto casa'), "
              "(6000000000, 'Banca del Borgo')");
}

// Typed as a user who moves to the box: the box left is tidied as it loses the focus.
void typeAfterFocus(QLineEdit *box, const QString &text)
{
    box->setFocus();
    typeInto(box, text);
}

const QString kGirataHead = QStringLiteral("INSERT INTO Girate (PagamentiID, ANAGRAFICAID, GirataPiena, DataGirata, "
                                           "DateTimeCreated,notegirata) VALUES (");
const QString kVersamentoHead = QStringLiteral("INSERT INTO Versamenti (PagamentiID, CONTOCORRENTEID, "
                                               "DataVersamento, noteversamento,DateTimeCreated) VALUES (");
} // namespace

class TestPaymentsGiraVersa : public QObject {
    Q_OBJECT
private slots:
    void init() { resetShellState(); }

    void endorsementOfTheSelectedPayment()
    {
        TestProgram prog;
        seed(prog);
        frmPagamenti *w = openForm<frmPagamenti>();
        MSFlexGrid *g = w->MSFlexGrid1;
        // After a fill no row is selected: the button opens nothing.
        bool opened = false;
        drive<frmEditGirate>([&](frmEditGirate *) { opened = true; });
        QTest::mouseClick(w->cmdGira, Qt::LeftButton);
        QVERIFY(!opened);
        DialogScript::reset();

        clickRow(g, 1);
        QCOMPARE(w->lblGiraVersa->Caption(), QString());
        recordWrites();
        drive<frmEditGirate>([&](frmEditGirate *d) {
            opened = true;
            // Nothing chosen for the user; today's date.
            QCOMPARE(d->idDelBeneficiario, qint64(-1));
            QCOMPARE(d->txtDataGirata->Value(), QDate::currentDate());
            // The endorsee first, whatever else is wrong.
            typeAfterFocus(d->txtDataGirata, "31/13/2024");
            clickOk(d);
            QCOMPARE(prompts(), QStringList{"Selezionare il beneficiario"});
            // End and Home reach the last and the first customer.
            QTest::keyClick(d->cboNome, Qt::Key_End);
            QCOMPARE(d->idDelBeneficiario, qint64(3));
            QTest::keyClick(d->cboNome, Qt::Key_Home);
            QCOMPARE(d->idDelBeneficiario, qint64(5000000000));
            DialogScript::reset();
            clickOk(d);
            QCOMPARE(prompts(), QStringList{"Formato della data di girata non valido"});
            QVERIFY(d->isLoaded());
            QCOMPARE(prog.scalar("select count(*) from Girate"), QStringLiteral("0"));

            typeAfterFocus(d->txtDataGirata, "15032024");
            // One click ticks the box: a full endorsement, never the grey third state.
            QTest::mouseClick(d->chkGirataPiena, Qt::LeftButton, {}, QPoint(6, 12));
            QCOMPARE(d->chkGirataPiena->Value(), 1);
            typeAfterFocus(d->txtNote, " l'ultima; \"rata\" -- fine ");
            DialogScript::reset();
            clickOk(d);
            NO_BOXES();
            QVERIFY(!d->isLoaded());
        });
        QTest::mouseClick(w->cmdGira, Qt::LeftButton);
        QVERIFY(opened);
        QCOMPARE(DialogScript::pendingDrivers(), 0);

        const QString stamp = prog.scalar("select DateTimeCreated from Girate");
        QCOMPARE(writes(), QStringList{kGirataHead + "1,  5000000000,  1,  '2024-03-15 00:00:00',  '" + stamp
                                       + "',  'l''ultima; \"rata\" -- fine') "});
        // The list is not read again: the row stays selected and its line tells what was recorded.
        QCOMPARE(g->Row(), 1);
        QCOMPARE(w->lblGiraVersa->Caption(), QStringLiteral("Assegno girato (Girata piena) a Bianchi Carlo il "
                                                            "2024-03-15 00:00:00 (Note: l'ultima; \"rata\" -- fine)"));
        QCOMPARE(w->mPagamentiID, 1.0);
    }

    void depositOfTheSelectedPayment()
    {
        TestProgram prog;
        seed(prog);
        frmPagamenti *w = openForm<frmPagamenti>();
        MSFlexGrid *g = w->MSFlexGrid1;
        clickRow(g, 2);
        recordWrites();
        bool opened = false;
        drive<frmEditVersamenti>([&](frmEditVersamenti *d) {
            opened = true;
            QCOMPARE(d->txtDataVersamento->Value(), QDate::currentDate());
            typeAfterFocus(d->txtDataVersamento, "99");
            clickOk(d);
            QCOMPARE(prompts(), QStringList{"Selezionare il Conto Corrente"});
            QTest::keyClick(d->cboDescrizione, Qt::Key_Home);
            QCOMPARE(d->idDelContoCorrente, qint64(6000000000));
            DialogScript::reset();
            clickOk(d);
            QCOMPARE(prompts(), QStringList{"Formato della data di versamento non valido"});
            // An emptied date is no date: written as Null, as an empty note.
            typeAfterFocus(d->txtDataVersamento, QString());
            QVERIFY(d->txtDataVersamento->IsEmpty());
            typeAfterFocus(d->txtNote, "   ");
            DialogScript::reset();
            clickOk(d);
            NO_BOXES();
            QVERIFY(!d->isLoaded());
        });
        QTest::mouseClick(w->cmdVersa, Qt::LeftButton);
        QVERIFY(opened);
        const QString stamp = prog.scalar("select DateTimeCreated from Versamenti");
        QCOMPARE(writes(), QStringList{kVersamentoHead + "2,  6000000000,  Null,  Null,  '" + stamp + "') "});
        QCOMPARE(w->lblGiraVersa->Caption(), QStringLiteral("Assegno versato su Banca del Borgo"));
    }

    void theLineTellsTheSelectedPaymentsEndorsementAndDeposit()
    {
        TestProgram prog;
        seed(prog);
        prog.exec("insert into Girate (PagamentiID, ANAGRAFICAID, GirataPiena, DataGirata, notegirata) values "
                  "(1, 5000000000, 1, '2024-03-15 00:00:00', '  assegno n. 12  '), (2, 3, 0, '  ', NULL);"
                  "insert into Versamenti (PagamentiID, CONTOCORRENTEID, DataVersamento, noteversamento) values "
                  "(2, 7, NULL, ' '), (3, 6000000000, '02/04/2024', 'x')");
        frmPagamenti *w = openForm<frmPagamenti>();
        MSFlexGrid *g = w->MSFlexGrid1;
        const QString first = "Assegno girato (Girata piena) a Bianchi Carlo il 2024-03-15 00:00:00 (Note: assegno "
                              "n. 12)";
        QVERIFY(w->isGirato(1) && !w->isVersato(1) && w->isGirato(2) && w->isVersato(2) && !w->isGirato(3));
        QCOMPARE(w->getGiratoMessage(1), first);
        QCOMPARE(w->getGiratoMessage(2), QStringLiteral("Assegno girato a Verdi Ugo"));
        QCOMPARE(w->getVersatoMessage(2), QStringLiteral("Assegno versato su Conto casa"));
        // The date as it is stored.
        QCOMPARE(w->getVersatoMessage(3), QStringLiteral("Assegno versato su Banca del Borgo il 02/04/2024 (Note: x)"));
        QCOMPARE(w->getGiratoMessage(3) + w->getVersatoMessage(1), QString());

        // Nothing is selected after the fill; then the row clicked, the row reached by the keys.
        QCOMPARE(w->lblGiraVersa->Caption(), QString());
        clickRow(g, 1);
        QCOMPARE(w->lblGiraVersa->Caption(), first);
        g->SetFocus();
        QTest::keyClick(g, Qt::Key_Down);
        QCOMPARE(g->Row(), 2);
        QCOMPARE(w->lblGiraVersa->Caption(),
                 QStringLiteral("Assegno girato a Verdi Ugo - Assegno versato su Conto casa"));
        // A fill selects no row: the line is emptied, not left telling another payment.
        w->FillGrid();
        QCOMPARE(w->lblGiraVersa->Caption(), QString());
        clickRow(g, 3);
        QCOMPARE(w->lblGiraVersa->Caption(),
                 QStringLiteral("Assegno versato su Banca del Borgo il 02/04/2024 (Note: x)"));
        // Deleted with its payment: gone from the line as from the database.
        DialogScript::answerMessage(6);
        QTest::mouseClick(w->cmdDelete, Qt::LeftButton);
        QCOMPARE(prompts(), QStringList{"Sei sicuro di voler eliminare il record?"});
        QCOMPARE(w->lblGiraVersa->Caption(), QString());
        QCOMPARE(prog.scalar("select count(*) from Versamenti where PagamentiID = 3"), QStringLiteral("0"));
    }

    // On a database without the endorsement, deposit or account table the line tells only what
    // it can read and never shows a message: a click, the keys and a double click work as on a
    // full database, and the double click opens the payment.
    void lineWithoutItsTables_data()
    {
        QTest::addColumn<QString>("table");
        QTest::addColumn<QString>("line"); // payment 2's, endorsed and deposited
        QTest::newRow("Girate") << "Girate"
                                << "Assegno versato su Conto casa";
        QTest::newRow("Versamenti") << "Versamenti"
                                    << "Assegno girato a Verdi Ugo";
        QTest::newRow("MieiContiCorrenti") << "MieiContiCorrenti"
                                           << "Assegno girato a Verdi Ugo";
    }
    void lineWithoutItsTables()
    {
        QFETCH(QString, table);
        QFETCH(QString, line);
        TestProgram prog;
        seed(prog);
        prog.exec("insert into Girate (PagamentiID, ANAGRAFICAID) values (2, 3);"
                  "insert into Versamenti (PagamentiID, CONTOCORRENTEID) values (2, 7); drop table "
                  + table);
        frmPagamenti *w = openForm<frmPagamenti>();
        MSFlexGrid *g = w->MSFlexGrid1;
        clickRow(g, 1);
        g->SetFocus();
        QTest::keyClick(g, Qt::Key_Down);
        QCOMPARE(w->lblGiraVersa->Caption(), line);
        QString opened;
        drive<frmEditPagamenti>(
            [&](frmEditPagamenti *d) { opened = d->cboSocio->Text() + "|" + d->txtImporto->Text(); });
        doubleClickCell(g, 3, 1);
        QCOMPARE(opened, QStringLiteral("Verdi Ugo|45"));
        NO_BOXES();

        // Without the account table the deposit dialog tells the database's message once and
        // opens with no account to choose; its OK asks for one and writes nothing.
        if (table != "MieiContiCorrenti")
            return;
        bool deposited = false;
        drive<frmEditVersamenti>([&](frmEditVersamenti *d) {
            deposited = true;
            QCOMPARE(prompts(), QStringList{"Error 1 (no such table: MieiContiCorrenti) in procedure gRsOpen of "
                                            "Modulo basGeneral"});
            QCOMPARE(d->cboDescrizione->ListCount(), 0);
            clickOk(d);
            QCOMPARE(prompts(), QStringList{"Selezionare il Conto Corrente"});
        });
        QTest::mouseClick(w->cmdVersa, Qt::LeftButton);
        QVERIFY(deposited);
        QCOMPARE(prog.scalar("select count(*) from Versamenti"), QStringLiteral("1"));
    }
};

QTEST_MAIN(TestPaymentsGiraVersa)
#include "tst_payments_giraversa.moc"
