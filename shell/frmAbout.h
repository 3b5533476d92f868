#pragma once
#include "platform/Form.h"

class XPForm;
class XPPicture;
class XPLabel;
class XPTextBox;
class XPButton;
class WebBrowser;

class frmAbout : public Form {
    Q_OBJECT
public:
    frmAbout();
    void Form_Load() override;
    void cmdGoToWebPage_Click();
    void cmdOK_Click();

    XPForm *OsenXPForm1;
    XPPicture *OsenXPPicture1;
    XPLabel *lblTitle;
    XPLabel *OsenXPLabel3;
    XPLabel *OsenXPLabel1;
    XPTextBox *txtWebPage;
    XPButton *cmdGoToWebPage;
    XPButton *cmdOk;
    XPLabel *OsenXPLabel4;
    XPLabel *OsenXPLabel5;
    WebBrowser *web;
};
