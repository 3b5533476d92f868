#include "payments/frmSelectPagamenti.h"
#include "payments/frmPagamenti.h"
#include "platform/XPControls.h"
#include "shell/basGeneral.h"

namespace {
constexpr int kWidth = 600;
constexpr int kLabelWidth = 140;
constexpr int kFieldLeft = FilterDialog::Margin + kLabelWidth + 8;
constexpr int kFieldWidth = kWidth - kFieldLeft - FilterDialog::Margin;
constexpr int kTop = 46;
constexpr int kRowStep = 32;
constexpr int kRowHeight = 24;
// A range: "da", its box, "a", its box.
constexpr int kDaWidth = 24;
constexpr int kAWidth = 18;
constexpr int kBoxWidth = 130;
}

FilterState frmSelectPagamenti::filterState;

frmSelectPagamenti::frmSelectPagamenti()
    : FilterDialog(QStringLiteral("frmSelectPagamenti"), QStringLiteral("Cerca Pagamenti"), gWherePagamenti,
                   filterState, FilterDialogOptions())
{
    auto label = [this](const char *name, const QString &text, int x, int row, int width = kLabelWidth) {
        auto *l = new XPLabel(this, QString::fromLatin1(name), text);
        l->setGeometry(x, kTop + row * kRowStep, width, kRowHeight);
        return l;
    };
    auto box = [this](const char *name, int x, int row, int width = kFieldWidth) {
        auto *t = new XPTextBox(this, QString::fromLatin1(name));
        t->setGeometry(x, kTop + row * kRowStep, width, kRowHeight);
        return t;
    };
    const int M = Margin;
    const int daLeft = kFieldLeft, fromLeft = daLeft + kDaWidth, aLeft = fromLeft + kBoxWidth + 12,
              toLeft = aLeft + kAWidth;

    // Created in the order the saved values keep them.
    cboSocio = new XPComboBox(this, QStringLiteral("cboSocio"));
    cboSocio->setGeometry(kFieldLeft, kTop, kFieldWidth, kRowHeight);
    lblSocio = label("lblSocio", QStringLiteral("Cliente"), M, 0);
    txtCausale = box("txtCausale", kFieldLeft, 1);
    lblCausale = label("lblCausale", QStringLiteral("Causale"), M, 1);
    txtNotePagamento = box("txtNotePagamento", kFieldLeft, 2);
    lblAssegnoNote = label("lblAssegnoNote", QStringLiteral("Note"), M, 2);
    lblImporto = label("lblImporto", QStringLiteral("Importo (€)"), M, 3);
    OsenXPLabel5 = label("OsenXPLabel5", QStringLiteral("da"), daLeft, 3, kDaWidth);
    lblImportoA = label("lblImportoA", QStringLiteral("a"), aLeft, 3, kAWidth);
    txtImportoDa = box("txtImportoDa", fromLeft, 3, kBoxWidth);
    txtImportoA = box("txtImportoA", toLeft, 3, kBoxWidth);
    lblDataAssegno = label("lblDataAssegno", QStringLiteral("Data Pagamento"), M, 4);
    OsenXPLabel2 = label("OsenXPLabel2", QStringLiteral("da"), daLeft, 4, kDaWidth);
    lblDataA = label("lblDataA", QStringLiteral("a"), aLeft, 4, kAWidth);
    txtDataDa = box("txtDataDa", fromLeft, 4, kBoxWidth);
    txtDataA = box("txtDataA", toLeft, 4, kBoxWidth);
    for (XPTextBox *t : {txtDataDa, txtDataA})
        t->setPlaceholderText(QStringLiteral("gg/mm/aaaa"));

    addButtonRow(kWidth, kTop + 5 * kRowStep + 14);
}

void frmSelectPagamenti::fillCombos()
{
    fillCombo(cboSocio, QStringLiteral("SELECT ANAGRAFICAID, cognome,Nome FROM Anagrafica order by cognome, nome "),
              QStringLiteral("ANAGRAFICAID"), {QStringLiteral("cogNome"), QStringLiteral("Nome")});
}

// The bounds are checked in this order (dates, then amounts) and refuse the whole filter; an
// amount is written as the number it reads as, never as typed.
void frmSelectPagamenti::buildWhere(FilterWhere &where)
{
    where.addCombo(QStringLiteral("a.ANAGRAFICAID"), cboSocio);
    where.addDateFrom(QStringLiteral("a.Datapagamento"), txtDataDa);
    where.addDateTo(QStringLiteral("a.Datapagamento"), txtDataA);
    where.addAmountFrom(QStringLiteral("a.Importo"), txtImportoDa);
    where.addAmountTo(QStringLiteral("a.Importo"), txtImportoA);
    where.addText(QStringLiteral("a.Causale"), txtCausale);
    where.addText(QStringLiteral("a.notepagamento"), txtNotePagamento);
}

void frmSelectPagamenti::refillList() { FormInstance<frmPagamenti>::get()->FillGrid(); }
