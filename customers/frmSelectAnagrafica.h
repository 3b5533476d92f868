#pragma once
#include "shell/FilterDialog.h"

class XPLabel;
class XPTextBox;
class XPComboBox;

// Restricts the customer list: the filled-in fields become gWhereAnagrafica.
class frmSelectAnagrafica : public FilterDialog {
    Q_OBJECT
public:
    frmSelectAnagrafica();

    // What the dialog remembers for the whole run.
    static FilterState filterState;

    XPLabel *lblTipologia;
    XPComboBox *cboTipologia;
    XPLabel *lblCognome;
    XPTextBox *txtCognome;
    XPLabel *lblNome;
    XPTextBox *txtNome;
    XPLabel *lblIndirizzo;
    XPTextBox *txtIndirizzo;
    XPLabel *lblCAP;
    XPTextBox *txtCAP;
    XPLabel *lblComune;
    XPTextBox *txtComune;
    XPLabel *lblProvincia;
    XPTextBox *txtProvincia;
    XPLabel *lblTelefonoCasa;
    XPTextBox *txtTelefonoCasa;
    XPLabel *lblTelefonoUfficio;
    XPTextBox *txtTelefonoUfficio;
    XPLabel *lblFax;
    XPTextBox *txtFax;
    XPLabel *lblCellulare;
    XPTextBox *txtCellulare;
    XPLabel *lblCFIva;
    XPTextBox *txtCFIva;
    XPLabel *lblEmail;
    XPTextBox *txtEmail;
    XPLabel *lblSitoWeb;
    XPTextBox *txtSitoWeb;
    XPLabel *lblNote;
    XPTextBox *txtNote;
    XPLabel *lblNumeroTessera;
    XPTextBox *txtNumeroTessera;
    XPLabel *lblDataNascita;
    XPLabel *lblDataNascitaDa;
    XPTextBox *txtDataNascitaDa;
    XPLabel *lblDataNascitaA;
    XPTextBox *txtDataNascitaA;
    XPLabel *lblDataIscrizione;
    XPLabel *lblDataIscrizioneDa;
    XPTextBox *txtDataIscrizioneDa;
    XPLabel *lblDataIscrizioneA;
    XPTextBox *txtDataIscrizioneA;
    XPLabel *lblDataScadenzaIscrizione;
    XPLabel *lblDataScadenzaIscrizioneDa;
    XPTextBox *txtDataScadenzaIscrizioneDa;
    XPLabel *lblDataScadenzaIscrizioneA;
    XPTextBox *txtDataScadenzaIscrizioneA;

protected:
    void fillCombos() override;
    void buildWhere(FilterWhere &where) override;
    void refillList() override;
};
