#include "banking/frmEditAssegniEmessi.h"
#include "banking/frmAssegniEmessi.h"
#include "platform/XPControls.h"
#include "shell/ErrorExit.h"

namespace {
using FieldColumn = EditDialog::FieldColumn;
constexpr int kWidth = 640;
constexpr int kMargin = EditDialog::Margin;
constexpr int kLabelWidth = 150;
constexpr int kFieldWidth = FieldColumn::widthAcross(kWidth, kLabelWidth);
constexpr int kTop = EditDialog::FieldsTop;
constexpr int kShort = 140;
constexpr int kDate = 130;
// The date stands right of the cheque number, on the same row, flush with the fields' right edge.
constexpr int kSecondLabel = 100;
constexpr int kSecondColumn = kWidth - kMargin - kDate - FieldColumn::Gap - kSecondLabel;
// The flags in a row under the fields, from the fields' left edge.
constexpr int kFlagsLeft = kMargin + kLabelWidth + FieldColumn::Gap;
const QString kBadDate = QStringLiteral("Formato della data dell'assegno non valido");
}

frmEditAssegniEmessi::frmEditAssegniEmessi() : EditDialog("frmEditAssegniEmessi", "Assegni Emessi")
{
    // The controls are created in the order the printout lists them; each is placed on its row.
    auto row = [](int r, int left = kMargin, int labelWidth = kLabelWidth) {
        return FieldColumn(left, kTop + r * FieldColumn::RowHeight, labelWidth, kFieldWidth);
    };
    addFrame(kWidth);
    const int flagsTop = kTop + 7 * FieldColumn::RowHeight + 6;
    chkSuPiazza = new XPCheckBox(this, "chkSuPiazza", "Su piazza");
    chkSuPiazza->setGeometry(kFlagsLeft, flagsTop, 120, FieldColumn::FieldHeight);
    FieldColumn dateRow = row(2, kSecondColumn, kSecondLabel);
    txtDataAssegno = addPicker(dateRow, "DataAssegno", "Data Assegno", kDate);
    FieldColumn numberRow = row(2);
    txtNumero = addTextBox(numberRow, "Numero", "Numero Assegno", kShort);
    FieldColumn accountRow = row(0);
    cboDescrizione = addCombo(accountRow, "Descrizione", "Conto Corrente");
    FieldColumn payeeRow = row(1);
    cboNome = addCombo(payeeRow, "Nome", "Beneficiario");
    FieldColumn placeRow = row(3);
    txtLuogoEmissione = addTextBox(placeRow, "LuogoEmissione", "Luogo di emissione");
    chkTrasferibile = new XPCheckBox(this, "chkTrasferibile", "Trasferibile");
    chkTrasferibile->setGeometry(kFlagsLeft + 130, flagsTop, 120, FieldColumn::FieldHeight);
    chkSbarrato = new XPCheckBox(this, "chkSbarrato", "Sbarrato");
    chkSbarrato->setGeometry(kFlagsLeft + 260, flagsTop, 120, FieldColumn::FieldHeight);
    FieldColumn lower = row(4);
    txtImporto = addTextBox(lower, "Importo", QString::fromUtf8("Importo (€)"), kShort);
    txtCausale = addTextBox(lower, "Causale", "Causale");
    txtAssegnoNote = addTextBox(lower, "AssegnoNote", "Note");
    addButtons(kWidth, flagsTop + FieldColumn::RowHeight + 18, "Stampa");
    // A flag is ticked or not: grey is no state a cheque can be in.
    for (XPCheckBox *flag : {chkSuPiazza, chkTrasferibile, chkSbarrato})
        flag->setGreyByClick(false);
    // Tab follows the rows top to bottom, then the buttons.
    QWidget *order[] = {cboDescrizione, cboNome,    txtNumero,      txtDataAssegno, txtLuogoEmissione,
                        txtImporto,     txtCausale, txtAssegnoNote, chkSuPiazza,    chkTrasferibile,
                        chkSbarrato,    cmdOK,      cmdCancel,      cmdPrint};
    for (size_t i = 1; i < std::size(order); ++i)
        QWidget::setTabOrder(order[i - 1], order[i]);
    validateOnLeaving(txtDataAssegno, [this] { return txtDataAssegno_Validate(); });

    EditDialogDesc &d = desc();
    d.listWindow(&frmAssegniEmessi::mASSEGNIEMESSIID);
    d.loadQuery = [](const QString &id) {
        return "SELECT a.ASSEGNIEMESSIID, a.CONTOCORRENTEID, b.Descrizione, a.ANAGRAFICAID, c.Nome,  "
               "a.Numero, a.DataAssegno, a.LuogoEmissione, a.SuPiazza, a.Trasferibile,  "
               "a.Sbarrato, a.Importo, a.Causale, a.AssegnoNote, a.DateTimeCreated,  "
               "a.DateTimeLastUpdated FROM AssegniEmessi a, MieiContiCorrenti b, Anagrafica c "
               "WHERE ASSEGNIEMESSIID = "
               + id + " AND a.CONTOCORRENTEID = b.CONTOCORRENTEID AND a.ANAGRAFICAID = c.ANAGRAFICAID ";
    };
    d.insertHead = QStringLiteral("INSERT INTO AssegniEmessi (CONTOCORRENTEID, ANAGRAFICAID, Numero, "
                                  "DataAssegno, LuogoEmissione, SuPiazza, Trasferibile, Sbarrato, "
                                  "Importo, Causale, AssegnoNote, DateTimeCreated) VALUES (");
    d.updateHead = QStringLiteral("UPDATE AssegniEmessi SET ");
    d.updateWhere = QStringLiteral("WHERE ASSEGNIEMESSIID = ");
    bindKey(cboDescrizione, idDelContoCorrente, "CONTOCORRENTEID",
            "SELECT CONTOCORRENTEID, Descrizione FROM MieiContiCorrenti order by descrizione ", "CONTOCORRENTEID",
            {"Descrizione"})
        .missing = "Il conto corrente scelto non esiste più: è stato eliminato da un altro utente.";
    bindKey(cboNome, idDelBeneficiarioEm, "ANAGRAFICAID",
            "SELECT ANAGRAFICAID, Nome, cognome FROM Anagrafica order by cognome, nome", "ANAGRAFICAID",
            {"cogNome", "Nome"})
        .missing = "Il beneficiario scelto non esiste più: è stato eliminato da un altro utente.";
    // The number is kept as the text typed, trimmed: only its form is checked.
    bindText(txtNumero, "Numero");
    bindDate(txtDataAssegno, "DataAssegno");
    bindText(txtLuogoEmissione, "LuogoEmissione");
    bindFlag(chkSuPiazza, "SuPiazza");
    bindFlag(chkTrasferibile, "Trasferibile");
    bindFlag(chkSbarrato, "Sbarrato");
    bindAmount(txtImporto, "Importo");
    bindText(txtCausale, "Causale");
    bindText(txtAssegnoNote, "AssegnoNote");
    bindStamp();
    d.todayWhenAdding = {txtDataAssegno};
    d.checks = {
        chosen(cboDescrizione, idDelContoCorrente, "Selezionare il conto corrente"),
        chosen(cboNome, idDelBeneficiarioEm, "Selezionare il beneficiario"),
        required(txtNumero, "Inserire il numero dell'assegno"),
        number(txtNumero, "Formato del numero dell'assegno non valido"),
        requiredDate(txtDataAssegno, "Inserire la data dell'assegno"),
        validDate(txtDataAssegno, kBadDate),
        required(txtImporto, "Inserire l'importo dell'assegno"),
        number(txtImporto, "Formato dell'importo dell'assegno non valido"),
    };
    // The list shows the amounts, the flag words and the total only when it is read again.
    d.afterWrite = EditDialogDesc::AfterWrite::CallBackAndRefill;
}

bool frmEditAssegniEmessi::txtDataAssegno_Validate()
{
    Procedure p(Name(), QStringLiteral("txtDataAssegno_Validate"));
    bool cancel = false;
    p.run([&] {
        if (pickerHoldsDate(txtDataAssegno))
            return;
        cancel = true;
        refuse(kBadDate);
    });
    return cancel;
}
