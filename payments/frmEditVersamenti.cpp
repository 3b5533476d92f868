#include "payments/frmEditVersamenti.h"
#include "payments/frmPagamenti.h"
#include "platform/XPControls.h"
#include "shell/basGeneral.h"

namespace {
constexpr int kWidth = 560;
constexpr int kLabelWidth = 130;
constexpr int kDate = 130;
}

frmEditVersamenti::frmEditVersamenti()
    : EditDialog(QStringLiteral("frmEditVersamenti"), QStringLiteral("Versa Assegno Ricevuto"))
{
    addFrame(kWidth);
    FieldColumn column = FieldColumn::across(kWidth, kLabelWidth);
    cboDescrizione = addCombo(column, QStringLiteral("Descrizione"), QStringLiteral("Conto Corrente"));
    txtDataVersamento = addPicker(column, QStringLiteral("DataVersamento"), QStringLiteral("Data Versamento"), kDate);
    txtNote = addTextBox(column, QStringLiteral("Note"), QStringLiteral("Note"));
    addButtons(kWidth, column.top() + 14, QStringLiteral("Stampa"));

    EditDialogDesc &d = desc();
    d.insertOnly = true;
    d.afterWrite = EditDialogDesc::AfterWrite::Nothing;
    d.insertHead = QStringLiteral("INSERT INTO Versamenti (PagamentiID, CONTOCORRENTEID, DataVersamento, "
                                  "noteversamento,DateTimeCreated) VALUES (");
    // The payment is the one the list has selected when Ok is pressed.
    bindLiteral(frmPagamenti::selectedPaymentKey, QStringLiteral("PagamentiID"));
    bindKey(cboDescrizione, idDelContoCorrente, QStringLiteral("CONTOCORRENTEID"),
            QStringLiteral("SELECT CONTOCORRENTEID, Descrizione FROM MieiContiCorrenti order by descrizione "),
            QStringLiteral("CONTOCORRENTEID"), {QStringLiteral("Descrizione")})
        .missing = QStringLiteral("Il conto corrente scelto non esiste più: è stato eliminato da un altro utente.");
    d.references = {frmPagamenti::selectedPaymentReference()};
    bindDate(txtDataVersamento, QStringLiteral("DataVersamento"));
    bindText(txtNote, QStringLiteral("noteversamento"));
    bindStamp();
    d.todayWhenAdding = {txtDataVersamento};
    d.checks = {
        chosen(cboDescrizione, idDelContoCorrente, QStringLiteral("Selezionare il Conto Corrente")),
        validDate(txtDataVersamento, QStringLiteral("Formato della data di versamento non valido")),
    };
}

void frmEditVersamenti::afterLoad()
{
    gIsNewRecord = true;
    cboDescrizione->setFocus(Qt::OtherFocusReason);
}
