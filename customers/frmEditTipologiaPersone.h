#pragma once
#include "shell/EditDialog.h"

// Adds a customer type or renames the one chosen in the type list (gIsNewRecord at load decides).
class frmEditTipologiaPersone : public EditDialog {
    Q_OBJECT
public:
    frmEditTipologiaPersone();

    XPTextBox *txtTipologia;
};
