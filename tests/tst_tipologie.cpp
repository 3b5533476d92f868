// The customer-type register: its list, its edit dialog and its filter dialog, driven headless
// through the scripted boxes and the modal driver, and checked against the database. What the
// list and dialog patterns do for every register is tested with the customers; here only what
// this register states of its own.
#include "customers/frmAnagrafica.h"
#include "customers/frmEditTipologiaPersone.h"
#include "customers/frmSelectTipologiaPersone.h"
#include "customers/frmTipologiaPersone.h"
#include "testsupport.h"

namespace {
const QString kLinked = QStringLiteral("Impossibile eliminare il record: ci sono record collegati nell'anagrafica");
const QString kDuplicate = QStringLiteral("Il record già esiste");

// The edit dialog as the list opens it, loaded but not shown.
frmEditTipologiaPersone *openEdit(bool isNew, double key = 0)
{
    return openEditDialog<frmEditTipologiaPersone>(&frmTipologiaPersone::mTIPOLOGIAID, isNew, key);
}

// The next modal edit dialog gets this name typed and OK clicked.
void typeNameInTheNextDialog(const QString &name)
{
    drive<frmEditTipologiaPersone>([name](frmEditTipologiaPersone *d) {
        d->txtTipologia->setTextValue(name);
        d->cmdOK->click();
        QVERIFY(!d->isLoaded());
    });
}
} // namespace

class TestTipologie : public QObject {
    Q_OBJECT
private slots:
    // ---- the list ----

    void deleteGuardAndBigKeys()
    {
        TestProgram prog;
        prog.exec(
            "insert into TipologiaPersone (TIPOLOGIAID, Tipologia) values (40000, 'Socio'), (5000000000, 'Amico'), "
            "(5000000001, 'Ospite')");
        prog.exec("insert into Anagrafica (TIPOLOGIAID, Cognome) values (40000, 'Rossi')");
        frmTipologiaPersone *w = openForm<frmTipologiaPersone>();
        MSFlexGrid *g = w->MSFlexGrid1;
        QCOMPARE(column(g, 0), (QStringList{"40000", "5000000000", "5000000001"}));
        // A type in use: refused, nothing deleted, not even after Yes.
        clickRow(g, 1);
        DialogScript::answerMessage(6);
        w->cmdDelete->click();
        QCOMPARE(boxLog(), QStringList{msg(kLinked)});
        QCOMPARE(prog.scalar("select count(*) from TipologiaPersone"), QStringLiteral("3"));
        QCOMPARE(column(g, 1), (QStringList{"Socio", "Amico", "Ospite"}));
        // Renamed through a double click on its row.
        DialogScript::reset();
        typeNameInTheNextDialog("Amico caro");
        doubleClickCell(g, 2, 1);
        QCOMPARE(DialogScript::pendingDrivers(), 0);
        NO_BOXES();
        QCOMPARE(w->mTIPOLOGIAID, 5000000000.0);
        QCOMPARE(prog.scalar("select Tipologia from TipologiaPersone where TIPOLOGIAID = 5000000000"),
                 QStringLiteral("Amico caro"));
        QCOMPARE(g->TextMatrix(2, 1), QStringLiteral("Amico caro"));
        // An unused one goes after Yes, through the Delete key.
        clickRow(g, 3);
        DialogScript::answerMessage(6);
        w->MSFlexGrid1_KeyDown(46, 0);
        QCOMPARE(boxLog(), QStringList{msg("Sei sicuro di voler eliminare il record?", 4)});
        QCOMPARE(prog.scalar("select group_concat(Tipologia) from TipologiaPersone"),
                 QStringLiteral("Socio,Amico caro"));
        QCOMPARE(column(g, 1), (QStringList{"Socio", "Amico caro"}));
        // The next key follows the largest ever given.
        frmEditTipologiaPersone *d = openEdit(true);
        d->txtTipologia->setTextValue("Nuovo");
        d->cmdOK_Click();
        QCOMPARE(w->mTIPOLOGIAID, 5000000002.0);
        QCOMPARE(g->TextMatrix(g->Rows() - 1, 0) + g->TextMatrix(g->Rows() - 1, 1), QStringLiteral("5000000002Nuovo"));
    }

    void printoutListsTheNamesOnly()
    {
        TestProgram prog;
        // The heading setting is not what this printout is titled with.
        prog.exec("update settings set value='Bottega' where mnemocode='INTESTAZ'");
        prog.exec("insert into TipologiaPersone (TIPOLOGIAID, Tipologia, DateTimeCreated, DateTimeLastUpdated) values "
                  "(1, 'Socio <vip>', '2024-01-01 10:00:00', '2024-02-01 10:00:00'), (2, 'Amico', NULL, NULL)");
        frmTipologiaPersone *w = openForm<frmTipologiaPersone>();
        w->cmdPrintGrid->click();
        NO_BOXES();
        QCOMPARE(w->web->previewCount(), 1);
        QCOMPARE(w->web->html(),
                 kPageHead7 + kHeadingFont + "Norvik - Tipologie anagrafica</p>" + kGridTable
                     + "<tr><th>Tipologia</th></tr><tr><td>Socio &lt;vip&gt;</td></tr><tr><td>Amico</td></tr>"
                     + "</table></body></html>");
    }

    // ---- the edit dialog ----

    void addChecksAndStatement()
    {
        TestProgram prog;
        prog.addType(1, "Socio");
        frmTipologiaPersone *w = openForm<frmTipologiaPersone>();
        recordWrites();
        frmEditTipologiaPersone *d = openEdit(true);
        d->txtTipologia->setTextValue("   ");
        d->cmdOK->click();
        QCOMPARE(boxLog(), QStringList{msg("Inserire la tipologia")});
        QVERIFY(isOpen<frmEditTipologiaPersone>());
        // The name is compared as it is stored: trimmed.
        DialogScript::reset();
        d->txtTipologia->setTextValue(" Socio  ");
        d->cmdOK->click();
        QCOMPARE(prompts(), QStringList{kDuplicate});
        QVERIFY(isOpen<frmEditTipologiaPersone>());
        QCOMPARE(d->txtTipologia->Text(), QStringLiteral(" Socio  "));
        QVERIFY(writes().isEmpty());
        // A quote is stored intact, and then found by the duplicate test.
        DialogScript::reset();
        d->txtTipologia->setTextValue(" Socio d'onore ");
        d->cmdOK->click();
        NO_BOXES();
        QVERIFY(!isOpen<frmEditTipologiaPersone>());
        const QString stamp = prog.scalar("select DateTimeCreated from TipologiaPersone where TIPOLOGIAID = 2");
        QCOMPARE(writes(),
                 QStringList{"INSERT INTO TipologiaPersone (Tipologia, DateTimeCreated) VALUES ('Socio d''onore',  '"
                             + stamp + "') "});
        QCOMPARE(column(w->MSFlexGrid1, 1), (QStringList{"Socio", "Socio d'onore"}));
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);

        d = openEdit(true);
        d->txtTipologia->setTextValue("Socio d'onore");
        d->cmdOK_Click();
        QCOMPARE(prompts(), QStringList{kDuplicate});
        d->cmdCancel->click();
        QVERIFY(!isOpen<frmEditTipologiaPersone>());
        QCOMPARE(prog.scalar("select count(*) from TipologiaPersone"), QStringLiteral("2"));
    }

    void renameShowsOnEveryCustomerOfTheType()
    {
        TestProgram prog;
        prog.exec("insert into TipologiaPersone (TIPOLOGIAID, Tipologia) values (1, 'Socio'), (2, 'Amico')");
        prog.exec(
            "insert into Anagrafica (ANAGRAFICAID, TIPOLOGIAID, Cognome) values (1, 1, 'Rossi'), (2, 2, 'Verdi'), "
            "(3, 1, 'Bianchi')");
        frmTipologiaPersone *w = openForm<frmTipologiaPersone>();
        MSFlexGrid *g = w->MSFlexGrid1;
        recordWrites();
        // Opened on the row's type, the caret at the end of its name, nothing selected; another
        // type's name is a duplicate.
        clickRow(g, 1);
        drive<frmEditTipologiaPersone>([&](frmEditTipologiaPersone *d) {
            QCOMPARE(d->txtTipologia->Text(), QStringLiteral("Socio"));
            d->Form_Activate();
            QCOMPARE(d->focusWidget(), static_cast<QWidget *>(d->txtTipologia));
            QCOMPARE(d->txtTipologia->cursorPosition(), 5);
            QVERIFY(!d->txtTipologia->hasSelectedText());
            d->txtTipologia->setTextValue("Amico");
            d->cmdOK_Click();
            QCOMPARE(prompts(), QStringList{kDuplicate});
            DialogScript::reset();
            d->txtTipologia->setTextValue("Socio ordinario");
            d->cmdOK_Click();
            QVERIFY(!d->isLoaded());
        });
        MSFlexGrid::TestSeam::dblClick(*g, 1, 1);
        NO_BOXES();
        const QString stamp = prog.scalar("select DateTimeLastUpdated from TipologiaPersone where TIPOLOGIAID = 1");
        QCOMPARE(writes(),
                 QStringList{"UPDATE TipologiaPersone SET Tipologia = 'Socio ordinario',  DateTimeLastUpdated = '"
                             + stamp + "' WHERE TIPOLOGIAID = 1 "});
        QCOMPARE(column(g, 1), (QStringList{"Socio ordinario", "Amico"}));
        QCOMPARE(g->TextMatrix(1, 3), stamp);
        w->cmdClose->click();

        frmAnagrafica *customers = openForm<frmAnagrafica>();
        QCOMPARE(column(customers->MSFlexGrid1, 2), (QStringList{"Socio ordinario", "Amico", "Socio ordinario"}));
    }

    // ---- the filter dialog ----

    void filterByNamesOrFragment()
    {
        TestProgram prog;
        prog.exec("insert into TipologiaPersone (Tipologia) values ('Socio'), ('Amico'), ('Socio sostenitore'), "
                  "('Ex socio'), ('Collaboratore'), ('Socio d''onore')");
        frmTipologiaPersone *w = openForm<frmTipologiaPersone>();
        MSFlexGrid *g = w->MSFlexGrid1;
        auto filterWith = [&](const QString &text) {
            drive<frmSelectTipologiaPersone>([text](frmSelectTipologiaPersone *d) {
                QVERIFY(!d->optAND && !d->optOR && !d->cmdPrint->isVisibleTo(d));
                d->txtTipologia->setTextValue(text);
                d->cmdOK->click();
            });
            w->cmdSelect->click();
            QCOMPARE(DialogScript::pendingDrivers(), 0);
        };

        filterWith("Socio,Amico");
        NO_BOXES();
        QCOMPARE(gWhereTipologiaPersone, QStringLiteral("a.Tipologia IN ('Socio', 'Amico')"));
        QCOMPARE(column(g, 1), (QStringList{"Socio", "Amico"}));
        // A fragment matches anywhere in the name, in either case.
        filterWith(" ocio ");
        QCOMPARE(gWhereTipologiaPersone, QStringLiteral("a.Tipologia Like '%ocio%'"));
        QCOMPARE(column(g, 1), (QStringList{"Socio", "Socio sostenitore", "Ex socio", "Socio d'onore"}));

        filterWith("Socio d'onore,Amico");
        QCOMPARE(column(g, 1), (QStringList{"Amico", "Socio d'onore"}));
        // Reopened with the text kept, the caret after it.
        auto *d = openForm<frmSelectTipologiaPersone>();
        QCOMPARE(d->txtTipologia->Text(), QStringLiteral("Socio d'onore,Amico"));
        d->Form_Activate();
        QCOMPARE(d->focusWidget(), static_cast<QWidget *>(d->txtTipologia));
        QCOMPARE(d->txtTipologia->cursorPosition(), 19);
        d->cmdCancel_Click();
        // Empty: every type again.
        filterWith("  ");
        QCOMPARE(gWhereTipologiaPersone, QString());
        QCOMPARE(g->Rows(), 7);
        NO_BOXES();
    }
};

QTEST_MAIN(TestTipologie)
#include "tst_tipologie.moc"
