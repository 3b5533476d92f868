// The customer edit dialog and the edit-dialog helpers it shares with the other registers.
#include "customers/frmAnagrafica.h"
#include "customers/frmEditAnagrafica.h"
#include "platform/SqliteDb.h"
#include "shell/PatternHelpers.h"
#include "testsupport.h"
#include <QClipboard>
#include <QDateTime>
#include <QGuiApplication>

namespace {

frmEditAnagrafica *openDialog(bool isNew, double key = 0)
{
    return openEditDialog<frmEditAnagrafica>(&frmAnagrafica::mANAGRAFICAID, isNew, key);
}

bool dialogOpen() { return isOpen<frmEditAnagrafica>(); }

// A time stamp in the stored form, taken just now.
void verifyRecentStamp(const QString &stamp)
{
    const QDateTime t = QDateTime::fromString(stamp, QStringLiteral("yyyy-MM-dd HH:mm:ss"));
    QVERIFY2(t.isValid(), qPrintable(stamp));
    QVERIFY(qAbs(t.secsTo(QDateTime::currentDateTime())) < 120);
}

// The text boxes and the columns they are written to, in the statements' order.
QList<QPair<XPTextBox *, QString>> textFields(frmEditAnagrafica *d)
{
    return {{d->txtNome, "Nome"},
            {d->txtCognome, "Cognome"},
            {d->txtIndirizzo, "Indirizzo"},
            {d->txtComune, "Comune"},
            {d->txtProvincia, "Provincia"},
            {d->txtTelefonoCasa, "TelefonoCasa"},
            {d->txtTelefonoUfficio, "TelefonoUfficio"},
            {d->txtFax, "Fax"},
            {d->txtCellulare, "Cellulare"},
            {d->txtCFIva, "CFIva"},
            {d->txtEmail, "Email"},
            {d->txtSitoWeb, "SitoWeb"},
            {d->txtNote, "NoteAnagrafica"},
            {d->txtNumeroTessera, "NumeroTessera"}};
}
} // namespace

class TestAnagraficaEdit : public QObject {
    Q_OBJECT
private slots:
    void init() { resetShellState(); }

    // ---- the shared helpers ----

    void comboOfKeysAndWriteThenCallBack()
    {
        TestProgram prog;
        prog.exec("insert into TipologiaPersone (TIPOLOGIAID, Tipologia) values (5, 'Zeta'), (40000, 'Alfa'), "
                  "(7, NULL), (5000000000, 'Beta')");
        Form f(QStringLiteral("frmProva"));
        XPComboBox combo(&f, QStringLiteral("cboTipo"));
        int changes = 0;
        QObject::connect(&combo, &XPComboBox::Change, [&] { ++changes; });
        const QString sql = QStringLiteral("SELECT TIPOLOGIAID, Tipologia FROM TipologiaPersone order by tipologia ");
        // Refilling replaces the items (a Null name shows empty) and selects just the key asked,
        // raising no Change; a key no row has selects nothing.
        QCOMPARE(fillCombo(&combo, sql, "TIPOLOGIAID", "Tipologia"), qint64(-1));
        QCOMPARE(combo.ListIndex(), -1); // although a combo picks its first item by itself
        QCOMPARE(fillCombo(&combo, sql, "TIPOLOGIAID", "Tipologia", 5000000000), qint64(5000000000));
        QCOMPARE(QStringList({combo.List(0), combo.List(1), combo.List(2)}), QStringList({"", "Alfa", "Beta"}));
        QCOMPARE(selectedKey(&combo), qint64(5000000000));
        QCOMPARE(changes, 0);
        QCOMPARE(fillCombo(
                     &combo, sql, "TIPOLOGIAID",
                     [](const Recordset &rs) { return "#" + rs.Fields()("TIPOLOGIAID").Value().toString(); }, 99),
                 qint64(-1));
        QCOMPARE(selectedKey(&combo), qint64(-1));
        QCOMPARE(combo.List(3), QStringLiteral("#5"));
        // A list that fails after the row was written still closes the dialog: OK twice would
        // write the row twice.
        auto *dialog = new Form(QStringLiteral("frmProva"));
        dialog->Load();
        QVERIFY(gDbExecute("INSERT INTO TipologiaPersone (Tipologia) VALUES ('B')"));
        QVERIFY_THROWS_EXCEPTION(PlatformError, callBackThenUnload(dialog, [] { throw PlatformError(5, "lista"); }));
        QVERIFY(!dialog->isLoaded());
        QCOMPARE(prog.scalar("select count(*) from TipologiaPersone"), QStringLiteral("5"));

        // A customer of a type beyond 16 bits shows it and keeps it; End and Home, by the real
        // keys, reach the last and the first type, and the type shown is the one written.
        prog.exec("insert into Anagrafica (ANAGRAFICAID, TIPOLOGIAID, Cognome) values (70000, 40000, 'Rossi')");
        frmEditAnagrafica *d = openDialog(false, 70000);
        QCOMPARE(d->cboTipologia->Text(), QStringLiteral("Alfa"));
        d->cmdOK_Click();
        QCOMPARE(prog.scalar("select TIPOLOGIAID from Anagrafica where ANAGRAFICAID = 70000"), QStringLiteral("40000"));
        d = openDialog(true);
        QTest::keyClick(d->cboTipologia, Qt::Key_End);
        QCOMPARE(d->cboTipologia->Text(), QStringLiteral("Zeta"));
        QTest::keyClick(d->cboTipologia, Qt::Key_Home);
        QCOMPARE(d->cboTipologia->ListIndex(), 0);
        choose(d->cboTipologia, "Beta");
        d->txtCognome->setTextValue("Bianchi");
        d->cmdOK_Click();
        NO_BOXES();
        QCOMPARE(prog.scalar("select TIPOLOGIAID from Anagrafica where Cognome = 'Bianchi'"),
                 QStringLiteral("5000000000"));
    }

    // ---- checks ----

    void checksRunInOrderAndWriteNothing()
    {
        TestProgram prog;
        prog.exec("insert into TipologiaPersone (Tipologia) values ('Socio'), ('Amico'), ('Collaboratore')");
        prog.exec("insert into Anagrafica (TIPOLOGIAID, Cognome, NumeroTessera) values (1, 'Verdi', 'T1'), (1, "
                  "'Gialli', NULL)");
        frmEditAnagrafica *d = openDialog(true);
        // Add mode: no type chosen, the pickers empty.
        QCOMPARE(d->cboTipologia->ListIndex(), -1);
        QVERIFY(d->txtDataNascita->IsEmpty() && d->txtDataScadenzaIscrizione->IsEmpty());
        // No type: the only message, whatever else is wrong.
        d->txtCognome->setTextValue("   ");
        d->txtCAP->setTextValue("12");
        d->txtNumeroTessera->setTextValue("T1");
        d->cmdOK->click();
        QCOMPARE(boxLog(), QStringList({msg("Selezionare la tipologia")}));

        choose(d->cboTipologia, "Socio");
        auto next = [&](const QString &expected) {
            DialogScript::reset();
            d->cmdOK->click();
            QCOMPARE(prompts(), QStringList({expected}));
            QVERIFY(dialogOpen());
        };
        next("Inserire il cognome o la ragione sociale");
        d->txtCognome->setTextValue("Rossi");
        next("Lunghezza del codice di avviamento postale non valida");
        d->txtCAP->setTextValue("12a45");
        next("Il codice di avviamento postale contiene caratteri non validi");
        d->txtCAP->setTextValue(" 12345 ");
        next("Impossibile inserire il record: numero di tessera duplicato.");
        d->txtNumeroTessera->setTextValue(" T1 "); // the stored number is trimmed too
        next("Impossibile inserire il record: numero di tessera duplicato.");
        QCOMPARE(d->txtCognome->Text(), QStringLiteral("Rossi"));
        QCOMPARE(prog.scalar("select count(*) from Anagrafica"), QStringLiteral("2"));

        d->txtNumeroTessera->setTextValue("T2");
        DialogScript::reset();
        d->cmdOK->click();
        NO_BOXES();
        QVERIFY(!dialogOpen());
        QCOMPARE(prog.scalar("select CAP || '|' || NumeroTessera || (Nome is null) from Anagrafica where "
                             "Cognome = 'Rossi'"),
                 QStringLiteral("12345|T21"));
        // Editing: its own card number is no duplicate, another customer's is; customers
        // without a card are never duplicates of each other.
        d = openDialog(false, 1);
        d->txtNome->setTextValue("Luca");
        d->cmdOK_Click();
        NO_BOXES();
        QCOMPARE(prog.scalar("select Nome from Anagrafica where ANAGRAFICAID = 1"), QStringLiteral("Luca"));
        d = openDialog(false, 1);
        d->txtNumeroTessera->setTextValue("T2");
        d->cmdOK_Click();
        QCOMPARE(prompts(), QStringList({"Impossibile modificare il record: numero di tessera duplicato."}));
        QVERIFY(dialogOpen());
        QCOMPARE(prog.scalar("select NumeroTessera from Anagrafica where ANAGRAFICAID = 1"), QStringLiteral("T1"));
        d->Unload();
        DialogScript::reset();
        openDialog(false, 2)->cmdOK_Click();
        d = openDialog(true);
        choose(d->cboTipologia, "Socio");
        d->txtCognome->setTextValue("Viola");
        d->cmdOK_Click();
        NO_BOXES();
        QCOMPARE(prog.scalar("select count(*) from Anagrafica where NumeroTessera is null"), QStringLiteral("2"));
    }

    // ---- writing and reading back ----

    void insertStoresEveryFieldAndReadsItBack()
    {
        TestProgram prog;
        prog.exec("insert into TipologiaPersone (Tipologia) values ('Amico'), ('Socio')");
        recordWrites();
        frmEditAnagrafica *d = openDialog(true);
        choose(d->cboTipologia, "Socio");
        // An apostrophe in every text field, blanks around it.
        for (const auto &[box, col] : textFields(d))
            box->setTextValue("  l'" + col + "'' ");
        d->txtCAP->setTextValue("00100");
        d->txtDataNascita->setValue(QDate(1970, 5, 4));
        d->txtDataScadenzaIscrizione->setValue(QDate(2025, 12, 31));
        d->cmdOK_Click();
        NO_BOXES();
        QVERIFY(!dialogOpen());

        const QString stamp = prog.scalar("select DateTimeCreated from Anagrafica");
        verifyRecentStamp(stamp);
        // The statement as written, with its comma and two blanks after every value.
        QCOMPARE(
            writes(),
            QStringList{
                "INSERT INTO Anagrafica (TIPOLOGIAID, Nome, Cognome, Indirizzo, CAP, Comune, Provincia, TelefonoCasa, "
                "TelefonoUfficio, Fax, Cellulare, CFIva, Email, SitoWeb, NoteAnagrafica, numerotessera,datanascita,"
                "dataiscrizione,datascadenzaiscrizione,DateTimeCreated) VALUES (2,  'l''Nome''''',  'l''Cognome''''',  "
                "'l''Indirizzo''''',  '00100',  'l''Comune''''',  'l''Provincia''''',  'l''TelefonoCasa''''',  "
                "'l''TelefonoUfficio''''',  'l''Fax''''',  'l''Cellulare''''',  'l''CFIva''''',  'l''Email''''',  "
                "'l''SitoWeb''''',  'l''NoteAnagrafica''''',  'l''NumeroTessera''''',  '1970-05-04 00:00:00',  Null,  "
                "'2025-12-31 00:00:00',  '"
                + stamp + "') "});
        // Opened for editing, every field shows what was stored.
        d = openDialog(false, 1);
        QCOMPARE(d->cboTipologia->Text(), QStringLiteral("Socio"));
        for (const auto &[box, col] : textFields(d))
            QCOMPARE(box->Text(), "l'" + col + "''");
        QCOMPARE(d->txtCAP->Text(), QStringLiteral("00100"));
        QCOMPARE(d->txtDataNascita->Value(), QDate(1970, 5, 4));
        QVERIFY(d->txtDataIscrizione->IsEmpty());
        QCOMPARE(d->txtDataScadenzaIscrizione->Value(), QDate(2025, 12, 31));
        NO_BOXES();
    }

    void updateWritesEveryColumn()
    {
        TestProgram prog;
        prog.exec("insert into TipologiaPersone (Tipologia) values ('Socio'), ('Amico')");
        prog.exec("insert into Anagrafica (TIPOLOGIAID, Cognome, Nome, CAP, NumeroTessera, DataNascita, "
                  "DataIscrizione, DateTimeCreated) "
                  "values (1, 'Rossi', 'Mario', '00100', 'T1', '1970-05-04 00:00:00', '2020-01-01 00:00:00', "
                  "'2020-01-01 10:00:00')");
        recordWrites();
        frmEditAnagrafica *d = openDialog(false, 1);
        choose(d->cboTipologia, "Amico");
        d->txtCognome->setTextValue("O'Neil");
        d->txtNome->clear();
        d->txtCAP->clear();
        d->txtNote->setTextValue("l'altro");
        d->txtDataNascita->Clear();
        d->txtDataScadenzaIscrizione->setValue(QDate(2026, 2, 28));
        d->cmdOK_Click();
        NO_BOXES();
        QVERIFY(!dialogOpen());

        const QString stamp = prog.scalar("select DateTimeLastUpdated from Anagrafica");
        verifyRecentStamp(stamp);
        QCOMPARE(writes(),
                 QStringList{
                     "UPDATE Anagrafica SET TIPOLOGIAID = 2,  Nome = Null,  Cognome = 'O''Neil',  Indirizzo = Null,  "
                     "CAP = Null,  "
                     "Comune = Null,  Provincia = Null,  TelefonoCasa = Null,  TelefonoUfficio = Null,  Fax = Null,  "
                     "Cellulare = Null,  CFIva = Null,  Email = Null,  SitoWeb = Null,  NoteAnagrafica = 'l''altro',  "
                     "NumeroTessera = 'T1',  DataNascita = Null,  DataIscrizione = '2020-01-01 00:00:00',  "
                     "DataScadenzaIscrizione = '2026-02-28 00:00:00',  DateTimeLastUpdated = '"
                     + stamp + "' WHERE ANAGRAFICAID = 1 "});
        // Null columns come back as empty boxes and empty pickers.
        d = openDialog(false, 1);
        QCOMPARE(d->cboTipologia->Text() + d->txtNome->Text() + d->txtCAP->Text(), QStringLiteral("Amico"));
        QVERIFY(d->txtDataNascita->IsEmpty());
    }

    // ---- text typed or pasted by the user ----

    // Control characters pasted or typed into a box are dropped, the caret staying after what
    // was put in; everything else reaches the database byte for byte.
    void controlCharactersTypedOrPastedAreDropped()
    {
        TestProgram prog;
        prog.exec("insert into TipologiaPersone (Tipologia) values ('Socio')");
        frmEditAnagrafica *d = openDialog(true);
        choose(d->cboTipologia, "Socio");
        const QString kept = QStringLiteral(" D'Amico -- ; \"è\" 😀 שלום");
        const QChar nul(0);
        QGuiApplication::clipboard()->setText("Ros" + QString(nul) + "si\t\r\n\x1F" + kept);
        QTest::keyClick(d->txtCognome, Qt::Key_V, Qt::ControlModifier);
        QCOMPARE(d->txtCognome->Text(), "Rossi" + kept);
        // Pasted between two letters, then typed on.
        typeInto(d->txtNome, "AB");
        QTest::keyClick(d->txtNome, Qt::Key_Left);
        QGuiApplication::clipboard()->setText(QString(nul) + "c" + QString(nul));
        QTest::keyClick(d->txtNome, Qt::Key_V, Qt::ControlModifier);
        QTest::keyClicks(d->txtNome, "d");
        QCOMPARE(d->txtNome->Text(), QStringLiteral("AcdB"));
        // A key event carrying control characters after a letter, as an input method sends it.
        QTest::sendKeyEvent(QTest::Click, d->txtNote, Qt::Key_unknown, "x" + QString(nul) + "\ay", Qt::NoModifier);
        QCOMPARE(d->txtNote->Text(), QStringLiteral("xy"));

        d->cmdOK_Click();
        NO_BOXES();
        QVERIFY(!dialogOpen());
        QCOMPARE(prog.scalar("select hex(Cognome) || ' ' || Nome || ' ' || NoteAnagrafica from Anagrafica"),
                 QString::fromLatin1(("Rossi" + kept).toUtf8().toHex().toUpper()) + " AcdB xy");
    }

    // ---- dates typed by the user ----

    void typedDatesReachTheDatabase()
    {
        TestProgram prog;
        prog.exec("insert into TipologiaPersone (Tipologia) values ('Socio')");
        prog.exec("insert into Anagrafica (TIPOLOGIAID, Cognome, DataScadenzaIscrizione) "
                  "values (1, 'Verdi', '2026-12-15 00:00:00')");
        // Typed key by key; Tab leaves each picker, as the user does.
        auto typeInto = [](XPDTPicker *picker, const QString &keys) {
            picker->setFocus();
            QTest::keyClicks(picker, keys);
            QTest::keyClick(picker, Qt::Key_Tab);
            QVERIFY(!picker->hasFocus());
        };
        // Over a date held: typing from the end replaces it whole, a click into the year types
        // over the year alone.
        frmEditAnagrafica *d = openDialog(false, 1);
        d->show();
        QVERIFY(QTest::qWaitForWindowActive(d));
        XPDTPicker *scadenza = d->txtDataScadenzaIscrizione;
        QCOMPARE(scadenza->text(), QStringLiteral("15/12/2026"));
        typeInto(scadenza, "01/03/1990");
        QCOMPARE(scadenza->Value(), QDate(1990, 3, 1));
        const int yearX = scadenza->contentsRect().left() + scadenza->textMargins().left() + 2
                          + scadenza->fontMetrics().horizontalAdvance(QStringLiteral("01/03/")) + 1;
        QTest::mouseClick(scadenza, Qt::LeftButton, {}, QPoint(yearX, scadenza->height() / 2));
        QCOMPARE(scadenza->cursorPosition(), 6);
        QTest::keyClicks(scadenza, "2031");
        QCOMPARE(scadenza->text(), QStringLiteral("01/03/2031"));
        // An empty picker shows "0.00.00"; a date typed there without its slashes gets them when
        // Tab leaves it.
        QCOMPARE(d->txtDataNascita->text(), QString());
        QCOMPARE(d->txtDataNascita->placeholderText(), QStringLiteral("0.00.00"));
        typeInto(d->txtDataNascita, "05031999");
        QCOMPARE(d->txtDataNascita->text(), QStringLiteral("05/03/1999"));
        // A date the calendar does not have and one not finished: shown as typed, refused by the
        // dialog's own checks, nothing written.
        typeInto(d->txtDataNascita, "31/02/2020");
        QCOMPARE(d->txtDataNascita->text(), QStringLiteral("31/02/2020"));
        typeInto(d->txtDataIscrizione, "10/01/2");
        QTest::mouseClick(d->cmdOK, Qt::LeftButton);
        QCOMPARE(prompts(), QStringList{"Data di nascita non valida"});
        QVERIFY(dialogOpen());
        d->txtDataNascita->selectAll();
        QTest::keyClick(d->txtDataNascita, Qt::Key_Delete); // emptied: no date is stored
        DialogScript::reset();
        QTest::mouseClick(d->cmdOK, Qt::LeftButton);
        QCOMPARE(prompts(), QStringList{"Data di iscrizione non valida"});
        QCOMPARE(d->txtDataIscrizione->text(), QStringLiteral("10/01/2"));
        d->txtDataIscrizione->setFocus();
        QTest::keyClicks(d->txtDataIscrizione, "024");
        DialogScript::reset();
        QTest::mouseClick(d->cmdOK, Qt::LeftButton);
        NO_BOXES();
        QVERIFY(!dialogOpen());
        QCOMPARE(prog.scalar("select ifnull(DataNascita, 'Null') || '|' || DataIscrizione || '|' || "
                             "DataScadenzaIscrizione from Anagrafica where Cognome = 'Verdi'"),
                 QStringLiteral("Null|2024-01-10 00:00:00|2031-03-01 00:00:00"));
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
        const QString expected = kPageHead7 + kHeadingFont + "Bottega <Rossi></p>" + kHeadingFont
                                 + "Scheda del socio</p><table>" + "<tr></tr>" // frame band
                                 + field("Tipologia", "Soci <A&B>")            // a combo's text goes out as it is
                                 + field("Cognome / Ragione Sociale", "D'Amico") + field("Nome", "Anna Maria")
                                 + field("Indirizzo", "") + field("CAP", "00100") + field("Comune", "")
                                 + field("Provincia", "") + field("Telefono Casa", "") + field("Telefono Ufficio", "")
                                 + field("Fax", "") + field("Cellulare", "") + field("Codice Fiscale / Partita IVA", "")
                                 + field("E-mail", "") + field("Sito Web", "") + field("Note", "a&lt;b&gt; & c")
                                 + field("Numero Tessera", "") + field("Data Nascita", "04/05/1970")
                                 + field("Data Iscrizione", "") + field("Data Scadenza Iscrizione", "")
                                 + "<tr></tr><tr></tr><tr></tr>" // the three buttons
                                 + "<tr></tr>"                   // the browser control
                                 + "</table></body></html>";
        QCOMPARE(d->web->html(), expected);
    }

    // ---- the customer list's call-backs ----

    void callsTheListBack()
    {
        TestProgram prog;
        prog.exec("insert into TipologiaPersone (Tipologia) values ('Socio')");
        frmAnagrafica *list = openForm<frmAnagrafica>();
        MSFlexGrid *grid = list->MSFlexGrid1;
        QCOMPARE(grid->Rows(), 1);
        auto rowWith = [grid](const QString &text) { return int(column(grid, 3).indexOf(text)) + 1; };
        auto add = [](const QString &surname) {
            frmEditAnagrafica *d = openDialog(true);
            choose(d->cboTipologia, "Socio");
            d->txtCognome->setTextValue(surname);
            d->cmdOK_Click();
        };
        // Rows written behind the list's back show which call-back ran: a refill brings them in,
        // appending the newest row does not.
        prog.exec("insert into Anagrafica (TIPOLOGIAID, Cognome) values (1, 'Esterno')");
        add("Rossi"); // the list was empty: refilled
        QCOMPARE(grid->Rows(), 3);
        QVERIFY(rowWith("Esterno") > 0 && rowWith("Rossi") > 0);

        prog.exec("insert into Anagrafica (TIPOLOGIAID, Cognome) values (1, 'Nascosto')");
        add("Bianchi"); // appended
        NO_BOXES();
        QCOMPARE(grid->Rows(), 4);
        QCOMPARE(rowWith("Bianchi"), 3);
        QCOMPARE(rowWith("Nascosto"), 0);
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
        QCOMPARE(rowWith("Rossi") + rowWith("Nascosto"), 0);
    }
};

QTEST_MAIN(TestAnagraficaEdit)
#include "tst_anagrafica_edit.moc"
