#include "banking/frmSelectMieiContiCorrenti.h"
#include "banking/frmMieiContiCorrenti.h"
#include "platform/XPControls.h"
#include "shell/basGeneral.h"

namespace {
// Wide enough for the AND/OR options and the four buttons on the bottom row.
constexpr int kWidth = 620;
constexpr int kLeft = FilterDialog::Margin;
constexpr int kLabelWidth = 180;
constexpr int kFieldWidth = kWidth - 2 * kLeft - kLabelWidth - 8;
constexpr int kTop = 46;
constexpr int kRowStep = 30;
constexpr int kRowHeight = 24;
constexpr int kRows = 6;
constexpr int kButtonsTop = kTop + kRows * kRowStep + 14;
}

FilterState frmSelectMieiContiCorrenti::filterState;

frmSelectMieiContiCorrenti::frmSelectMieiContiCorrenti()
    : FilterDialog(QStringLiteral("frmSelectMieiContiCorrenti"), QStringLiteral("Cerca Conti Correnti"),
                   gWhereMieiContiCorrenti, filterState,
                   FilterDialogOptions{/* andOr */ true, /* checkBoxReset */ 0, /* printButton */ true})
{
    int row = 0;
    auto pair = [this, &row](const char *suffix, const QString &caption, XPLabel *&label, XPTextBox *&box) {
        const int y = kTop + row++ * kRowStep;
        label = new XPLabel(this, QStringLiteral("lbl") + QLatin1String(suffix), caption);
        label->setGeometry(kLeft, y, kLabelWidth, kRowHeight);
        box = new XPTextBox(this, QStringLiteral("txt") + QLatin1String(suffix));
        box->setGeometry(kLeft + kLabelWidth + 8, y, kFieldWidth, kRowHeight);
    };
    pair("Descrizione", QStringLiteral("Descrizione"), lblDescrizione, txtDescrizione);
    pair("Banca", QStringLiteral("Banca"), lblBanca, txtBanca);
    pair("ABI", QStringLiteral("ABI"), lblABI, txtABI);
    pair("CAB", QStringLiteral("CAB"), lblCAB, txtCAB);
    pair("NumeroConto", QStringLiteral("Numero di Conto Corrente"), lblNumeroConto, txtNumeroConto);
    pair("Intestatario", QStringLiteral("Intestatario"), lblIntestatario, txtIntestatario);
    addButtonRow(kWidth, kButtonsTop);
    focusOnActivate = txtDescrizione;
}

void frmSelectMieiContiCorrenti::buildWhere(FilterWhere &where)
{
    where.addText(QStringLiteral("a.Descrizione"), txtDescrizione);
    where.addText(QStringLiteral("a.Banca"), txtBanca);
    where.addText(QStringLiteral("a.ABI"), txtABI);
    where.addText(QStringLiteral("a.CAB"), txtCAB);
    where.addText(QStringLiteral("a.NumeroConto"), txtNumeroConto);
    where.addText(QStringLiteral("a.Intestatari"), txtIntestatario);
}

void frmSelectMieiContiCorrenti::refillList() { FormInstance<frmMieiContiCorrenti>::get()->FillGrid(); }
