#include "payments/frmEditGirate.h"
#include "payments/frmPagamenti.h"
#include "platform/XPControls.h"
#include "shell/basGeneral.h"

namespace {
constexpr int kWidth = 560;
constexpr int kLabelWidth = 130;
constexpr int kDate = 130;
}

frmEditGirate::frmEditGirate() : EditDialog(QStringLiteral("frmEditGirate"), QStringLiteral("Gira Assegno Ricevuto"))
{
    addFrame(kWidth);
    FieldColumn upper = FieldColumn::across(kWidth, kLabelWidth);
    cboNome = addCombo(upper, QStringLiteral("Nome"), QStringLiteral("Benificiario"));
    txtDataGirata = addPicker(upper, QStringLiteral("DataGirata"), QStringLiteral("Data Girata"), kDate);
    chkGirataPiena = new XPCheckBox(this, QStringLiteral("chkGirataPiena"), QStringLiteral("Girata Piena"));
    chkGirataPiena->setGeometry(upper.fieldLeft(), upper.top(), upper.fieldWidth(), FieldColumn::FieldHeight);
    // A cheque is endorsed in full or not: grey is no answer.
    chkGirataPiena->setGreyByClick(false);
    FieldColumn lower = FieldColumn::across(kWidth, kLabelWidth, upper.top() + FieldColumn::RowHeight);
    txtNote = addTextBox(lower, QStringLiteral("Note"), QStringLiteral("Note"));
    addButtons(kWidth, lower.top() + 14, QStringLiteral("Stampa"));

    EditDialogDesc &d = desc();
    d.insertOnly = true;
    d.afterWrite = EditDialogDesc::AfterWrite::Nothing;
    d.insertHead = QStringLiteral("INSERT INTO Girate (PagamentiID, ANAGRAFICAID, GirataPiena, DataGirata, "
                                  "DateTimeCreated,notegirata) VALUES (");
    // The payment is the one the list has selected when Ok is pressed.
    bindLiteral(frmPagamenti::selectedPaymentKey, QStringLiteral("PagamentiID"));
    bindKey(cboNome, idDelBeneficiario, QStringLiteral("ANAGRAFICAID"),
            QStringLiteral("SELECT ANAGRAFICAID,cognome, Nome FROM Anagrafica order by cognome, nome "),
            QStringLiteral("ANAGRAFICAID"), {QStringLiteral("cognome"), QStringLiteral("Nome")})
        .missing = QStringLiteral("Il beneficiario scelto non esiste più: è stato eliminato da un altro utente.");
    d.references = {frmPagamenti::selectedPaymentReference()};
    bindFlag(chkGirataPiena, QStringLiteral("GirataPiena"));
    bindDate(txtDataGirata, QStringLiteral("DataGirata"));
    bindStamp();
    bindText(txtNote, QStringLiteral("notegirata"));
    d.todayWhenAdding = {txtDataGirata};
    d.checks = {
        chosen(cboNome, idDelBeneficiario, QStringLiteral("Selezionare il beneficiario")),
        validDate(txtDataGirata, QStringLiteral("Formato della data di girata non valido")),
    };
}

void frmEditGirate::afterLoad()
{
    gIsNewRecord = true;
    cboNome->setFocus(Qt::OtherFocusReason);
}
