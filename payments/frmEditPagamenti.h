#pragma once
#include "shell/EditDialog.h"

class XPLabel;

// Adds a payment or edits the one chosen in the payments list; in the same confirmation it can
// renew the customer's membership with a new expiry date. Printed, it is the payment receipt.
// Opened from one customer's payments, that customer is the payment's and cannot be changed.
class frmEditPagamenti : public EditDialog {
    Q_OBJECT
public:
    frmEditPagamenti();

    void Form_Activate() override;
    void cboSocio_Change() { comboChange(cboSocio); }
    void cboSocio_KeyUp(int KeyCode, int Shift) { comboKeyUp(cboSocio, KeyCode, Shift); }
    void chkModificaDataScadenzaIscrizione_Click();
    // Leaving the payment date with a text that is no date: the message, and the result true
    // (a cancelled validation: the focus goes back to the field).
    bool txtDataPagamento_Validate();
    // The status line of the customer chosen: type, enrolment and expiry date.
    void aggiornaStatoSocio();

    // In the order of the receipt.
    XPCheckBox *chkModificaDataScadenzaIscrizione;
    XPComboBox *cboSocio;
    XPLabel *lblSocio;
    XPDTPicker *txtDataPagamento;
    XPLabel *lblDataPagamento;
    XPTextBox *txtImporto;
    XPLabel *lblImporto;
    XPTextBox *txtCausale;
    XPLabel *lblCausale;
    XPTextBox *txtNote;
    XPLabel *lblNote;
    XPLabel *txtStatoSocio;
    XPLabel *lblNuovaDataScadenza;
    XPDTPicker *txtNuovaDataScadenza;

    // The chosen customer's key, -1 when none.
    qint64 idDelSocio = -1;
    // True until the dialog is loaded: filling the combo refreshes no status line.
    bool formNonAncoraAttivato = true;

protected:
    void afterLoad() override;

private:
    // The controls in the order of the receipt, laid out top down; the renewal's own row.
    void createControls();
    void createRenewal(int top, int newDateTop);
    // The payment's statements, bindings and checks; the renewal's checks and statement after them.
    void describePayment();
    void describeRenewal();
    bool renewing() const;
};
