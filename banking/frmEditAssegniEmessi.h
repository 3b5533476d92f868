#pragma once
#include "shell/EditDialog.h"

class XPLabel;

// Records a cheque issued from one of the user's accounts to a customer, or edits the one chosen
// in the cheque list (gIsNewRecord at load decides).
class frmEditAssegniEmessi : public EditDialog {
    Q_OBJECT
public:
    frmEditAssegniEmessi();

    void cboDescrizione_Change() { comboChange(cboDescrizione); }
    void cboNome_Change() { comboChange(cboNome); }
    void cboDescrizione_KeyUp(int KeyCode, int Shift) { comboKeyUp(cboDescrizione, KeyCode, Shift); }
    void cboNome_KeyUp(int KeyCode, int Shift) { comboKeyUp(cboNome, KeyCode, Shift); }
    // Leaving the date picker while it holds no date: the message, and the result true (a
    // cancelled validation: the focus goes back to the picker).
    bool txtDataAssegno_Validate();

    // The keys chosen in the account and payee combos, -1 when none.
    qint64 ContoCorrente() const { return idDelContoCorrente; }
    qint64 Beneficiario() const { return idDelBeneficiarioEm; }

    XPCheckBox *chkSuPiazza;
    XPDTPicker *txtDataAssegno;
    XPTextBox *txtNumero;
    XPComboBox *cboDescrizione;
    XPComboBox *cboNome;
    XPTextBox *txtLuogoEmissione;
    XPCheckBox *chkTrasferibile;
    XPCheckBox *chkSbarrato;
    XPTextBox *txtImporto;
    XPTextBox *txtCausale;
    XPTextBox *txtAssegnoNote;

private:
    qint64 idDelContoCorrente = -1;
    qint64 idDelBeneficiarioEm = -1;
};
