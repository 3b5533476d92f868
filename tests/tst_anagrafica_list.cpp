// The customer list: fill, selection, delete, sorting, the edit and filter call-backs, the
// printout and the wheel, driven headless through the scripted boxes and the modal driver.
#include "testsupport.h"
#include "customers/frmAnagrafica.h"
#include "platform/Dialogs.h"
#include "platform/MSFlexGrid.h"
#include "platform/MouseWheel.h"
#include "platform/WebBrowser.h"
#include "platform/XPControls.h"
#include "shell/basGeneral.h"
#include "shell/basGeneralCustom.h"
#include "shell/basPrintPreview.h"
#include "shell/frmMain.h"
#include <QFile>
#include <QtTest>

namespace {

struct Customer {
    qint64 id;
    QString cognome;
    QString nome = QStringLiteral("Mario");
    QString comune = QStringLiteral("Roma");
    QString dataNascita;
    QString note;
};

QString lit(const QString &s) { return s.isNull() ? QStringLiteral("NULL") : QStringLiteral("'") + QString(s).replace("'", "''") + "'"; }

void addType(const TestProgram &prog, qint64 id = 1, const QString &name = QStringLiteral("Socio"))
{
    prog.exec(QStringLiteral("insert into TipologiaPersone (TIPOLOGIAID, Tipologia) values (%1, %2)").arg(id).arg(lit(name)));
}

void addCustomer(const TestProgram &prog, const Customer &c)
{
    prog.exec(QStringLiteral("insert into Anagrafica (ANAGRAFICAID, TIPOLOGIAID, Cognome, Nome, Comune, DataNascita, NoteAnagrafica) "
                             "values (%1, 1, %2, %3, %4, %5, %6)")
                  .arg(c.id)
                  .arg(lit(c.cognome), lit(c.nome), lit(c.comune), lit(c.dataNascita), lit(c.note)));
}

frmAnagrafica *openList()
{
    frmAnagrafica *w = FormInstance<frmAnagrafica>::get();
    w->Load();
    return w;
}

QStringList column(const MSFlexGrid *g, int col)
{
    QStringList out;
    for (int r = 1; r < g->Rows(); ++r)
        out << g->TextMatrix(r, col);
    return out;
}

// A click on a data row: the grid makes it current, the list selects the whole row.
void clickRow(MSFlexGrid *g, int row)
{
    g->simulateMouseDown(row, 3);
    g->simulateMouseUp(row, 3);
}

const QString kNoSelection = QStringLiteral("Selezionare il cliente di cui si desidera visualizzare i pagamenti.");
const QString kConfirm = QStringLiteral("Sei sicuro di voler eliminare il record?");
const QString kLinked = QStringLiteral("Impossibile eliminare il record. Esistono pagamenti collegati.");

} // namespace

class TestAnagraficaList : public QObject {
    Q_OBJECT
private slots:
    void init() { resetShellState(); }
    void cleanup()
    {
        if (frmAnagrafica *w = FormInstance<frmAnagrafica>::peek()) {
            if (w->isLoaded())
                w->Unload();
            else
                delete w;
        }
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    void emptyRegisterOpensTheAddDialogDuringLoad()
    {
        TestProgram prog;
        addType(prog);
        bool opened = false;
        DialogScript::driveModal("frmEditAnagrafica", [&](Form *f) {
            opened = true;
            QVERIFY(gIsNewRecord);
            // The list is not shown yet, but already filled.
            QCOMPARE(FormInstance<frmAnagrafica>::get()->MSFlexGrid1->TextMatrix(0, 0), QStringLiteral("0 Records"));
            Q_UNUSED(f);
        });
        frmAnagrafica *w = openList();
        QVERIFY(opened);
        QVERIFY(DialogScript::problems().isEmpty());
        QCOMPARE(w->MSFlexGrid1->Rows(), 1);
        QCOMPARE(w->MSFlexGrid1->TextMatrix(0, 0), QStringLiteral("0 Records"));
        QCOMPARE(w->MSFlexGrid1->ColWidth(0), 1000.0);
        QCOMPARE(w->MSFlexGrid1->Row(), 0);
        QVERIFY(IsWheelHooked(w));
        QCOMPARE(Screen::MousePointer(), 0);
        QVERIFY2(DialogScript::boxes().isEmpty(), qPrintable(prompts().join('|')));
    }

    void fillHeadersWidthsAndNoSelection()
    {
        TestProgram prog;
        addType(prog);
        addCustomer(prog, {1, "Rossi"});
        addCustomer(prog, {2, "Bianchi"});
        frmAnagrafica *w = openList();
        MSFlexGrid *g = w->MSFlexGrid1;
        QCOMPARE(g->Rows(), 3);
        QCOMPARE(g->Cols(), 23);
        const QStringList expected = {"IDFIELD", "IDFIELD", "Tipologia", "Cognome / Ragione Sociale", "Nome", "Indirizzo", "CAP",
                                      "Comune", "Provincia", "Telefono Casa", "Telefono Ufficio", "Fax", "Cellulare",
                                      "Codice Fiscale / Partita IVA", "E-mail", "Sito Web", "Note", "Numero Tessera",
                                      "Data Nascita", "Data Iscrizione", "Data Scadenza Iscrizione", "Data Creazione",
                                      "Data Ultima Modifica"};
        for (int c = 0; c < g->Cols(); ++c)
            QCOMPARE(g->TextMatrix(0, c), expected.at(c));
        QCOMPARE(column(g, 0), (QStringList{"1", "2"}));
        QCOMPARE(column(g, 3), (QStringList{"Rossi", "Bianchi"}));
        QCOMPARE(g->ColWidth(0), 0.0);
        QCOMPARE(g->ColWidth(1), 0.0);
        for (int c = 2; c < g->Cols(); ++c)
            QVERIFY(g->ColWidth(c) >= 600 && g->ColWidth(c) <= 8000);
        QCOMPARE(g->DisplayOption(), 1);

        // A click selects the whole row and keeps the horizontal scroll position.
        g->setLeftCol(5);
        g->simulateMouseDown(2, 6);
        g->setLeftCol(0);
        g->simulateMouseUp(2, 6);
        QCOMPARE(g->Row(), 2);
        QCOMPARE(g->Col(), 0);
        QCOMPARE(g->ColSel(), g->Cols() - 1);
        QCOMPARE(g->LeftCol(), int(gGridLeftCol));
        QVERIFY(gGridLeftCol > 0);

        // Nothing is selected after a fill: delete does nothing, the payments button refuses.
        w->FillGrid();
        QCOMPARE(g->Row(), 0);
        w->cmdDelete_Click();
        w->MSFlexGrid1_KeyDown(46, 0);
        QVERIFY(DialogScript::boxes().isEmpty());
        QCOMPARE(prog.scalar("select count(*) from Anagrafica"), QStringLiteral("2"));
        w->cmdApriPagamenti_Click();
        QCOMPARE(prompts(), QStringList{kNoSelection});
        QCOMPARE(DialogScript::boxes().first().buttons, 48);
        QCOMPARE(DialogScript::boxes().first().title, QStringLiteral("Norvik"));
    }

    void widthRule()
    {
        QCOMPARE(ListWindow::ColumnWidth(0), 600);
        QCOMPARE(ListWindow::ColumnWidth(3000), 3250);
        QCOMPARE(ListWindow::ColumnWidth(5999), 5999);
        QCOMPARE(ListWindow::ColumnWidth(6000), 6000);
        QCOMPARE(ListWindow::ColumnWidth(9000), 8000);
        QCOMPARE(ListWindow::ColumnWidth(100), 600);  // 100 + 491.67 -> 592, below the minimum
        QCOMPARE(ListWindow::ColumnWidth(1500), 1875);
        QCOMPARE(ListWindow::ColumnWidth(4800), 4900);
        QCOMPARE(ListWindow::ColumnWidth(32767), 8000);

        // Measured on the header and the first 60 data rows only: a long text further down does
        // not widen its column, one near the top is capped at 8000.
        TestProgram prog;
        addType(prog);
        for (int i = 1; i <= 70; ++i)
            addCustomer(prog, {i, QStringLiteral("C%1").arg(i), i == 3 ? QString(400, 'W') : QStringLiteral("Mario"),
                               i == 70 ? QString(400, 'W') : QStringLiteral("Roma"), QString(),
                               i == 61 ? QString(400, 'W') : QString()});
        frmAnagrafica *w = openList();
        MSFlexGrid *g = w->MSFlexGrid1;
        QCOMPARE(g->Rows(), 71);
        QCOMPARE(g->ColWidth(4), 8000.0); // Nome, row 3
        QVERIFY(g->ColWidth(7) < 2000);   // Comune, row 70
        QVERIFY(g->ColWidth(16) < 2000);  // Note, row 61
        // Fax holds nothing but its header: measured in the grid's font on the main window.
        const double fax = FormInstance<frmMain>::get()->TextWidth("Fax");
        QVERIFY(fax > 0 && fax < 1000);
        QCOMPARE(g->ColWidth(11), double(ListWindow::ColumnWidth(int(std::nearbyint(fax)))));
    }

    void hourglassWhileTheRowsAreRead()
    {
        // Spacing the headers puts the pointer back; the rows must still be read under the
        // hourglass, and the fill ends with the default pointer.
        struct Probe : frmAnagrafica {
            QList<int> pointers;
            QString cellText(const Field &field, int col) override
            {
                pointers << Screen::MousePointer();
                return frmAnagrafica::cellText(field, col);
            }
        };
        TestProgram prog;
        addType(prog);
        addCustomer(prog, {1, "Rossi"});
        Probe probe;
        probe.FillGrid();
        QCOMPARE(probe.MSFlexGrid1->TextMatrix(1, 3), QStringLiteral("Rossi"));
        QCOMPARE(probe.pointers.size(), 23);
        QCOMPARE(probe.pointers.count(11), 23);
        QCOMPARE(Screen::MousePointer(), 0);
    }

    void deleteFlow()
    {
        TestProgram prog;
        addType(prog);
        addCustomer(prog, {1, "Rossi"});
        addCustomer(prog, {2, "Bianchi"});
        addCustomer(prog, {3, "Verdi"});
        prog.exec("insert into Pagamenti (ANAGRAFICAID, Importo) values (1, 10)");
        frmAnagrafica *w = openList();
        MSFlexGrid *g = w->MSFlexGrid1;

        // A customer with payments: the refusal, no confirmation, nothing deleted.
        clickRow(g, 1);
        w->cmdDelete_Click();
        QCOMPARE(prompts(), QStringList{kLinked});
        QCOMPARE(DialogScript::boxes().first().buttons, 48);
        QCOMPARE(prog.scalar("select count(*) from Anagrafica"), QStringLiteral("3"));
        QCOMPARE(g->Rows(), 4);

        // Answering no keeps the row.
        DialogScript::reset();
        clickRow(g, 2);
        DialogScript::answerMessage(7);
        w->cmdDelete_Click();
        QCOMPARE(prompts(), QStringList{kConfirm});
        QCOMPARE(DialogScript::boxes().first().buttons, 4);
        QCOMPARE(prog.scalar("select count(*) from Anagrafica"), QStringLiteral("3"));
        QCOMPARE(column(g, 0), (QStringList{"1", "2", "3"}));

        // Yes, through the Delete key: just that row goes, without a refill, and the row now
        // in its place is selected whole.
        DialogScript::reset();
        prog.exec("insert into Anagrafica (ANAGRAFICAID, TIPOLOGIAID, Cognome) values (4, 1, 'Nuovo')");
        DialogScript::answerMessage(6);
        w->MSFlexGrid1_KeyDown(46, 0);
        QCOMPARE(prompts(), QStringList{kConfirm});
        QCOMPARE(w->mANAGRAFICAID, 2.0);
        QCOMPARE(prog.scalar("select count(*) from Anagrafica where ANAGRAFICAID = 2"), QStringLiteral("0"));
        QCOMPARE(column(g, 0), (QStringList{"1", "3"}));
        QCOMPARE(g->Row(), 2);
        QCOMPARE(g->Col(), 0);
        QCOMPARE(g->ColSel(), g->Cols() - 1);
    }

    void deletingTheOnlyRowLeavesTheHeader()
    {
        TestProgram prog;
        addType(prog);
        addCustomer(prog, {1, "Rossi"});
        frmAnagrafica *w = openList();
        clickRow(w->MSFlexGrid1, 1);
        DialogScript::answerMessage(6);
        w->cmdDelete_Click();
        QCOMPARE(w->MSFlexGrid1->Rows(), 1);
        QCOMPARE(w->MSFlexGrid1->TextMatrix(0, 3), QStringLiteral("Cognome / Ragione Sociale"));
        QCOMPARE(prog.scalar("select count(*) from Anagrafica"), QStringLiteral("0"));
    }

    void deleteRefusedByTheDatabaseKeepsTheRow()
    {
        TestProgram prog;
        addType(prog);
        addCustomer(prog, {1, "Rossi"});
        addCustomer(prog, {2, "Bianchi"});
        prog.exec("create trigger nodelete before delete on Anagrafica begin select raise(abort, 'bloccato'); end");
        frmAnagrafica *w = openList();
        clickRow(w->MSFlexGrid1, 2);
        DialogScript::answerMessage(6);
        w->cmdDelete_Click();
        QCOMPARE(DialogScript::boxes().size(), 2);
        QVERIFY(DialogScript::boxes().at(1).prompt.contains("bloccato"));
        QCOMPARE(column(w->MSFlexGrid1, 0), (QStringList{"1", "2"}));
        QCOMPARE(prog.scalar("select count(*) from Anagrafica"), QStringLiteral("2"));
    }

    void deleteGuardThatCannotLookDeletesNothing()
    {
        TestProgram prog;
        addType(prog);
        addCustomer(prog, {1, "Rossi"});
        addCustomer(prog, {2, "Bianchi"});
        frmAnagrafica *w = openList();
        prog.exec("drop table Pagamenti");
        clickRow(w->MSFlexGrid1, 1);
        DialogScript::answerMessage(6);
        w->cmdDelete_Click();
        QVERIFY(!prompts().contains("Sei sicuro di voler eliminare il record?"));
        QVERIFY(prompts().first().endsWith("in procedure gRsOpen of Modulo basGeneral"));
        QCOMPARE(prog.scalar("select count(*) from Anagrafica"), QStringLiteral("2"));
        QCOMPARE(w->MSFlexGrid1->Rows(), 3);
    }

    void headerClicksSortAscendingThenDescending()
    {
        TestProgram prog;
        addType(prog);
        // Birth dates in the day-first form: as text they would sort differently.
        addCustomer(prog, {1, "Rossi", "A", "Roma", "01/02/1990"});
        addCustomer(prog, {2, "bianchi", "B", "Roma", "15/01/1985"});
        addCustomer(prog, {3, "Verdi", "C", "Roma", "20/12/1989"});
        addCustomer(prog, {4, "Azzurri", "D", "Roma", "02/01/2001"});
        frmAnagrafica *w = openList();
        MSFlexGrid *g = w->MSFlexGrid1;
        QCOMPARE(g->TextMatrix(0, 18), QStringLiteral("Data Nascita"));

        g->simulateMouseDown(0, 3);
        g->simulateMouseUp(0, 3);
        QCOMPARE(column(g, 3), (QStringList{"Azzurri", "bianchi", "Rossi", "Verdi"}));
        QVERIFY(DialogScript::boxes().isEmpty());

        // The next click, on another column, sorts that one descending; a Data column by date.
        g->simulateMouseDown(0, 18);
        QCOMPARE(column(g, 18), (QStringList{"02/01/2001", "01/02/1990", "20/12/1989", "15/01/1985"}));
        QCOMPARE(g->Cols(), 23); // the sort's helper column is gone
        g->simulateMouseDown(0, 18);
        QCOMPARE(column(g, 18), (QStringList{"15/01/1985", "20/12/1989", "01/02/1990", "02/01/2001"}));
        // Rows move whole.
        QCOMPARE(column(g, 0), (QStringList{"2", "3", "1", "4"}));

        // A reopened window starts ascending again.
        w->cmdClose_Click();
        QVERIFY(!FormInstance<frmAnagrafica>::exists());
        QVERIFY(!IsWheelHooked(w));
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        w = openList();
        w->MSFlexGrid1->simulateMouseDown(0, 4);
        QCOMPARE(column(w->MSFlexGrid1, 4), (QStringList{"A", "B", "C", "D"}));
    }

    void doubleClickOpensTheRowForEditing()
    {
        TestProgram prog;
        addType(prog);
        addCustomer(prog, {40000, "Rossi"});
        addCustomer(prog, {40001, "Bianchi"});
        frmAnagrafica *w = openList();
        MSFlexGrid *g = w->MSFlexGrid1;

        // In the header band nothing opens (the click itself sorts).
        bool opened = false;
        DialogScript::driveModal("frmEditAnagrafica", [&](Form *) { opened = true; });
        g->simulateMouseDown(0, 4);
        g->simulateDblClick(0, 4);
        QVERIFY(!opened);
        QCOMPARE(DialogScript::pendingDrivers(), 1);
        DialogScript::reset();

        gIsNewRecord = true;
        double seenKey = 0;
        DialogScript::driveModal("frmEditAnagrafica", [&](Form *f) {
            opened = true;
            QCOMPARE(f->Name(), QStringLiteral("frmEditAnagrafica"));
            QVERIFY(!gIsNewRecord);
            seenKey = FormInstance<frmAnagrafica>::get()->mANAGRAFICAID;
        });
        QCOMPARE(g->TextMatrix(1, 0), QStringLiteral("40000"));
        g->simulateMouseDown(1, 4);
        g->simulateDblClick(1, 4);
        QVERIFY(opened);
        QCOMPARE(seenKey, 40000.0);
        QVERIFY(DialogScript::problems().isEmpty());

        // Right after a fill no row is current: a double click on the blank area under the
        // rows opens nothing and reports nothing.
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
        QVERIFY2(DialogScript::boxes().isEmpty(), qPrintable(prompts().join('|')));
    }

    void addAndFilterButtonsOpenTheirDialogs()
    {
        TestProgram prog;
        addType(prog);
        addCustomer(prog, {1, "Rossi"});
        frmAnagrafica *w = openList();
        QStringList shown;
        DialogScript::driveModal("frmEditAnagrafica", [&](Form *f) { shown << f->Name() + (gIsNewRecord ? "+" : "-"); });
        DialogScript::driveModal("frmSelectAnagrafica", [&](Form *f) { shown << f->Name() + (gIsNewRecord ? "+" : "-"); });
        w->cmdAdd->click();
        w->cmdSelect->click();
        QCOMPARE(shown, (QStringList{"frmEditAnagrafica+", "frmSelectAnagrafica+"}));
        QVERIFY(DialogScript::problems().isEmpty());
    }

    void filterIsAppendedAsAndClause()
    {
        TestProgram prog;
        addType(prog);
        addCustomer(prog, {1, "Rossi", "A", "Roma"});
        addCustomer(prog, {2, "Bianchi", "B", "Milano"});
        addCustomer(prog, {3, "Verdi", "C", "Roma"});
        frmAnagrafica *w = openList();
        gWhereAnagrafica = "a.Comune = 'Roma' OR a.Comune = 'Milano' AND 1 = 0";
        // The parentheses keep the OR inside the filter, the join holds for every row.
        QVERIFY(w->listQueryText().endsWith("WHERE a.TIPOLOGIAID = b.TIPOLOGIAID  AND (a.Comune = 'Roma' OR a.Comune = 'Milano' AND 1 = 0)"));
        w->FillGrid();
        QCOMPARE(column(w->MSFlexGrid1, 0), (QStringList{"1", "3"}));
        QCOMPARE(w->MSFlexGrid1->Row(), 0);

        // A filter the database refuses: messages naming the procedure, an empty list, and
        // nothing of an earlier result shown as this one.
        gWhereAnagrafica = "a.Comune = ";
        gRsOpen("select 99, 98, 'stale'");
        w->FillGrid();
        QCOMPARE(w->MSFlexGrid1->Rows(), 1);
        QVERIFY2(prompts().join('|').contains("in procedure FillGrid of Form frmAnagrafica"), qPrintable(prompts().join('|')));
        QCOMPARE(Screen::MousePointer(), 0);
        QCOMPARE(w->MSFlexGrid1->Row(), 0);
    }

    void addGridRowAppendsTheNewestEvenWhenSorted()
    {
        TestProgram prog;
        addType(prog);
        for (int i = 1; i <= 60; ++i)
            addCustomer(prog, {i, QStringLiteral("Cliente %1").arg(i, 2, 10, QLatin1Char('0'))});
        frmAnagrafica *w = openList();
        MSFlexGrid *g = w->MSFlexGrid1;
        g->simulateMouseDown(0, 3); // ascending
        g->simulateMouseDown(0, 3); // descending
        QCOMPARE(g->TextMatrix(1, 3), QStringLiteral("Cliente 60"));

        addCustomer(prog, {70000, "Aaron"});
        w->AddGridRow();
        QCOMPARE(w->mANAGRAFICAID, 70000.0);
        QCOMPARE(g->Rows(), 62);
        QCOMPARE(g->TextMatrix(61, 0), QStringLiteral("70000"));
        QCOMPARE(g->TextMatrix(61, 3), QStringLiteral("Aaron"));
        QCOMPARE(g->TextMatrix(61, 2), QStringLiteral("Socio"));
        QVERIFY(g->RowIsVisible(61));
        QVERIFY(g->TopRow() > 1);
        QVERIFY(DialogScript::boxes().isEmpty());
    }

    void updateGridRowRewritesTheCurrentRow()
    {
        TestProgram prog;
        addType(prog);
        addType(prog, 2, "Sostenitore");
        addCustomer(prog, {1, "Rossi"});
        addCustomer(prog, {2, "Bianchi"});
        addCustomer(prog, {3, "Verdi"});
        frmAnagrafica *w = openList();
        MSFlexGrid *g = w->MSFlexGrid1;
        clickRow(g, 2);
        prog.exec("update Anagrafica set Cognome = 'Neri', TIPOLOGIAID = 2, Comune = NULL where ANAGRAFICAID = 2");
        w->mANAGRAFICAID = 2;
        w->UpdateGridRow();
        QCOMPARE(g->TextMatrix(2, 0), QStringLiteral("2"));
        QCOMPARE(g->TextMatrix(2, 1), QStringLiteral("2"));
        QCOMPARE(g->TextMatrix(2, 2), QStringLiteral("Sostenitore"));
        QCOMPARE(g->TextMatrix(2, 3), QStringLiteral("Neri"));
        QCOMPARE(g->TextMatrix(2, 7), QString());
        QCOMPARE(column(g, 3), (QStringList{"Rossi", "Neri", "Verdi"}));
        QCOMPARE(g->TextMatrix(0, 3), QStringLiteral("Cognome / Ragione Sociale"));
        QVERIFY(DialogScript::boxes().isEmpty());
    }

    void keysBeyondSixteenAndThirtyTwoBits()
    {
        TestProgram prog;
        addType(prog);
        addCustomer(prog, {40000, "Rossi"});
        addCustomer(prog, {5000000000LL, "Bianchi"});
        prog.exec("insert into Pagamenti (ANAGRAFICAID, Importo) values (5000000000, 10)");
        frmAnagrafica *w = openList();
        MSFlexGrid *g = w->MSFlexGrid1;
        QCOMPARE(column(g, 0), (QStringList{"40000", "5000000000"}));

        // Payments of the customer with the big key.
        clickRow(g, 2);
        w->cmdApriPagamenti_Click();
        QVERIFY2(DialogScript::boxes().isEmpty(), qPrintable(prompts().join('|')));
        QCOMPARE(gPagamentiClienteID, 5000000000.0);
        QCOMPARE(gPagamentiClienteNome, QStringLiteral("Bianchi"));
        QCOMPARE(gWherePagamenti, QStringLiteral(" a.anagraficaid=5000000000"));

        // One without payments.
        clickRow(g, 1);
        w->cmdApriPagamenti_Click();
        QCOMPARE(prompts(), QStringList{"Non risultano pagamenti per questo cliente."});

        // Delete and update by those keys.
        DialogScript::reset();
        DialogScript::answerMessage(6);
        w->cmdDelete_Click();
        QCOMPARE(prog.scalar("select count(*) from Anagrafica where ANAGRAFICAID = 40000"), QStringLiteral("0"));
        prog.exec("update Anagrafica set Cognome = 'Grande' where ANAGRAFICAID = 5000000000");
        clickRow(g, 1);
        w->mANAGRAFICAID = 5000000000.0;
        w->UpdateGridRow();
        QCOMPARE(g->TextMatrix(1, 3), QStringLiteral("Grande"));
        addCustomer(prog, {5000000001LL, "Ultimo"});
        w->AddGridRow();
        QCOMPARE(w->mANAGRAFICAID, 5000000001.0);
        QCOMPARE(g->TextMatrix(2, 0), QStringLiteral("5000000001"));
        QVERIFY2(DialogScript::boxes().size() == 1, qPrintable(prompts().join('|')));
    }

    void apostrophesAreListedIntact()
    {
        TestProgram prog;
        addType(prog, 1, "Socio d'onore");
        QStringList cols = {"Nome", "Cognome", "Indirizzo", "CAP", "Comune", "Provincia", "TelefonoCasa", "TelefonoUfficio",
                            "Fax", "Cellulare", "CFIva", "Email", "SitoWeb", "NoteAnagrafica", "NumeroTessera"};
        QStringList values;
        for (const QString &c : cols)
            values << lit(c + "'O''Neil'");
        prog.exec("insert into Anagrafica (ANAGRAFICAID, TIPOLOGIAID, " + cols.join(", ") + ") values (1, 1, " + values.join(", ") + ")");
        frmAnagrafica *w = openList();
        MSFlexGrid *g = w->MSFlexGrid1;
        QCOMPARE(g->TextMatrix(1, 2), QStringLiteral("Socio d'onore"));
        QCOMPARE(g->TextMatrix(1, 3), QStringLiteral("Cognome'O''Neil'"));
        QCOMPARE(g->TextMatrix(1, 16), QStringLiteral("NoteAnagrafica'O''Neil'"));
        QCOMPARE(g->TextMatrix(1, 17), QStringLiteral("NumeroTessera'O''Neil'"));
        clickRow(g, 1);
        prog.exec("insert into Pagamenti (ANAGRAFICAID, Importo) values (1, 10)");
        w->cmdApriPagamenti_Click();
        QCOMPARE(gPagamentiClienteNome, QStringLiteral("Cognome'O''Neil'"));
        QVERIFY(DialogScript::boxes().isEmpty());
    }

    void printoutOfTheList()
    {
        TestProgram prog;
        prog.exec("update settings set value='Bottega' where mnemocode='INTESTAZ'");
        gPrtCSize = 7;
        addType(prog);
        prog.exec("insert into Anagrafica (ANAGRAFICAID, TIPOLOGIAID, Cognome, Nome, Indirizzo, CAP, Comune, Provincia, "
                  "TelefonoCasa, Cellulare, CFIva, Email, NoteAnagrafica, NumeroTessera, DataNascita, DataIscrizione, "
                  "DataScadenzaIscrizione, DateTimeCreated) values (1, 1, 'Rossi', 'Mario', 'Via Roma 1', '00100', 'Roma', "
                  "'RM', '06 123', '333', 'RSSMRA', 'm@x.it', '<b>vip</b> & co', 'T1', '1980-01-02 00:00:00', "
                  "'2024-01-01 00:00:00', '2025-01-01 00:00:00', '2024-01-01 10:00:00')");
        prog.exec("insert into Anagrafica (ANAGRAFICAID, TIPOLOGIAID, Cognome) values (2, 1, 'Bianchi')");
        frmAnagrafica *w = openList();
        w->cmdPrintGrid->click();
        QVERIFY2(DialogScript::boxes().isEmpty(), qPrintable(prompts().join('|')));
        QCOMPARE(w->web->previewCount(), 1);
        QCOMPARE(QList<short>(gColonneEscluse + 1, gColonneEscluse + 6), (QList<short>{0, 1, 17, 18, -1}));

        auto row = [](const QString &tag, const QStringList &cells) {
            QString s = "<tr>";
            for (const QString &c : cells)
                s += "<" + tag + ">" + c + "</" + tag + ">";
            return s + "</tr>";
        };
        const QString expected = kPageHead7 + kHeadingFont + "Bottega - Anagrafica Clienti</p>" + kGridTable
            + row("th", {"Tipologia", "Cognome / Ragione Sociale", "Nome", "Indirizzo", "CAP", "Comune", "Provincia",
                         "Telefono Casa", "Telefono Ufficio", "Fax", "Cellulare", "Codice Fiscale / Partita IVA", "E-mail",
                         "Sito Web", "Note", "Data Iscrizione", "Data Scadenza Iscrizione", "Data Creazione",
                         "Data Ultima Modifica"})
            + row("td", {"Socio", "Rossi", "Mario", "Via Roma 1", "00100", "Roma", "RM", "06 123", "", "", "333", "RSSMRA",
                         "m@x.it", "", "&lt;b&gt;vip&lt;/b&gt; & co", "2024-01-01 00:00:00", "2025-01-01 00:00:00",
                         "2024-01-01 10:00:00", ""})
            + row("td", {"Socio", "Bianchi", "", "", "", "", "", "", "", "", "", "", "", "", "", "", "", "", ""})
            + "</table></body></html>";
        QCOMPARE(w->web->html(), expected);
    }

    void exportWritesTheGrid()
    {
        TestProgram prog;
        addType(prog);
        addCustomer(prog, {1, "Rossi"});
        frmAnagrafica *w = openList();
        const QString file = prog.folder() + "/clienti";
        DialogScript::answerSaveFile(file);
        w->cmdEsportaDati->click();
        QFile f(file + ".csv");
        QVERIFY(f.open(QIODevice::ReadOnly));
        const QList<QByteArray> lines = f.readAll().split('\n');
        QVERIFY(lines.at(0).startsWith("\"Tipologia\";\"Cognome / Ragione Sociale\";"));
        QVERIFY(lines.at(1).startsWith("\"Socio\";\"Rossi\";\"Mario\";"));
    }

    void wheelScrollsByPages()
    {
        TestProgram prog;
        addType(prog);
        for (int i = 1; i <= 200; ++i)
            addCustomer(prog, {i, QStringLiteral("C%1").arg(i)});
        frmAnagrafica *w = openList();
        MSFlexGrid *g = w->MSFlexGrid1;
        QCOMPARE(g->TopRow(), 1);
        int visible = 0;
        for (int r = 1; r < g->Rows(); ++r)
            visible += g->RowIsVisible(r) ? 1 : 0;
        QVERIFY(visible > 5);
        const QPoint over = g->mapToGlobal(QPoint(g->width() / 2, g->height() / 2));
        const QPoint beside = w->cmdAdd->mapToGlobal(QPoint(2, 2));

        w->MouseWheel(0, -120, beside.x(), beside.y());
        QCOMPARE(g->TopRow(), 1);
        w->MouseWheel(0, -120, over.x(), over.y());
        QCOMPARE(g->TopRow(), visible);
        w->MouseWheel(0, -360, over.x(), over.y()); // one page whatever the rotation
        QCOMPARE(g->TopRow(), 2 * visible - 1);
        w->MouseWheel(0, 120, over.x(), over.y());
        w->MouseWheel(0, 120, over.x(), over.y());
        QCOMPARE(g->TopRow(), 1);
    }

    void resizeKeepsLimitsAndStretchesTheGrid()
    {
        TestProgram prog;
        addType(prog);
        addCustomer(prog, {1, "Rossi"});
        frmAnagrafica *w = openList();
        w->resize(100, 100);
        w->Form_Resize();
        QVERIFY(w->Width() >= 6500 - 15);
        QVERIFY(w->Height() >= 4000 - 15);
        w->resize(1200, 700);
        w->Form_Resize();
        MSFlexGrid *g = w->MSFlexGrid1;
        QCOMPARE(g->Left(), 480.0);
        QCOMPARE(g->Top(), 1440.0);
        QCOMPARE(g->Width(), 1200 * 15 - 960.0);
        QCOMPARE(g->Height(), 700 * 15 - 2160.0);
    }

    void errorsNameTheWindowAndProcedure()
    {
        TestProgram prog;
        addType(prog);
        addCustomer(prog, {1, "Rossi"});
        frmAnagrafica *w = openList();
        clickRow(w->MSFlexGrid1, 1);
        prog.exec("drop table Anagrafica");
        w->mANAGRAFICAID = 1;
        w->UpdateGridRow();
        QVERIFY2(prompts().join('|').contains("in procedure UpdateGridRow of Form frmAnagrafica"), qPrintable(prompts().join('|')));
        QCOMPARE(w->MSFlexGrid1->TextMatrix(1, 3), QStringLiteral("Rossi"));
    }
};

QTEST_MAIN(TestAnagraficaList)
#include "tst_anagrafica_list.moc"
