#pragma once
#include "shell/EditDialog.h"

// Records that the cheque of the payment selected in the payments list was endorsed over to a
// customer. It only adds: an endorsement is never edited here.
class frmEditGirate : public EditDialog {
    Q_OBJECT
public:
    frmEditGirate();

    void cboNome_KeyUp(int KeyCode, int Shift) { comboKeyUp(cboNome, KeyCode, Shift); }

    // In the order of the printout.
    XPComboBox *cboNome;
    XPDTPicker *txtDataGirata;
    XPCheckBox *chkGirataPiena;
    XPTextBox *txtNote;

    // The endorsee chosen, -1 when none.
    qint64 idDelBeneficiario = -1;

protected:
    void afterLoad() override;
};
