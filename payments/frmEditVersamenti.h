#pragma once
#include "shell/EditDialog.h"

// Records that the cheque of the payment selected in the payments list was paid into one of the
// user's own bank accounts. It only adds: a deposit is never edited here.
class frmEditVersamenti : public EditDialog {
    Q_OBJECT
public:
    frmEditVersamenti();

    // In the order of the printout.
    XPComboBox *cboDescrizione;
    XPDTPicker *txtDataVersamento;
    XPTextBox *txtNote;

    // The account chosen, -1 when none.
    qint64 idDelContoCorrente = -1;

protected:
    void afterLoad() override;
};
