#include "banking/frmMieiContiCorrenti.h"
#include "banking/frmEditMieiContiCorrenti.h"
#include "banking/frmSelectMieiContiCorrenti.h"
#include "platform/MSFlexGrid.h"
#include "platform/XPControls.h"
#include "shell/basGeneral.h"

namespace {
const QString kListQuery =
    QStringLiteral("SELECT a.CONTOCORRENTEID, a.Descrizione, a.Banca, a.ABI, a.CAB, a.NumeroConto,  "
                   "a.Intestatari, a.DateTimeCreated as DataCreazione, a.DateTimeLastUpdated as DataUltimaModifica "
                   "FROM MieiContiCorrenti a ");

ListWindowDesc accountList(double *key)
{
    ListWindowDesc d;
    d.caption = QStringLiteral("Conti Correnti");
    d.key = key;
    // No WHERE of its own: a filter is appended as " WHERE " & filter.
    d.listQuery = kListQuery;
    d.filterSlot = &gWhereMieiContiCorrenti;
    d.oneRowQuery = [](const QString &id) {
        return kListQuery + QStringLiteral("WHERE CONTOCORRENTEID = ") + id + QStringLiteral(" ");
    };
    d.newestKeyQuery = QStringLiteral("SELECT MAX(CONTOCORRENTEID) FROM MieiContiCorrenti ");
    // Cheques drawn on the account and cheques deposited into it both keep it.
    d.deleteGuards = {{QStringLiteral("AssegniEmessi"), QStringLiteral("contocorrenteid")},
                      {QStringLiteral("versamenti"), QStringLiteral("contocorrenteid")}};
    d.deleteGuardMessage = QStringLiteral("Impossibile eliminare il record. Esistono assegni collegati.");
    d.deleteStatements = [](const QString &id) {
        return QStringList{QStringLiteral("DELETE From MieiContiCorrenti WHERE CONTOCORRENTEID = ") + id};
    };
    d.editDialog = []() -> Form * { return FormInstance<frmEditMieiContiCorrenti>::get(); };
    d.filterDialog = []() -> Form * { return FormInstance<frmSelectMieiContiCorrenti>::get(); };
    // The key and the time stamps stay off the printout.
    d.printExcludedColumns = {0, 7, 8};
    d.printSubtitle = [] { return QStringLiteral("Norvik - Conti correnti"); };
    d.fillHourglass = false;
    return d;
}
}

frmMieiContiCorrenti::frmMieiContiCorrenti()
    : ListWindow(QStringLiteral("frmMieiContiCorrenti"), accountList(&mCONTOCORRENTEID))
{
    cmdSelect->setCaption(QStringLiteral("Seleziona"));
    // Layout in twips; the window's inner size is what Form_Resize keeps the grid in.
    resize(toPixels(13500), toPixels(6600)); // every column fits, the time stamps too
    OsenXPForm1->Move(0, 0, 13500, 450);
    cmdAdd->Move(240, 720, 1095, 375);
    cmdDelete->Move(1440, 720, 1095, 375);
    cmdSelect->Move(2640, 720, 1095, 375);
    cmdPrintGrid->Move(3840, 720, 1095, 375);
    cmdClose->Move(5040, 720, 1095, 375);
    MSFlexGrid1->Move(240, 1200, 13020, 4800);
}

bool frmMieiContiCorrenti::trapFillErrors() const { return gErrorTrapOn; }
