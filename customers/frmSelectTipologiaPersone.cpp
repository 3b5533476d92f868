#include "customers/frmSelectTipologiaPersone.h"
#include "customers/frmTipologiaPersone.h"
#include "platform/XPControls.h"
#include "shell/basGeneral.h"

namespace {
constexpr int kWidth = 460;
constexpr int kMargin = FilterDialog::Margin;
constexpr int kLabelWidth = 120;
constexpr int kFieldTop = 50;
constexpr int kRowHeight = 24;
constexpr int kButtonsTop = kFieldTop + kRowHeight + 26;
}

FilterState frmSelectTipologiaPersone::filterState;

frmSelectTipologiaPersone::frmSelectTipologiaPersone()
    : FilterDialog(QStringLiteral("frmSelectTipologiaPersone"), QStringLiteral("Cerca Tipologie Clienti"),
                   gWhereTipologiaPersone, filterState, FilterDialogOptions{/* andOr */ false})
{
    lblTipologia = new XPLabel(this, QStringLiteral("lblTipologia"), QStringLiteral("Tipologia Clienti"));
    lblTipologia->setGeometry(kMargin, kFieldTop, kLabelWidth, kRowHeight);
    txtTipologia = new XPTextBox(this, QStringLiteral("txtTipologia"));
    txtTipologia->setGeometry(kMargin + kLabelWidth + 4, kFieldTop, kWidth - 2 * kMargin - kLabelWidth - 4, kRowHeight);
    addButtonRow(kWidth, kButtonsTop);
    focusOnActivate = txtTipologia;
}

void frmSelectTipologiaPersone::buildWhere(FilterWhere &where)
{
    where.addText(QStringLiteral("a.Tipologia"), txtTipologia);
}

void frmSelectTipologiaPersone::refillList() { FormInstance<frmTipologiaPersone>::get()->FillGrid(); }
