// The edit-dialog base and the list's delete, on a payments register built on the two patterns the
// way the program's own registers are: a dialog that writes a payment and, in the same
// confirmation, a renewal of the customer's membership; a list that deletes a payment with its
// endorsement and deposit rows.
#include "customers/frmEditAnagrafica.h"
#include "shell/EditDialog.h"
#include "shell/ListWindow.h"
#include "testsupport.h"
#include <sqlite3.h>

namespace {

class frmProvaPagamenti : public ListWindow {
public:
    frmProvaPagamenti();
    double mPagamentiID = 0;
    // The list-window interface as the dialog calls it.
    QStringList calls;
    void ClearGrid() override
    {
        calls << "ClearGrid";
        ListWindow::ClearGrid();
    }
    void FillGrid() override
    {
        calls << "FillGrid";
        ListWindow::FillGrid();
    }
    void AddGridRow() override
    {
        calls << "AddGridRow";
        ListWindow::AddGridRow();
    }
    void UpdateGridRow() override
    {
        calls << "UpdateGridRow";
        ListWindow::UpdateGridRow();
    }
};

class frmProvaPagamento : public EditDialog {
public:
    frmProvaPagamento() : EditDialog("frmProvaPagamento", "Pagamenti")
    {
        chkRinnovo = new XPCheckBox(this, "chkRinnovo", "Rinnova l'iscrizione");
        addFrame(500);
        FieldColumn column(16, 70, 150, 300);
        cboSocio = addCombo(column, "Socio", "Cliente");
        txtDataPagamento = addPicker(column, "DataPagamento", "Data Pagamento");
        txtImporto = addTextBox(column, "Importo", QString::fromUtf8("Importo (€)"));
        txtCausale = addTextBox(column, "Causale", "Causale");
        txtNuovaDataScadenza = addPicker(column, "NuovaDataScadenza", "Nuova data di scadenza");
        addButtons(500, column.top() + 18, "S&tampa ricevuta");

        EditDialogDesc &d = desc();
        d.listWindow(&frmProvaPagamenti::mPagamentiID);
        d.loadQuery = [](const QString &id) {
            return "SELECT a.pagamentiid, a.anagraficaid, a.datapagamento, a.importo, a.causale FROM Pagamenti a "
                   "WHERE PagamentiID = "
                   + id + " ";
        };
        d.insertHead =
            "INSERT INTO Pagamenti ( ANAGRAFICAID,  Datapagamento, Importo, Causale, DateTimeCreated) VALUES (";
        d.updateHead = "UPDATE Pagamenti SET ";
        d.updateWhere = "WHERE PagamentiID = ";
        bindKey(cboSocio, idDelSocio, "ANAGRAFICAID",
                "SELECT anagraficaid, cognome, nome  FROM anagrafica order by cognome, nome ", "anagraficaid",
                {"cognome", "nome"})
            .whenAdding = [] { return gPagamentiClienteNome.isEmpty() ? -1 : qint64(gPagamentiClienteID); };
        bindDate(txtDataPagamento, "DataPagamento");
        bindAmount(txtImporto, "Importo");
        bindText(txtCausale, "Causale");
        bindStamp();
        d.todayWhenAdding = {txtDataPagamento};
        const auto renewing = [this] { return chkRinnovo->Value() == 1; };
        d.checks = {chosen(cboSocio, idDelSocio, "Selezionare il socio"),
                    requiredDate(txtDataPagamento, "Inserire la data del pagamento"),
                    required(txtImporto, "Inserire l'importo del pagamento"),
                    number(txtImporto, "Formato dell'importo del pagamento non valido"),
                    when(renewing, requiredDate(txtNuovaDataScadenza,
                                                "Inserire la nuova data di scadenza dell'iscrizione del socio"))};
        d.moreStatements = [this, renewing](const QString &stamp) {
            if (!renewing())
                return QStringList();
            return QStringList{"update anagrafica set datascadenzaiscrizione=" + dateLiteral(txtNuovaDataScadenza)
                               + ", DateTimeLastUpdated = " + stamp
                               + "  where anagraficaid = " + QString::number(idDelSocio)};
        };
        d.afterWrite = EditDialogDesc::AfterWrite::CallBackAndRefill;
    }

    XPCheckBox *chkRinnovo;
    XPComboBox *cboSocio;
    XPDTPicker *txtDataPagamento, *txtNuovaDataScadenza;
    XPTextBox *txtImporto, *txtCausale;
    qint64 idDelSocio = -1;
};

frmProvaPagamenti::frmProvaPagamenti()
    : ListWindow("frmProvaPagamenti", [this] {
          const QString query = "SELECT a.PagamentiID, a.ANAGRAFICAID, a.Importo, a.Causale FROM Pagamenti a ";
          ListWindowDesc d;
          d.caption = "Pagamenti";
          d.key = &mPagamentiID;
          d.listQuery = query;
          d.listQueryTail = " ORDER BY a.PagamentiID";
          d.oneRowQuery = [query](const QString &id) { return query + "WHERE PagamentiID = " + id; };
          d.newestKeyQuery = "SELECT MAX(PagamentiID) FROM Pagamenti ";
          d.deleteStatements = [](const QString &id) {
              return QStringList{"DELETE From girate WHERE PagamentiID = " + id,
                                 "DELETE From versamenti WHERE PagamentiID = " + id,
                                 "DELETE From Pagamenti WHERE PagamentiID = " + id};
          };
          d.editDialog = []() -> Form * { return FormInstance<frmProvaPagamento>::get(); };
          return d;
      }())
{
}

// The customers and one payment of Bianchi's; Rossi's key is beyond 32 bits.
void addRegister(const TestProgram &prog)
{
    prog.addType(1, "Socio");
    prog.addCustomer(5000000000, "Rossi", {{"Nome", "Anna"}, {"DataScadenzaIscrizione", "2024-12-31 00:00:00"}});
    prog.addCustomer(2, "Bianchi", {{"Nome", "Carlo"}, {"DataScadenzaIscrizione", "2024-06-30 00:00:00"}});
    prog.exec("insert into Pagamenti (PagamentiID, ANAGRAFICAID, DataPagamento, Importo, Causale) "
              "values (1, 2, '2024-01-15 00:00:00', 12.5, 'Quota')");
}

frmProvaPagamenti *openList()
{
    frmProvaPagamenti *list = openForm<frmProvaPagamenti>();
    list->calls.clear();
    return list;
}

// The payment dialog the list opens next, driven by the given steps.
void driveDialog(std::function<void(frmProvaPagamento *)> steps)
{
    DialogScript::driveModal("frmProvaPagamento", [steps](Form *f) { steps(static_cast<frmProvaPagamento *>(f)); });
}

void typeInto(XPTextBox *box, const QString &text)
{
    box->clear();
    QTest::keyClicks(box, text);
}

void clickOk(EditDialog *d) { QTest::mouseClick(d->cmdOK, Qt::LeftButton); }

QString today() { return QDate::currentDate().toString("yyyy-MM-dd") + " 00:00:00"; }
} // namespace

class TestEditDialog : public QObject {
    Q_OBJECT
private slots:
    void init() { resetShellState(); }
    void cleanup()
    {
        for (Form *f : {static_cast<Form *>(FormInstance<frmProvaPagamento>::peek()),
                        static_cast<Form *>(FormInstance<frmProvaPagamenti>::peek())})
            if (f && f->isLoaded())
                f->Unload();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    void renewalIsWrittenWithThePaymentOrNotAtAll()
    {
        TestProgram prog;
        addRegister(prog);
        prog.exec("create trigger no_renewal before update on Anagrafica "
                  "begin select raise(abort, 'scadenza bloccata'); end");
        frmProvaPagamenti *list = openList();
        recordWrites();
        bool refused = false;
        driveDialog([&](frmProvaPagamento *d) {
            // A new payment starts on today's date, with no customer chosen.
            QCOMPARE(d->txtDataPagamento->Value(), QDate::currentDate());
            QCOMPARE(d->cboSocio->ListIndex(), -1);
            QTest::keyClick(d->cboSocio, Qt::Key_End);
            QCOMPARE(d->cboSocio->Text(), QStringLiteral("Rossi Anna"));
            typeInto(d->txtImporto, "1.250,50");
            typeInto(d->txtCausale, " Rinnovo l'anno ");
            d->chkRinnovo->setValue(1);
            d->txtNuovaDataScadenza->setValue(QDate(2025, 12, 31));
            clickOk(d);
            // The renewal refused: the payment is not written either, the dialog keeps what was
            // typed, the list is not touched.
            QCOMPARE(DialogScript::boxes().size(), 1);
            refused = prompts().first().contains("scadenza bloccata");
            QVERIFY(d->isLoaded());
            QCOMPARE(d->txtImporto->Text() + "|" + d->cboSocio->Text(), QStringLiteral("1.250,50|Rossi Anna"));
            QCOMPARE(prog.scalar("select count(*) from Pagamenti"), QStringLiteral("1"));
            QVERIFY(list->calls.isEmpty());

            // Accepted: both rows with one time stamp, then the list's row and its refill.
            prog.exec("drop trigger no_renewal");
            DialogScript::reset();
            writes().clear();
            clickOk(d);
            NO_BOXES();
            QVERIFY(!d->isLoaded());
        });
        QTest::mouseClick(list->cmdAdd, Qt::LeftButton);
        QCOMPARE(DialogScript::pendingDrivers(), 0);
        QVERIFY(refused);

        const QString stamp = prog.scalar("select DateTimeCreated from Pagamenti where PagamentiID = 2");
        QCOMPARE(
            writes(),
            QStringList({"INSERT INTO Pagamenti ( ANAGRAFICAID,  Datapagamento, Importo, Causale, DateTimeCreated) "
                         "VALUES (5000000000,  '"
                             + today() + "',  1250.5,  'Rinnovo l''anno',  '" + stamp + "') ",
                         "update anagrafica set datascadenzaiscrizione='2025-12-31 00:00:00', "
                         "DateTimeLastUpdated = '"
                             + stamp + "'  where anagraficaid = 5000000000"}));
        QCOMPARE(prog.scalar("select Importo || '|' || Causale from Pagamenti where PagamentiID = 2"),
                 QStringLiteral("1250.5|Rinnovo l'anno"));
        QCOMPARE(prog.scalar("select DataScadenzaIscrizione || '|' || DateTimeLastUpdated from Anagrafica "
                             "where ANAGRAFICAID = 5000000000"),
                 "2025-12-31 00:00:00|" + stamp);
        QCOMPARE(list->calls, (QStringList{"AddGridRow", "ClearGrid", "FillGrid"}));
        QCOMPARE(column(list->MSFlexGrid1, 0), (QStringList{"1", "2"}));
    }

    void editShowsTheRecordAndWritesOnlyThePayment()
    {
        TestProgram prog;
        addRegister(prog);
        frmProvaPagamenti *list = openList();
        recordWrites();
        driveDialog([&](frmProvaPagamento *d) {
            // The stored values, not today's date; the amount reads back as it was stored.
            QCOMPARE(d->cboSocio->Text(), QStringLiteral("Bianchi Carlo"));
            QCOMPARE(d->txtDataPagamento->Value(), QDate(2024, 1, 15));
            QCOMPARE(d->txtCausale->Text(), QStringLiteral("Quota"));
            // A new date picked while the renewal is not ticked is neither checked nor written.
            d->txtNuovaDataScadenza->setValue(QDate(2030, 1, 1));
            d->txtCausale->clear();
            clickOk(d);
            NO_BOXES();
        });
        MSFlexGrid *g = list->MSFlexGrid1;
        g->simulateMouseDown(1, 2);
        g->simulateDblClick(1, 2);
        QCOMPARE(DialogScript::pendingDrivers(), 0);

        const QString stamp = prog.scalar("select DateTimeLastUpdated from Pagamenti");
        QCOMPARE(writes(),
                 QStringList{"UPDATE Pagamenti SET ANAGRAFICAID = 2,  DataPagamento = '2024-01-15 00:00:00',  "
                             "Importo = 12.5,  Causale = Null,  DateTimeLastUpdated = '"
                             + stamp + "' WHERE PagamentiID = 1 "});
        QCOMPARE(prog.scalar("select DataScadenzaIscrizione from Anagrafica where ANAGRAFICAID = 2"),
                 QStringLiteral("2024-06-30 00:00:00"));
        QCOMPARE(list->calls, (QStringList{"UpdateGridRow", "ClearGrid", "FillGrid"}));
    }

    void checksInOrderAndTheDialogsOwnState()
    {
        TestProgram prog;
        addRegister(prog);
        openList();
        frmProvaPagamento *d = nullptr;
        auto refusedWith = [&](const QString &message) {
            DialogScript::reset();
            clickOk(d);
            QCOMPARE(prompts(), QStringList{message});
            QVERIFY(d->isLoaded());
        };
        // No customer: the only message, whatever else is wrong.
        gIsNewRecord = true;
        d = openForm<frmProvaPagamento>();
        d->chkRinnovo->setValue(1);
        refusedWith("Selezionare il socio");
        d->Unload();

        // Opened from one customer's payments, whose key is beyond 32 bits: that customer.
        gPagamentiClienteNome = "Rossi Anna";
        gPagamentiClienteID = 5000000000.0;
        d = openForm<frmProvaPagamento>();
        QCOMPARE(d->cboSocio->Text(), QStringLiteral("Rossi Anna"));
        // Today's date is put there once: an activation later keeps the date the user chose.
        d->txtDataPagamento->setValue(QDate(2024, 2, 1));
        QEvent activate(QEvent::WindowActivate);
        QCoreApplication::sendEvent(d, &activate);
        QCOMPARE(d->txtDataPagamento->Value(), QDate(2024, 2, 1));

        refusedWith("Inserire l'importo del pagamento");
        for (const char *amount : {"12a", "1e3", "1,2,3", "12.50,3"}) {
            typeInto(d->txtImporto, amount);
            refusedWith("Formato dell'importo del pagamento non valido");
        }
        typeInto(d->txtImporto, "12,");
        d->chkRinnovo->setValue(1);
        refusedWith("Inserire la nuova data di scadenza dell'iscrizione del socio");
        QCOMPARE(prog.scalar("select count(*) from Pagamenti"), QStringLiteral("1"));
        d->chkRinnovo->setValue(0);
        DialogScript::reset();
        clickOk(d);
        NO_BOXES();
        QCOMPARE(prog.scalar("select ANAGRAFICAID || '|' || Importo || '|' || DataPagamento from Pagamenti "
                             "where PagamentiID = 2"),
                 QStringLiteral("5000000000|12|2024-02-01 00:00:00"));
    }

    void uniquenessThatCannotLookWritesNothing()
    {
        TestProgram prog;
        prog.addType(1, "Socio");
        gIsNewRecord = true;
        auto *d = openForm<frmEditAnagrafica>();
        d->cboTipologia->setListIndex(0);
        typeInto(d->txtCognome, "Rossi");
        typeInto(d->txtNumeroTessera, "T1");
        // The card numbers cannot be read: the count fails with its own message.
        sqlite3_set_authorizer(
            gSqliteDb->handle(),
            [](void *, int action, const char *table, const char *column, const char *, const char *) {
                return action == SQLITE_READ && qstricmp(table, "Anagrafica") == 0
                               && qstricmp(column, "NumeroTessera") == 0
                           ? SQLITE_DENY
                           : SQLITE_OK;
            },
            nullptr);
        clickOk(d);
        QCOMPARE(prompts().size(), 2);
        QVERIFY2(prompts().first().contains("(access to Anagrafica.NumeroTessera is prohibited) in procedure gRsOpen"),
                 qPrintable(prompts().first()));
        QVERIFY(prompts().last().endsWith("in procedure esisteRecordSQL of Modulo basGeneralCustom"));
        QVERIFY(d->isLoaded());
        QCOMPARE(prog.scalar("select count(*) from Anagrafica"), QStringLiteral("0"));
        sqlite3_set_authorizer(gSqliteDb->handle(), nullptr, nullptr);
        DialogScript::reset();
        clickOk(d);
        NO_BOXES();
        QCOMPARE(prog.scalar("select Cognome || NumeroTessera from Anagrafica"), QStringLiteral("RossiT1"));
    }

    void deleteOfSeveralStatementsIsWholeOrNothing()
    {
        TestProgram prog;
        addRegister(prog);
        prog.exec("insert into Pagamenti (PagamentiID, ANAGRAFICAID, Importo) values (2, 2, 5);"
                  "insert into Girate (PagamentiID, ANAGRAFICAID) values (1, 5000000000), (2, 2);"
                  "insert into Versamenti (PagamentiID, CONTOCORRENTEID) values (1, 3);"
                  "create trigger no_delete before delete on Pagamenti "
                  "begin select raise(abort, 'pagamento bloccato'); end");
        frmProvaPagamenti *list = openList();
        MSFlexGrid *g = list->MSFlexGrid1;
        clickRow(g, 1);
        DialogScript::answerMessage(6);
        QTest::mouseClick(list->cmdDelete, Qt::LeftButton);
        // The payment refused: its endorsement and deposit stay with it, and so does its row.
        QCOMPARE(prompts().size(), 2);
        QVERIFY2(prompts().last().contains("pagamento bloccato"), qPrintable(prompts().last()));
        QCOMPARE(prog.scalar("select (select count(*) from Pagamenti) || (select count(*) from Girate) || "
                             "(select count(*) from Versamenti)"),
                 QStringLiteral("221"));
        QCOMPARE(column(g, 0), (QStringList{"1", "2"}));

        prog.exec("drop trigger no_delete");
        DialogScript::reset();
        clickRow(g, 1);
        DialogScript::answerMessage(6);
        QTest::mouseClick(list->cmdDelete, Qt::LeftButton);
        QCOMPARE(prompts(), QStringList{"Sei sicuro di voler eliminare il record?"});
        QCOMPARE(
            prog.scalar("select (select group_concat(PagamentiID) from Pagamenti) || '|' || "
                        "(select group_concat(PagamentiID) from Girate) || '|' || (select count(*) from Versamenti)"),
            QStringLiteral("2|2|0"));
        QCOMPARE(column(g, 0), QStringList{"2"});
    }
};

QTEST_MAIN(TestEditDialog)
#include "tst_editdialog.moc"
