#pragma once
#include "platform/Form.h"

class XPForm;
class XPLabel;
class XPTextBox;
class XPButton;
class WebBrowser;

// Adds a customer type or renames the one chosen in the type list (gIsNewRecord at load decides).
class frmEditTipologiaPersone : public Form {
    Q_OBJECT
public:
    frmEditTipologiaPersone();

    void Form_Load() override;
    void Form_Activate() override;
    void cmdOK_Click();
    void cmdCancel_Click();
    void cmdPrint_Click();

    XPForm *OsenXPForm1;
    XPLabel *lblTipologia;
    XPTextBox *txtTipologia;
    XPButton *cmdOK;
    XPButton *cmdCancel;
    XPButton *cmdPrint; // hidden: the dialog offers no printout
    WebBrowser *web;

private:
    // Fixed at load: the mode and, in edit mode, the type shown (so the one written).
    bool m_isNew = true;
    double m_tipologiaId = 0;
};
