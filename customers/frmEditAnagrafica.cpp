#include "customers/frmEditAnagrafica.h"
#include "customers/frmAnagrafica.h"
#include "platform/XPControls.h"
#include "shell/basGeneral.h"

namespace {
constexpr int kWidth = 886;
constexpr int kMargin = EditDialog::Margin;
constexpr int kLabelWidth = 190;
constexpr int kFieldWidth = 220;
constexpr int kSecondColumn = kMargin + kLabelWidth + EditDialog::FieldColumn::Gap + kFieldWidth + 18;
constexpr int kShort = 80;
constexpr int kDate = 130;
}

frmEditAnagrafica::frmEditAnagrafica() : EditDialog("frmEditAnagrafica", "Anagrafica Clienti")
{
    // Each label comes right before its field: the customer card prints them in this order.
    addFrame(kWidth);
    FieldColumn left(kMargin, FieldsTop, kLabelWidth, kFieldWidth);
    cboTipologia = addCombo(left, "Tipologia", "Tipologia");
    txtCognome = addTextBox(left, "Cognome", "Cognome / Ragione Sociale");
    txtNome = addTextBox(left, "Nome", "Nome");
    txtIndirizzo = addTextBox(left, "Indirizzo", "Indirizzo");
    txtCAP = addTextBox(left, "CAP", "CAP", kShort);
    txtComune = addTextBox(left, "Comune", "Comune");
    txtProvincia = addTextBox(left, "Provincia", "Provincia", kShort);
    FieldColumn right(kSecondColumn, FieldsTop, kLabelWidth, kFieldWidth);
    txtTelefonoCasa = addTextBox(right, "TelefonoCasa", "Telefono Casa");
    txtTelefonoUfficio = addTextBox(right, "TelefonoUfficio", "Telefono Ufficio");
    txtFax = addTextBox(right, "Fax", "Fax");
    txtCellulare = addTextBox(right, "Cellulare", "Cellulare");
    txtCFIva = addTextBox(right, "CFIva", "Codice Fiscale / Partita IVA");
    txtEmail = addTextBox(right, "Email", "E-mail");
    txtSitoWeb = addTextBox(right, "SitoWeb", "Sito Web");
    // The notes take the whole width below both columns; card and dates follow two to a row.
    FieldColumn bottom = FieldColumn::across(kWidth, kLabelWidth, left.top() + 8);
    txtNote = addTextBox(bottom, "Note", "Note");
    FieldColumn cardLeft(kMargin, bottom.top() + 8, kLabelWidth, kFieldWidth);
    FieldColumn cardRight(kSecondColumn, bottom.top() + 8, kLabelWidth, kFieldWidth);
    txtNumeroTessera = addTextBox(cardLeft, "NumeroTessera", "Numero Tessera");
    txtDataNascita = addPicker(cardRight, "DataNascita", "Data Nascita", kDate);
    txtDataIscrizione = addPicker(cardLeft, "DataIscrizione", "Data Iscrizione", kDate);
    txtDataScadenzaIscrizione = addPicker(cardRight, "DataScadenzaIscrizione", "Data Scadenza Iscrizione", kDate);
    addButtons(kWidth, cardLeft.top() + 18, "S&tampa scheda del cliente", 230);

    EditDialogDesc &d = desc();
    d.listWindow(&frmAnagrafica::mANAGRAFICAID);
    d.loadQuery = [](const QString &id) {
        return QStringLiteral("SELECT a.ANAGRAFICAID, a.TIPOLOGIAID, b.Tipologia, a.Nome, a.Cognome,  "
                              "a.Indirizzo, a.CAP, a.Comune, a.Provincia, a.TelefonoCasa, a.TelefonoUfficio,  "
                              "a.Fax, a.Cellulare, a.CFIva, a.NumeroTessera, a.DataIscrizione, a.DataNascita, "
                              "a.DataScadenzaIscrizione, a.Email, a.SitoWeb, a.NoteAnagrafica, a.DateTimeCreated,  "
                              "a.DateTimeLastUpdated FROM Anagrafica a, TipologiaPersone b WHERE ANAGRAFICAID = ")
               + id + QStringLiteral(" AND a.TIPOLOGIAID = b.TIPOLOGIAID ");
    };
    d.insertHead = QStringLiteral("INSERT INTO Anagrafica (TIPOLOGIAID, Nome, Cognome, Indirizzo, CAP, Comune, "
                                  "Provincia, TelefonoCasa, TelefonoUfficio, Fax, Cellulare, CFIva, Email, SitoWeb, "
                                  "NoteAnagrafica, numerotessera,datanascita,dataiscrizione,datascadenzaiscrizione,"
                                  "DateTimeCreated) VALUES (");
    d.updateHead = QStringLiteral("UPDATE Anagrafica SET ");
    d.updateWhere = QStringLiteral("WHERE ANAGRAFICAID = ");
    bindKey(cboTipologia, idDelTipoAnag, "TIPOLOGIAID",
            "SELECT TIPOLOGIAID, Tipologia FROM TipologiaPersone order by tipologia ", "TIPOLOGIAID", {"Tipologia"})
        .missing = "La tipologia scelta non esiste più: è stata eliminata da un altro utente.";
    const QPair<XPTextBox *, const char *> texts[] = {
        {txtNome, "Nome"},
        {txtCognome, "Cognome"},
        {txtIndirizzo, "Indirizzo"},
        {txtCAP, "CAP"},
        {txtComune, "Comune"},
        {txtProvincia, "Provincia"},
        {txtTelefonoCasa, "TelefonoCasa"},
        {txtTelefonoUfficio, "TelefonoUfficio"},
        {txtFax, "Fax"},
        {txtCellulare, "Cellulare"},
        {txtCFIva, "CFIva"},
        {txtEmail, "Email"},
        {txtSitoWeb, "SitoWeb"},
        {txtNote, "NoteAnagrafica"},
        {txtNumeroTessera, "NumeroTessera"},
    };
    for (const auto &[box, column] : texts)
        bindText(box, column);
    bindDate(txtDataNascita, "DataNascita");
    bindDate(txtDataIscrizione, "DataIscrizione");
    bindDate(txtDataScadenzaIscrizione, "DataScadenzaIscrizione");
    bindStamp();

    d.checks = {
        chosen(cboTipologia, idDelTipoAnag, "Selezionare la tipologia"),
        required(txtCognome, "Inserire il cognome o la ragione sociale"),
        code(txtCAP, "di avviamento postale"),
        validDate(txtDataNascita, "Data di nascita non valida"),
        validDate(txtDataIscrizione, "Data di iscrizione non valida"),
        validDate(txtDataScadenzaIscrizione, "Data di scadenza iscrizione non valida"),
        // Customers without a card are never duplicates; a card is compared as it is stored, trimmed.
        [this] {
            const QString card = txtNumeroTessera->Text().trimmed();
            if (card.isEmpty())
                return Verdict::pass();
            QString sql = "select count(*) as conteggio from anagrafica where numerotessera ='" + Pad(card) + "'";
            if (!isNew())
                sql += " And anagraficaid <> " + recordKeyText();
            return unique(sql, QStringLiteral("Impossibile ") + (isNew() ? "inserire" : "modificare")
                                   + " il record: numero di tessera duplicato.");
        },
    };
}
