#include "banking/frmSelectAssegniEmessi.h"
#include "banking/frmAssegniEmessi.h"
#include "platform/XPControls.h"
#include "shell/basGeneral.h"
#include "shell/basGeneralCustom.h"

namespace {
// Two columns of label + field rows under the frame band, the bottom row below.
constexpr int kLabelWidth = 140;
constexpr int kFieldWidth = 250;
constexpr int kLeftColumn = FilterDialog::Margin;
constexpr int kRightColumn = kLeftColumn + kLabelWidth + 4 + kFieldWidth + 28;
constexpr int kTop = 46;
constexpr int kRowStep = 30;
constexpr int kRowHeight = 24;
constexpr int kRows = 6;
constexpr int kWidth = kRightColumn + kLabelWidth + 4 + kFieldWidth + FilterDialog::Margin;
constexpr int kButtonsTop = kTop + kRows * kRowStep + 14;

int rowTop(int row) { return kTop + row * kRowStep; }

// The flag term: "True" for a ticked box, "False" for a cleared one; a grey box adds none.
void addFlag(FilterWhere &where, const QString &head, const XPCheckBox *box)
{
    if (box->Value() != 2)
        where.add(head + wrapbooleanchk(box->Value()) + QStringLiteral(" "));
}
}

FilterState frmSelectAssegniEmessi::filterState;

frmSelectAssegniEmessi::frmSelectAssegniEmessi()
    : FilterDialog(QStringLiteral("frmSelectAssegniEmessi"), QStringLiteral("Cerca Assegni Emessi"),
                   gWhereAssegniEmessi, filterState,
                   FilterDialogOptions{/* andOr */ true, /* checkBoxReset */ 2, /* printButton */ true})
{
    auto label = [this](const char *name, const QString &text, int column, int row, int width = kLabelWidth) {
        auto *l = new XPLabel(this, QString::fromLatin1(name), text);
        l->setGeometry(column, rowTop(row), width, kRowHeight);
        return l;
    };
    auto field = [this](const char *name, int column, int row) {
        auto *t = new XPTextBox(this, QString::fromLatin1(name));
        t->setGeometry(column + kLabelWidth + 4, rowTop(row), kFieldWidth, kRowHeight);
        return t;
    };
    auto combo = [this](const char *name, int row) {
        auto *c = new XPComboBox(this, QString::fromLatin1(name));
        c->setGeometry(kLeftColumn + kLabelWidth + 4, rowTop(row), kFieldWidth, kRowHeight);
        return c;
    };
    // Grey at the start: any value.
    auto flag = [this](const char *name, const QString &caption, int row) {
        auto *k = new XPCheckBox(this, QString::fromLatin1(name), caption);
        k->setGeometry(kRightColumn + kLabelWidth + 4, rowTop(row), 140, kRowHeight);
        k->setValue(2);
        return k;
    };
    // A range on one row: "da" and its box, "a" and its box.
    constexpr int box = (kFieldWidth - 22 - 8 - 14) / 2;
    constexpr int rangeX = kRightColumn + kLabelWidth + 4;
    auto bound = [this](const char *name, int x, int row) {
        auto *t = new XPTextBox(this, QString::fromLatin1(name));
        t->setGeometry(x, rowTop(row), box, kRowHeight);
        return t;
    };

    const int L = kLeftColumn, R = kRightColumn;
    lblNumero = label("lblNumero", QStringLiteral("Numero Assegno"), L, 2);
    txtNumero = field("txtNumero", L, 2);
    lblDescrizione = label("lblDescrizione", QStringLiteral("Conto Corrente"), L, 0);
    cboDescrizione = combo("cboDescrizione", 0);
    lblNome = label("lblNome", QStringLiteral("Beneficiario"), L, 1);
    cboNome = combo("cboNome", 1);
    chkSuPiazza = flag("chkSuPiazza", QStringLiteral("Su piazza"), 2);
    lblLuogoEmissione = label("lblLuogoEmissione", QStringLiteral("Luogo di emissione"), L, 3);
    txtLuogoEmissione = field("txtLuogoEmissione", L, 3);
    chkTrasferibile = flag("chkTrasferibile", QStringLiteral("Trasferibile"), 3);
    chkSbarrato = flag("chkSbarrato", QStringLiteral("Sbarrato"), 4);
    lblCausale = label("lblCausale", QStringLiteral("Causale"), L, 4);
    txtCausale = field("txtCausale", L, 4);
    lblAssegnoNote = label("lblAssegnoNote", QStringLiteral("Note"), L, 5);
    txtAssegnoNote = field("txtAssegnoNote", L, 5);
    lblImporto = label("lblImporto", QString::fromUtf8("Importo (€)"), R, 1);
    lblImportoDa = label("lblImportoDa", QStringLiteral("da"), rangeX, 1, 22);
    txtImportoDa = bound("txtImportoDa", rangeX + 22, 1);
    lblImportoA = label("lblImportoA", QStringLiteral("a"), rangeX + 22 + box + 8, 1, 14);
    txtImportoA = bound("txtImportoA", rangeX + 22 + box + 8 + 14, 1);
    lblDataAssegno = label("lblDataAssegno", QStringLiteral("Data Assegno"), R, 0);
    lblDataDa = label("lblDataDa", QStringLiteral("da"), rangeX, 0, 22);
    txtDataDa = bound("txtDataDa", rangeX + 22, 0);
    lblDataA = label("lblDataA", QStringLiteral("a"), rangeX + 22 + box + 8, 0, 14);
    txtDataA = bound("txtDataA", rangeX + 22 + box + 8 + 14, 0);
    for (XPTextBox *t : {txtDataDa, txtDataA})
        t->setPlaceholderText(QStringLiteral("gg/mm/aaaa"));

    addButtonRow(kWidth, kButtonsTop);
    // Tab walks the left column, then the right one, then the bottom row.
    QWidget *order[] = {
        cboDescrizione, cboNome,     txtNumero,   txtLuogoEmissione, txtCausale,  txtAssegnoNote, txtDataDa, txtDataA,
        txtImportoDa,   txtImportoA, chkSuPiazza, chkTrasferibile,   chkSbarrato, optAND,         optOR,     cmdOK};
    for (size_t i = 1; i < std::size(order); ++i)
        QWidget::setTabOrder(order[i - 1], order[i]);
}

void frmSelectAssegniEmessi::fillCombos()
{
    fillCombo(cboDescrizione,
              QStringLiteral("SELECT CONTOCORRENTEID, Descrizione FROM MieiContiCorrenti order by descrizione "),
              QStringLiteral("CONTOCORRENTEID"), {QStringLiteral("Descrizione")});
    fillCombo(cboNome, QStringLiteral("SELECT ANAGRAFICAID, Nome, cognome FROM Anagrafica order by cognome, nome "),
              QStringLiteral("ANAGRAFICAID"), {QStringLiteral("cogNome"), QStringLiteral("Nome")});
}

void frmSelectAssegniEmessi::buildWhere(FilterWhere &where)
{
    where.addCombo(QStringLiteral("a.CONTOCORRENTEID"), cboDescrizione);
    where.addCombo(QStringLiteral("a.ANAGRAFICAID"), cboNome);
    where.addText(QStringLiteral("a.Numero"), txtNumero);
    where.addDateFrom(QStringLiteral("a.DataAssegno"), txtDataDa);
    where.addDateTo(QStringLiteral("a.DataAssegno"), txtDataA);
    where.addText(QStringLiteral("a.LuogoEmissione"), txtLuogoEmissione);
    addFlag(where, QStringLiteral("a.SuPiazza = "), chkSuPiazza);
    addFlag(where, QStringLiteral("a.Trasferibile ="), chkTrasferibile);
    addFlag(where, QStringLiteral("a.Sbarrato ="), chkSbarrato);
    // The bounds are read by the number rule and written as the database's numbers.
    where.addAmountFrom(QStringLiteral("a.Importo"), txtImportoDa);
    where.addAmountTo(QStringLiteral("a.Importo"), txtImportoA);
    where.addText(QStringLiteral("a.Causale"), txtCausale);
    where.addText(QStringLiteral("a.AssegnoNote"), txtAssegnoNote);
}

void frmSelectAssegniEmessi::refillList() { FormInstance<frmAssegniEmessi>::get()->FillGrid(); }
