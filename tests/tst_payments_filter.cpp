// The payments filter: its terms and what they select, the date and amount bounds refused or
// read by the number rule, the values and the customer kept for the run, and the list refilled.
#include "payments/frmPagamenti.h"
#include "payments/frmSelectPagamenti.h"
#include "testsupport.h"

namespace {
const QString kTotal = QStringLiteral("Importo complessivo dei pagamenti visualizzati: ");

// The dialog shown, as the user sees it.
frmSelectPagamenti *openDialog() { return onScreen(openForm<frmSelectPagamenti>()); }

// The payments the list's query selects now, by key.
QString listed() { return column(FormInstance<frmPagamenti>::get()->MSFlexGrid1, 0).join(','); }
} // namespace

class TestPaymentsFilter : public QObject {
    Q_OBJECT
private slots:
    void init() { resetShellState(); }

    void amountAndDateBounds()
    {
        TestProgram prog;
        prog.addCustomer(1, "Rossi", {{"Nome", "Mario"}});
        prog.addCustomer(2, "Bianchi", {{"Nome", "Anna"}});
        prog.exec("insert into Pagamenti (PagamentiID, ANAGRAFICAID, DataPagamento, Importo, Causale) values"
                  " (1, 1, '2024-01-01 00:00:00', 1250.5, 'Quota'), (2, 1, '2024-03-10 00:00:00', 1250.49, 'Quota'),"
                  " (3, 1, '2024-06-30 00:00:00', 2000, 'Tessera'), (4, 1, '2024-07-01 00:00:00', 2000.01, 'Quota'),"
                  " (5, 2, '2024-02-01 00:00:00', 1500, 'Quota'), (6, 1, '2023-12-31 00:00:00', 1300, 'Quota')");
        frmPagamenti *list = openForm<frmPagamenti>();
        // Typed the Italian way, written the database's way; both bounds inclusive.
        frmSelectPagamenti *d = openDialog();
        QVERIFY(d->optAND->Value() && !d->cmdPrint->isVisible());
        QTest::keyClicks(d->cboSocio, "Ros");
        QCOMPARE(d->cboSocio->Text(), QStringLiteral("Rossi Mario"));
        QTest::keyClicks(d->txtDataDa, "01/01/2024");
        QTest::keyClicks(d->txtDataA, " 2024-06-30 ");
        QTest::keyClicks(d->txtImportoDa, "1.250,50");
        QTest::keyClicks(d->txtImportoA, "2000");
        QTest::mouseClick(d->cmdOK, Qt::LeftButton);
        NO_BOXES();
        QCOMPARE(gWherePagamenti,
                 QStringLiteral("a.ANAGRAFICAID = 1 AND a.Datapagamento >= ('2024-01-01 00:00:00') AND "
                                "a.Datapagamento <= ('2024-06-30 00:00:00') AND a.Importo >= 1250.5  "
                                "AND a.Importo <= 2000 "));
        QCOMPARE(listed(), QStringLiteral("1,3"));
        QCOMPARE(list->lblTotaleImporti->Caption(), kTotal + "3.250,50 €");
        QVERIFY(!d->isLoaded());
        // The amount as stored and as a list shows it are read alike; OR joins the bounds too.
        d = openDialog();
        QCOMPARE(d->txtImportoDa->text(), QStringLiteral("1.250,50")); // shown as typed
        QTest::mouseClick(d->cmdClear, Qt::LeftButton);
        QTest::mouseClick(d->optOR, Qt::LeftButton);
        QTest::keyClicks(d->txtImportoDa, "2000.01");
        typeKeys(d->txtImportoA, "1.250,49 €");
        QTest::mouseClick(d->cmdOK, Qt::LeftButton);
        QCOMPARE(gWherePagamenti, QStringLiteral("a.Importo >= 2000.01  OR a.Importo <= 1250.49 "));
        QCOMPARE(listed(), QStringLiteral("2,4"));
        NO_BOXES();

        // A bound that is no date or no amount: its message, nothing stored or saved, the dialog
        // open on the box to mend. Dates are checked before amounts, "da" before "a".
        const QString applied = gWherePagamenti;
        const QStringList saved = frmSelectPagamenti::filterState.values;
        d = openDialog();
        QTest::mouseClick(d->cmdClear, Qt::LeftButton);
        const QStringList cleared = frmSelectPagamenti::filterState.values;
        QTest::keyClicks(d->txtCausale, "Quota");
        typeInto(d->txtImportoA, "1e3");
        typeInto(d->txtImportoDa, "12a");
        typeInto(d->txtDataA, "31/02/2011");
        typeInto(d->txtDataDa, "32/01/2024");
        const QStringList messages = {
            "Formato della data di partenza non valido", "Formato della data di arrivo non valido",
            "Formato dell'importo minimo non valido", "Formato dell'importo massimo non valido"};
        const QList<XPTextBox *> boxes = {d->txtDataDa, d->txtDataA, d->txtImportoDa, d->txtImportoA};
        // Without a comma, points between groups of three digits are thousands: "1.000" is 1000.
        const QStringList mended = {"1/1/2024", "31/12/2024", "1.000", "1; drop table Pagamenti"};
        for (int i = 0; i < 4; ++i) {
            DialogScript::reset();
            QTest::mouseClick(d->cmdOK, Qt::LeftButton);
            QCOMPARE(boxLog(), QStringList{msg(messages.at(i))});
            QVERIFY(d->isLoaded());
            QCOMPARE(d->focusWidget(), static_cast<QWidget *>(boxes.at(i)));
            QCOMPARE(gWherePagamenti, applied);
            QCOMPARE(frmSelectPagamenti::filterState.values, cleared);
            typeInto(boxes.at(i), mended.at(i));
        }
        QVERIFY(saved != cleared);
        // The last one mended is still no amount: typed text never reaches the statement.
        DialogScript::reset();
        QTest::mouseClick(d->cmdOK, Qt::LeftButton);
        QCOMPARE(prompts(), QStringList{"Formato dell'importo massimo non valido"});
        typeInto(d->txtImportoA, "1.500,00");
        DialogScript::reset();
        QTest::mouseClick(d->cmdOK, Qt::LeftButton);
        NO_BOXES();
        QCOMPARE(gWherePagamenti,
                 QStringLiteral("a.Datapagamento >= ('2024-01-01 00:00:00') OR a.Datapagamento <= "
                                "('2024-12-31 00:00:00') OR a.Importo >= 1000  OR a.Importo <= 1500  OR "
                                "a.Causale Like '%Quota%'"));
        QCOMPARE(listed(), QStringLiteral("1,2,3,4,5,6"));
        QCOMPARE(prog.scalar("select count(*) from Pagamenti"), QStringLiteral("6"));
    }

    void textsMatchedLiterallyAndJoined()
    {
        TestProgram prog;
        prog.addCustomer(1, "Rossi", {{"Nome", "Mario"}});
        prog.addCustomer(2, "Bianchi", {{"Nome", "Anna"}});
        prog.exec("insert into Pagamenti (PagamentiID, ANAGRAFICAID, Importo, Causale, NotePagamento) values"
                  " (1, 1, 10, 'Quota', 'l''anno; -- \"x\"'), (2, 2, 20, 'l''anno', NULL),"
                  " (3, 2, 30, 'Tessera', 'a;b'), (4, 1, 40, 'Rinnovo -- \"2024\"', NULL)");
        frmPagamenti *list = openForm<frmPagamenti>();
        // Opened from the list's search button.
        drive<frmSelectPagamenti>([](frmSelectPagamenti *d) {
            QTest::keyClicks(d->txtNotePagamento, "l'anno; -- \"x\"");
            QTest::mouseClick(d->cmdOK, Qt::LeftButton);
        });
        QTest::mouseClick(list->cmdSelect, Qt::LeftButton);
        QCOMPARE(gWherePagamenti, QStringLiteral("a.notepagamento Like '%l''anno; -- \"x\"%'"));
        QCOMPARE(listed(), QStringLiteral("1"));
        QCOMPARE(list->lblTotaleImporti->Caption(), kTotal + "10,00 €");
        // A list of exact reasons, quotes and all.
        frmSelectPagamenti *d = openDialog();
        QTest::mouseClick(d->cmdClear, Qt::LeftButton);
        QTest::keyClicks(d->txtCausale, "l'anno,Rinnovo -- \"2024\"");
        QTest::mouseClick(d->cmdOK, Qt::LeftButton);
        QCOMPARE(gWherePagamenti, QStringLiteral("a.Causale IN ('l''anno', 'Rinnovo -- \"2024\"')"));
        QCOMPARE(listed(), QStringLiteral("2,4"));
        NO_BOXES();
    }

    void customerRestoredByItsKey()
    {
        TestProgram prog;
        prog.addCustomer(1, "Rossi", {{"Nome", "Mario"}});
        prog.addCustomer(40000, "Verdi", {{"Nome", "Luca"}});
        openForm<frmPagamenti>();
        frmSelectPagamenti *d = openDialog();
        QTest::keyClicks(d->cboSocio, "V");
        QCOMPARE(d->cboSocio->Text(), QStringLiteral("Verdi Luca"));
        typeInto(d->txtCausale, "Quota");
        QTest::mouseClick(d->optOR, Qt::LeftButton);
        QTest::mouseClick(d->cmdOK, Qt::LeftButton);
        QCOMPARE(gWherePagamenti, QStringLiteral("a.ANAGRAFICAID = 40000 OR a.Causale Like '%Quota%'"));
        // Customers added before it in the list do not move the choice to another customer.
        prog.addCustomer(3, "Bianchi", {{"Nome", "Anna"}});
        prog.addCustomer(4, "Neri", {{"Nome", "Ugo"}});
        d = openDialog();
        QCOMPARE(d->cboSocio->ListIndex(), 3);
        QCOMPARE(d->cboSocio->Text(), QStringLiteral("Verdi Luca"));
        QVERIFY(d->optOR->Value() && !d->optAND->Value());
        // Cancel keeps the values of the last OK.
        typeInto(d->txtCausale, "Altro");
        QTest::mouseClick(d->cmdCancel, Qt::LeftButton);
        QCOMPARE(gWherePagamenti, QStringLiteral("a.ANAGRAFICAID = 40000 OR a.Causale Like '%Quota%'"));
        // Gone since: nothing is chosen, the rest is restored.
        prog.exec("delete from Anagrafica where ANAGRAFICAID = 40000");
        d = openDialog();
        QCOMPARE(d->cboSocio->ListIndex(), -1);
        QCOMPARE(d->txtCausale->text(), QStringLiteral("Quota"));
        // Reimposta empties the fields and what is saved, the list keeps its filter.
        QTest::mouseClick(d->cmdClear, Qt::LeftButton);
        QTest::mouseClick(d->cmdCancel, Qt::LeftButton);
        QVERIFY(!d->isLoaded());
        QCOMPARE(gWherePagamenti, QStringLiteral("a.ANAGRAFICAID = 40000 OR a.Causale Like '%Quota%'"));
        d = openDialog();
        QCOMPARE(d->txtCausale->text(), QString());
        NO_BOXES();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
};

QTEST_MAIN(TestPaymentsFilter)
#include "tst_payments_filter.moc"
