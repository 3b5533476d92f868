#pragma once
#include "platform/Form.h"

class XPForm;
class XPLabel;
class XPPicture;
class XPButton;
class WebBrowser;

// The start window: loading it is the program's start-up, closing it ends the program.
class frmMain : public Form {
    Q_OBJECT
public:
    frmMain();

    void Form_Load() override;
    void Form_Activate() override;

    void cmdAnagrafica_Click();
    void cmdContiCorrenti_Click();
    void cmdTipologia_Click();
    void cmdAssegniEmessi_Click();
    void cmdMieiContiCorrenti_Click();
    void cmdReportistica_Click();
    void cmdBackup_Click();
    void cmdCambiaIntestazione_Click();
    void cmdInfo_Click();
    void cmdEsci_Click();
    void annullaWhere();

    XPForm *OsenXPForm1;
    XPLabel *OsenXPLabel1;
    XPPicture *OsenXPPicture1;
    XPButton *cmdAnagrafica;
    XPButton *cmdContiCorrenti;
    XPButton *cmdTipologia;
    XPButton *cmdAssegniEmessi;
    XPButton *cmdMieiContiCorrenti;
    XPButton *cmdReportistica;
    XPButton *cmdBackup;
    XPButton *cmdCambiaIntestazione;
    XPButton *cmdInfo;
    XPButton *cmdEsci;
    WebBrowser *web;

private:
    // The phase call, the filters cleared and the register shown by name: what each register
    // button does inside its own error exit.
    void openRegister(const QString &window);

protected:
    // Esc does not close the start window: only "Es&ci" and the frame's close button end the program.
    void reject() override {}
};
