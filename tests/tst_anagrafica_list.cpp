// The customer list: fill, selection, delete, sorting, the edit and filter call-backs, the
// printout and the wheel, driven headless through the scripted boxes and the modal driver.
// The list-window machinery every register shares is tested here, once.
#include "customers/frmAnagrafica.h"
#include "payments/frmPagamenti.h"
#include "platform/MouseWheel.h"
#include "platform/TextMeasure.h"
#include "shell/frmMain.h"
#include "testsupport.h"

namespace {
const QString kConfirm = QStringLiteral("Sei sicuro di voler eliminare il record?");
const QString kLinked = QStringLiteral("Impossibile eliminare il record. Esistono pagamenti collegati.");

// Customers 1.. with the given surnames, all of type 1 "Socio".
void seed(const TestProgram &prog, const QStringList &surnames)
{
    prog.addType(1, "Socio");
    for (int i = 0; i < surnames.size(); ++i)
        prog.addCustomer(i + 1, surnames[i]);
}
} // namespace

class TestAnagraficaList : public QObject {
    Q_OBJECT
private slots:
    void emptyRegisterOpensTheAddDialogDuringLoad()
    {
        TestProgram prog;
        prog.addType(1, "Socio");
        bool opened = false;
        DialogScript::driveModal("frmEditAnagrafica", [&](Form *) {
            opened = true;
            QVERIFY(gIsNewRecord);
            // The list is not shown yet, but already filled.
            QCOMPARE(FormInstance<frmAnagrafica>::get()->MSFlexGrid1->TextMatrix(0, 0), QStringLiteral("0 Records"));
        });
        frmAnagrafica *w = openForm<frmAnagrafica>();
        QVERIFY(opened);
        QCOMPARE(w->MSFlexGrid1->Rows() + w->MSFlexGrid1->Row(), 1);
        QVERIFY(IsWheelHooked(w));
        QCOMPARE(Screen::MousePointer(), 0);
        NO_BOXES();
    }

    void fillSelectionAndLayout()
    {
        // Spacing the headers puts the pointer back; the rows must still be read under the
        // hourglass, and the fill ends with the default pointer.
        TestProgram prog;
        seed(prog, {"Rossi", "Bianchi"});
        frmAnagrafica w;
        QList<int> pointers;
        ListWindow::TestSeam::writeCells(
            w, [](int, const QString &) { return true; },
            [&pointers](const Field &field, int) {
                pointers << Screen::MousePointer();
                return field.Text();
            });
        w.Load();
        QCOMPARE(pointers, QList<int>(2 * 23, 11));
        QCOMPARE(Screen::MousePointer(), 0);
        MSFlexGrid *g = w.MSFlexGrid1;
        QCOMPARE(gridRow(g, 0).mid(0, 4),
                 (QStringList{"IDFIELD", "IDFIELD", "Tipologia", "Cognome / Ragione Sociale"}));
        QCOMPARE(column(g, 0), (QStringList{"1", "2"}));
        QCOMPARE(column(g, 3), (QStringList{"Rossi", "Bianchi"}));
        QCOMPARE(g->ColWidth(0) + g->ColWidth(1), 0.0);
        for (int c = 2; c < g->Cols(); ++c)
            QVERIFY(g->ColWidth(c) >= 600 && g->ColWidth(c) <= 8000);
        // A click selects the whole row and keeps the horizontal scroll position.
        g->setLeftCol(5);
        MSFlexGrid::TestSeam::mouseDown(*g, 2, 6);
        g->setLeftCol(0);
        MSFlexGrid::TestSeam::mouseUp(*g, 2, 6);
        QCOMPARE(QList<int>({g->Row(), g->Col(), g->ColSel()}), QList<int>({2, 0, g->Cols() - 1}));
        QCOMPARE(g->LeftCol(), int(gGridLeftCol));
        QVERIFY(gGridLeftCol > 0);
        // Nothing is selected after a fill: delete does nothing, the payments button refuses.
        w.FillGrid();
        QCOMPARE(g->Row(), 0);
        w.cmdDelete_Click();
        w.MSFlexGrid1_KeyDown(46, 0);
        NO_BOXES();
        QCOMPARE(prog.scalar("select count(*) from Anagrafica"), QStringLiteral("2"));
        w.cmdApriPagamenti_Click();
        QCOMPARE(boxLog(), QStringList{msg("Selezionare il cliente di cui si desidera visualizzare i pagamenti.")});
        // Resizing keeps the least size.
        w.resize(100, 100);
        w.Form_Resize();
        QVERIFY(w.Width() >= 6500 - 15 && w.Height() >= 4000 - 15);
    }

    void longListWidthsAppendAndWheel()
    {
        // Margin shrinking as the text widens, at least 600, at most 8000 (100 + 491.67 -> 592).
        for (const auto &[widest, width] :
             QList<QPair<int, int>>{{100, 600}, {1500, 1875}, {4800, 4900}, {6000, 6000}, {9000, 8000}})
            QCOMPARE(ListWindow::TestSeam::columnWidth(widest), width);
        // Measured on the header and the first 60 data rows only: a long text further down does
        // not widen its column, one near the top is capped at 8000.
        TestProgram prog;
        prog.addType(1, "Socio");
        const QString wide(400, 'W');
        for (int i = 1; i <= 70; ++i)
            prog.addCustomer(i, QStringLiteral("C%1").arg(i),
                             {{"Nome", i == 3 ? wide : "Mario"},
                              {"Comune", i == 70 ? wide : "Roma"},
                              {"NoteAnagrafica", i == 61 ? wide : QString()}});
        frmAnagrafica *w = openForm<frmAnagrafica>();
        MSFlexGrid *g = w->MSFlexGrid1;
        QCOMPARE(g->Rows(), 71);
        QCOMPARE(g->ColWidth(4), 8000.0); // Nome, row 3
        QVERIFY(g->ColWidth(7) < 2000);   // Comune, row 70
        QVERIFY(g->ColWidth(16) < 2000);  // Note, row 61
        // Fax holds nothing but its header: measured in the grid's font, without the main window.
        QVERIFY(!FormInstance<frmMain>::exists());
        const double fax = TextMeasure(g->FontName(), g->FontSize(), g->FontBold()).width("Fax");
        QVERIFY(fax > 0 && fax < 1000);
        QCOMPARE(g->ColWidth(11), double(ListWindow::TestSeam::columnWidth(int(std::nearbyint(fax)))));
        // The wheel over the grid turns a page (the paging itself is tested with the grid);
        // beside it nothing.
        const QPoint over = g->mapToGlobal(QPoint(g->width() / 2, g->height() / 2));
        const QPoint beside = w->cmdAdd->mapToGlobal(QPoint(2, 2));
        w->MouseWheel(0, -120, beside.x(), beside.y());
        QCOMPARE(g->TopRow(), 1);
        w->MouseWheel(0, -120, over.x(), over.y());
        QVERIFY(g->TopRow() > 5 && g->RowIsVisible(g->TopRow()) && !g->RowIsVisible(1));
        w->MouseWheel(0, 120, over.x(), over.y());
        QCOMPARE(g->TopRow(), 1);
        // The newest row goes last even on a sorted list, scrolled into view.
        MSFlexGrid::TestSeam::mouseDown(*g, 0, 3); // ascending
        MSFlexGrid::TestSeam::mouseDown(*g, 0, 3); // descending
        QCOMPARE(g->TextMatrix(1, 3), QStringLiteral("C9"));
        prog.addCustomer(70000, "Aaron");
        w->AddGridRow();
        QCOMPARE(w->mANAGRAFICAID, 70000.0);
        QCOMPARE(g->Rows(), 72);
        QCOMPARE(gridRow(g, 71).mid(0, 4), (QStringList{"70000", "1", "Socio", "Aaron"}));
        QVERIFY(g->RowIsVisible(71) && g->TopRow() > 1);
        NO_BOXES();
    }

    void deleteFlow()
    {
        TestProgram prog;
        seed(prog, {"Rossi", "Bianchi", "Verdi"});
        prog.exec("insert into Pagamenti (ANAGRAFICAID, Importo) values (1, 10)");
        frmAnagrafica *w = openForm<frmAnagrafica>();
        MSFlexGrid *g = w->MSFlexGrid1;
        auto deleteRow = [&](int row, int answer) {
            DialogScript::reset();
            clickRow(g, row, 3);
            DialogScript::answerMessage(answer);
            w->cmdDelete_Click();
        };
        auto count = [&] { return prog.scalar("select count(*) from Anagrafica").toInt(); };
        // A customer with payments: the refusal, no confirmation, nothing deleted.
        deleteRow(1, 6);
        QCOMPARE(boxLog(), QStringList{msg(kLinked)});
        QCOMPARE(count(), 3);
        // Answering no keeps the row; so does a database that refuses the delete.
        deleteRow(2, 7);
        QCOMPARE(boxLog(), QStringList{msg(kConfirm, 4)});
        prog.exec("create trigger nodelete before delete on Anagrafica begin select raise(abort, 'bloccato'); end");
        deleteRow(2, 6);
        QCOMPARE(DialogScript::boxes().size(), 2);
        QVERIFY(prompts().at(1).contains("bloccato"));
        QCOMPARE(count(), 3);
        QCOMPARE(column(g, 0), (QStringList{"1", "2", "3"}));
        // Yes, through the Delete key: just that row goes, without a refill, and the row now in
        // its place is selected whole.
        prog.exec("drop trigger nodelete");
        DialogScript::reset();
        prog.addCustomer(4, "Nuovo");
        DialogScript::answerMessage(6);
        w->MSFlexGrid1_KeyDown(46, 0);
        QCOMPARE(prompts(), QStringList{kConfirm});
        QCOMPARE(w->mANAGRAFICAID, 2.0);
        QCOMPARE(prog.scalar("select group_concat(ANAGRAFICAID) from Anagrafica"), QStringLiteral("1,3,4"));
        QCOMPARE(column(g, 0), (QStringList{"1", "3"}));
        QCOMPARE(QList<int>({g->Row(), g->Col(), g->ColSel()}), QList<int>({2, 0, g->Cols() - 1}));
        // A guard that cannot look deletes nothing and asks nothing.
        prog.exec("delete from Pagamenti; delete from Anagrafica where ANAGRAFICAID = 4; alter table Pagamenti rename "
                  "to Altro");
        deleteRow(2, 6);
        QVERIFY(!prompts().contains(kConfirm));
        QVERIFY(prompts().value(0).endsWith("in procedure gRsOpen of Modulo basGeneral"));
        QCOMPARE(count(), 2);
        QCOMPARE(g->Rows(), 3);
        // Deleting the only row leaves the header.
        prog.exec("alter table Altro rename to Pagamenti");
        deleteRow(2, 6);
        deleteRow(1, 6);
        QCOMPARE(gridRow(g, 0).value(3), QStringLiteral("Cognome / Ragione Sociale"));
        QCOMPARE(g->Rows() + count(), 1);
    }

    // The payee of an issued cheque and the endorsee of a received cheque stay: deleting them
    // would hide the cheque from its list and the endorsement from its payment.
    void chequePayeesAndEndorseesAreKept()
    {
        TestProgram prog;
        seed(prog, {"Rossi", "Bianchi", "Verdi"});
        prog.exec("insert into MieiContiCorrenti (CONTOCORRENTEID, Descrizione) values (1, 'Conto');"
                  "insert into AssegniEmessi (CONTOCORRENTEID, ANAGRAFICAID, Numero, Importo) values (1, 1, '7', 5);"
                  "insert into Pagamenti (PagamentiID, ANAGRAFICAID, Importo) values (9, 3, 10);"
                  "insert into Girate (PagamentiID, ANAGRAFICAID) values (9, 2)");
        frmAnagrafica *w = openForm<frmAnagrafica>();
        MSFlexGrid *g = w->MSFlexGrid1;
        const QString kCheques = QStringLiteral("Impossibile eliminare il record. Esistono assegni collegati.");
        for (const int row : {1, 2, 3}) {
            DialogScript::reset();
            clickRow(g, row, 3);
            DialogScript::answerMessage(6);
            QTest::keyClick(g, Qt::Key_Delete);
            QCOMPARE(boxLog(), QStringList{msg(row == 3 ? kLinked : kCheques)});
        }
        QCOMPARE(prog.scalar("select count(*) from Anagrafica"), QStringLiteral("3"));
        QCOMPARE(column(g, 0), (QStringList{"1", "2", "3"}));
        // Once the cheque and the endorsement are gone, so can the customers be.
        prog.exec("delete from AssegniEmessi; delete from Girate");
        DialogScript::reset();
        clickRow(g, 1, 3);
        DialogScript::answerMessage(6);
        QTest::mouseClick(w->cmdDelete, Qt::LeftButton);
        QCOMPARE(prompts(), QStringList{kConfirm});
        QCOMPARE(prog.scalar("select group_concat(ANAGRAFICAID) from Anagrafica"), QStringLiteral("2,3"));
    }

    void headerClicksSortAscendingThenDescending()
    {
        TestProgram prog;
        prog.addType(1, "Socio");
        // Birth dates in the day-first form: as text they would sort differently.
        const QStringList names{"Rossi", "bianchi", "Verdi", "Azzurri"},
            dates{"01/02/1990", "15/01/1985", "20/12/1989", "02/01/2001"};
        for (int i = 0; i < 4; ++i)
            prog.addCustomer(i + 1, names[i], {{"Nome", QString(QChar('A' + i))}, {"DataNascita", dates[i]}});
        frmAnagrafica *w = openForm<frmAnagrafica>();
        MSFlexGrid *g = w->MSFlexGrid1;
        QCOMPARE(g->TextMatrix(0, 18), QStringLiteral("Data Nascita"));

        clickRow(g, 0, 3);
        QCOMPARE(column(g, 3), (QStringList{"Azzurri", "bianchi", "Rossi", "Verdi"}));
        NO_BOXES();
        // The next click, on another column, sorts that one descending; a Data column by date.
        MSFlexGrid::TestSeam::mouseDown(*g, 0, 18);
        QCOMPARE(column(g, 18), (QStringList{"02/01/2001", "01/02/1990", "20/12/1989", "15/01/1985"}));
        QCOMPARE(g->Cols(), 23); // the sort's helper column is gone
        MSFlexGrid::TestSeam::mouseDown(*g, 0, 18);
        QCOMPARE(column(g, 18), (QStringList{"15/01/1985", "20/12/1989", "01/02/1990", "02/01/2001"}));
        QCOMPARE(column(g, 0), (QStringList{"2", "3", "1", "4"})); // rows move whole
        // A reopened window starts ascending again.
        w->cmdClose_Click();
        QVERIFY(!FormInstance<frmAnagrafica>::exists());
        QVERIFY(!IsWheelHooked(w));
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        w = openForm<frmAnagrafica>();
        MSFlexGrid::TestSeam::mouseDown(*w->MSFlexGrid1, 0, 4);
        QCOMPARE(column(w->MSFlexGrid1, 4), (QStringList{"A", "B", "C", "D"}));
    }

    void doubleClickOpensTheRowForEditing()
    {
        TestProgram prog;
        prog.addType(1, "Socio");
        prog.addCustomer(40000, "Rossi");
        prog.addCustomer(40001, "Bianchi");
        frmAnagrafica *w = openForm<frmAnagrafica>();
        MSFlexGrid *g = w->MSFlexGrid1;
        // In the header band nothing opens (the click itself sorts).
        bool opened = false;
        DialogScript::driveModal("frmEditAnagrafica", [&](Form *) { opened = true; });
        doubleClickCell(g, 0, 4);
        QVERIFY(!opened);
        QCOMPARE(DialogScript::pendingDrivers(), 1);
        DialogScript::reset();

        gIsNewRecord = true;
        double seenKey = 0;
        DialogScript::driveModal("frmEditAnagrafica", [&](Form *) {
            opened = true;
            QVERIFY(!gIsNewRecord);
            seenKey = FormInstance<frmAnagrafica>::get()->mANAGRAFICAID;
        });
        QCOMPARE(g->TextMatrix(1, 0), QStringLiteral("40000"));
        doubleClickCell(g, 1, 4);
        QVERIFY(opened);
        QCOMPARE(seenKey, 40000.0);
        // Right after a fill no row is current: a double click on the blank area under the rows
        // opens nothing and reports nothing.
        DialogScript::reset();
        opened = false;
        DialogScript::driveModal("frmEditAnagrafica", [&](Form *) { opened = true; });
        w->FillGrid();
        QCOMPARE(g->Row(), 0);
        w->show(); // laid out: the blank area lies where the user sees it
        const QPoint blank(40, g->viewport()->height() - 10);
        QTest::mousePress(g->viewport(), Qt::LeftButton, {}, blank);
        QTest::mouseRelease(g->viewport(), Qt::LeftButton, {}, blank);
        QTest::mouseDClick(g->viewport(), Qt::LeftButton, {}, blank);
        QVERIFY(gGridMouseDownY.toDouble() > g->RowHeight(1));
        QVERIFY(!opened);
        NO_BOXES();
    }

    void filterIsAppendedAsAndClause()
    {
        TestProgram prog;
        prog.addType(1, "Socio");
        prog.addCustomer(1, "Rossi", {{"Comune", "Roma"}});
        prog.addCustomer(2, "Bianchi", {{"Comune", "Milano"}});
        prog.addCustomer(3, "Verdi", {{"Comune", "Roma"}});
        frmAnagrafica *w = openForm<frmAnagrafica>();
        gWhereAnagrafica = "a.Comune = 'Roma' OR a.Comune = 'Milano' AND 1 = 0";
        // The parentheses keep the OR inside the filter, the join holds for every row.
        QVERIFY(ListWindow::TestSeam::listQueryText(*w).endsWith(
            "WHERE a.TIPOLOGIAID = b.TIPOLOGIAID  AND (a.Comune = 'Roma' OR a.Comune = 'Milano' AND 1 = 0)"));
        w->FillGrid();
        QCOMPARE(column(w->MSFlexGrid1, 0), (QStringList{"1", "3"}));
        QCOMPARE(w->MSFlexGrid1->Row(), 0);
        // A filter the database refuses: its one message, an empty list, and nothing of an
        // earlier result shown as this one.
        gWhereAnagrafica = "a.Comune = ";
        gRsOpen("select 99, 98, 'stale'");
        w->FillGrid();
        QCOMPARE(w->MSFlexGrid1->Rows(), 1);
        QCOMPARE(prompts(),
                 QStringList{"Error 1 (near \")\": syntax error) in procedure gRsOpen of Modulo basGeneral"});
        QCOMPARE(Screen::MousePointer(), 0);
        QCOMPARE(w->MSFlexGrid1->Row(), 0);
    }

    void bigKeysApostrophesAndRowUpdates()
    {
        TestProgram prog;
        prog.addType(1, "Socio d'onore");
        prog.addType(2, "Sostenitore");
        prog.addCustomer(40000, "Rossi", {{"Comune", "Roma"}});
        prog.addCustomer(5000000000LL, "O'Neil", {{"NoteAnagrafica", "l'altro"}});
        prog.exec("insert into Pagamenti (ANAGRAFICAID, Importo) values (5000000000, 10)");
        frmAnagrafica *w = openForm<frmAnagrafica>();
        MSFlexGrid *g = w->MSFlexGrid1;
        QCOMPARE(column(g, 0), (QStringList{"40000", "5000000000"}));
        QCOMPARE(g->TextMatrix(2, 2) + g->TextMatrix(2, 3) + g->TextMatrix(2, 16),
                 QStringLiteral("Socio d'onoreO'Neill'altro"));
        // Payments of the customer with the big key and the apostrophe.
        clickRow(g, 2, 3);
        w->cmdApriPagamenti_Click();
        NO_BOXES();
        QCOMPARE(gPagamentiClienteID, 5000000000.0);
        QCOMPARE(gPagamentiClienteNome, QStringLiteral("O'Neil"));
        QCOMPARE(gWherePagamenti, QStringLiteral(" a.anagraficaid=5000000000"));
        // One without payments.
        clickRow(g, 1, 3);
        w->cmdApriPagamenti_Click();
        QCOMPARE(prompts(), QStringList{"Non risultano pagamenti per questo cliente."});
        // The current row rewritten from the database: another type, a column now Null.
        DialogScript::reset();
        prog.exec("update Anagrafica set Cognome = 'Neri', TIPOLOGIAID = 2, Comune = NULL where ANAGRAFICAID = 40000");
        w->mANAGRAFICAID = 40000;
        w->UpdateGridRow();
        QCOMPARE(g->TextMatrix(1, 1) + g->TextMatrix(1, 2) + g->TextMatrix(1, 3) + g->TextMatrix(1, 7),
                 QStringLiteral("2SostenitoreNeri"));
        QCOMPARE(column(g, 3), (QStringList{"Neri", "O'Neil"}));
        QCOMPARE(g->TextMatrix(0, 3), QStringLiteral("Cognome / Ragione Sociale"));
        // A row that cannot be read: the error names the window and procedure, the row stays.
        prog.exec("drop table Anagrafica");
        w->UpdateGridRow();
        QVERIFY2(prompts().join('|').contains("in procedure UpdateGridRow of Form frmAnagrafica"),
                 qPrintable(prompts().join('|')));
        QCOMPARE(g->TextMatrix(1, 3), QStringLiteral("Neri"));
    }

    void printoutOfTheList()
    {
        TestProgram prog;
        prog.exec("update settings set value='Bottega' where mnemocode='INTESTAZ'");
        prog.addType(1, "Socio");
        prog.exec(
            "insert into Anagrafica (ANAGRAFICAID, TIPOLOGIAID, Cognome, Nome, Indirizzo, CAP, Comune, Provincia, "
            "TelefonoCasa, Cellulare, CFIva, Email, NoteAnagrafica, NumeroTessera, DataNascita, DataIscrizione, "
            "DataScadenzaIscrizione, DateTimeCreated) values (1, 1, 'Rossi', 'Mario', 'Via Roma 1', '00100', 'Roma', "
            "'RM', '06 123', '333', 'RSSMRA', 'm@x.it', '<b>vip</b> & co', 'T1', '1980-01-02 00:00:00', "
            "'2024-01-01 00:00:00', '2025-01-01 00:00:00', '2024-01-01 10:00:00')");
        prog.addCustomer(2, "Bianchi");
        frmAnagrafica *w = openForm<frmAnagrafica>();
        w->cmdPrintGrid->click();
        NO_BOXES();
        QCOMPARE(w->web->previewCount(), 1);

        auto row = [](const QString &tag, const QStringList &cells) {
            QString s = "<tr>";
            for (const QString &c : cells)
                s += "<" + tag + ">" + c + "</" + tag + ">";
            return s + "</tr>";
        };
        const QString expected =
            kPageHead7 + kHeadingFont + "Bottega - Anagrafica Clienti</p>" + kGridTable
            + row("th", {"Tipologia", "Cognome / Ragione Sociale", "Nome", "Indirizzo", "CAP", "Comune", "Provincia",
                         "Telefono Casa", "Telefono Ufficio", "Fax", "Cellulare", "Codice Fiscale / Partita IVA",
                         "E-mail", "Sito Web", "Note", "Data Iscrizione", "Data Scadenza Iscrizione", "Data Creazione",
                         "Data Ultima Modifica"})
            + row("td", {"Socio", "Rossi", "Mario", "Via Roma 1", "00100", "Roma", "RM", "06 123", "", "", "333",
                         "RSSMRA", "m@x.it", "", "&lt;b&gt;vip&lt;/b&gt; & co", "2024-01-01 00:00:00",
                         "2025-01-01 00:00:00", "2024-01-01 10:00:00", ""})
            + row("td", {"Socio", "Bianchi", "", "", "", "", "", "", "", "", "", "", "", "", "", "", "", "", ""})
            + "</table></body></html>";
        QCOMPARE(w->web->html(), expected);
        // The export button writes the same grid, its key columns left out.
        DialogScript::answerSaveFile(prog.folder() + "/clienti");
        w->cmdEsportaDati->click();
        const QList<QByteArray> lines = readFile(prog.folder() + "/clienti.csv").split('\n');
        QVERIFY(lines.at(0).startsWith("\"Tipologia\";\"Cognome / Ragione Sociale\";"));
        QVERIFY(lines.at(2).startsWith("\"Socio\";\"Bianchi\";\"\";"));
    }
};

QTEST_MAIN(TestAnagraficaList)
#include "tst_anagrafica_list.moc"
