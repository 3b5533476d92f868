// The payments list: its two ways of opening, the amounts and their total, the printout and the
// export, the delete of a payment with its endorsements and deposits, and the row call-backs.
#include "customers/frmAnagrafica.h"
#include "payments/frmEditPagamenti.h"
#include "payments/frmPagamenti.h"
#include "payments/frmSelectPagamenti.h"
#include "shell/frmMain.h"
#include "testsupport.h"

namespace {
const QString kTotal = QStringLiteral("Importo complessivo dei pagamenti visualizzati: ");

// Three customers, one with a key beyond 32 bits and one above 32767; Rossi has two payments
// (one without an amount), Bianchi one, Verdi none.
void seed(const TestProgram &prog)
{
    prog.addType(1, "Socio");
    prog.addCustomer(3, "Verdi", {{"Nome", "Ugo"}});
    prog.addCustomer(40000, "Rossi", {{"Nome", "Anna"}});
    prog.addCustomer(5000000000, "Bianchi", {{"Nome", "Carlo"}});
    prog.exec("insert into Pagamenti (PagamentiID, ANAGRAFICAID, DataPagamento, Importo, Causale, NotePagamento, "
              "DateTimeCreated) values (1, 40000, '2024-01-15 00:00:00', 1234.5, 'Quota', '<b>prima</b> & co', "
              "'2024-01-15 10:00:00'), (2, 5000000000, '2024-02-01 00:00:00', 10, 'Tessera', NULL, NULL), "
              "(3, 40000, '2024-03-01 00:00:00', NULL, 'Omaggio', NULL, NULL)");
}

int rowOfKey(const MSFlexGrid *g, const QString &key) { return int(column(g, 0).indexOf(key)) + 1; }

QString row(const QString &tag, const QStringList &cells)
{
    QString s = "<tr>";
    for (const QString &c : cells)
        s += "<" + tag + ">" + c + "</" + tag + ">";
    return s + "</tr>";
}
} // namespace

class TestPaymentsList : public QObject {
    Q_OBJECT
private slots:
    void init() { resetShellState(); }

    void allCustomersFromTheMainWindow()
    {
        TestProgram prog;
        prog.exec("update settings set value='Bottega' where mnemocode='INTESTAZ'");
        seed(prog);
        frmMain *m = openForm<frmMain>();
        QVERIFY(m->cmdContiCorrenti->isEnabled());
        // What an earlier opening from a customer left behind is cleared.
        gWherePagamenti = " a.anagraficaid=3";
        gPagamentiClienteNome = "Verdi";
        bool shown = false;
        drive<frmPagamenti>([&](frmPagamenti *w) {
            shown = true;
            QCOMPARE(w->Caption() + "|" + w->OsenXPForm1->Caption(), QStringLiteral("Pagamenti|Pagamenti"));
            QVERIFY(w->cmdSelect->isEnabled());
            MSFlexGrid *g = w->MSFlexGrid1;
            QCOMPARE(column(g, 2), (QStringList{"40000", "5000000000", "40000"}));
            QCOMPARE(g->ColWidth(0) + g->ColWidth(2), 0.0);
            // A payment without an amount adds nothing.
            QCOMPARE(w->lblTotaleImporti->Caption(), kTotal + "1.244,50 €");

            w->cmdPrintGrid->click();
            QCOMPARE(w->web->html(),
                     kPageHead7 + kHeadingFont + "Bottega - Pagamenti</p>" + kGridTable
                         + row("th", {"Cliente", "Data Pagamento", "Causale", "Importo", "Note Pagamento",
                                      "Data Creazione", "Data Ultima Modifica"})
                         + row("td", {"Rossi Anna", "2024-01-15 00:00:00", "Quota", "1.234,50 €",
                                      "&lt;b&gt;prima&lt;/b&gt; & co", "2024-01-15 10:00:00", ""})
                         + row("td", {"Bianchi Carlo", "2024-02-01 00:00:00", "Tessera", "10,00 €", "", "", ""})
                         + row("td", {"Rossi Anna", "2024-03-01 00:00:00", "Omaggio", "", "", "", ""}) + "</table>"
                         + kTotal + "1.244,50 €</body></html>");
            QTest::mouseClick(w->cmdClose, Qt::LeftButton);
        });
        QTest::mouseClick(m->cmdContiCorrenti, Qt::LeftButton);
        QVERIFY(shown);
        QCOMPARE(DialogScript::pendingDrivers(), 0);
        NO_BOXES();
    }

    void oneCustomerFromTheCustomerList()
    {
        TestProgram prog;
        prog.exec("update settings set value='Bottega' where mnemocode='INTESTAZ'");
        seed(prog);
        frmAnagrafica *customers = openForm<frmAnagrafica>();
        clickRow(customers->MSFlexGrid1, rowOfKey(customers->MSFlexGrid1, "40000"), 3);
        bool shown = false;
        drive<frmPagamenti>([&](frmPagamenti *w) {
            shown = true;
            QCOMPARE(w->Caption() + "|" + w->OsenXPForm1->Caption(),
                     QStringLiteral("Pagamenti di Rossi|Pagamenti di Rossi"));
            MSFlexGrid *g = w->MSFlexGrid1;
            QCOMPARE(column(g, 0), (QStringList{"1", "3"}));
            QCOMPARE(w->lblTotaleImporti->Caption(), kTotal + "1.234,50 €");
            // The filter would replace the customer: it cannot be opened, by mouse or otherwise.
            QVERIFY(!w->cmdSelect->isEnabled());
            bool filtered = false;
            drive<frmSelectPagamenti>([&](frmSelectPagamenti *) { filtered = true; });
            QTest::mouseClick(w->cmdSelect, Qt::LeftButton);
            w->cmdSelect_Click();
            QVERIFY(!filtered);
            QCOMPARE(DialogScript::pendingDrivers(), 1);
            DialogScript::reset();
            QCOMPARE(gWherePagamenti, QStringLiteral(" a.anagraficaid=40000"));

            w->cmdPrintGrid->click();
            const QString html = w->web->html();
            QVERIFY2(html.startsWith(kPageHead7 + kHeadingFont + "Bottega - Pagamenti di Rossi</p>" + kGridTable),
                     qPrintable(html.left(800)));
            QVERIFY(html.endsWith("</table>" + kTotal + "1.234,50 €</body></html>"));
        });
        QTest::mouseClick(customers->cmdApriPagamenti, Qt::LeftButton);
        QVERIFY(shown);
        NO_BOXES();
    }

    // A renewal recorded from one customer's payments is seen in the customer list once the
    // payments are closed, on the same row, still selected.
    void aRenewalShowsInTheCustomerListBehind()
    {
        TestProgram prog;
        seed(prog);
        prog.exec("update Anagrafica set DataScadenzaIscrizione = '2024-12-31 00:00:00' where ANAGRAFICAID = 40000");
        frmAnagrafica *customers = openForm<frmAnagrafica>();
        MSFlexGrid *cg = customers->MSFlexGrid1;
        const int row = rowOfKey(cg, "40000");
        const int expiry = int(gridRow(cg, 0).indexOf("Data Scadenza Iscrizione"));
        QVERIFY(expiry > 0);
        QCOMPARE(cg->TextMatrix(row, expiry), QStringLiteral("2024-12-31 00:00:00"));
        clickRow(cg, row, 3);
        drive<frmPagamenti>([&](frmPagamenti *w) {
            drive<frmEditPagamenti>([](frmEditPagamenti *d) {
                QTest::keyClicks(d->txtImporto, "30");
                QTest::mouseClick(d->chkModificaDataScadenzaIscrizione, Qt::LeftButton);
                QTest::keyClicks(d->txtNuovaDataScadenza, "31/12/2025");
                QTest::mouseClick(d->cmdOK, Qt::LeftButton);
            });
            QTest::mouseClick(w->cmdAdd, Qt::LeftButton);
            QCOMPARE(w->MSFlexGrid1->Rows(), 4);
            QTest::mouseClick(w->cmdClose, Qt::LeftButton);
        });
        QTest::mouseClick(customers->cmdApriPagamenti, Qt::LeftButton);
        NO_BOXES();
        QCOMPARE(prog.scalar("select DataScadenzaIscrizione from Anagrafica where ANAGRAFICAID = 40000"),
                 QStringLiteral("2025-12-31 00:00:00"));
        QCOMPARE(cg->Row(), row);
        QCOMPARE(cg->TextMatrix(row, 0), QStringLiteral("40000"));
        QCOMPARE(cg->TextMatrix(row, expiry), QStringLiteral("2025-12-31 00:00:00"));
        QVERIFY(!cg->TextMatrix(row, expiry + 2).isEmpty()); // its time of change
    }

    void deleteTakesEndorsementsAndDepositsInOneWrite()
    {
        TestProgram prog;
        seed(prog);
        prog.exec("insert into Girate (PagamentiID, ANAGRAFICAID) values (1, 5000000000), (2, 3);"
                  "insert into Versamenti (PagamentiID, CONTOCORRENTEID) values (1, 3);"
                  "create trigger no_delete before delete on Pagamenti "
                  "begin select raise(abort, 'pagamento bloccato'); end");
        frmPagamenti *w = openForm<frmPagamenti>();
        MSFlexGrid *g = w->MSFlexGrid1;
        const auto counts = [&] {
            return prog.scalar("select (select count(*) from Pagamenti) || (select count(*) from Girate) || "
                               "(select count(*) from Versamenti)");
        };
        // Nothing is selected after the fill: the Delete key does nothing.
        QTest::keyClick(g, Qt::Key_Delete);
        NO_BOXES();
        // Answering no deletes nothing.
        clickRow(g, 1);
        DialogScript::answerMessage(7);
        QTest::mouseClick(w->cmdDelete, Qt::LeftButton);
        QCOMPARE(boxLog(), QStringList{msg("Sei sicuro di voler eliminare il record?", 4)});
        QCOMPARE(counts(), QStringLiteral("321"));
        // The payment refused: its endorsement and deposit stay with it, and so does its row.
        DialogScript::reset();
        DialogScript::answerMessage(6);
        QTest::mouseClick(w->cmdDelete, Qt::LeftButton);
        QCOMPARE(prompts().size(), 2);
        QVERIFY2(prompts().last().contains("pagamento bloccato"), qPrintable(prompts().last()));
        QCOMPARE(counts(), QStringLiteral("321"));
        QCOMPARE(column(g, 0), (QStringList{"1", "2", "3"}));

        // Accepted, by the Delete key: the three rows go, the list and its total are read again.
        prog.exec("drop trigger no_delete");
        DialogScript::reset();
        clickRow(g, 1);
        DialogScript::answerMessage(6);
        QTest::keyClick(g, Qt::Key_Delete);
        QCOMPARE(prompts(), QStringList{"Sei sicuro di voler eliminare il record?"});
        QCOMPARE(prog.scalar("select (select group_concat(PagamentiID) from (select PagamentiID from Pagamenti "
                             "order by 1)) || '|' || "
                             "(select group_concat(PagamentiID) from Girate) || '|' || "
                             "(select count(*) from Versamenti)"),
                 QStringLiteral("2,3|2|0"));
        QCOMPARE(w->mPagamentiID, 1.0);
        QCOMPARE(column(g, 0), (QStringList{"2", "3"}));
        QCOMPARE(w->lblTotaleImporti->Caption(), kTotal + "10,00 €");
        QCOMPARE(g->Row(), 0);
    }

    void rowCallBacksAndTheirErrors()
    {
        TestProgram prog;
        seed(prog);
        frmPagamenti *w = openForm<frmPagamenti>();
        MSFlexGrid *g = w->MSFlexGrid1;
        MSFlexGrid::TestSeam::mouseDown(*g, 0, 4);
        QCOMPARE(column(g, 4), (QStringList{"Omaggio", "Quota", "Tessera"}));
        // The current row rewritten with the payment's data, whatever the rows' order.
        prog.exec("update Pagamenti set Causale = 'Rinnovo', Importo = 12.5 where PagamentiID = 2");
        clickRow(g, 3);
        w->mPagamentiID = 2;
        w->UpdateGridRow();
        QCOMPARE(gridRow(g, 3).mid(0, 6),
                 (QStringList{"2", "Bianchi Carlo", "5000000000", "2024-02-01 00:00:00", "Rinnovo", "12,5"}));
        // The highest key appended last, and left in the key member.
        prog.exec("insert into Pagamenti (PagamentiID, ANAGRAFICAID, Importo) values (7, 3, 1)");
        w->AddGridRow();
        QCOMPARE(w->mPagamentiID, 7.0);
        QCOMPARE(gridRow(g, 4).mid(0, 3), (QStringList{"7", "Verdi Ugo", "3"}));
        NO_BOXES();

        // While the main window traps errors the append reports the number and the procedure
        // entered last; otherwise the standard message.
        prog.exec("alter table Pagamenti rename to Altro");
        gErrorTrapOn = true;
        w->AddGridRow();
        QCOMPARE(DialogScript::boxes().size(), 2); // the query's own message, then the append's
        const QString trapped =
            QStringLiteral("Error No: 3704 Operation is not allowed when the object is closed. in ");
        QVERIFY2(boxLog().last().startsWith("msg:" + trapped) && boxLog().last().endsWith("|48|Norvik"),
                 qPrintable(boxLog().last()));
        QVERIFY(!prompts().last().endsWith(" in "));
        QCOMPARE(Screen::MousePointer(), 0);
        DialogScript::reset();
        gErrorTrapOn = false;
        w->AddGridRow();
        QCOMPARE(boxLog().last(), msg("Error 3704 (Operation is not allowed when the object is closed.) in "
                                      "procedure AddGridRow of Form frmPagamenti"));
        QCOMPARE(g->Rows(), 5);
    }
};

QTEST_MAIN(TestPaymentsList)
#include "tst_payments_list.moc"
