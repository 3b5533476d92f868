// The payment dialog: a payment and the membership renewal written as one, the checks in their
// order, the customer fixed when the list shows one customer, keys beyond 16 and 32 bits, the
// date left unfinished, and the receipt.
#include "payments/frmEditPagamenti.h"
#include "payments/frmPagamenti.h"
#include "testsupport.h"

namespace {
const QString kTotal = QStringLiteral("Importo complessivo dei pagamenti visualizzati: ");

// Bianchi (key 2) has one payment; Rossi's key is beyond 32 bits.
void seed(const TestProgram &prog)
{
    prog.addType(1, "Socio");
    prog.addCustomer(5000000000, "Rossi",
                     {{"Nome", "Anna"},
                      {"DataIscrizione", "2020-03-01 00:00:00"},
                      {"DataScadenzaIscrizione", "2024-12-31 00:00:00"}});
    prog.addCustomer(2, "Bianchi", {{"Nome", "Carlo"}, {"DataScadenzaIscrizione", "2024-06-30 00:00:00"}});
    prog.exec("insert into Pagamenti (PagamentiID, ANAGRAFICAID, DataPagamento, Importo, Causale, NotePagamento) "
              "values (1, 2, '2024-01-15 00:00:00', 12.5, 'Quota', 'l''ultima')");
}

// The day of the picker's date erased, as a user leaves a date half written: "/01/2024".
void eraseDay(XPDTPicker *picker)
{
    picker->setFocus();
    picker->setSelection(0, 2);
    QTest::keyClick(picker, Qt::Key_Backspace);
    QVERIFY2(!picker->Value().isValid() && !picker->IsEmpty(), qPrintable(picker->text()));
}

QString today() { return QDate::currentDate().toString("yyyy-MM-dd") + " 00:00:00"; }

const QString kStatusRossi = QStringLiteral("Tipologia cliente: Socio. Iscritto al programma fedeltà dal "
                                            "2020-03-01 00:00:00. Scadenza iscrizione: 2024-12-31 00:00:00. ");
} // namespace

class TestPaymentsEdit : public QObject {
    Q_OBJECT
private slots:
    void init() { resetShellState(); }

    void paymentAndRenewalAreOneWrite()
    {
        TestProgram prog;
        seed(prog);
        prog.exec("create trigger no_payment before insert on Pagamenti "
                  "begin select raise(abort, 'pagamento bloccato'); end;"
                  "create trigger no_renewal before update on Anagrafica "
                  "begin select raise(abort, 'scadenza bloccata'); end");
        frmPagamenti *list = openForm<frmPagamenti>();
        MSFlexGrid *g = list->MSFlexGrid1;
        recordWrites();
        bool done = false;
        drive<frmEditPagamenti>([&](frmEditPagamenti *d) {
            // A new payment of any customer: today's date, no customer, no renewal date shown.
            QCOMPARE(d->txtDataPagamento->Value(), QDate::currentDate());
            QCOMPARE(d->cboSocio->ListIndex(), -1);
            QVERIFY(!d->txtNuovaDataScadenza->isVisibleTo(d));
            QTest::keyClick(d->cboSocio, Qt::Key_End);
            QCOMPARE(d->cboSocio->Text(), QStringLiteral("Rossi Anna"));
            QCOMPARE(d->txtStatoSocio->Caption(), kStatusRossi);
            // The Italian way, with thousands; reason and note with what SQL would misread.
            typeInto(d->txtImporto, "1.250,50");
            typeInto(d->txtCausale, " Rinnovo l'anno ");
            typeInto(d->txtNote, "a;b -- \"c\"");
            QTest::mouseClick(d->chkModificaDataScadenzaIscrizione, Qt::LeftButton, {}, QPoint(6, 12));
            QVERIFY(d->txtNuovaDataScadenza->isVisibleTo(d));
            d->txtNuovaDataScadenza->setValue(QDate(2025, 12, 31));

            // The payment refused, then the renewal: nothing is written either time, the
            // dialog keeps what was typed and the list is not called back.
            const auto refusedBy = [&](const char *refusal) {
                DialogScript::reset();
                QTest::mouseClick(d->cmdOK, Qt::LeftButton);
                QCOMPARE(DialogScript::boxes().size(), 1);
                QVERIFY2(prompts().first().contains(refusal), qPrintable(prompts().first()));
                QVERIFY(d->isLoaded());
                QCOMPARE(d->txtImporto->Text() + "|" + d->cboSocio->Text() + "|" + d->txtCausale->Text(),
                         QStringLiteral("1.250,50|Rossi Anna| Rinnovo l'anno "));
                QCOMPARE(prog.scalar("select count(*) from Pagamenti"), QStringLiteral("1"));
                QCOMPARE(prog.scalar("select DataScadenzaIscrizione from Anagrafica where ANAGRAFICAID = 5000000000"),
                         QStringLiteral("2024-12-31 00:00:00"));
                QCOMPARE(column(g, 0), QStringList{"1"});
            };
            refusedBy("pagamento bloccato");
            prog.exec("drop trigger no_payment");
            refusedBy("scadenza bloccata");
            prog.exec("drop trigger no_renewal");
            DialogScript::reset();
            writes().clear();
            QTest::mouseClick(d->cmdOK, Qt::LeftButton);
            NO_BOXES();
            QVERIFY(!d->isLoaded());
            done = true;
        });
        QTest::mouseClick(list->cmdAdd, Qt::LeftButton);
        QVERIFY(done);

        // Both rows with one time stamp; the amount as the number it reads as.
        const QString stamp = prog.scalar("select DateTimeCreated from Pagamenti where PagamentiID = 2");
        QCOMPARE(prog.scalar("select Importo || '|' || Causale || '|' || NotePagamento from Pagamenti "
                             "where PagamentiID = 2"),
                 QStringLiteral("1250.5|Rinnovo l'anno|a;b -- \"c\""));
        QCOMPARE(prog.scalar("select DataScadenzaIscrizione || '|' || DateTimeLastUpdated from Anagrafica "
                             "where ANAGRAFICAID = 5000000000"),
                 "2025-12-31 00:00:00|" + stamp);
        QCOMPARE(writes(),
                 QStringList({"INSERT INTO Pagamenti ( ANAGRAFICAID,  Datapagamento, Importo, Causale, "
                              "NotePagamento, DateTimeCreated) VALUES (5000000000,  '"
                                  + today() + "',  1250.5,  'Rinnovo l''anno',  'a;b -- \"c\"',  '" + stamp + "') ",
                              "update anagrafica set datascadenzaiscrizione='2025-12-31 00:00:00', "
                              "DateTimeLastUpdated = '"
                                  + stamp + "'  where anagraficaid = 5000000000"}));
        // The list read again from the database, its total with it.
        QCOMPARE(column(g, 0), (QStringList{"1", "2"}));
        QCOMPARE(g->TextMatrix(2, 4) + "|" + g->TextMatrix(2, 5), QStringLiteral("Rinnovo l'anno|1.250,50 €"));
        QCOMPARE(list->lblTotaleImporti->Caption(), kTotal + "1.263,00 €");
        QCOMPARE(g->Row(), 0);
    }

    void editShowsThePaymentAndWritesOnlyIt()
    {
        TestProgram prog;
        seed(prog);
        frmPagamenti *list = openForm<frmPagamenti>();
        MSFlexGrid *g = list->MSFlexGrid1;
        recordWrites();
        drive<frmEditPagamenti>([&](frmEditPagamenti *d) {
            // The stored values, not today's date; the amount the Italian way.
            QCOMPARE(d->cboSocio->Text(), QStringLiteral("Bianchi Carlo"));
            QCOMPARE(d->idDelSocio, 2);
            QCOMPARE(d->txtDataPagamento->Value(), QDate(2024, 1, 15));
            QCOMPARE(d->txtImporto->Text() + "|" + d->txtCausale->Text() + "|" + d->txtNote->Text(),
                     QStringLiteral("12,5|Quota|l'ultima"));
            QCOMPARE(d->txtStatoSocio->Caption(),
                     QStringLiteral("Tipologia cliente: Socio. Scadenza iscrizione: 2024-06-30 00:00:00. "));
            // A new date picked, then the box unticked: it is neither checked nor written.
            d->chkModificaDataScadenzaIscrizione->setValue(1);
            d->txtNuovaDataScadenza->Clear();
            d->chkModificaDataScadenzaIscrizione->setValue(0);
            QVERIFY(!d->txtNuovaDataScadenza->isVisibleTo(d));
            typeInto(d->txtCausale, "");
            typeInto(d->txtImporto, "1.000");
            QTest::mouseClick(d->cmdOK, Qt::LeftButton);
            NO_BOXES();
        });
        doubleClickCell(g, 1, 2);
        QCOMPARE(DialogScript::pendingDrivers(), 0);

        // Without a comma, points between groups of three digits are thousands.
        const QString stamp = prog.scalar("select DateTimeLastUpdated from Pagamenti");
        QCOMPARE(writes(),
                 QStringList{"UPDATE Pagamenti SET ANAGRAFICAID = 2,  DataPagamento = '2024-01-15 00:00:00',  "
                             "Importo = 1000,  Causale = Null,  notepagamento = 'l''ultima',  "
                             "DateTimeLastUpdated = '"
                             + stamp + "' WHERE PagamentiID = 1 "});
        QCOMPARE(prog.scalar("select DataScadenzaIscrizione || ifnull(DateTimeLastUpdated, '') from Anagrafica "
                             "where ANAGRAFICAID = 2"),
                 QStringLiteral("2024-06-30 00:00:00"));
        QCOMPARE(gridRow(g, 1).mid(4, 2), (QStringList{"", "1.000,00 €"}));
        QCOMPARE(list->lblTotaleImporti->Caption(), kTotal + "1.000,00 €");
    }

    void checksInOrder()
    {
        TestProgram prog;
        seed(prog);
        openForm<frmPagamenti>();
        gIsNewRecord = true;
        frmEditPagamenti *d = openForm<frmEditPagamenti>();
        d->show();
        QVERIFY(QTest::qWaitForWindowActive(d));
        // No customer: the only message, whatever else is missing.
        d->chkModificaDataScadenzaIscrizione->setValue(1);
        typeInto(d->txtImporto, "x");
        refusedWith(d, "Selezionare il socio");
        QTest::keyClick(d->cboSocio, Qt::Key_Home);
        QCOMPARE(d->cboSocio->Text(), QStringLiteral("Bianchi Carlo"));
        d->txtDataPagamento->selectAll();
        QTest::keyClick(d->txtDataPagamento, Qt::Key_Delete);
        refusedWith(d, "Inserire la data del pagamento");
        d->txtDataPagamento->setValue(QDate(2024, 2, 1));
        eraseDay(d->txtDataPagamento);
        refusedWith(d, "Formato della data del pagamento non valido");
        QCOMPARE(QApplication::focusWidget(), static_cast<QWidget *>(d->txtDataPagamento));
        d->txtDataPagamento->setValue(QDate(2024, 2, 1));
        typeInto(d->txtImporto, "");
        refusedWith(d, "Inserire l'importo del pagamento");
        for (const char *amount : {"1e3", "12.50,3"}) {
            typeInto(d->txtImporto, amount);
            refusedWith(d, "Formato dell'importo del pagamento non valido");
        }
        typeInto(d->txtImporto, "12,");
        refusedWith(d, "Inserire la nuova data di scadenza dell'iscrizione del socio");
        // Ok while the new date is still being typed (by its access key: a click would take
        // the focus, and the picker put back its last date).
        d->txtNuovaDataScadenza->setValue(QDate(2025, 1, 31));
        eraseDay(d->txtNuovaDataScadenza);
        DialogScript::reset();
        d->cmdOK_Click();
        QCOMPARE(boxLog(),
                 QStringList{msg("Formato della nuova data di scadenza dell'iscrizione del socio non valido")});
        QCOMPARE(prog.scalar("select count(*) from Pagamenti"), QStringLiteral("1"));
        d->chkModificaDataScadenzaIscrizione->setValue(0);
        DialogScript::reset();
        QTest::mouseClick(d->cmdOK, Qt::LeftButton);
        NO_BOXES();
        QVERIFY(!d->isLoaded());
        QCOMPARE(prog.scalar("select ANAGRAFICAID || '|' || Importo || '|' || DataPagamento from Pagamenti "
                             "where PagamentiID = 2"),
                 QStringLiteral("2|12|2024-02-01 00:00:00"));
    }

    void leavingAnUnfinishedDateKeepsTheFocusThere()
    {
        TestProgram prog;
        seed(prog);
        openForm<frmPagamenti>();
        const auto open = [] {
            auto *d = onScreen(openEditDialog<frmEditPagamenti>(&frmPagamenti::mPagamentiID, false, 1));
            return QPair<EditDialog *, XPDTPicker *>(d, d->txtDataPagamento);
        };
        auto *d = static_cast<frmEditPagamenti *>(open().first);
        eraseDay(d->txtDataPagamento);
        const QString typed = d->txtDataPagamento->text();
        // Clicking another field: the message, and back to the date as it was typed.
        QTest::mouseClick(d->txtCausale, Qt::LeftButton);
        QCoreApplication::processEvents();
        QCOMPARE(boxLog(), QStringList{msg("Formato della data del pagamento non valido")});
        QCOMPARE(QApplication::focusWidget(), static_cast<QWidget *>(d->txtDataPagamento));
        QCOMPARE(d->txtDataPagamento->text(), typed);
        // A click on Ok says it once.
        DialogScript::reset();
        QTest::mouseClick(d->cmdOK, Qt::LeftButton);
        QCoreApplication::processEvents();
        QCOMPARE(prompts(), QStringList{"Formato della data del pagamento non valido"});
        dateToldOnLeavingOnly(d, d->txtDataPagamento, "Formato della data del pagamento non valido");
        // Mended, it passes; to Annulla it goes without a word.
        DialogScript::reset();
        d->txtDataPagamento->selectAll();
        QTest::keyClicks(d->txtDataPagamento, "20/01/2024");
        QTest::mouseClick(d->txtCausale, Qt::LeftButton);
        QCoreApplication::processEvents();
        QCOMPARE(d->txtDataPagamento->Value(), QDate(2024, 1, 20));
        eraseDay(d->txtDataPagamento);
        QTest::mouseClick(d->cmdCancel, Qt::LeftButton);
        QCoreApplication::processEvents();
        NO_BOXES();
        QVERIFY(!d->isLoaded());
        annullaChecksNothing(open);
        QCOMPARE(prog.scalar("select DataPagamento from Pagamenti"), QStringLiteral("2024-01-15 00:00:00"));
    }

    void oneCustomerFixedAndKeysBeyond16Bits()
    {
        TestProgram prog;
        seed(prog);
        prog.addCustomer(40000, "Neri", {{"Nome", "Ugo"}});
        // The payments of Rossi (key beyond 32 bits), as the customer list opens them.
        gPagamentiClienteNome = "Rossi";
        gPagamentiClienteID = 5000000000.0;
        gWherePagamenti = " a.anagraficaid=5000000000";
        prog.exec("insert into Pagamenti (PagamentiID, ANAGRAFICAID, Importo) values (5, 5000000000, 3)");
        frmPagamenti *list = openForm<frmPagamenti>();
        drive<frmEditPagamenti>([&](frmEditPagamenti *d) {
            d->show();
            QVERIFY(QTest::qWaitForWindowExposed(d));
            QCOMPARE(d->cboSocio->Text(), QStringLiteral("Rossi Anna"));
            QCOMPARE(d->txtStatoSocio->Caption(), kStatusRossi);
            // Neither keys nor the mouse pick another customer.
            QVERIFY(!d->cboSocio->isEnabled());
            QTest::keyClick(d->cboSocio, Qt::Key_Home);
            QTest::keyClick(d->cboSocio, Qt::Key_Up);
            QTest::mouseClick(d->cboSocio, Qt::LeftButton);
            QTest::keyClick(d->cboSocio, Qt::Key_Up);
            QCOMPARE(d->cboSocio->Text(), QStringLiteral("Rossi Anna"));
            QCOMPARE(d->idDelSocio, 5000000000LL);
            QCOMPARE(QApplication::focusWidget(), static_cast<QWidget *>(d->txtImporto));
            QTest::keyClicks(d->txtImporto, "5");
            // A renewal date earlier than the stored one is written as well.
            d->chkModificaDataScadenzaIscrizione->setValue(1);
            d->txtNuovaDataScadenza->setValue(QDate(2020, 1, 1));
            QTest::mouseClick(d->cmdOK, Qt::LeftButton);
            NO_BOXES();
        });
        QTest::mouseClick(list->cmdAdd, Qt::LeftButton);
        QCOMPARE(prog.scalar("select group_concat(ANAGRAFICAID) from Pagamenti where PagamentiID > 5"),
                 QStringLiteral("5000000000"));
        QCOMPARE(prog.scalar("select DataScadenzaIscrizione from Anagrafica where ANAGRAFICAID = 5000000000"),
                 QStringLiteral("2020-01-01 00:00:00"));
        QCOMPARE(column(list->MSFlexGrid1, 0), (QStringList{"5", "6"}));
        // Editing one of them: the customer is as fixed.
        drive<frmEditPagamenti>([](frmEditPagamenti *d) {
            QCOMPARE(d->cboSocio->Text(), QStringLiteral("Rossi Anna"));
            QVERIFY(!d->cboSocio->isEnabled());
        });
        doubleClickCell(list->MSFlexGrid1, 1, 2);
        QCOMPARE(DialogScript::pendingDrivers(), 0);

        // Every customer's payments: a key above 32767 is chosen like any other.
        list->Unload();
        gPagamentiClienteNome.clear();
        gWherePagamenti.clear();
        frmEditPagamenti *d = openEditDialog<frmEditPagamenti>(&frmPagamenti::mPagamentiID, true, 0);
        QTest::keyClicks(d->cboSocio, "Ne");
        QCOMPARE(d->idDelSocio, 40000);
        QCOMPARE(d->txtStatoSocio->Caption(), QStringLiteral("Tipologia cliente: Socio. "));
    }

    void receiptPrintsWhatTheDialogShows()
    {
        TestProgram prog;
        prog.exec("update settings set value='Bottega' where mnemocode='INTESTAZ'");
        seed(prog);
        gIsNewRecord = true;
        frmEditPagamenti *d = openForm<frmEditPagamenti>();
        QTest::keyClick(d->cboSocio, Qt::Key_End);
        d->txtDataPagamento->setValue(QDate(2024, 3, 5));
        QTest::keyClicks(d->txtImporto, "1.250,50");
        QTest::keyClicks(d->txtCausale, "<b>Quota</b>");
        auto cells = [](const QString &label, const QString &value) {
            return "<tr><th>" + label + "</th><td>" + value + "</td></tr>";
        };
        const QString empty = "<tr></tr>";
        const QString head =
            kPageHead7 + kHeadingFont + "Bottega</p>" + kHeadingFont + "Ricevuta di pagamento</p>" + "<table>";
        const QString fields = empty + cells("Cliente", "Rossi Anna") + empty + cells("Data Pagamento", "05/03/2024")
                               + empty + cells("Importo (€)", "1.250,50") + empty
                               + cells("Causale", "&lt;b&gt;Quota&lt;/b&gt;") + empty + cells("Note", "") + empty
                               + empty + empty + empty + empty + empty; // buttons, browser, status line
        const QString renewal = "Modifica contestualmente la data di scadenza dell'iscrizione al programma fedeltà";
        QTest::mouseClick(d->cmdPrint, Qt::LeftButton);
        QCOMPARE(d->web->html(), head + cells(renewal, "No") + fields + "</table></body></html>");
        // Ticked: the new date is printed last.
        d->chkModificaDataScadenzaIscrizione->setValue(1);
        d->txtNuovaDataScadenza->setValue(QDate(2025, 12, 31));
        QTest::mouseClick(d->cmdPrint, Qt::LeftButton);
        QCOMPARE(d->web->html(), head + cells(renewal, "Sì") + fields + empty
                                     + cells("Nuova data di scadenza", "31/12/2025") + "</table></body></html>");
        QCOMPARE(d->web->previewCount(), 2);
        // Printing writes nothing and leaves the dialog open.
        QVERIFY(d->isLoaded());
        QCOMPARE(prog.scalar("select count(*) from Pagamenti"), QStringLiteral("1"));
        NO_BOXES();
    }
};

QTEST_MAIN(TestPaymentsEdit)
#include "tst_payments_edit.moc"
