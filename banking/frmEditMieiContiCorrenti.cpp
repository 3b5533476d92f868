#include "banking/frmEditMieiContiCorrenti.h"
#include "banking/frmMieiContiCorrenti.h"
#include "platform/XPControls.h"

namespace {
constexpr int kWidth = 520;
constexpr int kLabelWidth = 180;
constexpr int kCode = 80;
}

frmEditMieiContiCorrenti::frmEditMieiContiCorrenti() : EditDialog("frmEditMieiContiCorrenti", "I Miei Conti Correnti")
{
    addFrame(kWidth);
    FieldColumn column = FieldColumn::across(kWidth, kLabelWidth);
    txtDescrizione = addTextBox(column, "Descrizione", "Descrizione");
    txtBanca = addTextBox(column, "Banca", "Banca");
    txtABI = addTextBox(column, "ABI", "ABI", kCode);
    txtCAB = addTextBox(column, "CAB", "CAB", kCode);
    txtNumeroConto = addTextBox(column, "NumeroConto", "Numero di Conto Corrente");
    txtIntestatari = addTextBox(column, "Intestatari", "Intestatari");
    addButtons(kWidth, column.top() + 18, "Stampa");

    EditDialogDesc &d = desc();
    d.listWindow(&frmMieiContiCorrenti::mCONTOCORRENTEID);
    d.loadQuery = [](const QString &id) {
        return "SELECT a.CONTOCORRENTEID, a.Descrizione, a.Banca, a.ABI, a.CAB, a.NumeroConto,  "
               "a.Intestatari, a.DateTimeCreated, a.DateTimeLastUpdated FROM MieiContiCorrenti a "
               "WHERE CONTOCORRENTEID = "
               + id + " ";
    };
    d.insertHead = QStringLiteral("INSERT INTO MieiContiCorrenti (Descrizione, Banca, ABI, CAB, "
                                  "NumeroConto, Intestatari, DateTimeCreated) VALUES (");
    d.updateHead = QStringLiteral("UPDATE MieiContiCorrenti SET ");
    d.updateWhere = QStringLiteral("WHERE CONTOCORRENTEID = ");
    bindText(txtDescrizione, "Descrizione");
    bindText(txtBanca, "Banca");
    bindText(txtABI, "ABI");
    bindText(txtCAB, "CAB");
    bindText(txtNumeroConto, "NumeroConto");
    bindText(txtIntestatari, "Intestatari");
    bindStamp();
    // The holders may stay empty. The description is compared as it is stored, trimmed; in edit
    // mode the account's own row does not count.
    d.checks = {
        required(txtDescrizione, "Inserire la descrizione"),
        required(txtBanca, "Inserire il nome della banca"),
        required(txtABI, "Inserire il codice ABI"),
        code(txtABI, "ABI"),
        required(txtCAB, "Inserire il codice CAB"),
        code(txtCAB, "CAB"),
        required(txtNumeroConto, "Inserire il numero di conto corrente"),
        uniqueText("mieiconticorrenti", "descrizione", txtDescrizione, "contocorrenteid", "Il record già esiste"),
    };
    d.focusOnActivate = txtDescrizione;
}
