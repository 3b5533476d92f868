// The customer edit dialog and the edit-dialog helpers it shares with the other registers.
#include "customers/frmAnagrafica.h"
#include "customers/frmEditAnagrafica.h"
#include "platform/Dialogs.h"
#include "platform/Form.h"
#include "platform/MSFlexGrid.h"
#include "platform/PlatformError.h"
#include "platform/WebBrowser.h"
#include "platform/XPControls.h"
#include "shell/EditDialog.h"
#include "shell/basGeneral.h"
#include "shell/basGeneralCustom.h"
#include "testsupport.h"
#include <QDateTime>
#include <QtTest>
#include <sqlite3.h>

namespace {

// Every statement the program hands to SQLite, as written.
QStringList &statements()
{
    static QStringList list;
    return list;
}

int onStatement(unsigned, void *, void *, void *sql)
{
    const QString text = QString::fromUtf8(static_cast<const char *>(sql));
    if (!text.startsWith(QLatin1String("--")))
        statements() << text;
    return 0;
}

void recordStatements()
{
    statements().clear();
    sqlite3_trace_v2(gSqliteDb->handle(), SQLITE_TRACE_STMT, onStatement, nullptr);
}

QStringList writes()
{
    QStringList out;
    for (const QString &s : statements())
        if (s.startsWith(QLatin1String("INSERT")) || s.startsWith(QLatin1String("UPDATE")))
            out << s;
    return out;
}

frmEditAnagrafica *openDialog(bool isNew, double key = 0)
{
    FormInstance<frmAnagrafica>::get()->mANAGRAFICAID = key;
    gIsNewRecord = isNew;
    frmEditAnagrafica *d = FormInstance<frmEditAnagrafica>::get();
    d->Load();
    return d;
}

void chooseType(frmEditAnagrafica *d, const QString &name)
{
    const int i = d->cboTipologia->findText(name);
    QVERIFY2(i >= 0, qPrintable(name));
    d->cboTipologia->setListIndex(i);
}

#define NO_BOXES() QVERIFY2(DialogScript::boxes().isEmpty(), qPrintable(prompts().join('|')))

bool dialogOpen() { return FormInstance<frmEditAnagrafica>::exists() && FormInstance<frmEditAnagrafica>::peek()->isLoaded(); }

void closeWindows()
{
    if (frmEditAnagrafica *d = FormInstance<frmEditAnagrafica>::peek()) {
        if (d->isLoaded())
            d->Unload();
        else
            delete d;
    }
    if (frmAnagrafica *l = FormInstance<frmAnagrafica>::peek()) {
        if (l->isLoaded())
            l->Unload();
        else
            delete l;
    }
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

// A time stamp in the stored form, taken just now.
void verifyRecentStamp(const QString &stamp)
{
    const QDateTime t = QDateTime::fromString(stamp, QStringLiteral("yyyy-MM-dd HH:mm:ss"));
    QVERIFY2(t.isValid(), qPrintable(stamp));
    QVERIFY(qAbs(t.secsTo(QDateTime::currentDateTime())) < 120);
}
}

class TestAnagraficaEdit : public QObject {
    Q_OBJECT
private slots:
    void init() { resetShellState(); }
    void cleanup() { closeWindows(); }

    // ---- the shared helpers ----

    void comboFillSelectsOnlyTheKeyAsked()
    {
        TestProgram prog;
        prog.exec("insert into TipologiaPersone (TIPOLOGIAID, Tipologia) values (5, 'Zeta'), (40000, 'Alfa'), (7, NULL)");
        Form f(QStringLiteral("frmProva"));
        XPComboBox combo(&f, QStringLiteral("cboTipo"));
        int changes = 0;
        QObject::connect(&combo, &XPComboBox::Change, [&] { ++changes; });
        const QString sql = QStringLiteral("SELECT TIPOLOGIAID, Tipologia FROM TipologiaPersone order by tipologia ");

        // Nothing asked: nothing selected, although a combo picks its first item by itself.
        QCOMPARE(EditDialog::fillCombo(&combo, sql, "TIPOLOGIAID", "Tipologia"), qint64(-1));
        QCOMPARE(combo.ListCount(), 3);
        QCOMPARE(combo.ListIndex(), -1);
        QCOMPARE(EditDialog::selectedKey(&combo), qint64(-1));
        QCOMPARE(combo.List(0), QString()); // Null name sorts first and shows empty
        QCOMPARE(combo.List(1), QStringLiteral("Alfa"));
        QCOMPARE(combo.ItemData(1), qint64(40000));

        // Refilling replaces the items; a key above 16 bits is found and selected.
        QCOMPARE(EditDialog::fillCombo(&combo, sql, "TIPOLOGIAID", "Tipologia", 40000), qint64(40000));
        QCOMPARE(combo.ListCount(), 3);
        QCOMPARE(combo.Text(), QStringLiteral("Alfa"));
        QCOMPARE(EditDialog::selectedKey(&combo), qint64(40000));
        QCOMPARE(changes, 0);

        // A key no row has selects nothing; the item text may come from several columns.
        const qint64 none = EditDialog::fillCombo(&combo, sql, "TIPOLOGIAID",
            [](const Recordset &rs) { return QStringLiteral("#") + rs.Fields()("TIPOLOGIAID").Value().toString(); }, 99);
        QCOMPARE(none, qint64(-1));
        QCOMPARE(combo.ListIndex(), -1);
        QCOMPARE(combo.List(2), QStringLiteral("#5"));

        // End and Home; an empty combo ignores both.
        EditDialog::comboEndHome(&combo, 35);
        QCOMPARE(combo.ListIndex(), 2);
        EditDialog::comboEndHome(&combo, 36);
        QCOMPARE(combo.ListIndex(), 0);
        EditDialog::comboEndHome(&combo, 40);
        QCOMPARE(combo.ListIndex(), 0);
        combo.Clear();
        EditDialog::comboEndHome(&combo, 36);
        EditDialog::comboEndHome(&combo, 35);
        QCOMPARE(combo.ListIndex(), -1);
    }

    void writeClosesOnlyAfterTheDatabaseTookIt()
    {
        TestProgram prog;
        QStringList calls;
        auto fill = [&] { calls << "FillGrid"; };
        auto add = [&] { calls << "AddGridRow"; };
        EditDialog::afterInsert(nullptr, fill, add);
        Form list(QStringLiteral("frmLista"));
        MSFlexGrid grid(&list, QStringLiteral("MSFlexGrid1"));
        grid.setRows(1);
        EditDialog::afterInsert(&grid, fill, add);
        grid.setRows(3);
        EditDialog::afterInsert(&grid, fill, add);
        QCOMPARE(calls, QStringList({"FillGrid", "FillGrid", "AddGridRow"}));

        calls.clear();
        auto *dialog = new Form(QStringLiteral("frmProva"));
        dialog->Load();
        QVERIFY(!EditDialog::writeThenCallBack(dialog, "INSERT INTO Nessuna (x) VALUES (1)", [&] { calls << "back"; }));
        QVERIFY(dialog->isLoaded());
        QVERIFY(calls.isEmpty());
        QCOMPARE(DialogScript::boxes().size(), 1);
        QVERIFY(prompts().first().endsWith("in procedure gDbExecute of Modulo basGeneral"));

        QVERIFY(EditDialog::writeThenCallBack(dialog, "INSERT INTO TipologiaPersone (Tipologia) VALUES ('A')", [&] { calls << "back"; }));
        QCOMPARE(calls, QStringList({"back"}));
        QVERIFY(!dialog->isLoaded());
        QCOMPARE(prog.scalar("select count(*) from TipologiaPersone"), QStringLiteral("1"));

        // A list that fails after the row was written still closes the dialog: OK twice would
        // write the row twice.
        dialog = new Form(QStringLiteral("frmProva"));
        dialog->Load();
        QVERIFY_THROWS_EXCEPTION(PlatformError,
            EditDialog::writeThenCallBack(dialog, "INSERT INTO TipologiaPersone (Tipologia) VALUES ('B')",
                                          [] { throw PlatformError(5, "lista"); }));
        QVERIFY(!dialog->isLoaded());
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    // ---- loading ----

    void addModeStartsEmptyWithNoTypeChosen()
    {
        TestProgram prog;
        prog.exec("insert into TipologiaPersone (Tipologia) values ('Socio'), ('Amico'), ('Collaboratore')");
        frmEditAnagrafica *d = openDialog(true);
        QCOMPARE(d->Caption(), QStringLiteral("Anagrafica Clienti"));
        QCOMPARE(d->cmdOK->Caption(), QStringLiteral("&Ok"));
        QCOMPARE(d->cmdCancel->Caption(), QStringLiteral("A&nnulla"));
        QCOMPARE(d->cmdPrint->Caption(), QStringLiteral("S&tampa scheda del cliente"));
        QCOMPARE(d->cboTipologia->ListCount(), 3);
        QCOMPARE(d->cboTipologia->List(0), QStringLiteral("Amico"));
        QCOMPARE(d->cboTipologia->List(2), QStringLiteral("Socio"));
        QCOMPARE(d->cboTipologia->ListIndex(), -1);
        QVERIFY(d->txtCognome->Text().isEmpty());
        QVERIFY(d->txtDataNascita->IsEmpty());
        QVERIFY(d->txtDataIscrizione->IsEmpty());
        QVERIFY(d->txtDataScadenzaIscrizione->IsEmpty());
        QVERIFY(DialogScript::boxes().isEmpty());

        // The combo shows no type, and the dialog holds none either.
        d->txtCognome->setTextValue("Rossi");
        d->cmdOK_Click();
        QCOMPARE(prompts(), QStringList({"Selezionare la tipologia"}));
        QCOMPARE(DialogScript::boxes().first().buttons, 48);
        QCOMPARE(DialogScript::boxes().first().title, QStringLiteral("Norvik"));
        QVERIFY(dialogOpen());
    }

    void editModeShowsTheCustomer()
    {
        TestProgram prog;
        prog.exec("insert into TipologiaPersone (TIPOLOGIAID, Tipologia) values (1, 'Socio'), (2, 'Amico')");
        prog.exec("insert into Anagrafica (ANAGRAFICAID, TIPOLOGIAID, Nome, Cognome, Indirizzo, CAP, Comune, Provincia, "
                  "TelefonoCasa, TelefonoUfficio, Fax, Cellulare, CFIva, Email, SitoWeb, NoteAnagrafica, NumeroTessera, "
                  "DataNascita, DataIscrizione, DataScadenzaIscrizione, DateTimeCreated) values (7, 1, 'Anna', 'D''Amico', "
                  "'Via Roma 1', '00100', 'Roma', 'RM', '06 1', '06 2', '06 3', '333', 'DMCNNA', 'a@b.it', 'www.b.it', "
                  "'nota', 'T7', '1970-05-04 00:00:00', '2020-01-02 00:00:00', '2021-01-02 00:00:00', '2020-01-02 10:00:00')");
        prog.exec("insert into Anagrafica (ANAGRAFICAID, TIPOLOGIAID, Cognome) values (8, 2, 'Bianchi')");

        frmEditAnagrafica *d = openDialog(false, 7);
        QCOMPARE(d->cboTipologia->Text(), QStringLiteral("Socio"));
        const QList<QPair<XPTextBox *, QString>> shown = {
            {d->txtNome, "Anna"}, {d->txtCognome, "D'Amico"}, {d->txtIndirizzo, "Via Roma 1"}, {d->txtCAP, "00100"},
            {d->txtComune, "Roma"}, {d->txtProvincia, "RM"}, {d->txtTelefonoCasa, "06 1"}, {d->txtTelefonoUfficio, "06 2"},
            {d->txtFax, "06 3"}, {d->txtCellulare, "333"}, {d->txtCFIva, "DMCNNA"}, {d->txtEmail, "a@b.it"},
            {d->txtSitoWeb, "www.b.it"}, {d->txtNote, "nota"}, {d->txtNumeroTessera, "T7"}};
        for (const auto &box : shown)
            QCOMPARE(box.first->Text(), box.second);
        QCOMPARE(d->txtDataNascita->Value(), QDate(1970, 5, 4));
        QCOMPARE(d->txtDataIscrizione->Value(), QDate(2020, 1, 2));
        QCOMPARE(d->txtDataScadenzaIscrizione->Value(), QDate(2021, 1, 2));
        d->Unload();

        // Null columns give empty boxes and empty pickers.
        d = openDialog(false, 8);
        QCOMPARE(d->cboTipologia->Text(), QStringLiteral("Amico"));
        QCOMPARE(d->txtCognome->Text(), QStringLiteral("Bianchi"));
        QVERIFY(d->txtNome->Text().isEmpty());
        QVERIFY(d->txtDataNascita->IsEmpty());
        QVERIFY(d->txtDataScadenzaIscrizione->IsEmpty());
        QVERIFY(DialogScript::boxes().isEmpty());
    }

    // ---- checks ----

    void checksRunInOrderAndWriteNothing()
    {
        TestProgram prog;
        prog.exec("insert into TipologiaPersone (Tipologia) values ('Socio')");
        prog.exec("insert into Anagrafica (TIPOLOGIAID, Cognome, NumeroTessera) values (1, 'Verdi', 'T1')");
        frmEditAnagrafica *d = openDialog(true);

        // No type: the only message, whatever else is wrong.
        d->txtCognome->setTextValue("   ");
        d->txtCAP->setTextValue("12");
        d->txtNumeroTessera->setTextValue("T1");
        d->cmdOK_Click();
        QCOMPARE(prompts(), QStringList({"Selezionare la tipologia"}));

        chooseType(d, "Socio");
        auto next = [&](const QString &expected) {
            DialogScript::reset();
            d->cmdOK_Click();
            QCOMPARE(prompts(), QStringList({expected}));
            QVERIFY(dialogOpen());
        };
        next("Inserire il cognome o la ragione sociale");
        d->txtCognome->setTextValue("Rossi");
        next("Lunghezza del codice di avviamento postale non valida");
        d->txtCAP->setTextValue("1234");
        next("Lunghezza del codice di avviamento postale non valida");
        d->txtCAP->setTextValue("12a45");
        next("Il codice di avviamento postale contiene caratteri non validi");
        d->txtCAP->setTextValue(" 12345 ");
        next("Impossibile inserire il record: numero di tessera duplicato.");
        d->txtNumeroTessera->setTextValue(" T1 "); // the stored number is trimmed too
        next("Impossibile inserire il record: numero di tessera duplicato.");
        QCOMPARE(d->txtCognome->Text(), QStringLiteral("Rossi"));
        QCOMPARE(prog.scalar("select count(*) from Anagrafica"), QStringLiteral("1"));

        d->txtNumeroTessera->setTextValue("T2");
        DialogScript::reset();
        d->cmdOK_Click();
        NO_BOXES();
        QVERIFY(!dialogOpen());
        QCOMPARE(prog.scalar("select CAP || '|' || NumeroTessera from Anagrafica where Cognome = 'Rossi'"), QStringLiteral("12345|T2"));
        QCOMPARE(prog.scalar("select count(*) from Anagrafica where Cognome = 'Rossi' and Nome is null and Indirizzo is null "
                             "and Comune is null and Provincia is null and TelefonoCasa is null and TelefonoUfficio is null "
                             "and Fax is null and Cellulare is null and CFIva is null and Email is null and SitoWeb is null "
                             "and NoteAnagrafica is null and DataNascita is null and DataIscrizione is null "
                             "and DataScadenzaIscrizione is null"),
                 QStringLiteral("1"));
    }

    void cardNumberInEditMode()
    {
        TestProgram prog;
        prog.exec("insert into TipologiaPersone (Tipologia) values ('Socio')");
        prog.exec("insert into Anagrafica (TIPOLOGIAID, Cognome, NumeroTessera) values (1, 'Verdi', 'T1'), (1, 'Neri', 'T2'), "
                  "(1, 'Gialli', NULL), (1, 'Blu', NULL)");

        // Its own number is no duplicate.
        frmEditAnagrafica *d = openDialog(false, 1);
        d->txtNome->setTextValue("Luca");
        d->cmdOK_Click();
        NO_BOXES();
        QCOMPARE(prog.scalar("select Nome from Anagrafica where ANAGRAFICAID = 1"), QStringLiteral("Luca"));

        // Another customer's number is.
        d = openDialog(false, 1);
        d->txtNumeroTessera->setTextValue("T2");
        d->cmdOK_Click();
        QCOMPARE(prompts(), QStringList({"Impossibile modificare il record: numero di tessera duplicato."}));
        QVERIFY(dialogOpen());
        QCOMPARE(prog.scalar("select NumeroTessera from Anagrafica where ANAGRAFICAID = 1"), QStringLiteral("T1"));
        d->Unload();

        // Customers without a card are never duplicates of each other.
        DialogScript::reset();
        d = openDialog(false, 3);
        d->cmdOK_Click();
        d = openDialog(true);
        chooseType(d, "Socio");
        d->txtCognome->setTextValue("Viola");
        d->cmdOK_Click();
        NO_BOXES();
        QCOMPARE(prog.scalar("select count(*) from Anagrafica where NumeroTessera is null"), QStringLiteral("3"));
    }

    // ---- writing ----

    void insertWritesEveryColumn()
    {
        TestProgram prog;
        prog.exec("insert into TipologiaPersone (Tipologia) values ('Amico'), ('Socio')");
        recordStatements();
        frmEditAnagrafica *d = openDialog(true);
        chooseType(d, "Socio");
        const QList<XPTextBox *> boxes = {d->txtNome, d->txtCognome, d->txtIndirizzo, d->txtComune, d->txtProvincia,
                                          d->txtTelefonoCasa, d->txtTelefonoUfficio, d->txtFax, d->txtCellulare,
                                          d->txtCFIva, d->txtEmail, d->txtSitoWeb, d->txtNote, d->txtNumeroTessera};
        for (XPTextBox *b : boxes)
            b->setTextValue(QStringLiteral("  l'") + b->Name().mid(3) + QStringLiteral("'' "));
        d->txtCAP->setTextValue("00100");
        d->txtDataNascita->setValue(QDate(1970, 5, 4));
        d->txtDataScadenzaIscrizione->setValue(QDate(2025, 12, 31));
        d->cmdOK_Click();
        NO_BOXES();
        QVERIFY(!dialogOpen());

        QCOMPARE(prog.scalar("select count(*) from Anagrafica"), QStringLiteral("1"));
        const QStringList columns = {"Nome", "Cognome", "Indirizzo", "Comune", "Provincia", "TelefonoCasa", "TelefonoUfficio",
                                     "Fax", "Cellulare", "CFIva", "Email", "SitoWeb", "NoteAnagrafica", "NumeroTessera"};
        for (int i = 0; i < columns.size(); ++i)
            QCOMPARE(prog.scalar("select " + columns[i] + " from Anagrafica"), "l'" + boxes[i]->Name().mid(3) + "''");
        QCOMPARE(prog.scalar("select TIPOLOGIAID from Anagrafica"), QStringLiteral("2")); // Socio
        QCOMPARE(prog.scalar("select CAP from Anagrafica"), QStringLiteral("00100"));
        QCOMPARE(prog.scalar("select DataNascita from Anagrafica"), QStringLiteral("1970-05-04 00:00:00"));
        QCOMPARE(prog.scalar("select DataIscrizione is null from Anagrafica"), QStringLiteral("1"));
        QCOMPARE(prog.scalar("select DataScadenzaIscrizione from Anagrafica"), QStringLiteral("2025-12-31 00:00:00"));
        verifyRecentStamp(prog.scalar("select DateTimeCreated from Anagrafica"));
        QCOMPARE(prog.scalar("select DateTimeLastUpdated is null from Anagrafica"), QStringLiteral("1"));

        // The statement as written, with its comma and two blanks after every value.
        QCOMPARE(writes().size(), 1);
        const QString stamp = prog.scalar("select DateTimeCreated from Anagrafica");
        QCOMPARE(writes().first(),
                 "INSERT INTO Anagrafica (TIPOLOGIAID, Nome, Cognome, Indirizzo, CAP, Comune, Provincia, TelefonoCasa, "
                 "TelefonoUfficio, Fax, Cellulare, CFIva, Email, SitoWeb, NoteAnagrafica, numerotessera,datanascita,"
                 "dataiscrizione,datascadenzaiscrizione,DateTimeCreated) VALUES (2,  'l''Nome''''',  'l''Cognome''''',  "
                 "'l''Indirizzo''''',  '00100',  'l''Comune''''',  'l''Provincia''''',  'l''TelefonoCasa''''',  "
                 "'l''TelefonoUfficio''''',  'l''Fax''''',  'l''Cellulare''''',  'l''CFIva''''',  'l''Email''''',  "
                 "'l''SitoWeb''''',  'l''Note''''',  'l''NumeroTessera''''',  '1970-05-04 00:00:00',  Null,  "
                 "'2025-12-31 00:00:00',  '" + stamp + "') ");
    }

    void updateWritesEveryColumn()
    {
        TestProgram prog;
        prog.exec("insert into TipologiaPersone (Tipologia) values ('Socio'), ('Amico')");
        prog.exec("insert into Anagrafica (TIPOLOGIAID, Cognome, Nome, CAP, NumeroTessera, DataNascita, DataIscrizione, DateTimeCreated) "
                  "values (1, 'Rossi', 'Mario', '00100', 'T1', '1970-05-04 00:00:00', '2020-01-01 00:00:00', '2020-01-01 10:00:00')");
        recordStatements();
        frmEditAnagrafica *d = openDialog(false, 1);
        chooseType(d, "Amico");
        d->txtCognome->setTextValue("O'Neil");
        d->txtNome->clear();
        d->txtCAP->clear();
        d->txtNote->setTextValue("l'altro");
        d->txtDataNascita->Clear();
        d->txtDataScadenzaIscrizione->setValue(QDate(2026, 2, 28));
        d->cmdOK_Click();
        NO_BOXES();
        QVERIFY(!dialogOpen());

        QCOMPARE(prog.scalar("select TIPOLOGIAID || '|' || Cognome || '|' || NoteAnagrafica || '|' || NumeroTessera || '|' || "
                             "DataIscrizione || '|' || DataScadenzaIscrizione from Anagrafica"),
                 QStringLiteral("2|O'Neil|l'altro|T1|2020-01-01 00:00:00|2026-02-28 00:00:00"));
        QCOMPARE(prog.scalar("select (Nome is null) + (CAP is null) + (DataNascita is null) from Anagrafica"), QStringLiteral("3"));
        QCOMPARE(prog.scalar("select DateTimeCreated from Anagrafica"), QStringLiteral("2020-01-01 10:00:00"));
        const QString stamp = prog.scalar("select DateTimeLastUpdated from Anagrafica");
        verifyRecentStamp(stamp);

        QCOMPARE(writes().size(), 1);
        QCOMPARE(writes().first(),
                 "UPDATE Anagrafica SET TIPOLOGIAID = 2,  Nome = Null,  Cognome = 'O''Neil',  Indirizzo = Null,  CAP = Null,  "
                 "Comune = Null,  Provincia = Null,  TelefonoCasa = Null,  TelefonoUfficio = Null,  Fax = Null,  "
                 "Cellulare = Null,  CFIva = Null,  Email = Null,  SitoWeb = Null,  NoteAnagrafica = 'l''altro',  "
                 "NumeroTessera = 'T1',  DataNascita = Null,  DataIscrizione = '2020-01-01 00:00:00',  "
                 "DataScadenzaIscrizione = '2026-02-28 00:00:00',  DateTimeLastUpdated = '" + stamp + "' WHERE ANAGRAFICAID = 1 ");
    }

    void typeKeysBeyondSixteenBits()
    {
        TestProgram prog;
        prog.exec("insert into TipologiaPersone (TIPOLOGIAID, Tipologia) values (3, 'Amico'), (40000, 'Socio'), (5000000000, 'Zeta')");
        prog.exec("insert into Anagrafica (ANAGRAFICAID, TIPOLOGIAID, Cognome) values (70000, 40000, 'Rossi')");

        // Loading a customer of such a type shows it, and saving keeps it.
        frmEditAnagrafica *d = openDialog(false, 70000);
        QCOMPARE(d->cboTipologia->Text(), QStringLiteral("Socio"));
        d->cmdOK_Click();
        NO_BOXES();
        QCOMPARE(prog.scalar("select TIPOLOGIAID from Anagrafica where ANAGRAFICAID = 70000"), QStringLiteral("40000"));
        verifyRecentStamp(prog.scalar("select DateTimeLastUpdated from Anagrafica where ANAGRAFICAID = 70000"));

        // Choosing one (End picks the last) writes exactly the type shown.
        d = openDialog(true);
        d->cboTipologia_KeyUp(35, 0);
        QCOMPARE(d->cboTipologia->Text(), QStringLiteral("Zeta"));
        d->txtCognome->setTextValue("Bianchi");
        d->cmdOK_Click();
        NO_BOXES();
        QCOMPARE(prog.scalar("select TIPOLOGIAID from Anagrafica where Cognome = 'Bianchi'"), QStringLiteral("5000000000"));
    }

    void endAndHomeChooseTheType()
    {
        TestProgram prog;
        prog.exec("insert into TipologiaPersone (Tipologia) values ('Socio'), ('Amico'), ('Collaboratore')");
        frmEditAnagrafica *d = openDialog(true);
        d->cboTipologia_KeyUp(35, 0);
        QCOMPARE(d->cboTipologia->Text(), QStringLiteral("Socio"));
        d->cboTipologia_KeyUp(36, 0);
        QCOMPARE(d->cboTipologia->Text(), QStringLiteral("Amico"));
        // The real keys reach the handler too.
        QTest::keyClick(d->cboTipologia, Qt::Key_End);
        QCOMPARE(d->cboTipologia->Text(), QStringLiteral("Socio"));
        d->txtCognome->setTextValue("Rossi");
        d->cmdOK_Click();
        NO_BOXES();
        QCOMPARE(prog.scalar("select b.Tipologia from Anagrafica a, TipologiaPersone b where a.TIPOLOGIAID = b.TIPOLOGIAID"),
                 QStringLiteral("Socio"));
    }

    void refusedWriteKeepsTheDialog()
    {
        TestProgram prog;
        prog.exec("insert into TipologiaPersone (Tipologia) values ('Socio')");
        prog.exec("insert into Anagrafica (TIPOLOGIAID, Cognome) values (1, 'Verdi')");
        prog.exec("create trigger no_insert before insert on Anagrafica begin select raise(abort, 'inserimento rifiutato'); end;"
                  "create trigger no_update before update on Anagrafica begin select raise(abort, 'modifica rifiutata'); end;");
        frmAnagrafica *list = FormInstance<frmAnagrafica>::get();
        list->Load();
        QCOMPARE(list->MSFlexGrid1->Rows(), 2);

        frmEditAnagrafica *d = openDialog(true);
        chooseType(d, "Socio");
        d->txtCognome->setTextValue("Rossi");
        d->txtDataNascita->setValue(QDate(1980, 1, 1));
        d->cmdOK_Click();
        QCOMPARE(DialogScript::boxes().size(), 1);
        QVERIFY(prompts().first().contains("inserimento rifiutato"));
        QVERIFY(prompts().first().endsWith("in procedure gDbExecute of Modulo basGeneral"));
        QVERIFY(dialogOpen());
        QCOMPARE(d->cboTipologia->Text(), QStringLiteral("Socio"));
        QCOMPARE(d->txtCognome->Text(), QStringLiteral("Rossi"));
        QCOMPARE(d->txtDataNascita->Value(), QDate(1980, 1, 1));
        QCOMPARE(prog.scalar("select count(*) from Anagrafica"), QStringLiteral("1"));
        QCOMPARE(list->MSFlexGrid1->Rows(), 2); // no row appended for a row not written

        // Once the database accepts it, the same OK writes the row typed.
        prog.exec("drop trigger no_insert");
        DialogScript::reset();
        d->cmdOK_Click();
        NO_BOXES();
        QVERIFY(!dialogOpen());
        QCOMPARE(prog.scalar("select Cognome || DataNascita from Anagrafica where ANAGRAFICAID = 2"), QStringLiteral("Rossi1980-01-01 00:00:00"));
        QCOMPARE(list->MSFlexGrid1->Rows(), 3);

        d = openDialog(false, 1);
        d->txtCognome->setTextValue("Verdini");
        d->cmdOK_Click();
        QCOMPARE(DialogScript::boxes().size(), 1);
        QVERIFY(prompts().first().contains("modifica rifiutata"));
        QVERIFY(dialogOpen());
        QCOMPARE(d->txtCognome->Text(), QStringLiteral("Verdini"));
        QCOMPARE(prog.scalar("select Cognome from Anagrafica where ANAGRAFICAID = 1"), QStringLiteral("Verdi"));
    }

    void cancelWritesNothing()
    {
        TestProgram prog;
        prog.exec("insert into TipologiaPersone (Tipologia) values ('Socio')");
        prog.exec("insert into Anagrafica (TIPOLOGIAID, Cognome) values (1, 'Verdi')");
        recordStatements();
        frmEditAnagrafica *d = openDialog(false, 1);
        d->txtCognome->setTextValue("Altro");
        d->cmdCancel->click();
        QVERIFY(!dialogOpen());
        QVERIFY(writes().isEmpty());
        QCOMPARE(prog.scalar("select Cognome from Anagrafica"), QStringLiteral("Verdi"));
        QVERIFY(DialogScript::boxes().isEmpty());
    }

    // Shown modally, as the list shows it: the buttons are wired to their handlers.
    void modalAddThroughTheButtons()
    {
        TestProgram prog;
        prog.exec("insert into TipologiaPersone (Tipologia) values ('Socio')");
        gIsNewRecord = true;
        bool driven = false;
        DialogScript::driveModal("frmEditAnagrafica", [&](Form *f) {
            auto *d = static_cast<frmEditAnagrafica *>(f);
            d->cmdOK->click();
            QCOMPARE(prompts(), QStringList({"Selezionare la tipologia"}));
            d->cboTipologia_KeyUp(36, 0);
            d->txtCognome->setTextValue("Rossi");
            d->cmdOK->click();
            driven = true;
        });
        FormInstance<frmEditAnagrafica>::get()->Show(true);
        QVERIFY(driven);
        QVERIFY(!FormInstance<frmEditAnagrafica>::exists());
        QCOMPARE(prog.scalar("select Cognome from Anagrafica"), QStringLiteral("Rossi"));
    }

    // ---- the customer card ----

    void printsTheCustomerCard()
    {
        TestProgram prog;
        prog.exec("update settings set value = 'Bottega <Rossi>' where mnemocode = 'INTESTAZ'");
        prog.exec("insert into TipologiaPersone (Tipologia) values ('Soci <A&B>')");
        prog.exec("insert into Anagrafica (TIPOLOGIAID, Cognome, Nome, CAP, NoteAnagrafica, DataNascita) "
                  "values (1, 'D''Amico', 'Anna', '00100', 'a<b> & c', '1970-05-04 00:00:00')");
        frmEditAnagrafica *d = openDialog(false, 1);
        d->txtNome->setTextValue("Anna Maria"); // what is shown, saved or not
        d->cmdPrint->click();
        NO_BOXES();
        QVERIFY(dialogOpen());
        QCOMPARE(d->web->previewCount(), 1);

        auto field = [](const QString &label, const QString &value) {
            return "<tr></tr><tr><th>" + label + "</th><td>" + value + "</td></tr>";
        };
        const QString expected = kPageHead7 + kHeadingFont + "Bottega <Rossi></p>" + kHeadingFont + "Scheda del socio</p><table>"
            + "<tr></tr>" // frame band
            + field("Tipologia", "Soci <A&B>") // a combo's text goes out as it is
            + field("Cognome / Ragione Sociale", "D'Amico") + field("Nome", "Anna Maria")
            + field("Indirizzo", "") + field("CAP", "00100") + field("Comune", "") + field("Provincia", "")
            + field("Telefono Casa", "") + field("Telefono Ufficio", "") + field("Fax", "") + field("Cellulare", "")
            + field("Codice Fiscale / Partita IVA", "") + field("E-mail", "") + field("Sito Web", "")
            + field("Note", "a&lt;b&gt; & c") + field("Numero Tessera", "") + field("Data Nascita", "04/05/1970")
            + field("Data Iscrizione", "") + field("Data Scadenza Iscrizione", "")
            + "<tr></tr><tr></tr><tr></tr>" // the three buttons
            + "<tr></tr>" // the browser control
            + "</table></body></html>";
        QCOMPARE(d->web->html(), expected);
    }

    // ---- the customer list's call-backs ----

    void callsTheListBack()
    {
        TestProgram prog;
        prog.exec("insert into TipologiaPersone (Tipologia) values ('Socio')");
        frmAnagrafica *list = FormInstance<frmAnagrafica>::get();
        list->Load();
        MSFlexGrid *grid = list->MSFlexGrid1;
        QCOMPARE(grid->Rows(), 1);
        auto rowWith = [grid](const QString &text) {
            for (int r = 1; r < grid->Rows(); ++r)
                for (int c = 0; c < grid->Cols(); ++c)
                    if (grid->TextMatrix(r, c) == text)
                        return r;
            return -1;
        };
        auto add = [](const QString &surname) {
            frmEditAnagrafica *d = openDialog(true);
            chooseType(d, "Socio");
            d->txtCognome->setTextValue(surname);
            d->cmdOK_Click();
        };

        // Rows written behind the list's back show which call-back ran: a refill brings them in,
        // appending the newest row does not.
        prog.exec("insert into Anagrafica (TIPOLOGIAID, Cognome) values (1, 'Esterno')");
        add("Rossi"); // the list was empty: refilled
        QCOMPARE(grid->Rows(), 3);
        QVERIFY(rowWith("Esterno") > 0);
        QVERIFY(rowWith("Rossi") > 0);

        prog.exec("insert into Anagrafica (TIPOLOGIAID, Cognome) values (1, 'Nascosto')");
        add("Bianchi"); // appended
        NO_BOXES();
        QCOMPARE(grid->Rows(), 4);
        QCOMPARE(rowWith("Bianchi"), 3);
        QCOMPARE(rowWith("Nascosto"), -1);
        QCOMPARE(list->mANAGRAFICAID, 4.0);

        // An edit rewrites the list's row of that customer and nothing else.
        const int row = rowWith("Rossi");
        grid->setRow(row);
        frmEditAnagrafica *d = openDialog(false, 2);
        d->txtCognome->setTextValue("Rossini");
        d->cmdOK_Click();
        NO_BOXES();
        QCOMPARE(grid->Rows(), 4);
        QCOMPARE(rowWith("Rossini"), row);
        QCOMPARE(rowWith("Rossi"), -1);
        QCOMPARE(rowWith("Nascosto"), -1);
    }
};

QTEST_MAIN(TestAnagraficaEdit)
#include "tst_anagrafica_edit.moc"
