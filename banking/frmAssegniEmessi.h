#pragma once
#include "shell/ListWindow.h"

// The cheques the user has issued: every cheque with its account and payee, and under the grid
// the total of the amounts shown.
class frmAssegniEmessi : public ListWindow {
    Q_OBJECT
public:
    frmAssegniEmessi();

    // The cheque to edit or delete; after AddGridRow the one added.
    double mASSEGNIEMESSIID = 0;
};
