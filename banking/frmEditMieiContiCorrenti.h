#pragma once
#include "shell/EditDialog.h"

// Adds a bank account or edits the one chosen in the account list (gIsNewRecord at load decides).
class frmEditMieiContiCorrenti : public EditDialog {
    Q_OBJECT
public:
    frmEditMieiContiCorrenti();

    XPTextBox *txtDescrizione, *txtBanca, *txtABI, *txtCAB, *txtNumeroConto, *txtIntestatari;
};
