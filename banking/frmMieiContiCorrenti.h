#pragma once
#include "shell/ListWindow.h"

// The user's own bank accounts: every account with its bank codes. An account that an issued
// cheque or a deposit refers to cannot be deleted.
class frmMieiContiCorrenti : public ListWindow {
    Q_OBJECT
public:
    frmMieiContiCorrenti();

    // The account to edit or delete; after AddGridRow the one added.
    double mCONTOCORRENTEID = 0;

protected:
    // The list reports its own fill errors only while the main window has switched trapping on.
    bool trapFillErrors() const override;
};
