#pragma once
#include "shell/FilterDialog.h"

class XPComboBox;
class XPLabel;
class XPTextBox;

// Restricts the payments list of every customer: the filled-in fields become gWherePagamenti.
class frmSelectPagamenti : public FilterDialog {
    Q_OBJECT
public:
    frmSelectPagamenti();

    // What the dialog remembers for the whole run.
    static FilterState filterState;

    XPComboBox *cboSocio;
    XPLabel *lblSocio;
    XPTextBox *txtCausale;
    XPLabel *lblCausale;
    XPTextBox *txtNotePagamento;
    XPLabel *lblAssegnoNote;
    XPLabel *lblImporto;
    XPLabel *OsenXPLabel5;
    XPLabel *lblImportoA;
    XPTextBox *txtImportoDa;
    XPTextBox *txtImportoA;
    XPLabel *lblDataAssegno;
    XPLabel *OsenXPLabel2;
    XPLabel *lblDataA;
    XPTextBox *txtDataDa;
    XPTextBox *txtDataA;

protected:
    void fillCombos() override;
    void buildWhere(FilterWhere &where) override;
    void refillList() override;
};
