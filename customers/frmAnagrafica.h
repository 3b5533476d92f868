#pragma once
#include "shell/ListWindow.h"

class XPButton;

// The customer register's list: every customer with its type. Besides the list buttons it
// exports the grid and opens the payments of the chosen customer.
class frmAnagrafica : public ListWindow {
    Q_OBJECT
public:
    frmAnagrafica();

    // The customer to edit, delete or show the payments of; after AddGridRow the one added.
    double mANAGRAFICAID = 0;
    XPButton *cmdApriPagamenti = nullptr;

    void cmdApriPagamenti_Click();
};
