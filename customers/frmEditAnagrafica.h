#pragma once
#include "platform/Form.h"

class XPForm;
class XPLabel;
class XPTextBox;
class XPComboBox;
class XPDTPicker;
class XPButton;
class WebBrowser;

// Adds a customer or edits the one chosen in the customer list (gIsNewRecord at load decides).
class frmEditAnagrafica : public Form {
    Q_OBJECT
public:
    frmEditAnagrafica();

    void Form_Load() override;
    void cboTipologia_Change();
    void cboTipologia_KeyUp(int KeyCode, int Shift);
    void cmdOK_Click();
    void cmdCancel_Click();
    void cmdPrint_Click();

    XPForm *OsenXPForm1;
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
    XPDTPicker *txtDataNascita;
    XPLabel *lblDataIscrizione;
    XPDTPicker *txtDataIscrizione;
    XPLabel *lblDataScadenzaIscrizione;
    XPDTPicker *txtDataScadenzaIscrizione;
    XPButton *cmdOK;
    XPButton *cmdCancel;
    XPButton *cmdPrint;
    WebBrowser *web;

private:
    // The chosen type's key, -1 when none; 64 bits, so every type can be chosen.
    qint64 idDelTipoAnag = -1;
    // Fixed at load: the mode and, in edit mode, the customer shown (so the one written).
    bool m_isNew = true;
    double m_anagraficaId = 0;
};
