#pragma once
#include "platform/Form.h"

class WebBrowser;
class XPButton;
class XPComboBox;
class XPForm;
class XPLabel;
class XPTextBox;

// Asks the customer and the payment period of the per-customer payment summary. It is left only
// through "Mostra report", which stores the choice for the chooser.
class frmSelectReportVelmosta : public Form {
    Q_OBJECT
public:
    frmSelectReportVelmosta();
    void Form_Load() override;
    void cboDescrizione_Change();
    void cmdOK_Click();

    // The customer picked, -1 for all customers.
    qint64 idDelSocio = -1;

    XPForm *OsenXPForm1;
    XPLabel *lblDescrizione;
    XPComboBox *cboDescrizione;
    XPLabel *lblDataAssegno;
    XPLabel *OsenXPLabel2;
    XPTextBox *txtDataDa;
    XPLabel *lblDataA;
    XPTextBox *txtDataA;
    XPButton *cmdOK;
    XPLabel *Label1;
    XPLabel *Label2;
    WebBrowser *web;

protected:
    // The frame offers no close button, and neither Esc nor the window system closes it.
    void closeEvent(QCloseEvent *e) override;
    void reject() override;
};
