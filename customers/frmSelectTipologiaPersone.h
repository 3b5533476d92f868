#pragma once
#include "shell/FilterDialog.h"

class XPLabel;
class XPTextBox;

// Restricts the customer-type list by name: the text becomes gWhereTipologiaPersone.
class frmSelectTipologiaPersone : public FilterDialog {
    Q_OBJECT
public:
    frmSelectTipologiaPersone();

    // What the dialog remembers for the whole run.
    static FilterState filterState;

    XPLabel *lblTipologia;
    XPTextBox *txtTipologia;

protected:
    void buildWhere(FilterWhere &where) override;
    void refillList() override;
};
