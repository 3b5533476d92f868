// The register of the user's own bank accounts: its list, its edit dialog and its filter dialog,
// driven with keys and clicks as a user works them.
#include "banking/frmEditMieiContiCorrenti.h"
#include "banking/frmMieiContiCorrenti.h"
#include "banking/frmSelectMieiContiCorrenti.h"
#include "testsupport.h"

namespace {
const QString kLinked = QStringLiteral("Impossibile eliminare il record. Esistono assegni collegati.");
const QString kDuplicate = QStringLiteral("Il record già esiste");

// What a user types into the six boxes, in their order on the dialog.
void fill(frmEditMieiContiCorrenti *d, const QStringList &values)
{
    XPTextBox *boxes[] = {d->txtDescrizione, d->txtBanca, d->txtABI, d->txtCAB, d->txtNumeroConto, d->txtIntestatari};
    for (int i = 0; i < 6; ++i)
        typeInto(boxes[i], values.value(i));
}

frmEditMieiContiCorrenti *openEdit(bool isNew, double key = 0)
{
    return openEditDialog<frmEditMieiContiCorrenti>(&frmMieiContiCorrenti::mCONTOCORRENTEID, isNew, key);
}

void addAccounts(const TestProgram &prog)
{
    prog.exec("insert into MieiContiCorrenti (CONTOCORRENTEID, Descrizione, Banca, ABI, CAB, NumeroConto, "
              "Intestatari) values (1, 'Conto negozio', 'Banca di Roma', '03002', '05006', '1000/1', 'Rossi'), "
              "(40000, 'Conto casa', 'Banca Sella', '03268', '22300', '52', NULL), "
              "(5000000000, 'Conto L''Aquila', 'BPER', '05387', '03600', '77', 'Rossi; Bianchi')");
}
} // namespace

class TestBankingAccounts : public QObject {
    Q_OBJECT
private slots:
    void init() { resetShellState(); }

    // ---- the list ----

    void accountInUseIsNeverDeleted()
    {
        TestProgram prog;
        addAccounts(prog);
        prog.exec("insert into AssegniEmessi (CONTOCORRENTEID, ANAGRAFICAID, Numero) values (1, 1, '10');"
                  "insert into Versamenti (PagamentiID, CONTOCORRENTEID) values (3, 5000000000)");
        frmMieiContiCorrenti *w = openForm<frmMieiContiCorrenti>();
        MSFlexGrid *g = w->MSFlexGrid1;
        QCOMPARE(column(g, 0), (QStringList{"1", "40000", "5000000000"}));
        // Drawn on by a cheque, or holding a deposit: refused, without a question, even after Yes.
        for (int row : {1, 3}) {
            DialogScript::reset();
            clickRow(g, row);
            DialogScript::answerMessage(6);
            QTest::keyClick(g, Qt::Key_Delete);
            QCOMPARE(boxLog(), QStringList{msg(kLinked)});
        }
        QCOMPARE(prog.scalar("select count(*) from MieiContiCorrenti"), QStringLiteral("3"));
        QCOMPARE(g->Rows(), 4);
        // Once the deposit is gone, the account with a key beyond 32 bits can go.
        prog.exec("delete from Versamenti");
        DialogScript::reset();
        clickRow(g, 3);
        DialogScript::answerMessage(6);
        QTest::mouseClick(w->cmdDelete, Qt::LeftButton);
        QCOMPARE(prompts(), QStringList{"Sei sicuro di voler eliminare il record?"});
        QCOMPARE(prog.scalar(
                     "select group_concat(id) from (select CONTOCORRENTEID as id from MieiContiCorrenti order by 1)"),
                 QStringLiteral("1,40000"));
        QCOMPARE(column(g, 0), (QStringList{"1", "40000"}));
    }

    void printoutListsSixColumns()
    {
        TestProgram prog;
        prog.exec("update settings set value='Bottega' where mnemocode='INTESTAZ'");
        prog.exec("insert into MieiContiCorrenti (Descrizione, Banca, ABI, CAB, NumeroConto, Intestatari, "
                  "DateTimeCreated) values ('Conto <1>', 'Banca', '03002', '05006', '10', NULL, "
                  "'2024-01-01 10:00:00')");
        frmMieiContiCorrenti *w = openForm<frmMieiContiCorrenti>();
        QTest::mouseClick(w->cmdPrintGrid, Qt::LeftButton);
        NO_BOXES();
        QCOMPARE(w->web->html(), kPageHead7 + kHeadingFont + "Norvik - Conti correnti</p>" + kGridTable
                                     + "<tr><th>Descrizione</th><th>Banca</th><th>ABI</th><th>CAB</th>"
                                       "<th>Numero Conto</th><th>Intestatari</th></tr>"
                                     + "<tr><td>Conto &lt;1&gt;</td><td>Banca</td><td>03002</td><td>05006</td>"
                                       "<td>10</td><td></td></tr></table></body></html>");
    }

    // ---- the edit dialog ----

    void checksInOrderThenTheStatement()
    {
        TestProgram prog;
        addAccounts(prog);
        frmMieiContiCorrenti *w = openForm<frmMieiContiCorrenti>();
        recordWrites();
        frmEditMieiContiCorrenti *d = openEdit(true);
        // Every field empty: only the first message; the CAB is looked at only once the ABI passes;
        // another account's description, as stored (trimmed), and with its quote.
        const QList<QPair<QStringList, QString>> steps{
            {{}, "Inserire la descrizione"},
            {{"Conto nuovo", "  "}, "Inserire il nome della banca"},
            {{"Conto nuovo", "Banca d'Italia"}, "Inserire il codice ABI"},
            {{"Conto nuovo", "Banca d'Italia", "0300", "1"}, "Lunghezza del codice ABI non valida"},
            {{"Conto nuovo", "Banca d'Italia", " 01000 ", ""}, "Inserire il codice CAB"},
            {{"Conto nuovo", "Banca d'Italia", "01000", "03 00"}, "Il codice CAB contiene caratteri non validi"},
            {{"Conto nuovo", "Banca d'Italia", "01000", "03200"}, "Inserire il numero di conto corrente"},
            {{"  Conto L'Aquila ", "Banca d'Italia", "01000", "03200", "12"}, kDuplicate}};
        for (const auto &[values, message] : steps) {
            fill(d, values);
            refusedWith(d, message);
        }
        QVERIFY(writes().isEmpty());
        QCOMPARE(d->txtDescrizione->Text(), QStringLiteral("  Conto L'Aquila "));

        // Quotes, a semicolon and a comment mark are stored as typed; a code's digits go up to 9.
        fill(d, {" Conto \"B\"; -- x ", "Banca d'Italia", "08990", "03209", "12/3'4", "O'Neil; --"});
        clickOk(d);
        NO_BOXES();
        QVERIFY(!d->isLoaded());
        QCOMPARE(prog.scalar("select Descrizione || '|' || NumeroConto || '|' || Intestatari from MieiContiCorrenti "
                             "where CONTOCORRENTEID = 5000000001"),
                 QStringLiteral("Conto \"B\"; -- x|12/3'4|O'Neil; --"));
        const QString stamp = prog.scalar("select DateTimeCreated from MieiContiCorrenti where CONTOCORRENTEID = "
                                          "5000000001");
        QCOMPARE(writes(), QStringList{"INSERT INTO MieiContiCorrenti (Descrizione, Banca, ABI, CAB, NumeroConto, "
                                       "Intestatari, DateTimeCreated) VALUES ('Conto \"B\"; -- x',  "
                                       "'Banca d''Italia',  '08990',  '03209',  '12/3''4',  'O''Neil; --',  '"
                                       + stamp + "') "});
        // Appended to the list, which then knows the new key.
        QCOMPARE(w->mCONTOCORRENTEID, 5000000001.0);
        QCOMPARE(column(w->MSFlexGrid1, 1).last(), QStringLiteral("Conto \"B\"; -- x"));
    }

    void editKeepsItsOwnDescription()
    {
        TestProgram prog;
        addAccounts(prog);
        frmMieiContiCorrenti *w = openForm<frmMieiContiCorrenti>();
        MSFlexGrid *g = w->MSFlexGrid1;
        recordWrites();
        drive<frmEditMieiContiCorrenti>([&](frmEditMieiContiCorrenti *d) {
            // Opened on the row's account, the caret after the description.
            QCOMPARE(d->txtDescrizione->Text() + "|" + d->txtIntestatari->Text(),
                     QStringLiteral("Conto L'Aquila|Rossi; Bianchi"));
            d->Form_Activate();
            QCOMPARE(d->focusWidget(), static_cast<QWidget *>(d->txtDescrizione));
            QCOMPARE(d->txtDescrizione->cursorPosition(), 14);
            typeInto(d->txtDescrizione, "Conto casa");
            clickOk(d);
            QCOMPARE(prompts(), QStringList{kDuplicate});
            typeInto(d->txtDescrizione, "Conto L'Aquila");
            typeInto(d->txtIntestatari, "");
            clickOk(d);
            NO_BOXES();
        });
        doubleClickCell(g, 3, 1);
        QCOMPARE(DialogScript::pendingDrivers(), 0);
        const QString stamp = prog.scalar("select DateTimeLastUpdated from MieiContiCorrenti where CONTOCORRENTEID = "
                                          "5000000000");
        QCOMPARE(writes(), QStringList{"UPDATE MieiContiCorrenti SET Descrizione = 'Conto L''Aquila',  "
                                       "Banca = 'BPER',  ABI = '05387',  CAB = '03600',  NumeroConto = '77',  "
                                       "Intestatari = Null,  DateTimeLastUpdated = '"
                                       + stamp + "' WHERE CONTOCORRENTEID = 5000000000 "});
        QCOMPARE(gridRow(g, 3).mid(1, 6), (QStringList{"Conto L'Aquila", "BPER", "05387", "03600", "77", ""}));
        QCOMPARE(g->TextMatrix(3, 8), stamp);
    }

    // ---- the filter dialog ----

    void filterTermsOrderAndSavedValues()
    {
        TestProgram prog;
        addAccounts(prog);
        frmMieiContiCorrenti *w = openForm<frmMieiContiCorrenti>();
        MSFlexGrid *g = w->MSFlexGrid1;
        auto filterWith = [&](std::function<void(frmSelectMieiContiCorrenti *)> steps) {
            DialogScript::reset();
            drive<frmSelectMieiContiCorrenti>([steps](frmSelectMieiContiCorrenti *d) {
                QVERIFY(d->cmdPrint->isVisibleTo(d));
                steps(d);
            });
            QTest::mouseClick(w->cmdSelect, Qt::LeftButton);
            QCOMPARE(DialogScript::pendingDrivers(), 0);
        };
        // Every field, in the terms' order, joined with OR; a comma makes a list of exact codes.
        filterWith([](frmSelectMieiContiCorrenti *d) {
            typeInto(d->txtIntestatario, "Bianchi");
            typeInto(d->txtNumeroConto, "1000");
            typeInto(d->txtCAB, "22300");
            typeInto(d->txtABI, "03002,05387");
            typeInto(d->txtBanca, "Roma");
            typeInto(d->txtDescrizione, "L'Aq");
            QTest::mouseClick(d->optOR, Qt::LeftButton);
            QTest::mouseClick(d->cmdOK, Qt::LeftButton);
            QVERIFY(!d->isLoaded());
        });
        NO_BOXES();
        QCOMPARE(gWhereMieiContiCorrenti,
                 QStringLiteral("a.Descrizione Like '%L''Aq%' OR a.Banca Like '%Roma%' OR a.ABI IN ('03002', "
                                "'05387') OR a.CAB Like '%22300%' OR a.NumeroConto Like '%1000%' OR "
                                "a.Intestatari Like '%Bianchi%'"));
        QVERIFY(ListWindow::TestSeam::listQueryText(*w).endsWith("FROM MieiContiCorrenti a  WHERE "
                                                                 + gWhereMieiContiCorrenti));
        QCOMPARE(g->Rows(), 4);
        // With AND the holders narrow to one account.
        filterWith([](frmSelectMieiContiCorrenti *d) {
            QTest::mouseClick(d->cmdClear, Qt::LeftButton);
            typeInto(d->txtIntestatario, "rossi; bianchi");
            QTest::mouseClick(d->optAND, Qt::LeftButton);
            QTest::mouseClick(d->cmdOK, Qt::LeftButton);
        });
        QCOMPARE(gWhereMieiContiCorrenti, QStringLiteral("a.Intestatari Like '%rossi; bianchi%'"));
        QCOMPARE(column(g, 1), QStringList{"Conto L'Aquila"});
        NO_BOXES();
    }
};

QTEST_MAIN(TestBankingAccounts)
#include "tst_banking_accounts.moc"
