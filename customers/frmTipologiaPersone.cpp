#include "customers/frmTipologiaPersone.h"
#include "customers/frmEditTipologiaPersone.h"
#include "customers/frmSelectTipologiaPersone.h"
#include "platform/MSFlexGrid.h"
#include "platform/XPControls.h"
#include "shell/basGeneral.h"

namespace {
const QString kListQuery = QStringLiteral("SELECT a.TIPOLOGIAID, a.Tipologia, a.DateTimeCreated as DataCreazione, "
                                          "a.DateTimeLastUpdated as DataUltimaModifica "
                                          "FROM TipologiaPersone a ");

ListWindowDesc typeList(double *key)
{
    ListWindowDesc d;
    d.caption = QStringLiteral("Tipologie Clienti");
    d.key = key;
    // No WHERE of its own: a filter is appended as " WHERE " & filter.
    d.listQuery = kListQuery;
    d.filterSlot = &gWhereTipologiaPersone;
    d.oneRowQuery = [](const QString &id) {
        return kListQuery + QStringLiteral("WHERE TIPOLOGIAID = ") + id + QStringLiteral(" ");
    };
    d.newestKeyQuery = QStringLiteral("SELECT MAX(TIPOLOGIAID) FROM TipologiaPersone ");
    d.deleteGuards = {{QStringLiteral("anagrafica"), QStringLiteral("tipologiaid")}};
    d.deleteGuardMessage = QStringLiteral("Impossibile eliminare il record: ci sono record collegati nell'anagrafica");
    d.deleteStatements = [](const QString &id) {
        return QStringList{QStringLiteral("DELETE From TipologiaPersone WHERE TIPOLOGIAID = ") + id};
    };
    d.editDialog = []() -> Form * { return FormInstance<frmEditTipologiaPersone>::get(); };
    d.filterDialog = []() -> Form * { return FormInstance<frmSelectTipologiaPersone>::get(); };
    // Only the names are printed: no key, no time stamps.
    d.printExcludedColumns = {0, 2, 3};
    d.printSubtitle = [] { return QStringLiteral("Norvik - Tipologie anagrafica"); };
    return d;
}
}

frmTipologiaPersone::frmTipologiaPersone() : ListWindow(QStringLiteral("frmTipologiaPersone"), typeList(&mTIPOLOGIAID))
{
    // Designer layout, in twips; the window's inner size is what Form_Resize keeps the grid in.
    resize(toPixels(7770), toPixels(5595));
    OsenXPForm1->Move(0, 0, 7725, 450);
    cmdAdd->Move(240, 720, 1095, 375);
    cmdDelete->Move(1440, 720, 1095, 375);
    cmdSelect->Move(2640, 720, 1095, 375);
    cmdPrintGrid->Move(3840, 720, 1095, 375);
    cmdClose->Move(5040, 720, 1095, 375);
    MSFlexGrid1->Move(240, 1200, 7290, 3795);
}
