#include "customers/frmEditTipologiaPersone.h"
#include "customers/frmTipologiaPersone.h"
#include "platform/XPControls.h"

namespace {
constexpr int kWidth = 460;
constexpr int kLabelWidth = 110;
constexpr int kFieldTop = 50;
}

frmEditTipologiaPersone::frmEditTipologiaPersone() : EditDialog("frmEditTipologiaPersone", "Tipologie Soci")
{
    addFrame(kWidth);
    FieldColumn column = FieldColumn::across(kWidth, kLabelWidth, kFieldTop);
    txtTipologia = addTextBox(column, "Tipologia", "Tipologia Soci");
    addButtons(kWidth, column.top() + 18, "Stampa");
    cmdPrint->setVisible(false); // the dialog offers no printout

    EditDialogDesc &d = desc();
    d.listWindow(&frmTipologiaPersone::mTIPOLOGIAID);
    d.loadQuery = [](const QString &id) {
        return "SELECT a.TIPOLOGIAID, a.Tipologia, a.DateTimeCreated, a.DateTimeLastUpdated FROM TipologiaPersone a "
               "WHERE TIPOLOGIAID = "
               + id + " ";
    };
    d.insertHead = QStringLiteral("INSERT INTO TipologiaPersone (Tipologia, DateTimeCreated) VALUES (");
    d.updateHead = QStringLiteral("UPDATE TipologiaPersone SET ");
    d.updateWhere = QStringLiteral("WHERE TIPOLOGIAID = ");
    bindText(txtTipologia, "Tipologia");
    bindStamp();
    // The name is compared as it is stored, trimmed; renaming a type to its own name is no duplicate.
    d.checks = {required(txtTipologia, "Inserire la tipologia"),
                uniqueText("tipologiapersone", "tipologia", txtTipologia, "tipologiaid", "Il record già esiste")};
    d.focusOnActivate = txtTipologia;
}
