#include "banking/frmAssegniEmessi.h"
#include "banking/frmEditAssegniEmessi.h"
#include "banking/frmSelectAssegniEmessi.h"
#include "platform/MSFlexGrid.h"
#include "platform/XPControls.h"
#include "shell/basGeneral.h"
#include "shell/basRegistering.h"

namespace {
const QString kFrom = QStringLiteral("FROM AssegniEmessi a, MieiContiCorrenti b, Anagrafica c ");
const QString kJoin = QStringLiteral("a.CONTOCORRENTEID = b.CONTOCORRENTEID AND a.ANAGRAFICAID = c.ANAGRAFICAID ");

// The select list up to the cheque number, whose alias differs between the list and one row.
QString selectHead()
{
    return QStringLiteral("SELECT a.ASSEGNIEMESSIID, a.CONTOCORRENTEID, b.Descrizione as ContoCorrente, "
                          "a.ANAGRAFICAID, ")
           + concatSql(QStringLiteral("c.cognome"), QStringLiteral("' '"), QStringLiteral("c.Nome"))
           + QStringLiteral(" as Beneficiario,  ");
}

const QString kSelectTail =
    QStringLiteral("a.DataAssegno, a.LuogoEmissione, a.SuPiazza, a.Trasferibile,  "
                   "a.Sbarrato, a.Importo, a.Causale, a.AssegnoNote, a.DateTimeCreated as DataCreazione,  "
                   "a.DateTimeLastUpdated as DataUltimaModifica ");

ListWindowDesc chequeList(double *key)
{
    ListWindowDesc d;
    d.caption = QStringLiteral("Assegni Emessi");
    d.key = key;
    // A cheque whose account or payee is gone is not listed.
    d.listQuery = selectHead() + QStringLiteral("a.Numero as NumeroAssegno, ") + kSelectTail + kFrom
                  + QStringLiteral("WHERE ") + kJoin;
    d.listQueryTail = QStringLiteral(" order by a.ASSEGNIEMESSIID ");
    d.filterSlot = &gWhereAssegniEmessi;
    d.headerCaptions = {{QStringLiteral("AssegnoNote*"), QStringLiteral("Note")}};
    d.oneRowQuery = [](const QString &id) {
        return selectHead() + QStringLiteral("a.Numero, ") + kSelectTail + kFrom
               + QStringLiteral("WHERE ASSEGNIEMESSIID = ") + id + QStringLiteral(" AND ") + kJoin;
    };
    d.newestKeyQuery = QStringLiteral("SELECT MAX(ASSEGNIEMESSIID) FROM AssegniEmessi ");
    // Nothing refers to a cheque.
    d.deleteStatements = [](const QString &id) {
        return QStringList{QStringLiteral("DELETE From AssegniEmessi WHERE ASSEGNIEMESSIID = ") + id};
    };
    d.editDialog = []() -> Form * { return FormInstance<frmEditAssegniEmessi>::get(); };
    d.filterDialog = []() -> Form * { return FormInstance<frmSelectAssegniEmessi>::get(); };
    // The three keys and the two time stamps stay off the printout.
    d.printExcludedColumns = {0, 1, 3, 14, 15};
    d.printSubtitle = [] { return QStringLiteral("Norvik - Assegni emessi"); };
    d.totalFields = QStringLiteral("Importo*");
    d.totalCaption = QStringLiteral("Importo complessivo degli assegni visualizzati: ");
    return d;
}
}

frmAssegniEmessi::frmAssegniEmessi() : ListWindow(QStringLiteral("frmAssegniEmessi"), chequeList(&mASSEGNIEMESSIID))
{
    cmdSelect->setCaption(QStringLiteral("Seleziona"));
    // Layout in twips; the total line stands under the grid.
    resize(toPixels(14850), toPixels(8715));
    OsenXPForm1->Move(0, 0, 14880, 450);
    cmdAdd->Move(480, 840, 1095, 375);
    cmdDelete->Move(1680, 840, 1095, 375);
    cmdSelect->Move(2880, 840, 1095, 375);
    cmdPrintGrid->Move(4080, 840, 1095, 375);
    cmdClose->Move(5280, 840, 1095, 375);
    MSFlexGrid1->Move(480, 1440, 13890, 6315);
}
