#pragma once
#include "shell/FilterDialog.h"

class XPCheckBox;
class XPComboBox;
class XPLabel;
class XPTextBox;

// Restricts the issued-cheque list: the filled-in fields become gWhereAssegniEmessi. A grey flag
// box stands for any value.
class frmSelectAssegniEmessi : public FilterDialog {
    Q_OBJECT
public:
    frmSelectAssegniEmessi();

    // What the dialog remembers for the whole run.
    static FilterState filterState;

    XPLabel *lblNumero;
    XPTextBox *txtNumero;
    XPLabel *lblDescrizione;
    XPComboBox *cboDescrizione;
    XPLabel *lblNome;
    XPComboBox *cboNome;
    XPCheckBox *chkSuPiazza;
    XPLabel *lblLuogoEmissione;
    XPTextBox *txtLuogoEmissione;
    XPCheckBox *chkTrasferibile;
    XPCheckBox *chkSbarrato;
    XPLabel *lblCausale;
    XPTextBox *txtCausale;
    XPLabel *lblAssegnoNote;
    XPTextBox *txtAssegnoNote;
    XPLabel *lblImporto;
    XPLabel *lblImportoDa;
    XPTextBox *txtImportoDa;
    XPLabel *lblImportoA;
    XPTextBox *txtImportoA;
    XPLabel *lblDataAssegno;
    XPLabel *lblDataDa;
    XPTextBox *txtDataDa;
    XPLabel *lblDataA;
    XPTextBox *txtDataA;

protected:
    void fillCombos() override;
    void buildWhere(FilterWhere &where) override;
    void refillList() override;
};
