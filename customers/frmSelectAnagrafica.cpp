#include "customers/frmSelectAnagrafica.h"
#include "customers/frmAnagrafica.h"
#include "platform/XPControls.h"
#include "shell/basGeneral.h"

namespace {
// Two columns of label + field rows under the frame band, the bottom row below.
constexpr int kLabelWidth = 200;
constexpr int kFieldWidth = 220;
constexpr int kLeftColumn = 16;
constexpr int kRightColumn = kLeftColumn + kLabelWidth + 4 + kFieldWidth + 32;
constexpr int kTop = 46;
constexpr int kRowStep = 30;
constexpr int kRowHeight = 24;
constexpr int kRows = 10;
constexpr int kWidth = kRightColumn + kLabelWidth + 4 + kFieldWidth + 16;
constexpr int kButtonsTop = kTop + kRows * kRowStep + 14;
}

FilterState frmSelectAnagrafica::filterState;

frmSelectAnagrafica::frmSelectAnagrafica()
    : FilterDialog(QStringLiteral("frmSelectAnagrafica"), QStringLiteral("Cerca in Anagrafica"), gWhereAnagrafica,
                   filterState, FilterDialogOptions())
{
    auto label = [this](const QString &name, const QString &text, int column, int row) {
        auto *l = new XPLabel(this, name, text);
        l->setGeometry(column, kTop + row * kRowStep, kLabelWidth, kRowHeight);
        return l;
    };
    auto field = [this](const char *name, int column, int row) {
        auto *t = new XPTextBox(this, QString::fromLatin1(name));
        t->setGeometry(column + kLabelWidth + 4, kTop + row * kRowStep, kFieldWidth, kRowHeight);
        return t;
    };
    // A date range: the caption, then "da" and its box, "a" and its box, side by side.
    auto range = [this, &label](const char *name, const QString &text, int row, XPLabel *&lblDa, XPTextBox *&txtDa,
                                XPLabel *&lblA, XPTextBox *&txtA) {
        const QString base = QString::fromLatin1(name);
        XPLabel *caption = label(QStringLiteral("lbl") + base, text, kRightColumn, row);
        const int y = kTop + row * kRowStep;
        const int x = kRightColumn + kLabelWidth + 4;
        const int box = (kFieldWidth - 22 - 8 - 14) / 2;
        lblDa = new XPLabel(this, QStringLiteral("lbl") + base + QStringLiteral("Da"), QStringLiteral("da"));
        lblDa->setGeometry(x, y, 22, kRowHeight);
        txtDa = new XPTextBox(this, QStringLiteral("txt") + base + QStringLiteral("Da"));
        txtDa->setGeometry(x + 22, y, box, kRowHeight);
        lblA = new XPLabel(this, QStringLiteral("lbl") + base + QStringLiteral("A"), QStringLiteral("a"));
        lblA->setGeometry(x + 22 + box + 8, y, 14, kRowHeight);
        txtA = new XPTextBox(this, QStringLiteral("txt") + base + QStringLiteral("A"));
        txtA->setGeometry(x + 22 + box + 8 + 14, y, box, kRowHeight);
        for (XPTextBox *t : {txtDa, txtA})
            t->setPlaceholderText(QStringLiteral("gg/mm/aaaa"));
        return caption;
    };

    const int L = kLeftColumn, R = kRightColumn;
    lblTipologia = label(QStringLiteral("lblTipologia"), QStringLiteral("Tipologia"), L, 0);
    cboTipologia = new XPComboBox(this, QStringLiteral("cboTipologia"));
    cboTipologia->setGeometry(L + kLabelWidth + 4, kTop, kFieldWidth, kRowHeight);
    lblCognome = label(QStringLiteral("lblCognome"), QStringLiteral("Cognome / Ragione Sociale"), L, 1);
    txtCognome = field("txtCognome", L, 1);
    lblNome = label(QStringLiteral("lblNome"), QStringLiteral("Nome"), L, 2);
    txtNome = field("txtNome", L, 2);
    lblIndirizzo = label(QStringLiteral("lblIndirizzo"), QStringLiteral("Indirizzo"), L, 3);
    txtIndirizzo = field("txtIndirizzo", L, 3);
    lblCAP = label(QStringLiteral("lblCAP"), QStringLiteral("CAP"), L, 4);
    txtCAP = field("txtCAP", L, 4);
    lblComune = label(QStringLiteral("lblComune"), QStringLiteral("Comune"), L, 5);
    txtComune = field("txtComune", L, 5);
    lblProvincia = label(QStringLiteral("lblProvincia"), QStringLiteral("Provincia"), L, 6);
    txtProvincia = field("txtProvincia", L, 6);
    lblTelefonoCasa = label(QStringLiteral("lblTelefonoCasa"), QStringLiteral("Telefono Casa"), L, 7);
    txtTelefonoCasa = field("txtTelefonoCasa", L, 7);
    lblTelefonoUfficio = label(QStringLiteral("lblTelefonoUfficio"), QStringLiteral("Telefono Ufficio"), L, 8);
    txtTelefonoUfficio = field("txtTelefonoUfficio", L, 8);
    lblFax = label(QStringLiteral("lblFax"), QStringLiteral("Fax"), L, 9);
    txtFax = field("txtFax", L, 9);

    lblCellulare = label(QStringLiteral("lblCellulare"), QStringLiteral("Cellulare"), R, 0);
    txtCellulare = field("txtCellulare", R, 0);
    lblCFIva = label(QStringLiteral("lblCFIva"), QStringLiteral("Codice Fiscale / Partita IVA"), R, 1);
    txtCFIva = field("txtCFIva", R, 1);
    lblEmail = label(QStringLiteral("lblEmail"), QStringLiteral("E-mail"), R, 2);
    txtEmail = field("txtEmail", R, 2);
    lblSitoWeb = label(QStringLiteral("lblSitoWeb"), QStringLiteral("Sito Web"), R, 3);
    txtSitoWeb = field("txtSitoWeb", R, 3);
    lblNote = label(QStringLiteral("lblNote"), QStringLiteral("Note"), R, 4);
    txtNote = field("txtNote", R, 4);
    lblNumeroTessera = label(QStringLiteral("lblNumeroTessera"), QStringLiteral("Numero Tessera"), R, 5);
    txtNumeroTessera = field("txtNumeroTessera", R, 5);
    lblDataNascita = range("DataNascita", QStringLiteral("Data di nascita"), 6, lblDataNascitaDa, txtDataNascitaDa,
                           lblDataNascitaA, txtDataNascitaA);
    lblDataIscrizione = range("DataIscrizione", QStringLiteral("Data di iscrizione"), 7, lblDataIscrizioneDa,
                              txtDataIscrizioneDa, lblDataIscrizioneA, txtDataIscrizioneA);
    lblDataScadenzaIscrizione =
        range("DataScadenzaIscrizione", QStringLiteral("Data scadenza iscrizione"), 8, lblDataScadenzaIscrizioneDa,
              txtDataScadenzaIscrizioneDa, lblDataScadenzaIscrizioneA, txtDataScadenzaIscrizioneA);

    addButtonRow(kWidth, kButtonsTop);
}

void frmSelectAnagrafica::fillCombos()
{
    fillCombo(cboTipologia, QStringLiteral("SELECT TIPOLOGIAID, Tipologia FROM TipologiaPersone order by tipologia "),
              QStringLiteral("TIPOLOGIAID"), {QStringLiteral("Tipologia")});
}

void frmSelectAnagrafica::buildWhere(FilterWhere &where)
{
    where.addCombo(QStringLiteral("a.TIPOLOGIAID"), cboTipologia);
    where.addText(QStringLiteral("a.Nome"), txtNome);
    where.addText(QStringLiteral("a.Cognome"), txtCognome);
    where.addText(QStringLiteral("a.Indirizzo"), txtIndirizzo);
    where.addText(QStringLiteral("a.CAP"), txtCAP);
    where.addText(QStringLiteral("a.Comune"), txtComune);
    where.addText(QStringLiteral("a.Provincia"), txtProvincia);
    where.addText(QStringLiteral("a.TelefonoCasa"), txtTelefonoCasa);
    where.addText(QStringLiteral("a.TelefonoUfficio"), txtTelefonoUfficio);
    where.addText(QStringLiteral("a.Fax"), txtFax);
    where.addText(QStringLiteral("a.Cellulare"), txtCellulare);
    where.addText(QStringLiteral("a.CFIva"), txtCFIva);
    where.addText(QStringLiteral("a.Email"), txtEmail);
    where.addText(QStringLiteral("a.SitoWeb"), txtSitoWeb);
    where.addText(QStringLiteral("a.NoteAnagrafica"), txtNote);
    // A bound that is no date would silently select the wrong customers: it is refused.
    const QString bad = QStringLiteral("Data non valida: %1");
    where.addDateFrom(QStringLiteral("a.datanascita"), txtDataNascitaDa, bad);
    where.addDateTo(QStringLiteral("a.datanascita"), txtDataNascitaA, bad);
    where.addDateFrom(QStringLiteral("a.dataiscrizione"), txtDataIscrizioneDa, bad);
    where.addDateTo(QStringLiteral("a.dataiscrizione"), txtDataIscrizioneA, bad);
    where.addDateFrom(QStringLiteral("a.datascadenzaiscrizione"), txtDataScadenzaIscrizioneDa, bad);
    where.addDateTo(QStringLiteral("a.datascadenzaiscrizione"), txtDataScadenzaIscrizioneA, bad);
    where.addText(QStringLiteral("a.NumeroTessera"), txtNumeroTessera);
}

void frmSelectAnagrafica::refillList() { FormInstance<frmAnagrafica>::get()->FillGrid(); }
