// The customer-type register: its list, its edit dialog and its filter dialog, driven headless
// through the scripted boxes and the modal driver, and checked against the database.
#include "testsupport.h"
#include "customers/frmAnagrafica.h"
#include "customers/frmEditTipologiaPersone.h"
#include "customers/frmSelectTipologiaPersone.h"
#include "customers/frmTipologiaPersone.h"
#include "platform/Dialogs.h"
#include "platform/MSFlexGrid.h"
#include "platform/SqliteDb.h"
#include "platform/WebBrowser.h"
#include "platform/XPControls.h"
#include "shell/basGeneral.h"
#include "shell/basGeneralCustom.h"
#include "shell/basPrintPreview.h"
#include "shell/frmMain.h"
#include <QtTest>
#include <sqlite3.h>

namespace {
const QString kLinked = QStringLiteral("Impossibile eliminare il record: ci sono record collegati nell'anagrafica");
const QString kConfirm = QStringLiteral("Sei sicuro di voler eliminare il record?");
const QString kEmpty = QStringLiteral("Inserire la tipologia");
const QString kDuplicate = QStringLiteral("Il record già esiste");

#define NO_BOXES() QVERIFY2(DialogScript::boxes().isEmpty(), qPrintable(prompts().join('|')))

QStringList column(const MSFlexGrid *g, int col)
{
    QStringList out;
    for (int r = 1; r < g->Rows(); ++r)
        out << g->TextMatrix(r, col);
    return out;
}

void clickRow(MSFlexGrid *g, int row)
{
    g->simulateMouseDown(row, 1);
    g->simulateMouseUp(row, 1);
}

frmTipologiaPersone *openList()
{
    frmTipologiaPersone *w = FormInstance<frmTipologiaPersone>::get();
    w->Load();
    return w;
}

// The edit dialog as the list opens it, loaded but not shown.
frmEditTipologiaPersone *openEdit(bool isNew, double key = 0)
{
    FormInstance<frmTipologiaPersone>::get()->mTIPOLOGIAID = key;
    gIsNewRecord = isNew;
    frmEditTipologiaPersone *d = FormInstance<frmEditTipologiaPersone>::get();
    d->Load();
    return d;
}

bool editOpen()
{
    return FormInstance<frmEditTipologiaPersone>::exists() && FormInstance<frmEditTipologiaPersone>::peek()->isLoaded();
}

template <class T>
void closeWindow()
{
    if (T *w = FormInstance<T>::peek()) {
        if (w->isLoaded())
            w->Unload();
        else
            delete w;
    }
}

// Every INSERT and UPDATE handed to SQLite, as written.
QStringList &writes()
{
    static QStringList list;
    return list;
}

int onStatement(unsigned, void *, void *, void *sql)
{
    const QString text = QString::fromUtf8(static_cast<const char *>(sql));
    if (text.startsWith(QLatin1String("INSERT")) || text.startsWith(QLatin1String("UPDATE")))
        writes() << text;
    return 0;
}

void recordWrites()
{
    OpenDb();
    writes().clear();
    sqlite3_trace_v2(gSqliteDb->handle(), SQLITE_TRACE_STMT, onStatement, nullptr);
}
}

class TestTipologie : public QObject {
    Q_OBJECT
private slots:
    void init() { resetShellState(); }
    void cleanup()
    {
        closeWindow<frmEditTipologiaPersone>();
        closeWindow<frmSelectTipologiaPersone>();
        closeWindow<frmTipologiaPersone>();
        closeWindow<frmAnagrafica>();
        closeWindow<frmMain>();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    // ---- the list ----

    void emptyRegisterAsksForTheFirstTypeThenRefills()
    {
        TestProgram prog;
        bool opened = false;
        DialogScript::driveModal("frmEditTipologiaPersone", [&](Form *f) {
            opened = true;
            QVERIFY(gIsNewRecord);
            frmTipologiaPersone *list = FormInstance<frmTipologiaPersone>::get();
            QCOMPARE(list->MSFlexGrid1->TextMatrix(0, 0), QStringLiteral("0 Records"));
            QCOMPARE(list->MSFlexGrid1->ColWidth(0), 1000.0);
            // Something else added a type meanwhile: a refill shows it, an append would not.
            prog.exec("insert into TipologiaPersone (Tipologia) values ('Altrove')");
            auto *d = static_cast<frmEditTipologiaPersone *>(f);
            d->txtTipologia->setTextValue("Socio");
            d->cmdOK->click();
            QVERIFY(!d->isLoaded());
        });
        frmTipologiaPersone *w = openList();
        QVERIFY(opened);
        QVERIFY(DialogScript::problems().isEmpty());
        NO_BOXES();
        MSFlexGrid *g = w->MSFlexGrid1;
        QCOMPARE(w->Caption(), QStringLiteral("Tipologie Clienti"));
        QVERIFY(!w->cmdEsportaDati);
        QCOMPARE(g->Cols(), 4);
        QCOMPARE(g->TextMatrix(0, 0), QStringLiteral("IDFIELD"));
        QCOMPARE(g->TextMatrix(0, 1), QStringLiteral("Tipologia"));
        QCOMPARE(g->TextMatrix(0, 2), QStringLiteral("Data Creazione"));
        QCOMPARE(g->TextMatrix(0, 3), QStringLiteral("Data Ultima Modifica"));
        QCOMPARE(g->ColWidth(0), 0.0);
        QCOMPARE(column(g, 1), (QStringList{"Altrove", "Socio"}));
        QCOMPARE(g->Row(), 0);

        // Later types are appended: what was added behind the list's back stays unseen.
        prog.exec("insert into TipologiaPersone (Tipologia) values ('Fantasma')");
        DialogScript::driveModal("frmEditTipologiaPersone", [](Form *f) {
            auto *d = static_cast<frmEditTipologiaPersone *>(f);
            d->txtTipologia->setTextValue("  Amico ");
            d->cmdOK->click();
        });
        w->cmdAdd->click();
        NO_BOXES();
        QCOMPARE(column(g, 1), (QStringList{"Altrove", "Socio", "Amico"}));
        QCOMPARE(w->mTIPOLOGIAID, prog.scalar("select TIPOLOGIAID from TipologiaPersone where Tipologia = 'Amico'").toDouble());
        QCOMPARE(g->TextMatrix(3, 0), prog.scalar("select TIPOLOGIAID from TipologiaPersone where Tipologia = 'Amico'"));
    }

    void aTypeInUseCannotBeDeleted()
    {
        TestProgram prog;
        prog.exec("insert into TipologiaPersone (TIPOLOGIAID, Tipologia) values (1, 'Socio'), (2, 'Amico'), (3, 'Ospite')");
        prog.exec("insert into Anagrafica (TIPOLOGIAID, Cognome) values (1, 'Rossi')");
        frmTipologiaPersone *w = openList();
        MSFlexGrid *g = w->MSFlexGrid1;

        // Nothing selected right after the fill: nothing happens.
        w->cmdDelete_Click();
        NO_BOXES();

        clickRow(g, 1);
        w->cmdDelete->click();
        QCOMPARE(prompts(), QStringList{kLinked});
        QCOMPARE(DialogScript::boxes().first().buttons, 48);
        QCOMPARE(DialogScript::boxes().first().title, QStringLiteral("Norvik"));
        QCOMPARE(prog.scalar("select count(*) from TipologiaPersone"), QStringLiteral("3"));
        QCOMPARE(column(g, 1), (QStringList{"Socio", "Amico", "Ospite"}));

        // An unused one goes after Yes, through the Delete key; No keeps it.
        DialogScript::reset();
        clickRow(g, 2);
        DialogScript::answerMessage(7);
        w->MSFlexGrid1_KeyDown(46, 0);
        QCOMPARE(prompts(), QStringList{kConfirm});
        QCOMPARE(prog.scalar("select count(*) from TipologiaPersone"), QStringLiteral("3"));
        DialogScript::reset();
        DialogScript::answerMessage(6);
        w->MSFlexGrid1_KeyDown(46, 0);
        QCOMPARE(prompts(), QStringList{kConfirm});
        QCOMPARE(DialogScript::boxes().first().buttons, 4);
        QCOMPARE(prog.scalar("select group_concat(Tipologia) from TipologiaPersone"), QStringLiteral("Socio,Ospite"));
        QCOMPARE(column(g, 1), (QStringList{"Socio", "Ospite"}));
    }

    void printoutListsTheNamesOnly()
    {
        TestProgram prog;
        // The heading setting is not what this printout is titled with.
        prog.exec("update settings set value='Bottega' where mnemocode='INTESTAZ'");
        gPrtCSize = 7;
        prog.exec("insert into TipologiaPersone (TIPOLOGIAID, Tipologia, DateTimeCreated, DateTimeLastUpdated) values "
                  "(1, 'Socio <vip>', '2024-01-01 10:00:00', '2024-02-01 10:00:00'), (2, 'Amico', NULL, NULL)");
        frmTipologiaPersone *w = openList();
        w->cmdPrintGrid->click();
        NO_BOXES();
        QCOMPARE(w->web->previewCount(), 1);
        QCOMPARE(QList<short>(gColonneEscluse + 1, gColonneEscluse + 5), (QList<short>{0, 2, 3, -1}));
        const QString expected = kPageHead7 + kHeadingFont + "Norvik - Tipologie anagrafica</p>" + kGridTable
            + "<tr><th>Tipologia</th></tr><tr><td>Socio &lt;vip&gt;</td></tr><tr><td>Amico</td></tr>"
            + "</table></body></html>";
        QCOMPARE(w->web->html(), expected);
    }

    void keysAboveSixteenBits()
    {
        TestProgram prog;
        prog.exec("insert into TipologiaPersone (TIPOLOGIAID, Tipologia) values (40000, 'Socio'), (5000000000, 'Amico'), "
                  "(5000000001, 'Ospite')");
        prog.exec("insert into Anagrafica (TIPOLOGIAID, Cognome) values (40000, 'Rossi')");
        frmTipologiaPersone *w = openList();
        MSFlexGrid *g = w->MSFlexGrid1;
        QCOMPARE(column(g, 0), (QStringList{"40000", "5000000000", "5000000001"}));

        clickRow(g, 1);
        w->cmdDelete_Click();
        QCOMPARE(prompts(), QStringList{kLinked});

        // Renamed through a double click on its row.
        DialogScript::reset();
        DialogScript::driveModal("frmEditTipologiaPersone", [](Form *f) {
            auto *d = static_cast<frmEditTipologiaPersone *>(f);
            QCOMPARE(d->txtTipologia->Text(), QStringLiteral("Amico"));
            d->txtTipologia->setTextValue("Amico caro");
            d->cmdOK_Click();
        });
        g->simulateMouseDown(2, 1);
        g->simulateDblClick(2, 1);
        QVERIFY(DialogScript::problems().isEmpty());
        NO_BOXES();
        QCOMPARE(w->mTIPOLOGIAID, 5000000000.0);
        QCOMPARE(prog.scalar("select Tipologia from TipologiaPersone where TIPOLOGIAID = 5000000000"), QStringLiteral("Amico caro"));
        QCOMPARE(g->TextMatrix(2, 1), QStringLiteral("Amico caro"));

        clickRow(g, 3);
        DialogScript::answerMessage(6);
        w->cmdDelete_Click();
        QCOMPARE(prog.scalar("select count(*) from TipologiaPersone where TIPOLOGIAID = 5000000001"), QStringLiteral("0"));

        // The next key follows the largest ever given.
        frmEditTipologiaPersone *d = openEdit(true);
        d->txtTipologia->setTextValue("Nuovo");
        d->cmdOK_Click();
        QCOMPARE(w->mTIPOLOGIAID, 5000000002.0);
        QCOMPARE(g->TextMatrix(g->Rows() - 1, 0), QStringLiteral("5000000002"));
        QCOMPARE(g->TextMatrix(g->Rows() - 1, 1), QStringLiteral("Nuovo"));
    }

    void mainWindowOpensTheListUnfiltered()
    {
        TestProgram prog;
        prog.exec("insert into TipologiaPersone (Tipologia) values ('Socio'), ('Amico')");
        gWhereTipologiaPersone = "a.Tipologia = 'nessuna'";
        gWhereAnagrafica = "a.Nome = 'x'";
        frmMain *m = FormInstance<frmMain>::get();
        m->Load();
        QStringList listed;
        DialogScript::driveModal("frmTipologiaPersone", [&](Form *f) {
            QVERIFY(gWhereTipologiaPersone.isEmpty());
            listed = column(static_cast<frmTipologiaPersone *>(f)->MSFlexGrid1, 1);
        });
        m->cmdTipologia->click();
        QVERIFY(DialogScript::problems().isEmpty());
        NO_BOXES();
        QCOMPARE(listed, (QStringList{"Socio", "Amico"}));
        QVERIFY(gWhereAnagrafica.isEmpty());
        QVERIFY(!FormInstance<frmTipologiaPersone>::exists());
    }

    // ---- the edit dialog ----

    void addChecksAndStatement()
    {
        TestProgram prog;
        prog.exec("insert into TipologiaPersone (TIPOLOGIAID, Tipologia) values (1, 'Socio')");
        frmTipologiaPersone *w = openList();
        recordWrites();
        frmEditTipologiaPersone *d = openEdit(true);
        QCOMPARE(d->Caption(), QStringLiteral("Tipologie Soci"));
        QCOMPARE(d->lblTipologia->Caption(), QStringLiteral("Tipologia Soci"));
        QVERIFY(!d->cmdPrint->isVisibleTo(d));
        QVERIFY(d->txtTipologia->Text().isEmpty());

        d->txtTipologia->setTextValue("   ");
        d->cmdOK->click();
        QCOMPARE(prompts(), QStringList{kEmpty});
        QCOMPARE(DialogScript::boxes().first().buttons, 48);
        QCOMPARE(DialogScript::boxes().first().title, QStringLiteral("Norvik"));
        QVERIFY(editOpen());

        // The name is compared as it is stored: trimmed.
        DialogScript::reset();
        d->txtTipologia->setTextValue(" Socio  ");
        d->cmdOK->click();
        QCOMPARE(prompts(), QStringList{kDuplicate});
        QVERIFY(editOpen());
        QCOMPARE(d->txtTipologia->Text(), QStringLiteral(" Socio  "));
        QVERIFY(writes().isEmpty());

        // A quote is stored intact, and then found by the duplicate test.
        DialogScript::reset();
        d->txtTipologia->setTextValue(" Socio d'onore ");
        d->cmdOK->click();
        NO_BOXES();
        QVERIFY(!editOpen());
        const QString stamp = prog.scalar("select DateTimeCreated from TipologiaPersone where TIPOLOGIAID = 2");
        QVERIFY(QDateTime::fromString(stamp, "yyyy-MM-dd HH:mm:ss").isValid());
        QCOMPARE(writes(), QStringList{"INSERT INTO TipologiaPersone (Tipologia, DateTimeCreated) VALUES ('Socio d''onore',  '"
                                       + stamp + "') "});
        QCOMPARE(prog.scalar("select Tipologia from TipologiaPersone where TIPOLOGIAID = 2"), QStringLiteral("Socio d'onore"));
        QCOMPARE(column(w->MSFlexGrid1, 1), (QStringList{"Socio", "Socio d'onore"}));
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);

        d = openEdit(true);
        d->txtTipologia->setTextValue("Socio d'onore");
        d->cmdOK_Click();
        QCOMPARE(prompts(), QStringList{kDuplicate});
        QCOMPARE(prog.scalar("select count(*) from TipologiaPersone"), QStringLiteral("2"));
        d->cmdCancel->click();
        QVERIFY(!editOpen());
        QCOMPARE(prog.scalar("select count(*) from TipologiaPersone"), QStringLiteral("2"));
    }

    void renameShowsOnEveryCustomerOfTheType()
    {
        TestProgram prog;
        prog.exec("insert into TipologiaPersone (TIPOLOGIAID, Tipologia) values (1, 'Socio'), (2, 'Amico')");
        prog.exec("insert into Anagrafica (ANAGRAFICAID, TIPOLOGIAID, Cognome) values (1, 1, 'Rossi'), (2, 2, 'Verdi'), "
                  "(3, 1, 'Bianchi')");
        frmTipologiaPersone *w = openList();
        MSFlexGrid *g = w->MSFlexGrid1;
        recordWrites();

        // Keeping its own name is no duplicate; another type's name is.
        clickRow(g, 1);
        DialogScript::driveModal("frmEditTipologiaPersone", [&](Form *f) {
            auto *d = static_cast<frmEditTipologiaPersone *>(f);
            QCOMPARE(d->txtTipologia->Text(), QStringLiteral("Socio"));
            d->Form_Activate();
            QCOMPARE(d->focusWidget(), static_cast<QWidget *>(d->txtTipologia));
            QCOMPARE(d->txtTipologia->cursorPosition(), 5);
            QVERIFY(!d->txtTipologia->hasSelectedText());
            d->txtTipologia->setTextValue("Amico");
            d->cmdOK_Click();
            QCOMPARE(prompts(), QStringList{kDuplicate});
            QVERIFY(d->isLoaded());
            DialogScript::reset();
            d->txtTipologia->setTextValue("Socio");
            d->cmdOK_Click();
            QVERIFY(!d->isLoaded());
        });
        g->simulateDblClick(1, 1);
        NO_BOXES();
        QVERIFY(!prog.scalar("select DateTimeLastUpdated from TipologiaPersone where TIPOLOGIAID = 1").isEmpty());

        writes().clear();
        DialogScript::driveModal("frmEditTipologiaPersone", [](Form *f) {
            auto *d = static_cast<frmEditTipologiaPersone *>(f);
            d->txtTipologia->setTextValue("Socio ordinario");
            d->cmdOK->click();
        });
        g->simulateDblClick(1, 1);
        NO_BOXES();
        const QString stamp = prog.scalar("select DateTimeLastUpdated from TipologiaPersone where TIPOLOGIAID = 1");
        QCOMPARE(writes(), QStringList{"UPDATE TipologiaPersone SET Tipologia = 'Socio ordinario',  DateTimeLastUpdated = '"
                                       + stamp + "' WHERE TIPOLOGIAID = 1 "});
        QCOMPARE(column(g, 1), (QStringList{"Socio ordinario", "Amico"}));
        QCOMPARE(g->TextMatrix(1, 3), stamp);
        w->cmdClose->click();

        frmAnagrafica *customers = FormInstance<frmAnagrafica>::get();
        customers->Load();
        QCOMPARE(column(customers->MSFlexGrid1, 3), (QStringList{"Rossi", "Verdi", "Bianchi"}));
        QCOMPARE(column(customers->MSFlexGrid1, 2), (QStringList{"Socio ordinario", "Amico", "Socio ordinario"}));
    }

    void refusedWriteKeepsTheDialogOpen()
    {
        TestProgram prog;
        prog.exec("insert into TipologiaPersone (TIPOLOGIAID, Tipologia) values (1, 'Socio')");
        prog.exec("create trigger noinsert before insert on TipologiaPersone begin select raise(abort, 'disco pieno'); end;"
                  "create trigger noupdate before update on TipologiaPersone begin select raise(abort, 'disco pieno'); end");
        frmTipologiaPersone *w = openList();
        MSFlexGrid *g = w->MSFlexGrid1;

        frmEditTipologiaPersone *d = openEdit(true);
        d->txtTipologia->setTextValue("Amico");
        d->cmdOK_Click();
        QCOMPARE(DialogScript::boxes().size(), 1);
        QVERIFY2(prompts().first().contains("disco pieno"), qPrintable(prompts().first()));
        QVERIFY(editOpen());
        QCOMPARE(d->txtTipologia->Text(), QStringLiteral("Amico"));
        QCOMPARE(column(g, 1), QStringList{"Socio"});
        d->cmdCancel_Click();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);

        DialogScript::reset();
        clickRow(g, 1);
        d = openEdit(false, 1);
        d->txtTipologia->setTextValue("Socio nuovo");
        d->cmdOK_Click();
        QCOMPARE(DialogScript::boxes().size(), 1);
        QVERIFY(editOpen());
        QCOMPARE(d->txtTipologia->Text(), QStringLiteral("Socio nuovo"));
        QCOMPARE(column(g, 1), QStringList{"Socio"});
        QCOMPARE(prog.scalar("select Tipologia from TipologiaPersone"), QStringLiteral("Socio"));
    }

    // ---- the filter dialog ----

    void filterByNamesOrFragment()
    {
        TestProgram prog;
        prog.exec("insert into TipologiaPersone (Tipologia) values ('Socio'), ('Amico'), ('Socio sostenitore'), "
                  "('Ex socio'), ('Collaboratore'), ('Socio d''onore')");
        frmTipologiaPersone *w = openList();
        MSFlexGrid *g = w->MSFlexGrid1;
        auto filterWith = [&](const QString &text) {
            DialogScript::driveModal("frmSelectTipologiaPersone", [text](Form *f) {
                auto *d = static_cast<frmSelectTipologiaPersone *>(f);
                d->txtTipologia->setTextValue(text);
                d->cmdOK->click();
            });
            w->cmdSelect->click();
            QVERIFY(DialogScript::problems().isEmpty());
        };

        filterWith("Socio,Amico");
        NO_BOXES();
        QCOMPARE(gWhereTipologiaPersone, QStringLiteral("a.Tipologia IN ('Socio', 'Amico')"));
        QVERIFY(w->listQueryText().endsWith("FROM TipologiaPersone a  WHERE a.Tipologia IN ('Socio', 'Amico')"));
        QCOMPARE(column(g, 1), (QStringList{"Socio", "Amico"}));

        // A fragment matches anywhere in the name, in either case.
        filterWith(" ocio ");
        QCOMPARE(gWhereTipologiaPersone, QStringLiteral("a.Tipologia Like '%ocio%'"));
        QCOMPARE(column(g, 1), (QStringList{"Socio", "Socio sostenitore", "Ex socio", "Socio d'onore"}));

        filterWith("d'onore");
        QCOMPARE(column(g, 1), QStringList{"Socio d'onore"});
        filterWith("Socio d'onore,Amico");
        QCOMPARE(column(g, 1), (QStringList{"Amico", "Socio d'onore"}));

        // Empty: every type again.
        filterWith("  ");
        QCOMPARE(gWhereTipologiaPersone, QString());
        QCOMPARE(g->Rows(), 7);
        NO_BOXES();
    }

    void filterDialogRemembersItsText()
    {
        TestProgram prog;
        prog.exec("insert into TipologiaPersone (Tipologia) values ('Socio'), ('Amico')");
        frmTipologiaPersone *w = openList();
        auto *d = FormInstance<frmSelectTipologiaPersone>::get();
        d->Load();
        QCOMPARE(d->Caption(), QStringLiteral("Cerca Tipologie Clienti"));
        QCOMPARE(d->lblTipologia->Caption(), QStringLiteral("Tipologia Clienti"));
        QVERIFY(!d->cmdPrint->isVisibleTo(d));
        QVERIFY(!d->optAND && !d->optOR);
        d->txtTipologia->setTextValue("mic");
        d->cmdOK_Click();
        QCOMPARE(column(w->MSFlexGrid1, 1), QStringList{"Amico"});
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);

        // Reopened with the text, the caret after it.
        d = FormInstance<frmSelectTipologiaPersone>::get();
        d->Load();
        QCOMPARE(d->txtTipologia->Text(), QStringLiteral("mic"));
        d->Form_Activate();
        QCOMPARE(d->focusWidget(), static_cast<QWidget *>(d->txtTipologia));
        QCOMPARE(d->txtTipologia->cursorPosition(), 3);
        NO_BOXES();
    }
};

QTEST_MAIN(TestTipologie)
#include "tst_tipologie.moc"
