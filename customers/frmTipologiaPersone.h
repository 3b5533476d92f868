#pragma once
#include "shell/ListWindow.h"

// The customer types' list: every type by name, with add, delete, filter, print and close.
class frmTipologiaPersone : public ListWindow {
    Q_OBJECT
public:
    frmTipologiaPersone();

    // The type to edit or delete; after AddGridRow the one added.
    double mTIPOLOGIAID = 0;
};
