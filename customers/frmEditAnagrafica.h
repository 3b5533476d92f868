#pragma once
#include "shell/EditDialog.h"

// Adds a customer or edits the one chosen in the customer list (gIsNewRecord at load decides).
class frmEditAnagrafica : public EditDialog {
    Q_OBJECT
public:
    frmEditAnagrafica();
    void cboTipologia_Change() { comboChange(cboTipologia); }
    void cboTipologia_KeyUp(int KeyCode, int Shift) { comboKeyUp(cboTipologia, KeyCode, Shift); }

    XPComboBox *cboTipologia;
    XPTextBox *txtCognome, *txtNome, *txtIndirizzo, *txtCAP, *txtComune, *txtProvincia, *txtTelefonoCasa,
        *txtTelefonoUfficio, *txtFax, *txtCellulare, *txtCFIva, *txtEmail, *txtSitoWeb, *txtNote, *txtNumeroTessera;
    XPDTPicker *txtDataNascita, *txtDataIscrizione, *txtDataScadenzaIscrizione;

private:
    qint64 idDelTipoAnag = -1; // the chosen type's key, -1 when none
};
