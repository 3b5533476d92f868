#pragma once
#include "platform/Form.h"
#include <array>

class WebBrowser;
class XPButton;
class XPForm;

// The report chooser: one button per stored report, in their order. A button asks the report's
// parameters, puts the answers into its query and shows the result.
class frmSplashReports : public Form {
    Q_OBJECT
public:
    frmSplashReports();
    void Form_Load() override;
    // Reads the definitions into gArrReport; run at load and after every report.
    void PopolaArrayReport();
    void cmdShowReport_Click(short Index);
    void cmdClose_Click();

    XPForm *OsenXPForm1;
    std::array<XPButton *, 17> cmdShowReport{};
    XPButton *cmdClose;
    WebBrowser *web;
};
