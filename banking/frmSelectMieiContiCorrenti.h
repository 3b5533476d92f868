#pragma once
#include "shell/FilterDialog.h"

class XPLabel;
class XPTextBox;

// Restricts the bank-account list: the filled-in fields become gWhereMieiContiCorrenti.
class frmSelectMieiContiCorrenti : public FilterDialog {
    Q_OBJECT
public:
    frmSelectMieiContiCorrenti();

    // What the dialog remembers for the whole run.
    static FilterState filterState;

    XPLabel *lblDescrizione;
    XPTextBox *txtDescrizione;
    XPLabel *lblBanca;
    XPTextBox *txtBanca;
    XPLabel *lblABI;
    XPTextBox *txtABI;
    XPLabel *lblCAB;
    XPTextBox *txtCAB;
    XPLabel *lblNumeroConto;
    XPTextBox *txtNumeroConto;
    XPLabel *lblIntestatario;
    XPTextBox *txtIntestatario;

protected:
    void buildWhere(FilterWhere &where) override;
    void refillList() override;
};
