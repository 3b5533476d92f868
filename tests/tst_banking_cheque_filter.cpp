// The issued-cheque filter: its terms in their order, the grey flag boxes that stand for any
// value, the format checks of its bounds, and what it remembers between openings.
#include "banking/frmAssegniEmessi.h"
#include "banking/frmSelectAssegniEmessi.h"
#include "testsupport.h"

namespace {
void seed(const TestProgram &prog)
{
    prog.addType(1, "Socio");
    prog.addCustomer(7, "Bianchi", {{"Nome", "Carlo"}});
    prog.addCustomer(5000000001, "O'Neil", {{"Nome", "Anna"}});
    prog.exec("insert into MieiContiCorrenti (CONTOCORRENTEID, Descrizione) values (3, 'Conto casa'), "
              "(5000000000, 'Conto studio');"
              "insert into AssegniEmessi (ASSEGNIEMESSIID, CONTOCORRENTEID, ANAGRAFICAID, Numero, DataAssegno, "
              "LuogoEmissione, SuPiazza, Trasferibile, Sbarrato, Importo, Causale, AssegnoNote) values "
              "(1, 3, 7, '101', '2024-03-01 00:00:00', 'Roma', 0, 1, 0, 10, 'Affitto', NULL), "
              "(2, 5000000000, 5000000001, '1015', '2024-03-31 00:00:00', 'L''Aquila; --', 1, 0, 1, 10.5, NULL, "
              "'Nota \"x\"'), "
              "(3, 5000000000, 7, '103', '2024-04-01 00:00:00', 'Bari', 1, 1, 1, 250, 'Saldo', NULL)");
}

// The filter dialog as the list's button opens it, driven by the steps.
void filterWith(frmAssegniEmessi *w, std::function<void(frmSelectAssegniEmessi *)> steps)
{
    DialogScript::reset();
    drive<frmSelectAssegniEmessi>(std::move(steps));
    QTest::mouseClick(w->cmdSelect, Qt::LeftButton);
    QCOMPARE(DialogScript::pendingDrivers(), 0);
}
} // namespace

class TestBankingChequeFilter : public QObject {
    Q_OBJECT
private slots:
    void init() { resetShellState(); }

    void everyTermInItsOrder()
    {
        TestProgram prog;
        seed(prog);
        frmAssegniEmessi *w = openForm<frmAssegniEmessi>();
        filterWith(w, [](frmSelectAssegniEmessi *d) {
            QVERIFY(d->cmdPrint->isVisibleTo(d));
            // Nothing chosen, the flags grey.
            QCOMPARE(d->cboDescrizione->ListIndex(), -1);
            QCOMPARE(d->cboNome->ListIndex(), -1);
            QCOMPARE(QList<int>({d->chkSuPiazza->Value(), d->chkTrasferibile->Value(), d->chkSbarrato->Value()}),
                     QList<int>({2, 2, 2}));
            // Filled from the last field to the first: the terms still come in their own order.
            typeInto(d->txtAssegnoNote, "Nota");
            typeInto(d->txtCausale, "Aff");
            typeInto(d->txtImportoA, "1.000,5");
            typeInto(d->txtImportoDa, " 10,5 ");
            QTest::mouseClick(d->chkSbarrato, Qt::LeftButton); // grey to ticked
            d->chkTrasferibile->setValue(0);
            d->chkSuPiazza->setValue(1);
            typeInto(d->txtLuogoEmissione, "Roma,Bari");
            typeInto(d->txtDataA, "31/12/2024");
            typeInto(d->txtDataDa, "2024-01-01 00:00:00");
            typeInto(d->txtNumero, "10");
            choose(d->cboNome, "O'Neil Anna");
            choose(d->cboDescrizione, "Conto studio");
            QTest::mouseClick(d->optOR, Qt::LeftButton);
            QTest::mouseClick(d->cmdOK, Qt::LeftButton);
            QVERIFY(!d->isLoaded());
        });
        NO_BOXES();
        QCOMPARE(gWhereAssegniEmessi,
                 QStringLiteral("a.CONTOCORRENTEID = 5000000000 OR a.ANAGRAFICAID = 5000000001 OR "
                                "a.Numero Like '%10%' OR a.DataAssegno >= ('2024-01-01 00:00:00') OR "
                                "a.DataAssegno <= ('2024-12-31 00:00:00') OR a.LuogoEmissione IN ('Roma', 'Bari') OR "
                                "a.SuPiazza = True  OR a.Trasferibile =False  OR a.Sbarrato =True  OR "
                                "a.Importo >= 10.5  OR a.Importo <= 1000.5  OR a.Causale Like '%Aff%' OR "
                                "a.AssegnoNote Like '%Nota%'"));
        QCOMPARE(column(w->MSFlexGrid1, 0), (QStringList{"1", "2", "3"}));

        // Reopened as left; with AND the same choices narrow to one cheque.
        filterWith(w, [](frmSelectAssegniEmessi *d) {
            QCOMPARE(d->cboNome->Text(), QStringLiteral("O'Neil Anna"));
            QCOMPARE(d->txtImportoDa->Text(), QStringLiteral(" 10,5 "));
            QCOMPARE(QList<int>({d->chkSuPiazza->Value(), d->chkTrasferibile->Value(), d->chkSbarrato->Value()}),
                     QList<int>({1, 0, 1}));
            QVERIFY(d->optOR->Value());
            QTest::mouseClick(d->optAND, Qt::LeftButton);
            for (XPTextBox *t : {d->txtNumero, d->txtLuogoEmissione, d->txtCausale, d->txtAssegnoNote})
                typeInto(t, "");
            QTest::mouseClick(d->cmdOK, Qt::LeftButton);
        });
        QCOMPARE(column(w->MSFlexGrid1, 0), QStringList{"2"});
    }

    void flagsNumbersAndTextsMatchAsTyped()
    {
        TestProgram prog;
        seed(prog);
        frmAssegniEmessi *w = openForm<frmAssegniEmessi>();
        // The cheques listed after a filter made from a cleared dialog; a message shows instead.
        auto listed = [&](std::function<void(frmSelectAssegniEmessi *)> steps) -> QStringList {
            filterWith(w, [steps](frmSelectAssegniEmessi *d) {
                QTest::mouseClick(d->cmdClear, Qt::LeftButton);
                steps(d);
                QTest::mouseClick(d->cmdOK, Qt::LeftButton);
            });
            if (!DialogScript::boxes().isEmpty())
                return {QStringLiteral("refused: ") + prompts().join('|')};
            return column(w->MSFlexGrid1, 0);
        };
        // A cleared box asks for the flag not set, a ticked one for it set; Reimposta greys them
        // again: no flag term.
        QCOMPARE(listed([](frmSelectAssegniEmessi *d) { d->chkSbarrato->setValue(0); }), QStringList{"1"});
        QCOMPARE(gWhereAssegniEmessi, QStringLiteral("a.Sbarrato =False "));
        QCOMPARE(listed([](frmSelectAssegniEmessi *) {}), (QStringList{"1", "2", "3"}));
        QCOMPARE(listed([](frmSelectAssegniEmessi *d) { d->chkTrasferibile->setValue(1); }), (QStringList{"1", "3"}));
        // Numbers separated by a comma are exact numbers, not fragments.
        QCOMPARE(listed([](frmSelectAssegniEmessi *d) { typeInto(d->txtNumero, "101,103"); }), (QStringList{"1", "3"}));
        QCOMPARE(listed([](frmSelectAssegniEmessi *d) { typeInto(d->txtNumero, "101"); }), (QStringList{"1", "2"}));
        // Quotes, a semicolon and a comment mark are looked for literally.
        QCOMPARE(listed([](frmSelectAssegniEmessi *d) { typeInto(d->txtLuogoEmissione, "L'Aquila; --"); }),
                 QStringList{"2"});
        QCOMPARE(listed([](frmSelectAssegniEmessi *d) { typeInto(d->txtAssegnoNote, "\"x\""); }), QStringList{"2"});
        QCOMPARE(listed([](frmSelectAssegniEmessi *d) { typeInto(d->txtCausale, "'; --"); }), QStringList());
        QCOMPARE(w->MSFlexGrid1->TextMatrix(0, 0), QStringLiteral("0 Records"));
        // Both bounds inclusive, a decimal comma read as such.
        QCOMPARE(listed([](frmSelectAssegniEmessi *d) {
                     typeInto(d->txtImportoDa, "10,5");
                     typeInto(d->txtImportoA, "250");
                     typeInto(d->txtDataA, "31/03/2024");
                 }),
                 QStringList{"2"});
    }

    void badBoundsAreRefused()
    {
        TestProgram prog;
        seed(prog);
        frmAssegniEmessi *w = openForm<frmAssegniEmessi>();
        gWhereAssegniEmessi = "a.ASSEGNIEMESSIID = 3";
        w->FillGrid();
        filterWith(w, [](frmSelectAssegniEmessi *d) {
            typeInto(d->txtDataDa, "01/01/2024");
            typeInto(d->txtDataA, "domani");
            QTest::mouseClick(d->cmdOK, Qt::LeftButton);
            QCOMPARE(prompts(), QStringList{"Formato della data di arrivo non valido"});
            typeInto(d->txtDataA, "");
            typeInto(d->txtImportoA, "1e3");
            DialogScript::reset();
            QTest::mouseClick(d->cmdOK, Qt::LeftButton);
            QCOMPARE(prompts(), QStringList{"Formato dell'importo massimo non valido"});
            QVERIFY(d->isLoaded());
            QTest::mouseClick(d->cmdCancel, Qt::LeftButton);
        });
        // Nothing stored, the list as it was.
        QCOMPARE(gWhereAssegniEmessi, QStringLiteral("a.ASSEGNIEMESSIID = 3"));
        QCOMPARE(column(w->MSFlexGrid1, 0), QStringList{"3"});
    }
};

QTEST_MAIN(TestBankingChequeFilter)
#include "tst_banking_cheque_filter.moc"
