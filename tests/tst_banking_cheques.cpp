// The register of issued cheques: its list with the total line and its edit dialog, and the way
// a user reaches both registers from the main window, adds an account and draws a cheque on it.
#include "banking/frmAssegniEmessi.h"
#include "banking/frmEditAssegniEmessi.h"
#include "banking/frmEditMieiContiCorrenti.h"
#include "banking/frmMieiContiCorrenti.h"
#include "shell/frmMain.h"
#include "testsupport.h"

namespace {
const QString kTotal = QStringLiteral("Importo complessivo degli assegni visualizzati: ");

// Accounts and payees with keys of 16, 32 and 64 bits; the combos list them by name.
void addRegisters(const TestProgram &prog)
{
    prog.addType(1, "Socio");
    prog.addCustomer(7, "Bianchi", {{"Nome", "Carlo"}});
    prog.addCustomer(40000, "Rossi", {{"Nome", "Anna"}});
    prog.addCustomer(5000000001, "Verdi", {{"Nome", QVariant()}});
    prog.exec("insert into MieiContiCorrenti (CONTOCORRENTEID, Descrizione, Banca, ABI, CAB, NumeroConto) values "
              "(3, 'Conto casa', 'Sella', '03268', '22300', '1'), (40000, 'Conto negozio', 'BPER', '05387', "
              "'03600', '2'), (5000000000, 'Conto studio', 'Intesa', '03069', '01600', '3')");
}

void addCheques(const TestProgram &prog)
{
    prog.exec("insert into AssegniEmessi (ASSEGNIEMESSIID, CONTOCORRENTEID, ANAGRAFICAID, Numero, DataAssegno, "
              "LuogoEmissione, SuPiazza, Trasferibile, Sbarrato, Importo, Causale, AssegnoNote) values "
              "(1, 3, 7, '101', '2024-03-01 00:00:00', 'Roma', 0, 1, 2, 10, 'Affitto', NULL), "
              "(2, 40000, 40000, '102', '2024-03-05 00:00:00', NULL, 1, 0, 0, 20.5, NULL, 'Nota'), "
              "(3, 5000000000, 5000000001, '103', '2024-04-01 00:00:00', 'Bari', 2, 2, 1, 0, 'Saldo', NULL), "
              "(4, 3, 7, '104', '2024-04-02 00:00:00', NULL, 0, 0, 0, NULL, NULL, NULL), "
              // Drawn on an account that is gone: not listed.
              "(5, 99, 7, '105', '2024-04-03 00:00:00', NULL, 0, 0, 0, 1000, NULL, NULL)");
}

frmEditAssegniEmessi *openEdit(bool isNew, double key = 0)
{
    return openEditDialog<frmEditAssegniEmessi>(&frmAssegniEmessi::mASSEGNIEMESSIID, isNew, key);
}
} // namespace

class TestBankingCheques : public QObject {
    Q_OBJECT
private slots:
    void init() { resetShellState(); }

    void fromTheMainWindowAnAccountThenAChequeOnIt()
    {
        TestProgram prog;
        prog.addType(1, "Socio");
        prog.addCustomer(40000, "Rossi", {{"Nome", "Anna"}});
        frmMain *m = openForm<frmMain>();
        m->show();
        QVERIFY(QTest::qWaitForWindowActive(m));
        // Alt+N: the register's filter cleared, the empty account register opens on its add
        // dialog; the first account refills the list, titled as its own register.
        gWhereMieiContiCorrenti = "a.Banca = 'nessuna'";
        gWhereAssegniEmessi = "x";
        drive<frmEditMieiContiCorrenti>([](frmEditMieiContiCorrenti *d) {
            QVERIFY(gWhereMieiContiCorrenti.isEmpty() && gWhereAssegniEmessi.isEmpty());
            for (auto [box, text] : {std::pair{d->txtDescrizione, "Conto negozio"},
                                     {d->txtBanca, "BPER"},
                                     {d->txtABI, "05387"},
                                     {d->txtCAB, "03600"},
                                     {d->txtNumeroConto, "1234"}})
                QTest::keyClicks(box, text);
            clickOk(d);
        });
        drive<frmMieiContiCorrenti>([](frmMieiContiCorrenti *w) {
            QCOMPARE(w->Caption() + "|" + w->OsenXPForm1->Caption(), QStringLiteral("Conti Correnti|Conti Correnti"));
            QCOMPARE(gridRow(w->MSFlexGrid1, 1).mid(1, 6),
                     (QStringList{"Conto negozio", "BPER", "05387", "03600", "1234", ""}));
            QTest::mouseClick(w->cmdClose, Qt::LeftButton);
        });
        QTest::keyClick(m, Qt::Key_N, Qt::AltModifier);
        QTRY_COMPARE(DialogScript::pendingDrivers(), 0); // an access key clicks its button a moment later
        NO_BOXES();

        // Alt+E: the empty cheque register opens on its add dialog, today's date in it.
        QStringList listed;
        QString total;
        drive<frmEditAssegniEmessi>([](frmEditAssegniEmessi *d) {
            QCOMPARE(d->txtDataAssegno->Value(), QDate::currentDate());
            QCOMPARE(d->cboDescrizione->ListIndex(), -1);
            QCOMPARE(d->cboNome->ListIndex(), -1);
            QTest::keyClick(d->cboDescrizione, Qt::Key_End);
            QTest::keyClick(d->cboNome, Qt::Key_Home);
            QTest::keyClicks(d->txtNumero, "0012345");
            QTest::keyClicks(d->txtImporto, "1.250,50");
            QTest::mouseClick(d->chkSbarrato, Qt::LeftButton);
            clickOk(d);
            QVERIFY(!d->isLoaded());
        });
        drive<frmAssegniEmessi>([&](frmAssegniEmessi *w) {
            listed = gridRow(w->MSFlexGrid1, 1);
            total = w->lblTotaleImporti->Caption();
        });
        QTest::keyClick(m, Qt::Key_E, Qt::AltModifier);
        QTRY_COMPARE(DialogScript::pendingDrivers(), 0);
        NO_BOXES();
        const QString today = QDate::currentDate().toString("yyyy-MM-dd") + " 00:00:00";
        QCOMPARE(listed.value(2), QStringLiteral("Conto negozio"));
        QCOMPARE(listed.mid(4, 8),
                 (QStringList{"Rossi Anna", "0012345", today, "", "Falso", "Falso", "Vero", "1.250,50 €"}));
        QCOMPARE(total, kTotal + "1.250,50 €");
        QCOMPARE(prog.scalar("select CONTOCORRENTEID || '|' || ANAGRAFICAID || '|' || Numero || '|' || Importo || "
                             "'|' || Sbarrato from AssegniEmessi"),
                 QStringLiteral("1|40000|0012345|1250.5|1"));
    }

    // An older database without the account table: a register that reads it tells the
    // database's message once and opens without rows, not on an add dialog that would meet the
    // same refusal; the cheque dialog opens with no account to choose.
    void aDatabaseWithoutTheAccountTable()
    {
        TestProgram prog;
        addRegisters(prog);
        addCheques(prog);
        prog.exec("drop table MieiContiCorrenti");
        const QStringList refused{
            "Error 1 (no such table: MieiContiCorrenti) in procedure gRsOpen of Modulo basGeneral"};
        int added = 0;
        drive<frmEditMieiContiCorrenti>([&](frmEditMieiContiCorrenti *) { ++added; });
        QCOMPARE(openForm<frmMieiContiCorrenti>()->MSFlexGrid1->Rows(), 1);
        QCOMPARE(prompts(), refused);
        DialogScript::reset();
        drive<frmEditAssegniEmessi>([&](frmEditAssegniEmessi *) { ++added; });
        frmAssegniEmessi *w = openForm<frmAssegniEmessi>();
        QCOMPARE(w->MSFlexGrid1->Rows(), 1);
        QCOMPARE(prompts(), refused);
        QCOMPARE(added, 0);
        DialogScript::reset();

        drive<frmEditAssegniEmessi>([&](frmEditAssegniEmessi *d) {
            ++added;
            QCOMPARE(prompts(), refused);
            QCOMPARE(d->cboDescrizione->ListCount(), 0);
            QCOMPARE(d->cboNome->ListCount(), 3);
        });
        QTest::mouseClick(w->cmdAdd, Qt::LeftButton);
        QCOMPARE(added, 1);
    }

    // ---- the list ----

    void listShowsFlagsAmountsAndTheirTotal()
    {
        TestProgram prog;
        addRegisters(prog);
        addCheques(prog);
        frmAssegniEmessi *w = openForm<frmAssegniEmessi>();
        NO_BOXES();
        MSFlexGrid *g = w->MSFlexGrid1;
        for (int c : {0, 1, 3})
            QCOMPARE(g->ColWidth(c), 0.0);
        QCOMPARE(column(g, 0), (QStringList{"1", "2", "3", "4"}));
        QCOMPARE(column(g, 4), (QStringList{"Bianchi Carlo", "Rossi Anna", "Verdi ", "Bianchi Carlo"}));
        QCOMPARE(column(g, 8), (QStringList{"Falso", "Vero", "Vero", "Falso"}));
        QCOMPARE(column(g, 10), (QStringList{"Vero", "Falso", "Vero", "Falso"}));
        QCOMPARE(column(g, 11), (QStringList{"10,00 €", "20,50 €", "0,00 €", ""}));
        QCOMPARE(w->lblTotaleImporti->Caption(), kTotal + "30,50 €");
        // A filter goes after the join, and the list stays in the order of entry.
        gWhereAssegniEmessi = "a.CONTOCORRENTEID = 3";
        w->FillGrid();
        QVERIFY(ListWindow::TestSeam::listQueryText(*w).endsWith(
            "WHERE a.CONTOCORRENTEID = b.CONTOCORRENTEID AND a.ANAGRAFICAID = c.ANAGRAFICAID  AND "
            "(a.CONTOCORRENTEID = 3) order by a.ASSEGNIEMESSIID "));
        QCOMPARE(column(g, 0), (QStringList{"1", "4"}));
        QCOMPARE(w->lblTotaleImporti->Caption(), kTotal + "10,00 €");

        // The printout: the eleven columns from the account to the notes, then the total line.
        gWhereAssegniEmessi = "a.ASSEGNIEMESSIID = 1";
        w->FillGrid();
        QTest::mouseClick(w->cmdPrintGrid, Qt::LeftButton);
        NO_BOXES();
        QCOMPARE(w->web->html(),
                 kPageHead7 + kHeadingFont + "Norvik - Assegni emessi</p>" + kGridTable
                     + "<tr><th>Conto Corrente</th><th>Beneficiario</th><th>Numero Assegno</th><th>Data Assegno</th>"
                       "<th>Luogo Emissione</th><th>Su Piazza</th><th>Trasferibile</th><th>Sbarrato</th>"
                       "<th>Importo</th><th>Causale</th><th>Note</th></tr>"
                       "<tr><td>Conto casa</td><td>Bianchi Carlo</td><td>101</td><td>2024-03-01 00:00:00</td>"
                       "<td>Roma</td><td>Falso</td><td>Vero</td><td>Vero</td><td>10,00 €</td><td>Affitto</td>"
                       "<td></td></tr></table>"
                     + kTotal + "10,00 €</body></html>");

        // Deleting the only cheque shown: no rows, a zero total, and no add dialog.
        clickRow(g, 1);
        DialogScript::answerMessage(6);
        QTest::mouseClick(w->cmdDelete, Qt::LeftButton);
        QCOMPARE(prompts(), QStringList{"Sei sicuro di voler eliminare il record?"});
        QCOMPARE(g->TextMatrix(0, 0), QStringLiteral("0 Records"));
        QCOMPARE(w->lblTotaleImporti->Caption(), kTotal + "0,00 €");
        QVERIFY(!FormInstance<frmEditAssegniEmessi>::exists());
        QCOMPARE(prog.scalar("select count(*) from AssegniEmessi where ASSEGNIEMESSIID = 1"), QStringLiteral("0"));
        QCOMPARE(prog.scalar("select count(*) from AssegniEmessi"), QStringLiteral("4"));
    }

    // ---- the edit dialog ----

    void checksInOrderThenTheStatementAndARefill()
    {
        TestProgram prog;
        addRegisters(prog);
        addCheques(prog);
        frmAssegniEmessi *w = openForm<frmAssegniEmessi>();
        recordWrites();
        frmEditAssegniEmessi *d = openEdit(true);
        // Accounts and payees by name; nothing chosen.
        QCOMPARE(d->cboDescrizione->List(0), QStringLiteral("Conto casa"));
        QCOMPARE(d->cboNome->List(2), QStringLiteral("Verdi "));
        refusedWith(d, "Selezionare il conto corrente");
        choose(d->cboDescrizione, "Conto studio");
        refusedWith(d, "Selezionare il beneficiario");
        choose(d->cboNome, "Rossi Anna");
        typeInto(d->txtNumero, "   ");
        refusedWith(d, "Inserire il numero dell'assegno");
        for (const char *number : {"12-3", "1,2,3"}) {
            typeInto(d->txtNumero, number);
            refusedWith(d, "Formato del numero dell'assegno non valido");
        }
        typeInto(d->txtNumero, " 123 ");
        QTest::keyClick(d->txtDataAssegno, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClick(d->txtDataAssegno, Qt::Key_Delete); // emptied
        refusedWith(d, "Inserire la data dell'assegno");
        d->txtDataAssegno->setValue(QDate(2024, 5, 31));
        refusedWith(d, "Inserire l'importo dell'assegno");
        for (const char *amount : {"1e3", "12.50,3"}) {
            typeInto(d->txtImporto, amount);
            refusedWith(d, "Formato dell'importo dell'assegno non valido");
        }
        QVERIFY(writes().isEmpty());

        typeInto(d->txtImporto, " 12,50 ");
        typeInto(d->txtLuogoEmissione, "L'Aquila; -- \"centro\"");
        typeInto(d->txtCausale, "  ");
        QTest::mouseClick(d->chkSuPiazza, Qt::LeftButton);
        clickOk(d);
        NO_BOXES();
        QVERIFY(!d->isLoaded());
        QCOMPARE(prog.scalar("select Numero || '|' || LuogoEmissione || '|' || typeof(Importo) from AssegniEmessi "
                             "where ASSEGNIEMESSIID = 6"),
                 QStringLiteral("123|L'Aquila; -- \"centro\"|real"));
        const QString stamp = prog.scalar("select DateTimeCreated from AssegniEmessi where ASSEGNIEMESSIID = 6");
        QCOMPARE(writes(),
                 QStringList{"INSERT INTO AssegniEmessi (CONTOCORRENTEID, ANAGRAFICAID, Numero, DataAssegno, "
                             "LuogoEmissione, SuPiazza, Trasferibile, Sbarrato, Importo, Causale, AssegnoNote, "
                             "DateTimeCreated) VALUES (5000000000,  40000,  '123',  '2024-05-31 00:00:00',  "
                             "'L''Aquila; -- \"centro\"',  1,  0,  0,  12.5,  Null,  Null,  '"
                             + stamp + "') "});
        // The list read again: the new row formatted, the total grown.
        QCOMPARE(w->mASSEGNIEMESSIID, 6.0);
        QCOMPARE(gridRow(w->MSFlexGrid1, 5).mid(8, 4), (QStringList{"Vero", "Falso", "Falso", "12,50 €"}));
        QCOMPARE(w->lblTotaleImporti->Caption(), kTotal + "43,00 €");
    }

    // With no account chosen, Alt+O on a date that is no date tells only the date: one box.
    void unfinishedDateToldOnLeavingItOnly()
    {
        TestProgram prog;
        addRegisters(prog);
        openForm<frmAssegniEmessi>();
        recordWrites();
        const auto open = [] {
            frmEditAssegniEmessi *d = onScreen(openEdit(true));
            return QPair<EditDialog *, XPDTPicker *>(d, d->txtDataAssegno);
        };
        auto *d = static_cast<frmEditAssegniEmessi *>(open().first);
        dateToldOnLeavingOnly(d, d->txtDataAssegno, "Formato della data dell'assegno non valido");
        // Mended, the focus goes on.
        typeInto(d->txtDataAssegno, "29/02/2024");
        QTest::keyClick(d->txtDataAssegno, Qt::Key_Tab);
        QCoreApplication::processEvents();
        NO_BOXES();
        QCOMPARE(QApplication::focusWidget(), static_cast<QWidget *>(d->txtLuogoEmissione));
        d->Unload();
        annullaChecksNothing(open);
        QVERIFY(writes().isEmpty());
    }

    void editOpensChequesOnBigKeys()
    {
        TestProgram prog;
        addRegisters(prog);
        addCheques(prog);
        frmAssegniEmessi *w = openForm<frmAssegniEmessi>();
        MSFlexGrid *g = w->MSFlexGrid1;
        recordWrites();
        drive<frmEditAssegniEmessi>([&](frmEditAssegniEmessi *d) {
            // The account and the payee beyond 32 bits are chosen; flags 2 and 1 are ticked.
            QCOMPARE(d->cboDescrizione->Text(), QStringLiteral("Conto studio"));
            QCOMPARE(d->cboNome->Text(), QStringLiteral("Verdi "));
            QCOMPARE(d->ContoCorrente(), qint64(5000000000));
            QCOMPARE(d->Beneficiario(), qint64(5000000001));
            QCOMPARE(QList<int>({d->chkSuPiazza->Value(), d->chkTrasferibile->Value(), d->chkSbarrato->Value()}),
                     QList<int>({1, 1, 1}));
            QCOMPARE(d->txtImporto->Text(), QStringLiteral("0"));
            QCOMPARE(d->txtDataAssegno->Value(), QDate(2024, 4, 1));
            // A flag is ticked or cleared by a click, never greyed.
            QTest::mouseClick(d->chkTrasferibile, Qt::LeftButton);
            QCOMPARE(d->chkTrasferibile->Value(), 0);
            QTest::mouseClick(d->chkTrasferibile, Qt::LeftButton);
            QCOMPARE(d->chkTrasferibile->Value(), 1);
            QTest::mouseClick(d->chkSbarrato, Qt::LeftButton);
            // The 16-bit account and payee can be chosen too.
            QTest::keyClick(d->cboDescrizione, Qt::Key_Home);
            choose(d->cboNome, "Rossi Anna");
            QCOMPARE(d->Beneficiario(), qint64(40000));
            typeInto(d->txtImporto, "1.000,00");
            clickOk(d);
            NO_BOXES();
        });
        doubleClickCell(g, 3, 2);
        QCOMPARE(DialogScript::pendingDrivers(), 0);
        const QString stamp = prog.scalar("select DateTimeLastUpdated from AssegniEmessi where ASSEGNIEMESSIID = 3");
        QCOMPARE(writes(),
                 QStringList{"UPDATE AssegniEmessi SET CONTOCORRENTEID = 3,  ANAGRAFICAID = 40000,  Numero = '103',  "
                             "DataAssegno = '2024-04-01 00:00:00',  LuogoEmissione = 'Bari',  SuPiazza = 1,  "
                             "Trasferibile = 1,  Sbarrato = 0,  Importo = 1000,  Causale = 'Saldo',  "
                             "AssegnoNote = Null,  DateTimeLastUpdated = '"
                             + stamp + "' WHERE ASSEGNIEMESSIID = 3 "});
        QCOMPARE(gridRow(g, 3).mid(2, 3), (QStringList{"Conto casa", "40000", "Rossi Anna"}));
    }
};

QTEST_MAIN(TestBankingCheques)
#include "tst_banking_cheques.moc"
