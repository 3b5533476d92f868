// The customer-and-period dialog of the per-customer payment summary: its customers, its date
// checks and defaults, that it is left only through its button, and the summary it leads to.
#include "reports_support.h"

namespace {
const QString kSummary =
    QStringLiteral(" a.PagamentiID, b.Cognome, a.DataPagamento, a.Importo FROM Pagamenti a, Anagrafica b"
                   " WHERE a.ANAGRAFICAID = b.ANAGRAFICAID AND b.ANAGRAFICAID = [P2] AND a.DataPagamento >= '[P1]'"
                   " AND a.DataPagamento < date('[P1ARR]', '+1 day') ORDER BY a.PagamentiID");

QStringList items(const XPComboBox *c)
{
    QStringList out;
    for (int i = 0; i < c->ListCount(); ++i)
        out << c->List(i);
    return out;
}

// The summary report as the only definition; its query text does not depend on the row's
// parameters, which the dialog replaces.
void addSummary(const TestProgram &prog)
{
    addReport(prog, 1, kSummary, kRiepilogoCliente, "2", "STRINGA", "non chiesto", "NUMERICO", "non chiesto");
}
} // namespace

class TestReportVelmosta : public QObject {
    Q_OBJECT
private slots:
    void init() { resetReportStateForTests(); }
    void cleanup() { closeAllForms(); }

    void customersAndTheWayOut()
    {
        TestProgram prog;
        seedShop(prog);
        prog.addCustomer(6, "Rossi", {{"Nome", "Mario"}});
        frmSelectReportVelmosta *d = openForm<frmSelectReportVelmosta>();
        d->show();
        QVERIFY(QTest::qWaitForWindowExposed(d));
        NO_BOXES();
        // By surname and name; a missing name leaves the surname; namesakes stay two items.
        QCOMPARE(items(d->cboDescrizione),
                 (QStringList{"Bianchi Anna", "D'Amico Luca", "Neri Carla", "Rossi Mario", "Rossi Mario", "Verdi "}));
        QCOMPARE(d->cboDescrizione->ItemData(3) + d->cboDescrizione->ItemData(4), qint64(7));
        QCOMPARE(d->idDelSocio, qint64(-1));

        // Neither Esc nor the window system closes it.
        QTest::keyClick(d, Qt::Key_Escape);
        d->close();
        QVERIFY(d->isLoaded() && d->isVisible());

        // A customer picked with the keyboard.
        d->cboDescrizione->setFocus();
        QTest::keyClick(d->cboDescrizione, Qt::Key_Down);
        QTest::keyClick(d->cboDescrizione, Qt::Key_Down);
        QCOMPARE(d->cboDescrizione->Text(), QStringLiteral("D'Amico Luca"));
        QCOMPARE(d->idDelSocio, qint64(3));
        QTest::mouseClick(d->cmdOK, Qt::LeftButton);
        QVERIFY(!FormInstance<frmSelectReportVelmosta>::exists());
        QCOMPARE(gReportAnagraficaID, qint64(3));
        QCOMPARE(gReportDataDa, QStringLiteral("31/12/1909"));
        QCOMPARE(gReportDataA, QStringLiteral("31/12/2099"));
        NO_BOXES();

        // Every opening starts empty, the key back to all customers.
        d = openForm<frmSelectReportVelmosta>();
        QCOMPARE(d->cboDescrizione->ListIndex(), -1);
        QCOMPARE(d->idDelSocio, qint64(-1));
        QVERIFY(d->txtDataDa->Text().isEmpty() && d->txtDataA->Text().isEmpty());
    }

    void datesAreCheckedAndKeptAsTyped()
    {
        TestProgram prog;
        frmSelectReportVelmosta *d = openForm<frmSelectReportVelmosta>();
        QCOMPARE(d->cboDescrizione->ListCount(), 0);
        struct Case {
            QString da, a, message;
        };
        const QList<Case> refused = {
            {"31/02/2011", "", "Formato data di partenza non valido"},
            {"   ", "", "Formato data di partenza non valido"},
            {"", "1/13/2011", "Formato data di arrivo non valido"},
        };
        for (const Case &c : refused) {
            DialogScript::reset();
            d->txtDataDa->clear();
            d->txtDataA->clear();
            QTest::keyClicks(d->txtDataDa, c.da);
            QTest::keyClicks(d->txtDataA, c.a);
            QTest::mouseClick(d->cmdOK, Qt::LeftButton);
            QCOMPARE(boxLog(), QStringList{msg(c.message)});
            // Nothing stored, the dialog open with what was typed.
            QVERIFY(d->isLoaded());
            QCOMPARE(d->txtDataDa->Text(), c.da);
            QCOMPARE(gReportDataDa, kDataDaVuota);
            QCOMPARE(gReportAnagraficaID, qint64(-1));
        }
        // A start after the end is taken as it is; the texts are kept as typed.
        DialogScript::reset();
        d->txtDataDa->clear();
        d->txtDataA->clear();
        QTest::keyClicks(d->txtDataDa, " 31/12/2011");
        QTest::keyClicks(d->txtDataA, "2011-01-01");
        QTest::mouseClick(d->cmdOK, Qt::LeftButton);
        NO_BOXES();
        QVERIFY(!FormInstance<frmSelectReportVelmosta>::exists());
        QCOMPARE(gReportDataDa, QStringLiteral(" 31/12/2011"));
        QCOMPARE(gReportDataA, QStringLiteral("2011-01-01"));
    }

    void summaryForOneCustomerOrAll()
    {
        TestProgram prog;
        seedShop(prog);
        addSummary(prog);
        frmSplashReports *w = openChooser();

        // Never confirmed in this run: all customers over the widest period.
        drive<frmSelectReportVelmosta>([](frmSelectReportVelmosta *) {});
        ShownReport r = pressReport(w, 0);
        NO_BOXES();
        QVERIFY(r.sql.contains("b.ANAGRAFICAID = b.anagraficaid AND a.DataPagamento >= '1909-12-31 00:00:00' AND "
                               "a.DataPagamento < date('2099-12-31 00:00:00', '+1 day')"));
        QCOMPARE(r.rows.size(), 8);
        QCOMPARE(r.total, totalLine("1.558,25 €"));

        // One customer and a period: the row's own parameters are not asked.
        drive<frmSelectReportVelmosta>([](frmSelectReportVelmosta *d) {
            d->cboDescrizione->setListIndex(3); // Rossi Mario
            QTest::keyClicks(d->txtDataDa, "01/08/2011");
            QTest::keyClicks(d->txtDataA, "01/09/2011");
            d->cmdOK->click();
        });
        r = pressReport(w, 0);
        NO_BOXES();
        QCOMPARE(r.caption, "Report - " + kRiepilogoCliente);
        QCOMPARE(r.rows.mid(1), (QList<QStringList>{{"1", "Rossi", "2011-08-01 00:00:00", "50,00 €"},
                                                    {"4", "Rossi", "2011-09-01 00:00:00", "12,50 €"}}));
        QCOMPARE(r.total, totalLine("62,50 €"));
        // The stored text is back after each run.
        QCOMPARE(gArrReport[0].sqlreport, kSummary);
    }
};

QTEST_MAIN(TestReportVelmosta)
#include "tst_reports_velmosta.moc"
